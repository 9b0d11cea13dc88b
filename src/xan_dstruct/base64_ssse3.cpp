// Base64 with byte shuffles: 12 bytes to 16 characters and back per step, the look-up tables
// made at compile time from the alphabet, chosen at run time on processors with SSSE3.
#include <cstring>

#include "xan_dstruct/checksum_dispatch.h"
#include "xan_dstruct/encoding_cores.h"

#if XAN_X86_FAST_PATHS
#include <immintrin.h>
#endif

namespace xan::detail {

#if XAN_X86_FAST_PATHS

namespace {

using TLut = std::array<int8_t, 16>;

// ------------------------------------------------------------------------------------------------
// Encoding: digit values 0..63 become characters by adding an offset that depends only on the
// range the value falls in: 0..25, 26..51, each of 52..63 alone. The range is found with a
// saturating subtraction of 51 (0 for 0..51, 1..12 above) and a comparison that moves 0..25 to 13.

constexpr uint8_t EncodeRange(size_t digit) {
  return digit < 26 ? 13 : digit <= 51 ? 0 : static_cast<uint8_t>(digit - 51);
}

constexpr TLut MakeEncodeOffsets() {
  TLut lut{};
  std::array<bool, 16> seen{};
  for (size_t d = 0; d < 64; ++d) {
    const auto offset = static_cast<int8_t>(kBase64Alphabet[d] - static_cast<int>(d));
    const uint8_t r = EncodeRange(d);
    // A range whose characters need different offsets makes this an invalid constant expression.
    if (seen[r] && lut[r] != offset) throw "the alphabet does not fit the ranges";
    seen[r] = true;
    lut[r] = offset;
  }
  return lut;
}
constexpr TLut kEncodeOffsets = MakeEncodeOffsets();

// ------------------------------------------------------------------------------------------------
// Decoding: a character is a digit when its low nibble lies in the set of low nibbles that its
// high nibble allows. High nibbles that allow the same set form a class with one bit; the low
// nibble table holds, for each low nibble, the bits of the classes that do not allow it. So the
// character is bad exactly when the two look-ups share a bit. Every digit of one high nibble
// needs the same offset to its value, except "/", which shares its high nibble with "+" and is
// sent to the unused entry 1 instead.

constexpr bool IsStandardDigit(int c) {
  return kBase64Alphabet.find(static_cast<char>(c)) != std::string_view::npos;
}

struct TNibbleClasses {
  TLut Low{};
  TLut High{};
};

constexpr TNibbleClasses MakeNibbleClasses() {
  std::array<uint16_t, 16> allowed{};  // per high nibble: a bit per allowed low nibble
  for (int c = 0; c < 128; ++c) {
    if (IsStandardDigit(c))
      allowed[c >> 4] = static_cast<uint16_t>(allowed[c >> 4] | 1U << (c & 15));
  }
  std::array<uint16_t, 8> classes{};
  int count = 0;
  TNibbleClasses t;
  for (int h = 0; h < 16; ++h) {
    int k = 0;
    while (k < count && classes[k] != allowed[h]) ++k;
    if (k == count) {
      if (count == 8) throw "more than eight classes of high nibbles";
      classes[count++] = allowed[h];
    }
    t.High[h] = static_cast<int8_t>(1U << k);
  }
  for (int l = 0; l < 16; ++l) {
    uint32_t bits = 0;
    for (int k = 0; k < count; ++k) {
      if ((classes[k] & (1U << l)) == 0) bits |= 1U << k;
    }
    t.Low[l] = static_cast<int8_t>(bits);
  }
  return t;
}
constexpr TNibbleClasses kNibbleClasses = MakeNibbleClasses();

constexpr int kSlashEntry = 1;

constexpr TLut MakeDecodeOffsets() {
  TLut lut{};
  std::array<bool, 16> seen{};
  for (int c = 0; c < 128; ++c) {
    if (!IsStandardDigit(c)) continue;
    const int entry = c == '/' ? kSlashEntry : c >> 4;
    const auto offset =
        static_cast<int8_t>(static_cast<int>(kBase64Alphabet.find(static_cast<char>(c))) - c);
    if (seen[entry] && lut[entry] != offset) throw "digits of one high nibble need one offset";
    seen[entry] = true;
    lut[entry] = offset;
  }
  return lut;
}
constexpr TLut kDecodeOffsets = MakeDecodeOffsets();
static_assert('/' >> 4 == kSlashEntry + 1, "the slash entry is reached by subtracting one");

#define XAN_SSSE3 __attribute__((target("ssse3")))

XAN_SSSE3 inline __m128i LoadLut(const TLut& lut) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lut.data()));
}

