// HTML text: word counts with the in-tag state carried between calls, character references in
// both directions (every code round-trips), the document frame, and body extraction and
// conversion to plain text.
#include "xan/htmlsupport/html_text.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "xan/stringl/string_search.h"
#include "xan/xanbase.h"

namespace xan {
namespace {

// ------------------------------------------------------------------------------------------------
// CountWordsHTML

int32_t Count(StringView text, bool skipnumbers = false) {
  bool intag = false;
  return CountWordsHTML(text, skipnumbers, intag);
}

TEST(CountWordsHTML, CountsWordsOutsideTags) {
  bool intag = false;
  EXPECT_EQ(CountWordsHTML(u"<p>Hello world</p>", false, intag), 2);
  EXPECT_FALSE(intag);
  EXPECT_EQ(Count(u"<a href=\"x y z\">link text</a> "), 2);
  // "<" does not end a run, the ">" of the tag does.
  EXPECT_EQ(Count(u"Hello<b>world "), 2);
  EXPECT_EQ(Count(u"ab<i>c</i>d "), 1);
  // Runs of one character and a run at the very end do not count.
  EXPECT_EQ(Count(u"a bb ccc"), 1);
  EXPECT_EQ(Count(u"ab"), 0);
  EXPECT_EQ(Count(u""), 0);
  // Characters above code 255 are never separators.
  EXPECT_EQ(Count(u"\u00fcber \u20ac\u20ac x\u3000y."), 3);
}

TEST(CountWordsHTML, SkipsNumbersOnRequest) {
  EXPECT_EQ(Count(u"12 ab ", true), 1);
  EXPECT_EQ(Count(u"12 ab ", false), 2);
  // Only the first character decides.
  EXPECT_EQ(Count(u"1a a1 9 ", true), 1);
  EXPECT_EQ(Count(u"<b>2024</b> <i>x86</i>", true), 1);
}

TEST(CountWordsHTML, CarriesTheTagStateBetweenCalls) {
  bool intag = false;
  EXPECT_EQ(CountWordsHTML(u"<a href", false, intag), 0);
  EXPECT_TRUE(intag);
  EXPECT_EQ(CountWordsHTML(u"x>ab cd ", false, intag), 2);
  EXPECT_FALSE(intag);
  intag = true;
  EXPECT_EQ(CountWordsHTML(u"", false, intag), 0);
  EXPECT_TRUE(intag);
  EXPECT_EQ(CountWordsHTML(u"words in a tag ", false, intag), 0);
  EXPECT_EQ(CountWordsHTML(u"a>b<c>dd ee ", false, intag), 2);
}

TEST(CountWordsHTML, LineByLineGivesTheWholeCount) {
  std::mt19937 gen(11);
  const std::vector<StringView> pieces = {
      u"word", u"ab",           u"x", u"42", u"<p>", u"</p>", u"<a\nhref=\"u v\"\n>",
      u"<br>", u"\u00e9t\u00e9"};
  for (int round = 0; round < 300; ++round) {
    String doc;
    for (int k = 0; k < 40; ++k) {
      doc += pieces[gen() % pieces.size()];
      doc += gen() % 4 == 0 ? u'\n' : u' ';
    }
    doc += u'\n';
    for (const bool skip : {false, true}) {
      bool intag = false;
      const int32_t whole = CountWordsHTML(doc, skip, intag);
      bool lineTag = false;
      int32_t sum = 0;
      size_t start = 0;
      for (size_t nl = doc.find(u'\n'); nl != String::npos; nl = doc.find(u'\n', start)) {
        sum += CountWordsHTML(StringView(doc).substr(start, nl + 1 - start), skip, lineTag);
        start = nl + 1;
      }
      EXPECT_EQ(sum, whole) << ToUtf8(doc);
      EXPECT_EQ(lineTag, intag);
    }
  }
}

TEST(CountWordsHTML, AgreesWithCountWordsOnTextWithoutTags) {
  std::mt19937 gen(5);
  const StringView alphabet = u"ab1 .-\n\u00e9";
  for (int round = 0; round < 2000; ++round) {
    String text;
    for (size_t i = gen() % 16; i > 0; --i) text += alphabet[gen() % alphabet.size()];
    EXPECT_EQ(Count(text), CountWords(text)) << ToUtf8(text);
  }
}

// ------------------------------------------------------------------------------------------------
// Character references

TEST(HTMLEntities, EscapesTheMarkupCharactersAndLatin1) {
  EXPECT_EQ(AnsiToHTMLEntity(u'&'), u"&amp;");
  EXPECT_EQ(AnsiToHTMLEntity(u'<'), u"&lt;");
  EXPECT_EQ(AnsiToHTMLEntity(u'>'), u"&gt;");
  EXPECT_EQ(AnsiToHTMLEntity(u'"'), u"&quot;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\''), u"'");
  EXPECT_EQ(AnsiToHTMLEntity(u'a'), u"a");
  EXPECT_EQ(AnsiToHTMLEntity(u'\0'), String(1, u'\0'));
  EXPECT_EQ(AnsiToHTMLEntity(u'\u0080'), u"\u0080");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u00a0'), u"&nbsp;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u00d7'), u"&times;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u00ff'), u"&yuml;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u0100'), u"&#256;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\u20ac'), u"&#8364;");
  EXPECT_EQ(AnsiToHTMLEntity(u'\xd800'), u"&#55296;");
  for (uint32_t code = 160; code <= 255; ++code) {
    EXPECT_EQ(AnsiToHTMLEntity(static_cast<Char>(code)), HTMLLat1Entities[code]) << code;
  }
}

