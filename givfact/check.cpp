/* givfact_check: the arguments of [Qbar, R] = givfact (n, sigma) */
#include "givfact.h"

namespace givqr {

const failure *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma)
{
    static const failure nargin = {"nargin", "givfact requires two input arguments."};
    static const failure nargout = {"nargout", "givfact requires two output arguments."};
    static const failure n_scalar = {"nScalar", "n must be a scalar greater or equal 3."};
    static const failure n_real = {"nReal", "n must be a real number."};
    static const failure n_large = {"nTooLarge", "n is too large for this platform."};
    static const failure sigma_scalar = {"sigmaScalar", "sigma must be a scalar."};
    static const failure sigma_real = {"sigmaReal", "sigma must be a real number."};
    if (nrhs != 2) return &nargin;
    if (nlhs != 2) return &nargout;
    const arg &N = a[0], &S = a[1];
    if (N.m != 1 || N.n != 1) return &n_scalar;
    if (!N.real) return &n_real;
    if (!(N.value >= 3.0)) return &n_scalar;            /* NaN too */
    if (!(N.value < nlimit)) return &n_large;           /* +Inf too */
    if (S.m != 1 || S.n != 1) return &sigma_scalar;
    if (!S.real) return &sigma_real;
    *n = static_cast<idx>(N.value);
    *sigma = S.value;
    return nullptr;
}

double givfact_bytes(idx n)
{
    const double m = static_cast<double>(order(n)), nz = static_cast<double>(nzmax(n));
    return 8 * (6 * m) + 8 * nz + 8 * nz + 8 * (m + 1);    /* Qbar; R's values, rows, column starts */
}

} // namespace givqr
