%GIVSPLINE  The cubic smoothing spline, as a function to evaluate anywhere, with its own choice of smoothing, weights, gaps and outliers, by Givens QR.
%   pp = GIVSPLINE (x, y) is the cubic smoothing spline f of the data
%   (x, y), choosing how much to smooth by generalized cross-validation:
%
%       f minimizes sum (w.*(y - f(x)).^2) + lambda*integral (f''(t)^2 dt),
%
%   over all functions with a square integrable second derivative, in time
%   and memory linear in the length of y and as accurately as the problem
%   allows (docs/accuracy.md in the sources).  f is the natural cubic
%   spline with a knot at each distinct x: a cubic between knots, f''
%   continuous, and a straight line beyond the first and the last knot.
%   pp is its piecewise polynomial form, mkpp's struct: ppval (pp, xx)
%   evaluates it, ppder (pp) (Octave) or fnder gives f', unmkpp its pieces.
%   A larger lambda smooths more: lambda = 0 interpolates, lambda = Inf
%   gives the least squares line.  The weights w are 1 unless given; NaN in
%   y marks a missing point (weight 0).  Unlike GIVSMOOTH at sample times,
%   the penalty does not depend on which x carry data: adding points of
%   weight 0 (or NaN) leaves f as it was.
%
%   pp = GIVSPLINE (x, y, lambda) smooths with that lambda; [] chooses it.
%   yy = GIVSPLINE (x, y, lambda, xx) gives f at xx instead of pp (lambda
%   may be [] here too): yy = ppval (pp, xx) between the first and the last
%   knot, and the spline's straight line beyond them.
%   [pp, info] = GIVSPLINE (...) also returns what the smoothing was.
%   GIVSPLINE (..., name, value) takes these options (names in any case),
%   each as GIVSMOOTH's:
%     'Lambda', L      lambda given by name: the same as the third argument
%     'Criterion', c   how lambda is chosen where it is not given: 'gcv'
%                      (the default), 'loocv' (exact leave-one-out) or
%                      'reml' (the restricted likelihood: below)
%     'EDF', k         lambda chosen so that edf, the trace of the hat
%                      matrix, is k, from 2 (the line) to n_o (the
%                      interpolant), 2 < k < n_o; R's smooth.spline (df = k)
%                      and csaps_sel do the same.  Reached to a relative
%                      1e-8, or the nearest with the warning
%                      givqr:givspline:edfNotReached
%     'Weights', w     the weight of each point, finite and >= 0: n-by-1 (or
%                      1-by-n) for every series, or the size of y
%     'Robust', tf     true (or 1): outliers are found and left out by
%                      Tukey's bisquare weights, refitted until they settle,
%                      as GIVSMOOTH's 'Robust'; false (the default): not
%   GIVSMOOTH's 'OneSided' has no counterpart: a spline is two-sided.
%
%   Inputs
%     x       the abscissae, real, finite and non-decreasing, n-by-1 or
%             1-by-n, in any units: lambda carries units of x cubed (x in
%             milliseconds rather than seconds wants lambda times 1e9 for
%             the same f; a chosen lambda follows x's units by itself).
%             Points at one x are merged as GIVSMOOTH merges them: one
%             point with their weights summed and y their weighted mean.
%     y       a vector of n >= 3 points, or an n-by-k matrix of k series over
%             one x in its columns, each with its own lambda where it is
%             chosen; pp is then vector-valued (pp.dim = k), as mkpp makes
%             it.  Any real numeric or logical class, read as double.  A
%             series needs 3 points with weight at distinct x: a single
%             series with fewer is an error, a column of a matrix gives NaN
%             (its pieces, its values and its info), with the warning
%             givqr:givspline:unobserved.
%     lambda  a real scalar >= 0, or [].
%     xx      any real numeric array of points, inside or beyond the knots.
%
%   Outputs
%     pp      a struct: form 'pp', breaks (the distinct x, a row), coefs
%             ((nt-1)*k-by-4, the row of piece p of series j at (p-1)*k + j,
%             in powers of xx - breaks(p), highest first), pieces (nt-1),
%             order (4) and dim (k).  Beyond the knots ppval extends the
%             first and the last piece's cubic, which bends away from the
%             spline's own straight line there (f'' is 0 at the end knots,
%             its slope not): for values beyond x(1) and x(end) take yy =
%             GIVSPLINE (x, y, lambda, xx), which gives the line.
%     yy      f at xx: the size of xx for one series; for k series,
%             k-by-numel(xx) where xx is a vector, else k-by-size(xx),
%             as ppval gives them.
%     info    a struct as GIVSMOOTH's: sigma (lambda^(-1/2)), lambda, edf,
%             gcv, loocv, reml, rangeEnd (each 1-by-k), and leverage and
%             stderr (the standard error of f(x): s*sqrt(leverage./w),
%             s^2 = sum(w.*(y - f(x)).^2)/(n_o - edf)), each the size of y;
%             with 'Robust', true, also weights and iterations.  At a
%             point of weight 0 the leverage is 0.
%
%   REML here is
%
%       reml = (n_o - 2)*log(rss_pen/(n_o - 2)) + log det(R + lambda*Q'*W^-1*Q)
%              - (n_o - 2)*log(lambda) - log det(R),
%
%   rss_pen = sum(w.*(y - f(x)).^2) + lambda*integral (f''^2), Q and R
%   Reinsch's (below): -2 times the restricted log-likelihood of y = f(x) +
%   e, e ~ N(0, s^2*W^-1), with the spline's penalty as the prior of f (an
%   integrated Wiener process) and a flat prior on the line, s^2 profiled
%   out, up to a constant of x alone.  Knots without weight enter as their
%   limit, which moves reml by a constant of x and of which knots they
%   are, never its choice of lambda.
%
%   How: with g = f(x), gamma = f'' at the knots and h = diff (x),
%   Reinsch's relations are Q'*g = R*gamma, Q (n-by-(n-2)) holding 1/h(j),
%   -(1/h(j) + 1/h(j+1)), 1/h(j+1) in column j and R tridiagonal, (h(j) +
%   h(j+1))/3 on its diagonal and h(j+1)/6 beside it.  With R = L*L' (R is
%   diagonally dominant, so L is exact to rounding) and sigma =
%   lambda^(-1/2), sqrt(w).*g is the residual of min |A*v - [sqrt(w).*y; 0]|
%   with A = [diag(w.^(-1/2))*Q; sigma*L']: GIVSMOOTH's matrix for Order 2,
%   with Q in place of D' and the bidiagonal sigma*L' in place of sigma*I,
%   factored by the same sweep of rotations, its leverages, criteria and
%   choice of lambda computed the same way.  At equal spacing and equal
%   weights the sweep's rows repeat, as GIVSMOOTH's do.  The pieces come
%   from g and from gamma, solved from Q'*g = R*gamma.  The squared system
%   that csaps and make_smoothing_spline solve loses digits as lambda
%   grows; this one does not (docs/accuracy.md).
%
%   Errors, with their identifiers
%     needs at least two input arguments, x and y.       givqr:givspline:nargin
%     gives one or two output arguments, pp (or yy) and info.
%                                                        givqr:givspline:nargout
%     x must be a real vector with one value for each row of y.
%                                                        givqr:givspline:x
%     x must be finite and non-decreasing: x(i) is not.  givqr:givspline:xValue
%     x lies too close together: the spline or its pieces' coefficients overflow.
%                                                        givqr:givspline:xScale
%     y must be a real numeric vector or matrix.         givqr:givspline:yClass
%     y must have at least 3 points.                     givqr:givspline:ySize
%     lambda must be a real scalar, at least 0 (or [] to choose it).
%                                                        givqr:givspline:lambda
%     xx must be a real numeric array.                   givqr:givspline:xx
%     options are Criterion, Lambda, EDF, Weights and Robust.
%                                                        givqr:givspline:option
%     unknown option 'name': options are Criterion, Lambda, EDF, Weights and Robust.
%                                                        givqr:givspline:optionName
%     each option needs a value.                         givqr:givspline:optionValue
%     Criterion must be 'gcv', 'loocv' or 'reml'.        givqr:givspline:criterion
%     give one of lambda, Lambda and EDF.                givqr:givspline:twice
%     EDF must be a real scalar greater than 2 and less than the points with weight.
%                                                        givqr:givspline:edf
%     Weights must be real numbers.                      givqr:givspline:weightsClass
%     Weights must be n-by-1, or the size of y.          givqr:givspline:weightsSize
%     Weights must be finite and at least 0.             givqr:givspline:weightsValue
%     Robust must be true or false.                      givqr:givspline:robust
%     y needs 3 points with weight at distinct x, not NaN.
%                                                        givqr:givspline:observed
%     out of memory: its outputs need N bytes.           givqr:givspline:outOfMemory
%     (this help file, run in place of the compiled command)  givqr:givspline:notBuilt
%
%   Warnings, with their identifiers
%     EDF k is not reached to a relative 1e-8 for series j: why; the nearest
%     edf is e.                                          givqr:givspline:edfNotReached
%     columns j of y cannot be smoothed: fewer than 3 points with weight at
%     distinct x; the spline and the info are NaN there.  givqr:givspline:unobserved
%
%   Example: a sensor log at uneven times, resampled to a regular grid
%     t = sort (rand (500, 1)) * 60;                 % minutes
%     y = sin (t / 8) + 0.1 * randn (500, 1);
%     pp = givspline (t, y);                         % lambda by GCV
%     tt = (0:0.5:60)';
%     yy = ppval (pp, tt);                           % or givspline (t, y, [], tt)
%     dy = ppval (ppder (pp), tt);                   % the rate, f'
%     plot (t, y, '.', tt, yy, '-', tt, 8 * dy, '--')
%     [pp, info] = givspline (t, y, [], 'EDF', 10);  % 10 degrees of freedom
%
%   See also givsmooth, ppval, mkpp, unmkpp.

function [pp, info] = givspline (x, y, varargin)
  not_built ('givspline');
end

%!test
%! % the spline solves Reinsch's system: (R + lambda*Q'*Q)*gamma = Q'*y, f(x) = y - lambda*Q*gamma
%! randn ('state', 4);
%! x = cumsum (0.1 + rand (40, 1));  y = sin (x) + 0.1 * randn (40, 1);
%! n = 40;  h = diff (x);  lambda = 0.7;
%! Q = zeros (n, n-2);  R = zeros (n-2);
%! for j = 1:n-2
%!   Q(j:j+2, j) = [1/h(j); -(1/h(j) + 1/h(j+1)); 1/h(j+1)];
%!   R(j, j) = (h(j) + h(j+1)) / 3;
%!   if (j < n-2)
%!     R(j, j+1) = h(j+1) / 6;  R(j+1, j) = h(j+1) / 6;
%!   end
%! end
%! gamma = (R + lambda * (Q' * Q)) \ (Q' * y);
%! g = y - lambda * Q * gamma;
%! pp = givspline (x, y, lambda);
%! assert (ppval (pp, x), g, 1e-12);
%! d2 = ppval (ppder (ppder (pp)), x(2:end-1));
%! assert (d2, gamma, 1e-9);
%! assert (givspline (x, y, lambda, x(1) - [1; 2]), g(1) - [1; 2] * ppval (ppder (pp), x(1)), 1e-12);

%!test
%! % points of weight 0 leave the spline as it was; a matrix is k series, pp vector-valued
%! randn ('state', 5);
%! x = (1:50)';  y = randn (50, 2);
%! pp = givspline (x, y, 3);
%! assert (pp.dim, 2);
%! yy = givspline (x, y, 3, [2.5 7.25]);
%! assert (size (yy), [2 2]);
%! assert (yy(1,:), ppval (givspline (x, y(:,1), 3), [2.5 7.25]), 1e-14);
%! assert (size (givspline (x, y(:,[]), 3, [2.5 7.25])), [0 2]);
%! y2 = y(:,1);  y2(10:20) = NaN;
%! keep = ~isnan (y2);
%! assert (givspline (x, y2, 3, 0:0.5:60), givspline (x(keep), y2(keep), 3, 0:0.5:60), 1e-10);

%!error id=givqr:givspline:nargin givspline (1:5)
%!error id=givqr:givspline:x givspline (1:4, 1:5)
%!error id=givqr:givspline:xValue givspline ([1 3 2 4], 1:4)
%!error id=givqr:givspline:optionName givspline (1:5, 1:5, [], 'Order', 2)
