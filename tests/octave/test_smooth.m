## givsmooth from Octave: the recipe's bits, the options, the info, the choice

## the bits of the recipe with givfact, givfwd and givinv (to lambda = 1e16:
## beyond, the state form's); each column as if
## alone (on several threads); a row as a row; any real class by value
%!test
%! randn ("state", 1);
%! n = 3000; y = cumsum (randn (n, 1)); bits = @(a) typecast (a(:), "uint64");
%! for sigma = [1e-8 1e-6 0.025 0.5 7 -0.3]
%!   [Qbar, R] = givfact (n, sigma);
%!   c = givfwd (Qbar, [y; zeros(n-2, 1)]);
%!   c(1:n-2) = 0;
%!   r = givinv (Qbar, c);
%!   assert (isequal (bits (givsmooth (y, sigma)), bits (r(1:n))));
%! endfor
%! Y = [y, -y(end:-1:1), y.^2 / n, randn(n, 1)];
%! Z = givsmooth (Y, 0.01);
%! for k = 1:4
%!   assert (isequal (bits (Z(:,k)), bits (givsmooth (Y(:,k), 0.01))));
%! endfor
%! assert (isequal (givsmooth (y', 0.01), Z(:,1)'));
%! x = round (10 * y(1:50));
%! z = givsmooth (x, 0.5);
%! for v = {int16(x), single(x), sparse(x), x > 0}
%!   assert (isequal (givsmooth (v{1}, 0.5), givsmooth (double (full (v{1})), 0.5)));
%! endfor

## past a part boundary of the kernels' runs (65536 columns), the same:
## the recipe's bits, and the one-sided point a prefix's
%!test
%! n = 2^17 + 5; y = sin ((1:n)' / 1000) + cos ((1:n)' .^ 2); bits = @(a) typecast (a(:), "uint64");
%! [Qbar, R] = givfact (n, 1e-4);
%! c = givfwd (Qbar, [y; zeros(n-2, 1)]);
%! c(1:n-2) = 0;
%! r = givinv (Qbar, c);
%! assert (isequal (bits (givsmooth (y, 1e-4)), bits (r(1:n))));
%! z1 = givsmooth (y, 1e-4, "OneSided", true);
%! zt = givsmooth (y(1:65540), 1e-4);
%! assert (isequal (bits (z1(65540)), bits (zt(end))));

## sigma, Lambda and Period name the same smoothing; Inf, 0 and NaN
%!test
%! y = [2; 7; 1; 8; 2; 8; 1; 8; 2; 8];
%! assert (isequal (givsmooth (y, "Lambda", 400), givsmooth (y, 1/sqrt (400))));
%! assert (isequal (givsmooth (y, "lambda", 400), givsmooth (y, [], "LAMBDA", 400)));
%! p = 12; lambda = (2 * sin (pi / p))^-4;
%! assert (givsmooth (y, "Period", p), givsmooth (y, "Lambda", lambda), 1e-14);
%! assert (givsmooth (y, Inf), y);
%! assert (givsmooth (y, "Lambda", 0), y);
%! t = (1:10)';
%! assert (givsmooth (y, 0), [t ones(10,1)] * ([t ones(10,1)] \ y), 1e-12);
%! assert (givsmooth (y, "Period", Inf), givsmooth (y, 0));
%! assert (all (isnan (givsmooth (y, NaN))));
%! assert (size (givsmooth (zeros (5, 0), 1)), [5 0]);
%! assert (isequal (givsmooth (y, "Lambda", 9, "Lambda", 400), givsmooth (y, "Lambda", 400)));   # the last
%! assert (isequal (givsmooth (y, 1, "OneSided", 1, "Robust", 0), givsmooth (y, 1, "OneSided", true)));

## no more points with weight than Order: z = y there, and across the gaps
## the polynomial of degree Order-1 through them; no residual, so the
## criteria and the standard errors NaN; edf Order
%!test
%! for d = 3:4
%!   [z, i] = givsmooth ((1:d)'.^2 + [zeros(d, 1), ones(d, 1)], "Lambda", 1, "Order", d);
%!   assert (z, (1:d)'.^2 + [zeros(d, 1), ones(d, 1)]);
%!   assert (i.edf, [d d]);
%!   assert (all (isnan ([i.gcv i.loocv i.reml i.stderr(:)'])));
%! endfor
%! y = NaN (30, 1); y([3 25]) = [1 2];
%! [z, i] = givsmooth (y, "Lambda", 5);
%! assert (z, 1 + ((1:30)' - 3) / 22, 1e-10);
%! assert ([i.leverage([3 25]); sum(i.leverage)], [1; 1; 2]);
%! assert (isnan ([i.gcv i.stderr(3)]));

## one-sided: z(t) is the last point of the smooth of y(1:t), bit for bit,
## at every order, at uneven times and at the largest lambdas; its leverage
## is that point's in its own prefix's hat matrix
%!test
%! randn ("state", 2); rand ("state", 2);
%! n = 400; y = cumsum (randn (n, 1)); sigma = 0.05; bits = @(a) typecast (a(:), "uint64");
%! ts = cumsum (0.5 + rand (n, 1));
%! for c = {{2, sigma, []}, {3, sigma, []}, {4, 1e-3, []}, {2, 1e-9, []}, {3, sigma, ts}, {4, 1, ts}}
%!   [d, s, x] = c{1}{:};
%!   at = @(t) {"Order", d, "SamplePoints", x(1:min (t, numel (x)))};
%!   if (isempty (x)) at = @(t) {"Order", d}; endif
%!   [z1, info] = givsmooth (y, s, at(n){:}, "OneSided", true);
%!   assert (z1(1:d), y(1:d));
%!   for t = [d+1 d+2 50 161 400]
%!     zt = givsmooth (y(1:t), s, at(t){:});
%!     assert (isequal (bits (z1(t)), bits (zt(t))));
%!     if (s < 1e-6) continue; endif      # beyond what inv can take
%!     if (isempty (x)) D = differences (1:t, d); else D = differences (x(1:t), d); endif
%!     H = inv (eye (t) + full (D'*D) / s^2);
%!     assert (info.leverage(t), H(t,t), 1e-11 + 1e-9 * (s < 0.01));   # inv's own error
%!   endfor
%! endfor
%! [z1, info] = givsmooth (y, sigma, "OneSided", true);
%! [~, two] = givsmooth (y, sigma);
%! assert ([info.edf info.gcv info.loocv], [two.edf two.gcv two.loocv]);
%! s = sqrt (norm (y - givsmooth (y, sigma))^2 / (n - two.edf));
%! assert (info.stderr, s * sqrt (info.leverage), 1e-13);
%! assert (isequal (givsmooth (y, sigma, "OneSided", false), givsmooth (y, sigma)));

## the info against its definitions, on a dense hat matrix
%!test
%! randn ("state", 3);
%! n = 300; y = sin ((1:n)' / 20) + 0.2 * randn (n, 1);
%! for sigma = [3 0.1 1e-3]
%!   [z, info] = givsmooth (y, sigma);
%!   [~, D] = stacked (n, sigma);
%!   H = inv (eye (n) + full (D'*D) / sigma^2);
%!   h = diag (H);
%!   assert (info.leverage, h, 8 * eps * (1 + 16 / sigma^2));     # inv's own error

%!   assert (info.edf, trace (H), 1e-10 * n);
%!   assert ([info.sigma info.lambda], [sigma 1/sigma^2]);
%!   r = y - z;
%!   assert (info.gcv, n * norm (r)^2 / (n - info.edf)^2, 1e-12 * info.gcv);
%!   assert (info.loocv, mean ((r ./ (1 - h)).^2), 1e-10 * info.loocv);
%!   assert (info.stderr, sqrt (norm (r)^2 / (n - info.edf)) * sqrt (info.leverage), -1e-13);
%! endfor

## the choice: no worse than the criterion a little to either side, per
## column, GCV or leave-one-out, or the end of the range, where a straight
## line is best; a series with Inf gets NaN
%!test
%! randn ("state", 4);
%! n = 500; t = (1:n)';
%! Y = [sin(t/40) + 0.2*randn(n,1), cumsum(randn(n,1)), 0.01*t + randn(n,1)];
%! [Z, info] = givsmooth (Y);
%! for k = 1:3
%!   [z, one] = givsmooth (Y(:,k));
%!   assert (isequal (z, Z(:,k)) && one.sigma == info.sigma(k));
%!   if (k == 3)                            # a line and noise: the line, all but
%!     assert (info.edf(k) < 2.01);
%!     continue;
%!   endif
%!   for f = [1.05 1/1.05 2 1/2]
%!     [~, near] = givsmooth (Y(:,k), info.sigma(k) * f);
%!     assert (info.gcv(k) <= near.gcv * (1 + 1e-9));
%!   endfor
%! endfor
%! [~, lo] = givsmooth (Y(:,1), [], "Criterion", "LOOCV");
%! [~, near] = givsmooth (Y(:,1), lo.sigma * 1.05);
%! assert (lo.loocv <= near.loocv * (1 + 1e-9));
%! Y(7,2) = Inf;
%! [Z, info] = givsmooth (Y);
%! assert (isnan (info.sigma(2)) && all (isnan (Z(:,2))) && ! any (isnan (Z(:,1))));
%! assert (info.rangeEnd(3) == 1 && info.edf(3) <= 2.01 + 1e-9);      # the line: the range's upper end
%! [z, i] = givsmooth (sin ((1:n)' / 60));      # no noise: all but interpolation, the lower end
%! assert (i.rangeEnd == -1 && i.edf >= n - 0.01);
%! ## columns that cannot be smoothed: NaN, said once for all such columns;
%! ## the others as if alone
%! Y = [NaN(n, 1), Y(:,1), [1; NaN(n - 1, 1)], Y(:,3)];
%! lastwarn ("");
%! [Z, info] = givsmooth (Y);
%! [msg, id] = lastwarn ();
%! assert (id, "givqr:givsmooth:unobserved");
%! assert (! isempty (strfind (msg, "columns 1 and 3 ")));
%! assert (all (isnan ([Z(:,[1 3])(:); info.edf([1 3])'; info.leverage(:,3)])));
%! assert (isequal (Z(:,[2 4]), [givsmooth(Y(:,2)), givsmooth(Y(:,4))]));

## weights: the solution of (W + D'*D/sigma^2)*z = W*y; NaN the same bits as
## weight 0; weights of 1 the unweighted bits, two-sided, chosen, one-sided;
## a weight matrix column by column, and one column for all
%!test
%! randn ("state", 5); rand ("state", 5);
%! n = 300; y = sin ((1:n)' / 20) + 0.3 * randn (n, 1); bits = @(a) typecast (a(:), "uint64");
%! [~, D] = stacked (n, 1);
%! w = 0.1 + 9.9 * rand (n, 1); w([1 40:54 n]) = 0; w(100) = 1e-30;
%! yn = y; yn(w == 0) = NaN;
%! for sigma = [3 0.1 1e-3]
%!   z = givsmooth (y, sigma, "Weights", w);
%!   assert (z, (diag (w) + full (D'*D) / sigma^2) \ (w .* y), 1e-12 / sigma^2);
%!   assert (isequal (bits (z), bits (givsmooth (yn, sigma, "Weights", w + (w == 0)))));
%! endfor
%! one = ones (n, 1);
%! for a = {{0.1}, {}, {0.1, "OneSided", true}}
%!   [z1, i1] = givsmooth (y, a{1}{:});
%!   [z2, i2] = givsmooth (y, a{1}{:}, "Weights", one);
%!   assert (isequal (bits (z1), bits (z2)) && isequaln (i1, i2));
%! endfor
%! W = [w, one, 1 + (1:n)' / n];
%! Y = [y, y.^2, -y];
%! Z = givsmooth (Y, 0.1, "Weights", W);
%! for k = 1:3
%!   assert (isequal (Z(:,k), givsmooth (Y(:,k), 0.1, "Weights", W(:,k))));
%! endfor
%! assert (isequal (givsmooth (Y, 0.1, "Weights", W(:,3)), givsmooth (Y, 0.1, "Weights", W(:,[3 3 3]))));
%! assert (isequal (givsmooth (y', 0.1, "Weights", w'), givsmooth (y, 0.1, "Weights", w)'));

## the info with weights and gaps against a dense solve, at orders 2 and 3
## and at uneven times: a missing point's leverage is 0 and its standard
## error that of z there; edf, GCV and leave-one-out over the points with
## weight; one-sided, the prefix's last point, NaN until two points are seen
%!test
%! randn ("state", 6); rand ("state", 6);
%! n = 200; y = cos ((1:n)' / 15) + 0.2 * randn (n, 1);
%! w = 0.5 + rand (n, 1); y([3:4 60:74 n]) = NaN; w(90) = 0;
%! o = ! isnan (y) & w > 0; w0 = w .* o; y0 = y; y0(! o) = 0;
%! sigma = 0.05;
%! x = cumsum (0.5 + rand (n, 1));
%! for c = {{2, 1:n}, {3, 1:n}, {2, x}}
%!   [d, t] = c{1}{:};
%!   a = {"Order", d};
%!   if (! isequal (t, 1:n)) a(end+1:end+2) = {"SamplePoints", t}; endif
%!   D = differences (t, d);
%!   [z, info] = givsmooth (y, sigma, "Weights", w, a{:});
%!   M = inv (diag (w0) + full (D'*D) / sigma^2);
%!   h = w0 .* diag (M); r = y0 - z; no = sum (o);
%!   s2 = sum (w0 .* r.^2) / (no - sum (h));
%!   assert (info.leverage, h, 1e-11);                  # inv's own error at d = 3
%!   assert (all (info.leverage(! o) == 0));
%!   assert (info.stderr, sqrt (s2 * diag (M)), 1e-11);
%!   assert (info.edf, sum (h), 1e-10);
%!   assert (info.gcv, no * sum (w0 .* r.^2) / (no - info.edf)^2, 1e-12 * info.gcv);
%!   assert (info.loocv, sum (w0(o) .* (r(o) ./ (1 - h(o))).^2) / no, 1e-10 * info.loocv);
%! endfor
%! [z1, i1] = givsmooth ([NaN; NaN; 5; y(4:end)], sigma, "Weights", w, "OneSided", true);
%! assert (isnan (z1(1:2)) && isnan (z1(4)) && z1(3) == 5 && i1.leverage(3) == 1);
%! for t = [5 6 75 90 150 n]
%!   wt = w0(1:t); wt(1:3) = [0 0 w(3)]; yt = [0; 0; 5; y0(4:t)];
%!   [~, Dt] = stacked (t, 1);
%!   zt = (diag (wt) + full (Dt'*Dt) / sigma^2) \ (wt .* yt);
%!   assert (z1(t), zt(t), 1e-10);
%! endfor
%! [zg, ig] = givsmooth (y);
%! assert (! any (isnan (zg)) && ig.edf > 2);

## robust: outliers end with weight 0 and the trend is that of the clean
## series; on top of the user's weights; the info says how
%!test
%! randn ("state", 7);
%! n = 400; t = (1:n)'; y = sin (t / 30) + 0.1 * randn (n, 1);
%! out = [30 31 200 333]; yo = y; yo(out) = yo(out) + [6; -5; 8; 7];
%! [z, info] = givsmooth (yo, 0.02, "Robust", true);
%! assert (all (info.weights(out) == 0) && mean (info.weights) > 0.85);
%! assert (info.iterations >= 2 && info.iterations <= 20);
%! assert (norm (z - givsmooth (y, 0.02), Inf) < 0.05);
%! assert (isequal (z, givsmooth (yo, 0.02, "Weights", info.weights)));
%! w = ones (n, 1); w(1:50) = 0;
%! [~, i2] = givsmooth (yo, 0.02, "Robust", true, "Weights", w);
%! assert (all (i2.weights(1:50) == 0) && all (i2.weights(out(3:4)) == 0));
%! [~, i3] = givsmooth ([yo, y], [], "Robust", true);
%! assert (isequal (size (i3.weights), [n 2]) && all (i3.iterations >= 1));
%! [~, i4] = givsmooth (y, 0.02, "Robust", false);
%! assert (! isfield (i4, "weights"));

## any order d and sample times t: z solves (W + lambda*D'*D)*z = W*y with D
## the d-th divided differences, the leverages and edf those of its hat
## matrix, gaps filled as that system says; t = 1:n gives the bits of no t;
## t in other units, with lambda in those units, the same z, given or chosen
%!test
%! randn ("state", 8); rand ("state", 8);
%! n = 150; bits = @(a) typecast (a(:), "uint64");
%! tu = cumsum ([0; 0.01 + 0.99 * rand(n - 1, 1)]);             # spacings over two decades
%! y = sin (tu / 8) + 0.1 * randn (n, 1);
%! w = 0.5 + rand (n, 1); w([1:3 40:52 90 n]) = 0;
%! for d = 1:4
%!   for t = {(1:n)', tu}
%!     D = differences (t{1}, d);
%!     lambda = 0.3; sigma = 1 / sqrt (lambda);
%!     [z, info] = givsmooth (y, sigma, "Order", d, "SamplePoints", t{1}, "Weights", w);
%!     M = diag (w) + lambda * full (D'*D);
%!     assert (z, M \ (w .* y), 1e-9 * cond (M));
%!     assert (info.leverage, w .* diag (inv (M)), 1e-9 * cond (M));
%!     assert (info.edf, sum (w .* diag (inv (M))), 1e-9 * cond (M));
%!   endfor
%!   assert (isequal (bits (givsmooth (y, 0.1, "Order", d, "SamplePoints", 1:n)), bits (givsmooth (y, 0.1, "Order", d))));
%!   [z1, i1] = givsmooth (y, [], "Order", d, "SamplePoints", tu);
%!   [z2, i2] = givsmooth (y, [], "Order", d, "SamplePoints", 1024 * tu);        # exactly: a power of 2
%!   assert (isequal (bits (z2), bits (z1)) && i2.lambda == i1.lambda * 1024^(2*d));
%!   [z2, i2] = givsmooth (y, [], "Order", d, "SamplePoints", 1000 * tu);        # to the flat minimum's rounding
%!   assert (z2, z1, 1e-8);
%!   assert (i2.lambda / i1.lambda, 1000^(2*d), 1e-6 * 1000^(2*d));
%!   assert (givsmooth (y, "Lambda", 3 * 1000^(2*d), "Order", d, "SamplePoints", 1000 * tu), ...
%!           givsmooth (y, "Lambda", 3, "Order", d, "SamplePoints", tu), 1e-10);
%! endfor

## points at one time: merged, their weights summed and y their weighted
## mean, one z for all of them; each point's leverage its share of its
## time's, in proportion to its weight
%!test
%! randn ("state", 13); rand ("state", 13);
%! n = 60; t = sort (round (40 * rand (n, 1))); y = sin (t / 7) + 0.1 * randn (n, 1); w = 0.5 + rand (n, 1);
%! [tm, ~, k] = unique (t);
%! wm = accumarray (k, w); ym = accumarray (k, w .* y) ./ wm;
%! for d = 1:3
%!   [zm, im] = givsmooth (ym, "Lambda", 2, "Order", d, "SamplePoints", tm, "Weights", wm);
%!   [z, i] = givsmooth (y, "Lambda", 2, "Order", d, "SamplePoints", t, "Weights", w);
%!   assert (z, zm(k), 1e-13);
%!   assert (i.leverage, im.leverage(k) .* w ./ wm(k), 1e-13);
%!   assert ([i.edf i.gcv i.reml], [im.edf im.gcv im.reml], 1e-12 * abs ([im.edf im.gcv im.reml]));
%! endfor
%! try                                   # times that fall: the first such named
%!   givsmooth (y(1:10), 1, "SamplePoints", [1:5 4:8]);
%! catch e
%!   assert (e.message, "givsmooth: SamplePoints must be finite and non-decreasing: t(6) is not.");
%! end_try_catch

## gaps at equal spacing: across one inside, z is the polynomial of degree
## 2d-1 through the d points either side (its 2d-th difference vanishes on
## them), and before the first points with weight the one of degree d-1;
## the one-sided z, any order, the last point of each prefix's smooth
%!test
%! randn ("state", 9);
%! n = 120; y = cumsum (randn (n, 1)); y([1:6 50:70]) = NaN;
%! for d = 1:4
%!   z = givsmooth (y, 0.05, "Order", d);
%!   assert (norm (diff (z(50-d:70+d), 2*d), Inf) < 1e-9 * norm (z, Inf));
%!   assert (norm (diff (z(1:6+d), d), Inf) < 1e-9 * norm (z, Inf));
%!   z1 = givsmooth (y, 0.05, "Order", d, "OneSided", true);
%!   for t = [20 60 75 n]
%!     zt = givsmooth (y(1:t), 0.05, "Order", d);
%!     assert (z1(t), zt(t), 1e-9 * norm (zt, Inf));
%!   endfor
%! endfor

## 'Period' for every order: the filter halves a cycle of that period, in
## samples, or in t's units with SamplePoints (their mean spacing)
%!test
%! n = 4000; p = 50;
%! for d = 1:4
%!   z = givsmooth (sin (2 * pi * (1:n)' / p), "Period", p, "Order", d);
%!   assert (max (abs (z(1000:3000))), 0.5, 1e-3);
%!   zt = givsmooth (sin (2 * pi * (1:n)' / p), "Period", 0.25 * p, "Order", d, "SamplePoints", 0.25 * (1:n));
%!   assert (zt, z, 1e-12);
%! endfor

## the restricted likelihood, info.reml, against its definition on dense
## matrices: (n_o - d)*log(rss_pen/(n_o - d)) + log det(W + lambda*D'*D) -
## (n - d)*log(lambda) - sum(log(w)) over the points with weight, rss_pen =
## sum(w.*(y - z).^2) + lambda*|D*z|^2; any order, weights, gaps, times
%!test
%! randn ("state", 10); rand ("state", 10);
%! n = 120; tu = cumsum ([0; 0.1 + rand(n - 1, 1)]);
%! y = sin (tu / 6) + 0.2 * randn (n, 1);
%! w = 0.5 + rand (n, 1); w([1 30:40 n]) = 0;
%! o = w > 0; no = sum (o);
%! for d = 1:4
%!   for t = {(1:n)', tu}
%!     D = full (differences (t{1}, d));
%!     for lambda = [1e-2 1 1e2]
%!       [z, info] = givsmooth (y, "Lambda", lambda, "Order", d, "SamplePoints", t{1}, "Weights", w);
%!       M = diag (w) + lambda * (D' * D);
%!       pen = sum (w .* (y - z).^2) + lambda * norm (D * z)^2;
%!       want = (no - d) * log (pen / (no - d)) + 2 * sum (log (diag (chol (M)))) - (n - d) * log (lambda) - sum (log (w(o)));
%!       assert (info.reml, want, 1e-9 * abs (want) + 1e-9);
%!     endfor
%!   endfor
%! endfor

## lambda for a target edf: reached to a relative 1e-8, any order and times,
## with weights, gaps and robust fits; where rounding or the range keeps it
## from being reached, the nearest, with a warning
%!test
%! randn ("state", 11); rand ("state", 11);
%! n = 800; tu = cumsum (0.2 + rand (n, 1));
%! y = sin (tu / 20) + 0.3 * randn (n, 1); y(100:140) = NaN;
%! w = 0.5 + rand (n, 1);
%! for d = 1:4
%!   for t = {(1:n)', tu}
%!     for k = [d + 0.5, 12, 100, 700]
%!       [z, info] = givsmooth (y, [], "EDF", k, "Order", d, "SamplePoints", t{1}, "Weights", w);
%!       assert (abs (info.edf - k) <= 1e-8 * k);
%!     endfor
%!   endfor
%! endfor
%! [z, info] = givsmooth (y, [], "EDF", 30, "Robust", true);
%! assert (abs (info.edf - 30) <= 1e-8 * 30);
%! no = sum (! isnan (y));
%! for a = {{"EDF", no - 0.01}, {"EDF", 2.01}, {"EDF", 30, "Criterion", "reml"}}   # the range's ends, reached
%!   [z, info] = givsmooth (y, [], a{1}{:});
%!   assert (abs (info.edf - a{1}{2}) <= 1e-8 * a{1}{2});
%! endfor
%! lastwarn ("");                            # beyond the range: its end, and the warning says so
%! [z, info] = givsmooth (y(1:20), [], "EDF", 20 - 1e-12, "Order", 1);
%! [msg, id] = lastwarn ();
%! assert (id, "givqr:givsmooth:edfNotReached");
%! assert (! isempty (strfind (msg, "beyond the range")));
%! assert (info.edf > 19.99 && info.rangeEnd == -1);

## weights in any units: w*c chooses lambda*c and the same z, for every
## criterion and for an edf
%!test
%! randn ("state", 12); rand ("state", 12);
%! n = 300; y = cumsum (randn (n, 1)); w = 0.2 + 4.8 * rand (n, 1);
%! for a = {{"Criterion", "gcv"}, {"Criterion", "loocv"}, {"Criterion", "reml"}, {"EDF", 25}}
%!   [z, info] = givsmooth (y, [], a{1}{:}, "Weights", w);
%!   for c = [1e-6 1e6]
%!     [zc, ic] = givsmooth (y, [], a{1}{:}, "Weights", c * w);
%!     assert (zc, z, 1e-8 * norm (y, Inf));
%!     assert (ic.lambda / info.lambda, c, 1e-5 * c);
%!   endfor
%!   ## weights, times and y in units a double barely holds: the same z, and
%!   ## where those units are powers of 2 (of 4 for the weights) its bits
%!   for u = {{2^-1000, 2^900, 2^-600}, {2^1000, 2^-1000, 2^500}, {1e-300, 1e250, 1e-150}}
%!     [wu, tu, yu] = u{1}{:};
%!     [zt, it] = givsmooth (yu * y, [], a{1}{:}, "Weights", wu * w, "SamplePoints", tu * (1:n));
%!     if (all (log2 ([wu tu yu]) == round (log2 ([wu tu yu]))))
%!       assert (isequal (zt, yu * z) && isequal (it.edf, info.edf));
%!     else
%!       assert (zt / yu, z, 1e-8 * norm (y, Inf));
%!     endif
%!   endfor
%! endfor

## criteria with two local minima or more: GCV's least, near interpolation
## (seed 2), or one of three minima within 0.04% of each other (seed 19),
## is what the choice finds, as a dense scan of the whole range does; the
## restricted likelihood picks the smooth a person would.  The series: a
## sine of 12 radians over [0, 1], 1000 points, noise of sd 0.3, weights
## uniform in [0.2, 5].
%!test
%! n = 1000; x = linspace (0, 1, n)';
%! for seed = [2 19]
%!   randn ("state", seed); rand ("state", seed);
%!   y = sin (12 * x) + 0.3 * randn (n, 1);
%!   w = 0.2 + 4.8 * rand (n, 1);
%!   [~, info] = givsmooth (y, [], "Weights", w);
%!   L = 10 .^ linspace (-3, 15, 361) * mean (w);
%!   G = arrayfun (@(l) nthargout (2, @givsmooth, y, "Lambda", l, "Weights", w).gcv, L);
%!   loc = find (G(2:end-1) < G(1:end-2) & G(2:end-1) < G(3:end)) + 1;
%!   assert (numel (loc) >= 2);               # two local minima, or the test is void
%!   assert (info.gcv <= min (G) * (1 + 1e-9));
%!   [~, ir] = givsmooth (y, [], "Weights", w, "Criterion", "reml");
%!   assert (ir.edf > 10 && ir.edf < 40);
%! endfor
%! assert (info.edf < 20);                     # seed 19: the farthest of its minima
%! randn ("state", 2); rand ("state", 2);
%! y = sin (12 * x) + 0.3 * randn (n, 1); w = 0.2 + 4.8 * rand (n, 1);
%! [~, info] = givsmooth (y, [], "Weights", w);
%! assert (info.edf > n / 2);                  # seed 2: all but interpolation

## the README's recipe: a panel smoothed over worker processes (octave-parallel;
## through an anonymous function, since a handle to a compiled function
## makes Debian's Octave 7.3 crash at exit after parcellfun); not under
## AddressSanitizer, which finds octave-parallel 4.0.1 using freed memory at exit
%!testif ; ! under_asan ()
%! pkg load parallel
%! Y = randn (2000, 12);
%! workers = 2;
%! blocks = mat2cell (Y, rows (Y), diff (round (linspace (0, columns (Y), workers + 1))));
%! Z = cell2mat (parcellfun (workers, @(b) givsmooth (b), blocks, "UniformOutput", false, "VerboseLevel", 0));
%! assert (isequal (Z, givsmooth (Y)));
