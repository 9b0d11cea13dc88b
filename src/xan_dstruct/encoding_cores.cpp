// Base64 and ASCII85 over byte ranges: the portable kernels, the dispatch to the fast ones, and
// the encoders and decoders that carry unfinished groups and lines from one piece to the next.
#include "xan_dstruct/encoding_cores.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "xan_dstruct/checksum_dispatch.h"

namespace xan::detail {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

// Writes the eight bytes of a word, lowest first.
inline void StoreBytes8(uint64_t word, uint8_t* out) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &word, 8);
  } else {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(word >> (8 * i));
  }
}

inline uint8_t* PutLineEnd(uint8_t* out) noexcept {
  out[0] = kCR;
  out[1] = kLF;
  return out + 2;
}

inline uint8_t* PutBase64Group(const uint8_t* in, uint8_t* out) noexcept {
  const uint32_t v = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  out[0] = static_cast<uint8_t>(kBase64Alphabet[v >> 18]);
  out[1] = static_cast<uint8_t>(kBase64Alphabet[(v >> 12) & 63U]);
  out[2] = static_cast<uint8_t>(kBase64Alphabet[(v >> 6) & 63U]);
  out[3] = static_cast<uint8_t>(kBase64Alphabet[v & 63U]);
  return out + 4;
}

// The last 1 or 2 bytes of the input with their "=" padding.
uint8_t* PutBase64Tail(const uint8_t* in, size_t n, uint8_t* out) noexcept {
  const uint8_t padded[3] = {in[0], n > 1 ? in[1] : uint8_t{0}, 0};
  PutBase64Group(padded, out);
  out[3] = '=';
  if (n == 1) out[2] = '=';
  return out + 4;
}

// The bytes of a group of k = 2..4 characters, the missing ones counted as "=".
uint8_t* PutBase64Bytes(const uint8_t* g, size_t k, uint8_t* out) noexcept {
  auto digit = [&](size_t i) -> uint32_t {
    const uint8_t d = i < k ? kBase64Digits[g[i]] : kNotDigit;
    return d == kNotDigit ? 0 : d;
  };
  const uint32_t v = (digit(0) << 18) | (digit(1) << 12) | (digit(2) << 6) | digit(3);
  *out++ = static_cast<uint8_t>(v >> 16);
  if (k < 3 || g[2] == '=') return out;
  *out++ = static_cast<uint8_t>(v >> 8);
  if (k < 4 || g[3] == '=') return out;
  *out++ = static_cast<uint8_t>(v);
  return out;
}

}  // namespace

// ================================================================================================
// Base64 kernels

uint8_t* Base64EncodeGroupsPortable(const uint8_t* in, size_t groups, uint8_t* out) noexcept {
  for (; groups > 0; --groups, in += 3) out = PutBase64Group(in, out);
  return out;
}

uint8_t* Base64EncodeLinesPortable(const uint8_t* in, size_t lines, uint8_t* out) noexcept {
  for (; lines > 0; --lines, in += 45) out = PutLineEnd(Base64EncodeGroupsPortable(in, 15, out));
  return out;
}

size_t Base64DecodeGroupsPortable(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  size_t i = 0;
  while (i < n) {
    if (in[i] == kCR || in[i] == kLF) {
      ++i;
      continue;
    }
    if (n - i < 4) break;
    const uint32_t d0 = kBase64Digits[in[i]], d1 = kBase64Digits[in[i + 1]];
    const uint32_t d2 = kBase64Digits[in[i + 2]], d3 = kBase64Digits[in[i + 3]];
    if (((d0 | d1 | d2 | d3) & 0x80U) != 0) break;
    const uint32_t v = (d0 << 18) | (d1 << 12) | (d2 << 6) | d3;
    out[0] = static_cast<uint8_t>(v >> 16);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v);
    out += 3;
    i += 4;
  }
  return i;
}

uint8_t* Base64EncodeGroups(const uint8_t* in, size_t groups, uint8_t* out) noexcept {
  return ActiveChecksumPaths().Ssse3 ? Base64EncodeGroupsSsse3(in, groups, out)
                                     : Base64EncodeGroupsPortable(in, groups, out);
}

uint8_t* Base64EncodeLines(const uint8_t* in, size_t lines, uint8_t* out) noexcept {
  return ActiveChecksumPaths().Ssse3 ? Base64EncodeLinesSsse3(in, lines, out)
                                     : Base64EncodeLinesPortable(in, lines, out);
}

size_t Base64DecodeGroups(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  return ActiveChecksumPaths().Ssse3 ? Base64DecodeGroupsSsse3(in, n, out)
                                     : Base64DecodeGroupsPortable(in, n, out);
}

// ================================================================================================
// Base64 encoder

uint8_t* TBase64Encoder::EncodeUnits(const uint8_t* in, size_t units, uint8_t* out) const noexcept {
  return FLineBreaks ? Base64EncodeLines(in, units, out) : Base64EncodeGroups(in, units, out);
}

