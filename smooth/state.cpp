/* state: the smooth by a square-root information filter on divided differences, and its way back */
#include "fp.h"
#include "smooth.h"
#include "rotations.h"

#include <cmath>
#include <cstring>

namespace givqr {

namespace {

GIVQR_STEP void rotg(double &a, double &b, double &c, double &s)
{
    givqr::rotg(&a, &b, &c, &s);
}

GIVQR_STEP void rot(double &x, double &y, double c, double s)
{
    givqr::rot(&x, &y, c, s);
}

#include "state_steps.h"

/* The filter over the n points and, where z is not null, the way back:
 * the weights w (null: all 1) and b = sqrt(w).*y (y where w is null), the
 * residuals' squares times ys into *squares, R's diagonal at the end in Rd;
 * at equal spacing without weights, in the cycle where R repeats, from
 * step *from on (n: none), the kept rows' rho of its per steps in crho. */
template <int d>
void filter(idx n, const double *t, double sigma, const double *w, const double *b, double ys, double *z, double *E,
            double *squares, double *Rd, double *h, double *crho, idx *from, idx *per)
{
    const double pen = 1.0 / sigma;
    double R[d][d], r[d], sq, block;
    state_cycle<d, double> cyc;
    cyc.from = n;
    if (t || w) state_filter<d>(n, t, pen, w, b, ys, E, sq, block, R, r);
    else state_filter<d, double, true>(n, t, pen, w, b, ys, E, sq, block, R, r, &cyc);
    *squares = sq + block;
    for (int l = 0; l < d; l++) Rd[l] = R[l][l];
    if (z && h) state_way_back<d, double, true>(n, t, E, R, r, z, w, h, &cyc);
    else if (z) state_way_back<d, double>(n, t, E, R, r, z, nullptr, nullptr, &cyc);
    *from = cyc.from;
    *per = cyc.from < n ? cyc.per : 1;
    for (idx k = 0; cyc.from < n && k < cyc.per; k++) crho[k] = cyc.at(cyc.from + k).e[0];
}

/* The one-sided smooth (state_onesided) */
template <int d>
void onesided(idx n, const double *t, double sigma, const double *w, const double *b, double *z, double *h, double *E)
{
    double R[d][d], r[d], sq, block;
    state_cycle<d, double> cyc;
    if (t || w) state_filter<d, double>(n, t, 1.0 / sigma, w, b, 1.0, E, sq, block, R, r, nullptr, z, h);
    else state_filter<d, double, true>(n, t, 1.0 / sigma, w, b, 1.0, E, sq, block, R, r, &cyc, z, h);
}

} // namespace

void state_onesided(idx n, const stencil &S, double sigma, const double *w, const double *b, double *z, double *h,
                    double *E)
{
    double s = sigma;
    const double *t = state_times(S, &s, 1);
    switch (S.d) {
    case 1: onesided<1>(n, t, s, w, b, z, h, E); break;
    case 2: onesided<2>(n, t, s, w, b, z, h, E); break;
    case 3: onesided<3>(n, t, s, w, b, z, h, E); break;
    default: onesided<4>(n, t, s, w, b, z, h, E); break;
    }
}

double state_log_det(idx n, const stencil &S, double sigma, const double *w, const double *rho, idx stride,
                     const double *Rd, idx from, idx per, const double *crho)
{
    const int d = S.d;
    double s = sigma;
    const double *t = state_times(S, &s, 1);
    forward_sums k[2];
    for (idx i = d; i < n; i++) {
        k[0].factor((from < 0 || i < from ? rho[stride * i] : crho[(i - from) % per]) * s);
        k[0].factor(factorial[d]);
    }
    for (int l = 0; l < d; l++) k[0].factor(std::fabs(Rd[l]));
    for (idx j = 0; j < n; j++) {
        if (j < d)
            for (int l = 0; l < d - 1 - int(j); l++)     /* H(j,j) */
                k[1].factor(std::fabs(t ? t[j] - t[d - 1 - l] : double(j - (d - 1 - l))));
        if (w && w[j] > 0.0) k[1].factor(root(w[j]));
        if (j >= d)
            for (int l = 1; l <= d; l++) k[1].factor(spacing(t, j, l));
    }
    const double v = k[0].log_det(0) - k[1].log_det(0);
    return s != sigma ? v - double(n - d) * log_of(s / sigma) : v;
}

const double *state_times(const stencil &S, double *sigma, int count)
{
    if (S.t && !S.D)
        for (int l = 0; l < count; l++)
            for (int k = 0; k < S.d; k++) sigma[l] = sigma[l] * S.h;
    return S.D ? S.t : nullptr;
}

void state_smooth(idx n, const stencil &S, double sigma, const double *w, const double *y, double *z, double *E,
                  double ys, double *logdet, double *squares, double *h)
{
    double s = sigma, Rd[d_max], sq, crho[state_cycle<d_max, double>::ring];
    idx from, per;
    const double *t = state_times(S, &s, 1);
    switch (S.d) {
    case 1: filter<1>(n, t, s, w, y, ys, z, E, &sq, Rd, h, crho, &from, &per); break;
    case 2: filter<2>(n, t, s, w, y, ys, z, E, &sq, Rd, h, crho, &from, &per); break;
    case 3: filter<3>(n, t, s, w, y, ys, z, E, &sq, Rd, h, crho, &from, &per); break;
    default: filter<4>(n, t, s, w, y, ys, z, E, &sq, Rd, h, crho, &from, &per); break;
    }
    if (!logdet) return;
    *squares = sq;
    *logdet = state_log_det(n, S, sigma, w, E, S.d + 2, Rd, from, per, crho);
}

sums state_sums(idx n, const double *w, const double *b, double ys, const double *z, const double *h, int K, int l)
{
    point_sums s = {};
    for (idx j = n - 1; j >= 0; j--) {
        const idx at = K * j + l;
        const double o = w ? root(w[at]) : 1.0, hj = h[at];
        s.add(b[at], !w || w[at] > 0.0, ys, j, o * z[at], hj, 1.0 - hj);
    }
    return s.total;
}

} // namespace givqr
