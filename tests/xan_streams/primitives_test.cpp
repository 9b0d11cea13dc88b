// Stream primitives: byte-exact encodings, typed reads that hit the end, every line-end mode,
// searching, whole-stream text, both number scanners case by case, counting, extracting and
// replacing.
#include "xan/streams/primitives.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "../platform/temp_dir.h"
#include "test_streams.h"
#include "xan/univconst.h"
#include "xan_streams/extended.h"
#include "xan_streams/stream_text.h"

namespace xan {
namespace {

using testing::RandomBytes;
using testing::TFailingStream;
using testing::TPlainStream;

std::string Bytes(const TMemoryStream& S) {
  const auto b = S.Bytes();
  return {b.begin(), b.end()};
}

template <class F>
std::string Written(F&& Write) {
  TMemoryStream s;
  Write(s);
  return Bytes(s);
}

// ------------------------------------------------------------------------------------------------
// Writers

TEST(StreamText, WritesTheLowByteOfEachCharacter) {
  EXPECT_EQ(Written([](TStream& s) { WriteLnStream(s, u"\u00c4\u20ac"); }), "\xc4\xac\r\n");
  EXPECT_EQ(Written([](TStream& s) { WriteStringStream(s, u"A\u0142\u00ff"); }), "AB\xff");
  EXPECT_EQ(Written([](TStream& s) { WriteLnStream(s, u""); }), "\r\n");
}

TEST(StreamText, WritesInBlocksOf4096AndOnceMoreAtTheEnd) {
  TPlainStream s;
  WriteStringStream(s, u"");
  EXPECT_EQ(s.Writes, (std::vector<int64_t>{0}));
  s.Writes.clear();
  WriteStringStream(s, String(4096 + 10, u'x'));
  EXPECT_EQ(s.Writes, (std::vector<int64_t>{4096, 10}));
  s.Writes.clear();
  WriteLnStream(s, String(8192, u'y'));
  EXPECT_EQ(s.Writes, (std::vector<int64_t>{4096, 4096, 0, 2}));
  EXPECT_EQ(s.Data().size(), 4106U + 8194U);
}

TEST(StreamText, AWriteTheStreamRefusesRaises) {
  TFailingStream s(0);
  EXPECT_THROW(WriteStringStream(s, u"x"), EWriteError);
  EXPECT_THROW(WriteLongintToStream(s, 1), EWriteError);
}

TEST(TypedValues, AreWrittenLittleEndianInTheirLayouts) {
  auto longint = [](int32_t v) { return Written([&](TStream& s) { WriteLongintToStream(s, v); }); };
  auto single = [](float v) { return Written([&](TStream& s) { WriteSingleToStream(s, v); }); };
  auto dbl = [](double v) { return Written([&](TStream& s) { WriteDoubleToStream(s, v); }); };
  EXPECT_EQ(longint(-2), "\xfe\xff\xff\xff");
  EXPECT_EQ(longint(0x01020304), "\x04\x03\x02\x01");
  EXPECT_EQ(longint(std::numeric_limits<int32_t>::min()), std::string("\0\0\0\x80", 4));
  EXPECT_EQ(single(1.0F), std::string("\0\0\x80\x3f", 4));
  EXPECT_EQ(single(-0.0F), std::string("\0\0\0\x80", 4));
  EXPECT_EQ(single(std::numeric_limits<float>::infinity()), std::string("\0\0\x80\x7f", 4));
  EXPECT_EQ(single(-std::numeric_limits<float>::infinity()), std::string("\0\0\x80\xff", 4));
  EXPECT_EQ(single(std::numeric_limits<float>::quiet_NaN()), std::string("\0\0\xc0\x7f", 4));
  EXPECT_EQ(single(std::numeric_limits<float>::denorm_min()), std::string("\x01\0\0\0", 4));
  EXPECT_EQ(dbl(0.5), std::string("\0\0\0\0\0\0\xe0\x3f", 8));
  EXPECT_EQ(dbl(-1.0), std::string("\0\0\0\0\0\0\xf0\xbf", 8));
  EXPECT_EQ(dbl(std::numeric_limits<double>::infinity()), std::string("\0\0\0\0\0\0\xf0\x7f", 8));
  EXPECT_EQ(dbl(-std::numeric_limits<double>::quiet_NaN()), std::string("\0\0\0\0\0\0\xf8\xff", 8));
}

std::string ExtendedBytes(long double v) {
  return Written([&](TStream& s) { WriteExtendedToStream(s, v); });
}

TEST(TypedValues, ExtendedHasTheX87Layout) {
  EXPECT_EQ(ExtendedBytes(1.0L), std::string("\0\0\0\0\0\0\0\x80\xff\x3f", 10));
  EXPECT_EQ(ExtendedBytes(-2.0L), std::string("\0\0\0\0\0\0\0\x80\x00\xc0", 10));
  EXPECT_EQ(ExtendedBytes(0.0L), std::string(10, '\0'));
  EXPECT_EQ(ExtendedBytes(-0.0L), std::string("\0\0\0\0\0\0\0\0\0\x80", 10));
  EXPECT_EQ(ExtendedBytes(std::numeric_limits<long double>::infinity()),
            std::string("\0\0\0\0\0\0\0\x80\xff\x7f", 10));
  EXPECT_EQ(ExtendedBytes(-std::numeric_limits<long double>::infinity()),
            std::string("\0\0\0\0\0\0\0\x80\xff\xff", 10));
  EXPECT_EQ(ExtendedBytes(std::numeric_limits<long double>::quiet_NaN()),
            std::string("\0\0\0\0\0\0\0\xc0\xff\x7f", 10));
  // Denormals: exponent field 0, integer bit clear.
  EXPECT_EQ(ExtendedBytes(uc_MinExtended), std::string("\x01\0\0\0\0\0\0\0\0\0", 10));
  EXPECT_EQ(ExtendedBytes(-0x7fffffffffffffffp-16445L),
            std::string("\xff\xff\xff\xff\xff\xff\xff\x7f\x00\x80", 10));
  EXPECT_EQ(ExtendedBytes(std::numeric_limits<long double>::max()),
            std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xfe\x7f", 10));
}

// ------------------------------------------------------------------------------------------------
// Typed readers

template <class T, class R>
void ExpectRoundTrip(T Value, void (*Write)(TStream&, T), R (*Read)(TStream&, bool&) noexcept) {
  TMemoryStream s;
  Write(s, Value);
  s.SetPosition(0);
  bool error = true;
  const T back = Read(s, error);
  EXPECT_FALSE(error);
  EXPECT_EQ(std::memcmp(&back, &Value, std::is_same_v<T, long double> ? 10 : sizeof(T)), 0)
      << static_cast<long double>(Value);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(TypedValues, ReadBackBitForBit) {
  const std::vector<double> doubles = {0.0,
                                       -0.0,
                                       1.5,
                                       -1e300,
                                       std::numeric_limits<double>::denorm_min(),
                                       std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::signaling_NaN()};
  for (const double d : doubles) {
    ExpectRoundTrip(d, WriteDoubleToStream, ReadDoubleFromStream);
    ExpectRoundTrip(static_cast<float>(d), WriteSingleToStream, ReadSingleFromStream);
    ExpectRoundTrip(static_cast<long double>(d), WriteExtendedToStream, ReadExtendedFromStream);
  }
  for (const long double x : {uc_MinExtended, uc_MaxExtended, -uc_MinExtended * 12345,
                              std::numeric_limits<long double>::max(), 1.0L / 3}) {
    ExpectRoundTrip(x, WriteExtendedToStream, ReadExtendedFromStream);
  }
  for (const int32_t i : {0, -1, 123456789, std::numeric_limits<int32_t>::min()}) {
    ExpectRoundTrip(i, WriteLongintToStream, ReadLongintFromStream);
  }
}

TEST(TypedValues, AShortReadSetsTheFlagAndKeepsTheBytesThatCame) {
  TStringStream s(std::string_view("\x01\x02", 2));
  bool error = false;
  EXPECT_EQ(ReadLongintFromStream(s, error), 0x0201);
  EXPECT_TRUE(error);
  EXPECT_EQ(s.Position(), 2);  // the two bytes are consumed
  EXPECT_EQ(ReadLongintFromStream(s, error), 0);
  EXPECT_TRUE(error);

  TStringStream d(std::string_view("\0\0\0\0\0\0\xf0", 7));
  EXPECT_EQ(ReadDoubleFromStream(d, error), std::bit_cast<double>(uint64_t{0x00F0000000000000}));
  EXPECT_TRUE(error);

  TStringStream x(std::string_view("\0\0\0\0\0\0\0\x80\xff", 9));  // the last byte is missing
  const long double v = ReadExtendedFromStream(x, error);
  EXPECT_TRUE(error);
  EXPECT_EQ(ExtendedBytes(v), std::string("\0\0\0\0\0\0\0\x80\xff\x00", 10));

  TStringStream f(std::string_view("\0\0\x80", 3));
  EXPECT_EQ(ReadSingleFromStream(f, error), std::bit_cast<float>(uint32_t{0x00800000}));
  EXPECT_TRUE(error);
}

TEST(TypedValues, AStreamThatRaisesIsReportedThroughTheFlag) {
  TFailingStream s(2);  // two bytes 0x11, then the stream raises
  bool error = false;
  EXPECT_EQ(ReadLongintFromStream(s, error), 0x1111);
  EXPECT_TRUE(error);
  TFailingStream none(0);
  error = false;
  EXPECT_EQ(ReadDoubleFromStream(none, error), 0.0);
  EXPECT_TRUE(error);
}

// The field arithmetic used where long double is not the x87 format gives the same bytes and
// values as the x87 format itself, for everything a double can hold.
TEST(TypedValues, FieldArithmeticMatchesTheX87Format) {
  using streams_detail::DecodeExtended;
  using streams_detail::DecodeExtendedFields;
  using streams_detail::EncodeExtended;
  using streams_detail::EncodeExtendedFields;
  ASSERT_TRUE(streams_detail::kLongDoubleIsX87);
  const std::vector<double> values = {0.0,
                                      -0.0,
                                      1.0,
                                      -3.75,
                                      1e-310,
                                      std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::max(),
                                      -std::numeric_limits<double>::min(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN()};
  for (const double d : values) {
    EXPECT_EQ(EncodeExtendedFields(d), EncodeExtended(d)) << d;
    const double back = DecodeExtendedFields<double>(EncodeExtended(d));
    EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0) << d;
  }
  for (const long double x : {uc_MinExtended, 0x1.8p-16400L, uc_MaxExtended, 1.0L / 3}) {
    EXPECT_EQ(EncodeExtendedFields(x), EncodeExtended(x));
    EXPECT_EQ(DecodeExtendedFields<long double>(EncodeExtended(x)), x);
  }
  // Beyond the double range: infinities and zeros; an unnormal reads as NaN.
  EXPECT_EQ(DecodeExtendedFields<double>(EncodeExtended(uc_MaxExtended)),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(DecodeExtendedFields<double>(EncodeExtended(-uc_MinExtended)), 0.0);
  EXPECT_TRUE(std::isnan(DecodeExtendedFields<double>({0, 0, 0, 0, 0, 0, 0, 0x40, 0xff, 0x3f})));
  EXPECT_TRUE(std::isnan(DecodeExtended({0, 0, 0, 0, 0, 0, 0, 0x40, 0xff, 0x7f})));
}

// ------------------------------------------------------------------------------------------------
// ReadLnStream: each case runs on a memory stream (bytes served from its buffer) and on a plain
// stream (one read per byte); both must give the same lines.

struct TLine {
  String Text;
  bool End;
  friend bool operator==(const TLine&, const TLine&) = default;
  friend std::ostream& operator<<(std::ostream& os, const TLine& l) {
    return os << '"' << ToUtf8(l.Text) << "\" " << l.End;
  }
};

std::vector<TLine> Lines(std::string_view Bytes, int32_t Mode, int Count) {
  std::vector<TLine> buffered;
  std::vector<TLine> plain;
  TStringStream a(Bytes);
  TPlainStream b(Bytes);
  for (int i = 0; i < Count; ++i) {
    TLine l;
    l.Text = ReadLnStream(a, l.End, Mode);
    buffered.push_back(l);
    l.Text = ReadLnStream(b, l.End, Mode);
    plain.push_back(l);
  }
  EXPECT_EQ(buffered, plain);
  EXPECT_EQ(a.Position(), b.Position());
  return buffered;
}

TEST(ReadLnStream, EachModeEndsLinesAtItsOwnLineEnd) {
  const std::string text = "ab\r\ncd";
  EXPECT_EQ(Lines(text, 0, 2), (std::vector<TLine>{{u"ab", false}, {u"cd", true}}));
  EXPECT_EQ(Lines(text, 1, 2), (std::vector<TLine>{{u"ab", false}, {u"\ncd", true}}));
  EXPECT_EQ(Lines(text, 2, 3), (std::vector<TLine>{{u"ab", false}, {u"", false}, {u"cd", true}}));
  EXPECT_EQ(Lines(text, 3, 1), (std::vector<TLine>{{u"ab\r\ncd", true}}));
  EXPECT_EQ(Lines(text, 4, 2), (std::vector<TLine>{{u"ab", false}, {u"cd", true}}));
  EXPECT_EQ(Lines("ab\n\rcd\r\n", 3, 2), (std::vector<TLine>{{u"ab", false}, {u"cd\r\n", true}}));
  for (const int32_t other : {5, -1, 1000}) {
    EXPECT_EQ(Lines("a\nb\r\n", other, 1), (std::vector<TLine>{{u"a\nb\r\n", true}}));
  }
}

TEST(ReadLnStream, PairsNeedBothBytesInOneCall) {
  // Mode 4 ends only at CR LF: a lone LF or CR stays in the line.
  EXPECT_EQ(Lines("a\rb\nc\r\nd", 4, 2), (std::vector<TLine>{{u"a\rb\nc", false}, {u"d", true}}));
  // The LF of a LF CR pair was consumed by the call before: the CR alone ends nothing.
  TStringStream s("a\n\rb");
  bool end = false;
  EXPECT_EQ(ReadLnStream(s, end, 0), u"a");
  EXPECT_EQ(ReadLnStream(s, end, 3), u"\rb");
  EXPECT_TRUE(end);
  // Likewise the CR of a CR LF pair, taken by a mode-1 call.
  TStringStream t("a\r\nb");
  EXPECT_EQ(ReadLnStream(t, end, 1), u"a");
  EXPECT_EQ(ReadLnStream(t, end, 4), u"\nb");
  EXPECT_TRUE(end);
}

TEST(ReadLnStream, TheFirstByteOfAPairAtTheEndIsKept) {
  for (const int32_t mode : {3, 4}) {
    const std::string first = mode == 3 ? "\n" : "\r";
    EXPECT_EQ(Lines("ab" + first, mode, 1),
              (std::vector<TLine>{{u"ab" + BytesToString(first), true}}));
  }
  EXPECT_EQ(Lines("ab\r", 0, 1), (std::vector<TLine>{{u"ab\r", true}}));
  EXPECT_EQ(Lines("ab\n", 1, 1), (std::vector<TLine>{{u"ab\n", true}}));
}

TEST(ReadLnStream, StripsAtMostTwoLineEndCharacters) {
  EXPECT_EQ(Lines("a\r\r\n", 0, 1), (std::vector<TLine>{{u"a\r", false}}));
  EXPECT_EQ(Lines("a\n\n\r\n", 4, 1), (std::vector<TLine>{{u"a\n\n", false}}));
  EXPECT_EQ(Lines("\n", 0, 2), (std::vector<TLine>{{u"", false}, {u"", true}}));
}

TEST(ReadLnStream, TheEndOfTheStreamKeepsTheTextAndSetsTheFlag) {
  EXPECT_EQ(Lines("ab\n", 0, 2), (std::vector<TLine>{{u"ab", false}, {u"", true}}));
  EXPECT_EQ(Lines("ab\r", 0, 1), (std::vector<TLine>{{u"ab\r", true}}));
  EXPECT_EQ(Lines("", 2, 1), (std::vector<TLine>{{u"", true}}));
  EXPECT_EQ(Lines(std::string_view("\0\x01\xff\n", 4), 0, 1),
            (std::vector<TLine>{{String(u"\0\x01\xff", 3), false}}));
}

class StreamFiles : public testing::TempDirTest {};

TEST_F(StreamFiles, ReadLnStreamAcrossFileBuffers) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += std::string(static_cast<size_t>(i % 97), 'x') + "\r\n";
  WriteBytes("lines.txt", data);
  TFileStream f(Path("lines.txt"), fmOpenRead);
  bool end = false;
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(ReadLnStream(f, end, 4).size(), static_cast<size_t>(i % 97)) << i;
    ASSERT_FALSE(end);
  }
  EXPECT_EQ(f.Position(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(ReadLnStream(f, end, 4), u"");
  EXPECT_TRUE(end);
  f.SetPosition(0);
  EXPECT_EQ(CountLinesInStream(f), 5000);
}

// ------------------------------------------------------------------------------------------------
// Searching and whole-stream text

TEST(FindInStream, StopsJustAfterTheByteOrAtTheEnd) {
  TStringStream s("abcabc");
  EXPECT_TRUE(FindInStream(s, 'c'));
  EXPECT_EQ(s.Position(), 3);
  EXPECT_TRUE(FindInStream(s, 'c'));
  EXPECT_EQ(s.Position(), 6);
  s.SetPosition(1);
  EXPECT_FALSE(FindInStream(s, 'z'));
  EXPECT_EQ(s.Position(), 6);
  TPlainStream p(std::string_view("x\0y", 3));
  EXPECT_TRUE(FindInStream(p, 0));
  EXPECT_EQ(p.Position(), 2);
}

TEST(StreamAsString, PairsBytesLowFirstAndDropsAnOddOne) {
  TStringStream s(std::string_view("A\0B\0C", 5));
  EXPECT_EQ(StreamAsString(s), u"AB");
  EXPECT_EQ(s.Position(), 5);
  TStringStream bom(std::string_view("\xff\xfe\x41\x00\x00\x01", 6));
  EXPECT_EQ(StreamAsString(bom), u"\ufeffA\u0100");
  std::string big(1001, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i);
  TStringStream b(big);
  b.SetPosition(1);
  const String text = StreamAsString(b);
  ASSERT_EQ(text.size(), 500U);
  EXPECT_EQ(text[0], 0x0201);
  EXPECT_EQ(text[499], 0xE8E7);
}

TEST(StreamAsByteString, GivesOneCharacterPerByte) {
  TStringStream s(std::string_view("A\xe9\0", 3));
  EXPECT_EQ(StreamAsByteString(s), String(u"A\u00e9\0", 3));
  EXPECT_EQ(StreamAsByteString(s), u"");
  std::string big(700, 'q');
  TPlainStream p(big);
  EXPECT_EQ(StreamAsByteString(p).size(), 700U);
}

TEST(ReadStreamUntil, StopsJustAfterTheMatchIgnoringTheCaseOfLetters) {
  TStringStream s("abc end xyz");
  int32_t err = 5;
  EXPECT_EQ(ReadStreamUntil(s, u"END", err), u"abc end");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(s.Position(), 7);
  EXPECT_EQ(ReadStreamUntil(s, u"eNd", err), u" xyz");
  EXPECT_EQ(err, -1);
  EXPECT_EQ(s.Position(), 11);
}

TEST(ReadStreamUntil, FindsMatchesAcrossBlocksAndFromTheStartPosition) {
  std::string data = "skip" + std::string(254, '.') + "MaRk" + std::string(300, '-');
  TStringStream s(data);
  s.SetPosition(4);
  int32_t err = 0;
  const String got = ReadStreamUntil(s, u"mark", err);  // the match spans bytes 258..261
  EXPECT_EQ(err, 0);
  EXPECT_EQ(got, BytesToString(data.substr(4, 258)));
  EXPECT_EQ(s.Position(), 262);
  EXPECT_EQ(ReadStreamUntil(s, u"", err).size(), 300U);  // an empty text never occurs
  EXPECT_EQ(err, -1);
  TStringStream at(std::string(256, 'a') + "Z");
  EXPECT_EQ(ReadStreamUntil(at, u"aZ", err).size(), 257U);
  EXPECT_EQ(err, 0);
}

TEST(CountLinesInStream, CountsLineFeedsToTheEnd) {
  TStringStream s("a\nb");
  EXPECT_EQ(CountLinesInStream(s), 1);
  EXPECT_EQ(s.Position(), 3);
  EXPECT_EQ(CountLinesInStream(s), 0);
  TStringStream crs("\r\r\n\n");
  uint8_t b = 0;
  crs.NextByte(b);  // what was read already is not counted
  EXPECT_EQ(CountLinesInStream(crs), 2);
  std::string many;
  for (int i = 0; i < 300000; ++i) many += (i % 3 == 0) ? "\n" : "xy";
  TPlainStream p(many);
  EXPECT_EQ(CountLinesInStream(p), 100000);
}

// ------------------------------------------------------------------------------------------------
// ScanStreamDecimal

// A scanner's result on a stream of Bytes, and the position it left the stream at.
template <class T>
struct TScanned {
  T Value;
  int64_t Position;
};

template <class F>
auto Scan(std::string_view Bytes, F Scanner) {
  TStringStream s(Bytes);
  const auto v = Scanner(s);
  return TScanned<std::remove_const_t<decltype(v)>>{v, s.Position()};
}

TScanned<int32_t> Decimal(std::string_view Bytes) {
  return Scan(Bytes, ScanStreamDecimal);
}

TEST(ScanStreamDecimal, SkipsBlanksAndLineEndsAndConsumesTheEndingByte) {
  EXPECT_EQ(Decimal("  -0042x").Value, -42);
  EXPECT_EQ(Decimal("  -0042x").Position, 8);
  EXPECT_EQ(Decimal("\t5").Value, 0);
  EXPECT_EQ(Decimal("\t5").Position, 1);
  EXPECT_EQ(Decimal("\r\n +17 3").Value, 17);
  EXPECT_EQ(Decimal("\r\n +17 3").Position, 7);
  EXPECT_EQ(Decimal("99").Value, 99);
  EXPECT_EQ(Decimal("99").Position, 2);
  EXPECT_EQ(Decimal("").Value, 0);
  EXPECT_EQ(Decimal("-").Value, 0);
  EXPECT_EQ(Decimal("-+5").Value, 0);
  EXPECT_EQ(Decimal("-+5").Position, 2);
  EXPECT_EQ(Decimal("x12").Value, 0);
  EXPECT_EQ(Decimal("x12").Position, 1);
}

TEST(ScanStreamDecimal, WrapsAroundInSigned32BitArithmetic) {
  EXPECT_EQ(Decimal("2147483647").Value, 2147483647);
  EXPECT_EQ(Decimal("2147483648").Value, -2147483647 - 1);
  EXPECT_EQ(Decimal("-2147483648").Value, -2147483647 - 1);
  EXPECT_EQ(Decimal("4294967297").Value, 1);
  EXPECT_EQ(Decimal("-4294967295").Value, 1);
}

// ------------------------------------------------------------------------------------------------
// ScanStreamFPNum

TScanned<double> FP(std::string_view Bytes, bool AllowExp = true, int32_t DecPChar = 1) {
  return Scan(Bytes, [&](TStream& s) { return ScanStreamFPNum(s, AllowExp, DecPChar); });
}

TEST(ScanStreamFPNum, ReadsTheDocumentedExamples) {
  EXPECT_EQ(FP("  -12.5e3 ").Value, -12500);
  EXPECT_EQ(FP("  -12.5e3 ").Position, 10);
  EXPECT_EQ(FP("7.").Value, 7);
  EXPECT_EQ(FP(".25").Value, 0.25);
  EXPECT_EQ(FP("1.2.3").Value, 0);
  EXPECT_EQ(FP("1.2.3").Position, 4);
  EXPECT_EQ(FP("+ ").Value, 0);
  EXPECT_EQ(FP("1e ").Value, 0);
  EXPECT_EQ(FP("2E5000").Value, 1.7e308);
  EXPECT_EQ(FP("3,75;", true, 2).Value, 3.75);
  EXPECT_EQ(FP("3,75;", true, 2).Position, 5);
  EXPECT_EQ(FP("3,75", true, 1).Value, 3);
  EXPECT_EQ(FP("3,75", true, 1).Position, 2);
  EXPECT_EQ(FP("5E3", false).Value, 5);
  EXPECT_EQ(FP("5E3", false).Position, 2);
}

TEST(ScanStreamFPNum, FollowsEveryTransitionOfTheMachine) {
  // Lead: white space is skipped (tab included); 'E' and other bytes fail.
  EXPECT_EQ(FP("\t\r\n 8 ").Value, 8);
  EXPECT_EQ(FP("E5").Value, 0);
  EXPECT_EQ(FP("E5").Position, 1);
  EXPECT_EQ(FP("x").Value, 0);
  EXPECT_EQ(FP("").Value, 0);
  // Sign: a point or digit continues; sign, white space, 'E', other and the end fail.
  EXPECT_EQ(FP("-.5").Value, -0.5);
  EXPECT_EQ(FP("+-5").Value, 0);
  EXPECT_EQ(FP("- 5").Value, 0);
  EXPECT_EQ(FP("-e5").Value, 0);
  EXPECT_EQ(FP("-").Value, 0);
  // Int: a sign ends the number (and is consumed), as do white space, other bytes and the end.
  EXPECT_EQ(FP("5-3").Value, 5);
  EXPECT_EQ(FP("5-3").Position, 2);
  EXPECT_EQ(FP("12x").Value, 12);
  EXPECT_EQ(FP("12").Value, 12);
  // Point: a second point fails; the rest ends the number ("." alone reads as 0).
  EXPECT_EQ(FP("1..").Value, 0);
  EXPECT_EQ(FP(". ").Value, 0);
  EXPECT_EQ(FP("-. ").Value, 0);
  EXPECT_TRUE(std::signbit(FP("-. ").Value));
  EXPECT_EQ(FP("4.+").Value, 4);
  EXPECT_EQ(FP("4.e1").Value, 40);
  // Frac: a point fails.
  EXPECT_EQ(FP("0.5.").Value, 0);
  EXPECT_EQ(FP("0.125").Value, 0.125);
  // Exp: a sign or digit continues; a point, white space, 'E' and other bytes fail.
  EXPECT_EQ(FP("1e-2").Value, 0.01);
  EXPECT_EQ(FP("1e.2").Value, 0);
  EXPECT_EQ(FP("1eE2").Value, 0);
  EXPECT_EQ(FP("1ex").Value, 0);
  // ExpSign: only a digit continues.
  EXPECT_EQ(FP("1e+-2").Value, 0);
  EXPECT_EQ(FP("1e+ 2").Value, 0);
  EXPECT_EQ(FP("1e+").Value, 0);
  // ExpDigit: anything but a digit ends the number.
  EXPECT_EQ(FP("1e2e3").Value, 100);
  EXPECT_EQ(FP("1e2e3").Position, 4);
  EXPECT_EQ(FP("1e2.5").Value, 100);
  EXPECT_EQ(FP("1E+02,").Value, 100);
}

TEST(ScanStreamFPNum, DecimalPointChoices) {
  EXPECT_EQ(FP("1,5 2.5", true, 3).Value, 1.5);
  EXPECT_EQ(FP("2.5", true, 3).Value, 2.5);
  EXPECT_EQ(FP("2.5", true, 2).Value, 2);
  EXPECT_EQ(FP("2.5", true, 0).Value, 2);
  EXPECT_EQ(FP("2.5", true, 0).Position, 2);
  EXPECT_EQ(FP(",5", true, 2).Value, 0.5);
}

TEST(ScanStreamFPNum, LimitsTheExponentAndClampsTheResult) {
  EXPECT_EQ(FP("1E4200").Value, 1.7e308);
  EXPECT_EQ(FP("-9e999").Value, -1.7e308);
  EXPECT_EQ(FP("1E308").Value, 1e308);
  EXPECT_EQ(FP("1.7976931348623157E308").Value, 1.7e308);
  EXPECT_EQ(FP("1E-4201").Value, 0);
  EXPECT_EQ(FP("123E-999999999999").Value, 0);
  EXPECT_EQ(FP("1E00000000002").Value, 100);
  EXPECT_EQ(FP("4E-320").Value, 4e-320);
  EXPECT_EQ(FP("0.000001E-320").Value, 0);
  EXPECT_EQ(FP("0E99999").Value, 0);
  // Exponent digits past the limit are still consumed, with the byte that ends them.
  const std::string longExp = "5E" + std::string(50, '9') + "x!";
  EXPECT_EQ(FP(longExp).Value, 1.7e308);
  EXPECT_EQ(FP(longExp).Position, static_cast<int64_t>(longExp.size()) - 1);
}

// ------------------------------------------------------------------------------------------------
// Extracting and replacing

TEST(ExtractFromStream, CopiesThePiecesBetweenDelimiterPairs) {
  TStringStream s("a[1]b[22]c");
  TMemoryStream out;
  EXPECT_EQ(ExtractFromStream(s, out, TStringList({u"[", u"]"})), 2);
  EXPECT_EQ(Bytes(out), "1\r\n22\r\n");
  EXPECT_EQ(s.Position(), 10);

  TStringStream t("x<b>y</b>z{q}<B>no</B>");
  TMemoryStream out2;
  EXPECT_EQ(ExtractFromStream(t, out2, TStringList({u"<b>", u"</b>", u"{", u"}", u"unpaired"})), 2);
  EXPECT_EQ(Bytes(out2), "y\r\nq\r\n");
}

TEST(ExtractFromStream, APieceWithoutItsEndRunsToTheEnd) {
  TStringStream s("<<a>> <<b");
  s.SetPosition(1);  // from the second '<' on, "<<" no longer starts here
  TMemoryStream out;
  EXPECT_EQ(ExtractFromStream(s, out, TStringList({u"<<", u">>", u"", u"x"})), 1);
  EXPECT_EQ(Bytes(out), "b\r\n");
  TStringStream e("k=v");
  TMemoryStream out2;
  EXPECT_EQ(ExtractFromStream(e, out2, TStringList({u"=", u""})), 1);
  EXPECT_EQ(Bytes(out2), "v\r\n");
  EXPECT_EQ(ExtractFromStream(e, out2, TStringList()), 0);
}

void Shout(StringView Command, String& Substring) {
  Substring = String(Command) + u":" + Substring;
}

TEST(SearchAndReplace, ReplacesFromTheFirstMatchUpToTheCount) {
  TStringStream s("a-b-c-d");
  TMemoryStream out;
  EXPECT_EQ(SearchAndReplace(s, out, u"-", u"+", false, 2, 0, u"", nullptr), 2);
  EXPECT_EQ(Bytes(out), "a-b+c+d");
  s.SetPosition(0);
  out.Clear();
  EXPECT_EQ(SearchAndReplace(s, out, u"-", u"", false, 0, 2, u"", nullptr), 2);
  EXPECT_EQ(Bytes(out), "abc-d");
  s.SetPosition(2);
  out.Clear();
  EXPECT_EQ(SearchAndReplace(s, out, u"", u"x", false, 1, 0, u"", nullptr), 0);
  EXPECT_EQ(Bytes(out), "b-c-d");
  s.SetPosition(0);
  out.Clear();
  EXPECT_EQ(SearchAndReplace(s, out, u"--", u"x", false, 1, 0, u"", nullptr), 0);
  EXPECT_EQ(Bytes(out), "a-b-c-d");
}

TEST(SearchAndReplace, ResolvesModifiersAndAsksTheCallbackForUnknownOnes) {
  TStringStream s("Cat cat CAT");
  TMemoryStream out;
  EXPECT_EQ(
      SearchAndReplace(s, out, u"cat", u"<{lower}|{UPPER}|{}|{count}>", true, 1, 0, u"{}", nullptr),
      3);
  EXPECT_EQ(Bytes(out), "<cat|CAT|Cat|1> <cat|CAT|cat|2> <cat|CAT|CAT|3>");
  s.SetPosition(0);
  out.Clear();
  EXPECT_EQ(SearchAndReplace(s, out, u"cat", u"%x%%%{", false, 1, 0, u"%", Shout), 1);
  EXPECT_EQ(Bytes(out), "Cat x:catcat{ CAT");
  s.SetPosition(0);
  out.Clear();
  SearchAndReplace(s, out, u"CAT", u"[what]", false, 1, 0, u"[]", nullptr);
  EXPECT_EQ(Bytes(out), "Cat cat [what]");
}

TEST(SearchAndReplace, WorksInPlaceWhenSourceAndDestAreOneStream) {
  TStringStream s("keep: aXbXc");
  s.SetPosition(6);
  EXPECT_EQ(SearchAndReplace(s, s, u"x", u"--", true, 1, 0, u"", nullptr), 2);
  EXPECT_EQ(s.ByteString(), "keep: a--b--c");
  EXPECT_EQ(s.Position(), 13);
}

// ------------------------------------------------------------------------------------------------
// Randomized: the scanners, the line reader and ReadStreamUntil against plain models of their
// documented steps, on random input made mostly of the bytes they react to.

// Reads the byte at Pos and moves past it; -1 (and no move) at the end.
int NextOf(std::string_view In, size_t& Pos) {
  return Pos < In.size() ? static_cast<uint8_t>(In[Pos++]) : -1;
}

TScanned<int32_t> DecimalModel(std::string_view In) {
  size_t pos = 0;
  int b = 0;
  do {
    b = NextOf(In, pos);
  } while (b == ' ' || b == 10 || b == 13);
  const bool negative = b == '-';
  if (b == '-' || b == '+') b = NextOf(In, pos);
  int64_t value = 0;  // kept modulo 2^32, as signed 32-bit arithmetic would wrap
  for (; b >= '0' && b <= '9'; b = NextOf(In, pos)) value = (value * 10 + (b - '0')) % (1LL << 32);
  if (negative) value = -value;
  return {static_cast<int32_t>(static_cast<uint32_t>(value)), static_cast<int64_t>(pos)};
}

// The transition table of the floating-point scanner, one row per state and one letter per class
// (point, sign, white space, digit, 'E', other or end): L Lead, S Sign, I Int, P Point, F Frac,
// X Exp, Y ExpSign, D ExpDigit, d Done, f Fail, e Exp or Done as AllowExp says.
constexpr std::string_view kFPStates = "LSIPFXYD";
constexpr std::array<std::string_view, 8> kFPRows = {"PSLIff", "PffIff", "PddIed", "fddFed",
                                                     "fddFed", "fYfDff", "fffDff", "dddDdd"};

TScanned<double> FPModel(std::string_view In, bool AllowExp, int32_t DecPChar) {
  size_t pos = 0;
  char state = 'L';
  std::string text;
  std::string expDigits;
  while (state != 'd' && state != 'f') {
    int c = NextOf(In, pos);
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    int cls = 5;
    if ((c == '.' && (DecPChar == 1 || DecPChar == 3)) ||
        (c == ',' && (DecPChar == 2 || DecPChar == 3))) {
      cls = 0;
    } else if (c == '+' || c == '-') {
      cls = 1;
    } else if (c == 9 || c == 10 || c == 13 || c == 32) {
      cls = 2;
    } else if (c >= '0' && c <= '9') {
      cls = 3;
    } else if (c == 'E') {
      cls = 4;
    }
    const char from = state;
    state = kFPRows[kFPStates.find(from)][static_cast<size_t>(cls)];
    if (state == 'e') state = AllowExp ? 'X' : 'd';
    if (state == 'd' || state == 'f') break;
    if (state == 'D') {
      if (from != 'D') expDigits.clear();
      expDigits += static_cast<char>(c);
    }
    if (c == ',') c = '.';
    const size_t lead = std::min(expDigits.find_first_not_of('0'), expDigits.size());
    const std::string_view significant = std::string_view(expDigits).substr(lead);
    const bool withinLimit =
        significant.size() < 4 || (significant.size() == 4 && significant <= "4200");
    if (c > 32 && withinLimit) text += static_cast<char>(c);
  }
  double value = 0;
  if (state == 'd') {
    if (text.back() == '.') text += '0';
    value = std::strtod(text.c_str(), nullptr);
  }
  const auto limit = static_cast<double>(uc_MaxDouble);
  value = std::max(-limit, std::min(limit, value));
  return {value, static_cast<int64_t>(pos)};
}

TEST(ScannersRandomized, MatchTheirDocumentedSteps) {
  std::mt19937 rng(20240611);
  const std::string_view alphabet = "0123456789000111..,,+-eE \t\r\nx;";
  const std::string_view longExponents[] = {"4200", "4201", "04200", "42000", "999999999999", "0"};
  for (int i = 0; i < 30000; ++i) {
    std::string in = RandomBytes(rng, 14, alphabet);
    if (rng() % 4 == 0) in.insert(rng() % (in.size() + 1), longExponents[rng() % 6]);
    const bool allowExp = rng() % 4 != 0;
    const int32_t decPChar = static_cast<int32_t>(rng() % 5);
    const auto fp = FP(in, allowExp, decPChar);
    const auto fpModel = FPModel(in, allowExp, decPChar);
    ASSERT_EQ(std::bit_cast<uint64_t>(fp.Value), std::bit_cast<uint64_t>(fpModel.Value))
        << '"' << in << "\" " << allowExp << " " << decPChar << ": " << fp.Value << " vs "
        << fpModel.Value;
    ASSERT_EQ(fp.Position, fpModel.Position) << '"' << in << '"';
    const auto dec = Decimal(in);
    const auto decModel = DecimalModel(in);
    ASSERT_EQ(dec.Value, decModel.Value) << '"' << in << '"';
    ASSERT_EQ(dec.Position, decModel.Position) << '"' << in << '"';
  }
}

// The lines of successive ReadLnStream calls, one mode per call, by the documented steps.
std::vector<TLine> LinesModel(std::string_view In, const std::vector<int32_t>& Modes) {
  std::vector<TLine> lines;
  size_t pos = 0;
  for (const int32_t mode : Modes) {
    TLine line{u"", false};
    int prev = 0;
    for (;;) {
      const int b = NextOf(In, pos);
      if (b < 0) {
        line.End = true;
        break;
      }
      line.Text += static_cast<Char>(b);
      const bool ends =
          (mode == 0 && b == 10) || (mode == 1 && b == 13) || (mode == 2 && (b == 10 || b == 13)) ||
          (mode == 3 && b == 13 && prev == 10) || (mode == 4 && b == 10 && prev == 13);
      if (ends) {
        for (int k = 0;
             k < 2 && !line.Text.empty() && (line.Text.back() == 13 || line.Text.back() == 10);
             ++k) {
          line.Text.pop_back();
        }
        break;
      }
      prev = b;
    }
    lines.push_back(line);
  }
  return lines;
}

TEST(ReadLnStreamRandomized, MatchesTheDocumentedSteps) {
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) {
    const std::string in = RandomBytes(rng, 16, "ab\r\n\r\n");
    std::vector<int32_t> modes(rng() % 6 + 1);
    for (int32_t& m : modes) m = static_cast<int32_t>(rng() % 7) - 1;  // -1 .. 5
    TStringStream buffered(in);
    TPlainStream plain(in);
    std::vector<TLine> got;
    for (const int32_t mode : modes) {
      TLine a;
      TLine b;
      a.Text = ReadLnStream(buffered, a.End, mode);
      b.Text = ReadLnStream(plain, b.End, mode);
      ASSERT_EQ(a, b);
      got.push_back(a);
    }
    ASSERT_EQ(got, LinesModel(in, modes)) << ::testing::PrintToString(in);
    ASSERT_EQ(buffered.Position(), plain.Position());
  }
}

TEST(ReadStreamUntilRandomized, MatchesTheDocumentedSteps) {
  std::mt19937 rng(11);
  for (int i = 0; i < 3000; ++i) {
    const std::string in = RandomBytes(rng, 1200, "abcAB");
    const String search = BytesToString(RandomBytes(rng, 6, "abABz"));
    const String lowered = streams_detail::LowerAZ(search);
    // The steps: 256-byte blocks until a short one or until the lower-cased text holds the match.
    std::string collected;
    size_t p = std::string::npos;
    for (size_t at = 0;;) {
      const size_t n = std::min<size_t>(256, in.size() - at);
      collected.append(in, at, n);
      at += n;
      const String lower = streams_detail::LowerAZ(BytesToString(collected));
      p = search.empty() ? String::npos : lower.find(lowered);
      if (p != String::npos || n < 256) break;
    }
    TStringStream s(in);
    int32_t err = 7;
    const String got = ReadStreamUntil(s, search, err);
    if (p == String::npos) {
      ASSERT_EQ(err, -1);
      ASSERT_EQ(got, BytesToString(in));
      ASSERT_EQ(s.Position(), static_cast<int64_t>(in.size()));
    } else {
      ASSERT_EQ(err, 0);
      ASSERT_EQ(got, BytesToString(collected.substr(0, p + search.size())));
      ASSERT_EQ(s.Position(), static_cast<int64_t>(p + search.size()));
    }
  }
}

}  // namespace
}  // namespace xan
