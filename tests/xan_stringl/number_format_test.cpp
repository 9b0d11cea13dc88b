// Number formatting and the hexadecimal scanner: the documented tables and examples, rounding
// carries and ties, zero fill, the range bounds of FormatData, and the choices for odd input.
#include "xan/stringl/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "comma_locale.h"
#include "random_text.h"

namespace xan {
namespace {

const long double kInf = std::numeric_limits<long double>::infinity();
const long double kNaN = std::numeric_limits<long double>::quiet_NaN();

TEST(Strff, FixedForm) {
  EXPECT_EQ(strff(12.5, 0, 2), u"12.50");
  EXPECT_EQ(strff(12.5, 8, 2), u"   12.50");
  EXPECT_EQ(strff(12.5, 3, 2), u"12.50");  // too long: neither padded nor cut
  EXPECT_EQ(strff(0.5, 0, 1), u"0.5");
  EXPECT_EQ(strff(-0.5, 0, 0), u"-0");  // rounds to even, keeps the sign of a negative value
  EXPECT_EQ(strff(-0.001, 6, 2), u" -0.00");
  EXPECT_EQ(strff(-0.0L, 5, 2), u" 0.00");
  EXPECT_EQ(strff(1234567.0, 0, 0), u"1234567");
  EXPECT_EQ(strff(1e20L, 0, 1), u"100000000000000000000.0");
}

TEST(Strff, RoundsHalvesToEvenOnTheExactBinaryValue) {
  EXPECT_EQ(strff(0.125, 0, 2), u"0.12");
  EXPECT_EQ(strff(0.375, 0, 2), u"0.38");
  EXPECT_EQ(strff(2.5, 0, 0), u"2");
  EXPECT_EQ(strff(3.5, 0, 0), u"4");
  EXPECT_EQ(strff(-2.5, 0, 0), u"-2");
  EXPECT_EQ(strff(1.005, 0, 2), u"1.00");  // the double lies below 1.005
  EXPECT_EQ(strff(0.15, 0, 1), u"0.1");    // the double lies below 0.15
  EXPECT_EQ(strff(0.15L, 0, 1), u"0.2");   // the extended one above
  EXPECT_EQ(strff(9.9996, 8, 3), u"  10.000");
  EXPECT_EQ(strff(999.96, 0, 1), u"1000.0");
}

TEST(Strff, ExponentForms) {
  EXPECT_EQ(strff(5678.5, 11, -2), u" 5.6785E+03");
  EXPECT_EQ(strff(5678.5, 13, -1), u" 5.6785E+0003");
  EXPECT_EQ(strff(5678.5, 13, -7), u" 5.6785E+0003");
  EXPECT_EQ(strff(-5678.5, 11, -2), u"-5.6785E+03");
  EXPECT_EQ(strff(0.001, 14, -2), u" 1.0000000E-03");
  EXPECT_EQ(strff(0, 10, -2), u" 0.000E+00");
  EXPECT_EQ(strff(9.99996, 10, -2), u" 1.000E+01");  // the carry reaches the exponent
  EXPECT_EQ(strff(1.0E150, 11, -2), u"***********");
  EXPECT_EQ(strff(1.0E-100, 11, -2), u"***********");
  EXPECT_EQ(strff(9.9E99, 11, -2), u" 9.9000E+99");
  EXPECT_EQ(strff(1.0E4000L, 12, -1), u" 1.000E+4000");
  EXPECT_EQ(strff(std::numeric_limits<long double>::denorm_min(), 12, -1), u" 3.645E-4951");
}

TEST(Strff, NarrowExponentFieldsKeepTwoSignificantDigits) {
  EXPECT_EQ(strff(5678.5, 8, -2), u" 5.7E+03");
  EXPECT_EQ(strff(5678.5, 3, -2), u" 5.7E+03");
  EXPECT_EQ(strff(5678.5, 0, -2), u" 5.7E+03");
  EXPECT_EQ(strff(5678.5, 4, -1), u" 5.7E+0003");
}

TEST(Strff, ZeroFill) {
  EXPECT_EQ(strff(-12.5, -9, 2), u"-00012.50");
  EXPECT_EQ(strff(12.5, -9, 2), u"000012.50");
  EXPECT_EQ(strff(-12.5, -6, 2), u"-12.50");  // no blank to fill
  EXPECT_EQ(strff(-12.5, -3, 2), u"-12.50");
  EXPECT_EQ(strff(5678.5, -11, -2), u"05.6785E+03");
  EXPECT_EQ(strff(-5678.5, -11, -2), u"-5.6785E+03");
  EXPECT_EQ(strff(7, -3, 0), u"007");
  EXPECT_EQ(strff(-7, -3, 0), u"-07");
}

TEST(Strff, NonFiniteValuesAndHugeArguments) {
  EXPECT_EQ(strff(kInf, 6, 2), u"   INF");
  EXPECT_EQ(strff(-kInf, 6, -2), u"  -INF");
  EXPECT_EQ(strff(kNaN, 0, 2), u"NAN");
  EXPECT_EQ(strff(kNaN, -6, 2), u"   NAN");  // never zero-filled
  EXPECT_EQ(strff(1.5, 100000, 1).size(), static_cast<size_t>(MaxFormatField));
  EXPECT_EQ(strff(1.5, std::numeric_limits<int32_t>::min(), 1).size(),
            static_cast<size_t>(MaxFormatField));
  EXPECT_EQ(strff(1.5, 0, 1000000).size(), 2U + MaxFormatField);
  EXPECT_EQ(strff(1.5, 100000, -1).size(), static_cast<size_t>(MaxFormatField));
  const String widest = strff(std::numeric_limits<long double>::max(), 0, 5000);
  EXPECT_EQ(widest.size(), 4933U + 1 + MaxFormatField);
}

// Every formatter keeps within the widest field, whichever branch formats the value.
TEST(Formatters, HugeWidthsStayWithinTheWidestField) {
  const auto widest = static_cast<size_t>(MaxFormatField);
  constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(FormatData(1.5, kHuge, 2).size(), widest);    // fixed form
  EXPECT_EQ(FormatData(1e300, kHuge, 2).size(), widest);  // exponent form
  EXPECT_EQ(FormatData(std::nan(""), kHuge, 2).size(), widest);
  EXPECT_EQ(SigDigStr(0, kHuge, 3).size(), widest);
  EXPECT_EQ(SigDigStr(5678.9, kHuge, 3).size(), widest);
  EXPECT_EQ(SigDigStr(1e20, kHuge, 3).size(), widest);
  EXPECT_EQ(SigDigStr(HUGE_VAL, kHuge, 3).size(), widest);
  EXPECT_EQ(strff(kNaN, kHuge, 2).size(), widest);
}

// Every fixed and long exponent form against the C library's printf, over values of every size.
TEST(Strff, AgreesWithPrintfOverManyValues) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mant(-10, 10);
  std::uniform_int_distribution<int> exp10(-30, 30), dec(0, 12), wid(-20, 25);
  char ref[512];
  for (int i = 0; i < 20000; ++i) {
    const long double x = mant(rng) * std::pow(10.0L, exp10(rng));
    const int d = dec(rng), w = wid(rng);
    std::snprintf(ref, sizeof ref, "%*.*Lf", std::abs(w), d, x);
    std::string expected = ref;
    if (w < 0) {
      for (char& c : expected) {
        if (c != ' ') break;
        c = '0';
      }
      const size_t minus = expected.find('-');
      if (minus != std::string::npos && minus > 0) expected[minus] = '0', expected[0] = '-';
    }
    ASSERT_EQ(ToUtf8(strff(x, w, d)), expected) << static_cast<double>(x) << " " << w << " " << d;

    const int ew = 10 + dec(rng);
    std::snprintf(ref, sizeof ref, "%.*Le", ew - 9, std::fabs(x));
    std::string mantissa(ref, std::strchr(ref, 'e'));
    const int e = std::atoi(std::strchr(ref, 'e') + 1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%04d", e < 0 ? '-' : '+', std::abs(e));
    ASSERT_EQ(ToUtf8(strff(x, ew, -1)), (x < 0 ? "-" : " ") + mantissa + tail);
  }
}

TEST(StrffForcePlus, EachCase) {
  EXPECT_EQ(strffForcePlus(12.5, 8, 2), u"  +12.50");
  EXPECT_EQ(strffForcePlus(12.5, -8, 2), u"+0012.50");
  EXPECT_EQ(strffForcePlus(-3, 5, 1), u" -3.0");
  EXPECT_EQ(strffForcePlus(0, 1, 0), u"+0");
  EXPECT_EQ(strffForcePlus(12.5, 0, 2), u"+12.50");
  EXPECT_EQ(strffForcePlus(0.5, 0, 2), u"+0.50");   // "0" before "." is not a fill digit
  EXPECT_EQ(strffForcePlus(0.5, -4, 2), u"+0.50");  // field full: the text grows
  EXPECT_EQ(strffForcePlus(5678.5, 11, -2), u"+5.6785E+03");
  EXPECT_EQ(strffForcePlus(5678.5, -11, -2), u"+5.6785E+03");
  EXPECT_EQ(strffForcePlus(1e150, 11, -2), u"+***********");
  EXPECT_EQ(strffForcePlus(kNaN, 5, 1), u"  NAN");
  EXPECT_EQ(strffForcePlus(kInf, 5, 1), u" +INF");
  EXPECT_EQ(strffForcePlus(-kInf, 5, 1), u" -INF");
}

TEST(FormatData, Examples) {
  EXPECT_EQ(FormatData(123.456, 8, 2), u"  123.46");
  EXPECT_EQ(FormatData(0, 8, 2), u"    0.00");
  EXPECT_EQ(FormatData(0.001, 8, 2), u" 1.0000000E-03");
  EXPECT_EQ(FormatData(1.0E9, 10, 0), u" 1.000000000E+09");
  EXPECT_EQ(FormatData(5, 8, 9), u" 5.0000000E+00");
  EXPECT_EQ(FormatData(5, 8, -1), u" 5.0000000E+00");
  EXPECT_EQ(FormatData(-12.5, -9, 2), u"-12.50");  // no padding, no zero fill
  EXPECT_EQ(FormatData(12.5, 0, 2), u"12.50");
}

// The largest and smallest value of each decimals count, and their neighbours outside.
TEST(FormatData, RangeBoundsAreExtendedConstants) {
  EXPECT_EQ(FormatData(999999999, 0, 0), u"999999999");
  EXPECT_EQ(FormatData(1000000000, 0, 0), u" 1.0E+09");  // two significant digits at least
  EXPECT_EQ(FormatData(1000000000, 10, 0), u" 1.000000000E+09");
  EXPECT_EQ(FormatData(1, 0, 0), u"1");
  EXPECT_EQ(FormatData(0.99, 4, 0), u" 9.900E-01");
  EXPECT_EQ(FormatData(9999999.9, 11, 1), u" 9.9999999000E+06");  // the double is above the bound
  EXPECT_EQ(FormatData(9999999.8, 11, 1), u"  9999999.8");
  EXPECT_EQ(FormatData(0.1, 5, 1), u"  0.1");  // the double is above 0.1
  EXPECT_EQ(FormatData(0.01, 5, 2), u" 0.01");
  EXPECT_EQ(FormatData(-999999.99, 0, 2), u"-999999.99");        // this double is below the bound
  EXPECT_EQ(FormatData(9999.9999, 10, 4), u" 9.999999900E+03");  // this one above
  EXPECT_EQ(FormatData(9999.9998, 10, 4), u" 9999.9998");
  EXPECT_EQ(FormatData(0.0001, 0, 4), u"0.0001");
  EXPECT_EQ(FormatData(0.00009, 7, 4), u" 9.000000E-05");
  EXPECT_EQ(FormatData(0.000001, 8, 6), u" 1.0000000E-06");  // the double is below 1e-6
  EXPECT_EQ(FormatData(0.0000011, 8, 6), u"0.000001");
  EXPECT_EQ(FormatData(0.99999999, 0, 8), u"0.99999999");  // below the bound
  EXPECT_EQ(FormatData(0.5, 0, 8), u"0.50000000");
  EXPECT_EQ(FormatData(1e-8, 0, 8), u"0.00000001");
  EXPECT_EQ(FormatData(9.9999999, 8, 7), u" 9.9999999E+00");  // above the bound
  EXPECT_EQ(FormatData(9.9999998, 0, 7), u"9.9999998");
}

TEST(FormatData, NonFiniteValues) {
  EXPECT_EQ(FormatData(std::nan(""), 4, 2), u"       NAN");
  EXPECT_EQ(FormatData(-HUGE_VAL, 0, 2), u"  -INF");
}

TEST(SigDigStr, Examples) {
  EXPECT_EQ(SigDigStr(5678.9, 10, 3), u"      5679");
  EXPECT_EQ(SigDigStr(0.056789, 10, 3), u"    0.0568");
  EXPECT_EQ(SigDigStr(0, 6, 3), u"  0.00");
  EXPECT_EQ(SigDigStr(9.9996, 8, 4), u"  10.000");
  EXPECT_EQ(SigDigStr(5678.9, 10, 3, true), u"5679");
  EXPECT_EQ(SigDigStr(5678.9, 10, 3, false), u"      5679");
}

TEST(SigDigStr, ChoosesTheExponentFormWhenTheDigitsDoNotFit) {
  // More integer digits than significant digits, but not more than the field holds: all shown.
  EXPECT_EQ(SigDigStr(123456789, 10, 3), u" 123456789");
  // More integer digits than the field holds: exponent form in max(width, sigdigits + 6).
  EXPECT_EQ(SigDigStr(1234567890, 10, 3), u" 1.235E+09");
  EXPECT_EQ(SigDigStr(1234567890, 6, 3), u" 1.23E+09");
  // Leading zeros, point and sign would not fit.
  EXPECT_EQ(SigDigStr(0.00012345, 8, 3), u" 1.23E-04");
  EXPECT_EQ(SigDigStr(0.0012345, 8, 3), u" 0.00123");
  EXPECT_EQ(SigDigStr(-0.0012345, 8, 3),
            u"-0.00123");  // no room left for the sign: shown all the same
  EXPECT_EQ(SigDigStr(1, 10, 3), u"      1.00");
  EXPECT_EQ(SigDigStr(1000, 10, 3), u"      1000");
  EXPECT_EQ(SigDigStr(100, 10, 4), u"     100.0");
  EXPECT_EQ(SigDigStr(0.1, 10, 2), u"      0.10");
  EXPECT_EQ(SigDigStr(0, 6, 0), u"     0");
  EXPECT_EQ(SigDigStr(std::nan(""), 6, 3), u"   NAN");
  EXPECT_EQ(SigDigStr(5, 10, 100000).size(), static_cast<size_t>(MaxFormatField));
}

// Triples worked out by hand from the branch rules: powers of ten, carries that add a digit,
// ties, and each boundary of the exponent form.
TEST(SigDigStr, BranchesWorkedByHand) {
  const struct {
    double x;
    int32_t width, sigdigits;
    StringView text;
  } cases[] = {
      {1000, 10, 4, u"      1000"},    // e = 4 = sigdigits: no decimals
      {1000, 10, 3, u"      1000"},    // e > sigdigits, fits
      {1000, 3, 3, u" 1.00E+03"},      // e > width - 1
      {1e9, 8, 3, u" 1.00E+09"},       // exponent form in sigdigits + 6
      {100, 10, 3, u"       100"},     //
      {10, 6, 3, u"  10.0"},           //
      {1, 6, 3, u"  1.00"},            //
      {0.1, 6, 3, u" 0.100"},          // the double lies above 0.1: e = 0
      {0.01, 6, 3, u" 1.00E-02"},      // e = -1 < 3 - 6 + 3
      {0.01, 7, 3, u" 0.0100"},        // e = -1 = 3 - 7 + 3
      {1e-5, 12, 3, u"   0.0000100"},  //
      {1e22, 25, 3, u"  10000000000000000000000"},
      {99.96, 6, 3, u" 100.0"},              // rounding adds a digit
      {999.6, 5, 3, u" 1000"},               //
      {0.09996, 7, 3, u" 0.1000"},           //
      {9.9996e8, 10, 3, u" 999960000"},      //
      {9.99999999e9, 10, 3, u" 1.000E+10"},  // e = 10 > width - 1
      {9.5, 4, 1, u"  10"},                  // a tie goes to the even neighbour
      {10.5, 4, 2, u"  10"},                 //
      {0.95, 5, 1, u"  0.9"},                // the double lies below 0.95
      {-5678.9, 10, 3, u"     -5679"},       //
      {-0.05, 5, 1, u"-0.05"},               //
      {-0.05, 4, 1, u"-5.0E-02"},            // two significant digits at least
      {5, 6, 0, u"     5"},                  //
      {0.5, 6, 0, u"     0"},                //
      {1e10, 0, 3, u" 1.00E+10"},            //
      {1e100, 10, 3, u"**********"},         // three exponent digits
      {1e-100, 10, 3, u"**********"},        //
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SigDigStr(c.x, c.width, c.sigdigits), c.text)
        << c.x << " " << c.width << " " << c.sigdigits;
  }
}

// The short exponent form in w characters as the C library prints it: w - 6 significant
// digits, at least two, and asterisks for an exponent of three digits.
std::string ShortExponentForm(double x, int64_t w) {
  w = std::clamp<int64_t>(w, 8, MaxFormatField);
  char ref[2048];
  std::snprintf(ref, sizeof ref, "%.*e", static_cast<int>(w - 7), std::fabs(x));
  const char* e = std::strchr(ref, 'e');
  const int exponent = std::atoi(e + 1);
  if (std::abs(exponent) >= 100) return std::string(static_cast<size_t>(w), '*');
  char tail[8];
  std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return (x < 0 ? "-" : " ") + std::string(ref, static_cast<size_t>(e - ref)) + tail;
}

// The fixed form as the C library prints it, right-aligned in `width` characters.
std::string FixedForm(double x, int64_t decimals, int64_t width) {
  char ref[2048];
  std::snprintf(ref, sizeof ref, "%.*f", static_cast<int>(std::clamp<int64_t>(decimals, 0, 1024)),
                x);
  const std::string t = ref;
  return width > static_cast<int64_t>(t.size())
             ? std::string(static_cast<size_t>(width) - t.size(), ' ') + t
             : t;
}

// SigDigStr's branches with the place of the first significant digit read from the exact
// decimal expansion, over values of every size, widths and digit counts.
TEST(SigDigStr, AgreesWithTheBranchRulesOverManyTriples) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> mant(1, 10);
  std::uniform_int_distribution<int> exp10(-14, 24), wid(-3, 22), sig(-2, 17), pick(0, 5);
  const double tails[] = {9.9996, 9.99996, 9.5, 1, 9.999999999999};
  for (int i = 0; i < 30000; ++i) {
    const int k = exp10(rng), which = pick(rng);
    const double m = which < 5 ? tails[which] : mant(rng);
    const auto x = static_cast<double>(m * std::pow(10.0L, k)) * (rng() % 2 ? -1 : 1);
    const int w = wid(rng), sd = sig(rng);
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.40e", std::fabs(x));
    const int e = std::atoi(std::strchr(exact, 'e') + 1) + 1;
    std::string expected;
    if (e > sd) {
      expected = e > w - 1 ? ShortExponentForm(x, std::max(w, sd + 6)) : FixedForm(x, 0, w);
    } else {
      expected =
          e < sd - w + 3 ? ShortExponentForm(x, std::max(w, sd + 6)) : FixedForm(x, sd - e, w);
    }
    ASSERT_EQ(ToUtf8(SigDigStr(x, w, sd)), expected) << x << " " << w << " " << sd;
    const int ew = std::abs(w);
    ASSERT_EQ(ToUtf8(strff(x, ew, -2)), ShortExponentForm(x, ew)) << x << " " << ew;
  }
}

