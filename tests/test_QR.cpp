// QR: the sparse pattern, the worked factorizations, and Q'*A = [R; 0]
#include "factor.h"
#include "replay.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using givqr::idx;

namespace {

const double eps = std::numeric_limits<double>::epsilon();
const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

// Signed zeros count; which NaN comes out of an operation on two NaNs is up to
// the compiler's operand order, so any NaN matches any other.
bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// The sweep as a list of steps on the slots of R, each found through jc and
// ir; the kernel carries the same values in registers and must agree to the bit.
void QR_steps(idx n, double sigma, double *Qbar, const int64_t *ir, const int64_t *jc, double *pr)
{
    const idx m = n - 2;
    auto R = [&](idx r, idx j) -> double & { return pr[jc[j] + (r - ir[jc[j]])]; };
    auto Q = [&](idx i, int k) -> double & { return Qbar[k * m + i]; };
    double t, w = -2.0;
    R(0, 0) = 1.0;
    if (n > 3) R(1, 1) = 1.0;
    for (idx i = 0; i < m; i++) {
        t = sigma;
        givqr::rotg(&R(i, i), &t, &Q(i, 0), &Q(i, 1));
        givqr::rotg(&R(i, i), &w, &Q(i, 2), &Q(i, 3));
        if (i < m - 1) {
            R(i, i + 1) = 0.0;
            givqr::rot(&R(i, i + 1), &R(i + 1, i + 1), Q(i, 2), Q(i, 3));
        }
        t = 1.0;
        givqr::rotg(&R(i, i), &t, &Q(i, 4), &Q(i, 5));
        if (i < m - 1) {
            w = -2.0;
            givqr::rot(&R(i, i + 1), &w, Q(i, 4), Q(i, 5));
        }
        if (i < m - 2) {
            R(i, i + 2) = 0.0;
            R(i + 2, i + 2) = 1.0;
            givqr::rot(&R(i, i + 2), &R(i + 2, i + 2), Q(i, 4), Q(i, 5));
        }
    }
}

const idx sizes[] = {3, 4, 5, 6, 7, 10, 101, 350, 2048, 5003};
// The sweep checks what the golden digests do not hold: other n, and NaN
const idx sweep_sizes[] = {6, 7, 101, 350, 2048, 5003};
const double sigmas[] = {0.0, -0.0, 1e-8, 0.1, 1.0, 2.0, -0.7, 1e3, 1e150};

TEST(QR, PatternIsTheBand)
{
    factor f(6, 1.0);
    EXPECT_EQ(f.jc, (std::vector<int64_t>{0, 1, 3, 6, 9}));
    EXPECT_EQ(f.ir, (std::vector<int64_t>{0, 0, 1, 0, 1, 2, 1, 2, 3}));
    for (idx n : sizes) {
        factor g(n, 1.0);
        SCOPED_TRACE(n);
        ASSERT_EQ(g.jc[0], 0);
        ASSERT_EQ(g.jc[g.m], givqr::R_nz(n));
        for (idx j = 0; j < g.m; j++) {             // rows max(0, j-2) .. j
            ASSERT_EQ(g.jc[j + 1] - g.jc[j], std::min<idx>(j, 2) + 1);
            for (int64_t p = g.jc[j]; p < g.jc[j + 1]; p++)
                ASSERT_EQ(g.ir[p], j - (g.jc[j + 1] - 1 - p));
        }
    }
}

TEST(QR, WorkedValues)
{
    factor a(3, 0.0);               // A = (1, -2, 1, 0)'
    const double want[] = {1, 0, 1 / std::sqrt(5.0), 2 / std::sqrt(5.0),
                           std::sqrt(5.0 / 6.0), -1 / std::sqrt(6.0)};
    for (int k = 0; k < 6; k++) EXPECT_NEAR(a.Qbar[k], want[k], 2 * eps) << k;
    EXPECT_EQ(a.pr[0], std::nextafter(std::sqrt(6.0), 3.0));   // one ulp above sqrt(6)
    EXPECT_EQ(a.jc, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(a.ir, (std::vector<int64_t>{0}));

    factor b(3, 2.0);               // the diagonal is not made positive
    const double wantb[] = {-1 / std::sqrt(5.0), 2 / std::sqrt(5.0), std::sqrt(5.0) / 3,
                            -2.0 / 3, 3 / std::sqrt(10.0), 1 / std::sqrt(10.0)};
    for (int k = 0; k < 6; k++) EXPECT_NEAR(b.Qbar[k], wantb[k], 2 * eps) << k;
    EXPECT_NEAR(b.pr[0], -std::sqrt(10.0), 4 * eps);

    factor c(4, 0.0);               // R(1,1) preset, no second superdiagonal
    EXPECT_EQ(c.jc, (std::vector<int64_t>{0, 1, 3}));
    EXPECT_EQ(c.ir, (std::vector<int64_t>{0, 0, 1}));
    EXPECT_NEAR(c.pr[0], std::sqrt(6.0), 4 * eps);
    EXPECT_NEAR(c.pr[1], -4 / std::sqrt(6.0), 4 * eps);
    EXPECT_NEAR(c.pr[2], std::sqrt(10.0 / 3), 4 * eps);
    for (int k = 0; k < 6; k++) EXPECT_EQ(c.Q(0, k), a.Q(0, k)) << k;
}

// Past a transient the rows repeat and the kernel copies them: its bits must
// be the step-by-step sweep's whether the repeat comes at once (Inf, NaN,
// 1e300), late, just before the last rows (n a few past the transient, with
// period 1 at sigma = 1, 2 at 0.1 and 18 at 10^-3.5, ending at every kind
// of phase), or never (0, the least subnormal, n below the transient).
TEST(QR, SameBitsAsTheStepByStepSweep)
{
    struct run { double sigma; std::vector<idx> ns; int repeats; };   // 1 yes (n > 100), 0 no, -1 by n
    const std::vector<idx> all(std::begin(sweep_sizes), std::end(sweep_sizes));
    const run runs[] = {
        {0.0, all, 0}, {-0.0, all, 0}, {4.9e-324, all, 0}, {1e-300, all, -1}, {0.1, all, -1},
        {-3.5, all, -1}, {1e300, all, 1}, {inf, all, 1}, {-inf, all, 1}, {nan, all, 1},
        {1.0, {28, 29, 30, 31, 32, 33, 34, 35}, -1}, {0.1, {88, 89, 90, 91, 92, 93, 94, 95}, -1},
        {0.000316227766016838, {2070, 2071, 2077, 2080, 2086, 2087, 3001}, -1},     // period 18 from step 2065
    };
    int copied = 0;
    for (const run &k : runs)
        for (idx n : k.ns) {
            const idx m = n - 2;
            std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n)), Q2(Qbar.size()), pr2(pr.size());
            std::vector<int64_t> ir(pr.size()), jc(m + 1);
            givqr::QR_pattern(n, ir.data(), jc.data());
            givqr::sweep_state st;
            givqr::QR_part(n, k.sigma, Qbar.data(), pr.data(), 0, m, &st);
            QR_steps(n, k.sigma, Q2.data(), ir.data(), jc.data(), pr2.data());
            SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << k.sigma << ", cycle from "
                                            << st.start << ", period " << st.period);
            if (k.repeats == 0 || (k.repeats == 1 && n > 100)) {
                EXPECT_EQ(st.start >= 0, k.repeats == 1);
            }
            copied += st.start >= 0;
            for (size_t j = 0; j < Qbar.size(); j++) ASSERT_TRUE(same_bits(Qbar[j], Q2[j])) << j;
            for (size_t j = 0; j < pr.size(); j++) ASSERT_TRUE(same_bits(pr[j], pr2[j])) << j;
        }
    EXPECT_GT(copied, 40);
}

