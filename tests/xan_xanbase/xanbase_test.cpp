// The foundation's tables, records, exceptions and progress variables.
#include "xan/xanbase.h"

#include <gtest/gtest.h>

#include <set>

namespace xan {
namespace {

// Every keyword spells its value as the enumeration names it; checked against the names written
// out once more here, so a typo or a swapped entry in either place shows.
TEST(KeywordTables, SpellTheirValuesInOrder) {
  EXPECT_EQ(xmlVarKind[Bool], u"bool");
  EXPECT_EQ(xmlVarKind[strg], u"strg");
  EXPECT_EQ(xmlTxtLblMode[tlsimple], u"tlsimple");
  EXPECT_EQ(xmlAlignment[taCenter], u"taCenter");
  EXPECT_EQ(xmlFontStyle[fsStrikeOut], u"fsStrikeOut");
  EXPECT_EQ(xmlFrameStyle[fsEngraved], u"fsEngraved");
  EXPECT_EQ(xmlMouseActMode.size(), 19U);
  EXPECT_EQ(xmlMouseActMode[maZoomPanColors], u"maZoomPanColors");
  EXPECT_EQ(xmlMouseActMode[maDragCrossH], u"maDragCrossH");
  EXPECT_EQ(xmlLanguage[lgSpanish], u"lgSpanish");
  EXPECT_EQ(xmlDateForTime[dtAllTicks], u"dtAllTicks");
  EXPECT_EQ(xmlCrossHMode[chCrossBox], u"chCrossBox");
  EXPECT_EQ(xmlTxtLblAttachMode[tlamYOnly], u"tlamYOnly");
  EXPECT_EQ(xmlVerticalAlignment[vaBottom], u"vaBottom");
  EXPECT_EQ(xmlDirection[dirLeftward], u"dirLeftward");
  EXPECT_EQ(xmlScaleType[sctYR], u"sctYR");
  EXPECT_EQ(xmlZoomState[zsDrawWin], u"zsDrawWin");
}

template <size_t N>
void ExpectPrefixedAndDistinct(const std::array<StringView, N>& table, StringView prefix) {
  std::set<StringView> seen(table.begin(), table.end());
  EXPECT_EQ(seen.size(), N) << "duplicate entry";
  for (StringView k : table) EXPECT_EQ(k.substr(0, prefix.size()), prefix) << ToUtf8(k);
}

TEST(KeywordTables, EntriesAreDistinctAndCarryTheirPrefix) {
  ExpectPrefixedAndDistinct(xmlBkgFill, u"bf");
  ExpectPrefixedAndDistinct(xmlBoundingBox, u"bb");
  ExpectPrefixedAndDistinct(xmlColorScheme, u"cs");
  ExpectPrefixedAndDistinct(xmlFigType, u"ft");
  ExpectPrefixedAndDistinct(xmlYearLength, u"yl");
  ExpectPrefixedAndDistinct(xmlDateOrder, u"do");
  ExpectPrefixedAndDistinct(xmlShadowStyle, u"ss");
  ExpectPrefixedAndDistinct(xmlTimeFormat, u"tf");
  ExpectPrefixedAndDistinct(xmlMouseBoxState, u"ms");
  ExpectPrefixedAndDistinct(xmlMouseActMode, u"ma");
  ExpectPrefixedAndDistinct(xmlTxtLblMode, u"tl");
}

// A table declared one entry longer than its list would hold an empty last entry silently.
template <size_t N>
void ExpectOneEntryPerValue(const std::array<StringView, N>& table, size_t values) {
  EXPECT_EQ(N, values);
  for (StringView k : table) EXPECT_FALSE(k.empty());
}

TEST(KeywordTables, HoldOneEntryPerValue) {
  ExpectOneEntryPerValue(xmlVerticalAlignment, vaBottom + 1);
  ExpectOneEntryPerValue(xmlAlignment, taCenter + 1);
  ExpectOneEntryPerValue(xmlBkgFill, bfTile + 1);
  ExpectOneEntryPerValue(xmlBoundingBox, bbFaces + 1);
  ExpectOneEntryPerValue(xmlColorScheme, csSystem + 1);
  ExpectOneEntryPerValue(xmlFigType, ftUserText + 1);
  ExpectOneEntryPerValue(xmlScaleType, sctYR + 1);
  ExpectOneEntryPerValue(xmlYearLength, ylYYYY + 1);
  ExpectOneEntryPerValue(xmlDateOrder, doYYMMDD + 1);
  ExpectOneEntryPerValue(xmlDateForTime, dtAllTicks + 1);
  ExpectOneEntryPerValue(xmlShadowStyle, ssBox + 1);
  ExpectOneEntryPerValue(xmlFrameStyle, fsEngraved + 1);
  ExpectOneEntryPerValue(xmlTimeFormat, tfAMPM + 1);
  ExpectOneEntryPerValue(xmlDirection, dirRightward + 1);
  ExpectOneEntryPerValue(xmlLanguage, lgSpanish + 1);
  ExpectOneEntryPerValue(xmlVarKind, strg + 1);
  ExpectOneEntryPerValue(xmlMouseBoxState, msFinished + 1);
  ExpectOneEntryPerValue(xmlMouseActMode, maZoomPanColors + 1);
  ExpectOneEntryPerValue(xmlZoomState, zsDrawWin + 1);
  ExpectOneEntryPerValue(xmlCrossHMode, chBox + 1);
  ExpectOneEntryPerValue(xmlTxtLblMode, tlShadow + 1);
  ExpectOneEntryPerValue(xmlTxtLblAttachMode, tlamBoth + 1);
  ExpectOneEntryPerValue(xmlFontStyle, fsStrikeOut + 1);
  ExpectOneEntryPerValue(DistModeId, dmUserDef + 1);
  ExpectOneEntryPerValue(CSVDELIMITERIDS, csvTab + 1);
  ExpectOneEntryPerValue(ISO639_2Char, lgSpanish + 1);
  ExpectOneEntryPerValue(ISO639_3Char, lgSpanish + 1);
}

TEST(KeywordTables, ReadingMatchesExactly) {
  EXPECT_EQ(FindKeyword(xmlVarKind, u"bool"), Bool);
  EXPECT_EQ(FindKeyword(xmlVarKind, u"Bool"), -1);
  EXPECT_EQ(FindKeyword(xmlFrameStyle, u"fsraised"), -1);
  EXPECT_EQ(FindKeyword(xmlFrameStyle, u"fsRaised"), fsRaised);
  EXPECT_EQ(FindKeyword(xmlFrameStyle, u""), -1);
}

TEST(DisplayNames, CsvDelimitersResolveBothWays) {
  EXPECT_EQ(ResolveCSVDelimiter(u'\t'), csvTab);
  EXPECT_EQ(ResolveCSVDelimiter(u' '), csvBlank);
  EXPECT_EQ(ResolveCSVDelimiter(u';'), csvSemicolon);
  EXPECT_EQ(ResolveCSVDelimiter(u','), csvComma);
  EXPECT_EQ(ResolveCSVDelimiter(u':'), csvColon);
  EXPECT_EQ(ResolveCSVDelimiter(u'\0'), csvUnknown);
  EXPECT_EQ(ResolveCSVDelimiter(u'a'), csvUnknown);
  EXPECT_EQ(ResolveCSVDelimiter(u'\u013b'), csvUnknown);  // low byte is ';'
  EXPECT_EQ(CSVDELIMITERIDS[csvSemicolon], u"semicolon");
  EXPECT_EQ(CSVDELIMITERIDS[csvUnknown], u"undefined");
  EXPECT_EQ(DistModeId[dmEuclidSqr], u"squared Euclidean");
  EXPECT_EQ(DistModeId[dmUserDef], u"user defined");
}

TEST(LanguageTables, ParticularEntries) {
  EXPECT_EQ(MonthLong[lgFrench][1], u"f\u00e9vrier ");
  EXPECT_EQ(MonthLong[lgFrench][1].size(), 8U);
  EXPECT_EQ(MonthShort[lgFrench][5], u"juin");
  EXPECT_EQ(MonthLong[lgSpanish][4], u"mai");
  EXPECT_EQ(MonthShort[lgGerman][0], u"J\u00e4n");
  EXPECT_EQ(MonthLong[lgUnknown][11], u"M12");
  EXPECT_EQ(WeekDayShort[lgEnglish][0], u"Mon");
  EXPECT_EQ(WeekDayLong[lgSpanish][2], u"mi\u00e9rcoles");
  EXPECT_EQ(WeekDayLong[lgUnknown][6], u"D07");
  EXPECT_EQ(NumWords[lgFrench][1], u"celui");
  EXPECT_EQ(NumWords[lgGerman][12], u"zw\u00f6lf");
  EXPECT_EQ(NumWords[lgUnknown][12], u"N12");
  EXPECT_EQ(LanguageID[lgGerman][lgFrench], u"franz\u00f6sisch");
  EXPECT_EQ(LanguageID[lgSpanish][lgSpanish], u"espa\u00f1ol");
  EXPECT_EQ(ISO639_2Char[lgGerman], u"de");
  EXPECT_EQ(ISO639_3Char[lgFrench], u"fre");
}

TEST(LanguageTables, UnknownRowAndColumnAreQuestionMarks) {
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(LanguageID[lgUnknown][i], u"???");
    EXPECT_EQ(LanguageID[i][lgUnknown], u"???");
  }
}

TEST(LanguageTables, EntriesKeepTheirMaximumLengthsAndLatin1) {
  auto check = [](const auto& table, size_t max) {
    for (const auto& row : table) {
      for (StringView s : row) {
        EXPECT_FALSE(s.empty());
        EXPECT_LE(s.size(), max) << ToUtf8(s);
        for (Char c : s) EXPECT_LT(c, 256) << ToUtf8(s);
      }
    }
  };
  check(MonthShort, 4);
  check(MonthLong, 10);
  check(WeekDayShort, 3);
  check(WeekDayLong, 10);
  check(NumWords, 6);
  check(LanguageID, 15);
}

// The entity for each code, from the HTML 4 Latin-1 list, written as (code, name) pairs so that
// an entry in the wrong place shows.
TEST(HtmlEntities, NamedReferencesInCodeOrder) {
  EXPECT_EQ(HTMLLat1Entities[160], u"&nbsp;");
  EXPECT_EQ(HTMLLat1Entities[169], u"&copy;");
  EXPECT_EQ(HTMLLat1Entities[173], u"&shy;");
  EXPECT_EQ(HTMLLat1Entities[191], u"&iquest;");
  EXPECT_EQ(HTMLLat1Entities[192], u"&Agrave;");
  EXPECT_EQ(HTMLLat1Entities[208], u"&ETH;");
  EXPECT_EQ(HTMLLat1Entities[215], u"&times;");
  EXPECT_EQ(HTMLLat1Entities[222], u"&THORN;");
  EXPECT_EQ(HTMLLat1Entities[223], u"&szlig;");
  EXPECT_EQ(HTMLLat1Entities[247], u"&divide;");
  EXPECT_EQ(HTMLLat1Entities[255], u"&yuml;");
  EXPECT_EQ(HTMLLat1Entities[159], u"");
  EXPECT_EQ(HTMLLat1Entities[256], u"");
  // From 192 on, capitals and small letters pair up 32 codes apart, except at 215/247 and 223.
  for (size_t c = 192; c < 223; ++c) {
    if (c == 215) continue;
    String upper(HTMLLat1Entities[c]);
    String lower(HTMLLat1Entities[c + 32]);
    for (auto& ch : upper) ch = (ch >= u'A' && ch <= u'Z') ? static_cast<Char>(ch + 32) : ch;
    EXPECT_EQ(upper, lower) << c;
  }
  for (size_t c = 160; c <= 255; ++c) {
    const StringView e = HTMLLat1Entities[c];
    EXPECT_EQ(e.front(), u'&');
    EXPECT_EQ(e.back(), u';');
    EXPECT_LE(e.size(), 8U);
  }
}

TEST(Records, RectangleCornersShareTheFields) {
  TRectDouble r{1, 2, 3, 4};
  EXPECT_EQ(r.TopLeft(), (TPointDouble{1, 2}));
  EXPECT_EQ(r.BottomRight(), (TPointDouble{3, 4}));
  r.SetBottomRight({7, 8});
  EXPECT_EQ(r.Right, 7);
  EXPECT_EQ(r.Bottom, 8);
  r.SetTopLeft({-1, -2});
  EXPECT_EQ(r, (TRectDouble{-1, -2, 7, 8}));
}

TEST(Enumerations, AreEightBitAndOrdered) {
  static_assert(sizeof(TMouseActMode) == 1);
  static_assert(maZoomPanColors == 18);
  static_assert(csvTab == 5);
  static_assert(strg == 6);
  static_assert(dmUserDef == 5);
  EXPECT_EQ(static_cast<int>(tsUndefined), 2);
}

TEST(Exceptions, FormOneTree) {
  try {
    throw EXANDStructError(u"Component \"M\": bad");
  } catch (const EXANError& e) {
    EXPECT_EQ(e.Message(), u"Component \"M\": bad");
    EXPECT_NE(dynamic_cast<const EXANDStructError*>(&e), nullptr);
    EXPECT_EQ(dynamic_cast<const EXANCpuIdError*>(&e), nullptr);
  }
  EXPECT_THROW(throw EXANCpuIdError(u"x"), Exception);
}

TEST(ProgressVariables, StartCleared) {
  EXPECT_EQ(ProcStat, 0.0);
  EXPECT_EQ(LastProcStat, 0.0);
  EXPECT_FALSE(AbortMathProc);
  EXPECT_EQ(MathFeedBackProc, nullptr);
}

}  // namespace
}  // namespace xan
