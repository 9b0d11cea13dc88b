// Tag and attribute scanning: the tag readers on streams and text files with every documented
// example, cut-off input and empty lists, the attribute item machine case by case, and the
// searches for a named or listed tag.
#include "xan/streams/tags.h"

#include <gtest/gtest.h>

#include <random>

#include "../platform/temp_dir.h"
#include "test_streams.h"
#include "xan/streams/primitives.h"

namespace xan {
namespace {

using TTagList = std::vector<String>;

struct TTagResult {
  int32_t Index;
  String Attributes;
  String Content;
  friend bool operator==(const TTagResult&, const TTagResult&) = default;
  friend std::ostream& operator<<(std::ostream& os, const TTagResult& r) {
    return os << r.Index << " [" << ToUtf8(r.Attributes) << "] [" << ToUtf8(r.Content) << "]";
  }
};

TTagResult NextTag(TStream& S, const TTagList& List) {
  TTagResult r{0, u"junk", u"junk"};
  r.Index = ReadNextTagInStream(S, List, r.Attributes, r.Content);
  return r;
}

// ------------------------------------------------------------------------------------------------
// ReadNextTagInStream

TEST(ReadNextTagInStream, SkipsCommentsAndReadsAStartTagWithItsContent) {
  TStringStream s("<!-- note --><Item ID=\"3\">Text <b>x</b></ITEM>tail");
  const TTagList list = {u"item", u"b", u"x"};
  EXPECT_EQ(NextTag(s, list), (TTagResult{0, u"ID=\"3\"", u"Text <b>x</b>"}));
  EXPECT_EQ(StreamAsByteString(s), u"tail");
}

TEST(ReadNextTagInStream, EndTagsMatchListedSlashNamesOrTheLastIndex) {
  const String input = u"<a></item>";
  TStringStream s(input);
  EXPECT_EQ(NextTag(s, {u"a", u"/item"}).Index, 0);  // "<a>" with no "</a>": content to the end
  TStringStream t(u"</item><x>");
  EXPECT_EQ(NextTag(t, {u"item", u"/item", u"z"}), (TTagResult{1, u"", u""}));
  EXPECT_EQ(t.Position(), 7);
  TStringStream u(u"</item>");
  EXPECT_EQ(NextTag(u, {u"item", u"b", u"x"}), (TTagResult{2, u"", u""}));
}

TEST(ReadNextTagInStream, EmptyElementTagsHaveNoContent) {
  TStringStream s(u"<br/>after<img src=\"a.png\" />x</img>");
  EXPECT_EQ(NextTag(s, {u"br", u"x"}), (TTagResult{0, u"", u""}));
  EXPECT_EQ(NextTag(s, {u"img", u"x"}), (TTagResult{0, u"src=\"a.png\"", u""}));
  EXPECT_EQ(s.Position(), 29);
}

TEST(ReadNextTagInStream, NamesEndAtABlankOnly) {
  TStringStream s(u"<?xml version=\"1.0\"?><r>x</r>");
  EXPECT_EQ(NextTag(s, {u"?xml", u"r"}),
            (TTagResult{0, u"version=\"1.0\"?", u"<r>x</r>"}));  // no "</?xml>" follows
  TStringStream t(u"<item\tid=1>x</item>");
  EXPECT_EQ(NextTag(t, {u"item", u"other"}).Index, 1);
  TStringStream u(u"<  A   b = 1  >");
  EXPECT_EQ(NextTag(u, {u"", u"a"}), (TTagResult{0, u"A   b = 1", u""}));
}

TEST(ReadNextTagInStream, ContentEndsAtTheFirstEndTagOfTheName) {
  TStringStream s(u"<p>one <P>two</p> three</P>rest");
  EXPECT_EQ(NextTag(s, {u"p"}), (TTagResult{0, u"", u"one <P>two"}));
  EXPECT_EQ(StreamAsByteString(s), u" three</P>rest");
  TStringStream t(u"<a>x</ a></a >y</A>");  // only "</a>" exactly closes it
  EXPECT_EQ(NextTag(t, {u"a"}).Content, u"x</ a></a >y");
}

TEST(ReadNextTagInStream, TheEndOfTheInputGivesTheEmptyName) {
  TStringStream none(u"no tags here");
  EXPECT_EQ(NextTag(none, {u"a", u"", u"b"}), (TTagResult{1, u"", u""}));
  TStringStream empty(u"");
  EXPECT_EQ(NextTag(empty, {u"a", u"b"}), (TTagResult{1, u"", u""}));
  // A tag cut off by the end is no tag.
  TStringStream cut(u"text <item id=1");
  EXPECT_EQ(NextTag(cut, {u"item", u"", u"x"}), (TTagResult{1, u"", u""}));
  EXPECT_EQ(cut.Position(), 15);
  TStringStream comment(u"<!-- never closed");
  EXPECT_EQ(NextTag(comment, {u"", u"x"}).Index, 0);
  // An empty list gives -1, and the tag is still read.
  TStringStream s(u"<a>x</a>y");
  EXPECT_EQ(NextTag(s, {}), (TTagResult{-1, u"", u"x"}));
  EXPECT_EQ(s.Position(), 8);
}

TEST(ReadNextTagInStream, CommentsEndAtTheirFirstClosingBracket) {
  TStringStream s(u"<!-- a > b --><b>x</b>");
  EXPECT_EQ(NextTag(s, {u"b"}), (TTagResult{0, u"", u"x"}));
  TStringStream d(u"<!DOCTYPE html><!----><i>");
  EXPECT_EQ(NextTag(d, {u"i", u"x"}), (TTagResult{0, u"", u""}));
}

TEST(ReadNextTagInStream, WalksADocumentTagByTag) {
  testing::TPlainStream s(
      "<list n=\"2\"><item>A</item></list><item id=\"x\" />"
      "<item>\xe9</item>");
  const TTagList list = {u"list", u"item", u"/list", u"?"};
  EXPECT_EQ(NextTag(s, list), (TTagResult{0, u"n=\"2\"", u"<item>A</item>"}));
  EXPECT_EQ(NextTag(s, list), (TTagResult{1, u"id=\"x\"", u""}));
  EXPECT_EQ(NextTag(s, list), (TTagResult{1, u"", u"\u00e9"}));
  EXPECT_EQ(NextTag(s, list), (TTagResult{3, u"", u""}));
}

// ------------------------------------------------------------------------------------------------
// ReadNextTagInTextFile

class TagsInTextFile : public testing::TempDirTest {
 protected:
  TTagResult Next(TTextFile& F, const TTagList& List) {
    TTagResult r{0, u"junk", u"junk"};
    r.Index = ReadNextTagInTextFile(F, List, r.Attributes, r.Content);
    return r;
  }
};

TEST_F(TagsInTextFile, ReadsTagsAsTheStreamFormDoes) {
  WriteBytes("t.xml",
             "<!-- note --><Item ID=\"3\">Text <b>x</b></ITEM>tail\r\n"
             "<br/><img src=\"a.png\" />\r\n</item>");
  TTextFile f(Path("t.xml"), tfmRead);
  const TTagList list = {u"item", u"b", u"/item", u"x"};
  EXPECT_EQ(Next(f, list), (TTagResult{0, u"ID=\"3\"", u"Text <b>x</b>"}));
  EXPECT_EQ(f.ReadLn(), u"tail");
  EXPECT_EQ(Next(f, {u"br", u"x"}), (TTagResult{0, u"", u""}));
  EXPECT_EQ(Next(f, {u"img"}), (TTagResult{0, u"src=\"a.png\"", u""}));
  EXPECT_EQ(Next(f, list), (TTagResult{2, u"", u""}));
  EXPECT_EQ(Next(f, list), (TTagResult{3, u"", u""}));  // the end: the empty name
}

TEST_F(TagsInTextFile, ALastPieceWithoutClosingBracketIsDropped) {
  WriteBytes("t.xml", "<a>x<b>y\r\nz");
  TTextFile f(Path("t.xml"), tfmRead);
  EXPECT_EQ(Next(f, {u"a"}), (TTagResult{0, u"", u"x<b>"}));
  EXPECT_TRUE(f.Eof());
  // The stream form keeps it.
  TStringStream s(u"<a>x<b>y\r\nz");
  EXPECT_EQ(NextTag(s, {u"a"}).Content, u"x<b>y\r\nz");
}

TEST_F(TagsInTextFile, ContentSpansLinesInAnsiCharacters) {
  WriteBytes("t.xml", "<note>\r\n\x80 5\r\n</Note>\r\n");
  TTextFile f(Path("t.xml"), tfmRead);
  EXPECT_EQ(Next(f, {u"note"}), (TTagResult{0, u"", u"\r\n\u20ac 5\r\n"}));
  EXPECT_EQ(f.ReadLn(), u"");
  EXPECT_TRUE(f.Eof());
}

// ------------------------------------------------------------------------------------------------
// ScanForXMLAttrib

TEST(ScanForXMLAttrib, ReadsTheDocumentedExamples) {
  EXPECT_EQ(ScanForXMLAttrib(u"width=100 height=\"20 px\"", u"HEIGHT"), u"20 px");
  EXPECT_EQ(ScanForXMLAttrib(u"width=100 height=\"20 px\"", u"width"), u"100");
  EXPECT_EQ(ScanForXMLAttrib(u"a = \"1\"", u"a"), u"1");
  EXPECT_EQ(ScanForXMLAttrib(u"a='x y'", u"a"), u"'x");
  EXPECT_EQ(ScanForXMLAttrib(u"checked a=\"1\"", u"a"), u"");
  EXPECT_EQ(ScanForXMLAttrib(u"checked a=\"1\"", u"checked a"), u"1");
  EXPECT_EQ(ScanForXMLAttrib(u"a=1=2 b=3", u"b"), u"");
  EXPECT_EQ(ScanForXMLAttrib(u"a=\"xyz", u"a"), u"xyz");
  EXPECT_EQ(ScanForXMLAttrib(u"", u"a"), u"");
}

TEST(ScanForXMLAttrib, FollowsEveryTransitionOfTheItemMachine) {
  // Name: a double quote is an error; blanks are collected and trimmed.
  EXPECT_EQ(ScanForXMLAttrib(u"a\"b=1 c=2", u"c"), u"");
  EXPECT_EQ(ScanForXMLAttrib(u"   a   =5", u"A"), u"5");
  // Equals: blanks are skipped, '=' is an error, a quote opens, anything else starts a plain value.
  EXPECT_EQ(ScanForXMLAttrib(u"a=   x b=2", u"a"), u"x");
  EXPECT_EQ(ScanForXMLAttrib(u"a==1 b=2", u"b"), u"");
  EXPECT_EQ(ScanForXMLAttrib(u"a=", u"a"), u"");
  // Quoted: blanks and '=' belong to the value; the quote ends the item.
  EXPECT_EQ(ScanForXMLAttrib(u"q=\"x = y\"b=2", u"b"), u"2");
  EXPECT_EQ(ScanForXMLAttrib(u"q=\"x = y\"", u"q"), u"x = y");
  // Plain: a blank or a quote ends the item, '=' is an error.
  EXPECT_EQ(ScanForXMLAttrib(u"a=1\"b=2", u"b"), u"2");
  EXPECT_EQ(ScanForXMLAttrib(u"a=1\"b=2", u"a"), u"1");
  EXPECT_EQ(ScanForXMLAttrib(u"a=x=y", u"a"), u"");
  // Items after the wanted one do not matter; the first of two equal names wins.
  EXPECT_EQ(ScanForXMLAttrib(u"a=1 a=2 \"", u"a"), u"1");
  EXPECT_EQ(ScanForXMLAttrib(u"a=1 b", u"b"), u"");
  EXPECT_EQ(ScanForXMLAttrib(u"A=\u00c9", u"a"), u"\u00c9");
}

// ------------------------------------------------------------------------------------------------
// ScanStreamForXMLTag and ReadStreamUntilTagList

TEST(ScanStreamForXMLTag, FindsTheNamedTagAmongOthers) {
  TStringStream s(u"<a x=1><!-- <b z=0> --><b y=2>in</B></a><B/><c>");
  String attributes;
  String content;
  EXPECT_TRUE(ScanStreamForXMLTag(s, u"B", attributes, content));
  EXPECT_EQ(attributes, u"y=2");
  EXPECT_EQ(content, u"in");
  EXPECT_TRUE(ScanStreamForXMLTag(s, u"b", attributes, content));
  EXPECT_EQ(attributes, u"");
  EXPECT_EQ(content, u"");
  EXPECT_TRUE(ScanStreamForXMLTag(s, u"/a", attributes, content) == false);
  EXPECT_EQ(s.Position(), s.Size());
  TStringStream t(u"<a>");
  attributes = u"old";
  EXPECT_FALSE(ScanStreamForXMLTag(t, u"b", attributes, content));
  EXPECT_EQ(attributes, u"");
}

TEST(TagLists, CanBeWrittenInPlace) {
  TStringStream s(u"<x/><b k=1/>");
  String attributes;
  String content;
  EXPECT_EQ(ReadNextTagInStream(s, {u"b", u"x"}, attributes, content), 1);
  int32_t index = 0;
  EXPECT_EQ(ReadStreamUntilTagList(s, {u"a", u"b"}, index), u"");
  EXPECT_EQ(index, 1);
}

TEST(ReadStreamUntilTagList, ReturnsTheTextBeforeTheFirstListedTag) {
  TStringStream s(u"Hello <i>you</i><br/>!<!-- <br> --> <BR class=x>end");
  const TTagList list = {u"br", u"/i"};
  int32_t index = 9;
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), u"Hello <i>you");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), u"");
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), u"!<!-- <br> --> ");
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), u"end");
  EXPECT_EQ(index, -1);
  TStringStream cut(u"a < b <c");
  EXPECT_EQ(ReadStreamUntilTagList(cut, list, index), u"a < b <c");
  EXPECT_EQ(index, -1);
  TStringStream e(u"<br>");
  EXPECT_EQ(ReadStreamUntilTagList(e, {}, index), u"<br>");
  EXPECT_EQ(index, -1);
}

