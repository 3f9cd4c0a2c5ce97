/* state: the smooth by a square-root information filter on divided differences, and its way back */
#include "fp.h"
#include "smooth.h"
#include "rotations.h"

#include <cmath>
#include <cstring>

namespace givqr {

namespace {

/* t(i) - t(i-k), exactly k where t is null (1:n) */
GIVQR_STEP double spacing(const double *t, idx i, int k)
{
    return t ? t[i] - t[i - k] : double(k);
}

/* d!: (D*z)(i) is d! times the d-th divided difference */
constexpr double factorial[5] = {1.0, 1.0, 2.0, 6.0, 24.0};

/* H(j, p) of Newton's form on the first d points, z(j) = H(j,:)*x, x the
 * state at point d-1 (nodes t(d-1), t(d-2), ..., t(0)): the product of
 * t(j) - t(d-1-l) over l = 0..d-2-p, upper triangular. */
template <int d>
GIVQR_STEP double newton(const double *t, idx j, int p)
{
    double v = 1.0;
    for (int l = 0; l < d - 1 - p; l++) v = v * (t ? t[j] - t[d - 1 - l] : double(j - (d - 1 - l)));
    return v;
}

/* The row (a(p..d-1) | b) merged into R*x = r by rotations of rows p..d-1 */
template <int d>
GIVQR_STEP double merge(double R[d][d], double r[d], double a[d], double b, int p)
{
    for (int k = p; k < d; k++) {
        double c, s;
        rotg(&R[k][k], &a[k], &c, &s);
        for (int l = k + 1; l < d; l++) rot(&R[k][l], &a[l], c, s);
        rot(&r[k], &b, c, s);
    }
    return b;       /* the row's residual */
}

/* The rotations of one step, which R alone decides (with the spacings and
 * the weight): (c(0), s(0)) of the penalty row, (c(1+k), s(1+k)) of rows k,
 * k+1 of R*T, (c(d), s(d)) of the observation (none where it has no
 * weight), and the part of the penalty row they leave that is not r's */
template <int d>
struct turns {
    double c[d + 1], s[d + 1], e[d + 1];
    bool observed;
};

/* Step i of R: x(i-1) = T*x(i) - g*e1*e, e = (D*z)(i-d), so R*x(i-1) = r
 * becomes R*T*x(i) - g*R(0,0)*e = r, met by the penalty row e/sigma = 0;
 * its rotations into q */
template <int d>
GIVQR_STEP void turn(double R[d][d], const double *t, idx i, double pen, double o, turns<d> &q)
{
    double a = pen, b = -((spacing(t, i, d) / factorial[d]) * R[0][0]);
    /* R*T: column p less (t(i) - t(i-d+1+p)) times column p+1 */
    for (int p = 0; p + 1 < d; p++) {
        const double h = spacing(t, i, d - 1 - p);
        for (int k = 0; k <= p + 1; k++) R[k][p] = R[k][p] - h * R[k][p + 1];
    }
    /* the penalty row against row 0, the only other with e */
    rotg(&a, &b, &q.c[0], &q.s[0]);
    q.e[0] = a;
    for (int l = 0; l < d; l++) {
        q.e[1 + l] = 0.0;
        rot(&q.e[1 + l], &R[0][l], q.c[0], q.s[0]);
    }
    /* R*T upper Hessenberg: back to triangular */
    for (int k = 0; k + 1 < d; k++) {
        rotg(&R[k][k], &R[k + 1][k], &q.c[1 + k], &q.s[1 + k]);
        for (int l = k + 1; l < d; l++) rot(&R[k][l], &R[k + 1][l], q.c[1 + k], q.s[1 + k]);
    }
    /* the observation, o*z(i) = o*y(i) (o = sqrt(w(i))), on row d-1 */
    q.observed = o > 0.0;
    if (q.observed) rotg(&R[d - 1][d - 1], &o, &q.c[d], &q.s[d]);
}

/* The same step of r, o*y the observation's right side: the penalty row
 * kept in e (d+2) for the way back */
template <int d>
GIVQR_STEP double turn_r(const turns<d> &q, double oy, double r[d], double e[d + 2])
{
    for (int l = 0; l <= d; l++) e[l] = q.e[l];
    e[d + 1] = 0.0;
    rot(&e[d + 1], &r[0], q.c[0], q.s[0]);
    for (int k = 0; k + 1 < d; k++) rot(&r[k], &r[k + 1], q.c[1 + k], q.s[1 + k]);
    if (q.observed) rot(&r[d - 1], &oy, q.c[d], q.s[d]);
    return oy;      /* what the observation's row leaves: its residual */
}

/* The sums of the restricted likelihood, as the sweep's (sums.h), where k
 * is not null: the residuals' squares times ys, and
 *
 *      log |det R| = (log det(W + D'*D/sigma^2) - sum(log(w)) over the
 *                     points with weight)/2 + (n-d)*log(sigma)
 *
 * (R the sweep's factor, the 2^256 of its missing points' rows taken out):
 * from the kept rows, sum(log(rho(i)*sigma)), and R's at the end,
 * sum(log |R(k,k)|), less sum(log(sqrt(w))), and plus log |det J|, J the
 * Jacobian of (x(d-1), e(d..n-1)) in z (the transitions in between are
 * unimodular): 1/det(H) on the first d points, and d!/prod(t(i) -
 * t(i-k), k = 1..d) for each e(i).  Products as forward_sums takes them,
 * the divisors' apart (k[1]). */
template <int d>
GIVQR_STEP void divisors(const double *t, idx i, forward_sums &k)
{
    for (int l = 1; l <= d; l++) k.factor(spacing(t, i, l));
}

template <int d, bool sums>
void state_smooth_d(idx n, const double *t, double sigma, const double *w, const double *y, double ys, double *z,
                    double *E, forward_sums *k)
{
    constexpr int N = d + 2;
    const double pen = 1.0 / sigma;
    double R[d][d] = {}, r[d] = {}, x[d];

    /* the first d points, in Newton's form */
    for (idx j = 0; j < d; j++) {
        if (sums)
            for (int l = 0; l < d - 1 - int(j); l++)     /* H(j,j) */
                k[1].factor(std::fabs(t ? t[j] - t[d - 1 - l] : double(j - (d - 1 - l))));
        if (w && !(w[j] > 0.0)) continue;
        const double sw = w ? std::sqrt(w[j]) : 1.0;
        double a[d];
        for (int p = 0; p < d; p++) a[p] = p < j ? 0.0 : sw * newton<d>(t, j, p);
        const double res = merge<d>(R, r, a, sw * y[j], int(j));
        if (sums) {
            k[0].square(ys * res);
            k[1].factor(sw);
        }
    }

    /* Where every step is the same (t and w null), R may come back to
     * itself, to the bit, some steps later (a cycle of up to `ring`
     * steps): from there on the steps' rotations repeat with it, and only r
     * has to be carried.  R is compared with the one at step s, s moved on
     * every `ring` steps; the rotations of the last `ring` steps kept. */
    constexpr int ring = 64;
    const bool same = !t && !w;
    double was[d][d];
    idx s = d;
    turns<d> q[ring];
    for (idx i = d; i < n; i++) {
        if (same && i > s && std::memcmp(was, R, sizeof R) == 0) {
            const idx per = i - s;
            for (idx j = i; j < n; j++) {
                const turns<d> &qj = q[(s + (j - i) % per) % ring];
                const double res = turn_r<d>(qj, y[j], r, E + N * j);
                if (sums) {
                    k[0].square(ys * res);
                    k[0].factor(qj.e[0] * sigma);
                    divisors<d>(t, j, k[1]);
                    k[0].factor(factorial[d]);
                }
            }
            for (idx j = 0; j < (n - i) % per; j++) turn<d>(R, t, i + j, pen, 1.0, q[0]);  /* R after step n-1 */
            break;
        }
        if (same && i - s >= ring) s = i;
        if (same && i == s) std::memcpy(was, R, sizeof R);
        turns<d> &qi = q[i % ring];
        const double o = !w ? 1.0 : w[i] > 0.0 ? std::sqrt(w[i]) : 0.0;
        turn<d>(R, t, i, pen, o, qi);
        const double res = turn_r<d>(qi, qi.observed ? o * y[i] : 0.0, r, E + N * i);
        if (sums) {
            if (qi.observed) {
                k[0].square(ys * res);
                k[1].factor(o);
            }
            k[0].factor(qi.e[0] * sigma);
            divisors<d>(t, i, k[1]);
            k[0].factor(factorial[d]);
        }
    }
    if (sums)
        for (int l = 0; l < d; l++) k[0].factor(std::fabs(R[l][l]));
    if (!z) return;

    /* x(n-1) = R \ r, then each state from the next */
    for (int k = d - 1; k >= 0; k--) {
        double v = r[k];
        for (int l = k + 1; l < d; l++) v = v - R[k][l] * x[l];
        x[k] = v / R[k][k];
    }
    z[n - 1] = x[d - 1];
    for (idx i = n - 1; i >= d; i--) {
        const double *e = E + N * i;
        double v = e[N - 1];
        for (int l = 0; l < d; l++) v = v - e[1 + l] * x[l];
        v = v / e[0];
        for (int p = d - 1; p >= 1; p--) x[p] = x[p] - spacing(t, i, d - p) * x[p - 1];
        x[0] = x[0] - (spacing(t, i, d) / factorial[d]) * v;
        z[i - 1] = x[d - 1];
    }
    for (idx j = 0; j + 1 < d; j++) {
        double v = 0.0;
        for (int p = int(j); p < d; p++) v = v + newton<d>(t, j, p) * x[p];
        z[j] = v;
    }
}

} // namespace

void state_smooth(idx n, const stencil &S, double sigma, const double *w, const double *y, double *z, double *E,
                  double ys, double *logdet, double *squares)
{
    /* times whose rows of D are all one (stencil.h) as 1:n, D = D(1:n)/h^d,
     * sigma*h^d; (n-d)*log(sigma) then less (n-d)*d*log(h) */
    const double *t = S.D ? S.t : nullptr;
    const double s0 = sigma;
    if (S.t && !S.D)
        for (int k = 0; k < S.d; k++) sigma = sigma * S.h;
    forward_sums k[2];
    forward_sums *sk = logdet ? k : nullptr;
    switch (S.d * 2 + (sk != nullptr)) {
    case 2: state_smooth_d<1, false>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 3: state_smooth_d<1, true>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 4: state_smooth_d<2, false>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 5: state_smooth_d<2, true>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 6: state_smooth_d<3, false>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 7: state_smooth_d<3, true>(n, t, sigma, w, y, ys, z, E, sk); break;
    case 8: state_smooth_d<4, false>(n, t, sigma, w, y, ys, z, E, sk); break;
    default: state_smooth_d<4, true>(n, t, sigma, w, y, ys, z, E, sk); break;
    }
    if (!logdet) return;
    *squares = k[0].squares();
    *logdet = k[0].log_det(0) - k[1].log_det(0);
    if (sigma != s0) *logdet = *logdet - double(n - S.d) * log_of(sigma / s0);
}

} // namespace givqr
