// String search, count, replace, split, extraction, tokenizing and line reading.
#include "xan/stringl/string_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "random_text.h"
#include "xan/platform/locale.h"
#include "xan/stringl/number_format.h"
#include "xan_stringl/text_search.h"

namespace xan {
namespace {

// ------------------------------------------------------------------------------------------------
// The pattern finder under every search

TEST(TextSearcher, AgreesWithPlainSearchOnEveryStart) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const String text = RandomText(rng, rng() % 60, u"ab");
    const String pattern = RandomText(rng, 1 + rng() % 5, u"ab");
    TTextSearcher searcher(pattern);
    for (size_t from = 0; from <= text.size() + 1; ++from) {
      ASSERT_EQ(searcher.Find(text, from), StringView(text).find(pattern, from))
          << ToUtf8(text) << " / " << ToUtf8(pattern) << " from " << from;
    }
  }
}

TEST(TextSearcher, SwitchesToTheLinearSearchOnRepetitiveText) {
  // "aaa...a" with the pattern "aaa...ab": every start almost matches. The finder must still
  // find the right positions after it changes method mid-search.
  const String text = String(5000, u'a') + u"b" + String(3000, u'a') + u"b";
  const String pattern = String(200, u'a') + u"b";
  TTextSearcher searcher(pattern);
  EXPECT_EQ(searcher.Find(text, 0), 4800U);
  EXPECT_EQ(searcher.Find(text, 4801), 7801U);
  EXPECT_EQ(searcher.Find(text, 7802), TTextSearcher::npos);
  EXPECT_EQ(searcher.Count(text), 2);
  EXPECT_EQ(TTextSearcher(u"").Find(text, 0), TTextSearcher::npos);
}

// ------------------------------------------------------------------------------------------------
// Search and count

TEST(NumberedPos, FindsTheNthOccurrenceWithoutOverlap) {
  EXPECT_EQ(NumberedPos(u"bc", u"abcabc", 1, 2, false), 5);
  EXPECT_EQ(NumberedPos(u"aa", u"aaaa", 1, 2, false), 3);
  EXPECT_EQ(NumberedPos(u"aa", u"aaa", 1, 2, false), 0);  // the second would overlap
  EXPECT_EQ(NumberedPos(u"aa", u"aaaa", 2, 1, false), 2);
  EXPECT_EQ(NumberedPos(u"b", u"abc", 0, 1, false), 2);
  EXPECT_EQ(NumberedPos(u"b", u"abc", -7, 1, false), 2);
  EXPECT_EQ(NumberedPos(u"bc", u"abcabc", 3, 1, false), 5);
  EXPECT_EQ(NumberedPos(u"abc", u"abcabc", 4, 1, false), 4);  // a match at the very end
  EXPECT_EQ(NumberedPos(u"a", u"abc", 1, 1, false), 1);       // a match at the very start
  EXPECT_EQ(NumberedPos(u"c", u"abc", 4, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"c", u"abc", 1, 2, false), 0);
}

TEST(NumberedPos, EmptyPatternAndBadCountsGiveZero) {
  EXPECT_EQ(NumberedPos(u"", u"abc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"abc", 1, 0, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"abc", 1, -1, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"abcd", u"abc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"a", u"abc", INT32_MAX, 1, false), 0);
}

