/* givinv: y = Q*x, undoing the rotations of Qbar from the last to the first */
#include "rotations.h"
#include "replay.h"

namespace givqr {

/* Step k undoes column i = m-1-k: it rotates y(i) with y(i+2), y(i+1) and
 * y(n+i), each rotation replaced by its inverse (c, -s).  y(i) and y(n+i) are
 * still x(i) and x(n+i) then, and y(i+2) and y(n+i) are final after it; so
 * y(i+1) and y(i+2) ride in registers from step to step (and in carry between
 * parts).  -s flips the sign bit: a sine of 0.0 becomes -0.0. */
void givinv_part(idx n, const double *Qbar, const double *x, double *y, idx k0, idx k1, double carry[2])
{
    const idx m = order(n);
    const double *c0 = Qbar, *s0 = Qbar + m, *c1 = Qbar + 2 * m;
    const double *s1 = Qbar + 3 * m, *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;
    double p = k0 == 0 ? x[m] : carry[0];       /* y(i+1) */
    double q = k0 == 0 ? x[m + 1] : carry[1];   /* y(i+2) */
    for (idx i = m - 1 - k0; i >= m - k1; i--) {
        double a = x[i], w = x[n + i];
        rot(&a, &q, c2[i], -s2[i]);             /* stencil: rows (i, i+2) */
        rot(&a, &p, c1[i], -s1[i]);             /* carry:   rows (i, i+1) */
        rot(&a, &w, c0[i], -s0[i]);             /* weight:  rows (i, n+i) */
        y[i + 2] = q;
        y[n + i] = w;
        q = p;
        p = a;
    }
    if (k1 == m) {
        y[1] = q;
        y[0] = p;
    }
    carry[0] = p;
    carry[1] = q;
}

void givinv(idx n, const double *Qbar, const double *x, double *y)
{
    double carry[2];
    givinv_part(n, Qbar, x, y, 0, order(n), carry);
}

} // namespace givqr