TEST(AutoFormatData, Table) {
  EXPECT_EQ(AutoFormatData(123.456, 4), u"123.5");
  EXPECT_EQ(AutoFormatData(0.5, 4), u"0.500");
  EXPECT_EQ(AutoFormatData(0.05, 4), u"5.000E-02");
  EXPECT_EQ(AutoFormatData(56789, 4), u"5.679E+04");
  EXPECT_EQ(AutoFormatData(999.96, 4), u"1000.0");
  EXPECT_EQ(AutoFormatData(0, 4), u"0.000");
  EXPECT_EQ(AutoFormatData(123.456, 4, true), u"123,5");
  EXPECT_EQ(AutoFormatData(123.456, 4, false), u"123.5");
}

TEST(AutoFormatData, LimitsAndBoundaries) {
  EXPECT_EQ(AutoFormatData(123.456, 1), u"1.2E+02");             // raised to 2 digits
  EXPECT_EQ(AutoFormatData(1.0 / 3, 40), u"0.333333333333333");  // lowered to 16
  EXPECT_EQ(AutoFormatData(0, 0), u"0.0");
  EXPECT_EQ(AutoFormatData(0.1, 4), u"1.000E-01");  // log10 rounds to exactly -1
  EXPECT_EQ(AutoFormatData(0.11, 4), u"0.110");
  EXPECT_EQ(AutoFormatData(999, 4), u"999.0");
  EXPECT_EQ(AutoFormatData(1000, 4), u"1.000E+03");
  EXPECT_EQ(AutoFormatData(-56789, 4), u"-5.679E+04");
  EXPECT_EQ(AutoFormatData(-0.5, 3, true), u"-0,50");
  EXPECT_EQ(AutoFormatData(HUGE_VAL, 4), u"INF");
}

