%GIVSMOOTH  Whittaker smoothing (second difference, Hodrick-Prescott, any order, any sample times) with its own choice of smoothing, weights, gaps and outliers, by Givens QR.
%   z = GIVSMOOTH (y) smooths the series y, choosing how much for it by
%   generalized cross-validation:
%
%       z minimizes sum (w.*(z - y).^2) + lambda*|D*z|^2,
%
%   D the second difference matrix (or of order d, at sample times t: see
%   'Order' and 'SamplePoints'), in time and memory linear in the length of
%   y and as accurately as the problem allows (docs/accuracy.md in the
%   sources).  lambda = 1/sigma^2: a larger lambda, a smaller sigma, smooths
%   more.  The Hodrick-Prescott filter of quarterly data is lambda = 1600.
%   The weights w are 1 unless given; NaN in y marks a missing point
%   (weight 0), and z fills it from the points around it.
%
%   z = GIVSMOOTH (y, sigma) smooths with that sigma.  GIVSMOOTH (y, []) is
%   GIVSMOOTH (y).
%   [z, info] = GIVSMOOTH (...) also returns what the smoothing was.
%   GIVSMOOTH (..., name, value) takes these options (names in any case):
%     'Lambda', L      lambda given instead of sigma: sigma = L^(-1/2)
%     'Period', p      the lambda whose filter halves a cycle of period p,
%                      lambda = (2*sin(pi/p))^(-2d) for p in samples; with
%                      'SamplePoints', p is in t's units and lambda =
%                      (2*sin(pi*h/p)/h)^(-2d), h = (t(n) - t(1))/(n - 1)
%                      the mean spacing (exact where t is evenly spaced,
%                      about (p/(2*pi))^(2d) where p spans many spacings);
%                      p > 2 (with t, p > 2*h)
%     'Order', d       the order of the differences, 1, 2 (the default), 3
%                      or 4.  D*z vanishes on the polynomials of degree
%                      d-1, so a large lambda leaves the least squares
%                      polynomial of that degree (a constant, a line, ...),
%                      and a gap fills with a smoother curve as d grows.
%                      At orders 3 and 4, and at uneven times at any
%                      order, z, REML and the leverages (with them GCV,
%                      leave-one-out and 'EDF') come from a filter on the
%                      divided differences of z and its way back (not the
%                      rotations below), which keeps their digits at any
%                      lambda and where sample times nearly coincide: at
%                      d = 4, n = 1e5 and an edf of 15 (lambda 1.6e27) z
%                      within about 4e-13 of max |y| and edf within 1e-12;
%                      with spacings spread from 1e-8 to 1e3 at random,
%                      where rounding D alone would move z as much as z
%                      itself, z within 1e-4 and the leverages 1e-6
%                      (docs/accuracy.md, "The corners where the criteria
%                      go").  At equal spacing where lambda < 1 in units
%                      of the spacing (h near 1), the leverages stay the
%                      rotations', which keep 1 - h apart.  At order 2
%                      and equal spacing, z and REML come from the filter
%                      where lambda passes 1e16 in units of the spacing
%     'SamplePoints', t  the time of each point, finite and
%                      non-decreasing, in any units, one for each row of y
%                      (one t serves every series).  Points at one time are
%                      merged, as smoothing splines merge them: one point
%                      with their weights summed and y their weighted mean,
%                      whose z they all take (the objective differs from the
%                      merged one only by a constant); each point's leverage
%                      is its share of its time's, in proportion to its
%                      weight, and stderr and the criteria are the merged
%                      series'.  D is then the matrix of d-th divided
%                      differences of the distinct times:
%                        D_0 = I,  D_k = diag (k./(t(k+1:n) - t(1:n-k)))*diff (D_(k-1)),  D = D_d
%                      so that t = 1:n gives the plain differences (and
%                      their bits).  lambda is then in t's units to the
%                      power 2d: t in milliseconds rather than seconds
%                      wants lambda times 1000^(2d) for the same z; a
%                      chosen lambda follows t's units by itself
%     'Criterion', c   how sigma is chosen where it is not given: 'gcv'
%                      (the default), generalized cross-validation,
%                      minimizing n*|y - z|^2/(n - edf)^2; 'loocv', exact
%                      leave-one-out, minimizing mean(((y - z)./(1 - h)).^2),
%                      h the leverages (with weights, mean(w.*((y - z)./(1 -
%                      h)).^2) over the points with weight); or 'reml', the
%                      restricted marginal likelihood of the smooth as a
%                      mixed model (below)
%     'EDF', k         sigma chosen so that edf, the trace of the hat
%                      matrix, is k: the smooth spends k degrees of
%                      freedom, from d (the polynomial of degree d-1) to n_o
%                      (interpolation); Order < k < n_o, reached to a
%                      relative 1e-8 (where it lies beyond the range
%                      searched, edf from Order + 0.01 to n_o - 0.01, or
%                      rounding allows no closer, the nearest, with the
%                      warning givqr:givsmooth:edfNotReached, which says
%                      which)
%     'OneSided', tf   true (or 1): z(t) uses y(1:t) only (a trend a
%                      forecaster can use), z(1:d) = y(1:d); false (or 0, the
%                      default): all of y
%     'Weights', w     the weight of each point, finite and >= 0: n-by-1 (or
%                      1-by-n) for every series, or the size of y, one
%                      column for each.  Weight 0 leaves a point out, as NaN
%                      in y does
%     'Robust', tf     true (or 1): outliers are found and left out.  The smooth is
%                      refitted with Tukey's bisquare weights (1 - u.^2).^2,
%                      0 where |u| >= 1, u = e/(4.685*s), e = sqrt(w).*(y -
%                      z)./sqrt(1 - h) the studentized residuals and s =
%                      median(abs(e))/0.6745 (their median absolute deviation,
%                      about 0), on top of the weights given, until the
%                      weights move by less than 1e-3 in root mean square, or
%                      after 20 fits (sigma chosen afresh at each fit, where
%                      it is chosen); false (the default): not
%
%   Inputs
%     y       a vector of n >= 3 points, or an n-by-k matrix of k series in
%             its columns, each smoothed as if alone (with its own sigma
%             where it is chosen, and the same bits as alone); any real
%             numeric or logical class, read as double.  A row vector comes
%             back as a row.  NaN marks a missing point.  A series needs
%             Order points with weight (at distinct times), Order + 1 where
%             sigma is chosen: a single series with fewer is an error, a
%             column of a matrix comes out NaN, z and its info, with the
%             warning givqr:givsmooth:unobserved naming those columns.  With
%             exactly Order points, z = y there and the polynomial through
%             them elsewhere, edf = Order, and the criteria and stderr are
%             NaN (no residual is left).  Inf in a series spreads through it.
%     sigma   a real scalar.  sigma = Inf returns y (no penalty); sigma = 0
%             returns the least squares polynomial of degree Order-1 (a
%             straight line for the default Order 2) through each series;
%             sigma = NaN gives NaN; -sigma smooths as sigma, to rounding.
%
%   Outputs
%     z       double, the size of y.
%     info    a struct: sigma, lambda (1/sigma^2), edf (the trace of the hat
%             matrix H = (W + lambda*D'*D)^(-1)*W, the effective degrees of
%             freedom), gcv, loocv and reml (the criteria at sigma),
%             rangeEnd (where the choice lies in the range searched: -1 at
%             its lower end, all but interpolation, edf = n_o - 0.01; 1 at
%             its upper end, the polynomial, edf = Order + 0.01; 0 inside,
%             where the criterion's least was found; NaN where sigma was
%             given), each 1-by-k;
%             leverage (the diagonal of H) and stderr (s*sqrt(leverage./w),
%             s^2 = sum(w.*(y - z).^2)/(n_o - edf)), each the size of y, n_o
%             the points with weight.  At a missing point (weight 0, or
%             NaN) the leverage is 0, and stderr is that of z there,
%             s*sqrt(M(i,i)), M = (W + lambda*D'*D)^(-1): it grows across a
%             gap.  With 'OneSided', sigma and lambda are those used, edf,
%             gcv and loocv those of the two-sided smooth at that sigma,
%             and leverage and stderr those of each point as the last of
%             its own prefix: leverage(t) = H_t(t,t) for y(1:t), 1 at the
%             first d points with weight; z is NaN before the d-th where
%             it has none.  With 'Robust', true: also weights (the
%             weights of the last fit, the size of y: the given ones times
%             the bisquare's, 0 at NaN) and iterations (the fits made, 1-by-k).
%
%   Which criterion: GCV and leave-one-out estimate the error of predicting
%   new points, and do well where the noise is independent.  Where it is
%   correlated they take the correlation for signal and follow the noise
%   (on AR(1) noise of coefficient 0.6 they chose about 500 of 1000
%   degrees of freedom where REML chose about 120: docs/accuracy.md), and
%   GCV now and then all but interpolates, where its curve has a second,
%   lower minimum there.  REML, minimizing
%
%       reml = (n_o - d)*log(rss_pen/(n_o - d)) + log det(W + lambda*D'*D)
%              - (n - d)*log(lambda) - sum(log(w(w > 0))),
%
%   rss_pen = sum(w.*(y - z).^2) + lambda*|D*z|^2, -2 times the restricted
%   log-likelihood of y = z + e, e ~ N(0, s^2*W^-1), D*z ~ N(0, s^2/lambda*I)
%   with a flat prior on the polynomials D annihilates, s^2 profiled out,
%   up to a constant of t and d alone (points of weight 0 enter as their
%   limit, the determinant of W + lambda*D'*D with W zero there), varies
%   less from series to series, smooths white noise a little more than
%   GCV, and resists correlated noise: choose it where the noise may be
%   correlated, or where a steady choice matters.  'EDF' fixes how much the
%   smooth may bend, as R's smooth.spline (df = k) does: choose it where
%   you know the complexity you want, or to smooth many series alike.
%
%   How sigma is chosen: the criterion is evaluated exactly, in time linear
%   in n (REML from the factorization alone, without the leverages), over a
%   range of lambda that spans edf from n_o - 0.01 (all but interpolation)
%   down to Order + 0.01 (the polynomial), on a grid d/2 decades apart.  The
%   scan starts at 1e-3*16/r^2 (r the largest row sum of |D|; for d = 2, t
%   = 1:n and weights 1, 1e-3) and walks up towards 100*(n*h/pi)^(2d) (h
%   the mean spacing) until a bound (as lambda grows, rss grows, edf and
%   log det fall) shows that nothing beyond can beat the least so far;
%   where the least is where it starts, it walks down while the criterion
%   falls, to where n_o - edf <= 0.01 surely (lambda = 0.01/T, T the sum
%   over the points with weight of (D'*D)(i,i)/w(i)), and where it is at
%   the top, up while edf > Order + 0.01.  Each local least is then refined
%   by parabolas between its neighbours to 1e-3 in log10(lambda), and the
%   middles of the steps beside the least are looked at where the
%   criterion is flat there.  It never ends worse than the best point seen;
%   where the least lies at an end of the range, that end is taken, and
%   info.rangeEnd says so.  A criterion that is NaN (a series with Inf)
%   gives sigma = NaN.  With weights, GCV is n_o*sum(w.*(y - z).^2)/(n_o -
%   edf)^2 and leave-one-out runs over the points with weight.  For 'EDF' a
%   secant on log(edf - d) against log(lambda), from edf's own asymptote,
%   over the same range.  At n = 10^6 a choice costs about 18 (GCV and
%   leave-one-out), 13 (REML) and 11 (EDF) calls with sigma given
%   (docs/benchmarks.md).
%
%   Scales: before anything is summed, the weights are brought to a mean
%   in [1, 4) by a power of 4, the sample times to a mean spacing in [1, 2)
%   and y to a largest |y| in [1, 2) by powers of 2, each exactly, and the
%   results brought back: so nothing overflows or underflows for weights
%   from the least normal double to 1e300, spacings from 1e-300 to 1e300 or
%   any finite y, and y*2^k gives 2^k*z and the same sigma, t*2^k and w*4^k
%   the same z and their lambda, bit for bit (where nothing is subnormal);
%   other units give the same z to rounding.  Sample times so close that
%   D's entries overflow even so are an error (samplePointsScale).
%
%   How: z is the residual of the least squares problem min |A*w - [y; 0]|
%   with A = [D'; sigma*I], each column of which holds a row of D, d+1
%   stencil entries, and sigma; the rotations that eliminate them factor A.
%   For d = 2 at equal spacing these are the factors of GIVFACT:
%
%     [Qbar, R] = givfact (n, sigma);
%     c = givfwd (Qbar, [y; zeros(n-2, 1)]);   % Q'*[y; 0]
%     c(1:n-2) = 0;                            % drop the part A reaches
%     r = givinv (Qbar, c);                    % the residual [z; -sigma*w]
%     z = r(1:n);
%
%   GIVSMOOTH (y, sigma) gives those bits where lambda = 1/sigma^2 is at most
%   1e16 (in units of the spacing), fused into one pass each way and
%   without the table past the rows where it repeats itself; beyond, z comes
%   from the filter below.  (z = y -
%   D'*(R \ c(1:n-2)), with c before the zeroing, is the same z in exact
%   arithmetic but loses digits at large n and small sigma.)  The leverages
%   come from the rotations too: h(i) is the squared norm of the part of
%   Q'*[e(i); 0] beyond R (the filter's instead: w(i)/S(d,d)^2, S the
%   square root, triangular, of the information on the state at i from
%   all the points, carried back by rotations).  With weights, A = [diag(w.^(-1/2))*D'; sigma*I]
%   and b = sqrt(w).*y in place of y give sqrt(w).*z; a point of weight 0
%   takes a row scaled by 2^256 (its constraint, to rounding).  z at such
%   points, and at points of weight below 2^-16 of the greatest, is filled
%   from the others: across a gap, the z that makes |D*z| least, which at
%   equal spacing is the polynomial of degree 2d-1 through the d points on
%   either side (a cubic for d = 2), before the first or after the last
%   point with weight the polynomial of degree d-1 through the d points
%   beside it (a line), and at uneven times inside the series, where no
%   polynomial solves it, the rotations of D's rows over the gap; elsewhere
%   from the normal equations' own rows there.  All weights 1 give the
%   unweighted bits.  Weighted, or at uneven times, the rows seldom repeat:
%   a call costs the full factorization (docs/benchmarks.md).
%
%   At orders 3 and 4, whose penalty rows (1, -3, 3, -1 and 1, -4, 6, -4, 1)
%   nearly cancel on a smooth z at large lambda, at order 2 beyond lambda =
%   1e16 for the same reason (the sweep's z there is 4e-10 of max |y| off at
%   n = 10^6, the filter's 1e-12), and at uneven times, where
%   D's rows holding two near-coincident times are huge, z (and REML's
%   squares and log det) come instead from a
%   square-root information filter whose state at point i is z(i) and the
%   divided differences of z that end there: one rotation takes in the
%   penalty on the next difference, d-1 bring the filter back to triangular
%   and one takes in the point, then the way back gives each state from the
%   next.  D is never formed, the spacings enter as differences of t, and
%   a gap is a point not taken in.  Without weights at equal spacing its
%   rotations repeat as well, and only the right side is carried.  The
%   leverages (and GCV, leave-one-out and edf from them) are the filter's at
%   uneven times, and at orders 3 and 4 where lambda is above 1 in units of
%   the spacing; elsewhere the rotations'.  The one-sided smooth is the
%   filter's wherever z is: z(t) and its leverage are those the way back of
%   y(1:t) would start from, R\r's last and w(t)/R(d,d)^2 at point t, so
%   each is its prefix's two-sided value to the bit.
%
%   The series of a matrix are spread over the threads the process may run
%   on (MATLAB's maxNumCompThreads); each comes out as if alone.  With sigma
%   given and weights that vary (such as NaN in y), and no info asked for,
%   they also go through the sweep (or the filter, where it serves) several
%   at once, one in each lane of the processor's vectors (8 with AVX-512, 4
%   with AVX2, 2 with SSE2 or NEON);
%   where sigma is chosen (by a criterion or 'EDF'), the searches of that
%   many series run in lockstep, each value they need made in the lanes,
%   then their smooths and info; a single series runs the steps of its scan
%   so.  Robust fits run that many series in lockstep too, each
%   fit of those still reweighing made in the lanes at once.  Lanes change
%   no bits.  A long call can be interrupted with
%   Ctrl-C (the oct-file in Octave).
%
%   Errors, with their identifiers
%     needs at least one input argument, y.              givqr:givsmooth:nargin
%     gives one or two output arguments, z and info.     givqr:givsmooth:nargout
%     y must be a real numeric vector or matrix.         givqr:givsmooth:yClass
%     y must have at least 3 points.                     givqr:givsmooth:ySize
%     sigma must be a real scalar, or [] to choose it.   givqr:givsmooth:sigma
%     options are Criterion, Lambda, Period, EDF, Order, SamplePoints, OneSided, Weights and Robust.
%                                                        givqr:givsmooth:option
%     unknown option 'name': options are Criterion, Lambda, Period, EDF, Order, SamplePoints, OneSided, Weights and Robust.
%                                                        givqr:givsmooth:optionName
%     each option needs a value.                         givqr:givsmooth:optionValue
%     Criterion must be 'gcv', 'loocv' or 'reml'.        givqr:givsmooth:criterion
%     Lambda must be a real scalar, at least 0.          givqr:givsmooth:lambda
%     Period must be a real scalar greater than 2 (with SamplePoints, twice their mean spacing).
%                                                        givqr:givsmooth:period
%     Order must be an integer from 1 to 4.              givqr:givsmooth:order
%     SamplePoints must be a real vector with one time for each row of y.
%                                                        givqr:givsmooth:samplePoints
%     SamplePoints must be finite and non-decreasing: t(i) is not.
%                                                        givqr:givsmooth:samplePointsValue
%     SamplePoints lie too close together for Order: their divided differences overflow.
%                                                        givqr:givsmooth:samplePointsScale
%     OneSided must be true or false.                    givqr:givsmooth:oneSided
%     give one of sigma, Lambda, Period and EDF.         givqr:givsmooth:twice
%     EDF must be a real scalar greater than Order and less than the points with weight.
%                                                        givqr:givsmooth:edf
%     Weights must be real numbers.                      givqr:givsmooth:weightsClass
%     Weights must be n-by-1, or the size of y.          givqr:givsmooth:weightsSize
%     Weights must be finite and at least 0.             givqr:givsmooth:weightsValue
%     Robust must be true or false.                      givqr:givsmooth:robust
%     y needs Order points with weight at distinct times, not NaN (Order + 1 where sigma is chosen).
%                                                        givqr:givsmooth:observed
%     out of memory: its outputs need N bytes.           givqr:givsmooth:outOfMemory
%     (this help file, run in place of the compiled command)  givqr:givsmooth:notBuilt
%   An option given twice takes its last value; sigma, 'Lambda', 'Period'
%   and 'EDF' are one choice, and two of them clash (twice).
%
%   Warnings, with their identifiers
%     EDF k is not reached to a relative 1e-8 for series j: why; the nearest
%     edf is e.                                          givqr:givsmooth:edfNotReached
%     columns j of y cannot be smoothed: too few points with weight at
%     distinct times (Order, or Order + 1 where sigma is chosen); z and the
%     info are NaN there.                                givqr:givsmooth:unobserved
%
%   Example
%     t = linspace (0, 1, 1000)';
%     y = sin (2*pi*t) + 0.2 * randn (1000, 1);
%     [z, info] = givsmooth (y);               % sigma by GCV
%     z = givsmooth (y, [], 'Criterion', 'reml');    % by REML
%     z = givsmooth (y, [], 'EDF', 12);        % 12 degrees of freedom
%     plot (t, y, '.', t, z, '-', t, z + 2*info.stderr, ':', t, z - 2*info.stderr, ':')
%     trend = givsmooth (y, 'Lambda', 1600, 'OneSided', true);
%     y(300:340) = NaN;  y(700) = 5;           % a gap and an outlier
%     z = givsmooth (y, [], 'Robust', true);   % the gap filled, 5 left out
%
%   For values between and beyond the samples, or derivatives, smooth with
%   givspline, whose pp-form ppval evaluates anywhere.
%
%   See also givspline, givfact, givfwd, givinv.

function [z, info] = givsmooth (y, varargin)
  not_built ('givsmooth');
end

%!function r = residual (z, y, sigma)
%!  % (I + D'*D/sigma^2)*z - y, with D*z = diff (z, 2) and D'*v = conv (v, [1 -2 1])
%!  r = z + conv (diff (z, 2), [1 -2 1]) / sigma^2 - y;
%!endfunction

%!test
%! randn ('state', 3);
%! y = cumsum (randn (500, 1));
%! for sigma = [10 1 0.1 0.01]
%!   z = givsmooth (y, sigma);
%!   assert (norm (residual (z, y, sigma), Inf) < 1e-10 * norm (y, Inf) / sigma^2);
%! end

%!test
%! % a matrix of series: each column as if alone; a row comes back as a row
%! Y = randn (300, 4);
%! Z = givsmooth (Y, 0.05);
%! for k = 1:4
%!   assert (Z(:,k), givsmooth (Y(:,k), 0.05));
%! end
%! assert (givsmooth (Y(:,1)', 0.05), Z(:,1)');

%!test
%! % sigma chosen: edf between 2 and n, the criterion no worse nearby
%! randn ('state', 1);
%! y = sin ((1:400)' / 30) + 0.3 * randn (400, 1);
%! [z, info] = givsmooth (y);
%! assert (info.edf > 2 && info.edf < 400);
%! [~, up] = givsmooth (y, info.sigma * 1.2);
%! [~, down] = givsmooth (y, info.sigma / 1.2);
%! assert (info.gcv <= min (up.gcv, down.gcv));

%!error id=givqr:givsmooth:nargin givsmooth ()
%!error id=givqr:givsmooth:yClass givsmooth ({1, 2, 3}, 1)
%!error id=givqr:givsmooth:ySize givsmooth ([1; 2], 1)
%!error id=givqr:givsmooth:optionName givsmooth (1:5, 1, 'Smooth', 2)
