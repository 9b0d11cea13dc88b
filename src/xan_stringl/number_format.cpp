// Number formatting of the string unit, and its hexadecimal scanner.
#include "xan/stringl/number_format.h"

namespace xan {

// TODO(number formatting): the formatters below are placeholders until the formatter lands.
String strff(long double, int32_t, int32_t) {
  return {};
}
String strffForcePlus(long double, int32_t, int32_t) {
  return {};
}
String FormatData(double, int32_t, int32_t) {
  return {};
}
String SigDigStr(double, int32_t, int32_t) {
  return {};
}
String SigDigStr(double, int32_t, int32_t, bool) {
  return {};
}
String AutoFormatData(double, int32_t) {
  return {};
}
String AutoFormatData(double, int32_t, bool) {
  return {};
}
String SortableNumericString(StringView, Char, int32_t) {
  return {};
}
String TimeString(double, uint8_t) {
  return {};
}

String BinString(bool flag, StringView truetext, StringView falsetext) {
  return String(flag ? truetext : falsetext);
}

int32_t ScanHexNumber(StringView text, int32_t& pos) noexcept {
  const auto len = static_cast<int64_t>(text.size());
  int64_t p = pos < 1 ? 1 : pos;
  while (p < len && text[p - 1] == u' ') ++p;
  uint32_t value = 0;
  while (p <= len) {
    Char c = text[p - 1];
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
    if (c == u'$' && p == 1) {
      ++p;
    } else if (c >= u'0' && c <= u'9') {
      value = value * 16 + (c - u'0');
      ++p;
    } else if (c >= u'A' && c <= u'F') {
      value = value * 16 + (c - u'A' + 10);
      ++p;
    } else {
      break;
    }
  }
  pos = static_cast<int32_t>(p);
  return static_cast<int32_t>(value);
}

}  // namespace xan
