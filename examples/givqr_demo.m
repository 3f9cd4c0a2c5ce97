## givqr_demo.m: smoothing a noisy series with a second-difference penalty,
## the smoothing chosen by generalized cross-validation.
##
## For a series y of length n, z minimizes |z - y|^2 + lambda*|D*z|^2, D the
## second difference matrix, lambda = 1/sigma^2.  givsmooth (y) picks lambda
## by GCV and reports, with [z, info], the degrees of freedom, the leverages
## and pointwise standard errors.  The demo draws the fit with a band of two
## standard errors, the GCV curve with its minimum, the one-sided trend
## (each z(t) from y(1:t) alone) beside the two-sided one, and a series with
## a gap, noise that doubles halfway and a few outliers, smoothed plain,
## weighted (by the inverse variance of its noise) and robust.
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

tic;
[z, info] = givsmooth (y);                      # sigma by GCV
tz = toc;
printf ("Smoothing a noisy series of n = %d points: min |z - y|^2 + lambda*|D*z|^2\n", n);
printf ("GCV chose lambda = %.4g (sigma = %.4g) in %.2f ms: %.1f degrees of freedom,\n", ...
        info.lambda, info.sigma, 1e3 * tz, info.edf);
printf ("GCV %.5f, leave-one-out %.5f; |z - truth|/sqrt(n) = %.4f, noise 0.25\n", ...
        info.gcv, info.loocv, norm (z - truth) / sqrt (n));
## the optimality condition z + lambda*D'*D*z = y: D*z is diff (z, 2), D'*v conv (v, [1 -2 1])
r = z + info.lambda * conv (diff (z, 2), [1 -2 1]) - y;
printf ("|z + lambda*D'*D*z - y| = %.2g; the truth within two standard errors at %.0f%% of the points\n", ...
        norm (r, Inf), 100 * mean (abs (z - truth) <= 2 * info.stderr));

## the criterion around the choice
L = 10 .^ linspace (log10 (info.lambda) - 5, log10 (info.lambda) + 5, 81);
G = zeros (size (L));
for k = 1:numel (L)
  [~, s] = givsmooth (y, "Lambda", L(k));
  G(k) = s.gcv;
endfor

## the one-sided trend at the same sigma
z1 = givsmooth (y, info.sigma, "OneSided", true);
printf ("one-sided trend: |z1 - truth|/sqrt(n) = %.4f (two-sided %.4f)\n", ...
        norm (z1 - truth) / sqrt (n), norm (z - truth) / sqrt (n));

## a gap (NaN), noise twice as large from t = 0.5, and two bursts of outliers
y2 = truth + 0.25 * randn (n, 1) .* (1 + (t >= 0.5));
y2(801:950) = NaN;
out = [590:595, 1500:1505];
y2(out) += 4;
w = 1 ./ (1 + (t >= 0.5)).^2;                   # 1/variance, up to a factor
tic;
[zr, rinfo] = givsmooth (y2, [], "Weights", w, "Robust", true);   # sigma by GCV at each fit
tr = toc;
zp = givsmooth (y2, rinfo.sigma);               # the same sigma, without the weights
zw = givsmooth (y2, rinfo.sigma, "Weights", w); # and with them, not robust
e = @(z) norm (z - truth) / sqrt (n);
printf ("a gap of 150 points, noise doubling at t = 0.5, 12 outliers: |z - truth|/sqrt(n) at the robust fit's sigma\n");
printf ("  plain %.4f, weighted %.4f, robust %.4f (%d fits, %.1f ms; the outliers' largest weight %.2g)\n", ...
        e (zp), e (zw), e (zr), rinfo.iterations, 1e3 * tr, max (rinfo.weights(out)));

warning ("off", "Octave:gnuplot-graphics");   # the one toolkit that draws without a display
warning ("off", "print:nogs");                # PNG needs no Ghostscript
graphics_toolkit ("gnuplot");
h = figure ("visible", "off");
subplot (2, 2, 1);
band = [z + 2 * info.stderr; flipud(z - 2 * info.stderr)];
fill ([t; flipud(t)], band, [0.7 0.8 1], "edgecolor", "none");
hold on;
plot (t, y, ".", "color", [0.6 0.6 0.6], "markersize", 2, t, z, "b", "linewidth", 1.5, t, truth, "k", "linewidth", 0.5);
hold off;
title (sprintf ("lambda %.2g by GCV, edf %.1f", info.lambda, info.edf));
legend ({"z +- 2 stderr", "y", "z", "truth"}, "location", "southwest");
legend boxoff;
xlabel ("t"); ylim ([-2.6 2]);
subplot (2, 2, 2);
loglog (L, G, "b-", "linewidth", 1.5, info.lambda, info.gcv, "ro", "markersize", 8, "linewidth", 2);
set (gca, "xtick", 10 .^ (0:2:12));
title ("GCV, its minimum marked");
xlabel ("lambda"); grid on;
subplot (2, 2, 3);
k = t > 0.55 & t < 0.85;
plot (t(k), y(k), ".", "color", [0.6 0.6 0.6], "markersize", 3, t(k), z(k), "b", "linewidth", 1.5, ...
      t(k), z1(k), "r", "linewidth", 1.5, t(k), truth(k), "k", "linewidth", 0.5);
legend ({"y", "two-sided", "one-sided", "truth"}, "location", "southwest");
legend boxoff;
title ("one-sided: z(t) from y(1:t)");
xlabel ("t");
subplot (2, 2, 4);
plot (t, y2, ".", "color", [0.6 0.6 0.6], "markersize", 2, t(out), y2(out), "mo", "markersize", 6, ...
      t, zp, "g", "linewidth", 1.2, t, zw, "b", "linewidth", 1.2, t, zr, "r", "linewidth", 1.5, ...
      t, truth, "k", "linewidth", 0.5);
legend ({"y, a gap", "outliers", "plain", "weighted", "robust", "truth"}, "location", "northeast");
legend boxoff;
title ("a gap (t = 0.4 to 0.475), uneven noise, outliers");
xlabel ("t"); ylim ([-3 7]);
print (h, png, "-dpngcairo", "-S1600,1000", "-F:5");
close (h);
printf ("\nPlot written to %s\n", png);
