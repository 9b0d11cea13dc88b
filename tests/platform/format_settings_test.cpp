// Format settings: the decimal separator of the process locale, the general float text and its
// reading back, and date/time patterns.
#include "xan/platform/format_settings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <ctime>
#include <limits>
#include <random>
#include <string>

namespace xan {
namespace {

constexpr TFormatSettings kDot{u'.'};
constexpr TFormatSettings kComma{u','};

// Sets LC_NUMERIC for one test and restores it afterwards.
class NumericLocale {
 public:
  NumericLocale() : FSaved(std::setlocale(LC_NUMERIC, nullptr)) {}
  ~NumericLocale() { std::setlocale(LC_NUMERIC, FSaved.c_str()); }
  bool Set(const char* name) { return std::setlocale(LC_NUMERIC, name) != nullptr; }

 private:
  std::string FSaved;
};

TEST(FormatSettings, CLocaleHasPoint) {
  NumericLocale locale;
  ASSERT_TRUE(locale.Set("C"));
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
  EXPECT_EQ(FloatToStr(2.5), u"2.5");
  EXPECT_EQ(StrToFloat(u"2.5"), 2.5);
  EXPECT_THROW(StrToFloat(u"2,5"), EConvertError);
}

TEST(FormatSettings, CommaLocaleWhenInstalled) {
  NumericLocale locale;
  bool found = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                           "nl_NL.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8"}) {
    if (locale.Set(name)) {
      found = true;
      break;
    }
  }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
  EXPECT_EQ(FloatToStr(-2.5), u"-2,5");
  EXPECT_EQ(StrToFloat(u"-2,5"), -2.5);
  EXPECT_THROW(StrToFloat(u"2.5"), EConvertError);
}

TEST(FloatToStr, FixedAndScientificBoundaries) {
  EXPECT_EQ(FloatToStr(0.0, kDot), u"0");
  EXPECT_EQ(FloatToStr(-0.0, kDot), u"0");
  EXPECT_EQ(FloatToStr(1.5, kDot), u"1.5");
  EXPECT_EQ(FloatToStr(-0.25, kDot), u"-0.25");
  EXPECT_EQ(FloatToStr(100, kDot), u"100");
  EXPECT_EQ(FloatToStr(1.0 / 3, kDot), u"0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3, kDot), u"0.666666666666667");
  EXPECT_EQ(FloatToStr(0.1 + 0.2, kDot), u"0.3");
  // The decimal exponent decides: fixed from 0.0001 up to below 10^15.
  EXPECT_EQ(FloatToStr(0.0001, kDot), u"0.0001");
  EXPECT_EQ(FloatToStr(0.00012345, kDot), u"0.00012345");
  EXPECT_EQ(FloatToStr(0.00001, kDot), u"1E-5");
  EXPECT_EQ(FloatToStr(-0.000015, kDot), u"-1.5E-5");
  EXPECT_EQ(FloatToStr(123456789012345.0, kDot), u"123456789012345");
  EXPECT_EQ(FloatToStr(1e15, kDot), u"1E15");
  EXPECT_EQ(FloatToStr(999999999999999.9, kDot), u"1E15") << "rounded to 15 digits first";
  EXPECT_EQ(FloatToStr(2.5e-10, kDot), u"2.5E-10");
  EXPECT_EQ(FloatToStr(1.7976931348623157e308, kDot), u"1.79769313486232E308");
  EXPECT_EQ(FloatToStr(5e-324, kDot), u"4.94065645841247E-324");
  EXPECT_EQ(FloatToStr(1.5, kComma), u"1,5");
  EXPECT_EQ(FloatToStr(1.5e-7, kComma), u"1,5E-7");
  EXPECT_EQ(FloatToStr(std::nan(""), kDot), u"NAN");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity(), kDot), u"INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), kDot), u"-INF");
}

TEST(StrToFloat, AcceptedForms) {
  EXPECT_EQ(StrToFloat(u" -1.5e2 ", kDot), -150);
  EXPECT_EQ(StrToFloat(u"+7", kDot), 7);
  EXPECT_EQ(StrToFloat(u"1.", kDot), 1);
  EXPECT_EQ(StrToFloat(u".5", kDot), 0.5);
  EXPECT_EQ(StrToFloat(u"1E+3", kDot), 1000);
  EXPECT_EQ(StrToFloat(u"0,125", kComma), 0.125);
  EXPECT_EQ(StrToFloat(u"1E-400", kDot), 0);
  EXPECT_TRUE(std::signbit(StrToFloat(u"-1E-400", kDot)));
  EXPECT_EQ(StrToFloat(u"inf", kDot), std::numeric_limits<double>::infinity());
  EXPECT_EQ(StrToFloat(u"-INFINITY", kDot), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(StrToFloat(u"NaN", kDot)));
  EXPECT_EQ(StrToFloat(u"0.30000000000000004", kDot), 0.1 + 0.2);
}

