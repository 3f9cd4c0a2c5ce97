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

} // namespace

bool solve(std::ptrdiff_t n, double sigma, const double *b, long prec,
           double *w_hi, double *w_lo, double *r_hi, double *r_lo)
{
    const std::ptrdiff_t m = n - 2;
    const double *b1 = b, *b2 = b + n;
    vec d(m, prec), l(m + 1, prec), w(m, prec);   // L(j,j) = 1, L(j,j-1) = l[j], L(j,j-2) = 1/d[j-2]
    vec t(3, prec);
    mpfr_ptr a = t[0], s = t[1], u = t[2];

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
    if (!ok) return false;

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

} // namespace reference
