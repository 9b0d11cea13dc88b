// The process-wide state the library starts with, computed at compile time: it is in place
// before any call can observe it, whatever the link kind and the order of static initialisation.
#pragma once

#include <array>
#include <cstdint>

#include "xan/platform/random.h"

namespace xan::detail {

// The scrambler's substitution table S and its inverse U: S[0] = U[0] = 0, S permutes 1..255,
// U[S[c]] = c.
struct TScrambleTables {
  std::array<uint8_t, 256> S{};
  std::array<uint8_t, 256> U{};
};

// Builds the permutation from the generator's current state: for i = 1..255, draw
// a := Range(255) + 1 until U[a] is free, then S[i] := a, U[a] := i.
constexpr TScrambleTables BuildScrambleTables(TRandomGenerator& rng) noexcept {
  TScrambleTables t;
  for (int i = 1; i <= 255; ++i) {
    int a = 0;
    do {
      a = rng.Range(255) + 1;
    } while (t.U[a] != 0);
    t.S[i] = static_cast<uint8_t>(a);
    t.U[a] = static_cast<uint8_t>(i);
  }
  return t;
}

// The seed of the string unit's start-up.
inline constexpr uint32_t kStartupScrambleSeed = 9046;

struct TStartupState {
  TScrambleTables Scramble;
  uint32_t RandomState;
};

constexpr TStartupState MakeStartupState() noexcept {
  TRandomGenerator rng(kStartupScrambleSeed);
  const TScrambleTables tables = BuildScrambleTables(rng);
  return {tables, rng.Seed()};
}

inline constexpr TStartupState kStartupState = MakeStartupState();

}  // namespace xan::detail
