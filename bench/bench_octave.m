## bench_octave.m: the commands end to end in Octave, against what a user
## would otherwise do, each comparison in one run so that the ratios hold
## on a noisy machine.  Set png (the plot), md (the report) and plain (the
## folder of givfact built computing every step) before running; the
## commands and tests/octave (stacked) must be on the path.

## time f() as the best of k runs, after one run to warm up
function t = timeit (f, k)
  y = f ();
  t = inf;
  for i = 1:k
    clear y;
    tic; y = f (); t = min (t, toc);
  endfor
endfunction

## a time in milliseconds, or a dash where it was not measured
function s = ms (t)
  if (isnan (t))
    s = "-";
  else
    s = sprintf ("%.3g ms", 1e3 * t);
  endif
endfunction

## the replay of givfwd written in the Octave language
function y = fwd_loop (Qbar, x)
  m = rows (Qbar); n = m + 2; y = x;
  for i = 1:m
    c = Qbar(i,1); s = Qbar(i,2); a = y(i); b = y(n+i); y(i) = c*a - s*b; y(n+i) = s*a + c*b;
    c = Qbar(i,3); s = Qbar(i,4); a = y(i); b = y(i+1); y(i) = c*a - s*b; y(i+1) = s*a + c*b;
    c = Qbar(i,5); s = Qbar(i,6); a = y(i); b = y(i+2); y(i) = c*a - s*b; y(i+2) = s*a + c*b;
  endfor
endfunction

## givfact with the plain loop (every step computed): the oct-file in plain,
## found first on the path for the call
function t = timeit_plain (plain, n, sigma, k)
  addpath (plain, "-begin");
  clear givfact;
  t = timeit (@() nthargout (1:2, @givfact, n, sigma), k);
  rmpath (plain);
  clear givfact;
endfunction

function table (fid, head, rows, T)
  fprintf (fid, "| %s |\n|%s\n", strjoin (head, " | "), repmat ("---|", 1, numel (head)));
  for j = 1:numel (rows)
    fprintf (fid, "| %s | %s |\n", rows{j}, strjoin (arrayfun (@ms, T(j,:), "uniformoutput", false), " | "));
  endfor
  fprintf (fid, "\n");
endfunction

fid = fopen (md, "w");

## 1. givfact, givfwd, givinv against qr and chol, sigma = 0.1
sigma = 0.1;
ns = [1e4 1e5 1e6 1e7];
names = {"givfact", "givfact, every step computed", "givfwd", "givinv", "qr(A)", ...
         "[C, R] = qr(A, b)", "chol(D*D' + sigma^2*I)", "Octave loop (givfwd)"};
T = NaN (numel (ns), numel (names));
for j = 1:numel (ns)
  n = ns(j); m = n - 2;
  k = max (5, round (3e6 / n));       # fresh memory is costly here: take the best of many
  T(j,1) = timeit (@() nthargout (1:2, @givfact, n, sigma), k);
  T(j,2) = timeit_plain (plain, n, sigma, k);
  [Qbar, R] = givfact (n, sigma);
  b = randn (2*n - 2, 1);
  T(j,3) = timeit (@() givfwd (Qbar, b), k);
  T(j,4) = timeit (@() givinv (Qbar, b), k);
  [A, D] = stacked (n, sigma);
  kk = max (2, round (1e5 / n));
  T(j,5) = timeit (@() qr (A), kk);
  T(j,6) = timeit (@() nthargout (1:2, @qr, A, b), kk);
  M = D*D' + sigma^2 * speye (m);
  T(j,7) = timeit (@() chol (M), kk);
  if (n <= 1e5)
    T(j,8) = timeit (@() fwd_loop (Qbar, b), 1);
  endif
  clear A D M Qbar R b
  printf ("givfact, n = %g done\n", n); fflush (stdout);
endfor
fprintf (fid, "### givfact, givfwd and givinv, sigma = %g\n\n", sigma);
table (fid, ["n", names], arrayfun (@(n) sprintf ("10^%d", log10 (n)), ns, "uniformoutput", false), T);
j = find (ns == 1e6);
fprintf (fid, ["At n = 10^6: givfact is %.0f times faster than qr(A), %.0f times faster than [C, R] = qr(A, b) " ...
               "and %.1f times faster than chol; it takes %.2f of the time of givfact computing every step.\n\n"],
         T(j,5) / T(j,1), T(j,6) / T(j,1), T(j,7) / T(j,1), T(j,1) / T(j,2));
save ("-text", [md ".data"], "ns", "T", "names");

