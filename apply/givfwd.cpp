/* givfwd: y = Q'*x, replaying the rotations of Qbar forwards */
#include "rotations.h"
#include "replay.h"

namespace givqr {

/* Step i rotates y(i) with y(n+i), y(i+1) and y(i+2), in that order.  y(n+i)
 * and y(i+2) are still x(n+i) and x(i+2) then, and y(n+i) and y(i) are final
 * after it; so y(i) and y(i+1) ride in registers from step to step (and in
 * carry between parts) and each other entry is read from x once and stored
 * once. */
void givfwd_part(idx n, const double *Qbar, const double *x, double *y, idx k0, idx k1, double carry[2])
{
    const idx m = order(n);
    const double *c0 = Qbar, *s0 = Qbar + m, *c1 = Qbar + 2 * m;
    const double *s1 = Qbar + 3 * m, *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;
    double a = k0 == 0 ? x[0] : carry[0];       /* y(i) */
    double b = k0 == 0 ? x[1] : carry[1];       /* y(i+1) */
    for (idx i = k0; i < k1; i++) {
        double w = x[n + i], c = x[i + 2];
        rot(&a, &w, c0[i], s0[i]);              /* weight:  rows (i, n+i) */
        rot(&a, &b, c1[i], s1[i]);              /* carry:   rows (i, i+1) */
        rot(&a, &c, c2[i], s2[i]);              /* stencil: rows (i, i+2) */
        y[n + i] = w;
        y[i] = a;
        a = b;
        b = c;
    }
    if (k1 == m) {
        y[m] = a;
        y[m + 1] = b;
    }
    carry[0] = a;
    carry[1] = b;
}

void givfwd(idx n, const double *Qbar, const double *x, double *y)
{
    double carry[2];
    givfwd_part(n, Qbar, x, y, 0, order(n), carry);
}

} // namespace givqr
