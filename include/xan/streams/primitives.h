// Stream primitives: typed values, 8-bit text and lines written to and read from any stream,
// searching, whole-stream text, the decimal and floating-point scanners and line counting.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/stringlist.h"
#include "xan/platform/strings.h"

namespace xan {

// Every function here works from the stream's position and leaves it after the last byte it
// consumed; none keeps state between calls. Values are little-endian without tag or padding:
//   Longint   4 bytes, signed 32-bit two's complement
//   Single    4 bytes, IEEE 754 binary32
//   Double    8 bytes, IEEE 754 binary64
//   Extended 10 bytes, x87 80-bit: 64-bit significand with explicit integer bit (bytes 0-7),
//            then the 15-bit exponent biased by 16383 with the sign in the top bit (bytes 8-9)
// 8-bit text is one byte per character, the low 8 bits of its code (so characters above U+00FF
// keep only their low byte); read back, each byte becomes the character of the same code. A line
// is 8-bit text followed by CR LF (13, 10).

// ================================================================================================
// Writers: they raise what the stream raises (EWriteError when it takes fewer bytes).

// Writes the text as 8-bit text, no length, no terminator. The bytes are collected in a
// 4096-byte buffer that is written whenever it is full and once more at the end (a write of 0
// bytes for an empty text).
//   u"Ab" => 41 62,  u"\u00c4\u20ac" => C4 AC
XAN_EXPORT void WriteStringStream(TStream& AStream, StringView Text);

// Writes the text as WriteStringStream does, then the bytes 13, 10.
//   u"\u00c4\u20ac" => C4 AC 0D 0A
XAN_EXPORT void WriteLnStream(TStream& AStream, StringView Text);

// Write the value in its layout: 4, 4, 8 or 10 bytes.
//   WriteLongintToStream(-2) => FE FF FF FF,  WriteDoubleToStream(0.5) => 00 .. 00 E0 3F,
//   WriteExtendedToStream(1.0L) => 00 00 00 00 00 00 00 80 FF 3F
XAN_EXPORT void WriteLongintToStream(TStream& AStream, int32_t Value);
XAN_EXPORT void WriteSingleToStream(TStream& AStream, float Value);
XAN_EXPORT void WriteDoubleToStream(TStream& AStream, double Value);
XAN_EXPORT void WriteExtendedToStream(TStream& AStream, long double Value);

// ================================================================================================
// Typed readers: they read exactly 4, 4, 8 or 10 bytes and never raise. On success Error is
// false. When fewer bytes are left, or the stream raises, Error is true and the value is built
// from the bytes that were read followed by zero bytes (0 when none was read); the bytes that were
// there are consumed.
//   ReadLongintFromStream on FE FF FF FF => -2 (Error false),  on 01 02 => 0x0201 (Error true)

XAN_EXPORT int32_t ReadLongintFromStream(TStream& AStream, bool& Error) noexcept;
XAN_EXPORT float ReadSingleFromStream(TStream& AStream, bool& Error) noexcept;
XAN_EXPORT double ReadDoubleFromStream(TStream& AStream, bool& Error) noexcept;
XAN_EXPORT long double ReadExtendedFromStream(TStream& AStream, bool& Error) noexcept;

// ================================================================================================
// Lines and searching

// Reads one line byte by byte, each byte appended as the character of the same code (control
// characters included), until the line end of EOLMode has been read or the stream ends:
//   EOLMode 0: a LF;  1: a CR;  2: a CR or a LF, whichever comes first;
//           3: a CR right after a LF (the pair LF CR);  4: a LF right after a CR (CR LF);
//           any other: never (the line runs to the end of the stream).
// The byte before the first one of a call counts as 0, so a pair split between two calls is not
// recognised. At the end of the stream EndOfStream is true and the collected text comes back
// unchanged. After a line end EndOfStream is false, and the last character is removed if it is a
// CR or LF, then once more the new last character if it is a CR or LF (at most two go).
//   mode 0 on "ab" CR LF "cd" => u"ab" (false), then u"cd" (true)
//   mode 2 on "ab" CR LF "cd" => u"ab", then u"" (the LF), then u"cd"
//   mode 0 on "a" CR CR LF    => u"a\r"
//   mode 0 on "ab" LF         => u"ab" (false), then u"" (true)
XAN_EXPORT String ReadLnStream(TStream& AStream, bool& EndOfStream, int32_t EOLMode);

// Reads until a byte equal to Value has been read (true, position just after it) or the stream
// is exhausted (false, position at the end).
XAN_EXPORT bool FindInStream(TStream& AStream, uint8_t Value);

// The rest of the stream read in blocks of 256 bytes (until a block comes back shorter), each
// pair of bytes one UTF-16 code unit, low byte first. An odd last byte is consumed and dropped; a
// byte-order mark is not interpreted.
//   41 00 42 00 43 => u"AB",  FF FE 41 00 => u"\ufeffA"
XAN_EXPORT String StreamAsString(TStream& AStream);

// The rest of the stream read the same way, each byte one character of the same code.
//   41 E9 00 => u"A\u00e9\0"
XAN_EXPORT String StreamAsByteString(TStream& AStream);

// Reads up to and including the first occurrence of SearchText, compared with the letters A-Z
// folded to lower case on both sides. The stream is read in blocks of 256 bytes, one character
// per byte.
// Found: ErrCode is 0, the result is the text from the start position up to and including the
// match (letters as they stand in the stream), and the stream is left just after the match.
// Not found (an empty SearchText never occurs): ErrCode is -1, the result is the whole rest of the
// stream, and the stream is left at its end.
//   u"END" on "abc end xyz" => u"abc end", ErrCode 0, the position before " xyz"
XAN_EXPORT String ReadStreamUntil(TStream& AStream, StringView SearchText, int32_t& ErrCode);

// Counts the LF (10) bytes in the rest of the stream, which is left at its end. A last line
// without LF is not counted. Counts beyond the signed 32-bit range give 2147483647.
//   "a" LF "b" => 1,  "" => 0,  LF LF => 2
XAN_EXPORT int32_t CountLinesInStream(TStream& AStream);

// ================================================================================================
// Number scanners: the end of the stream ends the input; they never raise for it.

// Scans a decimal integer: skips blanks (32), LF (10) and CR (13) (not tabs), takes an optional
// '-' or '+', then digits. The byte that ends the number is consumed. No digits give 0; the value
// is computed in signed 32-bit arithmetic and wraps around without an error.
//   "  -0042x" => -42 (the 'x' consumed),  TAB "5" => 0 (the tab consumed),
//   "2147483648" => -2147483648,  "" => 0
XAN_EXPORT int32_t ScanStreamDecimal(TStream& AStream);

// Scans a floating-point number with a state machine that reads one byte per step:
//   DecPChar 1: '.' is the decimal point;  2: ',';  3: either;  any other: none.
//   AllowExp: an 'E' or 'e' starts an exponent; else it ends the number.
// Leading tabs, LF, CR and blanks are skipped; a sign may precede the digits or the point; the
// number ends at the first byte that cannot continue it (white space, a sign after a digit, any
// other byte, or the end), which is consumed. A malformed number (a second point, a sign or an
// 'E' with no digits after it, nothing before the first other byte) gives 0. Exponent digits stop
// counting once the exponent passes 4200, and the result is limited to -uc_MaxDouble ..
// +uc_MaxDouble.
//   (AllowExp true, DecPChar 1): "  -12.5e3 " => -12500,  "7." => 7,  ".25" => 0.25,
//   "1.2.3" => 0,  "+ " => 0,  "1e " => 0,  "2E5000" => 1.7E308
//   (DecPChar 2): "3,75;" => 3.75;  (DecPChar 1): "3,75" => 3 (the ',' consumed)
//   (AllowExp false): "5E3" => 5 (the 'E' consumed)
XAN_EXPORT double ScanStreamFPNum(TStream& AStream, bool AllowExp, int32_t DecPChar);

// ================================================================================================
// Extracting and replacing

// Copies the pieces of the rest of Source that lie between delimiters to Dest, at its position,
// each piece followed by CR LF, and returns the number of pieces.
// Delimiters holds pairs of texts: entries 0 and 1 are the start and end delimiter of the first
// pair, entries 2 and 3 of the second, and so on; an unpaired last entry and pairs with an empty
// start are ignored. Delimiters are 8-bit text and compared exactly (letter case counts).
// From the position on, the earliest occurrence of any start delimiter (at equal places, the
// earlier pair) begins a piece, which runs to the next occurrence of that pair's end delimiter;
// the search goes on after the end delimiter. A piece whose end delimiter does not follow (or is
// empty) runs to the end of Source. Source is left at its end.
//   "a[1]b[22]c" with ("[", "]") => 2 pieces, Dest "1\r\n22\r\n"
//   "x<b>y</b>z{q}" with ("<b>", "</b>", "{", "}") => "y\r\nq\r\n"
XAN_EXPORT int32_t ExtractFromStream(TStream& Source, TMemoryStream& Dest,
                                     const TStringList& Delimiters);

// Called by SearchAndReplace for a modifier it does not know: Command is the modifier's text
// between its brackets, Substring the text of the occurrence; what the callback leaves in
// Substring goes into the output in place of the modifier.
using TSRUnknownModifierEvent = void (*)(StringView Command, String& Substring);

// Copies the rest of Source (from its position) to Dest (at its position), replacing occurrences
// of SearchText by ReplaceText, and returns the number of replacements. Source is left at its end.
// When Source and Dest are the same stream, its content from the start position on is replaced
// by the result.
// - Texts are 8-bit text. IgnoreCase folds the letters A-Z only.
// - Occurrences are found from left to right and do not overlap. FirstMatch is the number
//   (from 1) of the first occurrence to replace, so earlier ones stay; values below 1 count as 1.
//   MaxCount is the most occurrences to replace; 0 or less means all. An empty SearchText
//   replaces nothing.
// - Modifiers: Brackets holds the opening and closing bracket of a modifier (u"{}"; a single
//   character serves as both; empty: ReplaceText has no modifiers). A modifier in ReplaceText
//   is replaced, for each occurrence, by:
//     {}        the occurrence as it stands in Source
//     {upper}   the occurrence with a-z upper-cased;  {lower}: with A-Z lower-cased
//     {count}   the number of this replacement (1, 2, ...)
//     {other}   what OnUnknownModifier leaves in Substring (which starts as the occurrence), or,
//               without a callback, the modifier as written ("{other}")
//   Command names are compared ignoring the case of A-Z. An opening bracket without a closing one
//   is ordinary text.
//   "a-b-c", "-", "+", first 2, all => "a-b+c", 1;  "Cat cat", "CAT", "<{lower}>", ignore case
//   => "<cat> <cat>", 2
XAN_EXPORT int32_t SearchAndReplace(TMemoryStream& Source, TMemoryStream& Dest,
                                    StringView SearchText, StringView ReplaceText, bool IgnoreCase,
                                    int32_t FirstMatch, int32_t MaxCount, StringView Brackets,
                                    TSRUnknownModifierEvent OnUnknownModifier);

}  // namespace xan
