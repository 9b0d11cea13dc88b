// ASCII85 with SSE4.1: four groups per step each way, 16 bytes to 20 digits and back, chosen at
// run time on processors that have it.
#include <array>

#include "xan_dstruct/checksum_dispatch.h"
#include "xan_dstruct/encoding_cores.h"

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

#define XAN_SSE41 __attribute__((target("sse4.1,ssse3")))

namespace {

using TMask = std::array<int8_t, 16>;

XAN_SSE41 inline __m128i LoadMask(const TMask& m) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()));
}

// ------------------------------------------------------------------------------------------------
// Encoding. Each 32-bit lane holds one group's value v. It is split as v = q * 85^2 + low and
// q = first * 85^2 + mid: q exactly by the multiply-and-shift a compiler uses for v / 7225, first
// in single precision from q + 1/2 (q < 2^20, and the error of two roundings stays far below the
// 1/(2 * 7225) that keeps (q + 1/2) / 7225 away from whole numbers). mid and low (< 85^2) share
// one register of 16-bit lanes, where x / 85 is the high half of x * 49345 shifted by 6: exact
// for x < 7225, since x * (49345 - 2^22 / 85) / 2^22 < 0.0005 never carries a remainder of at
// most 84/85 past the next whole number.

constexpr uint64_t kDiv7225Magic = 0x9121B243ULL;  // v / 7225 == (v * magic) >> 44 for 32 bits
constexpr int kDiv7225Shift = 44;
constexpr uint16_t kDiv85Magic = 49345;  // x / 85 == (x * magic) >> 22 for x < 7225

// The digit registers after the split: D0 holds `first` in the low byte of each 32-bit lane;
// D holds the bytes mid / 85 (0..3), low / 85 (4..7), mid % 85 (8..11), low % 85 (12..15), one
// per group. Digit j of group g, as a byte of the two registers (-1 for the other register).
constexpr int8_t DigitInD(int g, int j) {
  constexpr int8_t base[5] = {-1, 0, 8, 4, 12};
  return j == 0 ? int8_t{-1} : static_cast<int8_t>(base[j] + g);
}
constexpr int8_t DigitInD0(int g, int j) {
  return j == 0 ? static_cast<int8_t>(4 * g) : int8_t{-1};
}

// Shuffles that gather the output characters k = from .. from + 15 of four groups.
constexpr TMask GatherMask(int from, bool fromD0) {
  TMask m{};
  for (int k = 0; k < 16; ++k) {
    const int c = from + k;
    m[k] = fromD0 ? DigitInD0(c / 5, c % 5) : DigitInD(c / 5, c % 5);
  }
  return m;
}
constexpr TMask kGatherD0First = GatherMask(0, true);
constexpr TMask kGatherDFirst = GatherMask(0, false);
constexpr TMask kGatherD0Last = GatherMask(4, true);
constexpr TMask kGatherDLast = GatherMask(4, false);

// The 20 digits of the four big-endian groups at in, written at out (no byte after them).
XAN_SSE41 inline void EncodeStep(__m128i v, uint8_t* out) {
  const __m128i magic = _mm_set1_epi64x(static_cast<long long>(kDiv7225Magic));
  const __m128i qEven = _mm_srli_epi64(_mm_mul_epu32(v, magic), kDiv7225Shift);
  const __m128i qOdd = _mm_srli_epi64(_mm_mul_epu32(_mm_srli_epi64(v, 32), magic), kDiv7225Shift);
  const __m128i q = _mm_blend_epi16(qEven, _mm_slli_epi64(qOdd, 32), 0xCC);
  const __m128i k7225 = _mm_set1_epi32(7225);
  const __m128i low = _mm_sub_epi32(v, _mm_mullo_epi32(q, k7225));
  const __m128i first = _mm_cvttps_epi32(
      _mm_mul_ps(_mm_add_ps(_mm_cvtepi32_ps(q), _mm_set1_ps(0.5F)), _mm_set1_ps(1.0F / 7225.0F)));
  const __m128i mid = _mm_sub_epi32(q, _mm_mullo_epi32(first, k7225));
  const __m128i pairs = _mm_packus_epi32(mid, low);
  const __m128i high85 =
      _mm_srli_epi16(_mm_mulhi_epu16(pairs, _mm_set1_epi16(static_cast<short>(kDiv85Magic))), 6);
  const __m128i low85 = _mm_sub_epi16(pairs, _mm_mullo_epi16(high85, _mm_set1_epi16(85)));
  const __m128i d = _mm_packus_epi16(high85, low85);
  const __m128i bang = _mm_set1_epi8('!');
  const __m128i head = _mm_or_si128(_mm_shuffle_epi8(first, LoadMask(kGatherD0First)),
                                    _mm_shuffle_epi8(d, LoadMask(kGatherDFirst)));
  const __m128i tail = _mm_or_si128(_mm_shuffle_epi8(first, LoadMask(kGatherD0Last)),
                                    _mm_shuffle_epi8(d, LoadMask(kGatherDLast)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_add_epi8(head, bang));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_add_epi8(tail, bang));
}

