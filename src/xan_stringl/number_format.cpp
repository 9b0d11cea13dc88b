// Number formatting of the string unit, and its hexadecimal scanner.
// Digits come from std::to_chars (exact, halves to even, no locale); each result is one allocation.
#include "xan/stringl/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/simple_text.h"
#include "xan/univconst.h"

namespace xan {

namespace {

// Room for the longest digit text: the 4933 integer digits of the largest extended value, a sign,
// a point and MaxFormatField decimals or exponent-form digits.
constexpr size_t kDigitRoom = 4933 + 2 + MaxFormatField + 32;
using TDigits = std::array<char, kDigitRoom>;

int32_t ClampField(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -MaxFormatField, MaxFormatField));
}

// std::to_chars of x with a precision. Both overloads give the exact digits of the binary value;
// the double one is several times faster, so values that are doubles take it.
std::to_chars_result ToChars(char* first, char* last, long double x, std::chars_format format,
                             int precision) {
  // A value beyond the double range must not be narrowed at all.
  if (std::fabs(x) <= std::numeric_limits<double>::max()) {
    const auto d = static_cast<double>(x);
    if (static_cast<long double>(d) == x) return std::to_chars(first, last, d, format, precision);
  }
  // Where the C++ library converts long doubles through the C library's printf (mingw-w64 on
  // Windows), the process locale's decimal point comes out: it becomes the point here, as the
  // digits of doubles have it on every host. Finite digits hold nothing else but signs and 'e'.
  std::to_chars_result r = std::to_chars(first, last, x, format, precision);
  if (r.ec != std::errc{}) return r;
  const auto foreign = [](char c) {
    return !((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E');
  };
  char* const mark = std::find_if(first, r.ptr, foreign);
  if (mark != r.ptr) {
    char* const after = std::find_if_not(mark, r.ptr, foreign);
    *mark = '.';
    r.ptr = std::copy(after, r.ptr, mark + 1);
  }
  return r;
}

// "INF", "-INF" or "NAN".
size_t WriteNonFinite(long double x, char* out) {
  const char* text = std::isnan(x) ? "NAN" : (x < 0 ? "-INF" : "INF");
  const size_t n = std::char_traits<char>::length(text);
  std::copy_n(text, n, out);
  return n;
}

// The fixed form's digits, without padding. Negative zero prints as zero.
size_t WriteFixed(long double x, int64_t decimals, char* out) {
  if (x == 0) x = 0;
  const int d = static_cast<int>(std::clamp<int64_t>(decimals, 0, MaxFormatField));
  const auto r = ToChars(out, out + kDigitRoom, x, std::chars_format::fixed, d);
  return static_cast<size_t>(r.ptr - out);
}

// The long exponent form in max(w, 10) characters: sign position, d.ddd, "E", sign, 4 digits.
size_t WriteLongExp(long double x, int64_t w, char* out) {
  const int width = static_cast<int>(std::clamp<int64_t>(w, 10, MaxFormatField + 2));
  out[0] = x < 0 ? '-' : ' ';
  char* const mant = out + 1;
  const auto r =
      ToChars(mant, out + kDigitRoom, std::fabs(x), std::chars_format::scientific, width - 9);
  // r is "d.ddd" followed by "e+XX" (two or more exponent digits).
  char* e = r.ptr;
  while (*(e - 1) != 'e') --e;
  const char sign = *e;
  int exponent = 0;
  std::from_chars(e + 1, r.ptr, exponent);
  char* p = e - 1;
  *p++ = 'E';
  *p++ = sign;
  for (int div = 1000; div > 0; div /= 10) *p++ = static_cast<char>('0' + exponent / div % 10);
  return static_cast<size_t>(p - out);
}

// The text right-aligned with blanks in a field of `width` characters (no padding for a text at
// least that long or a width <= 0). Every caller's field ends at MaxFormatField.
String Compose(const char* text, size_t n, int64_t width) {
  width = std::min<int64_t>(width, MaxFormatField);
  const size_t pad = width > static_cast<int64_t>(n) ? static_cast<size_t>(width) - n : 0;
  String s(pad + n, u' ');
  std::copy_n(text, n, s.begin() + static_cast<std::ptrdiff_t>(pad));
  return s;
}

String NonFinite(long double x, int64_t width) {
  char buf[8];
  return Compose(buf, WriteNonFinite(x, buf), width);
}

String Fixed(long double x, int64_t decimals, int64_t width) {
  if (!std::isfinite(x)) return NonFinite(x, width);
  TDigits buf;
  return Compose(buf.data(), WriteFixed(x, decimals, buf.data()), width);
}

// Leading blanks become "0"; a "-" right after them becomes "0" and moves to the front.
void ZeroFill(String& t) {
  size_t k = 0;
  while (k < t.size() && t[k] == u' ') t[k++] = u'0';
  if (k < t.size() && t[k] == u'-') {
    t[k] = u'0';
    t[0] = u'-';
  }
}

String Trimmed(const String& t) {
  const size_t first = t.find_first_not_of(u' ');
  if (first == String::npos) return {};
  return t.substr(first, t.find_last_not_of(u' ') - first + 1);
}

// log10 |x| as the library computes it: ln |x| / ln 10 in extended precision.
long double Log10(long double x) {
  return std::log(std::fabs(x)) / uc_ln10;
}

}  // namespace

String strff(long double x, int32_t width, int32_t decimals) {
  const int64_t field = std::min<int64_t>(std::abs(static_cast<int64_t>(width)), MaxFormatField);
  if (!std::isfinite(x)) return NonFinite(x, field);
  TDigits buf;
  size_t n = 0;
  if (decimals == -2) {
    n = WriteLongExp(x, field + 2, buf.data());
    // The short form drops the first two of the four exponent digits; an exponent that needs
    // them cannot be shown and the field fills with asterisks.
    char* const e = buf.data() + n - 6;
    const bool tooWide = e[2] != '0' || e[3] != '0';
    e[2] = e[4];
    e[3] = e[5];
    n -= 2;
    if (tooWide) std::fill_n(buf.data(), n, '*');
  } else if (decimals >= 0) {
    n = WriteFixed(x, decimals, buf.data());
  } else {
    n = WriteLongExp(x, field, buf.data());
  }
  String t = Compose(buf.data(), n, field);
  if (width < 0) ZeroFill(t);
  return t;
}

String strffForcePlus(long double x, int32_t width, int32_t decimals) {
  String t = strff(x, width, decimals);
  if (x < 0 || std::isnan(x)) return t;
  size_t k = 0;
  while (k + 1 < t.size() && t[k] == u' ') ++k;
  if (k > 0) {
    t[k - 1] = u'+';
  } else if (t.size() >= 2 && t[0] == u'0' && t[1] >= u'0' && t[1] <= u'9') {
    t[0] = u'+';
  } else {
    t.insert(t.begin(), u'+');
  }
  return t;
}

String FormatData(double x, int32_t width, int32_t decimals) {
  // The largest and smallest magnitudes shown with 0..8 decimals, as extended constants.
  static constexpr std::array<long double, 9> kUpper = {999999999.0L, 9999999.9L, 999999.99L,
                                                        99999.999L,   9999.9999L, 999.99999L,
                                                        99.999999L,   9.9999999L, 0.99999999L};
  static constexpr std::array<long double, 9> kLower = {
      1.0L, 0.1L, 0.01L, 0.001L, 0.0001L, 0.00001L, 0.000001L, 0.0000001L, 0.00000001L};
  if (decimals >= 0 && decimals <= 8) {
    const long double ax = std::fabs(static_cast<long double>(x));
    if (ax <= kUpper[decimals] && (ax >= kLower[decimals] || x == 0)) {
      return Fixed(x, decimals, width);
    }
  }
  return strff(x, ClampField(int64_t{width} + 6), -2);
}

String SigDigStr(double x, int32_t width, int32_t sigdigits) {
  if (!std::isfinite(x)) return NonFinite(x, width);
  const int64_t digits = sigdigits;
  if (x == 0) return Fixed(0, digits - 1, width);
  // The place of the first significant digit: 4 for 5678.5, 0 for 0.5, -1 for 0.05.
  const auto e = static_cast<int64_t>(std::floor(Log10(x) + 1));
  const int32_t expField = ClampField(std::max<int64_t>(width, digits + 6));
  if (e > digits) {
    if (e > int64_t{width} - 1) return strff(x, expField, -2);
    return Fixed(x, 0, width);
  }
  if (e < digits - width + 3) return strff(x, expField, -2);
  return Fixed(x, digits - e, width);
}

String SigDigStr(double x, int32_t width, int32_t sigdigits, bool strip) {
  String t = SigDigStr(x, width, sigdigits);
  return strip ? Trimmed(t) : t;
}

String AutoFormatData(double x, int32_t sigdigits) {
  const int32_t n = std::clamp(sigdigits, 2, 16);
  if (!std::isfinite(x)) return NonFinite(x, 0);
  if (x == 0) return Trimmed(strff(0, 1, n - 1));
  const auto L = static_cast<double>(Log10(x));
  if (L < n - 1 && L > -1) return Trimmed(strff(x, 1, n - 1 - static_cast<int32_t>(std::trunc(L))));
  return Trimmed(strff(x, n + 6, -2));
}

String AutoFormatData(double x, int32_t sigdigits, bool decimalcomma) {
  String t = AutoFormatData(x, sigdigits);
  if (decimalcomma) std::replace(t.begin(), t.end(), u'.', u',');
  return t;
}

String BinString(bool flag, StringView truetext, StringView falsetext) {
  return String(flag ? truetext : falsetext);
}

String SortableNumericString(StringView text, Char decimalchar, int32_t numdig) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == StringView::npos)
    text = {};
  else
    text = text.substr(first, text.find_last_not_of(u' ') - first + 1);
  const size_t at = text.find(decimalchar);
  const int64_t p = at == StringView::npos ? 0 : static_cast<int64_t>(at) + 1;
  const int64_t pad = std::min<int64_t>(std::max<int64_t>(numdig - p, 0), MaxFormatField);
  String t(static_cast<size_t>(pad), u' ');
  t += text;
  return t;
}

