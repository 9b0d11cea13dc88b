// The open text file: line ends on reading and writing, characters, the integer reader, end of
// file, rewinding, appending, the ANSI code page and the errors of each mode.
#include "xan/platform/textfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <random>
#include <vector>

#include "temp_dir.h"

namespace xan {
namespace {

class TextFile : public testing::TempDirTest {
 protected:
  // Opens a file holding Bytes for reading.
  TTextFile Reader(std::string_view Bytes) {
    WriteBytes("in.txt", Bytes);
    return TTextFile(Path("in.txt"), tfmRead);
  }
};

int32_t ErrorCodeOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EInOutError& e) {
    return e.ErrorCode();
  }
  return 0;
}

TEST_F(TextFile, WritesLinesWithCrLfInTheAnsiCodePage) {
  TTextFile f(Path("out.txt"), tfmRewrite);
  f.WriteLn(u"caf\u00e9 \u20ac");
  f.Write(u"no end \u4e00");
  f.Close();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(ReadBytes("out.txt"), "caf\xe9 \x80\r\nno end ?");
}

TEST_F(TextFile, ReadLnTakesCrLfLfAndLoneCrAsLineEnds) {
  TTextFile f = Reader("a\r\nb\nc\rd\r\r\ne\x80");
  EXPECT_EQ(f.ReadLn(), u"a");
  EXPECT_EQ(f.ReadLn(), u"b");
  EXPECT_EQ(f.ReadLn(), u"c");
  EXPECT_EQ(f.ReadLn(), u"d");
  EXPECT_EQ(f.ReadLn(), u"");
  EXPECT_FALSE(f.Eof());
  EXPECT_EQ(f.ReadLn(), u"e\u20ac");
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.ReadLn(), u"");
}

TEST_F(TextFile, LinesLongerThanTheBufferAndPairsSplitByItComeWhole) {
  std::string line(TFileStream::BufferSize - 1, 'x');
  // The CR is the last byte of the first buffer, its LF the first of the next.
  TTextFile f = Reader(line + "\r\n" + line + line + "\nend");
  EXPECT_EQ(f.ReadLn().size(), line.size());
  EXPECT_EQ(f.ReadLn().size(), 2 * line.size());
  EXPECT_EQ(f.ReadLn(), u"end");
  EXPECT_TRUE(f.Eof());
}

// Many lines of random lengths and line ends across several buffers: the text form, the
// buffer-reusing form and the byte view all give the lines as written.
TEST_F(TextFile, EveryReadLnFormAgreesAcrossBufferBoundaries) {
  std::mt19937 rng(11);
  std::vector<std::string> lines;
  std::string bytes;
  const char* ends[] = {"\r\n", "\n", "\r"};
  while (bytes.size() < 3 * TFileStream::BufferSize) {
    // Letters, and now and then a byte next to the line ends in value or in its low bits.
    static constexpr char kOdd[] = {'\x8a', '\x8d', '\x0b', '\x0c', '\x09', '\x00', '\xff', '\x9f'};
    std::string line(rng() % 40, 'a');
    for (char& c : line) {
      c = rng() % 8 == 0 ? kOdd[rng() % 8] : static_cast<char>('a' + rng() % 26);
    }
    const char* end = ends[rng() % 3];
    // A lone CR, an empty line and its LF would read as one CR LF pair.
    if (line.empty() && !bytes.empty() && bytes.back() == '\r') end = ends[2];
    lines.push_back(line);
    bytes += line + end;
  }
  TTextFile text = Reader(bytes);
  TTextFile reuse = Reader(bytes);
  TTextFile view = Reader(bytes);
  String reused;
  for (const std::string& line : lines) {
    ASSERT_EQ(text.ReadLn(), AnsiToString(line));
    reuse.ReadLn(reused);
    ASSERT_EQ(reused, AnsiToString(line));
    ASSERT_EQ(view.ReadLnBytes(), line);
  }
  EXPECT_TRUE(text.Eof() && reuse.Eof() && view.Eof());
}

