// Numeric constants against values computed here in extended precision, and the log-factorial
// table against lgammal.
#include "xan/univconst.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace xan {
namespace {

// True when a and b are at most `ulps` representable steps apart.
bool Near(long double a, long double b, int ulps) {
  long double lo = std::min(a, b);
  const long double hi = std::max(a, b);
  for (int i = 0; i < ulps && lo < hi; ++i) lo = std::nextafter(lo, hi);
  return lo == hi;
}

TEST(Constants, AgreeWithComputedValues) {
  const long double pi = 3.14159265358979323846264338327950288L;
  EXPECT_TRUE(Near(uc_e, std::exp(1.0L), 1));
  EXPECT_TRUE(Near(uc_etom1, std::exp(-1.0L), 1));
  EXPECT_TRUE(Near(uc_lg2, std::log10(2.0L), 1));
  EXPECT_TRUE(Near(uc_lg5, std::log10(5.0L), 1));
  EXPECT_TRUE(Near(uc_lge, 1 / std::log(10.0L), 1));
  EXPECT_TRUE(Near(uc_lgPi, std::log10(pi), 1));
  EXPECT_TRUE(Near(uc_ln10, std::log(10.0L), 1));
  EXPECT_TRUE(Near(uc_ln2, std::log(2.0L), 1));
  EXPECT_TRUE(Near(uc_lnPi, std::log(pi), 1));
  EXPECT_TRUE(Near(uc_PiH, pi / 2, 1));
  EXPECT_TRUE(Near(uc_PiSqr, pi * pi, 2));
  EXPECT_TRUE(Near(uc_Pitom1, 1 / pi, 1));
  EXPECT_TRUE(Near(uc_sqrt2, std::sqrt(2.0L), 1));
  EXPECT_TRUE(Near(uc_sqrt2pi, std::sqrt(2 * pi), 1));
  EXPECT_TRUE(Near(uc_sqrt2pitom1, 1 / std::sqrt(2 * pi), 1));
  EXPECT_TRUE(Near(uc_GoldenR, (1 + std::sqrt(5.0L)) / 2, 1));
}

TEST(Constants, LimitsAndTheirLogarithms) {
  EXPECT_EQ(uc_MaxInt64, std::numeric_limits<int64_t>::max());
  EXPECT_EQ(uc_MinExtended, std::numeric_limits<long double>::denorm_min());
  EXPECT_EQ(static_cast<double>(uc_MinDouble), std::numeric_limits<double>::denorm_min());
  EXPECT_LT(uc_MaxDouble, 1.7e308L);
  EXPECT_EQ(static_cast<double>(uc_MaxDouble), 1.7e308);
  EXPECT_EQ(static_cast<float>(uc_MinSingle), std::numeric_limits<float>::denorm_min());
  EXPECT_TRUE(Near(uc_lnMaxDouble, std::log(1.7e308L), 2));
  EXPECT_TRUE(Near(uc_lnMinDouble, std::log(5e-324L), 2));
  EXPECT_TRUE(Near(uc_lnMaxExtended, std::log(1.1e4932L), 2));
  EXPECT_TRUE(Near(uc_lnMinExtended, std::log(3.6L) - 4951 * std::log(10.0L), 4));
  EXPECT_TRUE(Near(uc_lnMaxInt64, std::log(9223372036854775807.0L), 2));
  EXPECT_TRUE(Near(uc_lnMinReal, std::log(2.9e-39L), 2));
  EXPECT_TRUE(Near(uc_lnMaxReal, std::log(1.7e38L), 2));
  EXPECT_TRUE(Near(uc_lnMinSingle, std::log(1.5e-45L), 2));
  EXPECT_TRUE(Near(uc_lnMaxSingle, std::log(3.4e38L), 2));
}

// ln(n!) from lgammal, rounded to 15 significant digits through its decimal text.
double RoundedLnFactorial(int n) {
  const long double v = std::lgamma(static_cast<long double>(n) + 1);
  if (v == 0) return 0;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  double d = 0;
  std::from_chars(buf, r.ptr, d);
  return d;
}

TEST(LnFactorial, EveryEntryIsLnFactorialRoundedTo15Digits) {
  ASSERT_EQ(uc_LnFactorial.size(), 1001U);
  for (int n = 0; n <= 1000; ++n) EXPECT_EQ(uc_LnFactorial[n], RoundedLnFactorial(n)) << n;
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], 0.693147180559945);
  EXPECT_EQ(uc_LnFactorial[10], 15.1044125730755);
  EXPECT_EQ(uc_LnFactorial[1000], 5912.12817848816);
}

}  // namespace
}  // namespace xan
