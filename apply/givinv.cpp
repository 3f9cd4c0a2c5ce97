/* givinv: y = Q*x, undoing the rotations of Qbar from the last to the first */
#include "apply.h"

namespace givqr {

void givinv(idx n, const double *Qbar, const double *x, double *y)
{
    const idx m = order(n), len = length(n);
    const double *c0 = Qbar, *s0 = Qbar + m, *c1 = Qbar + 2 * m;
    const double *s1 = Qbar + 3 * m, *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;
    for (idx k = 0; k < len; k++) y[k] = x[k];
    /* -s flips the sign bit: a sine of 0.0 becomes -0.0 */
    for (idx i = m - 1; i >= 0; i--) {
        rot(&y[i], &y[i + 2], c2[i], -s2[i]);   /* stencil: rows (i, i+2) */
        rot(&y[i], &y[i + 1], c1[i], -s1[i]);   /* carry:   rows (i, i+1) */
        rot(&y[i], &y[n + i], c0[i], -s0[i]);   /* weight:  rows (i, n+i) */
    }
}

} // namespace givqr
