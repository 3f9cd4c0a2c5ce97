/* QR.h: the structured QR factorization of A = [D'; sigma*I] */
#ifndef GIVQR_QR_H
#define GIVQR_QR_H

#include "layout.h"

namespace givqr {

/* The fixed pattern of R (layout.h): jc and ir of columns j0..j1-1, and
 * jc[m] = R_nz(n) with the last column. */
template <class Index>
void QR_pattern(idx n, Index *ir, Index *jc, idx j0, idx j1)
{
    const idx m = order(n);
    for (idx j = j0; j < j1; j++) {
        idx p = j < 2 ? j : 3 * j - 3;
        jc[j] = static_cast<Index>(p);
        for (idx r = j < 2 ? 0 : j - 2; r <= j; r++) ir[p++] = static_cast<Index>(r);
    }
    if (j1 == m) jc[m] = static_cast<Index>(R_nz(n));
}

template <class Index>
void QR_pattern(idx n, Index *ir, Index *jc)
{
    QR_pattern(n, ir, jc, 0, order(n));
}

/* Q'*A = [R; 0]: writes all 6m entries of Qbar and all R_nz(n) values of R (pr),
 * in one sweep of 3m rotations.  n >= 3. */
void QR(idx n, double sigma, double *Qbar, double *pr);

/* The same sweep over columns i0 <= i < i1 only, so that a caller can stop
 * between parts: run the parts in order from i0 = 0 to i1 = m, each taking
 * the three values the sweep carries (state) from the one before.  The
 * operations and their order are those of QR. */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, double state[3]);

} // namespace givqr

#endif
