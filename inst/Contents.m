% givqr: QR factorization of [D'; sigma*I] by Givens rotations
%
%   givfact  - [Qbar, R] = givfact (n, sigma): Q'*[D'; sigma*I] = [R; 0]
%   givfwd   - y = givfwd (Qbar, x): y = Q'*x
%   givinv   - y = givinv (Qbar, x): y = Q*x
%
% D is the (n-2)-by-n second difference matrix.  Qbar is the (n-2)-by-6 table
% of the rotations whose product is Q'; R is sparse, upper triangular, with
% three nonzero diagonals.  All three run in time and memory linear in n.