TEST(HTMLEntities, MakeStringHTMLCompatible) {
  EXPECT_EQ(MakeStringHTMLCompatible(u"a < b & \"c\""), u"a &lt; b &amp; &quot;c&quot;");
  EXPECT_EQ(MakeStringHTMLCompatible(u"caf\u00e9 \u20ac5"), u"caf&eacute; &#8364;5");
  EXPECT_EQ(MakeStringHTMLCompatible(u"\U0001F600"), u"&#128512;");
  EXPECT_EQ(MakeStringHTMLCompatible(u"\U0010FFFF"), u"&#1114111;");
  // Unpaired surrogates keep their own code.
  EXPECT_EQ(MakeStringHTMLCompatible(u"\xdc00\xd800"), u"&#56320;&#55296;");
  EXPECT_EQ(MakeStringHTMLCompatible(u"&amp;"), u"&amp;amp;");
  EXPECT_EQ(MakeStringHTMLCompatible(u""), u"");
}

TEST(HTMLEntities, ResolvesKnownReferencesOnly) {
  EXPECT_EQ(ResolveHTMLEntities(u"a &lt; b &gt; c &amp; &quot;d&quot; &apos;"),
            u"a < b > c & \"d\" '");
  EXPECT_EQ(ResolveHTMLEntities(u"caf&eacute; &Eacute; &nbsp;&yuml;"),
            u"caf\u00e9 \u00c9 \u00a0\u00ff");
  EXPECT_EQ(ResolveHTMLEntities(u"&#65;&#x42;&#X43;&#x6a;&#0065;"), u"ABCjA");
  EXPECT_EQ(ResolveHTMLEntities(u"&#x1F600;&#1114111;"), u"\U0001F600\U0010FFFF");
  // One pass only.
  EXPECT_EQ(ResolveHTMLEntities(u"&amp;lt;"), u"&lt;");
  // Unknown, unfinished or out-of-range references stay.
  for (StringView same : {u"&EACUTE;", u"&amp", u"&bogus;", u"& amp;", u"&;", u"&#;", u"&#x;",
                          u"&#0;", u"&#x0;", u"&#1114112;", u"&#x110000;", u"&#99999999999;",
                          u"&#12a;", u"&#-1;", u"&frac14x;", u"&", u"a&", u"&&lt", u""}) {
    EXPECT_EQ(ResolveHTMLEntities(same), same) << ToUtf8(same);
  }
  EXPECT_EQ(ResolveHTMLEntities(u"&&lt;&"), u"&<&");
}

