// Checksums: CRC-16 (XMODEM and CCITT-FALSE), CRC-32 (the zip CRC) and SHA-1 digests of byte
// buffers, texts, streams and files, and the hexadecimal text of a digest.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// CRC-16
//
// One table-driven register of 16 bits, most significant bit first, in two starting values:
//
//   Width  Poly    Init    RefIn  RefOut  XorOut  Check   catalogue name
//   16     0x1021  0x0000  false  false   0x0000  0x31C3  CRC-16/XMODEM          (crcZModem)
//   16     0x1021  0xFFFF  false  false   0x0000  0x29B1  CRC-16/IBM-3740,
//                                                         also CRC-16/CCITT-FALSE (crcCCITT)
//
// Check is the CRC of the nine ASCII bytes "123456789". Whole buffers run at memory speed: on
// processors with carry-less multiplication the bytes are folded 64 at a time, elsewhere eight
// tables take eight bytes per step; both give the value of the single table step below.

// The starting value of CRC16ofBuffer.
enum TCRC16Mode : uint8_t { crcZModem, crcCCITT };

// One step of the CRC-16 register: feeds byte b into crc and returns the new register,
// table[(crc shr 8) xor b] xor (crc shl 8), kept to 16 bits. Never raises.
//   CalcNextCRC16(0x31, 0x0000) => 0x2672     CalcNextCRC16(0x31, 0xFFFF) => 0xC782
XAN_EXPORT uint16_t CalcNextCRC16(uint8_t b, uint16_t crc) noexcept;

// The CRC-16 of bytes 0 .. NumBytes - 1 of buffer, started from 0 (crcZModem) or 0xFFFF
// (crcCCITT), without a final exclusive-or. NumBytes is cut to the buffer's length; zero or a
// negative count gives the starting value. Never raises.
//   "123456789", crcZModem => 0x31C3     "123456789", crcCCITT => 0x29B1
//   empty, crcZModem => 0x0000           empty, crcCCITT => 0xFFFF
XAN_EXPORT uint16_t CRC16ofBuffer(const TBytes& buffer, int32_t NumBytes, TCRC16Mode mode) noexcept;

// The same over any bytes in memory, of any length (also beyond 2 GiB).
//   const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
//   CRC16ofBuffer(std::span(digits), crcCCITT) => 0x29B1
XAN_EXPORT uint16_t CRC16ofBuffer(std::span<const uint8_t> bytes, TCRC16Mode mode) noexcept;

// Feeds bytes, first to last, into the CRC-16 register crc and returns the new register: what
// CalcNextCRC16 gives byte by byte, at the speed of CRC16ofBuffer. Start the register at 0 for
// CRC-16/XMODEM or at 0xFFFF for CRC-16/CCITT-FALSE; there is no final exclusive-or, so the
// register is at every point the CRC of the bytes fed so far. Feeding a sequence in pieces, in
// order, gives what one call over the whole sequence gives, which lets files and streams of any
// size be read block by block. No bytes give crc back. Never raises.
//   CalcNextCRC16("12345", 0x0000) => r, then CalcNextCRC16("6789", r) => 0x31C3
//   CalcNextCRC16("123456789", 0xFFFF) => 0x29B1
//   CalcNextCRC16(std::span<const uint8_t>(), 0x1234) => 0x1234
XAN_EXPORT uint16_t CalcNextCRC16(std::span<const uint8_t> bytes, uint16_t crc) noexcept;

// ================================================================================================
// CRC-32
//
// The reflected table-driven register, polynomial 0xEDB88320 (0x04C11DB7 unreflected):
//
//   Width  Poly        Init        RefIn  RefOut  XorOut      Check       catalogue name
//   32     0x04C11DB7  0xFFFFFFFF  true   true    0xFFFFFFFF  0xCBF43926  CRC-32/ISO-HDLC
//
// the CRC of zip, PNG and Ethernet. Whole buffers and files are folded or sliced as for CRC-16.

// One step of the reflected register: table[(crc xor b) and 0xFF] xor (crc shr 8). The register
// is neither started nor complemented here: start from 0xFFFFFFFF and complement at the end to
// get the CRC-32 of a byte sequence. Never raises.
//   CalcNextCRC32(0x31, 0xFFFFFFFF) => 0x7C231048
XAN_EXPORT uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) noexcept;

