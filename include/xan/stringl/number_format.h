// Number formatting: fixed-point, exponent and significant-digit text of known width, forced
// plus signs, decimal alignment, durations as clock text, and the hexadecimal number scanner.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// ================================================================================================
// The two base forms.
//
// Fixed form of x with d decimals in a field of w characters: "-" for a negative value, the
// integer digits (at least one), and for d > 0 a "." and exactly d digits; rounded to d decimals,
// halves to the even neighbour of the exact binary value. Right-aligned with blanks; a text
// longer than w, or w <= 0, is neither padded nor cut. A negative value that rounds to zero
// keeps its sign ("-0.00"); negative zero prints as zero.
//
// Long exponent form of x in w characters: a sign position ("-" or a blank), one digit, ".",
// w - 9 more digits, "E", the exponent's sign and four exponent digits: w - 8 significant digits.
//   5678.5, w = 13 => " 5.6785E+0003"
// The short exponent form drops the first two exponent digits: w characters carry w - 6
// significant digits, " 5.6785E+03" (w = 11).
//
// Decisions where the documented rules leave a choice:
// - The long exponent form has at least two significant digits: fields narrower than 10 (short
//   form: 8) characters are widened to that.
// - Field widths and decimals are limited to MaxFormatField (1024); larger values act as 1024.
//   Beyond the 20th significant digit the digits are those of the exact binary value.
// - Infinities and values that are not a number print as "INF", "-INF" and "NAN", right-aligned
//   in the field like a number, never zero-filled.
// - Numbers never use the locale: "." is the decimal point and digits are never grouped.
// None of the functions of this header raises.

// The widest field and the most decimals the formatters produce.
inline constexpr int32_t MaxFormatField = 1024;

// The base formatter.
// - decimals >= 0: the fixed form with that many decimals in |width| characters;
// - decimals = -2: the short exponent form in |width| characters (|width| - 6 significant
//   digits); an exponent of three or more digits gives |width| asterisks;
// - other negative decimals: the long exponent form in |width| characters.
// With width < 0 the field is zero-filled: leading blanks become "0", and a "-" after them moves
// to the front.
//   strff(12.5, 8, 2)     => "   12.50"      strff(12.5, 0, 2)      => "12.50"
//   strff(-12.5, -9, 2)   => "-00012.50"     strff(5678.5, 11, -2)  => " 5.6785E+03"
//   strff(5678.5, -11, -2)=> "05.6785E+03"   strff(1e150, 11, -2)   => "***********"
//   strff(0.001, 14, -2)  => " 1.0000000E-03"
//   strff(5678.5, 13, -1) => " 5.6785E+0003"
XAN_EXPORT String strff(long double x, int32_t width, int32_t decimals);

// As strff, with a "+" before non-negative values, keeping the field width where there is room:
// the blank just before the number becomes "+", else the first "0" of a zero-filled field, else
// "+" is put in front. Negative values and NAN are returned as strff gives them.
//   strffForcePlus(12.5, 8, 2)  => "  +12.50"    strffForcePlus(12.5, -8, 2) => "+0012.50"
//   strffForcePlus(12.5, 0, 2)  => "+12.50"      strffForcePlus(0, 1, 0)     => "+0"
//   strffForcePlus(-3, 5, 1)    => " -3.0"
XAN_EXPORT String strffForcePlus(long double x, int32_t width, int32_t decimals);

// The fixed form with `decimals` (0..8) decimals in `width` characters while |x| lies within the
// range of that number of decimals, otherwise the short exponent form with `width` significant
// digits in width + 6 characters (strff(x, width + 6, -2)). Other decimals always give the
// exponent form. A width <= 0 means no padding (never zero fill).
//   decimals  0: 1 <= |x| <= 999999999      1: 0.1 <= |x| <= 9999999.9 ...
//   decimals  8: 0.00000001 <= |x| <= 0.99999999 (zero always fits)
// The bounds are extended constants: the double 9999999.9 lies just above the extended bound,
// so FormatData(9999999.9, w, 1) gives the exponent form.
//   FormatData(123.456, 8, 2) => "  123.46"      FormatData(0, 8, 2)     => "    0.00"
//   FormatData(0.001, 8, 2)   => " 1.0000000E-03" FormatData(1e9, 10, 0)  => " 1.000000000E+09"
XAN_EXPORT String FormatData(double x, int32_t width, int32_t decimals);

