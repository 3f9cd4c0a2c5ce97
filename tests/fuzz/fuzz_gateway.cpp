// A libFuzzer target: one gateway over the fake host, with arbitrary argument
// counts, classes, shapes and values.  Built once per command, GATEWAY naming it.
#include "fakehost.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" void GATEWAY(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

namespace {

// rows0: the rows of the first argument, so that a second can match it as x.
mxArray *make_arg(FuzzedDataProvider &in, int position, mwSize rows0)
{
    if (position > 0 && in.ConsumeIntegralInRange(0, 3) == 0)      // givsmooth's options and their values
        return fake::text(in.PickValueInArray<std::string>(
            {"Criterion", "lambda", "PERIOD", "OneSided", "gcv", "loocv", "", "Lambdas", "onesided ", "Weights",
             "robust", "Order", "SamplePoints", "EDF", "reml"}));
    const mxClassID cls = in.PickValueInArray(
        {mxDOUBLE_CLASS, mxDOUBLE_CLASS, mxDOUBLE_CLASS, mxDOUBLE_CLASS, mxSINGLE_CLASS,
         mxINT32_CLASS, mxINT64_CLASS, mxUINT8_CLASS, mxLOGICAL_CLASS, mxCHAR_CLASS,
         mxCELL_CLASS, mxSTRUCT_CLASS, mxFUNCTION_CLASS});
    std::vector<mwSize> dims;
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: dims = {1, 1}; break;
    case 1: dims = {in.ConsumeIntegralInRange<mwSize>(0, 3000), 6}; break;     // a table
    case 2: dims = {position == 1 ? 2 * rows0 + 2 : rows0, 1}; break;           // x to match
    case 3: dims = {in.ConsumeIntegralInRange<mwSize>(0, 9), in.ConsumeIntegralInRange<mwSize>(0, 9)}; break;
    default:
        for (int k = in.ConsumeIntegralInRange(1, 4); k > 0; k--)
            dims.push_back(in.ConsumeIntegralInRange<mwSize>(0, 7));
    }
    const bool small = in.ConsumeBool();            // small whole numbers, else raw bits
    if (cls == mxDOUBLE_CLASS && in.ConsumeIntegralInRange(0, 7) == 0 && dims.size() == 2) {
        std::vector<double> v(static_cast<size_t>(dims[0] * dims[1]));
        for (double &d : v) d = in.ConsumeIntegralInRange(-3, 3);
        return fake::sparse(dims[0], dims[1], v);
    }
    mxArray *a = fake::make(cls, dims, in.ConsumeIntegralInRange(0, 5) == 0);
    unsigned char *p = static_cast<unsigned char *>(fake::data(a));
    if (cls == mxDOUBLE_CLASS && small) {
        for (size_t k = 0; k < fake::bytes(a); k += 8) {
            const double v = in.ConsumeIntegralInRange(-2, 400) + (in.ConsumeBool() ? 0.5 : 0.0);
            std::memcpy(p + k, &v, 8);
        }
    } else if (cls != mxCELL_CLASS && cls != mxSTRUCT_CLASS && cls != mxFUNCTION_CLASS) {
        const std::vector<unsigned char> bytes = in.ConsumeBytes<unsigned char>(fake::bytes(a));
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
    }
    return a;
}

std::vector<unsigned char> snapshot(mxArray *a)
{
    const unsigned char *p = static_cast<const unsigned char *>(fake::data(a));
    return std::vector<unsigned char>(p, p + fake::bytes(a));
}

bool holds_poison(const std::vector<unsigned char> &b)
{
    for (size_t k = 0; k + 8 <= b.size(); k += 8) {
        double v;
        std::memcpy(&v, &b[k], 8);
        if (fake::is_poison(v)) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fake::memory_limit = size_t(1) << 24;     // larger outputs fail as out of memory
    FuzzedDataProvider in(data, size);
    const int nlhs = in.ConsumeIntegralInRange(0, 3);
    const int nrhs = in.ConsumeIntegralInRange(0, 5);
    std::vector<mxArray *> args;
    for (int k = 0; k < nrhs; k++)
        args.push_back(make_arg(in, k, args.empty() ? 1 : static_cast<mwSize>(mxGetM(args[0]))));

    std::vector<std::vector<unsigned char>> before;
    bool poisoned = false;      // a poison NaN given as input may come out again
    for (mxArray *a : args) {
        before.push_back(snapshot(a));
        poisoned = poisoned || holds_poison(before.back());
    }
    std::vector<const mxArray *> prhs(args.begin(), args.end());
    std::vector<mxArray *> plhs(4, nullptr);
    const std::string error = fake::call(GATEWAY, nlhs, plhs.data(), nrhs, prhs.data());

    // an error is one English sentence (the longest message with a name quoted
    // in it, cut to 47 characters, stays under 200); the inputs are never written
    if (!error.empty() && (error.back() != '.' || error.size() > 200)) abort();
    for (size_t k = 0; k < args.size(); k++)
        if (snapshot(args[k]) != before[k]) abort();
    // what a call returns is written in full (a struct's fields too)
    auto written = [](const mxArray *out) {
        const size_t len = mxIsSparse(out) ? static_cast<size_t>(mxGetNzmax(out)) : mxGetM(out) * mxGetN(out);
        const double *pr = mxGetPr(out);
        for (size_t i = 0; i < len; i++)
            if (fake::is_poison(pr[i])) abort();
    };
    if (error.empty() && !poisoned)
        for (int k = 0; k < nlhs; k++) {
            if (mxGetClassID(plhs[k]) != mxSTRUCT_CLASS) {
                written(plhs[k]);
                continue;
            }
            // givspline's first output is mkpp's struct, every other struct the info
            const bool pp = mxGetField(plhs[k], 0, "form") != nullptr;
            static const char *const pp_fields[] = {"breaks", "coefs", "pieces", "order", "dim"};
            static const char *const info[] = {"sigma", "lambda", "edf", "gcv", "loocv", "reml", "leverage", "stderr"};
            for (int f = 0; f < (pp ? 5 : 8); f++) {
                const mxArray *v = mxGetField(plhs[k], 0, pp ? pp_fields[f] : info[f]);
                if (!v) abort();
                written(v);
            }
        }
    for (mxArray *a : plhs)
        if (a) fake::destroy(a);
    for (mxArray *a : args) fake::destroy(a);
    if (fake::live() != 0) abort();     // nothing leaks, failed calls included
    return 0;
}
