// The Base64 and ASCII85 cores: published vectors, the line layouts, the decoders' rules against
// plain character-by-character readings of them, independence of how the input is cut, and
// every fast kernel against its portable twin.
#include "xan_dstruct/encoding_cores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xan_dstruct/checksum_dispatch.h"

namespace xan::detail {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view s) {
  return Bytes(s.begin(), s.end());
}
std::string S(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// Random bytes with runs of zeros, so that ASCII85 meets "z" groups everywhere.
Bytes ZeroRichBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = rng() % 3 == 0 ? static_cast<uint8_t>(rng()) : 0;
  return b;
}

// Random cut points: the pieces a stream might deliver.
std::vector<size_t> Cuts(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<size_t> cuts;
  for (size_t pos = 0; pos < n;) {
    pos = std::min(n, pos + rng() % 70);
    cuts.push_back(pos);
  }
  return cuts;
}

// ------------------------------------------------------------------------------------------------
// Running the encoders and decoders over a whole input, in one piece or in several.

template <typename Encoder>
std::string Encode(Encoder enc, const Bytes& in, const std::vector<size_t>& cuts = {}) {
  Bytes out(Encoder::MaxOutput(in.size()) + 64);
  uint8_t* o = out.data();
  size_t pos = 0;
  for (size_t cut : cuts) {
    o = enc.Encode(in.data() + pos, cut - pos, o);
    pos = cut;
  }
  o = enc.Encode(in.data() + pos, in.size() - pos, o);
  o = enc.Finish(o);
  EXPECT_LE(static_cast<size_t>(o - out.data()), Encoder::MaxOutput(in.size()));
  return std::string(out.data(), o);
}

std::string Base64(std::string_view in, bool lines) {
  return Encode(TBase64Encoder(lines), B(in));
}
std::string Ascii85(std::string_view in, bool lines) {
  return Encode(TAscii85Encoder(lines), B(in));
}

struct TDecoded {
  std::string Bytes;
  size_t Consumed = 0;  // characters read
  int Status = 0;
};

// Decodes the text in the pieces the cuts make until the decoder stops, then finishes.
template <typename Decoder, typename StoppedFn>
TDecoded DecodeInPieces(Decoder& dec, StoppedFn stopped, std::string_view text,
                        const std::vector<size_t>& cuts) {
  Bytes out(Decoder::MaxOutput(text.size()));
  uint8_t* o = out.data();
  TDecoded r;
  std::vector<size_t> all = cuts;
  all.push_back(text.size());
  for (size_t cut : all) {
    size_t consumed = 0;
    o = dec.Decode(reinterpret_cast<const uint8_t*>(text.data()) + r.Consumed, cut - r.Consumed,
                   consumed, o);
    r.Consumed += consumed;
    if (stopped()) break;
  }
  o = dec.Finish(o);
  r.Bytes.assign(out.data(), o);
  return r;
}

TDecoded DecodeBase64(std::string_view text, const std::vector<size_t>& cuts = {}) {
  TBase64Decoder dec;
  TDecoded r = DecodeInPieces(
      dec, [&] { return dec.Failed(); }, text, cuts);
  r.Status = dec.Failed() ? -1 : 0;
  return r;
}

TDecoded DecodeAscii85(std::string_view text, const std::vector<size_t>& cuts = {}) {
  TAscii85Decoder dec;
  TDecoded r = DecodeInPieces(
      dec, [&] { return dec.Done(); }, text, cuts);
  r.Status = dec.Status();
  return r;
}

// ------------------------------------------------------------------------------------------------
// Plain readings of the rules, one character at a time, as references.

std::string ReferenceBase64(const Bytes& in, bool lines) {
  static constexpr std::string_view abc = kBase64Alphabet;
  std::string out;
  for (size_t line = 0; line < in.size(); line += 45) {
    const size_t end = std::min(in.size(), line + 45);
    for (size_t i = line; i < end; i += 3) {
      uint32_t v = uint32_t{in[i]} << 16;
      if (i + 1 < end) v |= uint32_t{in[i + 1]} << 8;
      if (i + 2 < end) v |= in[i + 2];
      out += abc[v >> 18];
      out += abc[(v >> 12) & 63];
      out += i + 1 < end ? abc[(v >> 6) & 63] : '=';
      out += i + 2 < end ? abc[v & 63] : '=';
    }
    if (lines) out += "\r\n";
  }
  return out;
}