// ------------------------------------------------------------------------------------------------
// Decoding

// True when all 16 characters are digits: c - 33 is at most 84 as an unsigned byte.
XAN_SSE41 inline bool AllDigits(__m128i d) {
  const __m128i top = _mm_set1_epi8(84);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(d, top), top)) == 0xFFFF;
}

}  // namespace

XAN_SSE41 uint8_t* Ascii85EncodeGroupsSse41(const uint8_t* in, size_t groups, uint8_t* out,
                                            uint32_t& counted, bool LineBreaks) noexcept {
  const __m128i bigEndian = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  while (groups >= 4) {
    // A line that ends within the next four groups, and groups of zeros, go one by one.
    const __m128i v =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), bigEndian);
    const bool anyZero = _mm_movemask_epi8(_mm_cmpeq_epi32(v, _mm_setzero_si128())) != 0;
    if (counted > 8 || anyZero) {
      out = Ascii85EncodeGroupsPortable(in, 1, out, counted, LineBreaks);
      in += 4;
      groups -= 1;
      continue;
    }
    EncodeStep(v, out);
    out += 20;
    in += 16;
    groups -= 4;
    counted += 4;
    if (counted == 12) {
      counted = 0;
      if (LineBreaks) {
        out[0] = 13;
        out[1] = 10;
        out += 2;
      }
    }
  }
  return Ascii85EncodeGroupsPortable(in, groups, out, counted, LineBreaks);
}

XAN_SSE41 size_t Ascii85DecodeGroupsSse41(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  const __m128i first = _mm_set1_epi8('!');
  size_t i = 0;
  // Characters 0..15 and 4..19 of four groups: together they cover all twenty.
  while (n - i >= 20) {
    const __m128i lo =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), first);
    const __m128i hi =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 4)), first);
    if (!AllDigits(lo) || !AllDigits(hi)) {
      // Line ends, "z" and other exceptions: the portable kernel takes what it can of these 20
      // characters, and when that is nothing, the decoder's careful path takes over.
      const size_t taken = Ascii85DecodeGroupsPortable(in + i, 20, out);
      if (taken == 0) break;
      i += taken;
      continue;
    }
    // Per group (one 32-bit lane each): its digits 0, 1, 3, 4 in one register and its digit 2 in
    // another. Group 3 (characters 15..19) sits at 11..15 of the second load.
    const __m128i outer = _mm_or_si128(
        _mm_shuffle_epi8(lo, _mm_setr_epi8(0, 1, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, -1, -1, -1, -1)),
        _mm_shuffle_epi8(
            hi, _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 11, 12, 14, 15)));
    const __m128i middle = _mm_or_si128(
        _mm_shuffle_epi8(
            lo, _mm_setr_epi8(2, -1, -1, -1, 7, -1, -1, -1, 12, -1, -1, -1, -1, -1, -1, -1)),
        _mm_shuffle_epi8(
            hi, _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 13, -1, -1, -1)));
    // The pairs d0 * 85 + d1 and d3 * 85 + d4 in the low and high word of each lane; then
    // value = (d0 * 85 + d1) * 85^3 + d2 * 85^2 + (d3 * 85 + d4), modulo 2^32.
    const __m128i pairs = _mm_maddubs_epi16(outer, _mm_set1_epi16(0x0155));
    const __m128i value = _mm_add_epi32(
        _mm_add_epi32(
            _mm_mullo_epi32(_mm_and_si128(pairs, _mm_set1_epi32(0xFFFF)), _mm_set1_epi32(614125)),
            _mm_mullo_epi32(middle, _mm_set1_epi32(7225))),
        _mm_srli_epi32(pairs, 16));
    const __m128i bigEndian = _mm_shuffle_epi8(
        value, _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bigEndian);
    out += 16;
    i += 20;
  }
  return i + Ascii85DecodeGroupsPortable(in + i, n - i, out);
}

#undef XAN_SSE41

#else

uint8_t* Ascii85EncodeGroupsSse41(const uint8_t* in, size_t groups, uint8_t* out, uint32_t& counted,
                                  bool LineBreaks) noexcept {
  return Ascii85EncodeGroupsPortable(in, groups, out, counted, LineBreaks);
}

size_t Ascii85DecodeGroupsSse41(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  return Ascii85DecodeGroupsPortable(in, n, out);
}

#endif

}  // namespace xan::detail
