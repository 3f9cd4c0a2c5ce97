// The three gateways through the fake host: every failure, and outputs in full
#include "failures.h"
#include "fakehost.h"
#include "factor.h"
#include "replay.h"
#include "arg.h"
#include "messages.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>

extern "C" {
void givfact_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void givfwd_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void givinv_gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
}

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

// Calls g with the given inputs (destroyed afterwards) and nlhs outputs;
// returns the error text, or "" with the outputs in out.
struct call {
    std::string error;
    std::vector<mxArray *> out;
    call(fake::gateway *g, int nlhs, std::vector<mxArray *> in) : out(nlhs > 0 ? nlhs : 1, nullptr)
    {
        const long before = fake::live();
        std::vector<const mxArray *> prhs(in.begin(), in.end());
        error = fake::call(g, nlhs, out.data(), static_cast<int>(prhs.size()), prhs.data());
        for (mxArray *a : in) fake::destroy(a);
        if (!error.empty()) {
            EXPECT_EQ(fake::live(), before - static_cast<long>(in.size()));
        }
    }
    ~call()
    {
        for (mxArray *a : out)
            if (a) fake::destroy(a);
    }
};

mxArray *typed(mxClassID cls, double v)
{
    mxArray *a = fake::make(cls, {1, 1});
    switch (cls) {
    case mxINT32_CLASS: *static_cast<int32_t *>(fake::data(a)) = static_cast<int32_t>(v); break;
    case mxUINT8_CLASS: *static_cast<uint8_t *>(fake::data(a)) = static_cast<uint8_t>(v); break;
    case mxSINGLE_CLASS: *static_cast<float *>(fake::data(a)) = static_cast<float>(v); break;
    case mxLOGICAL_CLASS: *static_cast<uint8_t *>(fake::data(a)) = v != 0; break;
    default: *static_cast<double *>(fake::data(a)) = v;
    }
    return a;
}

TEST(host, ColumnsFoldFurtherDimensionsWithoutWrapping)
{
    auto cols = [](std::vector<givqr::idx> d) {
        return givqr::columns(static_cast<int>(d.size()), [&d](int k) { return d[k]; });
    };
    EXPECT_EQ(cols({5, 6}), 6);
    EXPECT_EQ(cols({1, 3, 2}), 6);
    EXPECT_EQ(cols({4}), 1);
    const givqr::idx big = PTRDIFF_MAX / 4;
    EXPECT_EQ(cols({1, big, big, 6}), PTRDIFF_MAX);     // big * big * 6 does not wrap
    EXPECT_EQ(cols({1, big, big, 0}), 0);
}

TEST(givfact_gateway, Failures)
{
    failures_def::check("givfact", givfact_gateway);
}

// The outputs through the host: sizes, every slot written, same values as the kernels.
void expect_factor(const call &c, givqr::idx n, double sigma)
{
    ASSERT_EQ(c.error, "");
    const factor f(n, sigma);
    const mxArray *Q = c.out[0], *R = c.out[1];
    ASSERT_EQ(mxGetM(Q), size_t(n - 2));
    ASSERT_EQ(mxGetN(Q), 6u);
    ASSERT_TRUE(mxIsSparse(R));
    ASSERT_EQ(mxGetM(R), size_t(n - 2));
    ASSERT_EQ(mxGetN(R), size_t(n - 2));
    ASSERT_EQ(mxGetNzmax(R), givqr::R_nz(n));
    EXPECT_EQ(std::memcmp(mxGetPr(Q), f.Qbar.data(), f.Qbar.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(mxGetPr(R), f.pr.data(), f.pr.size() * sizeof(double)), 0);
    for (size_t k = 0; k < f.ir.size(); k++) EXPECT_EQ(mxGetIr(R)[k], f.ir[k]);
    for (size_t k = 0; k < f.jc.size(); k++) EXPECT_EQ(mxGetJc(R)[k], f.jc[k]);
}

TEST(givfact_gateway, Outputs)
{
    for (double n : {3.0, 4.0, 5.0, 6.0, 99.0, 300000.0}) {     // the last with huge pages
        call c(givfact_gateway, 2, {fake::scalar(n), fake::scalar(0.1)});
        expect_factor(c, static_cast<givqr::idx>(n), 0.1);
    }
    {   // truncation toward zero
        call c(givfact_gateway, 2, {fake::scalar(4.7), fake::scalar(1)});
        expect_factor(c, 4, 1.0);
    }
    // any real class is read by value
    for (mxClassID cls : {mxINT32_CLASS, mxUINT8_CLASS, mxSINGLE_CLASS}) {
        call c(givfact_gateway, 2, {typed(cls, 7), typed(cls, 2)});
        expect_factor(c, 7, 2.0);
    }
    {
        call c(givfact_gateway, 2, {fake::scalar(5), typed(mxLOGICAL_CLASS, 1)});
        expect_factor(c, 5, 1.0);
    }
    {   // a sparse scalar, read through its own storage
        call c(givfact_gateway, 2, {fake::sparse(1, 1, {8}), fake::sparse(1, 1, {0})});
        expect_factor(c, 8, 0.0);
    }
}


TEST(apply_gateways, Failures)
{
    failures_def::check("givfwd", givfwd_gateway);
    failures_def::check("givinv", givinv_gateway);
}

TEST(apply_gateways, Outputs)
{
    const givqr::idx n = 40;
    const factor f(n, 0.5);
    std::vector<double> x(givqr::length(n));
    for (size_t k = 0; k < x.size(); k++) x[k] = std::sin(double(k));
    std::vector<double> want(x.size());
    for (auto [g, kernel] : {std::pair{&givfwd_gateway, &givqr::givfwd}, std::pair{&givinv_gateway, &givqr::givinv}}) {
        mxArray *Q = fake::matrix(n - 2, 6, f.Qbar), *X = fake::matrix(x.size(), 1, x);
        const mxArray *in[2] = {Q, X};
        mxArray *y = nullptr;
        ASSERT_EQ(fake::call(g, 1, &y, 2, in), "");
        ASSERT_EQ(mxGetM(y), x.size());
        ASSERT_EQ(mxGetN(y), 1u);
        kernel(n, f.Qbar.data(), x.data(), want.data());
        EXPECT_EQ(std::memcmp(mxGetPr(y), want.data(), want.size() * sizeof(double)), 0);
        EXPECT_EQ(std::memcmp(mxGetPr(X), x.data(), x.size() * sizeof(double)), 0);     // inputs untouched
        EXPECT_EQ(std::memcmp(mxGetPr(Q), f.Qbar.data(), f.Qbar.size() * sizeof(double)), 0);
        for (mxArray *a : {Q, X, y}) fake::destroy(a);
    }
}

} // namespace