TDecoded ReferenceDecodeBase64(std::string_view text) {
  TDecoded r;
  std::string group;
  auto value = [](char c) -> uint32_t {
    if (c == '-') return 62;
    if (c == '_') return 63;
    const size_t p = kBase64Alphabet.find(c);
    return p == std::string_view::npos ? 0 : static_cast<uint32_t>(p);
  };
  auto flush = [&] {
    if (group.size() >= 2) {
      while (group.size() < 4) group += '=';
      const uint32_t v =
          value(group[0]) << 18 | value(group[1]) << 12 | value(group[2]) << 6 | value(group[3]);
      r.Bytes += static_cast<char>(v >> 16);
      if (group[2] != '=') {
        r.Bytes += static_cast<char>(v >> 8);
        if (group[3] != '=') r.Bytes += static_cast<char>(v);
      }
    }
    group.clear();
  };
  for (char c : text) {
    ++r.Consumed;
    if (c == '\r' || c == '\n') continue;
    if (c < '+' || c > 'z') {
      r.Status = -1;
      group.clear();
      return r;
    }
    group += c;
    if (group.size() == 4) flush();
  }
  flush();
  return r;
}

std::string ReferenceAscii85(const Bytes& in, bool lines) {
  std::string out;
  int counted = 0;
  auto digits = [&](uint64_t v, int n) {
    std::string d(n, '!');
    for (int k = n - 1; k >= 0; --k, v /= 85) d[k] = static_cast<char>('!' + v % 85);
    out += d;
    if (++counted % 12 == 0 && lines) out += "\r\n";
  };
  size_t i = 0;
  for (; i + 4 <= in.size(); i += 4) {
    const uint64_t v =
        uint64_t{in[i]} << 24 | uint64_t{in[i + 1]} << 16 | uint64_t{in[i + 2]} << 8 | in[i + 3];
    if (v == 0) {
      out += 'z';
    } else {
      digits(v, 5);
    }
  }
  if (i < in.size()) {
    uint64_t v = 0;
    for (size_t j = i; j < in.size(); ++j) v = v << 8 | in[j];
    digits(v, static_cast<int>(in.size() - i + 1));
  }
  return out + "~>";
}

TDecoded ReferenceDecodeAscii85(std::string_view text) {
  TDecoded r;
  uint64_t value = 0;
  int count = 0;
  auto end = [&] {
    for (int k = count - 1; k > 0; --k) r.Bytes += static_cast<char>(value >> (8 * (k - 1)));
    value = 0;
    count = 0;
  };
  for (char c : text) {
    ++r.Consumed;
    if (c == '\r' || c == '\n') continue;
    if (c == 'z' && count == 0) {
      r.Bytes += std::string(4, '\0');
    } else if (c == '~') {
      end();
      return r;
    } else if (c >= '!' && c <= 'u') {
      value = value * 85 + static_cast<uint64_t>(c - '!');
      if (++count == 5) end();
    } else {
      r.Status = c == 'z' ? -2 : -1;
    }
  }
  end();
  return r;
}

// Random text drawn mostly from the given alphabet, with every kind of exception mixed in.
std::string MixedText(size_t n, std::string_view common, std::string_view rare, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string t(n, ' ');
  for (auto& c : t) {
    const uint32_t pick = rng() % 100;
    c = pick < 90 ? common[rng() % common.size()] : rare[rng() % rare.size()];
  }
  return t;
}

// ================================================================================================
// Base64

TEST(Base64Encoder, PublishedVectors) {
  EXPECT_EQ(Base64("", false), "");
  EXPECT_EQ(Base64("f", false), "Zg==");
  EXPECT_EQ(Base64("fo", false), "Zm8=");
  EXPECT_EQ(Base64("foo", false), "Zm9v");
  EXPECT_EQ(Base64("foob", false), "Zm9vYg==");
  EXPECT_EQ(Base64("fooba", false), "Zm9vYmE=");
  EXPECT_EQ(Base64("foobar", false), "Zm9vYmFy");
  EXPECT_EQ(Base64("Man", true), "TWFu\r\n");
  EXPECT_EQ(Base64("M", true), "TQ==\r\n");
  EXPECT_EQ(Base64("Ma", true), "TWE=\r\n");
  EXPECT_EQ(Base64("", true), "");
}

