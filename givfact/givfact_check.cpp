/* givfact_check: the arguments of [Qbar, R] = givfact (n, sigma) */
#include "givfact_check.h"

namespace givqr {

const failure *givfact_check(int nlhs, int nrhs, const arg *a, idx *n, double *sigma)
{
    if (nrhs != 2) return &failures[givfact_nargin];
    if (nlhs != 2) return &failures[givfact_nargout];
    const arg &N = a[0], &S = a[1];
    if (N.m != 1 || N.n != 1) return &failures[givfact_nScalar];
    if (!N.real) return &failures[givfact_nReal];
    if (!(N.value >= 3.0)) return &failures[givfact_nScalar];     /* NaN too */
    if (!(N.value < nlimit)) return &failures[givfact_nTooLarge]; /* +Inf too */
    if (S.m != 1 || S.n != 1) return &failures[givfact_sigmaScalar];
    if (!S.real) return &failures[givfact_sigmaReal];
    *n = static_cast<idx>(N.value);
    *sigma = S.value;
    return nullptr;
}

double givfact_bytes(idx n)
{
    const double m = static_cast<double>(order(n)), nz = static_cast<double>(R_nz(n));
    return 8 * (6 * m) + 8 * nz + 8 * nz + 8 * (m + 1);    /* Qbar; R's values, rows, column starts */
}

} // namespace givqr
