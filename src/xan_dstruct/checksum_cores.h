// The cores behind the checksum functions: the CRC tables (made at compile time), the CRC
// registers over byte ranges in their portable and fast forms, and the incremental SHA-1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "xan/dstruct/checksums.h"

namespace xan::detail {

// ================================================================================================
// CRC tables. Table k maps a byte to the register it leaves when followed by k zero bytes, so
// that k + 1 bytes can be folded into the register with k + 1 independent look-ups.

// The CRC-16 polynomial, most significant bit first, without its x^16 term.
inline constexpr uint16_t kCrc16Poly = 0x1021;
// The CRC-32 polynomial reflected (bit 0 is the x^31 coefficient), without its x^32 term.
inline constexpr uint32_t kCrc32PolyReflected = 0xEDB88320U;

inline constexpr int kCrcSlices = 8;

using TCrc16Tables = std::array<std::array<uint16_t, 256>, kCrcSlices>;
using TCrc32Tables = std::array<std::array<uint32_t, 256>, kCrcSlices>;

constexpr TCrc16Tables MakeCrc16Tables() {
  TCrc16Tables t{};
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t r = b << 8;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x8000U) ? (r << 1) ^ kCrc16Poly : r << 1;
    t[0][b] = static_cast<uint16_t>(r);
  }
  for (int k = 1; k < kCrcSlices; ++k) {
    for (uint32_t b = 0; b < 256; ++b) {
      const uint16_t prev = t[k - 1][b];
      t[k][b] = static_cast<uint16_t>((prev << 8) ^ t[0][prev >> 8]);
    }
  }
  return t;
}

constexpr TCrc32Tables MakeCrc32Tables() {
  TCrc32Tables t{};
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t r = b;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1U) ? (r >> 1) ^ kCrc32PolyReflected : r >> 1;
    t[0][b] = r;
  }
  for (int k = 1; k < kCrcSlices; ++k) {
    for (uint32_t b = 0; b < 256; ++b) {
      const uint32_t prev = t[k - 1][b];
      t[k][b] = (prev >> 8) ^ t[0][prev & 0xFFU];
    }
  }
  return t;
}

inline constexpr TCrc16Tables kCrc16Tables = MakeCrc16Tables();
inline constexpr TCrc32Tables kCrc32Tables = MakeCrc32Tables();

// ================================================================================================
// CRC registers over byte ranges. The register is passed and returned raw: no starting value and
// no final complement are applied here.

// Each register comes in three forms: the portable one, eight bytes per step with the tables;
// one by carry-less multiplication, 64 bytes per step (crc_clmul.cpp), only for processors that
// have it (TChecksumPaths::Clmul) and the portable method elsewhere; and the fastest in use
// (see checksum_dispatch.h).

// The CRC-16 register after the n bytes at p.
uint16_t Crc16Portable(uint16_t crc, const uint8_t* p, size_t n) noexcept;
uint16_t Crc16Clmul(uint16_t crc, const uint8_t* p, size_t n) noexcept;
uint16_t Crc16Update(uint16_t crc, const uint8_t* p, size_t n) noexcept;

// The CRC-32 register after the n bytes at p.
uint32_t Crc32Portable(uint32_t crc, const uint8_t* p, size_t n) noexcept;
uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) noexcept;
// The same folded with the 512-bit carry-less multiplication (TChecksumPaths::Vpclmul), sixteen
// lanes at a time; the 128-bit folding below 256 bytes.
uint16_t Crc16Vpclmul(uint16_t crc, const uint8_t* p, size_t n) noexcept;
uint32_t Crc32Vpclmul(uint32_t crc, const uint8_t* p, size_t n) noexcept;
uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n) noexcept;

// ================================================================================================
// SHA-1

// Compresses `blocks` 64-byte blocks at p into the five state words.
void Sha1BlocksPortable(uint32_t* state, const uint8_t* p, size_t blocks) noexcept;
// The same with the SHA instructions (sha1_shani.cpp); only for processors that have them
// (TChecksumPaths::ShaNi), the portable method elsewhere.
void Sha1BlocksShaNi(uint32_t* state, const uint8_t* p, size_t blocks) noexcept;

// An incremental SHA-1: Update with the bytes in any pieces, then Final once.
class TSha1 {
 public:
  TSha1() noexcept;
  ~TSha1();
  TSha1(const TSha1&) = delete;
  TSha1& operator=(const TSha1&) = delete;

  void Update(const uint8_t* p, size_t n) noexcept;
  // The digest of everything updated so far. Clears the working state and the message buffer to
  // zeros, so that no trace of the message stays in memory; the object then starts over.
  TSHACode Final() noexcept;

 private:
  void Reset() noexcept;
  void Compress(const uint8_t* p, size_t blocks) noexcept;

  std::array<uint32_t, 5> FState{};
  uint64_t FLength = 0;  // bytes so far
  std::array<uint8_t, 64> FBuffer{};
  size_t FBuffered = 0;
  bool FShaNi = false;
};

// Overwrites n bytes with zeros in a way the compiler keeps even when they are not read again.
void SecureZero(void* p, size_t n) noexcept;

}  // namespace xan::detail
