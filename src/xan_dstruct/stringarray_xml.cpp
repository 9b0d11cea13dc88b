// TStringArray: the table as an XML-like element in an open text file, written line by line and
// read back with the tag scanners.
#include <array>
#include <charconv>

#include "platform/simple_text.h"
#include "xan/dstruct/stringarray.h"
#include "xan/platform/textfile.h"
#include "xan/streams/tags.h"
#include "xan_dstruct/stringarray_internal.h"

namespace xan {

using stringarray_detail::DecimalText;

namespace {

// Cell bytes as element content: "&", "<" and ">" as entities, control characters as "&#n;".
String EscapeCell(std::string_view bytes) {
  String out;
  out.reserve(bytes.size());
  for (const char b : bytes) {
    const Char c = AnsiToChar(static_cast<uint8_t>(b));
    if (c == u'&') {
      out += u"&amp;";
    } else if (c == u'<') {
      out += u"&lt;";
    } else if (c == u'>') {
      out += u"&gt;";
    } else if (c < 32 || (c >= 127 && c <= 159)) {
      out += u"&#" + DecimalText(c) + u";";
    } else {
      out += c;
    }
  }
  return out;
}

// The character an entity name (the text between "&" and ";") stands for; false when it is none
// of ours.
bool EntityChar(StringView name, Char& c) {
  if (name == u"amp") return c = u'&', true;
  if (name == u"lt") return c = u'<', true;
  if (name == u"gt") return c = u'>', true;
  if (name == u"quot") return c = u'"', true;
  if (name == u"apos") return c = u'\'', true;
  if (name.size() < 2 || name.size() > 6 || name[0] != u'#') return false;
  uint32_t code = 0;
  for (const Char d : name.substr(1)) {
    if (d < u'0' || d > u'9') return false;
    code = code * 10 + (d - u'0');
  }
  if (code > 0xFFFF) return false;
  c = static_cast<Char>(code);
  return true;
}

// The longest entity name EntityChar takes ("#" and five digits).
constexpr size_t MaxEntityName = 6;

String UnescapeCell(StringView text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] == u'&') {
      // The ";" is looked for only as far as a name of ours can reach, so that a long run of "&"
      // without ";" is read in one pass instead of one search to the end per "&".
      const size_t semi = text.substr(0, i + 2 + MaxEntityName).find(u';', i + 1);
      Char c = 0;
      if (semi != StringView::npos && EntityChar(text.substr(i + 1, semi - i - 1), c)) {
        out += c;
        i = semi + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

StringView TrimBlanks(StringView s) {
  const size_t b = s.find_first_not_of(u' ');
  if (b == StringView::npos) return {};
  return s.substr(b, s.find_last_not_of(u' ') - b + 1);
}

String LowerAscii(StringView s) {
  String out(s);
  for (Char& c : out) c = detail::SimpleLower(c);
  return out;
}

// A whole attribute value as a signed 32-bit decimal; false when it is not one.
bool AttribInt(StringView attributes, StringView name, int32_t& value) {
  const String text = ScanForXMLAttrib(attributes, name);
  const std::string narrow = StringToBytes(TrimBlanks(text));
  const char* first = narrow.data();
  const char* last = first + narrow.size();
  if (first != last && *first == '+') ++first;
  int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last || first == last) return false;
  value = v;
  return true;
}

// The opening line of an element with the identifier `wanted` (lower case; empty: any element).
bool IsElementLine(StringView line, StringView wanted) {
  const String low = LowerAscii(line);
  if (low.find(u"<stringarray") == String::npos || low.find(u"xanduroze") == String::npos) {
    return false;
  }
  if (wanted.empty()) return true;
  const size_t at = low.find(u"id=\"");
  if (at == String::npos) return false;
  const size_t start = at + 4;
  const size_t end = low.find(u'"', start);
  const StringView id(low.data() + start, (end == String::npos ? low.size() : end) - start);
  return TrimBlanks(id) == wanted;
}

}  // namespace

void TStringArray::WriteToOpenXMLFile(TTextFile& TFile, bool CreateHeader,
                                      StringView DataID) const {
  if (CreateHeader) TFile.WriteLn(u"<?xml version=\"1.0\"?>");
  TFile.WriteLn();
  TFile.WriteLn(u"<!-- TStringArray / XAN Component Suite -->");
  TFile.WriteLn(u"<stringarray sig=\"XANDUroze\" vers=\"1.0\" id=\"" + String(DataID) + u"\">");
  TFile.WriteLn(u"  <dims cols=" + DecimalText(FNCol) + u" rows=" + DecimalText(FNRow) + u" />");
  for (int32_t c = 1; c <= FNCol; ++c) {
    if (const uint8_t a = GetColAttrib(c); a != 0) {
      TFile.WriteLn(u"  <colattrib c=" + DecimalText(c) + u" val=" + DecimalText(a) + u" />");
    }
  }
  for (int32_t r = 1; r <= FNRow; ++r) {
    if (const uint8_t a = GetRowAttrib(r); a != 0) {
      TFile.WriteLn(u"  <rowattrib r=" + DecimalText(r) + u" val=" + DecimalText(a) + u" />");
    }
    for (int32_t c = 0; c <= FNCol; ++c) {
      const std::string_view cell = CellBytes(c, r);
      if (cell.empty()) continue;
      TFile.WriteLn(u"  <cell c=" + DecimalText(c) + u" r=" + DecimalText(r) + u">" +
                    EscapeCell(cell) + u"</cell>");
    }
  }
  TFile.WriteLn(u"</stringarray>");
}

void TStringArray::SaveAsXMLFile(StringView FName, StringView DataID) const {
  TTextFile file(FName, tfmRewrite);
  WriteToOpenXMLFile(file, true, DataID);
  file.Close();
}

bool TStringArray::ReadFromOpenXMLFile(TTextFile& TFile, StringView DataID) {
  const String wanted = LowerAscii(TrimBlanks(DataID));
  bool found = false;
  while (!found && !TFile.Eof()) found = IsElementLine(TFile.ReadLn(), wanted);
  if (!found) return false;

  // The element is read into a table of its own, so that a broken element changes nothing.
  TStringArray read;
  read.SetAllocRowsBy(FAllocRowsBy);
  enum : int32_t { tagDims, tagColAttrib, tagRowAttrib, tagCell, tagEnd, tagOther };
  static const std::array<String, 6> tags = {u"dims", u"colattrib",    u"rowattrib",
                                             u"cell", u"/stringarray", u""};
  bool haveDims = false;
  String attributes;
  String content;
  for (;;) {
    const int32_t tag = ReadNextTagInTextFile(TFile, tags, attributes, content);
    int32_t c = 0;
    int32_t r = 0;
    int32_t v = 0;
    switch (tag) {
      case tagDims:
        if (!AttribInt(attributes, u"cols", c) || !AttribInt(attributes, u"rows", r) ||
            (int64_t{c} + 1) * r > MaxXMLCells || !read.Resize(c, r)) {
          return false;
        }
        haveDims = true;
        break;
      case tagColAttrib:
        if (AttribInt(attributes, u"c", c) && AttribInt(attributes, u"val", v) && v >= 0 &&
            v <= 255) {
          read.SetColAttrib(c, static_cast<uint8_t>(v));
        }
        break;
      case tagRowAttrib:
        if (AttribInt(attributes, u"r", r) && AttribInt(attributes, u"val", v) && v >= 0 &&
            v <= 255) {
          read.SetRowAttrib(r, static_cast<uint8_t>(v));
        }
        break;
      case tagCell:
        if (AttribInt(attributes, u"c", c) && AttribInt(attributes, u"r", r)) {
          read.SetString(c, r, ShortString(UnescapeCell(content)));
        }
        break;
      case tagEnd:
        if (!haveDims) return false;
        TakeContent(read);
        Changed();
        return true;
      default:  // an unknown tag, or none left
        if (TFile.Eof()) return false;
        break;
    }
  }
}

bool TStringArray::LoadFromXMLFile(StringView FName, StringView DataID) {
  TTextFile file;
  try {
    file.Open(FName, tfmRead);
  } catch (const EInOutError&) {
    return false;
  }
  return ReadFromOpenXMLFile(file, DataID);
}

}  // namespace xan
