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
    int criterion;      /* how: gcv, loocv or reml (below) */
    bool onesided;
    int weights;        /* the argument that holds 'Weights', or 0 */
    bool shared;        /* one column of weights for every series */
    bool robust;
    int d = 2;          /* the order of the differences */
    int times = 0;      /* the argument that holds 'SamplePoints', or 0 */
    double period = 0;  /* 'Period', where given (sigma from it with t and d) */
    double edf = 0;     /* 'EDF', where given: sigma such that edf is this */
};

/* The warning the gateways give where rounding keeps an 'EDF' from being
 * met, for the first such series: its identifier, and its text for the edf
 * asked, the series (from 1, as a long) and the edf reached. */
#define GIVQR_EDF_MISSED_ID "givqr:givsmooth:edfNotReached"
#define GIVQR_EDF_MISSED                                                                                          \
    "givsmooth: EDF %.17g is not reached to a relative 1e-8 for series %ld: the nearest edf rounding allows is " \
    "%.17g."

/* The criteria that choose sigma. */
enum { gcv = 0, loocv = 1, reml = 2 };

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1] (described
 * with their text).  Returns the failure, or nullptr and then the call. */
const failure *givsmooth_check(int nlhs, int nrhs, const arg *a, smooth_call *c);

/* Checks the data of a call c: the sample times t (n, where given) are
 * finite and strictly increasing, the weights w (n or n*k, where given)
 * finite and not negative, and each series of y (n*k) has at least d points
 * with weight, more than d where sigma is chosen, NaN in y counting as
 * missing; that an 'EDF' lies between d and the points with weight of each
 * series; and sets sigma from a 'Period' (with t's mean spacing).  Returns
 * the failure, or nullptr. */
const failure *givsmooth_data_check(smooth_call *c, const double *y, const double *w, const double *t);

} // namespace givqr

#endif
