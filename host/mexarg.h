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
    const mwSize *dims = mxGetDimensions(a);
    d.n = columns(static_cast<int>(mxGetNumberOfDimensions(a)),
                  [dims](int k) { return static_cast<idx>(dims[k]); });
    d.real = (mxIsNumeric(a) || mxIsLogical(a)) && !mxIsComplex(a);
    d.full_double = d.real && mxIsDouble(a) && !mxIsSparse(a);
    d.value = d.real && d.m == 1 && d.n == 1 ? mxGetScalar(a) : 0.0;
    return d;
}

/* Describes the first (at most) two of nrhs inputs. */
inline void describe(int nrhs, const mxArray *prhs[], arg a[2])
{
    for (int k = 0; k < nrhs && k < 2; k++) a[k] = describe(prhs[k]);
}

} // namespace givqr

#endif