// ------------------------------------------------------------------------------------------------
// Randomized: the tag reader and the attribute scanner against plain models of their documented
// steps, on random input made mostly of the characters they react to.

String LowerModel(String Text) {
  for (Char& c : Text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<Char>(c + 32);
  }
  return Text;
}

String TrimModel(const String& Text) {
  size_t a = 0;
  size_t b = Text.size();
  while (a < b && Text[a] == u' ') ++a;
  while (b > a && Text[b - 1] == u' ') --b;
  return Text.substr(a, b - a);
}

struct TTagModel {
  TTagResult Result;
  size_t Consumed;
};

// One ReadNextTagInStream (KeepLastPiece) or ReadNextTagInTextFile call on In from Pos on. A tag
// cut off by the end counts as no tag, as documented.
TTagModel NextTagModel(const String& In, size_t Pos, const TTagList& List, bool KeepLastPiece) {
  auto next = [&](Char& c) {
    if (Pos >= In.size()) return false;
    c = In[Pos++];
    return true;
  };
  auto index = [&](const String& name) {
    for (size_t i = 0; i < List.size(); ++i) {
      if (LowerModel(name) == List[i]) return static_cast<int32_t>(i);
    }
    return static_cast<int32_t>(List.size()) - 1;
  };
  String text;
  Char c = 0;
  bool complete = false;
  do {
    while (next(c) && c != u'<') {
    }
    text.clear();
    complete = false;
    while (!complete && next(c)) {
      text += c;
      complete = c == u'>';
    }
  } while (!text.empty() && text[0] == u'!');
  if (!complete) return {{index(u""), u"", u""}, Pos};
  String name;
  String attributes;
  const size_t blank = text.find(u' ');
  const bool emptyElement = text.find(u"/>") != String::npos;
  const size_t cut = emptyElement ? 2 : 1;
  if (blank == String::npos) {
    name = text.substr(0, text.size() - cut);
  } else {
    name = text.substr(0, blank);
    attributes = TrimModel(text.substr(blank + 1, text.size() - cut - blank - 1));
  }
  name = LowerModel(name);
  String content;
  if (!emptyElement && !name.empty() && name[0] != u'/') {
    const String endTag = u"</" + name + u">";
    String piece;
    bool closed = false;
    while (!closed && next(c)) {
      piece += c;
      if (c != u'>') continue;
      content += piece;
      piece.clear();
      const size_t at = LowerModel(content).find(endTag);
      if (at != String::npos) {
        content.resize(at);
        closed = true;
      }
    }
    if (!closed && KeepLastPiece) content += piece;
  }
  return {{index(name), attributes, content}, Pos};
}

