// TBitFld and TByteMatrix: bounds, counting and listing against a plain model, random fills on
// the shared generator, growth after stale bits, mirroring, combination and notification.
#include "xan/dstruct/bitfield.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "xan/platform/random.h"
#include "xan_dstruct/popcount.h"

namespace xan {
namespace {

// The field's bits 0..Size as a plain vector.
std::vector<bool> BitsOf(const TBitFld& f) {
  std::vector<bool> v(static_cast<size_t>(f.Size()) + 1);
  for (int32_t i = 0; i <= f.Size(); ++i) v[static_cast<size_t>(i)] = f.GetBit(i);
  return v;
}

int32_t CountOf(const std::vector<bool>& v) {
  int32_t n = 0;
  for (const bool b : v) n += b ? 1 : 0;
  return n;
}

// Restores the shared generator's state after a test that seeds it.
class SeedGuard {
 public:
  SeedGuard() : FSaved(RandSeed()) {}
  ~SeedGuard() { SetRandSeed(FSaved); }

 private:
  uint32_t FSaved;
};

// Exposes the protected random fill.
class TTestBitFld : public TBitFld {
 public:
  using TBitFld::SetRandBitsIntern;
};

TEST(BitFld, NewFieldAndIndexLimits) {
  TBitFld f;
  EXPECT_EQ(f.Size(), 1000);
  EXPECT_EQ(f.CountTrueBits(), 0);
  EXPECT_EQ(f.FirstTrueBit(), -1);
  f.SetBit(1000, true);
  EXPECT_TRUE(f.GetBit(1000));
  EXPECT_TRUE(f.Bit(1000));
  for (const int32_t ix :
       {1001, -1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    f.SetBit(ix, true);
    f.ToggleBit(ix);
    EXPECT_FALSE(f.GetBit(ix)) << ix;
  }
  EXPECT_EQ(f.CountTrueBits(), 1);
  f.ToggleBit(1000);
  EXPECT_EQ(f.CountTrueBits(), 0);
  f.SetSize(0);
  f.SetSize(-5);
  EXPECT_EQ(f.Size(), 1000);
}

TEST(BitFld, SingleBitIsFoundCountedAndListed) {
  TBitFld f;
  f.SetBit(13, true);
  EXPECT_EQ(f.FirstTrueBit(), 13);
  EXPECT_EQ(f.CountTrueBits(), 1);
  TIntArray list = {99, 98};
  f.MakeListOfBits(list, true);
  EXPECT_EQ(list, TIntArray{13});
  f.MakeListOfBits(list, false);
  ASSERT_EQ(list.size(), 1000U);
  EXPECT_EQ(list[12], 12);
  EXPECT_EQ(list[13], 14);
  EXPECT_EQ(list.back(), 1000);
  f.SetBit(13, false);
  f.MakeListOfBits(list, true);
  EXPECT_TRUE(list.empty());
}

TEST(BitFld, InvertFlipsExactlyTheFieldForEverySize) {
  for (int32_t size = 1; size <= 140; ++size) {
    TBitFld f;
    f.SetSize(size);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), size + 1) << size;
    EXPECT_EQ(f.FirstTrueBit(), 0);
    f.SetBit(0, false);
    EXPECT_EQ(f.FirstTrueBit(), 1);
    TIntArray clear;
    f.MakeListOfBits(clear, false);
    EXPECT_EQ(clear, TIntArray{0}) << size;
  }
}

TEST(BitFld, CountFirstAndListAgreeWithAModel) {
  std::mt19937 gen(7);
  for (const int32_t size : {1, 7, 8, 9, 63, 64, 65, 127, 128, 129, 1000, 4097}) {
    for (const int density : {1, 30, 97}) {
      TBitFld f;
      f.SetSize(size);
      f.Clear();
      std::vector<bool> model(static_cast<size_t>(size) + 1);
      for (size_t i = 0; i < model.size(); ++i) {
        if (static_cast<int>(gen() % 100) < density) {
          model[i] = true;
          f.SetBit(static_cast<int32_t>(i), true);
        }
      }
      ASSERT_EQ(BitsOf(f), model);
      EXPECT_EQ(f.CountTrueBits(), CountOf(model)) << size;
      int32_t first = -1;
      TIntArray ones, zeros;
      for (size_t i = 0; i < model.size(); ++i) {
        if (model[i] && first < 0) first = static_cast<int32_t>(i);
        (model[i] ? ones : zeros).push_back(static_cast<int32_t>(i));
      }
      EXPECT_EQ(f.FirstTrueBit(), first);
      TIntArray list;
      f.MakeListOfBits(list, true);
      EXPECT_EQ(list, ones);
      f.MakeListOfBits(list, false);
      EXPECT_EQ(list, zeros);
    }
  }
}

TEST(BitFld, WordCountsMatchEveryLengthAndAlignment) {
  std::mt19937 gen(3);
  std::vector<uint8_t> bytes(300);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(gen());
  for (size_t start = 0; start < 9; ++start) {
    for (size_t len = 0; start + len <= bytes.size(); ++len) {
      uint64_t expected = 0;
      for (size_t i = start; i < start + len; ++i) {
        for (uint8_t b = bytes[i]; b != 0; b &= static_cast<uint8_t>(b - 1)) ++expected;
      }
      ASSERT_EQ(detail::CountBitsPortable(bytes.data() + start, len), expected);
      ASSERT_EQ(detail::CountBits(bytes.data() + start, len), expected);
    }
  }
}

TEST(BitFld, RandomFillSetsExactlyTheRequestedCount) {
  SeedGuard guard;
  SetRandSeed(12345);
  for (const int32_t size : {1, 2, 9, 64, 1000}) {
    TBitFld f;
    f.SetSize(size);
    for (int32_t n = -2; n <= size + 3; n += (size > 100 ? 37 : 1)) {
      f.RandomFill(n);
      const int32_t expected = std::clamp(n, 0, size + 1);
      EXPECT_EQ(f.CountTrueBits(), expected) << "size " << size << " n " << n;
    }
    f.RandomFill(size);
    EXPECT_EQ(f.CountTrueBits(), size) << "one bit stays clear";
    f.RandomFill(size + 1);
    EXPECT_EQ(f.CountTrueBits(), size + 1);
  }
}

TEST(BitFld, RandomFillByPercentOfAllBits) {
  SeedGuard guard;
  TBitFld f;
  const struct {
    double percent;
    int32_t bits;
  } cases[] = {{0.0, 0},
               {-3.0, 0},
               {std::nan(""), 0},
               {50.0, 500},
               {75.0, 751},
               {10.0, 100},
               {100.0, 1001},
               {250.0, 1001},
               {0.04, 0},
               {0.05, 1},
               {99.96, 1001},
               {-std::numeric_limits<double>::infinity(), 0},
               {std::numeric_limits<double>::infinity(), 1001}};
  for (const auto& c : cases) {
    f.RandomFill(c.percent);
    EXPECT_EQ(f.CountTrueBits(), c.bits) << c.percent;
  }
  f.RandomFill(100.0);
  EXPECT_EQ(f.FirstTrueBit(), 0);
  TIntArray clear;
  f.MakeListOfBits(clear, false);
  EXPECT_TRUE(clear.empty());
}

TEST(BitFld, RandomFillDrawsIndicesFromTheSharedGenerator) {
  SeedGuard guard;
  // Each draw is r * Size rounded half to even, r from the shared generator.
  const auto firstIndex = [](uint32_t seed, int32_t size) {
    TRandomGenerator g(seed);
    return static_cast<int32_t>(std::nearbyint(g.Uniform() * size));
  };
  for (const uint32_t seed : {1U, 77U, 4000000000U}) {
    TBitFld f;
    SetRandSeed(seed);
    f.RandomFill(1);
    TIntArray list;
    f.MakeListOfBits(list, true);
    EXPECT_EQ(list, TIntArray{firstIndex(seed, 1000)});
    EXPECT_NE(RandSeed(), seed);
    // The high side clears Size + 1 - n bits: for n = Size the one clear bit is the first draw.
    SetRandSeed(seed);
    f.RandomFill(1000);
    f.MakeListOfBits(list, false);
    EXPECT_EQ(list, TIntArray{firstIndex(seed, 1000)});
  }
  TBitFld a, b;
  SetRandSeed(99);
  a.RandomFill(30.0);
  SetRandSeed(99);
  b.RandomFill(30.0);
  EXPECT_EQ(BitsOf(a), BitsOf(b));
  b.RandomFill(30.0);
  EXPECT_NE(BitsOf(a), BitsOf(b));
}

TEST(BitFld, ProtectedFillLimitsItsCount) {
  TTestBitFld f;
  f.SetSize(20);
  f.SetRandBitsIntern(-7);
  EXPECT_EQ(f.CountTrueBits(), 0);
  f.SetRandBitsIntern(1'000'000'000'000LL);
  EXPECT_EQ(f.CountTrueBits(), 21);
  f.SetRandBitsIntern(11);
  EXPECT_EQ(f.CountTrueBits(), 11);
}

TEST(BitFld, GrowthShowsOnlyClearBits) {
  TBitFld f;
  f.SetSize(10);
  f.Invert();  // also sets bits 11..15 of the storage
  f.SetSize(20);
  EXPECT_EQ(f.CountTrueBits(), 11);
  for (int32_t i = 11; i <= 20; ++i) EXPECT_FALSE(f.GetBit(i)) << i;

  f.SetSize(1000);
  f.RandomFill(100.0);  // every storage byte set
  f.SetSize(5);
  EXPECT_EQ(f.CountTrueBits(), 6);
  f.SetSize(1000);
  EXPECT_EQ(f.CountTrueBits(), 6);
  EXPECT_EQ(f.FirstTrueBit(), 0);
  TIntArray ones;
  f.MakeListOfBits(ones, true);
  EXPECT_EQ(ones, (TIntArray{0, 1, 2, 3, 4, 5}));

  TBitFld g;
  g.SetSize(8);
  g.CombineWith(&g, loXORNot);
  EXPECT_EQ(g.CountTrueBits(), 9);
  g.SetSize(16);
  EXPECT_EQ(g.CountTrueBits(), 9);
}

TEST(BitFld, CombineWithEachOperation) {
  std::mt19937 gen(11);
  TBitFld a, b;
  a.SetSize(77);
  b.SetSize(77);
  for (int32_t i = 0; i <= 77; ++i) {
    a.SetBit(i, gen() % 2 != 0);
    b.SetBit(i, gen() % 2 != 0);
  }
  const std::vector<bool> va = BitsOf(a), vb = BitsOf(b);
  const auto apply = [](TLogicOp op, bool x, bool y) {
    switch (op) {
      case loAND:
        return x && y;
      case loOR:
        return x || y;
      case loXOR:
        return x != y;
      case loANDNot:
        return x && !y;
      case loORNot:
        return x || !y;
      case loXORNot:
        return x == y;
    }
    return false;
  };
  for (const TLogicOp op : {loAND, loOR, loXOR, loANDNot, loORNot, loXORNot}) {
    TBitFld c;
    c.Clone(&a);
    c.CombineWith(&b, op);
    const std::vector<bool> vc = BitsOf(c);
    for (size_t i = 0; i < va.size(); ++i) {
      ASSERT_EQ(vc[i], apply(op, va[i], vb[i])) << int{op} << " bit " << i;
    }
  }
  TBitFld other;
  other.SetSize(78);
  other.Invert();
  TBitFld c;
  c.Clone(&a);
  c.CombineWith(&other, loOR);
  c.CombineWith(nullptr, loOR);
  EXPECT_EQ(BitsOf(c), va);
  c.CombineWith(&c, loANDNot);
  EXPECT_EQ(c.CountTrueBits(), 0);
  c.CombineWith(&c, loXORNot);
  EXPECT_EQ(c.CountTrueBits(), 78);
}

TEST(BitFld, CloneAndAssignCopySizeAndBits) {
  TBitFld a;
  a.SetSize(50);
  a.SetBit(3, true);
  a.SetBit(50, true);
  TBitFld b;
  b.Clone(&a);
  EXPECT_EQ(b.Size(), 50);
  EXPECT_EQ(BitsOf(b), BitsOf(a));
  b.Clone(nullptr);
  EXPECT_EQ(b.Size(), 50);

  TBitFld byRef;
  byRef.Clone(a);
  EXPECT_EQ(BitsOf(byRef), BitsOf(a));
  byRef.CombineWith(a, loXOR);
  EXPECT_EQ(byRef.CountTrueBits(), 0);

  TBitFld c;
  c.SetBit(999, true);
  c.Assign(a);
  EXPECT_EQ(c.Size(), 50);
  EXPECT_EQ(BitsOf(c), BitsOf(a));
  TBitFld d;
  a.AssignTo(d);
  EXPECT_EQ(BitsOf(d), BitsOf(a));

  TByteMatrix m;
  EXPECT_THROW(c.Assign(m), EConvertError);
  EXPECT_THROW(m.Assign(c), EConvertError);
}

// ------------------------------------------------------------------------------------------------
// TByteMatrix

struct Notified {
  int count = 0;
  TNotifyEvent Handler() {
    return [this](TObject*) { ++count; };
  }
};

TEST(ByteMatrix, NewMatrixAndReadsOutside) {
  TByteMatrix m;
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 0);
  m.SetDefaultValue(7);
  EXPECT_EQ(m.GetByte(0, 1), 7);
  EXPECT_EQ(m.Byte(2, 1), 7);
  EXPECT_EQ(m.GetByte(1, std::numeric_limits<int32_t>::min()), 7);
  EXPECT_TRUE(m.GetBit(2, 1, 0));
  EXPECT_TRUE(m.Bit(2, 1, 2));
  EXPECT_FALSE(m.GetBit(2, 1, 3));
  EXPECT_FALSE(m.GetBit(2, 1, 8));
  EXPECT_FALSE(m.GetBit(2, 1, -1));
  EXPECT_FALSE(m.GetBit(1, 1, 0));
}

