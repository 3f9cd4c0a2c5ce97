// Golden results: digests of givfact, givfwd and givinv outputs for fixed
// cases, computed once and checked in; every platform must give the same bits.
// GIVQR_GOLDEN=print prints the table in this file's form.
#include "factor.h"
#include "replay.h"
#include "givsmooth.h"
#include "givspline.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <limits>

namespace {

// FNV-1a over each value's 64 bits, taken as an integer (so byte order does
// not matter); every NaN counts as one value, since which NaN an operation
// makes differs between processors.
uint64_t digest(const std::vector<double> &v)
{
    uint64_t h = 14695981039346656037ULL;
    for (double d : v) {
        uint64_t b;
        if (d != d) d = std::numeric_limits<double>::quiet_NaN();
        std::memcpy(&b, &d, 8);
        if (d != d) b = 0x7ff8000000000000ULL;
        for (int k = 0; k < 64; k += 8) h = (h ^ ((b >> k) & 0xff)) * 1099511628211ULL;
    }
    return h;
}

struct golden {
    givqr::idx n;
    double sigma;
    uint64_t Qbar, R, fwd, inv;
};

const double inf = std::numeric_limits<double>::infinity();

// Made by the x86-64 build (SSE2, no contraction), whose kernels agree bit for
// bit with the step-by-step sweeps of test_QR.cpp and test_apply.cpp, with
// the factorization computing every step (bench/QR_plain.cpp); the kernel,
// which copies the rows once they repeat, must give the same bits: at
// sigma = 1e-6 and n = 10^5 the rows repeat from step 21901 with period 2,
// at 10^-3.5 from step 2065 with period 18, at 0 and the least subnormal
// never, at n below the transient not before the end.
const golden table[] = {
#include "golden.inc"
};

golden compute(givqr::idx n, double sigma)
{
    const factor f(n, sigma);
    const std::vector<double> x = lcg(givqr::length(n), static_cast<uint64_t>(n));
    std::vector<double> y(x.size()), z(x.size());
    givqr::givfwd(n, f.Qbar.data(), x.data(), y.data());
    givqr::givinv(n, f.Qbar.data(), x.data(), z.data());
    return {n, sigma, digest(f.Qbar), digest(f.pr), digest(y), digest(z)};
}

// givsmooth, for the differences of order d at the times 1:n or (uneven)
// at times whose spacings spread over two decades, for a given sigma or
// (sigma NaN) the one generalized cross-validation chooses: one digest
// for each output, named in outputs.  The info is sigma, edf, gcv and
// loocv; the choices of the restricted likelihood and of an edf of n/3 are
// their sigma, edf, reml and z.  The weighted outputs (for n >= 10: a gap,
// points of weight 0 and an outlier) are z, the leverages and the info.
// A panel (for n >= 10, a sigma given, not the spline) is 11 series of the
// same times, 30% of their points NaN at random, one without a point and
// one with d: its z, from lanes wherever the machine has them.
// The spline (at the times 0:n-1 where not uneven) has no one-sided form:
// its second output is the pp-form's coefficients and the values halfway
// between the knots and beyond them.
const char *const outputs[] = {"z", "the one-sided z", "the leverages", "the info", "REML's choice",
                               "an edf's choice", "weighted", "weighted and one-sided", "robust (and its weights)",
                               "a panel"};
constexpr int output_count = sizeof outputs / sizeof outputs[0];
struct smooth_golden {
    givqr::idx n;
    double sigma;
    int d;
    bool uneven;
    uint64_t digests[output_count];
    bool spline = false;
};

const smooth_golden smooth_table[] = {
#include "golden_smooth.inc"
};

// The outputs of one series with its info: sigma, lambda, edf, gcv,
// loocv and reml in s, the leverages and standard errors, the robust
// weights and count.
struct info_of {
    double s[6], iterations;
    std::vector<double> h, se, w;
    explicit info_of(givqr::idx n) : h(n), se(n), w(n) {}
    givqr::smooth_out out(double *z)
    {
        givqr::smooth_out o = {z};
        o.info = true;
        o.sigma = &s[0], o.lambda = &s[1], o.edf = &s[2], o.gcv = &s[3], o.loocv = &s[4], o.reml = &s[5];
        o.leverage = h.data(), o.stderror = se.data(), o.weights = w.data(), o.iterations = &iterations;
        return o;
    }
};

smooth_golden smooth_compute(givqr::idx n, double sigma, int d, bool uneven, bool spline = false)
{
    const std::vector<double> u = lcg(n, static_cast<uint64_t>(n) + 5), v = lcg(n, static_cast<uint64_t>(n) + 6);
    std::vector<double> y(n), z(n), z1(n), t(n);
    for (givqr::idx i = 0; i < n; i++) y[i] = double(i % 97) / 50.0 + u[i];
    for (givqr::idx i = 1; i < n; i++) t[i] = uneven ? t[i - 1] + 0.505 + 0.495 * v[i] : double(i);  /* spacings in [0.01, 1) */
    const double *tp = uneven || spline ? t.data() : nullptr;
    givqr::smooth_call c;
    c.n = n, c.k = 1, c.automatic = sigma != sigma, c.sigma = sigma, c.shared = false, c.d = d, c.spline = spline;
    smooth_golden g = {n, sigma, d, uneven, {}, spline};
    info_of i0(n), i1(n);
    EXPECT_EQ(givqr::givsmooth(c, y.data(), nullptr, tp, i0.out(z.data()), 1, nullptr), givqr::smoothed);
    g.digests[0] = digest(z);
    if (spline) {
        std::vector<double> pp(4 * (n - 1)), xx(n + 1), yy(n + 1);
        EXPECT_TRUE(givqr::spline_coefs(n, 1, t.data(), z.data(), pp.data()));
        for (givqr::idx i = 0; i + 1 < n; i++) xx[i] = 0.5 * (t[i] + t[i + 1]);
        xx[n - 1] = t[0] - 3.0, xx[n] = t[n - 1] + 3.0;
        givqr::spline_at(n, 1, t.data(), z.data(), n + 1, xx.data(), yy.data());
        pp.insert(pp.end(), yy.begin(), yy.end());
        g.digests[1] = digest(pp);
    } else {
        c.onesided = true;
        EXPECT_EQ(givqr::givsmooth(c, y.data(), nullptr, tp, i1.out(z1.data()), 1, nullptr), givqr::smoothed);
        c.onesided = false;
        g.digests[1] = digest(z1);
    }
    g.digests[2] = digest(i0.h);
    g.digests[3] = digest({i0.s[0], i0.s[2], i0.s[3], i0.s[4]});
    if (sigma != sigma)         /* the restricted likelihood's choice, and an edf's */
        for (int how = 0; how < 2; how++) {
            c.criterion = how == 0 ? givqr::reml : givqr::gcv;
            c.edf = how == 0 ? 0.0 : double(d) + double(n - d) / 3.0;
            EXPECT_EQ(givqr::givsmooth(c, y.data(), nullptr, tp, i1.out(z1.data()), 1, nullptr), givqr::smoothed);
            std::vector<double> all = {i1.s[0], i1.s[2], i1.s[5]};
            all.insert(all.end(), z1.begin(), z1.end());
            g.digests[4 + how] = digest(all);
        }
    c.criterion = givqr::gcv;
    c.edf = 0.0;
    if (n >= 10 && sigma == sigma && !spline) {
        const givqr::idx k = 11;
        const std::vector<double> gaps = lcg(n * k, static_cast<uint64_t>(n) + 7);
        std::vector<double> Y(n * k), Z(n * k);
        for (givqr::idx i = 0; i < n * k; i++) {
            const givqr::idx j = i / n;
            Y[i] = gaps[i] < 0.3 || j == 4 || (j == 7 && i % n >= d) ? std::nan("") : y[i % n] + double(j) * u[i % n];
        }
        givqr::smooth_call p = c;
        p.k = k;
        givqr::smooth_out o = {Z.data()};
        EXPECT_EQ(givqr::givsmooth(p, Y.data(), nullptr, tp, o, 2, nullptr), givqr::smoothed);
        g.digests[9] = digest(Z);
    }
    if (n >= 10) {
        std::vector<double> w(n);
        for (givqr::idx i = 0; i < n; i++) w[i] = i % 7 == 3 ? 0.0 : 1.0 + double(i % 5) / 4.0;
        for (givqr::idx i = n / 3; i < n / 3 + 5; i++) y[i] = std::nan("");
        y[n / 2] += 20.0;
        c.shared = true;
        for (int pass = 0; pass < 3; pass++) {
            if (spline && pass == 1) continue;
            c.onesided = pass == 1;
            c.robust = pass == 2;
            EXPECT_EQ(givqr::givsmooth(c, y.data(), w.data(), tp, i1.out(z.data()), 1, nullptr), givqr::smoothed);
            std::vector<double> all = z;
            all.insert(all.end(), i1.h.begin(), i1.h.end());
            all.insert(all.end(), {i1.s[0], i1.s[2], i1.s[3], i1.s[4]});
            if (c.robust) all.insert(all.end(), i1.w.begin(), i1.w.end());
            g.digests[6 + pass] = digest(all);
        }
    }
    return g;
}

TEST(golden, SameBitsOnEveryPlatform)
{
    const char *env = std::getenv("GIVQR_GOLDEN");
    if (env && std::strcmp(env, "print") == 0) {
        auto print = [](const smooth_golden &g) {
            char s[32];
            std::snprintf(s, sizeof s, g.sigma == g.sigma ? "%a" : "NAN", g.sigma);
            std::printf("    {%td, %s, %d, %s, {", g.n, s, g.d, g.uneven ? "true" : "false");
            for (int k = 0; k < output_count; k++)
                std::printf("0x%016llxULL%s", (unsigned long long)g.digests[k], k + 1 < output_count ? ", " : "}");
            std::printf("%s},\n", g.spline ? ", true" : "");
        };
        for (givqr::idx n : {3, 10, 1000, 100000})
            for (double sigma : {0.0, 1e-6, 0.000316227766016838, 0.025, 1.0, std::nan("")})
                print(smooth_compute(n, sigma, 2, false));
        for (int d : {1, 3, 4}) {
            for (givqr::idx n : {5, 1000})
                for (double sigma : {0.0, 1e-6, 0.025, std::nan("")})
                    print(smooth_compute(n, sigma, d, false));
            for (double sigma : {1e-6, 0.025})         // long transients and cycles; the choice costs too much here
                print(smooth_compute(100000, sigma, d, false));
        }
        for (int d : {1, 2, 3, 4}) {
            for (double sigma : {0.025, std::nan("")}) print(smooth_compute(10, sigma, d, true));
            for (double sigma : {1e-4, 1.0, std::nan("")}) print(smooth_compute(3000, sigma, d, true));
        }
        for (givqr::idx n : {3, 10, 1000, 100000})
            for (double sigma : {0.0, 1e-6, 0.025, 1.0, std::nan("")})
                if (n < 100000 || sigma == sigma) print(smooth_compute(n, sigma, 2, false, true));
        for (givqr::idx n : {10, 3000})
            for (double sigma : {1e-4, 1.0, std::nan("")}) print(smooth_compute(n, sigma, 2, true, true));
        const givqr::idx ns[] = {3, 4, 5, 10, 1000, 100000};
        const double sigmas[] = {0.0, -0.0, 4.9e-324, 1e-300, 1e-8, 1e-6, 0.000316227766016838, 0.1, 1.0,
                                 -3.5, 1e300, inf, -inf};
        for (givqr::idx n : ns)
            for (double s : sigmas) {
                const golden g = compute(n, s);
                std::printf("    {%td, %a, 0x%016llxULL, 0x%016llxULL, 0x%016llxULL, 0x%016llxULL},\n", n, s,
                            (unsigned long long)g.Qbar, (unsigned long long)g.R,
                            (unsigned long long)g.fwd, (unsigned long long)g.inv);
            }
        return;
    }
    int wrong = 0;
    for (const golden &want : table) {
        const golden got = compute(want.n, want.sigma);
        const bool same = got.Qbar == want.Qbar && got.R == want.R && got.fwd == want.fwd && got.inv == want.inv;
        wrong += (got.Qbar != want.Qbar) + (got.R != want.R) + (got.fwd != want.fwd) + (got.inv != want.inv);
        EXPECT_TRUE(same) << "n = " << want.n << ", sigma = " << want.sigma << ": Qbar "
                          << (got.Qbar == want.Qbar) << ", R " << (got.R == want.R) << ", givfwd "
                          << (got.fwd == want.fwd) << ", givinv " << (got.inv == want.inv);
    }
    for (const smooth_golden &want : smooth_table) {
        const smooth_golden got = smooth_compute(want.n, want.sigma, want.d, want.uneven, want.spline);
        for (int k = 0; k < output_count; k++) {
            wrong += got.digests[k] != want.digests[k];
            EXPECT_EQ(got.digests[k], want.digests[k]) << (want.spline ? "the spline" : "givsmooth") << ", n = " << want.n << ", sigma = " << want.sigma
                                                       << ", d = " << want.d << (want.uneven ? ", uneven t" : "")
                                                       << ": " << outputs[k];
        }
    }
    std::printf("golden: %d of %zu digests differ\n", wrong,
                4 * (sizeof table / sizeof table[0]) + output_count * (sizeof smooth_table / sizeof smooth_table[0]));
}

} // namespace