TEST(SortableNumericString, AlignsTheDecimalCharacter) {
  EXPECT_EQ(SortableNumericString(u"3.14", u'.', 4), u"  3.14");
  EXPECT_EQ(SortableNumericString(u" 123.5 ", u'.', 4), u"123.5");
  EXPECT_EQ(SortableNumericString(u"42", u'.', 4), u"    42");
  EXPECT_EQ(SortableNumericString(u"12345.6", u'.', 4), u"12345.6");
  EXPECT_EQ(SortableNumericString(u"1,5", u',', 3), u" 1,5");
  EXPECT_EQ(SortableNumericString(u"   ", u'.', 2), u"  ");
  EXPECT_EQ(SortableNumericString(u"1.5", u'.', -3), u"1.5");
  EXPECT_EQ(SortableNumericString(u"1.5", u'.', 1 << 30).size(), MaxFormatField + 3U);
}

TEST(TimeString, EveryMode) {
  const String expected[] = {u"05:07:03.25", u"05:07:03", u" 5h07", u" 5h07'03\"",
                             u"05:07",       u" 5:07a",   u""};
  for (int mode = 0; mode <= 6; ++mode) {
    EXPECT_EQ(TimeString(18423.25, static_cast<uint8_t>(mode)), expected[mode]) << mode;
  }
  EXPECT_EQ(TimeString(18423.25, 255), u"");
}