TEST(ByteMatrix, ResizeKeepsBytesAndNotifiesOnlyOnChange) {
  TByteMatrix m;
  Notified n;
  m.SetOnChange(n.Handler());
  m.SetDefaultValue(9);
  EXPECT_EQ(n.count, 0);
  m.SetByte(1, 1, 5);
  EXPECT_EQ(n.count, 1);
  EXPECT_TRUE(m.Resize(3, 2));
  EXPECT_EQ(n.count, 2);
  EXPECT_FALSE(m.Resize(3, 2));
  EXPECT_FALSE(m.Resize(0, 2));
  EXPECT_FALSE(m.Resize(3, -1));
  EXPECT_EQ(n.count, 2);
  EXPECT_EQ(m.GetByte(1, 1), 5);
  EXPECT_EQ(m.GetByte(3, 2), 0) << "new bytes are 0, not the default value";
  m.SetByte(3, 2, 6);
  m.SetByte(1, 2, 4);
  EXPECT_TRUE(m.Resize(2, 4));
  EXPECT_EQ(m.GetByte(1, 2), 4);
  EXPECT_EQ(m.GetByte(3, 2), 9);
  EXPECT_EQ(m.GetByte(2, 4), 0);
  m.SetNrCols(0);
  EXPECT_EQ(m.NrOfColumns(), 1);
  m.SetNrRows(-3);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 5);
  const int before = n.count;
  m.SetNrRows(1);
  EXPECT_EQ(n.count, before);
}