// The CRC-32 of bytes 0 .. NumBytes - 1 of buffer: started from 0xFFFFFFFF, complemented at the
// end. NumBytes is cut to the buffer's length; zero or a negative count gives 0. Never raises.
//   "123456789" => 0xCBF43926     "a" => 0xE8B7BE43     empty => 0
XAN_EXPORT uint32_t CRC32ofBuffer(const TBytes& buffer, int32_t NumBytes) noexcept;

// The same over any bytes in memory, of any length (also beyond 2 GiB): a pointer and a length
// make a span.
//   CRC32ofBuffer(std::span(data, size)) for the 9 bytes "123456789" => 0xCBF43926
//   CRC32ofBuffer({}) => 0
XAN_EXPORT uint32_t CRC32ofBuffer(std::span<const uint8_t> bytes) noexcept;

// Feeds bytes, first to last, into the reflected CRC-32 register crc and returns the new
// register: what CalcNextCRC32 gives byte by byte, at the speed of CRC32ofBuffer. The register is
// neither started nor complemented here: start from 0xFFFFFFFF and complement the last register
// to get the CRC-32 of everything fed. Feeding a sequence in pieces, in order, gives what one
// call over the whole sequence gives, which lets files and streams of any size be read block by
// block. No bytes give crc back. Never raises. (A span of no bytes must be named as such: an
// empty brace {} as the first argument picks the single step of one zero byte above.)
//   ~CalcNextCRC32("123456789", 0xFFFFFFFF) => 0xCBF43926
//   CalcNextCRC32("1234", 0xFFFFFFFF) => r, then ~CalcNextCRC32("56789", r) => 0xCBF43926
//   CalcNextCRC32(std::span<const uint8_t>(), 0x12345678) => 0x12345678
XAN_EXPORT uint32_t CalcNextCRC32(std::span<const uint8_t> bytes, uint32_t crc) noexcept;

// The CRC-32 of a file's whole content, the value CRC32ofBuffer gives for it. The file is
// opened read-only (no process-wide setting is touched), read from its start in blocks and
// closed. A file that cannot be opened or read gives 0, as does an empty file; never raises.
//   a file holding "123456789" => 0xCBF43926     a missing file => 0
XAN_EXPORT uint32_t CalcCRC32ofFile(StringView FileName) noexcept;

// ================================================================================================
// SHA-1

// The digests are those of the standard SHA-1 (64-byte blocks, big-endian words), computed with
// the processor's SHA instructions when it has them. The working state and the message buffer
// are overwritten with zeros once a digest is finished.

// A SHA-1 digest: 20 bytes, the first byte of the digest at index 0.
using TSHACode = std::array<uint8_t, 20>;

// The SHA-1 of a text: the digest of all 2n bytes of its n UTF-16 code units, each unit low byte
// first, on every processor. (Digesting fewer bytes than the text holds would let texts that
// differ in their second half share a digest.) Never raises.
//   SHA1DigestToHex(SHA1FromString(u""))    => "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"
//   SHA1DigestToHex(SHA1FromString(u"abc")) => the digest of the bytes 61 00 62 00 63 00,
//                                              "9F04F41A848514162050E3D68C1A7ABB441DC2B5"
XAN_EXPORT TSHACode SHA1FromString(StringView text) noexcept;

// The SHA-1 of bytes in memory, of any length (also beyond 2 GiB). Never raises.
//   the 3 bytes "abc" => "A9993E364706816ABA3E25717850C26C9CD0D89D"
XAN_EXPORT TSHACode SHA1FromBuffer(std::span<const uint8_t> bytes) noexcept;

// The SHA-1 of the bytes of AStream from its position to its end, read in blocks; the stream is
// left at its end. Stream errors pass to the caller.
//   a stream holding "abc" at position 0 => "A9993E364706816ABA3E25717850C26C9CD0D89D"
//   a stream at its end => "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"
XAN_EXPORT TSHACode SHA1FromStream(TStream& AStream);

// The SHA-1 of a file's whole content. The file is opened for reading and closed again, also
// when an exception passes. A file that cannot be opened raises EFOpenError (an EInOutError
// with the host's error number); read errors raise EInOutError.
XAN_EXPORT TSHACode SHA1FromFile(StringView FileName);

// The digest as 40 upper-case hexadecimal digits, byte 0 first, no separators. Never raises
// except for lack of memory.
//   the digest of empty input => "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"
//   the digest of "abc"       => "A9993E364706816ABA3E25717850C26C9CD0D89D"
XAN_EXPORT String SHA1DigestToHex(const TSHACode& digest);

}  // namespace xan
