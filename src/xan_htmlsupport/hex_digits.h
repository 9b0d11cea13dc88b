// Hexadecimal digits of the HTML unit: the value of a digit character, for the percent-escapes
// of URLs and the "&#xHH;" character references.
#pragma once

#include "xan/platform/strings.h"

namespace xan::html_detail {

// 0..15 for "0".."9", "A".."F" and "a".."f"; -1 for any other character.
constexpr int HexValue(Char c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace xan::html_detail
