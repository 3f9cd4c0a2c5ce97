// reference: min |A*w - b| for A = [D'; sigma*I] with MPFR, by banded LDL'
#include "reference.h"

#include <mpfr.h>
#include <memory>
#include <vector>

namespace reference {

namespace {

constexpr int d_top = 8;    // the highest order taken

// A vector of MPFR numbers of one precision, freed with it.
class vec {
public:
    vec(std::ptrdiff_t n, long prec) : v_(n)
    {
        for (mpfr_t &x : v_) mpfr_init2(x, prec);
    }
    ~vec()
    {
        for (mpfr_t &x : v_) mpfr_clear(x);
    }
    vec(const vec &) = delete;
    vec &operator=(const vec &) = delete;
    mpfr_ptr operator[](std::ptrdiff_t i) { return v_[i]; }
private:
    std::vector<mpfr_t> v_;
};

void split(mpfr_srcptr x, mpfr_ptr t, double *hi, double *lo)
{
    *hi = mpfr_get_d(x, MPFR_RNDN);
    mpfr_sub_d(t, x, *hi, MPFR_RNDN);
    *lo = mpfr_get_d(t, MPFR_RNDN);
}

// A symmetric band matrix of half-bandwidth d: M(i,i+k) in (*a[k])[i].
typedef std::vector<std::unique_ptr<vec>> bands;

bands new_bands(std::ptrdiff_t n, int d, long prec)
{
    bands a;
    for (int k = 0; k <= d; k++) a.emplace_back(new vec(n, prec));
    return a;
}

// M = L*diag(p)*L' in place: a[0] the pivots p, a[k] the multipliers
// L(i+k,i); false where a pivot is not positive.
bool band_ldl(bands &a, std::ptrdiff_t n, int d, long prec)
{
    vec t(2, prec);
    mpfr_ptr u = t[0], s = t[1];
    for (std::ptrdiff_t i = 0; i < n; i++) {
        if (mpfr_sgn((*a[0])[i]) <= 0) return false;
        for (int k = 1; k <= d && i + k < n; k++) {
            mpfr_div(u, (*a[k])[i], (*a[0])[i], MPFR_RNDN);     // L(i+k,i)
            for (int j = k; j <= d && i + j < n; j++) {
                mpfr_mul(s, u, (*a[j])[i], MPFR_RNDN);
                mpfr_sub((*a[j - k])[i + k], (*a[j - k])[i + k], s, MPFR_RNDN);
            }
            mpfr_set((*a[k])[i], u, MPFR_RNDN);
        }
    }
    return true;
}

// x = M^-1 x from band_ldl's factors.
void band_solve(bands &a, std::ptrdiff_t n, int d, vec &x, long prec)
{
    vec t(1, prec);
    mpfr_ptr s = t[0];
    for (std::ptrdiff_t i = 0; i < n; i++)
        for (int k = 1; k <= d && i - k >= 0; k++) {
            mpfr_mul(s, (*a[k])[i - k], x[i - k], MPFR_RNDN);
            mpfr_sub(x[i], x[i], s, MPFR_RNDN);
        }
    for (std::ptrdiff_t i = 0; i < n; i++) mpfr_div(x[i], x[i], (*a[0])[i], MPFR_RNDN);
    for (std::ptrdiff_t i = n - 1; i >= 0; i--)
        for (int k = 1; k <= d && i + k < n; k++) {
            mpfr_mul(s, (*a[k])[i], x[i + k], MPFR_RNDN);
            mpfr_sub(x[i], x[i], s, MPFR_RNDN);
        }
}

// log det M = the sum of the pivots' logs, into g (s scratch).
void log_pivots(bands &a, std::ptrdiff_t n, mpfr_ptr g, mpfr_ptr s)
{
    mpfr_set_ui(g, 0, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n; i++) {
        mpfr_log(s, (*a[0])[i], MPFR_RNDN);
        mpfr_add(g, g, s, MPFR_RNDN);
    }
}

// The band of S = M^-1 from band_ldl's factors, from the last row up:
// S(i,i+k) = [k == 0]/p(i) - sum_j L(i+j,i) S(i+j,i+k), in B[k][i].
void band_inverse(bands &a, std::ptrdiff_t n, int d, bands &B, long prec)
{
    B = new_bands(n + d + 1, d, prec);
    for (int k = 0; k <= d; k++)
        for (std::ptrdiff_t i = 0; i < n + d + 1; i++) mpfr_set_ui((*B[k])[i], 0, MPFR_RNDN);
    auto S = [&](std::ptrdiff_t r, std::ptrdiff_t c) -> mpfr_ptr {     // symmetric, within the band
        return r <= c ? (*B[c - r])[r] : (*B[r - c])[c];
    };
    vec t(1, prec);
    mpfr_ptr s = t[0];
    for (std::ptrdiff_t i = n - 1; i >= 0; i--)
        for (int k = d; k >= 0; k--) {
            mpfr_ptr e = (*B[k])[i];
            if (k == 0) mpfr_ui_div(e, 1, (*a[0])[i], MPFR_RNDN);
            else mpfr_set_ui(e, 0, MPFR_RNDN);
            for (int j = 1; j <= d && i + j < n; j++) {
                if (i + k >= n) break;
                mpfr_mul(s, (*a[j])[i], S(i + j, i + k), MPFR_RNDN);
                mpfr_sub(e, e, s, MPFR_RNDN);
            }
        }
}

// D*D' + sigma^2*I = L*diag(d)*L', L unit lower triangular with
// L(j,j-1) = l[j] and L(j,j-2) = 1/d[j-2]; false where a pivot is not positive.
bool ldl(std::ptrdiff_t m, double sigma, long prec, vec &d, vec &l)
{
    vec t(2, prec);
    mpfr_ptr a = t[0], s = t[1];
    mpfr_set_d(a, sigma, MPFR_RNDN);
    mpfr_sqr(a, a, MPFR_RNDN);
    mpfr_add_ui(a, a, 6, MPFR_RNDN);                // 6 + sigma^2
    bool ok = true;
    for (std::ptrdiff_t j = 0; j < m; j++) {
        // d(j) = 6 + sigma^2 - l(j)^2 d(j-1) - 1/d(j-2)
        mpfr_set(d[j], a, MPFR_RNDN);
        if (j >= 1) {
            mpfr_sqr(s, l[j], MPFR_RNDN);
            mpfr_mul(s, s, d[j - 1], MPFR_RNDN);
            mpfr_sub(d[j], d[j], s, MPFR_RNDN);
        }
        if (j >= 2) {
            mpfr_ui_div(s, 1, d[j - 2], MPFR_RNDN);
            mpfr_sub(d[j], d[j], s, MPFR_RNDN);
        }
        ok = ok && mpfr_sgn(d[j]) > 0;
        // l(j+1) = (-4 - l(j)) / d(j)
        if (j >= 1) mpfr_set(s, l[j], MPFR_RNDN);
        else mpfr_set_ui(s, 0, MPFR_RNDN);
        mpfr_neg(s, s, MPFR_RNDN);
        mpfr_sub_ui(s, s, 4, MPFR_RNDN);
        mpfr_div(l[j + 1], s, d[j], MPFR_RNDN);
    }
    return ok;
}

} // namespace

bool solve(std::ptrdiff_t n, double sigma, const double *b, long prec,
           double *w_hi, double *w_lo, double *r_hi, double *r_lo)
{
    const std::ptrdiff_t m = n - 2;
    const double *b1 = b, *b2 = b + n;
    vec d(m, prec), l(m + 1, prec), w(m, prec);
    vec t(3, prec);
    mpfr_ptr s = t[1], u = t[2];
    if (!ldl(m, sigma, prec, d, l)) return false;

    // L*u = D*b1 + sigma*b2, then u ./ d, then L'*w = that
    for (std::ptrdiff_t j = 0; j < m; j++) {
        mpfr_set_d(w[j], b1[j], MPFR_RNDN);
        mpfr_set_d(s, b1[j + 1], MPFR_RNDN);
        mpfr_mul_ui(s, s, 2, MPFR_RNDN);
        mpfr_sub(w[j], w[j], s, MPFR_RNDN);
        mpfr_add_d(w[j], w[j], b1[j + 2], MPFR_RNDN);
        mpfr_set_d(s, sigma, MPFR_RNDN);
        mpfr_mul_d(s, s, b2[j], MPFR_RNDN);
        mpfr_add(w[j], w[j], s, MPFR_RNDN);
        if (j >= 1) {
            mpfr_mul(s, l[j], w[j - 1], MPFR_RNDN);
            mpfr_sub(w[j], w[j], s, MPFR_RNDN);
        }
        if (j >= 2) {
            mpfr_div(s, w[j - 2], d[j - 2], MPFR_RNDN);
            mpfr_sub(w[j], w[j], s, MPFR_RNDN);
        }
    }
    for (std::ptrdiff_t j = 0; j < m; j++) mpfr_div(w[j], w[j], d[j], MPFR_RNDN);
    for (std::ptrdiff_t j = m - 1; j >= 0; j--) {
        if (j + 1 < m) {
            mpfr_mul(s, l[j + 1], w[j + 1], MPFR_RNDN);
            mpfr_sub(w[j], w[j], s, MPFR_RNDN);
        }
        if (j + 2 < m) {
            mpfr_div(s, w[j + 2], d[j], MPFR_RNDN);
            mpfr_sub(w[j], w[j], s, MPFR_RNDN);
        }
    }

    // r = b1 - D'*w: row i of D' holds 1, -2, 1 in columns i, i-1, i-2
    for (std::ptrdiff_t i = 0; i < n; i++) {
        mpfr_set_d(u, b1[i], MPFR_RNDN);
        if (i < m) mpfr_sub(u, u, w[i], MPFR_RNDN);
        if (i >= 1 && i - 1 < m) {
            mpfr_mul_ui(s, w[i - 1], 2, MPFR_RNDN);
            mpfr_add(u, u, s, MPFR_RNDN);
        }
        if (i >= 2) mpfr_sub(u, u, w[i - 2], MPFR_RNDN);
        split(u, s, &r_hi[i], &r_lo[i]);
    }
    for (std::ptrdiff_t j = 0; j < m; j++) split(w[j], s, &w_hi[j], &w_lo[j]);
    return true;
}

bool leverages(std::ptrdiff_t n, double sigma, long prec, double *h_hi, double *h_lo, double *q_hi, double *q_lo,
               double *sums)
{
    const std::ptrdiff_t m = n - 2;
    vec d(m, prec), l(m + 1, prec), S0(m + 2, prec), S1(m + 2, prec), S2(m + 2, prec), t(5, prec);
    mpfr_ptr s = t[0], u = t[1], q = t[2], sh = t[3], sq = t[4];
    mpfr_set_ui(sh, 0, MPFR_RNDN);
    mpfr_set_ui(sq, 0, MPFR_RNDN);
    if (!ldl(m, sigma, prec, d, l)) return false;
    // S0(j) = S(j,j), S1(j) = S(j,j+1), S2(j) = S(j,j+2), zero beyond the matrix
    for (std::ptrdiff_t j = 0; j < m + 2; j++) {
        mpfr_set_ui(S0[j], 0, MPFR_RNDN);
        mpfr_set_ui(S1[j], 0, MPFR_RNDN);
        mpfr_set_ui(S2[j], 0, MPFR_RNDN);
    }
    for (std::ptrdiff_t j = m - 1; j >= 0; j--) {
        mpfr_ui_div(u, 1, d[j], MPFR_RNDN);                     // L(j+2,j)
        // S(j,j+2) = -(L(j+1,j) S(j+1,j+2) + L(j+2,j) S(j+2,j+2))
        mpfr_mul(s, l[j + 1], S1[j + 1], MPFR_RNDN);
        mpfr_mul(q, u, S0[j + 2], MPFR_RNDN);
        mpfr_add(s, s, q, MPFR_RNDN);
        mpfr_neg(S2[j], s, MPFR_RNDN);
        // S(j,j+1) = -(L(j+1,j) S(j+1,j+1) + L(j+2,j) S(j+1,j+2))
        mpfr_mul(s, l[j + 1], S0[j + 1], MPFR_RNDN);
        mpfr_mul(q, u, S1[j + 1], MPFR_RNDN);
        mpfr_add(s, s, q, MPFR_RNDN);
        mpfr_neg(S1[j], s, MPFR_RNDN);
        // S(j,j) = 1/d(j) - (L(j+1,j) S(j,j+1) + L(j+2,j) S(j,j+2))
        mpfr_mul(s, l[j + 1], S1[j], MPFR_RNDN);
        mpfr_mul(q, u, S2[j], MPFR_RNDN);
        mpfr_add(s, s, q, MPFR_RNDN);
        mpfr_sub(S0[j], u, s, MPFR_RNDN);
    }
    // h(i) = 1 - (D'SD)(i,i), D(i,i) = 1, D(i-1,i) = -2, D(i-2,i) = 1
    for (std::ptrdiff_t i = 0; i < n; i++) {
        mpfr_set_ui(q, 0, MPFR_RNDN);
        const std::ptrdiff_t rows[3] = {i, i - 1, i - 2};
        const long coef[3] = {1, -2, 1};
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++) {
                const std::ptrdiff_t ra = rows[a], rb = rows[b];
                if (ra < 0 || ra >= m || rb < 0 || rb >= m) continue;
                const std::ptrdiff_t lo = ra < rb ? ra : rb, k = ra < rb ? rb - ra : ra - rb;
                mpfr_mul_si(s, k == 0 ? S0[lo] : k == 1 ? S1[lo] : S2[lo], coef[a] * coef[b], MPFR_RNDN);
                mpfr_add(q, q, s, MPFR_RNDN);
            }
        split(q, s, &q_hi[i], &q_lo[i]);
        mpfr_add(sq, sq, q, MPFR_RNDN);
        mpfr_ui_sub(q, 1, q, MPFR_RNDN);
        split(q, s, &h_hi[i], &h_lo[i]);
        mpfr_add(sh, sh, q, MPFR_RNDN);
    }
    if (sums) {
        split(sh, s, &sums[0], &sums[1]);
        split(sq, s, &sums[2], &sums[3]);
    }
    return true;
}

