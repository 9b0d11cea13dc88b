// The platform's variant type: a tagged value (number, text, boolean, date, currency, Null,
// Empty or a nestable one-dimensional array of variants) with OLE-numbered type codes.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// ================================================================================================
// Type codes. VarType() of a scalar is one of the codes below; an array of variants is
// varArray | varVariant (0x200C). Only the low twelve bits (code & varTypeMask) name the
// element type. The codes a Variant never holds (dispatch, error, unknown, decimal) are listed
// so that code tables can name them.

using TVarType = uint16_t;

inline constexpr TVarType varEmpty = 0x0000;     // no value yet (a default-constructed Variant)
inline constexpr TVarType varNull = 0x0001;      // the explicit "no value"
inline constexpr TVarType varSmallint = 0x0002;  // int16_t
inline constexpr TVarType varInteger = 0x0003;   // int32_t
inline constexpr TVarType varSingle = 0x0004;    // float
inline constexpr TVarType varDouble = 0x0005;    // double
inline constexpr TVarType varCurrency = 0x0006;  // fixed point, 4 decimals, 64-bit
inline constexpr TVarType varDate = 0x0007;      // days since 1899-12-30, fraction = time of day
inline constexpr TVarType varOleStr = 0x0008;    // wide (UTF-16) string of the OLE kind
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;  // bool
inline constexpr TVarType varVariant = 0x000C;  // element type of variant arrays
inline constexpr TVarType varUnknown = 0x000D;
inline constexpr TVarType varDecimal = 0x000E;
inline constexpr TVarType varShortInt = 0x0010;  // int8_t
inline constexpr TVarType varByte = 0x0011;      // uint8_t
inline constexpr TVarType varWord = 0x0012;      // uint16_t
inline constexpr TVarType varLongWord = 0x0013;  // uint32_t
inline constexpr TVarType varInt64 = 0x0014;     // int64_t
inline constexpr TVarType varUInt64 = 0x0015;    // uint64_t
inline constexpr TVarType varString = 0x0100;    // 8-bit string in the ANSI code page
inline constexpr TVarType varUString = 0x0102;   // UTF-16 string (String)
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

// The name of a type code for messages: varInteger => u"Integer", varUString => u"UString",
// varArray | varVariant => u"Array of Variant", 77 => u"type 77".
XAN_EXPORT String VarTypeAsText(TVarType code);

namespace detail {
// Any type but the character types, which a Variant never reads as numbers.
template <typename T>
concept NotCharType =
    !std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, wchar_t> &&
    !std::is_same_v<std::remove_cv_t<T>, char8_t> &&
    !std::is_same_v<std::remove_cv_t<T>, char16_t> &&
    !std::is_same_v<std::remove_cv_t<T>, char32_t>;
// The arithmetic types a Variant is made from: numbers and bool, not characters.
template <typename T>
concept VariantNumber = std::is_arithmetic_v<T> && NotCharType<T>;

// How a number is held: bool as bool, floating point as double, UInt64 as uint64_t, every other
// integer as int64_t.
template <typename T>
using NumberStorage = std::conditional_t<
    std::is_same_v<T, bool>, bool,
    std::conditional_t<
        std::is_floating_point_v<T>, double,
        std::conditional_t<std::is_unsigned_v<T> && sizeof(T) == 8, uint64_t, int64_t>>>;

// The type code of a number type, by kind, signedness and width.
template <typename T>
constexpr TVarType NumberTypeCode() noexcept {
  if constexpr (std::is_same_v<T, bool>) {
    return varBoolean;
  } else if constexpr (std::is_floating_point_v<T>) {
    return std::is_same_v<T, float> ? varSingle : varDouble;
  } else if constexpr (std::is_signed_v<T>) {
    constexpr TVarType codes[] = {varShortInt, varSmallint, 0, varInteger, 0, 0, 0, varInt64};
    return codes[sizeof(T) - 1];
  } else {
    constexpr TVarType codes[] = {varByte, varWord, 0, varLongWord, 0, 0, 0, varUInt64};
    return codes[sizeof(T) - 1];
  }
}
}  // namespace detail

