/* replay_step: one column of Q' applied to [y; 0], in the smoother's place */
#ifndef GIVQR_REPLAY_STEP_H
#define GIVQR_REPLAY_STEP_H

#include "rotations.h"
#include "table.h"

namespace givqr {

/* givfwd's step i on [y; 0] with the rotations q of column i, carrying
 * y(i), y(i+1) in a, b.  Two-sided: c(n+i) to x(i+2).  One-sided: the last
 * point of the smooth of y(1:i+3) to x(i+2), as givinv's first step for that
 * prefix makes it, and where h is not null its leverage c2^2 to h(i+2). */
template <bool onesided>
inline void replay_step(idx i, const double q[6], const double *y, double *x, double *h, double &a, double &b)
{
    double w = 0.0, c = y[i + 2];
    rot(&a, &w, q[0], q[1]);        /* weight:  rows (i, n+i) */
    rot(&a, &b, q[2], q[3]);        /* carry:   rows (i, i+1) */
    rot(&a, &c, q[4], q[5]);        /* stencil: rows (i, i+2) */
    if (onesided) {
        x[i + 2] = -q[5] * 0.0 + q[4] * c;
        if (h) h[i + 2] = q[4] * q[4];
    } else {
        x[i + 2] = w;
    }
    a = b;
    b = c;
}

/* replay_step for columns i <= j < end of the cycle of t (t.s <= i, end <=
 * m-2), the rows of periods 1 and 2 held in registers; returns where it
 * stopped. */
template <bool onesided>
inline idx cycle_replay(const table &t, idx i, idx end, const double *y, double *x, double *h, double &a, double &b)
{
    if (i >= end) return i;
    if (t.p > 2) {
        for (; i < end; i++) replay_step<onesided>(i, row(t, i), y, x, h, a, b);
        return end;
    }
    double q[2][6];
    for (int k = 0; k < 6; k++) {
        q[0][k] = t.T[6 * (t.s - t.p) + k];
        q[1][k] = t.T[6 * (t.s - 1) + k];
    }
    if (t.p == 1) {
        for (; i < end; i++) replay_step<onesided>(i, q[1], y, x, h, a, b);
        return end;
    }
    if ((i - t.s) % 2 == 1) replay_step<onesided>(i, q[1], y, x, h, a, b), i++;
    for (; i + 1 < end; i += 2) {
        replay_step<onesided>(i, q[0], y, x, h, a, b);
        replay_step<onesided>(i + 1, q[1], y, x, h, a, b);
    }
    if (i < end) replay_step<onesided>(i, q[0], y, x, h, a, b);
    return end;
}

} // namespace givqr

#endif
