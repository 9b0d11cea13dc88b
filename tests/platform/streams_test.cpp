// Streams: the memory and string streams, and the buffered file stream checked against a memory
// stream doing the same reads, writes, seeks and size changes.
#include "xan/platform/streams.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <random>

#include "temp_dir.h"
#include "test_host.h"

namespace xan {
namespace {

using testing::TempDirTest;

std::string ReadAll(TStream& S) {
  std::string out(static_cast<size_t>(S.Size()), '\0');
  S.SetPosition(0);
  S.ReadBuffer(out.data(), static_cast<int64_t>(out.size()));
  return out;
}

// ------------------------------------------------------------------------------------------------
// Memory and string streams

TEST(MemoryStream, ReadsWritesAndSeeks) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.Size(), 5);
  EXPECT_EQ(s.Seek(-2, soCurrent), 3);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "lo");
  EXPECT_EQ(s.Read(buf, 8), 0);
  EXPECT_EQ(s.Seek(0, soEnd), 5);
  EXPECT_EQ(s.Seek(1, soBeginning), 1);
}

TEST(MemoryStream, WritingBeyondTheEndFillsTheGapWithZeros) {
  TMemoryStream s;
  s.SetPosition(3);
  EXPECT_EQ(s.Read(nullptr, 0), 0);
  s.WriteBuffer("x", 1);
  ASSERT_EQ(s.Size(), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 4), std::string("\0\0\0x", 4));
}

TEST(MemoryStream, SeekBeforeTheStartRaisesAndKeepsThePosition) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  EXPECT_THROW(s.Seek(-4, soCurrent), EStreamError);
  EXPECT_THROW(s.SetPosition(-1), EStreamError);
  EXPECT_THROW(s.Seek(std::numeric_limits<int64_t>::max(), soCurrent), EStreamError);
  EXPECT_EQ(s.Position(), 3);
}

TEST(MemoryStream, ReadBufferConsumesWhatIsThereThenRaises) {
  TMemoryStream s;
  s.WriteBuffer("ab", 2);
  s.SetPosition(0);
  char buf[4] = {};
  EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
  EXPECT_EQ(std::string(buf, 2), "ab");
  EXPECT_EQ(s.Position(), 2);
  EXPECT_NO_THROW(s.ReadBuffer(buf, 0));
}

TEST(MemoryStream, SetSizeCutsExtendsAndClampsThePosition) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  s.SetSize(4);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(ReadAll(s), std::string("ab\0\0", 4));
  EXPECT_THROW(s.SetSize(-1), EStreamError);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, NextByteAndBufferedKeepThePositionExact) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.SetPosition(1);
  uint8_t b = 0;
  ASSERT_TRUE(s.NextByte(b));
  EXPECT_EQ(b, 'b');
  ASSERT_EQ(s.Buffered().size(), 4U);
  EXPECT_EQ(s.Buffered()[0], 'c');
  s.ConsumeBuffered(2);
  EXPECT_EQ(s.Position(), 4);
  // A write through the middle is seen by the next byte read.
  s.SetPosition(4);
  s.WriteBuffer("X", 1);
  s.SetPosition(4);
  ASSERT_TRUE(s.NextByte(b));
  EXPECT_EQ(b, 'X');
  ASSERT_TRUE(s.NextByte(b));
  EXPECT_FALSE(s.NextByte(b));
  EXPECT_EQ(b, 'f');
  EXPECT_EQ(s.Position(), 6);
}

TEST(MemoryStream, CopyFromTakesCountOrTheWholeSource) {
  TStringStream src("0123456789");
  src.SetPosition(8);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 10);
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(src, 3), 3);
  EXPECT_EQ(ReadAll(dst), "0123456789234");
  src.SetPosition(8);
  EXPECT_THROW(dst.CopyFrom(src, 5), EReadError);
}

TEST(StringStream, TextTravelsAsTheLowByteOfEachCharacter) {
  TStringStream s(u"A\u00e9\u20ac\u0141");
  EXPECT_EQ(s.ByteString(), "A\xe9\xac\x41");
  EXPECT_EQ(s.DataString(), u"A\u00e9\u00acA");
  EXPECT_EQ(s.Position(), 0);
  TStringStream raw(std::string_view("\x00\xff", 2));
  EXPECT_EQ(raw.DataString(), StringView(u"\u0000\u00ff", 2));
}

// ------------------------------------------------------------------------------------------------
// File stream

class FileStream : public TempDirTest {};

