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

/* The factorization for sigma (rows scaled by rho where g is not null) fused
 * with Q' on y into x (two-sided), or the one-sided smooth (h as
 * smooth_forward), its table kept in r; or the same replay from the table t
 * where the factorization is shared. */
bool forward(idx n, double sigma, bool onesided, const weighing *g, const double *y, double *x, double *h, room &r,
             const table *t, const pace &p)
{
    if (t) {
        double carry[2];
        return in_parts(n - 2, p, [&](idx i0, idx i1) { table_forward(n, *t, onesided, y, x, h, i0, i1, carry); });
    }
    sweep st;
    st.steady = g ? g->steady : 0;
    const double *rho = g ? g->rho : nullptr;
    r.reserve(n - 2);
    return in_parts(n - 2, p,
                    [&](idx i0, idx i1) { smooth_forward(n, sigma, onesided, rho, y, x, h, i0, i1, &st, &r.t); });
}

/* sqrt(w).*z from c2 in x by the table t, with the sums in f and the
 * leverages in h where f is not null (y the series b, w its weights or
 * null). */
bool backward(idx n, const table &t, const double *y, const double *w, double *x, double *h, fit *f, const pace &p)
{
    double carry[2];
    smooth_criteria c = {y, w, h, nullptr, {}, {}, {}, {}};
    if (!in_parts(n - 2, p, [&](idx k0, idx k1) { smooth_backward(n, t, x, k0, k1, carry, f ? &c : nullptr); }))
        return false;
    if (f) *f = c.sums;
    return true;
}

/* z = rho.*x where the residual gives it, filled at the weak points. */
void unweigh(idx n, double sigma, weighing &g, const double *y, double *x)
{
    for (idx i = 0; i < n; i++) x[i] = g.rho[i] * x[i];
    smooth_fill(n, sigma, g.w, y, g.weak.data(), idx(g.weak.size()), x, g.work.data());
}

/* The info of series j at sigma from its sums, with its leverages in place:
 * s*sqrt(h./w) the standard errors (s^2 the residuals' mean square over the
 * degrees of freedom left), and the leverages 0 where w is 0. */
void report(idx n, idx j, double sigma, const fit &f, const weighing *g, const smooth_out &o)
{
    const double no = g ? double(g->observed) : double(n);
    o.sigma[j] = sigma;
    o.lambda[j] = 1.0 / (sigma * sigma);
    o.edf[j] = f.edf;
    o.gcv[j] = no * f.rss / (f.rest * f.rest);
    o.loocv[j] = f.loo / no;
    const double s = std::sqrt(f.rss / f.rest);
    double *lev = o.leverage + j * n, *se = o.stderror + j * n;
    for (idx i = 0; i < n; i++) {
        se[i] = s * ((g ? g->rho[i] : 1.0) * std::sqrt(lev[i]));
        if (g && g->w[i] == 0.0) lev[i] = 0.0;
    }
}

/* No penalty: z = y where it has weight, H = I there; the gaps filled by
 * D'*D*z = 0 (the limit, cubic across each). */
void interpolate(idx n, idx j, weighing *g, const double *y, double *z, const smooth_out &o)
{
    std::memcpy(z, y, n * sizeof(double));
    if (g) {
        auto &s = g->weak;
        s.erase(std::remove_if(s.begin(), s.end(), [&](idx i) { return g->w[i] > 0.0; }), s.end());
        smooth_fill(n, 0.0, g->w, y, s.data(), idx(s.size()), z, g->work.data());
    }
    if (o.sigma) {
        fit f = {0.0, g ? double(g->observed) : double(n), 0.0, std::nan("")};
        std::fill(o.leverage + j * n, o.leverage + (j + 1) * n, 1.0);
        report(n, j, std::numeric_limits<double>::infinity(), f, g, o);
    }
}

/* Series j at sigma, two-sided or one-sided, weighted as g says where not
 * null, from its own factorization, or from t where the factorization is
 * shared; the info where asked, its leverages in h (the series' own in
 * o.leverage, or null). */
