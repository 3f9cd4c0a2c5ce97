// The stand-in host: the gateway tests run on MEX files loaded by file name,
// as MATLAB loads them.  mexhost DIR SUFFIX [gtest options] loads
// DIR/givfact SUFFIX, DIR/givfwd SUFFIX and DIR/givinv SUFFIX, binding
// every symbol at once: a file that imports a routine the host's libmx and
// libmex lack does not load.  As MATLAB does, the host has its libmx and
// libmex loaded for all to see before it opens a command, so that a file
// naming no library (.mexsol) finds them.
#include "mex.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace {

typedef void gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
gateway *gateways[3];

// The address of name in the MEX file path, or nullptr (and why, printed).
void *find(const std::string &path, const char *name)
{
#if defined(_WIN32)
    HMODULE h = LoadLibraryA(path.c_str());
    void *f = h ? reinterpret_cast<void *>(GetProcAddress(h, name)) : nullptr;
    if (!f) std::fprintf(stderr, "mexhost: %s: error %lu\n", path.c_str(), GetLastError());
#else
    void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void *f = h ? dlsym(h, name) : nullptr;
    if (!f) std::fprintf(stderr, "mexhost: %s\n", dlerror());
#endif
    return f;
}

} // namespace

extern "C" {
void givfact_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) { gateways[0](nlhs, plhs, nrhs, prhs); }
void givfwd_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) { gateways[1](nlhs, plhs, nrhs, prhs); }
void givinv_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) { gateways[2](nlhs, plhs, nrhs, prhs); }
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mexhost DIR SUFFIX [gtest options]\n");
        return 2;
    }
#if !defined(_WIN32)
    for (const char *lib : {"libmx.so", "libmex.so"}) {     // where they lie beside the files
        const std::string path = std::string(argv[1]) + "/" + lib;
        if (access(path.c_str(), F_OK) == 0 && !dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL))
            std::fprintf(stderr, "mexhost: %s\n", dlerror());
    }
#endif
    const char *names[3] = {"givfact", "givfwd", "givinv"};
    for (int k = 0; k < 3; k++) {
        const std::string path = std::string(argv[1]) + "/" + names[k] + argv[2];
        gateways[k] = reinterpret_cast<gateway *>(find(path, "mexFunction"));
        if (!gateways[k]) {
            std::fprintf(stderr, "mexhost: no mexFunction in %s\n", path.c_str());
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
