## bench_octave.m: givfact, givfwd and givinv end to end in Octave, against
## what a user would otherwise do, all in one run so that the ratios hold on
## a noisy machine.  Set png (the plot) and md (the table) before running.

sigma = 0.1;
ns = [1e4 1e5 1e6 1e7];

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

names = {"givfact", "givfwd", "givinv", "qr(A)", "[C, R] = qr(A, b)", ...
         "chol(D*D' + sigma^2*I)", "Octave loop (givfwd)"};
T = NaN (numel (ns), numel (names));
for j = 1:numel (ns)
  n = ns(j); m = n - 2;
  k = max (5, round (3e6 / n));       # fresh memory is costly here: take the best of many
  T(j,1) = timeit (@() nthargout (1:2, @givfact, n, sigma), k);
  [Qbar, R] = givfact (n, sigma);
  b = randn (2*n - 2, 1);
  T(j,2) = timeit (@() givfwd (Qbar, b), k);
  T(j,3) = timeit (@() givinv (Qbar, b), k);
  [A, D] = stacked (n, sigma);
  kk = max (2, round (1e5 / n));
  T(j,4) = timeit (@() qr (A), kk);
  T(j,5) = timeit (@() nthargout (1:2, @qr, A, b), kk);
  M = D*D' + sigma^2 * speye (m);
  T(j,6) = timeit (@() chol (M), kk);
  if (n <= 1e5)
    T(j,7) = timeit (@() fwd_loop (Qbar, b), 1);
  endif
  printf ("n = %g done\n", n); fflush (stdout);
endfor

## the table
fid = fopen (md, "w");
fprintf (fid, "| n | %s |\n|---|%s\n", strjoin (names, " | "), repmat ("---|", 1, numel (names)));
for j = 1:numel (ns)
  cells = arrayfun (@ms, T(j,:), "uniformoutput", false);
  fprintf (fid, "| 10^%d | %s |\n", log10 (ns(j)), strjoin (cells, " | "));
endfor
j = find (ns == 1e6);
fprintf (fid, "\nAt n = 10^6: givfact is %.0f times faster than qr(A), %.0f times faster than [C, R] = qr(A, b) and %.1f times faster than chol.\n",
         T(j,4) / T(j,1), T(j,5) / T(j,1), T(j,6) / T(j,1));
fclose (fid);
type (md);

## givsmooth against the recipe written out, for one series and for ten
function z = pipeline (y, sigma)
  n = rows (y);
  [Qbar, R] = givfact (n, sigma);
  c = givfwd (Qbar, [y; zeros(n-2, 1)]);
  c(1:n-2) = 0;
  r = givinv (Qbar, c);
  z = r(1:n);
endfunction
sn = [1e5 1e6];
S = NaN (numel (sn), 4);
for j = 1:numel (sn)
  y = randn (sn(j), 1);
  Y = randn (sn(j), 10);
  S(j,1) = timeit (@() givsmooth (y, sigma), 5);
  S(j,2) = timeit (@() pipeline (y, sigma), 5);
  S(j,3) = timeit (@() givsmooth (Y, sigma), 3);
  S(j,4) = timeit (@() cellfun (@(k) givsmooth (Y(:,k), sigma), num2cell (1:10), "uniformoutput", false), 3);
endfor
fid = fopen (md, "a");
fprintf (fid, "\n| n | givsmooth (y) | the recipe by hand | givsmooth (Y), 10 columns | givsmooth of each column |\n|---|---|---|---|---|\n");
for j = 1:numel (sn)
  fprintf (fid, "| 10^%d | %s |\n", log10 (sn(j)), strjoin (arrayfun (@ms, S(j,:), "uniformoutput", false), " | "));
endfor
fclose (fid);

## the plot
save ("-text", [md ".data"], "ns", "T", "names");
source (fullfile (fileparts (mfilename ("fullpath")), "plot_bench.m"));
