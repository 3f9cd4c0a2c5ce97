/* givspline: the pp-form's coefficients and the values of k splines from f at their knots */
#include "fp.h"
#include "givspline.h"
#include "spline.h"

#include <cmath>
#include <vector>

namespace givqr {

idx spline_breaks(idx n, const double *x, double *breaks)
{
    idx nt = 0;
    for (idx i = 0; i < n; i++)
        if (i == 0 || x[i] != x[i - 1]) breaks[nt++] = x[i];
    return nt;
}

namespace {

/* The power of 2 that brings the nt knots b to a mean spacing in [1, 2),
 * and the knots times it, into bs (which may be b). */
int unit_knots(idx nt, const double *b, double *bs)
{
    int e;
    std::frexp((b[nt - 1] - b[0]) / double(nt - 1), &e);
    for (idx i = 0; i < nt; i++) bs[i] = std::ldexp(b[i], 1 - e);
    return 1 - e;
}

/* Series j's f and f'' at the nt knots bs (at unit spacing: f'' cannot
 * overflow), into g and gamma (work of 2*nt). */
void knots(idx n, const double *x, const double *z, idx nt, const double *bs, double *g, double *gamma, double *work)
{
    for (idx i = 0, t = 0; i < n; i++)
        if (i == 0 || x[i] != x[i - 1]) g[t++] = z[i];
    spline_curvature(nt, bs, g, nullptr, gamma, work);
}

} // namespace

bool spline_coefs(idx n, idx k, const double *x, const double *z, double *coefs)
{
    std::vector<double> bs(n), w(4 * n);
    const idx nt = spline_breaks(n, x, bs.data()), rows = (nt - 1) * k;
    const int s = unit_knots(nt, bs.data(), bs.data());
    double *g = w.data(), *gamma = g + nt;
    bool finite = true;
    double to[4];               /* each power's coefficient, from x*2^s back to x: times 2^(s*(3-l)) */
    for (int l = 0; l < 4; l++) to[l] = std::ldexp(1.0, s * (3 - l));
    const bool exact = std::abs(3 * s) <= 1022;
    for (idx j = 0; j < k; j++) {
        knots(n, x, z + j * n, nt, bs.data(), g, gamma, gamma + nt);
        bool known = true;          /* a series whose f is finite keeps finite pieces */
        for (idx t = 0; t < nt; t++) known = known && std::isfinite(g[t]);
        for (idx p = 0; p + 1 < nt; p++) {
            double c[4];
            spline_pieces(2, bs.data() + p, g + p, gamma + p, c);
            for (int l = 0; l < 4; l++) {
                const double v = exact ? c[l] * to[l] : std::ldexp(c[l], s * (3 - l));
                coefs[p * k + j + l * rows] = v;
                finite = finite && (!known || std::isfinite(v));
            }
        }
    }
    return finite;
}

void spline_at(idx n, idx k, const double *x, const double *z, idx nx, const double *xx, double *yy)
{
    std::vector<double> bs(n), w(4 * n), f(nx), xs(nx);
    const idx nt = spline_breaks(n, x, bs.data());
    const int s = unit_knots(nt, bs.data(), bs.data());
    for (idx i = 0; i < nx; i++) xs[i] = std::ldexp(xx[i], s);
    double *g = w.data(), *gamma = g + nt;
    for (idx j = 0; j < k; j++) {
        knots(n, x, z + j * n, nt, bs.data(), g, gamma, gamma + nt);
        spline_values(nt, bs.data(), g, gamma, nx, xs.data(), f.data());
        for (idx i = 0; i < nx; i++) yy[j + k * i] = f[i];
    }
}

} // namespace givqr
