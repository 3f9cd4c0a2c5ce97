/* fakemex: the MEX routines the gateways use, over plain heap arrays */
#include "fakehost.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>

/* Every buffer is a heap block of exactly its size, so that a sanitizer sees
 * any access beyond it. */
struct mxArray {
    mxClassID cls = mxDOUBLE_CLASS;
    bool complex = false;
    bool sparse = false;
    std::vector<mwSize> dims;
    size_t elsize = 8;
    std::unique_ptr<unsigned char[]> re, im;
    mwSize nzmax = 0;
    std::unique_ptr<mwIndex[]> ir, jc;
    std::vector<std::pair<std::string, mxArray *>> fields;     /* a 1-by-1 struct's */
};

namespace {

std::set<mxArray *> arrays;     /* every array alive */

size_t element_size(mxClassID c)
{
    switch (c) {
    case mxDOUBLE_CLASS: case mxINT64_CLASS: case mxUINT64_CLASS: return 8;
    case mxSINGLE_CLASS: case mxINT32_CLASS: case mxUINT32_CLASS: return 4;
    case mxINT16_CLASS: case mxUINT16_CLASS: case mxCHAR_CLASS: return 2;
    case mxINT8_CLASS: case mxUINT8_CLASS: case mxLOGICAL_CLASS: return 1;
    default: return sizeof(mxArray *);   /* cells, structs, handles: opaque slots */
    }
}

size_t count(const mxArray *a)
{
    size_t k = 1;
    for (mwSize d : a->dims) k *= static_cast<size_t>(d);
    return k;
}

/* Like a real host, refuse an output larger than memory with an error. */
void reserve(double elements, double elsize)
{
    if (elements * elsize > static_cast<double>(fake::memory_limit))
        mexErrMsgTxt("out of memory or dimension too large.");
}

std::unique_ptr<unsigned char[]> block(size_t bytes)
{
    std::unique_ptr<unsigned char[]> p(new unsigned char[bytes]);
    std::memset(p.get(), 0, bytes);
    return p;
}

void fill_poison(double *p, size_t k)
{
    for (size_t i = 0; i < k; i++) p[i] = fake::poison;
}

mxArray *record(mxArray *a)
{
    arrays.insert(a);
    return a;
}

template <class T>
double first(const mxArray *a)
{
    T v;
    std::memcpy(&v, a->re.get(), sizeof v);
    return static_cast<double>(v);
}

} // namespace