bool weighted(std::ptrdiff_t n, double sigma, const double *y, const double *w, long prec, double *z_hi,
              double *z_lo, double *h_hi, double *h_lo, double *edf, int d, const double *t, double *more,
              bool rounded)
{
    // D's rows from t (exact as given): D_k(j, l) = k/(t(j+k) - t(j)) * (D_(k-1)(j+1, l-1) - D_(k-1)(j, l)),
    // row j of D at Dr[(d+1)*j + l] = D(j, j+l); without t, t = 1:n
    const std::ptrdiff_t m = n - d;
    vec Dr((d + 1) * m, prec), prev((d + 1) * (d + 1), prec), t3(4, prec);
    mpfr_ptr lam = t3[0], s = t3[1], u = t3[2], g = t3[3];
    for (std::ptrdiff_t j = 0; j < m; j++) {
        // prev[i*(d+1) + l]: D_k's row j+i, entry l
        for (int i = 0; i <= d; i++)
            for (int l = 0; l <= d; l++) mpfr_set_ui(prev[i * (d + 1) + l], l == 0, MPFR_RNDN);
        for (int k = 1; k <= d; k++)
            for (int i = 0; i + k <= d; i++) {
                if (t) {
                    mpfr_set_d(g, t[j + i + k], MPFR_RNDN);
                    mpfr_sub_d(g, g, t[j + i], MPFR_RNDN);
                } else {
                    mpfr_set_ui(g, k, MPFR_RNDN);
                }
                mpfr_ui_div(g, k, g, MPFR_RNDN);
                for (int l = k; l >= 0; l--) {      // from the right: entry l-1 of row i+1, entry l of row i
                    if (l >= 1) mpfr_set(s, prev[(i + 1) * (d + 1) + l - 1], MPFR_RNDN);
                    else mpfr_set_ui(s, 0, MPFR_RNDN);
                    if (l < k) mpfr_sub(s, s, prev[i * (d + 1) + l], MPFR_RNDN);
                    mpfr_mul(prev[i * (d + 1) + l], g, s, MPFR_RNDN);
                }
            }
        for (int l = 0; l <= d; l++) mpfr_set(Dr[(d + 1) * j + l], prev[l], MPFR_RNDN);
        if (!rounded) continue;
        // or as double arithmetic makes them, each operation rounded
        double r[d_top + 1][d_top + 1];
        for (int i = 0; i <= d; i++)
            for (int l = 0; l <= d; l++) r[i][l] = l == 0;
        for (int k = 1; k <= d; k++)
            for (int i = 0; i + k <= d; i++) {
                const double gk = double(k) / (t ? t[j + i + k] - t[j + i] : double(k));
                for (int l = k; l >= 0; l--) r[i][l] = gk * ((l >= 1 ? r[i + 1][l - 1] : 0.0) - (l < k ? r[i][l] : 0.0));
            }
        for (int l = 0; l <= d; l++) mpfr_set_d(Dr[(d + 1) * j + l], r[0][l], MPFR_RNDN);
    }
    // M = W + lambda*D'*D: M(i,i+k) for k = 0..d in a[k][i]
    bands a = new_bands(n, d, prec);
    vec x(n, prec);
    mpfr_set_d(lam, sigma, MPFR_RNDN);
    mpfr_sqr(lam, lam, MPFR_RNDN);
    mpfr_ui_div(lam, 1, lam, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n; i++)
        for (int k = 0; k <= d; k++) {
            mpfr_ptr e = (*a[k])[i];
            mpfr_set_ui(e, 0, MPFR_RNDN);       // (D'*D)(i,i+k): rows r holding both
            for (std::ptrdiff_t r = i + k - d < 0 ? 0 : i + k - d; r <= i && r < m; r++) {
                mpfr_mul(s, Dr[(d + 1) * r + (i - r)], Dr[(d + 1) * r + (i + k - r)], MPFR_RNDN);
                mpfr_add(e, e, s, MPFR_RNDN);
            }
            mpfr_mul(e, e, lam, MPFR_RNDN);
            if (k == 0) mpfr_add_d(e, e, w[i], MPFR_RNDN);
        }
    if (!band_ldl(a, n, d, prec)) return false;
    for (std::ptrdiff_t i = 0; i < n; i++)      // L D L' x = W y
        if (w[i] > 0) {
            mpfr_set_d(x[i], y[i], MPFR_RNDN);
            mpfr_mul_d(x[i], x[i], w[i], MPFR_RNDN);
        } else {
            mpfr_set_ui(x[i], 0, MPFR_RNDN);
        }
    band_solve(a, n, d, x, prec);
    for (std::ptrdiff_t i = 0; i < n; i++) split(x[i], s, &z_hi[i], &z_lo[i]);
    if (more) {         // log det(M) = sum log(pivots); sum(w.*(y - z).^2); |D*z|^2
        log_pivots(a, n, g, s);
        split(g, s, &more[0], &more[1]);
        mpfr_set_ui(g, 0, MPFR_RNDN);
        for (std::ptrdiff_t i = 0; i < n; i++) {
            if (!(w[i] > 0)) continue;
            mpfr_d_sub(s, y[i], x[i], MPFR_RNDN);
            mpfr_sqr(s, s, MPFR_RNDN);
            mpfr_mul_d(s, s, w[i], MPFR_RNDN);
            mpfr_add(g, g, s, MPFR_RNDN);
        }
        split(g, s, &more[2], &more[3]);
        mpfr_set_ui(g, 0, MPFR_RNDN);
        for (std::ptrdiff_t j = 0; j < m; j++) {
            mpfr_set_ui(u, 0, MPFR_RNDN);
            for (int l = 0; l <= d; l++) {
                mpfr_mul(s, Dr[(d + 1) * j + l], x[j + l], MPFR_RNDN);
                mpfr_add(u, u, s, MPFR_RNDN);
            }
            mpfr_sqr(u, u, MPFR_RNDN);
            mpfr_add(g, g, u, MPFR_RNDN);
        }
        split(g, s, &more[4], &more[5]);
    }
    if (!h_hi) return true;
    bands B;
    band_inverse(a, n, d, B, prec);
    vec v(2, prec);
    mpfr_ptr sum = v[0], l = v[1];
    mpfr_set_ui(sum, 0, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n; i++) {        // h(i) = w(i) S(i,i)
        mpfr_mul_d(l, (*B[0])[i], w[i], MPFR_RNDN);
        mpfr_add(sum, sum, l, MPFR_RNDN);
        split(l, s, &h_hi[i], &h_lo[i]);
    }
    split(sum, s, &edf[0], &edf[1]);
    return true;
}

