// Text conversions of the platform layer: UTF-8, the ANSI code page (Windows-1252) and
// 8-bit byte strings.
#include "xan/platform/strings.h"

#include "host_names.h"

#include <algorithm>

namespace xan {

namespace {

constexpr Char kReplacement = 0xFFFD;

// Returns the ANSI byte of c, or -1 when the code page has none.
int AnsiByteOf(Char c) noexcept {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (size_t i = 0; i < detail::kAnsiHigh.size(); ++i) {
    if (detail::kAnsiHigh[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

namespace {

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD, or with Escaped the byte it stands for
// (U+DC80..U+DCFF, see Utf8ToUtf16) or its own three-byte form, so that nothing is lost.
std::string Utf16ToUtf8(StringView text, bool Escaped) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (Escaped && c >= 0xDC80 && c <= 0xDCFF) {
        out += static_cast<char>(c - 0xDC00);
        continue;
      }
      if (!Escaped) c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// UTF-8 to UTF-16. A byte that does not begin a valid sequence becomes U+FFFD together with
// the valid prefix it starts, or with Escaped each such byte b alone becomes U+DC00 + b.
String Utf8ToUtf16(std::string_view text, bool Escaped) {
  String out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const auto b0 = static_cast<uint8_t>(text[i]);
    if (b0 < 0x80) {
      out += static_cast<Char>(b0);
      ++i;
      continue;
    }
    size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4, cp = b0 & 0x07, min = 0x10000;
    }
    // Consume the lead byte and as many continuation bytes as belong to a valid prefix.
    size_t used = 1;
    bool ok = len != 0;
    while (ok && used < len) {
      if (i + used >= n) {
        ok = false;
        break;
      }
      const auto b = static_cast<uint8_t>(text[i + used]);
      if ((b & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
      ++used;
      // Reject overlong forms, surrogates and values above U+10FFFF as soon as they show.
      if (used == 2 && len == 3 && ((b0 == 0xE0 && b < 0xA0) || (b0 == 0xED && b >= 0xA0))) {
        ok = false;
        --used;
      } else if (used == 2 && len == 4 && ((b0 == 0xF0 && b < 0x90) || (b0 == 0xF4 && b >= 0x90))) {
        ok = false;
        --used;
      }
    }
    if (!ok || cp < min || cp > 0x10FFFF) {
      if (Escaped) {
        out += static_cast<Char>(0xDC00 + b0);
        ++i;
        continue;
      }
      out += kReplacement;
      i += std::max<size_t>(used, 1);
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<Char>(0xD800 + (cp >> 10));
      out += static_cast<Char>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<Char>(cp);
    }
    i += len;
  }
  return out;
}

}  // namespace

std::string ToUtf8(StringView text) {
  return Utf16ToUtf8(text, false);
}

String FromUtf8(std::string_view text) {
  return Utf8ToUtf16(text, false);
}

std::string EncodeHostName(StringView name) {
  return Utf16ToUtf8(name, true);
}

String DecodeHostName(std::string_view bytes) {
  return Utf8ToUtf16(bytes, true);
}

uint8_t CharToAnsi(Char c, uint8_t fallback) noexcept {
  const int b = AnsiByteOf(c);
  return b < 0 ? fallback : static_cast<uint8_t>(b);
}

bool IsAnsiChar(Char c) noexcept {
  return AnsiByteOf(c) >= 0;
}

#if !defined(_WIN32)
// The POSIX hosts have no code page 1252 of their own: the table serves.
String AnsiToString(std::string_view bytes) {
  String out(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), out.begin(),
                 [](char b) { return AnsiToChar(static_cast<uint8_t>(b)); });
  return out;
}

std::string StringToAnsi(StringView text) {
  std::string out(text.size(), '\0');
  std::transform(text.begin(), text.end(), out.begin(),
                 [](Char c) { return static_cast<char>(CharToAnsi(c)); });
  return out;
}
#endif

String BytesToString(std::string_view bytes) {
  String out(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), out.begin(),
                 [](char b) { return static_cast<Char>(static_cast<uint8_t>(b)); });
  return out;
}

std::string StringToBytes(StringView text) {
  std::string out(text.size(), '\0');
  std::transform(text.begin(), text.end(), out.begin(),
                 [](Char c) { return static_cast<char>(c & 0xFF); });
  return out;
}

ShortString::ShortString(StringView text) {
  FLength = static_cast<uint8_t>(std::min(text.size(), MaxLength));
  for (size_t i = 0; i < FLength; ++i) FData[i] = CharToAnsi(text[i]);
}

ShortString ShortString::FromAnsi(std::string_view bytes) noexcept {
  ShortString s;
  s.FLength = static_cast<uint8_t>(std::min(bytes.size(), MaxLength));
  std::copy_n(reinterpret_cast<const uint8_t*>(bytes.data()), s.FLength, s.FData.begin());
  return s;
}

String ShortString::ToString() const {
  return AnsiToString(Bytes());
}

}  // namespace xan

#if defined(_WIN32)
#include "win32/ansi.inc"
#endif
