/* givinv: y = Q*x, undoing the rotations of Qbar from the last to the first */
#include "apply.h"

namespace givqr {

/* Step i (i = m-1 down to 0) rotates y(i) with y(i+2), y(i+1) and y(n+i),
 * each rotation replaced by its inverse (c, -s).  y(i) and y(n+i) are still
 * x(i) and x(n+i) then, and y(i+2) and y(n+i) are final after it; so y(i+1)
 * and y(i+2) ride in registers from step to step.  -s flips the sign bit: a
 * sine of 0.0 becomes -0.0. */
void givinv(idx n, const double *Qbar, const double *x, double *y)
{
    const idx m = order(n);
    const double *c0 = Qbar, *s0 = Qbar + m, *c1 = Qbar + 2 * m;
    const double *s1 = Qbar + 3 * m, *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;
    double p = x[m], q = x[m + 1];              /* y(i+1), y(i+2) */
    for (idx i = m - 1; i >= 0; i--) {
        double a = x[i], w = x[n + i];
        rot(&a, &q, c2[i], -s2[i]);             /* stencil: rows (i, i+2) */
        rot(&a, &p, c1[i], -s1[i]);             /* carry:   rows (i, i+1) */
        rot(&a, &w, c0[i], -s0[i]);             /* weight:  rows (i, n+i) */
        y[i + 2] = q;
        y[n + i] = w;
        q = p;
        p = a;
    }
    y[1] = q;
    y[0] = p;
}

} // namespace givqr