TEST_F(FileStream, OpenFailuresRaiseWithTheHostErrorNumber) {
  try {
    TFileStream s(Path("missing"), fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_NE(e.Message().find(u"missing"), String::npos);
  }
  try {
    TFileStream s(Path("no/such/dir"), fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  try {
    TFileStream s(Path(""), fmOpenRead);  // the directory itself
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.ErrorCode(), EISDIR);
  }
  WriteBytes("f", "x");
  EXPECT_THROW(TFileStream(Path("f"), fmOpenRead | 0x0003), EInOutError);
  EXPECT_THROW(TFileStream(Path("f"), fmOpenRead | 0x0050), EInOutError);
  EXPECT_THROW(TFileStream(String(u"a\0b", 3), fmCreate), EFCreateError);
}

TEST_F(FileStream, ModesCreateKeepAndProtectContent) {
  WriteBytes("f", "old content");
  {
    TFileStream s(Path("f"), fmOpenWrite | fmShareExclusive);
    s.WriteBuffer("NEW", 3);
  }
  EXPECT_EQ(ReadBytes("f"), "NEW content");
  {
    // Refused at once, not buffered and lost when the stream goes.
    TFileStream s(Path("f"), fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(s.Size(), 11);
    EXPECT_THROW(s.WriteBuffer("x", 1), EWriteError);
    EXPECT_EQ(s.Write("x", 1), 0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Size(), 11);
  }
  {
    TFileStream s(Path("f"), fmOpenWrite);
    char c = 0;
    EXPECT_THROW(s.Read(&c, 1), EInOutError);
  }
  { TFileStream s(Path("f"), fmCreate); }
  EXPECT_EQ(ReadBytes("f"), "");
}

TEST_F(FileStream, PositionsNearTheTopOfTheRangeReadNothingAndRefuseWrites) {
  TFileStream s(Path("f"), fmCreate);
  s.WriteBuffer("abc", 3);
  const int64_t top = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(s.Seek(top - 2, soBeginning), top - 2);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 0);
  uint8_t b = 0;
  EXPECT_FALSE(s.NextByte(b));
  EXPECT_THROW(s.WriteBuffer("12345", 5), EWriteError);
  EXPECT_EQ(s.Position(), top - 2);
  EXPECT_EQ(s.Size(), 3);
  s.SetPosition(0);
  EXPECT_EQ(s.Read(buf, 8), 3);
  EXPECT_EQ(std::string(buf, 3), "abc");
}

TEST_F(FileStream, PendingOutputReachesTheFileOnFlushAndOnDestruction) {
  TFileStream s(Path("f"), fmCreate);
  s.WriteBuffer("abc", 3);
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(ReadBytes("f"), "");  // still in the buffer
  s.Flush();
  EXPECT_EQ(ReadBytes("f"), "abc");
  s.WriteBuffer("de", 2);
  {
    TFileStream reader(Path("f"), fmOpenRead);
    EXPECT_EQ(reader.Size(), 3);
  }
  s.SetPosition(0);
  char buf[5] = {};
  s.ReadBuffer(buf, 5);  // reading writes what is pending first
  EXPECT_EQ(std::string(buf, 5), "abcde");
}

TEST(FileStreamErrors, AFullDeviceRaisesOnFlushAndOnLargeWrites) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
  TFileStream s(u"/dev/full", fmOpenWrite);
  s.WriteBuffer("abc", 3);  // buffered: the failure shows when it is written
  try {
    s.Flush();
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOSPC);
  }
  EXPECT_NO_THROW(s.Flush());  // the failed output is not written again
  const std::string big(TFileStream::BufferSize, 'x');
  EXPECT_THROW(s.WriteBuffer(big.data(), static_cast<int64_t>(big.size())), EInOutError);
  EXPECT_EQ(s.Position(), 3);
  s.WriteBuffer("d", 1);  // left pending: the destructor cannot report it and must not throw
}

