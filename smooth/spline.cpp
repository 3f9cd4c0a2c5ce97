/* spline: Q's rows and L's entries from the knots, f'' there, the spline's values and pieces */
#include "fp.h"
#include "elementary.h"
#include "spline.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace givqr {

stencil make_spline(idx n, const double *x, double *rows, double *low)
{
    const idx m = n - 2;
    stencil S = make_stencil(n, 2, nullptr, nullptr);
    S.t = x;
    S.h = mean_spacing(n, x);
    bool equal = true;
    double top = 0.0, logdet = 0.0, l = 0.0, below = 0.0;      /* L(j,j), L(j,j-1) */
    for (idx j = 0; j < m; j++) {
        const double h0 = x[j + 1] - x[j], h1 = x[j + 2] - x[j + 1];
        double *r = rows + 3 * j;
        r[0] = 1.0 / h0;
        r[2] = 1.0 / h1;
        r[1] = -(r[0] + r[2]);
        equal = equal && std::memcmp(r, rows, 3 * sizeof(double)) == 0;
        top = std::fmax(top, std::fabs(r[0]) + std::fabs(r[1]) + std::fabs(r[2]));
        /* R = L*L', row by row: L(j,j)^2 = R(j,j) - L(j,j-1)^2, L(j+1,j) = R(j,j+1)/L(j,j) */
        l = std::sqrt((h0 + h1) / 3.0 - below * below);
        below = j + 1 < m ? (h1 / 6.0) / l : 0.0;
        low[2 * j] = l;
        low[2 * j + 1] = below;
        logdet += log_of(l);
    }
    S.norm = top;
    if (equal) std::memcpy(S.c, rows, 3 * sizeof(double));
    else S.D = rows;
    S.low = low;
    S.logdet_low = 2.0 * logdet;
    /* inside (steps up to m-3), the lower rows are constant from low_steady on */
    S.low_steady = 0;
    for (idx j = m - 4; j >= 0; j--)
        if (std::memcmp(low + 2 * j, low + 2 * (m - 3), 2 * sizeof(double)) != 0) {
            S.low_steady = j + 1;
            break;
        }
    return S;
}

void spline_curvature(idx n, const double *x, const double *g, const double *w, double *gamma, double *work)
{
    /* the knots with weight, k of them, in work[0..k) as indices (stored as doubles) */
    idx k = 0;
    double *at = work, *c = work + n;
    for (idx i = 0; i < n; i++)
        if (!w || w[i] > 0.0) at[k++] = double(i);
    for (idx i = 0; i < n; i++) gamma[i] = std::numeric_limits<double>::quiet_NaN();
    if (k < 3) {
        for (idx j = 0; j < k; j++) gamma[idx(at[j])] = 0.0;
        return;
    }
    auto X = [&](idx j) { return x[idx(at[j])]; };
    auto G = [&](idx j) { return g[idx(at[j])]; };
    /* R*gamma = Q'*g on the interior knots 1..k-2, by elimination down the
     * tridiagonal R (diagonally dominant: no pivoting), then back up */
    double prev = 0.0, rhs = 0.0;           /* the last row's pivot and right side so far */
    for (idx j = 1; j + 1 < k; j++) {
        const double h0 = X(j) - X(j - 1), h1 = X(j + 1) - X(j);
        const double q = (G(j + 1) - G(j)) / h1 - (G(j) - G(j - 1)) / h0;
        double diag = (h0 + h1) / 3.0, b = q;
        if (j > 1) {
            const double f = (h0 / 6.0) / prev;
            diag = diag - f * (h0 / 6.0);
            b = b - f * rhs;
        }
        c[j] = diag;
        gamma[idx(at[j])] = b;
        prev = diag, rhs = b;
    }
    gamma[idx(at[0])] = gamma[idx(at[k - 1])] = 0.0;
    double next = 0.0;
    for (idx j = k - 2; j >= 1; j--) {
        const double h1 = X(j + 1) - X(j);
        const double v = (gamma[idx(at[j])] - (j + 2 < k ? (h1 / 6.0) * next : 0.0)) / c[j];
        gamma[idx(at[j])] = v;
        next = v;
    }
}

