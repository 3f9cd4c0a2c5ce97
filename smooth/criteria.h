/* criteria.h: generalized cross-validation, leave-one-out and the restricted likelihood from a series' sums */
#ifndef GIVQR_CRITERIA_H
#define GIVQR_CRITERIA_H

#include "elementary.h"
#include "givsmooth_check.h"
#include "sums.h"

#include <cmath>

namespace givqr {

/*
 * For a series of n_o points with weight and differences of order d, from
 * its sums f (sums.h):
 *
 *      gcv    n_o*rss/(n_o - edf)^2
 *      loocv  sum(w.*((y - z)./(1 - h)).^2)/n_o
 *      reml   (n_o - d)*log(|c1|^2/(n_o - d)) + 2*log |det R|
 *
 * (reml is -2 times the restricted log-likelihood up to a constant of t and
 * d alone; NaN where log |det R| is).
 */
inline double criterion_of(int c, const sums &f, double no, int d)
{
    const double dof = no - double(d);
    if (c == loocv) return f.loo / no;
    if (c == reml) return std::isnan(f.logdet) ? f.logdet : dof * log_of(f.squares / dof) + 2.0 * f.logdet;
    return no * f.rss / (f.rest * f.rest);
}

/*
 * A lower bound of criterion c over the lambdas between two points a and
 * b (a's lambda below b's), from their sums: as lambda grows, sum(w.*(y -
 * z).^2), and with it |c1|^2, grows, and edf and log |det R| fall (d log
 * |det R|/d log lambda = (d - edf)/2), so that n_o - edf <= n_o - edf(b),
 * rss >= rss(a), and leave-one-out, whose terms are r.^2./(1 - h).^2, is at
 * least rss/n_o.  b null: up to the range's end, where edf >= d and log
 * |det R| is top.
 */
inline double criterion_bound(int c, const sums &a, const sums *b, double top, double no, int d)
{
    const double dof = no - double(d);
    if (c == loocv) return a.rss / no;
    if (c == gcv) {
        const double rest = b ? no - b->edf : dof;
        return no * a.rss / (rest * rest);
    }
    return dof * log_of(a.squares / dof) + 2.0 * (b ? b->logdet : top);
}

} // namespace givqr

#endif
