// TStringAccu: order of first addition, exact case-sensitive matching, counts against a map,
// indices out of range, and reuse after Clear.
#include "xan/dstruct/stringaccu.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace xan {
namespace {

TEST(StringAccu, CountsDistinctStringsInOrderOfFirstAddition) {
  TStringAccu acc;
  for (StringView s : {u"a", u"b", u"a", u"A"}) acc.Add(s);
  EXPECT_EQ(acc.Size(), 3);
  EXPECT_EQ(acc.Elem(1), u"a");
  EXPECT_EQ(acc.Count(1), 2);
  EXPECT_EQ(acc.GetString(2), u"b");
  EXPECT_EQ(acc.GetCount(2), 1);
  EXPECT_EQ(acc.GetString(3), u"A");
  EXPECT_EQ(acc.GetCount(3), 1);
  for (const int32_t ix : {0, 4, -1}) {
    EXPECT_EQ(acc.GetString(ix), u"") << ix;
    EXPECT_EQ(acc.GetCount(ix), 0) << ix;
  }
}

TEST(StringAccu, MatchesCodeUnitByCodeUnit) {
  TStringAccu acc;
  const String withNul(u"x\0y", 3);
  const std::vector<String> inputs = {u"",     u"",           withNul,       u"x",
                                      u"x ",   u"\U0001F600", u"\U0001F600", String(u"x\0y", 3),
                                      u"\xe9", u"e\x301"};
  for (const String& s : inputs) acc.Add(s);
  ASSERT_EQ(acc.Size(), 7);
  EXPECT_EQ(acc.GetString(1), u"");
  EXPECT_EQ(acc.GetCount(1), 2);
  EXPECT_EQ(acc.GetString(2), withNul);
  EXPECT_EQ(acc.GetCount(2), 2);
  EXPECT_EQ(acc.GetCount(3), 1);
  EXPECT_EQ(acc.GetCount(5), 2);
  EXPECT_EQ(acc.GetString(7), u"e\x301");
}

TEST(StringAccu, ManyStringsAgreeWithAMap) {
  std::mt19937 gen(21);
  std::vector<String> pool;
  for (int i = 0; i < 3000; ++i) {
    String s;
    const size_t len = gen() % 6;
    for (size_t k = 0; k < len; ++k) s += static_cast<Char>(u'a' + gen() % 3);
    pool.push_back(s);
  }
  TStringAccu acc;
  std::map<String, int32_t> counts;
  std::vector<String> order;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 40000; ++i) {
      const String& s = pool[gen() % pool.size()];
      if (counts[s]++ == 0) order.push_back(s);
      acc.Add(s);
    }
    ASSERT_EQ(acc.Size(), static_cast<int32_t>(order.size()));
    for (size_t i = 0; i < order.size(); ++i) {
      ASSERT_EQ(acc.GetString(static_cast<int32_t>(i + 1)), order[i]);
      ASSERT_EQ(acc.GetCount(static_cast<int32_t>(i + 1)), counts[order[i]]);
    }
    acc.Clear();
    EXPECT_EQ(acc.Size(), 0);
    EXPECT_EQ(acc.GetString(1), u"");
    counts.clear();
    order.clear();
  }
}

}  // namespace
}  // namespace xan
