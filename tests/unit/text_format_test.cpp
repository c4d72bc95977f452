#include "support/text_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using ostrel::float_debug;
using ostrel::float_display;

TEST(FloatDisplay, ShortestDigitsWithoutExponent) {
  EXPECT_EQ(float_display(1.0), "1");
  EXPECT_EQ(float_display(2.5), "2.5");
  EXPECT_EQ(float_display(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(float_display(1e21), "1000000000000000000000");
  EXPECT_EQ(float_display(1e23), "100000000000000000000000");
  EXPECT_EQ(float_display(1e-7), "0.0000001");
  EXPECT_EQ(float_display(-0.0), "-0");
  EXPECT_EQ(float_display(0.0), "0");
  EXPECT_EQ(float_display(std::nan("")), "NaN");
  EXPECT_EQ(float_display(-std::numeric_limits<double>::quiet_NaN()), "NaN");
  EXPECT_EQ(float_display(INFINITY), "inf");
  EXPECT_EQ(float_display(-INFINITY), "-inf");
}

TEST(FloatDebug, PositionalBetweenLimitsExponentOutside) {
  EXPECT_EQ(float_debug(3.0), "3.0");
  EXPECT_EQ(float_debug(0.1), "0.1");
  EXPECT_EQ(float_debug(100000.0), "100000.0");
  EXPECT_EQ(float_debug(0.0025), "0.0025");
  EXPECT_EQ(float_debug(0.0001), "0.0001");
  EXPECT_EQ(float_debug(1234567890123456.0), "1234567890123456.0");
  EXPECT_EQ(float_debug(1e16), "1e16");
  EXPECT_EQ(float_debug(1e20), "1e20");
  EXPECT_EQ(float_debug(1e-5), "1e-5");
  EXPECT_EQ(float_debug(1.5e-5), "1.5e-5");
  EXPECT_EQ(float_debug(12345678901234567.0), "1.2345678901234568e16");
  EXPECT_EQ(float_debug(5e-324), "5e-324");
  EXPECT_EQ(float_debug(-0.0), "-0.0");
  EXPECT_EQ(float_debug(0.0), "0.0");
  EXPECT_EQ(float_debug(INFINITY), "inf");
  EXPECT_EQ(float_debug(std::nan("")), "NaN");
}
