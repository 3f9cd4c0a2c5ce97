## givqr_demo.m: smoothing a noisy series with a second-difference penalty.
##
## For a series y of length n and a weight sigma, the smooth series z solves
##
##     min |z - y|^2 + |D*z|^2 / sigma^2,        D the second difference matrix,
##
## (lambda = 1/sigma^2 in the usual notation).  givsmooth computes it by the
## Givens QR of A = [D'; sigma*I]; the demo checks z against the optimality
## condition z + D'*D*z/sigma^2 = y.
##
## Writes the plot to the file named by the variable png, if set (default
## "smoothing.png").

if (! exist ("png", "var"))
  png = "smoothing.png";
endif

n = 2000;
t = linspace (0, 1, n)';
truth = sin (2*pi*t) + 0.5 * cos (7*pi*t.^2);
randn ("seed", 42);
y = truth + 0.25 * randn (n, 1);

printf ("Smoothing a noisy series of n = %d points: min |z - y|^2 + |D*z|^2/sigma^2\n", n);
printf ("(lambda = 1/sigma^2: the smaller sigma, the smoother z)\n\n");
printf ("%8s  %12s  %12s  %26s\n", "sigma", "givsmooth", "|z - truth|", "|z + D'*D*z/sigma^2 - y|");
sigmas = [0.1 0.01 0.001];
Z = zeros (n, numel (sigmas));
for k = 1:numel (sigmas)
  sigma = sigmas(k);
  tic;
  z = givsmooth (y, sigma);
  ts = toc;
  ## D*z is diff (z, 2), and D'*v is conv (v, [1 -2 1])
  r = z + conv (diff (z, 2), [1 -2 1]) / sigma^2 - y;
  printf ("%8g  %9.2f ms  %12.4g  %26.3g\n", sigma, 1e3 * ts, norm (z - truth) / sqrt (n), norm (r, Inf));
  Z(:,k) = z;
endfor

warning ("off", "Octave:gnuplot-graphics");   # the one toolkit that draws without a display
warning ("off", "print:nogs");                # PNG needs no Ghostscript
graphics_toolkit ("gnuplot");
h = figure ("visible", "off");
plot (t, y, ".", "color", [0.72 0.72 0.72], "markersize", 2, t, Z, "linewidth", 1.5);
legend (["noisy series", arrayfun(@(s) sprintf ("sigma = %g", s), sigmas, "uniformoutput", false)],
        "location", "south", "orientation", "horizontal");
ylim ([-2.6 2]);
title (sprintf ("Second-difference smoothing, n = %d", n));
xlabel ("t");
print (h, png, "-dpngcairo", "-S1000,500", "-F:6");
close (h);
printf ("\nPlot written to %s\n", png);