TEST_F(TextFile, BytesLeftCountsFromTheReadPosition) {
  TTextFile f = Reader("ab\r\ncd");
  EXPECT_EQ(f.BytesLeft(), 6);
  f.ReadLn();
  EXPECT_EQ(f.BytesLeft(), 2);
  f.ReadLn();
  EXPECT_EQ(f.BytesLeft(), 0);
  TTextFile w(Path("out.txt"), tfmRewrite);
  w.Write(u"xyz");
  EXPECT_EQ(w.BytesLeft(), 0);
}

TEST_F(TextFile, ReadCharSeesLineEndsAndStopsAtTheEnd) {
  TTextFile f = Reader("a\r\n\xe9");
  Char c = 0;
  String got;
  while (f.ReadChar(c)) got += c;
  EXPECT_EQ(got, u"a\r\n\u00e9");
  c = u'z';
  EXPECT_FALSE(f.ReadChar(c));
  EXPECT_EQ(c, u'z');
  EXPECT_FALSE(f.PeekChar(c));
}

TEST_F(TextFile, ReadIntegerSkipsWhiteSpaceAndRejectsOtherText) {
  TTextFile f = Reader("  42 x\r\n\t-7\r\n+5\n12ab 2147483647 -2147483648 2147483648 -");
  EXPECT_EQ(f.ReadInteger(), 42);
  Char c = 0;
  ASSERT_TRUE(f.PeekChar(c));
  EXPECT_EQ(c, u' ');  // the character after the number is not consumed
  EXPECT_EQ(ErrorCodeOf([&] { f.ReadInteger(); }), ioInvalidNumber);  // "x"
  EXPECT_EQ(f.ReadInteger(), -7);
  EXPECT_EQ(f.ReadInteger(), 5);
  EXPECT_EQ(ErrorCodeOf([&] { f.ReadInteger(); }), ioInvalidNumber);  // "12ab"
  EXPECT_EQ(f.ReadInteger(), 2147483647);
  EXPECT_EQ(f.ReadInteger(), -2147483647 - 1);
  EXPECT_EQ(ErrorCodeOf([&] { f.ReadInteger(); }), ioInvalidNumber);  // out of range
  EXPECT_EQ(ErrorCodeOf([&] { f.ReadInteger(); }), ioInvalidNumber);  // a sign alone
  EXPECT_EQ(ErrorCodeOf([&] { f.ReadInteger(); }), ioReadPastEnd);
}

TEST_F(TextFile, ReadIntegerThenReadLnSkipsTheRestOfTheLine) {
  TTextFile f = Reader("2 5 rest\r\nnext\r\n");
  EXPECT_EQ(f.ReadInteger(), 2);
  EXPECT_EQ(f.ReadInteger(), 5);
  EXPECT_EQ(f.ReadLn(), u" rest");
  EXPECT_EQ(f.ReadLn(), u"next");
}

TEST_F(TextFile, RewindStartsAgainAndReopensAWrittenFileForReading) {
  TTextFile f(Path("t.txt"), tfmRewrite);
  f.WriteLn(u"one");
  EXPECT_TRUE(f.Eof());
  f.Rewind();
  EXPECT_EQ(f.Mode(), tfmRead);
  EXPECT_EQ(f.ReadLn(), u"one");
  EXPECT_TRUE(f.Eof());
  f.Rewind();
  EXPECT_EQ(f.ReadLn(), u"one");
}

TEST_F(TextFile, AppendWritesAfterTheEndAndNeedsAnExistingFile) {
  WriteBytes("a.txt", "first\r\n");
  {
    TTextFile f(Path("a.txt"), tfmAppend);
    f.WriteLn(u"second");
  }
  EXPECT_EQ(ReadBytes("a.txt"), "first\r\nsecond\r\n");
  try {
    TTextFile f(Path("missing.txt"), tfmAppend);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
}

TEST_F(TextFile, OperationsOfTheWrongModeRaise) {
  TTextFile closed;
  EXPECT_EQ(ErrorCodeOf([&] { closed.ReadLn(); }), ioFileNotOpen);
  EXPECT_EQ(ErrorCodeOf([&] { closed.WriteLn(u"x"); }), ioFileNotOpen);
  EXPECT_EQ(ErrorCodeOf([&] { closed.Eof(); }), ioFileNotOpen);
  EXPECT_NO_THROW(closed.Close());
  TTextFile r = Reader("x");
  EXPECT_EQ(ErrorCodeOf([&] { r.WriteLn(u"x"); }), ioNotOpenForOutput);
  TTextFile w(Path("w.txt"), tfmRewrite);
  EXPECT_EQ(ErrorCodeOf([&] { w.ReadLn(); }), ioNotOpenForInput);
  Char c = 0;
  EXPECT_EQ(ErrorCodeOf([&] { w.ReadChar(c); }), ioNotOpenForInput);
}

TEST_F(TextFile, OpeningAnotherFileClosesTheFirst) {
  TTextFile f(Path("1.txt"), tfmRewrite);
  f.Write(u"one");
  f.Open(Path("2.txt"), tfmRewrite);
  EXPECT_EQ(ReadBytes("1.txt"), "one");
  TTextFile moved = std::move(f);
  moved.Write(u"two");
  moved.Close();
  EXPECT_EQ(ReadBytes("2.txt"), "two");
}

}  // namespace
}  // namespace xan

