// Stepping through combinations and permutations held in a TCombination, and the nearest-value
// search over double and integer arrays.
#include "xan/dstruct/combinatorics.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "xan/univconst.h"

namespace xan {

bool NextCombination(TCombination& Combination, int32_t MaxVal) noexcept {
  const int k = Combination[0];
  const int maxVal = std::min(MaxVal, 255);
  for (int p = k; p >= 1; --p) {
    const int highest = maxVal - (k - p);
    if (Combination[p] >= highest) continue;
    // Below its highest value, which is at most 255 - (k - p): neither this element nor the
    // ones set after it can pass 255.
    Combination[p] = static_cast<uint8_t>(Combination[p] + 1);
    for (int q = p + 1; q <= k; ++q) Combination[q] = static_cast<uint8_t>(Combination[q - 1] + 1);
    return true;
  }
  return false;
}

namespace {

// True when bytes 1..k hold each of 1..k once.
bool HoldsOneToK(const TCombination& perm, int k) noexcept {
  std::bitset<256> seen;
  for (int i = 1; i <= k; ++i) {
    const int v = perm[i];
    if (v < 1 || v > k || seen[v]) return false;
    seen[v] = true;
  }
  return true;
}

}  // namespace

bool NextPermutation(TCombination& Permutation) noexcept {
  const int k = Permutation[0];
  if (k < 2 || !HoldsOneToK(Permutation, k)) return false;
  // Level a handles the value v = k - a + 1 among positions 1..a. A level whose value already
  // stands at its last place passes the step on to the next level down; once a level has moved
  // its value one place right, every level passed on the way down brings its value back to the
  // front of its positions.
  for (int a = k; a >= 2; --a) {
    const int v = k - a + 1;
    int q = 1;
    while (q < a && Permutation[q] != v) ++q;
    if (q < a) {
      std::swap(Permutation[q], Permutation[q + 1]);
      // Positions 1..level - 1 move one place right and the level's value, which waited at
      // position `level`, comes first.
      for (int level = a + 1; level <= k; ++level) {
        std::rotate(Permutation.begin() + 1, Permutation.begin() + level,
                    Permutation.begin() + level + 1);
      }
      return true;
    }
  }
  return false;
}

int32_t IndexOfNearestArrayValue(double x, std::span<const double> values) noexcept {
  double best = static_cast<double>(uc_MaxDouble);
  int32_t result = -1;
  const size_t n = std::min<size_t>(values.size(), std::numeric_limits<int32_t>::max());
  for (size_t i = 0; i < n; ++i) {
    const double diff = std::fabs(x - values[i]);
    if (diff < best) {
      best = diff;
      result = static_cast<int32_t>(i);
    }
  }
  return result;
}

int32_t IndexOfNearestArrayValue(int32_t x, std::span<const int32_t> values) noexcept {
  // In 64 bits every difference of two 32-bit values is exact; the largest, 2^32 - 1, is still
  // exact as a double and far below 1.7e308, so any non-empty array has a result.
  int64_t best = std::numeric_limits<int64_t>::max();
  int32_t result = -1;
  const size_t n = std::min<size_t>(values.size(), std::numeric_limits<int32_t>::max());
  for (size_t i = 0; i < n; ++i) {
    const int64_t diff = std::llabs(static_cast<int64_t>(x) - values[i]);
    if (diff < best) {
      best = diff;
      result = static_cast<int32_t>(i);
    }
  }
  return result;
}

}  // namespace xan
