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
    smooth_args g;
    if (const failure *f = givsmooth_check(nargout, nrhs, a.data(), &c, &g)) fail("givsmooth", *f, g.detail);

    const NDArray y = args(0).array_value();
    const NDArray w = g.weights ? args(g.weights).array_value() : NDArray();
    const NDArray t = g.times ? args(g.times).array_value() : NDArray();
    const double *tp = g.times ? t.data() : nullptr;
    if (const failure *f = givsmooth_data_check(&c, &g, y.data(), g.weights ? w.data() : nullptr, tp))
        fail("givsmooth", *f, g.detail);
    const idx n = c.n, k = c.k, rows = g.row ? 1 : n, cols = g.row ? n : k;
    const bool info = nargout > 1;
    const int fields = !info ? 0 : c.robust ? robust_info_count : info_count;
    NDArray z, field[robust_info_count];
    std::vector<edf_miss> missed;
    std::vector<unsigned char> unobserved;
    try {
        if (c.edf > 0.0) missed.resize(k);
        unobserved.assign(k, 0);
        z = uninit_matrix(rows, cols);
        for (int f = 0; f < fields; f++)
            field[f] = info_fields[f].per_point ? uninit_matrix(rows, cols) : uninit_matrix(1, k);
    } catch (const std::bad_alloc &) {
        out_of_memory("givsmooth", "its outputs need", 8.0 * double(n) * double(k) * (info ? 3 + c.robust : 1));
    }
    smooth_out out = {z.fortran_vec()};
    out.info = info;
    out.missed = c.edf > 0.0 ? missed.data() : nullptr;
    out.unobserved = unobserved.data();
    for (int f = 0; f < fields; f++) out.*(info_fields[f].to) = field[f].fortran_vec();
    const int threads = process_threads();
    switch (givsmooth(c, y.data(), g.weights ? w.data() : nullptr, tp, out, threads, interrupt_point)) {
    case short_of_memory:
        out_of_memory("givsmooth", "its work needs up to", smooth_work_bytes(c, g, y.data(), threads));
    case times_too_close: fail("givsmooth", failures[givsmooth_samplePointsScale]);
    case smoothed: break;
    }
    if (const idx j = edf_missed(out, k); j >= 0)
        warning_with_id(GIVQR_EDF_MISSED_ID, "givsmooth: " GIVQR_EDF_MISSED, c.edf, long(j + 1),
                        missed[j].beyond ? GIVQR_EDF_BEYOND : GIVQR_EDF_ROUNDING, missed[j].edf);
    char text[512];
    if (unobserved_warning(out, k, text, sizeof text)) warning_with_id(GIVQR_UNOBSERVED_ID, "givsmooth: %s", text);
    if (!info) return ovl(z);
    octave_scalar_map s;
    for (int f = 0; f < fields; f++) s.assign(info_fields[f].name, field[f]);
    return ovl(z, s);
}