TEST(StrToFloat, RejectedFormsLeaveValue) {
  for (const StringView bad : {u"", u"   ", u"1.5x", u"1 000", u".", u"-", u"1e", u"1e+", u"1E400",
                               u"-1E400", u"1,5", u"++1", u"1..2", u"0x10", u"\t1"}) {
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(bad, v, kDot)) << ToUtf8(bad);
    EXPECT_EQ(v, 42) << ToUtf8(bad);
  }
  try {
    StrToFloat(u"12abc", kDot);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'12abc' is not a valid floating point value");
  }
}

TEST(StrToFloat, ReadsBackEveryFloatText) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-320, 300);
  for (int i = 0; i < 2000; ++i) {
    const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
    for (const TFormatSettings& s : {kDot, kComma}) {
      const String text = FloatToStr(x, s);
      double back = 0;
      ASSERT_TRUE(TryStrToFloat(text, back, s)) << ToUtf8(text);
      // 15 digits keep the value to a relative 5e-15.
      EXPECT_NEAR(back, x, std::fabs(x) * 5e-15) << ToUtf8(text);
      EXPECT_EQ(FloatToStr(back, s), text) << "15 digits are stable";
    }
  }
}

TEST(FormatDateTime, StrftimePatterns) {
  const TDateTime noon = 45000.5;  // 2023-03-15 12:00, a Wednesday
  EXPECT_EQ(FormatDateTime(u"%Y-%m-%d %H:%M:%S", noon), u"2023-03-15 12:00:00");
  EXPECT_EQ(FormatDateTime(u"%d.%m.%y", 1.0), u"31.12.99");
  EXPECT_EQ(FormatDateTime(u"%j %a %u", noon), u"074 Wed 3");
  EXPECT_EQ(FormatDateTime(u"%F %T", -1.25), u"1899-12-29 06:00:00");
  EXPECT_EQ(FormatDateTime(u"%H:%M:%S", 0.75 - 1e-9), u"18:00:00") << "rounded to the millisecond";
  EXPECT_EQ(FormatDateTime(u"%H:%M:%S", 0.999999999), u"23:59:59");
  EXPECT_EQ(FormatDateTime(u"100%%", noon), u"100%");
  EXPECT_EQ(FormatDateTime(u"", noon), u"");
  EXPECT_EQ(FormatDateTime(u"\u00e9t\u00e9 %Y", noon), u"\u00e9t\u00e9 2023");
  EXPECT_EQ(FormatDateTime(StringView(u"%Y\0%m", 5), noon), String(u"2023\0"
                                                                   u"03",
                                                                   7));
  const String longText = FormatDateTime(String(3000, u'x') + u"%Y", noon);
  EXPECT_EQ(longText.size(), 3004u);
  EXPECT_THROW(FormatDateTime(u"%Y", std::nan("")), EConvertError);
  EXPECT_THROW(FormatDateTime(u"%Y", 1e9), EConvertError);
  EXPECT_EQ(FormatDateTime(u"%Y", -693593.0), u"1") << "0001-01-01";
  // The numeric conversions, the same on every host; the date of day 1 - 693594 is 0001-01-01.
  const TDateTime evening = 45000.0 + (21 * 3600 + 5 * 60 + 9) / 86400.0;  // 21:05:09
  EXPECT_EQ(FormatDateTime(u"%e|%I|%u|%w|%D|%R|%y", evening), u"15|09|3|3|03/15/23|21:05|23");
  EXPECT_EQ(FormatDateTime(u"%I %u %w", 45004.0), u"12 7 0") << "midnight, a Sunday";
  EXPECT_EQ(FormatDateTime(u"%F|%e|%j", -693593.0), u"0001-01-01| 1|001");
  EXPECT_EQ(FormatDateTime(u"%F", 2958465.0), u"9999-12-31");
  EXPECT_EQ(FormatDateTime(u"%Y|%F", 2958466.0), u"10000|+10000-01-01");
  EXPECT_EQ(FormatDateTime(u"%Y %y", -712000.0), u"-50 50") << "-0050-08-11";
  EXPECT_EQ(FormatDateTime(u"a%nb%tc", noon), u"a\nb\tc");
  // Text around the conversions is copied, a trailing "%" and characters beyond ASCII too.
  EXPECT_EQ(FormatDateTime(u"%\u00e9%Y%", noon),
            u"%\u00e9"
            u"2023%");
  EXPECT_EQ(FormatDateTime(u"%Q", noon), u"%Q") << "a conversion unknown everywhere";
  const String manyNames = FormatDateTime(u"%a" + String(1000, u'a'), noon);
  EXPECT_EQ(manyNames.substr(0, 3), u"Wed");
}

TEST(FormatDateTime, NowIsTodayInLocalTime) {
  const TDateTime before = Now();
  const String text = FormatDateTime(u"%Y-%m-%d", before);
  const std::time_t t = std::time(nullptr);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", std::localtime(&t));
  const TDateTime after = Now();
  if (std::floor(before) == std::floor(after)) {
    EXPECT_EQ(ToUtf8(text), buf);
  }
  EXPECT_LE(before, after);
  EXPECT_GT(before, 45000.0);
}

}  // namespace
}  // namespace xan
