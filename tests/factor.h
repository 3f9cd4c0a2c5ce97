// factor.h: run the factorization kernels into plain arrays, for the tests
#ifndef GIVQR_TEST_FACTOR_H
#define GIVQR_TEST_FACTOR_H

#include "rotations.h"
#include "QR.h"

#include <cstdint>
#include <vector>

struct factor {
    givqr::idx n, m;
    std::vector<double> Qbar, pr;
    std::vector<int64_t> ir, jc;

    factor(givqr::idx n_, double sigma)
        : n(n_), m(n_ - 2), Qbar(6 * m), pr(givqr::R_nz(n_)), ir(pr.size()), jc(m + 1)
    {
        givqr::QR_pattern(n, ir.data(), jc.data());
        givqr::QR(n, sigma, Qbar.data(), pr.data());
    }
    double Q(givqr::idx i, int k) const { return Qbar[k * m + i]; }
    double R(givqr::idx r, givqr::idx j) const        // 0 outside the pattern
    {
        for (int64_t p = jc[j]; p < jc[j + 1]; p++)
            if (ir[p] == r) return pr[p];
        return 0.0;
    }
};

// x in [-1, 1) from a linear congruential generator: integer operations and
// an exact scaling only, no library function whose last bit varies.
inline std::vector<double> lcg(givqr::idx len, uint64_t s)
{
    std::vector<double> x(len);
    for (double &v : x) {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        v = static_cast<double>(static_cast<int64_t>(s >> 11) - (int64_t(1) << 52)) * 0x1p-52;
    }
    return x;
}

// Column j of A = [D'; sigma*I]: 1, -2, 1 in rows j..j+2, sigma in row n+j.
inline std::vector<double> column(givqr::idx n, double sigma, givqr::idx j)
{
    std::vector<double> a(givqr::length(n), 0.0);
    a[j] = 1.0;
    a[j + 1] = -2.0;
    a[j + 2] = 1.0;
    a[n + j] = sigma;
    return a;
}

#endif
