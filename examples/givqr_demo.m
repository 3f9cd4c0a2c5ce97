## givqr_demo.m: factor A = [D'; sigma*I] and check R'*R = D*D' + sigma^2*I

n = 100;
sigma = 0.1;
[Qbar, R] = givfact (n, sigma);

m = n - 2;
D = spdiags (repmat ([1 -2 1], m, 1), 0:2, m, n);
err = max (max (abs (R'*R - (D*D' + sigma^2 * speye (m)))));
printf ("[Qbar, R] = givfact (%d, %g): Qbar is %d-by-%d, R is %d-by-%d sparse with %d entries\n",
        n, sigma, rows (Qbar), columns (Qbar), rows (R), columns (R), nnz (R));
printf ("largest entry of |R'*R - (D*D' + sigma^2*I)|: %.3g\n", full (err));

x = randn (2*n - 2, 1);
y = givfwd (Qbar, x);
printf ("givinv (Qbar, givfwd (Qbar, x)) differs from x by at most %.3g\n",
        max (abs (givinv (Qbar, y) - x)));
