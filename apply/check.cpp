/* apply_check: the arguments of y = givfwd (Qbar, x) and y = givinv (Qbar, x) */
#include "apply.h"

namespace givqr {

const command givfwd_command = {"givfwd", givfwd, "givfwd requires two input arguments.",
                                "givfwd requires one output argument."};
const command givinv_command = {"givinv", givinv, "givinv requires two input arguments.",
                                "givinv requires one output argument."};

const char *apply_check(const command &c, int nlhs, int nrhs, const arg *a, idx *n)
{
    if (nrhs != 2) return c.nargin;
    if (nlhs != 1) return c.nargout;
    const arg &Q = a[0], &x = a[1];
    if (Q.m < 1 || Q.n != 6) return "Qbar must be a (n-2)-by-6 matrix, with n >= 3.";
    if (!Q.full_double) return "Qbar must be a real, full double matrix.";
    const idx nn = Q.m + 2;
    if (x.m != length(nn) || x.n != 1) return "x must be a vector of size 2*n - 2, with n >= 3.";
    if (!x.full_double) return "x must be a real, full double vector.";
    *n = nn;
    return nullptr;
}

} // namespace givqr
