// Accuracy against the high-precision reference: least squares with
// A = [D'; sigma*I] solved as a user does with givfact, givfwd, R\ and givinv.
//
// The bounds are the normwise perturbation bounds of least squares (Higham,
// Accuracy and Stability of Numerical Algorithms, 2nd ed., Thm 20.1) for a
// backward error c*u in A and b, u = 2^-53:
//
//      |w~ - w| / |w|  <=  c*u * kappa * (2 + (kappa + 1) * |r| / (|A|*|w|))
//      |z~ - z| / |b|  <=  c*u * (1 + 2*kappa)          (z: the residual's first part)
//
// 2-norms; r = b - A*w the whole residual.  kappa = |A|*|A^+| is bounded in
// closed form: the eigenvalues of A'*A = D*D' + sigma^2*I lie in
// [lambda + sigma^2, 16 + sigma^2], lambda = 16 sin(pi/(2(m+1)))^4 the least
// eigenvalue of T^2, T = tridiag(-1, 2, -1), since D*D' = T^2 + e1*e1' + em*em'.
// That overestimates kappa by at most a factor of about 2.3.  c = 8: the
// factorization and each replay apply at most 6 rotations to an entry, the
// triangular solve 3 operations a row; measured, the errors stay below 1.4*u*cond
// on this grid, so c = 8 leaves a margin of about 6 while a backward error of
// 1e-10 (a sine off by 1e-10) or the normal equations' u*kappa^2 fail it.
#include "reference.h"
#include "factor.h"
#include "replay.h"
#include "smooth.h"
#include "givsmooth.h"
#include "spline.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using givqr::idx;

