/* mexarg.h: describe a MEX input for the argument checks */
#ifndef GIVQR_MEXARG_H
#define GIVQR_MEXARG_H

#include "mex.h"
#include "arg.h"

namespace givqr {

inline arg describe(const mxArray *a)
{
    arg d;
    d.m = static_cast<idx>(mxGetM(a));
    /* columns: dimensions 1.. multiplied, held at PTRDIFF_MAX rather than
     * wrapped, so no empty array can pass for a 6-column table */
    const mwSize nd = mxGetNumberOfDimensions(a);
    const mwSize *dims = mxGetDimensions(a);
    d.n = 1;
    for (mwSize k = 1; k < nd; k++) {
        const idx dk = static_cast<idx>(dims[k]);
        if (dk == 0) { d.n = 0; break; }
        d.n = d.n > PTRDIFF_MAX / dk ? PTRDIFF_MAX : d.n * dk;
    }
    d.real = (mxIsNumeric(a) || mxIsLogical(a)) && !mxIsComplex(a);
    d.full_double = d.real && mxIsDouble(a) && !mxIsSparse(a);
    d.value = d.real && d.m == 1 && d.n == 1 ? mxGetScalar(a) : 0.0;
    return d;
}

} // namespace givqr

#endif
