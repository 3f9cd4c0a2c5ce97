/* givspline.h: the spline's pp-form and values from its f at the knots */
#ifndef GIVQR_GIVSPLINE_H
#define GIVQR_GIVSPLINE_H

#include "types.h"

namespace givqr {

/*
 * For k series of n points at x (non-decreasing, each distinct x a knot),
 * and z (n*k) the spline of each at x as givsmooth gives it (c.spline):
 * spline_breaks writes the distinct x into breaks and returns how many, nt;
 * spline_coefs writes the pp-form's coefficients, (nt-1)*k rows by 4
 * columns, column-major, the row of piece p of series j at p*k + j (mkpp's
 * order), each in powers of x - breaks(p), highest first; spline_at writes
 * the value of each series at each of the nx points xx into yy(j + k*i),
 * beyond the knots the natural spline's straight line, NaN at NaN.  f'' at
 * the knots comes from f there (spline.h), so a series whose z is NaN gives
 * NaN; both work at knots brought to unit spacing by a power of 2, so that
 * only the coefficients themselves can overflow (f''' ~ f/h^3): then
 * spline_coefs returns false.  Work of 5*nt, allocated (std::bad_alloc
 * where it cannot be).
 */
idx spline_breaks(idx n, const double *x, double *breaks);
bool spline_coefs(idx n, idx k, const double *x, const double *z, double *coefs);
void spline_at(idx n, idx k, const double *x, const double *z, idx nx, const double *xx, double *yy);

} // namespace givqr

#endif
