// TAssocArray: case rules of the keys, growth and removal order, the conversions of each type,
// indexed access, copying and the XML form read back equal.
#include "xan/dstruct/assocarray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "leading_number_model.h"
#include "xan/streams/primitives.h"
#include "xan/stringl/conversions.h"
#include "xan/univconst.h"

namespace xan {
namespace {

// The keys in order, joined by ",".
String KeyList(const TAssocArray& a) {
  String out;
  for (int32_t i = 1; i <= a.NumEntries(); ++i) out += (i > 1 ? u"," : u"") + a.GetKeys(i);
  return out;
}

TEST(AssocArray, CaseRulesOfKeys) {
  TAssocArray a;
  EXPECT_TRUE(a.IgnoreCase());
  a.Add(u"Width", 5);
  a.Add(u"WIDTH", 7);
  ASSERT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.GetKeys(1), u"width");
  EXPECT_EQ(a.Resolve(u"wIdTh"), Variant(7));
  // Only A-Z fold.
  a.Add(u"\u00c4pfel", 1);
  a.Add(u"\u00e4pfel", 2);
  EXPECT_EQ(a.NumEntries(), 3);
  EXPECT_EQ(a.GetKeys(2), u"\u00c4pfel");

  TAssocArray b;
  b.SetIgnoreCase(false);
  b.Add(u"Width", 5);
  b.Add(u"WIDTH", 7);
  EXPECT_EQ(KeyList(b), u"Width,WIDTH");
  EXPECT_TRUE(b.Resolve(u"width").IsNull());
  // Switching the mode later keeps the stored keys; the lookup folds both sides.
  b.SetIgnoreCase(true);
  EXPECT_EQ(b.Resolve(u"width"), Variant(5)) << "the first match";
  EXPECT_TRUE(b.Remove(u"WIDTH"));
  EXPECT_EQ(KeyList(b), u"WIDTH");
}

TEST(AssocArray, GrowthInGranularitySteps) {
  TAssocArray a;
  EXPECT_EQ(a.Capacity(), 1024);
  EXPECT_EQ(a.Granularity(), 1024);
  for (int i = 0; i < 1024; ++i) a.Add(u"k" + FromUtf8(std::to_string(i)), i);
  EXPECT_EQ(a.Capacity(), 1024);
  a.Add(u"one more", 0);
  EXPECT_EQ(a.NumEntries(), 1025);
  EXPECT_EQ(a.Capacity(), 2049);
  EXPECT_EQ(a.ResolveAsInt(u"K1000"), 1000);
  a.Clear();
  EXPECT_EQ(a.NumEntries(), 0);
  EXPECT_EQ(a.Capacity(), 1024);

  a.SetGranularity(0);
  a.Clear();
  EXPECT_EQ(a.Capacity(), 0);
  a.Add(u"a", 1);
  a.Add(u"b", 2);
  EXPECT_EQ(a.Capacity(), 2) << "always room for the entries";
  a.SetGranularity(-5);
  a.Add(u"c", 3);
  EXPECT_EQ(a.Capacity(), 3);
  EXPECT_EQ(a.ResolveAsInt(u"c"), 3);
}

TEST(AssocArray, RemoveMovesTheLastEntry) {
  TAssocArray a;
  a.Add(u"a", 1);
  a.Add(u"b", 2);
  a.Add(u"c", 3);
  EXPECT_FALSE(a.Remove(u"x"));
  EXPECT_TRUE(a.Remove(u"A"));
  EXPECT_EQ(KeyList(a), u"c,b");
  EXPECT_EQ(a.GetValues(1), Variant(3));
  EXPECT_EQ(a.Capacity(), 1024);
  EXPECT_TRUE(a.Remove(u"b"));
  EXPECT_EQ(KeyList(a), u"c");
  a.Add(u"d", 4);
  EXPECT_EQ(KeyList(a), u"c,d");
  a.Add(u"c", 5);
  EXPECT_EQ(KeyList(a), u"c,d") << "a replaced value keeps its place";
  EXPECT_EQ(a.Resolve(u"c"), Variant(5));
}

TEST(AssocArray, IndexedAccess) {
  TAssocArray a;
  a.Add(u"x", 1.5);
  EXPECT_EQ(a.GetValues(0), Variant(u""));
  EXPECT_FALSE(a.GetValues(0).IsNull());
  EXPECT_EQ(a.GetValues(2).VarType(), varUString);
  EXPECT_EQ(a.GetKeys(2), u"");
  a.SetKeys(1, u"Mixed Case");
  EXPECT_EQ(a.GetKeys(1), u"Mixed Case") << "stored as given";
  EXPECT_EQ(a.ResolveAsNumber(u"mixed case"), 1.5);
  a.SetValues(1, Variant(u"t"));
  EXPECT_EQ(a.Values(1), Variant(u"t"));
  a.SetKeys(5, u"ignored");
  a.SetValues(-1, 3);
  EXPECT_EQ(a.NumEntries(), 1);
}

TEST(AssocArray, AbsentKeys) {
  const TAssocArray a;
  EXPECT_TRUE(a.Resolve(u"none").IsNull());
  EXPECT_EQ(a.ResolveAsString(u"none"), u"");
  EXPECT_EQ(a.ResolveAsNumber(u"none"), 0);
  EXPECT_EQ(a.ResolveAsInt(u"none"), 0);
}

TEST(AssocArray, ResolveAsStringByVariantText) {
  TAssocArray a;
  a.Add(u"n", Variant::Null());
  a.Add(u"i", -42);
  a.Add(u"b", true);
  a.Add(u"d", 0.1);
  a.Add(u"s", Variant::FromAnsi("caf\xe9"));
  a.Add(u"arr", Variant::Array(0, 1));
  EXPECT_EQ(a.ResolveAsString(u"n"), u"");
  EXPECT_EQ(a.ResolveAsString(u"i"), u"-42");
  EXPECT_EQ(a.ResolveAsString(u"b"), u"True");
  EXPECT_EQ(a.ResolveAsString(u"d"), u"0.1");
  EXPECT_EQ(a.ResolveAsString(u"s"), u"caf\u00e9");
  EXPECT_THROW(a.ResolveAsString(u"arr"), EVariantError);
}

TEST(AssocArray, ResolveAsNumberByType) {
  TAssocArray a;
  const double maxD = static_cast<double>(uc_MaxDouble);
  struct Case {
    Variant Value;
    double Expected;
  };
  const Case cases[] = {
      {Variant(u"3,25 m"), 3.25},
      {Variant(u" -1.5e2x"), -150},
      {Variant(u"abc"), 0},
      {Variant(u"1.2.3"), 0},
      {Variant(u"- 1"), 0},
      {Variant(u"7."), 7},
      {Variant(u"."), 0},
      {Variant(u"1E"), 1},
      {Variant(u"2e-3"), 0.002},
      {Variant(u"1e5000"), maxD},
      {Variant(u"-1E4201"), -maxD},
      {Variant(u"1E-4201"), 0},
      {Variant(u""), 0},
      {Variant::FromAnsi("12,5"), 12.5},
      {Variant::FromOleStr(u"8"), 8},
      {Variant(true), 0},
      {Variant(int8_t{-8}), -8},
      {Variant(uint32_t{4000000000U}), 4e9},
      {Variant(int64_t{1} << 40), 1099511627776.0},
      {Variant(uint64_t{5}), 0},
      {Variant(2.5f), 2.5},
      {Variant(1e308 * 10), maxD},
      {Variant::FromCurrency(12.5), 12.5},
      {Variant::FromDate(45000), 0},
      {Variant::Null(), 0},
      {Variant(), 0},
  };
  for (const Case& c : cases) {
    a.Add(u"k", c.Value);
    EXPECT_EQ(a.ResolveAsNumber(u"k"), c.Expected) << ToUtf8(ConvertVariant(c.Value));
  }
}

// The value the model gives a text: the characters it took, read as a decimal number (an
// exponent letter or sign without digits dropped), limited to uc_MaxDouble; 0 when it fails or
// took no digit.
double ModelValue(StringView Text) {
  const testing::TModelNumber model = testing::RunNumberModel(Text, true);
  std::string taken = model.Taken;
  if (!model.Accepted || taken.find_first_of("0123456789") == std::string::npos) return 0;
  while (!taken.empty() && (taken.back() == 'E' || taken.back() == '+' || taken.back() == '-')) {
    taken.pop_back();
  }
  const double limit = static_cast<double>(uc_MaxDouble);
  const double v = std::strtod(taken.c_str(), nullptr);  // the tests run in the "C" locale
  return v > limit ? limit : v < -limit ? -limit : v;
}

TEST(AssocArray, ResolveAsNumberOfTextsAgainstTheTable) {
  TAssocArray a;
  std::mt19937 rng(7);
  for (int k = 0; k < 20000; ++k) {
    const String text = testing::RandomNumberText(rng);
    a.Add(u"k", Variant(text));
    ASSERT_EQ(a.ResolveAsNumber(u"k"), ModelValue(text)) << ToUtf8(text);
  }
  // Once the exponent digits pass 4200, none after them is taken either: "1E42010" has the
  // exponent 420, which only a mantissa below 1E-4000 tells from 4200.
  const String tiny = u"0." + String(4000, u'0') + u"1E42010";
  a.Add(u"k", Variant(tiny));
  EXPECT_EQ(a.ResolveAsNumber(u"k"), 0) << "1E-4001 * 1E420";
  EXPECT_EQ(ModelValue(tiny), 0);
  const String tiny2 = u"0." + String(4000, u'0') + u"1E4200";
  a.Add(u"k", Variant(tiny2));
  EXPECT_EQ(a.ResolveAsNumber(u"k"), 1e199);
}

TEST(AssocArray, ResolveAsIntByType) {
  TAssocArray a;
  struct Case {
    Variant Value;
    int32_t Expected;
  };
  const Case cases[] = {
      {Variant(2.5), 2},
      {Variant(3.5), 4},
      {Variant(-2.5f), -2},
      {Variant(u" +42abc"), 42},
      {Variant(u"12.7"), 12},
      {Variant(u"abc"), 0},
      {Variant(u"-"), 0},
      {Variant(u"99999999999"), 2147483647},
      {Variant(u"-99999999999"), -2147483647 - 1},
      {Variant::FromAnsi(" -7"), -7},
      {Variant::FromCurrency(12), 0},
      {Variant(true), 0},
      {Variant(uint64_t{3}), 0},
      {Variant(int16_t{-300}), -300},
      {Variant(int64_t{-5}), -5},
      {Variant::FromDate(2), 0},
  };
  for (const Case& c : cases) {
    a.Add(u"k", c.Value);
    EXPECT_EQ(a.ResolveAsInt(u"k"), c.Expected) << ToUtf8(ConvertVariant(c.Value));
  }
  a.Add(u"k", int64_t{1} << 32);
  EXPECT_THROW(a.ResolveAsInt(u"k"), EVariantError);
  a.Add(u"k", uint32_t{3000000000U});
  EXPECT_THROW(a.ResolveAsInt(u"k"), EVariantError);
  a.Add(u"k", std::nan(""));
  EXPECT_THROW(a.ResolveAsInt(u"k"), EVariantError);
}

TEST(AssocArray, AssignCopiesEntriesAndSettings) {
  TAssocArray a;
  a.SetGranularity(10);
  a.SetIgnoreCase(false);
  a.SetDataID(u"set");
  a.Add(u"K", 1);
  a.Add(u"k", u"two");
  TAssocArray b;
  b.Add(u"old", 0);
  b.Assign(a);
  EXPECT_EQ(KeyList(b), u"K,k");
  EXPECT_EQ(b.Capacity(), 2) << "exactly the entries";
  EXPECT_EQ(b.Granularity(), 10);
  EXPECT_FALSE(b.IgnoreCase());
  EXPECT_EQ(b.DataID(), u"set");
  b.Add(u"third", 3);
  EXPECT_EQ(b.Capacity(), 13);
  EXPECT_EQ(a.NumEntries(), 2);
  TAssocArray c;
  a.AssignTo(c);
  EXPECT_EQ(c.Resolve(u"k"), Variant(u"two"));
  TComponent other;
  EXPECT_THROW(c.Assign(other), EConvertError);
}

// ------------------------------------------------------------------------------------------------
// The XML form

// Writes a, reads it back into b and checks keys, types and values.
void ExpectRoundTrip(const TAssocArray& a, TAssocArray& b) {
  TMemoryStream s;
  a.WriteToXMLStream(s, true, u"data <1>");
  s.SetPosition(0);
  ASSERT_TRUE(b.ReadFromXMLStream(s, u"data <1>"));
  ASSERT_EQ(b.NumEntries(), a.NumEntries());
  EXPECT_EQ(b.IgnoreCase(), a.IgnoreCase());
  EXPECT_EQ(b.DataID(), u"data <1>");
  for (int32_t i = 1; i <= a.NumEntries(); ++i) {
    EXPECT_EQ(b.GetKeys(i), a.GetKeys(i)) << i;
    const Variant x = a.GetValues(i);
    const Variant y = b.GetValues(i);
    EXPECT_EQ(y.VarType(), x.VarType()) << ToUtf8(a.GetKeys(i));
    if (x.VarType() == varDouble && std::isnan(x.AsDouble())) {
      EXPECT_TRUE(std::isnan(y.AsDouble()));
    } else {
      EXPECT_EQ(y, x) << ToUtf8(a.GetKeys(i));
    }
  }
}

TEST(AssocArrayXML, EveryTypeReadsBackEqual) {
  TAssocArray a;
  a.SetIgnoreCase(false);
  a.Add(u"Empty", Variant());
  a.Add(u"null", Variant::Null());
  a.Add(u"i8", int8_t{-128});
  a.Add(u"i16", int16_t{-32768});
  a.Add(u"i32", std::numeric_limits<int32_t>::min());
  a.Add(u"i64", std::numeric_limits<int64_t>::min());
  a.Add(u"u8", uint8_t{255});
  a.Add(u"u16", uint16_t{65535});
  a.Add(u"u32", uint32_t{4294967295U});
  a.Add(u"u64", std::numeric_limits<uint64_t>::max());
  a.Add(u"single", 0.1f);
  a.Add(u"double", 0.1 + 0.2);
  a.Add(u"tiny", 5e-324);
  a.Add(u"negzero", -0.0);
  a.Add(u"inf", -std::numeric_limits<double>::infinity());
  a.Add(u"nan", std::nan(""));
  a.Add(u"cur", Variant::FromCurrencyUnits(std::numeric_limits<int64_t>::min()));
  a.Add(u"cur2", Variant::FromCurrencyUnits(-5));
  a.Add(u"date", Variant::FromDate(45000.123456789));
  a.Add(u"bool", false);
  a.Add(u"ansi", Variant::FromAnsi(std::string("\x81\x00\x80 \"<&>\"", 9)));
  a.Add(u"ole", Variant::FromOleStr(u"ole"));
  a.Add(u"text", Variant(u"  \"<tag a='1'>\" & &amp; \r\n\t \u20ac \U0001F600 \xD800 \u0000 "));
  a.Add(u"", u"empty key");
  a.Add(u"key with \"quotes\" & <brackets> \u00e9", 1);
  a.Add(u"</assocarray>", u"</entry>");
  TAssocArray b;
  ExpectRoundTrip(a, b);
  EXPECT_TRUE(std::signbit(b.Resolve(u"negzero").AsDouble()));
}

TEST(AssocArrayXML, NestedArraysAndTheirBounds) {
  TAssocArray a;
  Variant inner = Variant::Array(-2, {Variant(1), Variant::Null(), Variant(u"x")});
  Variant outer = Variant::Array(5, {inner, Variant(), Variant::Array(0, -1), inner});
  a.Add(u"nested", outer);
  a.Add(u"flat", Variant::Array(1, {Variant(true)}));
  Variant deep(1);
  for (int i = 0; i < TAssocArray::MaxXMLDepth; ++i) deep = Variant::Array(0, {deep});
  a.Add(u"deep", deep);
  TAssocArray b;
  ExpectRoundTrip(a, b);
  EXPECT_EQ(b.Resolve(u"nested")[5].LowBound(), -2);

  deep = Variant::Array(0, {deep});
  a.Add(u"too deep", deep);
  TMemoryStream s;
  EXPECT_THROW(a.WriteToXMLStream(s, false, u""), EXANDStructError);
  EXPECT_EQ(s.Size(), 0) << "nothing written";
}

TEST(AssocArrayXML, FindsItsDataSetAndKeepsItsPlace) {
  TAssocArray one;
  one.Add(u"a", 1);
  TAssocArray two;
  two.Add(u"B", 2);
  TMemoryStream s;
  WriteStringStream(s, u"<root><!-- several sets -->");
  one.WriteToXMLStream(s, false, u"first");
  two.WriteToXMLStream(s, false, u"second");
  WriteStringStream(s, u"tail</root>");
  s.SetPosition(0);
  TAssocArray r;
  r.Add(u"before", 0);
  EXPECT_TRUE(r.ReadFromXMLStream(s, u"second"));
  EXPECT_EQ(KeyList(r), u"b");
  bool end = false;
  EXPECT_EQ(ReadLnStream(s, end, 0), u"") << "left just after the end tag";
  EXPECT_EQ(ReadLnStream(s, end, 0), u"tail</root>");
  s.SetPosition(0);
  EXPECT_FALSE(r.ReadFromXMLStream(s, u"First")) << "the identifier is exact";
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(KeyList(r), u"b") << "unchanged";
  EXPECT_EQ(r.DataID(), u"second");
}

TEST(AssocArrayXML, HandWrittenAndDamagedInput) {
  TAssocArray r;
  r.SetGranularity(4);
  TStringStream hand(
      u"<?xml version=\"1.0\"?>\n<AssocArray DataID=\"x\">\n"
      u"  <Entry key=\"Mixed\" type=\"Integer\" value=\"7\"/>\n"
      u"  <other>skipped</other>\n"
      u"  <entry key=\"mixed\" type=\"UString\" value=\"&#x41;&#66;&unknown; &lt\"/>\n"
      u"</assocarray>");
  ASSERT_TRUE(r.ReadFromXMLStream(hand, u"x"));
  EXPECT_TRUE(r.IgnoreCase()) << "kept: the set does not say";
  EXPECT_EQ(r.NumEntries(), 1) << "the second key is the same under IgnoreCase";
  EXPECT_EQ(r.Resolve(u"MIXED"), Variant(u"AB&unknown; &lt"));
  EXPECT_EQ(r.Granularity(), 4);

  for (const StringView bad :
       {u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Bogus\" value=\"1\"/></assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Byte\" value=\"256\"/></assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Double\" value=\"1,5\"/></assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Boolean\" value=\"1\"/></assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Currency\" value=\"1.23456\"/>"
        u"</assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Array of Variant\" low=\"z\">"
        u"</entry></assocarray>",
        u"<assocarray dataid=\"x\"><entry key=\"a\" type=\"Array of Variant\" low=\"0\">"
        u"<item1 type=\"Int64\" value=\"x\"/></entry></assocarray>",
        u"<assocarray dataid=\"y\"></assocarray>"}) {
    TStringStream s(bad);
    EXPECT_FALSE(r.ReadFromXMLStream(s, u"x")) << ToUtf8(bad);
    EXPECT_EQ(r.Resolve(u"mixed"), Variant(u"AB&unknown; &lt")) << "unchanged";
  }
  TStringStream empty(u"<assocarray dataid=\"\" ignorecase=\"FALSE\"/>");
  EXPECT_TRUE(r.ReadFromXMLStream(empty, u""));
  EXPECT_EQ(r.NumEntries(), 0);
  EXPECT_FALSE(r.IgnoreCase());
}

TEST(AssocArrayXML, LongRunsOfAmpersandsReadInOnePass) {
  // Each "&" once searched for a ";" to the end of the value: a million of them took longer
  // than any test may run. A reference right behind the run still counts.
  const String amps(1 << 20, u'&');
  TStringStream s(u"<assocarray dataid=\"x\"><entry key=\"k\" type=\"UString\" value=\"" + amps +
                  u"&#65;\"/></assocarray>");
  TAssocArray r;
  ASSERT_TRUE(r.ReadFromXMLStream(s, u"x"));
  EXPECT_EQ(r.Resolve(u"k"), Variant(amps + u"A"));
}

TEST(AssocArrayXML, AddXMLAttributes) {
  TAssocArray a;
  EXPECT_EQ(a.AddXMLAttributes(u"width=100 height=\"20 px\""), 2);
  EXPECT_EQ(a.Resolve(u"width"), Variant(u"100"));
  EXPECT_EQ(a.Resolve(u"HEIGHT"), Variant(u"20 px"));
  EXPECT_EQ(a.AddXMLAttributes(u"a=\"x &amp; y\" =5 b=1=2 c=3"), 1);
  EXPECT_EQ(a.Resolve(u"a"), Variant(u"x & y"));
  EXPECT_TRUE(a.Resolve(u"c").IsNull()) << "reading ended at the malformed item";
  EXPECT_EQ(a.AddXMLAttributes(u"  Width = \"5\"   last='q'  "), 2);
  EXPECT_EQ(a.Resolve(u"width"), Variant(u"5")) << "replaced";
  EXPECT_EQ(a.Resolve(u"last"), Variant(u"'q'"));
  EXPECT_EQ(a.AddXMLAttributes(u"bad\"name=1"), 0);
  EXPECT_EQ(a.AddXMLAttributes(u""), 0);
  EXPECT_EQ(KeyList(a), u"width,height,a,last");
}

}  // namespace
}  // namespace xan
