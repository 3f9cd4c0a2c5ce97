/* apply_mex.h: the gateway shared by givfwd and givinv */
#ifndef GIVQR_APPLY_MEX_H
#define GIVQR_APPLY_MEX_H

#include "mex.h"
#include "apply_check.h"

namespace givqr {

/* Check, create y, call the command's kernel. */
void apply_mex(const command &c, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

} // namespace givqr

#endif
