/* givfact: the Octave gateway of [Qbar, R] = givfact (n, sigma)
 *
 * The same checks, messages and kernels as the MEX gateway (givfact_mex.cpp,
 * where the storage of Qbar and R is laid out), with the outputs built in
 * Octave's own arrays, neither zeroed nor copied: Qbar an (n-2)-by-6 double
 * matrix, R an (n-2)-by-(n-2) SparseMatrix with nzmax = 3n-9 (1 if n = 3).
 */
#include <octave/oct.h>

#include "octarg.h"
#include "octalloc.h"
#include "QR.h"
#include "givfact.h"
#include "givfact_help.h"       /* made from givfact.m, the one text of the help */

DEFUN_DLD(givfact, args, nargout, givfact_help)
{
    using namespace givqr;
    arg a[2];
    describe(args, a);
    idx n;
    double sigma;
    if (const char *msg = givfact_check(nargout, args.length(), a, &n, &sigma))
        error("givfact: %s", msg);

    const idx m = order(n);
    NDArray Qbar = uninit_matrix(m, 6);
    SparseMatrix R = uninit_sparse(m, m, nzmax(n));

    QR_pattern(n, R.ridx(), R.cidx());
    QR(n, sigma, Qbar.fortran_vec(), R.data());
    return ovl(Qbar, R);
}
