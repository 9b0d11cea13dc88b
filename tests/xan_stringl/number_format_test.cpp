// Number formatting and the hexadecimal scanner.
#include "xan/stringl/number_format.h"

#include <gtest/gtest.h>

namespace xan {
namespace {

struct HexCase {
  StringView text;
  int32_t pos, value, endPos;
};

TEST(ScanHexNumber, ReadsDigitsPrefixAndBlanks) {
  const HexCase cases[] = {
      {u"$1F", 1, 31, 4},     {u"  7fz", 1, 127, 5},   {u"xyz", 1, 0, 1},
      {u"12 34", 1, 0x12, 3}, {u"12 34", 3, 0x34, 6},  {u"", 1, 0, 1},
      {u" ", 1, 0, 1},        {u"  ", 1, 0, 2},        {u"a$b", 1, 10, 2},
      {u"$$1", 1, 0, 2},      {u"ffffffff", 1, -1, 9}, {u"100000001", 1, 1, 10},
      {u"x1A", 2, 26, 4},     {u"abc", 0, 0xabc, 4},   {u"abc", 9, 0, 9},
  };
  for (const HexCase& c : cases) {
    int32_t pos = c.pos;
    EXPECT_EQ(ScanHexNumber(c.text, pos), c.value) << ToUtf8(c.text) << " from " << c.pos;
    EXPECT_EQ(pos, c.endPos) << ToUtf8(c.text) << " from " << c.pos;
  }
}

TEST(BinString, ChoosesByFlag) {
  EXPECT_EQ(BinString(true, u"on", u"off"), u"on");
  EXPECT_EQ(BinString(false, u"on", u"off"), u"off");
}

}  // namespace
}  // namespace xan