namespace {

const double u = 0x1p-53, c = 8;

double norm(const std::vector<double> &x)
{
    double s = 0;
    for (double v : x) s += v * v;
    return std::sqrt(s);
}

// |(x + xlo) - (hi + lo)|, xlo = 0 if not given
double error(const std::vector<double> &x, const std::vector<double> &hi, const std::vector<double> &lo,
             const std::vector<double> &xlo = {})
{
    double s = 0;
    for (size_t i = 0; i < x.size(); i++) {
        const double d = (x[i] - hi[i]) + ((xlo.empty() ? 0.0 : xlo[i]) - lo[i]);
        s += d * d;
    }
    return std::sqrt(s);
}

struct exact {
    std::vector<double> w, wlo, r, rlo;
    exact(idx n, double sigma, const std::vector<double> &b, long prec)
        : w(n - 2), wlo(n - 2), r(n), rlo(n)
    {
        EXPECT_TRUE(reference::solve(n, sigma, b.data(), prec, w.data(), wlo.data(), r.data(), rlo.data()));
    }
};

// w = R \ c(1:m), c = Q'*b; z = b1 - D'*w; and z from Q*[0; c(m+1:end)].
struct solved {
    std::vector<double> w, z, zq;
    solved(idx n, double sigma, const std::vector<double> &b) : w(n - 2), z(n), zq(givqr::length(n))
    {
        const idx m = n - 2;
        const factor f(n, sigma);
        std::vector<double> q(b.size());
        givqr::givfwd(n, f.Qbar.data(), b.data(), q.data());
        for (idx k = m - 1; k >= 0; k--) {
            double s = q[k];
            if (k + 1 < m) s -= f.R(k, k + 1) * w[k + 1];
            if (k + 2 < m) s -= f.R(k, k + 2) * w[k + 2];
            w[k] = s / f.R(k, k);
        }
        for (idx i = 0; i < n; i++)
            z[i] = b[i] - ((i < m ? w[i] : 0.0) - (i >= 1 && i <= m ? 2 * w[i - 1] : 0.0) + (i >= 2 ? w[i - 2] : 0.0));
        for (idx k = 0; k < m; k++) q[k] = 0.0;
        givqr::givinv(n, f.Qbar.data(), q.data(), zq.data());
        zq.resize(n);
    }
};

TEST(accuracy, ReferenceAgreesWithItselfAtTwiceThePrecision)
{
    for (idx n : {5, 300, 3000})
        for (double sigma : {1.0, 1e-8}) {
            const std::vector<double> b = lcg(givqr::length(n), n);
            const exact a(n, sigma, b, 256), e(n, sigma, b, 512);
            EXPECT_LE(error(a.w, e.w, e.wlo, a.wlo), 1e-31 * norm(e.w)) << n << ", " << sigma;
            EXPECT_LE(error(a.r, e.r, e.rlo, a.rlo), 1e-31 * norm(e.r)) << n << ", " << sigma;
        }
}

TEST(accuracy, WithinTheLeastSquaresBounds)
{
    double worst = 0;           // the largest error / (u * cond): the margin c leaves
    for (idx n : {10, 200, 2000})
        for (double sigma : {10.0, 1.0, 1e-2, 1e-4, 1e-6, 1e-8})
            for (bool smoothing : {true, false}) {     // b = [y; 0], or any b
                const idx m = n - 2;
                std::vector<double> b = lcg(givqr::length(n), n + smoothing);
                if (smoothing)
                    for (idx j = 0; j < m; j++) b[n + j] = 0.0;
                const exact e(n, sigma, b, 256);
                const solved s(n, sigma, b);

                const double s4 = std::pow(std::sin(M_PI / (2.0 * double(m + 1))), 4);
                const double kappa = std::sqrt((16 + sigma * sigma) / (16 * s4 + sigma * sigma));
                std::vector<double> b1(b.begin(), b.begin() + n), b2(b.begin() + n, b.end());
                double r2 = norm(e.r) * norm(e.r);      // |r|^2 = |b1 - D'w|^2 + |b2 - sigma*w|^2
                for (idx j = 0; j < m; j++) r2 += (b2[j] - sigma * e.w[j]) * (b2[j] - sigma * e.w[j]);
                const double cond_w = kappa * (2 + (kappa + 1) * std::sqrt(r2) / (std::sqrt(16 + sigma * sigma) * norm(e.w)));
                const double cond_z = 1 + 2 * kappa;

                SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << sigma << ", b2 = 0: " << smoothing);
                const double ew = error(s.w, e.w, e.wlo) / norm(e.w), ez = error(s.z, e.r, e.rlo) / norm(b),
                             eq = error(s.zq, e.r, e.rlo) / norm(b);
                EXPECT_LE(ew, c * u * cond_w);
                EXPECT_LE(ez, c * u * cond_z);
                EXPECT_LE(eq, c * u * cond_z);
                worst = std::max({worst, ew / (u * cond_w), ez / (u * cond_z), eq / (u * cond_z)});
            }
    std::printf("accuracy: the largest error is %.2f u * cond (the bound: %g u * cond)\n", worst, c);
}

