// Locale-dependent text of the platform: the decimal separator from localeconv(), the general
// float text, text-to-float over std::from_chars, and date/time patterns (numbers spelt here,
// names and the locale's forms by strftime).
#include "xan/platform/format_settings.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "xan/platform/exceptions.h"

#if defined(_WIN32)
#include "win32/local_time.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/local_time.inc"
#else
#error "xan: the local-time conversion has no implementation for this host yet"
#endif

namespace xan {

TFormatSettings FormatSettings() noexcept {
  TFormatSettings settings;
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr) return settings;
  const std::string_view point(conv->decimal_point);
  if (point.size() == 1) {
    // A single byte above 127 belongs to an 8-bit locale charset we cannot name; keep ".".
    if (static_cast<unsigned char>(point[0]) < 128) settings.DecimalSeparator = point[0];
  } else if (point.size() <= 4) {
    try {
      const String text = FromUtf8(point);
      if (text.size() == 1 && text[0] != u'\ufffd') settings.DecimalSeparator = text[0];
    } catch (...) {  // NOLINT(bugprone-empty-catch): keep "." when the text cannot be had
    }
  }
  return settings;
}

// ================================================================================================
// Floating-point text

String FloatToStr(double Value) {
  return FloatToStr(Value, FormatSettings());
}

String FloatToStr(double Value, const TFormatSettings& Settings) {
  if (std::isnan(Value)) return u"NAN";
  if (std::isinf(Value)) return Value < 0 ? u"-INF" : u"INF";
  if (Value == 0) return u"0";
  // 15 significant digits, correctly rounded: "d.dddddddddddddde+XX".
  char buf[40];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, 14);
  const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  const size_t e = sci.find('e');
  std::string digits(1, sci[0]);
  digits.append(sci.substr(2, e - 2));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exp10 = 0;
  const bool negExp = sci[e + 1] == '-';
  std::from_chars(sci.data() + e + 2, sci.data() + sci.size(), exp10);
  if (negExp) exp10 = -exp10;

  String out;
  if (Value < 0) out += u'-';
  const int x = exp10 + 1;  // value = 0.ddd * 10^x
  const int n = static_cast<int>(digits.size());
  if (x > 15 || x < -3) {
    out += static_cast<Char>(digits[0]);
    if (n > 1) {
      out += Settings.DecimalSeparator;
      for (int i = 1; i < n; ++i) out += static_cast<Char>(digits[static_cast<size_t>(i)]);
    }
    out += u'E';
    if (exp10 < 0) out += u'-';
    for (const char c : std::to_string(exp10 < 0 ? -exp10 : exp10)) out += static_cast<Char>(c);
  } else if (x <= 0) {
    out += u'0';
    out += Settings.DecimalSeparator;
    out.append(static_cast<size_t>(-x), u'0');
    for (const char c : digits) out += static_cast<Char>(c);
  } else {
    for (int i = 0; i < x; ++i)
      out += i < n ? static_cast<Char>(digits[static_cast<size_t>(i)]) : u'0';
    if (n > x) {
      out += Settings.DecimalSeparator;
      for (int i = x; i < n; ++i) out += static_cast<Char>(digits[static_cast<size_t>(i)]);
    }
  }
  return out;
}

namespace {

bool IsDigitChar(Char c) noexcept {
  return c >= u'0' && c <= u'9';
}

// True when Text equals Word (upper case ASCII) with a-z folded.
bool SameWordAZ(StringView Text, std::string_view Word) noexcept {
  if (Text.size() != Word.size()) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const Char c = Text[i] >= u'a' && Text[i] <= u'z' ? static_cast<Char>(Text[i] - 32) : Text[i];
    if (c != static_cast<Char>(Word[i])) return false;
  }
  return true;
}

// The parts of a number text, as from_chars reads them ("123.45e-6"), and enough about its
// magnitude to tell an overflow from an underflow.
struct TNumberText {
  std::string Ascii;
  int64_t Magnitude = 0;  // the decimal exponent of the first significant digit, roughly
  bool AnyNonZero = false;
};

