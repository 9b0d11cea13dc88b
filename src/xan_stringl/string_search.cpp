// String search, count, replace, split, field extraction, tokenizing and line reading of the
// string unit.
#include "xan/stringl/string_search.h"

#include <algorithm>
#include <array>
#include <utility>

#include "xan/platform/locale.h"
#include "xan/stringl/char_funcs.h"
#include "xan/stringl/number_format.h"
#include "xan_stringl/simple_case.h"
#include "xan_stringl/text_search.h"

namespace xan {

namespace {

constexpr size_t npos = StringView::npos;

// A text and a pattern as a search sees them: either the originals or, when case is ignored,
// simply folded copies. The positions found are the same in both.
class TSearchPair {
 public:
  TSearchPair(StringView pattern, StringView text, bool ignorecase) {
    if (ignorecase) {
      FPatternFolded = SimpleLowerText(pattern);
      FTextFolded = SimpleLowerText(text);
      FPattern = FPatternFolded;
      FText = FTextFolded;
    } else {
      FPattern = pattern;
      FText = text;
    }
  }
  StringView Pattern() const noexcept { return FPattern; }
  StringView Text() const noexcept { return FText; }

 private:
  String FPatternFolded;
  String FTextFolded;
  StringView FPattern;
  StringView FText;
};

// The 0-based start of the num-th occurrence at or after `from`, or npos.
size_t NthFrom(StringView pattern, StringView text, size_t from, int32_t num) {
  if (num <= 0) return npos;
  TTextSearcher searcher(pattern);
  size_t found = npos;
  for (int32_t k = 0; k < num; ++k) {
    found = searcher.Find(text, from);
    if (found == npos) return npos;
    from = found + pattern.size();
  }
  return found;
}

int32_t Pos1(size_t index) noexcept {
  return index == npos ? 0 : static_cast<int32_t>(index + 1);
}

String Strip(StringView text, bool strip) {
  return strip ? StripLTBlanks(text) : String(text);
}

// The character list of StringContains with its class names expanded, in rounds.
String ExpandCharClasses(StringView charlist) {
  struct TClass {
    StringView name;
    String chars;
  };
  auto range = [](int first, int last) {
    String s;
    for (int c = first; c <= last; ++c) s += static_cast<Char>(c);
    return s;
  };
  const std::array<TClass, 5> classes = {{{u"//dig", range('0', '9')},
                                          {u"//lc", range('a', 'z')},
                                          {u"//uc", range('A', 'Z')},
                                          {u"//31dwn", range(0, 31)},
                                          {u"//128up", range(128, 255)}}};
  String list(charlist);
  // Each replacement removes two slashes and inserts none, so the rounds end.
  for (bool replaced = true; replaced;) {
    replaced = false;
    for (const TClass& c : classes) {
      const size_t at = list.find(c.name);
      if (at == npos) continue;
      list.replace(at, c.name.size(), c.chars);
      replaced = true;
    }
  }
  return list;
}

// Membership in an expanded character list: a flag table for codes 0..255 and a sorted list of
// the characters above 255.
class TCharList {
 public:
  explicit TCharList(StringView charlist) {
    for (Char c : ExpandCharClasses(charlist)) {
      if (c < 256) {
        FLow.Include(c);
      } else {
        FHigh.push_back(c);
      }
    }
    std::sort(FHigh.begin(), FHigh.end());
  }
  bool Contains(Char c) const noexcept {
    return c < 256 ? FLow.Contains(c) : std::binary_search(FHigh.begin(), FHigh.end(), c);
  }

