// Quoted names, call parameters, tags in text, line coordinates and uuencoding.
#include "xan/stringl/string_parse.h"

#include <gtest/gtest.h>

#include <random>

#include "random_text.h"

namespace xan {
namespace {

// ------------------------------------------------------------------------------------------------
// Quoted names

struct NameRead {
  String name;
  String rest;
  TQuotedStrState state;
};

NameRead Parse(Char c1, Char c2, StringView text, TQuotedStrState state = vsStart) {
  String t(text);
  String name = ParseQuotedName(c1, c2, t, state);
  return {name, t, state};
}

void ExpectRead(const NameRead& got, StringView name, StringView rest, TQuotedStrState state) {
  EXPECT_EQ(got.name, name);
  EXPECT_EQ(got.rest, rest);
  EXPECT_EQ(got.state, state);
}

TEST(ParseQuotedName, QuotedAndPlainNames) {
  ExpectRead(Parse(u'"', u'"', u"\"my file\" rest"), u"my file", u" rest", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"  plain rest"), u"plain", u" rest", vsEnd);
  ExpectRead(Parse(u'[', u']', u"[a]]b] x"), u"a]b", u" x", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"\"say \"\"hi\"\"\"="), u"say \"hi\"", u"=", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"\"a\"b"), u"a", u"b", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"plain\tx"), u"plain", u"\tx", vsEnd);
  ExpectRead(Parse(u'[', u']', u"a[b] c"), u"a[b]", u" c", vsEnd);  // quotes inside a plain name
}

TEST(ParseQuotedName, ControlCharactersBeforeANameAreSkippedLikeBlanks) {
  // Names separated by tabs or line ends: each call must make progress, never report an empty
  // complete name while consuming nothing.
  ExpectRead(Parse(u'"', u'"', u"\tb c"), u"b", u" c", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"\r\n \"q\""), u"q", u"", vs1stQuote);
  ExpectRead(Parse(u'"', u'"', u" \r\n"), u"", u"", vsStart);
  String text = u"a\tb\nc";
  String names;
  for (int guard = 0; guard < 10 && !text.empty(); ++guard) {
    TQuotedStrState state = vsStart;
    names += ParseQuotedName(u'"', u'"', text, state) + u"|";
  }
  EXPECT_EQ(names, u"a|b|c|");
}

TEST(ParseQuotedName, TextRunningOutLeavesTheStateOpen) {
  ExpectRead(Parse(u'"', u'"', u"\"\""), u"", u"", vs1stQuote);
  ExpectRead(Parse(u'"', u'"', u"\"my fi"), u"my fi", u"", vsQuote);
  ExpectRead(Parse(u'"', u'"', u"plain"), u"plain", u"", vsNormal);
  ExpectRead(Parse(u'"', u'"', u"   "), u"", u"", vsStart);
  ExpectRead(Parse(u'"', u'"', u""), u"", u"", vsStart);
  ExpectRead(Parse(u'"', u'"', u"x y", vsEnd), u"", u"x y", vsEnd);
}

TEST(ParseQuotedName, NamesArriveInPieces) {
  ExpectRead(Parse(u'"', u'"', u"le\" x", vsQuote), u"le", u" x", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"\"b\" x", vs1stQuote), u"\"b", u" x", vsEnd);  // doubled quote
  ExpectRead(Parse(u'"', u'"', u" x", vs1stQuote), u"", u" x", vsEnd);
  ExpectRead(Parse(u'"', u'"', u"ain x", vsNormal), u"ain", u" x", vsEnd);
  // Split anywhere, the pieces give the same name.
  const StringView whole = u"\"a \"\"b\"\" c\" tail";
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    TQuotedStrState state = vsStart;
    String first(whole.substr(0, cut));
    String second(whole.substr(cut));
    String name = ParseQuotedName(u'"', u'"', first, state);
    if (state != vsEnd) name += ParseQuotedName(u'"', u'"', second, state);
    EXPECT_EQ(name, u"a \"b\" c") << cut;
    EXPECT_EQ(state, vsEnd) << cut;
  }
}

// ------------------------------------------------------------------------------------------------
// Parameters

