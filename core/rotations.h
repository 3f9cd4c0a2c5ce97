/* rotations.h: Givens rotations, generated (rotg) and applied (rot) */
#ifndef GIVQR_ROTATIONS_H
#define GIVQR_ROTATIONS_H

#include "fp.h"

#include <cmath>

namespace givqr {

/*
 * The 2x2 convention.  A rotation is a pair (c, s) with c^2 + s^2 = 1 (to
 * rounding).  Applied to the ordered pair (x, y) it gives
 *
 *      [ x' ]   [ c  -s ] [ x ]          x' = c*x - s*y
 *      [ y' ] = [ s   c ] [ y ],         y' = s*x + c*y
 *
 * and its inverse (transpose) is the pair (c, -s).  The names come from the
 * BLAS, but the sign of s does not: BLAS drot and drotg, and LAPACK dlartg,
 * rotate by [c s; -s c], so their s is our -s for the same rotation.
 *
 * rotg (a, b, c, s) chooses (c, s) with s*a + c*b = 0, so that the rotation
 * takes (a, b) to (r, 0); it leaves r in a and +0.0 in b.  With a, b the
 * values on entry:
 *
 *      b == 0          c = 1, s = 0                      (also a = b = 0)
 *      a == 0          c = 0, s = 1
 *      |a| >  |b|      t = -(b/a),  c = 1/sqrt(t*t+1),  s = t*c
 *      otherwise       t = -(a/b),  s = 1/sqrt(t*t+1),  c = t*s
 *
 *      r = c*a - s*b
 *
 * The tests are IEEE equality, so -0.0 counts as zero and a NaN does not; a
 * comparison with a NaN falls to the last case, as does the tie |a| = |b|.
 * Only the ratio |t| <= 1 is squared, so nothing overflows.  r is not made
 * positive: it has the sign of a when |a| > |b| and the sign of -b otherwise.
 *
 * Every operation is rounded to double in the order written (fp.h).  The
 * results, signed zeros included, are part of the interface.
 */
inline void rotg(double *a, double *b, double *c, double *s)
{
    const double a0 = *a, b0 = *b;
    double cc, ss;
    if (b0 == 0.0) {
        cc = 1.0;
        ss = 0.0;
    } else if (a0 == 0.0) {
        cc = 0.0;
        ss = 1.0;
    } else if (std::fabs(a0) > std::fabs(b0)) {
        const double t = -(b0 / a0);
        cc = 1.0 / std::sqrt(t * t + 1.0);
        ss = t * cc;
    } else {
        const double t = -(a0 / b0);
        ss = 1.0 / std::sqrt(t * t + 1.0);
        cc = t * ss;
    }
    *c = cc;
    *s = ss;
    *a = cc * a0 - ss * b0;
    *b = 0.0;
}

/* rot (x, y, c, s): (x, y) = (c*x - s*y, s*x + c*y); y is stored first.
 * x and y must be distinct. */
inline void rot(double *x, double *y, double c, double s)
{
    const double x0 = *x, y0 = *y;
    const double xn = c * x0 - s * y0;
    const double yn = s * x0 + c * y0;
    *y = yn;
    *x = xn;
}

} // namespace givqr

#endif
