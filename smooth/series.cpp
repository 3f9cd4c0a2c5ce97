/* series: one series smoothed, two-sided or one-sided, with its info */
#include "fp.h"
#include "criteria.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace givqr {

namespace {

/* Runs f(i0, i1) over 0..m in parts, pausing between them; false where stopped. */
template <class F>
bool in_parts(idx m, const interrupts &c, F f)
{
    for (idx i0 = 0; i0 < m; i0 += part_steps) {
        f(i0, std::min(m, i0 + part_steps));
        if (!c.go()) return false;
    }
    return true;
}

/* Q' on b into x as want says: the factorization for sigma fused with it,
 * its table kept in w, or the replay of p.factored. */
bool forward(const problem &p, double sigma, forward_want want, const double *b, double *x, double *h,
             forward_state &st, workspace &w, const interrupts &c)
{
    const idx n = p.n, m = n - p.S.d;
    if (p.factored)
        return in_parts(m, c, [&](idx i0, idx i1) { table_forward(n, *p.factored, b, x, h, want, i0, i1, st); });
    st.steady = p.g ? p.g->steady : 0;
    w.reserve(m, p.S.d);
    const double *rho = p.g ? p.g->rho : nullptr;
    return in_parts(m, c, [&](idx i0, idx i1) { smooth_forward(n, p.S, sigma, rho, b, x, h, want, i0, i1, st, w.t); });
}

/* log |det R| from the forward sums, without the factors 2^missing_log2 of
 * the missing points' rows (n less the points with weight). */
double log_det(const problem &p, const forward_sums &k)
{
    const long long missing = p.g ? (long long)(p.n - p.g->observed) : 0;
    return k.log_det(missing_log2 * missing);
}

/* z = rho.*x where the residual gives it, filled at the weak points. */
void unweigh(const problem &p, double sigma, double *x)
{
    weights &g = *p.g;
    for (idx i = 0; i < p.n; i++) x[i] = g.rho[i] * x[i];
    smooth_fill(p.n, p.S, p.S.t, sigma, g.w, p.y, g.weak.data(), idx(g.weak.size()), x, g.work.data());
}

} // namespace

bool smooth(const problem &p, double sigma, want what, double *x, double *h, sums &f, workspace &w,
            const interrupts &c)
{
    const idx n = p.n, m = n - p.S.d;
    forward_state st;
    if (what == want_logdet) {
        table none;
        if (!in_parts(m, c, [&](idx i0, idx i1) {
                smooth_forward(n, p.S, sigma, p.g ? p.g->rho : nullptr, nullptr, nullptr, nullptr, forward_logdet,
                               i0, i1, st, none);
            }))
            return false;
        f.squares = st.k.squares();
        f.logdet = log_det(p, st.k);
        return true;
    }
    const double *b = p.g ? p.g->b : p.y;
    if (!forward(p, sigma, what == want_z ? forward_c2 : forward_sums_c2, b, x, nullptr, st, w, c)) return false;
    if (what != want_squares) {
        backward_state bs;
        bs.sums = what != want_z;
        bs.y = b;
        bs.w = p.g ? p.g->w : nullptr;
        bs.h = what == want_leverages ? h : nullptr;
        const table &t = p.factored ? *p.factored : w.t;
        if (!in_parts(m, c, [&](idx k0, idx k1) { smooth_backward(n, t, x, k0, k1, bs); })) return false;
        if (bs.sums) f = bs.s.total;
    }
    if (what != want_z) {
        f.squares = st.k.squares();
        f.logdet = log_det(p, st.k);
    }
    if (p.g && what != want_squares) unweigh(p, sigma, x);
    return true;
}

bool smooth_onesided(const problem &p, double sigma, double *z, double *h, workspace &w, const interrupts &c)
{
    forward_state st;
    return forward(p, sigma, forward_onesided, p.g ? p.g->b : p.y, z, h, st, w, c);
}

/* s*sqrt(h./w) the standard errors (s^2 the residuals' mean square over the
 * degrees of freedom left), and the leverages 0 where w is 0. */
