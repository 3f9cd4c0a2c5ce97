/* givsmooth: the Octave gateway of [z, info] = givsmooth (y, sigma, name, value, ...)
 *
 * The checks, messages and kernels of the MEX gateway (mex/givsmooth_mex.cpp,
 * where the storage of z and info is laid out), with the outputs built in
 * Octave's own arrays, neither zeroed nor copied.  y and the weights (and
 * the sample times) are read as doubles (converted from their class where
 * not double); the series are spread over the threads the process may run
 * on, and every kernel runs in parts, with Octave's interrupt checked
 * between them by the calling thread.
 */
#include <octave/oct.h>

#include <vector>

#include "smooth_oct.h"
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
    smooth_args g;
    if (const failure *f = givsmooth_check(nargout, nrhs, a.data(), &c, &g)) fail("givsmooth", *f, g.detail);

    const NDArray y = args(0).array_value();
    const NDArray w = g.weights ? args(g.weights).array_value() : NDArray();
    const NDArray t = g.times ? args(g.times).array_value() : NDArray();
    const double *tp = g.times ? t.data() : nullptr;
    if (const failure *f = givsmooth_data_check(&c, &g, y.data(), g.weights ? w.data() : nullptr, tp))
        fail("givsmooth", *f, g.detail);
    const idx n = c.n, k = c.k, rows = g.row ? 1 : n, cols = g.row ? n : k;
    smooth_outputs o("givsmooth", c, rows, cols, nargout > 1);
    smooth_out &out = o.out;
    const int threads = process_threads();
    switch (givsmooth(c, y.data(), g.weights ? w.data() : nullptr, tp, out, threads, interrupt_point)) {
    case short_of_memory:
        out_of_memory("givsmooth", "its work needs up to", smooth_work_bytes(c, g, y.data(), threads));
    case times_too_close: fail("givsmooth", failures[givsmooth_samplePointsScale]);
    case smoothed: break;
    }
    warnings("givsmooth", c, out);
    if (!out.info) return ovl(o.z);
    return ovl(o.z, o.info());
}
