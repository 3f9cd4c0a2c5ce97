/* weights.h: a weighted series as the kernels take it */
#ifndef GIVQR_WEIGHTS_H
#define GIVQR_WEIGHTS_H

#include "memory.h"

#include <vector>

namespace givqr {

/* A point without weight (missing) has rho = missing_scale: its stencil row
 * becomes, to double precision, the constraint (D'*v)(i) = 0 it is in the
 * limit (its weight 2^-512 moves nothing by as much as a rounding), and the
 * rotations eliminate with it as Gaussian elimination would.  Its factor
 * 2^missing_log2 in R is taken out of log |det R| again. */
constexpr int missing_log2 = 256;
constexpr double missing_scale = 0x1p256;      /* 2^missing_log2 */

/* z = rho.*x carries x's rounding, about eps*|b|, times rho(i): so at the
 * points whose weight is 0 or below this share of the greatest, z is not
 * taken from x but filled afterwards from the others (smooth_fill). */
constexpr double weak_share = 0x1p-16;

/* A weighted series, its weights brought to unit scale by an exact power
 * of 4: w (the weights times 4^-a, 0 where y is NaN), rho = w.^(-1/2)
 * (missing_scale*2^a where w is 0, the same constraint at the same scale)
 * and b = sqrt(w).*y (0 there), n each in store; the step from which rho
 * no longer changes; the points smooth_fill gives z, with its work and
 * ends; the points with weight; and a, chosen so that the mean weight over
 * those lies in [1, 4): so w*4^k gives the same w, rho and b, bit for bit. */
struct weights {
    memory store;
    double *w = nullptr, *rho = nullptr, *b = nullptr;
    std::vector<double> work;
    std::vector<idx> weak, ends;
    idx steady = 0, observed = 0;
    int a = 0;
};

/* Sets g for the series y of n points with weights w times v (either null:
 * all 1), for differences of order d. */
void weigh(idx n, int d, const double *y, const double *w, const double *v, weights &g);

/* The power of 2 that brings a series y (n points, weights w, or null) to
 * unit scale: c with max |y| over the points with weight in [2^c, 2^(c+1))
 * (0 where that is 0 or not finite). */
int value_scale(idx n, const double *y, const double *w);

} // namespace givqr

#endif
