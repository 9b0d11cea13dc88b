// CRC-32 and CRC-16 by carry-less multiplication: four 16-byte lanes folded 64 bytes ahead per
// step, then into one lane, whose remainder the table method finishes. The constants are made at
// compile time from the polynomials.
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

namespace {

// How the folding works. Sixteen message bytes stand for a polynomial of degree < 128, the first
// bit of the first byte its x^127 coefficient. Moving such a lane D bits further along the
// message multiplies it by x^D, and modulo the CRC polynomial P, with the lane split into halves
// H * x^64 + L,
//   (H * x^64 + L) * x^D  =  H * (x^(64+D) mod P) + L * (x^D mod P),
// two carry-less products of 64 bits by at most 32 that fit one lane again. The starting
// register is the same as an exclusive-or into the first message bytes, so the folded lanes stay
// congruent to the message with the register in it; their last sixteen bytes, run through the
// table method from a zero register, give the CRC's register.
//
// CRC-16 is not reflected: the lane is loaded byte-reversed, so that bit k of the 128-bit number
// is the coefficient of x^k, H is the high half and the products come out in the same order.
// CRC-32 is reflected: loaded as it is, bit k is the coefficient of x^(127-k), H is the low half,
// and a product of two halves comes out as the product times x^-1 (its bit 0 is the x^126
// coefficient), so its constants are x^(63+D) and x^(D-1) modulo P, reflected into 64 bits.

// x^n modulo the polynomial `poly` of degree `width` (with its leading term), bit e the
// coefficient of x^e.
constexpr uint64_t XPowMod(int n, uint64_t poly, int width) {
  uint64_t r = 1;
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << width)) r ^= poly;
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

// The two halves of a folding constant register: the low half multiplies the lane's low half,
// the high half its high half.
struct TFold {
  uint64_t Low;
  uint64_t High;
};

// The constants of the four distances the folding uses, 512 bits ahead for the main loop and
// 384, 256 and 128 bits for joining the lanes.
struct TFoldSet {
  TFold By512, By384, By256, By128;
};

constexpr uint64_t kCrc32Poly = 0x104C11DB7ULL;
constexpr uint64_t kCrc16Poly = 0x11021ULL;

constexpr TFold Crc32Fold(int bits) {
  return {Reflect64(XPowMod(63 + bits, kCrc32Poly, 32)),
          Reflect64(XPowMod(bits - 1, kCrc32Poly, 32))};
}
constexpr TFold Crc16Fold(int bits) {
  return {XPowMod(bits, kCrc16Poly, 16), XPowMod(64 + bits, kCrc16Poly, 16)};
}

constexpr TFoldSet kCrc32Folds{Crc32Fold(512), Crc32Fold(384), Crc32Fold(256), Crc32Fold(128)};
constexpr TFoldSet kCrc16Folds{Crc16Fold(512), Crc16Fold(384), Crc16Fold(256), Crc16Fold(128)};

#define XAN_CLMUL __attribute__((target("pclmul,sse4.1,ssse3")))

XAN_CLMUL inline __m128i Constants(TFold f) {
  return _mm_set_epi64x(static_cast<long long>(f.High), static_cast<long long>(f.Low));
}

XAN_CLMUL inline __m128i Fold(__m128i lane, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11));
}

XAN_CLMUL inline __m128i ReverseBytes(__m128i v) {
  return _mm_shuffle_epi8(v, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}

template <bool Reversed>
XAN_CLMUL inline __m128i Load(const uint8_t* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  if constexpr (Reversed) {
    return ReverseBytes(v);
  } else {
    return v;
  }
}

// Folds the n >= 64 bytes at p, with `start` (the register, placed over the first bytes) added
// to the first lane, down to the last 16 bytes' worth, written to `last` in message order.
// p and n move past the bytes folded; fewer than 16 remain.
template <bool Reversed>
XAN_CLMUL void FoldBytes(const uint8_t*& p, size_t& n, __m128i start, const TFoldSet& k,
                         uint8_t* last) {
  __m128i x0 = _mm_xor_si128(Load<Reversed>(p), start);
  __m128i x1 = Load<Reversed>(p + 16);
  __m128i x2 = Load<Reversed>(p + 32);
  __m128i x3 = Load<Reversed>(p + 48);
  p += 64;
  n -= 64;
  const __m128i k512 = Constants(k.By512);
  while (n >= 64) {
    x0 = _mm_xor_si128(Fold(x0, k512), Load<Reversed>(p));
    x1 = _mm_xor_si128(Fold(x1, k512), Load<Reversed>(p + 16));
    x2 = _mm_xor_si128(Fold(x2, k512), Load<Reversed>(p + 32));
    x3 = _mm_xor_si128(Fold(x3, k512), Load<Reversed>(p + 48));
    p += 64;
    n -= 64;
  }
  __m128i x =
      _mm_xor_si128(_mm_xor_si128(Fold(x0, Constants(k.By384)), Fold(x1, Constants(k.By256))),
                    _mm_xor_si128(Fold(x2, Constants(k.By128)), x3));
  const __m128i k128 = Constants(k.By128);
  while (n >= 16) {
    x = _mm_xor_si128(Fold(x, k128), Load<Reversed>(p));
    p += 16;
    n -= 16;
  }
  if constexpr (Reversed) x = ReverseBytes(x);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x);
}

}  // namespace

XAN_CLMUL uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < 64) return Crc32Portable(crc, p, n);
  uint8_t last[16];
  // The reflected register lines up with the first four bytes, low byte first.
  FoldBytes<false>(p, n, _mm_cvtsi32_si128(static_cast<int>(crc)), kCrc32Folds, last);
  return Crc32Portable(Crc32Portable(0, last, sizeof last), p, n);
}

XAN_CLMUL uint16_t Crc16Clmul(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < 64) return Crc16Portable(crc, p, n);
  uint8_t last[16];
  // The register lines up with the first two bytes, which the reversal puts highest.
  const __m128i start = _mm_insert_epi16(_mm_setzero_si128(), crc, 7);
  FoldBytes<true>(p, n, start, kCrc16Folds, last);
  return Crc16Portable(Crc16Portable(0, last, sizeof last), p, n);
}

#undef XAN_CLMUL

#else

uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc32Portable(crc, p, n);
}

uint16_t Crc16Clmul(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc16Portable(crc, p, n);
}

#endif

}  // namespace xan::detail