void report(const problem &p, idx j, double sigma, const sums &f, const smooth_out &o)
{
    const idx n = p.n;
    const weights *g = p.g;
    const double no = g ? double(g->observed) : double(n);
    o.sigma[j] = sigma;
    o.lambda[j] = 1.0 / (sigma * sigma);
    o.edf[j] = f.edf;
    o.gcv[j] = criterion_of(gcv, f, no, p.S.d);
    o.loocv[j] = criterion_of(loocv, f, no, p.S.d);
    o.reml[j] = criterion_of(reml, f, no, p.S.d);
    const double s = std::sqrt(f.rss / f.rest);
    double *lev = o.leverage + j * n, *se = o.stderror + j * n;
    for (idx i = 0; i < n; i++) {
        se[i] = s * ((g ? g->rho[i] : 1.0) * std::sqrt(lev[i]));
        if (g && g->w[i] == 0.0) lev[i] = 0.0;
    }
}

namespace {

/* No penalty (sigma = Inf): z = y where it has weight, H = I there; the gaps
 * filled by D'*D*z = 0 (the limit); the info of series j where o asks. */
void interpolate(const problem &p, idx j, double *z, const smooth_out &o)
{
    const idx n = p.n;
    std::memcpy(z, p.y, n * sizeof(double));
    if (p.g) {
        weights &g = *p.g;
        auto &s = g.weak;
        s.erase(std::remove_if(s.begin(), s.end(), [&](idx i) { return g.w[i] > 0.0; }), s.end());
        smooth_fill(n, p.S, p.S.t, 0.0, g.w, p.y, s.data(), idx(s.size()), z, g.work.data());
    }
    if (o.info) {
        sums f = {0.0, p.g ? double(p.g->observed) : double(n), 0.0, std::nan(""), 0.0, std::nan("")};
        std::fill(o.leverage + j * n, o.leverage + (j + 1) * n, 1.0);
        report(p, j, std::numeric_limits<double>::infinity(), f, o);
    }
}

} // namespace

bool series(const smooth_call &c, const problem &p, idx j, double sigma, const smooth_out &o, double *h,
            workspace &w, const interrupts &ic)
{
    const idx n = p.n;
    double *z = o.z + j * n;
    sums f = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    if (std::isinf(sigma)) {
        interpolate(p, j, z, o);
        return true;
    }
    if (!c.onesided) {
        if (!smooth(p, sigma, h ? want_leverages : want_z, z, h, f, w, ic)) return false;
        if (o.info) report(p, j, sigma, f, o);
        return true;
    }
    /* one-sided: the criteria those of the two-sided smooth at sigma, made
     * in z first; the leverages those of each point as its prefix's last */
    if (o.info && !smooth(p, sigma, want_sums, z, nullptr, f, w, ic)) return false;
    if (!smooth_onesided(p, sigma, z, h, w, ic)) return false;
    /* up to the d-th point with weight, z = y where there is weight (H = 1)
     * and nothing is known elsewhere; then z = rho.*x */
    const weights *g = p.g;
    idx i = 0;
    for (idx seen = 0; i < n && (i < p.S.d || seen < p.S.d); i++) {
        const bool has = !g || g->w[i] > 0.0;
        seen += has;
        z[i] = has ? p.y[i] : std::nan("");
        if (h) h[i] = has ? 1.0 : std::nan("");
    }
    if (g)
        for (; i < n; i++) z[i] = g->rho[i] * z[i];
    if (o.info) report(p, j, sigma, f, o);
    return true;
}

bool weighted_series(const smooth_call &c, const stencil &S, idx j, const double *y, const double *w,
                     const smooth_out &o, weighted_work &ww, workspace &ws, const interrupts &ic)
{
    const problem p = {c.n, S, &ww.g, y + j * c.n, nullptr};
    if (c.robust) return robust_series(c, p, j, w, o, ww, ws, ic);
    weigh(c.n, S.d, p.y, w, nullptr, ww.g);
    const double sigma = c.automatic ? pick(c, p, j, o.z + j * c.n, ws, ic, o) : c.sigma;
    return !ic.stop->load() && series(c, p, j, sigma, o, o.info ? o.leverage + j * c.n : nullptr, ws, ic);
}

double pick(const smooth_call &c, const problem &p, idx j, double *z, workspace &w, const interrupts &ic,
            const smooth_out &o)
{
    const choice ch = choose(p, c.criterion, c.edf, z, w, ic);
    if (o.reached) o.reached[j] = ch.missed ? ch.edf : std::nan("");
    return ch.sigma;
}

} // namespace givqr
