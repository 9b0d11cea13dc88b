// Helpers shared by the colour unit's sources: channel packing, ties-to-even rounding that never
// overflows, truncation, the signed fraction, clamping, and the hexadecimal colour reader.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "xan/platform/strings.h"
#include "xan/platform/types.h"

namespace xan::detail {

// The colour of the low bytes of r, g and b: r + 256*g + 65536*b, top byte 0.
//   (255, 0, 0) => $0000FF,  (1, 2, 3) => $030201,  (256, 0, 0) => $000000
constexpr TColor PackRGB(int32_t r, int32_t g, int32_t b) noexcept {
  return (static_cast<TColor>(r) & 0xFFU) | ((static_cast<TColor>(g) & 0xFFU) << 8) |
         ((static_cast<TColor>(b) & 0xFFU) << 16);
}

// The nearest integer, halves to the even neighbour, independent of the floating-point unit's
// current rounding mode. NaN gives 0; values beyond the int32 range saturate.
template <typename F>
int32_t RoundEven(F x) noexcept {
  if (std::isnan(x)) return 0;
  if (x >= F(2147483647)) return std::numeric_limits<int32_t>::max();
  if (x <= F(-2147483648.0)) return std::numeric_limits<int32_t>::min();
  const F lower = std::floor(x);
  const F rest = x - lower;  // exact: x and floor(x) share their exponent range
  auto r = static_cast<int64_t>(lower);
  if (rest > F(0.5) || (rest == F(0.5) && (r & 1) != 0)) ++r;
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

// The integer part, cut toward zero; NaN gives 0 and values beyond int32 saturate.
inline int32_t TruncInt(double x) noexcept {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

// x - Trunc(x): the fraction with the sign of x.
inline double Frac(double x) noexcept {
  return x - std::trunc(x);
}

// x limited to 0..1; NaN reads as 0.
inline double Clamp01(double x) noexcept {
  if (x > 1.0) return 1.0;
  return x >= 0.0 ? x : 0.0;
}

// A channel value limited to 0..255.
inline int32_t ClampByte(int32_t x) noexcept {
  return x < 0 ? 0 : (x > 255 ? 255 : x);
}

// Reads a colour written in hexadecimal from the start of `text`: leading blanks (U+0020) are
// skipped, then one "$", then digits 0-9, A-F, a-f until the first other character, wrapping at
// 32 bits. Returns false, with `value` 0, when no digit follows.
bool ReadHexColor(StringView text, TColor& value) noexcept;

}  // namespace xan::detail
