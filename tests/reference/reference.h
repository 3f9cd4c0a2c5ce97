// reference.h: least squares with A = [D'; sigma*I], the weighted smooth and the smoothing spline in high precision (MPFR)
#ifndef GIVQR_REFERENCE_H
#define GIVQR_REFERENCE_H

#include <cstddef>

namespace reference {

/*
 * For n >= 3, sigma and b of length 2n-2 (b = [b1; b2], b1 of length n), the
 * solution w (length n-2) of min |A*w - b| and the first part of its residual,
 * r = b1 - D'*w (length n), computed with prec bits from the normal equations
 *
 *      (D*D' + sigma^2*I) w = D*b1 + sigma*b2
 *
 * by the LDL' factorization of the pentadiagonal D*D' + sigma^2*I (rows
 * 1, -4, 6 + sigma^2, -4, 1).  With b2 = 0, r is the smoothed series z that
 * minimizes |z - b1|^2 + |D*z|^2 / sigma^2.  The inputs are taken as exact;
 * each result x is returned as hi + lo, hi = x rounded to double and lo the
 * rest rounded to double, so that errors far below double's can be measured.
 * Time and memory linear in n.  Returns false if sigma = 0 and D*D' is
 * singular to the working precision (it never is for n < 10^9 at 256 bits).
 */
bool solve(std::ptrdiff_t n, double sigma, const double *b, long prec,
           double *w_hi, double *w_lo, double *r_hi, double *r_lo);

/*
 * The leverages h = diag(H), H = (I + D'*D/sigma^2)^(-1) the hat matrix of
 * smoothing, and q = 1 - h, n of each, as hi + lo: q(i) = (D'*S*D)(i,i),
 * S = (D*D' + sigma^2*I)^(-1), whose band comes from the same LDL' by the
 * recurrence S = D^-1*L^-1 + (I - L')*S, from the last row up; and, where
 * sums is not null, sum(h) and sum(q) there as hi, lo, hi, lo.  Returns
 * false as solve.
 */
bool leverages(std::ptrdiff_t n, double sigma, long prec, double *h_hi, double *h_lo, double *q_hi, double *q_lo,
               double *sums = nullptr);

/*
 * The weighted smooth z of y, minimizing sum(w.*(z - y).^2) + |D*z|^2/sigma^2
 * (sigma > 0, w >= 0), D the (n-d)-by-n matrix of d-th divided differences
 * of the times t (null: 1:n; D_0 = I, D_k = diag(k./(t(k+1:n) - t(1:n-k)))
 * * diff(D_(k-1)), computed from t as given), from M z = W*y, M = W +
 * D'*D/sigma^2, by the LDL' of that banded matrix with prec bits; y where w
 * is 0 is not read.  z as hi + lo; where h_hi is not null, the leverages
 * h = w.*diag(M^-1) (the band of M^-1 from the same LDL', S = D^-1*L^-1 +
 * (I - L')*S from the last row up) as hi + lo, and their sum in edf as hi,
 * lo; where more is not null, log det(M) (the sum of the pivots' logs),
 * sum(w.*(y - z).^2) and |D*z|^2 there, each as hi, lo.  Where rounded, D's
 * rows are those double arithmetic makes from t, every operation of the
 * recursion rounded, and the rest exact: the smooth of that D.  Returns
 * false where a pivot is not positive.
 */
bool weighted(std::ptrdiff_t n, double sigma, const double *y, const double *w, long prec, double *z_hi,
              double *z_lo, double *h_hi = nullptr, double *h_lo = nullptr, double *edf = nullptr, int d = 2,
              const double *t = nullptr, double *more = nullptr, bool rounded = false);

/*
 * The cubic smoothing spline f of y at the knots x (n >= 3, increasing),
 * minimizing sum(w.*(y - f(x)).^2) + integral(f''^2)/sigma^2 (w > 0), by
 * Reinsch's pentadiagonal system: with h = diff(x), Q (n-by-(n-2)) holding
 * 1/h(j), -(1/h(j) + 1/h(j+1)), 1/h(j+1) in column j and R tridiagonal,
 * (h(j) + h(j+1))/3 on the diagonal and h(j+1)/6 beside it,
 *
 *      (R + lambda*Q'*W^-1*Q) gamma = Q'*y,   g = y - lambda*W^-1*Q*gamma,
 *
 * lambda = 1/sigma^2, factored as L*diag(p)*L' with prec bits.  g = f(x)
 * and f'' at the knots ([0; gamma; 0]), n each as hi + lo; where h_hi is
 * not null, the leverages h(i) = 1 - lambda/w(i)*(Q*S*Q')(i,i), S the band
 * of (R + lambda*Q'*W^-1*Q)^-1, and edf = sum(h), as hi + lo; where more
 * is not null, log det(R + lambda*Q'*W^-1*Q), sum(w.*(y - g).^2),
 * integral(f''^2) = gamma'*R*gamma and log det R, each as hi, lo.  Returns
 * false where a pivot is not positive.
 */
bool spline(std::ptrdiff_t n, double sigma, const double *x, const double *y, const double *w, long prec,
            double *g_hi, double *g_lo, double *c_hi, double *c_lo, double *h_hi = nullptr, double *h_lo = nullptr,
            double *edf = nullptr, double *more = nullptr);

} // namespace reference

#endif