// Reads digits [sep digits] [E [sign] digits] from Text[i..] to its end. False for anything else.
bool ReadNumberText(StringView Text, size_t i, Char Separator, TNumberText& Out) {
  int64_t intDigits = 0;     // significant digits before the separator
  int64_t leadingZeros = 0;  // zeros after the separator before the first significant digit
  size_t digitCount = 0;
  for (; i < Text.size() && IsDigitChar(Text[i]); ++i, ++digitCount) {
    Out.Ascii += static_cast<char>(Text[i]);
    if (Text[i] != u'0') Out.AnyNonZero = true;
    if (Out.AnyNonZero) ++intDigits;
  }
  if (i < Text.size() && Text[i] == Separator) {
    Out.Ascii += '.';
    for (++i; i < Text.size() && IsDigitChar(Text[i]); ++i, ++digitCount) {
      Out.Ascii += static_cast<char>(Text[i]);
      if (Text[i] != u'0') Out.AnyNonZero = true;
      if (!Out.AnyNonZero) ++leadingZeros;
    }
  }
  if (digitCount == 0) return false;
  int64_t exponent = 0;
  if (i < Text.size() && (Text[i] == u'E' || Text[i] == u'e')) {
    ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == u'+' || Text[i] == u'-')) negative = Text[i++] == u'-';
    if (i == Text.size() || !IsDigitChar(Text[i])) return false;
    for (; i < Text.size() && IsDigitChar(Text[i]); ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (Text[i] - u'0');
    }
    if (negative) exponent = -exponent;
    Out.Ascii += 'e';
    Out.Ascii += std::to_string(exponent);
  }
  if (i != Text.size()) return false;
  Out.Magnitude = (intDigits > 0 ? intDigits : -leadingZeros) + exponent;
  return true;
}

}  // namespace

bool TryStrToFloat(StringView Text, double& Value) noexcept {
  return TryStrToFloat(Text, Value, FormatSettings());
}

bool TryStrToFloat(StringView Text, double& Value, const TFormatSettings& Settings) noexcept {
  size_t first = 0;
  size_t last = Text.size();
  while (first < last && Text[first] == u' ') ++first;
  while (last > first && Text[last - 1] == u' ') --last;
  Text = Text.substr(first, last - first);
  size_t i = 0;
  bool negative = false;
  if (i < Text.size() && (Text[i] == u'+' || Text[i] == u'-')) negative = Text[i++] == u'-';
  const StringView word = Text.substr(i);
  if (SameWordAZ(word, "NAN")) {
    Value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (SameWordAZ(word, "INF") || SameWordAZ(word, "INFINITY")) {
    Value = negative ? -std::numeric_limits<double>::infinity()
                     : std::numeric_limits<double>::infinity();
    return true;
  }
  try {
    TNumberText number;
    if (!ReadNumberText(Text, i, Settings.DecimalSeparator, number)) return false;
    double v = 0;
    const char* begin = number.Ascii.data();
    const auto res =
        std::from_chars(begin, begin + number.Ascii.size(), v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
      if (number.AnyNonZero && number.Magnitude > 0) return false;  // beyond the double range
      v = 0;
    } else if (res.ec != std::errc() || res.ptr != begin + number.Ascii.size()) {
      return false;
    }
    Value = negative ? -v : v;
    return true;
  } catch (...) {  // std::bad_alloc of a very long text
    return false;
  }
}

double StrToFloat(StringView Text) {
  return StrToFloat(Text, FormatSettings());
}

double StrToFloat(StringView Text, const TFormatSettings& Settings) {
  double value = 0;
  if (!TryStrToFloat(Text, value, Settings)) {
    throw EConvertError(u"'" + String(Text) + u"' is not a valid floating point value");
  }
  return value;
}

// ================================================================================================
// Date and time

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr sys_days kEpoch = sys_days{std::chrono::year{1899} / 12 / 30};
constexpr int64_t kMsPerDay = 86400000;

// The day numbers of the first and last day accepted by FormatDateTime.
constexpr int64_t kFirstDay = (sys_days{std::chrono::year{-30000} / 1 / 1} - kEpoch).count();
constexpr int64_t kLastDay = (sys_days{std::chrono::year{30000} / 12 / 31} - kEpoch).count();

// The broken-down local time of a day number and a time of day in milliseconds.
std::tm BrokenDown(int64_t Day, int64_t Ms) {
  const sys_days date = kEpoch + days{Day};
  const std::chrono::year_month_day ymd{date};
  std::tm t{};
  t.tm_year = static_cast<int>(ymd.year()) - 1900;
  t.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
  t.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.tm_hour = static_cast<int>(Ms / 3600000);
  t.tm_min = static_cast<int>(Ms / 60000 % 60);
  t.tm_sec = static_cast<int>(Ms / 1000 % 60);
  t.tm_wday = static_cast<int>(std::chrono::weekday{date}.c_encoding());
  t.tm_yday = static_cast<int>((date - sys_days{ymd.year() / 1 / 1}).count());
  t.tm_isdst = -1;
  // mktime works out the zone of that local time (daylight saving, offset and, where the C
  // library has them, its own zone fields); the date and time stay ours.
  std::tm zoned = t;
  if (std::mktime(&zoned) != static_cast<std::time_t>(-1)) {
    zoned.tm_year = t.tm_year;
    zoned.tm_mon = t.tm_mon;
    zoned.tm_mday = t.tm_mday;
    zoned.tm_hour = t.tm_hour;
    zoned.tm_min = t.tm_min;
    zoned.tm_sec = t.tm_sec;
    zoned.tm_wday = t.tm_wday;
    zoned.tm_yday = t.tm_yday;
    t = zoned;
  }
  return t;
}

// strftime of one conversion the library does not spell itself (names, the locale's forms, zone
// fields, flags and widths). A character appended to it makes every result non-empty, so that 0
// from strftime means "buffer too small" or "not a conversion of this C library"; after a few
// growing buffers the conversion is copied as written, as the GNU C library does with unknown
// ones.
std::string HostConversion(const std::string& Conversion, const std::tm& Time) {
  const std::string format = Conversion + '\x01';
  std::vector<char> buf(256);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const size_t n = std::strftime(buf.data(), buf.size(), format.c_str(), &Time);
    if (n > 0) return std::string(buf.data(), n - 1);
    buf.resize(buf.size() * 16);
  }
  return Conversion;
}

