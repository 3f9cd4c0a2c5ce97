% givqr: Givens QR of [D'; sigma*I] for second difference smoothing and least squares
%
%   givsmooth - z = givsmooth (y, sigma): the smoothed series (or columns)
%   givspline - pp = givspline (x, y): the cubic smoothing spline, as mkpp's pp
%   givfact   - [Qbar, R] = givfact (n, sigma): Q'*[D'; sigma*I] = [R; 0]
%   givfwd    - y = givfwd (Qbar, x): y = Q'*x
%   givinv    - y = givinv (Qbar, x): y = Q*x
%
% D is the (n-2)-by-n second difference matrix.  Qbar is the (n-2)-by-6 table
% of the rotations whose product is Q'; R is sparse, upper triangular, with
% three nonzero diagonals.  All run in time and memory linear in n.
%
% Smoothing a series y, min |z - y|^2 + |D*z|^2/sigma^2 (lambda = 1/sigma^2:
% a smaller sigma smooths more): z = givsmooth (y, sigma).
%
% Least squares, min |A*w - b|: c = givfwd (Qbar, b); w = R \ c(1:n-2).
