// Number formatting: fixed-point, exponent and significant-digit text of known width, forced
// plus signs, decimal alignment, durations as clock text, and the hexadecimal number scanner.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// TODO(number formatting): document and implement strff, strffForcePlus, FormatData, SigDigStr,
// AutoFormatData, SortableNumericString, TimeString.
XAN_EXPORT String strff(long double x, int32_t width, int32_t decimals);
XAN_EXPORT String strffForcePlus(long double x, int32_t width, int32_t decimals);
XAN_EXPORT String FormatData(double x, int32_t width, int32_t decimals);
XAN_EXPORT String SigDigStr(double x, int32_t width, int32_t sigdigits);
XAN_EXPORT String SigDigStr(double x, int32_t width, int32_t sigdigits, bool strip);
XAN_EXPORT String AutoFormatData(double x, int32_t sigdigits);
XAN_EXPORT String AutoFormatData(double x, int32_t sigdigits, bool decimalcomma);
XAN_EXPORT String SortableNumericString(StringView text, Char decimalchar, int32_t numdig);
XAN_EXPORT String TimeString(double seconds, uint8_t mode);

// truetext when flag is true, else falsetext.
XAN_EXPORT String BinString(bool flag, StringView truetext, StringView falsetext);

// Reads a hexadecimal number from `text` starting at position `pos` (counting from 1) and leaves
// `pos` at the first character not consumed (length + 1 at the end). Blanks before the number
// are skipped (not a blank in the last position); a "$" in position 1 of the text is skipped as a
// prefix; digits are 0-9, A-F and a-f; the value wraps at 32 bits. No digit gives 0.
// A `pos` below 1 starts at 1.
//   ("$1F", 1) => 31, pos 4      ("  7fz", 1) => 127, pos 5      ("xyz", 1) => 0, pos 1
//   ("12 34", 1) => 0x12, pos 3  ("100000000", 1) => 0 (wrapped), pos 10
XAN_EXPORT int32_t ScanHexNumber(StringView text, int32_t& pos) noexcept;

}  // namespace xan
