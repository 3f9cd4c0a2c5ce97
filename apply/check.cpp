/* apply_check: the arguments of y = givfwd (Qbar, x) and y = givinv (Qbar, x) */
#include "apply.h"

namespace givqr {

const command givfwd_command = {"givfwd", givfwd_part,
                                {"nargin", "givfwd requires two input arguments."},
                                {"nargout", "givfwd requires one output argument."}};
const command givinv_command = {"givinv", givinv_part,
                                {"nargin", "givinv requires two input arguments."},
                                {"nargout", "givinv requires one output argument."}};

const failure *apply_check(const command &c, int nlhs, int nrhs, const arg *a, idx *n)
{
    static const failure Q_size = {"QbarSize", "Qbar must be a (n-2)-by-6 matrix, with n >= 3."};
    static const failure Q_class = {"QbarClass", "Qbar must be a real, full double matrix."};
    static const failure x_size = {"xSize", "x must be a vector of size 2*n - 2, with n >= 3."};
    static const failure x_class = {"xClass", "x must be a real, full double vector."};
    if (nrhs != 2) return &c.nargin;
    if (nlhs != 1) return &c.nargout;
    const arg &Q = a[0], &x = a[1];
    if (Q.m < 1 || Q.n != 6) return &Q_size;
    if (!Q.full_double) return &Q_class;
    const idx nn = Q.m + 2;
    if (x.m != length(nn) || x.n != 1) return &x_size;
    if (!x.full_double) return &x_class;
    *n = nn;
    return nullptr;
}

} // namespace givqr
