/* table_forward: Q' on [x; 0] in place, from the rotations a table keeps */
#include "smooth.h"
#include "replay_step.h"

namespace givqr {

namespace {

template <bool onesided>
void forward(idx n, const table &t, const double *y, double *x, double *h, idx i0, idx i1, double carry[2])
{
    const idx m = order(n);
    double a = i0 == 0 ? y[0] : carry[0];
    double b = i0 == 0 ? y[1] : carry[1];
    idx i = i0;
    for (; i < i1 && i < t.s; i++) replay_step<onesided>(i, t.T + 6 * i, y, x, h, a, b);
    if (i < i1) i = cycle_replay<onesided>(t, i, i1 < m - 2 ? i1 : m - 2, y, x, h, a, b);
    for (; i < i1; i++) replay_step<onesided>(i, row(t, i), y, x, h, a, b);
    if (i1 == m) {                  /* c(m), c(m+1); or y(0), y(1) */
        x[0] = onesided ? y[0] : a;
        x[1] = onesided ? y[1] : b;
    }
    carry[0] = a;
    carry[1] = b;
}

} // namespace

void table_forward(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                   double carry[2])
{
    if (onesided) forward<true>(n, t, y, x, h, i0, i1, carry);
    else forward<false>(n, t, y, x, h, i0, i1, carry);
}

} // namespace givqr