// The 16 characters of the first 12 of the 16 bytes at in.
XAN_SSSE3 inline __m128i EncodeStep(const uint8_t* in, __m128i offsets) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  // Each 32-bit lane gets the bytes b1 b0 b2 b1 of its group b0 b1 b2, so that its low 16-bit word
  // is b0:b1 and its high word b1:b2, and every digit can be cut out of one of them.
  v = _mm_shuffle_epi8(v, _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10));
  // Digits 0 and 2: the top six bits of the low word and bits 6..11 of the high word, moved to
  // the bottom of their words by the high half of a multiplication.
  const __m128i d02 =
      _mm_mulhi_epu16(_mm_and_si128(v, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
  // Digits 1 and 3: bits 4..9 of the low word and 0..5 of the high word, moved to the high byte
  // of their words by the low half of a multiplication.
  const __m128i d13 =
      _mm_mullo_epi16(_mm_and_si128(v, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
  const __m128i digits = _mm_or_si128(d02, d13);
  __m128i range = _mm_subs_epu8(digits, _mm_set1_epi8(51));
  const __m128i low = _mm_cmpgt_epi8(_mm_set1_epi8(26), digits);
  range = _mm_or_si128(range, _mm_and_si128(low, _mm_set1_epi8(13)));
  return _mm_add_epi8(digits, _mm_shuffle_epi8(offsets, range));
}

XAN_SSSE3 inline void Store16(uint8_t* out, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
}

}  // namespace

XAN_SSSE3 uint8_t* Base64EncodeGroupsSsse3(const uint8_t* in, size_t groups,
                                           uint8_t* out) noexcept {
  const __m128i offsets = LoadLut(kEncodeOffsets);
  // Each step reads 16 bytes and uses 12.
  for (; groups >= 6; groups -= 4, in += 12, out += 16) Store16(out, EncodeStep(in, offsets));
  return Base64EncodeGroupsPortable(in, groups, out);
}

XAN_SSSE3 uint8_t* Base64EncodeLinesSsse3(const uint8_t* in, size_t lines, uint8_t* out) noexcept {
  const __m128i offsets = LoadLut(kEncodeOffsets);
  for (; lines > 0; --lines, in += 45) {
    if (lines > 1) {
      // Four steps cover 48 bytes (reading 52, within the next line) and write 64 characters; the
      // line end and the next line overwrite the last four.
      for (size_t s = 0; s < 4; ++s) Store16(out + 16 * s, EncodeStep(in + 12 * s, offsets));
      out += 60;
    } else {
      for (size_t s = 0; s < 3; ++s) Store16(out + 16 * s, EncodeStep(in + 12 * s, offsets));
      out = Base64EncodeGroupsPortable(in + 36, 3, out + 48);
    }
    out[0] = 13;
    out[1] = 10;
    out += 2;
  }
  return out;
}

XAN_SSSE3 size_t Base64DecodeGroupsSsse3(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  const __m128i lowClasses = LoadLut(kNibbleClasses.Low);
  const __m128i highClasses = LoadLut(kNibbleClasses.High);
  const __m128i offsets = LoadLut(kDecodeOffsets);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  size_t i = 0;
  while (n - i >= 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i high = _mm_and_si128(_mm_srli_epi32(s, 4), nibble);
    const __m128i low = _mm_and_si128(s, nibble);
    const __m128i bad =
        _mm_and_si128(_mm_shuffle_epi8(lowClasses, low), _mm_shuffle_epi8(highClasses, high));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bad, _mm_setzero_si128())) != 0xFFFF) {
      // Line ends and other exceptions: the portable kernel takes what it can of these 16
      // characters, and when that is nothing, the decoder's careful path takes over.
      const size_t taken = Base64DecodeGroupsPortable(in + i, 16, out);
      if (taken == 0) break;
      i += taken;
      continue;
    }
    // "/" compares equal (-1) and so takes the entry before its high nibble's.
    const __m128i entry = _mm_add_epi8(high, _mm_cmpeq_epi8(s, _mm_set1_epi8('/')));
    const __m128i digits = _mm_add_epi8(s, _mm_shuffle_epi8(offsets, entry));
    // Four 6-bit digits per 32-bit lane into 24 bits: pairs into 12-bit words, words into lanes.
    const __m128i pairs = _mm_maddubs_epi16(digits, _mm_set1_epi32(0x01400140));
    const __m128i lanes = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
    const __m128i bytes = _mm_shuffle_epi8(
        lanes, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    const auto last = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 8)));
    std::memcpy(out + 8, &last, 4);
    out += 12;
    i += 16;
  }
  return i + Base64DecodeGroupsPortable(in + i, n - i, out);
}

#undef XAN_SSSE3

#else

uint8_t* Base64EncodeGroupsSsse3(const uint8_t* in, size_t groups, uint8_t* out) noexcept {
  return Base64EncodeGroupsPortable(in, groups, out);
}
uint8_t* Base64EncodeLinesSsse3(const uint8_t* in, size_t lines, uint8_t* out) noexcept {
  return Base64EncodeLinesPortable(in, lines, out);
}
size_t Base64DecodeGroupsSsse3(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  return Base64DecodeGroupsPortable(in, n, out);
}

#endif

}  // namespace xan::detail