namespace fake {

static const uint64_t poison_bits = 0x7ff80000deadbeefULL;

static double from_bits(uint64_t b)
{
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

const double poison = from_bits(poison_bits);
size_t memory_limit = size_t(1) << 30;

bool is_poison(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b == poison_bits;
}

mxArray *make(mxClassID cls, const std::vector<mwSize> &dims, bool complex)
{
    mxArray *a = new mxArray;
    a->cls = cls;
    a->complex = complex;
    a->dims = dims;
    while (a->dims.size() < 2) a->dims.push_back(1);
    a->elsize = element_size(cls);
    a->re = block(count(a) * a->elsize);
    if (complex) a->im = block(count(a) * a->elsize);
    return record(a);
}

mxArray *matrix(mwSize m, mwSize n, const std::vector<double> &values)
{
    mxArray *a = make(mxDOUBLE_CLASS, {m, n});
    if (count(a) > 0) std::memcpy(a->re.get(), values.data(), count(a) * sizeof(double));
    return a;
}

mxArray *scalar(double v)
{
    return matrix(1, 1, {v});
}

mxArray *sparse(mwSize m, mwSize n, const std::vector<double> &values)
{
    mxArray *a = new mxArray;
    a->sparse = true;
    a->dims = {m, n};
    mwSize nnz = 0;
    for (double v : values) nnz += v != 0.0;
    a->nzmax = nnz > 0 ? nnz : 1;
    a->re = block(a->nzmax * sizeof(double));
    a->ir.reset(new mwIndex[a->nzmax]());
    a->jc.reset(new mwIndex[n + 1]());
    double *pr = reinterpret_cast<double *>(a->re.get());
    mwSize k = 0;
    for (mwSize j = 0; j < n; j++) {
        a->jc[j] = k;
        for (mwSize i = 0; i < m; i++) {
            double v = values[j * m + i];
            if (v != 0.0) {
                a->ir[k] = i;
                pr[k++] = v;
            }
        }
    }
    a->jc[n] = k;
    return record(a);
}

void *data(mxArray *a)
{
    return a->re.get();
}

void *imag(mxArray *a)
{
    return a->im.get();
}

size_t bytes(const mxArray *a)
{
    return a->sparse ? static_cast<size_t>(a->nzmax) * sizeof(double) : count(a) * a->elsize;
}

void destroy(mxArray *a)
{
    if (!arrays.erase(a)) return;
    for (auto &f : a->fields)
        if (f.second) destroy(f.second);
    delete a;
}

mxArray *text(const std::string &s)
{
    mxArray *a = make(mxCHAR_CLASS, {1, static_cast<mwSize>(s.size())});
    uint16_t *c = static_cast<uint16_t *>(data(a));
    for (size_t k = 0; k < s.size(); k++) c[k] = static_cast<unsigned char>(s[k]);
    return a;
}

int threads = 2;

long live()
{
    return static_cast<long>(arrays.size());
}

std::string call(gateway *g, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
    const std::set<mxArray *> before = arrays;
    /* The host always offers at least one output slot. */
    std::vector<mxArray *> out(nlhs > 0 ? nlhs : 1, nullptr);
    try {
        g(nlhs, out.data(), nrhs, prhs);
    } catch (const fake::host_error &e) {
        std::set<mxArray *> made;
        for (mxArray *a : arrays)
            if (!before.count(a)) made.insert(a);
        for (mxArray *a : made) destroy(a);
        return e.text;
    }
    for (int k = 0; k < nlhs; k++) plhs[k] = out[k];
    if (nlhs == 0) plhs[0] = out[0];
    return "";
}

} // namespace fake

extern "C" {

size_t mxGetM(const mxArray *a)
{
    return static_cast<size_t>(a->dims[0]);
}

size_t mxGetN(const mxArray *a)
{
    size_t n = 1;
    for (size_t k = 1; k < a->dims.size(); k++) n *= static_cast<size_t>(a->dims[k]);
    return n;
}

mwSize mxGetNumberOfDimensions(const mxArray *a)
{
    return static_cast<mwSize>(a->dims.size());
}

const mwSize *mxGetDimensions(const mxArray *a)
{
    return a->dims.data();
}

bool mxIsNumeric(const mxArray *a)
{
    return a->cls >= mxDOUBLE_CLASS && a->cls <= mxUINT64_CLASS;
}

bool mxIsLogical(const mxArray *a)
{
    return a->cls == mxLOGICAL_CLASS;
}

bool mxIsComplex(const mxArray *a)
{
    return a->complex;
}

bool mxIsDouble(const mxArray *a)
{
    return a->cls == mxDOUBLE_CLASS;
}

bool mxIsSparse(const mxArray *a)
{
    return a->sparse;
}

double mxGetScalar(const mxArray *a)
{
    if (a->sparse) {
        const double *pr = reinterpret_cast<const double *>(a->re.get());
        return a->jc[a->dims[1]] > 0 ? pr[0] : 0.0;
    }
    if (count(a) == 0) return 0.0;
    switch (a->cls) {
    case mxDOUBLE_CLASS: return first<double>(a);
    case mxSINGLE_CLASS: return first<float>(a);
    case mxINT8_CLASS: return first<int8_t>(a);
    case mxUINT8_CLASS: return first<uint8_t>(a);
    case mxINT16_CLASS: return first<int16_t>(a);
    case mxUINT16_CLASS: return first<uint16_t>(a);
    case mxCHAR_CLASS: return first<uint16_t>(a);
    case mxINT32_CLASS: return first<int32_t>(a);
    case mxUINT32_CLASS: return first<uint32_t>(a);
    case mxINT64_CLASS: return first<int64_t>(a);
    case mxUINT64_CLASS: return first<uint64_t>(a);
    case mxLOGICAL_CLASS: return first<uint8_t>(a) != 0;
    default: mexErrMsgTxt("mxGetScalar: not a numeric array.");
    }
}

double *mxGetPr(const mxArray *a)
{
    return reinterpret_cast<double *>(a->re.get());
}

mwSize mxGetNzmax(const mxArray *a)
{
    return a->nzmax;
}

mwIndex *mxGetIr(const mxArray *a)
{
    return a->ir.get();
}

mwIndex *mxGetJc(const mxArray *a)
{
    return a->jc.get();
}

/* A real host zero-fills; poison shows a test what was never written. */
static mxArray *uninit(size_t m, size_t n, mxClassID cls, mxComplexity flag)
{
    reserve(double(m) * double(n), double(element_size(cls)));
    mxArray *a = fake::make(cls, {static_cast<mwSize>(m), static_cast<mwSize>(n)}, flag == mxCOMPLEX);
    if (cls == mxDOUBLE_CLASS) fill_poison(mxGetPr(a), count(a));
    return a;
}

mxArray *mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag)
{
    return uninit(static_cast<size_t>(m), static_cast<size_t>(n), mxDOUBLE_CLASS, flag);
}

mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID cls, mxComplexity flag)
{
    double elements = 1;
    for (mwSize k = 0; k < ndim; k++) elements *= double(dims[k]);
    reserve(elements, double(element_size(cls)));
    mxArray *a = fake::make(cls, std::vector<mwSize>(dims, dims + ndim), flag == mxCOMPLEX);
    if (cls == mxDOUBLE_CLASS) fill_poison(mxGetPr(a), count(a));      /* MATLAB zeroes it: the gateway must write all */
    return a;
}