TEST(Base64Encoder, LinesOf45BytesEachWithItsLineEnd) {
  const std::string text45(45, 'x'), text90(90, 'x'), text46(46, 'x');
  const std::string e45 = Base64(text45, true);
  ASSERT_EQ(e45.size(), 62U);
  EXPECT_EQ(e45.substr(60), "\r\n");
  EXPECT_EQ(e45.substr(0, 60).find_first_of("=\r\n"), std::string::npos);
  EXPECT_EQ(Base64(text90, true), e45 + e45);
  EXPECT_EQ(Base64(text46, true), e45 + "eA==\r\n");
  // Without line breaks the same text runs on.
  EXPECT_EQ(Base64(text90, false), e45.substr(0, 60) + e45.substr(0, 60));
}

TEST(Base64Encoder, EveryLengthMatchesTheReferenceInAnyPieces) {
  const Bytes data = RandomBytes(400, 1);
  for (bool lines : {false, true}) {
    for (size_t n = 0; n <= 400; ++n) {
      const Bytes in(data.begin(), data.begin() + static_cast<ptrdiff_t>(n));
      const std::string expected = ReferenceBase64(in, lines);
      ASSERT_EQ(Encode(TBase64Encoder(lines), in), expected) << n << " " << lines;
      ASSERT_EQ(Encode(TBase64Encoder(lines), in, Cuts(n, static_cast<uint32_t>(n))), expected)
          << n << " " << lines;
    }
  }
}

TEST(Base64Decoder, GroupsPaddingAndLineEnds) {
  EXPECT_EQ(DecodeBase64("TWFu").Bytes, "Man");
  EXPECT_EQ(DecodeBase64("TQ==").Bytes, "M");
  EXPECT_EQ(DecodeBase64("TWE=").Bytes, "Ma");
  EXPECT_EQ(DecodeBase64("Zm9v\r\nYmFy\r\n").Bytes, "foobar");
  // CR and LF are skipped even inside a group.
  EXPECT_EQ(DecodeBase64("Zm\r\n9vY\nmF\ry").Bytes, "foobar");
  // Each group is read on its own, so padded texts may follow each other.
  EXPECT_EQ(DecodeBase64("TQ==TWE=").Bytes, "MMa");
  // A "=" in third place ends the group whatever follows in fourth.
  EXPECT_EQ(DecodeBase64("TQ=x").Bytes, "M");
  EXPECT_EQ(DecodeBase64("").Bytes, "");
}

TEST(Base64Decoder, CharacterOutsidePlusToZStops) {
  // The failing group yields nothing; reading stops after the failing character.
  const std::pair<std::string_view, size_t> cases[] = {
      {"TWFuTW*u", 7}, {"TWFu TWFu", 5}, {"TWFu{WFu", 5}, {"TWFu\x80WFu", 5}, {"TWF\r\n\t", 6}};
  for (const auto& [text, consumed] : cases) {
    const TDecoded d = DecodeBase64(text);
    EXPECT_EQ(d.Status, -1) << text;
    EXPECT_EQ(d.Bytes, text[3] == 'u' ? "Man" : "") << text;
    EXPECT_EQ(d.Consumed, consumed) << text;
  }
  // Nothing after the failing character is read, and no piece after it is decoded.
  const TDecoded d = DecodeBase64("TWFu#TWFu", {2, 5, 7});
  EXPECT_EQ(d.Bytes, "Man");
  EXPECT_EQ(d.Consumed, 5U);
}

TEST(Base64Decoder, ChoicesForTextOutsideTheAlphabet) {
  // An unfinished last group counts as padded: three characters give two bytes, two give one,
  // one gives none.
  EXPECT_EQ(DecodeBase64("TWE").Bytes, "Ma");
  EXPECT_EQ(DecodeBase64("TQ").Bytes, "M");
  EXPECT_EQ(DecodeBase64("TWFuT").Bytes, "Man");
  EXPECT_EQ(DecodeBase64("TWFuT").Status, 0);
  // The URL-safe digits read as "+" and "/".
  EXPECT_EQ(DecodeBase64("-_-_").Bytes, DecodeBase64("+/+/").Bytes);
  EXPECT_EQ(DecodeBase64("ab-_").Bytes, DecodeBase64("ab+/").Bytes);
  // Other characters of "+".."z" count as the digit 0 and do not stop the decoding.
  EXPECT_EQ(DecodeBase64("T,Fu").Bytes, DecodeBase64("TAFu").Bytes);
  EXPECT_EQ(DecodeBase64("==Fu").Bytes, DecodeBase64("AAFu").Bytes);
  EXPECT_EQ(DecodeBase64("@[\\]").Status, 0);
}

