// The 10-byte x87 extended layout of stream values, to and from long double: a plain copy where
// long double is that format, arithmetic on the fields on any other host.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace xan::streams_detail {

using TExtendedBytes = std::array<uint8_t, 10>;

inline constexpr int kExtBias = 16383;
inline constexpr uint64_t kExtIntegerBit = uint64_t{1} << 63;

// True where long double is the x87 format itself, stored little-endian.
inline constexpr bool kLongDoubleIsX87 = std::numeric_limits<long double>::digits == 64 &&
                                         std::numeric_limits<long double>::max_exponent == 16384 &&
                                         std::endian::native == std::endian::little;

inline TExtendedBytes PackExtended(bool Negative, uint16_t Exponent, uint64_t Significand) {
  TExtendedBytes b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(Significand >> (8 * i));
  const uint16_t top = static_cast<uint16_t>((Negative ? 0x8000 : 0) | (Exponent & 0x7FFF));
  b[8] = static_cast<uint8_t>(top);
  b[9] = static_cast<uint8_t>(top >> 8);
  return b;
}

// The layout of V built from its sign, exponent and significand, for any binary floating type
// with at most 64 significand bits (wider ones are cut toward zero). NaNs become the quiet NaN
// with the sign of V.
template <class T>
TExtendedBytes EncodeExtendedFields(T V) {
  const bool negative = std::signbit(V);
  if (std::isnan(V)) return PackExtended(negative, 0x7FFF, kExtIntegerBit | (kExtIntegerBit >> 1));
  if (std::isinf(V)) return PackExtended(negative, 0x7FFF, kExtIntegerBit);
  if (V == 0) return PackExtended(negative, 0, 0);
  int e = 0;
  const T m = std::frexp(std::fabs(V), &e);  // |V| = m * 2^e, m in [0.5, 1)
  auto significand = static_cast<uint64_t>(std::ldexp(m, 64));
  int biased = e - 1 + kExtBias;
  if (biased >= 0x7FFF) return PackExtended(negative, 0x7FFF, kExtIntegerBit);
  if (biased <= 0) {  // below the normal range: a denormal with exponent field 0
    const int shift = 1 - biased;
    significand = shift >= 64 ? 0 : significand >> shift;
    biased = 0;
  }
  return PackExtended(negative, static_cast<uint16_t>(biased), significand);
}

// The value of the layout in type T, rounded to T's precision and range. An unnormal (exponent
// not 0 and integer bit clear) and a pseudo-infinity are invalid operands of the format and read
// as NaN.
template <class T>
T DecodeExtendedFields(const TExtendedBytes& B) {
  uint64_t significand = 0;
  for (int i = 7; i >= 0; --i) significand = (significand << 8) | B[i];
  const auto top = static_cast<uint16_t>(B[8] | (B[9] << 8));
  const bool negative = (top & 0x8000) != 0;
  const int exponent = top & 0x7FFF;
  T value = 0;
  if (exponent == 0x7FFF) {
    value = significand == kExtIntegerBit ? std::numeric_limits<T>::infinity()
                                          : std::numeric_limits<T>::quiet_NaN();
  } else if (exponent != 0 && (significand & kExtIntegerBit) == 0) {
    value = std::numeric_limits<T>::quiet_NaN();
  } else {
    const int scale = (exponent == 0 ? 1 : exponent) - kExtBias - 63;
    value = std::ldexp(static_cast<T>(significand), scale);
  }
  return negative ? -value : value;
}

inline TExtendedBytes EncodeExtended(long double V) {
  if constexpr (kLongDoubleIsX87) {
    TExtendedBytes b{};
    std::memcpy(b.data(), &V, b.size());
    return b;
  } else {
    return EncodeExtendedFields(V);
  }
}

inline long double DecodeExtended(const TExtendedBytes& B) {
  if constexpr (kLongDoubleIsX87) {
    long double v = 0;  // the padding bytes beyond the ten stay zero
    std::memcpy(&v, B.data(), B.size());
    return v;
  } else {
    return DecodeExtendedFields<long double>(B);
  }
}

}  // namespace xan::streams_detail
