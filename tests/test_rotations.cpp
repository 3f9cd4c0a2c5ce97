// rotg and rot: the 2x2 convention, its special cases and signed zeros
#include "rotations.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using givqr::rot;
using givqr::rotg;

namespace {

struct rotg_case {
    double a, b, c, s, r;
};

TEST(rotg, ConventionAndSpecialCases)
{
    const double r2 = std::sqrt(2.0), r5 = std::sqrt(5.0);
    const rotg_case cases[] = {
        {3, 4, -0.6, 0.8, -5},          {4, 3, 0.8, -0.6, 5},
        {-3, 4, 0.6, 0.8, -5},          {2, -2, 1 / r2, 1 / r2, 2 * r2},   // tie: |a| = |b|
        {1, -2, 1 / r5, 2 / r5, r5},    {0, 5, 0, 1, -5},
        {5, 0, 1, 0, 5},                {0, 0, 1, 0, 0},
    };
    for (const rotg_case &k : cases) {
        double a = k.a, b = k.b, c, s;
        rotg(&a, &b, &c, &s);
        SCOPED_TRACE(testing::Message() << "a = " << k.a << ", b = " << k.b);
        EXPECT_NEAR(c, k.c, 4e-16);
        EXPECT_NEAR(s, k.s, 4e-16);
        EXPECT_NEAR(a, k.r, 1e-15);
        EXPECT_EQ(b, 0.0);
        EXPECT_FALSE(std::signbit(b));
        EXPECT_NEAR(s * k.a + c * k.b, 0.0, 1e-15);     // annihilates b
    }
}

TEST(rotg, RoundedInTheWrittenOrder)
{
    // each operation rounded to double: c for (3, 4) lands one ulp beyond -0.6
    double a = 3, b = 4, c, s;
    rotg(&a, &b, &c, &s);
    EXPECT_EQ(c, std::nextafter(-0.6, -1.0));
    EXPECT_EQ(s, 0.8);
}

TEST(rotg, ZerosAndNaN)
{
    double c, s;
    double a = -0.0, b = 3.0;           // -0.0 counts as zero: c = 0, s = 1
    rotg(&a, &b, &c, &s);
    EXPECT_EQ(c, 0.0);
    EXPECT_EQ(s, 1.0);
    EXPECT_EQ(a, -3.0);

    a = 7.0, b = -0.0;                  // b == 0 comes first: (1, 0), r = a
    rotg(&a, &b, &c, &s);
    EXPECT_EQ(c, 1.0);
    EXPECT_EQ(s, 0.0);
    EXPECT_EQ(a, 7.0);
    EXPECT_FALSE(std::signbit(b));      // +0.0 stored, not computed

    const double nan = std::numeric_limits<double>::quiet_NaN();
    a = nan, b = 1.0;                   // a NaN is not zero and fails |a| > |b|
    rotg(&a, &b, &c, &s);
    EXPECT_TRUE(std::isnan(c) && std::isnan(s) && std::isnan(a));
    EXPECT_EQ(b, 0.0);
}

TEST(rotg, NoOverflowNorUnderflow)
{
    double a = 3e300, b = 4e300, c, s;
    rotg(&a, &b, &c, &s);
    EXPECT_NEAR(a / 5e300, -1.0, 1e-15);
    a = 3e-300, b = 4e-300;
    rotg(&a, &b, &c, &s);
    EXPECT_NEAR(a / 5e-300, -1.0, 1e-15);
}

TEST(rot, IdentityAndInverse)
{
    double x = 1.5, y = -2.25;
    rot(&x, &y, 1.0, 0.0);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.25);

    const double c = 0.28, s = 0.96;
    rot(&x, &y, c, s);
    rot(&x, &y, c, -s);
    EXPECT_NEAR(x, 1.5, 1e-15);
    EXPECT_NEAR(y, -2.25, 1e-15);

    double inf = std::numeric_limits<double>::infinity(), z = 1.0;
    rot(&inf, &z, 1.0, 0.0);            // 0 * Inf is NaN: the partner is lost
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_TRUE(std::isnan(z));
}

} // namespace
