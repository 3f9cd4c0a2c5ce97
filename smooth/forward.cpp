/* forward: the factorization of [diag(rho)*D'; sigma*I] fused with Q' on [b; 0], or Q' from a kept table */
#include "smooth.h"
#include "QR_step.h"
#include "cycle.h"
#include "steps.h"

namespace givqr {

namespace {

/* Order d; rows: D's rows differ (uneven sample times), so every step is
 * computed and none watched; sums: adding up in st->k what the restricted
 * likelihood needs (two-sided). */
template <int d, bool onesided, bool rows, bool sums>
void forward(idx n, const stencil &S, double sigma, const double *rho, const double *y, double *x, double *h,
             idx i0, idx i1, sweep *st, table *t)
{
    constexpr int N = d * (d + 1) / 2, w = 2 * d + 2;
    const idx m = n - d;
    auto scale = [rho](idx j) { return rho ? rho[j] : 1.0; };   /* of stencil row j */
    /* D(j, j+l); beyond D's last row, m-1, no rotation uses it (0 from the rows, not read past them) */
    auto D = [&S, m](idx j, int l) { return !rows ? S.c[l] : j < m ? S.D[(d + 1) * j + l] : 0.0; };
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
    tally *tl = &st->k;
    auto step = [&](idx j, double *q, double &rj) {
        fresh(j, F);
        QR_step<d>(sigma, F, cols(j), L, q, r);
        rj = r[0];
        const double c = replay_step<d, onesided>(j, q, y, x, h, a);
        if (sums) tl->square(c), tl->factor(r[0]);
    };
    if (rows) {
        for (; i < i1; i++) step(i, t->T + w * i, t->R[i]);
    } else if (qr.start < 0) {
        watch<d> wt(qr, i);
        for (; i < i1 && !(i >= st->steady && wt.repeats(i, m, L)); i++) step(i, t->T + w * i, t->R[i]);
        wt.save();
        if (qr.start >= 0) {
            t->s = qr.start;
            t->p = qr.period;
        }
    }

    /* the cycle: rows s-p .. s-1 again, from registers, up to row m-d-1 */
    if (!rows && qr.start >= 0 && i < i1 && i < m - d) {
        i = cycle_replay<d, onesided, sums>(*t, i, i1 < m - d ? i1 : m - d, y, x, h, a, tl);
        if (i == m - d) {
            fresh(m - d - 1, F);    /* the cycle's own */
            cycle_end<d>(qr, m, sigma, F, L);
        }
    }

    /* the last d steps, and any the cycle did not reach */
    for (; i < i1; i++) {
        const bool cyc = !rows && qr.start >= 0;
        step(i, cyc ? t->last[i - (m - d)] : t->T + w * i, cyc ? t->lastR[i - (m - d)] : t->R[i]);
    }
    if (i1 == m && (rows || qr.start < 0))      /* the last d rows, kept in T, also in last */
        for (idx j = m - d; j < m; j++)
            if (j >= 0) t->lastR[j - (m - d)] = t->R[j];
    if (i1 == m)                    /* c(m..m+d-1); or y(0..d-1) */
        for (int k = 0; k < d; k++) x[k] = onesided ? y[k] : a[k];
    for (int k = 0; k < N; k++) qr.L[k] = L[k];
    for (int k = 0; k < d; k++) st->a[k] = a[k];
}

/* The factorization alone, R(i,i) into st->k, nothing kept. */
template <int d, bool rows>
void factor_only(idx n, const stencil &S, double sigma, const double *rho, idx i0, idx i1, sweep *st)
{
    constexpr int N = d * (d + 1) / 2;
    const idx m = n - d;
    auto scale = [rho](idx j) { return rho ? rho[j] : 1.0; };
    /* D(j, j+l); beyond D's last row, m-1, no rotation uses it (0 from the rows, not read past them) */
    auto D = [&S, m](idx j, int l) { return !rows ? S.c[l] : j < m ? S.D[(d + 1) * j + l] : 0.0; };
    if (i0 == 0) {
        double L0[N];
        for (int k = 0; k < d; k++)
            for (int l = 0; l <= k; l++) L0[k * (k + 1) / 2 + l] = D(l, k - l) * scale(k);
        QR_start(st->qr, d, L0);
    }
    double L[N], F[d + 1], q[2 * d + 2], r[d + 1];
    for (int k = 0; k < N; k++) L[k] = st->qr.L[k];
    for (idx i = i0; i < i1; i++) {
        const double rh = scale(i + d);
        for (int l = 0; l <= d; l++) F[l] = D(i + l, d - l) * rh;
        QR_step<d>(sigma, F, i < m - d ? d : int(m - 1 - i), L, q, r);
        st->k.factor(r[0]);
    }
    for (int k = 0; k < N; k++) st->qr.L[k] = L[k];
}

template <int d, bool onesided, bool sums>
void from_table(idx n, const table &t, const double *y, double *x, double *h, idx i0, idx i1, double *carry,
                tally *k)
{
    const idx m = n - d;
    double a[d];
    for (int j = 0; j < d; j++) a[j] = i0 == 0 ? y[j] : carry[j];
    idx i = i0;
    for (; i < i1 && i < t.s; i++) {
        const double c = replay_step<d, onesided>(i, t.T + (2 * d + 2) * i, y, x, h, a);
        if (sums) k->square(c), k->factor(t.R[i]);
    }
    if (i < i1) i = cycle_replay<d, onesided, sums>(t, i, i1 < m - d ? i1 : m - d, y, x, h, a, k);
    for (; i < i1; i++) {
        const double c = replay_step<d, onesided>(i, row(t, i), y, x, h, a);
        if (sums) k->square(c), k->factor(diagonal(t, i));
    }
    if (i1 == m)
        for (int k = 0; k < d; k++) x[k] = onesided ? y[k] : a[k];
    for (int j = 0; j < d; j++) carry[j] = a[j];
}

template <int d>
void forward_d(idx n, const stencil &S, double sigma, bool onesided, const double *rho, const double *y, double *x,
               double *h, idx i0, idx i1, sweep *st, table *t)
{
    const bool sums = st->sums && !onesided;
    if (S.D) {
        if (onesided) forward<d, true, true, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else if (sums) forward<d, false, true, true>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else forward<d, false, true, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
    } else {
        if (onesided) forward<d, true, false, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else if (sums) forward<d, false, false, true>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
        else forward<d, false, false, false>(n, S, sigma, rho, y, x, h, i0, i1, st, t);
    }
}

template <int d>
void from_table_d(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                  double *carry, tally *k)
{
    if (onesided) from_table<d, true, false>(n, t, y, x, h, i0, i1, carry, k);
    else if (k) from_table<d, false, true>(n, t, y, x, h, i0, i1, carry, k);
    else from_table<d, false, false>(n, t, y, x, h, i0, i1, carry, k);
}

template <int d>
void factor_d(idx n, const stencil &S, double sigma, const double *rho, idx i0, idx i1, sweep *st)
{
    if (S.D) factor_only<d, true>(n, S, sigma, rho, i0, i1, st);
    else factor_only<d, false>(n, S, sigma, rho, i0, i1, st);
}

} // namespace

void smooth_factor(idx n, const stencil &S, double sigma, const double *rho, idx i0, idx i1, sweep *st)
{
    switch (S.d) {
    case 1: factor_d<1>(n, S, sigma, rho, i0, i1, st); break;
    case 2: factor_d<2>(n, S, sigma, rho, i0, i1, st); break;
    case 3: factor_d<3>(n, S, sigma, rho, i0, i1, st); break;
    default: factor_d<4>(n, S, sigma, rho, i0, i1, st); break;
    }
}

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
                   double *carry, tally *k)
{
    switch (t.d) {
    case 1: from_table_d<1>(n, t, onesided, y, x, h, i0, i1, carry, k); break;
    case 2: from_table_d<2>(n, t, onesided, y, x, h, i0, i1, carry, k); break;
    case 3: from_table_d<3>(n, t, onesided, y, x, h, i0, i1, carry, k); break;
    default: from_table_d<4>(n, t, onesided, y, x, h, i0, i1, carry, k); break;
    }
}

} // namespace givqr