TEST(NumberedPos, IgnoringCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(NumberedPos(u"B", u"abc", 1, 1, true), 2);
  EXPECT_EQ(NumberedPos(u"B", u"abc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos(u"xY", u"XyxY", 1, 2, true), 3);
  EXPECT_EQ(NumberedPos(u"\u00e9", u"\u00c9\u00e9", 1, 1, true), 2);  // no locale folding
}

TEST(NumberedPosBw, CountsBackwardsFromStartpos) {
  EXPECT_EQ(NumberedPosBw(u"bc", u"abcabc", 6, 1, false), 5);
  EXPECT_EQ(NumberedPosBw(u"bc", u"abcabc", 5, 1, false), 2);
  EXPECT_EQ(NumberedPosBw(u"bc", u"abcabc", 6, 2, false), 2);
  EXPECT_EQ(NumberedPosBw(u"bc", u"abcabc", 6, 3, false), 0);
  EXPECT_EQ(NumberedPosBw(u"aa", u"aaa", 3, 1, false), 2);  // the occurrence nearest the end
  EXPECT_EQ(NumberedPosBw(u"aa", u"aaaa", 4, 2, false), 1);
  EXPECT_EQ(NumberedPosBw(u"aa", u"aaa", 3, 2, false), 0);      // no overlap backwards either
  EXPECT_EQ(NumberedPosBw(u"bc", u"abcabc", 99, 1, false), 5);  // clamped to the length
  EXPECT_EQ(NumberedPosBw(u"a", u"abc", 0, 1, false), 1);       // clamped to 1
  EXPECT_EQ(NumberedPosBw(u"BC", u"abcabc", 6, 1, true), 5);
  EXPECT_EQ(NumberedPosBw(u"", u"abc", 3, 1, false), 0);
  EXPECT_EQ(NumberedPosBw(u"a", u"abc", 3, 0, false), 0);
  EXPECT_EQ(NumberedPosBw(u"a", u"", 1, 1, false), 0);
}

TEST(PosLast, LastOccurrenceTakenFromTheLeft) {
  EXPECT_EQ(PosLast(u"ab", u"abxab"), 4);
  EXPECT_EQ(PosLast(u"aa", u"aaa"), 1);
  EXPECT_EQ(PosLast(u"aa", u"aaaa"), 3);
  EXPECT_EQ(PosLast(u"x", u"abc"), 0);
  EXPECT_EQ(PosLast(u"", u"abc"), 0);
}

TEST(Count, StringsWithoutOverlapAndCharacters) {
  EXPECT_EQ(CountStringInString(u"aa", u"aaaaa", true), 2);
  EXPECT_EQ(CountStringInString(u"ab", u"AbaB", false), 2);
  EXPECT_EQ(CountStringInString(u"ab", u"AbaB", true), 0);
  EXPECT_EQ(CountStringInString(u"", u"abc", true), 0);
  EXPECT_EQ(CountStringInString(u"abc", u"abc", true), 1);
  EXPECT_EQ(CountStringInString(u"abc", u"ab", true), 0);
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", true), 1);
  EXPECT_EQ(CountCharInString(u'a', u"aAbA", false), 3);
  EXPECT_EQ(CountCharInString(u'A', u"aAbA", false), 3);
  EXPECT_EQ(CountCharInString(u'1', u"1q1", false), 2);
  EXPECT_EQ(CountCharInString(u'a', u"", false), 0);
}

TEST(CountWords, CountsRunsOfTwoFollowedByASeparator) {
  EXPECT_EQ(CountWords(u"a bb ccc"), 1);
  EXPECT_EQ(CountWords(u"a bb ccc."), 2);
  EXPECT_EQ(CountWords(u"ab cd "), 2);
  EXPECT_EQ(CountWords(u""), 0);
  EXPECT_EQ(CountWords(u"word"), 0);
  EXPECT_EQ(CountWords(u"(x) [yy]{zz}"), 2);
  EXPECT_EQ(CountWords(u"ab\tcd "), 1);  // a tab is no separator
  EXPECT_EQ(CountWords(String(u"ab\0cd\0", 6)), 2);
  EXPECT_EQ(CountWords(u"\u00e9t\u00e9\u2014\u00e9t\u00e9 "), 1);  // above 255: never a separator
}

TEST(WordSeps, HoldsTheTwentySixSeparators) {
  EXPECT_EQ(WordSeps.Count(), 26U);
  for (Char c : StringView(u"\"#%'()*+,-./:;<=>[\\]{} \r\n")) EXPECT_TRUE(WordSeps.Contains(c));
  EXPECT_TRUE(WordSeps.Contains(u'\0'));
  for (Char c : StringView(u"!$&?@^_`|~\tazAZ09")) EXPECT_FALSE(WordSeps.Contains(c));
  EXPECT_FALSE(WordSeps.Contains(u'\u012c'));  // 0x12C: its low byte is ","
}

TEST(Find, FirstNonBlankFirstDigitAllChar) {
  EXPECT_EQ(FindFirstNonBlank(u"   "), 0);
  EXPECT_EQ(FindFirstNonBlank(u""), 0);
  EXPECT_EQ(FindFirstNonBlank(u"  ab"), 3);
  EXPECT_EQ(FindFirstNonBlank(u"\t"), 1);
  EXPECT_EQ(FindFirstDigit(u"ab3"), 3);
  EXPECT_EQ(FindFirstDigit(u"abc"), 0);
  EXPECT_EQ(FindFirstDigit(u"\u0663"), 0);  // Arabic-Indic three is not "0".."9"
  EXPECT_FALSE(TestAllChar(u"", u'x'));
  EXPECT_TRUE(TestAllChar(u"xxx", u'x'));
  EXPECT_FALSE(TestAllChar(u"xxy", u'x'));
  EXPECT_FALSE(TestAllChar(u"yxx", u'x'));
}

TEST(EqualAnsiStrings, LocaleFoldingUpToCodeZero) {
  EXPECT_TRUE(EqualAnsiStrings(u"\u00c9t\u00e9", u"\u00e9T\u00c9"));
  EXPECT_TRUE(EqualAnsiStrings(u"abc", u"ABC"));
  EXPECT_TRUE(EqualAnsiStrings(StringView(u"ab\0x", 4), StringView(u"AB\0y", 4)));
  EXPECT_TRUE(EqualAnsiStrings(StringView(u"ab\0x", 4), u"ab"));
  EXPECT_FALSE(EqualAnsiStrings(u"a", u"ab"));
  EXPECT_TRUE(EqualAnsiStrings(u"", u""));
}

TEST(StringContains, ClassNamesExpand) {
  EXPECT_FALSE(StringContains(u"abc", u"//dig"));
  EXPECT_TRUE(StringContains(u"a1", u"//dig"));
  EXPECT_FALSE(StringContainsOtherThan(u"abc", u"//lc"));
  EXPECT_TRUE(StringContainsOtherThan(u"abC", u"//lc"));
  EXPECT_FALSE(StringContainsOtherThan(u"aB9", u"//lc//uc//dig"));
  EXPECT_TRUE(StringContains(u"\x1f", u"//31dwn"));
  EXPECT_FALSE(StringContains(u" ", u"//31dwn"));
  EXPECT_TRUE(StringContains(u"\u0080", u"//128up"));
  EXPECT_TRUE(StringContains(u"\u00ff", u"//128up"));
  EXPECT_FALSE(StringContains(u"\u007f", u"//128up"));
  EXPECT_TRUE(StringContains(u"/", u"/"));
  EXPECT_TRUE(StringContains(u"x", u"x//dig"));
}

TEST(StringContains, RepeatedNamesExpandInRounds) {
  // Round 1 expands the first "//dig" and the first "//lc", round 2 the second "//dig".
  EXPECT_FALSE(StringContainsOtherThan(u"5z", u"//dig//lc//dig"));
  EXPECT_TRUE(StringContains(u"/", u"///dig"));      // one slash is left over
  EXPECT_FALSE(StringContains(u"d", u"//dig"));      // the name's letters are not listed
  EXPECT_FALSE(StringContains(u"/", u"//dig//uc"));  // no slash is left
  EXPECT_TRUE(StringContains(u"/", u"//Dig"));       // names are exact: not a class
}

TEST(StringContains, EmptyTextAndCharactersAbove255) {
  EXPECT_FALSE(StringContains(u"", u"//lc"));
  EXPECT_FALSE(StringContainsOtherThan(u"", u"//lc"));
  EXPECT_FALSE(StringContains(u"abc", u""));
  EXPECT_TRUE(StringContainsOtherThan(u"abc", u""));
  // Characters above 255 are listed exactly, never by their low byte.
  EXPECT_TRUE(StringContains(u"x\u20ac", u"\u20ac"));
  EXPECT_FALSE(StringContains(u"\u0141", u"//128up"));
  EXPECT_FALSE(StringContains(u"\u0141", u"A"));  // 0x141: its low byte is "A"
  EXPECT_FALSE(StringContains(u"A", u"\u0141"));
  EXPECT_TRUE(StringContainsOtherThan(u"a\u0141", u"//lc"));
  EXPECT_FALSE(StringContainsOtherThan(u"\u0141\u20ac", u"\u20ac\u0141"));
  EXPECT_TRUE(StringContains(u"\uffff", u"\uffff"));
}

TEST(DetectCSVDelimiter, MostFrequentCandidateEarlierOnTies) {
  EXPECT_EQ(DetectCSVDelimiter(u"a;b;c,d"), csvSemicolon);
  EXPECT_EQ(DetectCSVDelimiter(u"abc"), csvUnknown);
  EXPECT_EQ(DetectCSVDelimiter(u""), csvUnknown);
  EXPECT_EQ(DetectCSVDelimiter(u"a b;c"), csvBlank);
  EXPECT_EQ(DetectCSVDelimiter(u"a:b,c:d,e"), csvComma);  // comma comes before colon
  EXPECT_EQ(DetectCSVDelimiter(u"a\tb\tc d"), csvTab);
  EXPECT_EQ(DetectCSVDelimiter(u"x:y"), csvColon);
}

TEST(DetectCSVDelimiter, CodeZeroIsTheFirstCandidate) {
  // Code 0 stands for csvUnknown among the six candidates: where it occurs at least as often as
  // every delimiter, the delimiter is unknown.
  EXPECT_EQ(DetectCSVDelimiter(String(u"a\0\0\0b;c", 7)), csvUnknown);
  EXPECT_EQ(DetectCSVDelimiter(String(u"a;b\0", 4)), csvUnknown);
  EXPECT_EQ(DetectCSVDelimiter(String(u"a;b;\0", 5)), csvSemicolon);
  EXPECT_EQ(DetectCSVDelimiter(String(u"\t\0\t", 3)), csvTab);
}

// ------------------------------------------------------------------------------------------------
// Replace, split and extract

TEST(ReplaceCharInString, EveryOccurrence) {
  EXPECT_EQ(ReplaceCharInString(u"a.b.c", u'.', u'/'), u"a/b/c");
  EXPECT_EQ(ReplaceCharInString(u"aAa", u'a', u'x'), u"xAx");
  EXPECT_EQ(ReplaceCharInString(u"", u'a', u'x'), u"");
}

TEST(ReplaceStringInString, NeverRescansInsertedText) {
  EXPECT_EQ(ReplaceStringInString(u"aaa", u"a", u"aa", false), u"aaaaaa");
  EXPECT_EQ(ReplaceStringInString(u"abab", u"ab", u"abab", false), u"abababab");
  EXPECT_EQ(ReplaceStringInString(u"aaaa", u"aa", u"b", false), u"bb");
  EXPECT_EQ(ReplaceStringInString(u"aaa", u"aa", u"b", false), u"ba");
  EXPECT_EQ(ReplaceStringInString(u"xax", u"x", u"", false), u"a");
  EXPECT_EQ(ReplaceStringInString(u"abc", u"", u"x", false), u"abc");
  EXPECT_EQ(ReplaceStringInString(u"abc", u"abc", u"", false), u"");
  EXPECT_EQ(ReplaceStringInString(u"", u"a", u"b", false), u"");
  EXPECT_EQ(ReplaceStringInString(u"abc", u"d", u"e", false), u"abc");
}

TEST(ReplaceStringInString, IgnoringCaseKeepsTheRestOfTheText) {
  EXPECT_EQ(ReplaceStringInString(u"Hello", u"L", u"x", true), u"Hexxo");
  EXPECT_EQ(ReplaceStringInString(u"Hello", u"L", u"x", false), u"Hello");
  EXPECT_EQ(ReplaceStringInString(u"ABC abc", u"b", u"-", true), u"A-C a-c");
  EXPECT_EQ(ReplaceStringInString(u"\u00c9\u00e9", u"\u00e9", u"e", true), u"\u00c9e");
}

TEST(ReplaceStringInString, AgreesWithAPlainLoopOnRandomTexts) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const String text = RandomText(rng, rng() % 40, u"abA");
    const String oldstr = RandomText(rng, 1 + rng() % 3, u"ab");
    const String newstr = RandomText(rng, rng() % 3, u"ab");
    String expect;
    size_t from = 0;
    for (size_t at = text.find(oldstr); at != String::npos; at = text.find(oldstr, from)) {
      expect += text.substr(from, at - from) + newstr;
      from = at + oldstr.size();
    }
    expect += text.substr(from);
    ASSERT_EQ(ReplaceStringInString(text, oldstr, newstr, false), expect)
        << ToUtf8(text) << " " << ToUtf8(oldstr) << " " << ToUtf8(newstr);
  }
}

