// The platform's variant type: construction, array access and the conversions to text, double,
// integer and boolean, all independent of the locale.
#include "xan/platform/variant.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "xan/platform/exceptions.h"

namespace xan {

namespace {

// ------------------------------------------------------------------------------------------------
// Text helpers

String Widen(std::string_view ascii) {
  return String(ascii.begin(), ascii.end());
}

String IntText(int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return Widen({buf, r.ptr});
}

String UIntText(uint64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return Widen({buf, r.ptr});
}

// `v` in decimal with at least `width` digits.
String ZeroPadded(int64_t v, size_t width) {
  String s = IntText(v);
  if (s.size() < width) s.insert(0, width - s.size(), u'0');
  return s;
}

StringView TrimBlanks(StringView s) noexcept {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  return s;
}

bool EqualsIgnoringAsciiCase(StringView s, std::string_view lower) noexcept {
  if (s.size() != lower.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    Char c = s[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<Char>(c + 32);
    if (c != static_cast<Char>(lower[i])) return false;
  }
  return true;
}

// The shortest text that reads back to `v` (as a float when `single`): fixed notation for
// decimal exponents -5..14, otherwise mantissa, "E", sign and at least two exponent digits.
String FloatText(double v, bool single) {
  if (std::isnan(v)) return u"NAN";
  if (std::isinf(v)) return v < 0 ? u"-INF" : u"INF";
  if (v == 0) return u"0";
  char buf[40];
  const auto r = single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(v),
                                        std::chars_format::scientific)
                        : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  const std::string_view sci(buf, r.ptr);  // "-1.2345e+03"
  const size_t ePos = sci.find('e');
  const bool negative = sci.front() == '-';
  std::string digits;
  for (char c : sci.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0))) {
    if (c != '.') digits += c;
  }
  int exponent = 0;
  std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                  exponent);

  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent <= 14) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      const auto intDigits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
      } else {
        out += digits.substr(0, intDigits);
        out += '.';
        out += digits.substr(intDigits);
      }
    }
  } else {
    out += digits[0];
    if (digits.size() > 1) out += '.' + digits.substr(1);
    out += exponent < 0 ? "E-" : "E+";
    const int mag = exponent < 0 ? -exponent : exponent;
    if (mag < 10) out += '0';
    out += std::to_string(mag);
  }
  return Widen(out);
}

String CurrencyText(int64_t units) {
  const bool negative = units < 0;
  const uint64_t mag = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  String s = negative ? u"-" : u"";
  s += UIntText(mag / 10000);
  uint64_t frac = mag % 10000;
  if (frac != 0) {
    int digits = 4;
    while (frac % 10 == 0) frac /= 10, --digits;
    String f = UIntText(frac);
    s += u'.';
    s.append(static_cast<size_t>(digits) - f.size(), u'0');
    s += f;
  }
  return s;
}

// Day numbers of 0001-01-01 and of the day after 9999-12-31, counted from 1899-12-30.
constexpr double kFirstDay = -693593;
constexpr double kDayAfterLast = 2958466;
// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffset = -25569;

struct TCivilDate {
  int64_t Year;
  int Month, Day;
};

