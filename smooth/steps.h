/* steps.h: the smoother's steps for column i, each way, and of the leverages' recurrence */
#ifndef GIVQR_STEPS_H
#define GIVQR_STEPS_H

#include "elementary.h"
#include "rotations.h"
#include "table.h"

#include <cstdint>
#include <cstring>

namespace givqr {

/* What the forward pass adds up for the restricted likelihood: |c1|^2, the
 * squares of the entries of Q'*[b; 0] that R reaches (= sum(w.*(y - z).^2) +
 * lambda*|D*z|^2), in blocks of 256; and log |det R| = sum(log |R(i,i)|),
 * over the steps computed as prod |R(i,i)| = mant*2^expo (each factor split
 * into its exponent and a mantissa in [1, 2) from its bits, exactly, the
 * mantissas' product brought back below 2 every 256 steps), and over the
 * cycle's steps of periods 1 and 2 as the count of each phase (even, odd
 * steps past its start) with its R(j,j) (r_even, r_odd). */
struct tally {
    double sq = 0.0, block = 0.0;
    double mant = 1.0, r_even = 1.0, r_odd = 1.0;
    long long expo = 0;
    idx count = 0, factors = 0, even = 0, odd = 0;

    GIVQR_STEP static void split(double r, double &m, long long &e)
    {
        std::uint64_t b;
        std::memcpy(&b, &r, sizeof b);
        const int x = int((b >> 52) & 0x7ff);
        if (x == 0 || x == 0x7ff) {         /* 0, subnormal, Inf or NaN: by frexp */
            int k;
            m = 2.0 * std::frexp(std::fabs(r), &k);
            e = k - 1;
            return;
        }
        b = (b & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL;
        std::memcpy(&m, &b, sizeof m);
        e = x - 1023;
    }

    GIVQR_STEP void square(double c)
    {
        block += c * c;
        if (++count % 256 == 0) {
            sq += block;
            block = 0.0;
        }
    }

    GIVQR_STEP void factor(double r)
    {
        double m;
        long long e;
        split(r, m, e);
        mant = mant * m;
        expo += e;
        if (++factors % 256 == 0) {
            split(mant, mant, e);
            expo += e;
        }
    }

    double squares() const { return sq + block; }

    /* log |det R|, less e*log(2) */
    double log_det(long long e) const
    {
        return log_of(mant, double(expo - e)) + (double(even) * log_of(std::fabs(r_even)) +
                                                 (odd > 0 ? double(odd) * log_of(std::fabs(r_odd)) : 0.0));
    }
};

/* givfwd's step i on [y; 0] for order d, with the rotations q of column i,
 * carrying y(i..i+d-1) so far in a.  Two-sided: c(n+i) to x(i+d).
 * One-sided: the last point of the smooth of y(1:i+d+1) to x(i+d), as
 * givinv's first step for that prefix makes it, and where h is not null
 * its leverage c^2 to h(i+d). */
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
    const double c1 = a[0];                                     /* row i of Q'*[y; 0], R's */
    for (int k = 1; k < d; k++) a[k - 1] = a[k];
    a[d - 1] = c;
    return c1;
}

/* replay_step for columns i <= j < end of the cycle of t (t.s <= i, end <=
 * m-d), the rows of periods 1 and 2 held in registers; with sums, each
 * step's entry of c1 and R(j,j) (t.R) added up in k.  Returns where it
 * stopped. */
template <int d, bool onesided, bool sums>
inline idx cycle_replay(const table &t, idx i, idx end, const double *y, double *x, double *h, double *carry,
                        tally *k)
{
    constexpr int w = 2 * d + 2;
    if (i >= end) return i;
    double a[d];                    /* the carried values, here in registers */
    for (int j = 0; j < d; j++) a[j] = carry[j];
    if (t.p > 2) {                  /* the period's rows from memory, their phase counted along */
        const double *T = t.T + w * (t.s - t.p), *R = t.R + (t.s - t.p);
        for (idx ph = (i - t.s) % t.p; i < end; i++) {
            const double c = replay_step<d, onesided>(i, T + w * ph, y, x, h, a);
            if (sums) k->square(c), k->factor(R[ph]);
            if (++ph == t.p) ph = 0;
        }
    } else {
        double q[2][w];
        period_rows<w>(t, q);
        const idx from = i;
        auto step = [&](idx j, int ph) {
            const double c = replay_step<d, onesided>(j, q[ph], y, x, h, a);
            if (sums) k->square(c);
        };
        if (t.p == 1) {
            for (; i < end; i++) step(i, 1);
        } else {
            if ((i - t.s) % 2 == 1) step(i, 1), i++;
            for (; i + 1 < end; i += 2) {
                step(i, 0);
                step(i + 1, 1);
            }
            if (i < end) step(i, 0);
        }
        if (sums) {                 /* the phases' R(j,j), so many times each */
            const idx odd = t.p == 1 ? 0 : (end - t.s) / 2 - (from - t.s) / 2;
            k->odd += odd;
            k->even += (end - from) - odd;
            k->r_even = t.R[t.s - t.p];
            k->r_odd = t.R[t.s - 1];
        }
    }
    for (int j = 0; j < d; j++) carry[j] = a[j];
    return end;
}

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

/*
 * The leverages' recurrence (smooth.h).  Q' reaches e(j) at column j-d,
 * after which the replay carries a state of d numbers (rows k..k+d-1) that
 * column k maps linearly, with the fresh row 0: the weight rotation writes
 * s0*a(0) to c2; carry k makes row k-1 of M, s_k times what row k holds of
 * the running a(0) plus c_k*a(k); the stencil writes c_d times the running
 * a(0) to c1 and makes M's last row, s_d times it.  The running a(0) holds
 * c_k * ... * c_(j+1) * x_j of a(j), x_0 = c0, x_j = -s_j; M's rows take
 * their products from the left, c1's from the right (for d = 2 these are
 * M = [s1*c0, c1; (s2*c1)*c0, s2*(-s1)] and c2*(c1*c0), c2*(-s1)).
 * G and K are kept as upper triangles, row by row: G in g[0..N-1], K in
 * g[N..2N-1], N = d(d+1)/2.
 */
template <int d>
struct lever {
    static constexpr int N = d * (d + 1) / 2;

