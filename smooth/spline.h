/* spline.h: the cubic smoothing spline as the least squares problem the sweep factors */
#ifndef GIVQR_SPLINE_H
#define GIVQR_SPLINE_H

#include "stencil.h"

namespace givqr {

/*
 * f minimizes sum(w.*(y - f(x)).^2) + lambda*integral(f''(t)^2 dt) over
 * functions with a square integrable f''; it is the natural cubic spline
 * with knots at the n distinct x.  With g = f(x), gamma = f''(x) (0 at the
 * ends) and h(j) = x(j+1) - x(j), Reinsch's relations are Q'*g = R*gamma,
 * Q (n-by-(n-2)) holding 1/h(j), -(1/h(j) + 1/h(j+1)), 1/h(j+1) in column
 * j, R (tridiagonal) (h(j) + h(j+1))/3 on the diagonal and h(j+1)/6 beside
 * it, and the penalty is g'*Q*inv(R)*Q'*g.  So, with R = L*L' (L lower
 * bidiagonal: R is diagonally dominant, its condition at most 3) and sigma =
 * lambda^(-1/2), sqrt(w).*g is the first part of the residual of
 *
 *      min |A*v - [sqrt(w).*y; 0]|,   A = [diag(w.^(-1/2))*Q; sigma*L'],
 *
 * and gamma = sigma^2*v: the matrix givsmooth factors for d = 2, Q in
 * place of D' and the bidiagonal sigma*L' of sigma*I (step.h).  At equal
 * spacing h, Q = D'/h, and L's entries settle to a constant pair, so that
 * the sweep's rows may repeat as givsmooth's do.
 */

/* The spline's stencil for n >= 3 distinct knots x, increasing: Q's
 * columns as its rows ((d+1)*(n-2) numbers in rows, pointed to where they
 * differ), L's entries (2*(n-2) in low), and log det R. */
stencil make_spline(idx n, const double *x, double *rows, double *low);

/* f'' at the knots where w > 0 (null: every knot), from R*gamma = Q'*g on
 * those knots alone (a knot without weight moves nothing), into gamma (n;
 * NaN at the others); work of 2n. */
void spline_curvature(idx n, const double *x, const double *g, const double *w, double *gamma, double *work);

/* f(xx) and its first and second derivatives where df, d2f are not null,
 * from the knots x (n, increasing), g and gamma there (as
 * spline_curvature), for each of nx points xx: beyond the knots, the
 * natural spline's own straight line. */
void spline_values(idx n, const double *x, const double *g, const double *gamma, idx nx, const double *xx, double *f);

/* The pp-form's coefficients of the piece on [x(j), x(j+1)], j = 0..n-2,
 * in powers of t = x - x(j), highest first: c(4j..4j+3). */
void spline_pieces(idx n, const double *x, const double *g, const double *gamma, double *c);

/* z at the knots without weight (w = 0) from those with weight, as the
 * spline through these (its f'' from spline_curvature) gives it; work of
 * 3n. */
void spline_fill(idx n, const double *x, const double *w, double *z, double *work);

} // namespace givqr

#endif