## 2. givsmooth against Octave's direct routes, the matrices built inside
## the timing as a user would: backslash on the Whittaker form, and on the
## normal equations of the least squares form
function z = whittaker (y, sigma)
  [~, D] = stacked (rows (y), sigma);
  z = (speye (rows (y)) + D'*D / sigma^2) \ y;
endfunction
function z = normal (y, sigma)
  [~, D] = stacked (rows (y), sigma);
  z = y - D' * ((D*D' + sigma^2 * speye (rows (y) - 2)) \ (D*y));
endfunction
sn = [1e3 1e4 1e5 1e6 1e7];
for sigma = [0.025 1e-8]
  S = NaN (numel (sn), 4);
  for j = 1:numel (sn)
    n = sn(j);
    y = cumsum (randn (n, 1)) + 10 * randn (n, 1);
    k = max (3, round (1e6 / n));
    kk = max (1, round (1e5 / n));
    S(j,1) = timeit (@() givsmooth (y, sigma), k);
    S(j,2) = timeit (@() whittaker (y, sigma), kk);
    S(j,3) = timeit (@() normal (y, sigma), kk);
    S(j,4) = min (S(j,2:3)) / S(j,1);
  endfor
  fprintf (fid, "### givsmooth (y, sigma) against backslash, sigma = %g (lambda = %g)\n\n", sigma, 1 / sigma^2);
  fprintf (fid, "| n | givsmooth | Whittaker form | normal equations | fastest direct / givsmooth |\n|---|---|---|---|---|\n");
  for j = 1:numel (sn)
    fprintf (fid, "| 10^%d | %s | %s | %s | %.1f |\n", log10 (sn(j)), ms (S(j,1)), ms (S(j,2)), ms (S(j,3)), S(j,4));
  endfor
  fprintf (fid, "\n");
  printf ("givsmooth, sigma = %g done\n", sigma); fflush (stdout);
endfor

## 3. at n = 10^6: the choice of sigma, the one-sided trend, the info, and
## statsmodels' hpfilter (Debian's python3-statsmodels, for Debian's python3),
## against the call with sigma given
n = 1e6; sigma = 0.025;
y = cumsum (randn (n, 1)) + 10 * randn (n, 1);
t1 = timeit (@() givsmooth (y, sigma), 5);
tinfo = timeit (@() nthargout (1:2, @givsmooth, y, sigma), 3);
tgcv = timeit (@() nthargout (1:2, @givsmooth, y), 2);
tloo = timeit (@() nthargout (1:2, @givsmooth, y, [], "Criterion", "loocv"), 2);
treml = timeit (@() nthargout (1:2, @givsmooth, y, [], "Criterion", "reml"), 2);
tedf = timeit (@() nthargout (1:2, @givsmooth, y, [], "EDF", 100), 2);
tone = timeit (@() givsmooth (y, sigma, "OneSided", true), 5);
tw = timeit (@() whittaker (y, sigma), 2);
[~, info] = givsmooth (y);
[~, py] = system (["/usr/bin/python3 -c \"import time, numpy; from statsmodels.tsa.filters.hp_filter import hpfilter; " ...
                   "y = numpy.cumsum (numpy.random.randn (1000000)); t = time.time (); hpfilter (y, 1600); " ...
                   "print (time.time () - t)\""]);
thp = str2double (py);
fprintf (fid, "### At n = 10^6, sigma = %g (lambda = 1600) where given\n\n", sigma);
fprintf (fid, "| call | time | in calls with sigma given |\n|---|---|---|\n");
cases = {"givsmooth (y, sigma)", t1; "[z, info] = givsmooth (y, sigma)", tinfo; ...
        "[z, info] = givsmooth (y): sigma by GCV", tgcv; "... by leave-one-out", tloo; ...
        "... by REML", treml; "... for an edf of 100", tedf; ...
        "givsmooth (y, sigma, 'OneSided', true)", tone; "backslash on the Whittaker form, lambda given", tw; ...
        "statsmodels' hpfilter (y, 1600), Python", thp};
for r = 1:size (cases, 1)
  fprintf (fid, "| %s | %s | %.1f |\n", cases{r,1}, ms (cases{r,2}), cases{r,2} / t1);
endfor
fprintf (fid, "\nGCV chose sigma = %.4g (edf %.1f) for this series.\n\n", info.sigma, info.edf);
printf ("givsmooth at 10^6 done\n"); fflush (stdout);

