// The scrambler: the start-up permutation, reseeding, round trips of every code for several
// seeds, characters above 255, and the shared generator it draws from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <set>

#include "platform/startup_state.h"
#include "xan/platform/random.h"
#include "xan/stringl/conversions.h"

namespace xan {
namespace {

// Every code 0..255 once, in order.
String AllBytes() {
  String s;
  for (int c = 0; c < 256; ++c) s += static_cast<Char>(c);
  return s;
}

// S as a fresh generator with this seed builds it, as text: entry c at position c.
String TableFromSeed(uint32_t seed) {
  TRandomGenerator g(seed);
  const detail::TScrambleTables t = detail::BuildScrambleTables(g);
  return String(t.S.begin(), t.S.end());
}

// What the first Scramble and the shared generator give at start-up, taken before main so
// that no test (in any order) has reseeded yet.
const String g_firstScramble = Scramble(AllBytes());
const uint32_t g_startupSeed = RandSeed();

TEST(Scramble, StartsWithThePermutationOfSeed9046) {
  EXPECT_EQ(g_firstScramble, TableFromSeed(9046));
  EXPECT_EQ(g_startupSeed, detail::kStartupState.RandomState);
  InitScramble(9046);
  EXPECT_EQ(Scramble(AllBytes()), g_firstScramble);
  EXPECT_EQ(RandSeed(), detail::kStartupState.RandomState);
}

// The start-up tables worked out from the generator's recurrence alone: for i = 1..255 draw
// a = (state * 255 >> 32) + 1 after each step state := state * 134775813 + 1, until a is free.
TEST(Scramble, StartUpTablesFollowTheDrawsOfSeed9046) {
  uint32_t state = 9046;
  std::array<int, 256> s{}, u{};
  for (int i = 1; i <= 255; ++i) {
    int a = 0;
    do {
      state = state * 134775813U + 1U;
      a = static_cast<int>((uint64_t{state} * 255) >> 32) + 1;
    } while (u[a] != 0);
    s[i] = a;
    u[a] = i;
  }
  for (int c = 0; c < 256; ++c) {
    ASSERT_EQ(g_firstScramble[c], s[c]) << c;
    ASSERT_EQ(detail::kStartupState.Scramble.U[c], u[c]) << c;
  }
  EXPECT_EQ(g_startupSeed, state);  // the shared generator stands after the last draw
}

TEST(Scramble, IsAPermutationKeepingZero) {
  for (int32_t seed : {9046, 0, 1, -1, 123456789, std::numeric_limits<int32_t>::min()}) {
    InitScramble(seed);
    const String s = Scramble(AllBytes());
    ASSERT_EQ(s.size(), 256U);
    EXPECT_EQ(s[0], 0) << seed;
    EXPECT_EQ(std::set<Char>(s.begin() + 1, s.end()).size(), 255U) << seed;
    EXPECT_EQ(std::set<Char>(s.begin() + 1, s.end()).count(0), 0U) << seed;
    EXPECT_LE(*std::max_element(s.begin(), s.end()), 255) << seed;
    EXPECT_EQ(s, TableFromSeed(static_cast<uint32_t>(seed))) << seed;
  }
}

TEST(Scramble, RoundTripsEveryCodeForSeveralSeeds) {
  const String all = AllBytes();
  for (int32_t seed : {9046, 0, 42, -7, 2147483647}) {
    InitScramble(seed);
    const String scrambled = Scramble(all);
    EXPECT_NE(scrambled, all) << seed;
    EXPECT_EQ(DeScramble(scrambled), all) << seed;
    EXPECT_EQ(Scramble(DeScramble(all)), all) << seed;
    for (int c = 0; c < 256; ++c) {
      const String one(1, static_cast<Char>(c));
      ASSERT_EQ(DeScramble(Scramble(one)), one) << "seed " << seed << " code " << c;
    }
  }
}

TEST(Scramble, SameSeedSameOutputAndDifferentSeedsDiffer) {
  InitScramble(5);
  const String a = Scramble(u"The quick brown fox");
  InitScramble(6);
  const String b = Scramble(u"The quick brown fox");
  InitScramble(5);
  EXPECT_EQ(Scramble(u"The quick brown fox"), a);
  EXPECT_NE(a, b);
  EXPECT_EQ(Scramble(u""), u"");
  EXPECT_EQ(DeScramble(u""), u"");
}

TEST(Scramble, LeavesCharactersAbove255Unchanged) {
  InitScramble(9046);
  const String text = u"a\u0100\u20ac\uffff\xd800z";
  const String s = Scramble(text);
  ASSERT_EQ(s.size(), text.size());
  EXPECT_EQ(s.substr(1, 4), text.substr(1, 4));
  EXPECT_NE(s[0], text[0]);
  EXPECT_EQ(DeScramble(s), text);
  EXPECT_EQ(DeScramble(u"\u0100"), u"\u0100");
}

TEST(Scramble, ReseedingMovesTheSharedGenerator) {
  InitScramble(77);
  TRandomGenerator g(77);
  detail::BuildScrambleTables(g);
  EXPECT_EQ(RandSeed(), g.Seed());
  EXPECT_EQ(RandomRange(1000), g.Range(1000));
}

}  // namespace
}  // namespace xan
