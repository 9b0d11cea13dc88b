// Small parsers of the string unit: quoted names, call parameters, tags in XML-like text, line
// and column of a position, and uuencoding.
#include "xan/stringl/string_parse.h"

#include <algorithm>

#include "xan/stringl/char_funcs.h"
#include "xan_stringl/simple_case.h"

namespace xan {

namespace {

constexpr size_t npos = StringView::npos;

// ------------------------------------------------------------------------------------------------
// Tags

// A tag found in a text: 0-based indexes of its "<" and ">", and its name.
struct TTagSpan {
  size_t open = npos;
  size_t close = npos;
  StringView name;
};

bool IsTagNameEnd(Char c) noexcept {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'>';
}

// The next tag at or after `from`, comments skipped; open is npos when there is none.
TTagSpan NextTag(StringView text, size_t from) {
  while (true) {
    const size_t open = text.find(u'<', from);
    if (open == npos) return {};
    if (text.substr(open, 4) == u"<!--") {
      const size_t end = text.find(u"-->", open + 4);
      if (end == npos) return {};
      from = end + 3;
      continue;
    }
    const size_t close = text.find(u'>', open + 1);
    if (close == npos) return {};
    size_t e = open + 1;
    while (e < close && !IsTagNameEnd(text[e])) ++e;
    StringView name = text.substr(open + 1, e - open - 1);
    if (name.size() > 1 && name.back() == u'/') name.remove_suffix(1);
    return {open, close, name};
  }
}

bool SameSimple(StringView a, StringView b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
           return SimpleLower(x) == SimpleLower(y);
         });
}

int32_t TagIndex(StringView name, std::span<const String> tags) noexcept {
  for (size_t i = 0; i < tags.size(); ++i) {
    if (SameSimple(name, tags[i])) return static_cast<int32_t>(i);
  }
  return -1;
}

// The next tag at or after `from` whose name is listed; `index` receives its entry.
TTagSpan NextListedTag(StringView text, size_t from, std::span<const String> tags, int32_t& index) {
  index = -1;
  for (TTagSpan t = NextTag(text, from); t.open != npos; t = NextTag(text, t.close + 1)) {
    index = TagIndex(t.name, tags);
    if (index >= 0) return t;
  }
  return {};
}

// True for tags that have no content: end tags, empty-element tags, "<?...>" and "<!...>".
bool HasNoContent(StringView text, const TTagSpan& t) noexcept {
  if (t.name.empty()) return true;
  const Char first = t.name.front();
  return first == u'/' || first == u'?' || first == u'!' || text[t.close - 1] == u'/';
}

// ------------------------------------------------------------------------------------------------
// uuencoding

constexpr size_t kUULineBytes = 45;

Char UUChar(uint32_t six) noexcept {
  return six == 0 ? u'`' : static_cast<Char>(32 + six);
}

// The 6-bit value of an encoded character, or -1 for a character outside " ".."`".
int UUValue(Char c) noexcept {
  return c >= 32 && c <= 96 ? (c - 32) & 63 : -1;
}

// Decodes one data line into out; false when the line holds a character outside " ".."`".
bool UUDecodeLine(StringView line, String& out) {
  const int count = UUValue(line[0]);
  if (count < 0) return false;
  const size_t groups = (static_cast<size_t>(count) + 2) / 3;
  const size_t needed = std::min(line.size() - 1, groups * 4);
  for (size_t i = 1; i <= needed; ++i) {
    if (UUValue(line[i]) < 0) return false;
  }
  String bytes;
  for (size_t g = 0; g < groups; ++g) {
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) {
      const size_t at = 1 + g * 4 + k;
      v = (v << 6) | static_cast<uint32_t>(at < line.size() ? UUValue(line[at]) : 0);
    }
    bytes += static_cast<Char>(v >> 16);
    bytes += static_cast<Char>((v >> 8) & 0xFF);
    bytes += static_cast<Char>(v & 0xFF);
  }
  bytes.resize(static_cast<size_t>(count));
  out += bytes;
  return true;
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// Quoted names

String ParseQuotedName(Char c1, Char c2, String& text, TQuotedStrState& state) {
  String name;
  size_t i = 0;  // characters consumed
  while (i < text.size() && state != vsEnd) {
    const Char c = text[i];
    switch (state) {
      case vsStart:
        if (c == c1) {
          state = vsQuote;
          ++i;
        } else if (c == u' ' || c < 32) {
          ++i;  // what ends a plain name is skipped before any name
        } else {
          state = vsNormal;  // c is read again as the name's first character
        }
        break;
      case vsQuote:
        if (c == c2) {
          state = vs1stQuote;
        } else {
          name += c;
        }
        ++i;
        break;
      case vs1stQuote:
        if (c == c2) {
          name += c;
          state = vsQuote;
          ++i;
        } else {
          state = vsEnd;
        }
        break;
      case vsNormal:
        if (c == u' ' || c < 32) {
          state = vsEnd;
        } else {
          name += c;
          ++i;
        }
        break;
      case vsEnd:
        break;
    }
  }
  text.erase(0, i);
  return name;
}

// ------------------------------------------------------------------------------------------------
// Parameters

