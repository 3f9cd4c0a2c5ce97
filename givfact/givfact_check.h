/* givfact_check.h: the arguments of [Qbar, R] = givfact (n, sigma) */
#ifndef GIVQR_GIVFACT_CHECK_H
#define GIVQR_GIVFACT_CHECK_H

#include "arg.h"
#include "layout.h"
#include "messages.h"

namespace givqr {

/* Checks a call with nlhs outputs and nrhs inputs a[0..nrhs-1].  Returns the
 * failure, or nullptr and then n (truncated toward zero) and sigma. */
const failure *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma);

/* The bytes of the outputs Qbar and R for n, counted as doubles (no overflow). */
double givfact_bytes(idx n);

} // namespace givqr

#endif
