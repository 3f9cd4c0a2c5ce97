/* forward: the factorization of [diag(rho)*D'; sigma*I] fused with Q' on [b; 0], Q' from a kept table, or the factorization alone */
#include "smooth.h"
#include "phases.h"
#include "step.h"

namespace givqr {

namespace {

/* givfwd's step i on [y; 0] for order d, with the rotations q of column i,
 * carrying y(i..i+d-1) so far in a.  Two-sided: c(n+i) to x(i+d).
 * One-sided: the last point of the smooth of y(1:i+d+1) to x(i+d), as
 * givinv's first step for that prefix makes it, and its leverage c^2 to
 * h(i+d) where h is not null.  Returns row i of Q'*[y; 0], R's. */
template <int d, bool onesided>
GIVQR_STEP double replay_step(idx i, const double *q, const double *y, double *x, double *h, double *a)
{
    double w = 0.0, c = y[i + d];
    rot(&a[0], &w, q[0], q[1]);                                 /* weight:  rows (i, n+i) */
    for (int k = 1; k < d; k++) rot(&a[0], &a[k], q[2 * k], q[2 * k + 1]);     /* carry:  (i, i+k) */
    rot(&a[0], &c, q[2 * d], q[2 * d + 1]);                     /* stencil: rows (i, i+d) */
    if (onesided) {
        x[i + d] = -q[2 * d + 1] * 0.0 + q[2 * d] * c;
        if (h) h[i + d] = q[2 * d] * q[2 * d];
    } else {
        x[i + d] = w;
    }
    const double c1 = a[0];
    for (int k = 1; k < d; k++) a[k - 1] = a[k];
    a[d - 1] = c;
    return c1;
}

/* The same step where the lower block is bidiagonal (step.h): the
 * rotations of rows n+i-1 and n+i first, row n+i-1's entry done, c(n+i-1)
 * to x(i+d-1), row n+i's carried on in a(d). */
template <int d>
GIVQR_STEP double replay_bidiagonal(idx i, const double *q, const double *y, double *x, double *a)
{
    double w = 0.0, c = y[i + d];
    if (i > 0) {
        rot(&a[0], &a[d], q[0], q[1]);                          /* row n+i-1 */
        x[i + d - 1] = a[d];
    }
    rot(&a[0], &w, q[2], q[3]);                                 /* row n+i */
    for (int k = 1; k < d; k++) rot(&a[0], &a[k], q[2 * k + 2], q[2 * k + 3]);
    rot(&a[0], &c, q[2 * d + 2], q[2 * d + 3]);
    const double c1 = a[0];
    for (int k = 1; k < d; k++) a[k - 1] = a[k];
    a[d - 1] = c;
    a[d] = w;
    return c1;
}

/* Q' on [y; 0] step by step, and what the forward pass adds up, as want
 * says: step (i, q, R(i,i)) for a step of its own, cycle_step (i, q) for a
 * step of a cycle of period 1 or 2, whose R(j,j) forward_sums::cycle counts. */
template <int d, forward_want want, bool bidiagonal = false>
struct replay {
    const double *y;
    double *x, *h;
    forward_sums &k;
    double *a;              /* y(i..i+d-1) so far, d of them, and a bidiagonal block's row n+i */
    double ys;              /* the scale c1 is summed at */

    GIVQR_STEP double one(idx i, const double *q)
    {
        if (bidiagonal) return replay_bidiagonal<d>(i, q, y, x, a);
        return replay_step<d, want == forward_onesided>(i, q, y, x, h, a);
    }
    GIVQR_STEP void step(idx i, const double *q, double r)
    {
        if (want == forward_logdet) {
            k.factor(r);
            return;
        }
        const double c = one(i, q);
        if (want == forward_sums_c2) k.square(c * ys), k.factor(r);
    }
    GIVQR_STEP void cycle_step(idx i, const double *q)
    {
        const double c = one(i, q);
        if (want == forward_sums_c2) k.square(c * ys);
    }
    /* at the last step: c(m..m+d-1) (and c(n+m-1), the bidiagonal block's
     * last row, to x(n-1)); or y(0..d-1) */
    void finish(idx n)
    {
        for (int j = 0; j < d; j++) x[j] = want == forward_onesided ? y[j] : a[j];
        if (bidiagonal) x[n - 1] = a[d];
    }
};

/* D's rows: each the binomial row c (equal spacing), or row j of D
 * (divided differences), beyond D's last row, m-1, 0 (no rotation uses
 * it, and nothing is read past the rows). */
struct equal_rows {
    static constexpr bool equal = true;
    const double *c;
    GIVQR_STEP double operator()(idx, int l) const { return c[l]; }
};
template <int d>
struct divided_rows {
    static constexpr bool equal = false;
    const double *D;
    idx m;
    GIVQR_STEP double operator()(idx j, int l) const { return j < m ? D[(d + 1) * j + l] : 0.0; }
};

/* The steps of the factorization, each applied at once (replay): kept in
 * t, the transient's rows in T and R, the last d rows, once a cycle is
 * found, in last and lastR; none kept for log |det R| alone.  The lower
 * block sigma*I, or where bidiagonal sigma*L', L's entries L(i,i), L(i+1,i)
 * in low(2i), low(2i+1). */
template <int d, class Rows, forward_want want, bool bidiagonal = false>
struct fused {
    static constexpr int N = d * (d + 1) / 2, state = N + bidiagonal, width = 2 * d + 2 + 2 * bidiagonal;
    Rows D;
    const double *rho;
    double sigma;
    const double *low;
    idx m;
    table &t;
    replay<d, want, bidiagonal> rp;
    double *L;              /* the sweep's state, state of them */

