// The cores behind the Base64 and ASCII85 stream functions: the alphabet tables, the block
// kernels in their portable and fast forms, and encoders and decoders that take their input in
// pieces of any size, so that a stream function is a loop over blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace xan::detail {

// ================================================================================================
// Base64 tables

inline constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Marks a byte that is not a digit in kBase64Digits.
inline constexpr uint8_t kNotDigit = 0xFF;

// The digit value of each byte: the alphabet's 64 characters, and "-" and "_" of the URL-safe
// alphabet as 62 and 63; kNotDigit for every other byte, "=" included.
constexpr std::array<uint8_t, 256> MakeBase64Digits() {
  std::array<uint8_t, 256> d{};
  for (auto& x : d) x = kNotDigit;
  for (size_t i = 0; i < kBase64Alphabet.size(); ++i) {
    d[static_cast<uint8_t>(kBase64Alphabet[i])] = static_cast<uint8_t>(i);
  }
  d['-'] = 62;
  d['_'] = 63;
  return d;
}
inline constexpr std::array<uint8_t, 256> kBase64Digits = MakeBase64Digits();

// ================================================================================================
// Base64 kernels. Each has a portable form and a byte-shuffle form (base64_ssse3.cpp, for
// processors with TChecksumPaths::Ssse3; the portable form elsewhere), and a dispatching form
// that uses the fastest in use. All return the end of what they wrote.

// `groups` groups of 3 bytes as 4 characters each, without padding or line ends.
uint8_t* Base64EncodeGroupsPortable(const uint8_t* in, size_t groups, uint8_t* out) noexcept;
uint8_t* Base64EncodeGroupsSsse3(const uint8_t* in, size_t groups, uint8_t* out) noexcept;
uint8_t* Base64EncodeGroups(const uint8_t* in, size_t groups, uint8_t* out) noexcept;

// `lines` lines of 45 bytes as 60 characters and CR LF each.
uint8_t* Base64EncodeLinesPortable(const uint8_t* in, size_t lines, uint8_t* out) noexcept;
uint8_t* Base64EncodeLinesSsse3(const uint8_t* in, size_t lines, uint8_t* out) noexcept;
uint8_t* Base64EncodeLines(const uint8_t* in, size_t lines, uint8_t* out) noexcept;

// Decodes from the n characters at `in` the leading groups of four digits (kBase64Digits), 3
// bytes each, skipping CR and LF between groups, and stops before the first group that holds
// anything else ("=", CR or LF inside it, bad bytes) or that the input does not complete. These
// are exactly the characters the decoder would take the same way at the start of a group.
// Returns the number of characters consumed; `out` is moved past the bytes written.
size_t Base64DecodeGroupsPortable(const uint8_t* in, size_t n, uint8_t*& out) noexcept;
size_t Base64DecodeGroupsSsse3(const uint8_t* in, size_t n, uint8_t*& out) noexcept;
size_t Base64DecodeGroups(const uint8_t* in, size_t n, uint8_t*& out) noexcept;

// ================================================================================================
// Base64 encoder and decoder over pieces

// Encodes a byte sequence given in pieces. With line breaks every 45 bytes make a line of 60
// characters and CR LF; the last line is shorter, padded with "=" and also ends with CR LF.
// Without line breaks the text is one run. An unfinished line (or group) is held back for the
// next piece, so the text does not depend on how the input was cut.
class TBase64Encoder {
 public:
  explicit TBase64Encoder(bool LineBreaks) noexcept : FLineBreaks(LineBreaks) {}

  // The most characters that Encode of n bytes and then Finish can write.
  static constexpr size_t MaxOutput(size_t n) noexcept { return (n / 45 + 2) * 62; }

  // Encodes the bytes and returns the end of the text written at out.
  uint8_t* Encode(const uint8_t* in, size_t n, uint8_t* out) noexcept;
  // Writes the held-back bytes with their padding and line end; returns the end of the text.
  uint8_t* Finish(uint8_t* out) noexcept;

 private:
  uint8_t* EncodeUnits(const uint8_t* in, size_t units, uint8_t* out) const noexcept;
  size_t Unit() const noexcept { return FLineBreaks ? 45 : 3; }

  bool FLineBreaks;
  std::array<uint8_t, 45> FHeld{};
  size_t FHeldLen = 0;
};

// Decodes Base64 text given in pieces. CR and LF are skipped wherever they occur; the other
// characters form groups of four. A character outside "+".."z" stops the decoding (Failed()):
// the group it falls in yields nothing. Inside "+".."z", characters that are not digits count
// as 0 ("-" and "_" are the URL-safe 62 and 63). A group yields its first byte; a "=" in third
// place ends it there, else it yields its second byte, and unless its fourth character is "=",
// its third. An unfinished last group is decoded by Finish as though padded with "=": two or
// three characters give one or two bytes, a single character nothing.
class TBase64Decoder {
 public:
  // The most bytes that Decode of n characters and then Finish can write.
  static constexpr size_t MaxOutput(size_t n) noexcept { return (n / 4 + 2) * 3; }

