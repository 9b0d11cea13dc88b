// Text types of the library and the conversions at its edges: UTF-16 strings, UTF-8, the
// ANSI code page (Windows-1252), 8-bit byte strings and the 255-byte ShortString.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xan/platform/export.h"

namespace xan {

// A character is one UTF-16 code unit; its "code" is the unit's value.
using Char = char16_t;
// Text: counted UTF-16, positions in the interface count from 1.
using String = std::u16string;
// Read-only text parameter.
using StringView = std::u16string_view;

// ------------------------------------------------------------------------------------------------
// UTF-8 at the edges (messages, file names handed to the host, test output)

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD; nothing is dropped.
//   u"abc" => "abc",  u"\u00e9" => "\xc3\xa9",  u"\xd800" => "\xef\xbf\xbd"
XAN_EXPORT std::string ToUtf8(StringView text);

// UTF-8 to UTF-16. Each malformed or truncated sequence, overlong form or encoded surrogate
// becomes one U+FFFD; characters above U+FFFF become surrogate pairs.
//   "abc" => u"abc",  "\xc3\xa9" => u"\u00e9",  "\xff" => u"\ufffd"
XAN_EXPORT String FromUtf8(std::string_view text);

// ------------------------------------------------------------------------------------------------
// The ANSI code page: Windows-1252. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the control characters of the same code, so every byte round-trips.

namespace detail {
// Windows-1252 bytes 0x80..0x9F; the undefined ones keep their own code.
inline constexpr std::array<Char, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};
}  // namespace detail

// The character of one ANSI byte: 0x41 => u'A', 0x80 => u'\u20ac' (euro sign), 0xE9 => u'\u00e9'.
// Inline: text readers call it for every byte.
constexpr Char AnsiToChar(uint8_t byte) noexcept {
  return byte >= 0x80 && byte < 0xA0 ? detail::kAnsiHigh[byte - 0x80] : Char{byte};
}

// The ANSI byte of a character, or `fallback` ('?' by default) for a character the code page
// cannot represent: u'\u20ac' => 0x80, u'\u0100' => '?'.
XAN_EXPORT uint8_t CharToAnsi(Char c, uint8_t fallback = '?') noexcept;

// True when the character has an ANSI byte of its own.
XAN_EXPORT bool IsAnsiChar(Char c) noexcept;

// Text in the ANSI code page to UTF-16, byte by byte.
XAN_EXPORT String AnsiToString(std::string_view bytes);

// UTF-16 to the ANSI code page, one byte per character; unrepresentable characters become '?'.
XAN_EXPORT std::string StringToAnsi(StringView text);

// ------------------------------------------------------------------------------------------------
// 8-bit byte strings: the low 8 bits of each code unit (stream text, byte strings)

// Each byte becomes the character of the same code: "\xe9" => u"\u00e9".
XAN_EXPORT String BytesToString(std::string_view bytes);

// Each character becomes its low 8 bits: u"\u0141" (0x141) => "\x41".
XAN_EXPORT std::string StringToBytes(StringView text);

// ------------------------------------------------------------------------------------------------
// ShortString: 0..255 bytes in the ANSI code page, held as a length byte and the bytes.

class XAN_EXPORT ShortString {
 public:
  static constexpr size_t MaxLength = 255;

  constexpr ShortString() noexcept = default;
  // From text: converted to the ANSI code page and cut after 255 characters.
  ShortString(StringView text);  // NOLINT(google-explicit-constructor): text converts implicitly
  // From ANSI bytes, cut after 255 bytes.
  static ShortString FromAnsi(std::string_view bytes) noexcept;

  // The text, converted from the ANSI code page.
  String ToString() const;
  operator String() const { return ToString(); }  // NOLINT(google-explicit-constructor)

  // The ANSI bytes.
  std::string_view Bytes() const noexcept {
    return {reinterpret_cast<const char*>(FData.data()), FLength};
  }
  size_t Length() const noexcept { return FLength; }
  bool Empty() const noexcept { return FLength == 0; }

  friend bool operator==(const ShortString& a, const ShortString& b) noexcept {
    return a.Bytes() == b.Bytes();
  }
  friend std::strong_ordering operator<=>(const ShortString& a, const ShortString& b) noexcept {
    return a.Bytes() <=> b.Bytes();
  }

 private:
  uint8_t FLength = 0;
  std::array<uint8_t, MaxLength> FData{};
};

}  // namespace xan
