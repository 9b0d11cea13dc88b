// TFifo: full and empty edges, wrap-around, peeking and putting back, resizing, and random
// operations checked against a deque.
#include "xan/dstruct/fifo.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

namespace xan {
namespace {

TEST(Fifo, FullAndEmptyEdges) {
  TFifo f;
  EXPECT_EQ(f.Size(), 256);
  uint8_t out = 77;
  EXPECT_FALSE(f.GetByte(out));
  EXPECT_EQ(out, 77);
  for (int i = 0; i < 255; ++i) ASSERT_TRUE(f.PutByte(static_cast<uint8_t>(i))) << i;
  EXPECT_FALSE(f.PutByte(255));
  EXPECT_EQ(f.CountBytes(), 255);
  EXPECT_FALSE(f.LoadBack(1));
  EXPECT_TRUE(f.ForceByte(200));
  EXPECT_EQ(f.CountBytes(), 255);
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 1) << "byte 0 was dropped";
  EXPECT_FALSE(f.ForceByte(201)) << "not full: nothing dropped";
  for (int i = 2; i < 255; ++i) {
    ASSERT_TRUE(f.GetByte(out));
    ASSERT_EQ(out, i);
  }
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 200);
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 201);
  EXPECT_FALSE(f.GetByte(out));
  EXPECT_EQ(f.CountBytes(), 0);
}

TEST(Fifo, SenseAndLoadBack) {
  TFifo f;
  f.PutByte(1);
  f.PutByte(2);
  uint8_t out = 0;
  ASSERT_TRUE(f.SenseByte(1, out));
  EXPECT_EQ(out, 2);
  ASSERT_TRUE(f.SenseByte(0, out));
  EXPECT_EQ(out, 1);
  out = 55;
  EXPECT_FALSE(f.SenseByte(2, out));
  EXPECT_FALSE(f.SenseByte(-1, out));
  EXPECT_EQ(out, 55);
  EXPECT_EQ(f.CountBytes(), 2);
  EXPECT_TRUE(f.LoadBack(9));
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 9);
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 1);
  // Putting back at index 0 wraps to the end of the ring.
  f.Clear();
  EXPECT_TRUE(f.LoadBack(5));
  EXPECT_TRUE(f.LoadBack(6));
  ASSERT_TRUE(f.SenseByte(1, out));
  EXPECT_EQ(out, 5);
  ASSERT_TRUE(f.GetByte(out));
  EXPECT_EQ(out, 6);
}

TEST(Fifo, WrapAroundKeepsOrder) {
  TFifo f;
  uint8_t out = 0;
  for (int i = 0; i < 200; ++i) f.PutByte(static_cast<uint8_t>(i));
  for (int i = 0; i < 200; ++i) f.GetByte(out);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(f.PutByte(static_cast<uint8_t>(i + 50)));
  EXPECT_EQ(f.CountBytes(), 100);
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(f.SenseByte(i, out));
    ASSERT_EQ(out, i + 50);
  }
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(f.GetByte(out));
    ASSERT_EQ(out, i + 50);
  }
}

TEST(Fifo, RandomOperationsMatchADeque) {
  std::mt19937 gen(5);
  for (const int32_t size : {1, 2, 3, 7, 256}) {
    TFifo f;
    f.SetSize(size);
    std::deque<uint8_t> model;
    const size_t capacity = static_cast<size_t>(size - 1);
    for (int step = 0; step < 5000; ++step) {
      const auto b = static_cast<uint8_t>(gen());
      uint8_t out = 0;
      switch (gen() % 6) {
        case 0:
          ASSERT_EQ(f.PutByte(b), model.size() < capacity);
          if (model.size() < capacity) model.push_back(b);
          break;
        case 1: {
          const bool full = model.size() == capacity;
          ASSERT_EQ(f.ForceByte(b), full);
          if (full && !model.empty()) model.pop_front();
          if (capacity > 0) model.push_back(b);
          break;
        }
        case 2:
        case 3:
          ASSERT_EQ(f.GetByte(out), !model.empty());
          if (!model.empty()) {
            ASSERT_EQ(out, model.front());
            model.pop_front();
          }
          break;
        case 4:
          ASSERT_EQ(f.LoadBack(b), model.size() < capacity);
          if (model.size() < capacity) model.push_front(b);
          break;
        case 5: {
          const int32_t ix = static_cast<int32_t>(gen() % (capacity + 2)) - 1;
          const bool inside = ix >= 0 && static_cast<size_t>(ix) < model.size();
          ASSERT_EQ(f.SenseByte(ix, out), inside);
          if (inside) {
            ASSERT_EQ(out, model[static_cast<size_t>(ix)]);
          }
          break;
        }
      }
      ASSERT_EQ(f.CountBytes(), static_cast<int32_t>(model.size()));
    }
  }
}

TEST(Fifo, SetSizeKeepsTheOldestBytesInOrder) {
  TFifo f;
  uint8_t out = 0;
  // Wrap first, so that the held bytes straddle the end of the ring.
  for (int i = 0; i < 250; ++i) f.PutByte(0);
  for (int i = 0; i < 250; ++i) f.GetByte(out);
  for (int i = 1; i <= 10; ++i) f.PutByte(static_cast<uint8_t>(i));
  f.SetSize(0);
  f.SetSize(-4);
  EXPECT_EQ(f.Size(), 256);
  f.SetSize(1000);
  EXPECT_EQ(f.Size(), 1000);
  EXPECT_EQ(f.CountBytes(), 10);
  f.SetSize(5);
  EXPECT_EQ(f.CountBytes(), 4);
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(f.GetByte(out));
    EXPECT_EQ(out, i);
  }
  EXPECT_TRUE(f.PutByte(1));
  EXPECT_TRUE(f.PutByte(2));
  f.SetSize(1);
  EXPECT_EQ(f.CountBytes(), 0);
  EXPECT_FALSE(f.PutByte(3));
  EXPECT_TRUE(f.ForceByte(3));
  EXPECT_FALSE(f.GetByte(out));
  EXPECT_FALSE(f.LoadBack(3));
}

}  // namespace
}  // namespace xan