const TTagList kRandomTagLists[] = {
    {u"a", u"b", u"/a", u""}, {u"ab", u"a b", u"b"}, {u"/b", u"a"}, {u"x"}, {}};

TEST(ReadNextTagInStreamRandomized, MatchesTheDocumentedSteps) {
  std::mt19937 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = testing::RandomBytes(rng, 30, "<<>>>!/ abAB=\"x\t");
    const String in = BytesToString(bytes);
    const TTagList& list = kRandomTagLists[rng() % 5];
    TStringStream s(bytes);
    size_t pos = 0;
    for (int call = 0; call < 4; ++call) {
      const TTagModel model = NextTagModel(in, pos, list, true);
      ASSERT_EQ(NextTag(s, list), model.Result) << ::testing::PrintToString(bytes) << " " << call;
      ASSERT_EQ(s.Position(), static_cast<int64_t>(model.Consumed));
      pos = model.Consumed;
    }
  }
}

TEST_F(TagsInTextFile, RandomInputMatchesTheDocumentedSteps) {
  std::mt19937 rng(5);
  for (int i = 0; i < 150; ++i) {
    const std::string bytes = testing::RandomBytes(rng, 40, "<<>>>!/ abAB\r\n");
    const String in = BytesToString(bytes);
    const TTagList& list = kRandomTagLists[rng() % 5];
    WriteBytes("r.xml", bytes);
    TTextFile f(Path("r.xml"), tfmRead);
    size_t pos = 0;
    for (int call = 0; call < 4; ++call) {
      const TTagModel model = NextTagModel(in, pos, list, false);
      ASSERT_EQ(Next(f, list), model.Result) << ::testing::PrintToString(bytes) << " " << call;
      pos = model.Consumed;
      Char c = 0;
      const bool more = f.PeekChar(c);
      ASSERT_EQ(more, pos < in.size());
      if (more) ASSERT_EQ(c, in[pos]);
    }
  }
}

