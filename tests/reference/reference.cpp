// reference: min |A*w - b| for A = [D'; sigma*I] with MPFR, by banded LDL'
#include "reference.h"

#include <mpfr.h>
#include <vector>

namespace reference {

namespace {

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
              double *z_lo, double *h_hi, double *h_lo, double *edf)
{
    // M = W + lambda*D'*D: M(i,i+k) for k = 0, 1, 2 in a[k][i]; D(r,c) = (1,-2,1)(c-r)
    const long coef[3] = {1, -2, 1};
    const std::ptrdiff_t m = n - 2;
    vec a0(n, prec), a1(n, prec), a2(n, prec), x(n, prec), t(3, prec);
    vec *a[3] = {&a0, &a1, &a2};
    mpfr_ptr lam = t[0], s = t[1], u = t[2];
    mpfr_set_d(lam, sigma, MPFR_RNDN);
    mpfr_sqr(lam, lam, MPFR_RNDN);
    mpfr_ui_div(lam, 1, lam, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n; i++)
        for (int k = 0; k < 3; k++) {
            long dd = 0;        // (D'*D)(i,i+k)
            for (std::ptrdiff_t r = i - 2 < 0 ? 0 : i - 2; r <= i && r < m; r++)
                if (i + k - r <= 2) dd += coef[i - r] * coef[i + k - r];
            mpfr_mul_si((*a[k])[i], lam, dd, MPFR_RNDN);
            if (k == 0) mpfr_add_d((*a[k])[i], (*a[k])[i], w[i], MPFR_RNDN);
        }
    // LDL' in place: a0 the pivots, a1 and a2 the multipliers L(i+1,i), L(i+2,i)
    for (std::ptrdiff_t i = 0; i < n; i++) {
        if (mpfr_sgn(a0[i]) <= 0) return false;
        for (int k = 1; k <= 2 && i + k < n; k++) {
            mpfr_div(u, (*a[k])[i], a0[i], MPFR_RNDN);     // L(i+k,i)
            // row i+k: subtract L(i+k,i) * M(i, i+k..i+2) from M(i+k, i+k..)
            for (int j = k; j <= 2 && i + j < n; j++) {
                mpfr_mul(s, u, (*a[j])[i], MPFR_RNDN);
                mpfr_sub((*a[j - k])[i + k], (*a[j - k])[i + k], s, MPFR_RNDN);
            }
            mpfr_set((*a[k])[i], u, MPFR_RNDN);
        }
    }
    // L D L' x = W y
    for (std::ptrdiff_t i = 0; i < n; i++) {
        if (w[i] > 0) {
            mpfr_set_d(x[i], y[i], MPFR_RNDN);
            mpfr_mul_d(x[i], x[i], w[i], MPFR_RNDN);
        } else {
            mpfr_set_ui(x[i], 0, MPFR_RNDN);
        }
        for (int k = 1; k <= 2 && i - k >= 0; k++) {
            mpfr_mul(s, (*a[k])[i - k], x[i - k], MPFR_RNDN);
            mpfr_sub(x[i], x[i], s, MPFR_RNDN);
        }
    }
    for (std::ptrdiff_t i = 0; i < n; i++) mpfr_div(x[i], x[i], a0[i], MPFR_RNDN);
    for (std::ptrdiff_t i = n - 1; i >= 0; i--)
        for (int k = 1; k <= 2 && i + k < n; k++) {
            mpfr_mul(s, (*a[k])[i], x[i + k], MPFR_RNDN);
            mpfr_sub(x[i], x[i], s, MPFR_RNDN);
        }
    for (std::ptrdiff_t i = 0; i < n; i++) split(x[i], s, &z_hi[i], &z_lo[i]);
    if (!h_hi) return true;
    // the band of S = M^-1 from the last row up, S(i,i+k) into x, a1, a2 as
    // each is no longer needed: S(i,i+k) = [k == 0]/d(i) - L(i+1,i) S(i+1,i+k) - L(i+2,i) S(i+2,i+k)
    vec S0(n + 2, prec), S1(n + 2, prec), S2(n + 2, prec), v(2, prec);
    mpfr_ptr sum = v[0], l = v[1];
    mpfr_set_ui(sum, 0, MPFR_RNDN);
    for (std::ptrdiff_t i = 0; i < n + 2; i++) {
        mpfr_set_ui(S0[i], 0, MPFR_RNDN);
        mpfr_set_ui(S1[i], 0, MPFR_RNDN);
        mpfr_set_ui(S2[i], 0, MPFR_RNDN);
    }
    for (std::ptrdiff_t i = n - 1; i >= 0; i--) {
        const bool one = i + 1 < n, two = i + 2 < n;
        // S(i,i+2) = -(L(i+1,i) S(i+1,i+2) + L(i+2,i) S(i+2,i+2))
        mpfr_set_ui(S2[i], 0, MPFR_RNDN);
        if (one) mpfr_mul(S2[i], a1[i], S1[i + 1], MPFR_RNDN);
        if (two) mpfr_mul(s, a2[i], S0[i + 2], MPFR_RNDN), mpfr_add(S2[i], S2[i], s, MPFR_RNDN);
        mpfr_neg(S2[i], S2[i], MPFR_RNDN);
        // S(i,i+1) = -(L(i+1,i) S(i+1,i+1) + L(i+2,i) S(i+1,i+2))
        mpfr_set_ui(S1[i], 0, MPFR_RNDN);
        if (one) mpfr_mul(S1[i], a1[i], S0[i + 1], MPFR_RNDN);
        if (two) mpfr_mul(s, a2[i], S1[i + 1], MPFR_RNDN), mpfr_add(S1[i], S1[i], s, MPFR_RNDN);
        mpfr_neg(S1[i], S1[i], MPFR_RNDN);
        // S(i,i) = 1/d(i) - (L(i+1,i) S(i,i+1) + L(i+2,i) S(i,i+2))
        mpfr_ui_div(S0[i], 1, a0[i], MPFR_RNDN);
        if (one) mpfr_mul(s, a1[i], S1[i], MPFR_RNDN), mpfr_sub(S0[i], S0[i], s, MPFR_RNDN);
        if (two) mpfr_mul(s, a2[i], S2[i], MPFR_RNDN), mpfr_sub(S0[i], S0[i], s, MPFR_RNDN);
    }
    for (std::ptrdiff_t i = 0; i < n; i++) {        // h(i) = w(i) S(i,i)
        mpfr_mul_d(l, S0[i], w[i], MPFR_RNDN);
        mpfr_add(sum, sum, l, MPFR_RNDN);
        split(l, s, &h_hi[i], &h_lo[i]);
    }
    split(sum, s, &edf[0], &edf[1]);
    return true;
}

} // namespace reference