TEST(HTMLEntities, HTMLEntityToAnsiTakesOneReference) {
  EXPECT_EQ(HTMLEntityToAnsi(u"&eacute;"), u"\u00e9");
  EXPECT_EQ(HTMLEntityToAnsi(u"&#8364;"), u"\u20ac");
  EXPECT_EQ(HTMLEntityToAnsi(u"&quot;"), u"\"");
  EXPECT_EQ(HTMLEntityToAnsi(u"&#x1F600;"), u"\U0001F600");
  for (StringView same : {u"&bogus;", u"x&amp;", u"&amp;x", u"&amp;&amp;", u"amp", u""}) {
    EXPECT_EQ(HTMLEntityToAnsi(same), same) << ToUtf8(same);
  }
}

TEST(HTMLEntities, EveryCodeUnitRoundTrips) {
  String all;
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    const Char c = static_cast<Char>(code);
    const String entity = AnsiToHTMLEntity(c);
    ASSERT_EQ(HTMLEntityToAnsi(entity), String(1, c)) << code;
    ASSERT_EQ(ResolveHTMLEntities(entity), String(1, c)) << code;
    all += c;
  }
  const String escaped = MakeStringHTMLCompatible(all);
  EXPECT_EQ(ResolveHTMLEntities(escaped), all);
  for (const Char c : escaped) EXPECT_LT(c, 160) << int{c};
}

TEST(HTMLEntities, RandomTextsRoundTrip) {
  std::mt19937 gen(9);
  const std::vector<StringView> pieces = {u"&",      u"#",  u";",      u"x",      u"amp",
                                          u"lt",     u"65", u"eacute", u"\xd83d", u"\xde00",
                                          u"\u00e9", u"<",  u"\"",     u"\u20ac", u" "};
  for (int round = 0; round < 5000; ++round) {
    String text;
    for (size_t i = gen() % 10; i > 0; --i) text += pieces[gen() % pieces.size()];
    ASSERT_EQ(ResolveHTMLEntities(MakeStringHTMLCompatible(text)), text) << ToUtf8(text);
  }
}

// ------------------------------------------------------------------------------------------------
// Document frame

TEST(HTMLFrame, DefaultHeadAndFoot) {
  EXPECT_EQ(DefaultHTMLHead(u"A & B", u"", u"", u"", true),
            u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"windows-1252\">\r\n"
            u"<title>A &amp; B</title>\r\n</head>\r\n<body>\r\n");
  EXPECT_EQ(DefaultHTMLHead(u"T", u"utf-8", u"say \"hi\"", u"s.css?a=1&b=2", false),
            u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
            u"<title>T</title>\r\n<meta name=\"description\" content=\"say &quot;hi&quot;\">\r\n"
            u"<link rel=\"stylesheet\" href=\"s.css?a=1&amp;b=2\">\r\n</head>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(true), u"</body>\r\n</html>\r\n");
  EXPECT_EQ(DefaultHTMLFoot(false), u"</html>\r\n");
  const String page =
      DefaultHTMLHead(u"x", u"", u"", u"", true) + u"<p>hi</p>" + DefaultHTMLFoot(true);
  EXPECT_EQ(ExtractHTMLBody(page), u"\r\n<p>hi</p>");
  EXPECT_EQ(ConvertHTMLBodyToText(page, true), u"hi");
}

// ------------------------------------------------------------------------------------------------
// Body

TEST(HTMLBody, ExtractsTheBodyContent) {
  EXPECT_EQ(ExtractHTMLBody(u"<html><body class=\"x\">Hi <b>you</b></body></html>"),
            u"Hi <b>you</b>");
  EXPECT_EQ(ExtractHTMLBody(u"<BODY>text"), u"text");
  EXPECT_EQ(ExtractHTMLBody(u"<Body\nonload=\"a>b\">x</BoDy >"), u"x");
  EXPECT_EQ(ExtractHTMLBody(u"<bodyx>a<body>b</bodyx></body>c</body>"), u"b</bodyx></body>c");
  EXPECT_EQ(ExtractHTMLBody(u"just <i>text</i>"), u"just <i>text</i>");
  EXPECT_EQ(ExtractHTMLBody(u"<body"), u"");
  EXPECT_EQ(ExtractHTMLBody(u"</body><body>a"), u"a");
  EXPECT_EQ(ExtractHTMLBody(u""), u"");
}

TEST(HTMLBody, ConvertsToPlainText) {
  EXPECT_EQ(ConvertHTMLBodyToText(u"<p>Hello   <b>big</b>\r\nworld</p><p>2 &lt; 3</p>", true),
            u"Hello big world\r\n\r\n2 < 3");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<br>b<div>c</div>d", true), u"a\r\nb\r\nc\r\nd");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<br>b<div>c</div>d", false), u"a b c d");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<br/><br />b", true), u"a\r\n\r\nb");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<ul>\n <li>one</li>\n <li>two</li>\n</ul>", true),
            u"one\r\ntwo");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<table><tr><td>1</td><td>2</td></tr></table>", true), u"1 2");
  EXPECT_EQ(ConvertHTMLBodyToText(u"x<b>y</b>z &nbsp; &#x41;", true), u"xyz \u00a0 A");
}

