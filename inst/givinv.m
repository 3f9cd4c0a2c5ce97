%GIVINV  Apply Q from the rotation table of GIVFACT to a vector.
%   y = GIVINV (Qbar, x) computes y = Q*x, where Q is the orthogonal factor
%   of A = [D'; sigma*I] as returned by [Qbar, R] = GIVFACT (n, sigma).  It
%   undoes the rotations of Qbar from the last to the first, each with its
%   sine negated, in time linear in n.  GIVINV (Qbar, GIVFWD (Qbar, x)) is x
%   up to rounding.
%
%   Inputs
%     Qbar    an (n-2)-by-6 real, full double matrix, n >= 3, as for GIVFWD.
%     x       a (2n-2)-by-1 real, full double column.
%
%   Output
%     y       the (2n-2)-by-1 double column Q*x.  x is not changed.
%
%   Errors
%     givinv requires two input arguments.
%     givinv requires one output argument.
%     Qbar must be a (n-2)-by-6 matrix, with n >= 3.
%     Qbar must be a real, full double matrix.
%     x must be a vector of size 2*n - 2, with n >= 3.
%     x must be a real, full double vector.
%
%   Example
%     [Qbar, R] = givfact (100, 0.5);
%     x = randn (198, 1);
%     norm (givinv (Qbar, givfwd (Qbar, x)) - x)     % about eps
%
%   See also GIVFACT, GIVFWD.

function y = givinv (Qbar, x)
  error ("givinv: the compiled command is missing: build it (make, or pkg install givqr) so that givinv.mex lies beside this file.");
end

%!test
%! [Qbar, R] = givfact (300, 0.5);
%! x = randn (598, 1);
%! assert (givinv (Qbar, givfwd (Qbar, x)), x, 1e-13);
%!error <givinv requires one output argument\.$> [a, b] = givinv (ones (1, 6), (1:4)')
