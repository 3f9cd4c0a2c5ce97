/* elementary.h: sin(pi/p), 2^x and log(x) from additions and multiplications alone */
#ifndef GIVQR_ELEMENTARY_H
#define GIVQR_ELEMENTARY_H

#include "fp.h"

#include <cmath>

namespace givqr {

/*
 * The C library's sin, exp2 and log differ in their last bits between
 * platforms; these use IEEE operations alone, in the order written, so that
 * a sigma made from a 'Period', each sigma the search tries, and the
 * restricted likelihood it compares are the same bits everywhere.  Accurate
 * to an ulp or two, which is all they are for.
 */

/* sin(pi/p) for p >= 2, by its Taylor series (|pi/p| <= pi/2: the terms
 * beyond x^25 fall below 1e-20 of the sum). */
inline double sin_pi_over(double p)
{
    const double x = 3.141592653589793 / p, x2 = x * x;
    double s = 1.0;
    for (int k = 25; k >= 3; k -= 2) s = 1.0 - x2 / double(k * (k - 1)) * s;
    return x * s;
}

/* 2^x for finite x, as 2^floor(x) * e^(f*ln 2), the second by its Taylor
 * series for f in [0, 1) (terms beyond the 18th below 1e-17 of the sum). */
inline double exp2_of(double x)
{
    const double k = std::floor(x), y = (x - k) * 0.6931471805599453;
    double s = 1.0;
    for (int j = 18; j >= 1; j--) s = 1.0 + y / double(j) * s;
    return std::ldexp(s, static_cast<int>(k));
}

/* log(m) + e*log(2) for m > 0 finite: m = 2^k*f with f in [sqrt(1/2),
 * sqrt(2)) (frexp is exact), log(f) = 2*atanh(u), u = (f-1)/(f+1), |u| <=
 * 0.172, by its series (the terms beyond u^27 below 1e-21 of the sum). */
inline double log_of(double m, double e = 0.0)
{
    int k;
    double f = std::frexp(m, &k);
    if (f < 0.7071067811865476) f = 2.0 * f, k--;
    const double u = (f - 1.0) / (f + 1.0), u2 = u * u;
    double s = 1.0 / 27.0;
    for (int j = 25; j >= 1; j -= 2) s = 1.0 / double(j) + u2 * s;
    const double l2 = double(k) + e;            /* exact while |k + e| < 2^53 */
    return l2 * 0.6931471805599453 + (l2 * 2.3190468138462996e-17 + 2.0 * u * s);
}

} // namespace givqr

#endif
