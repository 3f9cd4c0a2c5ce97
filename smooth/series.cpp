/* series: one series smoothed, two-sided or one-sided, weighted, with its info */
#include "fp.h"
#include "elementary.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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
bool forward(idx n, const stencil &S, double sigma, bool onesided, const weighing *g, const double *y, double *x,
             double *h, room &r, const table *t, const pace &p, tally *k = nullptr)
{
    const idx m = n - S.d;
    if (t) {
        double carry[d_max];
        return in_parts(m, p, [&](idx i0, idx i1) { table_forward(n, *t, onesided, y, x, h, i0, i1, carry, k); });
    }
    sweep st;
    st.steady = g ? g->steady : 0;
    st.sums = k != nullptr;
    const double *rho = g ? g->rho : nullptr;
    r.reserve(m, S.d);
    const bool done = in_parts(m, p, [&](idx i0, idx i1) {
        smooth_forward(n, S, sigma, onesided, rho, y, x, h, i0, i1, &st, &r.t);
    });
    if (k) *k = st.k;
    return done;
}

/* The tally's sums in f: |c1|^2, and log |det R| without the factors
 * 2^256 of the missing points' rows (n less the points with weight). */
void tallied(idx n, const tally &k, const weighing *g, fit *f)
{
    const long long missing = g ? (long long)(n - g->observed) : 0;
    f->squares = k.squares();
    f->logdet = k.log_det(256 * missing);
}

/* sqrt(w).*z from c2 in x by the table t, with the sums in f and the
 * leverages in h where f is not null (y the series b, w its weights or
 * null). */
bool backward(idx n, const table &t, const double *y, const double *w, double *x, double *h, fit *f, const pace &p)
{
    double carry[d_max];
    smooth_criteria c = {y, w, h, nullptr, {}, {}, {}, {}};
    if (!in_parts(n - t.d, p, [&](idx k0, idx k1) { smooth_backward(n, t, x, k0, k1, carry, f ? &c : nullptr); }))
        return false;
    if (f) *f = c.sums;
    return true;
}

/* z = rho.*x where the residual gives it, filled at the weak points. */
void unweigh(idx n, const stencil &S, double sigma, weighing &g, const double *y, double *x)
{
    for (idx i = 0; i < n; i++) x[i] = g.rho[i] * x[i];
    smooth_fill(n, S, S.t, sigma, g.w, y, g.weak.data(), idx(g.weak.size()), x, g.work.data());
}

} // namespace

void weigh(idx n, int d, const double *y, const double *w, const double *v, weighing &g)
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
    g.steady = std::max<idx>(0, last - d + 1);      /* rho(i+d) the same from step steady on */
    g.work.resize((d + 2) * g.weak.size());
}

bool smooth_one(idx n, const stencil &S, double sigma, weighing *g, const double *y, double *x, double *h, room &r,
                fit *f, const pace &p, const table *t)
{
    const double *b = g ? g->b : y;
    tally k;
    if (!forward(n, S, sigma, false, g, b, x, nullptr, r, t, p, f ? &k : nullptr) ||
        !backward(n, t ? *t : r.t, b, g ? g->w : nullptr, x, h, f, p))
        return false;
    if (f) tallied(n, k, g, f);
    if (g) unweigh(n, S, sigma, *g, y, x);
    return true;
}

bool log_det(idx n, const stencil &S, double sigma, weighing *g, fit *f, const pace &p)
{
    sweep st;
    if (!in_parts(n - S.d, p, [&](idx i0, idx i1) { smooth_factor(n, S, sigma, g ? g->rho : nullptr, i0, i1, &st); }))
        return false;
    tallied(n, st.k, g, f);
    return true;
}

bool tally_one(idx n, const stencil &S, double sigma, weighing *g, const double *y, double *x, room &r, fit *f,
               const pace &p)
{
    tally k;
    if (!forward(n, S, sigma, false, g, g ? g->b : y, x, nullptr, r, nullptr, p, &k)) return false;
    tallied(n, k, g, f);
    return true;
}

