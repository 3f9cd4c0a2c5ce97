/* givinv: the MEX gateway of y = givinv (Qbar, x), y = Q*x
 *
 * Inputs   Qbar   m-by-6 real full double, m >= 1, as made by givfact for
 *                 n = m+2 (layout as for givfwd)
 *          x      (2n-2)-by-1 real full double
 * Output   y      (2n-2)-by-1 full double, Q*x; x is not written.
 *                 givinv (Qbar, givfwd (Qbar, x)) is x to rounding.
 */
#include "apply_mex.h"
#include "mexexport.h"

extern "C" MEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    givqr::apply_mex(givqr::givinv_command, nlhs, plhs, nrhs, prhs);
}
