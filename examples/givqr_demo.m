## givqr_demo.m: smoothing a noisy series with a second-difference penalty,
## the smoothing chosen by generalized cross-validation.
##
## For a series y of length n, z minimizes |z - y|^2 + lambda*|D*z|^2, D the
## second difference matrix, lambda = 1/sigma^2.  givsmooth (y) picks lambda
## by GCV and reports, with [z, info], the degrees of freedom, the leverages
## and pointwise standard errors.  The demo draws the fit with a band of two
## standard errors, the GCV and REML curves with their minima, the one-sided trend
## (each z(t) from y(1:t) alone) beside the two-sided one, a series with a
## gap, noise that doubles halfway and a few outliers, smoothed plain,
## weighted (by the inverse variance of its noise) and robust, and readings
## taken at uneven times, smoothed at those times with second and third
## differences.
##
## Writes the plot to the file named by the variable png, if set (default
## "smoothing.png").

1;   # a script, whose own functions follow

## A key across the top of the current axes, in a band the data leave
## free: cols entries a row, each in a slot of its own; each entry {label,
## color, style}, style "-" a line, "." a dot, "o" a filled marker, "O" an
## open circle, "=" a band; wide, the axes' width in panels.
function key (entries, cols, wide = 1)
  ax = axis ();
  lx = strcmp (get (gca, "xscale"), "log");
  ly = strcmp (get (gca, "yscale"), "log");
  for k = 1:rows (entries)
    [name, color, style] = entries{k, :};
    pos = 0.02 + mod (k - 1, cols) / cols;
    y = at (0.93 - 0.09 * floor ((k - 1) / cols), ax(3), ax(4), ly);
    x0 = at (pos, ax(1), ax(2), lx); x1 = at (pos + 0.05 / wide, ax(1), ax(2), lx);
    switch (style)
      case "-"
        plot ([x0 x1], [y y], "-", "color", color, "linewidth", 2);
      case "="
        plot ([x0 x1], [y y], "-", "color", color, "linewidth", 7);
      case "."
        plot (at (pos + 0.025 / wide, ax(1), ax(2), lx), y, ".", "color", color, "markersize", 8);
      case "O"
        plot (at (pos + 0.025 / wide, ax(1), ax(2), lx), y, "o", "color", color, "markersize", 8, "linewidth", 2);
      otherwise
        plot (at (pos + 0.025 / wide, ax(1), ax(2), lx), y, "o", "color", color, "markerfacecolor", color, "markersize", 4);
    endswitch
    text (at (pos + 0.065 / wide, ax(1), ax(2), lx), y, name);
  endfor
  axis (ax);
endfunction

## The point a fraction f of the way from a to b, on a log scale where lg.
function v = at (f, a, b, lg)
  if (lg)
    v = 10 ^ (log10 (a) + f * (log10 (b) - log10 (a)));
  else
    v = a + f * (b - a);
  endif
endfunction

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

## the restricted likelihood's choice, and both criteria around the choices
[zr_, rinfo_] = givsmooth (y, [], "Criterion", "reml");
printf ("REML chose lambda = %.4g: %.1f degrees of freedom, |z - truth|/sqrt(n) = %.4f\n", ...
        rinfo_.lambda, rinfo_.edf, norm (zr_ - truth) / sqrt (n));
L = 10 .^ linspace (log10 (min (info.lambda, rinfo_.lambda)) - 4, log10 (max (info.lambda, rinfo_.lambda)) + 4, 81);
G = zeros (size (L)); Rm = G;
for k = 1:numel (L)
  [~, s] = givsmooth (y, "Lambda", L(k));
  G(k) = s.gcv;
  Rm(k) = s.reml;
endfor
scaled = @(c, v) (v - min (c)) / (max (c) - min (c));    # each criterion on [0, 1] over the range

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

## a sensor that drops and bunches its samples: 600 readings at random
## times (exponential spacings, and none for a while at t = 60 to 75),
## smoothed at those times with second and third differences, GCV choosing
## lambda for each
rand ("seed", 7);
ts = cumsum (-log (rand (600, 1)) / 5);
ts = ts(ts < 60 | ts > 75);
truth3 = @(t) sin (t / 12) + 0.4 * sin (t / 4) .* exp (-t / 60);
y3 = truth3 (ts) + 0.15 * randn (size (ts));
[z32, i32] = givsmooth (y3, [], "SamplePoints", ts);
[z33, i33] = givsmooth (y3, [], "SamplePoints", ts, "Order", 3);
printf ("%d readings at uneven times (spacings %.2g to %.2g): GCV chose lambda %.3g (edf %.1f) for d = 2, ", ...
        numel (ts), min (diff (ts)), max (diff (ts)), i32.lambda, i32.edf);
printf ("%.3g (edf %.1f) for d = 3;\n  |z - truth|/sqrt(n) %.4f and %.4f, noise 0.15\n", i33.lambda, i33.edf, ...
        norm (z32 - truth3 (ts)) / sqrt (numel (ts)), norm (z33 - truth3 (ts)) / sqrt (numel (ts)));