TEST(ExtractParam, ParametersOfACall) {
  EXPECT_EQ(ExtractParam(u"plot(x, y, 3)", 0, u'(', u')', u","), u"x");
  EXPECT_EQ(ExtractParam(u"plot(x, y, 3)", 1, u'(', u')', u","), u"y");
  EXPECT_EQ(ExtractParam(u"plot(x, y, 3)", 2, u'(', u')', u","), u"3");
  EXPECT_EQ(ExtractParam(u"plot(x, y, 3)", 3, u'(', u')', u","), u"");
  EXPECT_EQ(ExtractParam(u"plot(x, y, 3)", -1, u'(', u')', u","), u"");
  EXPECT_EQ(ExtractParam(u"f(a, g(b, c), d) + h(e)", 1, u'(', u')', u","), u"g(b, c)");
  EXPECT_EQ(ExtractParam(u"f(a, g(b, c), d) + h(e)", 2, u'(', u')', u","), u"d");
  EXPECT_EQ(ExtractParam(u"f(\"a,b\", c)", 0, u'(', u')', u","), u"\"a,b\"");
  EXPECT_EQ(ExtractParam(u"f(\")\", c)", 1, u'(', u')', u","), u"c");
  EXPECT_EQ(ExtractParam(u"f(a,,b)", 1, u'(', u')', u","), u"");
  EXPECT_EQ(ExtractParam(u"f(a,,b)", 2, u'(', u')', u","), u"b");
  EXPECT_EQ(ExtractParam(u"f()", 0, u'(', u')', u","), u"");
  EXPECT_EQ(ExtractParam(u"f(a)", 1, u'(', u')', u","), u"");
}

TEST(ExtractParam, ListsWithoutBracketsOtherSeparatorsAndOpenEnds) {
  EXPECT_EQ(ExtractParam(u"a; b", 1, u'(', u')', u";"), u"b");
  EXPECT_EQ(ExtractParam(u"f(a; b", 1, u'(', u')', u";"), u"b");  // c2 missing: to the end
  EXPECT_EQ(ExtractParam(u"[1 -- 2 -- 3]", 2, u'[', u']', u"--"), u"3");
  EXPECT_EQ(ExtractParam(u"f(a, b)", 0, u'(', u')', u""), u"a, b");
  EXPECT_EQ(ExtractParam(u"|a,b|c", 1, u'|', u'|', u","), u"b");   // same bracket: no nesting
  EXPECT_EQ(ExtractParam(u"\"a,b\"", 1, u'"', u'"', u","), u"b");  // quotes as brackets
  EXPECT_EQ(ExtractParam(u"", 0, u'(', u')', u","), u"");
}

// ------------------------------------------------------------------------------------------------
// Tags

const std::vector<String> kTags = {u"b", u"/b", u"item", u"/item", u"br"};

