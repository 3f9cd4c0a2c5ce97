/* elementary.h: sin(pi/p) and 2^x from additions and multiplications alone */
#ifndef GIVQR_ELEMENTARY_H
#define GIVQR_ELEMENTARY_H

#include "fp.h"

#include <cmath>

namespace givqr {

/*
 * The C library's sin and exp2 differ in their last bits between platforms;
 * these use IEEE operations alone, in the order written, so that a sigma
 * made from a 'Period', and each sigma the search tries, are the same bits
 * everywhere.  Accurate to an ulp or two, which is all they are for.
 */

/* sin(pi/p) for p > 2, by its Taylor series (|pi/p| < pi/2: the terms
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

} // namespace givqr

#endif
