/* mexglue.h: MEX inputs described for the checks, outputs created, failures raised */
#ifndef GIVQR_MEXGLUE_H
#define GIVQR_MEXGLUE_H

#include "mex.h"
#include "arg.h"
#include "messages.h"

#include <cstdio>
#include <cstring>

/*
 * The MEX interface a build is for, chosen at compile time.  GIVQR_MEX_R12
 * (the .mexglx and .mexsol files, for MATLAB R12 and R13) calls only what
 * those releases had: outputs from mxCreateDoubleMatrix (zeroed, then
 * written over) and errors by mexErrMsgTxt, without an identifier.  Later
 * MATLABs and Octave get uninitialised outputs (mxCreateUninitNumericMatrix,
 * R2015a) and errors with identifiers (mexErrMsgIdAndTxt).
 */
#ifndef GIVQR_MEX_R12
#define GIVQR_MEX_R12 0
#endif

namespace givqr {

inline arg describe(const mxArray *a)
{
    arg d;
    d.m = static_cast<idx>(mxGetM(a));
    const mwSize *dims = mxGetDimensions(a);
    d.n = columns(static_cast<int>(mxGetNumberOfDimensions(a)),
                  [dims](int k) { return static_cast<idx>(dims[k]); });
    d.real = (mxIsNumeric(a) || mxIsLogical(a)) && !mxIsComplex(a);
    d.full_double = d.real && mxIsDouble(a) && !mxIsSparse(a);
    d.value = d.real && d.m == 1 && d.n == 1 ? mxGetScalar(a) : 0.0;
    d.matrix = mxGetNumberOfDimensions(a) <= 2;
    d.logical = mxIsLogical(a);
    d.chars = false;
    d.text[0] = 0;
    d.whole = false;
    return d;
}

/* The characters of a char row of a, into d (givsmooth's options alone, so
 * that the other commands import no more of the host). */
inline void describe_text(const mxArray *a, arg &d)
{
    d.chars = mxIsChar(a);
    if (!d.chars || d.m != 1) return;
    const bool cut = mxGetString(a, d.text, sizeof d.text) != 0;       /* the first 47, where longer */
    d.whole = !cut && idx(std::strlen(d.text)) == d.n;                  /* shorter: a NUL within */
}

/* Describes the first (at most) two of nrhs inputs. */
inline void describe(int nrhs, const mxArray *prhs[], arg a[2])
{
    for (int k = 0; k < nrhs && k < 2; k++) a[k] = describe(prhs[k]);
}

/* Ends the call of cmd with failure f (with the call's detail, messages.h);
 * the host does not return. */
inline void fail(const char *cmd, const failure &f, const char *detail = nullptr)
{
    char buf[256];
    const char *text = message_of(buf, f, detail);
#if GIVQR_MEX_R12
    (void)cmd;
    mexErrMsgTxt(text);
#else
    char id[64];
    mexErrMsgIdAndTxt(identifier(id, cmd, f), "%s", text);
#endif
}

/* Ends the call of cmd whose outputs or work (what) could not be allocated. */
inline void out_of_memory(const char *cmd, const char *what, double bytes)
{
#if GIVQR_MEX_R12
    char text[160];
    std::snprintf(text, sizeof text, "%s: out of memory: %s %.0f bytes.", cmd, what, bytes);
    mexErrMsgTxt(text);
#else
    char id[64];
    mexErrMsgIdAndTxt(identifier(id, cmd, failure{"outOfMemory", ""}), "%s: out of memory: %s %.0f bytes.", cmd,
                      what, bytes);
#endif
}

/* An m-by-n real double matrix whose every entry the caller writes. */
inline mxArray *new_matrix(idx m, idx n)
{
#if GIVQR_MEX_R12
    return mxCreateDoubleMatrix(m, n, mxREAL);
#else
    return mxCreateUninitNumericMatrix(m, n, mxDOUBLE_CLASS, mxREAL);
#endif
}

} // namespace givqr

#endif
