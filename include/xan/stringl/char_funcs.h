// Character tests and small string functions: trimming, padding and cutting to a width, removal
// and collapsing of characters, reduction to safe character sets, German letters, and case.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// A blank is the space character (code 32) only; tabs and line ends are not blanks. Simple case
// changes "a".."z" and "A".."Z" only; locale case follows the platform's locale rules
// (xan/platform/locale.h). None of these functions raises except for std::bad_alloc.

// ================================================================================================
// Character tests

// "0".."9".
constexpr bool IsDigit(Char c) noexcept {
  return c >= u'0' && c <= u'9';
}
// "A".."Z" and "a".."z"; no accented letters.
constexpr bool IsLetter(Char c) noexcept {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
// "A".."Z", "a".."z" and "0".."9".
constexpr bool IsDigitLetter(Char c) noexcept {
  return IsLetter(c) || IsDigit(c);
}
// "0".."9", "A".."F" and "a".."f".
constexpr bool IsHexChar(Char c) noexcept {
  return IsDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
// The seven German special letters "äöüÄÖÜß" (codes 228, 246, 252, 196, 214, 220, 223).
constexpr bool IsUmlaut(Char c) noexcept {
  return c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xC4 || c == 0xD6 || c == 0xDC || c == 0xDF;
}

// True when the text looks like an abbreviation: its longest run of consecutive capitals
// "A".."Z" is at least 2 long and longer than the number of "a".."z" and "0".."9" in the whole
// text. Other characters count for neither side. Empty text gives false.
//   "CPU" => true   "GHz" => true   "USB2" => true   "Hello" => false   "A" => false
//   "ABcd" => false   "" => false
XAN_EXPORT bool IsAbbreviation(StringView text);

// ================================================================================================
// Trimming

// Leading and trailing blanks removed.
//   "  a b  " => "a b"   "   " => ""   "" => ""
XAN_EXPORT String StripLTBlanks(StringView text);

// Leading blanks removed, but the last character is always kept.
//   "  a " => "a "   "   " => " "   "" => ""
XAN_EXPORT String StripLeadingBlanks(StringView text);

// Trailing blanks removed, but the first character is always kept.
//   " a  " => " a"   "   " => " "   "" => ""
XAN_EXPORT String StripTrailingBlanks(StringView text);

// All leading characters equal to c removed; the result may be empty.
//   ('0', "0012") => "12"   ('0', "000") => ""
XAN_EXPORT String StripLeadingChars(Char c, StringView text);

// Trailing characters equal to c removed, but the first character is always kept.
//   ('0', "1.500") => "1.5"   ('x', "xxx") => "x"   ('x', "") => ""
XAN_EXPORT String StripTrailingChars(Char c, StringView text);

// A backslash appended unless the text is empty or already ends with one.
//   "c:\dir" => "c:\dir\"   "c:\dir\" => "c:\dir\"   "" => ""
XAN_EXPORT String EnsureTrailingBkSlash(StringView text);

// c appended unless the text is empty or already ends with c.
//   ('/', "a/b") => "a/b/"   ('/', "a/") => "a/"   ('/', "") => ""
XAN_EXPORT String EnsureTrailingChar(Char c, StringView text);

// c put in front unless the text is empty or already begins with c.
//   ('.', "txt") => ".txt"   ('.', ".txt") => ".txt"   ('.', "") => ""
XAN_EXPORT String EnsureLeadingChar(Char c, StringView text);

// ================================================================================================
// Removing, collapsing and reversing

// Every character with a code below 32 removed.
//   "a\tb\r\n" => "ab"
XAN_EXPORT String RemoveControlChars(StringView text);

// Every c removed.
//   ("a-b-c", '-') => "abc"
XAN_EXPORT String RemoveCharInString(StringView text, Char c);

// Every run of consecutive c reduced to one c.
//   ("a,,,b,c", ',') => "a,b,c"   (",,", ',') => ","
XAN_EXPORT String RemoveMultiChars(StringView text, Char c);

// The UTF-16 code units in reverse order (a surrogate pair comes out swapped).
//   "abc" => "cba"   "" => ""
XAN_EXPORT String ReverseString(StringView text);

// ================================================================================================
// Widths

// c repeated count times, count raised to 1 if smaller and lowered to 255 if larger.
//   ('x', 3) => "xxx"   ('x', 0) => "x"   ('x', 300) => 255 times "x"
XAN_EXPORT String MultiChar(Char c, int32_t count);

// The text centred in width characters: n = width - length blanks around it, n div 2 on the
// left and the rest on the right; a text of at least width characters is cut to its first width.
//   ("ab", 7) => "  ab   "   ("abcdef", 3) => "abc"   ("ab", 0) => ""
XAN_EXPORT String CenterString(StringView text, uint8_t width);

// The text right-aligned in width characters: blanks in front; a longer text is cut to its first
// width characters.
//   ("ab", 4) => "  ab"   ("abcdef", 2) => "ab"
XAN_EXPORT String RightString(StringView text, uint8_t width);

// The text left-aligned in width characters: blanks behind; a longer text is cut to its first
// width characters.
//   ("ab", 4) => "ab  "   ("abcdef", 2) => "ab"
XAN_EXPORT String LeftString(StringView text, uint8_t width);

// The text unchanged when its length is at most maxlen; otherwise its first maxlen - 2 characters
// and "..", maxlen characters in all, or just ".." when maxlen is below 3.
//   ("abcdefgh", 5) => "abc.."   ("abc", 5) => "abc"   ("abcdefgh", 1) => ".."
XAN_EXPORT String AbbrevString(StringView text, int32_t maxlen);

// ================================================================================================
// Safe character sets and German letters

// German special letters written out, scanning once from the left: "ä" => "ae", "ö" => "oe",
// "ü" => "ue", "ß" => "ss", "µ" => "u"; "Ä", "Ö", "Ü" => "Ae", "Oe", "Ue" when the next character
// is "a".."z", else "AE", "OE", "UE" (also at the end of the text).
//   "Äpfel" => "Aepfel"   "ÄRGER" => "AERGER"   "Straße" => "Strasse"   "Ü" => "UE"
XAN_EXPORT String ExpandDiphthongs(StringView text);

// Every character other than "0".."9", "A".."Z", "a".."z" replaced by "_"; the length is kept.
//   "a b-1.txt" => "a_b_1_txt"   "é" => "_"
XAN_EXPORT String ReduceStringToAZ09(StringView text);

// Every character not allowed in a short 8.3 file name replaced by "_"; the length is kept.
// Allowed are the characters from code 33 to 126 except "\"*+,/:;<=>?[\]|":
//   !#$%&'()-.0123456789@A..Z^_`a..z{}~
//   "a b*c.txt" => "a_b_c.txt"   "x?y" => "x_y"   "é" => "_"
XAN_EXPORT String ReduceStringToFN83CompliantChars(StringView text);

// ================================================================================================
// Case

// The first letter of every word in simple upper case. Letters are "A".."Z", "a".."z" and every
// character above code 127 (these are never changed); a word starts after any other character
// of code 127 or below that is not a digit; a digit ends the word start without changing.
//   "hello world-wide 3d" => "Hello World-Wide 3d"   "élan vital" => "élan Vital"
//   "a1b c" => "A1b C"
XAN_EXPORT String CapitalizeString(StringView text);

// The case of every character swapped with locale case: a character that locale upper case
// leaves unchanged becomes its locale lower case, any other its locale upper case.
//   "aBc1" => "AbC1"   "Été" => "éTÉ"   "" => ""
XAN_EXPORT String ChangeCase(StringView text);

}  // namespace xan
