/* givfact_check: the arguments of [Qbar, R] = givfact (n, sigma) */
#include "givfact.h"

namespace givqr {

const char *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma)
{
    static const char n_msg[] = "n must be a scalar greater or equal 3.";
    if (nrhs != 2) return "givfact requires two input arguments.";
    if (nlhs != 2) return "givfact requires two output arguments.";
    const arg &N = a[0], &S = a[1];
    if (N.m != 1 || N.n != 1) return n_msg;
    if (!N.real) return "n must be a real number.";
    if (!(N.value >= 3.0)) return n_msg;                 /* NaN too */
    if (!(N.value < nlimit)) return "n is too large for this platform.";   /* +Inf too */
    if (S.m != 1 || S.n != 1) return "sigma must be a scalar.";
    if (!S.real) return "sigma must be a real number.";
    *n = static_cast<idx>(N.value);
    *sigma = S.value;
    return nullptr;
}

} // namespace givqr
