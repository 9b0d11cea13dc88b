// Value conversions of the string unit: booleans, three-state values and variants to text and
// back, string lists, parameter lists of numbers and booleans, and the reversible scrambler.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/variant.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// Booleans and three-state values. None of these raises.

// A boolean in one of eight spellings chosen by `mode`; any other mode spells like mode 0.
//   mode:  0 "TRUE"/"FALSE"  1 "T"/"F"  2 ".T."/".F."  3 "1"/"0"  4 "-1"/"0"  5 "FF"/"00"
//          6 "YES"/"NO"      7 "GOOD"/"BAD"
//   (true, 9) => "TRUE"    (false, 5) => "00"    (true, 4) => "-1"
XAN_EXPORT String BoolToStr(bool value, int32_t mode);

// Reads a three-state value. Blanks around the text are ignored and "A".."Z" count as lower
// case; "true", "1", "+1" and "yes" give tsTrue, "false", "-1" and "no" give tsFalse, anything
// else (the empty text too) gives tsUndefined.
//   "  YES " => tsTrue    "-1" => tsFalse    "0" => tsUndefined    "True!" => tsUndefined
XAN_EXPORT TTriState StrToTriState(StringView text) noexcept;

// A three-state value as text; note that "-1" means false here but true in BoolToStr mode 4.
//   mode 1: "1" / "-1" / "0"    mode 2: "yes" / "no" / "unknown"
//   mode 0 and every other mode: "true" / "false" / "" (tsTrue / tsFalse / tsUndefined)
//   (tsUndefined, 0) => ""    (tsUndefined, 2) => "unknown"    (tsFalse, 1) => "-1"
XAN_EXPORT String TriStateToStr(TTriState value, int32_t mode);

// ================================================================================================
// String lists

// The position (counting from 1) of the first entry of `list` equal to `text`, 0 when there is
// none or the list is empty. The form without `casesensitive` compares exactly; with
// casesensitive false, "A".."Z" and "a".."z" compare alike (no other letter is folded).
// The initializer-list forms take braced lists of literals.
//   ("b", {"a", "b", "b"}) => 2    ("B", false, {"a", "b"}) => 2    ("B", true, {"a", "b"}) => 0
XAN_EXPORT int32_t StringIx(StringView text, std::span<const String> list) noexcept;
XAN_EXPORT int32_t StringIx(StringView text, bool casesensitive,
                            std::span<const String> list) noexcept;
XAN_EXPORT int32_t StringIx(StringView text, std::initializer_list<StringView> list) noexcept;
XAN_EXPORT int32_t StringIx(StringView text, bool casesensitive,
                            std::initializer_list<StringView> list) noexcept;

// ================================================================================================
// Variants

// A variant as readable text. Raises nothing.
//
// A value that is not an array, and each element shown of an array, is converted by its type
// code (code & varTypeMask):
//   Null => "NULL"    integers of every width => decimal (UInt64 values above 2^63 - 1 too)
//   Single, Double => strff(value, 10, -2): " 1.235E+03"    Boolean => "TRUE" / "FALSE"
//   8-bit and UTF-16 strings (varString, varUString) => the string itself
//   any other code => "(unknown type: <code>)": Empty => "(unknown type: 0)", a date =>
//     "(unknown type: 7)", an OleStr => "(unknown type: 8)", an array standing where a
//     scalar is expected => "(unknown type: 12)"
//
// An array whose upper bound is below 0, or which has no elements, gives "undefined array".
// Otherwise the nesting depth d (1..3) is read from the first elements (an element at the lower
// bound that is an array adds a level, whose bounds are those of that element), and the text
// is a head "Array[lo1,hi1][lo2,hi2]...:" + CR LF followed by at most 12 indexes of the first
// level, 10 of the second and 3 of the third; elements are separated by "," and "..." follows
// the last element of a line when the first level was cut:
//   d = 1: "Array[0,19]:\r\n0,1,2,3,4,5,6,7,8,9,10,11..."
//   d = 2: one line per second-level index j holding [i][j] for the shown i, each ended by
//          CR LF; " ......" after the lines when the second level was cut:
//          "Array[0,1][0,2]:\r\n1,4\r\n2,5\r\n3,6\r\n"
//   d = 3: per shown third-level index k: "layer <k>:\r\n", its lines as for d = 2, then
//          " ......\r\n" when the second level was cut; " ... more layers" at the end when the
//          third level was cut.
// All arrays of a level are read with the bounds of the first one; a position that a ragged or
// mixed array does not have shows as empty text.
XAN_EXPORT String ConvertVariant(const Variant& value);

