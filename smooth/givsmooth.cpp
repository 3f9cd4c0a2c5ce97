/* givsmooth: k series smoothed at once, spread over threads */
#include "fp.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace givqr {

const info_field info_fields[robust_info_count] = {
    {"sigma", false, &smooth_out::sigma},       {"lambda", false, &smooth_out::lambda},
    {"edf", false, &smooth_out::edf},           {"gcv", false, &smooth_out::gcv},
    {"loocv", false, &smooth_out::loocv},       {"reml", false, &smooth_out::reml},
    {"leverage", true, &smooth_out::leverage},  {"stderr", true, &smooth_out::stderror},
    {"weights", true, &smooth_out::weights},    {"iterations", false, &smooth_out::iterations},
};

double smooth_work_bytes(const smooth_call &c, const smooth_args &g, const double *y, int threads)
{
    const idx n = c.n;
    const bool weighted = g.weights || c.robust || std::any_of(y, y + n * c.k, [](double v) { return std::isnan(v); });
    double each = double(workspace::doubles(n, c.d));
    if (weighted) each += double(weighted_work::doubles(n, c.d));
    return 8.0 * (each * double(threads) + (g.times ? double(c.d + 1) * double(n) : 0.0));
}

idx edf_missed(const smooth_out &out, idx k)
{
    for (idx j = 0; out.reached && j < k; j++)
        if (!std::isnan(out.reached[j])) return j;
    return -1;
}

namespace {

/* Joins the threads it holds when it goes, stopping them first where the
 * calling thread leaves early (an interrupt). */
struct threads_joined {
    std::vector<std::thread> threads;
    std::atomic<bool> *stop;
    ~threads_joined()
    {
        if (std::uncaught_exceptions() > 0) stop->store(true);
        for (std::thread &t : threads) t.join();
    }
};

} // namespace

bool givsmooth(const smooth_call &c, const double *y, const double *w, const double *t, const smooth_out &out,
               int threads, void (*between)())
{
    std::atomic<bool> stop(false), short_of_memory(false);
    std::atomic<idx> next(0);
    const interrupts calling = {between, &stop}, other = {nullptr, &stop};
    const idx n = c.n;
    auto gaps = [&](idx j) { return std::any_of(y + j * n, y + (j + 1) * n, [](double v) { return std::isnan(v); }); };
    auto weights_of = [&](idx j) { return !w ? nullptr : c.shared ? w : w + j * n; };
    auto leverage_of = [&](idx j) { return out.info ? out.leverage + j * n : nullptr; };
    workspace first;
    weighted_work firstw;
    const table *shared = nullptr;
    memory rows;                /* D's rows, for sample times */
    stencil S;
    try {
        S = make_stencil(n, c.d, t, t ? rows.reserve((c.d + 1) * (n - c.d)) : nullptr);
        /* a sigma given, the same weights for all: series 0 factors, the
         * others replay its table */
        bool same = !c.automatic && c.k > 0 && !std::isinf(c.sigma) && !c.robust && (!w || c.shared);
        for (idx j = 0; j < c.k && same; j++) same = !gaps(j);
        if (same) {
            weights *g = w ? &firstw.g : nullptr;
            if (g) weigh(n, c.d, y, w, nullptr, *g);
            series(c, {n, S, g, y, nullptr}, 0, c.sigma, out, leverage_of(0), first, calling);
            shared = &first.t;
            next = 1;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    auto work = [&](const interrupts &ic) {
        workspace ws;
        weighted_work ww;
        try {
            for (idx j = next++; j < c.k && !stop.load(); j = next++) {
                const double *yj = y + j * n;
                if (shared) {
                    weights *g = w ? &ww.g : nullptr;
                    if (g) weigh(n, c.d, yj, w, nullptr, *g);
                    if (!series(c, {n, S, g, yj, shared}, j, c.sigma, out, leverage_of(j), ws, ic)) return;
                } else if (w || c.robust || gaps(j)) {
                    if (!weighted_series(c, S, j, y, weights_of(j), out, ww, ws, ic)) return;
                } else {
                    const problem p = {n, S, nullptr, yj, nullptr};
                    const double sigma = c.automatic ? pick(c, p, j, out.z + j * n, ws, ic, out) : c.sigma;
                    if (stop.load() || !series(c, p, j, sigma, out, leverage_of(j), ws, ic)) return;
                }
            }
        } catch (const std::bad_alloc &) {
            short_of_memory = true;
            stop = true;
        }
    };
    const idx left = c.k - next.load();
    const int helpers = static_cast<int>(std::max<idx>(0, std::min<idx>(threads, left) - 1));
    {
        threads_joined team = {{}, &stop};
        try {
            for (int i = 0; i < helpers; i++) team.threads.emplace_back(work, other);
        } catch (const std::system_error &) {     /* fewer threads than asked: go on with those */
        }
        work(calling);
    }
    return !short_of_memory.load();
}

} // namespace givqr