TEST(Base64Decoder, RoundTripsEveryLengthWithAndWithoutLineEnds) {
  const Bytes data = RandomBytes(300, 2);
  for (bool lines : {false, true}) {
    for (size_t n = 0; n <= 300; ++n) {
      const Bytes in(data.begin(), data.begin() + static_cast<ptrdiff_t>(n));
      const std::string text = Encode(TBase64Encoder(lines), in);
      const TDecoded d = DecodeBase64(text, Cuts(text.size(), static_cast<uint32_t>(n)));
      ASSERT_EQ(d.Status, 0);
      ASSERT_EQ(d.Bytes, S(in)) << n << " " << lines;
    }
  }
}

TEST(Base64Decoder, MixedTextMatchesTheReferenceInAnyPieces) {
  const std::string common(kBase64Alphabet);
  const std::string rare = std::string("\r\n=-_,@^`") + " *{~\x80\xff" + std::string(1, '\0');
  for (uint32_t seed = 0; seed < 300; ++seed) {
    const std::string text = MixedText(seed % 2 ? 300 : 40, common, rare, seed);
    const TDecoded expected = ReferenceDecodeBase64(text);
    for (const auto& cuts : {std::vector<size_t>{}, Cuts(text.size(), seed)}) {
      const TDecoded d = DecodeBase64(text, cuts);
      ASSERT_EQ(d.Bytes, expected.Bytes) << text;
      ASSERT_EQ(d.Status, expected.Status) << text;
      ASSERT_EQ(d.Consumed, expected.Consumed) << text;
    }
  }
}

// ================================================================================================
// ASCII85

TEST(Ascii85Encoder, DocumentedExamples) {
  EXPECT_EQ(Ascii85(std::string(4, '\0'), false), "z~>");
  EXPECT_EQ(Ascii85(std::string(5, '\0'), false), "z!!~>");
  EXPECT_EQ(Ascii85("ABCD", false), "5sdq,~>");
  EXPECT_EQ(Ascii85("", false), "~>");
  EXPECT_EQ(Ascii85("", true), "~>");
  // The short last group: "A" is the one-byte number 65, as two digits.
  EXPECT_EQ(Ascii85("A", false), "!b~>");
  EXPECT_EQ(Ascii85("\xff\xff\xff", false), "<<*!~>");
  EXPECT_EQ(Ascii85("\xff\xff\xff\xff", false), "s8W-!~>");
}

TEST(Ascii85Encoder, LineEndAfterEveryTwelfthDigitGroup) {
  const std::string g48(48, 'x');
  const std::string e = Ascii85(g48, true);
  EXPECT_EQ(e.size(), 60U + 2 + 2);
  EXPECT_EQ(e.substr(60), "\r\n~>");
  // "z" groups are not counted.
  const std::string withZeros = std::string(44, 'x') + std::string(8, '\0') + "xxxx";
  const std::string ez = Ascii85(withZeros, true);
  EXPECT_EQ(ez.substr(55), "zz" + Ascii85("xxxx", false).substr(0, 5) + "\r\n~>");
  // The short last group is counted too.
  EXPECT_EQ(Ascii85(std::string(45, 'x'), true).substr(55),
            Ascii85("x", false).substr(0, 2) + "\r\n~>");
}

TEST(Ascii85Encoder, EveryLengthMatchesTheReferenceInAnyPieces) {
  for (bool lines : {false, true}) {
    for (size_t n = 0; n <= 300; ++n) {
      const Bytes in = ZeroRichBytes(n, static_cast<uint32_t>(n));
      const std::string expected = ReferenceAscii85(in, lines);
      ASSERT_EQ(Encode(TAscii85Encoder(lines), in), expected) << n;
      ASSERT_EQ(Encode(TAscii85Encoder(lines), in, Cuts(n, static_cast<uint32_t>(n + 7))), expected)
          << n;
    }
  }
}

