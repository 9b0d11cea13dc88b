// Base64 and ASCII85 between streams: the documented texts, where the streams are left, memory,
// file and trickling streams alike, and the fast paths against the portable ones end to end.
#include "xan/dstruct/encodings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "../platform/temp_dir.h"
#include "../xan_streams/test_streams.h"
#include "xan_dstruct/checksum_dispatch.h"

namespace xan {
namespace {

std::string RandomBytes(size_t n, uint32_t seed, bool zeroRich = false) {
  std::mt19937 rng(seed);
  std::string b(n, '\0');
  for (auto& c : b) c = zeroRich && rng() % 3 != 0 ? '\0' : static_cast<char>(rng());
  return b;
}

using Coder = void (*)(TStream&, TStream&, bool);
using Decoder = int32_t (*)(TStream&, TStream&);

std::string Encode(Coder code, std::string_view in, bool lines) {
  TStringStream src(in), dst(std::string_view{});
  code(src, dst, lines);
  return std::string(dst.ByteString());
}

struct TDecoded {
  std::string Bytes;
  int32_t Status;
  int64_t InPosition;
};

TDecoded Decode(Decoder decode, std::string_view text) {
  TStringStream src(text), dst(std::string_view{});
  const int32_t status = decode(src, dst);
  return {std::string(dst.ByteString()), status, src.Position()};
}

using testing::TFailingStream;
using testing::TPlainStream;

// ================================================================================================
// The documented texts

TEST(EncodeBase64, DocumentedTexts) {
  EXPECT_EQ(Encode(EncodeBase64, "Man", true), "TWFu\r\n");
  EXPECT_EQ(Encode(EncodeBase64, "M", true), "TQ==\r\n");
  EXPECT_EQ(Encode(EncodeBase64, "Ma", true), "TWE=\r\n");
  EXPECT_EQ(Encode(EncodeBase64, "Man", false), "TWFu");
  EXPECT_EQ(Encode(EncodeBase64, "foobar", false), "Zm9vYmFy");
  EXPECT_EQ(Encode(EncodeBase64, "", true), "");
  const std::string line = Encode(EncodeBase64, std::string(45, 'x'), true);
  EXPECT_EQ(line.size(), 62U);
  EXPECT_EQ(line, Encode(EncodeBase64, std::string(45, 'x'), false) + "\r\n");
  EXPECT_EQ(Encode(EncodeBase64, std::string(90, 'x'), true), line + line);
  EXPECT_EQ(Encode(EncodeBase64, std::string(91, 'x'), true), line + line + "eA==\r\n");
}

TEST(DecodeBase64, DocumentedRulesAndStatus) {
  EXPECT_EQ(Decode(DecodeBase64, "TWFu").Bytes, "Man");
  EXPECT_EQ(Decode(DecodeBase64, "TQ==TWE=").Bytes, "MMa");
  EXPECT_EQ(Decode(DecodeBase64, "Zm9v\r\nYmFy\r\n").Bytes, "foobar");
  EXPECT_EQ(Decode(DecodeBase64, "TWE").Bytes, "Ma");
  EXPECT_EQ(Decode(DecodeBase64, "").Status, 0);
  const TDecoded bad = Decode(DecodeBase64, "TWFu TWFu");
  EXPECT_EQ(bad.Status, -1);
  EXPECT_EQ(bad.Bytes, "Man");
  EXPECT_EQ(bad.InPosition, 5);  // just after the failing character
  const TDecoded good = Decode(DecodeBase64, "TWFuTWFu");
  EXPECT_EQ(good.Status, 0);
  EXPECT_EQ(good.InPosition, 8);
}

TEST(EncodeASCII85, DocumentedTexts) {
  EXPECT_EQ(Encode(EncodeASCII85, std::string(4, '\0'), false), "z~>");
  EXPECT_EQ(Encode(EncodeASCII85, std::string(5, '\0'), false), "z!!~>");
  EXPECT_EQ(Encode(EncodeASCII85, "ABCD", false), "5sdq,~>");
  EXPECT_EQ(Encode(EncodeASCII85, "", true), "~>");
  EXPECT_EQ(Encode(EncodeASCII85, "A", false), "!b~>");
  const std::string e = Encode(EncodeASCII85, std::string(48, 'x'), true);
  EXPECT_EQ(e.size(), 64U);
  EXPECT_EQ(e.substr(60), "\r\n~>");
}

TEST(DecodeASCII85, DocumentedRulesAndStatus) {
  for (std::string_view in : {std::string_view("\0\0\0\0", 4), std::string_view("\0\0\0\0\0", 5),
                              std::string_view("ABCD"), std::string_view("")}) {
    const TDecoded d = Decode(DecodeASCII85, Encode(EncodeASCII85, in, false));
    EXPECT_EQ(d.Bytes, in);
    EXPECT_EQ(d.Status, 0);
  }
  EXPECT_EQ(Decode(DecodeASCII85, "zz~>").Bytes, std::string(8, '\0'));
  EXPECT_EQ(Decode(DecodeASCII85, "!!z!!~>").Status, -2);
  EXPECT_EQ(Decode(DecodeASCII85, "5sdq, ~>").Status, -1);
  // Nothing after the "~" is read.
  const TDecoded d = Decode(DecodeASCII85, "5sdq,!b~>more text");
  EXPECT_EQ(d.Bytes, "ABCDA");
  EXPECT_EQ(d.InPosition, 8);
}

// ================================================================================================
// Where the streams are left

TEST(EncodingStreams, ReadFromThePositionAndWriteAtThePosition) {
  TStringStream src(std::string_view("skipMan")), dst(std::string_view("head|tail"));
  src.SetPosition(4);
  dst.SetPosition(5);
  EncodeBase64(src, dst, false);
  EXPECT_EQ(dst.ByteString(), "head|TWFu");
  EXPECT_EQ(src.Position(), 7);
  EXPECT_EQ(dst.Position(), 9);

  TStringStream text(std::string_view("xxTWFu")), bytes(std::string_view("12"));
  text.SetPosition(2);
  bytes.SetPosition(2);
  EXPECT_EQ(DecodeBase64(text, bytes), 0);
  EXPECT_EQ(bytes.ByteString(), "12Man");
}

TEST(EncodingStreams, StreamsWithoutAReadWindowGiveTheSameText) {
  // Several blocks of input; the output goes out in a few large writes, never byte by byte.
  const std::string data = RandomBytes(200003, 1, true);
  for (bool lines : {false, true}) {
    for (Coder code : {Coder{EncodeBase64}, Coder{EncodeASCII85}}) {
      TPlainStream src(data), dst;
      code(src, dst, lines);
      EXPECT_EQ(dst.Data(), Encode(code, data, lines));
      EXPECT_LE(dst.Writes.size(), 5U);
    }
  }
  const std::string b64 = Encode(EncodeBase64, data, true);
  const std::string a85 = Encode(EncodeASCII85, data, true) + "tail";
  TPlainStream t1(b64), t2(a85), o1, o2;
  EXPECT_EQ(DecodeBase64(t1, o1), 0);
  EXPECT_EQ(DecodeASCII85(t2, o2), 0);
  EXPECT_EQ(o1.Data(), data);
  EXPECT_EQ(o2.Data(), data);
  EXPECT_LE(o1.Writes.size(), 6U);
  // The part of the last block after the "~" is given back.
  EXPECT_EQ(t2.Position(), static_cast<int64_t>(a85.size() - 5));
}

TEST(EncodingStreams, StreamErrorsPassToTheCaller) {
  TStringStream out(std::string_view{});
  // The Base64 decoder would stop at the first of the bytes 0x11 the stream gives; it meets the
  // error on its first read.
  TFailingStream in1(100), in2(0), in3(100), in4(100);
  EXPECT_THROW(EncodeBase64(in1, out, true), EInOutError);
  EXPECT_THROW(DecodeBase64(in2, out), EInOutError);
  EXPECT_THROW(EncodeASCII85(in3, out, false), EInOutError);
  EXPECT_THROW(DecodeASCII85(in4, out), EInOutError);
  // An output stream that takes nothing: the write error of the stream.
  TStringStream text(std::string_view("TWFu")), data(std::string_view("Man"));
  TFailingStream sink(0);
  EXPECT_THROW(DecodeBase64(text, sink), EWriteError);
  EXPECT_THROW(EncodeBase64(data, sink, false), EWriteError);
}

TEST(EncodingStreams, OneStreamAsInputAndOutputIsSafe) {
  // No useful text, but the functions finish and stay within the stream's memory.
  TStringStream s(RandomBytes(200000, 2));
  EncodeBase64(s, s, true);
  s.SetPosition(0);
  DecodeBase64(s, s);
  s.SetPosition(0);
  EncodeASCII85(s, s, true);
  s.SetPosition(0);
  DecodeASCII85(s, s);
  EXPECT_GE(s.Size(), 200000);
}

class EncodingFiles : public testing::TempDirTest {};

TEST_F(EncodingFiles, FileStreamsOfSeveralBlocks) {
  const std::string data = RandomBytes(300017, 3, true);
  WriteBytes("data.bin", data);
  for (Coder code : {Coder{EncodeBase64}, Coder{EncodeASCII85}}) {
    {
      TFileStream in(Path("data.bin"), fmOpenRead);
      TFileStream out(Path("text.txt"), fmCreate);
      code(in, out, true);
    }
    EXPECT_EQ(ReadBytes("text.txt"), Encode(code, data, true));
  }
  {
    TFileStream in(Path("text.txt"), fmOpenRead);
    TFileStream out(Path("back.bin"), fmCreate);
    EXPECT_EQ(DecodeASCII85(in, out), 0);
  }
  EXPECT_EQ(ReadBytes("back.bin"), data);
}

// ================================================================================================
// Fast paths against the portable ones, end to end

TEST(EncodingStreams, ForcedPortableGivesTheSameResults) {
  const std::string data = RandomBytes(1 << 20, 4, false) + RandomBytes(50003, 5, true);
  std::vector<std::string> fast;
  for (bool lines : {false, true}) {
    fast.push_back(Encode(EncodeBase64, data, lines));
    fast.push_back(Encode(EncodeASCII85, data, lines));
  }
  detail::TPortableChecksumsScope portable;
  size_t i = 0;
  for (bool lines : {false, true}) {
    EXPECT_EQ(Encode(EncodeBase64, data, lines), fast[i++]);
    EXPECT_EQ(Encode(EncodeASCII85, data, lines), fast[i++]);
  }
  for (const std::string& text : fast) {
    const TDecoded d =
        text.ends_with("~>") ? Decode(DecodeASCII85, text) : Decode(DecodeBase64, text);
    EXPECT_EQ(d.Bytes, data);
    EXPECT_EQ(d.Status, 0);
  }
}

// Hostile text through both decoders on both paths: random bytes of every value, text of the
// right alphabet with line ends and bad characters spread over several blocks, and encodings cut
// short or with one character changed. Both paths give the same bytes, status and input
// position; a cut encoding decodes to the start of the data with status 0.
TEST(EncodingStreams, HostileTextGivesTheSameResultsOnEveryPath) {
  std::mt19937 rng(7);
  auto alphabetText = [&](std::string_view common, std::string_view rare, size_t n) {
    std::string t(n, ' ');
    for (auto& c : t)
      c = rng() % 64 != 0 ? common[rng() % common.size()] : rare[rng() % rare.size()];
    return t;
  };
  std::string a85Digits;
  for (char c = '!'; c <= 'u'; ++c) a85Digits += c;
  const std::string b64Common =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/\r\n";
  for (int round = 0; round < 24; ++round) {
    const size_t n = 1 + rng() % 150000;
    const std::string data = RandomBytes(n, static_cast<uint32_t>(round), round % 2 == 0);
    const std::string b64 = Encode(EncodeBase64, data, round % 3 != 0);
    const std::string a85 = Encode(EncodeASCII85, data, round % 3 != 0);
    const size_t cut64 = rng() % (b64.size() + 1), cut85 = rng() % (a85.size() - 1);
    std::string flipped64 = b64, flipped85 = a85;
    flipped64[rng() % b64.size()] = static_cast<char>(rng());
    flipped85[rng() % (a85.size() - 2)] = static_cast<char>(rng());
    const std::vector<std::pair<Decoder, std::string>> cases = {
        {DecodeBase64, RandomBytes(n, static_cast<uint32_t>(round + 100))},
        {DecodeASCII85, RandomBytes(n, static_cast<uint32_t>(round + 200))},
        {DecodeBase64, alphabetText(b64Common, "=-_@^`", n)},
        {DecodeASCII85, alphabetText(a85Digits + "\r\nz", " vz{\x7f\x80\xff", n)},
        {DecodeBase64, b64.substr(0, cut64)},
        {DecodeASCII85, a85.substr(0, cut85)},
        {DecodeBase64, flipped64},
        {DecodeASCII85, flipped85}};
    for (size_t k = 0; k < cases.size(); ++k) {
      const auto& [decode, text] = cases[k];
      const TDecoded fast = Decode(decode, text);
      TDecoded portable;
      {
        detail::TPortableChecksumsScope scope;
        portable = Decode(decode, text);
      }
      SCOPED_TRACE(::testing::Message() << "round " << round << " case " << k);
      ASSERT_EQ(fast.Bytes, portable.Bytes);
      ASSERT_EQ(fast.Status, portable.Status);
      ASSERT_EQ(fast.InPosition, portable.InPosition);
      ASSERT_LE(fast.InPosition, static_cast<int64_t>(text.size()));
      // Three bytes at most from four characters of Base64, four from one "z" of ASCII85.
      ASSERT_LE(fast.Bytes.size(),
                (decode == DecodeBase64 ? 3 * text.size() / 4 + 2 : 4 * text.size()));
      if (k == 4 || k == 5) {
        ASSERT_EQ(fast.Status, 0);
        ASSERT_EQ(fast.InPosition, static_cast<int64_t>(text.size()));
        // The last group of a cut ASCII85 text is a short number of its own, not the data.
        const size_t sure =
            fast.Bytes.size() - (k == 5 ? std::min<size_t>(3, fast.Bytes.size()) : 0);
        ASSERT_TRUE(data.starts_with(std::string_view(fast.Bytes).substr(0, sure)));
        if (k == 4) {
          // Every complete group of the cut text is decoded: 3 bytes each, less the padding.
          const auto chars = static_cast<size_t>(std::count_if(
              text.begin(), text.end(), [](char c) { return c != '\r' && c != '\n'; }));
          ASSERT_GE(fast.Bytes.size() + 2, 3 * (chars / 4));
        }
      }
    }
  }
}

}  // namespace
}  // namespace xan