    GIVQR_STEP double scale(idx j) const { return rho ? rho[j] : 1.0; }    /* of stencil row j */

    /* the stencil row step i meets: rho(i+d)*D(i..i+d, i+d) */
    GIVQR_STEP void fresh(idx i, double F[d + 1]) const
    {
        const double r = scale(i + d);
        for (int l = 0; l <= d; l++) F[l] = D(i + l, d - l) * r;
    }

    /* step i into q and R(i,i) into rii: the transient's rows in T and R,
     * past a cycle the last d in last and lastR */
    GIVQR_STEP void make(idx i, double *q, double &rii)
    {
        double F[d + 1], r[d + 1];
        fresh(i, F);
        advance(i, F, q, r);
        rii = r[0];
        rp.step(i, q, r[0]);
    }
    GIVQR_STEP void advance(idx i, const double F[d + 1], double *q, double *r)
    {
        const int cols = i < m - d ? d : int(m - 1 - i);
        if (!bidiagonal) {
            QR_step<d>(sigma, F, cols, L, q, r);
        } else {
            const double lo[2] = {sigma * low[2 * i], sigma * low[2 * i + 1]};
            QR_step_bidiagonal<d>(lo, F, cols, L, q, r);
        }
    }
    GIVQR_STEP void compute(idx i)
    {
        double own[width], rii;
        if (want == forward_logdet) make(i, own, rii);
        else make(i, t.T + width * i, t.R[i]);
    }
    GIVQR_STEP void last(idx i) { make(i, t.last[i - (m - d)], t.lastR[i - (m - d)]); }
    void found(idx s, idx p)
    {
        t.s = s;
        t.p = p;
    }
    GIVQR_STEP void hold(idx j, double *row) const
    {
        for (int c = 0; c < width; c++) row[c] = t.T[width * j + c];
    }
    GIVQR_STEP void again(idx i, const double *row, int)
    {
        rp.cycle_step(i, row);
    }
    GIVQR_STEP void again_at(idx i, idx j)
    {
        rp.step(i, t.T + width * j, t.R[j]);
    }
    void cycled(idx from, idx end)
    {
        if (want == forward_sums_c2) rp.k.cycle(t, from, end);
    }
    void cycle_end(const sweep_state &st)
    {
        double F[d + 1], q[width], r[d + 1];
        fresh(m - d - 1, F);        /* the cycle's own, as its lower rows */
        givqr::cycle_end(st, m, d, [&] { advance(m - d - 1, F, q, r); });
    }
};

template <int d, class Rows, forward_want want, bool bidiagonal = false>
void forward(idx n, const Rows &D, double sigma, const double *low, const double *rho, const double *y, double *x,
             double *h, idx i0, idx i1, forward_state &st, table &t)
{
    typedef fused<d, Rows, want, bidiagonal> F;
    const idx m = n - d;
    double L[F::state], a[d + 1];           /* in registers while the steps run */
    F f = {D, rho, sigma, low, m, t, {y, x, h, st.k, a, st.ys}, L};
    if (i0 == 0) {
        double L0[F::N];            /* stencil rows 0..d-1 in columns 0..d-1 */
        for (int k = 0; k < d; k++)
            for (int l = 0; l <= k; l++) L0[k * (k + 1) / 2 + l] = D(l, k - l) * f.scale(k);
        sweep_start(st.qr, d, L0, want == forward_logdet ? 0 : st.steady);
        for (int k = 0; k < d; k++) st.a[k] = y ? y[k] : 0.0;
        st.a[d] = 0.0;
        if (want != forward_logdet) {
            t.d = d;
            t.w = F::width;
            t.m = m;
            t.s = m;
            t.p = 0;
        }
    }
    for (int k = 0; k < F::state; k++) L[k] = st.qr.L[k];
    for (int k = 0; k <= d; k++) a[k] = st.a[k];
    sweep_part<d>(m, i0, i1, st.qr, want != forward_logdet && Rows::equal ? st.steady : m, f);
    if (want != forward_logdet && i1 == m) {
        if (t.s == m)               /* the last d rows, kept in T, also in last */
            for (idx j = m - d; j < m; j++)
                if (j >= 0) t.lastR[j - (m - d)] = t.R[j];
        f.rp.finish(n);
    }
    for (int k = 0; k < F::state; k++) st.qr.L[k] = L[k];
    for (int k = 0; k <= d; k++) st.a[k] = a[k];
}

/* The rows of a kept table, replayed. */
template <int d, forward_want want, bool bidiagonal = false>
struct from_table {
    static constexpr int width = 2 * d + 2 + 2 * bidiagonal;
    const table &t;
    replay<d, want, bidiagonal> rp;