// The proleptic Gregorian date of a day number counted from 1970-01-01.
TCivilDate CivilFromDays(int64_t z) noexcept {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const auto day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const auto month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

[[noreturn]] void Fail(String message) {
  throw EVariantError(std::move(message));
}

[[noreturn]] void CannotConvert(TVarType from, StringView to) {
  Fail(u"Cannot convert a variant of type " + VarTypeAsText(from) + u" to " + String(to));
}

[[noreturn]] void CannotConvertText(StringView text, StringView to) {
  constexpr size_t kShown = 64;
  String shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += u"...";
  Fail(u"Cannot convert the variant text \"" + shown + u"\" to " + String(to));
}

[[noreturn]] void OutOfRange(TVarType from, StringView to) {
  Fail(u"Cannot convert a variant of type " + VarTypeAsText(from) + u" to " + String(to) +
       u": the value is out of range");
}

String DateText(double days) {
  if (!(days > kFirstDay - 1 && days < kDayAfterLast)) CannotConvert(varDate, u"String");
  const double whole = std::trunc(days);
  int64_t ms = std::llround(std::fabs(days - whole) * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  const TCivilDate d = CivilFromDays(static_cast<int64_t>(whole) + kEpochOffset);
  String s = ZeroPadded(d.Year, 4) + u'-' + ZeroPadded(d.Month, 2) + u'-' + ZeroPadded(d.Day, 2);
  if (ms >= 1000) {
    s += u' ' + ZeroPadded(ms / 3600000, 2) + u':' + ZeroPadded(ms / 60000 % 60, 2) + u':' +
         ZeroPadded(ms / 1000 % 60, 2);
  }
  if (ms % 1000 != 0) {
    if (ms < 1000) s += u" 00:00:00";
    s += u'.' + ZeroPadded(ms % 1000, 3);
  }
  return s;
}

// Halves go to the even neighbour: 2.5 => 2, 3.5 => 4, -2.5 => -2.
double RoundHalfEven(double x) noexcept {
  const double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0) return r - std::copysign(1, x);
  return r;
}

bool FitsInt64(double r) noexcept {
  return r >= -9223372036854775808.0 && r < 9223372036854775808.0;
}

bool IsDigit(Char c) noexcept {
  return c >= u'0' && c <= u'9';
}

// Reads the whole of `text` (blanks around it allowed) as [+-]digits[.digits][(e|E)[+-]digits],
// with at least one mantissa digit. Too small a magnitude gives zero; false for anything else
// or for a magnitude beyond the double range.
bool ParseNumber(StringView text, double& value) {
  text = TrimBlanks(text);
  std::string ascii;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  size_t mantissaDigits = 0;
  int64_t magnitude = 0;  // decimal exponent of the leading significant digit, roughly
  bool significant = false;
  bool afterPoint = false;
  for (; i < text.size(); ++i) {
    const Char c = text[i];
    if (IsDigit(c)) {
      ++mantissaDigits;
      if (c != u'0') significant = true;
      if (!afterPoint && significant) ++magnitude;
      if (afterPoint && !significant) --magnitude;
    } else if (c == u'.' && !afterPoint) {
      afterPoint = true;
    } else {
      break;
    }
    ascii += static_cast<char>(c);
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size()) {
    if (text[i] != u'e' && text[i] != u'E') return false;
    ascii += 'e';
    ++i;
    size_t expStart = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    int64_t exponent = 0;
    const size_t digitsStart = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (i == digitsStart || i != text.size()) return false;
    const bool negExp = text[expStart] == u'-';
    magnitude += negExp ? -exponent : exponent;
    for (; expStart < text.size(); ++expStart) ascii += static_cast<char>(text[expStart]);
  }
  double v = 0;
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return false;
    v = 0;
  } else if (r.ec != std::errc() || r.ptr != ascii.data() + ascii.size()) {
    return false;
  }
  value = negative ? -v : v;
  return true;
}

enum class TIntParse { NotAnInteger, Ok, OutOfRange };

// Reads the whole of `text` (blanks around it allowed) as [+-]digits into a 64-bit integer.
TIntParse ParseInteger(StringView text, int64_t& value) {
  text = TrimBlanks(text);
  std::string ascii;
  size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii += '-';
    ++i;
  }
  if (i == text.size()) return TIntParse::NotAnInteger;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return TIntParse::NotAnInteger;
    ascii += static_cast<char>(text[i]);
  }
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return r.ec == std::errc() ? TIntParse::Ok : TIntParse::OutOfRange;
}

}  // namespace

// ================================================================================================

String VarTypeAsText(TVarType code) {
  if ((code & varArray) != 0) return u"Array of " + VarTypeAsText(code & varTypeMask);
  switch (code) {
    case varEmpty:
      return u"Empty";
    case varNull:
      return u"Null";
    case varSmallint:
      return u"Smallint";
    case varInteger:
      return u"Integer";
    case varSingle:
      return u"Single";
    case varDouble:
      return u"Double";
    case varCurrency:
      return u"Currency";
    case varDate:
      return u"Date";
    case varOleStr:
      return u"OleStr";
    case varDispatch:
      return u"Dispatch";
    case varError:
      return u"Error";
    case varBoolean:
      return u"Boolean";
    case varVariant:
      return u"Variant";
    case varUnknown:
      return u"Unknown";
    case varDecimal:
      return u"Decimal";
    case varShortInt:
      return u"ShortInt";
    case varByte:
      return u"Byte";
    case varWord:
      return u"Word";
    case varLongWord:
      return u"LongWord";
    case varInt64:
      return u"Int64";
    case varUInt64:
      return u"UInt64";
    case varString:
      return u"String";
    case varUString:
      return u"UString";
    default:
      return u"type " + IntText(code);
  }
}

