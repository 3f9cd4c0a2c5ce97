/* weights: w, rho and b of a weighted series, and the points filled afterwards */
#include "fp.h"
#include "weights.h"

#include <algorithm>
#include <cmath>

namespace givqr {

void weigh(idx n, int d, const double *y, const double *w, const double *v, weights &g)
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
        if (wi < top * weak_share) g.weak.push_back(i);
        if (g.rho[i] != g.rho[n - 1]) last = i;
    }
    g.steady = std::max<idx>(0, last - d + 1);      /* rho(i+d) the same from step steady on */
    g.work.resize((d + 2) * g.weak.size());
}

} // namespace givqr
