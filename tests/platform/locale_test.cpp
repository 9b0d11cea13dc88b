// Locale case rules: single characters, whole texts and case-insensitive comparison, in the
// neutral rules and under a Turkish default locale.
#include "xan/platform/locale.h"

#include <gtest/gtest.h>

#include "test_host.h"

namespace xan {
namespace {

using test::ScopedDefaultLocale;

class LocaleCase : public ::testing::Test {
 protected:
  ScopedDefaultLocale FLocale{"en_US"};
};

TEST_F(LocaleCase, SingleCharactersMapOneToOne) {
  EXPECT_EQ(LocaleUpperChar(u'a'), u'A');
  EXPECT_EQ(LocaleUpperChar(u'\u00e9'), u'\u00c9');
  EXPECT_EQ(LocaleUpperChar(u'\u03c9'), u'\u03a9');  // Greek omega
  EXPECT_EQ(LocaleUpperChar(u'1'), u'1');
  EXPECT_EQ(LocaleUpperChar(u'A'), u'A');
  EXPECT_EQ(LocaleLowerChar(u'\u00c9'), u'\u00e9');
  EXPECT_EQ(LocaleLowerChar(u'\u0416'), u'\u0436');  // Cyrillic zhe
  EXPECT_EQ(LocaleLowerChar(u'a'), u'a');
}

TEST_F(LocaleCase, CharactersWhoseFullMappingIsLongerKeepOneUnit) {
  EXPECT_EQ(LocaleUpperChar(u'\u00df'), u'\u00df');        // sharp s: full mapping is "SS"
  EXPECT_EQ(LocaleUpperChar(u'\ufb00'), u'\ufb00');        // ligature ff
  EXPECT_EQ(LocaleUpperChar(Char{0xD801}), Char{0xD801});  // a lone surrogate stays
  EXPECT_EQ(LocaleLowerChar(Char{0xDC00}), Char{0xDC00});
}

TEST_F(LocaleCase, AsciiChangesOnlyLetters) {
  for (Char c = 0; c < 128; ++c) {
    const bool small = c >= u'a' && c <= u'z';
    const bool capital = c >= u'A' && c <= u'Z';
    EXPECT_EQ(LocaleUpperChar(c), small ? c - 32 : c) << static_cast<int>(c);
    EXPECT_EQ(LocaleLowerChar(c), capital ? c + 32 : c) << static_cast<int>(c);
  }
}

TEST_F(LocaleCase, WholeTexts) {
  EXPECT_EQ(LocaleLowerCase(u"\u00c9T\u00c9 ABC1"), u"\u00e9t\u00e9 abc1");
  EXPECT_EQ(LocaleUpperCase(u"\u03c9\u00e9x"), u"\u03a9\u00c9X");
  EXPECT_EQ(LocaleUpperCase(u""), u"");
  EXPECT_EQ(LocaleLowerCase(StringView(u"A\0B", 3)), String(u"a\0b", 3));
}

// ICU's full mappings change the length; the system's mapping on Windows is one unit for one.
TEST_F(LocaleCase, WholeTextsUseFullMappings_Linux) {
  XAN_ONLY_ON_LINUX();
  EXPECT_EQ(LocaleLowerChar(u'\u0130'), u'i');  // full mapping "i" + combining dot
  EXPECT_EQ(LocaleUpperCase(u"Stra\u00dfe"), u"STRASSE");
  EXPECT_EQ(LocaleLowerCase(u"\u0130"), u"i\u0307");         // grows by one unit
  EXPECT_EQ(LocaleUpperCase(u"\U00010428"), u"\U00010400");  // Deseret: a surrogate pair
  // A long text that grows on every character needs the second pass of the mapping.
  const String sharp(1000, u'\u00df');
  EXPECT_EQ(LocaleUpperCase(sharp), String(2000, u'S'));
}

TEST_F(LocaleCase, ComparisonFoldsFully_Linux) {
  XAN_ONLY_ON_LINUX();
  EXPECT_EQ(LocaleCompareText(u"stra\u00dfe", u"STRASSE"), 0);
}

TEST_F(LocaleCase, ComparisonIgnoresCase) {
  EXPECT_EQ(LocaleCompareText(u"abc", u"ABC"), 0);
  EXPECT_LT(LocaleCompareText(u"a", u"B"), 0);
  EXPECT_GT(LocaleCompareText(u"b", u"A"), 0);
  EXPECT_LT(LocaleCompareText(u"ab", u"ABC"), 0);
  EXPECT_EQ(LocaleCompareText(u"", u""), 0);
  EXPECT_TRUE(LocaleSameText(u"\u00e9T\u00e9", u"\u00c9t\u00c9"));
  EXPECT_FALSE(LocaleSameText(u"a", u"a "));
  EXPECT_FALSE(LocaleSameText(u"e", u"\u00e9"));  // accents are not case
  EXPECT_TRUE(LocaleSameText(StringView(u"a\0b", 3), StringView(u"A\0B", 3)));
  EXPECT_FALSE(LocaleSameText(StringView(u"a\0b", 3), u"a"));
}

TEST(LocaleTurkish, DottedAndDotlessIFollowTheLocale) {
  {
    ScopedDefaultLocale tr("tr_TR");
    EXPECT_EQ(LocaleUpperChar(u'i'), u'\u0130');
    EXPECT_EQ(LocaleLowerChar(u'I'), u'\u0131');
    EXPECT_EQ(LocaleUpperCase(u"istanbul"), u"\u0130STANBUL");
    EXPECT_EQ(LocaleLowerCase(u"I"), u"\u0131");
    EXPECT_TRUE(LocaleSameText(u"I", u"\u0131"));
    EXPECT_TRUE(LocaleSameText(u"\u0130", u"i"));
    EXPECT_FALSE(LocaleSameText(u"I", u"i"));
  }
  ScopedDefaultLocale en("en_US");
  EXPECT_EQ(LocaleUpperChar(u'i'), u'I');
  EXPECT_EQ(LocaleLowerChar(u'I'), u'i');
  EXPECT_TRUE(LocaleSameText(u"I", u"i"));
}

TEST(LocaleNeutralFold, TheSameInEveryLocale) {
  for (const char* name : {"en_US", "tr_TR", "az_AZ", "lt_LT"}) {
    ScopedDefaultLocale locale(name);
    EXPECT_EQ(NeutralFoldChar(u'I'), u'i') << name;
    EXPECT_EQ(NeutralFoldChar(u'i'), u'i') << name;
    EXPECT_EQ(NeutralFoldChar(u'A'), u'a') << name;
    EXPECT_EQ(NeutralFoldChar(u'\u00c9'), u'\u00e9') << name;
    EXPECT_EQ(NeutralFoldChar(u'\u0416'), u'\u0436') << name;  // Cyrillic zhe
    EXPECT_EQ(NeutralFoldChar(u'\u0130'), u'\u0130') << name;  // its folding is two units
    EXPECT_EQ(NeutralFoldChar(u'\u00df'), u'\u00df') << name;
    EXPECT_EQ(NeutralFoldChar(u'\u03a3'), u'\u03c3') << name;  // sigma
    EXPECT_EQ(NeutralFoldChar(u'\u03c2'), u'\u03c3') << name;  // final sigma folds alike
    // Other variant forms fold as their letter, Cherokee to its capitals.
    EXPECT_EQ(NeutralFoldChar(u'\u00b5'), u'\u03bc') << name;  // micro sign
    EXPECT_EQ(NeutralFoldChar(u'\u017f'), u's') << name;       // long s
    EXPECT_EQ(NeutralFoldChar(u'\u03d1'), u'\u03b8') << name;  // theta symbol
    EXPECT_EQ(NeutralFoldChar(u'\u212a'), u'k') << name;       // Kelvin sign
    EXPECT_EQ(NeutralFoldChar(u'\uab70'), u'\u13a0') << name;
    EXPECT_EQ(NeutralFoldChar(u'\u13a0'), u'\u13a0') << name;
    EXPECT_EQ(NeutralFoldChar(Char(0xD800)), Char(0xD800)) << name;
    EXPECT_EQ(NeutralFoldChar(u'1'), u'1') << name;
  }
}

}  // namespace
}  // namespace xan
