%GIVINV  Apply Q of the Givens QR factorization from GIVFACT (second difference smoothing, least squares).
%   y = GIVINV (Qbar, x) computes y = Q*x, where Q is the orthogonal factor
%   of A = [D'; sigma*I] (D the second difference matrix) as returned by
%   [Qbar, R] = GIVFACT (n, sigma).  It undoes the rotations of Qbar from
%   the last to the first, each with its sine negated, in time linear in n.
%   GIVINV (Qbar, GIVFWD (Qbar, x)) is x up to rounding.
%
%   Inputs
%     Qbar    an (n-2)-by-6 real, full double matrix, n >= 3, as for GIVFWD.
%     x       a (2n-2)-by-1 real, full double column.
%
%   Output
%     y       the (2n-2)-by-1 double column Q*x.  x is not changed.
%
%   Errors, with their identifiers
%     givinv requires two input arguments.             givqr:givinv:nargin
%     givinv requires one output argument.             givqr:givinv:nargout
%     Qbar must be a (n-2)-by-6 matrix, with n >= 3.   givqr:givinv:QbarSize
%     Qbar must be a real, full double matrix.         givqr:givinv:QbarClass
%     x must be a vector of size 2*n - 2, with n >= 3. givqr:givinv:xSize
%     x must be a real, full double vector.            givqr:givinv:xClass
%     out of memory: y needs N bytes.                  givqr:givinv:outOfMemory
%     (this help file, run in place of the compiled command)  givqr:givinv:notBuilt
%
%   Example: A = Q*[R; 0], column by column (see HELP GIVFACT); GIVSMOOTH
%   smooths a series with these commands (HELP GIVSMOOTH shows how).
%     [Qbar, R] = givfact (n, sigma);
%     a1 = givinv (Qbar, [full(R(:,1)); zeros(n, 1)]);   % column 1 of A
%
%   See also givfact, givfwd, givsmooth.

function y = givinv (Qbar, x)
  not_built ('givinv');
end

%!test
%! [Qbar, R] = givfact (300, 0.5);
%! x = randn (598, 1);
%! assert (givinv (Qbar, givfwd (Qbar, x)), x, 1e-13);
%!error id=givqr:givinv:nargout [a, b] = givinv (ones (1, 6), (1:4)')
