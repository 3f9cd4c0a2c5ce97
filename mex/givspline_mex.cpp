/* givspline: the MEX gateway of [pp, info] = givspline (x, y, lambda, xx, name, value, ...)
 *
 *   pp = givspline (x, y, lambda) is the cubic smoothing spline f of each
 *   series of y at x: f minimizes sum(w.*(y - f(x)).^2) + lambda*integral
 *   of f''(t)^2; without lambda (or with []), lambda is chosen for each
 *   series by a criterion.  With xx, the values of f there.
 *
 * Inputs   x       real numeric, n-by-1 or 1-by-n, non-decreasing; read as
 *                  doubles
 *          y       n-by-k real numeric or logical, n >= 3: k series over x
 *                  (a 1-by-n row: one series); read as doubles (NaN: a
 *                  missing point)
 *          lambda  real scalar >= 0, or [] (optional)
 *          xx      real numeric, any size (optional, after lambda); read
 *                  as doubles
 *          options name, value pairs as givsmooth's: Criterion, Lambda,
 *                  EDF (in (2, n_o)), Weights, Robust
 * Outputs  pp      1-by-1 struct, mkpp's: form 'pp', breaks (1-by-nt, the
 *                  distinct x), coefs ((nt-1)*k-by-4 full double, the row
 *                  of piece p of series j at (p-1)*k + j), pieces nt-1,
 *                  order 4, dim k
 *      or  yy      full double: size(xx) for one series, else k-by-numel(xx)
 *                  where xx is a vector, k-by-size(xx) otherwise (ppval's)
 *          info    as givsmooth's, its fields per point the size of y
 * Warnings givqr:givspline:edfNotReached, givqr:givspline:unobserved, as
 *          givsmooth's
 */
#include "mex.h"
#include "mexglue.h"
#include "smooth_mex.h"
#include "givspline.h"
#include "mexexport.h"

#include <new>
#include <vector>

extern "C" MEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    using namespace givqr;
    std::vector<arg> a(nrhs > 0 ? nrhs : 1);
    for (int k = 0; k < nrhs; k++) {
        a[k] = describe(prhs[k]);
        describe_text(prhs[k], a[k]);
    }
    smooth_call c;
    smooth_args g;
    if (const failure *f = givspline_check(nlhs, nrhs, a.data(), &c, &g)) fail("givspline", *f, g.detail);

    const idx n = c.n, k = c.k, rows = g.row ? 1 : n, cols = g.row ? n : k;
    const int threads = host_threads();
    std::vector<double> yv, wv, xv, xxv;
    const double *y = nullptr, *w = nullptr, *x = nullptr, *xx = nullptr;
    try {
        x = as_double(prhs[0], xv);
        y = as_double(prhs[1], yv);
        w = g.weights ? as_double(prhs[g.weights], wv) : nullptr;
        xx = g.points ? as_double(prhs[g.points], xxv) : nullptr;
    } catch (const std::bad_alloc &) {
    }
    if (!x || !y || (g.weights && !w) || (g.points && !xx))
        out_of_memory("givspline", "its inputs as doubles need", 8.0 * double(n) * double(k + 3));
    if (const failure *f = givsmooth_data_check(&c, &g, y, w, x)) fail("givspline", *f, g.detail);
    std::vector<edf_miss> missed;
    std::vector<unsigned char> unobserved;
    std::vector<double> z;
    try {
        if (c.edf > 0.0) missed.resize(k);
        unobserved.assign(k, 0);
        z.resize(n * k);
    } catch (const std::bad_alloc &) {
        out_of_memory("givspline", "its work needs", 8.0 * double(n) * double(k + 1));
    }
    smooth_out out = {z.data()};
    out.info = nlhs > 1;
    out.missed = c.edf > 0.0 ? missed.data() : nullptr;
    out.unobserved = unobserved.data();
    mxArray *info = out.info ? new_info(c, rows, cols, out) : nullptr;
    switch (givsmooth(c, y, w, x, out, threads, nullptr)) {
    case short_of_memory:
        out_of_memory("givspline", "its work needs up to", smooth_work_bytes(c, g, y, threads));
        break;
    case times_too_close: fail("givspline", failures[givspline_xScale]); break;
    case smoothed: break;
    }
    try {
        if (g.points) {
            const mwSize nd = mxGetNumberOfDimensions(prhs[g.points]), *dims = mxGetDimensions(prhs[g.points]);
            idx nx = 1;
            for (mwSize d = 0; d < nd; d++) nx *= static_cast<idx>(dims[d]);
            const bool vector = nd == 2 && (dims[0] == 1 || dims[1] == 1);
            std::vector<mwSize> shape(dims, dims + nd);
            if (k != 1 && vector) shape = {mwSize(k), mwSize(nx)};
            else if (k != 1) shape.insert(shape.begin(), mwSize(k));
            plhs[0] = mxCreateNumericArray(mwSize(shape.size()), shape.data(), mxDOUBLE_CLASS, mxREAL);
            spline_at(n, k, x, z.data(), nx, xx, mxGetPr(plhs[0]));
        } else {
            std::vector<double> b(n);
            const idx nt = spline_breaks(n, x, b.data());
            mxArray *breaks = new_matrix(1, nt), *coefs = new_matrix((nt - 1) * k, 4);
            for (idx i = 0; i < nt; i++) mxGetPr(breaks)[i] = b[i];
            if (!spline_coefs(n, k, x, z.data(), mxGetPr(coefs))) fail("givspline", failures[givspline_xScale]);
            const char *names[] = {"form", "breaks", "coefs", "pieces", "order", "dim"};
            plhs[0] = mxCreateStructMatrix(1, 1, 6, names);
            mxSetField(plhs[0], 0, "form", mxCreateString("pp"));
            mxSetField(plhs[0], 0, "breaks", breaks);
            mxSetField(plhs[0], 0, "coefs", coefs);
            const double scalars[3] = {double(nt - 1), 4.0, double(k)};
            for (int f = 0; f < 3; f++) {
                mxArray *v = new_matrix(1, 1);
                *mxGetPr(v) = scalars[f];
                mxSetField(plhs[0], 0, names[3 + f], v);
            }
        }
    } catch (const std::bad_alloc &) {
        out_of_memory("givspline", "its outputs need", 8.0 * double(n) * double(k) * 6.0);
    }
    if (info) plhs[1] = info;
    warnings("givspline", c, out);
}
