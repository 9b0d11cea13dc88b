// Random texts for the string tests: characters drawn from a small alphabet, so that the
// characters a function reacts to come often.
#pragma once

#include <random>

#include "xan/platform/strings.h"

namespace xan {

inline String RandomText(std::mt19937& rng, size_t len, StringView alphabet) {
  String s;
  for (size_t i = 0; i < len; ++i) s += alphabet[rng() % alphabet.size()];
  return s;
}

}  // namespace xan
