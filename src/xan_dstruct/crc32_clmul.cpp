// CRC-32 by carry-less multiplication: four 16-byte lanes folded 64 bytes ahead per step, then
// into one lane, whose remainder the table method finishes. The constants are made at compile
// time from the polynomial.
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

namespace {

// How the folding works. Sixteen message bytes, loaded into a 128-bit lane, stand for a
// polynomial of degree < 128 in which bit k of the lane (bit 0 of byte 0 first) is the
// coefficient of x^(127-k): the reflected order of the register. The lane's low half is then
// H * x^64 and its high half L, each with bit j the coefficient of x^(63-j). Moving a lane D bits
// further along the message multiplies it by x^D, and modulo the polynomial P
//   (H * x^64 + L) * x^D  =  H * (x^(64+D) mod P) + L * (x^D mod P),
// a sum of two products of 64 by 32 bits that fits one lane again. A carry-less multiplication
// of two halves in this order yields their product times x^-1 (the result's bit 0 is the
// coefficient of x^126), so the constants are x^(63+D) and x^(D-1) modulo P, reflected into 64
// bits. Since the register's starting value is the same as an exclusive-or into the first four
// message bytes, the folded lanes stay congruent to the message with the register in it, and
// their last sixteen bytes, run through the table method from a zero register, give the CRC.

// The CRC-32 polynomial with its x^32 term, bit e the coefficient of x^e.
constexpr uint64_t kPoly = 0x104C11DB7ULL;

// x^n modulo P, bit e the coefficient of x^e.
constexpr uint64_t XPowModP(int n) {
  uint64_t r = 1;
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << 32)) r ^= kPoly;
  }
  return r;
}

// A polynomial of degree < 64 reflected into 64 bits: bit 63-e holds the coefficient of x^e.
constexpr uint64_t Reflect64(uint64_t v) {
  uint64_t r = 0;
  for (int e = 0; e < 64; ++e) {
    if (v & (uint64_t{1} << e)) r |= uint64_t{1} << (63 - e);
  }
  return r;
}

// The two constants that move a lane D bits along: for its low half and its high half.
struct TFold {
  uint64_t Low;
  uint64_t High;
};
constexpr TFold FoldConstants(int bits) {
  return {Reflect64(XPowModP(63 + bits)), Reflect64(XPowModP(bits - 1))};
}

constexpr TFold kFold512 = FoldConstants(512);
constexpr TFold kFold384 = FoldConstants(384);
constexpr TFold kFold256 = FoldConstants(256);
constexpr TFold kFold128 = FoldConstants(128);

__attribute__((target("pclmul,sse4.1"))) inline __m128i Constants(TFold f) {
  return _mm_set_epi64x(static_cast<long long>(f.High), static_cast<long long>(f.Low));
}

// The lane moved along by the distance the constants k stand for.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i lane, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

__attribute__((target("pclmul,sse4.1"))) uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p,
                                                             size_t n) noexcept {
  if (n < 64) return Crc32Portable(crc, p, n);
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = Load(p + 16);
  __m128i x2 = Load(p + 32);
  __m128i x3 = Load(p + 48);
  p += 64;
  n -= 64;
  const __m128i k512 = Constants(kFold512);
  while (n >= 64) {
    x0 = _mm_xor_si128(Fold(x0, k512), Load(p));
    x1 = _mm_xor_si128(Fold(x1, k512), Load(p + 16));
    x2 = _mm_xor_si128(Fold(x2, k512), Load(p + 32));
    x3 = _mm_xor_si128(Fold(x3, k512), Load(p + 48));
    p += 64;
    n -= 64;
  }
  __m128i x =
      _mm_xor_si128(_mm_xor_si128(Fold(x0, Constants(kFold384)), Fold(x1, Constants(kFold256))),
                    _mm_xor_si128(Fold(x2, Constants(kFold128)), x3));
  const __m128i k128 = Constants(kFold128);
  while (n >= 16) {
    x = _mm_xor_si128(Fold(x, k128), Load(p));
    p += 16;
    n -= 16;
  }
  alignas(16) uint8_t last[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(last), x);
  return Crc32Portable(Crc32Portable(0, last, sizeof last), p, n);
}

#else

uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc32Portable(crc, p, n);
}

#endif

}  // namespace xan::detail
