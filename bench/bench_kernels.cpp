// The kernels alone: time per step (per column of A).  QR, which copies the
// rows once they repeat, against the loop that computes every step and
// against writing the outputs alone (the least any factorization can take);
// the replays; givsmooth's two passes, and givspline's.  sigma = 0.025
// (lambda = 1600), or 10^-k where the second argument is k.
#include "QR.h"
#include "givsmooth.h"
#include "replay.h"
#include "smooth.h"
#include "spline.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace givqr {
void QR_plain(idx n, double sigma, double *Qbar, double *pr);      // bench/QR_plain.cpp
void DtD_band(idx n, int d, double lambda, double *B);                      // bench/LDL_banded.cpp
void LDL_banded(idx n, int d, const double *B, const double *w, const double *y, double *z, double *work);
}

using givqr::idx;

namespace {

void per_step(benchmark::State &state, idx m)
{
    state.counters["per_step"] = benchmark::Counter(
        double(m), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// range(0) = n, range(1) = -log10(sigma) (0: sigma = 0.025)
double sigma_of(const benchmark::State &state)
{
    return state.range(1) == 0 ? 0.025 : std::pow(10.0, -double(state.range(1)));
}

template <void (*f)(idx, double, double *, double *)>
void BM_factor(benchmark::State &state)
{
    const idx n = state.range(0), m = n - 2;
    const double sigma = sigma_of(state);
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n));
    for (auto _ : state) {
        f(n, sigma, Qbar.data(), pr.data());
        benchmark::DoNotOptimize(pr.data());
        benchmark::ClobberMemory();
    }
    per_step(state, m);
}

// Qbar and R's values written with what the step before wrote: the outputs'
// stores alone, into memory already touched
void write_outputs(idx n, double sigma, double *Qbar, double *pr)
{
    const idx m = n - 2;
    double q[6] = {sigma, 0.5, 0.25, 0.125, 0.0625, 0.03125}, r[3] = {1.0, 2.0, 3.0};
    for (idx i = 1; i < m - 2; i++) {
        for (int k = 0; k < 6; k++) Qbar[k * m + i] = q[k];
        pr[3 * i - 1] = r[0];
        pr[3 * i + 1] = r[1];
        pr[3 * i + 3] = r[2];
    }
    benchmark::DoNotOptimize(q);
}

template <void (*f)(idx, const double *, const double *, double *)>
void BM_apply(benchmark::State &state)
{
    const idx n = state.range(0), m = n - 2;
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n)), x(givqr::length(n)), y(x.size());
    givqr::QR(n, 0.025, Qbar.data(), pr.data());
    for (size_t k = 0; k < x.size(); k++) x[k] = std::sin(double(k));
    for (auto _ : state) {
        f(n, Qbar.data(), x.data(), y.data());
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    per_step(state, m);
}

