// Vectorised scans of UTF-16 text for the regular-expression search: portable loops, SSE2 and
// AVX2 paths on x86 (eight and sixteen characters per compare), and the choice between them.
#include "xan_stringl/grep_scan.h"

#include <algorithm>
#include <atomic>

#if XAN_GREP_X86_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

namespace {

// ------------------------------------------------------------------------------------------------
// Choosing the path

std::atomic<uint8_t> pathLimit{gspAvx2};

TGrepScanPath DetectPath() noexcept {
#if XAN_GREP_X86_PATHS
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return gspAvx2;
  if (__builtin_cpu_supports("sse2")) return gspSse2;
#endif
  return gspPortable;
}

// ------------------------------------------------------------------------------------------------
// Portable loops, also the tails of the vector paths

bool Passes(Char c, const TCharProbe& p) noexcept {
  return static_cast<uint16_t>(c | p.Or) == p.Want;
}

bool InRanges(Char c, const TCharRanges& set) noexcept {
  for (int32_t i = 0; i < set.Count; ++i) {
    if (static_cast<uint16_t>(c - set.Lo[i]) <= set.Span[i]) return true;
  }
  return false;
}

size_t FindProbePairPortable(const Char* text, size_t from, size_t to, const TCharProbe& a,
                             const TCharProbe& b) noexcept {
  for (size_t x = from; x < to; ++x) {
    if (Passes(text[x + a.Offset], a) && Passes(text[x + b.Offset], b)) return x;
  }
  return to;
}

size_t FindInRangesPortable(const Char* text, size_t from, size_t to, const TCharRanges& set,
                            bool member) noexcept {
  const bool wantIn = member != set.Negated;
  for (size_t x = from; x < to; ++x) {
    if (InRanges(text[x], set) == wantIn) return x;
  }
  return to;
}

#if XAN_GREP_X86_PATHS

#define XAN_SSE2 __attribute__((target("sse2")))
#define XAN_AVX2 __attribute__((target("avx2")))

// The index of the first character whose two mask bytes are set.
inline size_t FirstChar(uint32_t bits) noexcept {
  return static_cast<size_t>(__builtin_ctz(bits)) / 2;
}

// ------------------------------------------------------------------------------------------------
// SSE2: eight characters per compare

XAN_SSE2 inline __m128i Load128(const Char* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// A probe broadcast into registers; Passes gives all ones in the characters that pass it.
struct TProbe128 {
  __m128i want;
  __m128i or_;
};

XAN_SSE2 inline TProbe128 Probe128(const TCharProbe& p) noexcept {
  return {_mm_set1_epi16(static_cast<short>(p.Want)), _mm_set1_epi16(static_cast<short>(p.Or))};
}

XAN_SSE2 inline __m128i Passes128(const Char* at, const TProbe128& p) noexcept {
  return _mm_cmpeq_epi16(_mm_or_si128(Load128(at), p.or_), p.want);
}

XAN_SSE2 inline uint32_t Mask128(__m128i m) noexcept {
  return static_cast<uint32_t>(_mm_movemask_epi8(m));
}

// One probe: four compares per step, their union tested once.
XAN_SSE2 size_t FindProbeSse2(const Char* text, size_t from, size_t to,
                              const TCharProbe& a) noexcept {
  const TProbe128 p = Probe128(a);
  const Char* pa = text + a.Offset;
  size_t x = from;
  for (; x + 32 <= to; x += 32) {
    const __m128i h0 = Passes128(pa + x, p);
    const __m128i h1 = Passes128(pa + x + 8, p);
    const __m128i h2 = Passes128(pa + x + 16, p);
    const __m128i h3 = Passes128(pa + x + 24, p);
    if (Mask128(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3))) == 0) continue;
    if (const uint32_t b = Mask128(h0)) return x + FirstChar(b);
    if (const uint32_t b = Mask128(h1)) return x + 8 + FirstChar(b);
    if (const uint32_t b = Mask128(h2)) return x + 16 + FirstChar(b);
    return x + 24 + FirstChar(Mask128(h3));
  }
  for (; x + 8 <= to; x += 8) {
    if (const uint32_t b = Mask128(Passes128(pa + x, p))) return x + FirstChar(b);
  }
  return FindProbePairPortable(text, x, to, a, a);
}

// Two probes: both must pass; two compares of each per step.
XAN_SSE2 size_t FindProbePairSse2(const Char* text, size_t from, size_t to, const TCharProbe& a,
                                  const TCharProbe& b) noexcept {
  const TProbe128 pa = Probe128(a);
  const TProbe128 pb = Probe128(b);
  const Char* ta = text + a.Offset;
  const Char* tb = text + b.Offset;
  size_t x = from;
  for (; x + 16 <= to; x += 16) {
    const __m128i h0 = _mm_and_si128(Passes128(ta + x, pa), Passes128(tb + x, pb));
    const __m128i h1 = _mm_and_si128(Passes128(ta + x + 8, pa), Passes128(tb + x + 8, pb));
    if (Mask128(_mm_or_si128(h0, h1)) == 0) continue;
    if (const uint32_t bits = Mask128(h0)) return x + FirstChar(bits);
    return x + 8 + FirstChar(Mask128(h1));
  }
  for (; x + 8 <= to; x += 8) {
    const __m128i h = _mm_and_si128(Passes128(ta + x, pa), Passes128(tb + x, pb));
    if (const uint32_t bits = Mask128(h)) return x + FirstChar(bits);
  }
  return FindProbePairPortable(text, x, to, a, b);
}

