// Value conversions of the string unit: booleans, three-state values, string lists, variants
// and parameter lists as text.
#include "xan/stringl/conversions.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "xan/stringl/number_format.h"
#include "xan_stringl/simple_case.h"

namespace xan {

namespace {

// StripLTBlanks without the copy, so that StrToTriState stays free of allocation.
StringView StripBlanks(StringView s) noexcept {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  return s;
}

bool EqualIgnoringAsciiCase(StringView a, StringView b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
           return SimpleLower(x) == SimpleLower(y);
         });
}

String IntText(int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return String(buf, r.ptr);
}

// ------------------------------------------------------------------------------------------------
// Variants

constexpr StringView kCrLf = u"\r\n";

String ScalarText(const Variant& v) {
  const TVarType code = v.VarType() & varTypeMask;
  switch (code) {
    case varNull:
      return u"NULL";
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
    case varString:
    case varUString:
      // An array's element code is varVariant, so reaching here means a scalar.
      return v.AsString();
    case varSingle:
    case varDouble:
      return strff(v.AsDouble(), 10, -2);
    case varBoolean:
      return BoolToStr(v.AsBoolean(), 0);
    default:
      return u"(unknown type: " + IntText(code) + u")";
  }
}

// The element at `index` of an array, or nullptr where the value is no array or lacks it.
const Variant* ElementAt(const Variant* array, int64_t index) noexcept {
  if (array == nullptr || !array->IsArray()) return nullptr;
  const std::span<const Variant> items = array->Elements();
  const int64_t i = index - array->LowBound();
  return i >= 0 && i < static_cast<int64_t>(items.size()) ? &items[static_cast<size_t>(i)]
                                                          : nullptr;
}

struct TLevel {
  int64_t Low = 0;
  int64_t High = 0;
  int64_t Shown = 0;  // number of indexes shown
  bool Cut = false;   // more indexes than shown
};

TLevel MakeLevel(const Variant& array, int64_t limit) {
  TLevel l;
  l.Low = array.LowBound();
  l.High = array.HighBound();
  const int64_t count = std::max<int64_t>(0, l.High - l.Low + 1);
  l.Shown = std::min(count, limit);
  l.Cut = count > limit;
  return l;
}

// One line: the elements pick(i) for the shown first-level indexes, "," between them, and
// "..." when the first level was cut.
template <typename Pick>
void AppendLine(String& out, const Variant& value, const TLevel& first, Pick pick) {
  for (int64_t n = 0; n < first.Shown; ++n) {
    if (n > 0) out += u',';
    const Variant* e = pick(ElementAt(&value, first.Low + n));
    if (e != nullptr) out += ScalarText(*e);
  }
  if (first.Cut) out += u"...";
}

}  // namespace

// ================================================================================================
// Booleans and three-state values

String BoolToStr(bool value, int32_t mode) {
  static constexpr std::array<std::array<StringView, 2>, 8> kTexts = {{
      {u"FALSE", u"TRUE"},
      {u"F", u"T"},
      {u".F.", u".T."},
      {u"0", u"1"},
      {u"0", u"-1"},
      {u"00", u"FF"},
      {u"NO", u"YES"},
      {u"BAD", u"GOOD"},
  }};
  const size_t row = mode >= 0 && mode < 8 ? static_cast<size_t>(mode) : 0;
  return String(kTexts[row][value ? 1 : 0]);
}

TTriState StrToTriState(StringView text) noexcept {
  const StringView t = StripBlanks(text);
  for (StringView word : {u"true", u"1", u"+1", u"yes"}) {
    if (EqualIgnoringAsciiCase(t, word)) return tsTrue;
  }
  for (StringView word : {u"false", u"-1", u"no"}) {
    if (EqualIgnoringAsciiCase(t, word)) return tsFalse;
  }
  return tsUndefined;
}

String TriStateToStr(TTriState value, int32_t mode) {
  // Rows by mode (0, 1, 2), columns by value (tsFalse, tsTrue, tsUndefined).
  static constexpr std::array<std::array<StringView, 3>, 3> kTexts = {{
      {u"false", u"true", u""},
      {u"-1", u"1", u"0"},
      {u"no", u"yes", u"unknown"},
  }};
  const size_t row = mode == 1 || mode == 2 ? static_cast<size_t>(mode) : 0;
  return value <= tsUndefined ? String(kTexts[row][value]) : String();
}

// ================================================================================================
// String lists

namespace {

template <typename List>
int32_t FindInList(StringView text, bool casesensitive, const List& list) noexcept {
  int32_t pos = 0;
  for (const auto& entry : list) {
    ++pos;
    const StringView e(entry);
    if (casesensitive ? e == text : EqualIgnoringAsciiCase(e, text)) return pos;
  }
  return 0;
}

}  // namespace

