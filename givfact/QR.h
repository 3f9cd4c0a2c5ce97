/* QR.h: the structured QR factorization of A = [D'; sigma*I] */
#ifndef GIVQR_QR_H
#define GIVQR_QR_H

#include "rotations.h"

namespace givqr {

/*
 * R is m-by-m upper triangular with nonzeros on the diagonal and the first two
 * superdiagonals only, stored in compressed sparse columns:
 *
 *      column 0 holds row 0, column 1 rows 0..1, column j >= 2 rows j-2..j;
 *      jc = (0, 1, 3, 6, ..., 3j-3, ..., nzmax),  nzmax = 3m-3 (1 if m = 1);
 *      ir = (0, 0,1, 0,1,2, 1,2,3, ...).
 *
 * So R(k,k) is pr[3k-1] (pr[0] for k = 0), R(k,k+1) is pr[3k+1] and R(k,k+2)
 * is pr[3k+3].  The pattern depends on n alone; every slot is stored, also
 * where its value is exactly zero.
 */
template <class Index>
void QR_pattern(idx n, Index *ir, Index *jc, idx j0, idx j1)     /* columns j0..j1-1 */
{
    const idx m = order(n);
    for (idx j = j0; j < j1; j++) {
        idx p = j < 2 ? j : 3 * j - 3;
        jc[j] = static_cast<Index>(p);
        for (idx r = j < 2 ? 0 : j - 2; r <= j; r++) ir[p++] = static_cast<Index>(r);
    }
    if (j1 == m) jc[m] = static_cast<Index>(nzmax(n));
}

template <class Index>
void QR_pattern(idx n, Index *ir, Index *jc)
{
    QR_pattern(n, ir, jc, 0, order(n));
}

/* Q'*A = [R; 0]: writes all 6m entries of Qbar and all nzmax values of R (pr),
 * in one sweep of 3m rotations.  n >= 3. */
void QR(idx n, double sigma, double *Qbar, double *pr);

/* The same sweep over columns i0 <= i < i1 only, so that a caller can stop
 * between parts: run the parts in order from i0 = 0 to i1 = m, each taking
 * the three values the sweep carries (state) from the one before.  The
 * operations and their order are those of QR. */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, double state[3]);

} // namespace givqr

#endif
