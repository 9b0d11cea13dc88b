// Character tests, trimming, padding, removal, safe character sets, German letters and case.
#include "xan/stringl/char_funcs.h"

#include <gtest/gtest.h>

#include "test_host.h"

namespace xan {
namespace {

TEST(CharTests, ClassesHoldExactlyTheirCharacters) {
  int digits = 0, letters = 0, digitLetters = 0, hex = 0, umlauts = 0;
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    const Char ch = static_cast<Char>(c);
    digits += IsDigit(ch);
    letters += IsLetter(ch);
    digitLetters += IsDigitLetter(ch);
    hex += IsHexChar(ch);
    umlauts += IsUmlaut(ch);
    EXPECT_EQ(IsDigitLetter(ch), IsDigit(ch) || IsLetter(ch));
  }
  EXPECT_EQ(digits, 10);
  EXPECT_EQ(letters, 52);
  EXPECT_EQ(digitLetters, 62);
  EXPECT_EQ(hex, 22);
  EXPECT_EQ(umlauts, 7);
  for (Char c : StringView(u"09azAZ")) EXPECT_TRUE(IsDigitLetter(c));
  for (Char c : StringView(u"/:@[`{")) EXPECT_FALSE(IsDigitLetter(c));  // neighbours of ranges
  for (Char c : StringView(u"09afAF")) EXPECT_TRUE(IsHexChar(c));
  for (Char c : StringView(u"gG/:@`")) EXPECT_FALSE(IsHexChar(c));
  for (Char c : StringView(u"\u00e4\u00f6\u00fc\u00c4\u00d6\u00dc\u00df")) EXPECT_TRUE(IsUmlaut(c));
  EXPECT_FALSE(IsLetter(u'\u00e9'));
  EXPECT_FALSE(IsUmlaut(u'\u00eb'));
}

TEST(IsAbbreviation, LongestCapitalRunAgainstSmallLettersAndDigits) {
  EXPECT_TRUE(IsAbbreviation(u"CPU"));
  EXPECT_TRUE(IsAbbreviation(u"GHz"));
  EXPECT_TRUE(IsAbbreviation(u"USB2"));
  EXPECT_TRUE(IsAbbreviation(u"x-ABC-y"));  // run 3 against 2
  EXPECT_TRUE(IsAbbreviation(u"AB.CD"));    // punctuation counts for neither side
  EXPECT_FALSE(IsAbbreviation(u"Hello"));
  EXPECT_FALSE(IsAbbreviation(u"A"));
  EXPECT_FALSE(IsAbbreviation(u"ABcd"));   // run 2, not longer than 2
  EXPECT_FALSE(IsAbbreviation(u"A.B.C"));  // runs of one only
  EXPECT_FALSE(IsAbbreviation(u"AB12"));
  EXPECT_FALSE(IsAbbreviation(u""));
  EXPECT_FALSE(IsAbbreviation(u"\u00c4\u00d6\u00dc"));  // only A..Z count as capitals
}

TEST(Strip, BlanksOnlyAndTheKeptCharacter) {
  EXPECT_EQ(StripLTBlanks(u"  a b  "), u"a b");
  EXPECT_EQ(StripLTBlanks(u"   "), u"");
  EXPECT_EQ(StripLTBlanks(u""), u"");
  EXPECT_EQ(StripLTBlanks(u"\ta\t"), u"\ta\t");  // a tab is not a blank
  EXPECT_EQ(StripLeadingBlanks(u"  a "), u"a ");
  EXPECT_EQ(StripLeadingBlanks(u"   "), u" ");
  EXPECT_EQ(StripLeadingBlanks(u" "), u" ");
  EXPECT_EQ(StripLeadingBlanks(u""), u"");
  EXPECT_EQ(StripTrailingBlanks(u" a  "), u" a");
  EXPECT_EQ(StripTrailingBlanks(u"   "), u" ");
  EXPECT_EQ(StripTrailingBlanks(u""), u"");
  EXPECT_EQ(StripLeadingChars(u'0', u"000"), u"");
  EXPECT_EQ(StripLeadingChars(u'0', u"0012"), u"12");
  EXPECT_EQ(StripLeadingChars(u'0', u""), u"");
  EXPECT_EQ(StripTrailingChars(u'0', u"1.500"), u"1.5");
  EXPECT_EQ(StripTrailingChars(u'x', u"xxx"), u"x");
  EXPECT_EQ(StripTrailingChars(u'x', u"axx"), u"a");
  EXPECT_EQ(StripTrailingChars(u'x', u""), u"");
}

TEST(Ensure, AddsOnlyWhatIsMissing) {
  EXPECT_EQ(EnsureTrailingBkSlash(u""), u"");
  EXPECT_EQ(EnsureTrailingBkSlash(u"c:\\dir"), u"c:\\dir\\");
  EXPECT_EQ(EnsureTrailingBkSlash(u"c:\\dir\\"), u"c:\\dir\\");
  EXPECT_EQ(EnsureTrailingChar(u'/', u"a/b"), u"a/b/");
  EXPECT_EQ(EnsureTrailingChar(u'/', u"/"), u"/");
  EXPECT_EQ(EnsureTrailingChar(u'/', u""), u"");
  EXPECT_EQ(EnsureLeadingChar(u'.', u"txt"), u".txt");
  EXPECT_EQ(EnsureLeadingChar(u'.', u".txt"), u".txt");
  EXPECT_EQ(EnsureLeadingChar(u'.', u""), u"");
}

TEST(Remove, ControlCharactersSingleAndRepeated) {
  String all;
  for (int c = 0; c < 40; ++c) all += static_cast<Char>(c);
  EXPECT_EQ(RemoveControlChars(all), u" !\"#$%&'");
  EXPECT_EQ(RemoveControlChars(u"\u0080\u00a0"), u"\u0080\u00a0");
  EXPECT_EQ(RemoveCharInString(u"a-b--c-", u'-'), u"abc");
  EXPECT_EQ(RemoveCharInString(u"---", u'-'), u"");
  EXPECT_EQ(RemoveMultiChars(u"a,,,b,c", u','), u"a,b,c");
  EXPECT_EQ(RemoveMultiChars(u",,a,,", u','), u",a,");
  EXPECT_EQ(RemoveMultiChars(u"aa,,", u'a'), u"a,,");
  EXPECT_EQ(RemoveMultiChars(u"", u','), u"");
  EXPECT_EQ(ReverseString(u"abc"), u"cba");
  EXPECT_EQ(ReverseString(u""), u"");
}

TEST(Widths, MultiCharClampsItsCount) {
  EXPECT_EQ(MultiChar(u'x', 3), u"xxx");
  EXPECT_EQ(MultiChar(u'x', 0), u"x");
  EXPECT_EQ(MultiChar(u'x', -5), u"x");
  EXPECT_EQ(MultiChar(u'x', 255), String(255, u'x'));
  EXPECT_EQ(MultiChar(u'x', 300), String(255, u'x'));
}

TEST(Widths, CenterRightLeftPadOrCut) {
  EXPECT_EQ(CenterString(u"ab", 7), u"  ab   ");
  EXPECT_EQ(CenterString(u"ab", 6), u"  ab  ");
  EXPECT_EQ(CenterString(u"ab", 3), u"ab ");  // the odd blank goes right
  EXPECT_EQ(CenterString(u"abcdef", 3), u"abc");
  EXPECT_EQ(CenterString(u"ab", 2), u"ab");
  EXPECT_EQ(CenterString(u"ab", 0), u"");
  EXPECT_EQ(CenterString(u"", 4), u"    ");
  EXPECT_EQ(RightString(u"ab", 4), u"  ab");
  EXPECT_EQ(RightString(u"abcdef", 2), u"ab");
  EXPECT_EQ(RightString(u"ab", 0), u"");
  EXPECT_EQ(LeftString(u"ab", 4), u"ab  ");
  EXPECT_EQ(LeftString(u"abcdef", 2), u"ab");
  EXPECT_EQ(LeftString(u"x", 255).size(), 255U);
  EXPECT_EQ(RightString(String(300, u'y'), 255), String(255, u'y'));
}

TEST(Widths, AbbrevStringCutsWithTwoDots) {
  EXPECT_EQ(AbbrevString(u"abcdefgh", 5), u"abc..");
  EXPECT_EQ(AbbrevString(u"abc", 5), u"abc");
  EXPECT_EQ(AbbrevString(u"abcde", 5), u"abcde");
  EXPECT_EQ(AbbrevString(u"abcdef", 3), u"a..");
  EXPECT_EQ(AbbrevString(u"abcdef", 2), u"..");
  EXPECT_EQ(AbbrevString(u"abcdef", 0), u"..");
  EXPECT_EQ(AbbrevString(u"abcdef", -4), u"..");
  EXPECT_EQ(AbbrevString(u"", 0), u"");
}

TEST(ExpandDiphthongs, WritesOutGermanLetters) {
  EXPECT_EQ(ExpandDiphthongs(u"\u00c4pfel"), u"Aepfel");
  EXPECT_EQ(ExpandDiphthongs(u"\u00c4RGER"), u"AERGER");
  EXPECT_EQ(ExpandDiphthongs(u"Stra\u00dfe"), u"Strasse");
  EXPECT_EQ(ExpandDiphthongs(u"\u00e4\u00f6\u00fc\u00df\u00b5"), u"aeoeuessu");
  EXPECT_EQ(ExpandDiphthongs(u"\u00d6l \u00dc"), u"Oel UE");  // at the end: capital E
  EXPECT_EQ(ExpandDiphthongs(u"\u00dc\u00e4"), u"UEae");      // next is no a..z
  EXPECT_EQ(ExpandDiphthongs(u"\u00d6\u00d6x"), u"OEOex");    // the expansion is not rescanned
  EXPECT_EQ(ExpandDiphthongs(u"caf\u00e9"), u"caf\u00e9");
}

TEST(Reduce, AZ09KeepsLengthAndOnlyItsSet) {
  EXPECT_EQ(ReduceStringToAZ09(u"a b-1.txt"), u"a_b_1_txt");
  EXPECT_EQ(ReduceStringToAZ09(u"\u00e9\u4e00Z9"), u"__Z9");
  EXPECT_EQ(ReduceStringToAZ09(u""), u"");
}

TEST(Reduce, FN83KeepsExactlyTheAllowedCharacters) {
  const StringView kept =
      u"!#$%&'()-.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ^_`abcdefghijklmnopqrstuvwxyz{}~";
  for (char32_t c = 0; c < 0x400; ++c) {
    const Char ch = static_cast<Char>(c);
    const String out = ReduceStringToFN83CompliantChars(String(1, ch));
    const bool allowed = kept.find(ch) != StringView::npos;
    EXPECT_EQ(out, allowed ? String(1, ch) : u"_") << static_cast<int>(c);
  }
  EXPECT_EQ(ReduceStringToFN83CompliantChars(u"a b*c.txt"), u"a_b_c.txt");
}

TEST(CapitalizeString, FirstLetterOfEachWord) {
  EXPECT_EQ(CapitalizeString(u"hello world-wide 3d"), u"Hello World-Wide 3d");
  EXPECT_EQ(CapitalizeString(u"\u00e9lan vital"), u"\u00e9lan Vital");
  EXPECT_EQ(CapitalizeString(u"a1b c"), u"A1b C");
  EXPECT_EQ(CapitalizeString(u"x\u00e9y"), u"X\u00e9y");  // a character above 127 is a letter
  EXPECT_EQ(CapitalizeString(u"ALREADY up"), u"ALREADY Up");
  EXPECT_EQ(CapitalizeString(u"o'neil\tand\u007fso"), u"O'Neil\tAnd\u007fSo");
  EXPECT_EQ(CapitalizeString(u""), u"");
}

TEST(ChangeCase, SwapsWithLocaleCase) {
  {
    test::ScopedDefaultLocale en("en_US");
    EXPECT_EQ(ChangeCase(u"aBc1"), u"AbC1");
    EXPECT_EQ(ChangeCase(u"\u00c9t\u00e9"), u"\u00e9T\u00c9");
    EXPECT_EQ(ChangeCase(u"\u03a9\u03c9"), u"\u03c9\u03a9");
    EXPECT_EQ(ChangeCase(u"\u00df"), u"\u00df");  // no one-character upper case
    EXPECT_EQ(ChangeCase(u""), u"");
  }
  test::ScopedDefaultLocale tr("tr_TR");
  EXPECT_EQ(ChangeCase(u"iI"), u"\u0130\u0131");
}

}  // namespace
}  // namespace xan
