/* robust: the fits that reweigh a series until its outliers have no weight */
#include "fp.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace givqr {

namespace {

/* The robust weights after a fit z with leverages h, into v: Tukey's
 * bisquare (1 - u^2)^2 on u = r/(bisquare_c*s), r the studentized residual
 * sqrt(w).*(y - z)./sqrt(1 - h) at each point with weight w > 0 from the
 * user (into r), s the median absolute deviation of r over 0.6745, about
 * 0 (the residuals' own centre, as in lowess).  e is scratch.  Returns the
 * root mean square change of the weights over those points, 0 where the
 * weights stay as they are: s = 0 (the fit is exact), or fewer than need
 * points would keep weight. */
double reweigh(idx n, idx need, const double *y, const double *w, const double *z, const double *h, double *v,
               double *r, double *e)
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
    if (kept < need) return 0.0;
    double change = 0.0;
    for (idx i = 0; i < n; i++) {
        change += (e[i] - v[i]) * (e[i] - v[i]);
        v[i] = e[i];
    }
    return std::sqrt(change / double(k));
}

} // namespace

bool robust_many(const smooth_call &c, problem *const *ps, const idx *cols, const double *const *w, int count, int K,
                 const smooth_out &o, weighted_work *ww, workspace &ws, const interrupts &ic)
{
    const idx n = c.n, need = c.automatic ? ps[0]->S.d + 1 : ps[0]->S.d;
    double *z[8], *lev[8], *v[8], *h[8], sigma[8];
    int fits[8];
    bool going[8];
    for (int l = 0; l < count; l++) {
        z[l] = o.z + cols[l] * n;
        lev[l] = o.info ? o.leverage + cols[l] * n : nullptr;
        v[l] = ww[l].store.reserve(4 * n);      /* the robust weights, then r, e and h */
        h[l] = lev[l] ? lev[l] : v[l] + 3 * n;
        std::fill(v[l], v[l] + n, 1.0);
        fits[l] = 0;
        going[l] = true;
    }
    for (;;) {
        problem *at[8];
        idx j[8];
        int a = 0, to[8];
        for (int l = 0; l < count; l++) {
            if (!going[l]) continue;
            problem &p = *ps[l];
            weigh(n, p.S.d, p.y, w[l], v[l], *p.g);
            p.u.a = p.g->a;
            p.u.c = value_scale(n, p.y, p.g->w);
            at[a] = &p, j[a] = cols[l], to[a++] = l;
        }
        if (a == 0) break;
        if (c.automatic && a > 1) {
            choice ch[8];
            if (!choose_many(at, a, K, c.criterion, c.edf, ch, z[to[0]], ws, ic)) return false;
            for (int k = 0; k < a; k++) sigma[to[k]] = picked(ch[k], j[k], o);
        } else {
            for (int k = 0; k < a; k++) sigma[to[k]] = pick(c, *at[k], j[k], z[to[k]], ws, ic, o);
        }
        if (ic.stop->load()) return false;
        /* the fits, all at once; where sigma is Inf, z = y: nothing to reweigh */
        const problem *fit[8];
        want what[8];
        double s[8], *zf[8], *hf[8];
        int b = 0, of[8];
        for (int k = 0; k < a; k++) {
            const int l = to[k];
            fits[l]++;
            if (std::isinf(sigma[l])) {
                series(c, *ps[l], cols[l], sigma[l], o, lev[l], ws, ic);
                going[l] = false;
                continue;
            }
            fit[b] = ps[l], what[b] = want_leverages, s[b] = sigma[l], zf[b] = z[l], hf[b] = h[l], of[b++] = l;
        }
        sums f[8];
        if (b > 0 && !sums_of_many(fit, what, s, b, K, f, ws, ic, zf, hf)) return false;
        for (int k = 0; k < b; k++) {
            const int l = of[k];
            problem &p = *ps[l];
            if (fits[l] == robust_fits || !(reweigh(n, need, p.y, w[l], z[l], h[l], v[l], v[l] + n, v[l] + 2 * n) >=
                                            robust_settled)) {
                if (o.info && !c.onesided)
                    report(p, cols[l], c.automatic ? std::ldexp(sigma[l], -(p.u.a + p.u.bd)) : c.sigma, f[k], o);
                going[l] = false;
            }
        }
    }
    for (int l = 0; l < count; l++) {
        const weights &g = *ps[l]->g;
        if (o.weights) {                        /* in the units of the weights given */
            for (idx i = 0; i < n; i++) o.weights[cols[l] * n + i] = std::ldexp(g.w[i], 2 * g.a);
            o.iterations[cols[l]] = fits[l];
        }
        if (c.onesided && !series(c, *ps[l], cols[l], sigma[l], o, lev[l], ws, ic)) return false;
    }
    return true;
}

} // namespace givqr
