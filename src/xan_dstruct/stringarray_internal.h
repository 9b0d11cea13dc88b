// Helpers shared by the sources of TStringArray: comparison keys of cells (ANSI bytes compared in
// the order of their UTF-16 code units, with or without lower-casing A-Z) and decimal numbers.
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "xan/platform/strings.h"

namespace xan::stringarray_detail {

// Per ANSI byte: its UTF-16 code unit (Code) and the code unit of its lower-cased form
// (LowerCode, A-Z only), the byte lower-cased (LowerByte), and the rank of LowerCode among all
// lower-cased codes (LowerRank: 0 for byte 0, fits a byte since A-Z share the ranks of a-z).
// The ANSI mapping is one to one, so comparing Code values compares the cells' texts by code
// units, and comparing LowerRank values compares them lower-cased.
struct TKeyTables {
  std::array<uint16_t, 256> Code;
  std::array<uint16_t, 256> LowerCode;
  std::array<uint8_t, 256> LowerByte;
  std::array<uint8_t, 256> LowerRank;
};

const TKeyTables& KeyTables() noexcept;

// A-Z to a-z, everything else as it is.
constexpr uint8_t LowerAsciiByte(uint8_t b) noexcept {
  return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + 32) : b;
}
constexpr Char LowerAsciiChar(Char c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c;
}

// Three-way comparison of two cells through a code table (Code or LowerCode).
inline int CompareCells(std::string_view a, std::string_view b,
                        const std::array<uint16_t, 256>& code) noexcept {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<uint8_t>(a[i]);
    const auto y = static_cast<uint8_t>(b[i]);
    if (x == y) continue;
    const uint16_t cx = code[x];
    const uint16_t cy = code[y];
    if (cx != cy) return cx < cy ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Three-way comparison of a text (already lower-cased when the table is LowerCode) with a cell.
inline int CompareTextWithCell(StringView text, std::string_view cell,
                               const std::array<uint16_t, 256>& code) noexcept {
  const size_t n = text.size() < cell.size() ? text.size() : cell.size();
  for (size_t i = 0; i < n; ++i) {
    const Char x = text[i];
    const uint16_t y = code[static_cast<uint8_t>(cell[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  return text.size() == cell.size() ? 0 : (text.size() < cell.size() ? -1 : 1);
}

// The first 8 characters of a cell as lower-cased ranks, big-endian, padded with rank 0. Keys
// that differ order their cells as CompareCells(LowerCode) does; equal keys decide nothing.
inline uint64_t LowerPrefixKey(std::string_view cell,
                               const std::array<uint8_t, 256>& rank) noexcept {
  uint64_t key = 0;
  const size_t n = cell.size() < 8 ? cell.size() : 8;
  for (size_t i = 0; i < n; ++i)
    key |= uint64_t{rank[static_cast<uint8_t>(cell[i])]} << (56 - 8 * i);
  return key;
}

// A number in decimal: -12 => u"-12".
inline String DecimalText(int64_t v) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return String(buf, end);
}

}  // namespace xan::stringarray_detail