bool series(const smooth_call &c, idx j, double sigma, weighing *g, const double *y, const smooth_out &o,
            double *h, room &r, const table *t, const pace &p)
{
    const idx n = c.n;
    const double *yj = y + j * n;
    double *z = o.z + j * n;
    fit f = {0.0, 0.0, 0.0, 0.0};
    if (std::isinf(sigma)) {
        interpolate(n, j, g, yj, z, o);
        return true;
    }
    if (!c.onesided) {
        if (!smooth_one(n, sigma, g, yj, z, h, r, h ? &f : nullptr, p, t)) return false;
        if (o.sigma) report(n, j, sigma, f, g, o);
        return true;
    }
    /* one-sided: the criteria those of the two-sided smooth at sigma, made
     * in z first; the leverages those of each point as its prefix's last */
    if (o.sigma && !smooth_one(n, sigma, g, yj, z, nullptr, r, &f, p, t)) return false;
    if (!forward(n, sigma, true, g, g ? g->b : yj, z, h, r, t, p)) return false;
    /* up to the second point with weight, z = y where there is weight (H = 1)
     * and nothing is known elsewhere; then z = rho.*x */
    idx i = 0;
    for (idx seen = 0; i < n && (i < 2 || seen < 2); i++) {
        const bool has = !g || g->w[i] > 0.0;
        seen += has;
        z[i] = has ? yj[i] : std::nan("");
        if (h) h[i] = has ? 1.0 : std::nan("");
    }
    if (g)
        for (; i < n; i++) z[i] = g->rho[i] * z[i];
    if (o.sigma) report(n, j, sigma, f, g, o);
    return true;
}

/* The robust weights after a fit z with leverages h, into v: Tukey's
 * bisquare (1 - u^2)^2 on u = r/(bisquare_c*s), r the studentized residual
 * sqrt(w).*(y - z)./sqrt(1 - h) at each point with weight w > 0 from the
 * user (into r), s the median absolute deviation of r over 0.6745, about
 * 0 (the residuals' own centre, as in lowess).  e is scratch.  Returns the
 * root mean square change of the weights over those points, 0 where the
 * weights stay as they are: s = 0 (the fit is exact), or fewer than two
 * points would keep weight. */
double reweigh(idx n, const double *y, const double *w, const double *z, const double *h, double *v, double *r,
               double *e)
{
    idx k = 0;
    for (idx i = 0; i < n; i++) {
        const double wi = w ? w[i] : 1.0, q = 1.0 - h[i];
        r[i] = std::nan("");                /* no weight: no residual */
        if (!(wi > 0.0) || std::isnan(y[i])) continue;
        const double ri = q > 0.0 ? (y[i] - z[i]) * std::sqrt(wi / q) : 0.0;     /* 0 where h is 1 */
        r[i] = std::isnan(ri) ? std::numeric_limits<double>::infinity() : ri;
        e[k++] = std::fabs(r[i]);
    }
    std::nth_element(e, e + k / 2, e + k);      /* the median of |r| */
    double mid = e[k / 2];
    if (k % 2 == 0) mid = 0.5 * (mid + *std::max_element(e, e + k / 2));
    const double s = mid / 0.6745, scale = bisquare_c * s;
    if (!(s > 0.0) || std::isinf(s)) return 0.0;
    idx kept = 0;
    for (idx i = 0; i < n; i++) {           /* the new weights, in e */
        const double u = r[i] / scale;
        e[i] = std::isnan(u) ? 1.0 : std::fabs(u) < 1.0 ? (1.0 - u * u) * (1.0 - u * u) : 0.0;
        kept += !std::isnan(u) && e[i] > 0.0;
    }
    if (kept < 2) return 0.0;
    double change = 0.0;
    for (idx i = 0; i < n; i++) {
        change += (e[i] - v[i]) * (e[i] - v[i]);
        v[i] = e[i];
    }
    return std::sqrt(change / double(k));
}

/* One thread's weighted room: the series' weighing, and for robust fits
 * their weights, scratch and leverages, n each in store. */
struct weighted_room {
    weighing g;
    memory store;
};

/* Series j as c asks, weighted (w its weights, or null).  Robust: fits of
 * the two-sided smooth, each reweighed from the last, until the weights
 * settle or robust_fits have been made; then, one-sided, the smooth with
 * the last weights. */
