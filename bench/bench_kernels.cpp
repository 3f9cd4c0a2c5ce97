// The kernels alone, at n = 10^3 .. 10^7: time per step (per column of A)
#include "QR.h"
#include "replay.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

using givqr::idx;

namespace {

void per_step(benchmark::State &state, idx m)
{
    state.counters["per_step"] = benchmark::Counter(
        double(m), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_QR(benchmark::State &state)
{
    const idx n = state.range(0), m = n - 2;
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n));
    std::vector<int64_t> ir(pr.size()), jc(m + 1);
    for (auto _ : state) {
        givqr::QR_pattern(n, ir.data(), jc.data());
        givqr::QR(n, 0.1, Qbar.data(), pr.data());
        benchmark::DoNotOptimize(pr.data());
        benchmark::ClobberMemory();
    }
    per_step(state, m);
}

template <givqr::kernel *f>
void BM_apply(benchmark::State &state)
{
    const idx n = state.range(0), m = n - 2;
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n)), x(givqr::length(n)), y(x.size());
    std::vector<int64_t> ir(pr.size()), jc(m + 1);
    givqr::QR(n, 0.1, Qbar.data(), pr.data());
    for (size_t k = 0; k < x.size(); k++) x[k] = std::sin(double(k));
    for (auto _ : state) {
        f(n, Qbar.data(), x.data(), y.data());
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    per_step(state, m);
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (long n = 1000; n <= 10000000; n *= 10) b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_QR)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_apply, givqr::givfwd)->Name("BM_givfwd")->Apply(sizes);
BENCHMARK_TEMPLATE(BM_apply, givqr::givinv)->Name("BM_givinv")->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