TEST(ByteMatrix, BitAccessAndWritesOutside) {
  TByteMatrix m;
  m.Resize(2, 2);
  Notified n;
  m.SetOnChange(n.Handler());
  m.SetBit(2, 1, 7, true);
  m.SetBit(2, 1, 0, true);
  EXPECT_EQ(m.GetByte(2, 1), 0x81);
  m.ToggleBit(2, 1, 7);
  EXPECT_EQ(m.GetByte(2, 1), 0x01);
  m.SetBit(2, 1, 0, false);
  EXPECT_EQ(m.GetByte(2, 1), 0);
  EXPECT_EQ(n.count, 4);
  m.SetByte(3, 1, 1);
  m.SetByte(1, 0, 1);
  m.SetBit(1, 1, 8, true);
  m.SetBit(1, 1, -1, true);
  m.SetBit(0, 1, 0, true);
  m.ToggleBit(1, 3, 0);
  m.ToggleBit(1, 1, 9);
  EXPECT_EQ(n.count, 4);
  for (int x = 1; x <= 2; ++x) {
    for (int y = 1; y <= 2; ++y) EXPECT_EQ(m.GetByte(x, y), 0);
  }
  m.Fill(0xAA);
  EXPECT_EQ(n.count, 5);
  EXPECT_EQ(m.GetByte(2, 2), 0xAA);
  EXPECT_TRUE(m.GetBit(1, 2, 1));
}