TEST(Triggers, TextBeforeAndAfterTheFirstOccurrence) {
  EXPECT_EQ(ExtractBeforeTrigger(u"abc", u"x", false), u"");
  EXPECT_EQ(ExtractAfterTrigger(u"abc", u"x", false), u"");
  EXPECT_EQ(ExtractAfterTrigger(u"key = value", u"=", true), u"value");
  EXPECT_EQ(ExtractAfterTrigger(u"key = value", u"=", false), u" value");
  EXPECT_EQ(ExtractBeforeTrigger(u"key = value", u"=", true), u"key");
  EXPECT_EQ(ExtractBeforeTrigger(u"key = value", u"=", false), u"key ");
  EXPECT_EQ(ExtractAfterTrigger(u"a=b=c", u"=", false), u"b=c");
  EXPECT_EQ(ExtractBeforeTrigger(u"a=b=c", u"=", false), u"a");
  EXPECT_EQ(ExtractAfterTrigger(u"abc", u"c", false), u"");
  EXPECT_EQ(ExtractBeforeTrigger(u"abc", u"a", false), u"");
  EXPECT_EQ(ExtractAfterTrigger(u"abc", u"", false), u"");
  EXPECT_EQ(ExtractBeforeTrigger(u"abc", u"", false), u"");
}

