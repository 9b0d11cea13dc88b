// Combinatorics and nearest-value search: stepping through the k-element combinations and the
// permutations of a small set, and the index of the array element nearest to a value.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "xan/platform/export.h"

namespace xan {

// ================================================================================================
// Combinations and permutations

// A small set: byte 0 holds the count k of elements (0..255), bytes 1..k the elements; bytes
// beyond k are not used. As a combination, bytes 1..k increase strictly; as a permutation, they
// hold the values 1..k in some order.
using TCombination = std::array<uint8_t, 256>;

// Advances Combination to the next k-element combination in lexicographic order, for values up
// to MaxVal (the smallest value is whatever the first combination started from, usually 0 or 1).
// Returns false, with Combination unchanged, after the last one. The largest value allowed at
// position p is MaxVal - (k - p); an element above its largest value counts as having reached
// it. Elements are bytes, so a MaxVal above 255 acts as 255. k = 0 has no next combination.
//   k 2, MaxVal 4, from 1 2 => 1 3, 1 4, 2 3, 2 4, 3 4, then false (stays 3 4)
//   1 2 3, MaxVal 3 => false;  MaxVal 5 => 1 2 4
XAN_EXPORT bool NextCombination(TCombination& Combination, int32_t MaxVal) noexcept;

// Advances Permutation to the next of the k! orderings of 1..k, starting from 1 2 .. k; each step
// moves one value by one place. Returns false, with Permutation unchanged, after the last one,
// for k below 2, and when bytes 1..k do not hold each of the values 1..k exactly once.
//   from 1 2 3 => 2 1 3, 2 3 1, 1 3 2, 3 1 2, 3 2 1, then false (stays 3 2 1)
XAN_EXPORT bool NextPermutation(TCombination& Permutation) noexcept;

// ================================================================================================
// Nearest-value search

// The 0-based index of the element of values nearest to x: the smallest absolute difference,
// the earlier element on a tie. -1 for an empty array, and when no difference is below
// 1.7e308 (NaN and infinite differences never count).
//   (2.5, [1, 2, 3]) => 1      (10, [1, 20, 9.5]) => 2      (0, []) => -1
XAN_EXPORT int32_t IndexOfNearestArrayValue(double x, std::span<const double> values) noexcept;

// The same for integers. Differences are computed exactly, also where they do not fit in 32
// bits: (2147483647, [-2147483648, 0]) => 1.
XAN_EXPORT int32_t IndexOfNearestArrayValue(int32_t x, std::span<const int32_t> values) noexcept;

}  // namespace xan
