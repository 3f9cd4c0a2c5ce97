/* QR.h: the structured QR factorization of A = [D'; sigma*I] */
#ifndef GIVQR_QR_H
#define GIVQR_QR_H

#include "layout.h"
#include "cycle.h"

namespace givqr {

/* The fixed pattern of R (layout.h): jc and ir of columns j0..j1-1, and
 * jc[m] = R_nz(n) with the last column. */
template <class Index>
void QR_pattern(idx n, Index *ir, Index *jc, idx j0, idx j1)
{
    const idx m = order(n);
    idx j = j0;
    for (; j < j1 && j < 2; j++) {          /* column 0 holds row 0, column 1 rows 0..1 */
        jc[j] = static_cast<Index>(j);
        for (idx r = 0; r <= j; r++) ir[j + r] = static_cast<Index>(r);
    }
    for (; j < j1; j++) {                   /* column j holds rows j-2..j */
        const idx p = 3 * j - 3;
        jc[j] = static_cast<Index>(p);
        ir[p] = static_cast<Index>(j - 2);
        ir[p + 1] = static_cast<Index>(j - 1);
        ir[p + 2] = static_cast<Index>(j);
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
 * between parts: run the parts in order from i0 = 0 to i1 = m, passing the
 * same st to each.  The results are those of QR, bit for bit. */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, sweep_state *st);

} // namespace givqr

#endif
