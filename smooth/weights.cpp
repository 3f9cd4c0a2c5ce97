/* weights: w, rho and b of a weighted series, and the points filled afterwards */
#include "fp.h"
#include "weights.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace givqr {

namespace {

/* The step from which rho(i+d) no longer changes; room for smooth_fill's work. */
void weigh_steady(idx n, int d, weights &g)
{
    idx last = -1;                                  /* the last rho(i) unlike rho(n-1) */
    for (idx i = n - 2; i >= 0 && last < 0; i--)
        if (g.rho[i] != g.rho[n - 1]) last = i;
    g.steady = std::max<idx>(0, last - d + 1);      /* rho(i+d) the same from step steady on */
    const std::size_t need = (d + 2) * g.weak.size();
    if (g.work.size() < need) g.work.resize(need);     /* grown only: what it held is never read */
    if (g.ends.size() < 2 * g.weak.size()) g.ends.resize(2 * g.weak.size());
}

} // namespace

void weigh(idx n, int d, const double *y, const double *w, const double *v, weights &g)
{
    double *s = g.store.reserve(3 * n);
    g.w = s;
    g.rho = s + n;
    g.b = s + 2 * n;
    if (!w && !v) {     /* weights 1 where y is not NaN: what follows gives a = 0, rho = 1, b = y there */
        idx seen = 0, gaps = 0;
        const double unit = 1.0;
        std::uint64_t one, miss;
        std::memcpy(&one, &unit, 8);
        std::memcpy(&miss, &missing_scale, 8);
        for (idx i = 0; i < n; i++) {       /* by masks: gaps fall at random, where a branch would guess */
            const double yi = y[i];
            const bool has = yi == yi;
            const std::uint64_t m = 0 - std::uint64_t(has);
            std::uint64_t b, r = (one & m) | (miss & ~m);
            std::memcpy(&b, &yi, 8);
            b &= m;
            g.w[i] = double(has);
            std::memcpy(&g.rho[i], &r, 8);
            std::memcpy(&g.b[i], &b, 8);
            seen += has;
        }
        g.observed = seen;
        g.weak.resize(n - seen + 1);                /* each point written, kept where it is a gap */
        for (idx i = 0; i < n; i++) {
            g.weak[gaps] = i;
            gaps += g.w[i] == 0.0;
        }
        g.weak.resize(seen > 0 ? gaps : 0);         /* no weight at all: none is weak */
        g.a = 0;
        weigh_steady(n, d, g);
        return;
    }
    double top = 0.0;
    g.observed = 0;
    for (idx i = 0; i < n; i++) {
        const double wi = std::isnan(y[i]) ? 0.0 : (w ? w[i] : 1.0) * (v ? v[i] : 1.0);
        g.w[i] = wi;
        g.observed += wi > 0.0;
        top = std::max(top, wi);
    }
    /* the mean weight, taken without overflow, brought into [1, 4) */
    g.a = 0;
    if (top > 0.0 && std::isfinite(top)) {
        double sum = 0.0;
        for (idx i = 0; i < n; i++) sum += g.w[i] / top;
        int e;
        std::frexp(top * (sum / double(g.observed)), &e);      /* the mean in [2^(e-1), 2^e) */
        g.a = (e - 1) >= 0 ? (e - 1) / 2 : -((2 - e) / 2);      /* floor((e-1)/2) */
        if (g.a != 0)
            for (idx i = 0; i < n; i++) g.w[i] = std::ldexp(g.w[i], -2 * g.a);
        top = std::ldexp(top, -2 * g.a);
    }
    const double missing = std::ldexp(missing_scale, g.a);
    g.weak.clear();
    for (idx i = 0; i < n; i++) {
        const double wi = g.w[i], r = wi > 0.0 ? std::sqrt(wi) : 0.0;
        g.rho[i] = wi > 0.0 ? 1.0 / r : missing;
        g.b[i] = wi > 0.0 ? r * y[i] : 0.0;
        if (wi < top * weak_share) g.weak.push_back(i);
    }
    weigh_steady(n, d, g);
}

int value_scale(idx n, const double *y, const double *w)
{
    double top = 0.0;
    for (idx i = 0; i < n; i++)
        if ((!w || w[i] > 0.0) && !std::isnan(y[i])) top = std::max(top, std::fabs(y[i]));
    if (!(top > 0.0) || std::isinf(top)) return 0;
    int e;
    std::frexp(top, &e);
    return e - 1;
}

} // namespace givqr
