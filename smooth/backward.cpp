/* backward: z from c2, Q applied to [0; c2] in place, with the leverages and the sums */
#include "smooth.h"
#include "leverage.h"
#include "phases.h"

#include <cstring>

namespace givqr {

namespace {

/* givinv's step for column i with x(i) = 0: reads c(n+i) from x(i+d) and
 * leaves z(i+d) there; p carries z(i+1..i+d) so far.  -s flips the sign
 * bit, as in givinv.  Returns z(i+d). */
template <int d>
GIVQR_STEP double replay_back(idx i, const double *r, double *x, double *p)
{
    double a = 0.0, w = x[i + d];
    rot(&a, &p[d - 1], r[2 * d], -r[2 * d + 1]);                /* stencil: rows (i, i+d) */
    for (int k = d - 1; k >= 1; k--) rot(&a, &p[k - 1], r[2 * k], -r[2 * k + 1]);     /* carry */
    rot(&a, &w, r[0], -r[1]);                                   /* weight:  rows (i, n+i) */
    const double z = p[d - 1];
    x[i + d] = z;
    for (int k = d - 1; k >= 1; k--) p[k] = p[k - 1];
    p[0] = a;
    return z;
}

/* The same where the lower block is bidiagonal (step.h), its rotations
 * last: row n+i's, whose entry (c(n+i) as the step after left it) rides in
 * p(d), then row n+i-1's, which reads c(n+i-1) from x(i+d-1) and leaves
 * the entry for the step before in p(d). */
template <int d>
GIVQR_STEP double replay_back_bidiagonal(idx i, const double *r, double *x, double *p)
{
    double a = 0.0, v = 0.0;
    rot(&a, &p[d - 1], r[2 * d + 2], -r[2 * d + 3]);            /* stencil */
    for (int k = d - 1; k >= 1; k--) rot(&a, &p[k - 1], r[2 * k + 2], -r[2 * k + 3]);     /* carry */
    rot(&a, &p[d], r[2], -r[3]);                                /* row n+i */
    if (i > 0) {                                                /* row n+i-1 */
        v = x[i + d - 1];
        rot(&a, &v, r[0], -r[1]);
    }
    const double z = p[d - 1];
    x[i + d] = z;
    for (int k = d - 1; k >= 1; k--) p[k] = p[k - 1];
    p[0] = a;
    p[d] = v;
    return z;
}

template <int d, bool bidiagonal>
GIVQR_STEP double back(idx i, const double *r, double *x, double *p)
{
    return bidiagonal ? replay_back_bidiagonal<d>(i, r, x, p) : replay_back<d>(i, r, x, p);
}

/* The spline's step as a linear map of its state (the d rows and row
 * n+i's entry): M, and the rows u1, u2 it writes to c1 and c2 (leverage.h),
 * the step made on each unit state. */
template <int d>
GIVQR_STEP void spline_map(idx i, const double *r, double M[d + 1][d + 1], double u1[d + 1], double u2[d + 1])
{
    for (int e = 0; e <= d; e++) {
        double a[d + 1] = {}, w = 0.0, c = 0.0;
        a[e] = 1.0;
        if (i > 0) rot(&a[0], &a[d], r[0], r[1]);
        u2[e] = a[d];
        rot(&a[0], &w, r[2], r[3]);
        for (int k = 1; k < d; k++) rot(&a[0], &a[k], r[2 * k + 2], r[2 * k + 3]);
        rot(&a[0], &c, r[2 * d + 2], r[2 * d + 3]);
        u1[e] = a[0];
        for (int k = 1; k < d; k++) M[k - 1][e] = a[k];
        M[d - 1][e] = c;
        M[d][e] = w;
    }
}

/* The replay alone. */
template <int d, bool bidiagonal = false>
struct plain_steps {
    static constexpr int width = 2 * d + 2 + 2 * bidiagonal;
    const table &t;
    double *x;
    double *p;              /* z(i+1..i+d) so far (and a bidiagonal block's row) */

    GIVQR_STEP void hold(idx j, double *row) const
    {
        for (int c = 0; c < width; c++) row[c] = t.T[width * j + c];
    }
    GIVQR_STEP void again(idx i, const double *row, int)
    {
        back<d, bidiagonal>(i, row, x, p);
    }
    GIVQR_STEP void again_at(idx i, idx j)
    {
        back<d, bidiagonal>(i, row(t, j), x, p);
    }
    void cycled(idx, idx) {}
};

/*
 * The replay with the leverages' recurrence and the sums: each step makes
 * z, h and q at i+d, then G(i), K(i) (leverage.h).  Within a cycle the rows
 * repeat with period p, so G and K come under a map that repeats too, and
 * settle: once G(i), K(i) equal bit for bit those p steps up, so do all
 * below them, down to the cycle's first row, and so do h and q.  From there
 * a step of a cycle of period 1 or 2 takes them from the row it repeats
 * and only replays and sums.
 */
template <int d, bool bidiagonal = false>
struct criteria_steps {
    static constexpr int S = d + bidiagonal, width = 2 * d + 2 + 2 * bidiagonal, N = leverage_recurrence<S>::N;
    const table &t;
    double *x;
    backward_state &st;
    double *p;              /* z(i+1..i+d) so far */
    double *g;              /* G and K, 2N of them */
    point_sums &s;

