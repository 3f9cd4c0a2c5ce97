/* apply_check: the arguments of y = givfwd (Qbar, x) and y = givinv (Qbar, x) */
#include "apply_check.h"
#include "replay.h"

namespace givqr {

const command givfwd_command = {"givfwd", givfwd_part, &failures[givfwd_nargin], &failures[givfwd_nargout]};
const command givinv_command = {"givinv", givinv_part, &failures[givinv_nargin], &failures[givinv_nargout]};

const failure *apply_check(const command &c, int nlhs, int nrhs, const arg *a, idx *n)
{
    if (nrhs != 2) return c.nargin;
    if (nlhs != 1) return c.nargout;
    const arg &Q = a[0], &x = a[1];
    if (Q.m < 1 || Q.n != 6) return &failures[apply_QbarSize];
    if (!Q.full_double) return &failures[apply_QbarClass];
    const idx nn = Q.m + 2;
    if (x.m != length(nn) || x.n != 1) return &failures[apply_xSize];
    if (!x.full_double) return &failures[apply_xClass];
    *n = nn;
    return nullptr;
}

} // namespace givqr