TEST(ByteMatrix, MirrorColumnsAndRows) {
  TByteMatrix m;
  Notified n;
  m.SetOnChange(n.Handler());
  m.Resize(3, 2);
  for (int c = 1; c <= 3; ++c) {
    m.SetByte(c, 1, static_cast<uint8_t>(c));
    m.SetByte(c, 2, static_cast<uint8_t>(10 * c));
  }
  n.count = 0;
  m.MirrorColumns();
  EXPECT_EQ(n.count, 1);
  EXPECT_EQ(m.GetByte(1, 1), 3);
  EXPECT_EQ(m.GetByte(2, 1), 2);
  EXPECT_EQ(m.GetByte(3, 1), 1);
  EXPECT_EQ(m.GetByte(1, 2), 30);
  m.MirrorRows();
  EXPECT_EQ(n.count, 2);
  EXPECT_EQ(m.GetByte(1, 1), 30);
  EXPECT_EQ(m.GetByte(1, 2), 3);
  EXPECT_EQ(m.GetByte(3, 1), 10);

  TByteMatrix single;
  Notified s;
  single.SetOnChange(s.Handler());
  single.SetByte(1, 1, 4);
  single.MirrorColumns();
  single.MirrorRows();
  EXPECT_EQ(single.GetByte(1, 1), 4);
  EXPECT_EQ(s.count, 3);
}

