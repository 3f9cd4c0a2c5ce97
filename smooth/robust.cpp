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

bool robust_series(const smooth_call &c, problem &p, idx j, const double *w, const smooth_out &o,
                   weighted_work &ww, workspace &ws, const interrupts &ic)
{
    const idx n = c.n;
    double *z = o.z + j * n, *lev = o.info ? o.leverage + j * n : nullptr;
    weights &g = *p.g;
    double *v = ww.store.reserve(4 * n), *res = v + n, *e = v + 2 * n, *h = lev ? lev : v + 3 * n;
    std::fill(v, v + n, 1.0);
    double sigma = 0.0;
    int fits = 0;
    sums f;
    for (;;) {
        weigh(n, p.S.d, p.y, w, v, g);
        p.u.a = g.a;
        p.u.c = value_scale(n, p.y, g.w);
        sigma = pick(c, p, j, z, ws, ic, o);
        if (ic.stop->load()) return false;
        fits++;
        if (std::isinf(sigma)) {                /* z = y: nothing to reweigh */
            series(c, p, j, sigma, o, lev, ws, ic);
            break;
        }
        if (!smooth(p, sigma, want_leverages, z, h, f, ws, ic)) return false;
        const idx need = c.automatic ? p.S.d + 1 : p.S.d;
        if (fits == robust_fits || !(reweigh(n, need, p.y, w, z, h, v, res, e) >= robust_settled)) {
            if (o.info && !c.onesided) report(p, j, c.automatic ? std::ldexp(sigma, -(p.u.a + p.u.bd)) : c.sigma, f, o);
            break;
        }
    }
    if (o.weights) {                            /* in the units of the weights given */
        for (idx i = 0; i < n; i++) o.weights[j * n + i] = std::ldexp(g.w[i], 2 * g.a);
        o.iterations[j] = fits;
    }
    return !c.onesided || series(c, p, j, sigma, o, lev, ws, ic);
}

} // namespace givqr
