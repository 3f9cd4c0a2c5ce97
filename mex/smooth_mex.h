/* smooth_mex.h: what the MEX gateways of givsmooth and givspline share: inputs as doubles, threads, the info, the warnings */
#ifndef GIVQR_SMOOTH_MEX_H
#define GIVQR_SMOOTH_MEX_H

#include "mex.h"
#include "mexglue.h"
#include "givsmooth.h"

#include <cstdint>
#include <vector>

namespace givqr {

/* y as doubles, column-major, into v (where it is not a full double array
 * already, whose data is used where it lies).  A logical's bytes are read
 * as bytes, so that one holding neither 0 nor 1 is true, not undefined. */
inline const double *as_double(const mxArray *a, std::vector<double> &v)
{
    if (mxIsDouble(a) && !mxIsSparse(a)) return mxGetPr(a);
    const idx m = static_cast<idx>(mxGetM(a)), n = static_cast<idx>(mxGetN(a));
    v.assign(m * n, 0.0);
    if (mxIsSparse(a)) {                        /* double or logical */
        const mwIndex *ir = mxGetIr(a), *jc = mxGetJc(a);
        const double *pr = mxIsDouble(a) ? mxGetPr(a) : nullptr;
        const unsigned char *pl = pr ? nullptr : static_cast<const unsigned char *>(mxGetData(a));
        for (idx j = 0; j < n; j++)
            for (mwIndex p = jc[j]; p < jc[j + 1]; p++) v[j * m + ir[p]] = pr ? pr[p] : pl[p] != 0 ? 1.0 : 0.0;
        return v.data();
    }
    const void *d = mxGetData(a);
    for (idx i = 0; i < m * n; i++) {
        switch (mxGetClassID(a)) {
        case mxSINGLE_CLASS: v[i] = static_cast<const float *>(d)[i]; break;
        case mxINT8_CLASS: v[i] = static_cast<const int8_t *>(d)[i]; break;
        case mxUINT8_CLASS: v[i] = static_cast<const uint8_t *>(d)[i]; break;
        case mxINT16_CLASS: v[i] = static_cast<const int16_t *>(d)[i]; break;
        case mxUINT16_CLASS: v[i] = static_cast<const uint16_t *>(d)[i]; break;
        case mxINT32_CLASS: v[i] = static_cast<const int32_t *>(d)[i]; break;
        case mxUINT32_CLASS: v[i] = static_cast<const uint32_t *>(d)[i]; break;
        case mxINT64_CLASS: v[i] = static_cast<double>(static_cast<const int64_t *>(d)[i]); break;
        case mxUINT64_CLASS: v[i] = static_cast<double>(static_cast<const uint64_t *>(d)[i]); break;
        default: v[i] = static_cast<const unsigned char *>(d)[i] != 0 ? 1.0 : 0.0; break;   /* logical: its bytes, any not 0 true */
        }
    }
    return v.data();
}

/* MATLAB's maxNumCompThreads, at least 1. */
inline int host_threads()
{
    mxArray *t = nullptr;
    if (mexCallMATLAB(1, &t, 0, nullptr, "maxNumCompThreads") != 0 || !t) return 1;
    const double v = mxGetScalar(t);
    mxDestroyArray(t);
    return v >= 1.0 ? static_cast<int>(v < 1024.0 ? v : 1024.0) : 1;
}

/* The info, 1-by-1, its fields as info_fields lists them (the robust fits'
 * too where c is robust): per point rows-by-cols, per series 1-by-k, each
 * where out takes it. */
inline mxArray *new_info(const smooth_call &c, idx rows, idx cols, smooth_out &out)
{
    const int fields = c.robust ? robust_info_count : info_count;
    const char *names[robust_info_count];
    for (int f = 0; f < fields; f++) names[f] = info_fields[f].name;
    mxArray *s = mxCreateStructMatrix(1, 1, fields, names);
    for (int f = 0; f < fields; f++) {
        mxArray *v = info_fields[f].per_point ? new_matrix(rows, cols) : new_matrix(1, c.k);
        out.*(info_fields[f].to) = mxGetPr(v);
        mxSetField(s, 0, names[f], v);
    }
    return s;
}

/* The warnings of cmd's call c, where out gives any. */
inline void warnings(const char *cmd, const smooth_call &c, const smooth_out &out)
{
    char text[512], id[64];
    if (edf_warning(c, out, text, sizeof text))
        mexWarnMsgIdAndTxt(identifier(id, cmd, failure{GIVQR_EDF_MISSED_KEY, ""}), "%s", text);
    if (unobserved_warning(c, out, text, sizeof text))
        mexWarnMsgIdAndTxt(identifier(id, cmd, failure{GIVQR_UNOBSERVED_KEY, ""}), "%s", text);
}

} // namespace givqr

#endif