String ExtractParam(StringView text, int32_t index, Char c1, Char c2, StringView text2) {
  if (index < 0) return {};
  // Double quotes protect their content, unless they are the brackets themselves.
  const bool quotes = c1 != u'"' && c2 != u'"';
  StringView list = text;
  if (const size_t open = text.find(c1); open != npos) {
    size_t depth = 1;
    bool quoted = false;
    size_t i = open + 1;
    for (; i < text.size(); ++i) {
      const Char c = text[i];
      if (quotes && c == u'"') {
        quoted = !quoted;
      } else if (!quoted && c == c2 && --depth == 0) {
        break;
      } else if (!quoted && c == c1) {
        ++depth;
      }
    }
    list = text.substr(open + 1, i - open - 1);
  }
  // Walk the list's parameters; depth counts nested pairs when c1 and c2 differ.
  int32_t field = 0;
  size_t start = 0;
  size_t depth = 0;
  bool quoted = false;
  for (size_t i = 0; i <= list.size(); ++i) {
    const bool atSep = !text2.empty() && !quoted && depth == 0 && list.substr(i).starts_with(text2);
    if (i == list.size() || atSep) {
      if (field == index) return StripLTBlanks(list.substr(start, i - start));
      if (i == list.size()) break;
      ++field;
      i += text2.size() - 1;
      start = i + 1;
      continue;
    }
    const Char c = list[i];
    if (quotes && c == u'"') {
      quoted = !quoted;
    } else if (!quoted && c1 != c2 && c == c1) {
      ++depth;
    } else if (!quoted && c1 != c2 && c == c2 && depth > 0) {
      --depth;
    }
  }
  return {};
}

// ------------------------------------------------------------------------------------------------
// Tags

int32_t DetectNextTagInString(StringView text, int32_t& pos, int32_t& pos2,
                              std::span<const String> tags, String& tag, bool& found) {
  int32_t index = -1;
  const TTagSpan t = NextListedTag(text, static_cast<size_t>(std::max(pos, 1) - 1), tags, index);
  found = t.open != npos;
  if (!found) {
    pos2 = 0;
    tag.clear();
    return -1;
  }
  String tagText(text.substr(t.open, t.close - t.open + 1));
  pos = static_cast<int32_t>(t.open + 1);
  pos2 = static_cast<int32_t>(t.close + 1);
  tag = std::move(tagText);
  return index;
}

int32_t ReadNextTagInString(StringView text, int32_t& pos, std::span<const String> tags,
                            String& tag, String& content) {
  int32_t index = -1;
  const TTagSpan t = NextListedTag(text, static_cast<size_t>(std::max(pos, 1) - 1), tags, index);
  if (t.open == npos) {
    tag.clear();
    content.clear();
    return -1;
  }
  String tagText(text.substr(t.open, t.close - t.open + 1));
  size_t next = t.close + 1;
  String inner;
  if (!HasNoContent(text, t)) {
    // Count nested start tags of the same name until the matching end tag.
    size_t depth = 1;
    size_t endOpen = text.size();
    size_t from = t.close + 1;
    next = text.size();
    for (TTagSpan u = NextTag(text, from); u.open != npos; u = NextTag(text, u.close + 1)) {
      if (SameSimple(u.name, t.name) && !HasNoContent(text, u)) {
        ++depth;
      } else if (!u.name.empty() && u.name.front() == u'/' &&
                 SameSimple(u.name.substr(1), t.name) && --depth == 0) {
        endOpen = u.open;
        next = u.close + 1;
        break;
      }
    }
    inner = String(text.substr(from, endOpen - from));
  }
  pos = static_cast<int32_t>(next + 1);
  tag = std::move(tagText);
  content = std::move(inner);
  return index;
}

// ------------------------------------------------------------------------------------------------
// Line and column

bool TextLineCoords(StringView text, int32_t pos, int32_t& line, int32_t& column) {
  line = 0;
  column = 0;
  if (pos < 1 || static_cast<size_t>(pos) > text.size() + 1) return false;
  const size_t target = static_cast<size_t>(pos) - 1;
  size_t lineStart = 0;
  int32_t lines = 1;
  for (size_t i = 0; i < target; ++i) {
    const Char c = text[i];
    const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
    if ((c == u'\r' && !crlf) || c == u'\n') {
      ++lines;
      lineStart = i + 1;
    }
  }
  line = lines;
  column = static_cast<int32_t>(target - lineStart + 1);
  return true;
}

// ------------------------------------------------------------------------------------------------
// uuencoding

String UUEncodeStr(StringView text) {
  String out;
  out.reserve(text.size() / 3 * 4 + text.size() / kUULineBytes * 3 + 8);
  for (size_t start = 0; start < text.size(); start += kUULineBytes) {
    const size_t n = std::min(kUULineBytes, text.size() - start);
    out += static_cast<Char>(32 + n);
    for (size_t g = 0; g < n; g += 3) {
      uint32_t v = 0;
      for (size_t k = 0; k < 3; ++k) {
        const size_t at = start + g + k;
        v = (v << 8) | (g + k < n ? (text[at] & 0xFFU) : 0U);
      }
      for (int shift = 18; shift >= 0; shift -= 6) out += UUChar((v >> shift) & 63);
    }
    out += u"\r\n";
  }
  out += u"`\r\n";
  return out;
}

String UUDecodeStr(StringView text) {
  String out;
  bool first = true;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(u"\r\n", i);
    if (end == npos) end = text.size();
    const StringView line = text.substr(i, end - i);
    i = end;
    if (i < text.size() && text[i] == u'\r') ++i;
    if (i < text.size() && text[i] == u'\n') ++i;
    if (line.empty()) continue;
    if (first && line.starts_with(u"begin ")) {
      first = false;
      continue;
    }
    first = false;
    if (line == u"end" || UUValue(line[0]) == 0) break;
    if (!UUDecodeLine(line, out)) break;
  }
  return out;
}

}  // namespace xan
