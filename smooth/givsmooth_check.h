/* givsmooth_check.h: the arguments of [z, info] = givsmooth (y, sigma, name, value, ...) */
#ifndef GIVQR_GIVSMOOTH_CHECK_H
#define GIVQR_GIVSMOOTH_CHECK_H

#include "arg.h"
#include "messages.h"

namespace givqr {

/* What a call asks for.  sigma, where given (as itself, 'Lambda' or 'Period'):
 * lambda = 1/sigma^2; else chosen for each series by the criterion. */
struct smooth_call {
    idx n;              /* points of each series */
    idx k;              /* series: the columns of y, or 1 for a row */
    bool row;           /* y is a row: the outputs are rows */
    bool automatic;     /* choose sigma */
    double sigma;
    bool loocv;         /* the criterion: leave-one-out, else generalized cross-validation */
    bool onesided;
};

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1] (described
 * with their text).  Returns the failure, or nullptr and then the call. */
const failure *givsmooth_check(int nlhs, int nrhs, const arg *a, smooth_call *c);

} // namespace givqr

#endif
