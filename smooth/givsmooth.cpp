/* givsmooth: k series smoothed at once, spread over threads */
#include "fp.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace givqr {

namespace {

/* Joins the threads it holds when it goes, stopping them first where the
 * calling thread leaves early (an interrupt). */
struct crew {
    std::vector<std::thread> threads;
    std::atomic<bool> *stop;
    ~crew()
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
    const pace calling = {between, &stop}, other = {nullptr, &stop};
    const idx n = c.n;
    auto gaps = [&](idx j) { return std::any_of(y + j * n, y + (j + 1) * n, [](double v) { return std::isnan(v); }); };
    auto weights_of = [&](idx j) { return !w ? nullptr : c.shared ? w : w + j * n; };
    room first;
    weighted_room firstw;
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
            weighing *g = w ? &firstw.g : nullptr;
            if (g) weigh(n, c.d, y, w, nullptr, *g);
            series(c, S, 0, c.sigma, g, y, out, out.sigma ? out.leverage : nullptr, first, nullptr, calling);
            shared = &first.t;
            next = 1;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    auto work = [&](const pace &p) {
        room r;
        weighted_room wr;
        try {
            for (idx j = next++; j < c.k && !stop.load(); j = next++) {
                double *h = out.sigma ? out.leverage + j * n : nullptr;
                if (shared) {
                    weighing *g = w ? &wr.g : nullptr;
                    if (g) weigh(n, c.d, y + j * n, w, nullptr, *g);
                    if (!series(c, S, j, c.sigma, g, y, out, h, r, shared, p)) return;
                } else if (w || c.robust || gaps(j)) {
                    if (!weighted_series(c, S, j, y, weights_of(j), out, wr, r, p)) return;
                } else {
                    const double sigma =
                        c.automatic ? pick(c, S, j, nullptr, y + j * n, out.z + j * n, r, p, out) : c.sigma;
                    if (stop.load() || !series(c, S, j, sigma, nullptr, y, out, h, r, nullptr, p)) return;
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
        crew team = {{}, &stop};
        try {
            for (int t = 0; t < helpers; t++) team.threads.emplace_back(work, other);
        } catch (const std::system_error &) {     /* fewer threads than asked: go on with those */
        }
        work(calling);
    }
    return !short_of_memory.load();
}

} // namespace givqr