Variant::Variant(const Char* text) : FType(varUString), FValue(text ? String(text) : String()) {}
Variant::Variant(StringView text) : FType(varUString), FValue(String(text)) {}
Variant::Variant(String text) noexcept : FType(varUString), FValue(std::move(text)) {}

Variant Variant::Null() noexcept {
  return {varNull, std::monostate{}};
}
Variant Variant::FromAnsi(std::string_view bytes) {
  return {varString, std::string(bytes)};
}
Variant Variant::FromOleStr(StringView text) {
  return {varOleStr, String(text)};
}
Variant Variant::FromDate(double days) noexcept {
  return {varDate, days};
}
Variant Variant::FromCurrency(double value) {
  const double units = RoundHalfEven(value * 10000.0);
  if (!std::isfinite(units) || !FitsInt64(units)) OutOfRange(varDouble, u"Currency");
  return {varCurrency, static_cast<int64_t>(units)};
}
Variant Variant::FromCurrencyUnits(int64_t units) noexcept {
  return {varCurrency, units};
}

Variant Variant::Array(int32_t lowBound, int32_t highBound) {
  const int64_t count = std::max<int64_t>(0, int64_t{highBound} - lowBound + 1);
  return Array(lowBound, std::vector<Variant>(static_cast<size_t>(count)));
}

Variant Variant::Array(int32_t lowBound, std::vector<Variant> elements) {
  const int64_t high = int64_t{lowBound} + static_cast<int64_t>(elements.size()) - 1;
  if (high > std::numeric_limits<int32_t>::max() || high < std::numeric_limits<int32_t>::min()) {
    Fail(u"Variant array bounds out of range");
  }
  return {varArray | varVariant, TArrayData{lowBound, std::move(elements)}};
}

const Variant::TArrayData& Variant::ArrayData() const {
  if (const auto* a = std::get_if<TArrayData>(&FValue)) return *a;
  Fail(u"A variant of type " + VarTypeAsText(FType) + u" is not an array");
}

int32_t Variant::LowBound() const {
  return ArrayData().Low;
}
int32_t Variant::HighBound() const {
  const TArrayData& a = ArrayData();
  return static_cast<int32_t>(a.Low + static_cast<int64_t>(a.Items.size()) - 1);
}
std::span<const Variant> Variant::Elements() const noexcept {
  if (const auto* a = std::get_if<TArrayData>(&FValue)) return a->Items;
  return {};
}

const Variant& Variant::operator[](int32_t index) const {
  const TArrayData& a = ArrayData();
  const int64_t i = int64_t{index} - a.Low;
  if (i < 0 || i >= static_cast<int64_t>(a.Items.size())) {
    Fail(u"Variant array index " + IntText(index) + u" is outside the bounds " + IntText(a.Low) +
         u".." + IntText(a.Low + static_cast<int64_t>(a.Items.size()) - 1));
  }
  return a.Items[static_cast<size_t>(i)];
}
Variant& Variant::operator[](int32_t index) {
  return const_cast<Variant&>(std::as_const(*this)[index]);
}

// ------------------------------------------------------------------------------------------------
// Conversions

namespace {

// What a conversion does with a type code: the codes that behave alike share a kind.
enum class TKind { Empty, Null, Int, UInt, Float, Currency, Date, Bool, Ansi, Text, Other };

TKind KindOf(TVarType code) noexcept {
  switch (code) {
    case varEmpty:
      return TKind::Empty;
    case varNull:
      return TKind::Null;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return TKind::Int;
    case varUInt64:
      return TKind::UInt;
    case varSingle:
    case varDouble:
      return TKind::Float;
    case varCurrency:
      return TKind::Currency;
    case varDate:
      return TKind::Date;
    case varBoolean:
      return TKind::Bool;
    case varString:
      return TKind::Ansi;
    case varOleStr:
    case varUString:
      return TKind::Text;
    default:
      return TKind::Other;  // arrays
  }
}

}  // namespace

String Variant::AsString() const {
  switch (KindOf(FType)) {
    case TKind::Empty:
    case TKind::Null:
      return {};
    case TKind::Int:
      return IntText(std::get<int64_t>(FValue));
    case TKind::UInt:
      return UIntText(std::get<uint64_t>(FValue));
    case TKind::Float:
      return FloatText(std::get<double>(FValue), FType == varSingle);
    case TKind::Currency:
      return CurrencyText(std::get<int64_t>(FValue));
    case TKind::Date:
      return DateText(std::get<double>(FValue));
    case TKind::Bool:
      return std::get<bool>(FValue) ? u"True" : u"False";
    case TKind::Ansi:
      return AnsiToString(std::get<std::string>(FValue));
    case TKind::Text:
      return std::get<String>(FValue);
    case TKind::Other:
      break;
  }
  CannotConvert(FType, u"String");
}

