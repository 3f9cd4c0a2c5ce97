/* givfact: the Octave gateway of [Qbar, R] = givfact (n, sigma)
 *
 * The same checks, messages and kernels as the MEX gateway (givfact_mex.cpp,
 * where the storage of Qbar and R is laid out), with the outputs built in
 * Octave's own arrays, neither zeroed nor copied: Qbar an (n-2)-by-6 double
 * matrix, R an (n-2)-by-(n-2) SparseMatrix with nzmax = 3n-9 (1 if n = 3).
 * The sweep runs in parts, with Octave's interrupt checked between them.
 */
#include <octave/oct.h>

#include <algorithm>
#include <new>

#include "octglue.h"
#include "octalloc.h"
#include "QR.h"
#include "givfact_check.h"
#include "givfact_help.h"       /* made from givfact.m, the one text of the help */

DEFUN_DLD(givfact, args, nargout, givfact_help)
{
    using namespace givqr;
    arg a[2];
    describe(args, a, 2);
    idx n;
    double sigma;
    if (const failure *f = givfact_check(nargout, args.length(), a, &n, &sigma)) fail("givfact", *f);

    const idx m = order(n);
    NDArray Qbar;
    SparseMatrix R;
    try {
        Qbar = uninit_matrix(m, 6);
        R = uninit_sparse(m, m, R_nz(n));
    } catch (const std::bad_alloc &) {
        out_of_memory("givfact", "Qbar and R need", givfact_bytes(n));
    }

    double *Q = Qbar.fortran_vec(), *pr = R.data();
    sweep_state state;
    octave_idx_type *ir = R.ridx(), *jc = R.cidx();
    for (idx i0 = 0; i0 < m; i0 += part_steps) {
        const idx i1 = std::min(m, i0 + part_steps);
        QR_pattern(n, ir, jc, i0, i1);
        QR_part(n, sigma, Q, pr, i0, i1, &state);
        octave_quit();
    }
    return ovl(Qbar, R);
}
