// The variant type: type codes of each construction, nested arrays and bounds, the conversions
// to text, double, integers and boolean, their errors, and equality.
#include "xan/platform/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "xan/platform/exceptions.h"

namespace xan {
namespace {

TEST(VariantTypes, CodesFollowTheOleNumbering) {
  EXPECT_EQ(Variant().VarType(), 0);
  EXPECT_EQ(Variant::Null().VarType(), 1);
  EXPECT_EQ(Variant(int16_t{-2}).VarType(), 2);
  EXPECT_EQ(Variant(7).VarType(), 3);
  EXPECT_EQ(Variant(1.5f).VarType(), 4);
  EXPECT_EQ(Variant(1.5).VarType(), 5);
  EXPECT_EQ(Variant(1.5L).VarType(), 5);
  EXPECT_EQ(Variant::FromCurrency(1).VarType(), 6);
  EXPECT_EQ(Variant::FromDate(1).VarType(), 7);
  EXPECT_EQ(Variant::FromOleStr(u"x").VarType(), 8);
  EXPECT_EQ(Variant(false).VarType(), 11);
  EXPECT_EQ(Variant(int8_t{-1}).VarType(), 16);
  EXPECT_EQ(Variant(uint8_t{1}).VarType(), 17);
  EXPECT_EQ(Variant(uint16_t{1}).VarType(), 18);
  EXPECT_EQ(Variant(uint32_t{1}).VarType(), 19);
  EXPECT_EQ(Variant(int64_t{1}).VarType(), 20);
  EXPECT_EQ(Variant(1LL).VarType(), 20);
  EXPECT_EQ(Variant(uint64_t{1}).VarType(), 21);
  EXPECT_EQ(Variant::FromAnsi("x").VarType(), 256);
  EXPECT_EQ(Variant(u"x").VarType(), 258);
  EXPECT_EQ(Variant(String(u"x")).VarType(), 258);
  EXPECT_EQ(Variant(StringView(u"x")).VarType(), 258);
  EXPECT_EQ(Variant(static_cast<const Char*>(nullptr)).AsString(), u"");
  EXPECT_EQ(Variant::Array(0, 1).VarType(), 0x200C);
  // Neither characters nor C strings or other pointers become numbers or booleans.
  static_assert(!std::is_constructible_v<Variant, char>);
  static_assert(!std::is_constructible_v<Variant, char16_t>);
  static_assert(!std::is_constructible_v<Variant, const char*>);
  static_assert(!std::is_constructible_v<Variant, int*>);
  static_assert(std::is_constructible_v<Variant, Char*>);
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_TRUE(Variant::Array(0, -1).IsArray());
  EXPECT_FALSE(Variant(1).IsArray());
}

TEST(VariantTypes, NamesForMessages) {
  EXPECT_EQ(VarTypeAsText(varInteger), u"Integer");
  EXPECT_EQ(VarTypeAsText(varUString), u"UString");
  EXPECT_EQ(VarTypeAsText(varArray | varVariant), u"Array of Variant");
  EXPECT_EQ(VarTypeAsText(77), u"type 77");
}

TEST(VariantArrays, BoundsElementsAndNesting) {
  Variant a = Variant::Array(-3, 2);
  EXPECT_EQ(a.LowBound(), -3);
  EXPECT_EQ(a.HighBound(), 2);
  EXPECT_EQ(a.Elements().size(), 6U);
  EXPECT_TRUE(a[-3].IsEmpty());
  a[-3] = 10;
  a[2] = Variant::Array(1, {Variant(u"x"), Variant(2.5)});
  EXPECT_EQ(a[-3].AsInt32(), 10);
  EXPECT_EQ(a[2][2].AsDouble(), 2.5);
  EXPECT_EQ(a[2].HighBound(), 2);
  EXPECT_THROW(a[3], EVariantError);
  EXPECT_THROW(a[-4], EVariantError);
  EXPECT_THROW(Variant(1)[0], EVariantError);
  EXPECT_THROW(Variant(1).LowBound(), EVariantError);
  EXPECT_TRUE(Variant(1).Elements().empty());

  const Variant empty = Variant::Array(5, 1);
  EXPECT_EQ(empty.LowBound(), 5);
  EXPECT_EQ(empty.HighBound(), 4);
  EXPECT_TRUE(empty.Elements().empty());
  EXPECT_THROW(Variant::Array(std::numeric_limits<int32_t>::max(), {Variant(1), Variant(2)}),
               EVariantError);
  EXPECT_THROW(Variant::Array(std::numeric_limits<int32_t>::min(), std::vector<Variant>{}),
               EVariantError);
}

TEST(VariantArrays, CopiesAreDeepAndMovesKeepTheValue) {
  static_assert(std::is_nothrow_move_constructible_v<Variant>);
  static_assert(std::is_nothrow_move_assignable_v<Variant>);
  Variant a = Variant::Array(0, {Variant(1), Variant::Array(0, {Variant(2)})});
  Variant b = a;
  b[1][0] = 3;
  EXPECT_EQ(a[1][0].AsInt32(), 2);
  EXPECT_NE(a, b);
  Variant c = std::move(b);
  EXPECT_EQ(c[1][0].AsInt32(), 3);
}

TEST(VariantText, ScalarsOfEveryKind) {
  EXPECT_EQ(Variant().AsString(), u"");
  EXPECT_EQ(Variant::Null().AsString(), u"");
  EXPECT_EQ(Variant(-42).AsString(), u"-42");
  EXPECT_EQ(Variant(int8_t{-128}).AsString(), u"-128");
  EXPECT_EQ(Variant(uint16_t{65535}).AsString(), u"65535");
  EXPECT_EQ(Variant(uint32_t{4294967295U}).AsString(), u"4294967295");
  EXPECT_EQ(Variant(std::numeric_limits<int64_t>::min()).AsString(), u"-9223372036854775808");
  EXPECT_EQ(Variant(std::numeric_limits<uint64_t>::max()).AsString(), u"18446744073709551615");
  EXPECT_EQ(Variant(true).AsString(), u"True");
  EXPECT_EQ(Variant(false).AsString(), u"False");
  EXPECT_EQ(Variant::FromAnsi("\x80 caf\xe9").AsString(), u"\u20ac caf\u00e9");
  EXPECT_EQ(Variant::FromOleStr(u"\u0141").AsString(), u"\u0141");
  EXPECT_THROW(Variant::Array(0, 0).AsString(), EVariantError);
}

TEST(VariantText, FloatsAreShortestAndLocaleFree) {
  const struct {
    double value;
    StringView text;
  } cases[] = {
      {0.1, u"0.1"},        {-2.5, u"-2.5"},
      {100, u"100"},        {1e20, u"1E+20"},
      {1.5e-7, u"1.5E-07"}, {0.00001, u"0.00001"},
      {1e-6, u"1E-06"},     {123456789012345.0, u"123456789012345"},
      {1e15, u"1E+15"},     {1e300, u"1E+300"},
      {5e-324, u"5E-324"},  {-0.0, u"0"},
      {0.0, u"0"},          {1234.5678, u"1234.5678"},
  };
  for (const auto& c : cases) EXPECT_EQ(Variant(c.value).AsString(), c.text) << c.value;
  EXPECT_EQ(Variant(0.1f).AsString(), u"0.1");
  EXPECT_EQ(Variant(1.5f).AsString(), u"1.5");
  EXPECT_EQ(Variant(std::numeric_limits<double>::quiet_NaN()).AsString(), u"NAN");
  EXPECT_EQ(Variant(-std::numeric_limits<double>::infinity()).AsString(), u"-INF");
  EXPECT_EQ(Variant(std::numeric_limits<double>::infinity()).AsString(), u"INF");
}

TEST(VariantText, CurrencyAndDates) {
  EXPECT_EQ(Variant::FromCurrency(12.5).AsString(), u"12.5");
  EXPECT_EQ(Variant::FromCurrency(3).AsString(), u"3");
  EXPECT_EQ(Variant::FromCurrencyUnits(-1).AsString(), u"-0.0001");
  EXPECT_EQ(Variant::FromCurrencyUnits(-1234567).AsString(), u"-123.4567");
  EXPECT_EQ(Variant::FromCurrencyUnits(std::numeric_limits<int64_t>::min()).AsString(),
            u"-922337203685477.5808");
  EXPECT_EQ(Variant::FromCurrency(0.03125).AsString(), u"0.0312");  // 312.5 units, half to even
  EXPECT_EQ(Variant::FromCurrency(0.09375).AsString(), u"0.0938");
  EXPECT_THROW(Variant::FromCurrency(1e16), EVariantError);
  EXPECT_THROW(Variant::FromCurrency(std::nan("")), EVariantError);

  EXPECT_EQ(Variant::FromDate(45000.5).AsString(), u"2023-03-15 12:00:00");
  EXPECT_EQ(Variant::FromDate(0).AsString(), u"1899-12-30");
  EXPECT_EQ(Variant::FromDate(-1.25).AsString(), u"1899-12-29 06:00:00");
  EXPECT_EQ(Variant::FromDate(36526 + 1.5 / 86400).AsString(), u"2000-01-01 00:00:01.500");
  EXPECT_EQ(Variant::FromDate(-693593).AsString(), u"0001-01-01");
  EXPECT_EQ(Variant::FromDate(2958465.75).AsString(), u"9999-12-31 18:00:00");
  EXPECT_THROW(Variant::FromDate(2958466).AsString(), EVariantError);
  EXPECT_THROW(Variant::FromDate(-693594.5).AsString(), EVariantError);
  EXPECT_THROW(Variant::FromDate(std::nan("")).AsString(), EVariantError);
}

TEST(VariantNumbers, ToDouble) {
  EXPECT_EQ(Variant().AsDouble(), 0);
  EXPECT_EQ(Variant(-7).AsDouble(), -7);
  EXPECT_EQ(Variant(0.1f).AsDouble(), static_cast<double>(0.1f));
  EXPECT_EQ(Variant(true).AsDouble(), 1);
  EXPECT_EQ(Variant::FromCurrencyUnits(125000).AsDouble(), 12.5);
  EXPECT_EQ(Variant::FromDate(45000.5).AsDouble(), 45000.5);
  EXPECT_EQ(Variant(uint64_t{1} << 63).AsDouble(), 9223372036854775808.0);
  EXPECT_EQ(Variant(u" -1.5e2 ").AsDouble(), -150);
  EXPECT_EQ(Variant(u"+12").AsDouble(), 12);
  EXPECT_EQ(Variant(u".5").AsDouble(), 0.5);
  EXPECT_EQ(Variant(u"5.").AsDouble(), 5);
  EXPECT_EQ(Variant(u"1e-999").AsDouble(), 0);
  EXPECT_EQ(Variant::FromAnsi("2.25").AsDouble(), 2.25);
  for (StringView bad : {u"", u"  ", u"abc", u"1,5", u"12x", u"1e999", u"1e", u"-", u".", u"inf",
                         u"nan", u"0x10", u"1 2", u"\u0661"}) {
    EXPECT_THROW(Variant(bad).AsDouble(), EVariantError) << ToUtf8(bad);
  }
  EXPECT_THROW(Variant::Null().AsDouble(), EVariantError);
  EXPECT_THROW(Variant::Array(0, 0).AsDouble(), EVariantError);
}

TEST(VariantNumbers, ToInt64RoundsHalvesToEven) {
  EXPECT_EQ(Variant().AsInt64(), 0);
  EXPECT_EQ(Variant(2.5).AsInt64(), 2);
  EXPECT_EQ(Variant(3.5).AsInt64(), 4);
  EXPECT_EQ(Variant(-2.5).AsInt64(), -2);
  EXPECT_EQ(Variant(-2.6).AsInt64(), -3);
  EXPECT_EQ(Variant(2.4999).AsInt64(), 2);
  EXPECT_EQ(Variant(0.5f).AsInt64(), 0);
  EXPECT_EQ(Variant::FromDate(1.5).AsInt64(), 2);
  EXPECT_EQ(Variant::FromCurrency(12.5).AsInt64(), 12);
  EXPECT_EQ(Variant::FromCurrency(13.5).AsInt64(), 14);
  EXPECT_EQ(Variant::FromCurrency(-13.5).AsInt64(), -14);
  EXPECT_EQ(Variant::FromCurrency(-13.4999).AsInt64(), -13);
  EXPECT_EQ(Variant(true).AsInt64(), 1);
  EXPECT_EQ(Variant(std::numeric_limits<int64_t>::max()).AsInt64(),
            std::numeric_limits<int64_t>::max());
  EXPECT_EQ(Variant(uint64_t{9223372036854775807U}).AsInt64(), 9223372036854775807);
  EXPECT_THROW(Variant(uint64_t{9223372036854775808U}).AsInt64(), EVariantError);
  EXPECT_EQ(Variant(u" -42 ").AsInt64(), -42);
  EXPECT_EQ(Variant(u"9223372036854775807").AsInt64(), 9223372036854775807);
  EXPECT_EQ(Variant(u"12.7").AsInt64(), 13);
  EXPECT_THROW(Variant(u"9223372036854775808").AsInt64(), EVariantError);
  EXPECT_THROW(Variant(u"1e19").AsInt64(), EVariantError);
  EXPECT_THROW(Variant(u"abc").AsInt64(), EVariantError);
  EXPECT_THROW(Variant(1e19).AsInt64(), EVariantError);
  EXPECT_THROW(Variant(std::nan("")).AsInt64(), EVariantError);
  EXPECT_THROW(Variant::Null().AsInt64(), EVariantError);
}

TEST(VariantNumbers, ToInt32ChecksTheRange) {
  EXPECT_EQ(Variant(int64_t{-2147483648LL}).AsInt32(), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Variant(uint32_t{2147483647U}).AsInt32(), 2147483647);
  EXPECT_THROW(Variant(int64_t{1} << 32).AsInt32(), EVariantError);
  EXPECT_THROW(Variant(uint32_t{2147483648U}).AsInt32(), EVariantError);
  EXPECT_THROW(Variant(u"-2147483649").AsInt32(), EVariantError);
  EXPECT_EQ(Variant(2.5).AsInt32(), 2);
}

TEST(VariantNumbers, ToBoolean) {
  EXPECT_FALSE(Variant().AsBoolean());
  EXPECT_TRUE(Variant(true).AsBoolean());
  EXPECT_TRUE(Variant(-1).AsBoolean());
  EXPECT_FALSE(Variant(uint64_t{0}).AsBoolean());
  EXPECT_TRUE(Variant(0.25).AsBoolean());
  EXPECT_TRUE(Variant::FromCurrencyUnits(1).AsBoolean());
  EXPECT_TRUE(Variant(u" TRUE ").AsBoolean());
  EXPECT_FALSE(Variant(u"fAlSe").AsBoolean());
  EXPECT_FALSE(Variant(u"0").AsBoolean());
  EXPECT_TRUE(Variant(u"2.5").AsBoolean());
  EXPECT_THROW(Variant(u"yes").AsBoolean(), EVariantError);
  EXPECT_THROW(Variant(u"").AsBoolean(), EVariantError);
  EXPECT_THROW(Variant::Null().AsBoolean(), EVariantError);
}

TEST(VariantErrors, MessagesNameTheTypesAndText) {
  try {
    (void)Variant::Null().AsDouble();
    FAIL() << "no exception";
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), u"Cannot convert a variant of type Null to Double");
  }
  try {
    (void)Variant(u"abc").AsInt64();
    FAIL() << "no exception";
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), u"Cannot convert the variant text \"abc\" to Int64");
  }
  try {
    (void)Variant::Array(0, 4)[5];
    FAIL() << "no exception";
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), u"Variant array index 5 is outside the bounds 0..4");
  }
}

TEST(VariantEquality, SameTypeAndValue) {
  EXPECT_EQ(Variant(5), Variant(5));
  EXPECT_NE(Variant(5), Variant(int64_t{5}));
  EXPECT_NE(Variant(5), Variant(5.0));
  EXPECT_NE(Variant(1.5f), Variant(1.5));
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_EQ(Variant(u"a"), Variant(String(u"a")));
  EXPECT_NE(Variant(u"a"), Variant::FromOleStr(u"a"));
  EXPECT_NE(Variant(u"a"), Variant::FromAnsi("a"));
  EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
  EXPECT_EQ(Variant::Array(1, {Variant(1)}), Variant::Array(1, {Variant(1)}));
  EXPECT_NE(Variant::Array(0, {Variant(1)}), Variant::Array(1, {Variant(1)}));
  EXPECT_NE(Variant::Array(0, {Variant(1)}), Variant::Array(0, {Variant(2)}));
  EXPECT_NE(Variant::Array(0, 0), Variant());
}

}  // namespace
}  // namespace xan