  // Decodes from the n characters at `in` and returns the end of the bytes written at out.
  // `consumed` is n, or after a failure the count up to and including the failing character.
  uint8_t* Decode(const uint8_t* in, size_t n, size_t& consumed, uint8_t* out) noexcept;
  // Writes the bytes of an unfinished last group (nothing after a failure).
  uint8_t* Finish(uint8_t* out) noexcept;
  bool Failed() const noexcept { return FFailed; }

 private:
  std::array<uint8_t, 4> FGroup{};
  size_t FCount = 0;
  bool FFailed = false;
};

// ================================================================================================
// ASCII85 kernels, portable, with SSE4.1 (ascii85_sse41.cpp, for processors with
// TChecksumPaths::Sse41; the portable form elsewhere), and dispatching.

// Encodes `groups` groups of 4 bytes: "z" for four zero bytes, else 5 digits. `counted` is the
// number of digit groups since the last line end, kept modulo 12; with LineBreaks, CR LF follows
// every 12th. Returns the end of the text; up to 3 bytes after it may be overwritten.
uint8_t* Ascii85EncodeGroupsPortable(const uint8_t* in, size_t groups, uint8_t* out,
                                     uint32_t& counted, bool LineBreaks) noexcept;
uint8_t* Ascii85EncodeGroupsSse41(const uint8_t* in, size_t groups, uint8_t* out, uint32_t& counted,
                                  bool LineBreaks) noexcept;
uint8_t* Ascii85EncodeGroups(const uint8_t* in, size_t groups, uint8_t* out, uint32_t& counted,
                             bool LineBreaks) noexcept;

// Decodes from the n characters at `in` the leading groups of five digits "!".."u", 4 bytes each
// (the low-order four bytes of their value), with "z" and CR and LF between groups, and stops
// before the first group that holds anything else or that the input does not complete: the
// characters the decoder would take the same way at the start of a group. Returns the number of
// characters consumed; `out` is moved past the bytes written.
size_t Ascii85DecodeGroupsPortable(const uint8_t* in, size_t n, uint8_t*& out) noexcept;
size_t Ascii85DecodeGroupsSse41(const uint8_t* in, size_t n, uint8_t*& out) noexcept;
size_t Ascii85DecodeGroups(const uint8_t* in, size_t n, uint8_t*& out) noexcept;

// ================================================================================================
// ASCII85 encoder and decoder over pieces

// Encodes a byte sequence given in pieces: each group of 4 bytes, read as a big-endian number, as
// 5 base-85 digits ("!" + digit), a group of four zero bytes as "z". A last group of n = 1..3
// bytes is an n-byte big-endian number written as n + 1 digits. Groups written as digits are
// counted, and with line breaks CR LF follows every 12th. Finish writes the last group and "~>".
class TAscii85Encoder {
 public:
  explicit TAscii85Encoder(bool LineBreaks) noexcept : FLineBreaks(LineBreaks) {}

  // The room Encode of n bytes and then Finish need at out: the most characters they write,
  // and three bytes beyond, which the wide stores of the digits may overwrite.
  static constexpr size_t MaxOutput(size_t n) noexcept {
    return (n / 4 + 2) * 5 + (n / 48 + 2) * 2 + 2 + 3;
  }

  uint8_t* Encode(const uint8_t* in, size_t n, uint8_t* out) noexcept;
  uint8_t* Finish(uint8_t* out) noexcept;

 private:
  uint8_t* Counted(uint8_t* out) noexcept;

  bool FLineBreaks;
  std::array<uint8_t, 4> FHeld{};
  size_t FHeldLen = 0;
  uint32_t FCounted = 0;  // digit groups since the last line end
};

// Decodes ASCII85 text given in pieces. CR and LF are skipped. "z" at the start of a group gives
// four zero bytes; otherwise up to five characters "!".."u" form a group, and a group of k
// characters (k = 2..5) yields the k - 1 low-order bytes of its value, big-endian. "~" ends the
// data after the group before it (Done()); nothing after it is read. Other characters are
// skipped and recorded in Status(): -2 when the last of them was a "z" inside a group, -1
// otherwise, 0 while none occurred. An unfinished group at the end of the input is decoded by
// Finish as though "~" followed.
class TAscii85Decoder {
 public:
  // The most bytes that Decode of n characters and then Finish can write ("z" gives four).
  static constexpr size_t MaxOutput(size_t n) noexcept { return 4 * n + 4; }

  // Decodes from the n characters at `in`; `consumed` is n, or the count up to and including the
  // "~" that ended the data.
  uint8_t* Decode(const uint8_t* in, size_t n, size_t& consumed, uint8_t* out) noexcept;
  uint8_t* Finish(uint8_t* out) noexcept;
  bool Done() const noexcept { return FDone; }
  int32_t Status() const noexcept { return FStatus; }

 private:
  uint8_t* EndGroup(uint8_t* out) noexcept;

  uint64_t FValue = 0;
  uint32_t FCount = 0;
  int32_t FStatus = 0;
  bool FDone = false;
};

}  // namespace xan::detail