    GIVQR_STEP void hold(idx j, double *row) const
    {
        for (int c = 0; c < width; c++) row[c] = t.T[width * j + c];
    }
    GIVQR_STEP void put(idx j, double z, double h, double k)
    {
        if (st.h) st.h[j] = h;
        s.add(st.y[j], !st.w || st.w[j] > 0.0, st.ys, j, z, h, k);
    }
    GIVQR_STEP void full(idx i, const double *r, double &h, double &k)
    {
        const double z = back<d, bidiagonal>(i, r, x, p);
        if constexpr (!bidiagonal) {
            leverage_recurrence<d>::leverage(r, g, h, k);
            put(i + d, z, h, k);
            leverage_recurrence<d>::recur(r, g);
        } else {
            const double c = r[2 * d + 2], sn = r[2 * d + 3];      /* the stencil's: as leverage () */
            h = c * c * g[leverage_recurrence<S>::at(d - 1, d - 1)];
            k = sn * sn + c * c * g[N + leverage_recurrence<S>::at(d - 1, d - 1)];
            put(i + d, z, h, k);
            double M[S][S], u1[S], u2[S];
            spline_map<d>(i, r, M, u1, u2);
            recur_general<S>(M, u1, u2, g);
        }
    }
    GIVQR_STEP void again(idx i, const double *row, int slot)
    {
        auto &c = st.cycle;
        if (c.settled) {
            put(i + d, back<d, bidiagonal>(i, row, x, p), c.hq[slot][0], c.hq[slot][1]);
            return;
        }
        full(i, row, c.hq[slot][0], c.hq[slot][1]);
        c.settled = c.steps >= t.p && std::memcmp(c.g[slot], g, 2 * N * sizeof(double)) == 0;
        std::memcpy(c.g[slot], g, 2 * N * sizeof(double));
        c.steps++;
    }
    GIVQR_STEP void again_at(idx i, idx j)
    {
        double h, k;
        full(i, row(t, j), h, k);
    }
    /* past settled steps, G and K as at the last of them, row next+1 */
    void cycled(idx, idx next)
    {
        if (st.cycle.settled)
            std::memcpy(g, st.cycle.g[t.p == 1 ? 1 : int((next + 1 - t.s) % 2)], 2 * N * sizeof(double));
    }
};

template <int d, bool bidiagonal = false>
void backward_plain(idx n, const table &t, double *x, idx k0, idx k1, backward_state &st)
{
    double p[d + 1];
    for (int k = 0; k < d; k++) p[k] = k0 == 0 ? x[k] : st.p[k];      /* c(m..m+d-1) at the start */
    p[d] = k0 == 0 ? x[n - 1] : st.p[d];                                /* and a bidiagonal block's c(n+m-1) */
    plain_steps<d, bidiagonal> f = {t, x, p};
    replay_down(t, k0, k1, f);
    if (k1 == n - d)
        for (int k = d - 1; k >= 0; k--) x[k] = p[k];
    for (int k = 0; k <= d; k++) st.p[k] = p[k];
}

template <int d, bool bidiagonal = false>
void backward_criteria(idx n, const table &t, double *x, idx k0, idx k1, backward_state &st)
{
    constexpr int s = d + bidiagonal, N = leverage_recurrence<s>::N;
    double p[d + 1], g[2 * N] = {};
    point_sums sums;
    criteria_steps<d, bidiagonal> f = {t, x, st, p, g, sums};
    for (int k = 0; k < d; k++) p[k] = k0 == 0 ? x[k] : st.p[k];
    p[d] = k0 == 0 ? x[n - 1] : st.p[d];
    if (k0 == 0) {                              /* G(m) = I, K(m) = 0 */
        for (int k = 0; k < s; k++) g[leverage_recurrence<s>::at(k, k)] = 1.0;
        sums = {};
        st.cycle.settled = false;
        st.cycle.steps = 0;
    } else {
        std::memcpy(g, st.gk, sizeof g);
        sums = st.s;
    }
    replay_down(t, k0, k1, f);
    if (k1 == n - d) {
        for (int k = d - 1; k >= 0; k--) x[k] = p[k];
        for (int k = d - 1; k >= 0; k--)        /* z(0..d-1) from G(0), K(0) */
            f.put(k, p[k], g[leverage_recurrence<s>::at(k, k)], g[N + leverage_recurrence<s>::at(k, k)]);
    }
    for (int k = 0; k <= d; k++) st.p[k] = p[k];
    std::memcpy(st.gk, g, sizeof g);
    st.s = sums;
}

} // namespace

void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, backward_state &st)
{
    if (t.w > 2 * t.d + 2) {    /* a bidiagonal lower block's: d = 2 */
        if (st.sums) backward_criteria<2, true>(n, t, x, k0, k1, st);
        else backward_plain<2, true>(n, t, x, k0, k1, st);
        return;
    }
    with_order(t.d, [&](auto order) {
        constexpr int d = decltype(order)::value;
        if (st.sums) backward_criteria<d>(n, t, x, k0, k1, st);
        else backward_plain<d>(n, t, x, k0, k1, st);
    });
}

} // namespace givqr
