// The library's shared pseudo-random generator: one seedable 32-bit state for the whole process,
// drawn from by the scrambler, random bit fills, random colours and passwords.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"

namespace xan {

// A linear congruential generator on a 32-bit state. Each draw first advances the state,
//   state := state * 134775813 + 1   (mod 2^32),
// then derives its value from the new state:
//   Range(n)  = (state * n) >> 32 computed in 64 bits: 0..n-1 for n > 0, and 0 for n <= 0;
//   Uniform() = state / 2^32: a double in [0, 1).
// The same seed always gives the same sequence, on every host.
class TRandomGenerator {
 public:
  constexpr explicit TRandomGenerator(uint32_t seed = 0) noexcept : FState(seed) {}

  constexpr uint32_t Seed() const noexcept { return FState; }
  constexpr void SetSeed(uint32_t seed) noexcept { FState = seed; }

  // The next 32-bit state.
  constexpr uint32_t Next() noexcept {
    FState = FState * 134775813U + 1U;
    return FState;
  }
  // A draw in the range n: 0..n-1; 0 (after advancing the state) when n <= 0.
  constexpr int32_t Range(int32_t n) noexcept {
    const uint64_t r = Next();
    return n <= 0 ? 0 : static_cast<int32_t>((r * static_cast<uint64_t>(n)) >> 32);
  }
  // A uniform draw in [0, 1).
  constexpr double Uniform() noexcept { return Next() * (1.0 / 4294967296.0); }

 private:
  uint32_t FState;
};

// The process-wide generator. When the library is loaded it stands where the string unit's
// start-up leaves it: seeded with 9046, then drawn from to build the scrambler's permutation.
// Unprotected: meant for one thread at a time.
XAN_EXPORT TRandomGenerator& SharedRandom() noexcept;

// Shorthands for the shared generator.
XAN_EXPORT uint32_t RandSeed() noexcept;
XAN_EXPORT void SetRandSeed(uint32_t seed) noexcept;
XAN_EXPORT int32_t RandomRange(int32_t n) noexcept;
XAN_EXPORT double RandomFloat() noexcept;

}  // namespace xan
