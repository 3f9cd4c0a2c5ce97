/* backward: z from c2, Q applied to [0; c2] in place, with the leverages and the criteria */
#include "smooth.h"
#include "steps.h"

#include <cstring>

namespace givqr {

namespace {

/* sums += block, block = 0 */
inline void fold(fit &sums, fit &block)
{
    sums.rss += block.rss;
    sums.edf += block.edf;
    sums.rest += block.rest;
    sums.loo += block.loo;
    block = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
}

/* Point j of the sums (sums, block: c's, or copies held in registers),
 * z(j) and its h, q there.  The sums gather blocks of the 256 points from
 * j = 256*b up (fewer at the ends), each summed on its own and then added
 * to the total: a rounding error of about (256 + n/256) units where one
 * running sum would make n. */
GIVQR_STEP void add(const smooth_criteria *c, fit &sums, fit &block, idx j, double z, double h, double k)
{
    const double e = c->y[j] - z, l = e / k;
    if (c->h) c->h[j] = h;
    if (c->q) c->q[j] = k;
    if (!c->w || c->w[j] > 0.0) {       /* a point with weight */
        block.rss += e * e;
        block.edf += h;
        block.rest += k;
        block.loo += l * l;
    }
    if (j % 256 == 0) fold(sums, block);
}

/* A full step for column i: z, h and q at i+d, then G(i), K(i). */
template <int d>
inline void full(idx i, const double *r, double *x, double *p, smooth_criteria *c, double *g)
{
    const double z = replay_back<d>(i, r, x, p);
    double h, k;
    lever<d>::leverage(r, g, h, k);
    add(c, c->sums, c->block, i + d, z, h, k);
    lever<d>::recur(r, g);
}

/*
 * Within the cycle the rows repeat with period P, so G and K come under a
 * map that repeats too, and settle: once G(i), K(i) equal bit for bit those
 * P steps up, so do all below them, down to the cycle's first row, and so
 * do h and q.  From there the step takes them from the period before and
 * only replays and sums.  (Periods 1 and 2, whose rows are in registers.)
 */
template <int d>
void cycle(idx &i, idx end, const table &t, const double r[2][2 * d + 2], double *x, double *p, smooth_criteria *c,
           double *g)
{
    constexpr int G = 2 * lever<d>::N;
    smooth_criteria::settling &s = c->cycle;
    for (; i >= end && !s.settled; i--) {
        const int ph = t.p == 1 ? 0 : int((i - t.s) % 2);
        const double *row = r[t.p == 1 ? 1 : ph];
        const double z = replay_back<d>(i, row, x, p);
        lever<d>::leverage(row, g, s.hq[ph][0], s.hq[ph][1]);
        add(c, c->sums, c->block, i + d, z, s.hq[ph][0], s.hq[ph][1]);
        lever<d>::recur(row, g);
        s.settled = s.steps >= t.p && std::memcmp(s.g[ph], g, G * sizeof(double)) == 0;
        std::memcpy(s.g[ph], g, G * sizeof(double));
        s.steps++;
    }
    if (i >= end) {             /* settled: the sums held here */
        fit sums = c->sums, block = c->block;
        for (; i >= end; i--) {
            const int ph = t.p == 1 ? 0 : int((i - t.s) % 2);
            const double z = replay_back<d>(i, r[t.p == 1 ? 1 : ph], x, p);
            add(c, sums, block, i + d, z, s.hq[ph][0], s.hq[ph][1]);
        }
        c->sums = sums;
        c->block = block;
    }
    if (s.settled) std::memcpy(g, s.g[t.p == 1 ? 0 : int((i + 1 - t.s) % 2)], G * sizeof(double));
}

template <int d, bool criteria>
void backward(idx n, const table &t, double *x, idx k0, idx k1, double *carry, smooth_criteria *c)
{
    constexpr int N = lever<d>::N, w = 2 * d + 2;
    const idx m = n - d;
    double p[d];                                /* c(m..m+d-1) at the start */
    for (int k = 0; k < d; k++) p[k] = k0 == 0 ? x[k] : carry[k];
    double g[2 * N] = {};                       /* G(m) = I, K(m) = 0 */
    for (int k = 0; k < d; k++) g[lever<d>::at(k, k)] = 1.0;
    if (criteria) {
        if (k0 == 0) {
            c->sums = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
            c->block = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
            c->cycle.settled = false;
            c->cycle.steps = 0;
        } else {
            std::memcpy(g, c->gk, sizeof g);
        }
    }
    auto step = [&](idx j, const double *r) {
        if (criteria) full<d>(j, r, x, p, c, g);
        else replay_back<d>(j, r, x, p);
    };
    idx i = m - 1 - k0;
    const idx stop = m - k1;                    /* the last column of this part */
    for (; i >= stop && i >= m - d; i--) step(i, row(t, i));
    if (i >= stop && i >= t.s && t.p <= 2) {    /* the cycle, its rows in registers */
        const idx end = stop > t.s ? stop : t.s;
        double r[2][w];
        period_rows<w>(t, r);
        if (criteria) {
            cycle<d>(i, end, t, r, x, p, c, g);
        } else if (t.p == 1) {
            for (; i >= end; i--) replay_back<d>(i, r[1], x, p);
        } else {
            if (i >= end && (i - t.s) % 2 == 0) replay_back<d>(i, r[0], x, p), i--;
            for (; i - 1 >= end; i -= 2) {
                replay_back<d>(i, r[1], x, p);
                replay_back<d>(i - 1, r[0], x, p);
            }
            if (i >= end) replay_back<d>(i, r[1], x, p), i--;
        }
    }
    for (; i >= stop; i--) step(i, row(t, i));
    if (k1 == m) {
        for (int k = d - 1; k >= 0; k--) x[k] = p[k];
        if (criteria)                           /* z(0..d-1) from G(0), K(0) */
            for (int k = d - 1; k >= 0; k--)
                add(c, c->sums, c->block, k, p[k], g[lever<d>::at(k, k)], g[N + lever<d>::at(k, k)]);
    }
    for (int k = 0; k < d; k++) carry[k] = p[k];
    if (criteria) std::memcpy(c->gk, g, sizeof g);
}

template <int d>
void backward_d(idx n, const table &t, double *x, idx k0, idx k1, double *carry, smooth_criteria *c)
{
    if (c) backward<d, true>(n, t, x, k0, k1, carry, c);
    else backward<d, false>(n, t, x, k0, k1, carry, c);
}

} // namespace

void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, double *carry, smooth_criteria *c)
{
    switch (t.d) {
    case 1: backward_d<1>(n, t, x, k0, k1, carry, c); break;
    case 2: backward_d<2>(n, t, x, k0, k1, carry, c); break;
    case 3: backward_d<3>(n, t, x, k0, k1, carry, c); break;
    default: backward_d<4>(n, t, x, k0, k1, carry, c); break;
    }
}

} // namespace givqr
