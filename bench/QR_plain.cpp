// QR_plain: the factorization computing every step, as before the kernel
// copied the rows that repeat; the benchmarks measure QR against it.  It
// defines QR_part, so that it can stand in for givfact/QR.cpp in a build.
#include "QR.h"
#include "QR_step.h"
#include "cycle.h"

namespace givqr {

void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, QR_state *st)
{
    const idx m = order(n);
    if (i0 == 0) QR_start(*st, 1.0, 1.0);
    double d = st->d, e = st->e, w = st->w;
    for (idx i = i0; i < i1; i++) {
        double q[6], r[3];
        QR_step(sigma, 1.0, i < m - 1, i < m - 2, d, e, w, q, r);
        for (int k = 0; k < 6; k++) Qbar[k * m + i] = q[k];
        pr[i == 0 ? 0 : 3 * i - 1] = r[0];
        if (i < m - 1) pr[3 * i + 1] = r[1];
        if (i < m - 2) pr[3 * i + 3] = r[2];
    }
    st->d = d;
    st->e = e;
    st->w = w;
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    QR_state st;
    QR_part(n, sigma, Qbar, pr, 0, order(n), &st);
}

} // namespace givqr