TEST(Ascii85Decoder, DocumentedExamples) {
  EXPECT_EQ(DecodeAscii85("z~>").Bytes, std::string(4, '\0'));
  EXPECT_EQ(DecodeAscii85("z!!~>").Bytes, std::string(5, '\0'));
  EXPECT_EQ(DecodeAscii85("5sdq,~>").Bytes, "ABCD");
  EXPECT_EQ(DecodeAscii85("~>").Bytes, "");
  EXPECT_EQ(DecodeAscii85("!b~>").Bytes, "A");
  EXPECT_EQ(DecodeAscii85("zz~>").Bytes, std::string(8, '\0'));
  for (std::string_view t : {"z~>", "z!!~>", "5sdq,~>", "~>", "zz~>"}) {
    EXPECT_EQ(DecodeAscii85(t).Status, 0) << t;
  }
  const TDecoded bad = DecodeAscii85("!!z!!~>");
  EXPECT_EQ(bad.Status, -2);
  // The "z" inside the group is skipped: "!!!!" is the 3-byte number 0.
  EXPECT_EQ(bad.Bytes, std::string(3, '\0'));
}

TEST(Ascii85Decoder, GroupsOfEverySize) {
  // k characters give the k - 1 low-order bytes of their value.
  EXPECT_EQ(DecodeAscii85("!~>").Bytes, "");
  EXPECT_EQ(DecodeAscii85("5s~>").Bytes, std::string(1, static_cast<char>((20 * 85 + 82) & 0xFF)));
  // Five digits beyond 32 bits keep the low four bytes: 85^5 - 1 = 0x108780EC4.
  EXPECT_EQ(DecodeAscii85("uuuuu~>").Bytes, "\x08\x78\x0e\xc4");
  EXPECT_EQ(DecodeAscii85("s8W-!~>").Bytes, "\xff\xff\xff\xff");
  EXPECT_EQ(DecodeAscii85("5sd\r\nq,~>").Bytes, "ABCD");
}

TEST(Ascii85Decoder, StatusRecordsTheLastBadCharacter) {
  EXPECT_EQ(DecodeAscii85("5sdq, ~>").Status, -1);
  EXPECT_EQ(DecodeAscii85("5sdq, ~>").Bytes, "ABCD");
  EXPECT_EQ(DecodeAscii85("!!z!v!~>").Status, -1);
  EXPECT_EQ(DecodeAscii85("!v!z!~>").Status, -2);
  EXPECT_EQ(DecodeAscii85("5s{dq,~>").Bytes, "ABCD");
}

TEST(Ascii85Decoder, TildeEndsTheDataAndNothingAfterIsRead) {
  const TDecoded d = DecodeAscii85("5sdq,!b~>garbage", {3, 9, 12});
  EXPECT_EQ(d.Bytes, "ABCDA");
  EXPECT_EQ(d.Consumed, 8U);
  EXPECT_EQ(DecodeAscii85("5sdq,~").Bytes, "ABCD");
  // Without "~" the end of the input ends the data; an unfinished group decodes the same way.
  EXPECT_EQ(DecodeAscii85("5sdq,").Bytes, "ABCD");
  EXPECT_EQ(DecodeAscii85("5sdq,!b").Bytes, "ABCDA");
  EXPECT_EQ(DecodeAscii85("5sdq,!").Bytes, "ABCD");
}

TEST(Ascii85Decoder, RoundTripsEveryLength) {
  for (bool lines : {false, true}) {
    for (size_t n = 0; n <= 300; ++n) {
      const Bytes in = n % 2 ? ZeroRichBytes(n, static_cast<uint32_t>(n))
                             : RandomBytes(n, static_cast<uint32_t>(n));
      const std::string text = Encode(TAscii85Encoder(lines), in);
      const TDecoded d = DecodeAscii85(text, Cuts(text.size(), static_cast<uint32_t>(n)));
      ASSERT_EQ(d.Status, 0);
      ASSERT_EQ(d.Bytes, S(in)) << n;
      ASSERT_EQ(d.Consumed, text.size() - 1);  // all but the ">"
    }
  }
}