TEST(SplitString, BothPartsOrBothEmpty) {
  String before = u"old", after = u"old";
  SplitString(u"k:v", u":", false, before, after);
  EXPECT_EQ(before, u"k");
  EXPECT_EQ(after, u"v");
  SplitString(u"kv", u":", false, before, after);
  EXPECT_EQ(before, u"");
  EXPECT_EQ(after, u"");
  SplitString(u" k = v = w ", u"=", true, before, after);
  EXPECT_EQ(before, u"k");
  EXPECT_EQ(after, u"v = w");
  SplitString(u"k::v", u"::", false, before, after);
  EXPECT_EQ(before, u"k");
  EXPECT_EQ(after, u"v");
  // The text may be one of the outputs.
  before = u"a:b";
  SplitString(before, u":", false, before, after);
  EXPECT_EQ(before, u"a");
  EXPECT_EQ(after, u"b");
}

TEST(ExtractSubString, FieldsCountFromZero) {
  const StringView fields[] = {u"a", u"b", u"", u"c", u""};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(ExtractSubString(u"a,b,,c", i, u","), fields[i]) << i;
  EXPECT_EQ(ExtractSubString(u"x,y,", 2, u","), u"");
  EXPECT_EQ(ExtractSubString(u"x,y,", 1, u","), u"y");
  EXPECT_EQ(ExtractSubString(u",a", 0, u","), u"");
  EXPECT_EQ(ExtractSubString(u",a", 1, u","), u"a");
  EXPECT_EQ(ExtractSubString(u"abc", 0, u","), u"abc");
  EXPECT_EQ(ExtractSubString(u"abc", 1, u","), u"");
  EXPECT_EQ(ExtractSubString(u"abc", -1, u","), u"");
  EXPECT_EQ(ExtractSubString(u"", 0, u","), u"");
  EXPECT_EQ(ExtractSubString(u"a::b::c", 1, u"::"), u"b");
  EXPECT_EQ(ExtractSubString(u"a::b::c", 2, u"::"), u"c");
  EXPECT_EQ(ExtractSubString(u"a::::c", 1, u"::"), u"");
  EXPECT_EQ(ExtractSubString(u"abc", 0, u""), u"abc");
  EXPECT_EQ(ExtractSubString(u"abc", 1, u""), u"");
}