// givsmooth's kernels for one series: the factorization fused with Q' on y,
// then Q on [0; c2]; range(2) the order d, range(3) 0 for equal spacing, 1
// for weights that change to the end (every step computed), 2 for uneven
// sample times (every step computed); range(4) 1 for the spline, 2 for the
// state form (state_smooth) in the sweep's place
void BM_givsmooth(benchmark::State &state)
{
    const idx n = state.range(0);
    const int d = int(state.range(2)), mode = int(state.range(3));
    const idx m = n - d;
    const double sigma = sigma_of(state);
    const bool spline = state.range(4) == 1, by_state = state.range(4) == 2;
    std::vector<double> T((2 * d + 4) * n), y(n), x(n), t(n), rho(n), w(n), rows((d + 1) * n), low(2 * n);
    for (idx k = 0; k < n; k++) {
        y[k] = std::sin(double(k));
        t[k] = double(k) + 0.25 * std::sin(double(k) * 0.7);   /* spacings from 0.5 to 1.5 */
        rho[k] = 1.0 / (1.0 + 0.5 * std::cos(double(k)));
        w[k] = 1.0 / (rho[k] * rho[k]);
    }
    std::vector<double> R(m);
    givqr::table tb;
    tb.T = T.data();
    tb.R = R.data();
    std::vector<double> knots(n);
    for (idx k = 0; k < n; k++) knots[k] = mode == 2 ? t[k] : double(k);
    const givqr::stencil S = spline ? givqr::make_spline(n, knots.data(), rows.data(), low.data())
                                    : givqr::make_stencil(n, d, mode == 2 ? t.data() : nullptr, rows.data());
    for (auto _ : state) {
        if (by_state) {
            givqr::state_smooth(n, S, sigma, mode == 1 ? w.data() : nullptr, y.data(), x.data(), T.data());
            benchmark::DoNotOptimize(x.data());
            benchmark::ClobberMemory();
            continue;
        }
        givqr::forward_state st;
        st.steady = mode == 1 ? m : S.low_steady;
        givqr::smooth_forward(n, S, sigma, mode == 1 ? rho.data() : nullptr, y.data(), x.data(), nullptr,
                              givqr::forward_c2, 0, m, st, tb);
        givqr::backward_state bs;
        givqr::smooth_backward(n, tb, x.data(), 0, m, bs);
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
    per_step(state, m);
}

// A panel: k series of n points, 30% of them NaN at random (clouds),
// lambda = 1600 given, through givsmooth on range(4) threads; range(2) the
// order, range(3) 2 for uneven sample times (else 1:n), range(5) 1 for GCV,
// 2 for REML, 3 for robust fits at lambda given (else lambda given).  Time
// per series.
std::vector<double> panel(idx n, idx k)
{
    std::vector<double> Y(n * k);
    uint64_t u = 12345;
    for (idx i = 0; i < n * k; i++) {
        u = u * 6364136223846793005ULL + 1442695040888963407ULL;
        const double r = double(u >> 11) * 0x1p-53;
        Y[i] = r < 0.3 ? std::nan("") : std::sin(double(i % n) * 0.05) + r - 0.65;
    }
    return Y;
}

void per_series(benchmark::State &state, idx k)
{
    state.counters["per_series"] = benchmark::Counter(
        double(k), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_panel(benchmark::State &state)
{
    const idx n = state.range(0), k = state.range(1);
    const std::vector<double> Y = panel(n, k);
    std::vector<double> Z(n * k), t(n);
    for (idx i = 0; i < n; i++) t[i] = double(i) + 0.25 * std::sin(double(i) * 0.7);
    givqr::smooth_call c;
    c.n = n, c.k = k, c.d = int(state.range(2));
    c.automatic = state.range(5) == 1 || state.range(5) == 2;
    c.criterion = state.range(5) == 2 ? givqr::reml : givqr::gcv;
    c.robust = state.range(5) == 3;
    c.sigma = 0.025;
    givqr::smooth_out o = {Z.data()};
    for (auto _ : state) {
        givqr::givsmooth(c, Y.data(), nullptr, state.range(3) == 2 ? t.data() : nullptr, o, int(state.range(4)),
                         nullptr);
        benchmark::DoNotOptimize(Z.data());
        benchmark::ClobberMemory();
    }
    per_series(state, k);
    state.counters["lanes"] = givqr::lane_width();
}

// The same panel, each series by the banded LDL' of the squared system.
void BM_panel_LDL(benchmark::State &state)
{
    const idx n = state.range(0), k = state.range(1);
    const int d = int(state.range(2));
    const std::vector<double> Y = panel(n, k);
    std::vector<double> Z(n * k), w(n), work((2 * d + 2) * (n + d)), B((d + 1) * n);
    for (auto _ : state) {
        givqr::DtD_band(n, d, 1600.0, B.data());
        for (idx j = 0; j < k; j++) {
            const double *y = Y.data() + j * n;
            for (idx i = 0; i < n; i++) w[i] = std::isnan(y[i]) ? 0.0 : 1.0;
            givqr::LDL_banded(n, d, B.data(), w.data(), y, Z.data() + j * n, work.data());
        }
        benchmark::DoNotOptimize(Z.data());
        benchmark::ClobberMemory();
    }
    per_series(state, k);
    givqr::smooth_call c;               // how far it lies from givsmooth's, relative to max |y|
    c.n = n, c.k = std::min<idx>(k, 100), c.d = d, c.automatic = false, c.sigma = 0.025;
    std::vector<double> G(n * c.k);
    givqr::smooth_out o = {G.data()};
    givqr::givsmooth(c, Y.data(), nullptr, nullptr, o, 1, nullptr);
    double apart = 0.0, top = 0.0;
    for (idx i = 0; i < n * c.k; i++) {
        apart = std::max(apart, std::fabs(G[i] - Z[i]));
        if (!std::isnan(Y[i])) top = std::max(top, std::fabs(Y[i]));
    }
    state.counters["from_givsmooth"] = apart / top;
}

// n = 365, 10^5 series: lambda given at every order, uneven times, two
// threads; GCV and REML on 10^4
void panels(benchmark::internal::Benchmark *b)
{
    for (long d = 1; d <= givqr::d_max; d++) b->Args({365, 100000, d, 0, 1, 0});
    b->Args({365, 100000, 2, 2, 1, 0});
    b->Args({365, 100000, 2, 0, 2, 0});
    b->Args({365, 10000, 2, 0, 1, 1});
    b->Args({365, 10000, 2, 0, 1, 2});
    b->Args({365, 10000, 2, 0, 1, 3});
    b->Unit(benchmark::kMillisecond);
}

void panels_LDL(benchmark::internal::Benchmark *b)
{
    for (long d = 1; d <= givqr::d_max; d++) b->Args({365, 100000, d});
    b->Args({365, 10000, 2});
    b->Unit(benchmark::kMillisecond);
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (long n = 1000; n <= 10000000; n *= 10) b->Args({n, 0});
    b->Args({1000000, 8});          // sigma = 1e-8: a transient of 2*10^5 steps
    b->Args({100000, 8});           // ... longer than the run: no step saved
    b->Unit(benchmark::kMillisecond);
}

// d = 2 at equal spacing, at the sizes above
void smooth_sizes(benchmark::internal::Benchmark *b)
{
    for (long n = 1000; n <= 10000000; n *= 10) b->Args({n, 0, 2, 0, 0});
    b->Args({1000000, 8, 2, 0, 0});
    b->Args({100000, 8, 2, 0, 0});
    b->Unit(benchmark::kMillisecond);
}

// the spline at n = 10^6, lambda = 1600: at equal spacing (the cycle),
// weighted, at uneven x; the fifth argument 1
void splines(benchmark::internal::Benchmark *b)
{
    for (long mode = 0; mode <= 2; mode++) b->Args({1000000, 0, 2, mode, 1});
    b->Unit(benchmark::kMillisecond);
}

// every order at n = 10^6, sigma = 0.025: in the cycle (equal spacing), with
// weights that change to the end, at uneven times; by the sweep, then by the
// state form
void orders(benchmark::internal::Benchmark *b)
{
    for (long kind : {0, 2})
        for (long mode = 0; mode <= 2; mode++)
            for (long d = 1; d <= givqr::d_max; d++) b->Args({1000000, 0, d, mode, kind});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK_TEMPLATE(BM_factor, givqr::QR)->Name("BM_QR")->Apply(sizes);
BENCHMARK_TEMPLATE(BM_factor, givqr::QR_plain)->Name("BM_QR_plain")->Apply(sizes);
BENCHMARK_TEMPLATE(BM_factor, write_outputs)->Name("BM_write_outputs")->Args({1000000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_apply, givqr::givfwd)->Name("BM_givfwd")->Apply(sizes);
BENCHMARK_TEMPLATE(BM_apply, givqr::givinv)->Name("BM_givinv")->Apply(sizes);
BENCHMARK(BM_givsmooth)->Apply(smooth_sizes);
BENCHMARK(BM_givsmooth)->Name("BM_givsmooth_order")->Apply(orders);
BENCHMARK(BM_givsmooth)->Name("BM_givspline")->Apply(splines);
BENCHMARK(BM_panel)->Apply(panels);
BENCHMARK(BM_panel_LDL)->Apply(panels_LDL);

} // namespace

BENCHMARK_MAIN();
