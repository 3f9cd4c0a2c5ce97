/* apply_mex.h: the gateway shared by givfwd and givinv */
#ifndef GIVQR_APPLY_MEX_H
#define GIVQR_APPLY_MEX_H

#include "mex.h"
#include "apply.h"

namespace givqr {

typedef void kernel(idx n, const double *Qbar, const double *x, double *y);

/* Check, create y, call the kernel; nargin and nargout are the command's
 * messages about the counts. */
void apply_mex(kernel *f, const char *nargin, const char *nargout,
               int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

} // namespace givqr

#endif
