// Small parsers over text: quoted names read piece by piece, parameters of a call-like text,
// tags in XML-like text, the line and column of a position, and uuencoded byte strings.
#pragma once

#include <cstdint>
#include <span>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// Positions count from 1, as everywhere in the string functions. Nothing here raises except for
// std::bad_alloc; malformed input gives the neutral results stated per function.

// ================================================================================================
// Quoted names

// Where ParseQuotedName stands in a name:
//   vsStart     nothing of the name read yet (leading blanks and characters below code 32 are
//               skipped here);
//   vs1stQuote  inside a quoted name, a closing quote was just read: it ends the name unless a
//               second closing quote follows, which stands for one literal closing quote;
//   vsQuote     inside a quoted name;
//   vsNormal    inside a name without quotes;
//   vsEnd       the name is complete.
enum TQuotedStrState : uint8_t { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };

// Reads a name, quoted or not, from the front of text, and removes what it read from text. c1 is
// the opening and c2 the closing quote character (they may be the same). Blanks and characters
// below code 32 before the name are skipped. A quoted name runs up to the closing quote, which is
// removed; a doubled closing quote inside it stands for one. A name without quotes ends before the
// first blank or character below code 32. The result is the part of the name read in this call;
// state says where the reading stands (see TQuotedStrState), so a name may arrive in pieces (lines
// of a file, say): call again with the next piece and the same state. When the name ends, state
// becomes vsEnd and text keeps everything behind it (the blank or other character that ended it
// included). Called with vsEnd, it reads nothing. When text runs out first, state is vsStart
// (nothing but blanks and control characters read), vsNormal or vs1stQuote (the name is complete
// if nothing follows) or vsQuote (the closing quote is still missing).
//   ('"', '"', "\"my file\" rest", vsStart) => "my file", text " rest", vsEnd
//   ('"', '"', "  plain rest", vsStart)     => "plain", text " rest", vsEnd
//   ('"', '"', "\tb c", vsStart)             => "b", text " c", vsEnd
//   ('[', ']', "[a]]b] x", vsStart)          => "a]b", text " x", vsEnd
//   ('"', '"', "\"\"", vsStart)              => "", text "", vs1stQuote (an empty quoted name)
//   ('"', '"', "\"my fi", vsStart) => "my fi", vsQuote; then ("le\" x", vsQuote) => "le", " x",
//   vsEnd
XAN_EXPORT String ParseQuotedName(Char c1, Char c2, String& text, TQuotedStrState& state);

// ================================================================================================
// Parameters of a call-like text

// Parameter number index (counting from 0) of a parameter list such as "plot(x, y, 3)". The list
// is the text between the first c1 and its matching c2 (or the end of the text when c2 is
// missing); a text without c1 is a list as a whole. Parameters are separated by text2; a
// separator inside nested c1..c2 pairs or inside double quotes does not separate (when c1 equals
// c2 there is no nesting; when either is the double quote, quotes protect nothing). Each parameter
// comes back with leading and trailing blanks removed and its quotes kept. An empty text2 makes the
// whole list parameter 0. A negative index or a missing parameter gives an empty string.
//   ("plot(x, y, 3)", 1, '(', ')', ",") => "y"
//   ("f(a, g(b, c), d)", 1, '(', ')', ",") => "g(b, c)"
//   ("f(\"a,b\", c)", 0, '(', ')', ",") => "\"a,b\""
//   ("a; b", 1, '(', ')', ";") => "b"     ("f(a)", 1, '(', ')', ",") => ""
//   ("f()", 0, '(', ')', ",") => ""
XAN_EXPORT String ExtractParam(StringView text, int32_t index, Char c1, Char c2, StringView text2);

// ================================================================================================
// Tags in XML-like text
//
// A tag is the text from a "<" to the next ">". Its name is what follows the "<" up to the first
// blank, tab, line end, or the ">", without a "/" that ends an empty-element tag ("<br/>" is
// named "br"); an end tag's name keeps its slash ("/item"). Names are matched against the
// caller's list with simple folding ("Item" matches "item"); list end tags with their slash.
// Comments ("<!--" to "-->") are skipped whole; a "<" without a later ">" ends the search.

