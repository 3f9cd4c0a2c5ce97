/* givspline: the Octave gateway of [pp, info] = givspline (x, y, lambda, xx, name, value, ...)
 *
 * The checks, messages and kernels of the MEX gateway (mex/givspline_mex.cpp,
 * where the storage of pp, yy and info is laid out), with the outputs built
 * in Octave's own arrays.  x, y, the weights and xx are read as doubles;
 * the series are spread over the threads the process may run on, with
 * Octave's interrupt checked between the kernels' parts.
 */
#include <octave/oct.h>

#include <algorithm>
#include <new>
#include <vector>

#include "smooth_oct.h"
#include "givspline.h"
#include "givspline_help.h"     /* made from givspline.m, the one text of the help */

namespace {

void interrupt_point()
{
    octave_quit();
}

} // namespace

DEFUN_DLD(givspline, args, nargout, givspline_help)
{
    using namespace givqr;
    const int nrhs = args.length();
    std::vector<arg> a(nrhs > 0 ? nrhs : 1);
    describe(args, a.data(), nrhs);
    smooth_call c;
    smooth_args g;
    if (const failure *f = givspline_check(nargout, nrhs, a.data(), &c, &g)) fail("givspline", *f, g.detail);

    const NDArray x = args(0).array_value(), y = args(1).array_value();
    const NDArray w = g.weights ? args(g.weights).array_value() : NDArray();
    const NDArray xx = g.points ? args(g.points).array_value() : NDArray();
    const double *wp = g.weights ? w.data() : nullptr;
    if (const failure *f = givsmooth_data_check(&c, &g, y.data(), wp, x.data())) fail("givspline", *f, g.detail);
    const idx n = c.n, k = c.k, rows = g.row ? 1 : n, cols = g.row ? n : k;
    smooth_outputs o("givspline", c, rows, cols, nargout > 1);
    smooth_out &out = o.out;
    const int threads = process_threads();
    switch (givsmooth(c, y.data(), wp, x.data(), out, threads, interrupt_point)) {
    case short_of_memory:
        out_of_memory("givspline", "its work needs up to", smooth_work_bytes(c, g, y.data(), threads));
    case times_too_close: fail("givspline", failures[givspline_xScale]);
    case smoothed: break;
    }
    octave_value first;
    try {
        if (g.points) {
            dim_vector shape = xx.dims();
            const idx nx = xx.numel();
            if (k != 1 && shape.ndims() == 2 && (shape(0) == 1 || shape(1) == 1)) {
                shape = dim_vector(k, nx);
            } else if (k != 1) {
                dim_vector s;
                s.resize(shape.ndims() + 1);
                s(0) = k;
                for (int d = 0; d < shape.ndims(); d++) s(d + 1) = shape(d);
                shape = s;
            }
            NDArray yy(shape);
            spline_at(n, k, x.data(), out.z, nx, xx.data(), yy.fortran_vec());
            first = yy;
        } else {
            std::vector<double> b(n);
            const idx nt = spline_breaks(n, x.data(), b.data());
            NDArray breaks = uninit_matrix(1, nt), coefs = uninit_matrix((nt - 1) * k, 4);
            std::copy(b.begin(), b.begin() + nt, breaks.fortran_vec());
            if (!spline_coefs(n, k, x.data(), out.z, coefs.fortran_vec())) fail("givspline", failures[givspline_xScale]);
            octave_scalar_map pp;
            pp.assign("form", "pp");
            pp.assign("breaks", breaks);
            pp.assign("coefs", coefs);
            pp.assign("pieces", double(nt - 1));
            pp.assign("order", 4.0);
            pp.assign("dim", double(k));
            first = pp;
        }
    } catch (const std::bad_alloc &) {
        out_of_memory("givspline", "its outputs need", 8.0 * double(n) * double(k) * 6.0);
    }
    warnings("givspline", c, out);
    if (!out.info) return ovl(first);
    return ovl(first, o.info());
}