// ================================================================================================
// Parameter lists: items written as "1,2,3", optionally in brackets, cut after maxitems items
// (maxitems <= 0: no cut) with "..." standing for the rest, optionally followed by a ",".
// Integers are written in decimal, booleans as "TRUE"/"FALSE", doubles by
// AutoFormatData(item, sigdigits). Raises nothing.
//   (1,2,3), brackets => "[1,2,3]"            (1,2,3) => "1,2,3"
//   (1,2,3), brackets, maxitems 2 => "[1,2,...]"
//   (1,2,3), maxitems 2, appendcomma => "1,2,...,"
//   (), brackets => "[]"    () => ""    (), appendcomma => ","
//   (true,false), brackets => "[TRUE,FALSE]"
//   (0.5,123.456), brackets, sigdigits 4 => "[0.500,123.5]"
// Braced lists have forms of their own, so that {1, 2} is a list of integers, {true, false} one
// of booleans, {0.5, 2} one of doubles, and {} an empty list of integers (or of doubles when
// sigdigits is given).

XAN_EXPORT String CreateParList(const TIntArray& data, bool appendcomma, int32_t maxitems,
                                bool brackets);
XAN_EXPORT String CreateParList(std::span<const int32_t> data, bool appendcomma, int32_t maxitems,
                                bool brackets);
XAN_EXPORT String CreateParList(std::span<const bool> data, bool appendcomma, int32_t maxitems,
                                bool brackets);
XAN_EXPORT String CreateParList(const TDoubleArray& data, bool appendcomma, int32_t maxitems,
                                int32_t sigdigits, bool brackets);
XAN_EXPORT String CreateParList(std::span<const double> data, bool appendcomma, int32_t maxitems,
                                int32_t sigdigits, bool brackets);

inline String CreateParList(std::initializer_list<int32_t> data, bool appendcomma, int32_t maxitems,
                            bool brackets) {
  return CreateParList(std::span<const int32_t>(data.begin(), data.size()), appendcomma, maxitems,
                       brackets);
}
// A template, so that only a list of bool literals or variables reaches it ({} and {1, 0} do not).
template <std::same_as<bool> B>
String CreateParList(std::initializer_list<B> data, bool appendcomma, int32_t maxitems,
                     bool brackets) {
  return CreateParList(std::span<const bool>(data.begin(), data.size()), appendcomma, maxitems,
                       brackets);
}
inline String CreateParList(std::initializer_list<double> data, bool appendcomma, int32_t maxitems,
                            int32_t sigdigits, bool brackets) {
  return CreateParList(std::span<const double>(data.begin(), data.size()), appendcomma, maxitems,
                       sigdigits, brackets);
}

// ================================================================================================
// The scrambler: a reversible substitution of the characters 0..255 through a permutation S of
// 1..255 (character 0 stays 0) and its inverse U. The tables are process-wide; when the library
// is loaded they are what InitScramble(9046) makes. Characters above 255 are left unchanged by
// both directions, so DeScramble(Scramble(t)) == t for every text and the same state.
// No lock: InitScramble must not run while another thread scrambles or draws random numbers.

// Seeds the shared random generator with `seed` (a negative seed counts as its 32-bit two's
// complement) and builds new tables from it: for i = 1..255, draw a := RandomRange(255) + 1
// until U[a] is free, then S[i] := a and U[a] := i. Other users of the shared generator see
// the new sequence.
XAN_EXPORT void InitScramble(int32_t seed) noexcept;

// Each character c of 0..255 replaced by S[c]; others unchanged.   "" => ""
XAN_EXPORT String Scramble(StringView text);

// Each character c of 0..255 replaced by U[c]; others unchanged.   "" => ""
XAN_EXPORT String DeScramble(StringView text);

}  // namespace xan
