// CRC-16, CRC-32 and SHA-1: the catalogued parameters recomputed bit by bit, every table entry,
// the published check values and digests, and every fast path against its portable twin.
#include "xan/dstruct/checksums.h"

#if defined(_WIN32)
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "../platform/temp_dir.h"
#include "../xan_streams/test_streams.h"
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"

namespace xan {
namespace {

using detail::ActiveChecksumPaths;
using detail::ProcessorChecksumPaths;
using detail::TPortableChecksumsScope;

TBytes Bytes(std::string_view s) {
  return TBytes(s.begin(), s.end());
}

TBytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  TBytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// ------------------------------------------------------------------------------------------------
// A CRC computed one bit at a time from its catalogue parameters, the reference for everything
// below.

struct TCrcModel {
  int Width;
  uint64_t Poly;
  uint64_t Init;
  bool RefIn;
  bool RefOut;
  uint64_t XorOut;
  uint64_t Check;
};

uint64_t Reflect(uint64_t v, int bits) {
  uint64_t r = 0;
  for (int i = 0; i < bits; ++i) {
    if (v & (uint64_t{1} << i)) r |= uint64_t{1} << (bits - 1 - i);
  }
  return r;
}

// The register of the model after the bytes, before RefOut and XorOut.
uint64_t BitwiseRegister(const TCrcModel& m, uint64_t reg, const uint8_t* p, size_t n) {
  const uint64_t top = uint64_t{1} << (m.Width - 1);
  const uint64_t mask = (top << 1) - 1;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t byte = m.RefIn ? Reflect(p[i], 8) : p[i];
    for (int bit = 7; bit >= 0; --bit) {
      const bool in = ((byte >> bit) & 1U) != 0;
      const bool out = (reg & top) != 0;
      reg = (reg << 1) & mask;
      if (in != out) reg ^= m.Poly;
    }
  }
  return reg;
}

uint64_t BitwiseCrc(const TCrcModel& m, const uint8_t* p, size_t n) {
  const uint64_t reg = BitwiseRegister(m, m.Init, p, n);
  return (m.RefOut ? Reflect(reg, m.Width) : reg) ^ m.XorOut;
}

// The parameter tables of the header.
constexpr TCrcModel kXModem{16, 0x1021, 0x0000, false, false, 0x0000, 0x31C3};
constexpr TCrcModel kCcittFalse{16, 0x1021, 0xFFFF, false, false, 0x0000, 0x29B1};
constexpr TCrcModel kCrc32{32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF, 0xCBF43926};

const TBytes kCheckInput = Bytes("123456789");

TEST(CrcModels, CatalogueCheckValuesFollowFromTheParameters) {
  for (const TCrcModel& m : {kXModem, kCcittFalse, kCrc32}) {
    EXPECT_EQ(BitwiseCrc(m, kCheckInput.data(), kCheckInput.size()), m.Check) << m.Width;
  }
}

TEST(CrcModels, FunctionsGiveTheCatalogueCheckValues) {
  EXPECT_EQ(CRC16ofBuffer(kCheckInput, 9, crcZModem), 0x31C3);
  EXPECT_EQ(CRC16ofBuffer(kCheckInput, 9, crcCCITT), 0x29B1);
  EXPECT_EQ(CRC32ofBuffer(kCheckInput, 9), 0xCBF43926U);
}

TEST(CrcModels, FunctionsFollowTheModelsForEveryLength) {
  const TBytes data = RandomBytes(300, 1);
  for (int32_t n = 0; n <= 300; ++n) {
    EXPECT_EQ(CRC16ofBuffer(data, n, crcZModem), BitwiseCrc(kXModem, data.data(), n)) << n;
    EXPECT_EQ(CRC16ofBuffer(data, n, crcCCITT), BitwiseCrc(kCcittFalse, data.data(), n)) << n;
    EXPECT_EQ(CRC32ofBuffer(data, n), BitwiseCrc(kCrc32, data.data(), n)) << n;
  }
}

// ------------------------------------------------------------------------------------------------
// Tables: entry b of slice k is the raw register that byte b followed by k zero bytes leaves,
// starting from zero. For the reflected CRC-32 the register is kept reflected.

TEST(CrcTables, EveryCrc16EntryRecomputedBitByBit) {
  const TCrcModel raw{16, 0x1021, 0, false, false, 0, 0};
  for (int k = 0; k < detail::kCrcSlices; ++k) {
    for (int b = 0; b < 256; ++b) {
      std::vector<uint8_t> msg(1 + k, 0);
      msg[0] = static_cast<uint8_t>(b);
      ASSERT_EQ(detail::kCrc16Tables[k][b], BitwiseRegister(raw, 0, msg.data(), msg.size()))
          << "slice " << k << " byte " << b;
    }
  }
}

TEST(CrcTables, EveryCrc32EntryRecomputedBitByBit) {
  const TCrcModel raw{32, 0x04C11DB7, 0, true, true, 0, 0};
  for (int k = 0; k < detail::kCrcSlices; ++k) {
    for (int b = 0; b < 256; ++b) {
      std::vector<uint8_t> msg(1 + k, 0);
      msg[0] = static_cast<uint8_t>(b);
      ASSERT_EQ(detail::kCrc32Tables[k][b],
                Reflect(BitwiseRegister(raw, 0, msg.data(), msg.size()), 32))
          << "slice " << k << " byte " << b;
    }
  }
}

TEST(CrcSteps, SingleStepsAreOneByteOfTheModel) {
  const TCrcModel raw16{16, 0x1021, 0, false, false, 0, 0};
  const TCrcModel raw32{32, 0x04C11DB7, 0, true, true, 0, 0};
  for (const uint32_t reg : {0x00000000U, 0xFFFFFFFFU, 0x12345678U, 0x8000FFFFU, 0xCAFEBABEU}) {
    for (int b = 0; b < 256; ++b) {
      const uint8_t byte = static_cast<uint8_t>(b);
      const auto reg16 = static_cast<uint16_t>(reg);
      ASSERT_EQ(CalcNextCRC16(byte, reg16), BitwiseRegister(raw16, reg16, &byte, 1));
      ASSERT_EQ(CalcNextCRC32(byte, reg),
                Reflect(BitwiseRegister(raw32, Reflect(reg, 32), &byte, 1), 32));
    }
  }
  EXPECT_EQ(CalcNextCRC16(0x31, 0x0000), 0x2672);
  EXPECT_EQ(CalcNextCRC16(0x31, 0xFFFF), 0xC782);
  EXPECT_EQ(CalcNextCRC32(0x31, 0xFFFFFFFFU), 0x7C231048U);
}

TEST(CrcSteps, BufferFunctionsAreTheStepsFromTheirStartingValues) {
  const TBytes data = RandomBytes(77, 2);
  uint16_t z = 0, c = 0xFFFF;
  uint32_t r = 0xFFFFFFFFU;
  for (uint8_t b : data) {
    z = CalcNextCRC16(b, z);
    c = CalcNextCRC16(b, c);
    r = CalcNextCRC32(b, r);
  }
  EXPECT_EQ(CRC16ofBuffer(data, 77, crcZModem), z);
  EXPECT_EQ(CRC16ofBuffer(data, 77, crcCCITT), c);
  EXPECT_EQ(CRC32ofBuffer(data, 77), ~r);
}

// The register carried from piece to piece: random splits of random bytes, pieces of every size
// up to past the folding thresholds and empty ones included, give the whole buffer's CRCs, on
// the fast paths and on the portable ones.
TEST(CrcSteps, PiecesFedInOrderGiveTheWholeBuffersCrc) {
  const TBytes data = RandomBytes(300000, 6);
  std::mt19937 rng(7);
  for (const bool portable : {false, true}) {
    std::optional<TPortableChecksumsScope> scope;
    if (portable) scope.emplace();
    for (int split = 0; split < 40; ++split) {
      const size_t total = rng() % data.size();
      const std::span<const uint8_t> whole(data.data(), total);
      const size_t largest = split % 2 == 0 ? 64 : 70000;
      uint16_t z = 0x0000, c = 0xFFFF;
      uint32_t r = 0xFFFFFFFFU;
      for (size_t at = 0; at < total;) {
        const size_t n = std::min<size_t>(rng() % (largest + 1), total - at);
        const std::span<const uint8_t> piece = whole.subspan(at, n);
        z = CalcNextCRC16(piece, z);
        c = CalcNextCRC16(piece, c);
        r = CalcNextCRC32(piece, r);
        at += n;
      }
      ASSERT_EQ(z, CRC16ofBuffer(whole, crcZModem)) << total << " split " << split;
      ASSERT_EQ(c, CRC16ofBuffer(whole, crcCCITT)) << total << " split " << split;
      ASSERT_EQ(~r, CRC32ofBuffer(whole)) << total << " split " << split;
    }
  }
  const std::span<const uint8_t> digits(kCheckInput.data(), kCheckInput.size());
  EXPECT_EQ(~CalcNextCRC32(digits.subspan(4), CalcNextCRC32(digits.first(4), 0xFFFFFFFFU)),
            0xCBF43926U);
  EXPECT_EQ(CalcNextCRC16(digits.subspan(5), CalcNextCRC16(digits.first(5), 0)), 0x31C3);
  EXPECT_EQ(CalcNextCRC16(std::span<const uint8_t>(), 0x1234), 0x1234);
  EXPECT_EQ(CalcNextCRC32(std::span<const uint8_t>(), 0x12345678U), 0x12345678U);
}

TEST(CrcBuffers, EmptyAndOutOfRangeCounts) {
  EXPECT_EQ(CRC16ofBuffer({}, 0, crcZModem), 0x0000);
  EXPECT_EQ(CRC16ofBuffer({}, 0, crcCCITT), 0xFFFF);
  EXPECT_EQ(CRC32ofBuffer({}, 0), 0U);
  // A count beyond the buffer covers the buffer; a negative count covers nothing.
  EXPECT_EQ(CRC32ofBuffer(kCheckInput, 1000), 0xCBF43926U);
  EXPECT_EQ(CRC16ofBuffer(kCheckInput, 1000, crcCCITT), 0x29B1);
  EXPECT_EQ(CRC32ofBuffer(kCheckInput, -5), 0U);
  EXPECT_EQ(CRC16ofBuffer(kCheckInput, -1, crcCCITT), 0xFFFF);
  // Only the counted bytes take part.
  EXPECT_EQ(CRC32ofBuffer(Bytes("123456789xyz"), 9), 0xCBF43926U);
  EXPECT_EQ(CRC16ofBuffer(Bytes("123456789xyz"), 9, crcZModem), 0x31C3);
}

TEST(CrcBuffers, SpansOfAnyLengthGiveTheBufferValues) {
  const TBytes data = RandomBytes(1000, 5);
  for (size_t n : {0U, 1U, 9U, 999U, 1000U}) {
    const std::span<const uint8_t> bytes(data.data(), n);
    const auto count = static_cast<int32_t>(n);
    EXPECT_EQ(CRC32ofBuffer(bytes), CRC32ofBuffer(data, count));
    EXPECT_EQ(CRC16ofBuffer(bytes, crcCCITT), CRC16ofBuffer(data, count, crcCCITT));
    TStringStream stream(std::string_view(reinterpret_cast<const char*>(data.data()), n));
    EXPECT_EQ(SHA1FromBuffer(bytes), SHA1FromStream(stream));
  }
}

// 3 GiB of zeros with marked bytes on both sides of 2 GiB and at the end show that no length is
// cut to 31 or 32 bits; the whole is compared with the same bytes taken in 1 GiB pieces. The
// memory comes in huge pages where the host offers them: page faults are slow in some virtual
// machines.
TEST(CrcBuffers, SpansBeyondTwoGigabytes) {
  constexpr size_t kSize = size_t{3} << 30;
  constexpr size_t kHuge = size_t{2} << 20;
#if defined(_WIN32)
  void* map = ::VirtualAlloc(nullptr, kSize + kHuge, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (map == nullptr) GTEST_SKIP() << "the host gives no 3 GiB of memory";
#else
  void* map = ::mmap(nullptr, kSize + kHuge, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (map == MAP_FAILED) GTEST_SKIP() << "the host gives no 3 GiB of memory";
#endif
  auto* bytes = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(map) + kHuge - 1) &
                                           ~uintptr_t{kHuge - 1});
#if !defined(_WIN32)
  ::madvise(bytes, kSize, MADV_HUGEPAGE);
#endif
  for (size_t at = 0; at < kSize; at += 4096) bytes[at] = 0;
  for (size_t at : {size_t{0}, (size_t{1} << 31) - 1, size_t{1} << 31, kSize - 1}) bytes[at] = 0xA5;
  const std::span<const uint8_t> all(bytes, kSize);
  uint32_t crc32 = 0xFFFFFFFFU;
  uint16_t crc16 = 0xFFFF;
  for (size_t at = 0; at < kSize; at += size_t{1} << 30) {
    crc32 = detail::Crc32Update(crc32, bytes + at, size_t{1} << 30);
    crc16 = detail::Crc16Update(crc16, bytes + at, size_t{1} << 30);
  }
  EXPECT_EQ(CRC32ofBuffer(all), ~crc32);
  EXPECT_EQ(CRC16ofBuffer(all, crcCCITT), crc16);
  EXPECT_NE(CRC32ofBuffer(all), CRC32ofBuffer(all.first(size_t{1} << 31)));
  // SHA-1 is slower: just past 2 GiB is enough to cross the signed 32-bit limit.
  const auto sha1Part = all.first((size_t{1} << 31) + 4096);
  detail::TSha1 sha;
  sha.Update(sha1Part.data(), size_t{1} << 30);
  sha.Update(sha1Part.data() + (size_t{1} << 30), sha1Part.size() - (size_t{1} << 30));
  EXPECT_EQ(SHA1FromBuffer(sha1Part), sha.Final());
#if defined(_WIN32)
  ::VirtualFree(map, 0, MEM_RELEASE);
#else
  ::munmap(map, kSize + kHuge);
#endif
}

// ------------------------------------------------------------------------------------------------
// Fast paths against their portable twins: every length 0..300 at every start offset 0..15, and
// large buffers with odd lengths.

TEST(CrcFastPaths, FoldingEqualsTheTables) {
  if (!ProcessorChecksumPaths().Clmul) GTEST_SKIP() << "no carry-less multiplication";
  const TBytes data = RandomBytes(300 + 16, 3);
  for (size_t start = 0; start < 16; ++start) {
    for (size_t n = 0; start + n <= data.size() && n <= 300; ++n) {
      const uint8_t* p = data.data() + start;
      for (uint32_t reg : {0xFFFFFFFFU, 0U, 0x9ABCDEF0U}) {
        ASSERT_EQ(detail::Crc32Clmul(reg, p, n), detail::Crc32Portable(reg, p, n))
            << "start " << start << " length " << n;
        const auto reg16 = static_cast<uint16_t>(reg);
        ASSERT_EQ(detail::Crc16Clmul(reg16, p, n), detail::Crc16Portable(reg16, p, n))
            << "start " << start << " length " << n;
      }
    }
  }
  for (size_t n : {size_t{1} << 20, (size_t{1} << 20) + 13, size_t{3000017}}) {
    const TBytes big = RandomBytes(n + 1, static_cast<uint32_t>(n));
    EXPECT_EQ(detail::Crc32Clmul(0xFFFFFFFFU, big.data() + 1, n),
              detail::Crc32Portable(0xFFFFFFFFU, big.data() + 1, n));
    EXPECT_EQ(detail::Crc16Clmul(0xFFFF, big.data() + 1, n),
              detail::Crc16Portable(0xFFFF, big.data() + 1, n));
  }
}

TEST(CrcFastPaths, WideFoldingEqualsTheTables) {
  if (!ProcessorChecksumPaths().Vpclmul) GTEST_SKIP() << "no 512-bit carry-less multiplication";
  // Lengths through the 256-byte main loop, the 64-byte loop and the 16-byte tail, at every
  // start offset within a register.
  const TBytes data = RandomBytes(1100 + 64, 4);
  for (size_t start = 0; start < 64; start += 7) {
    for (size_t n = 0; n <= 1100; ++n) {
      const uint8_t* p = data.data() + start;
      for (uint32_t reg : {0xFFFFFFFFU, 0x12345678U}) {
        ASSERT_EQ(detail::Crc32Vpclmul(reg, p, n), detail::Crc32Portable(reg, p, n))
            << "start " << start << " length " << n;
        const auto reg16 = static_cast<uint16_t>(reg);
        ASSERT_EQ(detail::Crc16Vpclmul(reg16, p, n), detail::Crc16Portable(reg16, p, n))
            << "start " << start << " length " << n;
      }
    }
  }
  for (size_t n : {size_t{1} << 20, (size_t{1} << 20) + 77, size_t{3000017}}) {
    const TBytes big = RandomBytes(n + 1, static_cast<uint32_t>(n));
    EXPECT_EQ(detail::Crc32Vpclmul(0xFFFFFFFFU, big.data() + 1, n),
              detail::Crc32Portable(0xFFFFFFFFU, big.data() + 1, n));
    EXPECT_EQ(detail::Crc16Vpclmul(0xFFFF, big.data() + 1, n),
              detail::Crc16Portable(0xFFFF, big.data() + 1, n));
  }
}

TEST(CrcFastPaths, ForcedPortableGivesTheSameCrcs) {
  const TBytes big = RandomBytes(1000003, 4);
  const auto n = static_cast<int32_t>(big.size());
  const uint32_t fast32 = CRC32ofBuffer(big, n);
  const uint16_t fast16 = CRC16ofBuffer(big, n, crcCCITT);
  {
    TPortableChecksumsScope portable;
    EXPECT_FALSE(ActiveChecksumPaths().Clmul);
    EXPECT_EQ(CRC32ofBuffer(big, n), fast32);
    EXPECT_EQ(CRC16ofBuffer(big, n, crcCCITT), fast16);
  }
  EXPECT_EQ(ActiveChecksumPaths().Clmul, ProcessorChecksumPaths().Clmul);
  // All zeros and all ones: long runs that leave the folded lanes in special states.
  for (uint8_t fill : {uint8_t{0}, uint8_t{0xFF}}) {
    const TBytes same(100000, fill);
    const uint32_t with32 = CRC32ofBuffer(same, 100000);
    const uint16_t with16 = CRC16ofBuffer(same, 100000, crcZModem);
    TPortableChecksumsScope portable;
    EXPECT_EQ(CRC32ofBuffer(same, 100000), with32);
    EXPECT_EQ(CRC16ofBuffer(same, 100000, crcZModem), with16);
  }
}

// ------------------------------------------------------------------------------------------------
// SHA-1

std::string Hex(const TSHACode& d) {
  return ToUtf8(SHA1DigestToHex(d));
}

std::string Sha1Hex(std::string_view s) {
  detail::TSha1 sha;
  sha.Update(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  return Hex(sha.Final());
}

TEST(Sha1, PublishedDigests) {
  EXPECT_EQ(Sha1Hex(""), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(Sha1Hex("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
  EXPECT_EQ(Sha1Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                    "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "A49B2446A02C645BF419F995B67091253A04A259");
  EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST(Sha1, PaddingBoundaries) {
  // Lengths around one and two blocks, where the length field moves to an extra block.
  const std::map<size_t, std::string> expected = {
      {55, "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
      {56, "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
      {63, "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"},
      {64, "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
      {65, "11655326C708D70319BE2610E8A57D9A5B959D3B"},
      {119, "EE971065AAA017E0632A8CA6C77BB3BF8B1DFC56"},
      {120, "F34C1488385346A55709BA056DDD08280DD4C6D6"},
  };
  for (const auto& [n, hex] : expected) EXPECT_EQ(Sha1Hex(std::string(n, 'a')), hex) << n;
}

TEST(Sha1, PiecesGiveTheDigestOfTheWhole) {
  const TBytes data = RandomBytes(5000, 5);
  detail::TSha1 whole;
  whole.Update(data.data(), data.size());
  const TSHACode expected = whole.Final();
  std::mt19937 rng(6);
  for (int trial = 0; trial < 20; ++trial) {
    detail::TSha1 sha;
    size_t pos = 0;
    while (pos < data.size()) {
      const size_t n = std::min<size_t>(rng() % 150, data.size() - pos);
      sha.Update(data.data() + pos, n);
      pos += n;
    }
    EXPECT_EQ(sha.Final(), expected);
  }
}

TEST(Sha1, FinalStartsOver) {
  detail::TSha1 sha;
  sha.Update(reinterpret_cast<const uint8_t*>("abc"), 3);
  EXPECT_EQ(Hex(sha.Final()), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(Hex(sha.Final()), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
}

TEST(Sha1FastPaths, ShaInstructionsEqualThePortableBlocks) {
  if (!ProcessorChecksumPaths().ShaNi) GTEST_SKIP() << "no SHA instructions";
  const TBytes data = RandomBytes(64 * 40 + 16, 7);
  for (size_t start = 0; start < 16; ++start) {
    for (size_t blocks = 0; blocks <= 40; ++blocks) {
      uint32_t a[5] = {0x67452301U, 0xEFCDAB89U, 0x98BADCFEU, 0x10325476U, 0xC3D2E1F0U};
      uint32_t b[5];
      std::memcpy(b, a, sizeof a);
      detail::Sha1BlocksShaNi(a, data.data() + start, blocks);
      detail::Sha1BlocksPortable(b, data.data() + start, blocks);
      ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << "start " << start << " blocks " << blocks;
    }
  }
}

TEST(Sha1FastPaths, ForcedPortableGivesTheSameDigests) {
  const TBytes data = RandomBytes(300 + 16 + (1 << 20), 8);
  auto digest = [&](size_t start, size_t n) {
    detail::TSha1 sha;
    sha.Update(data.data() + start, n);
    return sha.Final();
  };
  std::vector<TSHACode> fast;
  for (size_t start = 0; start < 16; ++start) {
    for (size_t n = 0; n <= 300; ++n) fast.push_back(digest(start, n));
  }
  const TSHACode fastBig = digest(3, (1 << 20) + 5);
  TPortableChecksumsScope portable;
  size_t i = 0;
  for (size_t start = 0; start < 16; ++start) {
    for (size_t n = 0; n <= 300; ++n) ASSERT_EQ(digest(start, n), fast[i++]) << start << " " << n;
  }
  EXPECT_EQ(digest(3, (1 << 20) + 5), fastBig);
}

// ------------------------------------------------------------------------------------------------
// SHA-1 of texts and digests as text

TEST(Sha1FromString, DigestsAllBytesOfTheUtf16Storage) {
  EXPECT_EQ(Hex(SHA1FromString(u"")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(Hex(SHA1FromString(u"abc")), "9F04F41A848514162050E3D68C1A7ABB441DC2B5");
  EXPECT_EQ(Hex(SHA1FromString(u"abc")), Sha1Hex(std::string_view("a\0b\0c\0", 6)));
  // Texts that differ only in their second half, or only in a high byte, differ in digest.
  EXPECT_NE(SHA1FromString(u"abcd"), SHA1FromString(u"abxy"));
  EXPECT_NE(SHA1FromString(u"a\u0100"), SHA1FromString(u"a\u0200"));
  // A long text crosses the internal chunks: the same as the bytes digested in one piece.
  String longText;
  std::string bytes;
  for (int i = 0; i < 1000; ++i) {
    const auto c = static_cast<Char>(0x20 + i * 37);
    longText += c;
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  EXPECT_EQ(Hex(SHA1FromString(longText)), Sha1Hex(bytes));
}

TEST(Sha1DigestToHex, FortyUpperCaseDigitsInIndexOrder) {
  TSHACode d{};
  for (int i = 0; i < 20; ++i) d[i] = static_cast<uint8_t>(i * 13 + 0x0A);
  EXPECT_EQ(SHA1DigestToHex(d), u"0A1724313E4B5865727F8C99A6B3C0CDDAE7F401");
  EXPECT_EQ(SHA1DigestToHex(TSHACode{}), String(40, u'0'));
}

// ------------------------------------------------------------------------------------------------
// Streams and files

TEST(Sha1FromStream, FromThePositionToTheEnd) {
  TStringStream s(std::string_view("xyabc"));
  s.SetPosition(2);
  EXPECT_EQ(Hex(SHA1FromStream(s)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(Hex(SHA1FromStream(s)), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  TStringStream empty(std::string_view{});
  EXPECT_EQ(Hex(SHA1FromStream(empty)), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
}

TEST(Sha1FromStream, BlocksOfAnySizeGiveTheDigestOfTheWhole) {
  const TBytes data = RandomBytes(200003, 9);
  detail::TSha1 sha;
  sha.Update(data.data(), data.size());
  const TSHACode expected = sha.Final();
  TMemoryStream memory;
  memory.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  memory.SetPosition(0);
  EXPECT_EQ(SHA1FromStream(memory), expected);
  testing::TPlainStream plain(
      std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  EXPECT_EQ(SHA1FromStream(plain), expected);
  testing::TFailingStream failing(1000);
  EXPECT_THROW(SHA1FromStream(failing), EInOutError);
}

class ChecksumFiles : public testing::TempDirTest {};

TEST_F(ChecksumFiles, Crc32OfFile) {
  WriteBytes("check.txt", "123456789");
  EXPECT_EQ(CalcCRC32ofFile(Path("check.txt")), 0xCBF43926U);
  WriteBytes("empty.txt", "");
  EXPECT_EQ(CalcCRC32ofFile(Path("empty.txt")), 0U);
  EXPECT_EQ(CalcCRC32ofFile(Path("missing.txt")), 0U);
  EXPECT_EQ(CalcCRC32ofFile(FromUtf8(FDir.string())), 0U);  // a directory cannot be read
  const TBytes big = RandomBytes((1 << 20) + 13, 10);
  WriteBytes("big.bin", std::string_view(reinterpret_cast<const char*>(big.data()), big.size()));
  EXPECT_EQ(CalcCRC32ofFile(Path("big.bin")), CRC32ofBuffer(big, static_cast<int32_t>(big.size())));
}

TEST_F(ChecksumFiles, Sha1OfFile) {
  WriteBytes("abc.txt", "abc");
  EXPECT_EQ(Hex(SHA1FromFile(Path("abc.txt"))), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  WriteBytes("million.txt", std::string(1000000, 'a'));
  EXPECT_EQ(Hex(SHA1FromFile(Path("million.txt"))), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
  EXPECT_THROW(SHA1FromFile(Path("missing.txt")), EFOpenError);
  try {
    SHA1FromFile(Path("missing.txt"));
  } catch (const EInOutError& e) {
    EXPECT_NE(e.ErrorCode(), 0);
  }
}

}  // namespace
}  // namespace xan