TEST_F(FileStream, ByteReadsCrossBufferBoundariesExactly) {
  std::string data(3 * TFileStream::BufferSize + 17, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 256);
  WriteBytes("f", data);
  TFileStream s(Path("f"), fmOpenRead);
  std::string got;
  uint8_t b = 0;
  while (s.NextByte(b)) {
    got += static_cast<char>(b);
    if (got.size() % 40000 == 0) {
      EXPECT_EQ(s.Position(), static_cast<int64_t>(got.size()));
    }
  }
  EXPECT_EQ(got, data);
  EXPECT_EQ(s.Position(), static_cast<int64_t>(data.size()));
  // Back into the middle of an earlier buffer, then a read larger than the buffer.
  s.SetPosition(10);
  ASSERT_TRUE(s.NextByte(b));
  EXPECT_EQ(b, static_cast<uint8_t>(data[10]));
  std::string big(2 * TFileStream::BufferSize, '\0');
  EXPECT_EQ(s.Read(big.data(), static_cast<int64_t>(big.size())), static_cast<int64_t>(big.size()));
  EXPECT_EQ(big, data.substr(11, big.size()));
}

// Runs the same random sequence of operations on a file stream and a memory stream and compares
// every result, then the file's bytes.
TEST_F(FileStream, MixedOperationsMatchAMemoryStream) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    const std::string name = "mixed" + std::to_string(seed);
    TMemoryStream mem;
    {
      TFileStream file(Path(name), fmCreate);
      auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
      // Sizes around the buffer size reach both the buffered and the direct paths.
      const int64_t sizes[] = {1, 3, 100, 4096, 65535, 65536, 70000, 200000};
      std::string chunk;
      for (int step = 0; step < 400; ++step) {
        const int op = pick(9);
        if (op <= 2) {
          const int64_t n = sizes[pick(8)];
          chunk.resize(static_cast<size_t>(n));
          const auto fill = static_cast<size_t>(rng());
          for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(fill + i * 31);
          file.WriteBuffer(chunk.data(), n);
          mem.WriteBuffer(chunk.data(), n);
        } else if (op <= 4) {
          const int64_t n = sizes[pick(8)];
          std::string a(static_cast<size_t>(n), '\0');
          std::string b(static_cast<size_t>(n), '\0');
          ASSERT_EQ(file.Read(a.data(), n), mem.Read(b.data(), n)) << seed << " " << step;
          ASSERT_EQ(a, b);
        } else if (op == 5) {
          for (int i = pick(300); i > 0; --i) {
            uint8_t x = 0;
            uint8_t y = 0;
            ASSERT_EQ(file.NextByte(x), mem.NextByte(y));
            ASSERT_EQ(x, y);
          }
        } else if (op == 6) {
          const int64_t size = mem.Size();
          const int64_t target = pick(static_cast<int>(size + 2000));
          ASSERT_EQ(file.Seek(target, soBeginning), mem.Seek(target, soBeginning));
        } else if (op == 7) {
          const int64_t delta = pick(4000) - 2000;
          if (mem.Position() + delta >= 0) {
            ASSERT_EQ(file.Seek(delta, soCurrent), mem.Seek(delta, soCurrent));
          }
        } else if (pick(4) == 0) {
          const int64_t size = pick(static_cast<int>(mem.Size() + 1000));
          file.SetSize(size);
          mem.SetSize(size);
        }
        ASSERT_EQ(file.Position(), mem.Position()) << seed << " " << step;
        ASSERT_EQ(file.Size(), mem.Size()) << seed << " " << step;
      }
    }
    const auto bytes = mem.Bytes();
    ASSERT_EQ(ReadBytes(name), std::string(bytes.begin(), bytes.end())) << seed;
  }
}

// On Windows the share part of a mode binds other openers: each pair of (first stream's share,
// second stream's access) is allowed exactly when the share says so.
TEST_F(FileStream, ShareModesBindOtherOpeners_Windows) {
  XAN_ONLY_ON_WINDOWS();
  WriteBytes("f", "content");
  struct TCase {
    uint16_t Share;
    bool OthersRead, OthersWrite;
  };
  for (const TCase c : {TCase{fmShareDenyNone, true, true}, TCase{fmShareCompat, true, true},
                        TCase{fmShareDenyWrite, true, false}, TCase{fmShareDenyRead, false, true},
                        TCase{fmShareExclusive, false, false}}) {
    TFileStream first(Path("f"), fmOpenReadWrite | c.Share);
    const auto opens = [&](uint16_t Access) {
      try {
        TFileStream second(Path("f"), Access | fmShareDenyNone);
        return true;
      } catch (const EFOpenError& e) {
        EXPECT_NE(e.ErrorCode(), 0);
        return false;
      }
    };
    EXPECT_EQ(opens(fmOpenRead), c.OthersRead) << c.Share;
    EXPECT_EQ(opens(fmOpenWrite), c.OthersWrite) << c.Share;
  }
}

}  // namespace
}  // namespace xan
