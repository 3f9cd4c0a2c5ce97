## plot_bench.m: the log-log plot of the timings ns, T, names (from
## bench_octave.m, or loaded from its md.data) into the file png.
warning ("off", "Octave:gnuplot-graphics");
warning ("off", "print:nogs");
graphics_toolkit ("gnuplot");
h = figure ("visible", "off");
loglog (ns, T, "o-", "linewidth", 1.5);
xlim ([ns(1) / 2, ns(end) * 2]);
legend (names, "location", "eastoutside");
xlabel ("n");
title ("Seconds against n, best of several calls");
set (gca, "position", [0.09 0.11 0.56 0.8]);
grid on;
print (h, png, "-dpngcairo", "-S1100,550", "-F:6");
close (h);