// All ones in the characters of v that lie in one of the ranges: a character is in range i when
// its distance from the low end, less the span with saturation, is 0.
XAN_SSE2 inline __m128i InRanges128(__m128i v, const __m128i* lo, const __m128i* span,
                                    int32_t count) noexcept {
  const __m128i zero = _mm_setzero_si128();
  __m128i r = zero;
  for (int32_t i = 0; i < count; ++i) {
    r = _mm_or_si128(r, _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, lo[i]), span[i]), zero));
  }
  return r;
}

XAN_SSE2 size_t FindInRangesSse2(const Char* text, size_t from, size_t to, const TCharRanges& set,
                                 bool member) noexcept {
  __m128i lo[TCharRanges::kMax];
  __m128i span[TCharRanges::kMax];
  for (int32_t i = 0; i < set.Count; ++i) {
    lo[i] = _mm_set1_epi16(static_cast<short>(set.Lo[i]));
    span[i] = _mm_set1_epi16(static_cast<short>(set.Span[i]));
  }
  // The characters looked for are those in the ranges, or those outside them: flip turns the
  // mask of the ones in them into the mask of the ones looked for.
  const bool lookIn = member != set.Negated;
  const uint32_t flip = lookIn ? 0 : 0xFFFFU;
  size_t x = from;
  for (; x + 16 <= to; x += 16) {
    const __m128i in0 = InRanges128(Load128(text + x), lo, span, set.Count);
    const __m128i in1 = InRanges128(Load128(text + x + 8), lo, span, set.Count);
    const uint32_t both = Mask128(lookIn ? _mm_or_si128(in0, in1) : _mm_and_si128(in0, in1)) ^ flip;
    if (both == 0) continue;
    if (const uint32_t b = Mask128(in0) ^ flip) return x + FirstChar(b);
    return x + 8 + FirstChar(Mask128(in1) ^ flip);
  }
  for (; x + 8 <= to; x += 8) {
    const uint32_t b = Mask128(InRanges128(Load128(text + x), lo, span, set.Count)) ^ flip;
    if (b != 0) return x + FirstChar(b);
  }
  return FindInRangesPortable(text, x, to, set, member);
}

// ------------------------------------------------------------------------------------------------
// AVX2: sixteen characters per compare

XAN_AVX2 inline __m256i Load256(const Char* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

struct TProbe256 {
  __m256i want;
  __m256i or_;
};

XAN_AVX2 inline TProbe256 Probe256(const TCharProbe& p) noexcept {
  return {_mm256_set1_epi16(static_cast<short>(p.Want)),
          _mm256_set1_epi16(static_cast<short>(p.Or))};
}

XAN_AVX2 inline __m256i Passes256(const Char* at, const TProbe256& p) noexcept {
  return _mm256_cmpeq_epi16(_mm256_or_si256(Load256(at), p.or_), p.want);
}

XAN_AVX2 inline uint32_t Mask256(__m256i m) noexcept {
  return static_cast<uint32_t>(_mm256_movemask_epi8(m));
}

XAN_AVX2 size_t FindProbeAvx2(const Char* text, size_t from, size_t to,
                              const TCharProbe& a) noexcept {
  const TProbe256 p = Probe256(a);
  const Char* pa = text + a.Offset;
  size_t x = from;
  for (; x + 64 <= to; x += 64) {
    const __m256i h0 = Passes256(pa + x, p);
    const __m256i h1 = Passes256(pa + x + 16, p);
    const __m256i h2 = Passes256(pa + x + 32, p);
    const __m256i h3 = Passes256(pa + x + 48, p);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(h0, h1), _mm256_or_si256(h2, h3));
    if (_mm256_testz_si256(any, any)) continue;
    if (const uint32_t b = Mask256(h0)) return x + FirstChar(b);
    if (const uint32_t b = Mask256(h1)) return x + 16 + FirstChar(b);
    if (const uint32_t b = Mask256(h2)) return x + 32 + FirstChar(b);
    return x + 48 + FirstChar(Mask256(h3));
  }
  for (; x + 16 <= to; x += 16) {
    if (const uint32_t b = Mask256(Passes256(pa + x, p))) return x + FirstChar(b);
  }
  return FindProbeSse2(text, x, to, a);
}