// ================================================================================================
// Variant: a small value type. Copies are deep (an array copies its elements), moves are cheap.
//
// Construction:
//   Variant()            Empty            Variant::Null()             Null
//   Variant(true)        Boolean          Variant(int8_t{-1})          ShortInt
//   Variant(int16_t{1})  Smallint         Variant(5) / int32_t         Integer
//   Variant(int64_t{1})  Int64            uint8_t/uint16_t/uint32_t    Byte/Word/LongWord
//   Variant(uint64_t{1}) UInt64           Variant(1.5f)                Single
//   Variant(1.5)         Double           Variant(u"text") / String    UString
//   Variant::FromAnsi("bytes")  String (8-bit, ANSI code page)
//   Variant::FromOleStr(u"text")  OleStr      Variant::FromDate(45000.5)  Date
//   Variant::FromCurrency(12.5) / FromCurrencyUnits(125000)  Currency
//   Variant::Array(0, 4)  five Empty elements, bounds 0..4
//   Variant::Array(1, {Variant(1), Variant(u"a")})  bounds 1..2
// Narrow character types (char, char16_t, ...) and pointers other than const Char* have no
// constructor, so that neither a character nor a C string silently becomes a number or a bool.
//
// Equality: same type code and same value (5 as Integer differs from 5 as Int64 and from 5.0);
// arrays are equal when their bounds and all elements are equal; a NaN is unequal to itself.
class XAN_EXPORT Variant {
 public:
  Variant() noexcept = default;

  template <detail::VariantNumber T>
  Variant(T value) noexcept  // NOLINT(google-explicit-constructor): a value is a variant
      : FType(detail::NumberTypeCode<T>()),
        FValue(std::in_place_type<detail::NumberStorage<T>>,
               static_cast<detail::NumberStorage<T>>(value)) {}
  // A UTF-16 string (varUString). A null pointer gives the empty string.
  Variant(const Char* text);      // NOLINT(google-explicit-constructor)
  Variant(StringView text);       // NOLINT(google-explicit-constructor)
  Variant(String text) noexcept;  // NOLINT(google-explicit-constructor)
  template <detail::NotCharType T>
  Variant(T*) = delete;  // no C strings or other pointers

  // Null: the explicit "no value".
  static Variant Null() noexcept;
  // An 8-bit string (varString) holding `bytes` in the ANSI code page.
  static Variant FromAnsi(std::string_view bytes);
  // A UTF-16 string of the OLE kind (varOleStr).
  static Variant FromOleStr(StringView text);
  // A date (varDate): days since 1899-12-30, the fraction being the time of day (45000.5 is
  // 2023-03-15 12:00). Any value is stored; the text conversion checks the range.
  static Variant FromDate(double days) noexcept;
  // A currency value (varCurrency), rounded to 4 decimals, halves to even.
  // Throws EVariantError when the value is not finite or beyond +-922337203685477.5807.
  static Variant FromCurrency(double value);
  // A currency value given in units of 1/10000: 125000 is 12.5.
  static Variant FromCurrencyUnits(int64_t units) noexcept;
  // A one-dimensional array of variants with bounds lowBound..highBound, all elements Empty.
  // highBound < lowBound gives an empty array with highBound = lowBound - 1.
  static Variant Array(int32_t lowBound, int32_t highBound);
  // An array holding `elements`, the first at index lowBound. Throws EVariantError when the
  // upper bound would not fit in 32 bits.
  static Variant Array(int32_t lowBound, std::vector<Variant> elements);

  // The type code: varInteger, varUString, varArray | varVariant, ...
  TVarType VarType() const noexcept { return FType; }
  bool IsEmpty() const noexcept { return FType == varEmpty; }
  bool IsNull() const noexcept { return FType == varNull; }
  bool IsArray() const noexcept { return (FType & varArray) != 0; }

  // ----------------------------------------------------------------------------------------------
  // Arrays. LowBound/HighBound throw EVariantError for a value that is not an array. An element
  // may itself be an array, so arrays nest: v[0][2].