uint8_t* TBase64Encoder::Encode(const uint8_t* in, size_t n, uint8_t* out) noexcept {
  const size_t unit = Unit();
  if (FHeldLen > 0) {
    const size_t take = std::min(n, unit - FHeldLen);
    std::copy_n(in, take, FHeld.data() + FHeldLen);
    FHeldLen += take;
    in += take;
    n -= take;
    if (FHeldLen < unit) return out;
    out = EncodeUnits(FHeld.data(), 1, out);
    FHeldLen = 0;
  }
  out = EncodeUnits(in, n / unit, out);
  FHeldLen = n % unit;
  std::copy_n(in + (n - FHeldLen), FHeldLen, FHeld.data());
  return out;
}

uint8_t* TBase64Encoder::Finish(uint8_t* out) noexcept {
  if (FHeldLen == 0) return out;
  const size_t whole = FHeldLen / 3;
  out = Base64EncodeGroupsPortable(FHeld.data(), whole, out);
  if (FHeldLen % 3 != 0) out = PutBase64Tail(FHeld.data() + 3 * whole, FHeldLen % 3, out);
  if (FLineBreaks) out = PutLineEnd(out);
  FHeldLen = 0;
  return out;
}

// ================================================================================================
// Base64 decoder

uint8_t* TBase64Decoder::Decode(const uint8_t* in, size_t n, size_t& consumed,
                                uint8_t* out) noexcept {
  size_t i = 0;
  while (i < n && !FFailed) {
    if (FCount == 0) {
      i += Base64DecodeGroups(in + i, n - i, out);
      if (i == n) break;
    }
    const uint8_t c = in[i++];
    if (c == kCR || c == kLF) continue;
    if (c < '+' || c > 'z') {
      FFailed = true;
      FCount = 0;
      break;
    }
    FGroup[FCount++] = c;
    if (FCount == 4) {
      out = PutBase64Bytes(FGroup.data(), 4, out);
      FCount = 0;
    }
  }
  consumed = i;
  return out;
}

uint8_t* TBase64Decoder::Finish(uint8_t* out) noexcept {
  if (FCount >= 2) out = PutBase64Bytes(FGroup.data(), FCount, out);
  FCount = 0;
  return out;
}

// ================================================================================================
// ASCII85 encoder

namespace {

constexpr uint8_t kFirstDigit = '!';

// The value as `digits` base-85 digits, most significant first.
inline uint8_t* PutAscii85Digits(uint32_t v, size_t digits, uint8_t* out) noexcept {
  for (size_t k = digits; k > 0; --k) {
    out[k - 1] = static_cast<uint8_t>(kFirstDigit + v % 85);
    v /= 85;
  }
  return out + digits;
}

// Two base-85 digits as characters for each value below 85^2, the first in the low byte.
constexpr std::array<uint16_t, 7225> MakeAscii85Pairs() {
  std::array<uint16_t, 7225> t{};
  for (uint32_t v = 0; v < t.size(); ++v) {
    t[v] = static_cast<uint16_t>((kFirstDigit + v / 85) | (kFirstDigit + v % 85) << 8);
  }
  return t;
}
constexpr std::array<uint16_t, 7225> kAscii85Pairs = MakeAscii85Pairs();

// The five digits of a full group: the value split at 85^2 twice, the two lower parts looked up
// as pairs of digits, so that only two divisions by a constant remain. The digits are written
// with one wide store; the three bytes after them are overwritten by what follows, or lie in
// the room the encoder asks for.
inline uint8_t* PutAscii85Group(uint32_t v, uint8_t* out) noexcept {
  const uint32_t high = v / 7225, low = v % 7225;
  const uint32_t first = high / 7225, mid = high % 7225;
  StoreBytes8((kFirstDigit + uint64_t{first}) | uint64_t{kAscii85Pairs[mid]} << 8 |
                  uint64_t{kAscii85Pairs[low]} << 24,
              out);
  return out + 5;
}

}  // namespace

// ================================================================================================
// ASCII85 kernels

uint8_t* Ascii85EncodeGroupsPortable(const uint8_t* in, size_t groups, uint8_t* out,
                                     uint32_t& counted, bool LineBreaks) noexcept {
  // The counter stays in a register: every store through `out` could change it in memory.
  uint32_t c = counted;
  for (; groups > 0; --groups, in += 4) {
    const uint32_t v = (uint32_t{in[0]} << 24) | (uint32_t{in[1]} << 16) | (uint32_t{in[2]} << 8) |
                       uint32_t{in[3]};
    if (v == 0) {
      *out++ = 'z';
      continue;
    }
    out = PutAscii85Group(v, out);
    if (++c == 12) {
      c = 0;
      if (LineBreaks) out = PutLineEnd(out);
    }
  }
  counted = c;
  return out;
}

uint8_t* Ascii85EncodeGroups(const uint8_t* in, size_t groups, uint8_t* out, uint32_t& counted,
                             bool LineBreaks) noexcept {
  return ActiveChecksumPaths().Sse41
             ? Ascii85EncodeGroupsSse41(in, groups, out, counted, LineBreaks)
             : Ascii85EncodeGroupsPortable(in, groups, out, counted, LineBreaks);
}

