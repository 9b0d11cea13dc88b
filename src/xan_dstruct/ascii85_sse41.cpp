// ASCII85 decoding with SSE4.1: four groups of five digits to sixteen bytes per step, chosen at
// run time on processors that have it.
#include "xan_dstruct/checksum_dispatch.h"
#include "xan_dstruct/encoding_cores.h"

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

#define XAN_SSE41 __attribute__((target("sse4.1,ssse3")))

namespace {

// True when all 16 characters are digits: c - 33 is at most 84 as an unsigned byte.
XAN_SSE41 inline bool AllDigits(__m128i d) {
  const __m128i top = _mm_set1_epi8(84);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(d, top), top)) == 0xFFFF;
}

}  // namespace

XAN_SSE41 size_t Ascii85DecodeGroupsSse41(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  const __m128i first = _mm_set1_epi8('!');
  size_t i = 0;
  uint8_t* o = out;
  // Characters 0..15 and 4..19 of four groups: together they cover all twenty.
  for (; n - i >= 20; i += 20, o += 16) {
    const __m128i lo =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), first);
    const __m128i hi =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 4)), first);
    if (!AllDigits(lo) || !AllDigits(hi)) break;
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), bigEndian);
  }
  out = o;
  return i + Ascii85DecodeGroupsPortable(in + i, n - i, out);
}

#undef XAN_SSE41

#else

size_t Ascii85DecodeGroupsSse41(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  return Ascii85DecodeGroupsPortable(in, n, out);
}

#endif

}  // namespace xan::detail
