/* table.h: the rotations of a factorization as the smoother keeps them */
#ifndef GIVQR_TABLE_H
#define GIVQR_TABLE_H

#include "layout.h"

namespace givqr {

/*
 * The 3m rotations of Q, row i holding those of column i, (c0, s0, c1, s1,
 * c2, s2) as in Qbar, but kept only as far as they do not repeat: rows
 * 0..s-1 in T (row i at T + 6i), then, up to row m-3, each row repeats the
 * row p before it (cycle.h), and the last two rows, m-2 and m-1, in last.
 * Where the rows never repeat, s = m and T holds them all (p = 0).
 */
struct table {
    idx m;
    idx s;
    idx p;
    double *T;
    double last[2][6];
};

/* Row i of the table. */
inline const double *row(const table &t, idx i)
{
    if (i < t.s) return t.T + 6 * i;
    if (i >= t.m - 2) return t.last[i - (t.m - 2)];
    return t.T + 6 * (t.s - t.p + (i - t.s) % t.p);
}

} // namespace givqr

#endif
