// givfwd and givinv: Q' and Q from the table, on vectors numbered as A's rows
#include "factor.h"
#include "replay.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using givqr::givfwd;
using givqr::givinv;
using givqr::idx;

namespace {

const double eps = std::numeric_limits<double>::epsilon();

std::vector<double> noise(idx len, unsigned seed)
{
    std::mt19937_64 g(seed);
    std::normal_distribution<double> d;
    std::vector<double> x(len);
    for (double &v : x) v = d(g);
    return x;
}

// The replays as written: copy x, then rotate y in place, position by position.
// The kernels carry entries in registers instead and must agree to the bit.
void fwd_steps(idx n, const double *Qbar, const double *x, double *y)
{
    const idx m = n - 2;
    for (idx k = 0; k < 2 * n - 2; k++) y[k] = x[k];
    for (idx i = 0; i < m; i++) {
        givqr::rot(&y[i], &y[n + i], Qbar[i], Qbar[m + i]);
        givqr::rot(&y[i], &y[i + 1], Qbar[2 * m + i], Qbar[3 * m + i]);
        givqr::rot(&y[i], &y[i + 2], Qbar[4 * m + i], Qbar[5 * m + i]);
    }
}

void inv_steps(idx n, const double *Qbar, const double *x, double *y)
{
    const idx m = n - 2;
    for (idx k = 0; k < 2 * n - 2; k++) y[k] = x[k];
    for (idx i = m - 1; i >= 0; i--) {
        givqr::rot(&y[i], &y[i + 2], Qbar[4 * m + i], -Qbar[5 * m + i]);
        givqr::rot(&y[i], &y[i + 1], Qbar[2 * m + i], -Qbar[3 * m + i]);
        givqr::rot(&y[i], &y[n + i], Qbar[i], -Qbar[m + i]);
    }
}

bool same_bits(const std::vector<double> &a, const std::vector<double> &b)
{
    for (size_t k = 0; k < a.size(); k++)
        if (std::memcmp(&a[k], &b[k], sizeof(double)) != 0 && !(std::isnan(a[k]) && std::isnan(b[k])))
            return false;
    return true;
}

TEST(apply, SameBitsAsTheStepByStepReplay)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {0.0, -0.0, 1.0, -1.0, inf, -inf, std::nan(""), 1e-310, 3e300};
    std::mt19937_64 g(11);
    for (idx n : {3, 4, 5, 6, 9, 100, 3001}) {
        const factor f(n, 0.37);
        std::vector<double> wild = f.Qbar;          // a table with every odd value in it
        for (double &q : wild)
            if (g() % 4 == 0) q = odd[g() % 9];
        std::vector<double> x = noise(givqr::length(n), static_cast<unsigned>(n));
        x[0] = -0.0;
        x[x.size() - 1] = odd[g() % 9];
        const std::vector<double> *tables[] = {&f.Qbar, &wild};
        for (const std::vector<double> *Q : tables) {
            std::vector<double> y(x.size()), z(x.size());
            givfwd(n, Q->data(), x.data(), y.data());
            fwd_steps(n, Q->data(), x.data(), z.data());
            EXPECT_TRUE(same_bits(y, z)) << "givfwd, n = " << n;
            givinv(n, Q->data(), x.data(), y.data());
            inv_steps(n, Q->data(), x.data(), z.data());
            EXPECT_TRUE(same_bits(y, z)) << "givinv, n = " << n;
        }
    }
}

TEST(apply, InPartsTheSameBits)
{
    for (idx n : {3, 4, 5, 7, 1000}) {
        const factor f(n, 0.3);
        const std::vector<double> x = noise(givqr::length(n), 5);
        for (idx part : {1, 2, 3, 64})
            for (auto [whole, parts] : {std::pair{&givfwd, &givqr::givfwd_part}, std::pair{&givinv, &givqr::givinv_part}}) {
                std::vector<double> y(x.size()), z(x.size());
                whole(n, f.Qbar.data(), x.data(), y.data());
                double carry[2];
                for (idx k0 = 0; k0 < f.m; k0 += part)
                    parts(n, f.Qbar.data(), x.data(), z.data(), k0, std::min(f.m, k0 + part), carry);
                EXPECT_TRUE(same_bits(y, z)) << n << ", " << part;
            }
    }
}

