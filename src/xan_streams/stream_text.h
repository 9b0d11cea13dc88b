// Helpers shared by the stream sources: simple A-Z case folding, bytes appended as characters,
// line ends by EOLMode, and the rest of a stream as bytes.
#pragma once

#include <cstdint>
#include <string>

#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace xan::streams_detail {

inline constexpr uint8_t kLF = 10;
inline constexpr uint8_t kCR = 13;

// Folds A-Z to a-z (and, for UpperCase, a-z to A-Z); every other character stays.
constexpr Char LowerAZ(Char C) noexcept {
  return C >= u'A' && C <= u'Z' ? static_cast<Char>(C + 32) : C;
}
constexpr Char UpperAZ(Char C) noexcept {
  return C >= u'a' && C <= u'z' ? static_cast<Char>(C - 32) : C;
}
inline String LowerAZ(StringView Text) {
  String out(Text);
  for (Char& c : out) c = LowerAZ(c);
  return out;
}
inline String UpperAZ(StringView Text) {
  String out(Text);
  for (Char& c : out) c = UpperAZ(c);
  return out;
}

// Appends N bytes as the characters of the same codes.
inline void AppendBytes(String& Text, const uint8_t* Bytes, size_t N) {
  const size_t old = Text.size();
  Text.resize(old + N);
  for (size_t i = 0; i < N; ++i) Text[old + i] = Bytes[i];
}

// True when byte B, read after Prev, completes the line end of EOLMode:
// 0 LF, 1 CR, 2 CR or LF, 3 CR after LF, 4 LF after CR, any other never.
constexpr bool CompletesLineEnd(int32_t EOLMode, uint8_t B, uint8_t Prev) noexcept {
  switch (EOLMode) {
    case 0:
      return B == kLF;
    case 1:
      return B == kCR;
    case 2:
      return B == kLF || B == kCR;
    case 3:
      return B == kCR && Prev == kLF;
    case 4:
      return B == kLF && Prev == kCR;
    default:
      return false;
  }
}

// The rest of the stream from its position, as bytes; the stream is left at its end.
std::string ReadRest(TStream& AStream);

}  // namespace xan::streams_detail
