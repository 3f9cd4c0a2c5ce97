## D = differences (t, d): the (n-d)-by-n matrix of d-th divided differences
## of the times t, scaled so that t = 1:n gives the d-th difference, built
## with Octave's own sparse routines: D_0 = I, D_k = diag(k./(t(k+1:n) -
## t(1:n-k)))*diff(D_(k-1)).
function D = differences (t, d)
  t = t(:); n = numel (t);
  D = speye (n);
  for k = 1:d
    D = spdiags (k ./ (t(k+1:n) - t(1:n-k)), 0, n - k, n - k) * diff (D);
  endfor
endfunction
