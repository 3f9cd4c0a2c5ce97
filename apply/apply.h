/* apply.h: y = Q'*x and y = Q*x from the rotation table Qbar */
#ifndef GIVQR_APPLY_H
#define GIVQR_APPLY_H

#include "arg.h"

namespace givqr {

/* y = Q'*x: the 3m rotations of Qbar (m-by-6, from givfact for n) in the order
 * they were made.  x and y have 2n-2 entries and are distinct; x is only read. */
void givfwd(idx n, const double *Qbar, const double *x, double *y);

/* y = Q*x: the inverse rotations (c, -s) in the reverse order. */
void givinv(idx n, const double *Qbar, const double *x, double *y);

/* Checks a call y = cmd (Qbar, x) with nlhs outputs and nrhs inputs
 * a[0..nrhs-1]; nargin and nargout are the command's two messages about the
 * counts.  Returns the error message, or nullptr and then n. */
const char *apply_check(int nlhs, int nrhs, const arg *a, const char *nargin,
                        const char *nargout, idx *n);

} // namespace givqr

#endif
