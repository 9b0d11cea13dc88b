// A plain model of the leading-number machine for the tests of the feature matrix and the
// associative array: the transition table written out cell by cell, and random texts over its
// character classes.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "xan/platform/strings.h"

namespace xan::testing {

// What the model read from a text.
struct TModelNumber {
  bool Accepted = false;
  // The characters taken into the number: sign, digits, "." for the separator, "E", the
  // exponent's sign and the exponent digits while their value stays within 4200.
  std::string Taken;
  bool ExponentTooBig = false;  // the exponent digits read passed 4200 at some point
};

// Runs the table over Text. Columns: blank, sign, digit, separator, "E"/"e", other or end.
// 1..8 are the next state, A accepts, F fails.
inline TModelNumber RunNumberModel(StringView Text, bool CommaToo) {
  constexpr int A = -1;
  constexpr int F = 0;
  static constexpr int kTable[8][6] = {
      {1, 2, 3, 4, F, F}, {F, F, 3, 4, F, F}, {A, A, 3, 4, 6, A}, {A, A, 5, F, 6, A},
      {A, A, 5, F, 6, A}, {F, 7, 8, F, F, A}, {F, F, 8, F, F, A}, {A, A, 8, A, A, A},
  };
  TModelNumber out;
  std::string exponentDigits;
  int state = 1;
  for (size_t i = 0; i <= Text.size(); ++i) {
    const Char c = i < Text.size() ? Text[i] : Char{0xFFFF};
    int column = 5;
    if (c == u' ') column = 0;
    if (c == u'+' || c == u'-') column = 1;
    if (c >= u'0' && c <= u'9') column = 2;
    if (c == u'.' || (CommaToo && c == u',')) column = 3;
    if (c == u'E' || c == u'e') column = 4;
    const int next = kTable[state - 1][column];
    if (next == A) {
      out.Accepted = true;
      return out;
    }
    if (next == F) return out;
    if (next == 8) {
      exponentDigits += static_cast<char>(c);
      // The value of all exponent digits read so far, leading zeros dropped.
      const size_t first = exponentDigits.find_first_not_of('0');
      const std::string significant =
          first == std::string::npos ? std::string() : exponentDigits.substr(first);
      if (significant.size() > 4 || (!significant.empty() && std::stoi(significant) > 4200)) {
        out.ExponentTooBig = true;
      }
      if (!out.ExponentTooBig) out.Taken += static_cast<char>(c);
    } else if (column != 0) {
      out.Taken += column == 3 ? '.' : column == 4 ? 'E' : static_cast<char>(c);
    }
    state = next;
  }
  return out;  // not reached: the end always accepts or fails
}

// A random text over the machine's character classes, mostly short, sometimes with long runs of
// exponent digits around 4200.
inline String RandomNumberText(std::mt19937& Rng) {
  static constexpr char16_t kAlphabet[] = u" +-0123456789..EeEx,4";
  String out;
  const size_t length = Rng() % 9;
  for (size_t k = 0; k < length; ++k) out += kAlphabet[Rng() % (std::size(kAlphabet) - 1)];
  if (Rng() % 8 == 0) {
    out += u"1E";
    static constexpr const char16_t* kExponents[] = {u"4200",  u"4201",  u"04200", u"42010",
                                                     u"-4200", u"+4199", u"99999", u"0000"};
    out += kExponents[Rng() % std::size(kExponents)];
    if (Rng() % 2 == 0) out += kAlphabet[Rng() % (std::size(kAlphabet) - 1)];
  }
  return out;
}

}  // namespace xan::testing
