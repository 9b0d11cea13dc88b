// Exact floor division of a product that may not fit 64 bits, (a * b + c) / d, for the canvas's
// clipping of lines and edges whose coordinates reach far outside the raster.
#pragma once

#include <cstdint>

namespace xan::detail {

// The portable form: a 128-bit magnitude in two 64-bit halves, multiplied and divided by plain
// schoolbook steps. Used where the compiler has no 128-bit integer, and by the tests as a check.
struct TWideU {
  uint64_t Hi = 0;
  uint64_t Lo = 0;
};

inline TWideU WideMul(uint64_t a, uint64_t b) noexcept {
  const uint64_t a0 = a & 0xFFFFFFFFU, a1 = a >> 32, b0 = b & 0xFFFFFFFFU, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFU) + (p10 & 0xFFFFFFFFU);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFFU)};
}

inline TWideU WideAdd(TWideU a, uint64_t b) noexcept {
  const uint64_t lo = a.Lo + b;
  return {a.Hi + (lo < a.Lo ? 1 : 0), lo};
}

inline TWideU WideSub(TWideU a, uint64_t b) noexcept {
  return {a.Hi - (a.Lo < b ? 1 : 0), a.Lo - b};
}

// a / d and a % d for d > 0, the quotient assumed to fit 64 bits (Hi < d).
inline uint64_t WideDiv(TWideU a, uint64_t d, uint64_t& rem) noexcept {
  uint64_t q = 0, r = a.Hi;
  for (int bit = 63; bit >= 0; --bit) {
    const bool carry = (r >> 63) != 0;
    r = (r << 1) | ((a.Lo >> bit) & 1U);
    q <<= 1;
    if (carry || r >= d) {
      r -= d;
      q |= 1;
    }
  }
  rem = r;
  return q;
}

// floor((a * b + c) / d) and the remainder (in 0..d-1), without 128-bit integers; a, b >= 0,
// |a * b + c| < 2^127, d > 0, and a quotient within 64 bits.
inline int64_t FloorMulAddDivPortable(int64_t a, int64_t b, int64_t c, int64_t d,
                                      int64_t& rem) noexcept {
  TWideU p = WideMul(static_cast<uint64_t>(a), static_cast<uint64_t>(b));
  bool negative = false;
  if (c >= 0) {
    p = WideAdd(p, static_cast<uint64_t>(c));
  } else {
    const uint64_t m = static_cast<uint64_t>(-(c + 1)) + 1;  // |c| without overflow
    if (p.Hi == 0 && p.Lo < m) {
      p = {0, m - p.Lo};
      negative = true;
    } else {
      p = WideSub(p, m);
    }
  }
  uint64_t r = 0;
  const uint64_t q = WideDiv(p, static_cast<uint64_t>(d), r);
  if (!negative) {
    rem = static_cast<int64_t>(r);
    return static_cast<int64_t>(q);
  }
  rem = r != 0 ? d - static_cast<int64_t>(r) : 0;
  return -static_cast<int64_t>(q) - (r != 0 ? 1 : 0);
}

// floor((a * b + c) / d) and the remainder (in 0..d-1); a, b >= 0, d > 0, the exact value and
// the quotient as above.
inline int64_t FloorMulAddDiv(int64_t a, int64_t b, int64_t c, int64_t d, int64_t& rem) noexcept {
#if defined(__SIZEOF_INT128__)
  __extension__ using Wide = __int128;
  const Wide n = static_cast<Wide>(a) * b + c;
  Wide q = n / d;
  if (n % d != 0 && n < 0) --q;
  rem = static_cast<int64_t>(n - q * d);
  return static_cast<int64_t>(q);
#else
  return FloorMulAddDivPortable(a, b, c, d, rem);
#endif
}

inline int64_t FloorMulAddDiv(int64_t a, int64_t b, int64_t c, int64_t d) noexcept {
  int64_t rem = 0;
  return FloorMulAddDiv(a, b, c, d, rem);
}

// floor(n / d) and ceil(n / d) for d > 0.
constexpr int64_t FloorDiv(int64_t n, int64_t d) noexcept {
  const int64_t q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}
constexpr int64_t CeilDiv(int64_t n, int64_t d) noexcept {
  const int64_t q = n / d;
  return (n % d != 0 && n > 0) ? q + 1 : q;
}

}  // namespace xan::detail
