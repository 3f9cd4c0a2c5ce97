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
 * residuals' squares times ys into *squares, R's diagonal at the end in Rd.
 * Where every step is the same (t and w null), R may come back to itself,
 * to the bit, some steps later (a cycle of up to `ring` steps): from there
 * on the steps' rotations repeat with it, and only r has to be carried.  R
 * is compared with the one at step s, s moved on every `ring` steps; the
 * rotations of the last `ring` steps kept. */
template <int d>
void filter(idx n, const double *t, double sigma, const double *w, const double *b, double ys, double *z, double *E,
            double *squares, double *Rd)
{
    constexpr int N = d + 2, ring = 64;
    const double pen = 1.0 / sigma;
    double R[d][d], r[d], sq = 0.0, block = 0.0;
    if (t || w) {
        state_filter<d>(n, t, pen, w, b, ys, E, sq, block, R, r);
    } else {
        for (int i = 0; i < d; i++) {
            r[i] = 0.0;
            for (int j = 0; j < d; j++) R[i][j] = 0.0;
        }
        for (int j = 0; j < d; j++) state_square(j, ys * state_merge<d>(R, r, t, j, 1.0, b[j]), sq, block);
        double was[d][d];
        idx s = d;
        state_turns<d, double> q[ring];
        for (idx i = d; i < n; i++) {
            if (i > s && std::memcmp(was, R, sizeof was) == 0) {
                const idx per = i - s;
                for (idx j = i; j < n; j++)
                    state_square(j, ys * state_turn_r<d>(q[(s + (j - i) % per) % ring], b[j], r, E + N * j), sq, block);
                for (idx j = 0; j < (n - i) % per; j++) state_turn<d>(R, t, i + j, pen, 1.0, q[0]);    /* R at the end */
                break;
            }
            if (i - s >= ring) s = i;
            if (i == s) std::memcpy(was, R, sizeof was);
            state_turn<d>(R, t, i, pen, 1.0, q[i % ring]);
            state_square(i, ys * state_turn_r<d>(q[i % ring], b[i], r, E + N * i), sq, block);
        }
    }
    *squares = sq + block;
    for (int l = 0; l < d; l++) Rd[l] = R[l][l];
    if (z) state_way_back<d>(n, t, E, R, r, z);
}

} // namespace

double state_log_det(idx n, const stencil &S, double sigma, const double *w, const double *rho, idx stride,
                     const double *Rd)
{
    const int d = S.d;
    double s = sigma;
    const double *t = state_times(S, &s, 1);
    forward_sums k[2];
    for (idx i = d; i < n; i++) {
        k[0].factor(rho[stride * i] * s);
        k[0].factor(factorial[d]);
    }
    for (int l = 0; l < d; l++) k[0].factor(std::fabs(Rd[l]));
    for (idx j = 0; j < n; j++) {
        if (j < d)
            for (int l = 0; l < d - 1 - int(j); l++)     /* H(j,j) */
                k[1].factor(std::fabs(t ? t[j] - t[d - 1 - l] : double(j - (d - 1 - l))));
        if (w && w[j] > 0.0) k[1].factor(std::sqrt(w[j]));
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
                  double ys, double *logdet, double *squares)
{
    double s = sigma, Rd[d_max], sq;
    const double *t = state_times(S, &s, 1);
    switch (S.d) {
    case 1: filter<1>(n, t, s, w, y, ys, z, E, &sq, Rd); break;
    case 2: filter<2>(n, t, s, w, y, ys, z, E, &sq, Rd); break;
    case 3: filter<3>(n, t, s, w, y, ys, z, E, &sq, Rd); break;
    default: filter<4>(n, t, s, w, y, ys, z, E, &sq, Rd); break;
    }
    if (!logdet) return;
    *squares = sq;
    *logdet = state_log_det(n, S, sigma, w, E, S.d + 2, Rd);
}

} // namespace givqr
