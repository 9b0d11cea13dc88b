// The mixed file stream: the bytes of a mixed file and reading them back, line reading in every
// mode, control bytes, reads that hit the end, and the scanners on a file.
#include "xan/streams/mixed_fstream.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <memory>

#include "../platform/temp_dir.h"
#include "xan/streams/primitives.h"

namespace xan {
namespace {

class MixedFStream : public testing::TempDirTest {
 protected:
  // A stream over a new file that holds Bytes, open for reading. Each call has a file of its
  // own: the streams deny writing to others, and Windows holds them to that.
  std::unique_ptr<TMixedFStream> Over(std::string_view Bytes) {
    FLast = "in" + std::to_string(++FFiles) + ".bin";
    WriteBytes(FLast, Bytes);
    return std::make_unique<TMixedFStream>(Path(FLast), fmOpenRead | fmShareDenyWrite);
  }
  int FFiles = 0;
  std::string FLast;  // the file of the last Over
};

TEST_F(MixedFStream, WritesTheDocumentedBytesAndReadsThemBack) {
  {
    TMixedFStream f(Path("m.bin"), fmCreate);
    f.WriteLn(u"X=1");
    f.WriteInteger(-2);
    f.WriteDouble(0.5);
    f.WriteByte(255);
  }
  EXPECT_EQ(ReadBytes("m.bin"), std::string("X=1\r\n\xfe\xff\xff\xff\0\0\0\0\0\0\xe0\x3f\xff", 18));
  TMixedFStream f(Path("m.bin"), fmOpenRead);
  bool error = true;
  EXPECT_FALSE(f.Eos());
  EXPECT_EQ(f.ReadLn(4), u"X=1");
  EXPECT_EQ(f.ReadInteger(error), -2);
  EXPECT_FALSE(error);
  EXPECT_EQ(f.ReadDouble(error), 0.5);
  EXPECT_FALSE(error);
  EXPECT_EQ(f.ReadByte(error), 255);
  EXPECT_FALSE(error);
  EXPECT_TRUE(f.Eos());
  EXPECT_EQ(f.ReadByte(error), 0);
  EXPECT_TRUE(error);
}

TEST_F(MixedFStream, WriteTakesTheLowByteAndAddsNothing) {
  {
    TMixedFStream f(Path("t.bin"), fmCreate);
    f.Write(u"\u00c4\u20ac");
    f.Write(u"");
    f.Write(String(5000, u'z'));
  }
  const std::string bytes = ReadBytes("t.bin");
  ASSERT_EQ(bytes.size(), 5002U);
  EXPECT_EQ(bytes.substr(0, 3), "\xc4\xacz");
}

TEST_F(MixedFStream, ReadLnEndsAtEachModesLineEndAndNeverKeepsControlBytes) {
  const std::string text = "ab\r\ncd";
  auto lines = [&](int32_t mode) {
    auto f = Over(text);
    std::vector<String> out;
    while (!f->Eos()) out.push_back(f->ReadLn(mode));
    return out;
  };
  EXPECT_EQ(lines(0), (std::vector<String>{u"ab", u"cd"}));
  EXPECT_EQ(lines(1), (std::vector<String>{u"ab", u"cd"}));
  EXPECT_EQ(lines(2), (std::vector<String>{u"ab", u"", u"cd"}));
  EXPECT_EQ(lines(3), (std::vector<String>{u"abcd"}));
  EXPECT_EQ(lines(4), (std::vector<String>{u"ab", u"cd"}));
  EXPECT_EQ(lines(9), (std::vector<String>{u"abcd"}));
  auto g = Over(std::string("a\f\0\tb\xe9\n\r\nc\r\n", 12));
  EXPECT_EQ(g->ReadLn(3), u"a\tb\u00e9");  // the LF CR pair ends it
  EXPECT_EQ(g->ReadLn(3), u"c");           // the lone CR LF does not
  EXPECT_TRUE(g->Eos());
  EXPECT_EQ(g->ReadLn(0), u"");
}

TEST_F(MixedFStream, TypedReadsAtTheEndSetTheFlagAndConsumeWhatIsLeft) {
  auto f = Over("\x01\x02\x03");
  bool error = false;
  EXPECT_EQ(f->ReadInteger(error), 0x030201);
  EXPECT_TRUE(error);
  EXPECT_TRUE(f->Eos());
  auto g = Over(std::string("\0\0\0\0\0\0\0\x80\xff\x3f\x07", 11));
  EXPECT_EQ(g->ReadExtended(error), 1.0L);
  EXPECT_FALSE(error);
  EXPECT_EQ(g->ReadDouble(error), std::bit_cast<double>(uint64_t{7}));
  EXPECT_TRUE(error);
}

TEST_F(MixedFStream, ScannersReadNumbersWrittenAsText) {
  auto f = Over(" 12 34\r\n-1.5e2;7,5");
  EXPECT_EQ(f->ReadDecimal(), 12);
  EXPECT_EQ(f->ReadDecimal(), 34);
  EXPECT_EQ(f->ReadFPNum(true, 1), -150);
  EXPECT_EQ(f->ReadFPNum(true, 2), 7.5);
  EXPECT_TRUE(f->Eos());
  EXPECT_EQ(f->ReadDecimal(), 0);
  EXPECT_EQ(f->ReadFPNum(true, 1), 0);
}

TEST_F(MixedFStream, TextAndBinaryMixInOneFileWithSeeks) {
  TMixedFStream f(Path("mix.bin"), fmCreate);
  f.WriteLn(u"header");
  const int64_t start = f.Position();
  for (int32_t i = 0; i < 20000; ++i) f.WriteInteger(i * 3);
  f.WriteLn(u"trailer");
  f.SetPosition(start + 4 * 19999);
  bool error = true;
  EXPECT_EQ(f.ReadInteger(error), 59997);
  EXPECT_EQ(f.ReadLn(0), u"trailer");
  EXPECT_TRUE(f.Eos());
  f.SetPosition(start + 4);
  f.WriteInteger(-5);
  f.SetPosition(0);
  EXPECT_EQ(f.ReadLn(0), u"header");
  EXPECT_EQ(f.ReadInteger(error), 0);
  EXPECT_EQ(f.ReadInteger(error), -5);
  EXPECT_FALSE(error);
}

TEST_F(MixedFStream, WritesToAFileOpenForReadingRaiseTheWriteError) {
  {
    auto f = Over("keep");
    EXPECT_THROW(f->WriteLn(u"x"), EWriteError);
    EXPECT_THROW(f->WriteInteger(1), EWriteError);
    EXPECT_THROW(f->WriteByte(1), EWriteError);
    EXPECT_EQ(f->ReadLn(0), u"keep");
  }
  EXPECT_EQ(ReadBytes(FLast), "keep");
}

TEST_F(MixedFStream, CreateFailsLikeTheFileStream) {
  try {
    TMixedFStream f(Path("missing.bin"), fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  EXPECT_THROW(TMixedFStream(Path("no/dir/x.bin"), fmCreate), EFCreateError);
}

}  // namespace
}  // namespace xan
