/* forward: the factorization of [diag(rho)*D'; sigma*I] fused with Q' on [b; 0], or Q' from a kept table */
#include "smooth.h"
#include "QR_step.h"
#include "cycle.h"
#include "steps.h"

namespace givqr {

namespace {

/* Order d; rows: D's rows differ (uneven sample times), so every step is
 * computed and none watched. */
template <int d, bool onesided, bool rows>
void forward(idx n, const stencil &S, double sigma, const double *rho, const double *y, double *x, double *h,
             idx i0, idx i1, sweep *st, table *t)
{
    constexpr int N = d * (d + 1) / 2, w = 2 * d + 2;
    const idx m = n - d;
    auto scale = [rho](idx j) { return rho ? rho[j] : 1.0; };   /* of stencil row j */
    auto D = [&S](idx j, int l) { return rows ? S.D[(d + 1) * j + l] : S.c[l]; };
    /* the stencil row step i meets: rho(i+d)*D(i..i+d, i+d) */
    auto fresh = [&](idx i, double F[d + 1]) {
        const double r = scale(i + d);
        for (int l = 0; l <= d; l++) F[l] = D(i + l, d - l) * r;
    };
    auto cols = [m](idx i) { return i < m - d ? d : int(m - 1 - i); };
    QR_state &qr = st->qr;
    if (i0 == 0) {
        double L0[N];               /* stencil rows 0..d-1 in columns 0..d-1 */
        for (int k = 0; k < d; k++)
            for (int l = 0; l <= k; l++) L0[k * (k + 1) / 2 + l] = D(l, k - l) * scale(k);
        QR_start(qr, d, L0);
        qr.next = st->steady;       /* watched from there on */
        for (int k = 0; k < d; k++) st->a[k] = y[k];
        t->d = d;
        t->m = m;
        t->s = m;
        t->p = 0;
    }
    double L[N], a[d], F[d + 1], r[d + 1];
    for (int k = 0; k < N; k++) L[k] = qr.L[k];
    for (int k = 0; k < d; k++) a[k] = st->a[k];
    idx i = i0;

    /* the transient: each step computed, kept in T and applied, its start
     * state watched where the stencil row it meets no longer changes */
    if (rows) {
        for (; i < i1; i++) {
            double *q = t->T + w * i;
            fresh(i, F);
            QR_step<d>(sigma, F, cols(i), L, q, r);
            replay_step<d, onesided>(i, q, y, x, h, a);
        }
    } else if (qr.start < 0) {
        watch<d> wt(qr, i);
        for (; i < i1 && !(i >= st->steady && wt.repeats(i, m, L)); i++) {
            double *q = t->T + w * i;
            fresh(i, F);
            QR_step<d>(sigma, F, cols(i), L, q, r);
            replay_step<d, onesided>(i, q, y, x, h, a);
        }
        wt.save();
        if (qr.start >= 0) {
            t->s = qr.start;
            t->p = qr.period;
        }
    }

    /* the cycle: rows s-p .. s-1 again, from registers, up to row m-d-1 */
    if (!rows && qr.start >= 0 && i < i1 && i < m - d) {
        i = cycle_replay<d, onesided>(*t, i, i1 < m - d ? i1 : m - d, y, x, h, a);
        if (i == m - d) {
            fresh(m - d - 1, F);    /* the cycle's own */
            cycle_end<d>(qr, m, sigma, F, L);
        }
    }

    /* the last d steps, and any the cycle did not reach */
    for (; i < i1; i++) {
        double *q = !rows && qr.start >= 0 ? t->last[i - (m - d)] : t->T + w * i;
        fresh(i, F);
        QR_step<d>(sigma, F, cols(i), L, q, r);
        replay_step<d, onesided>(i, q, y, x, h, a);
    }
    if (i1 == m)                    /* c(m..m+d-1); or y(0..d-1) */
        for (int k = 0; k < d; k++) x[k] = onesided ? y[k] : a[k];
    for (int k = 0; k < N; k++) qr.L[k] = L[k];
    for (int k = 0; k < d; k++) st->a[k] = a[k];
}

template <int d, bool onesided>
void from_table(idx n, const table &t, const double *y, double *x, double *h, idx i0, idx i1, double *carry)
{
    const idx m = n - d;
    double a[d];
    for (int k = 0; k < d; k++) a[k] = i0 == 0 ? y[k] : carry[k];
    idx i = i0;
    for (; i < i1 && i < t.s; i++) replay_step<d, onesided>(i, t.T + (2 * d + 2) * i, y, x, h, a);
    if (i < i1) i = cycle_replay<d, onesided>(t, i, i1 < m - d ? i1 : m - d, y, x, h, a);
    for (; i < i1; i++) replay_step<d, onesided>(i, row(t, i), y, x, h, a);
    if (i1 == m)
        for (int k = 0; k < d; k++) x[k] = onesided ? y[k] : a[k];
    for (int k = 0; k < d; k++) carry[k] = a[k];
}

template <int d>
void forward_d(idx n, const stencil &S, double sigma, bool onesided, const double *rho, const double *y, double *x,
               double *h, idx i0, idx i1, sweep *st, table *t)
{
    if (S.D) {
        if (onesided) forward<d, true, true>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else forward<d, false, true>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
    } else {
        if (onesided) forward<d, true, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else forward<d, false, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
    }
}

template <int d>
void from_table_d(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                  double *carry)
{
    if (onesided) from_table<d, true>(n, t, y, x, h, i0, i1, carry);
    else from_table<d, false>(n, t, y, x, h, i0, i1, carry);
}

} // namespace

void smooth_forward(idx n, const stencil &S, double sigma, bool onesided, const double *rho, const double *y,
                    double *x, double *h, idx i0, idx i1, sweep *st, table *t)
{
    switch (S.d) {
    case 1: forward_d<1>(n, S, sigma, onesided, rho, y, x, h, i0, i1, st, t); break;
    case 2: forward_d<2>(n, S, sigma, onesided, rho, y, x, h, i0, i1, st, t); break;
    case 3: forward_d<3>(n, S, sigma, onesided, rho, y, x, h, i0, i1, st, t); break;
    default: forward_d<4>(n, S, sigma, onesided, rho, y, x, h, i0, i1, st, t); break;
    }
}

void table_forward(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                   double *carry)
{
    switch (t.d) {
    case 1: from_table_d<1>(n, t, onesided, y, x, h, i0, i1, carry); break;
    case 2: from_table_d<2>(n, t, onesided, y, x, h, i0, i1, carry); break;
    case 3: from_table_d<3>(n, t, onesided, y, x, h, i0, i1, carry); break;
    default: from_table_d<4>(n, t, onesided, y, x, h, i0, i1, carry); break;
    }
}

} // namespace givqr
