/* givfact.h: the argument checks of [Qbar, R] = givfact (n, sigma) */
#ifndef GIVQR_GIVFACT_H
#define GIVQR_GIVFACT_H

#include "arg.h"

namespace givqr {

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1].  Returns the
 * failure, or nullptr and then n (truncated toward zero) and sigma. */
const failure *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma);

/* The bytes of the outputs Qbar and R for n, counted as doubles (no overflow). */
double givfact_bytes(idx n);

} // namespace givqr

#endif