TEST(TimeString, Edges) {
  EXPECT_EQ(TimeString(-5, 1), u"00:00:00");
  EXPECT_EQ(TimeString(std::nan(""), 0), u"00:00:00.00");
  EXPECT_EQ(TimeString(HUGE_VAL, 1), u"00:00:00");
  EXPECT_EQ(TimeString(360000, 1), u"100:00:00");
  EXPECT_EQ(TimeString(43200, 5), u"12:00p");
  EXPECT_EQ(TimeString(900, 5), u"12:15a");
  EXPECT_EQ(TimeString(46800, 5), u" 1:00p");
  EXPECT_EQ(TimeString(39600 + 59 * 60, 5), u"11:59a");
  EXPECT_EQ(TimeString(3599.99, 0), u"00:59:59.98");  // the double is 3599.98999...
  EXPECT_EQ(TimeString(0.29, 0), u"00:00:00.28");     // hundredths are truncated: 0.29 is below
  EXPECT_EQ(TimeString(59.5, 3), u" 0h00'59\"");
  EXPECT_EQ(TimeString(65536.0 * 3600 + 61, 1), u"65536:01:01");  // not cut to 16 bits
  EXPECT_EQ(TimeString(1e300, 4), u"2501999792983:36");           // taken as 2^53 s
}

