// The regular-expression matcher: compilation and its errors, the search and its positions, the
// listing file, and a comparison with a literal reading of the matching rules on random input.
#include "xan/stringl/grep.h"

#include <gtest/gtest.h>
#if __has_include(<sys/mman.h>) && __has_include(<unistd.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "grep_model.h"
#include "random_text.h"
#include "xan/platform/exceptions.h"
#include "xan_stringl/grep_scan.h"
#include "xan_stringl/grep_search.h"

namespace xan {
namespace {

// The literal characters or the members of a token, for comparisons.
String Chars(const TGrepToken& t) {
  return String(t.Params.data() + 1, static_cast<size_t>(std::max(t.NumChars, 0)));
}
String Members(const TGrepToken& t) {
  String s;
  for (size_t c = 0; c < 256; ++c) {
    if (t.Params[c] == u'*')
      s += static_cast<Char>(c);
    else
      EXPECT_EQ(t.Params[c], u' ') << "entry " << c;
  }
  return s;
}

// A grep compiled with `pattern`, not raising.
struct Compiled {
  TGrep grep;
  explicit Compiled(StringView pattern, bool ignoreCase = false) {
    grep.SetStopOnError(false);
    grep.SetIgnoreCase(ignoreCase);
    grep.SetRegExp(pattern);
  }
};

struct Found {
  bool found;
  int32_t pos;
  int32_t end;
};

Found Find(TGrep& grep, StringView text) {
  int32_t pos = -7;
  const bool found = grep.MatchString(text, pos);
  EXPECT_EQ(pos, grep.MatchStartPos());
  return {found, pos, grep.MatchEndPos()};
}

Found Find(StringView pattern, StringView text, int32_t start = 1) {
  Compiled c(pattern);
  EXPECT_EQ(c.grep.LastError(), 0) << ToUtf8(pattern);
  c.grep.SetSearchStartPos(start);
  return Find(c.grep, text);
}

#define EXPECT_FOUND(f, p, e)          \
  do {                                 \
    const Found f_ = (f);              \
    EXPECT_TRUE(f_.found);             \
    EXPECT_EQ(f_.pos, (p)) << "start"; \
    EXPECT_EQ(f_.end, (e)) << "end";   \
  } while (0)

// ================================================================================================
// Compilation

TEST(GrepCompile, DocumentedExamplesGiveTheirTokens) {
  Compiled a(u"ab*c");
  ASSERT_EQ(a.grep.NrOfRegExpTokens(), 3);
  EXPECT_EQ(a.grep.GetRegExpToken(1).Action, taNormal);
  EXPECT_EQ(Chars(a.grep.GetRegExpToken(1)), u"a");
  EXPECT_EQ(a.grep.GetRegExpToken(2).Action, taMult0);
  EXPECT_EQ(a.grep.GetRegExpToken(2).NumChars, 1);
  EXPECT_EQ(Chars(a.grep.GetRegExpToken(2)), u"b");
  EXPECT_EQ(Chars(a.grep.GetRegExpToken(3)), u"c");

  Compiled b(u"^[0-9]+$");
  ASSERT_EQ(b.grep.NrOfRegExpTokens(), 3);
  EXPECT_EQ(b.grep.GetRegExpToken(1).Action, taBol);
  EXPECT_EQ(b.grep.GetRegExpToken(2).Action, taMult1);
  EXPECT_EQ(b.grep.GetRegExpToken(2).NumChars, -1);
  EXPECT_EQ(Members(b.grep.GetRegExpToken(2)), u"0123456789");
  EXPECT_EQ(b.grep.GetRegExpToken(3).Action, taEol);

  Compiled c(u"(ab)?x");
  ASSERT_EQ(c.grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(c.grep.GetRegExpToken(1).Action, taOpti);
  EXPECT_EQ(Chars(c.grep.GetRegExpToken(1)), u"ab");
  EXPECT_EQ(c.grep.GetRegExpToken(2).Action, taNormal);
  EXPECT_EQ(Chars(c.grep.GetRegExpToken(2)), u"x");

  Compiled d(u"[^a-c]");
  ASSERT_EQ(d.grep.NrOfRegExpTokens(), 1);
  const TGrepToken set = d.grep.GetRegExpToken(1);
  EXPECT_EQ(set.Action, taSet);
  EXPECT_EQ(set.NumChars, -1);
  const String members = Members(set);
  EXPECT_EQ(members.size(), 253u);
  EXPECT_EQ(members.find_first_of(u"abc"), String::npos);
  EXPECT_EQ(set.ValidFrom, 0);
}

TEST(GrepCompile, QuantifiersTakeTheirOperand) {
  Compiled s(u"abc+");  // only the last character of a string repeats
  ASSERT_EQ(s.grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(Chars(s.grep.GetRegExpToken(1)), u"ab");
  EXPECT_EQ(s.grep.GetRegExpToken(1).Params[3], 0);  // the moved character is gone
  EXPECT_EQ(s.grep.GetRegExpToken(2).Action, taMult1);
  EXPECT_EQ(Chars(s.grep.GetRegExpToken(2)), u"c");

  Compiled g(u"x(a*b)+");  // a group repeats whole; its characters are all literal
  ASSERT_EQ(g.grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(g.grep.GetRegExpToken(2).Action, taMult1);
  EXPECT_EQ(Chars(g.grep.GetRegExpToken(2)), u"a*b");

  Compiled any(u".?");
  EXPECT_EQ(any.grep.GetRegExpToken(1).Action, taOpti);
  EXPECT_EQ(any.grep.GetRegExpToken(1).NumChars, 0);

  Compiled set(u"[xy]*z");
  EXPECT_EQ(set.grep.GetRegExpToken(1).Action, taMult0);
  EXPECT_EQ(Members(set.grep.GetRegExpToken(1)), u"xy");

  // Literals after a quantifier start a new string; "-" is literal outside sets.
  Compiled lit(u"a*-b\\*");
  ASSERT_EQ(lit.grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(Chars(lit.grep.GetRegExpToken(2)), u"-b*");

  // A group or a set starts a token of its own.
  Compiled groups(u"ab(cd)e[f]g");
  ASSERT_EQ(groups.grep.NrOfRegExpTokens(), 5);
  EXPECT_EQ(Chars(groups.grep.GetRegExpToken(2)), u"cd");
  EXPECT_EQ(Chars(groups.grep.GetRegExpToken(3)), u"e");
  EXPECT_EQ(Chars(groups.grep.GetRegExpToken(5)), u"g");
}

TEST(GrepCompile, SetsRangesAndEscapes) {
  EXPECT_EQ(Members(Compiled(u"[z-a]").grep.GetRegExpToken(1)), u"abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(Members(Compiled(u"[(.*$]").grep.GetRegExpToken(1)), u"$(*.");
  EXPECT_EQ(Members(Compiled(u"[\\]\\^]").grep.GetRegExpToken(1)), u"]^");
  // A range takes the next character whatever it is: "a-]" spans "]".."a" and leaves it open.
  Compiled bracket(u"[a-]x");
  EXPECT_EQ(bracket.grep.NrOfRegExpTokens(), 1);
  EXPECT_EQ(Members(bracket.grep.GetRegExpToken(1)), u"]^_`ax");
  // A range after a descending one runs from its lower end: "z-a" leaves "a" as the last member.
  EXPECT_EQ(Members(Compiled(u"[z-a-c]").grep.GetRegExpToken(1)), u"abcdefghijklmnopqrstuvwxyz");
  // "[^]" is the full set; an unclosed set keeps its members without the negation.
  EXPECT_EQ(Members(Compiled(u"[^]").grep.GetRegExpToken(1)).size(), 256u);
  Compiled open(u"[^ab");
  EXPECT_EQ(open.grep.LastError(), 0);
  EXPECT_EQ(Members(open.grep.GetRegExpToken(1)), u"ab");
  // A "-" at the very end of a set is a member.
  EXPECT_EQ(Members(Compiled(u"[a-").grep.GetRegExpToken(1)), u"-a");
}

TEST(GrepCompile, EachErrorAtTheCharacterThatTriggersIt) {
  struct Case {
    StringView pattern;
    int32_t code;
    int32_t tokens;  // kept from before the error
  };
  const Case cases[] = {
      {u"*a", 1, 0},    {u"+", 1, 0},    {u"?", 1, 0},     {u"$", 1, 0},      {u"a^", 2, 1},
      {u"[a]^", 2, 1},  {u"(a)^", 2, 1}, {u"(a^)", 2, 1},  {u"a$b", 3, 2},    {u"a$$", 3, 2},
      {u"[a]$(", 3, 2}, {u"[]", 4, 1},   {u"x[]", 4, 2},   {u"[a^]", 5, 1},   {u"[^^]", 5, 1},
      {u"a]", 6, 1},    {u"]", 6, 0},    {u"[a]]", 6, 1},  {u"[-a]", 7, 1},   {u"[^-a]", 7, 1},
      {u"[a]-", 7, 1},  {u"a)", 8, 1},   {u")", 8, 0},     {u"(a))", 8, 1},   {u"^*", 9, 1},
      {u"a**", 9, 1},   {u"a$", 0, 2},   {u"[a]*+", 9, 1}, {u"(ab)+?", 9, 1}, {u"ab?*", 9, 2},
      {u".+?", 9, 1},   {u"()a", 0, 2},
  };
  for (const Case& c : cases) {
    TGrep grep;
    grep.SetStopOnError(false);
    EXPECT_EQ(grep.CompileRegExp(c.pattern), c.code) << ToUtf8(c.pattern);
    EXPECT_EQ(grep.LastError(), c.code) << ToUtf8(c.pattern);
    EXPECT_EQ(grep.NrOfRegExpTokens(), c.tokens) << ToUtf8(c.pattern);
  }
}

TEST(GrepCompile, LimitsOfTheCompiledFormAreErrors) {
  String p;
  for (int i = 0; i < 32; ++i) p += u"a.";  // 64 tokens
  Compiled full(p);
  EXPECT_EQ(full.grep.LastError(), 0);
  EXPECT_EQ(full.grep.NrOfRegExpTokens(), 64);
  for (StringView more : {u"[", u".", u"(", u"$", u"b"}) {
    Compiled over(p + String(more));
    EXPECT_EQ(over.grep.LastError(), 10) << ToUtf8(more);
    EXPECT_EQ(over.grep.NrOfRegExpTokens(), 64);
  }
  // Splitting a string for a quantifier needs a token too.
  EXPECT_EQ(Compiled(String(63, u'.') + u"bc*").grep.LastError(), 10);
  EXPECT_EQ(Compiled(String(62, u'.') + u"bc*").grep.NrOfRegExpTokens(), 64);

  const String s255(255, u'x');
  Compiled longest(s255);
  EXPECT_EQ(longest.grep.LastError(), 0);
  EXPECT_EQ(longest.grep.GetRegExpToken(1).NumChars, 255);
  Compiled tooLong(s255 + u"y");
  EXPECT_EQ(tooLong.grep.LastError(), 11);
  EXPECT_EQ(Compiled(u"(" + s255 + u"y)").grep.LastError(), 11);
  EXPECT_EQ(Compiled(u"." + s255 + u"\\y").grep.LastError(), 11);

  EXPECT_EQ(Compiled(u"[\u00ff]").grep.LastError(), 0);
  EXPECT_EQ(Compiled(u"[\u0100]").grep.LastError(), 12);
  EXPECT_EQ(Compiled(u"[a-\u20ac]").grep.LastError(), 12);
  EXPECT_EQ(Compiled(u"[\\\u0141]").grep.LastError(), 12);
  EXPECT_EQ(Compiled(u"\u0141+").grep.LastError(), 0);  // literals have no such limit
}

TEST(GrepCompile, HexadecimalEscapes) {
  Compiled ab(u"\\#41\\#42");
  ASSERT_EQ(ab.grep.NrOfRegExpTokens(), 1);
  EXPECT_EQ(Chars(ab.grep.GetRegExpToken(1)), u"AB");
  // After a backslash "\#" stays: "a", an escaped backslash, then "#41".
  Compiled kept(u"a\\\\#41");
  EXPECT_EQ(Chars(kept.grep.GetRegExpToken(1)), u"a\\#41");
  // The escape gives the character typed there, syntax included: "\#2A" quantifies.
  Compiled star(u"ab\\#2A");
  ASSERT_EQ(star.grep.NrOfRegExpTokens(), 2);
  EXPECT_EQ(star.grep.GetRegExpToken(2).Action, taMult0);
  // In a set, and with fewer than two characters left at the end.
  EXPECT_EQ(Members(Compiled(u"[\\#30-\\#32]").grep.GetRegExpToken(1)), u"012");
  EXPECT_EQ(Chars(Compiled(u"x\\#9").grep.GetRegExpToken(1)), u"x\t");
  EXPECT_EQ(Chars(Compiled(u"x\\#").grep.GetRegExpToken(1)), String(u"x\0", 2));
  EXPECT_EQ(Chars(Compiled(u"x\\#7e").grep.GetRegExpToken(1)), u"x~");
  // A trailing lone backslash is a backslash.
  EXPECT_EQ(Chars(Compiled(u"a\\").grep.GetRegExpToken(1)), u"a\\");
  EXPECT_EQ(Members(Compiled(u"[a\\").grep.GetRegExpToken(1)), u"\\a");
}

TEST(GrepCompile, IgnoreCaseLowersThePatternBeforeTheEscapes) {
  Compiled c(u"AbC[X-Z]\\#41\\#4a", true);
  ASSERT_EQ(c.grep.NrOfRegExpTokens(), 3);
  EXPECT_EQ(Chars(c.grep.GetRegExpToken(1)), u"abc");
  EXPECT_EQ(Members(c.grep.GetRegExpToken(2)), u"xyz");
  EXPECT_EQ(Chars(c.grep.GetRegExpToken(3)), u"AJ");  // escapes keep their case

  // Setting IgnoreCase recompiles the stored pattern.
  c.grep.SetIgnoreCase(false);
  EXPECT_EQ(Chars(c.grep.GetRegExpToken(1)), u"AbC");
  EXPECT_EQ(Members(c.grep.GetRegExpToken(2)), u"XYZ");
}

// ================================================================================================
// The component

TEST(GrepComponent, StartsEmptyWithItsDefaults) {
  TGrep grep;
  EXPECT_FALSE(grep.IgnoreCase());
  EXPECT_TRUE(grep.StopOnError());
  EXPECT_EQ(grep.SearchStartPos(), 1);
  EXPECT_EQ(grep.MatchStartPos(), 0);
  EXPECT_EQ(grep.MatchEndPos(), 0);
  EXPECT_EQ(grep.NrOfRegExpTokens(), 0);
  EXPECT_EQ(grep.LastError(), 0);
  EXPECT_TRUE(grep.RegExp().empty());
  EXPECT_TRUE(grep.Name().empty());
}

TEST(GrepComponent, SetRegExpRaisesNamingTheComponentAndKeepsTheTokens) {
  TComponent owner;
  auto* grep = new TGrep(&owner);
  grep->SetName(u"Grep1");
  try {
    grep->SetRegExp(u"*");
    FAIL() << "no exception";
  } catch (const EXANStringlError& e) {
    EXPECT_EQ(e.Message(),
              u"Component \"Grep1\": error in regular expression - reg.exp. must not start with "
              u"$, *, ?, or +");
  }
  EXPECT_EQ(grep->RegExp(), u"*");
  EXPECT_EQ(grep->LastError(), 1);

  try {
    grep->SetRegExp(u"ab[c]^");
    FAIL() << "no exception";
  } catch (const EXANStringlError& e) {
    EXPECT_EQ(e.Message(),
              u"Component \"Grep1\": error in regular expression - circumflex not allowed here");
  }
  EXPECT_EQ(grep->NrOfRegExpTokens(), 2);
  int32_t pos = 0;
  EXPECT_TRUE(grep->MatchString(u"xxabc", pos));  // the tokens before the error work
  EXPECT_EQ(pos, 3);

  grep->SetStopOnError(false);
  EXPECT_NO_THROW(grep->SetRegExp(u"a$b"));
  EXPECT_EQ(grep->LastError(), 3);
  grep->SetRegExp(u"ok");
  EXPECT_EQ(grep->LastError(), 0);

  // SetIgnoreCase never raises, even when the stored pattern is faulty.
  TGrep strict;
  EXPECT_THROW(strict.SetRegExp(u"[]"), EXANStringlError);
  EXPECT_NO_THROW(strict.SetIgnoreCase(true));
  EXPECT_EQ(strict.LastError(), 4);
}

TEST(GrepComponent, ErrorTextsOfTheLimits) {
  TGrep grep;
  const auto message = [&grep](const String& pattern) {
    try {
      grep.SetRegExp(pattern);
    } catch (const EXANStringlError& e) {
      return e.Message();
    }
    return String();
  };
  const String prefix = u"Component \"\": error in regular expression - ";
  EXPECT_EQ(message(String(65, u'.')), prefix + u"more than 64 tokens");
  EXPECT_EQ(message(String(256, u'a')), prefix + u"more than 255 characters in one string");
  EXPECT_EQ(message(u"[\u0100]"), prefix + u"set member with a code above 255");
}

TEST(GrepComponent, GetRegExpTokenClampsItsIndex) {
  Compiled c(u"a.[b]");
  EXPECT_EQ(c.grep.GetRegExpToken(0).Action, taNormal);
  EXPECT_EQ(c.grep.GetRegExpToken(-5).Action, taNormal);
  EXPECT_EQ(c.grep.GetRegExpToken(2).Action, taAnyByte);
  EXPECT_EQ(c.grep.GetRegExpToken(99).Action, taSet);
  Compiled none(u"");
  EXPECT_EQ(none.grep.GetRegExpToken(5).Action, taNormal);
  EXPECT_EQ(none.grep.GetRegExpToken(5).NumChars, 0);
}

TEST(GrepComponent, AssignCopiesTheCompleteState) {
  TGrep a;
  a.SetName(u"A");
  a.SetIgnoreCase(true);
  a.SetRegExp(u"B[^x]+");
  a.SetSearchStartPos(2);
  int32_t pos = 0;
  ASSERT_TRUE(a.MatchString(u"abb\u0141", pos));
  TGrep b;
  b.SetName(u"B");
  b.Assign(a);
  EXPECT_EQ(b.Name(), u"B");
  EXPECT_EQ(b.RegExp(), u"B[^x]+");
  EXPECT_TRUE(b.IgnoreCase());
  EXPECT_EQ(b.SearchStartPos(), 2);
  EXPECT_EQ(b.MatchStartPos(), 2);
  EXPECT_EQ(b.MatchEndPos(), 4);
  EXPECT_EQ(b.NrOfRegExpTokens(), 2);
  EXPECT_EQ(b.GetRegExpToken(2).ValidFrom, 3);
  // The negated set's wide members come along.
  EXPECT_TRUE(b.MatchString(u"\u0141B\u0141", pos));
  EXPECT_EQ(b.MatchEndPos(), 3);

  TGrep c;
  a.AssignTo(c);
  EXPECT_EQ(c.RegExp(), u"B[^x]+");
  TComponent other;
  EXPECT_THROW(c.Assign(other), EConvertError);
}

// ================================================================================================
// Matching

TEST(GrepMatch, DocumentedCases) {
  EXPECT_FOUND(Find(u"b+", u"aabbb"), 3, 5);
  EXPECT_FOUND(Find(u"a.c", u"xxabcxx"), 3, 5);
  EXPECT_FALSE(Find(u"^ab", u"xab").found);
  EXPECT_FOUND(Find(u"^ab", u"abx"), 1, 2);
  EXPECT_FOUND(Find(u"a[0-9]*b", u"a12b"), 1, 4);
  EXPECT_FALSE(Find(u"a[0-9]*b", u"a1x2b").found);
  EXPECT_FOUND(Find(u"(ab)+c", u"ababc"), 1, 5);
  EXPECT_FOUND(Find(u"ab?c", u"ac"), 1, 2);
  EXPECT_FOUND(Find(u"ab?c", u"abc"), 1, 3);
  EXPECT_FOUND(Find(u"ab$", u"xab"), 2, 3);
  EXPECT_FOUND(Find(u"\\#41\\#42", u"xAB"), 2, 3);
  EXPECT_FOUND(Find(u"a\\\\#41", u"a\\#41"), 1, 5);

  Compiled ic(u"ABC", true);
  EXPECT_FOUND(Find(ic.grep, u"xabcx"), 2, 4);
  EXPECT_FOUND(Find(ic.grep, u"xaBCx"), 2, 4);
}

TEST(GrepMatch, LastTokenIsGreedyEarlierOnesAreLazy) {
  EXPECT_FOUND(Find(u"a.*", u"xabcd"), 2, 5);
  EXPECT_FOUND(Find(u"a.*b", u"a1b2b"), 1, 3);
  EXPECT_FOUND(Find(u"a[0-9]*[0-9]", u"a123x"), 1, 2);
  EXPECT_FOUND(Find(u"x(ab)*", u"xababa"), 1, 5);  // only whole occurrences
  EXPECT_FOUND(Find(u"x(ab)*ab", u"xababab"), 1, 3);
  EXPECT_FOUND(Find(u"x(ab)?", u"xa"), 1, 1);
  EXPECT_FOUND(Find(u"x[ab]?", u"xc"), 1, 1);
  EXPECT_FOUND(Find(u"x.?", u"xc"), 1, 2);
  EXPECT_FOUND(Find(u"x.?y", u"xzy"), 1, 3);
  EXPECT_FOUND(Find(u"x.+y", u"xzyzy"), 1, 3);
  EXPECT_FOUND(Find(u"^", u"ab"), 1, 1);
  EXPECT_FOUND(Find(u"()", u"xab"), 1, 0);  // an empty group matches the empty string
  EXPECT_FOUND(Find(u"()*x", u"abx"), 3, 3);
  // The start that comes first wins over a longer match further on.
  EXPECT_FOUND(Find(u"[0-9]+", u"a1b22"), 2, 2);
}

TEST(GrepMatch, SearchStartPosAndTheAnchor) {
  EXPECT_FOUND(Find(u"b+", u"abbab", 3), 3, 3);
  EXPECT_FOUND(Find(u"b+", u"abbab", 4), 5, 5);
  EXPECT_FALSE(Find(u"b+", u"abbab", 6).found);
  EXPECT_FALSE(Find(u"b+", u"abbab", 99).found);
  EXPECT_FOUND(Find(u"b+", u"abbab", 0), 2, 3);  // below 1 starts at 1
  EXPECT_FOUND(Find(u"b+", u"abbab", -4), 2, 3);
  // "^" is tried at SearchStartPos only, and passes at position 1 only.
  EXPECT_FALSE(Find(u"^b", u"abab", 2).found);
  EXPECT_FOUND(Find(u"^a", u"abab", 1), 1, 1);
  EXPECT_FALSE(Find(u"^a", u"abab", 3).found);

  Compiled c(u"cd");
  c.grep.SetSearchStartPos(4);
  EXPECT_FOUND(Find(c.grep, u"cdxcdx"), 4, 5);
  EXPECT_EQ(c.grep.SearchStartPos(), 4);  // not moved by the search
}

TEST(GrepMatch, MatchPosAfterAFailedSearch) {
  Compiled c(u"ab+");
  EXPECT_FOUND(Find(c.grep, u"xxab"), 3, 4);
  // No "a" at all: the position of the last match stays, and so does MatchEndPos.
  Found f = Find(c.grep, u"zzzz");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 3);
  EXPECT_EQ(f.end, 4);
  // The first token alone matched last at 4.
  f = Find(c.grep, u"axxaz");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 4);

  Compiled never(u"qq");
  f = Find(never.grep, u"abc");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 0);
  EXPECT_EQ(f.end, 0);

  // A first token that passes everywhere ends at the length, not past it.
  Compiled opt(u"a?b");
  f = Find(opt.grep, u"xyz");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 3);
  Compiled star(u".*q");
  f = Find(star.grep, u"xyz");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 3);
  star.grep.SetSearchStartPos(3);
  f = Find(star.grep, u"xyz");
  EXPECT_EQ(f.pos, 3);
}

TEST(GrepMatch, OneStarTokenMatchesTheWholeText) {
  Compiled c(u"x*");
  EXPECT_FOUND(Find(c.grep, u"hello"), 1, 5);
  EXPECT_EQ(c.grep.GetRegExpToken(1).ValidFrom, 1);
  EXPECT_FOUND(Find(c.grep, u""), 1, 0);
  c.grep.SetSearchStartPos(5);
  EXPECT_FOUND(Find(c.grep, u"hello"), 1, 5);
  c.grep.SetSearchStartPos(6);
  int32_t pos = 42;
  EXPECT_FALSE(c.grep.MatchString(u"hello", pos));
  EXPECT_EQ(pos, 42);  // left unchanged
  EXPECT_EQ(c.grep.MatchStartPos(), 1);
  EXPECT_FOUND(Find(c.grep, u""), 1, 0);  // an empty text always matches
}

TEST(GrepMatch, JustPastTheEnd) {
  // Zero repetitions and "$" are found there.
  EXPECT_FOUND(Find(u"a.*", u"a"), 1, 1);
  EXPECT_FOUND(Find(u"ab*", u"a"), 1, 1);
  EXPECT_FOUND(Find(u"a[0-9]*", u"xa"), 2, 2);
  EXPECT_FOUND(Find(u"[0-9]+$", u"ab12"), 3, 4);
  EXPECT_FOUND(Find(u"[0-9]+$", u"12"), 1, 2);
  EXPECT_FALSE(Find(u"[0-9]+$", u"12a").found);
  EXPECT_FOUND(Find(u".*$", u"abc"), 1, 3);
  EXPECT_FOUND(Find(u"(ab)*$", u"abab"), 1, 4);
  EXPECT_FOUND(Find(u"(ab)+$", u"xabab"), 2, 5);
  EXPECT_FOUND(Find(u"x*$", u"abc"), 4, 3);  // an empty match at the end
  EXPECT_FOUND(Find(u"a.?$", u"xa"), 2, 2);
  // One character is needed where none is left.
  EXPECT_FALSE(Find(u"a.", u"a").found);
  EXPECT_FALSE(Find(u"a.+", u"a").found);
  EXPECT_FALSE(Find(u"a[0-9]", u"a").found);
  EXPECT_FALSE(Find(u"(ab)+", u"a").found);
  EXPECT_FALSE(Find(u"ab", u"a").found);
  // The empty text.
  EXPECT_FOUND(Find(u"^$", u""), 1, 0);
  EXPECT_FOUND(Find(u"a?", u""), 1, 0);
  EXPECT_FALSE(Find(u".", u"").found);
  EXPECT_FALSE(Find(u"a", u"").found);
  EXPECT_FOUND(Find(u"^", u""), 1, 1);
  // The start position just past the end is tried, beyond it nothing.
  EXPECT_FOUND(Find(u"a*$", u"xy", 3), 3, 2);
  EXPECT_FALSE(Find(u"a*$", u"xy", 4).found);
}

TEST(GrepMatch, EmptyAndFaultyPatternsFindNothing) {
  Compiled empty(u"");
  Found f = Find(empty.grep, u"abc");
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, 0);
  Compiled faulty(u"*abc");
  EXPECT_FALSE(Find(faulty.grep, u"*abc").found);
  // A search after a recompilation starts afresh.
  Compiled c(u"b");
  EXPECT_TRUE(Find(c.grep, u"ab").found);
  c.grep.SetRegExp(u"");
  EXPECT_EQ(Find(c.grep, u"ab").pos, 0);
}

TEST(GrepMatch, CaseAndWideCharacters) {
  // Only "A".."Z" fold; an escape giving an upper-case letter cannot match a lowered text.
  Compiled ic(u"\u00c4[A-C]", true);
  EXPECT_FOUND(Find(ic.grep, u"x\u00c4B"), 2, 3);
  EXPECT_FALSE(Find(ic.grep, u"x\u00e4B").found);
  Compiled hex(u"\\#41\\#62", true);
  EXPECT_FALSE(Find(hex.grep, u"AB").found);
  Compiled lower(u"\\#61\\#62", true);
  EXPECT_FOUND(Find(lower.grep, u"xAB"), 2, 3);
  Compiled exact(u"\\#41\\#62");
  EXPECT_FOUND(Find(exact.grep, u"aAb"), 2, 3);

  // Characters above 255: literal and in the text, members of negated sets only.
  EXPECT_FOUND(Find(u"\u20ac+", u"a\u20ac\u20ac"), 2, 3);
  EXPECT_FOUND(Find(u"[^a-z]+", u"ab\u0141\u20ac!c"), 3, 5);
  EXPECT_FALSE(Find(u"[\\#00-\\#FF]", u"\u0141\u20ac").found);
  EXPECT_FOUND(Find(u"a[^b]?c", u"a\u0141c"), 1, 3);
  EXPECT_FOUND(Find(u"x[^b]*", u"x\u0141\u0142b"), 1, 3);
}

TEST(GrepMatch, LongTextsNeitherOverflowNorReadPastTheEnd) {
  const String as(1 << 20, u'a');
  EXPECT_FOUND(Find(u"a*b?", as), 1, 0);  // the first "a*" is lazy
  EXPECT_FOUND(Find(u"a+$", as), 1, 1 << 20);
  EXPECT_FOUND(Find(u"(aa)*$", as), 1, 1 << 20);
  EXPECT_FOUND(Find(u"[a]*$", as), 1, 1 << 20);
  EXPECT_FALSE(Find(u"a*b", as).found);  // every start tries and fails quickly
  EXPECT_FOUND(Find(u".*a$", as), 1, 1 << 20);
  String tail = as + u"b";
  EXPECT_FOUND(Find(u"a.*b", tail), 1, (1 << 20) + 1);
  EXPECT_FOUND(Find(u"ab", tail), 1 << 20, (1 << 20) + 1);
  // A text in a larger buffer: nothing past its end is looked at.
  const String buffer = u"abcabc";
  EXPECT_FALSE(Find(u"cab", StringView(buffer).substr(0, 4)).found);
  EXPECT_FALSE(Find(u"c(ab)+", StringView(buffer).substr(0, 4)).found);
  EXPECT_FOUND(Find(u"c(ab)*", StringView(buffer).substr(0, 4)), 3, 3);
}

TEST(GrepMatch, HostilePatternsAndTextsStayInBounds) {
  // Any mix of syntax, escapes, wide and control characters, long enough to reach the limits of
  // the compiled form, searched from any start: results stay inside the text.
  std::mt19937 rng(4711);
  using namespace std::string_view_literals;
  const StringView alphabet = u"ab.*+?()[]^$-\\#4F\u0000\u00ff\u0100\u20ac\uffff"sv;
  const int32_t starts[] = {std::numeric_limits<int32_t>::min(), -1, 0, 1, 2, 5,
                            std::numeric_limits<int32_t>::max()};
  for (int round = 0; round < 3000; ++round) {
    TGrep grep;
    grep.SetStopOnError(false);
    grep.SetIgnoreCase(round % 3 == 0);
    grep.SetRegExp(RandomText(rng, rng() % (round % 50 == 0 ? 400 : 24), alphabet));
    ASSERT_GE(grep.LastError(), 0);
    ASSERT_LE(grep.LastError(), 12);
    ASSERT_LE(grep.NrOfRegExpTokens(), 64);
    for (int32_t k = 1; k <= grep.NrOfRegExpTokens(); ++k) {
      const TGrepToken t = grep.GetRegExpToken(k);
      ASSERT_GE(t.NumChars, -1);
      ASSERT_LE(t.NumChars, 255);
    }
    const String text = RandomText(rng, rng() % 20, alphabet);
    const auto len = static_cast<int32_t>(text.size());
    grep.SetSearchStartPos(starts[rng() % std::size(starts)]);
    int32_t pos = -1;
    if (grep.MatchString(text, pos)) {
      ASSERT_EQ(pos, grep.MatchStartPos());
      ASSERT_GE(pos, 1);
      ASSERT_LE(pos, len + 1);
      ASSERT_GE(grep.MatchEndPos(), pos - 1);
      ASSERT_LE(grep.MatchEndPos(), std::max(len, 1));  // "^" ends at 1 in an empty text
    }
  }
}

// ================================================================================================
// A literal reading of the matching rules: every candidate listed, every start tried, nothing
// skipped. The matcher must agree with it in every result and every recorded position. It gives
// up (Search returns nothing) after a budget of trials.

class Reference {
 public:
  Reference(std::vector<TGrepToken> tokens, const String& text, std::vector<bool> wide, bool fold,
            int64_t budget)
      : t(std::move(tokens)), s(text), wideMembers(std::move(wide)), trials(budget) {
    if (fold) {
      for (Char& c : s) c = c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c;
    }
  }

  std::vector<TGrepToken> t;  // token k is t[k - 1]
  String s;
  int32_t end = -1;

  std::optional<bool> Search(int32_t start) {
    const auto L = static_cast<int32_t>(s.size());
    if (start > L + 1) return false;
    int32_t p = start;
    bool r = Match(p, 1);
    if (!r && t[0].Action != taBol) {
      while (!r && p < L) r = Match(++p, 1);
      if (!r && start <= L) {
        const int32_t saved = t[0].ValidFrom;
        r = Match(L + 1, 1);
        if (!r) t[0].ValidFrom = saved;
      }
    }
    if (trials < 0) return std::nullopt;
    return r;
  }

 private:
  std::vector<bool> wideMembers;
  int64_t trials;

  int32_t Len() const { return static_cast<int32_t>(s.size()); }
  bool Occurs(const TGrepToken& k, int32_t pos) const {
    return pos + k.NumChars - 1 <= Len() &&
           s.compare(static_cast<size_t>(pos - 1), static_cast<size_t>(k.NumChars),
                     k.Params.data() + 1) == 0;
  }
  bool Member(const TGrepToken& k, int32_t pos) const {
    if (pos > Len()) return false;
    const Char c = s[static_cast<size_t>(pos - 1)];
    return c < 256 ? k.Params[c] == u'*' : static_cast<bool>(wideMembers[&k - t.data()]);
  }
  // One repetition of the operand at pos: its length, or 0.
  int32_t Rep(const TGrepToken& k, int32_t pos) const {
    if (pos > Len()) return 0;
    if (k.NumChars == 0) return 1;
    if (k.NumChars < 0) return Member(k, pos) ? 1 : 0;
    return Occurs(k, pos) ? k.NumChars : 0;
  }
  bool Test(const TGrepToken& k, int32_t idx, int32_t pos) const {
    switch (k.Action) {
      case taNormal:
        return k.NumChars == 0 || Occurs(k, pos);
      case taAnyByte:
        return pos <= Len();
      case taEol:
        return pos > Len() && idx == static_cast<int32_t>(t.size());
      case taBol:
        return pos == 1;
      case taSet:
        return Member(k, pos);
      case taMult1:
        return Rep(k, pos) > 0;
      default:
        return true;
    }
  }
  std::vector<int32_t> Candidates(const TGrepToken& k, int32_t pos) const {
    std::vector<int32_t> c;
    switch (k.Action) {
      case taNormal:
        c = {pos + k.NumChars};
        break;
      case taAnyByte:
      case taSet:
        c = {pos + 1};
        break;
      case taBol:
        c = {1};
        break;
      case taOpti:
        c = {pos};
        if (Rep(k, pos) > 0) c.push_back(pos + Rep(k, pos));
        break;
      default:
        for (int32_t q = k.Action == taMult0 ? pos : pos + Rep(k, pos);;) {
          c.push_back(q);
          if (Rep(k, q) == 0) break;
          q += Rep(k, q);
        }
    }
    return c;
  }
  int32_t End(const TGrepToken& k, int32_t pos) const {
    switch (k.Action) {
      case taNormal:
        return pos + k.NumChars - 1;
      case taAnyByte:
      case taSet:
        return pos;
      case taBol:
        return 1;
      case taEol:
        return Len();
      case taOpti:
        return k.NumChars == 0 ? std::min(pos, Len()) : pos + Rep(k, pos) - 1;
      default:
        return Candidates(k, pos).back() - 1;
    }
  }
  bool Match(int32_t pos, int32_t idx) {
    if (--trials < 0) return false;
    TGrepToken& k = t[static_cast<size_t>(idx - 1)];
    if (!Test(k, idx, pos)) return false;
    k.ValidFrom = pos;
    if (idx == static_cast<int32_t>(t.size())) {
      end = End(k, pos);
      return true;
    }
    for (const int32_t q : Candidates(k, pos)) {
      if (Match(q, idx + 1)) return true;
    }
    return false;
  }
};

// Random patterns built from the pieces the search treats specially (strings with rare and
// wide characters, sets and negated sets, ".", groups, quantifiers, both anchors), and texts
// made of the same characters with the pattern's strings planted whole, changed by one character
// or in the other case, often at the very start or end.
struct RandomSearch {
  std::mt19937 rng;
  explicit RandomSearch(uint32_t seed) : rng(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  Char Pick(StringView from) {
    return from[static_cast<size_t>(Below(static_cast<int>(from.size())))];
  }

  static constexpr StringView kLetters = u"abcxyzABX-\u00e9\u0141\u20ac";

  String Pattern() {
    String p;
    if (Below(7) == 0) p += u'^';
    for (int pieces = 1 + Below(5); pieces > 0; --pieces) {
      switch (Below(9)) {
        case 0:
          p += u'.';
          break;
        case 1:
        case 2: {
          p += u'[';
          if (Below(3) == 0) p += u'^';
          for (int m = 1 + Below(3); m > 0; --m) {
            p += Pick(u"abcxAz\u00e9");
            if (Below(3) == 0) p += String(u"-") + Pick(u"cdzB");
          }
          p += u']';
          break;
        }
        case 3:
          p += u'(';
          for (int m = 1 + Below(3); m > 0; --m) p += Pick(u"abcxA");
          p += u')';
          break;
        case 4:
          p += Below(2) == 0 ? u"\\#61" : u"\\#41";
          break;
        default:
          for (int m = 1 + Below(4); m > 0; --m) p += Pick(kLetters);
      }
      if (Below(3) == 0) p += Pick(u"*+?");
    }
    if (Below(5) == 0) p += u'$';
    return p;
  }

  String Text(StringView pattern) {
    int len = Below(5) == 0 ? 40 + Below(300) : Below(40);
    String text;
    const StringView filler = Below(2) == 0 ? u"abcxyz ABXY\u00e9\u0141" : u"mnopq mno";
    while (static_cast<int>(text.size()) < len) {
      if (Below(6) == 0) {
        text += Planted(pattern);
      } else {
        text += Pick(filler);
      }
    }
    switch (Below(4)) {
      case 0:
        return Planted(pattern) + text;
      case 1:
        return text + Planted(pattern);
      default:
        return text;
    }
  }

  // The pattern's literal characters, with some characters changed or in the other case.
  String Planted(StringView pattern) {
    String s;
    for (const Char c : pattern) {
      if (String(u"^$*+?()[]\\#-.").find(c) != String::npos) {
        if (c == u'.' || c == u'*' || c == u'+') s += Pick(u"abx");
        continue;
      }
      const int how = Below(12);
      if (how == 0) continue;
      if (how == 1)
        s += Pick(kLetters);
      else if (how == 2 && c >= u'a' && c <= u'z')
        s += static_cast<Char>(c - 32);
      else
        s += c;
    }
    return s;
  }
};

constexpr int kRandomSearches = 100000;  // about 1 s, in the sanitizer build about 7 s

TEST(GrepMatch, AgreesWithTheLiteralRulesOnRandomInput) {
  RandomSearch gen(2024);
  auto model = std::make_unique<TRegExp>();
  int compared = 0;
  int literal = 0;
  int skipped = 0;
  for (int round = 0; round < kRandomSearches; ++round) {
    // Every scan path; the shortcuts of long texts on short ones too, failed trials remembered
    // from the first step on, or both.
    const detail::TGrepScanPathScope path(static_cast<detail::TGrepScanPath>(round % 3));
    detail::TGrepTuning tuning;
    if (round % 4 == 1 || round % 4 == 3) tuning.FilterFrom = tuning.VectorSetFrom = 0;
    tuning.MemoFromStart = round % 4 >= 2;
    detail::SetGrepTuning(tuning);
    const String pattern = gen.Pattern();
    TGrep grep;
    grep.SetStopOnError(false);
    grep.SetIgnoreCase(gen.Below(3) == 0);
    grep.SetRegExp(pattern);
    const int32_t n = grep.NrOfRegExpTokens();
    if (n == 0 || (n == 1 && grep.GetRegExpToken(1).Action == taMult0)) continue;
    const String text = gen.Text(pattern);
    const auto len = static_cast<int32_t>(text.size());
    const auto& wide = detail::TGrepAccess::Wide(grep);
    // Two searches in a row, the second from a random start, so earlier positions carry over.
    for (int search = 0; search < 2; ++search) {
      grep.SetSearchStartPos(search == 0 ? 1 : gen.Below(len + 5) - 1);
      const int32_t start = std::max(grep.SearchStartPos(), 1);
      for (int32_t k = 1; k <= n; ++k) (*model)[k] = grep.GetRegExpToken(k);
      const model::TModelSearch former =
          grep.IgnoreCase() ? model::RunModel<true>(*model, n, wide, text, start, 200000)
                            : model::RunModel<false>(*model, n, wide, text, start, 200000);
      std::vector<TGrepToken> before;
      for (int32_t k = 1; k <= n; ++k) before.push_back(grep.GetRegExpToken(k));
      std::optional<bool> rules;
      Reference ref(before, text, std::vector<bool>(wide.begin(), wide.begin() + n),
                    grep.IgnoreCase(), 20000);
      if (round % 4 == 0) rules = ref.Search(start);
      const int32_t endBefore = grep.MatchEndPos();
      int32_t pos = -1;
      const bool found = grep.MatchString(text, pos);
      if (former.GaveUp) {
        ++skipped;
        continue;
      }
      const std::string what = "pattern \"" + ToUtf8(pattern) + "\" text \"" + ToUtf8(text) +
                               "\" start " + std::to_string(grep.SearchStartPos()) +
                               (grep.IgnoreCase() ? " ignoring case" : "") + " path " +
                               std::to_string(round % 3);
      ASSERT_EQ(found, former.Found) << what;
      ASSERT_EQ(pos, (*model)[1].ValidFrom) << what;
      ASSERT_EQ(grep.MatchStartPos(), pos) << what;
      ASSERT_EQ(grep.MatchEndPos(), found ? former.End : endBefore) << what;
      for (int32_t k = 1; k <= n; ++k) {
        ASSERT_EQ(grep.GetRegExpToken(k).ValidFrom, (*model)[k].ValidFrom)
            << what << " token " << k;
      }
      ++compared;
      if (!rules.has_value()) continue;
      // The literal reading, where it finished within its budget.
      ASSERT_EQ(found, *rules) << what;
      ASSERT_EQ(grep.MatchEndPos(), found ? ref.end : endBefore) << what;
      for (int32_t k = 1; k <= n; ++k) {
        ASSERT_EQ(grep.GetRegExpToken(k).ValidFrom, ref.t[static_cast<size_t>(k - 1)].ValidFrom)
            << what << " token " << k << " (literal rules)";
      }
      ++literal;
    }
  }
  detail::SetGrepTuning({});
  EXPECT_GT(compared, kRandomSearches);
  EXPECT_GT(literal, kRandomSearches / 8);
  EXPECT_LT(skipped, compared / 100);
}

// Patterns whose trials meet the same sub-searches again and again: each ".*" multiplies the
// trials of a plain backtracking search by the length of the text, so that these would take
// hours (the first alone seconds) without remembering failed trials. The positions a failed
// search leaves follow from the rules: the first token last passed at the last start within the
// text, the other repetitions at the start just past the end, and the final "x" never.
TEST(GrepMatch, RepeatedRepetitionsFinish) {
  std::mt19937 rng(77);
  struct Case {
    String repeat;
    int count;
    size_t length;
    StringView alphabet;
    int32_t matchFrom;  // where "x" appended to the text is found from: 1, or that many back
  };
  const Case cases[] = {{u".*", 8, 60, u"abcdefgh", 1},
                        {u".*", 40, 400, u"abcdefgh", 1},
                        {u"[a-h]*", 30, 300, u"abcdefgh", 1},
                        {u"(ab)*", 20, 200, u"ab", 1},
                        {u".?", 60, 300, u"abcdefgh", -60}};
  for (const Case& c : cases) {
    String pattern;
    for (int i = 0; i < c.count; ++i) pattern += c.repeat;
    Compiled grep(pattern + u"x");
    ASSERT_EQ(grep.grep.NrOfRegExpTokens(), c.count + 1);
    // "abab..." for the repeated string, so that every repetition has many candidates.
    String text = RandomText(rng, c.length, c.alphabet);
    if (c.alphabet == u"ab") {
      for (size_t i = 0; i < text.size(); ++i) text[i] = i % 2 == 0 ? u'a' : u'b';
    }
    const auto len = static_cast<int32_t>(text.size());
    const Found f = Find(grep.grep, text);
    EXPECT_FALSE(f.found) << ToUtf8(pattern);
    EXPECT_EQ(f.pos, len) << ToUtf8(pattern);
    for (int32_t k = 2; k <= c.count; ++k) {
      ASSERT_EQ(grep.grep.GetRegExpToken(k).ValidFrom, len + 1) << ToUtf8(pattern) << " " << k;
    }
    EXPECT_EQ(grep.grep.GetRegExpToken(c.count + 1).ValidFrom, 0);
    // With an "x" at the end the leftmost start wins; where the repetitions can take anything,
    // every one but the last takes nothing.
    const Found g = Find(grep.grep, text + u"x");
    EXPECT_FOUND(g, c.matchFrom > 0 ? c.matchFrom : len + 1 + c.matchFrom, len + 1);
    EXPECT_EQ(grep.grep.GetRegExpToken(c.count + 1).ValidFrom, len + 1);
  }

  // ".*a" twenty times, then "x", over a text of "a"s: every ".*" can end before any of the
  // "a"s, so the plain search tries more than 10^20 ways. The greatest trial that reaches the
  // m-th "a" starts m characters before the end and takes the last m "a"s: that "a" last passed
  // at the end, the ".*" after it just past the end; the final "ax" never passed.
  {
    String pattern;
    for (int i = 0; i < 20; ++i) pattern += u".*a";
    Compiled grep(pattern + u"x");
    const String as(200, u'a');
    const Found f = Find(grep.grep, as);
    EXPECT_FALSE(f.found);
    EXPECT_EQ(f.pos, 200);
    ASSERT_EQ(grep.grep.NrOfRegExpTokens(), 40);  // the last "a" joins the "x": "ax"
    for (int32_t k = 2; k <= 39; ++k) {
      ASSERT_EQ(grep.grep.GetRegExpToken(k).ValidFrom, k % 2 == 0 ? 200 : 201) << k;
    }
    EXPECT_EQ(grep.grep.GetRegExpToken(40).ValidFrom, 0);
    EXPECT_FOUND(Find(grep.grep, as + u"x"), 1, 201);
    EXPECT_EQ(grep.grep.GetRegExpToken(39).ValidFrom, 20);
    EXPECT_EQ(grep.grep.GetRegExpToken(40).ValidFrom, 200);
  }

  // Small cases of the same shapes against the former matcher, which still finishes on them.
  auto tokens = std::make_unique<TRegExp>();
  for (int stars = 2; stars <= 4; ++stars) {
    for (const StringView repeat : {u".*", u"a*", u"[ab]*b", u".?a"}) {
      String pattern;
      for (int i = 0; i < stars; ++i) pattern += repeat;
      pattern += u"c";
      for (int round = 0; round < 4; ++round) {
        Compiled grep(pattern, round % 2 == 1);
        const String text = RandomText(rng, 24, round < 2 ? u"ab" : u"abAB");
        const int32_t n = grep.grep.NrOfRegExpTokens();
        for (int32_t k = 1; k <= n; ++k) (*tokens)[k] = grep.grep.GetRegExpToken(k);
        const auto& wide = detail::TGrepAccess::Wide(grep.grep);
        const model::TModelSearch former =
            round % 2 == 1 ? model::RunModel<true>(*tokens, n, wide, text, 1, 100000000)
                           : model::RunModel<false>(*tokens, n, wide, text, 1, 100000000);
        ASSERT_FALSE(former.GaveUp);
        const Found f = Find(grep.grep, text);
        EXPECT_EQ(f.found, former.Found) << ToUtf8(pattern);
        EXPECT_EQ(f.pos, (*tokens)[1].ValidFrom) << ToUtf8(pattern);
        for (int32_t k = 1; k <= n; ++k) {
          EXPECT_EQ(grep.grep.GetRegExpToken(k).ValidFrom, (*tokens)[k].ValidFrom)
              << ToUtf8(pattern) << " token " << k;
        }
      }
    }
  }
}

TEST(GrepMatch, SixtyFourMebibyteText) {
  String text;
  text.reserve(size_t{64} << 20);
  while (text.size() < (size_t{64} << 20) - 64) text += u"lorem ipsum dolor sit amet ";
  text += u"needle 2024 e";
  const auto len = static_cast<int32_t>(text.size());
  EXPECT_FOUND(Find(u"needle", text), len - 12, len - 7);
  EXPECT_FOUND(Find(u"[0-9]+", text), len - 5, len - 2);
  EXPECT_FOUND(Find(u"[0-9]+ e$", text), len - 5, len);
  EXPECT_FALSE(Find(u"NEEDLE [0-9]", text).found);
  // Nothing found: the first token last passed at the last "e", the repetition right after it.
  Compiled c(u"e[a-z]*Q");
  const Found f = Find(c.grep, text);
  EXPECT_FALSE(f.found);
  EXPECT_EQ(f.pos, len);
  EXPECT_EQ(c.grep.GetRegExpToken(2).ValidFrom, len + 1);
  Compiled d(u"t[a-z ]*Q");
  EXPECT_FALSE(Find(d.grep, text).found);
  EXPECT_EQ(d.grep.GetRegExpToken(1).ValidFrom, static_cast<int32_t>(text.rfind(u't')) + 1);
  EXPECT_EQ(d.grep.GetRegExpToken(2).ValidFrom, static_cast<int32_t>(text.rfind(u't')) + 2);
}

// ================================================================================================
// The scans

// A text of characters around the values the scans compare with: letters of both cases, the
// ends of the code range, characters that differ from a letter only in the case bit.
String ScanText(std::mt19937& rng, size_t len) {
  using namespace std::string_view_literals;
  return RandomText(rng, len, u"aAbBzZ`@[{09 \u0000\u00ff\u0100\u0141\u20ac\uffff\u2061"sv);
}

TEST(GrepScan, VectorPathsAgreeWithThePortableLoops) {
  std::mt19937 rng(31);
  using detail::TGrepScanPath;
  for (const TGrepScanPath path : {detail::gspSse2, detail::gspAvx2}) {
    if (detail::ProcessorGrepScanPath() < path) continue;
    for (int round = 0; round < 3000; ++round) {
      const size_t len = rng() % 120;
      const String text = ScanText(rng, len);
      const size_t from = len == 0 ? 0 : rng() % (len + 1);
      // Two probes at offsets below 6, each exact or blind to the case bit.
      const auto probe = [&](uint32_t offset) {
        const Char c = ScanText(rng, 1)[0];
        const bool fold = rng() % 2 == 0;
        return detail::TCharProbe{static_cast<uint16_t>(fold ? c | 0x20 : c),
                                  static_cast<uint16_t>(fold ? 0x20 : 0), offset};
      };
      const detail::TCharProbe a = probe(static_cast<uint32_t>(rng() % 6));
      const detail::TCharProbe b = probe(static_cast<uint32_t>(rng() % 6));
      const size_t reach = std::max(a.Offset, b.Offset);
      const size_t to = len > reach ? len - reach : 0;
      // Up to eight ranges, maybe negated; spans from one code to most of the range.
      detail::TCharRanges set{};
      set.Count = static_cast<int32_t>(rng() % 9);
      set.Negated = rng() % 2 == 0;
      for (int32_t i = 0; i < set.Count; ++i) {
        set.Lo[i] = ScanText(rng, 1)[0];
        set.Span[i] = static_cast<uint16_t>(rng() % 3 == 0 ? rng() : rng() % 40);
      }
      size_t pairWant, inWant, outWant;
      {
        const detail::TGrepScanPathScope portable(detail::gspPortable);
        pairWant = detail::FindProbePair(text.data(), std::min(from, to), to, a, b);
        inWant = detail::FindInRanges(text.data(), from, len, set, true);
        outWant = detail::FindInRanges(text.data(), from, len, set, false);
      }
      const detail::TGrepScanPathScope scope(path);
      ASSERT_EQ(detail::FindProbePair(text.data(), std::min(from, to), to, a, b), pairWant);
      ASSERT_EQ(detail::FindInRanges(text.data(), from, len, set, true), inWant);
      ASSERT_EQ(detail::FindInRanges(text.data(), from, len, set, false), outWant);
    }
  }
  // The portable loops themselves, on a case worked out by hand.
  const String t = u"xaBcAb";
  const detail::TGrepScanPathScope portable(detail::gspPortable);
  EXPECT_EQ(detail::FindProbePair(t.data(), 0, 5, {u'a', 0x20, 0}, {u'b', 0x20, 1}), 1u);
  EXPECT_EQ(detail::FindProbePair(t.data(), 2, 5, {u'a', 0x20, 0}, {u'b', 0x20, 1}), 4u);
  EXPECT_EQ(detail::FindProbePair(t.data(), 0, 5, {u'a', 0, 0}, {u'b', 0, 1}), 5u);
  const detail::TCharRanges upper{1, false, {u'A'}, {25}};
  EXPECT_EQ(detail::FindInRanges(t.data(), 0, 6, upper, true), 2u);
  EXPECT_EQ(detail::FindInRanges(t.data(), 2, 6, upper, false), 3u);
}

#if __has_include(<sys/mman.h>) && __has_include(<unistd.h>)
// Texts that end right before a page the process may not read: every scan, on every path, stops
// at the text's end.
TEST(GrepScan, NothingPastTheEndOfTheTextIsRead) {
  const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  void* map = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) GTEST_SKIP() << "no anonymous mapping";
  ASSERT_EQ(::mprotect(static_cast<char*>(map) + page, page, PROT_NONE), 0);
  auto* end = reinterpret_cast<Char*>(static_cast<char*>(map) + page);
  const StringView patterns[] = {u"needle", u"[0-9]", u"[^a-z]",      u"x+$",      u"a*b",
                                 u"ab",     u"aaa$",  u"[a-z]+q",     u"(aa)+b",   u"a.*z",
                                 u"[b-d]a", u"^a*b",  u"[a-c]*[0-9]", u"a[0-9]?z", u"Q[a-z]+"};
  std::mt19937 rng(5);
  for (const size_t len :
       {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{15}, size_t{16}, size_t{17}, size_t{31},
        size_t{32}, size_t{33}, size_t{100}, page / 2 - 1, page / 2}) {
    Char* text = end - len;
    for (size_t i = 0; i < len; ++i) text[i] = rng() % 8 == 0 ? u'b' : u'a';
    for (const auto path : {detail::gspPortable, detail::gspSse2, detail::gspAvx2}) {
      const detail::TGrepScanPathScope scope(path);
      for (const StringView p : patterns) {
        for (const bool ignoreCase : {false, true}) {
          Compiled c(p, ignoreCase);
          int32_t pos = 0;
          c.grep.MatchString(StringView(text, len), pos);
        }
      }
      const detail::TCharRanges digits{1, false, {u'0'}, {9}};
      EXPECT_EQ(detail::FindInRanges(text, 0, len, digits, true), len);
      EXPECT_EQ(detail::FindProbePair(text, 0, len, {u'q', 0x20, 0}, {u'q', 0x20, 0}), len);
    }
  }
  ::munmap(map, 2 * page);
}
#endif

// ================================================================================================
// The listing

class GrepPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("xan_grep_test_" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string Listing(StringView pattern) {
    Compiled c(pattern);
    const auto file = dir / "listing.txt";
    c.grep.PrintRegExp(FromUtf8(file.string()));
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path dir;
};

TEST_F(GrepPrint, OneLinePerTokenThenTheError) {
  EXPECT_EQ(Listing(u"ab*[0-2]$"),
            " taNormal: a\r\n"
            "  taMult0: (string) b\r\n"
            "    taSet: 012\r\n"
            "    taEol: \r\n"
            "no errors\r\n");
  EXPECT_EQ(Listing(u"^.(xy)?[ab]+.*"),
            "    taBol: \r\n"
            "taAnyByte: \r\n"
            "   taOpti: (string) xy\r\n"
            "  taMult1: (set) ab\r\n"
            "  taMult0: (anychar) \r\n"
            "no errors\r\n");
  EXPECT_EQ(Listing(u"a$b"),
            " taNormal: a\r\n    taEol: \r\nno character allowed after end of line\r\n");
  EXPECT_EQ(Listing(u""), "no errors\r\n");
  EXPECT_EQ(Listing(u"()"), " taNormal: \r\nno errors\r\n");
  // The limits of the compiled form have no text in the listing: its last line stays empty.
  const std::string over = Listing(String(65, u'.'));
  EXPECT_EQ(over.size(), 64u * 13u + 2u);
  EXPECT_EQ(over.substr(over.size() - 15), "taAnyByte: \r\n\r\n");
  EXPECT_EQ(Listing(u"[\u0100]"), "    taSet: \r\n\r\n");
}

TEST_F(GrepPrint, WritesTheAnsiCodePage) {
  // "é" is one byte, "€" its ANSI byte 0x80, a character the code page lacks a "?".
  EXPECT_EQ(Listing(u"\u00e9\u20ac\u0141"), " taNormal: \xe9\x80?\r\nno errors\r\n");
  // A set lists its members by code, 0 to 255.
  const std::string all = Listing(u"[^]");
  EXPECT_EQ(all.substr(0, 11), "    taSet: ");
  EXPECT_EQ(all.size(), 11u + 256u + 2u + 11u);
  EXPECT_EQ(all[11], '\0');
  EXPECT_EQ(static_cast<unsigned char>(all[11 + 0xe9]), 0xe9);
}

TEST_F(GrepPrint, FileErrorsRaiseInOutError) {
  Compiled c(u"abc");
  const String missing = FromUtf8((dir / "no" / "such" / "dir.txt").string());
  try {
    c.grep.PrintRegExp(missing);
    FAIL() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_NE(e.Message().find(missing), String::npos);
  }
  EXPECT_THROW(c.grep.PrintRegExp(FromUtf8(dir.string())), EInOutError);  // a directory
  EXPECT_THROW(c.grep.PrintRegExp(u""), EInOutError);
  if (std::filesystem::exists("/dev/full")) {
    try {
      c.grep.PrintRegExp(u"/dev/full");
      FAIL() << "no exception";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), ENOSPC);
    }
  }
}

}  // namespace
}  // namespace xan
