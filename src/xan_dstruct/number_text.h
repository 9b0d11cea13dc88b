// Number text shared by the feature matrix and the associative array: integers in decimal, and
// the one state machine that reads the leading number of a text for both.
#pragma once

#include <charconv>
#include <cstdint>
#include <utility>

#include "xan/platform/strings.h"

namespace xan::detail {

// An integer in decimal: -42 => "-42".
inline String DecimalText(int64_t Value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, Value);
  return String(buf, res.ptr);
}

// What the machine read: the sign, the mantissa ("12.5", ".", "7." as they stood, the decimal
// separator written as '.') and the exponent.
struct TLeadingNumber {
  bool Negative = false;
  String Mantissa;
  int32_t Exponent = 0;
};

// The largest exponent value the machine takes.
inline constexpr int32_t kMaxLeadingExponent = 4200;

// Runs the machine over Text, one character per step, after upper-casing "e" (the end of the
// text counts as one more character that no rule names). True when it accepts, false when it
// fails. States: 1 start, 2 after a sign, 3 integer digits, 4 after the separator, 5 fraction
// digits, 6 after "E", 7 after the exponent's sign, 8 exponent digits.
//   state  blank  sign  digit  separator  "E"   other or end
//   1      1      2     3      4          fail  fail
//   2      fail   fail  3      4          fail  fail
//   3      ACC    ACC   3      4          6     ACC
//   4      ACC    ACC   5      fail       6     ACC
//   5      ACC    ACC   5      fail       6     ACC
//   6      fail   7     8      fail       fail  ACC
//   7      fail   fail  8      fail       fail  ACC
//   8      ACC    ACC   8      ACC        ACC   ACC
// The separator is "." and, with CommaToo, also ",". An exponent whose digits exceed 4200
// fails the machine when LimitFails is set; otherwise the digit that passes 4200 and all
// after it are not taken ("1E42010" has the exponent 420).
// Out receives the parts read (only when the machine accepts).
//   "1.5" => true (1.5)   "12abc" => true   "." => true   "1E" => true   "1E4201" => false
//   "" => false   "E5" => false   "1.2.3" => false   "1E 5" => false   "- 1" => false
inline bool ScanLeadingNumber(StringView Text, bool CommaToo, bool LimitFails,
                              TLeadingNumber& Out) {
  TLeadingNumber number;
  bool negativeExponent = false;
  bool exponentFull = false;
  int32_t exponent = 0;
  int state = 1;
  for (size_t i = 0; i <= Text.size(); ++i) {
    // The end of the text is one more character that no rule names.
    const Char c = i < Text.size() ? Text[i] : Char{1};
    const bool blank = c == u' ';
    const bool sign = c == u'+' || c == u'-';
    const bool digit = c >= u'0' && c <= u'9';
    const bool separator = c == u'.' || (CommaToo && c == u',');
    const bool exp = c == u'E' || c == u'e';
    bool accept = false;
    switch (state) {
      case 1:
      case 2:
        if (blank && state == 1) continue;
        if (sign && state == 1) {
          number.Negative = c == u'-';
          state = 2;
        } else if (digit || separator) {
          number.Mantissa += digit ? c : u'.';
          state = digit ? 3 : 4;
        } else {
          return false;
        }
        break;
      case 3:
      case 4:
      case 5:
        if (digit) {
          number.Mantissa += c;
          if (state == 4) state = 5;
        } else if (separator) {
          if (state != 3) return false;
          number.Mantissa += u'.';
          state = 4;
        } else if (exp) {
          state = 6;
        } else {
          accept = true;
        }
        break;
      case 6:
      case 7:
        if (digit) {
          exponent = c - u'0';
          state = 8;
        } else if (sign && state == 6) {
          negativeExponent = c == u'-';
          state = 7;
        } else if (blank || sign || separator || exp) {
          return false;
        } else {
          accept = true;
        }
        break;
      default:  // 8
        if (!digit) {
          accept = true;
        } else if (!exponentFull && exponent * 10 + (c - u'0') <= kMaxLeadingExponent) {
          exponent = exponent * 10 + (c - u'0');
        } else if (LimitFails) {
          return false;
        } else {
          // The digits read so far passed 4200: neither this one nor any after it is taken.
          exponentFull = true;
        }
        break;
    }
    if (accept) break;
  }
  number.Exponent = negativeExponent ? -exponent : exponent;
  Out = std::move(number);
  return true;
}

}  // namespace xan::detail
