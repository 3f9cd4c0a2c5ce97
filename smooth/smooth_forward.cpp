/* smooth_forward: the factorization of [W^(-1/2)*D'; sigma*I] fused with Q' on [b; 0] */
#include "smooth.h"
#include "QR_step.h"
#include "cycle.h"
#include "replay_step.h"

namespace givqr {

namespace {

template <bool onesided>
void forward(idx n, double sigma, const double *rho, const double *y, double *x, double *h, idx i0, idx i1,
             sweep *st, table *t)
{
    const idx m = order(n);
    auto scale = [rho](idx j) { return rho ? rho[j] : 1.0; };   /* of stencil row j */
    QR_state &qr = st->qr;
    if (i0 == 0) {
        QR_start(qr, scale(0), scale(1));
        qr.next = st->steady;           /* watched from there on */
        st->a = y[0];
        st->b = y[1];
        t->m = m;
        t->s = m;
        t->p = 0;
    }
    double d = qr.d, e = qr.e, w = qr.w, a = st->a, b = st->b;
    idx i = i0;

    /* the transient: each step computed, kept in T and applied, its start
     * state watched where the scale of the rows it merges no longer changes */
    if (qr.start < 0) {
        watch wt(qr);
        for (; i < i1 && !(i >= st->steady && wt.repeats(i, m, d, e, w, qr)); i++) {
            double *q = t->T + 6 * i, r[3];
            QR_step(sigma, scale(i + 2), i < m - 1, i < m - 2, d, e, w, q, r);
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
        if (i == m - 2) cycle_end(qr, m, sigma, scale(n - 1), d, e, w);
    }

    /* the last two steps, and any the cycle did not reach */
    for (; i < i1; i++) {
        double *q = qr.start >= 0 ? t->last[i - (m - 2)] : t->T + 6 * i, r[3];
        QR_step(sigma, scale(i + 2), i < m - 1, i < m - 2, d, e, w, q, r);
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

void smooth_forward(idx n, double sigma, bool onesided, const double *rho, const double *y, double *x, double *h,
                    idx i0, idx i1, sweep *st, table *t)
{
    if (onesided) forward<true>(n, sigma, rho, y, x, h, i0, i1, st, t);
    else forward<false>(n, sigma, rho, y, x, h, i0, i1, st, t);
}

} // namespace givqr