struct HexCase {
  StringView text;
  int32_t pos, value, endPos;
};

TEST(ScanHexNumber, ReadsDigitsPrefixAndBlanks) {
  const HexCase cases[] = {
      {u"$1F", 1, 31, 4},     {u"  7fz", 1, 127, 5},   {u"xyz", 1, 0, 1},
      {u"12 34", 1, 0x12, 3}, {u"12 34", 3, 0x34, 6},  {u"", 1, 0, 1},
      {u" ", 1, 0, 1},        {u"  ", 1, 0, 2},        {u"a$b", 1, 10, 2},
      {u"$$1", 1, 0, 2},      {u"ffffffff", 1, -1, 9}, {u"100000001", 1, 1, 10},
      {u"x1A", 2, 26, 4},     {u"abc", 0, 0xabc, 4},   {u"abc", 9, 0, 9},
  };
  for (const HexCase& c : cases) {
    int32_t pos = c.pos;
    EXPECT_EQ(ScanHexNumber(c.text, pos), c.value) << ToUtf8(c.text) << " from " << c.pos;
    EXPECT_EQ(pos, c.endPos) << ToUtf8(c.text) << " from " << c.pos;
  }
}

// A locale that writes "1,5" changes none of the texts: the point stays "." and digits are
// never grouped, for doubles and for extended values that the C library would print.
TEST(NumberFormat, IgnoresTheProcessLocale) {
  const TCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(strff(1234567.25, 12, 2), u"  1234567.25");
  EXPECT_EQ(strff(0.1L, 0, 5), u"0.10000");  // not a double: the extended path
  EXPECT_EQ(strff(0.1L, 12, -2), u" 1.00000E-01");
  EXPECT_EQ(strff(-12.5, -9, 2), u"-00012.50");
  EXPECT_EQ(strffForcePlus(12.5, 8, 2), u"  +12.50");
  EXPECT_EQ(FormatData(123.456, 8, 2), u"  123.46");
  EXPECT_EQ(FormatData(1.0E9, 10, 0), u" 1.000000000E+09");
  EXPECT_EQ(SigDigStr(0.056789, 10, 3), u"    0.0568");
  EXPECT_EQ(AutoFormatData(123456.7, 8), u"123456.70");
  EXPECT_EQ(AutoFormatData(123.456, 4, true), u"123,5");
  EXPECT_EQ(TimeString(18423.25, 0), u"05:07:03.25");
  int32_t pos = 1;
  EXPECT_EQ(ScanHexNumber(u"$1F", pos), 31);
}