TEST(ByteMatrix, CombineWithWithoutNotification) {
  TByteMatrix a, b;
  a.Resize(2, 3);
  b.Resize(2, 3);
  a.Fill(0xF0);
  b.Fill(0x3C);
  Notified n;
  a.SetOnChange(n.Handler());
  const struct {
    TLogicOp op;
    uint8_t result;
  } cases[] = {{loAND, 0x30},    {loOR, 0xFC},    {loXOR, 0xCC},
               {loANDNot, 0xC0}, {loORNot, 0xF3}, {loXORNot, 0x33}};
  for (const auto& c : cases) {
    a.Fill(0xF0);
    n.count = 0;
    a.CombineWith(&b, c.op);
    EXPECT_EQ(n.count, 0);
    EXPECT_EQ(a.GetByte(2, 3), c.result) << int{c.op};
    EXPECT_EQ(a.GetByte(1, 1), c.result) << int{c.op};
  }
  TByteMatrix other;
  other.Resize(3, 2);
  other.Fill(0xFF);
  a.Fill(1);
  a.CombineWith(&other, loOR);
  a.CombineWith(nullptr, loOR);
  EXPECT_EQ(a.GetByte(2, 2), 1);
  a.CombineWith(b, loXOR);
  EXPECT_EQ(a.GetByte(2, 2), 0x3D);
}

TEST(ByteMatrix, AssignCopiesEverythingWithoutNotifying) {
  TByteMatrix a;
  Notified na;
  a.SetOnChange(na.Handler());
  a.Resize(2, 2);
  a.SetByte(2, 2, 42);
  a.SetDefaultValue(3);
  TByteMatrix b;
  Notified nb;
  b.SetOnChange(nb.Handler());
  na.count = 0;
  b.Assign(a);
  EXPECT_EQ(nb.count, 0);
  EXPECT_EQ(na.count, 0);
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.NrOfRows(), 2);
  EXPECT_EQ(b.GetByte(2, 2), 42);
  EXPECT_EQ(b.GetByte(9, 9), 3);
  b.SetByte(1, 1, 1);  // b now calls a's callback
  EXPECT_EQ(na.count, 1);
  EXPECT_EQ(a.GetByte(1, 1), 0);
  TByteMatrix c;
  a.AssignTo(c);
  EXPECT_EQ(c.GetByte(2, 2), 42);
}

}  // namespace
}  // namespace xan
