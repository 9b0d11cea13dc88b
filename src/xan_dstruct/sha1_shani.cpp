// SHA-1 blocks with the processor's SHA instructions: four rounds per instruction, the message
// schedule four words at a time, chosen at run time on processors that have them.
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"

#include <utility>

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

namespace {

// The instructions keep A, B, C, D in one register with A in the highest lane, E alone in the
// highest lane of another, and the message words of a group of four rounds with the first word
// in the highest lane.
struct TShaRegs {
  __m128i Abcd;
  __m128i E;         // the E term of the next group, added to its message words
  __m128i Previous;  // Abcd before the last group: its A becomes the E four rounds later
  __m128i W[4];      // message words of groups g - 3 .. g, held at index g % 4
};

// Group G of the 20 groups of four rounds: its message words (from group 4 on made from the four
// groups before), its E term, and the rounds, with the function and constant of round 4 * G.
template <int G>
__attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline void Group(TShaRegs& r) {
  if constexpr (G >= 4) {
    __m128i& w = r.W[G % 4];
    w = _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(w, r.W[(G + 1) % 4]), r.W[(G + 2) % 4]),
                           r.W[(G + 3) % 4]);
  }
  const __m128i e =
      G == 0 ? _mm_add_epi32(r.E, r.W[0]) : _mm_sha1nexte_epu32(r.Previous, r.W[G % 4]);
  r.Previous = r.Abcd;
  r.Abcd = _mm_sha1rnds4_epu32(r.Abcd, e, G / 5);
}

template <int... G>
__attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline void AllGroups(
    TShaRegs& r, std::integer_sequence<int, G...>) {
  (Group<G>(r), ...);
}

}  // namespace

__attribute__((target("sha,sse4.1,ssse3"))) void Sha1BlocksShaNi(uint32_t* state, const uint8_t* p,
                                                                 size_t blocks) noexcept {
  // Reverses the 16 bytes: each big-endian word turns around and the first lands highest.
  const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  TShaRegs r;
  r.Abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
  for (; blocks > 0; --blocks, p += 64) {
    const __m128i abcdBefore = r.Abcd;
    for (size_t i = 0; i < 4; ++i) {
      r.W[i] =
          _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), reverse);
    }
    r.E = e;
    AllGroups(r, std::make_integer_sequence<int, 20>{});
    // E after the 80 rounds is A of four rounds before, rotated: sha1nexte adds it to the old E.
    e = _mm_sha1nexte_epu32(r.Previous, e);
    r.Abcd = _mm_add_epi32(r.Abcd, abcdBefore);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(r.Abcd, 0x1B));
  state[4] = static_cast<uint32_t>(_mm_extract_epi32(e, 3));
}

#else

void Sha1BlocksShaNi(uint32_t* state, const uint8_t* p, size_t blocks) noexcept {
  Sha1BlocksPortable(state, p, blocks);
}

#endif

}  // namespace xan::detail