TEST(ExtractSubString, EmptyFieldTestUsesLocaleFolding) {
  // The field after "x" begins with "X": equal to the delimiter without regard to case.
  EXPECT_EQ(ExtractSubString(u"axXb", 1, u"x"), u"");
  EXPECT_EQ(ExtractSubString(u"axb", 1, u"x"), u"b");
  EXPECT_EQ(ExtractSubString(u"a\u00e9\u00c9b", 1, u"\u00e9"), u"");
  // The end of a field is found by the exact search only.
  EXPECT_EQ(ExtractSubString(u"axbXc", 1, u"x"), u"bXc");
}

TEST(ExtractWordFromString, WordAroundAPosition) {
  int32_t ws = -1, we = -1;
  EXPECT_EQ(ExtractWordFromString(u"one two", 5, ws, we), u"two");
  EXPECT_EQ(ws, 5);
  EXPECT_EQ(we, 7);
  EXPECT_EQ(ExtractWordFromString(u"one two", 4, ws, we), u" ");
  EXPECT_EQ(ws, 4);
  EXPECT_EQ(we, 4);
  EXPECT_EQ(ExtractWordFromString(u"one two", 0, ws, we), u"");
  EXPECT_EQ(ws, 0);
  EXPECT_EQ(we, 0);
  EXPECT_EQ(ExtractWordFromString(u"one two", 8, ws, we), u"");
  EXPECT_EQ(ws, 0);
  EXPECT_EQ(ExtractWordFromString(u"one two", 1, ws, we), u"one");
  EXPECT_EQ(ws, 1);
  EXPECT_EQ(we, 3);
  EXPECT_EQ(ExtractWordFromString(u"one two", 7), u"two");
  EXPECT_EQ(ExtractWordFromString(u"(a)", 2), u"a");
  EXPECT_EQ(ExtractWordFromString(u"x.y", 2), u".");
  EXPECT_EQ(ExtractWordFromString(u"", 1), u"");
}

TEST(Tokenize, SplitsAtEveryDelimiter) {
  TOpenStringArray t{u"stale"};
  EXPECT_EQ(Tokenize(u"", u";", t), 1);
  EXPECT_EQ(t, TOpenStringArray{u""});
  EXPECT_EQ(Tokenize(u"a;b;", u";", t), 3);
  EXPECT_EQ(t, (TOpenStringArray{u"a", u"b", u""}));
  EXPECT_EQ(Tokenize(u"a;;b", u";", t), 3);
  EXPECT_EQ(t, (TOpenStringArray{u"a", u"", u"b"}));
  EXPECT_EQ(Tokenize(u";a", u";", t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"", u"a"}));
  EXPECT_EQ(Tokenize(u"a<>b<>c", u"<>", t), 3);
  EXPECT_EQ(t, (TOpenStringArray{u"a", u"b", u"c"}));
  EXPECT_EQ(Tokenize(u"a;b", u"", t), 1);
  EXPECT_EQ(t, TOpenStringArray{u"a;b"});
  EXPECT_EQ(Tokenize(u"aaa", u"aa", t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"", u"a"}));
}

