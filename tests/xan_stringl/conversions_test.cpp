// Value conversions: boolean and three-state spellings, list look-up, variants as text (scalars
// and arrays cut at each level) and parameter lists in every form.
#include "xan/stringl/conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <vector>

#include "comma_locale.h"

namespace xan {
namespace {

TEST(BoolToStr, EveryModeAndTheFallback) {
  const std::array<std::array<StringView, 2>, 8> table = {{{u"TRUE", u"FALSE"},
                                                           {u"T", u"F"},
                                                           {u".T.", u".F."},
                                                           {u"1", u"0"},
                                                           {u"-1", u"0"},
                                                           {u"FF", u"00"},
                                                           {u"YES", u"NO"},
                                                           {u"GOOD", u"BAD"}}};
  for (int32_t mode = 0; mode < 8; ++mode) {
    EXPECT_EQ(BoolToStr(true, mode), table[mode][0]) << mode;
    EXPECT_EQ(BoolToStr(false, mode), table[mode][1]) << mode;
  }
  for (int32_t mode : {-1, 8, 9, std::numeric_limits<int32_t>::max()}) {
    EXPECT_EQ(BoolToStr(true, mode), u"TRUE") << mode;
    EXPECT_EQ(BoolToStr(false, mode), u"FALSE") << mode;
  }
}

TEST(TriState, ReadsTheSevenWordsOnly) {
  const struct {
    StringView text;
    TTriState value;
  } cases[] = {
      {u"true", tsTrue},     {u"1", tsTrue},         {u"+1", tsTrue},
      {u"yes", tsTrue},      {u"  YES ", tsTrue},    {u"TrUe", tsTrue},
      {u"false", tsFalse},   {u"-1", tsFalse},       {u"no", tsFalse},
      {u" No", tsFalse},     {u"FALSE  ", tsFalse},  {u"0", tsUndefined},
      {u"", tsUndefined},    {u"   ", tsUndefined},  {u"y", tsUndefined},
      {u"1.0", tsUndefined}, {u"+ 1", tsUndefined},  {u"\ttrue", tsUndefined},
      {u"tru", tsUndefined}, {u"yes!", tsUndefined}, {u"N\u00d8", tsUndefined},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToTriState(c.text), c.value) << ToUtf8(c.text);
}

TEST(TriState, SpellsEachValueInEachMode) {
  const std::array<std::array<StringView, 3>, 3> table = {{
      {u"false", u"true", u""},
      {u"-1", u"1", u"0"},
      {u"no", u"yes", u"unknown"},
  }};
  for (int32_t mode : {0, 1, 2, 3, -1, 99}) {
    const auto& row = table[mode == 1 || mode == 2 ? mode : 0];
    EXPECT_EQ(TriStateToStr(tsFalse, mode), row[0]) << mode;
    EXPECT_EQ(TriStateToStr(tsTrue, mode), row[1]) << mode;
    EXPECT_EQ(TriStateToStr(tsUndefined, mode), row[2]) << mode;
  }
  // Each mode's spelling reads back to the same value where the reader knows the word.
  for (TTriState v : {tsFalse, tsTrue}) {
    EXPECT_EQ(StrToTriState(TriStateToStr(v, 0)), v);
    EXPECT_EQ(StrToTriState(TriStateToStr(v, 1)), v);
    EXPECT_EQ(StrToTriState(TriStateToStr(v, 2)), v);
  }
}

TEST(StringIx, FindsTheFirstEqualEntry) {
  EXPECT_EQ(StringIx(u"b", {u"a", u"b", u"b"}), 2);
  EXPECT_EQ(StringIx(u"B", false, {u"a", u"b"}), 2);
  EXPECT_EQ(StringIx(u"B", true, {u"a", u"b"}), 0);
  EXPECT_EQ(StringIx(u"B", {u"a", u"b"}), 0);  // the short form is exact
  EXPECT_EQ(StringIx(u"x", {}), 0);
  EXPECT_EQ(StringIx(u"", {u"a", u""}), 2);
  EXPECT_EQ(StringIx(u"ab", {u"a", u"abc"}), 0);
  EXPECT_EQ(StringIx(u"\u00c9", false, {u"\u00e9"}), 0);  // only A..Z fold
  EXPECT_EQ(StringIx(u"#FEATDEF", false, {u"#featvals", u"#featdef"}), 2);

  const TStrArray list = {u"one", u"Two", u"three", u"two"};
  EXPECT_EQ(StringIx(u"two", list), 4);
  EXPECT_EQ(StringIx(u"two", false, list), 2);
  EXPECT_EQ(StringIx(u"four", false, list), 0);
  EXPECT_EQ(StringIx(u"one", TStrArray{}), 0);
  EXPECT_EQ(StringIx(u"three", std::span<const String>(list).subspan(1)), 2);
}

// ------------------------------------------------------------------------------------------------
// Variants

TEST(ConvertVariant, ScalarOfEveryTypeCode) {
  EXPECT_EQ(ConvertVariant(Variant::Null()), u"NULL");
  EXPECT_EQ(ConvertVariant(Variant(int16_t{-32768})), u"-32768");
  EXPECT_EQ(ConvertVariant(Variant(2147483647)), u"2147483647");
  EXPECT_EQ(ConvertVariant(Variant(int8_t{-5})), u"-5");
  EXPECT_EQ(ConvertVariant(Variant(uint8_t{255})), u"255");
  EXPECT_EQ(ConvertVariant(Variant(uint16_t{65535})), u"65535");
  EXPECT_EQ(ConvertVariant(Variant(uint32_t{4294967295U})), u"4294967295");
  EXPECT_EQ(ConvertVariant(Variant(std::numeric_limits<int64_t>::min())), u"-9223372036854775808");
  EXPECT_EQ(ConvertVariant(Variant(std::numeric_limits<uint64_t>::max())), u"18446744073709551615");
  EXPECT_EQ(ConvertVariant(Variant(true)), u"TRUE");
  EXPECT_EQ(ConvertVariant(Variant(false)), u"FALSE");
  EXPECT_EQ(ConvertVariant(Variant(u"some text")), u"some text");
  EXPECT_EQ(ConvertVariant(Variant(u"")), u"");
  EXPECT_EQ(ConvertVariant(Variant::FromAnsi("caf\xe9 \x80")), u"caf\u00e9 \u20ac");
  EXPECT_EQ(ConvertVariant(Variant()), u"(unknown type: 0)");
  EXPECT_EQ(ConvertVariant(Variant::FromCurrency(1.5)), u"(unknown type: 6)");
  EXPECT_EQ(ConvertVariant(Variant::FromDate(45000)), u"(unknown type: 7)");
  EXPECT_EQ(ConvertVariant(Variant::FromOleStr(u"wide")), u"(unknown type: 8)");
}

TEST(ConvertVariant, FloatsUseTheFourDigitExponentForm) {
  EXPECT_EQ(ConvertVariant(Variant(1234.56)), u" 1.235E+03");
  EXPECT_EQ(ConvertVariant(Variant(-0.5)), u"-5.000E-01");
  EXPECT_EQ(ConvertVariant(Variant(0.0)), u" 0.000E+00");
  EXPECT_EQ(ConvertVariant(Variant(2.0f)), u" 2.000E+00");
}

// An array lo..lo+n-1 of the given elements.
Variant ArrayOf(int32_t lo, std::vector<Variant> items) {
  return Variant::Array(lo, std::move(items));
}

// A one-level array 0..n-1 holding 0..n-1.
Variant Counting(int n, int offset = 0) {
  std::vector<Variant> items;
  for (int i = 0; i < n; ++i) items.emplace_back(offset + i);
  return ArrayOf(0, std::move(items));
}

String Join(int from, int to, int step = 1, int offset = 0) {
  String s;
  for (int v = from; v <= to; v += step) {
    if (!s.empty()) s += u',';
    for (char c : std::to_string(offset + v)) s += static_cast<Char>(c);
  }
  return s;
}

TEST(ConvertVariant, OneLevelIsCutAfterTwelve) {
  EXPECT_EQ(ConvertVariant(Counting(20)), u"Array[0,19]:\r\n0,1,2,3,4,5,6,7,8,9,10,11...");
  EXPECT_EQ(ConvertVariant(Counting(12)), u"Array[0,11]:\r\n" + Join(0, 11));
  EXPECT_EQ(ConvertVariant(Counting(13)), u"Array[0,12]:\r\n" + Join(0, 11) + u"...");
  EXPECT_EQ(ConvertVariant(Counting(1)), u"Array[0,0]:\r\n0");
  EXPECT_EQ(ConvertVariant(ArrayOf(
                -2, {Variant(u"a"), Variant(true), Variant::Null(), Variant(), Variant(7)})),
            u"Array[-2,2]:\r\na,TRUE,NULL,(unknown type: 0),7");
  EXPECT_EQ(ConvertVariant(ArrayOf(3, {Variant(1), Variant(2)})), u"Array[3,4]:\r\n1,2");
}

TEST(ConvertVariant, EmptyAndNegativeArraysAreUndefined) {
  EXPECT_EQ(ConvertVariant(Variant::Array(0, -1)), u"undefined array");
  EXPECT_EQ(ConvertVariant(Variant::Array(-5, -1)), u"undefined array");  // upper bound below 0
  EXPECT_EQ(ConvertVariant(Variant::Array(3, 2)), u"undefined array");    // no elements
  EXPECT_EQ(ConvertVariant(Variant::Array(-1, 0)),
            u"Array[-1,0]:\r\n(unknown type: 0),(unknown type: 0)");
}

// A two-level array [i][j] = 100 * i + j with the given level sizes.
Variant Grid(int n1, int n2) {
  std::vector<Variant> rows;
  for (int i = 0; i < n1; ++i) rows.push_back(Counting(n2, 100 * i));
  return ArrayOf(0, std::move(rows));
}

// The line of second-level index j with the first n1 first-level indexes.
String GridLine(int n1, int j, int layerOffset = 0) {
  return Join(0, 100 * (n1 - 1), 100, j + layerOffset);
}

TEST(ConvertVariant, TwoLevelsShowOneLinePerSecondIndex) {
  EXPECT_EQ(ConvertVariant(Grid(2, 3)), u"Array[0,1][0,2]:\r\n0,100\r\n1,101\r\n2,102\r\n");

  String exact = u"Array[0,11][0,9]:\r\n";
  for (int j = 0; j < 10; ++j) exact += GridLine(12, j) + u"\r\n";
  EXPECT_EQ(ConvertVariant(Grid(12, 10)), exact);

  String cut = u"Array[0,12][0,10]:\r\n";
  for (int j = 0; j < 10; ++j) cut += GridLine(12, j) + u"...\r\n";
  EXPECT_EQ(ConvertVariant(Grid(13, 11)), cut + u" ......");

  String firstCut = u"Array[0,12][0,9]:\r\n";
  for (int j = 0; j < 10; ++j) firstCut += GridLine(12, j) + u"...\r\n";
  EXPECT_EQ(ConvertVariant(Grid(13, 10)), firstCut);

  String secondCut = u"Array[0,11][0,10]:\r\n";
  for (int j = 0; j < 10; ++j) secondCut += GridLine(12, j) + u"\r\n";
  EXPECT_EQ(ConvertVariant(Grid(12, 11)), secondCut + u" ......");
}

TEST(ConvertVariant, InnerBoundsComeFromTheFirstElement) {
  const Variant v = ArrayOf(1, {ArrayOf(5, {Variant(1), Variant(2)}),
                                ArrayOf(6, {Variant(3), Variant(4)}),  // ragged: 6..7
                                Variant(9),                            // not an array
                                ArrayOf(5, {Variant(5)})});            // short
  EXPECT_EQ(ConvertVariant(v), u"Array[1,4][5,6]:\r\n1,,,5\r\n2,3,,\r\n");
  // An empty second level still counts as a level.
  EXPECT_EQ(ConvertVariant(ArrayOf(0, {Variant::Array(0, -1)})), u"Array[0,0][0,-1]:\r\n");
  // A deeper array where the first elements were scalars shows by its element code.
  EXPECT_EQ(ConvertVariant(ArrayOf(0, {Variant(1), Counting(2)})),
            u"Array[0,1]:\r\n1,(unknown type: 12)");
}

// A three-level array [i][j][k] = 10000 * k + 100 * i + j.
Variant Cube(int n1, int n2, int n3) {
  std::vector<Variant> planes;
  for (int i = 0; i < n1; ++i) {
    std::vector<Variant> rows;
    for (int j = 0; j < n2; ++j) {
      std::vector<Variant> cells;
      for (int k = 0; k < n3; ++k) cells.emplace_back(10000 * k + 100 * i + j);
      rows.push_back(ArrayOf(0, std::move(cells)));
    }
    planes.push_back(ArrayOf(0, std::move(rows)));
  }
  return ArrayOf(0, std::move(planes));
}

String CubeText(int n1, int n2, int n3) {
  String s = u"Array";
  for (int n : {n1, n2, n3}) s += u"[0," + Join(n - 1, n - 1) + u"]";
  s += u":\r\n";
  const bool cut1 = n1 > 12, cut2 = n2 > 10, cut3 = n3 > 3;
  for (int k = 0; k < std::min(n3, 3); ++k) {
    s += u"layer " + Join(k, k) + u":\r\n";
    for (int j = 0; j < std::min(n2, 10); ++j) {
      s += GridLine(std::min(n1, 12), j, 10000 * k) + (cut1 ? u"..." : u"") + u"\r\n";
    }
    if (cut2) s += u" ......\r\n";
  }
  if (cut3) s += u" ... more layers";
  return s;
}

TEST(ConvertVariant, ThreeLevelsShowLayers) {
  EXPECT_EQ(ConvertVariant(Cube(1, 2, 2)),
            u"Array[0,0][0,1][0,1]:\r\nlayer 0:\r\n0\r\n1\r\nlayer 1:\r\n10000\r\n10001\r\n");
  EXPECT_EQ(ConvertVariant(Cube(2, 1, 4)),
            u"Array[0,1][0,0][0,3]:\r\nlayer 0:\r\n0,100\r\nlayer 1:\r\n10000,10100\r\n"
            u"layer 2:\r\n20000,20100\r\n ... more layers");
  for (const auto& [n1, n2, n3] : std::vector<std::array<int, 3>>{
           {12, 10, 3}, {13, 10, 3}, {12, 11, 3}, {12, 10, 4}, {13, 11, 4}}) {
    EXPECT_EQ(ConvertVariant(Cube(n1, n2, n3)), CubeText(n1, n2, n3))
        << n1 << "x" << n2 << "x" << n3;
  }
  // Layers are numbered by their own index.
  const Variant shifted = ArrayOf(0, {ArrayOf(0, {ArrayOf(-1, {Variant(1), Variant(2)})})});
  EXPECT_EQ(ConvertVariant(shifted),
            u"Array[0,0][0,0][-1,0]:\r\nlayer -1:\r\n1\r\nlayer 0:\r\n2\r\n");
}

// A random value: a scalar, or an array of random bounds (often empty, ragged or negative)
// holding random values, nested up to `depth` more levels.
Variant RandomVariant(std::mt19937& rng, int depth) {
  switch (rng() % 6) {
    case 0:
      return Variant(static_cast<int32_t>(rng() % 2000) - 1000);
    case 1:
      return Variant(u"s");
    case 2:
      return Variant::Null();
    default:
      if (depth == 0) return Variant(0.5);
      std::vector<Variant> items(rng() % 15);
      for (Variant& v : items) v = RandomVariant(rng, depth - 1);
      return Variant::Array(static_cast<int32_t>(rng() % 7) - 3, std::move(items));
  }
}

// On random nested arrays the text keeps its shape: the head names one bound pair per level
// read from the first elements, and the line breaks are those of the shown indexes.
TEST(ConvertVariant, RandomNestedArraysKeepTheirShape) {
  std::mt19937 rng(3);
  const auto bounds = [](const Variant& a) {
    return u"[" + ConvertVariant(Variant(a.LowBound())) + u"," +
           ConvertVariant(Variant(a.HighBound())) + u"]";
  };
  for (int n = 0; n < 3000; ++n) {
    const Variant v = RandomVariant(rng, 4);
    const String text = ConvertVariant(v);
    if (!v.IsArray()) continue;
    if (v.HighBound() < 0 || v.Elements().empty()) {
      EXPECT_EQ(text, u"undefined array");
      continue;
    }
    String head = u"Array" + bounds(v);
    size_t breaks = 1;
    const Variant& second = v.Elements().front();
    if (second.IsArray()) {
      head += bounds(second);
      const auto count2 = static_cast<size_t>(second.Elements().size());
      const size_t shown2 = std::min<size_t>(count2, 10);
      if (!second.Elements().empty() && second.Elements().front().IsArray()) {
        const Variant& third = second.Elements().front();
        head += bounds(third);
        const size_t shown3 = std::min<size_t>(third.Elements().size(), 3);
        breaks += shown3 * (1 + shown2 + (count2 > 10 ? 1 : 0));
      } else {
        breaks += shown2;
      }
    }
    ASSERT_EQ(text.substr(0, head.size() + 3), head + u":\r\n") << ToUtf8(text);
    size_t found = 0;
    for (size_t at = text.find(u"\r\n"); at != String::npos; at = text.find(u"\r\n", at + 2)) {
      ++found;
    }
    ASSERT_EQ(found, breaks) << ToUtf8(text);
  }
}

TEST(ConvertVariant, NumbersIgnoreTheProcessLocale) {
  const TCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(ConvertVariant(Variant(1234.56)), u" 1.235E+03");
  EXPECT_EQ(ConvertVariant(Variant(1.5f)), u" 1.500E+00");
  EXPECT_EQ(ConvertVariant(Variant(1234567)), u"1234567");
  EXPECT_EQ(ConvertVariant(Variant::Array(0, {Variant(0.25), Variant(-7)})),
            u"Array[0,1]:\r\n 2.500E-01,-7");
  EXPECT_EQ(CreateParList({0.5, 123.456, 1234567.0}, false, 0, 4, true),
            u"[0.500,123.5,1.235E+06]");
  EXPECT_EQ(CreateParList({1000000, -2}, false, 0, false), u"1000000,-2");
  EXPECT_EQ(Variant(2.5).AsString(), u"2.5");
  EXPECT_EQ(Variant(u"2.5").AsDouble(), 2.5);
}

// ------------------------------------------------------------------------------------------------
// Parameter lists

TEST(CreateParList, IntegersInEveryForm) {
  const TIntArray data = {1, 2, 3};
  const std::array<int32_t, 3> fixed = {1, 2, 3};
  for (const auto& list : {CreateParList(data, false, 0, true),
                           CreateParList(std::span<const int32_t>(fixed), false, 0, true),
                           CreateParList({1, 2, 3}, false, 0, true)}) {
    EXPECT_EQ(list, u"[1,2,3]");
  }
  EXPECT_EQ(CreateParList(data, false, 0, false), u"1,2,3");
  EXPECT_EQ(CreateParList(data, false, 2, true), u"[1,2,...]");
  EXPECT_EQ(CreateParList(data, true, 2, false), u"1,2,...,");
  EXPECT_EQ(CreateParList(data, true, 0, true), u"[1,2,3],");
  EXPECT_EQ(CreateParList(data, false, 3, true), u"[1,2,3]");  // exactly maxitems: no cut
  EXPECT_EQ(CreateParList(data, false, 4, false), u"1,2,3");
  EXPECT_EQ(CreateParList(data, false, -1, false), u"1,2,3");
  EXPECT_EQ(CreateParList(data, false, 1, false), u"1,...");
  EXPECT_EQ(CreateParList({-2147483647 - 1, 0, 2147483647}, false, 0, false),
            u"-2147483648,0,2147483647");
  EXPECT_EQ(CreateParList(TIntArray{}, false, 0, true), u"[]");
  EXPECT_EQ(CreateParList(TIntArray{}, false, 0, false), u"");
  EXPECT_EQ(CreateParList(TIntArray{}, true, 0, false), u",");
  EXPECT_EQ(CreateParList(TIntArray{}, true, 0, true), u"[],");
  EXPECT_EQ(CreateParList({}, false, 0, true), u"[]");
}

TEST(CreateParList, Booleans) {
  EXPECT_EQ(CreateParList({true, false}, false, 0, true), u"[TRUE,FALSE]");
  const bool flags[] = {false, true, true};
  EXPECT_EQ(CreateParList(std::span<const bool>(flags), true, 2, false), u"FALSE,TRUE,...,");
  EXPECT_EQ(CreateParList(std::span<const bool>(), false, 0, true), u"[]");
}

TEST(CreateParList, DoublesWithSignificantDigits) {
  const TDoubleArray data = {0.5, 123.456};
  EXPECT_EQ(CreateParList(data, false, 0, 4, true), u"[0.500,123.5]");
  EXPECT_EQ(CreateParList(std::span<const double>(data), false, 0, 4, true), u"[0.500,123.5]");
  EXPECT_EQ(CreateParList({0.5, 123.456}, false, 0, 4, true), u"[0.500,123.5]");
  EXPECT_EQ(CreateParList({0.05, 56789.0, 0.0}, true, 2, 4, false), u"5.000E-02,5.679E+04,...,");
  EXPECT_EQ(CreateParList(TDoubleArray{}, false, 0, 4, true), u"[]");
  EXPECT_EQ(CreateParList({}, false, 0, 4, false), u"");
}

}  // namespace
}  // namespace xan
