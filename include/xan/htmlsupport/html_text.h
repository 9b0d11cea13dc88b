// HTML text: word counting outside tags, character references (escaping and resolving), a
// default document head and foot, and the body of a document as markup or as plain text.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// None of these functions raises, whatever the text, except for std::bad_alloc.

// ================================================================================================
// Word count

// The number of words outside HTML tags. intag carries the inside-a-tag state from one call to
// the next, so a document can be counted piece by piece (start with false).
// Every "<" starts a tag and every ">" ends one; the characters from "<" to just before ">" are
// skipped. Outside tags, each character of WordSeps (">" is one) ends the current run of other
// characters, which counts as a word when it is at least two characters long, and, with
// skipnumbers, when it does not begin with "0".."9". A run at the end of the text, with no
// separator after it, is not counted.
//   "<p>Hello world</p>" => 2, intag false     "<a href" => 0, intag true
//   then "x>ab cd " => 2, intag false           ("12 ab ", skipnumbers) => 1
//   "ab" => 0     "" => 0 (intag unchanged)
XAN_EXPORT int32_t CountWordsHTML(StringView text, bool skipnumbers, bool& intag) noexcept;

// ================================================================================================
// Character references
//
// The references written and read here: "&amp;", "&lt;", "&gt;", "&quot;", the names of
// HTMLLat1Entities for the codes 160..255 ("&nbsp;" .. "&yuml;", letter case counts), and the
// numeric forms "&#NNN;" (decimal) and "&#xHH;" (hexadecimal, "x" or "X", digits of either case)
// for the codes 1..0x10FFFF. Reading also knows "&apos;". Escaping and then resolving gives every
// text back unchanged, unpaired surrogates included.

// The HTML form of one character: "&amp;", "&lt;", "&gt;", "&quot;" for & < > ", the named
// reference for 160..255, "&#N;" (decimal) above 255, and the character itself otherwise.
//   '<' => "&lt;"     u'\u00e9' => "&eacute;"     u'\u20ac' => "&#8364;"     'a' => "a"
//   '\'' => "'"       u'\u00a0' => "&nbsp;"
XAN_EXPORT String AnsiToHTMLEntity(Char c);

// The text with every character in its HTML form as AnsiToHTMLEntity gives it, except that a
// surrogate pair becomes one decimal reference to the character it encodes. The result shows the
// text as it stands when placed in HTML content or in a quoted attribute value, and holds only
// characters of codes 0..159, so any 8-bit code page carries it without loss.
//   "a < b & \"c\"" => "a &lt; b &amp; &quot;c&quot;"     "caf\u00e9" => "caf&eacute;"
//   "\U0001F600" => "&#128512;"     "" => ""
XAN_EXPORT String MakeStringHTMLCompatible(StringView text);

// Every character reference replaced by its character, in one pass from left to right (the
// result is not scanned again). Unknown names, references without the closing ";", "&#0;" and
// numbers above 0x10FFFF stay as they are. Codes above 0xFFFF become surrogate pairs.
//   "a &lt; b" => "a < b"     "caf&eacute;" => "caf\u00e9"     "&#65;&#x42;&#X43;" => "ABC"
//   "&amp;lt;" => "&lt;"     "&Eacute;" => "\u00c9"     "&EACUTE;" => "&EACUTE;"
//   "&amp" => "&amp"     "&#x1F600;" => "\U0001F600"     "&#0;" => "&#0;"     "" => ""
XAN_EXPORT String ResolveHTMLEntities(StringView text);

// The character of one character reference: the text must be one reference as
// ResolveHTMLEntities knows it, nothing before or after; any other text comes back unchanged.
//   "&eacute;" => "\u00e9"     "&#8364;" => "\u20ac"     "&quot;" => "\""
//   "&#x1F600;" => "\U0001F600" (two code units)     "&bogus;" => "&bogus;"
//   "x&amp;" => "x&amp;"     "" => ""
XAN_EXPORT String HTMLEntityToAnsi(StringView text);

// ================================================================================================
// Document frame

// The start of an HTML document up to its head's end, lines ended with CR LF:
//   <!DOCTYPE html>
//   <html>
//   <head>
//   <meta charset="Charset">
//   <title>Title</title>
//   <meta name="description" content="Description">    (only when Description is not empty)
//   <link rel="stylesheet" href="StyleSheet">          (only when StyleSheet is not empty)
//   </head>
//   <body>                                              (only when WithBody)
// An empty Charset stands for "windows-1252", the code page in which THtmlProducer writes its
// results. All four texts go through MakeStringHTMLCompatible.
//   ("A & B", "", "", "", true) => "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=
//   \"windows-1252\">\r\n<title>A &amp; B</title>\r\n</head>\r\n<body>\r\n"
XAN_EXPORT String DefaultHTMLHead(StringView Title, StringView Charset, StringView Description,
                                  StringView StyleSheet, bool WithBody);

// The end of the document that DefaultHTMLHead begins: "</body>" when WithBody, then "</html>",
// each line ended with CR LF.
//   true => "</body>\r\n</html>\r\n"     false => "</html>\r\n"
XAN_EXPORT String DefaultHTMLFoot(bool WithBody);

// ================================================================================================
// Document body

// The content of the body element: the text after the "<body ...>" start tag up to the last
// "</body>" (tag names without regard to case). Without an end tag the content runs to the end;
// a text without a body start tag is taken as content already and comes back unchanged; a start
// tag without its ">" has no content.
//   "<html><body class=\"x\">Hi <b>you</b></body></html>" => "Hi <b>you</b>"
//   "<BODY>text" => "text"     "just <i>text</i>" => "just <i>text</i>"     "<body" => ""
XAN_EXPORT String ExtractHTMLBody(StringView text);

// The body of the document (ExtractHTMLBody) as plain text, as a browser would show it:
// - tags are dropped, comments "<!-- -->" and the contents of "script" and "style" elements
//   too; a "<" that is not followed by a letter, "/", "!" or "?", or that has no ">" after it,
//   is text;
// - runs of blanks, tabs, CR, LF and form feeds become one blank; lines have no leading or
//   trailing blanks;
// - character references are resolved as in ResolveHTMLEntities ("&nbsp;" stays U+00A0);
// - with KeepLineBreaks, "<br>" ends a line, a block element (div, li, tr, table, ul, ...) starts
//   and ends one, "p" and "h1".."h6" are set off by an empty line, and cells "td", "th" are
//   separated by a blank; lines are joined with CR LF, with no line break at the start or end.
//   Without KeepLineBreaks every such break is one blank, so the result is one line.
//   ("<p>Hello   <b>big</b>\r\nworld</p><p>2 &lt; 3</p>", true)
//     => "Hello big world\r\n\r\n2 < 3"
//   ("a<br>b<div>c</div>d", true) => "a\r\nb\r\nc\r\nd"
//   ("a<br>b<div>c</div>d", false) => "a b c d"
//   ("<script>x<y</script>z", true) => "z"     ("1 < 2", true) => "1 < 2"     ("", true) => ""
XAN_EXPORT String ConvertHTMLBodyToText(StringView text, bool KeepLineBreaks);

}  // namespace xan