TEST(Tokenize, StopsAtAThousandTokens) {
  String text;
  for (int i = 0; i < 1005; ++i) text += u"t" + FromUtf8(std::to_string(i)) + u";";
  TOpenStringArray t;
  EXPECT_EQ(Tokenize(text, u";", t), 1000);
  ASSERT_EQ(t.size(), 1000U);
  EXPECT_EQ(t[0], u"t0");
  EXPECT_EQ(t[998], u"t998");
  EXPECT_EQ(t[999], u"t999;t1000;t1001;t1002;t1003;t1004;");
  // Exactly 1000 tokens fit: no delimiter is left in the last one.
  String exact;
  for (int i = 0; i < 999; ++i) exact += u"x;";
  EXPECT_EQ(Tokenize(exact + u"end", u";", t), 1000);
  EXPECT_EQ(t.back(), u"end");
}

TEST(Tokenize, EscapedDelimitersDoNotSplit) {
  TOpenStringArray t;
  EXPECT_EQ(Tokenize(u"a\\;b;c", u";", u'\\', t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"a;b", u"c"}));
  // Only the one character before the delimiter is examined.
  EXPECT_EQ(Tokenize(u"a\\\\;b", u";", u'\\', t), 1);
  EXPECT_EQ(t, TOpenStringArray{u"a;b"});
  EXPECT_EQ(Tokenize(u"a\\\\b;c", u";", u'\\', t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"a\\b", u"c"}));
  EXPECT_EQ(Tokenize(u"a\\;", u";", u'\\', t), 1);
  EXPECT_EQ(t, TOpenStringArray{u"a;"});
  EXPECT_EQ(Tokenize(u"\\;;x", u";", u'\\', t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u";", u"x"}));
  // A delimiter at the start of the rest is never escaped: the "\" before it was a delimiter's.
  EXPECT_EQ(Tokenize(u"a\\;;b", u";", u'\\', t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"a;", u"b"}));
  EXPECT_EQ(Tokenize(u"a;b", u";", u'\\', t), 2);
  EXPECT_EQ(Tokenize(u"a|;|b", u"|;|", u'\\', t), 2);
  EXPECT_EQ(Tokenize(u"a\\|;|b", u"|;|", u'\\', t), 1);
  EXPECT_EQ(t, TOpenStringArray{u"a|;|b"});
}

TEST(Tokenize, EscapeReplacementsFoldSimpleCase) {
  // With a letter as escape character the replacements ignore case, as ReplaceStringInString.
  TOpenStringArray t;
  EXPECT_EQ(Tokenize(u"aQ;bXxc", u";", u'x', t), 2);
  EXPECT_EQ(t, (TOpenStringArray{u"aQ", u"bxc"}));
}

// ------------------------------------------------------------------------------------------------
// The documented steps, written out plainly on std::u16string, against the library on random
// texts over small alphabets (so that matches, escapes and line ends are frequent).

String Folded(String s) {
  for (Char& c : s) c = c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c;
  return s;
}

int32_t StepsNumberedPos(String sub, String text, int32_t startpos, int32_t num, bool ignorecase) {
  if (ignorecase) {
    sub = Folded(sub);
    text = Folded(text);
  }
  if (sub.empty() || num <= 0) return 0;
  startpos = std::max(startpos, 1);
  if (static_cast<size_t>(startpos) > text.size()) return 0;
  String rest = text.substr(startpos - 1);
  size_t offset = startpos - 1;
  int32_t found = 0;
  for (int32_t k = 0; k < num; ++k) {
    const size_t p = rest.find(sub);
    if (p == String::npos) return 0;
    found = static_cast<int32_t>(offset + p + 1);
    rest.erase(0, p + sub.size());
    offset += p + sub.size();
  }
  return found;
}

int32_t StepsNumberedPosBw(const String& sub, const String& text, int32_t startpos, int32_t num,
                           bool ignorecase) {
  const auto len = static_cast<int32_t>(text.size());
  if (len == 0) return 0;
  startpos = std::clamp(startpos, 1, len);
  const int32_t r =
      StepsNumberedPos(String(sub.rbegin(), sub.rend()), String(text.rbegin(), text.rend()),
                       len - startpos + 1, num, ignorecase);
  return r == 0 ? 0 : len - r - static_cast<int32_t>(sub.size()) + 2;
}

String StepsExtractSubString(const String& text, int32_t index, const String& delimiter) {
  if (index < 0 || text.empty()) return u"";
  if (delimiter.empty()) return index == 0 ? text : u"";  // the whole text is field 0
  if (index == 0 && String(1, text[0]) == delimiter) return u"";
  size_t p = 0;
  for (int32_t k = 0; k < index; ++k) {
    const size_t at = text.find(delimiter, p);
    if (at == String::npos) return u"";
    p = at + delimiter.size();
    if (p >= text.size()) return u"";
  }
  const size_t q = std::min(text.find(delimiter, p + 1), text.size());
  if (LocaleSameText(StringView(text).substr(p, delimiter.size()), delimiter)) return u"";
  return text.substr(p, q - p);
}

