// Plain text helpers that every unit of the library shares: simple case ("A".."Z" and "a".."z"
// only, whatever the locale), blanks trimmed off a view, integers in decimal and hexadecimal.
#pragma once

#include <algorithm>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "xan/platform/strings.h"

namespace xan::detail {

// ------------------------------------------------------------------------------------------------
// Simple case, on characters, on bytes of 8-bit text and on byte values held in an int

//   'a' => 'A',  'Z' => 'Z',  u'\u00e9' => u'\u00e9',  -1 => -1
template <class C>
constexpr C SimpleUpper(C c) noexcept {
  return c >= C('a') && c <= C('z') ? static_cast<C>(c - 32) : c;
}

//   'A' => 'a',  'z' => 'z',  u'\u00c9' => u'\u00c9'
template <class C>
constexpr C SimpleLower(C c) noexcept {
  return c >= C('A') && c <= C('Z') ? static_cast<C>(c + 32) : c;
}

// The text with "A".."Z" lowered (raised by SimpleUpperText); all other characters stay.
//   u"Ab\u00c9z" => u"ab\u00c9z"
inline String SimpleLowerText(StringView Text) {
  String out(Text);
  for (Char& c : out) c = SimpleLower(c);
  return out;
}
inline String SimpleUpperText(StringView Text) {
  String out(Text);
  for (Char& c : out) c = SimpleUpper(c);
  return out;
}
inline std::string SimpleLowerText(std::string_view Bytes) {
  std::string out(Bytes);
  for (char& c : out) c = SimpleLower(c);
  return out;
}

// True when both texts are equal once "A".."Z" are lowered in each.
//   (u"TRUE", u"true") => true,  (u"\u00c9", u"\u00e9") => false
constexpr bool SimpleSameText(StringView A, StringView B) noexcept {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](Char x, Char y) {
           return SimpleLower(x) == SimpleLower(y);
         });
}

// ------------------------------------------------------------------------------------------------
// Blanks

// The view without the blanks (code 32 only) at its start and end.
//   u"  a b " => u"a b",  u"\ta " => u"\ta",  u"   " => u""
constexpr StringView TrimBlanksView(StringView Text) noexcept {
  while (!Text.empty() && Text.front() == u' ') Text.remove_prefix(1);
  while (!Text.empty() && Text.back() == u' ') Text.remove_suffix(1);
  return Text;
}

// ------------------------------------------------------------------------------------------------
// Integers in decimal: "-" for negative values, no sign otherwise, no grouping, no locale

//   0 => "0",  -42 => "-42",  INT64_MIN => "-9223372036854775808",  UINT64_MAX =>
//   "18446744073709551615"
template <std::integral I>
void AppendDecimal(String& Out, I Value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, Value).ptr;
  Out.append(buffer, end);
}

template <std::integral I>
String DecimalText(I Value) {
  String out;
  AppendDecimal(out, Value);
  return out;
}

// ------------------------------------------------------------------------------------------------
// Hexadecimal

// The value of a hexadecimal digit 0-9, A-F or a-f; -1 for any other character.
//   '7' => 7,  'b' => 11,  'F' => 15,  'g' => -1,  u'\uff10' => -1
template <class C>
constexpr int HexDigitValue(C c) noexcept {
  if (c >= C('0') && c <= C('9')) return static_cast<int>(c - C('0'));
  if (c >= C('A') && c <= C('F')) return static_cast<int>(c - C('A')) + 10;
  if (c >= C('a') && c <= C('f')) return static_cast<int>(c - C('a')) + 10;
  return -1;
}

// Appends Value as exactly 8 upper-case hexadecimal digits.
//   0x00A5FF => "0000A5FF",  0xFFFFFFFF => "FFFFFFFF"
inline void AppendHex8(String& Out, uint32_t Value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) Out += kDigits[(Value >> shift) & 0xFU];
}

// ------------------------------------------------------------------------------------------------
// Reading decimal integers

// What ReadDecimal found.
enum class TDecimalRead : uint8_t { NotANumber, Ok, OutOfRange };

// Reads the whole of Text as an optional sign ("+" or "-") and one or more digits 0-9 into
// Value, which is left unchanged unless the result is Ok. OutOfRange when the digits are fine
// but the number does not fit in T.
//   "42" => Ok 42,  "-0" => Ok 0,  "+7" => Ok 7,  "2147483648" as int32_t => OutOfRange,
//   "" => NotANumber,  "-" => NotANumber,  " 1" => NotANumber,  "99999999999x" => NotANumber
template <std::signed_integral T, class C>
constexpr TDecimalRead ReadDecimal(std::basic_string_view<C> Text, T& Value) noexcept {
  size_t i = 0;
  const bool negative = !Text.empty() && Text[0] == C('-');
  if (!Text.empty() && (negative || Text[0] == C('+'))) i = 1;
  if (i == Text.size()) return TDecimalRead::NotANumber;
  // The magnitude may reach one beyond the largest T, for the most negative one.
  const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
  uint64_t magnitude = 0;
  bool fits = true;
  for (; i < Text.size(); ++i) {
    if (Text[i] < C('0') || Text[i] > C('9')) return TDecimalRead::NotANumber;
    const auto digit = static_cast<uint64_t>(Text[i] - C('0'));
    if (magnitude > (limit - digit) / 10) fits = false;
    if (fits) magnitude = magnitude * 10 + digit;
  }
  if (!fits) return TDecimalRead::OutOfRange;
  Value = negative ? static_cast<T>(0 - magnitude) : static_cast<T>(magnitude);
  return TDecimalRead::Ok;
}

}  // namespace xan::detail