uint8_t* TAscii85Encoder::Counted(uint8_t* out) noexcept {
  if (++FCounted == 12) {
    FCounted = 0;
    if (FLineBreaks) out = PutLineEnd(out);
  }
  return out;
}

uint8_t* TAscii85Encoder::Encode(const uint8_t* in, size_t n, uint8_t* out) noexcept {
  if (FHeldLen > 0) {
    const size_t take = std::min(n, 4 - FHeldLen);
    std::copy_n(in, take, FHeld.data() + FHeldLen);
    FHeldLen += take;
    in += take;
    n -= take;
    if (FHeldLen < 4) return out;
    FHeldLen = 0;
    return Encode(in, n, Encode(FHeld.data(), 4, out));
  }
  out = Ascii85EncodeGroups(in, n / 4, out, FCounted, FLineBreaks);
  in += n / 4 * 4;
  n %= 4;
  std::copy_n(in, n, FHeld.data());
  FHeldLen = n;
  return out;
}

uint8_t* TAscii85Encoder::Finish(uint8_t* out) noexcept {
  if (FHeldLen > 0) {
    uint32_t v = 0;
    for (size_t i = 0; i < FHeldLen; ++i) v = (v << 8) | FHeld[i];
    out = Counted(PutAscii85Digits(v, FHeldLen + 1, out));
    FHeldLen = 0;
  }
  *out++ = '~';
  *out++ = '>';
  return out;
}

// ================================================================================================
// ASCII85 decoding kernels

size_t Ascii85DecodeGroupsPortable(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  size_t i = 0;
  uint8_t* o = out;
  while (i < n) {
    const uint8_t c = in[i];
    if (c == kCR || c == kLF) {
      ++i;
      continue;
    }
    if (c == 'z') {
      std::fill_n(o, 4, uint8_t{0});
      o += 4;
      ++i;
      continue;
    }
    if (n - i < 5) break;
    const uint32_t d0 = c - uint32_t{kFirstDigit};
    const uint32_t d1 = in[i + 1] - uint32_t{kFirstDigit};
    const uint32_t d2 = in[i + 2] - uint32_t{kFirstDigit};
    const uint32_t d3 = in[i + 3] - uint32_t{kFirstDigit};
    const uint32_t d4 = in[i + 4] - uint32_t{kFirstDigit};
    if ((d0 > 84) | (d1 > 84) | (d2 > 84) | (d3 > 84) | (d4 > 84)) break;
    // Five digits may exceed 32 bits; the group keeps the low-order four bytes, which
    // arithmetic modulo 2^32 gives directly.
    const uint32_t v = d0 * 52200625U + d1 * 614125U + d2 * 7225U + d3 * 85U + d4;
    o[0] = static_cast<uint8_t>(v >> 24);
    o[1] = static_cast<uint8_t>(v >> 16);
    o[2] = static_cast<uint8_t>(v >> 8);
    o[3] = static_cast<uint8_t>(v);
    o += 4;
    i += 5;
  }
  out = o;
  return i;
}

size_t Ascii85DecodeGroups(const uint8_t* in, size_t n, uint8_t*& out) noexcept {
  return ActiveChecksumPaths().Sse41 ? Ascii85DecodeGroupsSse41(in, n, out)
                                     : Ascii85DecodeGroupsPortable(in, n, out);
}

// ================================================================================================
// ASCII85 decoder

uint8_t* TAscii85Decoder::EndGroup(uint8_t* out) noexcept {
  if (FCount >= 2) {
    for (uint32_t k = FCount - 1; k > 0; --k)
      *out++ = static_cast<uint8_t>(FValue >> (8 * (k - 1)));
  }
  FValue = 0;
  FCount = 0;
  return out;
}

uint8_t* TAscii85Decoder::Decode(const uint8_t* in, size_t n, size_t& consumed,
                                 uint8_t* out) noexcept {
  size_t i = 0;
  while (i < n && !FDone) {
    if (FCount == 0) {
      i += Ascii85DecodeGroups(in + i, n - i, out);
      if (i == n) break;
    }
    const uint8_t c = in[i++];
    if (c == kCR || c == kLF) continue;
    if (c >= '!' && c <= 'u') {
      FValue = FValue * 85 + (c - kFirstDigit);
      if (++FCount == 5) out = EndGroup(out);
    } else if (c == 'z') {
      if (FCount == 0) {
        std::fill_n(out, 4, uint8_t{0});
        out += 4;
      } else {
        FStatus = -2;
      }
    } else if (c == '~') {
      out = EndGroup(out);
      FDone = true;
    } else {
      FStatus = -1;
    }
  }
  consumed = i;
  return out;
}

uint8_t* TAscii85Decoder::Finish(uint8_t* out) noexcept {
  return EndGroup(out);
}

}  // namespace xan::detail
