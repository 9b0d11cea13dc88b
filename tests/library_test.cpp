// The library as its users link it (libxan, shared by default): start-up state in place before
// main, and the library's exceptions caught by type across the library boundary.
#include <gtest/gtest.h>

#include "platform/startup_state.h"
#include "xan/platform/random.h"
#include "xan/xan.h"

namespace xan {
namespace {

TEST(Library, StartsWithTheSeededGeneratorAndClearedProgress) {
  // Nothing in this program has drawn yet: the generator stands where seeding the scrambler with
  // 9046 left it.
  TRandomGenerator expected(9046);
  detail::BuildScrambleTables(expected);
  EXPECT_EQ(RandSeed(), expected.Seed());
  EXPECT_EQ(ProcStat, 0.0);
  EXPECT_EQ(MathFeedBackProc, nullptr);
}

TEST(Library, ExceptionsCrossTheBoundary) {
  TComponent owner;
  try {
    owner.Assign(owner);  // a plain component cannot copy itself
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TComponent to a TComponent");
  }
}

}  // namespace
}  // namespace xan
