// Tag and attribute scanning: tolerant scanners that walk XML-like text in streams and open text
// files tag by tag, and pick attribute values out of an attribute text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"
#include "xan/platform/textfile.h"

namespace xan {

// Terms used below:
// - Tag text: the characters after a '<' up to and including the next '>'. Tag texts that begin
//   with '!' (comments, declarations) are skipped; a comment ends at its first '>'. A '<' with no
//   '>' after it before the end of the input is no tag.
// - Name: the tag text before its first blank (code 32; tabs and line ends do not separate),
//   without the closing '>' or "/>", with A-Z folded to lower case. End tags keep their slash
//   ("/item").
// - Attribute text: the rest of the tag text after that blank, without the closing '>' or "/>",
//   with leading and trailing blanks removed (code 32 only). Letter case is kept.
// - Tag list: names to classify tags by, indexed from 0. A name matches entry i when it equals
//   the entry character for character, so entries must be lower case to be found.
// None of these scanners raises on malformed input; they report through their results.

// Reads the next tag from the stream (one character per byte) and returns the index of its name
// in TagList, or the last index (TagList.size() - 1, which is -1 for an empty list) when no entry
// matches. A start tag (neither an end tag, nor an empty-element tag ending in "/>", nor empty)
// also gets its content: every character after it up to the first "</name>" (compared ignoring
// the case of A-Z), which is consumed and not included; without one, the content is the rest of
// the input. Nested elements of the same name are not counted.
// The stream is left after the tag, or after the end tag that closed its content. With no further
// tag, Attributes and Content are empty and the result is the index of the empty name.
//   '<!-- note --><Item ID="3">Text <b>x</b></ITEM>tail' with (item, b, x)
//       => 0, Attributes 'ID="3"', Content 'Text <b>x</b>', the stream left before 'tail'
//   '</item>' => the index of "/item" (or the last index), empty Attributes and Content
//   '<br/>' with (br, x) => 0;  '<img src="a.png" />' => Attributes 'src="a.png"'
//   '<?xml version="1.0"?>' => a start tag named "?xml" whose content runs to the end
//   '<item' TAB 'id=1>' => the whole tag text is the name, which matches nothing
XAN_EXPORT int32_t ReadNextTagInStream(TStream& InStream, std::span<const String> TagList,
                                       String& Attributes, String& Content);

// The same on an open text file, from its current position and in its characters (the file's
// end in place of the stream's end), with one difference in the content: it is gathered in
// pieces that each end with a '>', and at the end of the file a last piece without '>' is not
// added.
//   "<a>x<b>y" => the content "x<b>" ("y" is dropped)
XAN_EXPORT int32_t ReadNextTagInTextFile(TTextFile& InFile, std::span<const String> TagList,
                                         String& Attributes, String& Content);

// The value of the attribute AttribName (compared ignoring the case of A-Z) in an attribute text
// of items name=value, or an empty text when it is not there. A value is either in double quotes
// (and may then hold blanks and '='; a missing closing quote ends it at the end of the text) or
// unquoted, ended by a blank or a double quote. Blanks around the name and after '=' are skipped.
// Single quotes have no meaning and there are no escapes. An item that is malformed (a double
// quote in a name, '=' right after '=' or inside an unquoted value) ends the scan with an empty
// result, even when the wanted attribute follows.
//   ('width=100 height="20 px"', 'HEIGHT') => '20 px',  ('a = "1"', 'a') => '1',
//   ("a='x'", 'a') => "'x'",  ('checked a="1"', 'a') => '' (the name read is 'checked a'),
//   ('a=1=2 b=3', 'b') => '',  ('a="xyz', 'a') => 'xyz',  ('', 'a') => ''
XAN_EXPORT String ScanForXMLAttrib(StringView Instring, StringView AttribName);

// Reads tags from the stream until one named TagName (compared ignoring the case of A-Z) is
// found, skipping all others, and returns true with its attribute text and, for a start tag, its
// content (as ReadNextTagInStream reads them). The stream is left after the tag or its content.
// False with both texts empty when the input ends first (the stream is then at its end).
//   "<a x=1><b y=2>in</b></a>" with u"B" => true, Attributes "y=2", Content "in"
XAN_EXPORT bool ScanStreamForXMLTag(TStream& InStream, StringView TagName, String& Attributes,
                                    String& Content);

// Reads the stream up to the first tag whose name is an entry of TagList and returns the text
// before that tag, comments and other tags included as they stand. TagIndex is the entry's index
// and the stream is left just after the tag. When no such tag follows, TagIndex is -1, the result
// is the whole rest of the stream and the stream is left at its end.
//   "Hello <i>you</i><br/>!" with (br, /i) => "Hello <i>you", TagIndex 1, then "" with 0
XAN_EXPORT String ReadStreamUntilTagList(TStream& InStream, std::span<const String> TagList,
                                         int32_t& TagIndex);

// The list forms above with the list written in place: ReadNextTagInStream(s, {u"item", u"b"},
// ...).
inline int32_t ReadNextTagInStream(TStream& InStream, std::initializer_list<String> TagList,
                                   String& Attributes, String& Content) {
  return ReadNextTagInStream(InStream, std::span<const String>(TagList.begin(), TagList.size()),
                             Attributes, Content);
}
inline int32_t ReadNextTagInTextFile(TTextFile& InFile, std::initializer_list<String> TagList,
                                     String& Attributes, String& Content) {
  return ReadNextTagInTextFile(InFile, std::span<const String>(TagList.begin(), TagList.size()),
                               Attributes, Content);
}
inline String ReadStreamUntilTagList(TStream& InStream, std::initializer_list<String> TagList,
                                     int32_t& TagIndex) {
  return ReadStreamUntilTagList(InStream, std::span<const String>(TagList.begin(), TagList.size()),
                                TagIndex);
}

}  // namespace xan
