// The plain text helpers shared by the units: simple case and hexadecimal digits over every
// character, blank trimming, and integers written and read at the limits of each width.
#include "platform/simple_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace xan::detail {
namespace {

constexpr std::string_view kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kLower = "abcdefghijklmnopqrstuvwxyz";

TEST(SimpleText, CaseChangesOnlyTheTwentySixLetters) {
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<Char>(code);
    const size_t up = code < 128 ? kUpper.find(static_cast<char>(code)) : std::string_view::npos;
    const size_t low = code < 128 ? kLower.find(static_cast<char>(code)) : std::string_view::npos;
    ASSERT_EQ(SimpleLower(c), up != std::string_view::npos ? Char(kLower[up]) : c) << code;
    ASSERT_EQ(SimpleUpper(c), low != std::string_view::npos ? Char(kUpper[low]) : c) << code;
  }
  // Bytes of 8-bit text, and byte values held in an int with -1 for "none".
  for (int b = -1; b <= 255; ++b) {
    const auto c = static_cast<char>(b);
    const bool upper = b >= 'A' && b <= 'Z';
    const bool lower = b >= 'a' && b <= 'z';
    ASSERT_EQ(SimpleLower(c), upper ? static_cast<char>(b + 32) : c) << b;
    ASSERT_EQ(SimpleUpper(b), lower ? b - 32 : b) << b;
  }
}

TEST(SimpleText, TextsAndComparison) {
  EXPECT_EQ(SimpleLowerText(u"Ab\u00c9z[@"), u"ab\u00c9z[@");
  EXPECT_EQ(SimpleUpperText(u"Ab\u00e9z`{"), u"AB\u00e9Z`{");
  EXPECT_EQ(SimpleLowerText(std::string_view("QR\xc9s")), "qr\xc9s");
  EXPECT_TRUE(SimpleSameText(u"TrUe", u"true"));
  EXPECT_TRUE(SimpleSameText(u"", u""));
  EXPECT_FALSE(SimpleSameText(u"\u00c9", u"\u00e9"));
  EXPECT_FALSE(SimpleSameText(u"true", u"true "));
  EXPECT_FALSE(SimpleSameText(u"[", u"{"));  // 32 apart, but not letters
}

TEST(SimpleText, TrimsBlanksOnly) {
  EXPECT_EQ(TrimBlanksView(u"  a b "), u"a b");
  EXPECT_EQ(TrimBlanksView(u"\ta\r\n"), u"\ta\r\n");
  EXPECT_EQ(TrimBlanksView(u"   "), u"");
  EXPECT_EQ(TrimBlanksView(u""), u"");
}

template <class T>
void ExpectLimitsWritten() {
  for (T v : {std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), T(0), T(1), T(10)}) {
    EXPECT_EQ(ToUtf8(DecimalText(v)), std::to_string(v));
  }
}

TEST(SimpleText, WritesIntegersOfEveryWidth) {
  ExpectLimitsWritten<int8_t>();
  ExpectLimitsWritten<int16_t>();
  ExpectLimitsWritten<int32_t>();
  ExpectLimitsWritten<int64_t>();
  ExpectLimitsWritten<uint16_t>();
  ExpectLimitsWritten<uint32_t>();
  ExpectLimitsWritten<uint64_t>();
  String s = u"x=";
  AppendDecimal(s, -7);
  EXPECT_EQ(s, u"x=-7");
}

TEST(SimpleText, HexDigitsBothWays) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    const char ascii = code < 128 ? static_cast<char>(SimpleLower(code)) : '\0';
    const size_t at = ascii != '\0' ? kDigits.find(ascii) : std::string_view::npos;
    ASSERT_EQ(HexDigitValue(static_cast<Char>(code)),
              at == std::string_view::npos ? -1 : static_cast<int>(at))
        << code;
  }
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue(static_cast<char>(0xC6)), -1);

  std::mt19937 random(16);
  for (int i = 0; i < 2000; ++i) {
    const uint32_t v = i < 2 ? (i == 0 ? 0U : 0xFFFFFFFFU) : static_cast<uint32_t>(random());
    char buffer[9];
    const auto end = std::to_chars(buffer, buffer + 8, v, 16).ptr;
    std::string expected(static_cast<size_t>(8 - (end - buffer)), '0');
    for (const char* c = buffer; c != end; ++c) expected += SimpleUpper(*c);
    String out = u"#";
    AppendHex8(out, v);
    ASSERT_EQ(ToUtf8(out), "#" + expected) << v;
  }
}

template <class T>
TDecimalRead Read(StringView text, T& value) {
  return ReadDecimal(text, value);
}

TEST(SimpleText, ReadsIntegersWithinTheirType) {
  int32_t v = 5;
  EXPECT_EQ(Read(u"42", v), TDecimalRead::Ok);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(Read(u"+0007", v), TDecimalRead::Ok);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(Read(u"-0", v), TDecimalRead::Ok);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(Read(u"2147483647", v), TDecimalRead::Ok);
  EXPECT_EQ(v, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Read(u"-2147483648", v), TDecimalRead::Ok);
  EXPECT_EQ(v, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Read(u"00000000000000000000000000012", v), TDecimalRead::Ok);
  EXPECT_EQ(v, 12);

  v = 5;
  for (StringView far : {u"2147483648", u"-2147483649", u"99999999999999999999999"}) {
    EXPECT_EQ(Read(far, v), TDecimalRead::OutOfRange) << ToUtf8(far);
  }
  for (StringView bad : {u"", u"-", u"+", u" 1", u"1 ", u"1x", u"--1", u"+-1", u"1.0", u"\uff11",
                         u"99999999999999999999999x"}) {
    EXPECT_EQ(Read(bad, v), TDecimalRead::NotANumber) << ToUtf8(bad);
  }
  EXPECT_EQ(v, 5);  // unchanged by every failure

  int64_t w = 0;
  EXPECT_EQ(Read(u"-9223372036854775808", w), TDecimalRead::Ok);
  EXPECT_EQ(w, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(Read(u"9223372036854775808", w), TDecimalRead::OutOfRange);
  int8_t b = 0;
  EXPECT_EQ(ReadDecimal(std::string_view("-128"), b), TDecimalRead::Ok);
  EXPECT_EQ(b, -128);
  EXPECT_EQ(ReadDecimal(std::string_view("128"), b), TDecimalRead::OutOfRange);
  EXPECT_EQ(ReadDecimal(std::string_view("\xb1"), b), TDecimalRead::NotANumber);
}

TEST(SimpleText, ReadsBackWhatItWrites) {
  std::mt19937_64 random(77);
  for (int i = 0; i < 20000; ++i) {
    // Values of every magnitude: a random number cut to a random count of bits.
    const auto v = static_cast<int64_t>(random() >> (1 + random() % 63));
    const int64_t signed_v = i % 2 == 0 ? v : -v;
    int64_t back = 0;
    ASSERT_EQ(Read(DecimalText(signed_v), back), TDecimalRead::Ok) << signed_v;
    ASSERT_EQ(back, signed_v);
    int32_t narrow = 0;
    const bool fits = signed_v >= std::numeric_limits<int32_t>::min() &&
                      signed_v <= std::numeric_limits<int32_t>::max();
    ASSERT_EQ(Read(DecimalText(signed_v), narrow),
              fits ? TDecimalRead::Ok : TDecimalRead::OutOfRange)
        << signed_v;
  }
}

}  // namespace
}  // namespace xan::detail
