/* rotations.h: Givens rotations and the layout shared by givfact, givfwd, givinv */
#ifndef GIVQR_ROTATIONS_H
#define GIVQR_ROTATIONS_H

#include <cmath>
#include <cstddef>
#include <cstdint>

/*
 * Results are fixed to the bit: every operation rounded to double, in the
 * order written.  The build flags say so (-ffp-contract=off), but a user's
 * own build (mex, mkoctfile, an IDE) may not carry them, so the source says
 * it too, for everything that follows in the file that includes this one:
 * no fused multiply-add.  A build that cannot keep the bits stops here.
 */
#if defined(__FAST_MATH__) || defined(_M_FP_FAST)
#error "givqr: fast math changes the results; build without -ffast-math (/fp:fast)."
#endif
#if (defined(__i386__) && !defined(__SSE2_MATH__)) || (defined(_M_IX86) && _M_IX86_FP < 2)
#error "givqr: x87 math rounds to 80 bits; build with -msse2 -mfpmath=sse (/arch:SSE2)."
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF    /* not under -ffp-contract=fast, which overrides it */
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

namespace givqr {

/*
 * The 2x2 convention.  A rotation is a pair (c, s) with c^2 + s^2 = 1 (to
 * rounding).  Applied to the ordered pair (x, y) it gives
 *
 *      [ x' ]   [ c  -s ] [ x ]          x' = c*x - s*y
 *      [ y' ] = [ s   c ] [ y ],         y' = s*x + c*y
 *
 * and its inverse (transpose) is the pair (c, -s).
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
 * Every operation is rounded to double in the order written (see the top of
 * this file).  The results, signed zeros included, are part of the interface.
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

/*
 * The stacked matrix, for a problem size n >= 3 and m = n-2:
 *
 *      A = [ D' ; sigma*I ],   (2n-2)-by-m,
 *
 * D the m-by-n second difference matrix, row j = (1,-2,1) in columns j..j+2.
 * Rows 0..n-1 of A (and of every vector of length 2n-2) are the stencil rows
 * D', rows n..n+m-1 the sigma rows.  Q'*A = [R ; 0] with Q' the product of
 * 3m rotations, for column i = 0..m-1 in this order:
 *
 *      weight  rotation on rows (i, n+i)   (Qbar(i,0), Qbar(i,1))
 *      carry   rotation on rows (i, i+1)   (Qbar(i,2), Qbar(i,3))
 *      stencil rotation on rows (i, i+2)   (Qbar(i,4), Qbar(i,5))
 *
 * Qbar is m-by-6, column-major: Qbar(i,k) is Qbar[k*m+i].  Nothing else is
 * stored; n is the number of rows of Qbar plus 2.
 */
typedef std::ptrdiff_t idx;

inline idx order(idx n) { return n - 2; }         /* m: columns of A, rows of Qbar */
inline idx length(idx n) { return 2 * n - 2; }    /* rows of A, length of x and y */
inline idx nzmax(idx n) { return n == 3 ? 1 : 3 * n - 9; }   /* entries of R */

/* n must stay below this bound, so that 6*(n-2) doubles, the largest array
 * of any command, are addressable. */
constexpr double nlimit = static_cast<double>(PTRDIFF_MAX / 64);

} // namespace givqr

#endif
