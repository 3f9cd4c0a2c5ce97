/* givfact: the MEX gateway of [Qbar, R] = givfact (n, sigma)
 *
 *   [Qbar, R] = givfact (n, sigma) factors the (2n-2)-by-(n-2) matrix
 *   A = [D'; sigma*I], D the second difference matrix, as Q'*A = [R; 0].
 *
 * Inputs   n       real scalar >= 3, any numeric or logical class; truncated
 *                  toward zero (4.7 is 4)
 *          sigma   real scalar, any numeric or logical class
 * Outputs  Qbar    (n-2)-by-6 full double, column-major, m = n-2.  Row i holds
 *                  the three rotations (c, s) of column i:
 *                      Qbar(i,0:1)  weight,  rows (i, n+i)
 *                      Qbar(i,2:3)  carry,   rows (i, i+1)
 *                      Qbar(i,4:5)  stencil, rows (i, i+2)
 *          R       m-by-m sparse double, upper triangular, nonzero on the
 *                  diagonal and two superdiagonals: nzmax = 3n-9 (1 if n = 3),
 *                  jc = (0, 1, 3, 6, ..., nzmax), ir = (0, 0,1, 0,1,2, 1,2,3, ...),
 *                  every slot stored even where its value is zero.
 */
#include "mex.h"
#include "mexglue.h"
#include "QR.h"
#include "givfact_check.h"
#include "mexexport.h"
#include "pages.h"

extern "C" MEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    using namespace givqr;
    arg a[2];
    describe(nrhs, prhs, a);
    idx n;
    double sigma;
    if (const failure *f = givfact_check(nlhs, nrhs, a, &n, &sigma)) fail("givfact", *f);

    const idx m = order(n);
    plhs[0] = new_matrix(m, 6);
    plhs[1] = mxCreateSparse(m, m, R_nz(n), mxREAL);

    huge_pages(mxGetPr(plhs[0]), 6 * m * sizeof(double));
    huge_pages(mxGetPr(plhs[1]), R_nz(n) * sizeof(double));
    huge_pages(mxGetIr(plhs[1]), R_nz(n) * sizeof(mwIndex));
    QR_pattern(n, mxGetIr(plhs[1]), mxGetJc(plhs[1]));
    QR(n, sigma, mxGetPr(plhs[0]), mxGetPr(plhs[1]));
}