## 3b. weights, gaps and outliers at n = 10^6, in calls of givsmooth (y, sigma)
w = 0.5 + rand (n, 1);
yn = y; yn(rand (n, 1) < 0.1) = NaN;
g = ones (n, 1); g(1000:1499) = 0;
last = ones (n, 1); last(n) = 2;
yo = y; yo(1:1000:n) += 100;                      # an outlier every 1000 points
tw1 = timeit (@() givsmooth (y, sigma, "Weights", w), 3);
tw2 = timeit (@() givsmooth (yn, sigma), 3);
tw3 = timeit (@() givsmooth (y, sigma, "Weights", g), 3);
tw4 = timeit (@() givsmooth (y, sigma, "Weights", last), 3);
twi = timeit (@() nthargout (1:2, @givsmooth, yo, sigma, "Weights", w), 3);
trob = timeit (@() nthargout (1:2, @givsmooth, yo, sigma, "Robust", true), 2);
[~, rinfo] = givsmooth (yo, sigma, "Robust", true);
fprintf (fid, "### Weights, gaps and outliers at n = 10^6, sigma = %g\n\n", sigma);
fprintf (fid, "| call | time | in calls givsmooth (y, sigma) |\n|---|---|---|\n");
cases = {"weights in [0.5, 1.5]", tw1; "10% of y NaN, at random", tw2; ...
         "one gap, weights 0 at 500 points, 1 elsewhere", tw3; ...
         "weights 1 but the last, 2: every step computed", tw4; ...
         "[z, info], weights in [0.5, 1.5] (the cost of one robust fit)", twi; ...
         sprintf("[z, info] = givsmooth (y, sigma, 'Robust', true), %d fits", rinfo.iterations), trob};
for r = 1:size (cases, 1)
  fprintf (fid, "| %s | %s | %.1f |\n", cases{r,1}, ms (cases{r,2}), cases{r,2} / t1);
endfor
fprintf (fid, ["\nThe robust call took %.2f times the time of a weighted fit with its info per fit made\n" ...
               "(%d fits: %.1f fits' time). Weighted, the rows of the factorization repeat only where\n" ...
               "the weights stop changing: one gap costs the transient after it; weights that change\n" ...
               "to the end cost every step (compare the row with every step computed).\n\n"], ...
        trob / twi / rinfo.iterations, rinfo.iterations, trob / twi);
printf ("weights at 10^6 done\n"); fflush (stdout);

## 3c. the order of the differences and sample times at n = 10^6, in calls
## of givsmooth (y, sigma); GCV's cost in calls, at equal and uneven spacing
tu = cumsum (0.5 + rand (n, 1));                  # spacings from 0.5 to 1.5
to = zeros (1, 4);
for d = 1:4
  to(d) = timeit (@() givsmooth (y, sigma, "Order", d), 3);
endfor
tun = timeit (@() givsmooth (y, sigma, "SamplePoints", tu), 3);
tgu = timeit (@() nthargout (1:2, @givsmooth, y, [], "SamplePoints", tu), 1);
fprintf (fid, "### Order and sample times at n = 10^6, sigma = %g\n\n", sigma);
fprintf (fid, "| call | time | in calls givsmooth (y, sigma) |\n|---|---|---|\n");
for d = 1:4
  fprintf (fid, "| givsmooth (y, sigma, 'Order', %d) | %s | %.2f |\n", d, ms (to(d)), to(d) / t1);
endfor
fprintf (fid, "| givsmooth (y, sigma, 'SamplePoints', t), uneven t | %s | %.2f (%.2f of the weighted call) |\n", ...
         ms (tun), tun / t1, tun / tw1);
fprintf (fid, "| [z, info] = givsmooth (y, [], 'SamplePoints', t): GCV | %s | %.1f (%.1f calls with the same t) |\n\n", ...
         ms (tgu), tgu / t1, tgu / tun);
printf ("orders and times at 10^6 done\n"); fflush (stdout);

## 4. sixteen series of 10^5: one matrix (its columns over the threads)
## against sixteen calls
Y = randn (1e5, 16);
tm = timeit (@() givsmooth (Y, sigma), 3);
tc = timeit (@() cellfun (@(k) givsmooth (Y(:,k), sigma), num2cell (1:16), "uniformoutput", false), 3);
tma = timeit (@() givsmooth (Y), 1);
tca = timeit (@() cellfun (@(k) givsmooth (Y(:,k)), num2cell (1:16), "uniformoutput", false), 1);
fprintf (fid, "### Sixteen series of 10^5 points, on %d threads\n\n", nproc);
fprintf (fid, "| | one 10^5-by-16 matrix | sixteen calls | ratio |\n|---|---|---|---|\n");
fprintf (fid, "| sigma = %g | %s | %s | %.2f |\n", sigma, ms (tm), ms (tc), tc / tm);
fprintf (fid, "| sigma by GCV | %s | %s | %.2f |\n\n", ms (tma), ms (tca), tca / tma);
fclose (fid);
type (md);

## the plot
source (fullfile (fileparts (mfilename ("fullpath")), "plot_bench.m"));
