/* givfwd: the MEX gateway of y = givfwd (Qbar, x), y = Q'*x
 *
 * Inputs   Qbar   m-by-6 real full double, m >= 1, as made by givfact for
 *                 n = m+2: row i holds the weight, carry and stencil rotations
 *                 (c, s) of column i, on rows (i, n+i), (i, i+1), (i, i+2)
 *          x      (2n-2)-by-1 real full double; rows 0..n-1 stand for the
 *                 stencil rows of A = [D'; sigma*I], rows n.. for its sigma rows
 * Output   y      (2n-2)-by-1 full double, Q'*x; x is not written
 */
#include "apply_mex.h"
#include "mexexport.h"

extern "C" MEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    givqr::apply_mex(givqr::givfwd_command, nlhs, plhs, nrhs, prhs);
}