// Finds the next tag at or after pos (below 1: from 1) whose name is in tags, skipping all
// others. Found: the result is the index of the first matching entry, found is true, pos and pos2
// are the positions of its "<" and ">", and tag is its whole text. Not found: -1, found false,
// pos unchanged, pos2 0, tag empty.
//   ("a <b>x</b>", pos 1, ["b"]) => 0, pos 3, pos2 5, tag "<b>"
//   ("<i>a</I>", pos 2, ["/i"]) => 0, pos 5, pos2 8, tag "</I>"
//   ("<!-- <b> --><b/>", pos 1, ["b"]) => 0, pos 13, pos2 16, tag "<b/>"
XAN_EXPORT int32_t DetectNextTagInString(StringView text, int32_t& pos, int32_t& pos2,
                                         std::span<const String> tags, String& tag, bool& found);

// Reads the next tag at or after pos whose name is in tags (see DetectNextTagInString) and, for a
// start tag, its content up to the matching end tag: nested tags of the same name are counted,
// so the content of the outer one holds the inner ones whole. The result is the index of the
// tag's entry; tag receives the tag's whole text and content the text between the tag and its end
// tag, case kept. pos goes behind the end tag, or behind the tag itself for end tags,
// empty-element tags ("/>") and tags whose name begins with "?" or "!". Without an end tag the
// content runs to the end of the text and pos to length + 1. Not found: -1, tag and content
// empty, pos unchanged.
//   ("<a id=1>x<a>y</a></A>z", pos 1, ["a"]) => 0, tag "<a id=1>", content "x<a>y</a>", pos 22
//   ("<br/>t", pos 1, ["br"]) => 0, tag "<br/>", content "", pos 6
//   ("<p>open", pos 1, ["p"]) => 0, tag "<p>", content "open", pos 8
XAN_EXPORT int32_t ReadNextTagInString(StringView text, int32_t& pos, std::span<const String> tags,
                                       String& tag, String& content);

// ================================================================================================
// Line and column

// The line and column (both from 1) of position pos in text. A line ends at CR LF, at a lone
// line feed or at a lone carriage return; the line-end characters belong to the line they end.
// pos may be length + 1, the place behind the last character. Returns false, with line and column
// 0, when pos is outside 1..length + 1.
//   ("ab\r\ncd", 5) => true, 2, 1   ("ab\r\ncd", 4) => true, 1, 4   ("ab\ncd", 6) => true, 2, 3
//   ("ab", 0) => false, 0, 0
XAN_EXPORT bool TextLineCoords(StringView text, int32_t pos, int32_t& line, int32_t& column);

// ================================================================================================
// uuencoding of byte strings
//
// The classic uuencode body: lines of at most 45 bytes, each written as one length character
// (32 + the number of bytes) and then every 3 bytes as 4 characters of 6 bits each, 32 + the
// value, with a value of 0 written as "`" rather than a blank so that no line ends in blanks; each
// line ends with CR LF, and a line of length 0 ("`") closes the data. There is no "begin" or
// "end" line. The bytes are the low 8 bits of the text's characters.

// The uuencoded form of a byte string.
//   "Cat" => "#0V%T\r\n`\r\n"   "" => "`\r\n"   "\0" => "!````\r\n`\r\n"
XAN_EXPORT String UUEncodeStr(StringView text);

// The bytes of uuencoded text, each as the character of the same code. Lines may end with CR LF,
// LF or CR; empty lines and a leading "begin ..." line are skipped; decoding stops at a line of
// length 0 or an "end" line. A blank counts as a zero value like "`"; a line shorter than its
// length character says is read as if padded with zeros (trailing blanks are often lost in
// transit); characters beyond what the length needs are ignored. A character outside " ".."`" in
// a data line stops the decoding: the result holds the bytes of the lines before it.
//   "#0V%T\r\n`\r\n" => "Cat"   "begin 644 a\n#0V%T\n`\nend\n" => "Cat"   "" => ""
XAN_EXPORT String UUDecodeStr(StringView text);

}  // namespace xan
