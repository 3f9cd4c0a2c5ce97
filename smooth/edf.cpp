/* edf: lambda for a target number of degrees of freedom */
#include "fp.h"
#include "elementary.h"
#include "givsmooth.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace givqr {

/*
 * edf falls with lambda from n_o to d, about as lambda^(-1/(2d)), so
 * log(edf - d) is nearly straight in log(lambda): a secant on it, over the
 * range choose searches (grid_of), from the asymptotic guess (edf - d =
 * (n_o/pi)*(lambda/wbar)^(-1/(2d))*(pi/(2d))/sin(pi/(2d)) at unit spacing),
 * the root kept bracketed (Illinois), to a relative 1e-8; where the root
 * lies beyond the range, its nearer end.  A target missed is beyond the
 * range where it lies outside [d + 0.01, n_o - 0.01], else missed by
 * rounding.
 */
choice choose_edf(const problem &p, double edf, double *x, workspace &w, const interrupts &ic, made_values *values)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const search_grid g = grid_of(p);
    const double d = double(p.S.d), lo = double(g.lo), hi = double(g.hi);
    const double no = p.g ? double(p.g->observed) : double(p.n);
    auto missed = [&](double reached) {
        const bool miss = std::fabs(reached - edf) > 1e-8 * edf;
        return edf_miss{miss ? reached : nan, miss && !(edf >= d + 0.01 && edf <= no - 0.01)};
    };
    struct point {
        double x;
        sums s;
    };
    bool stopped = false;
    auto at = [&](double xq) {
        point q = {xq, {}};
        stopped = stopped || (values ? !values->find(want_sums, xq, g, q.s)
                                     : !smooth(p, g.sigma(xq), want_sums, x, nullptr, q.s, w, ic));
        return q;
    };
    /* the root of log(edf(x) - d) - log(k - d), bracketed */
    auto h = [&](const point &q) { return log_of(std::max(q.s.edf - d, 1e-300)) - log_of(edf - d); };
    const double c = (3.141592653589793 / (2.0 * d)) / sin_pi_over(2.0 * d);
    const double rr = double(p.n) * p.S.h / 3.141592653589793;      /* as the grid */
    const double guess = log_of(g.scale) + (2.0 * d) * log_of(rr * c / (edf - d));     /* log(lambda) */
    const double x0 = (guess - g.log_lmin()) / (g.step * 2.302585092994046);          /* ln(10) */
    point a = at(std::min(std::max(x0, lo), hi));
    if (stopped) return {nan, 0, {nan, false}};
    point b = a;
    double ha = h(a), hb = ha;
    /* a bracket: step out by 2 grid steps, then doubling, while the sign holds */
    for (double out = 2.0; !stopped && (ha > 0.0) == (hb > 0.0) && out < 4.0 * (hi - lo); out *= 2.0) {
        const double xb = std::min(std::max(a.x + (ha > 0.0 ? out : -out), lo), hi);
        if (xb == b.x) break;       /* at an end of the range */
        b = at(xb);
        hb = h(b);
    }
    if (stopped) return {nan, 0, {nan, false}};
    if ((ha > 0.0) == (hb > 0.0)) {     /* beyond the range: its nearer end */
        const point &e = std::fabs(ha) < std::fabs(hb) ? a : b;
        return {g.sigma(e.x), e.x <= lo ? -1 : e.x >= hi ? 1 : 0, missed(e.s.edf)};
    }
    point best = std::fabs(ha) < std::fabs(hb) ? a : b;
    int side = 0;
    for (int it = 0; it < 60 && !stopped; it++) {
        if (std::fabs(best.s.edf - edf) <= 1e-8 * edf) break;
        const double xm = (a.x * hb - b.x * ha) / (hb - ha);    /* the secant's root */
        if (!(xm > std::min(a.x, b.x) && xm < std::max(a.x, b.x))) break;
        const point q = at(xm);
        const double hq = h(q);
        if (std::fabs(q.s.edf - edf) < std::fabs(best.s.edf - edf)) best = q;
        if ((hq > 0.0) == (ha > 0.0)) {
            a = q, ha = hq;
            if (side == -1) hb /= 2.0;
            side = -1;
        } else {
            b = q, hb = hq;
            if (side == 1) ha /= 2.0;
            side = 1;
        }
    }
    if (stopped) return {nan, 0, {nan, false}};
    return {g.sigma(best.x), 0, missed(best.s.edf)};
}

} // namespace givqr