// ScanForXMLAttrib by its item machine, written out state by state.
String AttribModel(const String& In, const String& Wanted) {
  size_t pos = 0;
  while (pos < In.size()) {
    String name;
    String value;
    char state = 'N';  // Name, Equals, Quoted, Plain
    bool ended = false;
    while (!ended && pos < In.size()) {
      const Char c = In[pos++];
      const int cls = c == u' ' ? 0 : c == u'"' ? 1 : c == u'=' ? 2 : 3;
      switch (state) {
        case 'N':
          if (cls == 1) return u"";
          if (cls == 2) state = 'E';
          if (cls == 0 || cls == 3) name += c;
          break;
        case 'E':
          if (cls == 2) return u"";
          if (cls == 1) state = 'Q';
          if (cls == 3) value += c, state = 'P';
          break;
        case 'Q':
          if (cls == 1) ended = true;
          if (cls != 1) value += c;
          break;
        default:
          if (cls == 2) return u"";
          if (cls <= 1) ended = true;
          if (cls == 3) value += c;
          break;
      }
    }
    if (LowerModel(TrimModel(name)) == LowerModel(Wanted)) return value;
  }
  return u"";
}

TEST(ScanForXMLAttribRandomized, MatchesTheItemMachine) {
  std::mt19937 rng(9);
  const String names[] = {u"a", u"B", u"a b", u"", u"ab", u"\u0141"};
  for (int i = 0; i < 30000; ++i) {
    String in = BytesToString(testing::RandomBytes(rng, 20, "aabbAB  ==\"\"'x"));
    if (rng() % 8 == 0) in += u'\u0141';
    const String& wanted = names[rng() % 6];
    ASSERT_EQ(ScanForXMLAttrib(in, wanted), AttribModel(in, wanted))
        << ToUtf8(in) << " / " << ToUtf8(wanted);
  }
}

}  // namespace
}  // namespace xan