TEST(QR, InPartsTheSameBits)
{
    for (idx n : {3, 4, 5, 7, 1000, 1001})      // the cycle from step 62, period 2
        for (idx part : {1, 2, 3, 64}) {
            const factor f(n, 0.3);
            std::vector<double> Qbar(f.Qbar.size()), pr(f.pr.size());
            std::vector<int64_t> ir(f.ir.size()), jc(f.jc.size());
            givqr::sweep_state state;
            for (idx i0 = 0; i0 < f.m; i0 += part) {
                const idx i1 = std::min(f.m, i0 + part);
                givqr::QR_pattern(n, ir.data(), jc.data(), i0, i1);
                givqr::QR_part(n, 0.3, Qbar.data(), pr.data(), i0, i1, &state);
            }
            EXPECT_EQ(std::memcmp(Qbar.data(), f.Qbar.data(), Qbar.size() * 8), 0) << n << ", " << part;
            EXPECT_EQ(std::memcmp(pr.data(), f.pr.data(), pr.size() * 8), 0) << n << ", " << part;
            EXPECT_EQ(ir, f.ir);
            EXPECT_EQ(jc, f.jc);
        }
}

TEST(QR, NormalEquationsHold)
{
    // R'*R = D*D' + sigma^2*I: 6 + sigma^2 on the diagonal, -4 and 1 beside it
    for (idx n : sizes)
        for (double sigma : sigmas) {
            factor f(n, sigma);
            const double scale = 6 + sigma * sigma, tol = 16 * eps * scale;
            SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << sigma);
            for (idx j = 0; j < f.m; j++)
                for (idx i = std::max<idx>(0, j - 4); i <= j; i++) {
                    double rr = 0;
                    for (idx k = std::max<idx>(0, j - 2); k <= i; k++) rr += f.R(k, i) * f.R(k, j);
                    const double want = i == j ? scale : i == j - 1 ? -4 : i == j - 2 ? 1 : 0;
                    ASSERT_NEAR(rr, want, tol) << "(" << i << ", " << j << ")";
                }
        }
}

