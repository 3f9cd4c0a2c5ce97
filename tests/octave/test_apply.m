## givfwd and givinv from Octave, as a user calls them

## Q'*A = [R; 0], column by column, and back
%!test
%! for n = [3 4 5 12 300]
%!   for sigma = [0 0.1 -2 50]
%!     [Qbar, R] = givfact (n, sigma);
%!     A = full (stacked (n, sigma));
%!     m = n - 2;
%!     tol = 16 * eps * sqrt (6 + sigma^2);
%!     for j = 1:m
%!       y = givfwd (Qbar, A(:,j));
%!       assert (y, [full(R(:,j)); zeros(m + 2, 1)], tol);
%!       assert (givinv (Qbar, y), A(:,j), tol);
%!     endfor
%!   endfor
%! endfor

## round trips; Q is orthogonal; the caller's arrays are left alone
%!test
%! n = 20000;
%! [Qbar, R] = givfact (n, 0.3);
%! x = randn (2*n - 2, 1);
%! x0 = x; Q0 = Qbar;
%! y = givfwd (Qbar, x);
%! assert (norm (y), norm (x), 64 * eps * norm (x));
%! assert (givinv (Qbar, y), x, 64 * eps * norm (x));
%! assert (givfwd (Qbar, givinv (Qbar, x)), x, 64 * eps * norm (x));
%! assert (isequal (x, x0) && isequal (Qbar, Q0));

## the two solve a least squares problem: min |A*z - b|
%!test
%! n = 200; sigma = 0.5;
%! b = randn (2*n - 2, 1);
%! [Qbar, R] = givfact (n, sigma);
%! c = givfwd (Qbar, b);
%! z = R \ c(1:n-2);
%! A = stacked (n, sigma);
%! assert (z, A \ b, 1e-10);

## n = 3: positions (0,3), (0,1), (0,2) in that order, then back
%!test
%! swaps = [0 1 0 1 0 1];
%! assert (givfwd (swaps, [1; 2; 3; 4]), [-3; -4; -2; 1]);
%! assert (givinv (swaps, [-3; -4; -2; 1]), [1; 2; 3; 4]);

## a table of (1, 0) pairs leaves x alone; other tables are used as they stand
%!test
%! x = randn (10, 1);
%! I = repmat ([1 0], 4, 3);
%! assert (givfwd (I, x), x);
%! assert (givinv (I, x), x);
%! T = 2 * ones (4, 6);
%! y = givfwd (T, x);
%! assert (y(7), 2*x(1) + 2*x(7));   # row n: only the first weight rotation
%! assert (norm (givinv (T, y) - x) > 1);

%!shared Q, x
%! Q = repmat ([1 0], 1, 3);
%! x = (1:4)';
%!error <givfwd requires two input arguments\.$> y = givfwd (Q)
%!error <givfwd requires two input arguments\.$> [a, b] = givfwd (Q)
%!error <givfwd requires two input arguments\.$> y = givfwd (Q, x, x)
%!error <givfwd requires one output argument\.$> [a, b] = givfwd (Q, x)
%!error <givfwd requires one output argument\.$> givfwd (Q, x)
%!error <givinv requires two input arguments\.$> y = givinv (Q)
%!error <givinv requires one output argument\.$> [a, b] = givinv (Q, x)
%!error <givinv requires one output argument\.$> givinv (Q, x)
%!error <Qbar must be a \(n-2\)-by-6 matrix, with n .= 3\.$> y = givfwd (zeros (0, 6), x)
%!error <Qbar must be a \(n-2\)-by-6 matrix, with n .= 3\.$> y = givinv (zeros (3, 5), x)
%!error <Qbar must be a real, full double matrix\.$> y = givfwd (single (Q), x)
%!error <Qbar must be a real, full double matrix\.$> y = givfwd (int32 (Q), x)
%!error <Qbar must be a real, full double matrix\.$> y = givinv (sparse (Q), x)
%!error <Qbar must be a real, full double matrix\.$> y = givinv (complex (Q), x)
%!error <Qbar must be a real, full double matrix\.$> y = givinv (num2cell (Q), x)
%!error <x must be a vector of size 2\*n - 2, with n .= 3\.$> y = givfwd (Q, (1:3)')
%!error <x must be a vector of size 2\*n - 2, with n .= 3\.$> y = givfwd (Q, 1:4)
%!error <x must be a vector of size 2\*n - 2, with n .= 3\.$> y = givinv (Q, [])
%!error <x must be a real, full double vector\.$> y = givfwd (Q, single (x))
%!error <x must be a real, full double vector\.$> y = givfwd (Q, x > 2)
%!error <x must be a real, full double vector\.$> y = givinv (Q, sparse (x))
%!error <x must be a real, full double vector\.$> y = givinv (Q, x + 1i)
%!error <x must be a real, full double vector\.$> y = givinv (Q, "abcd"')

## one identifier per condition
%!error id=givqr:givfwd:nargin y = givfwd (Q)
%!error id=givqr:givfwd:nargout [a, b] = givfwd (Q, x)
%!error id=givqr:givfwd:QbarSize y = givfwd (zeros (3, 5), x)
%!error id=givqr:givfwd:QbarClass y = givfwd (single (Q), x)
%!error id=givqr:givfwd:xSize y = givfwd (Q, 1:4)
%!error id=givqr:givfwd:xClass y = givfwd (Q, single (x))
%!error id=givqr:givinv:nargin y = givinv (Q)
%!error id=givqr:givinv:nargout [a, b] = givinv (Q, x)
%!error id=givqr:givinv:QbarSize y = givinv (zeros (0, 6), x)
%!error id=givqr:givinv:QbarClass y = givinv (sparse (Q), x)
%!error id=givqr:givinv:xSize y = givinv (Q, [])
%!error id=givqr:givinv:xClass y = givinv (Q, x > 2)

## the count messages name the command once
%!test
%! try
%!   [a, b] = givinv (Q, x);
%! catch e
%!   [~, ~, ext] = fileparts (which ("givinv"));
%!   assert (e.message, [ifelse(strcmp (ext, ".oct"), "", "givinv: ") "givinv requires one output argument."]);
%! end_try_catch
