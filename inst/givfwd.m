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
%   Example: smoothing a noisy series y of length n with a second
%   difference penalty, min |z - y|^2 + |D*z|^2 / sigma^2 (lambda =
%   1/sigma^2; a smaller sigma smooths more)
%     [Qbar, R] = givfact (n, sigma);
%     c = givfwd (Qbar, [y; zeros(n-2, 1)]);
%     c(1:n-2) = 0;                  % drop the part A reaches
%     r = givinv (Qbar, c);          % the residual [z; -sigma*w]
%     z = r(1:n);                    % the smooth series
%   GIVSMOOTH (y, sigma) does the same; HELP GIVFACT has more.
%
%   See also givfact, givinv, givsmooth.

function y = givfwd (Qbar, x)
  not_built ('givfwd');
end

%!test
%! n = 40; sigma = 2;
%! [Qbar, R] = givfact (n, sigma);
%! x = [1; -2; 1; zeros(n-3, 1); sigma; zeros(n-3, 1)];   % A(:,1)
%! assert (givfwd (Qbar, x), [full(R(:,1)); zeros(n, 1)], 1e-14);
%!error <x must be a vector of size 2\*n - 2, with n .= 3\.$> y = givfwd (ones (1, 6), 1:4)
