/* apply_mex: check, create y, replay the table: the body of both gateways */
#include "apply_mex.h"
#include "mexglue.h"
#include "pages.h"

namespace givqr {

void apply_mex(const command &c, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    arg a[2];
    describe(nrhs, prhs, a);
    idx n;
    if (const failure *f = apply_check(c, nlhs, nrhs, a, &n)) fail(c.name, *f);

    plhs[0] = new_matrix(length(n), 1);

    huge_pages(mxGetPr(plhs[0]), length(n) * sizeof(double));
    double carry[2];
    c.p(n, mxGetPr(prhs[0]), mxGetPr(prhs[1]), mxGetPr(plhs[0]), 0, order(n), carry);
}

} // namespace givqr