TEST(QR, RotationsOfTheTableTakeAToR)
{
    for (idx n : {3, 4, 5, 9, 64, 700})
        for (double sigma : sigmas) {
            factor f(n, sigma);
            const double tol = 16 * eps * std::sqrt(6 + sigma * sigma);
            SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << sigma);
            std::vector<double> y(givqr::length(n));
            for (idx j = 0; j < f.m; j++) {
                givqr::givfwd(n, f.Qbar.data(), column(n, sigma, j).data(), y.data());
                for (idx r = 0; r < givqr::length(n); r++)
                    ASSERT_NEAR(y[r], r < f.m ? f.R(r, j) : 0.0, tol) << r << ", " << j;
            }
        }
}

TEST(QR, UnusualSigmas)
{
    factor zero(50, 0.0), mzero(50, -0.0);
    for (idx i = 0; i < zero.m; i++) {              // weight rotations are (1, 0)
        EXPECT_EQ(zero.Q(i, 0), 1.0);
        EXPECT_EQ(zero.Q(i, 1), 0.0);
    }
    for (size_t k = 0; k < zero.pr.size(); k++) EXPECT_TRUE(same_bits(zero.pr[k], mzero.pr[k]));

    factor plus(50, 0.3), minus(50, -0.3);          // same R'*R, some signs differ
    for (idx j = 0; j < plus.m; j++)
        EXPECT_NEAR(std::fabs(plus.R(j, j)), std::fabs(minus.R(j, j)), 8 * eps * 6);

    factor nf(20, nan);
    for (double v : nf.pr) EXPECT_TRUE(std::isnan(v));
    for (double v : nf.Qbar) EXPECT_TRUE(std::isnan(v));

    factor in(20, inf);
    for (idx j = 0; j < in.m; j++) EXPECT_TRUE(std::isinf(in.R(j, j)));
    for (double v : in.Qbar) EXPECT_TRUE(std::isfinite(v));
}

} // namespace
