// URL coding: the path of a URL, the escaped character set of URLEncode, the two decoding passes
// of URLDecode, and round trips of every code 0..255.
#include "xan/htmlsupport/url_coding.h"

#include <gtest/gtest.h>

#include <random>

#include "xan/stringl/char_funcs.h"

namespace xan {
namespace {

TEST(ExtractHTTPPath, KeepsTheTextUpToTheLastSlash) {
  EXPECT_EQ(ExtractHTTPPath(u"http://server/dir/page.html"), u"server/dir/");
  EXPECT_EQ(ExtractHTTPPath(u"HTTP://server/a"), u"server/");
  EXPECT_EQ(ExtractHTTPPath(u"hTtP://server/a/b/"), u"server/a/b/");
  EXPECT_EQ(ExtractHTTPPath(u"dir/sub/file.txt"), u"dir/sub/");
  EXPECT_EQ(ExtractHTTPPath(u"/"), u"/");
  // Only the first "http://" goes; a second one is part of the path.
  EXPECT_EQ(ExtractHTTPPath(u"http://a/http://b/c"), u"a/http://b/");
  EXPECT_EQ(ExtractHTTPPath(u"x http://a/b"), u"a/");
  // Another scheme is just text.
  EXPECT_EQ(ExtractHTTPPath(u"https://server/a"), u"https://server/");
}

TEST(ExtractHTTPPath, AUrlWithoutSlashHasNoPath) {
  EXPECT_EQ(ExtractHTTPPath(u"http://server"), u"");
  EXPECT_EQ(ExtractHTTPPath(u"page.html"), u"");
  EXPECT_EQ(ExtractHTTPPath(u"http://"), u"");
  EXPECT_EQ(ExtractHTTPPath(u""), u"");
}

constexpr StringView kEscaped = u" !*'();:@&=+$,/?%#[]";

TEST(URLEncode, EscapesExactlyTheListedCharacters) {
  EXPECT_EQ(URLEncode(u"a b/c"), u"a%20b%2Fc");
  EXPECT_EQ(URLEncode(u"it's"), u"it%27s");
  EXPECT_EQ(URLEncode(u"50%"), u"50%25");
  EXPECT_EQ(URLEncode(u""), u"");
  EXPECT_EQ(URLEncode(u"\u00e9\u20ac\U0001F600-_.~"), u"\u00e9\u20ac\U0001F600-_.~");
  for (uint32_t code = 0; code < 256; ++code) {
    const Char c = static_cast<Char>(code);
    const String encoded = URLEncode(String(1, c));
    if (kEscaped.find(c) != StringView::npos) {
      const char* hex = "0123456789ABCDEF";
      const String expected = {u'%', static_cast<Char>(hex[code >> 4]),
                               static_cast<Char>(hex[code & 15])};
      EXPECT_EQ(encoded, expected) << code;
    } else {
      EXPECT_EQ(encoded, String(1, c)) << code;
    }
  }
}

TEST(URLDecode, DecodesTwice) {
  EXPECT_EQ(URLDecode(u"a%20b"), u"a b");
  EXPECT_EQ(URLDecode(u"%2541"), u"A");
  EXPECT_EQ(URLDecode(u"%252"), u"%2");
  EXPECT_EQ(URLDecode(u"%25%32%35"), u"%");  // "%25" after the first pass, "%" after the second
  EXPECT_EQ(URLDecode(u"%%41"), u"%A");
  EXPECT_EQ(URLDecode(u"%e9%C4"), u"\u00e9\u00c4");
  EXPECT_EQ(URLDecode(u"%00"), String(1, u'\0'));
  EXPECT_EQ(URLDecode(u"%ff"), u"\u00ff");
}

TEST(URLDecode, LeavesIncompleteEscapesAlone) {
  EXPECT_EQ(URLDecode(u"100%"), u"100%");
  EXPECT_EQ(URLDecode(u"%zz"), u"%zz");
  EXPECT_EQ(URLDecode(u"%4"), u"%4");
  EXPECT_EQ(URLDecode(u"%4g"), u"%4g");
  EXPECT_EQ(URLDecode(u"%g4"), u"%g4");
  EXPECT_EQ(URLDecode(u"a+b"), u"a+b");
  EXPECT_EQ(URLDecode(u"%"), u"%");
  EXPECT_EQ(URLDecode(u""), u"");
  // Full-width digits are no hexadecimal digits.
  EXPECT_EQ(URLDecode(u"%\uff14\uff11"), u"%\uff14\uff11");
  EXPECT_EQ(URLDecode(u"\u20ac%41"), u"\u20acA");
}

TEST(URLCoding, EveryCodeRoundTrips) {
  String all;
  for (uint32_t code = 0; code < 256; ++code) {
    const String one(1, static_cast<Char>(code));
    EXPECT_EQ(URLDecode(URLEncode(one)), one) << code;
    all += one;
  }
  EXPECT_EQ(URLDecode(URLEncode(all)), all);
  // Encoding twice is undone by the two passes.
  EXPECT_EQ(URLDecode(URLEncode(URLEncode(all))), all);
}

TEST(URLCoding, RandomTextsWithoutEncodedLookingPartsRoundTrip) {
  // The first pass gives the original back; the second then decodes any "%" followed by two
  // hexadecimal digits in it, so texts holding such a sequence are left out.
  std::mt19937 gen(7);
  const StringView alphabet = u"aZ09%25 /?#&=+\u00e9\u20ac";
  for (int round = 0; round < 2000; ++round) {
    String text;
    const size_t length = gen() % 12;
    for (size_t i = 0; i < length; ++i) text += alphabet[gen() % alphabet.size()];
    bool encodedLooking = false;
    for (size_t i = 0; i + 2 < text.size(); ++i) {
      if (text[i] == u'%' && IsHexChar(text[i + 1]) && IsHexChar(text[i + 2])) {
        encodedLooking = true;
      }
    }
    if (encodedLooking) continue;
    EXPECT_EQ(URLDecode(URLEncode(text)), text);
  }
}

}  // namespace
}  // namespace xan