double Variant::AsDouble() const {
  switch (KindOf(FType)) {
    case TKind::Empty:
      return 0;
    case TKind::Int:
      return static_cast<double>(std::get<int64_t>(FValue));
    case TKind::UInt:
      return static_cast<double>(std::get<uint64_t>(FValue));
    case TKind::Float:
    case TKind::Date:
      return std::get<double>(FValue);
    case TKind::Currency:
      return static_cast<double>(std::get<int64_t>(FValue)) / 10000.0;
    case TKind::Bool:
      return std::get<bool>(FValue) ? 1 : 0;
    case TKind::Ansi:
    case TKind::Text: {
      const String text = AsString();
      double v = 0;
      if (!ParseNumber(text, v)) CannotConvertText(text, u"Double");
      return v;
    }
    case TKind::Null:
    case TKind::Other:
      break;
  }
  CannotConvert(FType, u"Double");
}

int64_t Variant::AsInt64() const {
  switch (KindOf(FType)) {
    case TKind::Empty:
      return 0;
    case TKind::Int:
      return std::get<int64_t>(FValue);
    case TKind::UInt: {
      const uint64_t v = std::get<uint64_t>(FValue);
      if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        OutOfRange(FType, u"Int64");
      }
      return static_cast<int64_t>(v);
    }
    case TKind::Currency: {
      const int64_t units = std::get<int64_t>(FValue);
      int64_t q = units / 10000;
      const int64_t rest = units % 10000;  // same sign as units
      const int64_t absRest = rest < 0 ? -rest : rest;
      if (absRest > 5000 || (absRest == 5000 && q % 2 != 0)) q += units < 0 ? -1 : 1;
      return q;
    }
    case TKind::Bool:
      return std::get<bool>(FValue) ? 1 : 0;
    case TKind::Float:
    case TKind::Date: {
      const double r = RoundHalfEven(std::get<double>(FValue));
      if (std::isnan(r) || !FitsInt64(r)) OutOfRange(FType, u"Int64");
      return static_cast<int64_t>(r);
    }
    case TKind::Ansi:
    case TKind::Text: {
      const String text = AsString();
      int64_t v = 0;
      switch (ParseInteger(text, v)) {
        case TIntParse::Ok:
          return v;
        case TIntParse::OutOfRange:
          OutOfRange(FType, u"Int64");
        case TIntParse::NotAnInteger:
          break;
      }
      double d = 0;
      if (!ParseNumber(text, d)) CannotConvertText(text, u"Int64");
      const double r = RoundHalfEven(d);
      if (!FitsInt64(r)) OutOfRange(FType, u"Int64");
      return static_cast<int64_t>(r);
    }
    case TKind::Null:
    case TKind::Other:
      break;
  }
  CannotConvert(FType, u"Int64");
}

int32_t Variant::AsInt32() const {
  const int64_t v = AsInt64();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    OutOfRange(FType, u"Integer");
  }
  return static_cast<int32_t>(v);
}

bool Variant::AsBoolean() const {
  switch (KindOf(FType)) {
    case TKind::Empty:
      return false;
    case TKind::Bool:
      return std::get<bool>(FValue);
    case TKind::Int:
    case TKind::Currency:
      return std::get<int64_t>(FValue) != 0;
    case TKind::UInt:
      return std::get<uint64_t>(FValue) != 0;
    case TKind::Float:
    case TKind::Date:
      return std::get<double>(FValue) != 0;
    case TKind::Ansi:
    case TKind::Text: {
      const String text = AsString();
      const StringView t = TrimBlanks(text);
      if (EqualsIgnoringAsciiCase(t, "true")) return true;
      if (EqualsIgnoringAsciiCase(t, "false")) return false;
      double v = 0;
      if (!ParseNumber(t, v)) CannotConvertText(text, u"Boolean");
      return v != 0;
    }
    case TKind::Null:
    case TKind::Other:
      break;
  }
  CannotConvert(FType, u"Boolean");
}

bool Variant::operator==(const Variant& other) const noexcept {
  return FType == other.FType && FValue == other.FValue;
}

}  // namespace xan
