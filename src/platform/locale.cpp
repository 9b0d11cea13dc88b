// Locale case rules of the platform over ICU: character and text case mapping and
// case-insensitive comparison in ICU's default locale.
#include "xan/platform/locale.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <cstring>

namespace xan {

namespace {

static_assert(sizeof(UChar) == sizeof(Char), "ICU's UChar must be a UTF-16 code unit");

const UChar* IcuText(StringView text) noexcept {
  return reinterpret_cast<const UChar*>(text.data());
}

// Turkish and Azeri fold "I" to dotless "i" and "\u0130" to "i"; every other locale folds alike.
uint32_t FoldOptions() noexcept {
  char lang[ULOC_LANG_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  uloc_getLanguage(uloc_getDefault(), lang, sizeof lang, &err);
  const bool turkic =
      U_SUCCESS(err) && (std::strcmp(lang, "tr") == 0 || std::strcmp(lang, "az") == 0);
  return (turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT) |
         U_COMPARE_CODE_POINT_ORDER;
}

using MapFunc = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

// Maps text with an ICU full case mapping in the default locale (a null locale name), growing
// the buffer once when the mapped text is longer. On an ICU failure the text is kept as it is.
String MapText(StringView text, MapFunc map) {
  if (text.empty()) return {};
  const auto len = static_cast<int32_t>(text.size());
  String out(text.size(), u'\0');
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = map(reinterpret_cast<UChar*>(out.data()), len, IcuText(text), len, nullptr, &err);
  if (err == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n), u'\0');
    err = U_ZERO_ERROR;
    n = map(reinterpret_cast<UChar*>(out.data()), n, IcuText(text), len, nullptr, &err);
  }
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return String(text);
  out.resize(static_cast<size_t>(n));
  return out;
}

// One character through the full mapping; a result longer than one unit falls back to the
// language-neutral simple mapping.
Char MapChar(Char c, MapFunc map, UChar32 (*simple)(UChar32)) noexcept {
  if (U16_IS_SURROGATE(c)) return c;
  const UChar src = c;
  UChar dest[4];
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = map(dest, 4, &src, 1, nullptr, &err);
  if (U_SUCCESS(err) && n == 1) return dest[0];
  const UChar32 m = simple(c);
  return m <= 0xFFFF ? static_cast<Char>(m) : c;
}

}  // namespace

Char LocaleUpperChar(Char c) noexcept {
  return MapChar(c, u_strToUpper, u_toupper);
}

Char LocaleLowerChar(Char c) noexcept {
  return MapChar(c, u_strToLower, u_tolower);
}

Char NeutralFoldChar(Char c) noexcept {
  if (U16_IS_SURROGATE(c)) return c;
  const UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
  return f <= 0xFFFF ? static_cast<Char>(f) : c;
}

String LocaleUpperCase(StringView text) {
  return MapText(text, u_strToUpper);
}

String LocaleLowerCase(StringView text) {
  return MapText(text, u_strToLower);
}

int LocaleCompareText(StringView a, StringView b) noexcept {
  UErrorCode err = U_ZERO_ERROR;
  const int32_t r = u_strCaseCompare(IcuText(a), static_cast<int32_t>(a.size()), IcuText(b),
                                     static_cast<int32_t>(b.size()), FoldOptions(), &err);
  if (U_FAILURE(err)) return a.compare(b);
  return r;
}

bool LocaleSameText(StringView a, StringView b) noexcept {
  return LocaleCompareText(a, b) == 0;
}

}  // namespace xan
