/* givsmooth: k series smoothed at once, spread over threads */
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace givqr {

namespace {

/* Runs f(i0, i1) over 0..m in parts, pausing between them; false where stopped. */
template <class F>
bool in_parts(idx m, const pace &p, F f)
{
    for (idx i0 = 0; i0 < m; i0 += part_steps) {
        f(i0, std::min(m, i0 + part_steps));
        if (!p.go()) return false;
    }
    return true;
}

/* The factorization for sigma fused with Q' on y into x (two-sided), or the
 * one-sided smooth (h as smooth_forward); its table kept in r. */
bool factor_forward(idx n, double sigma, bool onesided, const double *y, double *x, double *h, room &r,
                    const pace &p)
{
    sweep st;
    r.reserve(n - 2);
    return in_parts(n - 2, p, [&](idx i0, idx i1) { smooth_forward(n, sigma, onesided, y, x, h, i0, i1, &st, &r.t); });
}

/* z from c2 in x by the table t, with the sums in f and the leverages in h
 * where f is not null. */
bool backward(idx n, const table &t, const double *y, double *x, double *h, fit *f, const pace &p)
{
    double carry[2];
    smooth_criteria c = {y, h, nullptr, {}, {}, {}, {}};
    if (!in_parts(n - 2, p, [&](idx k0, idx k1) { smooth_backward(n, t, x, k0, k1, carry, f ? &c : nullptr); }))
        return false;
    if (f) *f = c.sums;
    return true;
}

/* The info of series j at sigma from its sums; its leverages are in place. */
void report(idx n, idx j, double sigma, const fit &f, const smooth_out &o)
{
    o.sigma[j] = sigma;
    o.lambda[j] = 1.0 / (sigma * sigma);
    o.edf[j] = f.edf;
    o.gcv[j] = double(n) * f.rss / (f.rest * f.rest);
    o.loocv[j] = f.loo / double(n);
    const double s = std::sqrt(f.rss / f.rest);
    const double *lev = o.leverage + j * n;
    double *se = o.stderror + j * n;
    for (idx i = 0; i < n; i++) se[i] = s * std::sqrt(lev[i]);
}

/* Series j at sigma, two-sided or one-sided, from its own factorization, or
 * from t where the factorization is shared; the info where asked. */
bool series(const smooth_call &c, idx j, double sigma, const double *y, const smooth_out &o, room &r,
            const table *t, const pace &p)
{
    const idx n = c.n, m = n - 2;
    const double *yj = y + j * n;
    double *z = o.z + j * n, *h = o.sigma ? o.leverage + j * n : nullptr;
    fit f = {0.0, 0.0, 0.0, 0.0};
    if (std::isinf(sigma)) {                    /* no penalty: z = y, H = I */
        std::memcpy(z, yj, n * sizeof(double));
        if (o.sigma) {
            std::fill(h, h + n, 1.0);
            f.edf = double(n);
            f.loo = std::nan("");
            report(n, j, sigma, f, o);
        }
        return true;
    }
    double carry[2];
    if (!c.onesided) {
        if (t) {                                /* the factorization of series 0 */
            if (!in_parts(m, p, [&](idx i0, idx i1) { table_forward(n, *t, false, yj, z, nullptr, i0, i1, carry); }) ||
                !backward(n, *t, yj, z, h, o.sigma ? &f : nullptr, p))
                return false;
        } else if (!smooth_one(n, sigma, yj, z, h, r, o.sigma ? &f : nullptr, p)) {
            return false;
        }
        if (o.sigma) report(n, j, sigma, f, o);
        return true;
    }
    /* one-sided: the criteria those of the two-sided smooth at sigma, made
     * in z first; the leverages those of each point as its prefix's last */
    if (o.sigma) {
        if (!smooth_one(n, sigma, yj, z, nullptr, r, &f, p)) return false;
        h[0] = h[1] = 1.0;                      /* z(1:2) = y(1:2) */
    }
    if (t ? !in_parts(m, p, [&](idx i0, idx i1) { table_forward(n, *t, true, yj, z, h, i0, i1, carry); })
          : !factor_forward(n, sigma, true, yj, z, h, r, p))
        return false;
    if (o.sigma) report(n, j, sigma, f, o);
    return true;
}

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

bool smooth_one(idx n, double sigma, const double *y, double *x, double *h, room &r, fit *f, const pace &p)
{
    return factor_forward(n, sigma, false, y, x, nullptr, r, p) && backward(n, r.t, y, x, h, f, p);
}

bool givsmooth(const smooth_call &c, const double *y, const smooth_out &out, int threads, void (*between)())
{
    std::atomic<bool> stop(false), short_of_memory(false);
    std::atomic<idx> next(0);
    const pace calling = {between, &stop}, other = {nullptr, &stop};
    room first;
    const table *shared = nullptr;
    try {
        /* a sigma given: series 0 factors, the others replay its table */
        if (!c.automatic && c.k > 0 && !std::isinf(c.sigma)) {
            series(c, 0, c.sigma, y, out, first, nullptr, calling);
            shared = &first.t;
            next = 1;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    auto work = [&](const pace &p) {
        room r;
        try {
            for (idx j = next++; j < c.k && !stop.load(); j = next++) {
                const double sigma = c.automatic ? choose(c.n, y + j * c.n, c.loocv, out.z + j * c.n, r, p) : c.sigma;
                if (stop.load() || !series(c, j, sigma, y, out, r, shared, p)) return;
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
