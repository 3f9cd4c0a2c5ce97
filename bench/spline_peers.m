## spline_peers.m: f at the knots of the cubic smoothing spline against the
## MPFR reference (mpspline), for givspline, Octave's csaps (splines
## package: p*sum(w.*(y - f).^2) + (1-p)*integral(f''^2), so p = 1/(1 +
## lambda)), scipy's make_smoothing_spline (lam = lambda) and R's
## smooth.spline (x brought to [0, 1], so lambda/(x(n) - x(1))^3), at n
## points of noise, equal spacing and spacings over two decades, lambda in
## units of the mean spacing cubed: max |f - f_ref| / max |y|.  build/octave
## and build/reference must be on the path; run from the project's root.
pkg load splines
function r = peer (cmd, x, y, lambda)
  n = numel (x); xm = (x(1:end-1) + x(2:end)) / 2;
  fi = [tempname() ".in"]; fo = [tempname() ".out"];
  f = fopen (fi, "w"); fwrite (f, [n; lambda; 1; x; y; xm], "double"); fclose (f);
  r = NaN (n, 1);
  if (system (sprintf ("%s %s %s 2>/dev/null", cmd, fi, fo)) == 0)
    f = fopen (fo); r = fread (f, Inf, "double")(1:n); fclose (f); delete (fo);
  endif
  delete (fi);
endfunction
if (! exist ("ns", "var")) ns = [150 1e4 1e5]; endif
Ls = 10 .^ [-6 -2 2 4 8 12 16];
printf ("| spacings | n | lambda / h^3 | givspline | csaps | make_smoothing_spline | smooth.spline |\n|---|---|---|---|---|---|---|\n");
for uneven = 0:1
  for n = ns
    randn ("state", 1); rand ("state", 1);
    x = (0:n-1)';
    if (uneven) x = cumsum ([0; 10 .^ (2 * rand(n - 1, 1))]); endif
    y = randn (n, 1); h = (x(end) - x(1)) / (n - 1);
    for L = Ls
      lambda = L * h^3;
      g = mpspline (x, y, ones (n, 1), lambda, 256);
      e = @(f) max (abs ((f - g(:,1)) - g(:,2))) / max (abs (y));
      E = [e(ppval(givspline (x, y, lambda), x)), e(csaps (x, y, 1 / (1 + lambda), x)), ...
           e(peer ("/usr/bin/python3 bench/spline_peers.py", x, y, lambda)), e(peer ("Rscript bench/spline_peers.R", x, y, lambda))];
      printf ("| %s | %g | %g | %s |\n", {"equal", "over two decades"}{uneven + 1}, n, L, ...
              strjoin (arrayfun (@(v) sprintf ("%.1e", v), E, "uniformoutput", false), " | "));
      fflush (stdout);
    endfor
  endfor
endfor
