// HTML text: CountWordsHTML, character references written and read on HTMLLat1Entities, the
// default head and foot, and the document body as markup or as plain text.
#include "xan/htmlsupport/html_text.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/simple_text.h"
#include "xan/stringl/char_funcs.h"
#include "xan/stringl/string_search.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// Word count

int32_t CountWordsHTML(StringView text, bool skipnumbers, bool& intag) noexcept {
  int32_t words = 0;
  size_t run = 0;
  Char first = 0;
  for (const Char c : text) {
    if (c == u'<') intag = true;
    if (c == u'>') intag = false;
    if (intag) continue;
    if (WordSeps.Contains(c)) {
      if (run >= 2 && !(skipnumbers && IsDigit(first))) ++words;
      run = 0;
    } else {
      if (run == 0) first = c;
      ++run;
    }
  }
  return words;
}

// ================================================================================================
// Character references

namespace {

struct TMarkupRef {
  StringView Name;  // without "&" and ";"
  Char Code;
};

// The references of the markup characters; "apos" is read but never written.
constexpr std::array<TMarkupRef, 5> kMarkupRefs = {{
    {u"amp", u'&'},
    {u"lt", u'<'},
    {u"gt", u'>'},
    {u"quot", u'"'},
    {u"apos", u'\''},
}};

// The name of a HTMLLat1Entities entry without its "&" and ";".
constexpr StringView Lat1Name(size_t code) noexcept {
  const StringView entity = HTMLLat1Entities[code];
  return entity.substr(1, entity.size() - 2);
}

// The longest reference name, which bounds the scan for a name.
constexpr size_t kMaxNameLength = [] {
  size_t longest = 0;
  for (const TMarkupRef& ref : kMarkupRefs) longest = std::max(longest, ref.Name.size());
  for (size_t code = HTMLLat1Entities.Low; code <= HTMLLat1Entities.High; ++code) {
    longest = std::max(longest, Lat1Name(code).size());
  }
  return longest;
}();

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

constexpr bool IsHighSurrogate(Char c) noexcept {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(Char c) noexcept {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendCodePoint(String& out, uint32_t code) {
  if (code > 0xFFFF) {
    code -= 0x10000;
    out += static_cast<Char>(0xD800 + (code >> 10));
    out += static_cast<Char>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<Char>(code);
  }
}

void AppendDecimalRef(String& out, uint32_t code) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, code);
  out += u"&#";
  for (const char* d = digits; d != result.ptr; ++d) out += static_cast<Char>(*d);
  out += u';';
}

void AppendHTMLForm(String& out, Char c) {
  for (const TMarkupRef& ref : kMarkupRefs) {
    if (ref.Code == c && ref.Code != u'\'') {
      out += u'&';
      out += ref.Name;
      out += u';';
      return;
    }
  }
  if (c >= HTMLLat1Entities.Low && c <= HTMLLat1Entities.High) {
    out += HTMLLat1Entities[c];
  } else if (c > HTMLLat1Entities.High) {
    AppendDecimalRef(out, c);
  } else {
    out += c;
  }
}

// The character a reference name stands for, or 0 for an unknown name.
Char NamedRefCode(StringView name) noexcept {
  for (const TMarkupRef& ref : kMarkupRefs) {
    if (ref.Name == name) return ref.Code;
  }
  for (size_t code = HTMLLat1Entities.Low; code <= HTMLLat1Entities.High; ++code) {
    if (Lat1Name(code) == name) return static_cast<Char>(code);
  }
  return 0;
}

// Reads the character reference that starts with the "&" at text[at]: appends its character(s)
// to out and returns its length, or returns 0 (out unchanged) when no known reference is there.
size_t ReadReference(StringView text, size_t at, String& out) {
  const size_t n = text.size();
  size_t i = at + 1;
  if (i < n && text[i] == u'#') {
    ++i;
    const bool hex = i < n && (text[i] == u'x' || text[i] == u'X');
    if (hex) ++i;
    const size_t digitsStart = i;
    uint32_t code = 0;
    for (; i < n; ++i) {
      const int digit =
          hex ? detail::HexDigitValue(text[i]) : (IsDigit(text[i]) ? text[i] - u'0' : -1);
      if (digit < 0) break;
      // Past the largest code point the value stops growing: it is refused anyway.
      code = std::min<uint32_t>(code * (hex ? 16 : 10) + static_cast<uint32_t>(digit),
                                kMaxCodePoint + 1);
    }
    if (i == digitsStart || i >= n || text[i] != u';' || code == 0 || code > kMaxCodePoint) {
      return 0;
    }
    AppendCodePoint(out, code);
    return i + 1 - at;
  }
  const size_t nameStart = i;
  while (i < n && i - nameStart <= kMaxNameLength && IsDigitLetter(text[i])) ++i;
  if (i >= n || text[i] != u';') return 0;
  const Char code = NamedRefCode(text.substr(nameStart, i - nameStart));
  if (code == 0) return 0;
  out += code;
  return i + 1 - at;
}

}  // namespace

String AnsiToHTMLEntity(Char c) {
  String out;
  AppendHTMLForm(out, c);
  return out;
}