TEST(Ascii85Decoder, MixedTextMatchesTheReferenceInAnyPieces) {
  std::string common;
  for (char c = '!'; c <= 'u'; ++c) common += c;
  const std::string rare = std::string("\r\nzz~ v{\x80\xff") + std::string(1, '\0');
  for (uint32_t seed = 0; seed < 300; ++seed) {
    const std::string text = MixedText(seed % 2 ? 300 : 40, common, rare, seed);
    const TDecoded expected = ReferenceDecodeAscii85(text);
    for (const auto& cuts : {std::vector<size_t>{}, Cuts(text.size(), seed)}) {
      const TDecoded d = DecodeAscii85(text, cuts);
      ASSERT_EQ(d.Bytes, expected.Bytes) << text;
      ASSERT_EQ(d.Status, expected.Status) << text;
      ASSERT_EQ(d.Consumed, expected.Consumed) << text;
    }
  }
}

// ================================================================================================
// Fast kernels against their portable twins: lengths 0..300 at start offsets 0..15.

class Base64FastPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProcessorChecksumPaths().Ssse3) GTEST_SKIP() << "no SSSE3";
  }
};

TEST_F(Base64FastPaths, EncodeGroupsAndLines) {
  const Bytes data = RandomBytes(16 + 45 * 8 + 16, 3);
  for (size_t start = 0; start < 16; ++start) {
    for (size_t groups = 0; groups <= 100; ++groups) {
      Bytes a(400, 0), b(400, 0);
      uint8_t* ea = Base64EncodeGroupsSsse3(data.data() + start, groups, a.data());
      uint8_t* eb = Base64EncodeGroupsPortable(data.data() + start, groups, b.data());
      ASSERT_EQ(ea - a.data(), eb - b.data());
      ASSERT_EQ(a, b) << start << " " << groups;
    }
    for (size_t lines = 0; lines <= 8; ++lines) {
      Bytes a(600, 0), b(600, 0);
      uint8_t* ea = Base64EncodeLinesSsse3(data.data() + start, lines, a.data());
      uint8_t* eb = Base64EncodeLinesPortable(data.data() + start, lines, b.data());
      ASSERT_EQ(ea - a.data(), eb - b.data());
      ASSERT_EQ(a, b) << start << " " << lines;
    }
  }
}

using TDecodeKernel = size_t (*)(const uint8_t*, size_t, uint8_t*&) noexcept;

// A fast decoding kernel against its portable twin over every length 0..300 at start offsets
// 0..15 of `text`, and with every byte value at every place of its first `run` characters: both
// stop at the same place with the same bytes.
void ExpectSameDecoding(TDecodeKernel fast, TDecodeKernel portable, const std::string& text,
                        size_t run) {
  auto both = [&](const std::string& t, size_t start, size_t n) {
    Bytes a(300, 0), b(300, 0);
    uint8_t* oa = a.data();
    uint8_t* ob = b.data();
    const auto* in = reinterpret_cast<const uint8_t*>(t.data()) + start;
    const size_t ca = fast(in, n, oa);
    const size_t cb = portable(in, n, ob);
    EXPECT_EQ(ca, cb) << start << " " << n;
    EXPECT_EQ(oa - a.data(), ob - b.data());
    EXPECT_EQ(a, b);
  };
  for (size_t start = 0; start < 16; ++start) {
    for (size_t n = 0; n <= 300; ++n) both(text, start, n);
  }
  for (int c = 0; c < 256; ++c) {
    for (size_t at = 0; at < run; ++at) {
      std::string t = text.substr(0, run);
      t[at] = static_cast<char>(c);
      both(t, 0, run);
      if (::testing::Test::HasFailure()) FAIL() << "byte " << c << " at " << at;
    }
  }
}

TEST_F(Base64FastPaths, DecodeGroupsStopAtTheSamePlace) {
  const std::string text = ReferenceBase64(RandomBytes(240, 4), false);  // 320 characters
  ExpectSameDecoding(Base64DecodeGroupsSsse3, Base64DecodeGroupsPortable, text, 48);
}

TEST(Ascii85FastPaths, DecodeGroupsStopAtTheSamePlace) {
  if (!ProcessorChecksumPaths().Sse41) GTEST_SKIP() << "no SSE4.1";
  // Digits only, including the largest groups, whose values pass 2^32.
  std::string text;
  std::mt19937 rng(6);
  for (int i = 0; i < 320; ++i) text += static_cast<char>(i % 7 == 0 ? 'u' : '!' + rng() % 85);
  ExpectSameDecoding(Ascii85DecodeGroupsSse41, Ascii85DecodeGroupsPortable, text, 40);
}

