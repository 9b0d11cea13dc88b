// String search, count, replace, split, field extraction, tokenizing and line reading, with the
// word-separator set and the escape and character-class helpers they use.
#pragma once

#include <cstdint>
#include <vector>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"
#include "xan/xanbase.h"

namespace xan {

// Shared rules of these functions:
// - Positions count from 1; 0 means "not found". Arguments are never changed unless they are
//   non-const references.
// - A plain search finds the first occurrence, compares UTF-16 code units exactly and never finds
//   an empty pattern: an empty pattern gives position 0, 0 occurrences and no replacement.
// - Repeated searches take occurrences without overlap: after a match the search goes on behind
//   its last character. Every search runs in time linear in the lengths of text and pattern.
// - Ignoring case is "simple" (only "A".."Z" and "a".."z" fold) unless a function says "locale",
//   which uses the platform's locale rules (xan/platform/locale.h).
// - A blank is the space character (code 32) only.
// - Nothing here raises except for std::bad_alloc: bad positions and counts give an empty
//   string, 0 or false.

// The word separators: code 0, line feed, carriage return, blank and the 22 characters
// "#%'()*+,-./:;<=>[\]{} and the double quote. Characters above code 255 are never separators.
inline constexpr TCharSet WordSeps{u'\0', u'\n', u'\r', u' ', u'"',  u'#', u'%', u'\'', u'(',
                                   u')',  u'*',  u'+',  u',', u'-',  u'.', u'/', u':',  u';',
                                   u'<',  u'=',  u'>',  u'[', u'\\', u']', u'{', u'}'};

// The tokens made by Tokenize.
using TOpenStringArray = std::vector<String>;

// ================================================================================================
// Search and count

// The position of the num-th occurrence of substr in text, counting occurrences from startpos on
// (startpos below 1 counts as 1). 0 when there are fewer occurrences, num <= 0 or substr is
// empty. ignorecase: simple folding.
//   ("bc", "abcabc", 1, 2, false) => 5   ("aa", "aaaa", 1, 2, false) => 3
//   ("b", "abc", 0, 1, false) => 2       ("B", "abc", 1, 1, true) => 2
//   ("bc", "abcabc", 3, 1, false) => 5   ("", "abc", 1, 1, false) => 0
XAN_EXPORT int32_t NumberedPos(StringView substr, StringView text, int32_t startpos, int32_t num,
                               bool ignorecase);

// The position (of the first character) of the num-th occurrence counted backwards: occurrences
// end at or before startpos (clamped to 1..length of text); the one ending nearest startpos is
// the first, and each further one ends before the previous one starts. 0 when not found,
// num <= 0 or substr is empty. ignorecase: simple folding.
//   ("bc", "abcabc", 6, 1, false) => 5   ("bc", "abcabc", 5, 1, false) => 2
//   ("bc", "abcabc", 6, 2, false) => 2   ("aa", "aaa", 3, 1, false) => 2
XAN_EXPORT int32_t NumberedPosBw(StringView substr, StringView text, int32_t startpos, int32_t num,
                                 bool ignorecase);

// The position of the last occurrence, occurrences taken without overlap from the left; 0 if
// none.
//   ("ab", "abxab") => 4   ("aa", "aaa") => 1   ("x", "abc") => 0
XAN_EXPORT int32_t PosLast(StringView substr, StringView text);

// The number of occurrences of substr, without overlap. casesensitive false: simple folding.
//   ("aa", "aaaaa", true) => 2   ("ab", "AbaB", false) => 2   ("", "abc", true) => 0
XAN_EXPORT int32_t CountStringInString(StringView substr, StringView text, bool casesensitive);

// The number of characters equal to c. casesensitive false: simple folding.
//   ('a', "aAbA", true) => 1   ('a', "aAbA", false) => 3
XAN_EXPORT int32_t CountCharInString(Char c, StringView text, bool casesensitive);

// The number of words: runs of characters not in WordSeps that are at least two characters long
// and followed by a separator. A run at the very end of the text, with no separator after it, is
// not counted, nor is any one-character run.
//   "a bb ccc" => 1   "a bb ccc." => 2   "ab cd " => 2   "" => 0
XAN_EXPORT int32_t CountWords(StringView text);

// The position of the first character that is not a blank; 0 for an empty or all-blank text.
//   "  ab" => 3   "   " => 0
XAN_EXPORT int32_t FindFirstNonBlank(StringView text);

// The position of the first character "0".."9"; 0 if none.
//   "ab3" => 3   "abc" => 0
XAN_EXPORT int32_t FindFirstDigit(StringView text);

// True when text is not empty and every character equals c.
//   ("xxx", 'x') => true   ("xxy", 'x') => false   ("", 'x') => false
XAN_EXPORT bool TestAllChar(StringView text, Char c);

// True when a and b are equal without regard to case, with locale folding. Each text ends at its
// first character of code 0, if any.
//   ("\u00c9t\u00e9", "\u00e9T\u00c9") => true   ("ab\0x", "AB\0y") => true   ("a", "ab") => false
XAN_EXPORT bool EqualAnsiStrings(StringView a, StringView b);

// Character lists for StringContains and StringContainsOtherThan: the characters of charlist, in
// which five class names stand for character ranges:
//   "//dig" => "0".."9",  "//lc" => "a".."z",  "//uc" => "A".."Z",
//   "//31dwn" => the codes 0..31,  "//128up" => the codes 128..255.
// The names are expanded in rounds: each round replaces the first occurrence of each name, in
// the order above, and rounds repeat until one replaces nothing. Every character, above code 255
// too, is listed exactly: "\u20ac" lists the euro sign and nothing else.

// True when at least one character of text is in the expanded list; false for an empty text.
//   ("a1", "//dig") => true   ("abc", "//dig") => false   ("x\u20ac", "\u20ac") => true
//   ("\u0141", "//128up") => false   ("\u00e9", "//128up") => true
XAN_EXPORT bool StringContains(StringView text, StringView charlist);

// True when at least one character of text is not in the expanded list; false for an empty text.
//   ("abc", "//lc") => false   ("abC", "//lc") => true   ("a\u0141", "//lc") => true
XAN_EXPORT bool StringContainsOtherThan(StringView text, StringView charlist);

// The candidate of CSVDELIMITERS (code 0, blank, ";", ",", ":", tab) that occurs most often in
// text, counted exactly; on equal counts the earlier one in that order wins; csvUnknown when none
// occurs. Code 0 is the candidate of csvUnknown: a text with at least as many characters of code
// 0 as of every delimiter gives csvUnknown.
//   "a;b;c,d" => csvSemicolon   "a b;c" => csvBlank   "abc" => csvUnknown   "a;b\0" => csvUnknown
XAN_EXPORT TCSVDelimiters DetectCSVDelimiter(StringView text);

// ================================================================================================
// Replace, split and extract

// Every oldchar replaced by newchar.
//   ("a.b.c", '.', '/') => "a/b/c"
XAN_EXPORT String ReplaceCharInString(StringView text, Char oldchar, Char newchar);

// Every occurrence of oldstr replaced by newstr, from left to right; the search goes on behind
// each replaced occurrence, so the inserted text is never searched. ignorecase: simple folding;
// the text outside the matches keeps its case. An empty oldstr changes nothing.
//   ("aaa", "a", "aa", false) => "aaaaaa"   ("Hello", "L", "x", true) => "Hexxo"
//   ("aaaa", "aa", "b", false) => "bb"       ("abc", "", "x", false) => "abc"
XAN_EXPORT String ReplaceStringInString(StringView text, StringView oldstr, StringView newstr,
                                        bool ignorecase);

// The text behind the first occurrence of trigger; empty when trigger does not occur. strip:
// leading and trailing blanks removed from the result.
//   ("key = value", "=", true) => "value"   ("a=b=c", "=", false) => "b=c"
//   ("abc", "x", false) => ""
XAN_EXPORT String ExtractAfterTrigger(StringView text, StringView trigger, bool strip);

// The text before the first occurrence of trigger; empty when trigger does not occur (not the
// whole text). strip as above.
//   ("key = value", "=", true) => "key"   ("abc", "x", false) => ""
XAN_EXPORT String ExtractBeforeTrigger(StringView text, StringView trigger, bool strip);

// Splits text at the first occurrence of delimiter: before gets the text in front of it and after
// the text behind it, each stripped of leading and trailing blanks when strip is true. When
// delimiter does not occur (or is empty) both are empty.
//   ("k:v", ":", false) => "k", "v"   ("k = v = w", "=", true) => "k", "v = w"
//   ("kv", ":", false) => "", ""
XAN_EXPORT void SplitString(StringView text, StringView delimiter, bool strip, String& before,
                            String& after);

// Field number index (counting from 0) of text split at delimiter (exact search); empty for a
// negative index, an empty text, a missing field or an empty field. A field is empty when it
// begins with the delimiter, compared with locale folding; a delimiter that begins the text makes
// field 0 empty. An empty delimiter never occurs: field 0 is the whole text.
//   ("a,b,,c", 0..4, ",") => "a", "b", "", "c", ""   ("x,y,", 2, ",") => ""
//   ("a::b", 1, "::") => "b"   ("abc", 0, "") => "abc"
XAN_EXPORT String ExtractSubString(StringView text, int32_t index, StringView delimiter);

// The word that contains position pos: the run of characters not in WordSeps around pos. When
// pos is on a separator, that single character. Empty when pos is outside 1..length.
//   ("one two", 5) => "two"   ("one two", 4) => " "   ("one two", 0) => ""
XAN_EXPORT String ExtractWordFromString(StringView text, int32_t pos);

// As above, and wordstart and wordend receive the positions of the result's first and last
// character (both 0 when pos is outside the text).
//   ("one two", 5) => "two", 5, 7   ("one two", 4) => " ", 4, 4   ("one two", 8) => "", 0, 0
XAN_EXPORT String ExtractWordFromString(StringView text, int32_t pos, int32_t& wordstart,
                                        int32_t& wordend);

// The number of tokens of text split at every occurrence of delimiter; tokens receives them.
// There is always at least one token: an empty text gives one empty token, an empty delimiter the
// whole text. At most 1000 tokens are made; the thousandth holds the whole rest of the text,
// delimiters included.
//   ("a;;b", ";") => 3: "a", "", "b"   ("a;b;", ";") => 3: "a", "b", ""   ("", ";") => 1: ""
XAN_EXPORT int32_t Tokenize(StringView text, StringView delimiter, TOpenStringArray& tokens);

// As above, but a delimiter directly behind escapechar does not split (only the one character in
// front of the delimiter is examined, and not for a delimiter at the very start of the rest that
// is still to be split). Then in every token each pair of escapechar becomes one escapechar, and
// after that each escapechar followed by delimiter becomes the delimiter (both replacements with
// simple folding).
//   ("a\;b;c", ";", '\') => 2: "a;b", "c"   ("a\\;b", ";", '\') => 1: "a;b"
//   ("a\\b;c", ";", '\') => 2: "a\b", "c"
XAN_EXPORT int32_t Tokenize(StringView text, StringView delimiter, Char escapechar,
                            TOpenStringArray& tokens);

// Reads the line that starts at position pos and leaves pos behind the character that ended it.
// Characters of code 32 and above go into the line; characters below 32 never do, and end the
// line as mode says:
//   0: line feed          1: carriage return       2: carriage return or line feed
//   3: carriage return directly after a line feed
//   4: line feed directly after a carriage return
//   other: never (control characters are only dropped)
// For modes 3 and 4 both characters of the pair must be read in the same call: a call that starts
// on the second character of a pair only drops it.
// endoftext becomes true when the reading ran past the end of the text; so after the last line
// of a text that ends with a line break, one more call returns "" with endoftext true. With
// mode 2 a CR LF pair ends two lines, the second empty. A pos below 1 starts at 1.
//   ("ab\r\ncd", pos 1, mode 4) => "ab", pos 5, false; then => "cd", pos 7, true
//   ("ab\r\ncd", pos 1, mode 2) => "ab", pos 4; then "", pos 5; then "cd", pos 7, true
//   ("ab\r\ncd", pos 4, mode 4) => "cd", pos 7, true
XAN_EXPORT String ReadLnString(StringView text, int32_t& pos, bool& endoftext, int32_t mode);

// Resolves backslash escapes from left to right. "\#" and the two characters after it become one
// character whose code is those two characters read as a hexadecimal number by ScanHexNumber
// (a non-digit ends the number but is consumed with the escape; no digit gives code 0; at the end
// of the text fewer characters are consumed). "\\" becomes one backslash. Any other backslash
// stays, as does a backslash at the end. The character an escape makes is not scanned again.
//   "\#41" => "A"   "a\\b" => "a\b"   "a\" => "a\"   "\#zz" => one character of code 0
//   "\#4x" => "\x04"   "\\#41" => "\#41"   "\x" => "\x"   "\#5C#41" => "\#41"
XAN_EXPORT String ProcessHexChars(StringView text);

}  // namespace xan