// Random texts and start positions, the hostile ones included: the scan stays within the text,
// consumes blanks, then only digits (and a "$" in position 1), stops before the first other
// character, and returns the digits' value modulo 2^32.
TEST(ScanHexNumber, RandomTextsAndPositions) {
  std::mt19937 rng(5);
  // Characters above 255 whose low byte is a digit or "$" must not count as one.
  const StringView alphabet = u" $019aAfFgGz\u0130\u0141\u0166\u0124\uff21";
  const auto hexValue = [](Char c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  };
  for (int i = 0; i < 20000; ++i) {
    const String text = RandomText(rng, rng() % 12, alphabet);
    const auto len = static_cast<int32_t>(text.size());
    const int32_t start = static_cast<int32_t>(rng() % (text.size() + 4)) - 1;
    int32_t pos = start;
    const uint32_t value = static_cast<uint32_t>(ScanHexNumber(text, pos));
    const int32_t from = std::max(start, 1);
    if (from > len) {
      ASSERT_EQ(value, 0U);
      ASSERT_EQ(pos, from);
      continue;
    }
    ASSERT_GE(pos, from);
    ASSERT_LE(pos, len + 1);
    int32_t p = from;
    while (p < len && text[p - 1] == u' ') ++p;
    uint32_t expected = 0;
    for (; p < pos; ++p) {
      const Char c = text[p - 1];
      if (c == u'$' && p == 1) continue;
      ASSERT_GE(hexValue(c), 0) << ToUtf8(text) << " from " << start;
      expected = expected * 16 + static_cast<uint32_t>(hexValue(c));
    }
    ASSERT_EQ(value, expected) << ToUtf8(text) << " from " << start;
    if (pos <= len) {
      const Char stop = text[pos - 1];
      ASSERT_TRUE(hexValue(stop) < 0 && !(stop == u'$' && pos == 1) &&
                  !(stop == u' ' && pos < len && pos == from))
          << ToUtf8(text) << " from " << start;
    }
  }
}

TEST(BinString, ChoosesByFlag) {
  EXPECT_EQ(BinString(true, u"on", u"off"), u"on");
  EXPECT_EQ(BinString(false, u"on", u"off"), u"off");
}

}  // namespace
}  // namespace xan