TEST(DetectNextTagInString, FindsListedTagsOnly) {
  int32_t pos = 1, pos2 = -1;
  String tag;
  bool found = false;
  EXPECT_EQ(DetectNextTagInString(u"a <x><b>x</b>", pos, pos2, kTags, tag, found), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(pos, 6);
  EXPECT_EQ(pos2, 8);
  EXPECT_EQ(tag, u"<b>");
  pos = pos2 + 1;
  EXPECT_EQ(DetectNextTagInString(u"a <x><b>x</B >", pos, pos2, kTags, tag, found), 1);
  EXPECT_EQ(pos, 10);
  EXPECT_EQ(pos2, 14);
  EXPECT_EQ(tag, u"</B >");
  pos = pos2 + 1;
  EXPECT_EQ(DetectNextTagInString(u"a <x><b>x</B >", pos, pos2, kTags, tag, found), -1);
  EXPECT_FALSE(found);
  EXPECT_EQ(pos, 15);
  EXPECT_EQ(pos2, 0);
  EXPECT_EQ(tag, u"");
}

TEST(DetectNextTagInString, CommentsEmptyElementsAndCutTags) {
  int32_t pos = 1, pos2 = 0;
  String tag;
  bool found = false;
  EXPECT_EQ(DetectNextTagInString(u"<!-- <b> --><br/>", pos, pos2, kTags, tag, found), 4);
  EXPECT_EQ(pos, 13);
  EXPECT_EQ(pos2, 17);
  pos = 1;
  EXPECT_EQ(DetectNextTagInString(u"<!-- <b> ", pos, pos2, kTags, tag, found), -1);
  pos = 0;
  EXPECT_EQ(DetectNextTagInString(u"<b", pos, pos2, kTags, tag, found), -1);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(DetectNextTagInString(u"<item\tid=1>", pos, pos2, kTags, tag, found), 2);
  EXPECT_EQ(DetectNextTagInString(u"<b>", pos, pos2, {}, tag, found), -1);
  pos = 99;
  EXPECT_EQ(DetectNextTagInString(u"<b>", pos, pos2, kTags, tag, found), -1);
}

TEST(ReadNextTagInString, ContentUpToTheMatchingEndTag) {
  int32_t pos = 1;
  String tag, content;
  const StringView text = u"<Item ID=\"3\">x<item>y</item></ITEM>z<br/>t<b>open";
  EXPECT_EQ(ReadNextTagInString(text, pos, kTags, tag, content), 2);
  EXPECT_EQ(tag, u"<Item ID=\"3\">");
  EXPECT_EQ(content, u"x<item>y</item>");
  EXPECT_EQ(pos, 36);
  EXPECT_EQ(text.substr(pos - 1, 1), u"z");
  EXPECT_EQ(ReadNextTagInString(text, pos, kTags, tag, content), 4);
  EXPECT_EQ(tag, u"<br/>");
  EXPECT_EQ(content, u"");
  EXPECT_EQ(text.substr(pos - 1, 1), u"t");
  EXPECT_EQ(ReadNextTagInString(text, pos, kTags, tag, content), 0);
  EXPECT_EQ(content, u"open");
  EXPECT_EQ(pos, static_cast<int32_t>(text.size()) + 1);
  EXPECT_EQ(ReadNextTagInString(text, pos, kTags, tag, content), -1);
  EXPECT_EQ(tag, u"");
  EXPECT_EQ(content, u"");
}

TEST(ReadNextTagInString, EndTagsAndSelfClosingInnerTags) {
  int32_t pos = 1;
  String tag, content;
  EXPECT_EQ(ReadNextTagInString(u"</b>rest", pos, kTags, tag, content), 1);
  EXPECT_EQ(content, u"");
  EXPECT_EQ(pos, 5);
  pos = 1;
  EXPECT_EQ(ReadNextTagInString(u"<b>1<b/>2</b>3", pos, kTags, tag, content), 0);
  EXPECT_EQ(content, u"1<b/>2");  // an empty element does not nest
  EXPECT_EQ(pos, 14);
  pos = 1;
  EXPECT_EQ(ReadNextTagInString(u"<b><!-- </b> --></b>", pos, kTags, tag, content), 0);
  EXPECT_EQ(content, u"<!-- </b> -->");
}

// ------------------------------------------------------------------------------------------------
// Line and column

TEST(TextLineCoords, EveryKindOfLineEnd) {
  struct Case {
    StringView text;
    int32_t pos, line, column;
    bool ok;
  };
  const Case cases[] = {
      {u"ab\r\ncd", 1, 1, 1, true},  {u"ab\r\ncd", 3, 1, 3, true},  {u"ab\r\ncd", 4, 1, 4, true},
      {u"ab\r\ncd", 5, 2, 1, true},  {u"ab\r\ncd", 7, 2, 3, true},  {u"ab\ncd", 6, 2, 3, true},
      {u"a\rb\n\nc", 3, 2, 1, true}, {u"a\rb\n\nc", 5, 3, 1, true}, {u"a\rb\n\nc", 6, 4, 1, true},
      {u"\n", 2, 2, 1, true},        {u"", 1, 1, 1, true},          {u"ab", 0, 0, 0, false},
      {u"ab", 4, 0, 0, false},       {u"ab", -1, 0, 0, false},      {u"\r\r\n", 3, 2, 2, true},
  };
  for (const Case& c : cases) {
    int32_t line = -1, column = -1;
    EXPECT_EQ(TextLineCoords(c.text, c.pos, line, column), c.ok) << ToUtf8(c.text) << c.pos;
    EXPECT_EQ(line, c.line) << ToUtf8(c.text) << " pos " << c.pos;
    EXPECT_EQ(column, c.column) << ToUtf8(c.text) << " pos " << c.pos;
  }
}

// ------------------------------------------------------------------------------------------------
// uuencoding

TEST(UUEncode, ClassicLineFormat) {
  EXPECT_EQ(UUEncodeStr(u"Cat"), u"#0V%T\r\n`\r\n");
  EXPECT_EQ(UUEncodeStr(u""), u"`\r\n");
  EXPECT_EQ(UUEncodeStr(String(1, u'\0')), u"!````\r\n`\r\n");
  EXPECT_EQ(UUEncodeStr(u"\u0143"), UUEncodeStr(u"C"));  // low 8 bits only
  // 45 bytes fill one line of 1 + 60 characters; the 46th starts the next.
  const String enc = UUEncodeStr(String(46, u'a'));
  const size_t eol = enc.find(u"\r\n");
  EXPECT_EQ(eol, 61U);
  EXPECT_EQ(enc[0], u'M');
  EXPECT_EQ(enc.substr(eol + 2, 1), u"!");
  EXPECT_TRUE(enc.ends_with(u"\r\n`\r\n"));
  EXPECT_EQ(enc.find(u' '), String::npos);  // no blanks at all
}

TEST(UUEncode, EveryByteAndLengthRoundTrips) {
  String all;
  for (int b = 0; b < 256; ++b) all += static_cast<Char>(b);
  EXPECT_EQ(UUDecodeStr(UUEncodeStr(all)), all);
  std::mt19937 rng(3);
  for (size_t len = 0; len <= 200; ++len) {
    String s;
    for (size_t i = 0; i < len; ++i) s += static_cast<Char>(rng() & 0xFF);
    ASSERT_EQ(UUDecodeStr(UUEncodeStr(s)), s) << len;
  }
}

TEST(UUDecode, AcceptsTheUsualVariants) {
  EXPECT_EQ(UUDecodeStr(u"#0V%T\r\n`\r\n"), u"Cat");
  EXPECT_EQ(UUDecodeStr(u"begin 644 a.txt\n#0V%T\n`\nend\n"), u"Cat");
  EXPECT_EQ(UUDecodeStr(u"#0V%T\r#0V%T"), u"CatCat");        // lone CR ends and no closing line
  EXPECT_EQ(UUDecodeStr(u"\n\n#0V%T\n \n#0V%T\n"), u"Cat");  // a blank line closes the data
  EXPECT_EQ(UUDecodeStr(u"!    \n"), String(1, u'\0'));      // blanks as zero
  EXPECT_EQ(UUDecodeStr(u"!\n"), String(1, u'\0'));          // stripped blanks: padded
  EXPECT_EQ(UUDecodeStr(u"#0V%TXX\n"), u"Cat");              // a checksum character is ignored
  EXPECT_EQ(UUDecodeStr(u""), u"");
  EXPECT_EQ(UUDecodeStr(u"end\n#0V%T\n"), u"");
}

TEST(UUDecode, StopsAtAMalformedLine) {
  EXPECT_EQ(UUDecodeStr(u"#0V%T\n#0v%T\n#0V%T\n"), u"Cat");  // "v" is outside " ".."`"
  EXPECT_EQ(UUDecodeStr(u"\u0123abc\n"), u"");
  EXPECT_EQ(UUDecodeStr(u"#0V\u20ac%\n"), u"");
}

// ------------------------------------------------------------------------------------------------
// Hostile input: random texts full of the characters the parsers react to. Besides running
// clean under the sanitizers, each result must be a piece of the text where it says so.

TEST(Parsers, RandomTextsGiveResultsInsideTheText) {
  std::mt19937 rng(99);
  const std::vector<String> tags = {u"b", u"/b", u"", u"!--", u"?x"};
  for (int round = 0; round < 3000; ++round) {
    const String text = RandomText(rng, rng() % 30, u"<>/!-b? \"()[],\r\n`!#M\u0141");
    const std::string what = ToUtf8(text);
    const auto start = static_cast<int32_t>(rng() % 34) - 2;

    String rest = text;
    auto state = static_cast<TQuotedStrState>(rng() % 5);
    const String name = ParseQuotedName(u'[', u']', rest, state);
    ASSERT_LE(name.size() + rest.size(), text.size()) << what;
    ASSERT_TRUE(StringView(text).ends_with(rest)) << what;

    const String param = ExtractParam(text, static_cast<int32_t>(rng() % 4), u'(', u')', u",");
    ASSERT_NE(text.find(param), String::npos) << what;

    int32_t pos = start, pos2 = -1;
    String tag;
    bool found = false;
    const int32_t index = DetectNextTagInString(text, pos, pos2, tags, tag, found);
    ASSERT_EQ(found, index >= 0) << what;
    if (found) {
      ASSERT_TRUE(pos >= std::max(start, 1) && pos < pos2) << what;
      ASSERT_EQ(tag, text.substr(pos - 1, pos2 - pos + 1)) << what;
    } else {
      ASSERT_EQ(pos, start) << what;
    }

    pos = start;
    String content;
    if (ReadNextTagInString(text, pos, tags, tag, content) >= 0) {
      ASSERT_TRUE(pos > std::max(start, 1) && pos <= static_cast<int32_t>(text.size()) + 1) << what;
      ASSERT_NE(text.find(tag + content), String::npos) << what;
    }

    int32_t line = -1, column = -1;
    const bool inside = start >= 1 && start <= static_cast<int32_t>(text.size()) + 1;
    ASSERT_EQ(TextLineCoords(text, start, line, column), inside) << what;
    ASSERT_EQ(line > 0 && column > 0 && column <= start, inside) << what;

    const String bytes = UUDecodeStr(text);
    ASSERT_EQ(UUDecodeStr(UUEncodeStr(bytes)), bytes) << what;
  }
}

}  // namespace
}  // namespace xan
