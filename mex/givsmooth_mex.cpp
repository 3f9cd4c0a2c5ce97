/* givsmooth: the MEX gateway of [z, info] = givsmooth (y, sigma, name, value, ...)
 *
 *   z = givsmooth (y, sigma) smooths each series of y: z minimizes
 *   sum(w.*(z - y).^2) + |D*z|^2/sigma^2, D the matrix of d-th divided
 *   differences of the sample times (d = 2 and 1:n unless given); without
 *   sigma (or with []), sigma is chosen for each series by a criterion.
 *
 * Inputs   y       n-by-k real numeric or logical, n >= 3: k series of n
 *                  points (a 1-by-n row: one series); read as doubles
 *                  (NaN: a missing point)
 *          sigma   real scalar, or [] (optional)
 *          options name, value pairs, names in any case, the last of one
 *                  given twice: Criterion ('gcv', 'loocv', 'reml'), Lambda
 *                  (>= 0), Period (> 2), EDF (real, in (Order, n_o)), Order
 *                  (1..4), SamplePoints (real numeric, n-by-1 or 1-by-n,
 *                  non-decreasing; read as doubles), OneSided (logical, or
 *                  1 or 0), Weights (real numeric or logical, n-by-1, 1-by-n
 *                  or the size of y; read as doubles), Robust (as OneSided)
 * Outputs  z       full double, the size of y
 *          info    1-by-1 struct: sigma, lambda, edf, gcv, loocv, reml,
 *                  rangeEnd (1-by-k doubles), leverage, stderr (full doubles
 *                  the size of y); robust: weights (the size of y),
 *                  iterations (1-by-k): the fields of info_fields
 * Warnings givqr:givsmooth:edfNotReached, where an 'EDF' is not met to a
 *          relative 1e-8 (the first such series named, and why);
 *          givqr:givsmooth:unobserved, the columns that cannot be smoothed
 *
 * The series are spread over MATLAB's maxNumCompThreads threads (at most one
 * a series); the MEX interface cannot be interrupted.
 */
#include "mex.h"
#include "mexglue.h"
#include "smooth_mex.h"
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
    if (const failure *f = givsmooth_check(nlhs, nrhs, a.data(), &c, &g)) fail("givsmooth", *f, g.detail);

    const idx n = c.n, k = c.k, rows = g.row ? 1 : n, cols = g.row ? n : k;
    const int threads = host_threads();
    std::vector<double> converted, wconverted, tconverted;
    const double *y = nullptr, *w = nullptr, *t = nullptr;
    try {
        y = as_double(prhs[0], converted);
        w = g.weights ? as_double(prhs[g.weights], wconverted) : nullptr;
        t = g.times ? as_double(prhs[g.times], tconverted) : nullptr;
    } catch (const std::bad_alloc &) {
    }
    if (!y || (g.weights && !w) || (g.times && !t))
        out_of_memory("givsmooth", "its inputs as doubles need", 8.0 * double(n) * double(k + 2));
    if (const failure *f = givsmooth_data_check(&c, &g, y, w, t)) fail("givsmooth", *f, g.detail);
    std::vector<edf_miss> missed;
    std::vector<unsigned char> unobserved;
    try {
        if (c.edf > 0.0) missed.resize(k);
        unobserved.assign(k, 0);
    } catch (const std::bad_alloc &) {
        out_of_memory("givsmooth", "its outputs need", 8.0 * double(k));
    }
    plhs[0] = new_matrix(rows, cols);
    smooth_out out = {mxGetPr(plhs[0])};
    out.info = nlhs > 1;
    out.missed = c.edf > 0.0 ? missed.data() : nullptr;
    out.unobserved = unobserved.data();
    if (out.info) plhs[1] = new_info(c, rows, cols, out);
    switch (givsmooth(c, y, w, t, out, threads, nullptr)) {
    case short_of_memory:
        out_of_memory("givsmooth", "its work needs up to", smooth_work_bytes(c, g, y, threads));
        break;
    case times_too_close: fail("givsmooth", failures[givsmooth_samplePointsScale]); break;
    case smoothed: break;
    }
    warnings("givsmooth", c, out);
}