String StepsReplaceFolded(const String& text, const String& oldstr, const String& newstr) {
  const String ftext = Folded(text);
  const String fold = Folded(oldstr);
  String out;
  size_t from = 0;
  for (size_t at = ftext.find(fold); at != String::npos; at = ftext.find(fold, from)) {
    out += text.substr(from, at - from) + newstr;
    from = at + oldstr.size();
  }
  return out + text.substr(from);
}

TOpenStringArray StepsTokenize(const String& text, const String& delimiter, const Char* escape) {
  TOpenStringArray tokens;
  String rest = text;
  while (tokens.size() < 999 && !delimiter.empty()) {
    size_t p = rest.find(delimiter);
    while (escape && p != String::npos && p > 0 && rest[p - 1] == *escape)
      p = rest.find(delimiter, p + 1);
    if (p == String::npos) break;
    tokens.push_back(rest.substr(0, p));
    rest.erase(0, p + delimiter.size());
  }
  tokens.push_back(rest);
  if (escape) {
    for (String& t : tokens) {
      t = StepsReplaceFolded(t, String(2, *escape), String(1, *escape));
      t = StepsReplaceFolded(t, String(1, *escape) + delimiter, delimiter);
    }
  }
  return tokens;
}

String StepsProcessHexChars(String text) {
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] != u'\\' || k + 1 >= text.size()) continue;
    if (text[k + 1] == u'#') {
      int32_t pos = 1;
      const auto code = static_cast<Char>(ScanHexNumber(text.substr(k + 2, 2), pos));
      text.erase(k, 4);
      text.insert(k, 1, code);
    } else if (text[k + 1] == u'\\') {
      text.erase(k, 1);
    }
  }
  return text;
}

TEST(DocumentedSteps, AgreeWithTheLibraryOnRandomTexts) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 3000; ++round) {
    const String text = RandomText(rng, rng() % 24, u"aAb;;\\\\#4fz \r\n");
    const String sub = RandomText(rng, rng() % 3, u"aAb;\\");
    const auto startpos = static_cast<int32_t>(rng() % 30) - 3;
    const auto num = static_cast<int32_t>(rng() % 5) - 1;
    const bool ignorecase = rng() % 2 == 0;
    const std::string what = ToUtf8(text) + " | " + ToUtf8(sub);
    ASSERT_EQ(NumberedPos(sub, text, startpos, num, ignorecase),
              StepsNumberedPos(sub, text, startpos, num, ignorecase))
        << what << " " << startpos << " " << num;
    ASSERT_EQ(NumberedPosBw(sub, text, startpos, num, ignorecase),
              StepsNumberedPosBw(sub, text, startpos, num, ignorecase))
        << what << " " << startpos << " " << num;
    ASSERT_EQ(ExtractSubString(text, num, sub), StepsExtractSubString(text, num, sub)) << what;
    TOpenStringArray tokens;
    const int32_t count = Tokenize(text, sub, tokens);
    ASSERT_EQ(count, static_cast<int32_t>(tokens.size()));
    ASSERT_EQ(tokens, StepsTokenize(text, sub, nullptr)) << what;
    const Char escape = round % 3 == 0 ? u'a' : u'\\';
    Tokenize(text, sub, escape, tokens);
    ASSERT_EQ(tokens, StepsTokenize(text, sub, &escape)) << what;
    ASSERT_EQ(ProcessHexChars(text), StepsProcessHexChars(text)) << what;
  }
}

// ------------------------------------------------------------------------------------------------
// Reading lines

struct LineRead {
  String line;
  int32_t pos;
  bool eot;
};

std::vector<LineRead> ReadAll(StringView text, int32_t mode) {
  std::vector<LineRead> out;
  int32_t pos = 1;
  bool eot = false;
  while (!eot && out.size() < 20) {
    String line = ReadLnString(text, pos, eot, mode);
    out.push_back({line, pos, eot});
  }
  return out;
}

void ExpectLines(StringView text, int32_t mode, const std::vector<LineRead>& expect) {
  const std::vector<LineRead> got = ReadAll(text, mode);
  ASSERT_EQ(got.size(), expect.size()) << "mode " << mode;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].line, expect[i].line) << "mode " << mode << " line " << i;
    EXPECT_EQ(got[i].pos, expect[i].pos) << "mode " << mode << " line " << i;
    EXPECT_EQ(got[i].eot, expect[i].eot) << "mode " << mode << " line " << i;
  }
}

