// TRLEncoder: the documented encodings, agreement with a byte-by-byte model of the encoder,
// round trips to the last byte for every run length near the limits, the lead-in byte
// everywhere, pieces of every size and block sizes from 1 up, and the end of a decoding.
#include "xan/dstruct/rlencoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace xan {
namespace {

constexpr uint8_t kLead = 165;

// The encoder as documented, one byte at a time, ending with the closing triple.
TBytes ModelEncode(const TBytes& in) {
  TBytes out;
  unsigned c = 0;
  uint8_t x = 0;
  const auto flush = [&] {
    if (c == 1 && x != kLead) {
      out.push_back(x);
    } else if (c == 2 && x != kLead) {
      out.insert(out.end(), {x, x});
    } else {
      out.insert(out.end(), {kLead, static_cast<uint8_t>(c), x});
    }
  };
  for (const uint8_t b : in) {
    if (c == 0) {
      c = 1;
      x = b;
    } else if (b == x) {
      if (++c == 255) {
        out.insert(out.end(), {kLead, 255, x});
        c = 0;
      }
    } else {
      flush();
      c = 1;
      x = b;
    }
  }
  out.insert(out.end(), {kLead, static_cast<uint8_t>(c), x});
  return out;
}

// Encodes `in` in pieces of `piece` bytes, taking each block as soon as it is reported, then
// finishes. With `drain` false the blocks are left pending until the end.
TBytes Encode(const TBytes& in, size_t piece, int32_t bufLeng = 256, bool drain = true) {
  TRLEncoder enc;
  enc.SetBufLeng(bufLeng);
  TBytes out, block;
  for (size_t at = 0; at < in.size(); at += piece) {
    const size_t n = std::min(piece, in.size() - at);
    const bool ready = enc.Encode(std::span(in).subspan(at, n), static_cast<int32_t>(n));
    EXPECT_EQ(ready, enc.PendingBytes() >= static_cast<size_t>(bufLeng));
    if (drain && ready) {
      while (enc.GetResult(block)) {
        EXPECT_EQ(block.size(), static_cast<size_t>(bufLeng));
        out.insert(out.end(), block.begin(), block.end());
      }
    }
  }
  for (;;) {
    const int32_t n = enc.Finish(block);
    EXPECT_EQ(block.size(), static_cast<size_t>(n));
    out.insert(out.end(), block.begin(), block.end());
    if (n < bufLeng) break;
  }
  return out;
}

TBytes Decode(const TBytes& in, int32_t bufLeng = 256) {
  TRLEncoder dec;
  dec.SetBufLeng(bufLeng);
  TBytes out, block;
  for (const uint8_t b : in) {
    if (dec.Decode(b)) {
      while (dec.GetResult(block)) out.insert(out.end(), block.begin(), block.end());
    }
  }
  EXPECT_EQ(dec.DecodeState(), rlData);
  for (;;) {
    const int32_t n = dec.FinishDecode(block);
    out.insert(out.end(), block.begin(), block.end());
    if (n < bufLeng) break;
  }
  return out;
}

TEST(RLEncoder, DocumentedEncodings) {
  const struct {
    TBytes in, out;
  } cases[] = {
      {{1, 1, 1, 1, 2}, {165, 4, 1, 165, 1, 2}},
      {{7, 7, 8}, {7, 7, 165, 1, 8}},
      {{165}, {165, 1, 165}},
      {{}, {165, 0, 0}},
      {TBytes(300, 9), {165, 255, 9, 165, 45, 9}},
      {{165, 165, 3, 3, 3}, {165, 2, 165, 165, 3, 3}},
      {{4, 5, 5, 165, 6}, {4, 5, 5, 165, 1, 165, 165, 1, 6}},
      {TBytes(255, 2), {165, 255, 2, 165, 0, 2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encode(c.in, 1000), c.out);
    EXPECT_EQ(ModelEncode(c.in), c.out);
    EXPECT_EQ(Decode(c.out), c.in);
  }
}

// Random bytes, then runs of each critical length of ordinary bytes and of the lead-in byte,
// each between bytes of other values.
TBytes CriticalRuns() {
  std::mt19937 gen(17);
  TBytes data;
  for (int i = 0; i < 600; ++i)
    data.push_back(static_cast<uint8_t>(gen() % 4 == 0 ? kLead : gen()));
  uint8_t other = 0;
  for (const uint8_t value : {uint8_t{7}, kLead, uint8_t{0}, uint8_t{255}}) {
    for (const size_t len : {1, 2, 3, 4, 253, 254, 255, 256, 257, 509, 510, 511, 765, 766}) {
      data.insert(data.end(), len, value);
      data.push_back(++other == value ? ++other : other);
    }
  }
  data.insert(data.end(), 510, kLead);  // ends inside a run
  return data;
}

TEST(RLEncoder, AgreesWithTheModelAndRoundTripsForEveryPieceSize) {
  const TBytes data = CriticalRuns();
  const TBytes expected = ModelEncode(data);
  for (size_t piece = 1; piece <= 600; piece += (piece < 40 ? 1 : 37)) {
    ASSERT_EQ(Encode(data, piece), expected) << "piece " << piece;
  }
  EXPECT_EQ(Encode(data, data.size()), expected);
  EXPECT_EQ(Decode(expected), data);
}

TEST(RLEncoder, RoundTripsWithAnyBlockSizeAndCallingPattern) {
  const TBytes data = CriticalRuns();
  const TBytes expected = ModelEncode(data);
  for (const int32_t bufLeng : {1, 2, 3, 7, 84, 85, 256, 1000, 100000}) {
    for (const size_t piece : {size_t{1}, size_t{5}, size_t{4096}, data.size()}) {
      for (const bool drain : {true, false}) {
        const TBytes enc = Encode(data, piece, bufLeng, drain);
        // Further calls of Finish add empty triples, which decode to nothing.
        ASSERT_EQ(Decode(enc, bufLeng), data) << bufLeng << " " << piece << " " << drain;
        if (drain) {
          ASSERT_EQ(enc, expected);
        }
      }
    }
  }
}

TEST(RLEncoder, RoundTripsRandomDataWithRandomRuns) {
  std::mt19937 gen(99);
  for (int trial = 0; trial < 20; ++trial) {
    TBytes data;
    const size_t total = gen() % 5000;
    while (data.size() < total) {
      const uint8_t value = gen() % 3 == 0 ? kLead : static_cast<uint8_t>(gen() % 4);
      data.insert(data.end(), gen() % 8 == 0 ? gen() % 600 : gen() % 4, value);
    }
    const TBytes enc = Encode(data, 1 + gen() % 300, static_cast<int32_t>(1 + gen() % 300));
    ASSERT_EQ(enc, ModelEncode(data));
    ASSERT_EQ(Decode(enc, static_cast<int32_t>(1 + gen() % 300)), data);
  }
}

TEST(RLEncoder, FinishDecodeEndsADecodingWithoutAddingBytes) {
  const TBytes encoded = {3, 165, 4, 1, 9};
  TRLEncoder dec;
  for (const uint8_t b : encoded) dec.Decode(b);
  TBytes out;
  EXPECT_EQ(dec.FinishDecode(out), 6);
  EXPECT_EQ(out, (TBytes{3, 1, 1, 1, 1, 9}));
  EXPECT_EQ(dec.FinishDecode(out), 0);
  EXPECT_TRUE(out.empty());
  // Finish, the end of an encoding, would add its closing triple to the decoded bytes.
  TRLEncoder wrong;
  for (const uint8_t b : encoded) wrong.Decode(b);
  EXPECT_EQ(wrong.Finish(out), 9);
  EXPECT_EQ(out, (TBytes{3, 1, 1, 1, 1, 9, 165, 0, 0}));
}

TEST(RLEncoder, TruncatedInputShowsInTheDecoderState) {
  TRLEncoder dec;
  dec.Decode(5);
  dec.Decode(kLead);
  EXPECT_EQ(dec.DecodeState(), rlLeadin);
  dec.Decode(3);
  EXPECT_EQ(dec.DecodeState(), rlCnt);
  TBytes out;
  EXPECT_EQ(dec.FinishDecode(out), 1);
  EXPECT_EQ(out, TBytes{5});
  dec.Reset();
  EXPECT_EQ(dec.DecodeState(), rlData);
  dec.Decode(kLead);
  dec.Decode(0);
  dec.Decode(8);
  EXPECT_EQ(dec.FinishDecode(out), 0);
}

TEST(RLEncoder, BlocksAndPendingOutput) {
  TRLEncoder enc;
  enc.SetBufLeng(4);
  EXPECT_EQ(enc.BufLeng(), 4);
  TBytes block = {42};
  EXPECT_FALSE(enc.Encode(TBytes{1, 2, 3}, 3));  // 1 and 2 written, 3 still collected
  EXPECT_FALSE(enc.GetResult(block));
  EXPECT_EQ(block, TBytes{42}) << "untouched when no block is ready";
  EXPECT_TRUE(enc.Encode(TBytes{4, 5, 6, 7, 8, 9, 10}, 7));
  EXPECT_EQ(enc.PendingBytes(), 9U);
  ASSERT_TRUE(enc.GetResult(block));
  EXPECT_EQ(block, (TBytes{1, 2, 3, 4}));
  ASSERT_TRUE(enc.GetResult(block));
  EXPECT_EQ(block, (TBytes{5, 6, 7, 8}));
  EXPECT_FALSE(enc.GetResult(block));
  EXPECT_EQ(enc.Finish(block), 4);
  EXPECT_EQ(block, (TBytes{9, 165, 1, 10}));
  // After a full block, Finish hands out the rest without another triple, so the calls end for
  // any block size.
  EXPECT_EQ(enc.Finish(block), 0);
  EXPECT_TRUE(block.empty());
  enc.Encode(TBytes{3, 3, 3, 3, 3}, 5);
  EXPECT_EQ(enc.Finish(block), 3);
  EXPECT_EQ(block, (TBytes{165, 5, 3}));
  // After a short block the next Finish ends a new, empty encoding.
  EXPECT_EQ(enc.Finish(block), 3);
  EXPECT_EQ(block, (TBytes{165, 0, 3}));
}

TEST(RLEncoder, ArgumentsOutsideTheirRange) {
  TRLEncoder enc;
  const TBytes in = {1, 2, 3, 4};
  enc.Encode(in, -5);
  enc.Encode(in, 0);
  enc.Encode(std::span(in).first(2), 1000);  // no more than the span holds
  TBytes out;
  EXPECT_EQ(enc.Finish(out), 4);
  EXPECT_EQ(out, (TBytes{1, 165, 1, 2}));
  const uint8_t raw[] = {7, 7, 7};
  enc.Reset();
  enc.Encode(raw, 3);
  enc.Encode(nullptr, 3);
  EXPECT_EQ(enc.Finish(out), 3);
  EXPECT_EQ(out, (TBytes{165, 3, 7}));
  enc.SetBufLeng(0);
  enc.SetBufLeng(-3);
  EXPECT_EQ(enc.BufLeng(), 256);
}

TEST(RLEncoder, SetBufLengKeepsPendingOutput) {
  TRLEncoder enc;
  const TBytes in = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  enc.Encode(in, 12);
  enc.SetBufLeng(2);
  TBytes out, block;
  while (enc.GetResult(block)) out.insert(out.end(), block.begin(), block.end());
  enc.SetBufLeng(1000);
  EXPECT_EQ(enc.Finish(block), 4);
  out.insert(out.end(), block.begin(), block.end());
  EXPECT_EQ(out, ModelEncode(in));
}

TEST(RLEncoder, ResetStartsANewEncoding) {
  TRLEncoder enc;
  enc.Encode(TBytes{6, 6, 6}, 3);
  enc.Reset();
  EXPECT_EQ(enc.PendingBytes(), 0U);
  TBytes out;
  EXPECT_EQ(enc.Finish(out), 3);
  EXPECT_EQ(out, (TBytes{165, 0, 0}));
  EXPECT_EQ(enc.LeadInByte(), 165);
}

}  // namespace
}  // namespace xan
