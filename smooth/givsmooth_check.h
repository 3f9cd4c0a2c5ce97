/* givsmooth_check.h: the arguments of [z, info] = givsmooth (y, sigma, name, value, ...) and of givspline */
#ifndef GIVQR_GIVSMOOTH_CHECK_H
#define GIVQR_GIVSMOOTH_CHECK_H

#include "arg.h"
#include "messages.h"

namespace givqr {

/* The criteria that choose sigma. */
enum { gcv = 0, loocv = 1, reml = 2 };

/* What a call asks the kernels for.  sigma, where given (as itself,
 * 'Lambda' or 'Period'): lambda = 1/sigma^2; else chosen for each series by
 * the criterion, or for the edf. */
struct smooth_call {
    idx n = 0;              /* points of each series */
    idx k = 0;              /* series: the columns of y, or 1 for a row */
    bool automatic = true;  /* choose sigma */
    double sigma = 0.0;
    int criterion = gcv;    /* how: gcv, loocv or reml */
    bool onesided = false;
    bool shared = true;     /* one column of weights for every series */
    bool robust = false;
    int d = 2;              /* the order of the differences */
    double edf = 0.0;       /* 'EDF', where given: sigma such that edf is this */
    bool spline = false;    /* the cubic smoothing spline at the sample times (spline.h), d = 2 */
};

/* Where a gateway finds the rest of the call: y a row (the outputs are
 * rows), the arguments that hold 'Weights' and 'SamplePoints' (0: none),
 * and 'Period', which gives sigma once t and d are known. */
struct smooth_args {
    bool row = false;
    int weights = 0;
    int times = 0;
    double period = 0.0;
    int points = 0;         /* givspline's xx (0: none, the pp asked for) */
    char detail[64] = "";   /* what a failure's message names (messages.h) */
};

/* The warnings the gateways give (their texts: edf_warning and
 * unobserved_warning, givsmooth.h), under givqr:<command>:<key>: where an
 * 'EDF' is not met, and where columns of a matrix cannot be smoothed. */
#define GIVQR_EDF_MISSED_KEY "edfNotReached"
#define GIVQR_UNOBSERVED_KEY "unobserved"

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1] (described
 * with their text).  Returns the failure, or nullptr and then the call. */
const failure *givsmooth_check(int nlhs, int nrhs, const arg *a, smooth_call *c, smooth_args *g);

/* Checks a call of pp = givspline (x, y, lambda, xx, name, value, ...) as
 * givsmooth_check does: x is the sample times, d = 2, lambda 1/sigma^2. */
const failure *givspline_check(int nlhs, int nrhs, const arg *a, smooth_call *c, smooth_args *g);

/* Checks the data of a call c: the sample times t (n, where given) are
 * finite and non-decreasing, the weights w (n or n*k, where given) finite
 * and not negative, and a single series y has at least d distinct times
 * with weight, more than d where sigma is chosen, NaN in y counting as
 * missing (in a matrix, a column with fewer comes out NaN); that an 'EDF'
 * lies between d and the times with weight of each series; and sets sigma
 * from a 'Period' (with the mean spacing of the distinct times).  Returns
 * the failure (its detail in g), or nullptr. */
const failure *givsmooth_data_check(smooth_call *c, smooth_args *g, const double *y, const double *w,
                                    const double *t);

/* The distinct times of n sample times t (null: 1:n, n of them), and of
 * those the times at which the series y has a point with weight (w its
 * weights, or null: 1). */
idx distinct_times(idx n, const double *t);
idx observed_times(idx n, const double *y, const double *w, const double *t);

} // namespace givqr

#endif