namespace {

/* the piece on [x(j), x(j+1)] at t = xx - x(j), and its derivatives */
inline double piece(double h, double g0, double g1, double c0, double c1, double t, double *d1, double *d2)
{
    const double b = (g1 - g0) / h - h * (2.0 * c0 + c1) / 6.0, c = c0 / 2.0, e = (c1 - c0) / (6.0 * h);
    if (d1) *d1 = b + t * (2.0 * c + t * (3.0 * e));
    if (d2) *d2 = 2.0 * c + t * (6.0 * e);
    return g0 + t * (b + t * (c + t * e));
}

} // namespace

void spline_values(idx n, const double *x, const double *g, const double *gamma, idx nx, const double *xx, double *f)
{
    for (idx k = 0; k < nx; k++) {
        const double v = xx[k];
        if (std::isnan(v)) {
            f[k] = v;
            continue;
        }
        idx lo = 0, hi = n - 1;             /* the piece that holds v: x(lo) <= v < x(lo+1) */
        while (hi - lo > 1) {
            const idx mid = lo + (hi - lo) / 2;
            if (x[mid] <= v) lo = mid;
            else hi = mid;
        }
        const double h = x[lo + 1] - x[lo];
        if (v < x[0] || v > x[n - 1]) {     /* beyond: the line with the end's slope */
            const idx e = v < x[0] ? 0 : n - 2;
            double slope;
            const double t = v < x[0] ? 0.0 : x[n - 1] - x[n - 2];
            const double end = piece(x[e + 1] - x[e], g[e], g[e + 1], gamma[e], gamma[e + 1], t, &slope, nullptr);
            f[k] = end + slope * (v - (v < x[0] ? x[0] : x[n - 1]));
            continue;
        }
        f[k] = piece(h, g[lo], g[lo + 1], gamma[lo], gamma[lo + 1], v - x[lo], nullptr, nullptr);
    }
}

void spline_pieces(idx n, const double *x, const double *g, const double *gamma, double *c)
{
    for (idx j = 0; j + 1 < n; j++) {
        const double h = x[j + 1] - x[j];
        c[4 * j] = (gamma[j + 1] - gamma[j]) / (6.0 * h);
        c[4 * j + 1] = gamma[j] / 2.0;
        c[4 * j + 2] = (g[j + 1] - g[j]) / h - h * (2.0 * gamma[j] + gamma[j + 1]) / 6.0;
        c[4 * j + 3] = g[j];
    }
}

void spline_fill(idx n, const double *x, const double *w, double *z, double *work)
{
    double *gamma = work;
    spline_curvature(n, x, z, w, gamma, work + n);
    idx last = -1;                      /* the knot with weight before i */
    for (idx i = 0, next = 0; i < n; i++) {
        if (w[i] > 0.0) {
            last = i;
            continue;
        }
        if (next <= i)
            for (next = i + 1; next < n && !(w[next] > 0.0);) next++;
        double v[1];
        const idx a = last >= 0 ? last : next, b = last >= 0 && next < n ? next : a;
        if (a == b) {                   /* beyond the knots with weight: the line at the end */
            const idx e = last >= 0 ? last : next, o = last >= 0 ? e - 1 : e + 1;
            idx k = o;                  /* the end's neighbour with weight */
            while (!(w[k] > 0.0)) k += last >= 0 ? -1 : 1;
            const double xs[2] = {std::fmin(x[e], x[k]), std::fmax(x[e], x[k])};
            const double gs[2] = {x[e] < x[k] ? z[e] : z[k], x[e] < x[k] ? z[k] : z[e]};
            const double cs[2] = {x[e] < x[k] ? gamma[e] : gamma[k], x[e] < x[k] ? gamma[k] : gamma[e]};
            spline_values(2, xs, gs, cs, 1, x + i, v);
        } else {
            const double xs[2] = {x[a], x[b]}, gs[2] = {z[a], z[b]}, cs[2] = {gamma[a], gamma[b]};
            spline_values(2, xs, gs, cs, 1, x + i, v);
        }
        z[i] = v[0];
    }
}

} // namespace givqr
