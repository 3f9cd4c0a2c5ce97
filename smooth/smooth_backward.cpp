/* smooth_backward: z from c2, Q applied to [0; c2] in place, with the leverages and the criteria */
#include "smooth.h"
#include "rotations.h"

#include <cstring>

namespace givqr {

namespace {

/* givinv's step for column i with x(i) = 0: reads c(n+i) from x(i+2) and
 * leaves z(i+2) there; p, q carry z(i+1), z(i+2) so far.  -s flips the sign
 * bit, as in givinv.  Returns z(i+2). */
inline double replay(idx i, const double *r, double *x, double &p, double &q)
{
    double a = 0.0, w = x[i + 2];
    rot(&a, &q, r[4], -r[5]);       /* stencil: rows (i, i+2) */
    rot(&a, &p, r[2], -r[3]);       /* carry:   rows (i, i+1) */
    rot(&a, &w, r[0], -r[1]);       /* weight:  rows (i, n+i) */
    x[i + 2] = q;
    const double z = q;
    q = p;
    p = a;
    return z;
}

/* h(i+2) and q(i+2) from G(i+1), K(i+1) in g and the rotations r of column i. */
inline void leverage(const double *r, const double g[6], double &h, double &k)
{
    const double c2 = r[4], s2 = r[5];
    h = c2 * c2 * g[2];
    k = s2 * s2 + c2 * c2 * g[5];
}

/* X = M'*X*M for symmetric 2x2 X = [x11 x12; x12 x22], in the order written */
inline void congruence(const double M[4], double &x11, double &x12, double &x22)
{
    const double a11 = x11 * M[0] + x12 * M[2], a12 = x11 * M[1] + x12 * M[3];     /* X*M */
    const double a21 = x12 * M[0] + x22 * M[2], a22 = x12 * M[1] + x22 * M[3];
    x11 = M[0] * a11 + M[2] * a21;
    x12 = M[0] * a12 + M[2] * a22;
    x22 = M[1] * a12 + M[3] * a22;
}

/* G(i), K(i) in g from G(i+1), K(i+1) and the rotations r of column i. */
inline void recur(const double *r, double g[6])
{
    const double c0 = r[0], s0 = r[1], c1 = r[2], s1 = r[3], c2 = r[4];
    const double M[4] = {s1 * c0, c1, r[5] * c1 * c0, -r[5] * s1};
    congruence(M, g[0], g[1], g[2]);
    g[0] = g[0] + s0 * s0;
    congruence(M, g[3], g[4], g[5]);
    const double o1 = c2 * (c1 * c0), o2 = c2 * -s1;
    g[3] = g[3] + o1 * o1;
    g[4] = g[4] + o1 * o2;
    g[5] = g[5] + o2 * o2;
}

/* sums += block, block = 0 */
inline void fold(fit &sums, fit &block)
{
    sums.rss += block.rss;
    sums.edf += block.edf;
    sums.rest += block.rest;
    sums.loo += block.loo;
    block = {0.0, 0.0, 0.0, 0.0};
}

/* Point j of the sums, z(j) and its h, q there.  The sums gather blocks of
 * the 256 points from j = 256*b up (fewer at the ends), each summed on its
 * own and then added to the total: a rounding error of about (256 + n/256)
 * units where one running sum would make n. */
inline void add(smooth_criteria *c, idx j, double z, double h, double k)
{
    const double e = c->y[j] - z, l = e / k;
    if (c->h) c->h[j] = h;
    if (c->q) c->q[j] = k;
    if (!c->w || c->w[j] > 0.0) {       /* a point with weight */
        c->block.rss += e * e;
        c->block.edf += h;
        c->block.rest += k;
        c->block.loo += l * l;
    }
    if (j % 256 == 0) fold(c->sums, c->block);
}

/* A full step for column i: z, h and q at i+2, then G(i), K(i). */
inline void full(idx i, const double *r, double *x, double &p, double &q, smooth_criteria *c, double g[6])
{
    const double z = replay(i, r, x, p, q);
    double h, k;
    leverage(r, g, h, k);
    add(c, i + 2, z, h, k);
    recur(r, g);
}

/*
 * Within the cycle the rows repeat with period P, so G and K come under a
 * map that repeats too, and settle: once G(i), K(i) equal bit for bit those
 * P steps up, so do all below them, down to the cycle's first row, and so
 * do h and q.  From there the step takes them from the period before and
 * only replays and sums.  (Periods 1 and 2, whose rows are in registers.)
 */
void cycle(idx &i, idx end, const table &t, const double r[2][6], double *x, double &p, double &q,
           smooth_criteria *c, double g[6])
{
    smooth_criteria::settling &s = c->cycle;
    for (; i >= end; i--) {
        const int ph = t.p == 1 ? 0 : int((i - t.s) % 2);
        const double *row = r[t.p == 1 ? 1 : ph];
        const double z = replay(i, row, x, p, q);
        if (s.settled) {
            add(c, i + 2, z, s.hq[ph][0], s.hq[ph][1]);
            continue;
        }
        leverage(row, g, s.hq[ph][0], s.hq[ph][1]);
        add(c, i + 2, z, s.hq[ph][0], s.hq[ph][1]);
        recur(row, g);
        s.settled = s.steps >= t.p && std::memcmp(s.g[ph], g, 6 * sizeof(double)) == 0;
        std::memcpy(s.g[ph], g, 6 * sizeof(double));
        s.steps++;
    }
    if (s.settled) std::memcpy(g, s.g[t.p == 1 ? 0 : int((i + 1 - t.s) % 2)], 6 * sizeof(double));
}

template <bool criteria>
void backward(idx n, const table &t, double *x, idx k0, idx k1, double carry[2], smooth_criteria *c)
{
    const idx m = order(n);
    double p = k0 == 0 ? x[0] : carry[0];     /* c(m), c(m+1) at the start */
    double q = k0 == 0 ? x[1] : carry[1];
    double g[6] = {1.0, 0.0, 1.0, 0.0, 0.0, 0.0};      /* G(m) = I, K(m) = 0 */
    if (criteria) {
        if (k0 == 0) {
            c->sums = {0.0, 0.0, 0.0, 0.0};
            c->block = {0.0, 0.0, 0.0, 0.0};
            c->cycle.settled = false;
            c->cycle.steps = 0;
        } else {
            std::memcpy(g, c->gk, sizeof g);
        }
    }
    auto step = [&](idx j, const double *r) {
        if (criteria) full(j, r, x, p, q, c, g);
        else replay(j, r, x, p, q);
    };
    idx i = m - 1 - k0;
    const idx stop = m - k1;                    /* the last column of this part */
    for (; i >= stop && i >= m - 2; i--) step(i, row(t, i));
    if (i >= stop && i >= t.s && t.p <= 2) {    /* the cycle, its rows in registers */
        const idx end = stop > t.s ? stop : t.s;
        double r[2][6];
        for (int k = 0; k < 6; k++) {
            r[0][k] = t.T[6 * (t.s - t.p) + k];
            r[1][k] = t.T[6 * (t.s - 1) + k];
        }
        if (criteria) {
            cycle(i, end, t, r, x, p, q, c, g);
        } else if (t.p == 1) {
            for (; i >= end; i--) replay(i, r[1], x, p, q);
        } else {
            if (i >= end && (i - t.s) % 2 == 0) replay(i, r[0], x, p, q), i--;
            for (; i - 1 >= end; i -= 2) {
                replay(i, r[1], x, p, q);
                replay(i - 1, r[0], x, p, q);
            }
            if (i >= end) replay(i, r[1], x, p, q), i--;
        }
    }
    for (; i >= stop; i--) step(i, row(t, i));
    if (k1 == m) {
        x[1] = q;
        x[0] = p;
        if (criteria) {                         /* z(0), z(1) from G(0), K(0) */
            add(c, 1, q, g[2], g[5]);
            add(c, 0, p, g[0], g[3]);
        }
    }
    carry[0] = p;
    carry[1] = q;
    if (criteria) std::memcpy(c->gk, g, sizeof g);
}

} // namespace

void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, double carry[2], smooth_criteria *c)
{
    if (c) backward<true>(n, t, x, k0, k1, carry, c);
    else backward<false>(n, t, x, k0, k1, carry, c);
}

} // namespace givqr