TEST(ReadLnString, EachModeEndsLinesItsOwnWay) {
  const StringView crlf = u"ab\r\ncd";
  ExpectLines(crlf, 0, {{u"ab", 5, false}, {u"cd", 7, true}});
  ExpectLines(crlf, 1, {{u"ab", 4, false}, {u"cd", 7, true}});
  ExpectLines(crlf, 2, {{u"ab", 4, false}, {u"", 5, false}, {u"cd", 7, true}});
  ExpectLines(crlf, 3, {{u"abcd", 7, true}});
  ExpectLines(crlf, 4, {{u"ab", 5, false}, {u"cd", 7, true}});
  ExpectLines(crlf, 5, {{u"abcd", 7, true}});
  ExpectLines(crlf, -1, {{u"abcd", 7, true}});
  const StringView lfcr = u"ab\n\rcd";
  ExpectLines(lfcr, 3, {{u"ab", 5, false}, {u"cd", 7, true}});
  ExpectLines(lfcr, 4, {{u"abcd", 7, true}});
  ExpectLines(u"a\rb\nc", 0, {{u"ab", 5, false}, {u"c", 6, true}});
  ExpectLines(u"a\rb\nc", 1, {{u"a", 3, false}, {u"bc", 6, true}});
  ExpectLines(
      u"a\tb\x01"
      u"c",
      2, {{u"abc", 6, true}});  // other controls are dropped
}

TEST(ReadLnString, EndOfTextOnlyAfterReadingPastTheEnd) {
  ExpectLines(u"ab\n", 0, {{u"ab", 4, false}, {u"", 4, true}});
  ExpectLines(u"", 0, {{u"", 1, true}});
  // A pair cut by the end of the text: the lone CR ends nothing in mode 4.
  ExpectLines(u"ab\r", 4, {{u"ab", 4, true}});
  ExpectLines(u"ab\r\n", 4, {{u"ab", 5, false}, {u"", 5, true}});
  ExpectLines(u"ab\n", 3, {{u"ab", 4, true}});
  ExpectLines(u"ab\n\r", 3, {{u"ab", 5, false}, {u"", 5, true}});
  ExpectLines(u"ab\r\n", 2, {{u"ab", 4, false}, {u"", 5, false}, {u"", 5, true}});
}

TEST(ReadLnString, APairSplitBetweenTwoCallsEndsNothing) {
  // The character before a pair's second one must have been read in the same call: starting on
  // the LF of a CR LF pair, that LF is only dropped.
  int32_t pos = 4;
  bool eot = false;
  EXPECT_EQ(ReadLnString(u"ab\r\ncd", pos, eot, 4), u"cd");
  EXPECT_EQ(pos, 7);
  EXPECT_TRUE(eot);
  pos = 4;
  EXPECT_EQ(ReadLnString(u"ab\n\rcd\n\rx", pos, eot, 3), u"cd");
  EXPECT_EQ(pos, 9);
  EXPECT_FALSE(eot);
  pos = -3;
  EXPECT_EQ(ReadLnString(u"ab\ncd", pos, eot, 0), u"ab");
  EXPECT_EQ(pos, 4);
  pos = 99;
  EXPECT_EQ(ReadLnString(u"ab", pos, eot, 0), u"");
  EXPECT_TRUE(eot);
  EXPECT_EQ(pos, 99);
}

TEST(ProcessHexChars, ResolvesEscapes) {
  EXPECT_EQ(ProcessHexChars(u"\\#41"), u"A");
  EXPECT_EQ(ProcessHexChars(u"x\\#41y"), u"xAy");
  EXPECT_EQ(ProcessHexChars(u"a\\\\b"), u"a\\b");
  EXPECT_EQ(ProcessHexChars(u"a\\"), u"a\\");
  EXPECT_EQ(ProcessHexChars(u"\\#zz"), String(1, u'\0'));
  EXPECT_EQ(ProcessHexChars(u"\\#zzq"), String(u"\0q", 2));
  EXPECT_EQ(ProcessHexChars(u"\\#4x"), u"\x04");  // the non-digit goes with the escape
  EXPECT_EQ(ProcessHexChars(u"\\#4"), u"\x04");
  EXPECT_EQ(ProcessHexChars(u"\\#"), String(1, u'\0'));
  EXPECT_EQ(ProcessHexChars(u"\\#fF"), u"\u00ff");
  EXPECT_EQ(ProcessHexChars(u"\\#412"), u"A2");
  EXPECT_EQ(ProcessHexChars(u"\\\\#41"), u"\\#41");
  EXPECT_EQ(ProcessHexChars(u"\\x"), u"\\x");
  EXPECT_EQ(ProcessHexChars(u"\\#5C#41"), u"\\#41");  // made characters are not rescanned
  EXPECT_EQ(ProcessHexChars(u"\\\\\\"), u"\\\\");
  EXPECT_EQ(ProcessHexChars(u""), u"");
}

}  // namespace
}  // namespace xan