/* s*sqrt(h./w) the standard errors (s^2 the residuals' mean square over the
 * degrees of freedom left), and the leverages 0 where w is 0. */
void report(idx n, int d, idx j, double sigma, const fit &f, const weighing *g, const smooth_out &o)
{
    const double no = g ? double(g->observed) : double(n);
    o.sigma[j] = sigma;
    o.lambda[j] = 1.0 / (sigma * sigma);
    o.edf[j] = f.edf;
    o.gcv[j] = criterion_of(gcv, f, no, d);
    o.loocv[j] = criterion_of(loocv, f, no, d);
    if (o.reml) o.reml[j] = criterion_of(reml, f, no, d);
    const double s = std::sqrt(f.rss / f.rest);
    double *lev = o.leverage + j * n, *se = o.stderror + j * n;
    for (idx i = 0; i < n; i++) {
        se[i] = s * ((g ? g->rho[i] : 1.0) * std::sqrt(lev[i]));
        if (g && g->w[i] == 0.0) lev[i] = 0.0;
    }
}

void interpolate(idx n, const stencil &S, idx j, weighing *g, const double *y, double *z, const smooth_out &o)
{
    std::memcpy(z, y, n * sizeof(double));
    if (g) {
        auto &s = g->weak;
        s.erase(std::remove_if(s.begin(), s.end(), [&](idx i) { return g->w[i] > 0.0; }), s.end());
        smooth_fill(n, S, S.t, 0.0, g->w, y, s.data(), idx(s.size()), z, g->work.data());
    }
    if (o.sigma) {
        fit f = {0.0, g ? double(g->observed) : double(n), 0.0, std::nan(""), 0.0, std::nan("")};
        std::fill(o.leverage + j * n, o.leverage + (j + 1) * n, 1.0);
        report(n, S.d, j, std::numeric_limits<double>::infinity(), f, g, o);
    }
}

bool series(const smooth_call &c, const stencil &S, idx j, double sigma, weighing *g, const double *y,
            const smooth_out &o, double *h, room &r, const table *t, const pace &p)
{
    const idx n = c.n;
    const double *yj = y + j * n;
    double *z = o.z + j * n;
    fit f = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    if (std::isinf(sigma)) {
        interpolate(n, S, j, g, yj, z, o);
        return true;
    }
    if (!c.onesided) {
        if (!smooth_one(n, S, sigma, g, yj, z, h, r, h ? &f : nullptr, p, t)) return false;
        if (o.sigma) report(n, S.d, j, sigma, f, g, o);
        return true;
    }
    /* one-sided: the criteria those of the two-sided smooth at sigma, made
     * in z first; the leverages those of each point as its prefix's last */
    if (o.sigma && !smooth_one(n, S, sigma, g, yj, z, nullptr, r, &f, p, t)) return false;
    if (!forward(n, S, sigma, true, g, g ? g->b : yj, z, h, r, t, p)) return false;
    /* up to the d-th point with weight, z = y where there is weight (H = 1)
     * and nothing is known elsewhere; then z = rho.*x */
    idx i = 0;
    for (idx seen = 0; i < n && (i < S.d || seen < S.d); i++) {
        const bool has = !g || g->w[i] > 0.0;
        seen += has;
        z[i] = has ? yj[i] : std::nan("");
        if (h) h[i] = has ? 1.0 : std::nan("");
    }
    if (g)
        for (; i < n; i++) z[i] = g->rho[i] * z[i];
    if (o.sigma) report(n, S.d, j, sigma, f, g, o);
    return true;
}

double pick(const smooth_call &c, const stencil &S, idx j, weighing *g, const double *y, double *z, room &r,
            const pace &p, const smooth_out &o)
{
    const choice ch = choose(c.n, S, g, y, c.criterion, c.edf, z, r, p);
    if (o.reached) o.reached[j] = ch.missed ? ch.edf : std::nan("");
    return ch.sigma;
}

} // namespace givqr