 private:
  TCharSet FLow;
  String FHigh;
};

String Replace(StringView text, StringView oldstr, StringView newstr, bool ignorecase) {
  if (oldstr.empty()) return String(text);
  TSearchPair pair(oldstr, text, ignorecase);
  TTextSearcher searcher(pair.Pattern());
  String out;
  size_t from = 0;
  for (size_t at = searcher.Find(pair.Text(), 0); at != npos;
       at = searcher.Find(pair.Text(), from)) {
    if (out.empty()) out.reserve(text.size() + (newstr.size() > oldstr.size() ? 64 : 0));
    out.append(text.substr(from, at - from)).append(newstr);
    from = at + oldstr.size();
  }
  if (from == 0) return String(text);
  out.append(text.substr(from));
  return out;
}

// The tokens of text split at delimiter; a delimiter is skipped where skip(rest, p) says so, p
// being its 0-based index in the rest still to be split.
template <typename Skip>
TOpenStringArray Split(StringView text, StringView delimiter, Skip skip) {
  constexpr size_t kMaxTokens = 1000;
  TOpenStringArray tokens;
  TTextSearcher searcher(delimiter);
  StringView rest = text;
  while (tokens.size() < kMaxTokens - 1) {
    size_t p = searcher.Find(rest, 0);
    while (p != npos && skip(rest, p)) p = searcher.Find(rest, p + 1);
    if (p == npos) break;
    tokens.emplace_back(rest.substr(0, p));
    rest.remove_prefix(p + delimiter.size());
  }
  tokens.emplace_back(rest);
  return tokens;
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// Search and count

int32_t NumberedPos(StringView substr, StringView text, int32_t startpos, int32_t num,
                    bool ignorecase) {
  if (substr.empty() || num <= 0) return 0;
  const size_t from = static_cast<size_t>(std::max(startpos, 1) - 1);
  if (from >= text.size()) return 0;
  TSearchPair pair(substr, text.substr(from), ignorecase);
  const size_t at = NthFrom(pair.Pattern(), pair.Text(), 0, num);
  return at == npos ? 0 : Pos1(at + from);
}

int32_t NumberedPosBw(StringView substr, StringView text, int32_t startpos, int32_t num,
                      bool ignorecase) {
  if (substr.empty() || text.empty() || num <= 0) return 0;
  const size_t end = static_cast<size_t>(std::clamp<int64_t>(startpos, 1, text.size()));
  const String rsub = ReverseString(substr);
  const String rtext = ReverseString(text.substr(0, end));
  TSearchPair pair(rsub, rtext, ignorecase);
  const size_t r = NthFrom(pair.Pattern(), pair.Text(), 0, num);
  if (r == npos) return 0;
  return static_cast<int32_t>(end - r - substr.size() + 1);
}

int32_t PosLast(StringView substr, StringView text) {
  TTextSearcher searcher(substr);
  size_t last = npos;
  for (size_t at = searcher.Find(text, 0); at != npos; at = searcher.Find(text, at + substr.size()))
    last = at;
  return Pos1(last);
}

int32_t CountStringInString(StringView substr, StringView text, bool casesensitive) {
  if (substr.empty()) return 0;
  TSearchPair pair(substr, text, !casesensitive);
  return TTextSearcher(pair.Pattern()).Count(pair.Text());
}

int32_t CountCharInString(Char c, StringView text, bool casesensitive) {
  if (casesensitive) return static_cast<int32_t>(std::count(text.begin(), text.end(), c));
  const Char folded = SimpleLower(c);
  return static_cast<int32_t>(std::count_if(text.begin(), text.end(),
                                            [folded](Char t) { return SimpleLower(t) == folded; }));
}

int32_t CountWords(StringView text) {
  int32_t words = 0;
  int32_t run = 0;
  for (Char c : text) {
    if (WordSeps.Contains(c)) {
      if (run >= 2) ++words;
      run = 0;
    } else {
      ++run;
    }
  }
  return words;
}

int32_t FindFirstNonBlank(StringView text) {
  return Pos1(text.find_first_not_of(u' '));
}

int32_t FindFirstDigit(StringView text) {
  return Pos1(text.find_first_of(u"0123456789"));
}

bool TestAllChar(StringView text, Char c) {
  return !text.empty() && text.find_first_not_of(c) == npos;
}

bool EqualAnsiStrings(StringView a, StringView b) {
  return LocaleSameText(a.substr(0, a.find(u'\0')), b.substr(0, b.find(u'\0')));
}

bool StringContains(StringView text, StringView charlist) {
  if (text.empty()) return false;
  const TCharList list(charlist);
  return std::any_of(text.begin(), text.end(), [&list](Char c) { return list.Contains(c); });
}

bool StringContainsOtherThan(StringView text, StringView charlist) {
  if (text.empty()) return false;
  const TCharList list(charlist);
  return std::any_of(text.begin(), text.end(), [&list](Char c) { return !list.Contains(c); });
}

TCSVDelimiters DetectCSVDelimiter(StringView text) {
  std::array<int64_t, CSVDELIMITERS.size()> counts{};
  for (Char c : text) {
    const TCSVDelimiters d = ResolveCSVDelimiter(c);
    if (d != csvUnknown || c == CSVDELIMITERS[csvUnknown]) ++counts[d];
  }
  TCSVDelimiters best = csvUnknown;
  for (size_t d = csvBlank; d < counts.size(); ++d) {
    if (counts[d] > counts[best]) best = static_cast<TCSVDelimiters>(d);
  }
  return best;
}

// ------------------------------------------------------------------------------------------------
// Replace, split and extract

String ReplaceCharInString(StringView text, Char oldchar, Char newchar) {
  String out(text);
  std::replace(out.begin(), out.end(), oldchar, newchar);
  return out;
}

String ReplaceStringInString(StringView text, StringView oldstr, StringView newstr,
                             bool ignorecase) {
  return Replace(text, oldstr, newstr, ignorecase);
}

String ExtractAfterTrigger(StringView text, StringView trigger, bool strip) {
  const size_t at = TTextSearcher(trigger).Find(text, 0);
  if (at == npos) return {};
  return Strip(text.substr(at + trigger.size()), strip);
}

String ExtractBeforeTrigger(StringView text, StringView trigger, bool strip) {
  const size_t at = TTextSearcher(trigger).Find(text, 0);
  if (at == npos) return {};
  return Strip(text.substr(0, at), strip);
}

void SplitString(StringView text, StringView delimiter, bool strip, String& before, String& after) {
  // Worked out before either output is touched: text may view one of them.
  String b;
  String a;
  const size_t at = TTextSearcher(delimiter).Find(text, 0);
  if (at != npos) {
    b = Strip(text.substr(0, at), strip);
    a = Strip(text.substr(at + delimiter.size()), strip);
  }
  before = std::move(b);
  after = std::move(a);
}

String ExtractSubString(StringView text, int32_t index, StringView delimiter) {
  if (index < 0 || text.empty()) return {};
  if (delimiter.empty()) return index == 0 ? String(text) : String();
  if (index == 0 && delimiter.size() == 1 && text[0] == delimiter[0]) return {};
  TTextSearcher searcher(delimiter);
  size_t p = 0;
  for (int32_t k = 0; k < index; ++k) {
    const size_t at = searcher.Find(text, p);
    if (at == npos) return {};
    p = at + delimiter.size();
    if (p >= text.size()) return {};
  }
  if (LocaleSameText(text.substr(p, delimiter.size()), delimiter)) return {};
  const size_t q = std::min(searcher.Find(text, p + 1), text.size());
  return String(text.substr(p, q - p));
}

String ExtractWordFromString(StringView text, int32_t pos) {
  int32_t wordstart = 0;
  int32_t wordend = 0;
  return ExtractWordFromString(text, pos, wordstart, wordend);
}

String ExtractWordFromString(StringView text, int32_t pos, int32_t& wordstart, int32_t& wordend) {
  wordstart = 0;
  wordend = 0;
  if (pos < 1 || static_cast<size_t>(pos) > text.size()) return {};
  const auto len = static_cast<int64_t>(text.size());
  int64_t s = pos;
  while (s >= 1 && !WordSeps.Contains(text[s - 1])) --s;
  int64_t e = pos;
  while (e <= len && !WordSeps.Contains(text[e - 1])) ++e;
  if (e > s + 1) {
    wordstart = static_cast<int32_t>(s + 1);
    wordend = static_cast<int32_t>(e - 1);
  } else {
    wordstart = wordend = pos;
  }
  return String(text.substr(wordstart - 1, wordend - wordstart + 1));
}

int32_t Tokenize(StringView text, StringView delimiter, TOpenStringArray& tokens) {
  tokens = Split(text, delimiter, [](StringView, size_t) { return false; });
  return static_cast<int32_t>(tokens.size());
}

int32_t Tokenize(StringView text, StringView delimiter, Char escapechar, TOpenStringArray& tokens) {
  TOpenStringArray split = Split(text, delimiter, [escapechar](StringView rest, size_t p) {
    return p > 0 && rest[p - 1] == escapechar;
  });
  const String single(1, escapechar);
  const String pair(2, escapechar);
  const String escaped = single + String(delimiter);
  const Char folded = SimpleLower(escapechar);
  for (String& t : split) {
    if (std::none_of(t.begin(), t.end(), [folded](Char c) { return SimpleLower(c) == folded; }))
      continue;
    t = Replace(Replace(t, pair, single, true), escaped, delimiter, true);
  }
  tokens = std::move(split);
  return static_cast<int32_t>(tokens.size());
}

String ReadLnString(StringView text, int32_t& pos, bool& endoftext, int32_t mode) {
  endoftext = false;
  String line;
  size_t i = static_cast<size_t>(std::max(pos, 1) - 1);
  // The pairs of modes 3 and 4 count only when both characters are read in this call, as in the
  // stream line readers: a pair split between two calls ends no line.
  Char previous = u'\0';
  while (true) {
    if (i >= text.size()) {
      endoftext = true;
      break;
    }
    const Char c = text[i++];
    const Char before = std::exchange(previous, c);
    if (c >= 32) {
      line += c;
      continue;
    }
    bool ends = false;
    switch (mode) {
      case 0:
        ends = c == u'\n';
        break;
      case 1:
        ends = c == u'\r';
        break;
      case 2:
        ends = c == u'\r' || c == u'\n';
        break;
      case 3:
        ends = c == u'\r' && before == u'\n';
        break;
      case 4:
        ends = c == u'\n' && before == u'\r';
        break;
      default:
        break;
    }
    if (ends) break;
  }
  pos = static_cast<int32_t>(std::min<size_t>(i + 1, INT32_MAX));
  return line;
}

String ProcessHexChars(StringView text) {
  String out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const Char c = text[i];
    const Char next = i + 1 < text.size() ? text[i + 1] : u'\0';
    if (c == u'\\' && next == u'#') {
      int32_t p = 1;
      out += static_cast<Char>(ScanHexNumber(text.substr(i + 2, 2), p));
      i += 4;
    } else if (c == u'\\' && next == u'\\') {
      out += u'\\';
      i += 2;
    } else {
      out += c;  // a backslash before anything else, or at the end, stays
      ++i;
    }
  }
  return out;
}

}  // namespace xan