// The smoother's leverages (smooth_backward), their sum edf and n - edf, and
// the one-sided trend (smooth_forward) against the reference.  The hat
// matrix's diagonal is that of the residual projector of A, whose
// perturbation from a backward error c*u in A is at most about c*u*kappa
// (kappa of A as above); so each leverage and its complement are held to
// c*u*(1 + 2*kappa), edf and n - edf to n times that and the rounding of
// their sums (blocks of 256, then the blocks' sums).  The one-sided point
// z(t) is the last point of the smooth of y(1:t): held as z is, with the
// prefix's kappa.
namespace accuracy_smooth {

double kappa(idx n, double sigma)
{
    const double s4 = std::pow(std::sin(M_PI / (2.0 * double(n - 1))), 4);
    return std::sqrt((16 + sigma * sigma) / (16 * s4 + sigma * sigma));
}

TEST(accuracy, LeveragesAndTheOneSidedTrend)
{
    double worst = 0;
    for (idx n : {10, 200, 2000})
        for (double sigma : {10.0, 1.0, 1e-2, 1e-4, 1e-6, 1e-8}) {
            const idx m = n - 2;
            const std::vector<double> y = lcg(n, n + 3);
            std::vector<double> x(n), T(6 * m), h(n), hh(n), hl(n), qh(n), ql(n);
            std::vector<double> Rd(m);
            givqr::table t;
            t.T = T.data();
            t.R = Rd.data();
            givqr::forward_state st;
            const givqr::stencil S = givqr::make_stencil(n, 2, nullptr, nullptr);
            givqr::smooth_forward(n, S, sigma, nullptr, y.data(), x.data(), nullptr, givqr::forward_c2, 0, m, st, t);
            givqr::backward_state crit;
            crit.sums = true, crit.y = y.data(), crit.h = h.data();
            givqr::smooth_backward(n, t, x.data(), 0, m, crit);
            double sums[4];         // edf and n - edf, exactly: hi, lo, hi, lo
            ASSERT_TRUE(reference::leverages(n, sigma, 256, hh.data(), hl.data(), qh.data(), ql.data(), sums));
            const double bound = c * u * (1 + 2 * kappa(n, sigma));
            double eh = 0;
            for (idx i = 0; i < n; i++) eh = std::max(eh, std::fabs((h[i] - hh[i]) - hl[i]));
            SCOPED_TRACE(testing::Message() << "n = " << n << ", sigma = " << sigma);
            EXPECT_LE(eh, bound);
            // and the summation's own error, blocks of 256 added up
            const double k = 258.0 + double(n) / 256.0;
            EXPECT_LE(std::fabs((crit.s.total.edf - sums[0]) - sums[1]), double(n) * bound + k * u * sums[0]);
            EXPECT_LE(std::fabs((crit.s.total.rest - sums[2]) - sums[3]), double(n) * bound + k * u * sums[2]);
            worst = std::max(worst, eh / bound * c);

            // the one-sided trend at a few points, each its prefix's smooth
            std::vector<double> z1(n);
            givqr::forward_state st1;
            givqr::smooth_forward(n, S, sigma, nullptr, y.data(), z1.data(), nullptr, givqr::forward_onesided, 0, m, st1,
                                  t);
            for (idx k : {idx(3), n / 2, n}) {
                std::vector<double> b(y.begin(), y.begin() + k);
                b.resize(2 * k - 2, 0.0);
                const exact e(k, sigma, b, 256);
                const double err = std::fabs((z1[k - 1] - e.r[k - 1]) - e.rlo[k - 1]) / norm(std::vector<double>(y.begin(), y.begin() + k));
                const double b1 = c * u * (1 + 2 * kappa(k, sigma));
                EXPECT_LE(err, b1) << "t = " << k;
                worst = std::max(worst, err / b1 * c);
            }
        }
    std::printf("accuracy: the leverages' and the one-sided trend's largest error is %.2f u * cond (the bound: %g u * cond)\n",
                worst, c);
}

// Weighted, and with gaps (points of weight 0), for every order d: z =
// rho.*x, x the residual of min |A*v - [b; 0]|, A = [diag(rho)*D'; sigma*I],
// rho = w.^(-1/2), so the bound above holds for x with kappa of this A, whose
// A'*A = D*diag(rho)^2*D' + sigma^2*I has its eigenvalues in
// [rho_min^2*mu + sigma^2, 4^d*rho_max^2 + sigma^2], mu a lower bound of
// D*D''s least: D is the product of d first differences of sizes n-k+1, so
// that mu = prod_k 4*sin(pi/(2(n-k+1)))^2; z's error is at most rho_max
// times x's.  A gap's points are filled from the points beside it (by a
// polynomial), which carries their errors by as much as the fill's own
// norm (its length^(d-1), about): the bound is held with kappa over the
// points with weight, times that norm.  The leverages and edf as
// above.  At uneven times (spacings from 0.01 to 1) no closed form bounds
// kappa well, and the test holds the floors asked of them, 1e-8 of max |y|
// for z and 1e-8 for the leverages, or, where D's own rounding moves the
// exact smooth by more (at d = 4 and small sigma, measured against the
// smooth of D's rows as double arithmetic makes them), 10 times that: no
// method holding D in double does better.
// The most the fill (smooth_fill) multiplies the errors of the points it
// is filled from: the largest sum of |z| over the points without weight,
// z filled from each point with weight in turn set to 1, the others 0.
double fill_norm(idx n, int d, const double *t, double sigma, const std::vector<double> &w)
{
    std::vector<idx> s;
    for (idx i = 0; i < n; i++)
        if (w[i] == 0) s.push_back(i);
    std::vector<double> rows((d + 1) * n), z(n), zero(n, 0.0), work((d + 2) * n), sum(n, 0.0);
    std::vector<idx> ends(2 * n);
    const givqr::stencil S = givqr::make_stencil(n, d, t, rows.data());
    for (idx k = 0; k < n && !s.empty(); k++) {
        bool near = false;
        for (idx j : s) near = near || (w[k] > 0 && std::abs(j - k) <= 2 * d);
        if (!near) continue;
        std::fill(z.begin(), z.end(), 0.0);
        z[k] = 1.0;
        givqr::smooth_fill(n, S, t, sigma, w.data(), zero.data(), s.data(), idx(s.size()), z.data(), work.data(),
                           ends.data());
        for (idx j : s) sum[j] += std::fabs(z[j]);
    }
    return std::max(1.0, *std::max_element(sum.begin(), sum.end()));
}

TEST(accuracy, WeightsAndGaps)
{
    double worst = 0, worst_t = 0, worst_reml = 0;
    int over = 0;
    for (int d = 1; d <= givqr::d_max; d++)
        for (bool times : {false, true})
            for (idx n : {10, 200, 2000})
                for (double sigma : {10.0, 1.0, 1e-2, 1e-4, 1e-6, 1e-8, 1e-11, 1e-14})
                    for (bool gaps : {false, true}) {
                        if (n == 10 && gaps && d > 2) continue;     // too few points left with weight
                        const std::vector<double> u1 = lcg(n, n + 7), y = lcg(n, n + 8), u2 = lcg(n, n + 9);
                        std::vector<double> w(n), z(n), h(n), se(n), zh(n), zl(n), hh(n), hl(n), t(n, 0.0);
                        double rmin = INFINITY, rmax = 0, info[5], edf[2];
                        for (idx i = 0; i < n; i++) {
                            // with gaps, weights of mean 16 or more: scaled by 4^-2 inside
                            w[i] = gaps && (i % 10 == 4 || (i >= n / 3 && i < n / 3 + 15)) ? 0.0
                                                                                           : (1.25 + u1[i]) * (gaps ? 16 : 1);
                            if (w[i] > 0) rmin = std::min(rmin, 1 / std::sqrt(w[i])), rmax = std::max(rmax, 1 / std::sqrt(w[i]));
                            if (i > 0) t[i] = t[i - 1] + 0.505 + 0.495 * u2[i];
                        }
                        if (n == 10 && gaps) w[2] = w[3] = 0;
                        const double *tp = times ? t.data() : nullptr;
                        givqr::smooth_call call;
                        call.n = n, call.k = 1, call.automatic = false, call.sigma = sigma, call.d = d;
                        givqr::smooth_out out = {z.data()};
                        double reml, more[6];
                        out.info = true, out.sigma = &info[0], out.lambda = &info[1], out.edf = &info[2];
                        out.gcv = &info[3], out.loocv = &info[4], out.reml = &reml, out.leverage = h.data();
                        out.stderror = se.data();
                        ASSERT_EQ(givqr::givsmooth(call, y.data(), w.data(), tp, out, 1, nullptr), givqr::smoothed);
                        ASSERT_TRUE(reference::weighted(n, sigma, y.data(), w.data(), 256, zh.data(), zl.data(), hh.data(),
                                                        hl.data(), edf, d, tp, more));
                        double moved = 0, hmoved = 0;       // D's rounding, at uneven times
                        if (times) {
                            std::vector<double> zr(n), zrl(n), hr(n), hrl(n);
                            double e2[2];
                            ASSERT_TRUE(reference::weighted(n, sigma, y.data(), w.data(), 256, zr.data(), zrl.data(),
                                                            hr.data(), hrl.data(), e2, d, tp, nullptr, true));
                            for (idx i = 0; i < n; i++) {
                                moved = std::max(moved, std::fabs((zr[i] - zh[i]) + (zrl[i] - zl[i])));
                                hmoved = std::max(hmoved, std::fabs((hr[i] - hh[i]) + (hrl[i] - hl[i])));
                            }
                        }
                        double mu = 1.0;
                        for (int k = 1; k <= d; k++) mu *= 4 * std::pow(std::sin(M_PI / (2.0 * double(n - k + 1))), 2);
                        const double top = std::ldexp(1.0, 2 * d);
                        const double kw = std::sqrt((top * rmax * rmax + sigma * sigma) / (mu * rmin * rmin + sigma * sigma));
                        // the restricted likelihood: (n_o - d)*log(rss_pen/(n_o - d)) + log det(W + lambda*D'*D)
                        // - (n - d)*log(lambda) - sum(log(w)) over the points with weight
                        {
                            double no = 0, logw = 0;
                            for (idx i = 0; i < n; i++)
                                if (w[i] > 0) no += 1, logw += std::log(w[i]);
                            const double lambda = 1 / (sigma * sigma), dof = no - d;
                            const double pen = (more[2] + more[3]) + lambda * (more[4] + more[5]);
                            const double want = dof * std::log(pen / dof) + (more[0] + more[1]) -
                                                double(n - d) * std::log(lambda) - logw;
                            // log det R from the product of R's diagonal, n roundings; |c1|^2 summed in
                            // blocks of 256, (256 + n/256) roundings, times n_o - d in the log; and the
                            // backward error of R itself, u*kappa relative to each column, over all
                            const double scale = double(n) + std::fabs(want) + dof * (258.0 + double(n) / 256.0);
                            const double tol = c * u * scale * kw;
                            if (dof > 0) {
                                EXPECT_NEAR(reml, want, tol) << "the restricted likelihood, d = " << d << (times ? ", uneven" : "")
                                                             << ", n = " << n << ", sigma = " << sigma << ", gaps " << gaps;
                                worst_reml = std::max(worst_reml, std::fabs(reml - want) / (u * scale * kw));
                                // orders 3 and 4, the state form's: measured within 3.2e-14
                                // relative (the sweep's sums miss 1e-12 in 27 of these cases)
                                if (d >= 3) {
                                    EXPECT_LE(std::fabs(reml - want), 1e-12 * std::fabs(want)) << "d = " << d
                                        << (times ? ", uneven" : "") << ", n = " << n << ", sigma = " << sigma;
                                }
                            }
                        }
                        double b = 0, ez = 0, eh = 0, ymax = 0;
                        for (idx i = 0; i < n; i++) {
                            b += w[i] * y[i] * y[i];
                            ymax = std::max(ymax, std::fabs(y[i]));
                            ez = std::max(ez, std::fabs((z[i] - zh[i]) - zl[i]));
                            eh = std::max(eh, std::fabs((h[i] - hh[i]) - hl[i]));
                        }
                        SCOPED_TRACE(testing::Message() << "d = " << d << (times ? ", uneven t" : "") << ", n = " << n
                                                        << ", sigma = " << sigma << ", gaps " << gaps);
                        if (times) {
                            const double fz = std::max(1e-8 * ymax, 10 * moved) * fill_norm(n, d, tp, sigma, w);
                            const double fh = std::max(1e-8, 10 * hmoved);
                            EXPECT_LE(ez, fz);
                            EXPECT_LE(eh, fh);
                            EXPECT_LE(std::fabs((info[2] - edf[0]) - edf[1]), double(n) * fh);
                            worst_t = std::max({worst_t, ez / ymax, eh});
                            if (ez > 1e-8 * ymax) over++;
                            continue;
                        }
                        const double bound = c * u * (1 + 2 * kw), fill = fill_norm(n, d, tp, sigma, w);
                        EXPECT_LE(ez, fill * rmax * bound * std::sqrt(b));
                        // the floor, where kappa allows far more; order 2 beyond lambda = 1e16, the state
                        // form's: within 9.8e-16 (the sweep's, 5.8e-14; 4e-9 at n = 1e6, lambda = 1e21)
                        EXPECT_LE(ez, (d == 2 && sigma < 1e-8 ? 4e-15 : 1e-10) * ymax);
                        EXPECT_LE(eh, bound);
                        EXPECT_LE(std::fabs((info[2] - edf[0]) - edf[1]),
                                  double(n) * bound + (258.0 + double(n) / 256.0) * u * edf[0]);
                        worst = std::max({worst, ez / (fill * rmax * bound * std::sqrt(b)) * c, eh / bound * c});
                    }
    std::printf("accuracy: weighted and gappy z and leverages, every order: largest error %.2f u * cond (the bound: %g u "
                "* cond); at uneven times %.2g of max |y| (the floor: 1e-8, passed in %d cases where D's rounding "
                "moves the smooth more); the restricted likelihood within %.2f u * cond * (its terms)\n",
                worst, c, worst_t, over, worst_reml);
}

// Two sample times 1 ulp apart, or 1e-12 of t apart, among times spaced 1,
// where D's rows that hold them are 1e12 to 1e16 times the others: z against
// the exact smooth at the exact times, held to the floor of uneven times,
// 1e-8 of max |y| or 10 times what D's rounding alone moves, and the
// leverages and edf to 1e-8.  And spacings spread over 11 decades (1e-8 to
// 1e3 at random), where D's rounding alone moves the smooth by as much as
// itself: the leverages to 1e-6.  Every order: at uneven times all of them
// come from the state form (the sweep's leverages lost up to 0.11 at the
// ties, 0.7 over the decades; a covariance carried back, 1e15).
TEST(accuracy, NearTies)
{
    double worst = 0, worst_h = 0;
    for (int d = 1; d <= givqr::d_max; d++)
        for (idx n : {40, 2000})
            for (int kind : {0, 1, 2})      /* 1 ulp, 1e-12, decades */
                for (double sigma : {1.0, 3.2e-5, 1e-9}) {
                    std::vector<double> t(n), y = lcg(n, n + d), w = lcg(n, n + 1), z(n), zh(n), zl(n), zr(n), zrl(n),
                        h(n), se(n), hh(n), hl(n);
                    for (idx i = 0; i < n; i++) {
                        t[i] = 100.0 + double(i) - (i >= n / 2 ? 1.0 : 0.0);
                        w[i] = i % 7 == 3 ? 0.0 : 1.25 + w[i];
                    }
                    const double a = t[n / 2 - 1];
                    t[n / 2] = kind == 0 ? std::nextafter(a, INFINITY) : a * (1 + 1e-12);
                    const std::vector<double> u = lcg(n, 3 * n + d);
                    for (idx i = 1; kind == 2 && i < n; i++) t[i] = t[i - 1] + std::pow(10.0, -8.0 + 5.5 * (u[i] + 1.0));
                    const long prec = kind == 2 ? 1024 : 256;      /* D'*D spans 1e90 there */
                    givqr::smooth_call call;
                    call.n = n, call.k = 1, call.automatic = false, call.sigma = sigma, call.d = d;
                    givqr::smooth_out out = {z.data()};
                    double info[6], edf[2];
                    out.info = true, out.sigma = &info[0], out.lambda = &info[1], out.edf = &info[2];
                    out.gcv = &info[3], out.loocv = &info[4], out.reml = &info[5], out.leverage = h.data();
                    out.stderror = se.data();
                    ASSERT_EQ(givqr::givsmooth(call, y.data(), w.data(), t.data(), out, 1, nullptr), givqr::smoothed);
                    ASSERT_TRUE(reference::weighted(n, sigma, y.data(), w.data(), prec, zh.data(), zl.data(), hh.data(),
                                                    hl.data(), edf, d, t.data()));
                    ASSERT_TRUE(reference::weighted(n, sigma, y.data(), w.data(), prec, zr.data(), zrl.data(), nullptr,
                                                    nullptr, nullptr, d, t.data(), nullptr, true));
                    double ez = 0, moved = 0, ymax = 0, eh = 0;
                    for (idx i = 0; i < n; i++) {
                        ez = std::max(ez, std::fabs((z[i] - zh[i]) - zl[i]));
                        eh = std::max(eh, std::fabs((h[i] - hh[i]) - hl[i]));
                        moved = std::max(moved, std::fabs((zr[i] - zh[i]) + (zrl[i] - zl[i])));
                        ymax = std::max(ymax, std::fabs(y[i]));
                    }
                    SCOPED_TRACE(testing::Message() << "d = " << d << ", n = " << n << ", kind " << kind << ", sigma = " << sigma);
                    EXPECT_LE(ez, std::max(1e-8 * ymax, 10 * moved));
                    EXPECT_LE(eh, kind == 2 ? 1e-6 : 1e-8);
                    EXPECT_LE(std::fabs((info[2] - edf[0]) - edf[1]), (kind == 2 ? 1e-6 : 1e-8) * edf[0]);
                    worst = std::max(worst, ez / ymax);
                    worst_h = std::max({worst_h, eh, std::fabs((info[2] - edf[0]) - edf[1]) / edf[0]});
                }
    std::printf("accuracy: two times 1 ulp or 1e-12 apart, or spacings over 11 decades, every order: z within %.2g of "
                "max |y|, the leverages and edf within %.2g\n", worst, worst_h);
}

} // namespace accuracy_smooth

} // namespace