// Appends Value in decimal, padded on the left with Pad to at least Width characters.
void AppendNumber(String& Out, int64_t Value, size_t Width, char16_t Pad = u'0') {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, Value < 0 ? -Value : Value);
  const size_t count = ec == std::errc{} ? static_cast<size_t>(end - digits) : 0;
  if (Value < 0) Out += u'-';
  const size_t shown = count + (Value < 0 ? 1 : 0);
  if (shown < Width) Out.append(Width - shown, Pad);
  for (size_t i = 0; i < count; ++i) Out += static_cast<char16_t>(digits[i]);
}

// Appends the conversion Letter (without flags, width or modifier) when the library spells it
// itself, the same on every host; false for the ones left to the C library.
bool AppendOwnConversion(String& Out, char16_t Letter, const std::tm& Time) {
  const int64_t year = int64_t{Time.tm_year} + 1900;
  switch (Letter) {
    case u'Y':
      AppendNumber(Out, year, 1);
      return true;
    case u'y':
      AppendNumber(Out, (year < 0 ? -year : year) % 100, 2);
      return true;
    case u'm':
      AppendNumber(Out, Time.tm_mon + 1, 2);
      return true;
    case u'd':
      AppendNumber(Out, Time.tm_mday, 2);
      return true;
    case u'e':
      AppendNumber(Out, Time.tm_mday, 2, u' ');
      return true;
    case u'H':
      AppendNumber(Out, Time.tm_hour, 2);
      return true;
    case u'I':
      AppendNumber(Out, (Time.tm_hour + 11) % 12 + 1, 2);
      return true;
    case u'M':
      AppendNumber(Out, Time.tm_min, 2);
      return true;
    case u'S':
      AppendNumber(Out, Time.tm_sec, 2);
      return true;
    case u'j':
      AppendNumber(Out, Time.tm_yday + 1, 3);
      return true;
    case u'u':
      AppendNumber(Out, Time.tm_wday == 0 ? 7 : Time.tm_wday, 1);
      return true;
    case u'w':
      AppendNumber(Out, Time.tm_wday, 1);
      return true;
    case u'n':
      Out += u'\n';
      return true;
    case u't':
      Out += u'\t';
      return true;
    case u'%':
      Out += u'%';
      return true;
    case u'F':
      // The year in at least four digits, with "+" above 9999 (as "%+4Y").
      if (year > 9999) Out += u'+';
      AppendNumber(Out, year, 4);
      Out += u'-';
      AppendNumber(Out, Time.tm_mon + 1, 2);
      Out += u'-';
      AppendNumber(Out, Time.tm_mday, 2);
      return true;
    case u'T':
    case u'R':
      AppendNumber(Out, Time.tm_hour, 2);
      Out += u':';
      AppendNumber(Out, Time.tm_min, 2);
      if (Letter == u'T') {
        Out += u':';
        AppendNumber(Out, Time.tm_sec, 2);
      }
      return true;
    case u'D':
      AppendNumber(Out, Time.tm_mon + 1, 2);
      Out += u'/';
      AppendNumber(Out, Time.tm_mday, 2);
      Out += u'/';
      AppendNumber(Out, (year < 0 ? -year : year) % 100, 2);
      return true;
    default:
      return false;
  }
}

