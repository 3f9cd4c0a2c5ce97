function z = givsmooth (y, sigma)
%GIVSMOOTH  Second difference smoothing of series (Whittaker, Hodrick-Prescott) by Givens QR.
%   z = GIVSMOOTH (y, sigma) smooths the series y: z minimizes
%
%       |z - y|^2 + |D*z|^2 / sigma^2,
%
%   D the second difference matrix.  In the usual notation of Whittaker
%   smoothing and the Hodrick-Prescott filter, lambda = 1/sigma^2: a smaller
%   sigma smooths more, a larger sigma less (sigma = 1600^(-1/2) = 0.025 is
%   the Hodrick-Prescott choice for quarterly data).  In time and memory
%   linear in the length of y, as accurately as the problem allows
%   (docs/accuracy.md in the sources).
%
%   How: z is the residual of the least squares problem min |A*w - [y; 0]|
%   with A = [D'; sigma*I], which the factors of GIVFACT give directly:
%
%     [Qbar, R] = givfact (n, sigma);
%     c = givfwd (Qbar, [y; zeros(n-2, 1)]);   % Q'*[y; 0]
%     c(1:n-2) = 0;                            % drop the part A reaches
%     r = givinv (Qbar, c);                    % the residual [z; -sigma*w]
%     z = r(1:n);
%
%   (z = y - D'*(R \ c(1:n-2)), with c before the zeroing, is the same z in
%   exact arithmetic but loses digits at large n and small sigma.)
%
%   Inputs
%     y       a vector of n >= 3 points, or an n-by-k matrix of k series in
%             its columns (one factorization serves them all); any real
%             numeric or logical class, computed in double.  A row vector
%             comes back as a row.  NaN or Inf in a series spreads through it.
%     sigma   a real scalar.  sigma and -sigma give the same z.
%             sigma = Inf returns y (no penalty); sigma = 0 returns the
%             least squares straight line through each series (the limit as
%             sigma goes to 0); sigma = NaN gives NaN.
%
%   Output
%     z       double, the size of y.
%
%   Errors
%     givsmooth requires two input arguments.          givqr:givsmooth:nargin
%     y must be a real numeric vector or matrix.       givqr:givsmooth:yClass
%     y must have at least 3 points.                   givqr:givsmooth:ySize
%     sigma must be a real scalar.                     givqr:givsmooth:sigma
%
%   Example
%     t = linspace (0, 1, 1000)';
%     y = sin (2*pi*t) + 0.2 * randn (1000, 1);
%     z = givsmooth (y, 0.001);          % lambda = 1e6
%     plot (t, y, '.', t, z, '-')
%
%   See also givfact, givfwd, givinv.

  if nargin ~= 2
    error ('givqr:givsmooth:nargin', 'givsmooth requires two input arguments.');
  end
  if ~(isnumeric (y) || islogical (y)) || ~isreal (y) || ndims (y) > 2
    error ('givqr:givsmooth:yClass', 'givsmooth: y must be a real numeric vector or matrix.');
  end
  if ~(isnumeric (sigma) || islogical (sigma)) || ~isreal (sigma) || numel (sigma) ~= 1
    error ('givqr:givsmooth:sigma', 'givsmooth: sigma must be a real scalar.');
  end
  row = size (y, 1) == 1;
  if row
    y = y.';
  end
  n = size (y, 1);
  if n < 3
    error ('givqr:givsmooth:ySize', 'givsmooth: y must have at least 3 points.');
  end
  y = full (double (y));
  sigma = double (full (sigma));

  if isinf (sigma)
    z = y;
  else
    [Qbar, R] = givfact (n, sigma);
    k = size (y, 2);
    if k == 1
      z = smooth (Qbar, y, n);          % no copy of the series nor of z
    else
      z = zeros (n, k);
      for j = 1:k
        z(:,j) = smooth (Qbar, y(:,j), n);
      end
    end
  end
  if row
    z = z.';
  end
end

% Q'*[y; 0] = [c1; c2]; the residual [z; -sigma*w] of min |A*w - [y; 0]| is
% Q*[0; c2], whose first n entries are z.
function z = smooth (Qbar, y, n)
  c = givfwd (Qbar, [y; zeros(n-2, 1)]);
  c(1:n-2) = 0;
  r = givinv (Qbar, c);
  z = r(1:n);
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
%! % a matrix of series: each column as if alone, one factorization
%! Y = randn (300, 4);
%! Z = givsmooth (Y, 0.05);
%! for k = 1:4
%!   assert (Z(:,k), givsmooth (Y(:,k), 0.05));
%! end

%!test
%! % a row comes back as a row; other classes are read by value
%! y = [3 1 4 1 5 9 2 6 5 3];
%! z = givsmooth (y, 0.5);
%! assert (size (z), size (y));
%! assert (z, givsmooth (y', 0.5)');
%! assert (givsmooth (int16 (y), single (0.5)), z);

%!test
%! % sigma: Inf returns y, 0 the straight line, -sigma as sigma, NaN gives NaN
%! y = [2; 7; 1; 8; 2; 8; 1; 8];
%! assert (givsmooth (y, Inf), y);
%! t = (1:8)';
%! assert (givsmooth (y, 0), [t ones(8,1)] * ([t ones(8,1)] \ y), 1e-12);
%! assert (givsmooth (y, -0.3), givsmooth (y, 0.3), 1e-15);
%! assert (all (isnan (givsmooth (y, NaN))));
%! assert (size (givsmooth (zeros (5, 0), 1)), [5 0]);

%!error id=givqr:givsmooth:nargin givsmooth (1:5)
%!error id=givqr:givsmooth:yClass givsmooth ({1, 2, 3}, 1)
%!error id=givqr:givsmooth:yClass givsmooth ([1 2 3] + 1i, 1)
%!error id=givqr:givsmooth:ySize givsmooth ([1; 2], 1)
%!error id=givqr:givsmooth:sigma givsmooth (1:5, [1 2])
%!error id=givqr:givsmooth:sigma givsmooth (1:5, 'a')