TEST(HTMLBody, DropsCodeAndComments) {
  EXPECT_EQ(ConvertHTMLBodyToText(u"<script>x<y</script>z", true), u"z");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<STYLE type=\"t\">p>b{}</style >b", true), u"ab");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<!-- <p> -- > -->b<!-- open", true), u"ab");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a<script>never closed", true), u"a");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<!DOCTYPE html><?xml x?>t", true), u"t");
}

TEST(HTMLBody, KeepsTextThatIsNoTag) {
  EXPECT_EQ(ConvertHTMLBodyToText(u"1 < 2", true), u"1 < 2");
  EXPECT_EQ(ConvertHTMLBodyToText(u"a <b", true), u"a <b");
  EXPECT_EQ(ConvertHTMLBodyToText(u"x<3", true), u"x<3");
  EXPECT_EQ(ConvertHTMLBodyToText(u"<a title=\"1>0\">link</a>", true), u"link");
  EXPECT_EQ(ConvertHTMLBodyToText(u"  \r\n\t ", true), u"");
  EXPECT_EQ(ConvertHTMLBodyToText(u"", false), u"");
  // A whole document: only the body counts.
  EXPECT_EQ(ConvertHTMLBodyToText(u"<html><head><title>T</title></head><body><h1>Top</h1>text"
                                  u"</body></html>",
                                  true),
            u"Top\r\n\r\ntext");
}

TEST(HTMLBody, LongRunsOfNearMissesStayText) {
  // Each "<" here is looked at once; these once took time growing with the square of the length.
  String opens, bodies, ends;
  for (int k = 0; k < 20000; ++k) {
    opens += u"<a";
    bodies += u"<bodyx";
    ends += u"</bodyX";
  }
  EXPECT_EQ(ConvertHTMLBodyToText(opens, true), opens);
  EXPECT_EQ(ConvertHTMLBodyToText(u"<i>" + opens + u"</i>", false), u"");  // one long tag
  EXPECT_EQ(ExtractHTMLBody(bodies), bodies);
  EXPECT_EQ(ConvertHTMLBodyToText(bodies, false), bodies);
  EXPECT_EQ(ExtractHTMLBody(u"<body>" + ends + u"</BODY>"), ends);
  EXPECT_EQ(ExtractHTMLBody(u"<body>" + ends), ends);
  EXPECT_EQ(ConvertHTMLBodyToText(u"<body>" + ends, true), ends);
}

}  // namespace
}  // namespace xan
