// givsmooth's kernels: in parts as whole; the leverages, settled in the
// cycle, as every step of the recurrence taken; the gateways of givsmooth and
// givspline through the fake host
#include "failures.h"
#include "fakehost.h"
#include "smooth.h"
#include "givsmooth.h"
#include "messages.h"
#include "minimize.h"
#include "factor.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" void givsmooth_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
extern "C" void givspline_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

using givqr::idx;

namespace {

bool same(const std::vector<double> &a, const std::vector<double> &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// No cycle, cycles of period 1, 2 and 18, and one from the first rows.
const double sigmas[] = {0.0, 1.0, 0.1, 0.000316227766016838, 1e300};

struct run {
    std::vector<double> x, h, T, R;
    givqr::table t;
    givqr::sums f;
    givqr::forward_sums k;
};

// Times 1, 2, 3, ... whose spacings spread over [0.01, 1): D's rows differ.
std::vector<double> uneven(idx n)
{
    const std::vector<double> u = lcg(n, 11);
    std::vector<double> t(n, 0.0);
    for (idx i = 1; i < n; i++) t[i] = t[i - 1] + 0.505 + 0.495 * u[i];
    return t;
}

// smooth_forward (two- or one-sided) for the stencil S, then for two-sided
// smooth_backward with the criteria, each in parts of the given length.
run smooth(idx n, const givqr::stencil &S, double sigma, bool onesided, const std::vector<double> &y, idx part)
{
    const idx m = n - S.d;
    run r{std::vector<double>(n), std::vector<double>(n), std::vector<double>((2 * S.d + 2) * m), std::vector<double>(m),
          {}, {}, {}};
    r.t.T = r.T.data();
    r.t.R = r.R.data();
    givqr::forward_state st;
    for (idx i0 = 0; i0 < m; i0 += part)
        givqr::smooth_forward(n, S, sigma, nullptr, y.data(), r.x.data(), onesided ? r.h.data() : nullptr,
                              onesided ? givqr::forward_onesided : givqr::forward_sums_c2, i0, std::min(m, i0 + part),
                              st, r.t);
    if (!onesided) {
        givqr::backward_state c;
        c.sums = true, c.y = y.data(), c.h = r.h.data();
        for (idx k0 = 0; k0 < m; k0 += part)
            givqr::smooth_backward(n, r.t, r.x.data(), k0, std::min(m, k0 + part), c);
        r.f = c.s.total;
    }
    r.k = st.k;
    return r;
}

// Every order, at the times 1:n and at uneven times (every step computed).
TEST(smooth, InPartsTheSameBits)
{
    for (int d = 1; d <= givqr::d_max; d++)
        for (bool times : {false, true})
            for (idx n : {3, 4, 5, 90, 2100}) {
                if (n <= d) continue;
                const std::vector<double> t = uneven(n);
                std::vector<double> rows((d + 1) * n);
                const givqr::stencil S = givqr::make_stencil(n, d, times ? t.data() : nullptr, rows.data());
                for (double sigma : sigmas) {
                    const std::vector<double> y = lcg(n, static_cast<uint64_t>(n));
                    for (bool onesided : {false, true}) {
                        const run whole = smooth(n, S, sigma, onesided, y, n);
                        for (idx part : {1, 2, 3, 64}) {
                            const run r = smooth(n, S, sigma, onesided, y, part);
                            SCOPED_TRACE(testing::Message() << "d = " << d << (times ? ", uneven" : "") << ", n = " << n
                                                            << ", sigma = " << sigma << ", part " << part);
                            EXPECT_TRUE(same(r.x, whole.x) && same(r.h, whole.h));
                            EXPECT_EQ(std::memcmp(&r.f, &whole.f, sizeof r.f), 0);
                            EXPECT_EQ(std::memcmp(&r.k, &whole.k, sizeof r.k), 0);
                        }
                        // another series from the table (table_forward), as by the fused kernel
                        std::vector<double> x(n), h(n), x2(n), h2(n), T((2 * d + 2) * (n - d)), R(n - d);
                        givqr::table t2;
                        t2.T = T.data();
                        t2.R = R.data();
                        givqr::forward_state st, st2;
                        const givqr::forward_want want = onesided ? givqr::forward_onesided : givqr::forward_sums_c2;
                        double *hh = onesided ? h.data() : nullptr, *hh2 = onesided ? h2.data() : nullptr;
                        givqr::smooth_forward(n, S, sigma, nullptr, y.data(), x.data(), hh, want, 0, n - d, st, t2);
                        givqr::table_forward(n, whole.t, y.data(), x2.data(), hh2, want, 0, n - d, st2);
                        EXPECT_TRUE(same(x, x2) && same(h, h2));
                        if (!onesided) {
                            EXPECT_EQ(std::memcmp(&st.k, &st2.k, sizeof st.k), 0);   // the same sums and det R
                        }
                    }
                }
            }
}

// The state form carries r alone where R comes back to itself a step or two
// later (no weights, equal spacing; measured, from step 21 to 500 at these
// sigmas, period 2 at d = 3, sigma = 1): weights all 1, which take every
// step, give the same bits, at either parity of the steps left: z, the
// leverages, and log det R (from the cycle's rows, which E keeps in part).
TEST(smooth, StateCycleAsEveryStepTaken)
{
    for (int d = 1; d <= givqr::d_max; d++)
        for (idx n : {90, 5000, 5001})
            for (double sigma : {1.0, 0.1, 0.025, 1e-4, 0.0}) {
                const std::vector<double> y = lcg(n, static_cast<uint64_t>(n) + 3), one(n, 1.0);
                std::vector<double> rows((d + 1) * n), z(n), z1(n), h(n), h1(n), E((d + 2) * n);
                const givqr::stencil S = givqr::make_stencil(n, d, nullptr, rows.data());
                double logdet[2], squares[2];
                givqr::state_smooth(n, S, sigma, nullptr, y.data(), z.data(), E.data(), 1.0, &logdet[0], &squares[0],
                                    h.data());
                givqr::state_smooth(n, S, sigma, one.data(), y.data(), z1.data(), E.data(), 1.0, &logdet[1],
                                    &squares[1], h1.data());
                SCOPED_TRACE(testing::Message() << "d = " << d << ", n = " << n << ", sigma = " << sigma);
                EXPECT_TRUE(same(z, z1));
                EXPECT_TRUE(same(h, h1));
                EXPECT_TRUE(same({logdet[0], squares[0]}, {logdet[1], squares[1]}));
            }
}

// The kernel stops the recurrence for G and K where it settles in the
// cycle: the same table with every row written out (no cycle, so every step
// of the recurrence is taken) must give the same bits, for every order.
TEST(smooth, LeveragesSettledAsEveryStepTaken)
{
    for (int d = 1; d <= givqr::d_max; d++) {
        int settled = 0;
        const givqr::stencil S = givqr::make_stencil(1, d, nullptr, nullptr);
        const int w = 2 * d + 2;
        for (idx n : {5, 90, 400, 3000})
            for (double sigma : sigmas) {
                const idx m = n - d;
                const std::vector<double> y = lcg(n, 7);
                const run r = smooth(n, S, sigma, false, y, n);
                std::vector<double> T(w * m), x(n), h(n);
                givqr::table all = {d, w, m, m, 0, T.data(), nullptr, {}, {}}, t = r.t;
                for (idx i = 0; i < m; i++) std::memcpy(&T[w * i], givqr::row(r.t, i), w * sizeof(double));
                std::vector<double> T2(r.T), R2(r.R);
                t.T = T2.data();
                t.R = R2.data();
                givqr::forward_state st;
                givqr::smooth_forward(n, S, sigma, nullptr, y.data(), x.data(), nullptr, givqr::forward_c2, 0, m, st, t);
                givqr::backward_state c;
                c.sums = true, c.y = y.data(), c.h = h.data();
                givqr::smooth_backward(n, all, x.data(), 0, m, c);
                SCOPED_TRACE(testing::Message() << "d = " << d << ", n = " << n << ", sigma = " << sigma);
                EXPECT_TRUE(same(h, r.h));
                settled += r.t.s < m - 100;
            }
        EXPECT_GT(settled, 3) << "d = " << d;      // the cycle was there to settle in
    }
}

// The minimizer on functions whose least is known, scanning 0..20 of the
// range -10..30: inside (refined to tol), at an end (that end, and it says
// so), below the scan and above it (found by walking on), two minima with
// the lower one off the grid's points and beside a higher one on them, Inf
// over part of the grid; a bound that shows the rest cannot win ends the
// scan early; a stop ends it all.
struct known {
    struct point {
        double x, f;
    };
    double (*f)(double);
    double floor = -INFINITY;       /* what bound says of every stretch */
    int calls = 0, stop_at = -1;
    point at(double x) { return calls++, point{x, f(x)}; }
    bool stopped() const { return calls == stop_at; }
    double bound(const point &, const point *) const { return floor; }
    double near(double least) const { return least + std::fabs(least) / 200.0; }
    bool above(const point &) const { return true; }
};

TEST(smooth, MinimizerFindsTheKnownLeast)
{
    const struct { double (*f)(double); double at; int end; } cases[] = {
        {[](double x) { return (x - 7.3) * (x - 7.3) + 1.0; }, 7.3, 0},
        {[](double x) { return x; }, -10.0, -1},
        {[](double x) { return -x; }, 30.0, 1},
        {[](double x) { return (x + 3.4) * (x + 3.4); }, -3.4, 0},
        {[](double x) { return (x - 24.6) * (x - 24.6); }, 24.6, 0},
        {[](double x) { return std::min(std::fabs(x - 4.0) + 1.0, 4.0 * std::fabs(x - 12.5) + 0.5); }, 12.5, 0},
        {[](double x) { return x < 9.0 ? INFINITY : (x - 11.2) * (x - 11.2); }, 11.2, 0},
    };
    known::point best;
    int end;
    for (const auto &c : cases) {
        known f = {c.f};
        ASSERT_TRUE(givqr::minimize(f, -10, 20, 30, 1e-3, best, end));
        EXPECT_NEAR(best.x, c.at, 2e-3) << c.at;
        EXPECT_EQ(end, c.end) << c.at;
        EXPECT_LT(f.calls, 80) << c.at;
    }
    known pruned = {cases[0].f, 1.0};      /* nothing beats 1, the least: the scan stops past it */
    ASSERT_TRUE(givqr::minimize(pruned, -10, 20, 30, 1e-3, best, end));
    EXPECT_NEAR(best.x, 7.3, 2e-3);
    EXPECT_LT(pruned.calls, 30);
    known stopped = {cases[0].f};
    stopped.stop_at = 3;
    EXPECT_FALSE(givqr::minimize(stopped, -10, 20, 30, 1e-3, best, end));
    known none = {[](double) -> double { return INFINITY; }};
    EXPECT_FALSE(givqr::minimize(none, -10, 20, 30, 1e-3, best, end));
}

// What the kernels never wrote moves no bit: the memory they take filled
// with NaN, then with 1 (the rho of a point of weight 1): the step from
// which the weights no longer change, and the columns of a matrix on one
// thread and on three, and each column alone.
TEST(smooth, SameBitsWhateverTheMemoryHeld)
{
    {
        std::vector<double> y(50, 1.0);
        y[20] = std::nan("");
        givqr::fill_reserved = true;
        for (double fill : {std::nan(""), 1.0}) {
            givqr::reserved_fill = fill;
            givqr::weights g;
            givqr::weigh(50, 2, y.data(), nullptr, nullptr, g);
            EXPECT_EQ(g.steady, 19) << fill;     /* rho(i+2) the same from step 19 on */
        }
    }
    const idx n = 4000, k = 4;
    std::vector<double> Y = lcg(n * k, 13);
    for (idx i = 0; i < n * k; i++)             /* gaps in the first third: a cycle after them */
        if (i % n < 200 && (i % 23 == 5 || (i % n > 40 && i % n < 47))) Y[i] = std::nan("");
    givqr::smooth_call c;
    c.n = n, c.k = k, c.criterion = givqr::reml, c.d = 1;
    std::vector<double> first;
    givqr::fill_reserved = true;
    for (double fill : {std::nan(""), 1.0})
        for (int threads : {1, 3})
            for (idx j = -1; j < k; j += threads == 1 ? 1 : k + 1) {    /* the matrix, then (one thread) each column */
                givqr::reserved_fill = fill;
                givqr::smooth_call one = c;
                one.k = j < 0 ? k : 1;
                std::vector<double> z(n * one.k), sigma(one.k);
                givqr::smooth_out o = {z.data()};
                std::vector<double> lev(n * one.k), se(n * one.k), rest(one.k * 6);
                const idx ks = one.k;
                o.info = true, o.sigma = sigma.data(), o.lambda = &rest[0], o.edf = &rest[ks], o.gcv = &rest[2 * ks];
                o.loocv = &rest[3 * ks], o.reml = &rest[4 * ks], o.range_end = &rest[5 * ks];
                o.leverage = lev.data(), o.stderror = se.data();
                ASSERT_EQ(givqr::givsmooth(one, Y.data() + (j < 0 ? 0 : j * n), nullptr, nullptr, o, threads, nullptr), givqr::smoothed);
                z.insert(z.end(), sigma.begin(), sigma.end());
                if (j < 0 && first.empty()) first = z;
                for (idx col = 0; col < one.k; col++) {
                    const idx at = j < 0 ? col : j;
                    EXPECT_EQ(std::memcmp(&z[col * n], &first[at * n], n * sizeof(double)), 0) << "column " << at;
                    EXPECT_EQ(std::memcmp(&z[one.k * n + col], &first[k * n + at], sizeof(double)), 0) << "sigma " << at;
                }
            }
    givqr::fill_reserved = false;
}

// GIVQR_LANES = k (0: unset), which lane_width reads at each call.
void lanes_asked(int k)
{
#if defined(_WIN32)
    _putenv_s("GIVQR_LANES", k ? std::to_string(k).c_str() : "");
#else
    if (k) setenv("GIVQR_LANES", std::to_string(k).c_str(), 1);
    else unsetenv("GIVQR_LANES");
#endif
}

// Series in lanes (a sigma given, weights that vary) give each series' own
// bits, alone: at every width this machine runs, every order, equal and
// uneven times, with lanes of mixed cases: gaps in some columns only, each
// column's weights at their own scale (so its own sigma), a column without
// weight (its lane left to the next) and one with d points (interpolated),
// and more columns than fill the last group of lanes.  Then each criterion's
// choice and an edf's, three series in lockstep in the lanes, as without
// lanes: z and the info.
TEST(smooth, LanesTheSameBitsAsEachSeriesAlone)
{
    lanes_asked(0);
    const idx n = 300, k = 19;
    std::vector<double> Y = lcg(n * k, 17), W = lcg(n * k, 19), t = uneven(n);
    for (idx j = 0; j < k; j++)
        for (idx i = 0; i < n; i++) {
            double &y = Y[j * n + i];
            if ((j % 3 == 1 && (i * 7 + j) % 10 < 3) || (j % 5 == 2 && i > 40 && i < 90)) y = std::nan("");
            if (j == 4 || (j == 7 && i % 60 != 0)) y = std::nan("");       /* none; 5 points */
            W[j * n + i] = std::ldexp(0.5 + W[j * n + i], int(j % 7) * 3 - 9);
        }
    const int widest = givqr::lane_width();
    for (int d = 1; d <= givqr::d_max; d++)
        for (bool times : {false, true})
            for (bool weighted : {false, true}) {
                givqr::smooth_call c;
                c.n = n, c.k = k, c.d = d, c.automatic = false, c.shared = false;
                const double *w = weighted ? W.data() : nullptr, *ts = times ? t.data() : nullptr;
                /* 2e-8 at order 2: the weights' scales put lanes on either side of lambda = 1e16 */
                for (double sigma : {0.05, 2e-8}) {
                    if (sigma < 0.05 && (d != 2 || times)) continue;
                    c.sigma = sigma;
                    std::vector<double> alone(n * k);
                    givqr::smooth_call one = c;
                    one.k = 1;
                    for (idx j = 0; j < k; j++) {
                        givqr::smooth_out o = {alone.data() + j * n};
                        ASSERT_EQ(givqr::givsmooth(one, Y.data() + j * n, w ? w + j * n : nullptr, ts, o, 1, nullptr),
                                  givqr::smoothed);
                    }
                    for (int lanes = widest; lanes >= 1; lanes /= 2)
                        for (int threads : {1, 2}) {
                            lanes_asked(lanes);
                            std::vector<double> z(n * k);
                            givqr::smooth_out o = {z.data()};
                            std::vector<unsigned char> unobserved(k);
                            o.unobserved = unobserved.data();
                            ASSERT_EQ(givqr::givsmooth(c, Y.data(), w, ts, o, threads, nullptr), givqr::smoothed);
                            for (idx j = 0; j < k; j++)
                                EXPECT_EQ(std::memcmp(&z[j * n], &alone[j * n], n * sizeof(double)), 0)
                                    << "d = " << d << (times ? ", uneven" : "") << (weighted ? ", weighted" : "")
                                    << ", lanes " << lanes << ", threads " << threads << ", column " << j;
                            EXPECT_EQ(unobserved[4], 1);
                        }
                }
                lanes_asked(0);
                c.automatic = true, c.k = 3, c.shared = true;   /* columns 0, 1 (gaps) and 2 */
                /* -1: an edf; -2 and -3 robust, sigma given and by REML */
                for (int criterion : {int(givqr::gcv), int(givqr::loocv), int(givqr::reml), -1, -2, -3}) {
                    c.criterion = criterion == -3 ? givqr::reml : criterion < 0 ? givqr::gcv : criterion;
                    c.edf = criterion == -1 ? double(d) + 12.5 : 0.0;
                    c.robust = criterion < -1, c.automatic = criterion != -2, c.sigma = 0.05;
                    std::vector<double> first, bare;     /* with the info, and z alone (the smooths in lanes too) */
                    for (int lanes = 1; lanes <= widest; lanes *= 2) {
                        lanes_asked(lanes);
                        std::vector<double> z(n * 3), info(6 * 3), zb(n * 3);
                        givqr::smooth_out o = {z.data()};
                        o.info = true, o.sigma = &info[0], o.lambda = &info[3], o.edf = &info[6], o.gcv = &info[9];
                        o.loocv = &info[12], o.reml = &info[15];
                        std::vector<double> h(n * 3), se(n * 3), end(3);
                        o.leverage = h.data(), o.stderror = se.data(), o.range_end = end.data();
                        std::vector<double> rw(c.robust ? n * 3 + 3 : 0);
                        if (c.robust) o.weights = rw.data(), o.iterations = rw.data() + n * 3;
                        ASSERT_EQ(givqr::givsmooth(c, Y.data(), w, ts, o, 1, nullptr), givqr::smoothed);
                        givqr::smooth_out ob = {zb.data()};
                        ASSERT_EQ(givqr::givsmooth(c, Y.data(), w, ts, ob, 1, nullptr), givqr::smoothed);
                        z.insert(z.end(), info.begin(), info.end());
                        z.insert(z.end(), rw.begin(), rw.end());
                        if (lanes == 1) first = z, bare = zb;
                        EXPECT_TRUE(same(z, first) && same(zb, bare))
                            << "d = " << d << (times ? ", uneven" : "") << (weighted ? ", weighted" : "")
                            << ", criterion " << criterion << ", lanes " << lanes;
                    }
                    lanes_asked(0);
                }
                c.robust = false;
            }
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
    EXPECT_GE(widest, 2);       /* lanes were there to test */
#endif
}

TEST(givsmooth_gateway, FailuresAndOutputs)
{
    using namespace givqr;
    failures_def::check("givsmooth", givsmooth_gateway);

    // three series, sigma chosen, on one thread and on three: z, and info in
    // full; then weighted, with a gap, robust
    const idx n = 300;
    std::vector<double> Y(3 * n), W(3 * n, 1.0);
    const std::vector<double> u = lcg(3 * n, 3);
    for (idx i = 0; i < 3 * n; i++) Y[i] = std::sin(double(i % n) / 20) + 0.3 * u[i];
    for (idx i = 0; i < n; i++) W[i] = 1.5 + u[i];
    for (idx i = 40; i < 55; i++) Y[n + i] = std::nan("");
    for (bool robust : {false, true}) {
        std::vector<double> first;
        for (int threads : {1, 3}) {
            fake::threads = threads;
            mxArray *in[5] = {fake::matrix(n, 3, Y), fake::matrix(0, 0, {}), fake::text("Weights"),
                              fake::matrix(n, 3, W), fake::text("Robust")}, *out[2] = {nullptr, nullptr};
            mxArray *yes = fake::make(mxLOGICAL_CLASS, {1, 1});
            *static_cast<mxLogical *>(fake::data(yes)) = 1;
            const mxArray *prhs[6] = {in[0], in[1], in[2], in[3], in[4], yes};
            ASSERT_EQ(fake::call(givsmooth_gateway, 2, out, robust ? 6 : 1, prhs), "");
            ASSERT_EQ(mxGetM(out[0]), size_t(n));
            ASSERT_EQ(mxGetN(out[0]), 3u);
            std::vector<double> all(mxGetPr(out[0]), mxGetPr(out[0]) + 3 * n);
            for (int k = 0; k < (robust ? givqr::robust_info_count : givqr::info_count); k++) {
                const char *f = givqr::info_fields[k].name;
                const mxArray *v = mxGetField(out[1], 0, f);
                ASSERT_TRUE(v) << f;
                const size_t len = mxGetM(v) * mxGetN(v);
                EXPECT_EQ(len, givqr::info_fields[k].per_point ? size_t(3 * n) : 3u) << f;
                for (size_t i = 0; i < len; i++) ASSERT_FALSE(fake::is_poison(mxGetPr(v)[i])) << f;
                all.insert(all.end(), mxGetPr(v), mxGetPr(v) + len);
            }
            EXPECT_EQ(mxGetField(out[1], 0, "weights") != nullptr, robust);
            if (first.empty()) first = all;
            else EXPECT_TRUE(same(all, first));         // the same bits, whatever the threads
            for (const mxArray *a : prhs) fake::destroy(const_cast<mxArray *>(a));
            fake::destroy(out[0]);
            fake::destroy(out[1]);
        }
    }
    fake::threads = 2;

    // an edf the range cannot reach: the nearest, and the host's warning with its identifier
    {
        std::vector<double> yw(40);
        for (idx i = 0; i < 40; i++) yw[i] = std::sin(double(i) / 3) + 0.1 * u[i];
        mxArray *in[3] = {fake::matrix(40, 1, yw), fake::text("EDF"), fake::scalar(40 - 1e-9)}, *out[2] = {};
        const mxArray *prhs[5] = {in[0], fake::matrix(0, 0, {}), in[1], in[2]};
        fake::warning_id.clear();
        const mxArray *args[4] = {prhs[0], prhs[1], prhs[2], prhs[3]};
        ASSERT_EQ(fake::call(givsmooth_gateway, 2, out, 4, args), "");
        EXPECT_EQ(fake::warning_id, "givqr:givsmooth:edfNotReached");
        EXPECT_GT(mxGetScalar(mxGetField(out[1], 0, "edf")), 39.0);
        for (const mxArray *a : args) fake::destroy(const_cast<mxArray *>(a));
        fake::destroy(out[0]);
        fake::destroy(out[1]);
    }
}

// givspline: its failures; two series over uneven x, pp as mkpp makes it
// and every number written; yy at points inside and beyond the knots as the
// pieces give it, in ppval's shapes; each series as if alone.
TEST(givspline_gateway, FailuresAndOutputs)
{
    using namespace givqr;
    failures_def::check("givspline", givspline_gateway);
    const idx n = 60;
    std::vector<double> x(n), Y(2 * n);
    const std::vector<double> u = lcg(2 * n, 8);
    for (idx i = 0; i < n; i++) x[i] = double(i) + 0.4 * u[i];
    x[7] = x[6];                                    // a tie: 59 knots
    for (idx i = 0; i < 2 * n; i++) Y[i] = std::sin(x[i % n] / 5) + 0.2 * u[(i * 7) % (2 * n)];
    auto run = [&](int nlhs, mxArray **out, std::vector<const mxArray *> in) {
        EXPECT_EQ(fake::call(givspline_gateway, nlhs, out, int(in.size()), in.data()), "");
        for (const mxArray *a : in) fake::destroy(const_cast<mxArray *>(a));
    };
    mxArray *pp[2] = {}, *one[1] = {}, *yy[1] = {}, *grid[1] = {};
    run(2, pp, {fake::matrix(n, 1, x), fake::matrix(n, 2, Y)});
    const mxArray *coefs = mxGetField(pp[0], 0, "coefs"), *breaks = mxGetField(pp[0], 0, "breaks");
    ASSERT_TRUE(coefs && breaks);
    EXPECT_EQ(mxGetM(breaks), 1u);
    EXPECT_EQ(mxGetN(breaks), size_t(n - 1));
    EXPECT_EQ(mxGetM(coefs), size_t(2 * (n - 2)));
    EXPECT_EQ(mxGetN(coefs), 4u);
    EXPECT_EQ(mxGetScalar(mxGetField(pp[0], 0, "pieces")), double(n - 2));
    EXPECT_EQ(mxGetScalar(mxGetField(pp[0], 0, "order")), 4.0);
    EXPECT_EQ(mxGetScalar(mxGetField(pp[0], 0, "dim")), 2.0);
    char form[4];
    EXPECT_EQ(mxGetString(mxGetField(pp[0], 0, "form"), form, 4), 0);
    EXPECT_STREQ(form, "pp");
    for (size_t i = 0; i < mxGetM(coefs) * 4; i++) ASSERT_FALSE(fake::is_poison(mxGetPr(coefs)[i]));
    // the second series alone, at its own lambda: the same pieces, rows 2, 4, ...
    std::vector<double> y2(Y.begin() + n, Y.end());
    run(1, one, {fake::matrix(n, 1, x), fake::matrix(1, n, y2)});
    const mxArray *c1 = mxGetField(one[0], 0, "coefs");
    for (idx p = 0; p < n - 2; p++)
        for (int l = 0; l < 4; l++)
            EXPECT_EQ(mxGetPr(c1)[p + l * (n - 2)], mxGetPr(coefs)[2 * p + 1 + l * 2 * (n - 2)]) << p;
    // yy at xx (2-by-2: ND for two series) inside and beyond, from the pieces as ppval reads them
    const double lambda = 1.0 / std::pow(mxGetScalar(mxGetField(pp[1], 0, "sigma")), 2);
    const std::vector<double> xx = {-3.0, 10.25, x[n - 1] + 2, 33.0};
    run(1, yy, {fake::matrix(n, 1, x), fake::matrix(n, 2, Y), fake::matrix(0, 0, {}), fake::matrix(2, 2, xx)});
    ASSERT_EQ(mxGetNumberOfDimensions(yy[0]), 3u);
    EXPECT_EQ(mxGetDimensions(yy[0])[0], 2u);
    EXPECT_EQ(mxGetDimensions(yy[0])[1], 2u);
    fake::destroy(yy[0]);
    // no series: 0-by-numel(xx), not one value left unwritten
    run(1, yy, {fake::matrix(n, 1, x), fake::matrix(n, 0, {}), fake::matrix(0, 0, {}), fake::matrix(1, 3, {xx.begin(), xx.begin() + 3})});
    EXPECT_EQ(mxGetM(yy[0]), 0u);
    EXPECT_EQ(mxGetN(yy[0]), 3u);
    fake::destroy(yy[0]);
    run(1, yy, {fake::matrix(n, 1, x), fake::matrix(n, 1, {Y.begin(), Y.begin() + n}), fake::scalar(lambda),
                fake::matrix(2, 2, xx)});
    run(1, grid, {fake::matrix(n, 1, x), fake::matrix(n, 1, {Y.begin(), Y.begin() + n}), fake::scalar(lambda)});
    ASSERT_EQ(mxGetM(yy[0]), 2u);
    ASSERT_EQ(mxGetN(yy[0]), 2u);
    const double *b = mxGetPr(mxGetField(grid[0], 0, "breaks")), *c = mxGetPr(mxGetField(grid[0], 0, "coefs"));
    const idx rows = n - 2, last = n - 3;
    auto piece = [&](idx p, double t, double *slope) {
        const double a = c[p], q = c[p + rows], l = c[p + 2 * rows];
        *slope = (3 * a * t + 2 * q) * t + l;
        return ((a * t + q) * t + l) * t + c[p + 3 * rows];
    };
    for (int i = 0; i < 4; i++) {
        const double v = xx[i];
        idx p = 0;
        while (p < last && b[p + 1] <= v) p++;
        double slope, want;
        if (v < b[0]) want = piece(0, 0.0, &slope), want += slope * (v - b[0]);            // the line beyond
        else if (v > b[n - 2]) want = piece(last, b[n - 2] - b[last], &slope), want += slope * (v - b[n - 2]);
        else want = piece(p, v - b[p], &slope);
        EXPECT_NEAR(mxGetPr(yy[0])[i], want, 1e-12) << v;
    }
    EXPECT_EQ(c[n - 2], 0.0);                   // f''(x(1)) = 0: the first piece's t^2 term
    for (mxArray *a : {pp[0], pp[1], one[0], yy[0], grid[0]}) fake::destroy(a);
}

} // namespace
