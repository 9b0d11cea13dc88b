// The shared pseudo-random generator: its recurrence, draw ranges and start-up state.
#include "xan/platform/random.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/startup_state.h"

namespace xan {
namespace {

TEST(RandomGenerator, FollowsTheDocumentedRecurrence) {
  TRandomGenerator g(1);
  EXPECT_EQ(g.Next(), 134775814U);
  EXPECT_EQ(g.Next(), 134775814U * 134775813U + 1U);
  TRandomGenerator h(0xFFFFFFFFU);
  EXPECT_EQ(h.Range(10),
            static_cast<int32_t>((uint64_t{0xFFFFFFFFU * 134775813U + 1U} * 10) >> 32));
}

TEST(RandomGenerator, RangeStaysWithinBoundsAndCoversThem) {
  TRandomGenerator g(12345);
  std::set<int32_t> seen;
  for (int i = 0; i < 10000; ++i) {
    const int32_t r = g.Range(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 7U);
  const uint32_t before = g.Seed();
  EXPECT_EQ(g.Range(0), 0);
  EXPECT_EQ(g.Range(-5), 0);
  EXPECT_NE(g.Seed(), before);
  for (int i = 0; i < 1000; ++i) {
    const double u = g.Uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}

TEST(RandomGenerator, SameSeedSameSequence) {
  TRandomGenerator a(77), b(77);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(a.Range(1000), b.Range(1000));
}

TEST(StartupState, ScrambleTablesArePermutationsAndInverse) {
  const auto& t = detail::kStartupState.Scramble;
  EXPECT_EQ(t.S[0], 0);
  EXPECT_EQ(t.U[0], 0);
  std::set<int> values;
  for (int c = 1; c < 256; ++c) {
    values.insert(t.S[c]);
    EXPECT_EQ(t.U[t.S[c]], c);
  }
  EXPECT_EQ(values.size(), 255U);
  EXPECT_EQ(values.count(0), 0U);
}

TEST(StartupState, MatchesARunTimeBuildFromTheSeed) {
  TRandomGenerator g(detail::kStartupScrambleSeed);
  const detail::TScrambleTables t = detail::BuildScrambleTables(g);
  EXPECT_EQ(t.S, detail::kStartupState.Scramble.S);
  EXPECT_EQ(g.Seed(), detail::kStartupState.RandomState);
}

}  // namespace
}  // namespace xan