namespace xan {
namespace {

TEST_F(TextFile, Utf8FilesReadAndWriteWholeCharacters) {
  WriteBytes("u.txt", "\xEF\xBB\xBFZ\xC3\xBCrich \xF0\x9F\x98\x80\r\nx");
  TTextFile f(Path("u.txt"), tfmRead, teUtf8);
  EXPECT_EQ(f.ReadLn(), u"Z\u00FCrich \U0001F600");
  f.Rewind();
  String chars;
  for (Char c; f.ReadChar(c);) chars += c;
  EXPECT_EQ(chars, u"Z\u00FCrich \U0001F600\r\nx") << "the mark is skipped after Rewind too";
  f.Rewind();
  Char c = 0;
  for (int i = 0; i < 7; ++i) f.ReadChar(c);
  ASSERT_TRUE(f.ReadChar(c));
  EXPECT_EQ(c, u'\xD83D');
  ASSERT_TRUE(f.PeekChar(c));
  EXPECT_EQ(c, u'\xDE00');
  EXPECT_FALSE(f.Eof());
  EXPECT_EQ(f.ReadLn(), u"\xDE00") << "the second half stays with the line";
  EXPECT_EQ(f.ReadLn(), u"x");
  TTextFile ansi(Path("u.txt"), tfmRead);
  EXPECT_EQ(ansi.ReadLn(), u"\u00EF\u00BB\u00BFZ\u00C3\u00BCrich \u00F0\u0178\u02DC\u20AC");

  TTextFile out(Path("w.txt"), tfmRewrite, teUtf8);
  out.WriteLn(u"Z\u00FCrich");
  out.Write(String(1, u'\xD800') + u"\U0001F600");
  out.Close();
  EXPECT_EQ(ReadBytes("w.txt"), "Z\xC3\xBCrich\r\n\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

// Invalid UTF-8 reads as U+FFFD, the same whether taken character by character or by lines.
TEST_F(TextFile, Utf8ReadCharAgreesWithReadLnOnAnyBytes) {
  std::mt19937 rng(11);
  const std::string alphabet = "a\x80\xBF\xC0\xC2\xC3\xDF\xE0\xE2\xED\xEF\xF0\xF4\xF5\x9F\xA0";
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 40, 'a');
    for (char& b : bytes) b = alphabet[rng() % alphabet.size()];
    WriteBytes("r.txt", bytes);
    TTextFile lines(Path("r.txt"), tfmRead, teUtf8);
    const String line = lines.ReadLn();
    EXPECT_EQ(line, FromUtf8(bytes));
    TTextFile chars(Path("r.txt"), tfmRead, teUtf8);
    String read;
    for (Char c; chars.ReadChar(c);) read += c;
    ASSERT_EQ(read, line) << ::testing::PrintToString(bytes);
  }
}

// ------------------------------------------------------------------------------------------------
// Output held by the text file until it makes a block, a Flush or a Close

TEST_F(TextFile, EveryCharacterIsWrittenAsTheCodePageConvertsIt) {
  // All 65 536 code units, in a line of their own each and all in one text: the bytes are what
  // the platform's ANSI conversion gives, in a file that crosses many output blocks.
  String all;
  std::string expected;
  {
    TTextFile f(Path("all.txt"), tfmRewrite);
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
      const String one(1, static_cast<Char>(c));
      f.WriteLn(one);
      all += one;
      expected += StringToAnsi(one) + "\r\n";
    }
    f.Write(all);
    expected += StringToAnsi(all);
  }
  ASSERT_TRUE(ReadBytes("all.txt") == expected);
}

TEST_F(TextFile, MixedWritesCrossingBlocksKeepTheirOrder) {
  // Texts from empty to several output blocks long, with and without line ends, in both
  // encodings, compared with the same texts converted one by one.
  for (const TTextEncoding encoding : {teAnsi, teUtf8}) {
    std::mt19937 rng(encoding == teAnsi ? 1 : 2);
    std::string expected;
    {
      TTextFile f(Path("mix.txt"), tfmRewrite, encoding);
      for (int k = 0; k < 400; ++k) {
        const size_t n = rng() % 8 == 0 ? rng() % (5 * TFileStream::BufferSize) : rng() % 90;
        String text(n, u'a');
        for (Char& c : text) {
          const unsigned r = rng() % 20;
          c = r == 0 ? u'\u00e9' : r == 1 ? u'\u20ac' : r == 2 ? u'\u4e00' : Char(u'a' + r);
        }
        const std::string bytes = encoding == teAnsi ? StringToAnsi(text) : ToUtf8(text);
        if (rng() % 2 == 0) {
          f.WriteLn(text);
          expected += bytes + "\r\n";
        } else {
          f.Write(text);
          expected += bytes;
        }
      }
    }
    ASSERT_TRUE(ReadBytes("mix.txt") == expected) << encoding;
  }
}

TEST_F(TextFile, PendingOutputReachesTheFileAtFlushCloseRewindAndAfterAMove) {
  TTextFile f(Path("p.txt"), tfmRewrite);
  f.WriteLn(u"one");
  f.Flush();
  EXPECT_EQ(ReadBytes("p.txt"), "one\r\n") << "Flush hands it on";
  f.Write(u"two");
  TTextFile g(Path("q.txt"), tfmRewrite);
  g.Write(u"first");
  g = std::move(f);  // closes q.txt, takes over p.txt with what is pending for it
  EXPECT_EQ(ReadBytes("q.txt"), "first");
  g.WriteLn();
  g.Rewind();
  EXPECT_EQ(g.ReadLn(), u"one");
  EXPECT_EQ(g.ReadLn(), u"two");
  EXPECT_TRUE(g.Eof());
  TTextFile h(Path("r.txt"), tfmRewrite);
  h.Write(u"kept");
  TTextFile i = std::move(h);
  i.Close();
  EXPECT_EQ(ReadBytes("r.txt"), "kept");
}

TEST_F(TextFile, AFailedWriteRaisesOnceAndCloseStillCloses) {
  // Every write to /dev/full fails with "no space left on device".
  std::error_code ec;
  if (!std::filesystem::is_character_file("/dev/full", ec)) GTEST_SKIP() << "no /dev/full";
  try {
    TTextFile probe(u"/dev/full", tfmRewrite);
  } catch (const EInOutError& e) {
    GTEST_SKIP() << "/dev/full cannot be opened for writing: " << e.what();
  }
  {
    TTextFile f(u"/dev/full", tfmRewrite);
    f.WriteLn(u"held until the block is full");
    EXPECT_EQ(ErrorCodeOf([&] { f.Close(); }), ENOSPC);
    EXPECT_FALSE(f.IsOpen());
  }
  TTextFile f(u"/dev/full", tfmRewrite);
  const String line(1000, u'x');
  int32_t code = 0;
  int lines = 0;
  while (code == 0 && lines < 1000) {
    code = ErrorCodeOf([&] { f.WriteLn(line); });
    ++lines;
  }
  EXPECT_EQ(code, ENOSPC);
  EXPECT_LE(static_cast<size_t>(lines) * 1002, 2 * TFileStream::BufferSize)
      << "raised once a block was handed on";
  EXPECT_EQ(ErrorCodeOf([&] { f.Flush(); }), 0) << "the refused bytes were dropped";
  EXPECT_EQ(ErrorCodeOf([&] { f.Close(); }), 0);
}

}  // namespace
}  // namespace xan
