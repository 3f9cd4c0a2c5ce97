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

%!shared Q, x
%! Q = repmat ([1 0], 1, 3);
%! x = (1:4)';

## every failure, its identifier and its message
%!test
%! for cmd = {"givfwd", "givinv"}
%!   c = cmd{1};
%!   fails (["y = " c " (Q)"], ["givqr:" c ":nargin"]);
%!   fails (["[a, b] = " c " (Q)"], ["givqr:" c ":nargin"]);
%!   fails (["y = " c " (Q, x, x)"], ["givqr:" c ":nargin"]);
%!   fails (["[a, b] = " c " (Q, x)"], ["givqr:" c ":nargout"]);
%!   fails ([c " (Q, x)"], ["givqr:" c ":nargout"]);
%!   fails (["y = " c " (%s, x)"], ["givqr:" c ":QbarSize"], {"zeros (0, 6)", "zeros (3, 5)", "ones (6, 1)"});
%!   fails (["y = " c " (%s, x)"], ["givqr:" c ":QbarClass"], ...
%!          {"single (Q)", "int32 (Q)", "sparse (Q)", "complex (Q)", "num2cell (Q)"});
%!   fails (["y = " c " (Q, %s)"], ["givqr:" c ":xSize"], {"(1:3)'", "1:4", "[]"});
%!   fails (["y = " c " (Q, %s)"], ["givqr:" c ":xClass"], {"single (x)", "x > 2", "sparse (x)", "x + 1i", "char (x + 96)"});
%! endfor

## the count messages name the command once
%!test
%! try
%!   [a, b] = givinv (Q, x);
%! catch e
%!   [~, ~, ext] = fileparts (which ("givinv"));
%!   assert (numel (strfind (e.message, "givinv")), 1 + ! strcmp (ext, ".oct"));
%! end_try_catch