mxArray *mxCreateString(const char *s)
{
    return fake::text(s);
}

#if !GIVQR_MEX_R12
mxArray *mxCreateUninitNumericMatrix(size_t m, size_t n, mxClassID cls, mxComplexity flag)
{
    return uninit(m, n, cls, flag);
}
#endif

bool mxIsChar(const mxArray *a)
{
    return a->cls == mxCHAR_CLASS;
}

int mxGetString(const mxArray *a, char *buf, mwSize len)
{
    if (a->cls != mxCHAR_CLASS || len < 1) return 1;
    const size_t k = count(a);
    const uint16_t *c = reinterpret_cast<const uint16_t *>(a->re.get());
    size_t i = 0;
    for (; i < k && i + 1 < static_cast<size_t>(len); i++) buf[i] = static_cast<char>(c[i]);
    buf[i] = 0;
    return i < k ? 1 : 0;
}

void *mxGetData(const mxArray *a)
{
    return a->re.get();
}

mxClassID mxGetClassID(const mxArray *a)
{
    return a->cls;
}

mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int nfields, const char **names)
{
    mxArray *a = fake::make(mxSTRUCT_CLASS, {m, n});
    for (int f = 0; f < nfields; f++) a->fields.emplace_back(names[f], nullptr);
    return a;
}

void mxSetField(mxArray *a, mwIndex, const char *name, mxArray *value)
{
    for (auto &f : a->fields)
        if (f.first == name) {
            if (f.second) fake::destroy(f.second);
            f.second = value;
        }
}

mxArray *mxGetField(const mxArray *a, mwIndex, const char *name)
{
    for (const auto &f : a->fields)
        if (f.first == name) return f.second;
    return nullptr;
}

void mxDestroyArray(mxArray *a)
{
    fake::destroy(a);
}

/* The one function the gateways call: maxNumCompThreads, as fake::threads. */
int mexCallMATLAB(int nlhs, mxArray *plhs[], int, mxArray *[], const char *name)
{
    if (std::string(name) != "maxNumCompThreads" || nlhs != 1) mexErrMsgTxt("mexCallMATLAB: not in the fake host.");
    plhs[0] = fake::scalar(fake::threads);
    return 0;
}

mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity flag)
{
    reserve(double(nzmax) + double(n), 16.0);
    mxArray *a = new mxArray;
    a->sparse = true;
    a->complex = flag == mxCOMPLEX;
    a->dims = {m, n};
    a->nzmax = nzmax > 0 ? nzmax : 1;
    a->re = block(a->nzmax * sizeof(double));
    fill_poison(reinterpret_cast<double *>(a->re.get()), a->nzmax);
    if (a->complex) a->im = block(a->nzmax * sizeof(double));
    a->ir.reset(new mwIndex[a->nzmax]);
    a->jc.reset(new mwIndex[n + 1]);
    for (mwSize k = 0; k < a->nzmax; k++) a->ir[k] = -1;
    for (mwSize k = 0; k <= n; k++) a->jc[k] = -1;
    return record(a);
}

} // extern "C"
