%GIVFACT  Givens QR factorization of [D'; sigma*I], D the second difference matrix, for smoothing and least squares.
%   [Qbar, R] = GIVFACT (n, sigma) factors the (2n-2)-by-(n-2) matrix
%
%       A = [D'; sigma*I],
%
%   where D is the (n-2)-by-n second difference matrix, whose row j holds
%   1, -2, 1 in columns j, j+1, j+2, and I is the identity of order n-2.
%   It computes Q'*A = [R; 0] with Q orthogonal, in time and memory linear
%   in n, without forming A or Q.
%
%   Smoothing a series y of n points (Whittaker smoothing, the
%   Hodrick-Prescott filter) is a least squares problem with this A, and
%   GIVSMOOTH (y, sigma) solves it from these factors; HELP GIVSMOOTH shows
%   how.  lambda = 1/sigma^2 in the usual notation: a smaller sigma smooths
%   more.
%
%   Least squares: for any b of length 2n-2, w minimizes |A*w - b|:
%
%     [Qbar, R] = givfact (n, sigma);
%     c = givfwd (Qbar, b);                    % Q'*b
%     w = R \ c(1:n-2);
%
%   Inputs
%     n       a real scalar, at least 3; any numeric or logical class.  A
%             non-integer n is truncated toward zero (4.7 is used as 4).
%     sigma   a real scalar; any numeric or logical class.
%
%   Outputs (both are required)
%     Qbar    the (n-2)-by-6 double table of the 3*(n-2) plane rotations
%             whose product is Q'.  Row i holds three (cosine, sine) pairs,
%             for column i of A, applied in this order:
%               Qbar(i,1:2)  the weight rotation,  on rows (i, n+i)
%               Qbar(i,3:4)  the carry rotation,   on rows (i, i+1)
%               Qbar(i,5:6)  the stencil rotation, on rows (i, i+2)
%             A pair (c, s) maps rows (p, q) of a vector y to
%             (c*y(p) - s*y(q), s*y(p) + c*y(q)), the rotation [c -s; s c];
%             the BLAS (drotg, drot) and LAPACK (dlartg) write the same
%             rotation with the opposite sign of s.  Pass Qbar to GIVFWD and
%             GIVINV to apply Q' or Q.
%     R       the (n-2)-by-(n-2) sparse upper triangular factor, nonzero only
%             on its diagonal and two superdiagonals, with 3n-9 stored
%             entries (1 when n = 3).  R'*R = D*D' + sigma^2*I.  Its diagonal
%             is not made positive.
%
%   Errors, with their identifiers
%     givfact requires two input arguments.   givqr:givfact:nargin
%     givfact requires two output arguments.  givqr:givfact:nargout
%     n must be a scalar greater or equal 3.   givqr:givfact:nScalar
%     n must be a real number.                 givqr:givfact:nReal
%       (complex, char, cell, struct, ...)
%     n is too large for this platform.        givqr:givfact:nTooLarge
%       (Inf, or beyond the address space)
%     sigma must be a scalar.                  givqr:givfact:sigmaScalar
%     sigma must be a real number.             givqr:givfact:sigmaReal
%     out of memory: Qbar and R need N bytes.  givqr:givfact:outOfMemory
%       (Octave's oct-file; MEX files report the host's own error)
%     (this help file, run in place of the compiled command)  givqr:givfact:notBuilt
%   A long call can be interrupted with Ctrl-C (the oct-files in Octave).
%
%   Accuracy: the normal equations (D*D' + sigma^2*I) w = D*y square the
%   condition number, which grows like n^4/sigma^2.  Smoothing 10^5 noisy
%   points with sigma = 1e-8, these commands are within 4e-11 of the exact
%   series; chol or backslash on the normal equations, or on the Whittaker
%   form (I + D'*D/sigma^2) z = y, are off by 70% or more (make accuracy,
%   docs/accuracy.md in the sources).
%
%   See also givsmooth, givfwd, givinv, qr, chol, spdiags.

function [Qbar, R] = givfact (n, sigma)
  not_built ('givfact');
end

%!test
%! n = 50; sigma = 0.3;
%! [Qbar, R] = givfact (n, sigma);
%! A1 = [1; -2; 1; zeros(n-3, 1); sigma; zeros(n-3, 1)];   % column 1 of A
%! assert (givfwd (Qbar, A1), [full(R(:,1)); zeros(n, 1)], 1e-14);
%!error id=givqr:givfact:nScalar [Q, R] = givfact (2, 1)
%!error id=givqr:givfact:nargout Q = givfact (5, 1)
