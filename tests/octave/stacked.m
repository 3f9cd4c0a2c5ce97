## A = stacked (n, sigma): the (2n-2)-by-(n-2) matrix [D'; sigma*I], D the
## second difference matrix, built with Octave's own sparse routines.
function [A, D] = stacked (n, sigma)
  m = n - 2;
  D = spdiags (repmat ([1 -2 1], m, 1), 0:2, m, n);
  A = [D'; sigma * speye(m)];
endfunction
