## givqr_demo.m: smoothing a noisy series with a second-difference penalty.
##
## For a series y of length n and a weight sigma, the smooth series z solves
##
##     min |z - y|^2 + |D*z|^2 / sigma^2,        D the second difference matrix,
##
## which is the least squares problem min |A*w - [y; 0]| with A = [D'; sigma*I]:
## its residual is [z; -sigma*w].  So: factor A, apply Q' to [y; 0], solve with
## R for w, and recover z with Q from the part of Q'*[y; 0] that A cannot reach.
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
m = n - 2;
D = spdiags (repmat ([1 -2 1], m, 1), 0:2, m, n);

printf ("Smoothing a noisy series of n = %d points: min |z - y|^2 + |D*z|^2/sigma^2\n", n);
printf ("(lambda = 1/sigma^2: the smaller sigma, the smoother z)\n\n");
printf ("%8s  %10s  %12s  %14s  %16s\n", "sigma", "givfact", "|z - truth|", "|z - y + D'*w|", "vs sparse solve");
sigmas = [0.1 0.01 0.001];
Z = zeros (n, numel (sigmas));
for k = 1:numel (sigmas)
  sigma = sigmas(k);
  tic;
  [Qbar, R] = givfact (n, sigma);       # Q'*[D'; sigma*I] = [R; 0]
  tf = toc;
  c = givfwd (Qbar, [y; zeros(m, 1)]);  # Q'*[y; 0]
  w = R \ c(1:m);                       # the least squares solution
  c(1:m) = 0;                           # what remains is the residual, in Q's basis
  r = givinv (Qbar, c);                 # residual [z; -sigma*w]
  z = r(1:n);
  ## the same z from the normal equations, with Octave's sparse solver
  zs = (speye (n) + D'*D / sigma^2) \ y;
  printf ("%8g  %8.2f ms  %12.4g  %14.3g  %16.3g\n", sigma, 1e3 * tf, norm (z - truth) / sqrt (n),
          norm (z - y + D'*w), norm (z - zs, Inf));
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
