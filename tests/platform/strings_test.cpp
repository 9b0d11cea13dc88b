// Text conversions: UTF-8 both ways, the ANSI code page, byte strings and ShortString.
#include "xan/platform/strings.h"

#include <gtest/gtest.h>

#include "test_host.h"

namespace xan {
namespace {

TEST(Utf8, RoundTripsEveryBmpCharacterAndPairs) {
  String all;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all += static_cast<Char>(c);
  }
  all += u"\U0001F600\U0010FFFF";
  EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
  EXPECT_EQ(ToUtf8(u"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf8(u"a\xd800"
                   u"b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(ToUtf8(StringView(u"\xdc00\xd800", 2)), "\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(Utf8, MalformedInputGivesOneReplacementPerBadPiece) {
  EXPECT_EQ(FromUtf8("\xff"), u"\ufffd");
  EXPECT_EQ(FromUtf8("a\xc3"), u"a\ufffd");                    // truncated at the end
  EXPECT_EQ(FromUtf8("\xc0\xaf"), u"\ufffd\ufffd");            // overlong
  EXPECT_EQ(FromUtf8("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
  EXPECT_EQ(FromUtf8("\xe2\x82"
                     "x"),
            u"\ufffdx");  // cut short by an ASCII byte
  EXPECT_EQ(FromUtf8("\xf4\x90\x80\x80"), u"\ufffd\ufffd\ufffd\ufffd");  // above U+10FFFF
}

TEST(AnsiCodePage, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const Char c = AnsiToChar(static_cast<uint8_t>(b));
    EXPECT_EQ(CharToAnsi(c), b) << b;
    EXPECT_TRUE(IsAnsiChar(c));
    if (b < 0x80 || b >= 0xA0) {
      EXPECT_EQ(c, b);
    }
  }
}

TEST(AnsiCodePage, HighControlRangeMapsToTypographicCharacters) {
  EXPECT_EQ(AnsiToChar(0x80), u'\u20ac');
  EXPECT_EQ(AnsiToChar(0x85), u'\u2026');
  EXPECT_EQ(AnsiToChar(0x9F), u'\u0178');
  EXPECT_EQ(AnsiToChar(0x81), u'\u0081');
  EXPECT_EQ(CharToAnsi(u'\u0100'), '?');
  EXPECT_EQ(CharToAnsi(u'\u0100', 0), 0);
  EXPECT_FALSE(IsAnsiChar(u'\u0080'));  // its byte is taken by the euro sign
  EXPECT_EQ(StringToAnsi(u"\u20acx\u4e00"), "\x80x?");
  EXPECT_EQ(AnsiToString("\x80\xe9"), u"\u20ac\u00e9");
}

// Whole texts convert as their characters do one by one (through the system on Windows), one
// byte per unit, surrogate halves included.
TEST(AnsiCodePage, WholeTextsAgreeWithTheCharacters) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  const String chars = AnsiToString(bytes);
  ASSERT_EQ(chars.size(), 256U);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(chars[b], AnsiToChar(static_cast<uint8_t>(b))) << b;
  for (const bool pair : {false, true}) {
    String all;
    for (uint32_t c = 1; c < 0x10000; ++c) {
      if (pair || c < 0xD800 || c >= 0xE000) all += static_cast<Char>(c);
    }
    if (pair) all += u"\U0001F600";
    const std::string out = StringToAnsi(all);
    ASSERT_EQ(out.size(), all.size());
    size_t wrong = 0;
    for (size_t i = 0; i < all.size(); ++i)
      wrong += static_cast<uint8_t>(out[i]) != CharToAnsi(all[i]);
    EXPECT_EQ(wrong, 0U) << pair;
  }
}

// The code page is a table of the library's own, the same on both hosts; on Windows it is
// compared with the system's code page 1252 for every byte and every character.
TEST(AnsiCodePage_Windows, TheTableIsTheSystemsCodePage1252) {
  XAN_ONLY_ON_WINDOWS();
#if defined(_WIN32)
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t wide = 0;
    ASSERT_EQ(::MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1), 1) << b;
    EXPECT_EQ(AnsiToChar(static_cast<uint8_t>(b)), static_cast<Char>(wide)) << b;
  }
  int mismatches = 0;
  for (uint32_t c = 0; c < 0x10000 && mismatches < 5; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;  // halves of pairs: not characters on their own
    const wchar_t wide = static_cast<wchar_t>(c);
    char byte = 0;
    BOOL defaulted = FALSE;
    const int n =
        ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &wide, 1, &byte, 1, nullptr, &defaulted);
    const bool mapped = n == 1 && !defaulted;
    if (mapped != IsAnsiChar(static_cast<Char>(c)) ||
        (mapped && static_cast<uint8_t>(byte) != CharToAnsi(static_cast<Char>(c)))) {
      ++mismatches;
      ADD_FAILURE() << "U+" << std::hex << c;
    }
  }
#endif
}

TEST(ByteStrings, KeepTheLowEightBits) {
  EXPECT_EQ(BytesToString(std::string_view("\x00\xff", 2)), String(u"\u0000\u00ff", 2));
  EXPECT_EQ(StringToBytes(u"\u0141\u00e9"), "\x41\xe9");
}

TEST(ShortStringTest, CutsAt255AndConvertsThroughTheCodePage) {
  const String longText(300, u'x');
  const ShortString s(longText);
  EXPECT_EQ(s.Length(), 255U);
  EXPECT_EQ(s.ToString(), String(255, u'x'));
  const ShortString euro(u"\u20ac5");
  EXPECT_EQ(euro.Bytes(),
            "\x80"
            "5");
  EXPECT_EQ(String(euro), u"\u20ac5");
  EXPECT_TRUE(ShortString().Empty());
  EXPECT_EQ(ShortString::FromAnsi(std::string(256, 'a')).Length(), 255U);
  EXPECT_LT(ShortString(u"ab"), ShortString(u"b"));
  EXPECT_EQ(ShortString(u"ab"), ShortString::FromAnsi("ab"));
}

}  // namespace
}  // namespace xan
