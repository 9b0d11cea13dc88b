// Small types of the platform that appear in the library's signatures: points, colours,
// text alignment, font and pen styles, dialog results, and small bit sets for sets of values.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "xan/platform/strings.h"

namespace xan {

// A 32-bit colour: red in the low byte, then green, then blue.
using TColor = uint32_t;

// A point of two signed 32-bit coordinates.
struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// Horizontal text alignment.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Font style flags; a font's style is a TFontStyles set of them.
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// Pen styles for lines.
enum TPenStyle : uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};

// The answer a dialog closes with. A plain integer, so that a callback may hand back any code
// and the receiver decides what it accepts.
using TModalResult = int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

// A fixed set of bit positions 0..N-1, usable in constant expressions.
template <size_t N>
class TBitSet {
 public:
  constexpr bool Test(size_t i) const noexcept {
    return i < N && ((FWords[i / 64] >> (i % 64)) & 1U) != 0;
  }
  constexpr void Set(size_t i, bool on) noexcept {
    if (i >= N) return;
    const uint64_t bit = uint64_t{1} << (i % 64);
    FWords[i / 64] = on ? (FWords[i / 64] | bit) : (FWords[i / 64] & ~bit);
  }
  constexpr size_t Count() const noexcept {
    size_t n = 0;
    for (uint64_t w : FWords) n += static_cast<size_t>(std::popcount(w));
    return n;
  }
  friend constexpr bool operator==(const TBitSet&, const TBitSet&) = default;

 private:
  std::array<uint64_t, (N + 63) / 64> FWords{};
};

// A set of values of a small enumeration with N values (ordinals 0..N-1).
template <typename E, size_t N>
class TSmallSet {
 public:
  constexpr TSmallSet() noexcept = default;
  constexpr TSmallSet(std::initializer_list<E> values) noexcept {
    for (E v : values) Include(v);
  }
  constexpr bool Contains(E v) const noexcept { return FBits.Test(static_cast<size_t>(v)); }
  constexpr void Include(E v) noexcept { FBits.Set(static_cast<size_t>(v), true); }
  constexpr void Exclude(E v) noexcept { FBits.Set(static_cast<size_t>(v), false); }
  constexpr bool Empty() const noexcept { return FBits.Count() == 0; }
  constexpr size_t Count() const noexcept { return FBits.Count(); }
  friend constexpr bool operator==(const TSmallSet&, const TSmallSet&) = default;

 private:
  TBitSet<N> FBits;
};

using TFontStyles = TSmallSet<TFontStyle, 4>;

// A set of characters with codes 0..255; characters above 255 are never members.
class TCharSet {
 public:
  constexpr TCharSet() noexcept = default;
  constexpr TCharSet(std::initializer_list<Char> chars) noexcept {
    for (Char c : chars) Include(c);
  }
  constexpr bool Contains(Char c) const noexcept { return FBits.Test(c); }
  constexpr void Include(Char c) noexcept { FBits.Set(c, true); }
  constexpr void Exclude(Char c) noexcept { FBits.Set(c, false); }
  constexpr size_t Count() const noexcept { return FBits.Count(); }
  friend constexpr bool operator==(const TCharSet&, const TCharSet&) = default;

 private:
  TBitSet<256> FBits;
};

}  // namespace xan
