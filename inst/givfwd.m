%GIVFWD  Apply Q' of the Givens QR factorization from GIVFACT (second difference smoothing, least squares).
%   y = GIVFWD (Qbar, x) computes y = Q'*x, where Q is the orthogonal factor
%   of A = [D'; sigma*I] (D the second difference matrix) as returned by
%   [Qbar, R] = GIVFACT (n, sigma).  It replays the 3*(n-2) rotations of
%   Qbar in the order GIVFACT made them, in time linear in n, without
%   forming Q.
%
%   Inputs
%     Qbar    an (n-2)-by-6 real, full double matrix, n >= 3: row i holds
%             the (cosine, sine) pairs of the weight, carry and stencil
%             rotations of column i, on rows (i, n+i), (i, i+1), (i, i+2).
%             The table is used as it stands: its pairs are not checked.
%     x       a (2n-2)-by-1 real, full double column.  Rows 1..n stand for
%             the rows of D' in A, rows n+1..2n-2 for the rows of sigma*I.
%
%   Output
%     y       the (2n-2)-by-1 double column Q'*x.  x is not changed.
%             With x = A(:,j), y is R(:,j) followed by zeros.
%
%   Errors, with their identifiers
%     givfwd requires two input arguments.             givqr:givfwd:nargin
%     givfwd requires one output argument.             givqr:givfwd:nargout
%     Qbar must be a (n-2)-by-6 matrix, with n >= 3.   givqr:givfwd:QbarSize
%     Qbar must be a real, full double matrix.         givqr:givfwd:QbarClass
%     x must be a vector of size 2*n - 2, with n >= 3. givqr:givfwd:xSize
%       (a row is refused)
%     x must be a real, full double vector.            givqr:givfwd:xClass
%     out of memory: y needs N bytes.                  givqr:givfwd:outOfMemory
%     (this help file, run in place of the compiled command)  givqr:givfwd:notBuilt
%
%   Example: the least squares solution w of min |A*w - b|
%     [Qbar, R] = givfact (n, sigma);
%     c = givfwd (Qbar, b);          % Q'*b, b of length 2n-2
%     w = R \ c(1:n-2);
%   GIVSMOOTH smooths a series with these commands; HELP GIVSMOOTH shows how.
%
%   See also givfact, givinv, givsmooth.

function y = givfwd (Qbar, x)
  not_built ('givfwd');
end

%!test
%! [Qbar, R] = givfact (40, 2);
%! x = randn (78, 1);
%! assert (norm (givfwd (Qbar, x)), norm (x), 1e-13);   % Q is orthogonal
%!error id=givqr:givfwd:xSize y = givfwd (ones (1, 6), 1:4)