int32_t StringIx(StringView text, std::span<const String> list) noexcept {
  return FindInList(text, true, list);
}
int32_t StringIx(StringView text, bool casesensitive, std::span<const String> list) noexcept {
  return FindInList(text, casesensitive, list);
}
int32_t StringIx(StringView text, std::initializer_list<StringView> list) noexcept {
  return FindInList(text, true, list);
}
int32_t StringIx(StringView text, bool casesensitive,
                 std::initializer_list<StringView> list) noexcept {
  return FindInList(text, casesensitive, list);
}

// ================================================================================================
// Variants

String ConvertVariant(const Variant& value) {
  if (!value.IsArray()) return ScalarText(value);
  if (value.HighBound() < 0 || value.Elements().empty()) return u"undefined array";

  // The depth and the bounds of each level come from the first element of each level.
  std::array<TLevel, 3> levels;
  levels[0] = MakeLevel(value, 12);
  int depth = 1;
  const Variant& second = value.Elements().front();
  if (second.IsArray()) {
    levels[1] = MakeLevel(second, 10);
    depth = 2;
    if (!second.Elements().empty() && second.Elements().front().IsArray()) {
      levels[2] = MakeLevel(second.Elements().front(), 3);
      depth = 3;
    }
  }

  String out = u"Array";
  for (int d = 0; d < depth; ++d) {
    out += u'[' + IntText(levels[d].Low) + u',' + IntText(levels[d].High) + u']';
  }
  out += u':';
  out += kCrLf;

  const TLevel& first = levels[0];
  if (depth == 1) {
    AppendLine(out, value, first, [](const Variant* e) { return e; });
    return out;
  }
  // The lines of one layer: for each shown second-level index j, the elements [i][j] (or
  // [i][j][k] with the third-level index k).
  auto appendLayer = [&](const int64_t* k) {
    const TLevel& lv2 = levels[1];
    for (int64_t j = lv2.Low; j < lv2.Low + lv2.Shown; ++j) {
      AppendLine(out, value, first, [&](const Variant* e) {
        const Variant* ej = ElementAt(e, j);
        return k == nullptr ? ej : ElementAt(ej, *k);
      });
      out += kCrLf;
    }
  };
  if (depth == 2) {
    appendLayer(nullptr);
    if (levels[1].Cut) out += u" ......";
    return out;
  }
  const TLevel& lv3 = levels[2];
  for (int64_t k = lv3.Low; k < lv3.Low + lv3.Shown; ++k) {
    out += u"layer " + IntText(k) + u':';
    out += kCrLf;
    appendLayer(&k);
    if (levels[1].Cut) {
      out += u" ......";
      out += kCrLf;
    }
  }
  if (lv3.Cut) out += u" ... more layers";
  return out;
}

// ================================================================================================
// Parameter lists

namespace {

template <typename T, typename Format>
String ParList(std::span<const T> data, bool appendcomma, int32_t maxitems, bool brackets,
               Format format) {
  String out = brackets ? u"[" : u"";
  size_t c = data.size();
  if (maxitems > 0 && static_cast<size_t>(maxitems) < c) c = static_cast<size_t>(maxitems);
  if (c == 0) out += u',';
  for (size_t i = 0; i < c; ++i) {
    out += format(data[i]);
    out += u',';
  }
  if (c < data.size()) out += u"...,";
  if (brackets) {
    out.back() = u']';
  } else {
    out.pop_back();
  }
  if (appendcomma) out += u',';
  return out;
}

}  // namespace

String CreateParList(const TIntArray& data, bool appendcomma, int32_t maxitems, bool brackets) {
  return CreateParList(std::span<const int32_t>(data), appendcomma, maxitems, brackets);
}
String CreateParList(std::span<const int32_t> data, bool appendcomma, int32_t maxitems,
                     bool brackets) {
  return ParList(data, appendcomma, maxitems, brackets, [](int32_t v) { return IntText(v); });
}
String CreateParList(std::span<const bool> data, bool appendcomma, int32_t maxitems,
                     bool brackets) {
  return ParList(data, appendcomma, maxitems, brackets, [](bool v) { return BoolToStr(v, 0); });
}
String CreateParList(const TDoubleArray& data, bool appendcomma, int32_t maxitems,
                     int32_t sigdigits, bool brackets) {
  return CreateParList(std::span<const double>(data), appendcomma, maxitems, sigdigits, brackets);
}
String CreateParList(std::span<const double> data, bool appendcomma, int32_t maxitems,
                     int32_t sigdigits, bool brackets) {
  return ParList(data, appendcomma, maxitems, brackets,
                 [sigdigits](double v) { return AutoFormatData(v, sigdigits); });
}

}  // namespace xan