## the smooths between the samples: each on the readings with the grid's
## times added as points without weight (NaN), filled as the model says
tg = setdiff (linspace (ts(1), ts(end), 1500)', ts);
[tt, order] = sort ([ts; tg]);
yy = [y3; NaN(size (tg))](order);
zz2 = givsmooth (yy, i32.sigma, "SamplePoints", tt);
zz3 = givsmooth (yy, i33.sigma, "SamplePoints", tt, "Order", 3);

warning ("off", "Octave:gnuplot-graphics");   # the one toolkit that draws without a display
warning ("off", "print:nogs");                # PNG needs no Ghostscript
graphics_toolkit ("gnuplot");
grey = [0.55 0.55 0.55];
h = figure ("visible", "off");

subplot (3, 2, 1);
band = [z + 2 * info.stderr; flipud(z - 2 * info.stderr)];
fill ([t; flipud(t)], band, [0.7 0.8 1], "edgecolor", "none");
hold on;
plot (t, y, ".", "color", grey, "markersize", 3, t, z, "b", "linewidth", 2, t, truth, "k", "linewidth", 1);
ylim ([-2.5 3.4]);
key ({"y", grey, "."; "z", "b", "-"; "truth", "k", "-"; "z +- 2 stderr", [0.7 0.8 1], "="}, 3);
hold off;
title (sprintf ("GCV: lambda %.2g, edf %.1f", info.lambda, info.edf));

subplot (3, 2, 2);
semilogx (L, scaled (G, G), "b-", "linewidth", 2, L, scaled (Rm, Rm), "r-", "linewidth", 2, ...
          info.lambda, scaled (G, info.gcv), "bo", "markersize", 9, "linewidth", 2, ...
          rinfo_.lambda, scaled (Rm, rinfo_.reml), "ro", "markersize", 9, "linewidth", 2);
e10 = floor (log10 (min (L))):2:ceil (log10 (max (L)));
set (gca, "xtick", 10 .^ e10, "xticklabel", arrayfun (@(e) sprintf ("1e%d", e), e10, "uniformoutput", false));
xlim (10 .^ e10([1 end])); ylim ([-0.05 1.45]);
hold on;
key ({"GCV", "b", "-"; "REML", "r", "-"; "minima", "k", "O"}, 2);
hold off;
title ("GCV and REML, each on [0, 1]");
grid on;

subplot (3, 2, 3);
k = t > 0.55 & t < 0.85;
plot (t(k), y(k), ".", "color", grey, "markersize", 5, t(k), z(k), "b", "linewidth", 2, ...
      t(k), z1(k), "r", "linewidth", 2, t(k), truth(k), "k", "linewidth", 1);
ylim ([-2.2 1.4]);
hold on;
key ({"y", grey, "."; "two-sided", "b", "-"; "one-sided", "r", "-"; "truth", "k", "-"}, 2);
hold off;
title ("one-sided: z(t) from y(1:t)");

subplot (3, 2, 4);
gap = t([801 950]);
fill (gap([1 2 2 1]), [-3; -3; 5.5; 5.5], [0.88 0.88 0.88], "edgecolor", "none");
hold on;
plot (t, y2, ".", "color", grey, "markersize", 3, t(out), y2(out), "o", "color", [0.85 0 0.85], ...
      "markerfacecolor", [0.85 0 0.85], "markersize", 3, ...
      t, zp, "color", [0 0.6 0], "linewidth", 1.5, t, zw, "b", "linewidth", 1.5, t, zr, "r", "linewidth", 2, ...
      t, truth, "k", "linewidth", 1);
text (mean (gap), 4.8, "gap", "horizontalalignment", "center");
ylim ([-3 11]);
key ({"y", grey, "."; "outliers", [0.85 0 0.85], "o"; "plain", [0 0.6 0], "-"; "weighted", "b", "-"; ...
      "robust", "r", "-"; "truth", "k", "-"}, 2);
hold off;
title ("a gap, uneven noise, outliers");

subplot (3, 2, [5 6]);
fill ([60; 75; 75; 60], [-2; -2; 1.7; 1.7], [0.88 0.88 0.88], "edgecolor", "none");
hold on;
plot (ts, y3, ".", "color", grey, "markersize", 5, tt, zz2, "b", "linewidth", 2, tt, zz3, "r", "linewidth", 2, ...
      tg, truth3 (tg), "k", "linewidth", 1);
text (67.5, 1.35, "no samples", "horizontalalignment", "center");
xlim (ts([1 end])); ylim ([-2 3.2]);
key ({"y at its times", grey, "."; sprintf("d = 2, edf %.1f", i32.edf), "b", "-"; ...
      sprintf("d = 3, edf %.1f", i33.edf), "r", "-"; "truth", "k", "-"}, 2, 2.2);
hold off;
title ("samples at uneven times: 'SamplePoints', GCV for d = 2 and d = 3");
print (h, png, "-dpngcairo", "-S1600,1650", "-F:7");
close (h);
printf ("\nPlot written to %s\n", png);

