/* sums.h: what the two passes add up for the criteria */
#ifndef GIVQR_SUMS_H
#define GIVQR_SUMS_H

#include "elementary.h"
#include "table.h"

#include <cstdint>
#include <cstring>

namespace givqr {

/* Sums of many terms are gathered in blocks of this many, each summed on
 * its own and then added to the total: a rounding error of about (block +
 * n/block) units where one running sum would make n. */
constexpr idx sum_block = 256;

/*
 * What the forward pass adds up, all the restricted likelihood needs:
 * |c1|^2, the squares of the entries of Q'*[b; 0] that R reaches (=
 * sum(w.*(y - z).^2) + lambda*|D*z|^2); and log |det R| = sum(log
 * |R(i,i)|), over the steps computed as prod |R(i,i)| = mant*2^expo (each
 * factor split into its exponent and a mantissa in [1, 2) from its bits,
 * exactly, the mantissas' product brought back below 2 every sum_block
 * steps), and over the cycle's steps of periods 1 and 2 as the count of
 * each of its two rows (even, odd steps past its start) with its R(j,j)
 * (r_even, r_odd).
 */
struct forward_sums {
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
        if (++count % sum_block == 0) {
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
        if (++factors % sum_block == 0) {
            split(mant, mant, e);
            expo += e;
        }
    }

    /* the steps from .. end-1 of t's cycle of period 1 or 2, each its row's R(j,j) */
    void cycle(const table &t, idx from, idx end)
    {
        if (t.p > 2) return;        /* those factors were taken step by step */
        const idx o = t.p == 1 ? 0 : (end - t.s) / 2 - (from - t.s) / 2;
        odd += o;
        even += (end - from) - o;
        r_even = t.R[t.s - t.p];
        r_odd = t.R[t.s - 1];
    }

    double squares() const { return sq + block; }

    /* log |det R|, less e*log(2) */
    double log_det(long long e) const
    {
        return log_of(mant, double(expo - e)) + (double(even) * log_of(std::fabs(r_even)) +
                                                 (odd > 0 ? double(odd) * log_of(std::fabs(r_odd)) : 0.0));
    }
};

/* What the passes add up over a series, for the criteria and the info:
 * from the backward pass, over the points with weight, |b - sqrt(w).*z|^2
 * = sum(w.*(y - z).^2), the trace of H (edf), the number of points with
 * weight less edf, and the sum of w.*((y - z)./(1 - h)).^2; from the
 * forward pass |c1|^2 and log |det R| (forward_sums), the missing points'
 * scale taken out. */
struct sums {
    double rss, edf, rest, loo;
    double squares;
    double logdet;
};

/* The backward pass's sums, point by point, from the last point to the
 * first: point j's residual against the series b (its y, counted where the
 * point has weight), times the power of 2 ys, its leverage h and 1 - h
 * computed apart (k), each block of sum_block points from j = sum_block*i
 * up summed on its own. */
struct point_sums {
    sums total, block;

    GIVQR_STEP void add(double y, bool weighted, double ys, idx j, double z, double h, double k)
    {
        const double e = (y - z) * ys, l = e / k;
        if (weighted) {
            block.rss += e * e;
            block.edf += h;
            block.rest += k;
            block.loo += l * l;
        }
        if (j % sum_block == 0) {
            total.rss += block.rss;
            total.edf += block.edf;
            total.rest += block.rest;
            total.loo += block.loo;
            block = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
        }
    }
};

} // namespace givqr

#endif