namespace {

// A clock field: two characters, padded with "0" or a blank; 100 and more print in full.
void AppendField(String& out, uint64_t v, bool zeroPad) {
  if (v < 10) out += zeroPad ? u'0' : u' ';
  detail::AppendDecimal(out, v);
}

}  // namespace

String TimeString(double seconds, uint8_t mode) {
  if (mode > 5) return {};
  constexpr long double kMaxSeconds = 9007199254740992.0L;  // 2^53
  long double s = seconds;
  if (!(s > 0) || !std::isfinite(s)) s = 0;
  s = std::min(s, kMaxSeconds);
  // Products of a double by 3600, 60 or 100 are exact in extended precision.
  const auto h = static_cast<uint64_t>(std::trunc(s / 3600));
  const long double restOfHour = std::max(s - 3600.0L * h, 0.0L);
  const auto m = static_cast<uint64_t>(std::trunc(restOfHour / 60));
  const auto sec = static_cast<uint64_t>(std::max(std::trunc(restOfHour - 60.0L * m), 0.0L));
  const auto c = static_cast<uint64_t>(std::trunc((s - std::trunc(s)) * 100));

  String t;
  switch (mode) {
    case 0:
    case 1:
    case 4:
      AppendField(t, h, true);
      t += u':';
      AppendField(t, m, true);
      if (mode == 4) break;
      t += u':';
      AppendField(t, sec, true);
      if (mode == 1) break;
      t += u'.';
      AppendField(t, c, true);
      break;
    case 2:
    case 3:
      AppendField(t, h, false);
      t += u'h';
      AppendField(t, m, true);
      if (mode == 2) break;
      t += u'\'';
      AppendField(t, sec, true);
      t += u'"';
      break;
    default: {
      const uint64_t h12 = h == 0 ? 12 : (h > 12 ? h - 12 : h);
      AppendField(t, h12, false);
      t += u':';
      AppendField(t, m, true);
      t += h < 12 ? u'a' : u'p';
    }
  }
  return t;
}

int32_t ScanHexNumber(StringView text, int32_t& pos) noexcept {
  const auto len = static_cast<int64_t>(text.size());
  int64_t p = pos < 1 ? 1 : pos;
  while (p < len && text[p - 1] == u' ') ++p;
  uint32_t value = 0;
  while (p <= len) {
    const Char c = text[p - 1];
    const int digit = detail::HexDigitValue(c);
    if (c == u'$' && p == 1) {
      ++p;
    } else if (digit >= 0) {
      value = value * 16 + static_cast<uint32_t>(digit);
      ++p;
    } else {
      break;
    }
  }
  pos = static_cast<int32_t>(p);
  return static_cast<int32_t>(value);
}

}  // namespace xan