    /* The place of (i, j), i <= j, in an upper triangle kept row by row. */
    static constexpr int at(int i, int j) { return i * d - i * (i - 1) / 2 + (j - i); }

    /* h(i+d) and q(i+d) from G(i+1), K(i+1) in g and the rotations r of column i. */
    GIVQR_STEP static void leverage(const double *r, const double *g, double &h, double &k)
    {
        const double c = r[2 * d], s = r[2 * d + 1];
        h = c * c * g[at(d - 1, d - 1)];
        k = s * s + c * c * g[N + at(d - 1, d - 1)];
    }

    /* X = M'*X*M for X symmetric, its upper triangle in x, in the order written */
    GIVQR_STEP static void congruence(const double M[d][d], double *x)
    {
        double A[d][d];             /* X*M */
        for (int i = 0; i < d; i++)
            for (int j = 0; j < d; j++) {
                double v = x[i <= 0 ? at(i, 0) : at(0, i)] * M[0][j];
                for (int k = 1; k < d; k++) v = v + x[i <= k ? at(i, k) : at(k, i)] * M[k][j];
                A[i][j] = v;
            }
        for (int i = 0; i < d; i++)
            for (int j = i; j < d; j++) {
                double v = M[0][i] * A[0][j];
                for (int k = 1; k < d; k++) v = v + M[k][i] * A[k][j];
                x[at(i, j)] = v;
            }
    }

    /* G(i), K(i) in g from G(i+1), K(i+1) and the rotations r of column i. */
    GIVQR_STEP static void recur(const double *r, double *g)
    {
        double M[d][d] = {}, alpha[d];
        alpha[0] = r[0];                                    /* x_0 = c0 */
        for (int j = 1; j < d; j++) alpha[j] = -r[2 * j + 1];   /* x_j = -s_j */
        for (int k = 1; k <= d; k++) {                      /* row k-1 of M */
            double gamma = r[2 * k + 1];
            for (int j = k - 1; j >= 0; j--) {
                M[k - 1][j] = gamma * alpha[j];
                if (j >= 1) gamma = gamma * r[2 * j];
            }
            if (k < d) M[k - 1][k] = r[2 * k];
        }
        /* the running a(0) from the right: alpha(j) = c_(d-1)*(...*(c_(j+1)*x_j)) */
        for (int j = 0; j < d - 1; j++)
            for (int k = j + 1; k < d; k++) alpha[j] = r[2 * k] * alpha[j];
        congruence(M, g);
        g[0] = g[0] + r[1] * r[1];
        congruence(M, g + N);
        double o[d];
        for (int j = 0; j < d; j++) o[j] = r[2 * d] * alpha[j];
        for (int i = 0; i < d; i++)
            for (int j = i; j < d; j++) g[N + at(i, j)] = g[N + at(i, j)] + o[i] * o[j];
    }
};

} // namespace givqr

#endif