TEST(apply, RoundTrips)
{
    for (idx n : {3, 4, 5, 17, 1000, 40000})
        for (double sigma : {0.0, 0.1, -2.0, 1e4}) {
            factor f(n, sigma);
            const std::vector<double> x = noise(givqr::length(n), static_cast<unsigned>(n));
            const std::vector<double> x0 = x;
            std::vector<double> y(x.size()), z(x.size());
            SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << sigma);
            givfwd(n, f.Qbar.data(), x.data(), y.data());
            givinv(n, f.Qbar.data(), y.data(), z.data());
            double err = 0, nx = 0, ny = 0;
            for (size_t k = 0; k < x.size(); k++) {
                err = std::max(err, std::fabs(z[k] - x[k]));
                nx += x[k] * x[k];
                ny += y[k] * y[k];
            }
            EXPECT_LT(err, 64 * eps * std::sqrt(nx));
            EXPECT_NEAR(std::sqrt(ny), std::sqrt(nx), 64 * eps * std::sqrt(nx));  // Q is orthogonal
            givinv(n, f.Qbar.data(), x.data(), y.data());
            givfwd(n, f.Qbar.data(), y.data(), z.data());
            for (size_t k = 0; k < x.size(); k++) ASSERT_NEAR(z[k], x[k], 64 * eps * std::sqrt(nx));
            EXPECT_EQ(x, x0);                                   // x is only read
        }
}

TEST(apply, ColumnOfAGoesToColumnOfR)
{
    factor f(3, 2.0);               // (1, -2, 1, 2) -> (-sqrt(10), 0, 0, 0)
    std::vector<double> y(4);
    givfwd(3, f.Qbar.data(), column(3, 2.0, 0).data(), y.data());
    EXPECT_NEAR(y[0], -std::sqrt(10.0), 8 * eps);
    for (int k = 1; k < 4; k++) EXPECT_NEAR(y[k], 0.0, 8 * eps);
    std::vector<double> a(4);
    givinv(3, f.Qbar.data(), y.data(), a.data());   // and back: A = Q*[R; 0]
    const std::vector<double> col = column(3, 2.0, 0);
    for (int k = 0; k < 4; k++) EXPECT_NEAR(a[k], col[k], 8 * eps);
}

// A table whose one nontrivial rotation swaps its pair and flips a sign tells
// which positions each step pairs, and in which order.
TEST(apply, PositionsAndOrderForNEquals3)
{
    const double swap[2] = {0.0, 1.0};             // (x, y) -> (-y, x)
    const double one[2] = {1.0, 0.0};
    const double x[4] = {1, 2, 3, 4};
    for (int which = 0; which < 3; which++) {
        double Qbar[6];
        for (int r = 0; r < 3; r++) {
            Qbar[2 * r] = (r == which ? swap : one)[0];
            Qbar[2 * r + 1] = (r == which ? swap : one)[1];
        }
        const int partner[3] = {3, 1, 2};           // weight, carry, stencil
        double y[4];
        givfwd(3, Qbar, x, y);
        for (int k = 0; k < 4; k++) {
            const double want = k == 0 ? -x[partner[which]] : k == partner[which] ? x[0] : x[k];
            EXPECT_EQ(y[k], want) << "rotation " << which << ", position " << k;
        }
        givinv(3, Qbar, x, y);                      // inverse of the swap: (y, -x)
        for (int k = 0; k < 4; k++) {
            const double want = k == 0 ? x[partner[which]] : k == partner[which] ? -x[0] : x[k];
            EXPECT_EQ(y[k], want) << "rotation " << which << ", position " << k;
        }
    }
    // order: with all three rotations swaps, givfwd moves x(3) to 0 first
    const double all[6] = {0, 1, 0, 1, 0, 1};
    double y[4];
    givfwd(3, all, x, y);           // (1,2,3,4) -> w (-4,2,3,1) -> c (-2,-4,3,1) -> s (-3,-4,-2,1)
    EXPECT_EQ(std::vector<double>(y, y + 4), (std::vector<double>{-3, -4, -2, 1}));
    double z[4];
    givinv(3, all, y, z);
    EXPECT_EQ(std::vector<double>(z, z + 4), (std::vector<double>{1, 2, 3, 4}));
}

TEST(apply, TableIsUsedAsItStands)
{
    const idx n = 6, m = 4;
    std::vector<double> Qbar(6 * m), x = noise(givqr::length(n), 7), y(x.size());
    for (idx i = 0; i < m; i++) {                   // all (1, 0): x unchanged
        for (int k = 0; k < 6; k += 2) Qbar[k * m + i] = 1.0, Qbar[(k + 1) * m + i] = 0.0;
    }
    givfwd(n, Qbar.data(), x.data(), y.data());
    EXPECT_EQ(y, x);
    givinv(n, Qbar.data(), x.data(), y.data());     // sine 0.0 flips to -0.0: still x
    EXPECT_EQ(y, x);

    for (double &q : Qbar) q = 2.0;                 // pairs not of unit length: no
    givfwd(n, Qbar.data(), x.data(), y.data());     // normalisation, no round trip
    std::vector<double> z(x.size());
    givinv(n, Qbar.data(), y.data(), z.data());
    double diff = 0;
    for (size_t k = 0; k < x.size(); k++) diff = std::max(diff, std::fabs(z[k] - x[k]));
    EXPECT_GT(diff, 1.0);
    givfwd(n, Qbar.data(), x.data(), y.data());     // row n: only the first weight rotation
    EXPECT_EQ(y[n], 2.0 * x[0] + 2.0 * x[n]);
}

} // namespace
