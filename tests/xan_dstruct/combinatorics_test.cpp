// Combinations and permutations stepped through completely, counted, checked for order and
// uniqueness, with the cases at the edges; nearest-value search in both forms.
#include "xan/dstruct/combinatorics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace xan {
namespace {

TCombination Make(std::vector<uint8_t> elems) {
  TCombination c{};
  c[0] = static_cast<uint8_t>(elems.size());
  for (size_t i = 0; i < elems.size(); ++i) c[i + 1] = elems[i];
  return c;
}

std::vector<uint8_t> Elems(const TCombination& c) {
  return std::vector<uint8_t>(c.begin() + 1, c.begin() + 1 + c[0]);
}

uint64_t Binomial(int n, int k) {
  uint64_t r = 1;
  for (int i = 1; i <= k; ++i) r = r * static_cast<uint64_t>(n - k + i) / static_cast<uint64_t>(i);
  return r;
}

TEST(NextCombination, DocumentedSequences) {
  TCombination c = Make({1, 2});
  std::vector<std::vector<uint8_t>> seen;
  while (NextCombination(c, 4)) seen.push_back(Elems(c));
  EXPECT_EQ(seen, (std::vector<std::vector<uint8_t>>{{1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}));
  EXPECT_EQ(Elems(c), (std::vector<uint8_t>{3, 4}));

  c = Make({1, 2, 3});
  EXPECT_FALSE(NextCombination(c, 3));
  EXPECT_EQ(Elems(c), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(NextCombination(c, 5));
  EXPECT_EQ(Elems(c), (std::vector<uint8_t>{1, 2, 4}));
}

TEST(NextCombination, EverySubsetOnceInLexicographicOrder) {
  for (const int lowest : {0, 1}) {
    for (int n = 1; n <= 9; ++n) {
      const int maxVal = lowest + n - 1;
      for (int k = 1; k <= n; ++k) {
        std::vector<uint8_t> first;
        for (int i = 0; i < k; ++i) first.push_back(static_cast<uint8_t>(lowest + i));
        TCombination c = Make(first);
        std::set<std::vector<uint8_t>> seen = {first};
        std::vector<uint8_t> previous = first;
        while (NextCombination(c, maxVal)) {
          const std::vector<uint8_t> e = Elems(c);
          ASSERT_LT(previous, e);
          for (size_t i = 0; i + 1 < e.size(); ++i) ASSERT_LT(e[i], e[i + 1]);
          ASSERT_GE(e.front(), lowest);
          ASSERT_LE(e.back(), maxVal);
          ASSERT_TRUE(seen.insert(e).second);
          previous = e;
        }
        EXPECT_EQ(seen.size(), Binomial(n, k)) << "n " << n << " k " << k;
      }
    }
  }
}

TEST(NextCombination, EdgesStayInsideTheByteRange) {
  TCombination empty = Make({});
  EXPECT_FALSE(NextCombination(empty, 10));
  TCombination c = Make({254});
  EXPECT_TRUE(NextCombination(c, 100000));
  EXPECT_EQ(c[1], 255);
  EXPECT_FALSE(NextCombination(c, 100000));
  EXPECT_EQ(c[1], 255);
  c = Make({5, 6});
  EXPECT_FALSE(NextCombination(c, -3));
  EXPECT_EQ(Elems(c), (std::vector<uint8_t>{5, 6}));
  // An element beyond its largest value counts as having reached it.
  c = Make({1, 9});
  EXPECT_TRUE(NextCombination(c, 4));
  EXPECT_EQ(Elems(c), (std::vector<uint8_t>{2, 3}));
  // All 255 values in use: nothing follows.
  TCombination full{};
  full[0] = 255;
  for (int i = 1; i <= 255; ++i) full[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  EXPECT_FALSE(NextCombination(full, 255));
  full[255] = 254;  // not increasing: still stays within the array
  EXPECT_TRUE(NextCombination(full, 255));
  EXPECT_EQ(full[255], 255);
}

TEST(NextPermutation, DocumentedSequence) {
  TCombination p = Make({1, 2, 3});
  std::vector<std::vector<uint8_t>> seen;
  while (NextPermutation(p)) seen.push_back(Elems(p));
  EXPECT_EQ(seen, (std::vector<std::vector<uint8_t>>{
                      {2, 1, 3}, {2, 3, 1}, {1, 3, 2}, {3, 1, 2}, {3, 2, 1}}));
  EXPECT_EQ(Elems(p), (std::vector<uint8_t>{3, 2, 1}));
}

TEST(NextPermutation, EveryOrderingOnceByAdjacentExchanges) {
  uint64_t factorial = 1;
  for (int k = 1; k <= 8; ++k) {
    factorial *= static_cast<uint64_t>(k);
    std::vector<uint8_t> first;
    for (int i = 1; i <= k; ++i) first.push_back(static_cast<uint8_t>(i));
    TCombination p = Make(first);
    std::set<std::vector<uint8_t>> seen = {first};
    uint64_t steps = 0;
    while (NextPermutation(p)) {
      ++steps;
      ASSERT_TRUE(seen.insert(Elems(p)).second) << "k " << k;
    }
    EXPECT_EQ(steps, factorial - 1) << "k " << k;
    EXPECT_EQ(seen.size(), factorial);
  }
}

TEST(NextPermutation, RejectsArraysThatAreNotOneToK) {
  for (const std::vector<uint8_t>& bad :
       {std::vector<uint8_t>{1, 1, 1}, {0, 1, 2}, {1, 2, 4}, {2, 2}, {3, 1, 255}}) {
    TCombination p = Make(bad);
    p[bad.size() + 1] = 77;
    EXPECT_FALSE(NextPermutation(p));
    EXPECT_EQ(Elems(p), bad);
    EXPECT_EQ(p[bad.size() + 1], 77);
  }
  TCombination none = Make({});
  EXPECT_FALSE(NextPermutation(none));
  TCombination one = Make({1});
  EXPECT_FALSE(NextPermutation(one));
  EXPECT_EQ(one[1], 1);
}

TEST(NextPermutation, LargestSetStepsWithinTheArray) {
  TCombination p{};
  p[0] = 255;
  for (int i = 1; i <= 255; ++i) p[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  for (int step = 0; step < 300; ++step) ASSERT_TRUE(NextPermutation(p));
  std::set<uint8_t> values(p.begin() + 1, p.end());
  EXPECT_EQ(values.size(), 255U);
  EXPECT_EQ(*values.begin(), 1);
  // The last ordering, 255 .. 1, has no successor.
  for (int i = 1; i <= 255; ++i) p[static_cast<size_t>(i)] = static_cast<uint8_t>(256 - i);
  EXPECT_FALSE(NextPermutation(p));
}

TEST(IndexOfNearestArrayValue, DoubleForm) {
  const std::vector<double> v = {1, 2, 3};
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, v), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(2.6, v), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(-100.0, v), 0);
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, std::vector<double>{}), -1);
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(IndexOfNearestArrayValue(2.0, std::vector<double>{nan, 5, 2.5}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(nan, v), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(0.0, std::vector<double>{inf, -inf}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(0.0, std::vector<double>{1.7e308, -1e308}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(10.0, std::vector<double>{1, 20, 9.5, 10.5}), 2);
}

TEST(IndexOfNearestArrayValue, IntegerFormIsExactBeyond32Bits) {
  const int32_t lo = std::numeric_limits<int32_t>::min();
  const int32_t hi = std::numeric_limits<int32_t>::max();
  const std::vector<int32_t> v = {lo, 0};
  EXPECT_EQ(IndexOfNearestArrayValue(hi, v), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(lo, std::vector<int32_t>{hi, lo + 1}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(hi, std::vector<int32_t>{lo}), 0);
  EXPECT_EQ(IndexOfNearestArrayValue(5, std::vector<int32_t>{3, 7, 4, 6}), 2);
  EXPECT_EQ(IndexOfNearestArrayValue(5, std::vector<int32_t>{}), -1);
}

}  // namespace
}  // namespace xan
