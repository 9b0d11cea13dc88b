// CRC-16, CRC-32 and SHA-1: the single table steps, the portable sliced-table and block methods,
// the dispatch to the fast paths, and the public buffer and text functions.
#include "xan/dstruct/checksums.h"

#include <algorithm>

#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"
#include "xan_dstruct/stream_blocks.h"

namespace xan {

namespace detail {

namespace {

// Little- and big-endian loads that compile to one load on hosts of the matching order.
inline uint32_t LoadLE32(const uint8_t* p) noexcept {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint32_t LoadBE32(const uint8_t* p) noexcept {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Below this many bytes the set-up of the folding costs more than it saves.
constexpr size_t kClmulMinBytes = 128;
// Likewise for the 512-bit folding, which needs four registers of 64 bytes to start.
constexpr size_t kVpclmulMinBytes = 512;

}  // namespace

// ------------------------------------------------------------------------------------------------
// CRC-16: the register's two bytes are folded into the first two message bytes of each step of
// eight, which then need only their own table each.

uint16_t Crc16Portable(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  const auto& t = kCrc16Tables;
  while (n >= 8) {
    const uint32_t b0 = p[0] ^ (crc >> 8);
    const uint32_t b1 = p[1] ^ (crc & 0xFFU);
    crc = static_cast<uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) crc = static_cast<uint16_t>(t[0][(crc >> 8) ^ *p++] ^ (crc << 8));
  return crc;
}

// ------------------------------------------------------------------------------------------------
// CRC-32: the reflected register lines up with the first four bytes of each step of eight.

uint32_t Crc32Portable(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  const auto& t = kCrc32Tables;
  while (n >= 8) {
    const uint32_t lo = LoadLE32(p) ^ crc;
    const uint32_t hi = LoadLE32(p + 4);
    crc = t[7][lo & 0xFFU] ^ t[6][(lo >> 8) & 0xFFU] ^ t[5][(lo >> 16) & 0xFFU] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFFU] ^ t[2][(hi >> 8) & 0xFFU] ^ t[1][(hi >> 16) & 0xFFU] ^ t[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n-- > 0) crc = t[0][(crc ^ *p++) & 0xFFU] ^ (crc >> 8);
  return crc;
}

uint16_t Crc16Update(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < kClmulMinBytes) return Crc16Portable(crc, p, n);
  const TChecksumPaths paths = ActiveChecksumPaths();
  if (paths.Vpclmul && n >= kVpclmulMinBytes) return Crc16Vpclmul(crc, p, n);
  if (paths.Clmul) return Crc16Clmul(crc, p, n);
  return Crc16Portable(crc, p, n);
}

uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  if (n < kClmulMinBytes) return Crc32Portable(crc, p, n);
  const TChecksumPaths paths = ActiveChecksumPaths();
  if (paths.Vpclmul && n >= kVpclmulMinBytes) return Crc32Vpclmul(crc, p, n);
  if (paths.Clmul) return Crc32Clmul(crc, p, n);
  return Crc32Portable(crc, p, n);
}

// ------------------------------------------------------------------------------------------------
// SHA-1

void Sha1BlocksPortable(uint32_t* state, const uint8_t* p, size_t blocks) noexcept {
  constexpr auto rol = [](uint32_t x, int s) { return (x << s) | (x >> (32 - s)); };
  uint32_t w[80];
  for (; blocks > 0; --blocks, p += 64) {
    for (size_t t = 0; t < 16; ++t) w[t] = LoadBE32(p + 4 * t);
    for (int t = 16; t < 80; ++t) w[t] = rol(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    auto round = [&](uint32_t f, uint32_t k, uint32_t wt) {
      const uint32_t temp = rol(a, 5) + f + e + k + wt;
      e = d;
      d = c;
      c = rol(b, 30);
      b = a;
      a = temp;
    };
    for (int t = 0; t < 20; ++t) round((b & c) | (~b & d), 0x5A827999U, w[t]);
    for (int t = 20; t < 40; ++t) round(b ^ c ^ d, 0x6ED9EBA1U, w[t]);
    for (int t = 40; t < 60; ++t) round((b & c) | (b & d) | (c & d), 0x8F1BBCDCU, w[t]);
    for (int t = 60; t < 80; ++t) round(b ^ c ^ d, 0xCA62C1D6U, w[t]);
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
  }
  SecureZero(w, sizeof w);
}

void SecureZero(void* p, size_t n) noexcept {
  volatile auto* v = static_cast<volatile uint8_t*>(p);
  while (n-- > 0) *v++ = 0;
}

TSha1::TSha1() noexcept {
  Reset();
}

TSha1::~TSha1() {
  SecureZero(FState.data(), sizeof FState);
  SecureZero(FBuffer.data(), sizeof FBuffer);
}

void TSha1::Reset() noexcept {
  FState = {0x67452301U, 0xEFCDAB89U, 0x98BADCFEU, 0x10325476U, 0xC3D2E1F0U};
  FLength = 0;
  FBuffered = 0;
  // The path is fixed for the life of one digest, so that a switch in between cannot mix them.
  FShaNi = ActiveChecksumPaths().ShaNi;
}

void TSha1::Compress(const uint8_t* p, size_t blocks) noexcept {
  if (FShaNi) {
    Sha1BlocksShaNi(FState.data(), p, blocks);
  } else {
    Sha1BlocksPortable(FState.data(), p, blocks);
  }
}

void TSha1::Update(const uint8_t* p, size_t n) noexcept {
  FLength += n;
  if (FBuffered > 0) {
    const size_t take = std::min(n, 64 - FBuffered);
    std::copy_n(p, take, FBuffer.data() + FBuffered);
    FBuffered += take;
    p += take;
    n -= take;
    if (FBuffered < 64) return;
    Compress(FBuffer.data(), 1);
    FBuffered = 0;
  }
  if (n >= 64) {
    Compress(p, n / 64);
    p += n / 64 * 64;
    n %= 64;
  }
  std::copy_n(p, n, FBuffer.data());
  FBuffered = n;
}

TSHACode TSha1::Final() noexcept {
  const uint64_t bits = FLength * 8;
  FBuffer[FBuffered++] = 0x80;
  if (FBuffered > 56) {
    std::fill(FBuffer.begin() + static_cast<ptrdiff_t>(FBuffered), FBuffer.end(), uint8_t{0});
    Compress(FBuffer.data(), 1);
    FBuffered = 0;
  }
  std::fill(FBuffer.begin() + static_cast<ptrdiff_t>(FBuffered), FBuffer.begin() + 56, uint8_t{0});
  for (int i = 0; i < 8; ++i) FBuffer[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Compress(FBuffer.data(), 1);
  TSHACode digest;
  for (int i = 0; i < 20; ++i) {
    digest[i] = static_cast<uint8_t>(FState[i / 4] >> (24 - 8 * (i % 4)));
  }
  SecureZero(FState.data(), sizeof FState);
  SecureZero(FBuffer.data(), sizeof FBuffer);
  Reset();
  return digest;
}

}  // namespace detail

// ================================================================================================
// Public functions

namespace {

// The bytes of a buffer a count may cover: the count cut to [0, size].
size_t CoveredBytes(const TBytes& buffer, int32_t NumBytes) noexcept {
  if (NumBytes <= 0) return 0;
  return std::min(buffer.size(), static_cast<size_t>(NumBytes));
}

}  // namespace

uint16_t CalcNextCRC16(uint8_t b, uint16_t crc) noexcept {
  return static_cast<uint16_t>(detail::kCrc16Tables[0][(crc >> 8) ^ b] ^ (crc << 8));
}

uint16_t CRC16ofBuffer(const TBytes& buffer, int32_t NumBytes, TCRC16Mode mode) noexcept {
  return CRC16ofBuffer(std::span(buffer.data(), CoveredBytes(buffer, NumBytes)), mode);
}

uint16_t CRC16ofBuffer(std::span<const uint8_t> bytes, TCRC16Mode mode) noexcept {
  const uint16_t start = mode == crcCCITT ? 0xFFFF : 0x0000;
  return detail::Crc16Update(start, bytes.data(), bytes.size());
}

uint16_t CalcNextCRC16(std::span<const uint8_t> bytes, uint16_t crc) noexcept {
  return detail::Crc16Update(crc, bytes.data(), bytes.size());
}

uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) noexcept {
  return detail::kCrc32Tables[0][(crc ^ b) & 0xFFU] ^ (crc >> 8);
}

uint32_t CalcNextCRC32(std::span<const uint8_t> bytes, uint32_t crc) noexcept {
  return detail::Crc32Update(crc, bytes.data(), bytes.size());
}

uint32_t CRC32ofBuffer(const TBytes& buffer, int32_t NumBytes) noexcept {
  return CRC32ofBuffer(std::span(buffer.data(), CoveredBytes(buffer, NumBytes)));
}

uint32_t CRC32ofBuffer(std::span<const uint8_t> bytes) noexcept {
  return ~detail::Crc32Update(0xFFFFFFFFU, bytes.data(), bytes.size());
}

uint32_t CalcCRC32ofFile(StringView FileName) noexcept {
  try {
    TFileStream file(FileName, fmOpenRead | fmShareCompat);
    detail::TStreamBlocks blocks(file);
    uint32_t crc = 0xFFFFFFFFU;
    for (auto block = blocks.Next(); !block.empty(); block = blocks.Next()) {
      crc = detail::Crc32Update(crc, block.data(), block.size());
    }
    return ~crc;
  } catch (...) {
    // Any failure, of the host or of memory, is the documented result 0.
    return 0;
  }
}

TSHACode SHA1FromStream(TStream& AStream) {
  detail::TSha1 sha;
  detail::TStreamBlocks blocks(AStream);
  for (auto block = blocks.Next(); !block.empty(); block = blocks.Next()) {
    sha.Update(block.data(), block.size());
  }
  return sha.Final();
}

TSHACode SHA1FromFile(StringView FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareCompat);
  return SHA1FromStream(file);
}

TSHACode SHA1FromBuffer(std::span<const uint8_t> bytes) noexcept {
  detail::TSha1 sha;
  sha.Update(bytes.data(), bytes.size());
  return sha.Final();
}

TSHACode SHA1FromString(StringView text) noexcept {
  // The storage is taken low byte first whatever the host's byte order, so that digests stored
  // on one machine compare equal on another.
  detail::TSha1 sha;
  uint8_t chunk[512];
  size_t used = 0;
  for (const Char c : text) {
    chunk[used++] = static_cast<uint8_t>(c & 0xFFU);
    chunk[used++] = static_cast<uint8_t>(c >> 8);
    if (used == sizeof chunk) {
      sha.Update(chunk, used);
      used = 0;
    }
  }
  sha.Update(chunk, used);
  detail::SecureZero(chunk, sizeof chunk);
  return sha.Final();
}

String SHA1DigestToHex(const TSHACode& digest) {
  constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String hex(40, u'0');
  for (size_t i = 0; i < digest.size(); ++i) {
    hex[2 * i] = kHex[digest[i] >> 4];
    hex[2 * i + 1] = kHex[digest[i] & 0xFU];
  }
  return hex;
}

}  // namespace xan