  int32_t LowBound() const;
  int32_t HighBound() const;
  // The elements from the lower bound on; empty for a value that is not an array.
  std::span<const Variant> Elements() const noexcept;
  // The element at `index` (between the bounds). Throws EVariantError for a value that is not
  // an array and for an index outside the bounds.
  Variant& operator[](int32_t index);
  const Variant& operator[](int32_t index) const;

  // ----------------------------------------------------------------------------------------------
  // Conversions. Numbers are read and written with "." and no grouping, whatever the locale.
  // Every conversion throws EVariantError where the value cannot convert; an array never
  // converts.

  // The value as text:
  //   Empty, Null => ""            integers => decimal: Variant(-42) => "-42"
  //   Boolean => "True" / "False"  8-bit string => converted from the ANSI code page
  //   Single, Double => the shortest text that reads back to the same value, in fixed notation
  //     for exponents -5..14, otherwise with "E", a sign and at least two exponent digits:
  //     0.1 => "0.1", 1.5f => "1.5", 100 => "100", 1e20 => "1E+20", 1.5e-7 => "1.5E-07",
  //     -0.0 => "0", NaN => "NAN", infinities => "INF" / "-INF"
  //   Currency => up to four decimals, trailing zeros dropped: 12.5 => "12.5", 3 => "3"
  //   Date => "YYYY-MM-DD", then " HH:MM:SS" when the time of day is not 0, then ".mmm" when
  //     the milliseconds are not 0: 45000.5 => "2023-03-15 12:00:00", 0 => "1899-12-30",
  //     -1.25 => "1899-12-29 06:00:00"; a date outside the years 1..9999 or not a number throws.
  String AsString() const;

  // The value as a double:
  //   Empty => 0          integers, Single, Double => the value (UInt64 may round)
  //   Boolean => 1 or 0   Currency => the value (125000 units => 12.5)   Date => the day number
  //   strings => the whole text read as a decimal number, blanks around it allowed:
  //     " -1.5e2 " => -150, "12" => 12; "", "abc", "1,5", "12x" and "1e999" throw
  //   Null throws.
  double AsDouble() const;

  // The value as a 64-bit integer:
  //   Empty => 0          integers => the value; UInt64 above 2^63 - 1 throws
  //   Boolean => 1 or 0   Single, Double, Date => rounded, halves to even: 2.5 => 2, 3.5 => 4;
  //   Currency => rounded the same way: 12.5 => 12      NaN and values out of range throw
  //   strings => an integer text exactly (" -42 " => -42, "9223372036854775807" exactly),
  //     else a number text rounded ("12.7" => 13); "", "abc" and out-of-range values throw
  //   Null throws.
  int64_t AsInt64() const;

  // As AsInt64, then limited to 32 bits: a value outside -2^31..2^31-1 throws
  // (Variant(int64_t{1} << 32).AsInt32() throws, Variant(2.5).AsInt32() => 2).
  int32_t AsInt32() const;

  // The value as a boolean:
  //   Empty => false      Boolean => the value      numbers, currency, dates => value != 0
  //   strings => "true" / "false" in any case of A-Z, blanks around allowed, or a number text
  //     (non-zero => true): " TRUE " => true, "0" => false, "2.5" => true; "yes", "" throw
  //   Null throws.
  bool AsBoolean() const;

  bool operator==(const Variant& other) const noexcept;

 private:
  struct TArrayData {
    int32_t Low = 0;
    std::vector<Variant> Items;
    friend bool operator==(const TArrayData&, const TArrayData&) = default;
  };
  // Smallint, Integer, ShortInt, Byte, Word, LongWord, Int64 and the Currency units are held
  // as int64_t; Single, Double and Date as double; both string kinds of UTF-16 as String.
  using TStorage = std::variant<std::monostate, int64_t, uint64_t, double, bool, std::string,
                                String, TArrayData>;

  Variant(TVarType type, TStorage value) noexcept : FType(type), FValue(std::move(value)) {}
  const TArrayData& ArrayData() const;

  TVarType FType = varEmpty;
  TStorage FValue;
};

}  // namespace xan