// The smoothing spline against Reinsch's system in high precision: f at the
// knots, its leverages and edf, and the restricted likelihood, at equal
// spacing and over two decades, weighted, with knots without weight (the
// reference has them not as knots: there f is its spline's, between the
// others), at x far from 0 and of no power-of-2 scale.  Measured, f stays
// within 5e-13 of max|y|, the leverages within 1e-13.
TEST(accuracy, Spline)
{
    double worst_small = 0, worst = 0, worst_h = 0;
    for (bool even : {true, false})
        for (idx n : {3, 4, 10, 150, 2000}) {
            double offset = NAN;        // the restricted likelihood's with gaps, the same at every lambda
            for (double lh3 : {1e-6, 1e-2, 1.0, 1e4, 1e8, 1e12, 1e16})
                for (int kind = 0; kind < 3; kind++) {      // unweighted, weighted, with gaps
                    if (kind == 2 && n < 10) continue;
                    const std::vector<double> u1 = lcg(n, n + 3), y = lcg(n, n + 4), u2 = lcg(n, n + 5);
                    std::vector<double> x(n), w(n, 1.0);
                    const double h = 0.37;          // the mean spacing, x from 1000
                    for (idx i = 0; i < n; i++) {
                        x[i] = i == 0 ? 1000.0 : x[i - 1] + (even ? h : h * std::pow(10.0, u2[i]));
                        if (kind > 0) w[i] = 1.25 + u1[i];
                        if (kind == 2 && (i % 7 == 3 || (i >= n / 2 && i < n / 2 + 4) || i == n - 1)) w[i] = 0.0;
                    }
                    const double hm = (x[n - 1] - x[0]) / double(n - 1), lambda = lh3 * hm * hm * hm;
                    givqr::smooth_call call;
                    call.n = n, call.k = 1, call.automatic = false, call.sigma = 1 / std::sqrt(lambda);
                    call.spline = true;
                    std::vector<double> z(n), lev(n), se(n), info(7);
                    givqr::smooth_out out = {z.data()};
                    out.info = true, out.sigma = &info[0], out.lambda = &info[1], out.edf = &info[2];
                    out.gcv = &info[3], out.loocv = &info[4], out.reml = &info[5], out.range_end = &info[6];
                    out.leverage = lev.data(), out.stderror = se.data();
                    ASSERT_EQ(givqr::givsmooth(call, y.data(), kind ? w.data() : nullptr, x.data(), out, 1, nullptr),
                              givqr::smoothed);
                    std::vector<double> xo, yo, wo;
                    std::vector<idx> at;
                    for (idx i = 0; i < n; i++)
                        if (w[i] > 0) xo.push_back(x[i]), yo.push_back(y[i]), wo.push_back(w[i]), at.push_back(i);
                    const idx no = idx(xo.size());
                    std::vector<double> gh(no), gl(no), ch(no), cl(no), hh(no), hl(no);
                    double edf[2], more[8];
                    ASSERT_TRUE(reference::spline(no, 1 / std::sqrt(lambda), xo.data(), yo.data(), wo.data(), 256,
                                                  gh.data(), gl.data(), ch.data(), cl.data(), hh.data(), hl.data(), edf, more));
                    SCOPED_TRACE(testing::Message() << (even ? "equal" : "uneven") << ", n = " << n << ", lambda/h^3 = "
                                                    << lh3 << ", kind " << kind);
                    double ez = 0, eh = 0, ymax = 0;
                    for (idx k = 0; k < no; k++) {
                        ymax = std::max(ymax, std::fabs(yo[k]));
                        ez = std::max(ez, std::fabs((z[at[k]] - gh[k]) - gl[k]));
                        eh = std::max(eh, std::fabs((lev[at[k]] - hh[k]) - hl[k]));
                    }
                    for (idx i = 0; i < n; i++)
                        if (w[i] == 0) {        // the reference's spline there, and no leverage
                            double v;
                            givqr::spline_values(no, xo.data(), gh.data(), ch.data(), 1, &x[i], &v);
                            ez = std::max(ez, std::fabs(z[i] - v));
                            EXPECT_EQ(lev[i], 0.0);
                        }
                    EXPECT_LE(ez, (lh3 <= 1e8 ? 1e-12 : 1e-10) * ymax);
                    EXPECT_LE(eh, 1e-12);
                    EXPECT_LE(std::fabs((info[2] - edf[0]) - edf[1]), 1e-12 * double(n));
                    // (n_o - 2)*log(rss_pen/(n_o - 2)) + log det(R + lambda*Q'*W^-1*Q) - (n_o - 2)*log(lambda)
                    // - log det R, rss_pen = rss + lambda*integral(f''^2); with knots without weight, up to a
                    // constant of x and the knots
                    const double dof = double(no - 2), pen = (more[2] + more[3]) + lambda * (more[4] + more[5]);
                    const double want = dof * std::log(pen / dof) + (more[0] + more[1]) - dof * std::log(lambda) -
                                        (more[6] + more[7]);
                    if (kind == 2 && std::isnan(offset)) offset = info[5] - want;
                    EXPECT_NEAR(info[5] - (kind == 2 ? offset : 0.0), want, 1e-10 * std::max(1.0, std::fabs(want)));
                    if (lh3 <= 1e8) worst_small = std::max(worst_small, ez / ymax);
                    worst = std::max(worst, ez / ymax);
                    worst_h = std::max(worst_h, eh);
                }
        }
    std::printf("spline: f at the knots within %.2e of max|y| (%.2e where lambda <= 1e8 h^3), leverages %.2e\n", worst,
                worst_small, worst_h);
}