TEST(Ascii85FastPaths, EncodeGroupsFromEveryLineCount) {
  if (!ProcessorChecksumPaths().Sse41) GTEST_SKIP() << "no SSE4.1";
  // Values around the splits at 85^2, 85^4 and the top of 32 bits, zero groups, random groups.
  std::vector<uint32_t> values = {1,
                                  84,
                                  85,
                                  7224,
                                  7225,
                                  7226,
                                  614124,
                                  614125,
                                  52200624,
                                  52200625,
                                  0xFFFFFFFFU,
                                  0xFFFFFFFEU,
                                  85U * 85 * 85 * 85 * 50,
                                  0};
  std::mt19937 rng(7);
  for (uint32_t k = 1; k < 600; ++k) {
    values.push_back(k * 7225 - 1);
    values.push_back(k * 7225);
    values.push_back(rng());
    values.push_back(rng() % 3 == 0 ? 0 : static_cast<uint32_t>(rng()));
  }
  Bytes data;
  for (uint32_t v : values) {
    for (int s = 24; s >= 0; s -= 8) data.push_back(static_cast<uint8_t>(v >> s));
  }
  for (bool lines : {false, true}) {
    for (uint32_t counted = 0; counted < 12; ++counted) {
      for (size_t start : {size_t{0}, size_t{1}, size_t{3}, size_t{4}}) {
        const size_t groups = (data.size() - start) / 4;
        Bytes a(groups * 6 + 64, 0), b(groups * 6 + 64, 0);
        uint32_t ca = counted, cb = counted;
        uint8_t* ea = Ascii85EncodeGroupsSse41(data.data() + start, groups, a.data(), ca, lines);
        uint8_t* eb = Ascii85EncodeGroupsPortable(data.data() + start, groups, b.data(), cb, lines);
        ASSERT_EQ(ea - a.data(), eb - b.data()) << lines << " " << counted << " " << start;
        ASSERT_TRUE(std::equal(a.data(), ea, b.data())) << lines << " " << counted << " " << start;
        ASSERT_EQ(ca, cb);
      }
    }
  }
  // Every short run, so that the four-group steps meet every remainder.
  for (size_t groups = 0; groups <= 40; ++groups) {
    Bytes a(400, 0), b(400, 0);
    uint32_t ca = 5, cb = 5;
    uint8_t* ea = Ascii85EncodeGroupsSse41(data.data() + 8, groups, a.data(), ca, true);
    uint8_t* eb = Ascii85EncodeGroupsPortable(data.data() + 8, groups, b.data(), cb, true);
    ASSERT_EQ(ea - a.data(), eb - b.data()) << groups;
    ASSERT_TRUE(std::equal(a.data(), ea, b.data())) << groups;
  }
}

TEST(EncodingFastPaths, LineEndsAndZeroGroupsInTheDecodingKernels) {
  // Whole texts with line ends and "z" groups through the kernels alone: both forms take all.
  const Bytes data = ZeroRichBytes(3000, 8);
  const std::string a85 = Encode(TAscii85Encoder(true), data);
  const std::string b64 = Encode(TBase64Encoder(true), RandomBytes(3000, 9));
  const auto* a = reinterpret_cast<const uint8_t*>(a85.data());
  const auto* b = reinterpret_cast<const uint8_t*>(b64.data());
  Bytes o1(20000), o2(20000), o3(20000), o4(20000);
  uint8_t* p1 = o1.data();
  uint8_t* p2 = o2.data();
  uint8_t* p3 = o3.data();
  uint8_t* p4 = o4.data();
  EXPECT_EQ(Ascii85DecodeGroups(a, a85.size(), p1), a85.size() - 2);  // all but "~>"
  EXPECT_EQ(Ascii85DecodeGroupsPortable(a, a85.size(), p2), a85.size() - 2);
  EXPECT_EQ(S(Bytes(o1.data(), p1)), S(data));
  EXPECT_EQ(S(Bytes(o2.data(), p2)), S(data));
  EXPECT_EQ(Base64DecodeGroups(b, b64.size(), p3), b64.size());
  EXPECT_EQ(Base64DecodeGroupsPortable(b, b64.size(), p4), b64.size());
  EXPECT_EQ(S(Bytes(o3.data(), p3)), S(RandomBytes(3000, 9)));
  EXPECT_EQ(S(Bytes(o4.data(), p4)), S(RandomBytes(3000, 9)));
}

}  // namespace
}  // namespace xan::detail
