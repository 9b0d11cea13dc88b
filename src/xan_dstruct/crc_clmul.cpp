// CRC-32 and CRC-16 by carry-less multiplication: four 16-byte lanes folded 64 bytes ahead per
// step (or, with the 512-bit instructions, sixteen lanes 256 bytes ahead), then into one lane,
// whose remainder the table method finishes. The constants are made at compile time from the
// polynomials.
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

// The constants of the distances the folding uses: 512 bits ahead for the main loop of four
// lanes and 384, 256 and 128 bits for joining them; 2048 bits ahead for the main loop of sixteen
// lanes (four 512-bit registers) and 1536 and 1024 bits for joining those registers.
struct TFoldSet {
  TFold By512, By384, By256, By128;
  TFold By2048, By1536, By1024;
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

constexpr TFoldSet kCrc32Folds{Crc32Fold(512),  Crc32Fold(384),  Crc32Fold(256), Crc32Fold(128),
                               Crc32Fold(2048), Crc32Fold(1536), Crc32Fold(1024)};
constexpr TFoldSet kCrc16Folds{Crc16Fold(512),  Crc16Fold(384),  Crc16Fold(256), Crc16Fold(128),
                               Crc16Fold(2048), Crc16Fold(1536), Crc16Fold(1024)};

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

// Folds the 16-byte lanes that follow into the lane x, then writes x to `last` in message order.
// p and n move past the bytes folded; fewer than 16 remain.
template <bool Reversed>
XAN_CLMUL void FoldTail(__m128i x, const uint8_t*& p, size_t& n, const TFoldSet& k, uint8_t* last) {
  const __m128i k128 = Constants(k.By128);
  while (n >= 16) {
    x = _mm_xor_si128(Fold(x, k128), Load<Reversed>(p));
    p += 16;
    n -= 16;
  }
  if constexpr (Reversed) x = ReverseBytes(x);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x);
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
  const __m128i x =
      _mm_xor_si128(_mm_xor_si128(Fold(x0, Constants(k.By384)), Fold(x1, Constants(k.By256))),
                    _mm_xor_si128(Fold(x2, Constants(k.By128)), x3));
  FoldTail<Reversed>(x, p, n, k, last);
}

// The same with 512-bit registers, each holding four lanes: four registers folded 256 bytes
// ahead per step, joined into one register, folded 64 bytes ahead while whole registers remain,
// and its four lanes joined into one for the 16-byte tail. Needs n >= 256.
#define XAN_VPCLMUL \
  __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,pclmul,sse4.1,ssse3")))

// (Built with set rather than the broadcast and extract intrinsics, whose headers make GCC 12
// warn about an undefined operand.)
XAN_VPCLMUL inline __m512i Constants512(TFold f) {
  const auto high = static_cast<long long>(f.High);
  const auto low = static_cast<long long>(f.Low);
  return _mm512_set_epi64(high, low, high, low, high, low, high, low);
}

XAN_VPCLMUL inline __m512i Fold512(__m512i lanes, __m512i k) {
  return _mm512_xor_si512(_mm512_clmulepi64_epi128(lanes, k, 0x00),
                          _mm512_clmulepi64_epi128(lanes, k, 0x11));
}

template <bool Reversed>
XAN_VPCLMUL inline __m512i Load512(const uint8_t* p) {
  const __m512i v = _mm512_loadu_si512(p);
  if constexpr (Reversed) {
    // Each 16-byte lane reversed: byte i of a lane takes byte 15 - i.
    const __m512i reverse = _mm512_set4_epi32(0x00010203, 0x04050607, 0x08090A0B, 0x0C0D0E0F);
    return _mm512_shuffle_epi8(v, reverse);
  } else {
    return v;
  }
}

template <bool Reversed>
XAN_VPCLMUL void FoldBytes512(const uint8_t*& p, size_t& n, __m128i start, const TFoldSet& k,
                              uint8_t* last) {
  __m512i x0 = _mm512_xor_si512(Load512<Reversed>(p), _mm512_zextsi128_si512(start));
  __m512i x1 = Load512<Reversed>(p + 64);
  __m512i x2 = Load512<Reversed>(p + 128);
  __m512i x3 = Load512<Reversed>(p + 192);
  p += 256;
  n -= 256;
  const __m512i k2048 = Constants512(k.By2048);
  while (n >= 256) {
    x0 = _mm512_xor_si512(Fold512(x0, k2048), Load512<Reversed>(p));
    x1 = _mm512_xor_si512(Fold512(x1, k2048), Load512<Reversed>(p + 64));
    x2 = _mm512_xor_si512(Fold512(x2, k2048), Load512<Reversed>(p + 128));
    x3 = _mm512_xor_si512(Fold512(x3, k2048), Load512<Reversed>(p + 192));
    p += 256;
    n -= 256;
  }
  const __m512i k512 = Constants512(k.By512);
  __m512i x = _mm512_xor_si512(
      _mm512_xor_si512(Fold512(x0, Constants512(k.By1536)), Fold512(x1, Constants512(k.By1024))),
      _mm512_xor_si512(Fold512(x2, k512), x3));
  while (n >= 64) {
    x = _mm512_xor_si512(Fold512(x, k512), Load512<Reversed>(p));
    p += 64;
    n -= 64;
  }
  // Lane 0 is the earliest in the message: it moves 384 bits ahead, lane 1 256, lane 2 128.
  alignas(64) __m128i lanes[4];
  _mm512_store_si512(lanes, x);
  const __m128i lane = _mm_xor_si128(
      _mm_xor_si128(Fold(lanes[0], Constants(k.By384)), Fold(lanes[1], Constants(k.By256))),
      _mm_xor_si128(Fold(lanes[2], Constants(k.By128)), lanes[3]));
  FoldTail<Reversed>(lane, p, n, k, last);
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

XAN_VPCLMUL uint32_t Crc32Vpclmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < 256) return Crc32Clmul(crc, p, n);
  uint8_t last[16];
  FoldBytes512<false>(p, n, _mm_cvtsi32_si128(static_cast<int>(crc)), kCrc32Folds, last);
  return Crc32Portable(Crc32Portable(0, last, sizeof last), p, n);
}

XAN_VPCLMUL uint16_t Crc16Vpclmul(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < 256) return Crc16Clmul(crc, p, n);
  uint8_t last[16];
  const __m128i start = _mm_insert_epi16(_mm_setzero_si128(), crc, 7);
  FoldBytes512<true>(p, n, start, kCrc16Folds, last);
  return Crc16Portable(Crc16Portable(0, last, sizeof last), p, n);
}

#undef XAN_CLMUL
#undef XAN_VPCLMUL

#else

uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc32Portable(crc, p, n);
}

uint16_t Crc16Clmul(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc16Portable(crc, p, n);
}

uint32_t Crc32Vpclmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc32Portable(crc, p, n);
}

uint16_t Crc16Vpclmul(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  return Crc16Portable(crc, p, n);
}

#endif

}  // namespace xan::detail
