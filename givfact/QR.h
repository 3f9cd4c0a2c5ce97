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
void QR_pattern(idx n, Index *ir, Index *jc)
{
    const idx m = order(n);
    ir[0] = 0;
    for (idx k = 1; k <= m - 1; k++) ir[3 * k - 1] = static_cast<Index>(k);  /* R(k,k) */
    for (idx k = 0; k <= m - 2; k++) ir[3 * k + 1] = static_cast<Index>(k);  /* R(k,k+1) */
    for (idx k = 0; k <= m - 3; k++) ir[3 * k + 3] = static_cast<Index>(k);  /* R(k,k+2) */
    jc[0] = 0;
    if (m > 1) jc[1] = 1;
    for (idx j = 2; j < m; j++) jc[j] = static_cast<Index>(3 * j - 3);
    jc[m] = static_cast<Index>(nzmax(n));
}

/* Q'*A = [R; 0]: writes all 6m entries of Qbar and all nzmax values of R (pr),
 * in one sweep of 3m rotations.  n >= 3. */
void QR(idx n, double sigma, double *Qbar, double *pr);

} // namespace givqr

#endif