XAN_AVX2 size_t FindProbePairAvx2(const Char* text, size_t from, size_t to, const TCharProbe& a,
                                  const TCharProbe& b) noexcept {
  const TProbe256 pa = Probe256(a);
  const TProbe256 pb = Probe256(b);
  const Char* ta = text + a.Offset;
  const Char* tb = text + b.Offset;
  size_t x = from;
  for (; x + 32 <= to; x += 32) {
    const __m256i h0 = _mm256_and_si256(Passes256(ta + x, pa), Passes256(tb + x, pb));
    const __m256i h1 = _mm256_and_si256(Passes256(ta + x + 16, pa), Passes256(tb + x + 16, pb));
    const __m256i any = _mm256_or_si256(h0, h1);
    if (_mm256_testz_si256(any, any)) continue;
    if (const uint32_t bits = Mask256(h0)) return x + FirstChar(bits);
    return x + 16 + FirstChar(Mask256(h1));
  }
  for (; x + 16 <= to; x += 16) {
    const __m256i h = _mm256_and_si256(Passes256(ta + x, pa), Passes256(tb + x, pb));
    if (const uint32_t bits = Mask256(h)) return x + FirstChar(bits);
  }
  return FindProbePairSse2(text, x, to, a, b);
}

XAN_AVX2 inline __m256i InRanges256(__m256i v, const __m256i* lo, const __m256i* span,
                                    int32_t count) noexcept {
  const __m256i zero = _mm256_setzero_si256();
  __m256i r = zero;
  for (int32_t i = 0; i < count; ++i) {
    const __m256i d = _mm256_subs_epu16(_mm256_sub_epi16(v, lo[i]), span[i]);
    r = _mm256_or_si256(r, _mm256_cmpeq_epi16(d, zero));
  }
  return r;
}

XAN_AVX2 size_t FindInRangesAvx2(const Char* text, size_t from, size_t to, const TCharRanges& set,
                                 bool member) noexcept {
  __m256i lo[TCharRanges::kMax];
  __m256i span[TCharRanges::kMax];
  for (int32_t i = 0; i < set.Count; ++i) {
    lo[i] = _mm256_set1_epi16(static_cast<short>(set.Lo[i]));
    span[i] = _mm256_set1_epi16(static_cast<short>(set.Span[i]));
  }
  const bool lookIn = member != set.Negated;
  const uint32_t flip = lookIn ? 0 : 0xFFFFFFFFU;
  size_t x = from;
  for (; x + 32 <= to; x += 32) {
    const __m256i in0 = InRanges256(Load256(text + x), lo, span, set.Count);
    const __m256i in1 = InRanges256(Load256(text + x + 16), lo, span, set.Count);
    const uint32_t both =
        Mask256(lookIn ? _mm256_or_si256(in0, in1) : _mm256_and_si256(in0, in1)) ^ flip;
    if (both == 0) continue;
    if (const uint32_t b = Mask256(in0) ^ flip) return x + FirstChar(b);
    return x + 16 + FirstChar(Mask256(in1) ^ flip);
  }
  for (; x + 16 <= to; x += 16) {
    const uint32_t b = Mask256(InRanges256(Load256(text + x), lo, span, set.Count)) ^ flip;
    if (b != 0) return x + FirstChar(b);
  }
  return FindInRangesSse2(text, x, to, set, member);
}

#endif  // XAN_GREP_X86_PATHS

}  // namespace

TGrepScanPath ProcessorGrepScanPath() noexcept {
  static const TGrepScanPath path = DetectPath();
  return path;
}

TGrepScanPath ActiveGrepScanPath() noexcept {
  return std::min(ProcessorGrepScanPath(),
                  static_cast<TGrepScanPath>(pathLimit.load(std::memory_order_relaxed)));
}

void LimitGrepScanPath(TGrepScanPath Path) noexcept {
  pathLimit.store(Path, std::memory_order_relaxed);
}

TGrepScanPathScope::TGrepScanPathScope(TGrepScanPath Path) noexcept
    : FPrevious(static_cast<TGrepScanPath>(pathLimit.load(std::memory_order_relaxed))) {
  LimitGrepScanPath(Path);
}

TGrepScanPathScope::~TGrepScanPathScope() {
  LimitGrepScanPath(FPrevious);
}

size_t FindProbePair(const Char* text, size_t from, size_t to, TCharProbe a,
                     TCharProbe b) noexcept {
  if (from >= to) return to;
#if XAN_GREP_X86_PATHS
  const bool one = a.Want == b.Want && a.Or == b.Or && a.Offset == b.Offset;
  switch (ActiveGrepScanPath()) {
    case gspAvx2:
      return one ? FindProbeAvx2(text, from, to, a) : FindProbePairAvx2(text, from, to, a, b);
    case gspSse2:
      return one ? FindProbeSse2(text, from, to, a) : FindProbePairSse2(text, from, to, a, b);
    default:
      break;
  }
#endif
  return FindProbePairPortable(text, from, to, a, b);
}

size_t FindInRanges(const Char* text, size_t from, size_t to, const TCharRanges& set,
                    bool Member) noexcept {
  if (from >= to) return to;
#if XAN_GREP_X86_PATHS
  switch (ActiveGrepScanPath()) {
    case gspAvx2:
      return FindInRangesAvx2(text, from, to, set, Member);
    case gspSse2:
      return FindInRangesSse2(text, from, to, set, Member);
    default:
      break;
  }
#endif
  return FindInRangesPortable(text, from, to, set, Member);
}

}  // namespace xan::detail