    GIVQR_STEP void hold(idx j, double *row) const
    {
        for (int c = 0; c < width; c++) row[c] = t.T[width * j + c];
    }
    GIVQR_STEP void again(idx i, const double *row, int)
    {
        rp.cycle_step(i, row);
    }
    GIVQR_STEP void again_at(idx i, idx j)
    {
        rp.step(i, row(t, j), diagonal(t, j));
    }
    void cycled(idx from, idx end)
    {
        if (want == forward_sums_c2) rp.k.cycle(t, from, end);
    }
};

template <int d, forward_want want, bool bidiagonal = false>
void replayed(idx n, const table &t, const double *y, double *x, double *h, idx i0, idx i1, forward_state &st)
{
    double a[d + 1];
    for (int j = 0; j < d; j++) a[j] = i0 == 0 ? y[j] : st.a[j];
    a[d] = i0 == 0 ? 0.0 : st.a[d];
    from_table<d, want, bidiagonal> f = {t, {y, x, h, st.k, a, st.ys}};
    replay_up(t, i0, i1, f);
    if (i1 == n - d) f.rp.finish(n);
    for (int j = 0; j <= d; j++) st.a[j] = a[j];
}

template <int d, class Rows, bool bidiagonal = false>
void forward_as(const Rows &D, idx n, double sigma, const double *low, const double *rho, const double *y, double *x,
                double *h, forward_want want, idx i0, idx i1, forward_state &st, table &t)
{
    switch (want) {
    case forward_c2: forward<d, Rows, forward_c2, bidiagonal>(n, D, sigma, low, rho, y, x, h, i0, i1, st, t); break;
    case forward_sums_c2:
        forward<d, Rows, forward_sums_c2, bidiagonal>(n, D, sigma, low, rho, y, x, h, i0, i1, st, t);
        break;
    case forward_onesided:
        if (!bidiagonal) forward<d, Rows, forward_onesided>(n, D, sigma, low, rho, y, x, h, i0, i1, st, t);
        break;
    default: forward<d, Rows, forward_logdet, bidiagonal>(n, D, sigma, low, rho, y, x, h, i0, i1, st, t); break;
    }
}

} // namespace

void smooth_forward(idx n, const stencil &S, double sigma, const double *rho, const double *y, double *x, double *h,
                    forward_want want, idx i0, idx i1, forward_state &st, table &t)
{
    if (S.low) {                /* the spline's: d = 2 */
        if (S.D) forward_as<2, divided_rows<2>, true>({S.D, n - 2}, n, sigma, S.low, rho, y, x, h, want, i0, i1, st, t);
        else forward_as<2, equal_rows, true>({S.c}, n, sigma, S.low, rho, y, x, h, want, i0, i1, st, t);
        return;
    }
    with_order(S.d, [&](auto order) {
        constexpr int d = decltype(order)::value;
        if (S.D) forward_as<d>(divided_rows<d>{S.D, n - d}, n, sigma, nullptr, rho, y, x, h, want, i0, i1, st, t);
        else forward_as<d>(equal_rows{S.c}, n, sigma, nullptr, rho, y, x, h, want, i0, i1, st, t);
    });
}

void table_forward(idx n, const table &t, const double *y, double *x, double *h, forward_want want, idx i0, idx i1,
                   forward_state &st)
{
    if (t.w > 2 * t.d + 2) {    /* a bidiagonal lower block's: d = 2 */
        if (want == forward_sums_c2) replayed<2, forward_sums_c2, true>(n, t, y, x, h, i0, i1, st);
        else replayed<2, forward_c2, true>(n, t, y, x, h, i0, i1, st);
        return;
    }
    with_order(t.d, [&](auto order) {
        constexpr int d = decltype(order)::value;
        if (want == forward_onesided) replayed<d, forward_onesided>(n, t, y, x, h, i0, i1, st);
        else if (want == forward_sums_c2) replayed<d, forward_sums_c2>(n, t, y, x, h, i0, i1, st);
        else replayed<d, forward_c2>(n, t, y, x, h, i0, i1, st);
    });
}

} // namespace givqr
