// The kernels keep no state: calls from several threads at once agree to the bit
#include "factor.h"
#include "apply.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>

namespace {

struct run {
    factor f;
    std::vector<double> y, z;
    run(givqr::idx n, double sigma, const std::vector<double> &x) : f(n, sigma), y(x.size()), z(x.size())
    {
        givqr::givfwd(n, f.Qbar.data(), x.data(), y.data());
        givqr::givinv(n, f.Qbar.data(), y.data(), z.data());
    }
};

bool same(const std::vector<double> &a, const std::vector<double> &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(threads, ConcurrentCallsGiveIdenticalBits)
{
    const givqr::idx n = 200000;
    std::vector<double> x(givqr::length(n));
    for (size_t k = 0; k < x.size(); k++) x[k] = std::cos(0.001 * double(k * k % 7919));
    const run alone(n, 0.25, x);

    std::vector<std::unique_ptr<run>> runs(4);
    std::vector<std::thread> threads;
    for (auto &r : runs) threads.emplace_back([&r, &x] { r.reset(new run(n, 0.25, x)); });
    for (auto &t : threads) t.join();
    for (const auto &r : runs) {
        EXPECT_TRUE(same(r->f.Qbar, alone.f.Qbar));
        EXPECT_TRUE(same(r->f.pr, alone.f.pr));
        EXPECT_TRUE(same(r->y, alone.y));
        EXPECT_TRUE(same(r->z, alone.z));
    }
}

} // namespace
