// THtmlProducer: the tag rules of Convert (names, parameters, unclosed and adjacent tags,
// replacements that look like tags), callbacks that change the producer, and templates and
// results moved through files and streams.
#include "xan/htmlsupport/html_producer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "../platform/temp_dir.h"
#include "xan/platform/textfile.h"
#include "xan/streams/primitives.h"

namespace xan {
namespace {

struct TTagCall {
  String Name;
  String Params;
  String Tag;  // Replacement as it came in
  friend bool operator==(const TTagCall&, const TTagCall&) = default;
};

// Records every call and answers with what `reply` gives (the tag is kept when it gives
// nothing).
class TRecorder {
 public:
  std::vector<TTagCall> Calls;
  TObject* LastSender = nullptr;

  TOnHTMLTagEvent Event(std::function<bool(const TTagCall&, String&)> reply = nullptr) {
    return [this, reply](TObject* Sender, String TagName, String Params, String& Replacement) {
      LastSender = Sender;
      Calls.push_back({TagName, Params, Replacement});
      if (reply) reply(Calls.back(), Replacement);
    };
  }
};

String Convert(StringView tmpl, TRecorder& rec,
               std::function<bool(const TTagCall&, String&)> reply = nullptr) {
  THtmlProducer p;
  p.SetTemplate(tmpl);
  p.SetOnHTMLTag(rec.Event(std::move(reply)));
  return p.Convert();
}

TEST(HtmlProducer, StartsEmpty) {
  THtmlProducer p;
  EXPECT_EQ(p.Template(), u"");
  EXPECT_EQ(p.ConvertedHTML(), u"");
  EXPECT_FALSE(p.OnHTMLTag());
  EXPECT_EQ(p.Convert(), u"");
}

TEST(HtmlProducer, ConvertHandsEachTagToTheCallback) {
  TRecorder rec;
  THtmlProducer p;
  p.SetTemplate(u"<p>Date: <#date fmt=short>, <#user ></p>");
  p.SetOnHTMLTag(rec.Event([](const TTagCall& call, String& r) {
    r = call.Name == u"date" ? u"1.2.2024" : u"Ann";
    return true;
  }));
  EXPECT_EQ(p.Convert(), u"<p>Date: 1.2.2024, Ann</p>");
  EXPECT_EQ(p.ConvertedHTML(), u"<p>Date: 1.2.2024, Ann</p>");
  EXPECT_EQ(p.Template(), u"<p>Date: <#date fmt=short>, <#user ></p>");
  EXPECT_EQ(rec.LastSender, &p);
  const std::vector<TTagCall> expected = {{u"date", u"fmt=short", u"<#date fmt=short>"},
                                          {u"user", u"", u"<#user >"}};
  EXPECT_EQ(rec.Calls, expected);
}

TEST(HtmlProducer, NamesAreLowerCasedAndParametersTrimmed) {
  TRecorder rec;
  Convert(u"<#Date><#x   a b  ><#\u00c4B-Q\tz y><#ab\u00a0c><# lead>", rec);
  const std::vector<TTagCall> expected = {
      {u"date", u"", u"<#Date>"},
      {u"x", u"a b", u"<#x   a b  >"},
      // Only A..Z are lowered, and only the blank separates the name.
      {u"\u00c4b-q\tz", u"y", u"<#\u00c4B-Q\tz y>"},
      {u"ab\u00a0c", u"", u"<#ab\u00a0c>"},
      {u"", u"lead", u"<# lead>"},
  };
  EXPECT_EQ(rec.Calls, expected);
}

TEST(HtmlProducer, OrdinaryTextIsCopied) {
  TRecorder rec;
  for (StringView t : {u"", u"plain text", u"a<b", u"a<", u"<", u"#>", u"< #x>", u"<<p>>", u"a>b",
                       u"\u20ac<\u00e9"}) {
    EXPECT_EQ(Convert(t, rec), t);
  }
  EXPECT_TRUE(rec.Calls.empty());
}

TEST(HtmlProducer, WithoutCallbackTagsStayAsTheyAre) {
  THtmlProducer p;
  for (StringView t : {u"<#x y>", u"a<#b>c<#d e f>", u"<#unclosed tag", u"x<#"}) {
    p.SetTemplate(t);
    EXPECT_EQ(p.Convert(), t);
  }
}

TEST(HtmlProducer, TagsAtTheEdgesAndSideBySide) {
  TRecorder rec;
  const auto parenthesise = [](const TTagCall& c, String& r) {
    r = u"(" + c.Name + u")";
    return true;
  };
  EXPECT_EQ(Convert(u"<#a>", rec, parenthesise), u"(a)");
  EXPECT_EQ(Convert(u"<#a><#b>mid<#c x><#d>", rec, parenthesise), u"(a)(b)mid(c)(d)");
  ASSERT_EQ(rec.Calls.size(), 5u);
  EXPECT_EQ(rec.Calls[3].Params, u"x");
}

TEST(HtmlProducer, TheFirstCloseEndsTheTag) {
  TRecorder rec;
  const String out = Convert(u"<#a b>c><#x <#y>z>", rec, [](const TTagCall&, String& r) {
    r = u"R";
    return true;
  });
  EXPECT_EQ(out, u"Rc>Rz>");
  const std::vector<TTagCall> expected = {{u"a", u"b", u"<#a b>"}, {u"x", u"<#y", u"<#x <#y>"}};
  EXPECT_EQ(rec.Calls, expected);
}

TEST(HtmlProducer, AnUnclosedTagRunsToTheEnd) {
  TRecorder rec;
  EXPECT_EQ(Convert(u"x<#tail  ab", rec,
                    [](const TTagCall&, String& r) {
                      r = u"T";
                      return true;
                    }),
            u"xT");
  EXPECT_EQ(Convert(u"ab<#", rec), u"ab<#");
  EXPECT_EQ(Convert(u"<#name", rec), u"<#name");
  EXPECT_EQ(Convert(u"<#n p ", rec), u"<#n p ");
  // The last character belongs to the name or the parameters like every other.
  const std::vector<TTagCall> expected = {{u"tail", u"ab", u"<#tail  ab"},
                                          {u"", u"", u"<#"},
                                          {u"name", u"", u"<#name"},
                                          {u"n", u"p", u"<#n p "}};
  EXPECT_EQ(rec.Calls, expected);
}

TEST(HtmlProducer, ReplacementsAreNotScannedAgain) {
  TRecorder rec;
  const String out = Convert(u"1<#a>2<#b>3", rec, [](const TTagCall& c, String& r) {
    r = c.Name == u"a" ? u"<#b x>" : u"";
    return true;
  });
  EXPECT_EQ(out, u"1<#b x>23");
  EXPECT_EQ(rec.Calls.size(), 2u);
}

TEST(HtmlProducer, RandomTemplatesWithoutCallbackComeBackUnchanged) {
  std::mt19937 gen(3);
  const StringView alphabet = u"<#> aZ\u00e9";
  THtmlProducer p;
  TRecorder rec;
  for (int round = 0; round < 3000; ++round) {
    String t;
    const size_t length = gen() % 14;
    for (size_t i = 0; i < length; ++i) t += alphabet[gen() % alphabet.size()];
    p.SetTemplate(t);
    p.SetOnHTMLTag(nullptr);
    ASSERT_EQ(p.Convert(), t);
    // A callback that leaves the tag alone changes nothing either, and sees each "<#" that
    // starts a tag once.
    rec.Calls.clear();
    p.SetOnHTMLTag(rec.Event());
    ASSERT_EQ(p.Convert(), t);
    size_t tags = 0;
    for (size_t at = t.find(u"<#"); at != String::npos;) {
      ++tags;
      const size_t close = t.find(u'>', at + 2);
      if (close == String::npos) break;
      at = t.find(u"<#", close + 1);
    }
    EXPECT_EQ(rec.Calls.size(), tags) << ToUtf8(t);
  }
}

// The tag rules read character by character, the way a template is written: the model the
// random templates below are checked against.
String ModelConvert(StringView t, std::vector<TTagCall>& calls) {
  String out;
  size_t p = 0;
  while (p < t.size()) {
    if (t[p] != u'<' || p + 1 == t.size() || t[p + 1] != u'#') {
      out += t[p++];
      continue;
    }
    size_t e = p + 2;
    while (e < t.size() && t[e] != u'>') ++e;
    const size_t stop = e;  // the ">" or the end of the template
    String name;
    size_t q = p + 2;
    for (; q < stop && t[q] != u' '; ++q) {
      name += (t[q] >= u'A' && t[q] <= u'Z') ? static_cast<Char>(t[q] + 32) : t[q];
    }
    String params;
    if (q < stop) {
      size_t a = q + 1;
      size_t b = stop;
      while (a < b && t[a] == u' ') ++a;
      while (b > a && t[b - 1] == u' ') --b;
      params = String(t.substr(a, b - a));
    }
    const String tag(t.substr(p, std::min(e + 1, t.size()) - p));
    calls.push_back({name, params, tag});
    out += u"[" + name + u"|" + params + u"]";
    p = e + 1;
  }
  return out;
}

TEST(HtmlProducer, RandomTemplatesFollowTheTagRules) {
  std::mt19937 gen(17);
  const StringView alphabet = u"<#>  aZQ\u00c9\t";
  THtmlProducer p;
  TRecorder rec;
  p.SetOnHTMLTag(rec.Event([](const TTagCall& c, String& r) {
    r = u"[" + c.Name + u"|" + c.Params + u"]";
    return true;
  }));
  for (int round = 0; round < 5000; ++round) {
    String t;
    for (size_t i = gen() % 16; i > 0; --i) t += alphabet[gen() % alphabet.size()];
    std::vector<TTagCall> expected;
    const String out = ModelConvert(t, expected);
    rec.Calls.clear();
    p.SetTemplate(t);
    ASSERT_EQ(p.Convert(), out) << ToUtf8(t);
    ASSERT_EQ(rec.Calls, expected) << ToUtf8(t);
  }
}

TEST(HtmlProducer, CallbacksMayChangeTheProducer) {
  THtmlProducer p;
  p.SetTemplate(u"A<#x>B<#y>C");
  p.SetOnHTMLTag([&p](TObject*, String TagName, String, String& Replacement) {
    // A new template and callback take effect at the next Convert; a nested Convert has its own
    // result.
    p.SetTemplate(u"<#z>");
    if (TagName == u"x") {
      p.SetOnHTMLTag([](TObject*, String, String, String& r) { r = u"z"; });
      EXPECT_EQ(p.Convert(), u"z");
    }
    Replacement = u"-";
  });
  EXPECT_EQ(p.Convert(), u"A-B-C");
  EXPECT_EQ(p.ConvertedHTML(), u"A-B-C");
  EXPECT_EQ(p.Template(), u"<#z>");
  EXPECT_EQ(p.Convert(), u"z");
}

TEST(HtmlProducer, AnExceptionOfTheCallbackPassesThrough) {
  THtmlProducer p;
  p.SetTemplate(u"x<#a>");
  p.SetOnHTMLTag([](TObject*, String, String, String&) { throw std::runtime_error("stop"); });
  EXPECT_THROW(p.Convert(), std::runtime_error);
  EXPECT_EQ(p.ConvertedHTML(), u"");
}

TEST(HtmlProducer, IsDeletedWithItsOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* p = new THtmlProducer(owner.get());
  p->SetName(u"Html1");
  p->SetTemplate(u"<#a>");
  ASSERT_NE(p->ConvertedHTMLAsStream(), nullptr);
  EXPECT_EQ(owner->ComponentCount(), 1);
  owner.reset();  // frees the producer and its stream; the sanitizers see a leak otherwise
}

// ------------------------------------------------------------------------------------------------
// Streams

TEST(HtmlProducer, ReadsTheTemplateFromTheWholeStream) {
  TStringStream s(std::string_view("\x41\x00\x3c\x00\x23\x00\xac\x20\x7a", 9));
  s.SetPosition(4);
  THtmlProducer p;
  p.ReadTemplateFromStream(s);
  EXPECT_EQ(p.Template(), u"A<#\u20ac");  // the odd last byte is dropped
  EXPECT_EQ(s.Position(), 9);
  TMemoryStream empty;
  p.ReadTemplateFromStream(empty);
  EXPECT_EQ(p.Template(), u"");
}

TEST(HtmlProducer, ConvertedHtmlAsStreamHoldsTheAnsiBytes) {
  THtmlProducer p;
  p.SetTemplate(u"<b>\u00e9\u20ac\u0141</b><#x>");
  p.SetOnHTMLTag([](TObject*, String, String, String& r) { r = u"!"; });
  p.Convert();
  TStringStream* s = p.ConvertedHTMLAsStream();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(s->ByteString(), std::string_view("<b>\xe9\x80?</b>!"));

  // Convert leaves it alone; the next call makes a new one.
  p.SetTemplate(u"new");
  p.Convert();
  EXPECT_EQ(s->ByteString(), std::string_view("<b>\xe9\x80?</b>!"));
  s->SetPosition(3);
  TStringStream* next = p.ConvertedHTMLAsStream();
  EXPECT_EQ(next->ByteString(), "new");
  EXPECT_EQ(next->Position(), 0);
}

// ------------------------------------------------------------------------------------------------
// Files

class HtmlProducerFiles : public testing::TempDirTest {};

TEST_F(HtmlProducerFiles, ReadsLinesEachEndedWithCrLf) {
  const std::vector<std::pair<std::string, String>> cases = {
      {"a\nb", u"a\r\nb\r\n"}, {"a\r\n", u"a\r\n"}, {"a\rb\r\n\r\nc\n", u"a\r\nb\r\n\r\nc\r\n"},
      {"\n", u"\r\n"},         {"", u""},           {"<#x>\xe9\x80", u"<#x>\u00e9\u20ac\r\n"},
  };
  THtmlProducer p;
  for (const auto& [bytes, expected] : cases) {
    WriteBytes("t.html", bytes);
    p.SetTemplate(u"old");
    p.ReadTemplateFromFile(Path("t.html"));
    EXPECT_EQ(p.Template(), expected) << bytes;
  }
}

TEST_F(HtmlProducerFiles, AMissingTemplateFileRaises) {
  THtmlProducer p;
  p.SetTemplate(u"kept");
  EXPECT_THROW(p.ReadTemplateFromFile(Path("missing.html")), EInOutError);
  EXPECT_EQ(p.Template(), u"kept");
  EXPECT_THROW(p.ReadTemplateFromFile(Path("")), EInOutError);
  EXPECT_THROW(p.ReadTemplateFromFile(FromUtf8(FDir.string())), EInOutError);
}

TEST_F(HtmlProducerFiles, WritesTheResultInTheAnsiCodePage) {
  THtmlProducer p;
  p.SetTemplate(u"<p><#n></p>\r\n\u00e9\u20ac\u0141");
  p.SetOnHTMLTag([](TObject*, String, String, String& r) { r = u"42"; });
  p.Convert();
  WriteBytes("out.html", "something longer that is replaced");
  p.WriteConvertedHTMLToFile(Path("out.html"));
  EXPECT_EQ(ReadBytes("out.html"), "<p>42</p>\r\n\xe9\x80?");

  // What was written reads back as the template (plus the line end of the last line).
  THtmlProducer q;
  q.ReadTemplateFromFile(Path("out.html"));
  EXPECT_EQ(q.Template(), u"<p>42</p>\r\n\u00e9\u20ac?\r\n");

  THtmlProducer empty;
  empty.WriteConvertedHTMLToFile(Path("empty.html"));
  EXPECT_EQ(ReadBytes("empty.html"), "");
  EXPECT_THROW(p.WriteConvertedHTMLToFile(Path("no/such/dir/out.html")), EInOutError);
}

}  // namespace
}  // namespace xan
