// Simple case of the string unit: only "A".."Z" and "a".."z" change, whatever the locale.
// Shared by the search, count, replace and trim functions that ignore case this way.
#pragma once

#include "xan/platform/strings.h"

namespace xan {

constexpr Char SimpleUpper(Char c) noexcept {
  return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c;
}

constexpr Char SimpleLower(Char c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c;
}

// The text with "A".."Z" lowered: the folded form in which simple case-insensitive searches run.
inline String SimpleLowerText(StringView text) {
  String out(text);
  for (Char& c : out) c = SimpleLower(c);
  return out;
}

}  // namespace xan
