/* givfwd: y = Q'*x, replaying the rotations of Qbar forwards */
#include "apply.h"

namespace givqr {

/* Step i rotates y(i) with y(n+i), y(i+1) and y(i+2), in that order.  y(n+i)
 * and y(i+2) are still x(n+i) and x(i+2) then, and y(n+i) and y(i) are final
 * after it; so y(i) and y(i+1) ride in registers from step to step and each
 * other entry is read from x once and stored once. */
void givfwd(idx n, const double *Qbar, const double *x, double *y)
{
    const idx m = order(n);
    const double *c0 = Qbar, *s0 = Qbar + m, *c1 = Qbar + 2 * m;
    const double *s1 = Qbar + 3 * m, *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;
    double a = x[0], b = x[1];                  /* y(i), y(i+1) */
    for (idx i = 0; i < m; i++) {
        double w = x[n + i], c = x[i + 2];
        rot(&a, &w, c0[i], s0[i]);              /* weight:  rows (i, n+i) */
        rot(&a, &b, c1[i], s1[i]);              /* carry:   rows (i, i+1) */
        rot(&a, &c, c2[i], s2[i]);              /* stencil: rows (i, i+2) */
        y[n + i] = w;
        y[i] = a;
        a = b;
        b = c;
    }
    y[m] = a;
    y[m + 1] = b;
}

} // namespace givqr
