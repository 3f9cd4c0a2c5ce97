/* givsmooth: the Octave gateway of [z, info] = givsmooth (y, sigma, name, value, ...)
 *
 * The checks, messages and kernels of the MEX gateway (givsmooth_mex.cpp,
 * where the storage of z and info is laid out), with the outputs built in
 * Octave's own arrays, neither zeroed nor copied.  y and the weights are
 * (and the sample times) read as doubles (converted from their class where
 * not double); the series are spread
 * over the threads the process may run on, and every kernel runs in parts,
 * with Octave's interrupt checked between them by the calling thread.
 */
#include <octave/oct.h>

#include <cmath>
#include <new>
#include <vector>

#include "octglue.h"
#include "octalloc.h"
#include "givsmooth.h"
#include "givsmooth_help.h"     /* made from givsmooth.m, the one text of the help */

namespace {

void interrupt_point()
{
    octave_quit();
}

} // namespace

DEFUN_DLD(givsmooth, args, nargout, givsmooth_help)
{
    using namespace givqr;
    const int nrhs = args.length();
    std::vector<arg> a(nrhs > 0 ? nrhs : 1);
    describe(args, a.data(), nrhs);
    smooth_call c;
    if (const failure *f = givsmooth_check(nargout, nrhs, a.data(), &c)) fail("givsmooth", *f);

    const NDArray y = args(0).array_value();
    const NDArray w = c.weights ? args(c.weights).array_value() : NDArray();
    const NDArray t = c.times ? args(c.times).array_value() : NDArray();
    const double *tp = c.times ? t.data() : nullptr;
    if (const failure *f = givsmooth_data_check(&c, y.data(), c.weights ? w.data() : nullptr, tp))
        fail("givsmooth", *f);
    const idx n = c.n, k = c.k, rows = c.row ? 1 : n, cols = c.row ? n : k;
    const bool info = nargout > 1, robust = info && c.robust;
    NDArray z, sigma, lambda, edf, gcv, loocv, reml, leverage, stderror, weights, iterations;
    std::vector<double> reached;
    try {
        if (c.edf > 0.0) reached.resize(k);
        z = uninit_matrix(rows, cols);
        if (info) {
            sigma = uninit_matrix(1, k);
            lambda = uninit_matrix(1, k);
            edf = uninit_matrix(1, k);
            gcv = uninit_matrix(1, k);
            loocv = uninit_matrix(1, k);
            reml = uninit_matrix(1, k);
            leverage = uninit_matrix(rows, cols);
            stderror = uninit_matrix(rows, cols);
        }
        if (robust) {
            weights = uninit_matrix(rows, cols);
            iterations = uninit_matrix(1, k);
        }
    } catch (const std::bad_alloc &) {
        out_of_memory("givsmooth", "its outputs need", 8.0 * double(n) * double(k) * (info ? 3 + robust : 1));
    }
    smooth_out out = {z.fortran_vec(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    out.reached = c.edf > 0.0 ? reached.data() : nullptr;
    if (info) {
        out.sigma = sigma.fortran_vec();
        out.lambda = lambda.fortran_vec();
        out.edf = edf.fortran_vec();
        out.gcv = gcv.fortran_vec();
        out.loocv = loocv.fortran_vec();
        out.reml = reml.fortran_vec();
        out.leverage = leverage.fortran_vec();
        out.stderror = stderror.fortran_vec();
    }
    if (robust) {
        out.weights = weights.fortran_vec();
        out.iterations = iterations.fortran_vec();
    }
    const int threads = process_threads();
    const bool weighted = c.weights || c.robust || y.any_element_is_nan();
    if (!givsmooth(c, y.data(), c.weights ? w.data() : nullptr, tp, out, threads, interrupt_point))
        out_of_memory("givsmooth", "its work needs up to", smooth_work_bytes(n, threads, weighted, c.d, tp));
    for (idx j = 0; j < idx(reached.size()); j++)
        if (!std::isnan(reached[j])) {
            warning_with_id(GIVQR_EDF_MISSED_ID, GIVQR_EDF_MISSED, c.edf, long(j + 1), reached[j]);
            break;
        }
    if (!info) return ovl(z);
    octave_scalar_map s;
    s.assign("sigma", sigma);
    s.assign("lambda", lambda);
    s.assign("edf", edf);
    s.assign("gcv", gcv);
    s.assign("loocv", loocv);
    s.assign("reml", reml);
    s.assign("leverage", leverage);
    s.assign("stderr", stderror);
    if (robust) {
        s.assign("weights", weights);
        s.assign("iterations", iterations);
    }
    return ovl(z, s);
}
