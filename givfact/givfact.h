/* givfact.h: the argument checks of [Qbar, R] = givfact (n, sigma) */
#ifndef GIVQR_GIVFACT_H
#define GIVQR_GIVFACT_H

#include "arg.h"

namespace givqr {

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1].  Returns the
 * error message, or nullptr and then n (truncated toward zero) and sigma. */
const char *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma);

} // namespace givqr

#endif