bool weighted_series(const smooth_call &c, idx j, const double *y, const double *w, const smooth_out &o,
                     weighted_room &wr, room &r, const pace &p)
{
    const idx n = c.n;
    const double *yj = y + j * n;
    double *z = o.z + j * n, *lev = o.sigma ? o.leverage + j * n : nullptr;
    weighing &g = wr.g;
    double sigma = c.sigma;
    if (c.robust) {
        double *v = wr.store.reserve(4 * n), *res = v + n, *e = v + 2 * n, *h = lev ? lev : v + 3 * n;
        std::fill(v, v + n, 1.0);
        int fits = 0;
        fit f;
        for (;;) {
            weigh(n, yj, w, v, g);
            if (c.automatic) sigma = choose(n, &g, yj, c.loocv, z, r, p);
            if (p.stop->load()) return false;
            fits++;
            if (std::isinf(sigma)) {                /* z = y: nothing to reweigh */
                interpolate(n, j, &g, yj, z, o);
                break;
            }
            if (!smooth_one(n, sigma, &g, yj, z, h, r, &f, p)) return false;
            if (fits == robust_fits || !(reweigh(n, yj, w, z, h, v, res, e) >= robust_settled)) {
                if (o.sigma && !c.onesided) report(n, j, sigma, f, &g, o);
                break;
            }
        }
        if (o.weights) {
            std::copy(g.w, g.w + n, o.weights + j * n);
            o.iterations[j] = fits;
        }
        return !c.onesided || series(c, j, sigma, &g, y, o, lev, r, nullptr, p);
    }
    weigh(n, yj, w, nullptr, g);
    if (c.automatic) sigma = choose(n, &g, yj, c.loocv, z, r, p);
    return !p.stop->load() && series(c, j, sigma, &g, y, o, lev, r, nullptr, p);
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

void weigh(idx n, const double *y, const double *w, const double *v, weighing &g)
{
    double *s = g.store.reserve(3 * n);
    g.w = s;
    g.rho = s + n;
    g.b = s + 2 * n;
    double top = 0.0;
    g.observed = 0;
    for (idx i = 0; i < n; i++) {
        const double wi = std::isnan(y[i]) ? 0.0 : (w ? w[i] : 1.0) * (v ? v[i] : 1.0);
        g.w[i] = wi;
        g.observed += wi > 0.0;
        top = std::max(top, wi);
    }
    g.weak.clear();
    idx last = -1;
    for (idx i = 0; i < n; i++) {
        const double wi = g.w[i], r = wi > 0.0 ? std::sqrt(wi) : 0.0;
        g.rho[i] = wi > 0.0 ? 1.0 / r : missing_scale;
        g.b[i] = wi > 0.0 ? r * y[i] : 0.0;
        if (wi < top * 0x1p-16) g.weak.push_back(i);
        if (g.rho[i] != g.rho[n - 1]) last = i;
    }
    g.steady = std::max<idx>(0, last - 1);
    g.work.resize(3 * g.weak.size());
}

bool smooth_one(idx n, double sigma, weighing *g, const double *y, double *x, double *h, room &r, fit *f,
                const pace &p, const table *t)
{
    const double *b = g ? g->b : y;
    if (!forward(n, sigma, false, g, b, x, nullptr, r, t, p) ||
        !backward(n, t ? *t : r.t, b, g ? g->w : nullptr, x, h, f, p))
        return false;
    if (g) unweigh(n, sigma, *g, y, x);
    return true;
}

bool givsmooth(const smooth_call &c, const double *y, const double *w, const smooth_out &out, int threads,
               void (*between)())
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
    try {
        /* a sigma given, the same weights for all: series 0 factors, the
         * others replay its table */
        bool same = !c.automatic && c.k > 0 && !std::isinf(c.sigma) && !c.robust && (!w || c.shared);
        for (idx j = 0; j < c.k && same; j++) same = !gaps(j);
        if (same) {
            weighing *g = w ? &firstw.g : nullptr;
            if (g) weigh(n, y, w, nullptr, *g);
            series(c, 0, c.sigma, g, y, out, out.sigma ? out.leverage : nullptr, first, nullptr, calling);
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
                    if (g) weigh(n, y + j * n, w, nullptr, *g);
                    if (!series(c, j, c.sigma, g, y, out, h, r, shared, p)) return;
                } else if (w || c.robust || gaps(j)) {
                    if (!weighted_series(c, j, y, weights_of(j), out, wr, r, p)) return;
                } else {
                    const double sigma = c.automatic ? choose(n, nullptr, y + j * n, c.loocv, out.z + j * n, r, p)
                                                     : c.sigma;
                    if (stop.load() || !series(c, j, sigma, nullptr, y, out, h, r, nullptr, p)) return;
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
