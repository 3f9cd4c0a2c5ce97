/* smooth_forward: the factorization of [D'; sigma*I] fused with Q' on [y; 0] */
#include "smooth.h"
#include "QR_step.h"
#include "cycle.h"
#include "replay_step.h"

namespace givqr {

namespace {

template <bool onesided>
void forward(idx n, double sigma, const double *y, double *x, double *h, idx i0, idx i1, sweep *st, table *t)
{
    const idx m = order(n);
    if (i0 == 0) {
        QR_start(st->qr);
        st->a = y[0];
        st->b = y[1];
        t->m = m;
        t->s = m;
        t->p = 0;
    }
    QR_state &qr = st->qr;
    double d = qr.d, e = qr.e, w = qr.w, a = st->a, b = st->b;
    idx i = i0;

    /* the transient: each step computed, kept in T and applied */
    if (qr.start < 0) {
        watch wt(qr);
        for (; i < i1 && !wt.repeats(i, m, d, e, w, qr); i++) {
            double *q = t->T + 6 * i, r[3];
            QR_step(sigma, i < m - 1, i < m - 2, d, e, w, q, r);
            replay_step<onesided>(i, q, y, x, h, a, b);
        }
        wt.save(qr);
        if (qr.start >= 0) {
            t->s = qr.start;
            t->p = qr.period;
        }
    }

    /* the cycle: rows s-p .. s-1 again, from registers, up to row m-3 */
    if (qr.start >= 0 && i < i1 && i < m - 2) {
        i = cycle_replay<onesided>(*t, i, i1 < m - 2 ? i1 : m - 2, y, x, h, a, b);
        if (i == m - 2) cycle_end(qr, m, sigma, d, e, w);
    }

    /* the last two steps, and any the cycle did not reach */
    for (; i < i1; i++) {
        double *q = qr.start >= 0 ? t->last[i - (m - 2)] : t->T + 6 * i, r[3];
        QR_step(sigma, i < m - 1, i < m - 2, d, e, w, q, r);
        replay_step<onesided>(i, q, y, x, h, a, b);
    }
    if (i1 == m) {                  /* c(m), c(m+1); or y(0), y(1) */
        x[0] = onesided ? y[0] : a;
        x[1] = onesided ? y[1] : b;
    }
    qr.d = d;
    qr.e = e;
    qr.w = w;
    st->a = a;
    st->b = b;
}

} // namespace

void smooth_forward(idx n, double sigma, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                    sweep *st, table *t)
{
    if (onesided) forward<true>(n, sigma, y, x, h, i0, i1, st, t);
    else forward<false>(n, sigma, y, x, h, i0, i1, st, t);
}

} // namespace givqr
