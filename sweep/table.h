/* table.h: the rotations of a factorization as the smoother keeps them */
#ifndef GIVQR_TABLE_H
#define GIVQR_TABLE_H

#include "types.h"

namespace givqr {

/*
 * The (d+1)*m rotations of Q for order d (d+2 for a bidiagonal lower block),
 * row i holding those of column i, (c0, s0, ..., cd, sd) in the order
 * QR_step makes them (weight, carries, stencil), but kept only as far as they do not repeat: rows 0..s-1 in T
 * (row i at T + (2d+2)*i), then, up to row m-d-1, each row repeats the row
 * p before it (cycle.h), and the last d rows, m-d..m-1, in last.  Where the
 * rows never repeat, s = m and T holds them all (p = 0).  R(i,i) of the
 * rows kept: of rows 0..s-1 in R, of the last d in lastR.
 */
struct table {
    int d;
    int w;          /* numbers a row: 2d+2, or 2d+4 for a bidiagonal lower block (step.h) */
    idx m;
    idx s;
    idx p;
    double *T;
    double *R;
    double last[d_max][2 * d_max + 2];
    double lastR[d_max];
};

/* R(i,i) of the factorization the table keeps. */
inline double diagonal(const table &t, idx i)
{
    if (i < t.s) return t.R[i];
    if (i >= t.m - t.d) return t.lastR[i - (t.m - t.d)];
    return t.R[t.s - t.p + (i - t.s) % t.p];
}

/* Row i of the table. */
inline const double *row(const table &t, idx i)
{
    const idx w = t.w;
    if (i < t.s) return t.T + w * i;
    if (i >= t.m - t.d) return t.last[i - (t.m - t.d)];
    return t.T + w * (t.s - t.p + (i - t.s) % t.p);
}

} // namespace givqr

#endif