// The length of the conversion that starts with the '%' at Pattern[Start]: flags, width, an
// E or O modifier and the letter; 1 for a lone '%' at the end.
size_t ConversionLength(StringView Pattern, size_t Start) {
  size_t i = Start + 1;
  while (i < Pattern.size() && StringView(u"_-0^#+").find(Pattern[i]) != StringView::npos) ++i;
  while (i < Pattern.size() && Pattern[i] >= u'0' && Pattern[i] <= u'9') ++i;
  if (i < Pattern.size() && (Pattern[i] == u'E' || Pattern[i] == u'O')) ++i;
  return i < Pattern.size() ? i + 1 - Start : Pattern.size() - Start;
}

}  // namespace

TDateTime Now() {
  using namespace std::chrono;
  const int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const int64_t secs = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  const int64_t millis = ms - secs * 1000;
  std::tm t{};
  if (!host::LocalTime(static_cast<std::time_t>(secs), t)) {
    // Without a local time zone the time is taken as UTC.
    const sys_days day = floor<days>(sys_seconds{seconds{secs}});
    const int64_t daySecs = secs - duration_cast<seconds>(day.time_since_epoch()).count();
    return static_cast<double>((day - kEpoch).count()) +
           static_cast<double>(daySecs * 1000 + millis) / kMsPerDay;
  }
  const sys_days day{year{t.tm_year + 1900} / (t.tm_mon + 1) / t.tm_mday};
  const int64_t dayMs = (int64_t{t.tm_hour} * 3600 + t.tm_min * 60 + t.tm_sec) * 1000 + millis;
  return static_cast<double>((day - kEpoch).count()) + static_cast<double>(dayMs) / kMsPerDay;
}

String FormatDateTime(StringView Pattern, TDateTime DateTime) {
  if (!(DateTime > static_cast<double>(kFirstDay) - 1 &&
        DateTime < static_cast<double>(kLastDay) + 1)) {
    throw EConvertError(u"Invalid date/time value");
  }
  const double whole = std::trunc(DateTime);
  int64_t ms = std::llround(std::fabs(DateTime - whole) * kMsPerDay);
  if (ms >= kMsPerDay) ms = kMsPerDay - 1;
  const std::tm time = BrokenDown(static_cast<int64_t>(whole), ms);

  String out;
  out.reserve(Pattern.size());
  size_t i = 0;
  while (i < Pattern.size()) {
    const size_t percent = Pattern.find(u'%', i);
    out.append(Pattern.substr(i, percent == StringView::npos ? percent : percent - i));
    if (percent == StringView::npos) break;
    const size_t length = ConversionLength(Pattern, percent);
    const StringView conversion = Pattern.substr(percent, length);
    i = percent + length;
    if (length == 2 && AppendOwnConversion(out, conversion[1], time)) continue;
    // Only ASCII reaches the C library; anything else is not one of its conversions.
    if (conversion.size() < 2 || conversion.find(u'\0') != StringView::npos ||
        std::any_of(conversion.begin(), conversion.end(), [](char16_t c) { return c >= 0x80; })) {
      out.append(conversion);
      continue;
    }
    out += FromUtf8(HostConversion(ToUtf8(conversion), time));
  }
  return out;
}

}  // namespace xan
