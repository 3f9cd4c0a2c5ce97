// QR_plain: the factorization computing every step, as before the kernel
// copied the rows that repeat; the benchmarks measure QR against it.  It
// defines QR_part, so that it can stand in for givfact/QR.cpp in a build.
#include "QR.h"
#include "step.h"
#include "cycle.h"

namespace givqr {

void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, sweep_state *st)
{
    const idx m = order(n);
    const double F[3] = {1.0, -2.0, 1.0};
    if (i0 == 0) sweep_start(*st, 2, F);
    double L[3] = {st->L[0], st->L[1], st->L[2]};
    for (idx i = i0; i < i1; i++) {
        double q[6], r[3];
        QR_step<2>(sigma, F, i < m - 2 ? 2 : int(m - 1 - i), L, q, r);
        for (int k = 0; k < 6; k++) Qbar[k * m + i] = q[k];
        pr[i == 0 ? 0 : 3 * i - 1] = r[0];
        if (i < m - 1) pr[3 * i + 1] = r[1];
        if (i < m - 2) pr[3 * i + 3] = r[2];
    }
    for (int k = 0; k < 3; k++) st->L[k] = L[k];
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    sweep_state st;
    QR_part(n, sigma, Qbar, pr, 0, order(n), &st);
}

} // namespace givqr