// `sigdigits` significant digits in a field of `width` characters: the fixed form while the
// digits, the point and the sign fit, else the short exponent form in max(width, sigdigits + 6)
// characters. Integer digits beyond `sigdigits` are shown in full while they fit in the field.
// Rounding may add a digit. Zero gives the fixed form with sigdigits - 1 decimals (0 decimals
// for sigdigits < 1).
//   SigDigStr(5678.9, 10, 3)   => "      5679"   SigDigStr(0.056789, 10, 3) => "    0.0568"
//   SigDigStr(0, 6, 3)         => "  0.00"       SigDigStr(9.9996, 8, 4)    => "  10.000"
XAN_EXPORT String SigDigStr(double x, int32_t width, int32_t sigdigits);
// As above; with strip true, leading and trailing blanks are removed.
//   SigDigStr(5678.9, 10, 3, true) => "5679"
XAN_EXPORT String SigDigStr(double x, int32_t width, int32_t sigdigits, bool strip);

// The shortest sensible text with n significant digits (sigdigits limited to 2..16): the fixed
// form with n - 1 - trunc(L) decimals when -1 < L < n - 1, L being log10 |x| rounded to a double
// (so 0.1 itself takes the exponent form), else the short exponent form with n significant
// digits; no blanks around it. With decimalcomma, "." becomes ",".
//   (123.456, 4) => "123.5"   (0.5, 4) => "0.500"       (0.05, 4) => "5.000E-02"
//   (56789, 4)   => "5.679E+04" (999.96, 4) => "1000.0" (0, 4)    => "0.000"
//   (123.456, 4, true) => "123,5"
XAN_EXPORT String AutoFormatData(double x, int32_t sigdigits);
XAN_EXPORT String AutoFormatData(double x, int32_t sigdigits, bool decimalcomma);

// truetext when flag is true, else falsetext.
XAN_EXPORT String BinString(bool flag, StringView truetext, StringView falsetext);

// Aligns a number on its decimal character: the text stripped of leading and trailing blanks,
// with blanks in front so that its first `decimalchar` stands in column `numdig` (at most
// MaxFormatField blanks). A text without `decimalchar` counts as having it in column 0.
//   ("3.14", '.', 4) => "  3.14"   (" 123.5 ", '.', 4) => "123.5"   ("42", '.', 4) => "    42"
XAN_EXPORT String SortableNumericString(StringView text, Char decimalchar, int32_t numdig);

// A duration in seconds as clock text. Fields are two characters wide, zero- or blank-padded as
// listed; values of 100 and more print all their digits. Negative, infinite and NaN durations
// count as 0. The hour count is not limited to 16 bits: 65536 hours and more print in full
// (durations are taken as at most 2^53 seconds).
//   mode 0: "05:07:03.25"   1: "05:07:03"   2: " 5h07"   3: " 5h07'03\""   4: "05:07"
//   mode 5: " 5:07a" (12-hour clock: 0 h shows as 12, "p" from 12 h on)   6..255: ""
//   (examples for 18423.25 s)   TimeString(360000, 1) => "100:00:00"
XAN_EXPORT String TimeString(double seconds, uint8_t mode);

// ================================================================================================
// Scanning

// Reads a hexadecimal number from `text` starting at position `pos` (counting from 1) and leaves
// `pos` at the first character not consumed (length + 1 at the end). Blanks before the number
// are skipped (not a blank in the last position); a "$" in position 1 of the text is skipped as a
// prefix; digits are 0-9, A-F and a-f; the value wraps at 32 bits. No digit gives 0.
// A `pos` below 1 starts at 1.
//   ("$1F", 1) => 31, pos 4      ("  7fz", 1) => 127, pos 5      ("xyz", 1) => 0, pos 1
//   ("12 34", 1) => 0x12, pos 3  ("100000001", 1) => 1 (wrapped), pos 10
XAN_EXPORT int32_t ScanHexNumber(StringView text, int32_t& pos) noexcept;

}  // namespace xan
