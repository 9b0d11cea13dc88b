// Character tests and small string functions of the string unit: trimming, padding, removal,
// safe character sets, German letters and case.
#include "xan/stringl/char_funcs.h"

#include <algorithm>
#include <array>

#include "xan/platform/locale.h"
#include "xan_stringl/simple_case.h"

namespace xan {

namespace {

// The number of leading characters equal to c, stopping `keep` characters before the end.
size_t LeadingRun(StringView text, Char c, size_t keep) noexcept {
  size_t i = 0;
  while (i + keep < text.size() && text[i] == c) ++i;
  return i;
}

// The number of trailing characters equal to c, stopping `keep` characters after the start.
size_t TrailingRun(StringView text, Char c, size_t keep) noexcept {
  size_t i = 0;
  while (i + keep < text.size() && text[text.size() - 1 - i] == c) ++i;
  return i;
}

// Every character for which keep() is false becomes "_".
template <typename Keep>
String ReduceTo(StringView text, Keep keep) {
  String out(text);
  for (Char& c : out) {
    if (!keep(c)) c = u'_';
  }
  return out;
}

// The characters a short 8.3 file name may hold, indexed by code 0..127.
constexpr std::array<bool, 128> kFN83Chars = [] {
  std::array<bool, 128> t{};
  for (int c = 33; c < 127; ++c) t[c] = true;
  for (Char c : StringView(u"\"*+,/:;<=>?[\\]|")) t[c] = false;
  return t;
}();

// The German letters written out. A capital umlaut gets "e" or "E" after its letter, matching the
// case of the character that follows it.
struct TExpansion {
  Char letter;
  StringView text;
  bool capital;
};
constexpr TExpansion kExpansions[] = {
    {0xB5, u"u", false},  {0xC4, u"A", true},   {0xD6, u"O", true},   {0xDC, u"U", true},
    {0xDF, u"ss", false}, {0xE4, u"ae", false}, {0xF6, u"oe", false}, {0xFC, u"ue", false}};

String Padded(StringView text, size_t left, size_t right) {
  String out;
  out.reserve(left + text.size() + right);
  out.append(left, u' ').append(text).append(right, u' ');
  return out;
}

}  // namespace

bool IsAbbreviation(StringView text) {
  int32_t run = 0;
  int32_t longest = 0;
  int32_t others = 0;
  for (Char c : text) {
    if (c >= u'A' && c <= u'Z') {
      longest = std::max(longest, ++run);
      continue;
    }
    run = 0;
    if ((c >= u'a' && c <= u'z') || IsDigit(c)) ++others;
  }
  return longest >= 2 && longest > others;
}

String StripLTBlanks(StringView text) {
  const size_t lead = LeadingRun(text, u' ', 0);
  text.remove_prefix(lead);
  text.remove_suffix(TrailingRun(text, u' ', 0));
  return String(text);
}

String StripLeadingBlanks(StringView text) {
  return String(text.substr(LeadingRun(text, u' ', 1)));
}

String StripTrailingBlanks(StringView text) {
  return StripTrailingChars(u' ', text);
}

String StripLeadingChars(Char c, StringView text) {
  return String(text.substr(LeadingRun(text, c, 0)));
}

String StripTrailingChars(Char c, StringView text) {
  text.remove_suffix(TrailingRun(text, c, 1));
  return String(text);
}

String EnsureTrailingBkSlash(StringView text) {
  return EnsureTrailingChar(u'\\', text);
}

String EnsureTrailingChar(Char c, StringView text) {
  String out(text);
  if (!out.empty() && out.back() != c) out += c;
  return out;
}

String EnsureLeadingChar(Char c, StringView text) {
  if (text.empty() || text.front() == c) return String(text);
  String out;
  out.reserve(text.size() + 1);
  out += c;
  out += text;
  return out;
}

String RemoveControlChars(StringView text) {
  String out;
  out.reserve(text.size());
  for (Char c : text) {
    if (c >= 32) out += c;
  }
  return out;
}

String RemoveCharInString(StringView text, Char c) {
  String out;
  out.reserve(text.size());
  for (Char t : text) {
    if (t != c) out += t;
  }
  return out;
}

String RemoveMultiChars(StringView text, Char c) {
  String out;
  out.reserve(text.size());
  for (Char t : text) {
    if (t != c || out.empty() || out.back() != c) out += t;
  }
  return out;
}

String ReverseString(StringView text) {
  return String(text.rbegin(), text.rend());
}

String MultiChar(Char c, int32_t count) {
  return String(static_cast<size_t>(std::clamp(count, 1, 255)), c);
}

String CenterString(StringView text, uint8_t width) {
  if (text.size() >= width) return String(text.substr(0, width));
  const size_t n = width - text.size();
  return Padded(text, n / 2, n - n / 2);
}

String RightString(StringView text, uint8_t width) {
  if (text.size() >= width) return String(text.substr(0, width));
  return Padded(text, width - text.size(), 0);
}

String LeftString(StringView text, uint8_t width) {
  if (text.size() >= width) return String(text.substr(0, width));
  return Padded(text, 0, width - text.size());
}

String AbbrevString(StringView text, int32_t maxlen) {
  if (maxlen >= 0 && text.size() <= static_cast<size_t>(maxlen)) return String(text);
  if (maxlen < 3) return u"..";
  String out(text.substr(0, static_cast<size_t>(maxlen) - 2));
  out += u"..";
  return out;
}

String ExpandDiphthongs(StringView text) {
  String out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    const auto* e = std::find_if(std::begin(kExpansions), std::end(kExpansions),
                                 [c](const TExpansion& x) { return x.letter == c; });
    if (e == std::end(kExpansions)) {
      out += c;
      continue;
    }
    out += e->text;
    if (e->capital) {
      const bool nextSmall = i + 1 < text.size() && text[i + 1] >= u'a' && text[i + 1] <= u'z';
      out += nextSmall ? u'e' : u'E';
    }
  }
  return out;
}

String ReduceStringToAZ09(StringView text) {
  return ReduceTo(text, IsDigitLetter);
}

String ReduceStringToFN83CompliantChars(StringView text) {
  return ReduceTo(text, [](Char c) { return c < 128 && kFN83Chars[c]; });
}

String CapitalizeString(StringView text) {
  String out(text);
  bool wordStart = true;
  for (Char& c : out) {
    if (IsLetter(c) || c > 127) {
      if (wordStart) c = SimpleUpper(c);
      wordStart = false;
    } else if (IsDigit(c)) {
      wordStart = false;
    } else {
      wordStart = true;
    }
  }
  return out;
}

String ChangeCase(StringView text) {
  String out(text);
  for (Char& c : out) {
    const Char up = LocaleUpperChar(c);
    c = up == c ? LocaleLowerChar(c) : up;
  }
  return out;
}

}  // namespace xan