bool spline(std::ptrdiff_t n, double sigma, const double *x, const double *y, const double *w, long prec,
            double *g_hi, double *g_lo, double *c_hi, double *c_lo, double *h_hi, double *h_lo, double *edf,
            double *more)
{
    const std::ptrdiff_t m = n - 2;
    vec h(n - 1, prec), t(6, prec), gam(m, prec), f(n, prec);
    mpfr_ptr lam = t[0], s = t[1], u = t[2], v = t[3], sum = t[4], e = t[5];
    for (std::ptrdiff_t j = 0; j + 1 < n; j++) {
        mpfr_set_d(h[j], x[j + 1], MPFR_RNDN);
        mpfr_sub_d(h[j], h[j], x[j], MPFR_RNDN);
    }
    mpfr_set_d(lam, sigma, MPFR_RNDN);
    mpfr_sqr(lam, lam, MPFR_RNDN);
    mpfr_ui_div(lam, 1, lam, MPFR_RNDN);
    // Q(j+l, j) for l = 0, 1, 2 in q[l][j]; R, and M = R + lambda*Q'*W^-1*Q, as bands
    bands q = new_bands(m, 2, prec), R = new_bands(m, 1, prec), M = new_bands(m, 2, prec);
    for (std::ptrdiff_t j = 0; j < m; j++) {
        mpfr_ui_div((*q[0])[j], 1, h[j], MPFR_RNDN);
        mpfr_ui_div((*q[2])[j], 1, h[j + 1], MPFR_RNDN);
        mpfr_add((*q[1])[j], (*q[0])[j], (*q[2])[j], MPFR_RNDN);
        mpfr_neg((*q[1])[j], (*q[1])[j], MPFR_RNDN);
        mpfr_add((*R[0])[j], h[j], h[j + 1], MPFR_RNDN);
        mpfr_div_ui((*R[0])[j], (*R[0])[j], 3, MPFR_RNDN);
        if (j + 1 < m) mpfr_div_ui((*R[1])[j], h[j + 1], 6, MPFR_RNDN);
        else mpfr_set_ui((*R[1])[j], 0, MPFR_RNDN);
    }
    for (std::ptrdiff_t j = 0; j < m; j++)
        for (int k = 0; k <= 2; k++) {
            // (Q'*W^-1*Q)(j, j+k): the rows i = j+l = j+k+l' that both columns hold
            mpfr_ptr a = (*M[k])[j];
            mpfr_set_ui(a, 0, MPFR_RNDN);
            for (int l = k; l <= 2 && j + k < m; l++) {
                mpfr_mul(s, (*q[l])[j], (*q[l - k])[j + k], MPFR_RNDN);
                mpfr_div_d(s, s, w[j + l], MPFR_RNDN);
                mpfr_add(a, a, s, MPFR_RNDN);
            }
            mpfr_mul(a, a, lam, MPFR_RNDN);
            if (k < 2 && j + k < m) mpfr_add(a, a, (*R[k])[j], MPFR_RNDN);
        }
    // M*gamma = Q'*y; g = y - lambda*W^-1*Q*gamma
    for (std::ptrdiff_t j = 0; j < m; j++) {
        mpfr_set_ui(gam[j], 0, MPFR_RNDN);
        for (int l = 0; l <= 2; l++) {
            mpfr_mul_d(s, (*q[l])[j], y[j + l], MPFR_RNDN);
            mpfr_add(gam[j], gam[j], s, MPFR_RNDN);
        }
    }
    if (!band_ldl(M, m, 2, prec)) return false;
    band_solve(M, m, 2, gam, prec);
    for (std::ptrdiff_t i = 0; i < n; i++) {
        mpfr_set_ui(u, 0, MPFR_RNDN);           // (Q*gamma)(i)
        for (int l = 0; l <= 2; l++)
            if (i - l >= 0 && i - l < m) {
                mpfr_mul(s, (*q[l])[i - l], gam[i - l], MPFR_RNDN);
                mpfr_add(u, u, s, MPFR_RNDN);
            }
        mpfr_mul(u, u, lam, MPFR_RNDN);
        mpfr_div_d(u, u, w[i], MPFR_RNDN);
        mpfr_d_sub(f[i], y[i], u, MPFR_RNDN);
        split(f[i], s, &g_hi[i], &g_lo[i]);
    }
    for (std::ptrdiff_t i = 0; i < n; i++)      // f'' at the knots, 0 at the ends
        if (i == 0 || i == n - 1) c_hi[i] = c_lo[i] = 0.0;
        else split(gam[i - 1], s, &c_hi[i], &c_lo[i]);
    if (more) {     // log det M; sum(w.*(y - g).^2); gamma'*R*gamma; log det R
        log_pivots(M, m, v, s);
        split(v, s, &more[0], &more[1]);
        mpfr_set_ui(sum, 0, MPFR_RNDN);
        for (std::ptrdiff_t i = 0; i < n; i++) {
            mpfr_d_sub(s, y[i], f[i], MPFR_RNDN);
            mpfr_sqr(s, s, MPFR_RNDN);
            mpfr_mul_d(s, s, w[i], MPFR_RNDN);
            mpfr_add(sum, sum, s, MPFR_RNDN);
        }
        split(sum, s, &more[2], &more[3]);
        mpfr_set_ui(sum, 0, MPFR_RNDN);
        for (std::ptrdiff_t j = 0; j < m; j++) {
            mpfr_mul(s, (*R[0])[j], gam[j], MPFR_RNDN);
            if (j + 1 < m) {
                mpfr_mul(u, (*R[1])[j], gam[j + 1], MPFR_RNDN);
                mpfr_mul_ui(u, u, 2, MPFR_RNDN);
                mpfr_add(s, s, u, MPFR_RNDN);
            }
            mpfr_mul(s, s, gam[j], MPFR_RNDN);
            mpfr_add(sum, sum, s, MPFR_RNDN);
        }
        split(sum, s, &more[4], &more[5]);
        if (!band_ldl(R, m, 1, prec)) return false;
        log_pivots(R, m, v, s);
        split(v, s, &more[6], &more[7]);
    }
    if (!h_hi) return true;
    // h(i) = 1 - lambda/w(i)*(Q*S*Q')(i,i), S = M^-1 within its band
    bands B;
    band_inverse(M, m, 2, B, prec);
    auto S = [&](std::ptrdiff_t r, std::ptrdiff_t c) -> mpfr_ptr { return r <= c ? (*B[c - r])[r] : (*B[r - c])[c]; };
    mpfr_set_ui(sum, 0, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n; i++) {
        mpfr_set_ui(u, 0, MPFR_RNDN);
        for (int l = 0; l <= 2; l++)
            for (int k = 0; k <= 2; k++) {
                const std::ptrdiff_t a = i - l, b = i - k;      // columns of Q that row i holds
                if (a < 0 || a >= m || b < 0 || b >= m) continue;
                mpfr_mul(s, (*q[l])[a], (*q[k])[b], MPFR_RNDN);
                mpfr_mul(s, s, S(a, b), MPFR_RNDN);
                mpfr_add(u, u, s, MPFR_RNDN);
            }
        mpfr_mul(u, u, lam, MPFR_RNDN);
        mpfr_div_d(u, u, w[i], MPFR_RNDN);
        mpfr_ui_sub(e, 1, u, MPFR_RNDN);
        mpfr_add(sum, sum, e, MPFR_RNDN);
        split(e, s, &h_hi[i], &h_lo[i]);
    }
    split(sum, s, &edf[0], &edf[1]);
    return true;
}

} // namespace reference
