// Tag and attribute scanning: one tag reader shared by the stream and text-file forms, the
// attribute item machine, and the searches for a named tag and for a listed tag.
#include "xan/streams/tags.h"

#include "xan_streams/stream_text.h"

namespace xan {

using streams_detail::LowerAZ;

namespace {

// Characters of a stream: one per byte.
struct TStreamChars {
  TStream& S;
  bool Next(Char& C) {
    uint8_t b = 0;
    if (!S.NextByte(b)) return false;
    C = b;
    return true;
  }
};

// Characters of an open text file.
struct TFileChars {
  TTextFile& F;
  bool Next(Char& C) { return F.ReadChar(C); }
};

// A tag as read: its name (A-Z folded), attribute text and whether it closed itself with "/>".
struct TTag {
  String Name;
  String Attributes;
  bool EmptyElement = false;
};

String TrimBlanks(StringView Text) {
  const size_t first = Text.find_first_not_of(u' ');
  if (first == StringView::npos) return {};
  return String(Text.substr(first, Text.find_last_not_of(u' ') - first + 1));
}

// Splits a complete tag text (ending with '>') into name and attribute text.
TTag ParseTagText(const String& Text) {
  TTag tag;
  const size_t blank = Text.find(u' ');
  size_t end = Text.size() - 1;  // the closing '>'
  if (Text.size() >= 2 && Text[end - 1] == u'/') {
    tag.EmptyElement = true;
    --end;
  }
  if (blank == String::npos || blank >= end) {
    tag.Name = Text.substr(0, end);
  } else {
    tag.Name = Text.substr(0, blank);
    tag.Attributes = TrimBlanks(StringView(Text).substr(blank + 1, end - blank - 1));
  }
  tag.Name = LowerAZ(tag.Name);
  return tag;
}

// What ReadTagText found: no '<' before the end, a '<' whose tag text the end cut off, or a
// complete tag text.
enum TTagRead : uint8_t { trNone, trCut, trComplete };

// Reads up to the next '<' and the tag text after it, passing every character read before the
// '<' to Skipped.
template <class TChars, class TSkipped>
TTagRead ReadTagText(TChars& In, String& Text, TSkipped&& Skipped) {
  Text.clear();
  Char c = 0;
  for (;;) {
    if (!In.Next(c)) return trNone;
    if (c == u'<') break;
    Skipped(c);
  }
  while (In.Next(c)) {
    Text += c;
    if (c == u'>') return trComplete;
  }
  return trCut;
}

// The next tag that is not a comment or declaration; false when there is none.
template <class TChars>
bool ReadNextTag(TChars& In, TTag& Tag) {
  String text;
  do {
    if (ReadTagText(In, text, [](Char) {}) != trComplete) return false;
  } while (!text.empty() && text[0] == u'!');
  Tag = ParseTagText(text);
  return true;
}

// True when Text ends with EndTag, the letters of Text folded (EndTag is lower case already).
bool EndsWithEndTag(const String& Text, const String& EndTag) {
  if (Text.size() < EndTag.size()) return false;
  const size_t base = Text.size() - EndTag.size();
  for (size_t i = 0; i < EndTag.size(); ++i) {
    if (LowerAZ(Text[base + i]) != EndTag[i]) return false;
  }
  return true;
}

// Reads the content of a start tag up to its end tag, which is consumed and dropped. The end tag
// holds exactly one '>', its last character, so it can only appear at the end of a piece that
// ends with '>'. With KeepUnfinished false, a last piece without '>' is dropped.
template <class TChars>
String ReadContent(TChars& In, const String& Name, bool KeepUnfinished) {
  const String endTag = u"</" + Name + u">";
  String content;
  String piece;
  Char c = 0;
  while (In.Next(c)) {
    piece += c;
    if (c != u'>') continue;
    if (EndsWithEndTag(piece, endTag)) {
      piece.resize(piece.size() - endTag.size());
      content += piece;
      return content;
    }
    content += piece;
    piece.clear();
  }
  if (KeepUnfinished) content += piece;
  return content;
}

bool HasContent(const TTag& Tag) {
  return !Tag.EmptyElement && !Tag.Name.empty() && Tag.Name[0] != u'/';
}

int32_t IndexOfName(std::span<const String> TagList, const String& Name) {
  for (size_t i = 0; i < TagList.size(); ++i) {
    if (TagList[i] == Name) return static_cast<int32_t>(i);
  }
  return static_cast<int32_t>(TagList.size()) - 1;
}

template <class TChars>
int32_t ReadNextTagFrom(TChars& In, bool KeepUnfinished, std::span<const String> TagList,
                        String& Attributes, String& Content) {
  Attributes.clear();
  Content.clear();
  TTag tag;
  if (!ReadNextTag(In, tag)) return IndexOfName(TagList, String());
  Attributes = tag.Attributes;
  if (HasContent(tag)) Content = ReadContent(In, tag.Name, KeepUnfinished);
  return IndexOfName(TagList, tag.Name);
}

}  // namespace

int32_t ReadNextTagInStream(TStream& InStream, std::span<const String> TagList, String& Attributes,
                            String& Content) {
  TStreamChars in{InStream};
  return ReadNextTagFrom(in, true, TagList, Attributes, Content);
}

int32_t ReadNextTagInTextFile(TTextFile& InFile, std::span<const String> TagList,
                              String& Attributes, String& Content) {
  TFileChars in{InFile};
  return ReadNextTagFrom(in, false, TagList, Attributes, Content);
}

bool ScanStreamForXMLTag(TStream& InStream, StringView TagName, String& Attributes,
                         String& Content) {
  Attributes.clear();
  Content.clear();
  const String wanted = LowerAZ(TagName);
  TStreamChars in{InStream};
  TTag tag;
  while (ReadNextTag(in, tag)) {
    if (tag.Name != wanted) continue;
    Attributes = tag.Attributes;
    if (HasContent(tag)) Content = ReadContent(in, tag.Name, true);
    return true;
  }
  return false;
}

String ReadStreamUntilTagList(TStream& InStream, std::span<const String> TagList,
                              int32_t& TagIndex) {
  TagIndex = -1;
  TStreamChars in{InStream};
  String text;
  String tagText;
  for (;;) {
    const TTagRead read = ReadTagText(in, tagText, [&text](Char c) { text += c; });
    if (read == trNone) return text;
    if (read == trComplete && tagText[0] != u'!') {
      const String name = ParseTagText(tagText).Name;
      for (size_t i = 0; i < TagList.size(); ++i) {
        if (TagList[i] == name) {
          TagIndex = static_cast<int32_t>(i);
          return text;
        }
      }
    }
    text += u'<';
    text += tagText;
    if (read == trCut) return text;
  }
}

// ================================================================================================
// Attribute items

namespace {

enum TItemState : uint8_t { isName, isEquals, isQuoted, isPlain };
enum TItemResult : uint8_t { irSuccess, irError };

// Reads one item name=value from Pos on and leaves Pos after it.
TItemResult ReadAttribItem(StringView Text, size_t& Pos, String& Name, String& Value) {
  Name.clear();
  Value.clear();
  TItemState state = isName;
  while (Pos < Text.size()) {
    const Char c = Text[Pos++];
    const bool blank = c == u' ';
    const bool quote = c == u'"';
    const bool equals = c == u'=';
    switch (state) {
      case isName:
        if (quote) return irError;
        if (equals) {
          state = isEquals;
        } else {
          Name += c;
        }
        break;
      case isEquals:
        if (equals) return irError;
        if (quote) {
          state = isQuoted;
        } else if (!blank) {
          Value += c;
          state = isPlain;
        }
        break;
      case isQuoted:
        if (quote) return irSuccess;
        Value += c;
        break;
      case isPlain:
        if (blank || quote) return irSuccess;
        if (equals) return irError;
        Value += c;
        break;
    }
  }
  return irSuccess;
}

}  // namespace

String ScanForXMLAttrib(StringView Instring, StringView AttribName) {
  const String wanted = LowerAZ(AttribName);
  size_t pos = 0;
  String name;
  String value;
  while (pos < Instring.size()) {
    if (ReadAttribItem(Instring, pos, name, value) == irError) return {};
    if (LowerAZ(TrimBlanks(name)) == wanted) return value;
  }
  return {};
}

}  // namespace xan