String MakeStringHTMLCompatible(StringView text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendDecimalRef(out, 0x10000 + ((uint32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else {
      AppendHTMLForm(out, c);
    }
  }
  return out;
}

String ResolveHTMLEntities(StringView text) {
  String out;
  out.reserve(text.size());
  size_t p = 0;
  for (;;) {
    const size_t amp = text.find(u'&', p);
    if (amp == StringView::npos) {
      out.append(text.substr(p));
      return out;
    }
    out.append(text.substr(p, amp - p));
    const size_t length = ReadReference(text, amp, out);
    if (length == 0) out += u'&';
    p = amp + std::max<size_t>(length, 1);
  }
}

String HTMLEntityToAnsi(StringView text) {
  if (!text.empty() && text[0] == u'&') {
    String out;
    if (ReadReference(text, 0, out) == text.size()) return out;
  }
  return String(text);
}

// ================================================================================================
// Document frame

String DefaultHTMLHead(StringView Title, StringView Charset, StringView Description,
                       StringView StyleSheet, bool WithBody) {
  String out = u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"";
  out += Charset.empty() ? String(u"windows-1252") : MakeStringHTMLCompatible(Charset);
  out += u"\">\r\n<title>";
  out += MakeStringHTMLCompatible(Title);
  out += u"</title>\r\n";
  if (!Description.empty()) {
    out += u"<meta name=\"description\" content=\"";
    out += MakeStringHTMLCompatible(Description);
    out += u"\">\r\n";
  }
  if (!StyleSheet.empty()) {
    out += u"<link rel=\"stylesheet\" href=\"";
    out += MakeStringHTMLCompatible(StyleSheet);
    out += u"\">\r\n";
  }
  out += u"</head>\r\n";
  if (WithBody) out += u"<body>\r\n";
  return out;
}

String DefaultHTMLFoot(bool WithBody) {
  return WithBody ? u"</body>\r\n</html>\r\n" : u"</html>\r\n";
}

// ================================================================================================
// Document body

namespace {

// White space in HTML text.
constexpr bool IsHTMLSpace(Char c) noexcept {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// The position of the ">" that closes the tag whose "<" is at text[lt]. A quote right after "="
// (blanks between allowed) opens an attribute value in which ">" does not count. When quotes
// leave no ">", the first ">" after lt closes the tag; npos when there is none.
size_t TagClose(StringView text, size_t lt) noexcept {
  Char quote = 0;
  bool afterEquals = false;
  for (size_t i = lt + 1; i < text.size(); ++i) {
    const Char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == u'>') {
      return i;
    } else if (afterEquals && (c == u'"' || c == u'\'')) {
      quote = c;
      afterEquals = false;
    } else if (c == u'=') {
      afterEquals = true;
    } else if (!IsHTMLSpace(c)) {
      afterEquals = false;
    }
  }
  return text.find(u'>', lt + 1);
}

// True when the tag name ends at text[i]: the end of the text or a character that cannot be part
// of a name.
bool NameEndsAt(StringView text, size_t i) noexcept {
  return i >= text.size() || !IsDigitLetter(text[i]);
}

// True when the tag opening `open` ("<body", "</script"), letter case ignored, starts at
// text[at] and its name ends there.
bool TagAt(StringView text, StringView open, size_t at) noexcept {
  return detail::SimpleSameText(text.substr(at, open.size()), open) &&
         NameEndsAt(text, at + open.size());
}

// The first occurrence (0-based) at or after from of the tag opening `open`; npos when there is
// none. Each "<" is looked at once, so a text full of near misses takes linear time.
size_t FindTag(StringView text, StringView open, size_t from) {
  for (size_t at = text.find(u'<', from); at != StringView::npos; at = text.find(u'<', at + 1)) {
    if (TagAt(text, open, at)) return at;
  }
  return StringView::npos;
}

// The last occurrence (0-based) of the tag opening `open` that starts at or after from; npos when
// there is none.
size_t FindLastTag(StringView text, StringView open, size_t from) {
  for (size_t at = text.rfind(u'<'); at != StringView::npos && at >= from;
       at = at == 0 ? StringView::npos : text.rfind(u'<', at - 1)) {
    if (TagAt(text, open, at)) return at;
  }
  return StringView::npos;
}

// The lower-case name of the tag whose "<" is at text[lt]; closing is set for "</name".
String TagName(StringView text, size_t lt, bool& closing) {
  size_t i = lt + 1;
  closing = i < text.size() && text[i] == u'/';
  if (closing) ++i;
  String name;
  for (; i < text.size() && IsDigitLetter(text[i]); ++i) name += detail::SimpleLower(text[i]);
  return name;
}

// How an element breaks the text it stands in.
enum TBreakKind : uint8_t { bkNone, bkBlank, bkLine, bkParagraph, bkLineBreak };

struct TElementBreak {
  StringView Name;
  TBreakKind Kind;
};

constexpr std::array<TElementBreak, 41> kElementBreaks = {{
    {u"br", bkLineBreak}, {u"p", bkParagraph},     {u"h1", bkParagraph},  {u"h2", bkParagraph},
    {u"h3", bkParagraph}, {u"h4", bkParagraph},    {u"h5", bkParagraph},  {u"h6", bkParagraph},
    {u"td", bkBlank},     {u"th", bkBlank},        {u"address", bkLine},  {u"article", bkLine},
    {u"aside", bkLine},   {u"blockquote", bkLine}, {u"caption", bkLine},  {u"center", bkLine},
    {u"dd", bkLine},      {u"details", bkLine},    {u"dialog", bkLine},   {u"div", bkLine},
    {u"dl", bkLine},      {u"dt", bkLine},         {u"fieldset", bkLine}, {u"figcaption", bkLine},
    {u"figure", bkLine},  {u"footer", bkLine},     {u"form", bkLine},     {u"header", bkLine},
    {u"hr", bkLine},      {u"li", bkLine},         {u"main", bkLine},     {u"nav", bkLine},
    {u"ol", bkLine},      {u"pre", bkLine},        {u"section", bkLine},  {u"summary", bkLine},
    {u"table", bkLine},   {u"tbody", bkLine},      {u"tfoot", bkLine},    {u"thead", bkLine},
    {u"tr", bkLine},
}};

TBreakKind BreakOf(StringView name) noexcept {
  for (const TElementBreak& e : kElementBreaks) {
    if (e.Name == name) return e.Kind;
  }
  return bkNone;
}

// Plain text built from the characters and breaks of a body, with HTML's white-space rules.
class TPlainText {
 public:
  explicit TPlainText(bool KeepLineBreaks) : FKeepLineBreaks(KeepLineBreaks) {}

  void Add(Char c) {
    if (IsHTMLSpace(c)) {
      FBlank = true;
      return;
    }
    if (!FOut.empty()) {
      if (FBreaks > 0) {
        if (FKeepLineBreaks) {
          for (size_t k = 0; k < FBreaks; ++k) FOut += u"\r\n";
        } else {
          FOut += u' ';
        }
      } else if (FBlank) {
        FOut += u' ';
      }
    }
    FBreaks = 0;
    FBlank = false;
    FOut += c;
  }

  // Breaks at the start and at the end of the text are dropped.
  void Break(TBreakKind kind) {
    if (kind == bkBlank) {
      FBlank = true;
    } else if (kind == bkLineBreak) {
      if (!FOut.empty()) ++FBreaks;
    } else if (kind != bkNone && !FOut.empty()) {
      FBreaks = std::max<size_t>(FBreaks, kind == bkParagraph ? 2 : 1);
    }
  }

  String Take() { return std::move(FOut); }

 private:
  bool FKeepLineBreaks;
  String FOut;
  size_t FBreaks = 0;
  bool FBlank = false;
};

constexpr bool StartsTag(Char c) noexcept {
  return IsLetter(c) || c == u'/' || c == u'!' || c == u'?';
}

}  // namespace

String ExtractHTMLBody(StringView text) {
  const size_t start = FindTag(text, u"<body", 0);
  if (start == StringView::npos) return String(text);
  const size_t close = TagClose(text, start);
  if (close == StringView::npos) return String();
  const size_t contentStart = close + 1;
  const size_t end = FindLastTag(text, u"</body", contentStart);
  return String(
      text.substr(contentStart, (end == StringView::npos ? text.size() : end) - contentStart));
}

String ConvertHTMLBodyToText(StringView text, bool KeepLineBreaks) {
  const String body = ExtractHTMLBody(text);
  const StringView b = body;
  TPlainText plain(KeepLineBreaks);
  String resolved;
  // No tag closes after the last ">": a "<" there is text without a scan to the end for its ">".
  const size_t lastClose = b.rfind(u'>');
  const size_t tagsEnd = lastClose == StringView::npos ? 0 : lastClose;
  size_t i = 0;
  while (i < b.size()) {
    const Char c = b[i];
    if (c == u'&') {
      resolved.clear();
      if (const size_t length = ReadReference(b, i, resolved); length > 0) {
        for (const Char r : resolved) plain.Add(r);
        i += length;
        continue;
      }
    } else if (c == u'<' && b.substr(i, 4) == u"<!--") {
      const size_t end = b.find(u"-->", i + 4);
      i = end == StringView::npos ? b.size() : end + 3;
      continue;
    } else if (c == u'<' && i < tagsEnd && StartsTag(b[i + 1])) {
      if (const size_t close = TagClose(b, i); close != StringView::npos) {
        bool closing = false;
        const String name = TagName(b, i, closing);
        i = close + 1;
        if (!closing && (name == u"script" || name == u"style")) {
          // Their content is code, not text: it ends only at the matching end tag.
          const size_t end = FindTag(b, u"</" + name, i);
          const size_t endClose = end == StringView::npos ? end : TagClose(b, end);
          i = endClose == StringView::npos ? b.size() : endClose + 1;
        } else {
          plain.Break(BreakOf(name));
        }
        continue;
      }
    }
    plain.Add(c);
    ++i;
  }
  return plain.Take();
}

}  // namespace xan
