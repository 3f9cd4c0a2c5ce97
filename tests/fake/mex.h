/* mex.h: the MEX routines the gateways use, as supplied by our fake host */
#ifndef GIVQR_FAKE_MEX_H
#define GIVQR_FAKE_MEX_H

#include <cstddef>
#include <cstdint>

/* FAKEMEX_32 gives the 32-bit sizes and sparse indices of the old hosts;
 * GIVQR_MEX_R12 the routines of MATLAB R12 and R13 alone, without those a
 * later MATLAB added (mxCreateUninitNumericMatrix, mexErrMsgIdAndTxt). */
#ifdef FAKEMEX_32
typedef int32_t mwSize;
typedef int32_t mwIndex;
#else
typedef int64_t mwSize;
typedef int64_t mwIndex;
#endif

typedef enum {
    mxUNKNOWN_CLASS = 0, mxCELL_CLASS, mxSTRUCT_CLASS, mxLOGICAL_CLASS,
    mxCHAR_CLASS, mxVOID_CLASS, mxDOUBLE_CLASS, mxSINGLE_CLASS,
    mxINT8_CLASS, mxUINT8_CLASS, mxINT16_CLASS, mxUINT16_CLASS,
    mxINT32_CLASS, mxUINT32_CLASS, mxINT64_CLASS, mxUINT64_CLASS,
    mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX } mxComplexity;
typedef bool mxLogical;

struct mxArray;

extern "C" {
size_t mxGetM(const mxArray *a);
size_t mxGetN(const mxArray *a);
mwSize mxGetNumberOfDimensions(const mxArray *a);
const mwSize *mxGetDimensions(const mxArray *a);
bool mxIsNumeric(const mxArray *a);
bool mxIsLogical(const mxArray *a);
bool mxIsComplex(const mxArray *a);
bool mxIsDouble(const mxArray *a);
bool mxIsSparse(const mxArray *a);
double mxGetScalar(const mxArray *a);
double *mxGetPr(const mxArray *a);
mwSize mxGetNzmax(const mxArray *a);
mwIndex *mxGetIr(const mxArray *a);
mwIndex *mxGetJc(const mxArray *a);
mxArray *mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag);
mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity flag);
[[noreturn]] void mexErrMsgTxt(const char *text);
/* what givsmooth uses besides */
bool mxIsChar(const mxArray *a);
int mxGetString(const mxArray *a, char *buf, mwSize len);
void *mxGetData(const mxArray *a);
mxClassID mxGetClassID(const mxArray *a);
mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int nfields, const char **names);
void mxSetField(mxArray *a, mwIndex i, const char *name, mxArray *value);
mxArray *mxGetField(const mxArray *a, mwIndex i, const char *name);
void mxDestroyArray(mxArray *a);
int mexCallMATLAB(int nlhs, mxArray *plhs[], int nrhs, mxArray *prhs[], const char *name);
/* and givspline */
mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID cls, mxComplexity flag);
mxArray *mxCreateString(const char *s);
#if !GIVQR_MEX_R12
mxArray *mxCreateUninitNumericMatrix(size_t m, size_t n, mxClassID cls, mxComplexity flag);
[[noreturn]] void mexErrMsgIdAndTxt(const char *id, const char *fmt, ...);
void mexWarnMsgIdAndTxt(const char *id, const char *fmt, ...);
#endif

void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
}

#endif
