// Text-file utilities on real files in a temporary directory: appending, line-end repair, words,
// last lines, line counts, encodings, the ASC header in both forms, searching, missing files.
#include "xan/filesys/textfiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "test_host.h"
#include "xan/platform/streams.h"

namespace xan {
namespace {

using namespace std::string_literals;

class TextFilesTest : public testing::TempDirTest {};

// The lines of 8-bit text as the readers should see them: CR LF, LF and a lone CR each end one.
std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      lines.push_back(cur);
      cur.clear();
    } else {
      cur += bytes[i];
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

// Random text with every kind of line end, NUL bytes and bytes above 127.
std::string RandomText(std::mt19937& rng, size_t length) {
  static constexpr char kPool[] = "ab \t\r\n\r\n\0\xe9z";
  std::string s(length, ' ');
  for (char& c : s) c = kPool[rng() % (sizeof kPool - 1)];
  return s;
}

String Latin1(const std::string& bytes) {
  String s;
  for (char c : bytes) s += static_cast<Char>(static_cast<uint8_t>(c));
  return s;
}

// =================================================================================================
// Writing

TEST_F(TextFilesTest, AppendCreatesThenAppends) {
  const String name = Path("log.txt");
  AppendToTextFile(name, u"first");
  AppendToTextFile(name, TStringList{u"second", u"", u"caf\u00e9 \u20ac \u4e00"});
  AppendToTextFile(name, TStringList{});
  AppendToTextFile(name, String(u"nul") + Char(0) + u"x");
  EXPECT_EQ(ReadBytes("log.txt"), "first\r\nsecond\r\n\r\ncaf\xe9 \x80 ?\r\nnul\0x\r\n"s);
  AppendToTextFile(Path("empty.txt"), TStringList{});
  EXPECT_TRUE(std::filesystem::exists(HostPath("empty.txt")));
  EXPECT_EQ(ReadBytes("empty.txt"), "");
  // A directory can neither be appended to nor created.
  EXPECT_THROW(AppendToTextFile(Path(""), u"x"), EFCreateError);
}

TEST_F(TextFilesTest, AppendNeverReplacesAFileItCannotOpen) {
  WriteBytes("ro.txt", "keep\r\n");
  std::filesystem::permissions(HostPath("ro.txt"), std::filesystem::perms::owner_read);
  if (test::HostMayWrite(HostPath("ro.txt"))) {
    GTEST_SKIP() << "permissions do not apply to this user (root)";
  }
  if (std::ofstream(HostPath("ro.txt"), std::ios::app | std::ios::binary).is_open()) {
    // Wine keeps the read-only attribute as the Unix mode, which does not stop root.
    GTEST_SKIP() << (test::RunningUnderWine()
                         ? "Wine run by root: the read-only attribute does not stop writing"
                         : "this host lets this user write a read-only file");
  }
  EXPECT_THROW(AppendToTextFile(Path("ro.txt"), u"x"), EFOpenError);
  EXPECT_EQ(ReadBytes("ro.txt"), "keep\r\n");
}

// EnsureCRLFInFile as the rule reads: one character at a time.
std::string CRLFModel(const std::string& in) {
  std::string out;
  for (size_t i = 0; i < in.size();) {
    const char c = in[i++];
    out += c;
    if (c != '\r') continue;
    const char next = i < in.size() ? in[i++] : '\n';
    if (next != '\n') out += '\n';
    out += next;
  }
  return out;
}

TEST_F(TextFilesTest, EnsureCRLFGivesEveryCRItsLF) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\rb", "a\r\nb"},       {"a\r", "a\r\n"},           {"a\r\rb", "a\r\n\rb"},
      {"a\nb", "a\nb"},         {"a\r\nb", "a\r\nb"},       {"", ""},
      {"\r", "\r\n"},           {"\r\r", "\r\n\r"},         {"\r\r\r", "\r\n\r\r\n"},
      {"\0\r\0"s, "\0\r\n\0"s}, {"\n\r\n\r", "\n\r\n\r\n"},
  };
  for (const auto& [in, out] : cases) {
    WriteBytes("in.txt", in);
    EnsureCRLFInFile(Path("in.txt"), Path("out.txt"));
    EXPECT_EQ(ReadBytes("out.txt"), out) << ::testing::PrintToString(in);
    EXPECT_EQ(CRLFModel(in), out);
  }
  // Large inputs cross the block boundaries with a CR on either side of them.
  std::mt19937 rng(7);
  for (const size_t size : {size_t{262143}, size_t{262144}, size_t{262145}, size_t{700001}}) {
    std::string in = RandomText(rng, size);
    for (size_t at : {size_t{262143}, size_t{262144}, size_t{524287}}) {
      if (at < in.size()) in[at] = '\r';
    }
    WriteBytes("big.txt", in);
    EnsureCRLFInFile(Path("big.txt"), Path("big.out"));
    EXPECT_EQ(ReadBytes("big.out"), CRLFModel(in)) << size;
    // The same name for input and output repairs the file in place.
    EnsureCRLFInFile(Path("big.txt"), Path("./big.txt"));
    EXPECT_EQ(ReadBytes("big.txt"), CRLFModel(in)) << size;
  }
}

TEST_F(TextFilesTest, EnsureCRLFWithAMissingInputCreatesNothing) {
  try {
    EnsureCRLFInFile(Path("missing.txt"), Path("out.txt"));
    FAIL() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_NE(e.Message().find(Path("missing.txt")), String::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(HostPath("out.txt")));
  WriteBytes("in.txt", "a\rb");
  EXPECT_THROW(EnsureCRLFInFile(Path("in.txt"), Path("no/such/dir.txt")), EFCreateError);
}

// =================================================================================================
// Reading open text files

TEST_F(TextFilesTest, WordsAreSeparatedByControlCharacters) {
  WriteBytes("w.txt", "  alpha beta\r\n\tgamma\rdelta\x01\x1f\xe9t\xe9\0x\nlast"s);
  TTextFile f(Path("w.txt"), tfmRead);
  std::vector<String> words;
  for (String w = ReadNextWordInTextFile(f); !w.empty(); w = ReadNextWordInTextFile(f)) {
    words.push_back(w);
  }
  EXPECT_EQ(words, (std::vector<String>{u"alpha", u"beta", u"gamma", u"delta", u"\u00e9t\u00e9",
                                        u"x", u"last"}));
  EXPECT_EQ(ReadNextWordInTextFile(f), u"");
  // The separator after a word is consumed: the next character read is the one after it.
  WriteBytes("w2.txt", "ab  cd");
  TTextFile g(Path("w2.txt"), tfmRead);
  EXPECT_EQ(ReadNextWordInTextFile(g), u"ab");
  Char c = 0;
  ASSERT_TRUE(g.ReadChar(c));
  EXPECT_EQ(c, u' ');
}

TEST_F(TextFilesTest, LastNLinesOldestFirst) {
  const struct {
    std::string text;
    int32_t n;
    std::vector<String> lines;
    int32_t count;
  } cases[] = {
      {"a\r\nb\r\n", 3, {u"", u"a", u"b"}, 2},
      {"a\nb\nc\nd\ne\n", 3, {u"c", u"d", u"e"}, 5},
      {"a\rb\nc\r\nd\re", 2, {u"d", u"e"}, 5},
      {"a\nb\nc", 1, {u"c"}, 3},
      {"a\nb\nc", 3, {u"a", u"b", u"c"}, 3},
      {"", 2, {u"", u""}, 0},
      {"\n\n", 3, {u"", u"", u""}, 2},
      {"a\0b\nc"s, 2, {String(u"a") + Char(0) + u"b", u"c"}, 2},
      {"a\nb", 0, {}, 2},
      {"a\nb", -5, {}, 2},
  };
  for (const auto& c : cases) {
    WriteBytes("l.txt", c.text);
    int32_t count = -1;
    EXPECT_EQ(ReadLastNLinesOfTextFile(Path("l.txt"), c.n, count), c.lines)
        << ::testing::PrintToString(c.text) << " N " << c.n;
    EXPECT_EQ(count, c.count);
    // The open-file form leaves the file rewound.
    TTextFile f(Path("l.txt"), tfmRead);
    f.ReadLn();
    count = -1;
    EXPECT_EQ(ReadLastNLinesOfTextFile(f, c.n, count), c.lines);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(f.ReadLn(), c.count > 0 ? Latin1(LinesOf(c.text)[0]) : u"");
  }
}

int gCalls = 0;
std::vector<double> gStates;
TObject* gSender = reinterpret_cast<TObject*>(1);
double gPercent = -1;
void RecordFeedback(TObject* Sender, double StateCnt, double PercentDone) {
  ++gCalls;
  gStates.push_back(StateCnt);
  gSender = Sender;
  gPercent = PercentDone;
}

TEST_F(TextFilesTest, CountLinesWithFeedbackEveryThousand) {
  std::string text;
  for (int i = 0; i < 2500; ++i) text += i % 3 == 0 ? "x\r\n" : i % 3 == 1 ? "yy\n" : "z\r";
  WriteBytes("c.txt", text);
  gStates.clear();
  EXPECT_EQ(CountLinesInTextFile(Path("c.txt"), RecordFeedback), 2500);
  EXPECT_EQ(gStates, (std::vector<double>{1000, 2000}));
  EXPECT_EQ(gSender, nullptr);
  EXPECT_EQ(gPercent, 0);
  EXPECT_EQ(CountLinesInTextFile(Path("c.txt"), nullptr), 2500);
  // The open-file form rewinds before and after, also a file opened for writing.
  TTextFile f(Path("c.txt"), tfmRead);
  f.ReadLn();
  gStates.clear();
  EXPECT_EQ(CountLinesInTextFile(f, RecordFeedback), 2500);
  EXPECT_EQ(gStates.size(), 2U);
  EXPECT_EQ(f.ReadLn(), u"x");
  TTextFile w(Path("w.txt"), tfmRewrite);
  w.WriteLn(u"one");
  w.Write(u"two");
  EXPECT_EQ(CountLinesInTextFile(w, nullptr), 2);
  EXPECT_EQ(w.ReadLn(), u"one");

  // Both forms against the line rule, on random text and on sizes around the file form's blocks
  // (256 KiB) with a CR on either side of the boundary.
  std::mt19937 rng(3);
  for (int round = 0; round < 60; ++round) {
    std::string random = RandomText(rng, round < 50 ? rng() % 3000 : 262140 + rng() % 8);
    if (round >= 50 && random.size() > 262144) random[262143 + rng() % 2] = '\r';
    WriteBytes("r.txt", random);
    const auto lines = static_cast<int32_t>(LinesOf(random).size());
    gStates.clear();
    EXPECT_EQ(CountLinesInTextFile(Path("r.txt"), RecordFeedback), lines)
        << ::testing::PrintToString(random.substr(0, 100));
    EXPECT_EQ(gStates.size(), static_cast<size_t>(lines / 1000));
    TTextFile r(Path("r.txt"), tfmRead);
    gStates.clear();
    EXPECT_EQ(CountLinesInTextFile(r, RecordFeedback), lines);
    EXPECT_EQ(gStates.size(), static_cast<size_t>(lines / 1000));
  }
  // A thousandth line without a line end still gets its feedback.
  WriteBytes("k.txt", std::string(999, '\n') + "x");
  gStates.clear();
  EXPECT_EQ(CountLinesInTextFile(Path("k.txt"), RecordFeedback), 1000);
  EXPECT_EQ(gStates, std::vector<double>{1000});
}

// =================================================================================================
// Encodings and searching

// Every file up to four bytes long over the given bytes, the empty one included.
std::vector<std::string> AllFiles(std::string_view pool, size_t maxLength) {
  std::vector<std::string> files = {""};
  for (size_t begin = 0, length = 0; length < maxLength; ++length) {
    const size_t end = files.size();
    for (size_t i = begin; i < end; ++i) {
      for (char b : pool) files.push_back(files[i] + b);
    }
    begin = end;
  }
  return files;
}

TEST_F(TextFilesTest, TextFileTypeByTheFirstFourBytes) {
  // The table read directly: a pattern matches the bytes that are in the file.
  auto expected = [](const std::string& s) {
    auto is = [&](std::string_view p) { return s.starts_with(p); };
    if (is("\xef\xbb\xbf")) return tftUTF8;
    if (is("\xff\xfe\0\0"s)) return tftUnicode4_le;
    if (is("\0\0\xfe\xff"s)) return tftUnicode4_be;
    if (is("\xff\xfe")) return tftUnicode_le;
    if (is("\xfe\xff")) return tftUnicode_be;
    if (is("{\\r")) return tftRTF;
    return tftUnknown;
  };
  std::vector<std::string> files = AllFiles("\0\xfe\xff"s, 4);
  for (const std::string& f : AllFiles("\xef\xbb\xbf{\\r", 3)) {
    files.push_back(f);
    files.push_back(f + "tail");
  }
  int i = 0;
  for (const std::string& bytes : files) {
    const std::string name = "t" + std::to_string(i++);
    WriteBytes(name, bytes);
    EXPECT_EQ(CheckTextFileType(Path(name)), expected(bytes)) << ::testing::PrintToString(bytes);
  }
  const std::pair<std::string, TTextfileType> named[] = {{"\xff\xfe", tftUnicode_le},
                                                         {"\xff\xfe\0\0"s, tftUnicode4_le},
                                                         {"", tftUnknown},
                                                         {"\xef\xbb\xbf", tftUTF8},
                                                         {"{\\rtf1", tftRTF},
                                                         {"\xfe", tftUnknown},
                                                         {"\0\0\xfe"s, tftUnknown},
                                                         {"\xff\xfe\0"s, tftUnicode_le}};
  for (const auto& [bytes, type] : named) {
    WriteBytes("n" + std::to_string(i++), bytes);
    EXPECT_EQ(CheckTextFileType(Path("n" + std::to_string(i - 1))), type)
        << ::testing::PrintToString(bytes);
  }
}

TEST_F(TextFilesTest, DetectStringWithinTheFirstCharacters) {
  WriteBytes("d.txt", "ab\r\nxcd\n");
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"cd", false, 10), 4);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"cd", false, 4), 4);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"cd", false, 3), 0);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"CD", false, 10), 0);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"CD", true, 10), 4);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"bx", false, 10), 0);  // not across lines
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"", false, 10), 0);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"ab", false, 0), 0);
  EXPECT_EQ(DetectStringInFile(Path("d.txt"), u"ab", false, 2), 1);
  // Only A-Z fold: the ANSI letters keep their case.
  WriteBytes("e.txt", "x\rCAF\xc9\r\n");
  EXPECT_EQ(DetectStringInFile(Path("e.txt"), u"caf\u00c9", true, 100), 2);
  EXPECT_EQ(DetectStringInFile(Path("e.txt"), u"caf\u00e9", true, 100), 0);
}

TEST_F(TextFilesTest, FirstMatchWithLocaleCase) {
  WriteBytes("f.txt", "ab\rUn CAF\xc9 noir\r\nxcdx\n");
  String line = u"old";
  EXPECT_EQ(FindFirstMatchInTextFile(Path("f.txt"), u"cd", false, line), 2);
  EXPECT_EQ(line, u"xcdx");
  EXPECT_EQ(FindFirstMatchInTextFile(Path("f.txt"), u"caf\u00e9", true, line), 4);
  EXPECT_EQ(line, u"Un CAF\u00c9 noir");
  EXPECT_EQ(FindFirstMatchInTextFile(Path("f.txt"), u"caf\u00e9", false, line), 0);
  EXPECT_EQ(line, u"");
  line = u"old";
  EXPECT_EQ(FindFirstMatchInTextFile(Path("f.txt"), u"", true, line), 0);
  EXPECT_EQ(line, u"");
  const String lone = String(1, Char(0xD800));
  EXPECT_EQ(FindFirstMatchInTextFile(Path("f.txt"), lone, true, line), 0);
}

// =================================================================================================
// Hard files through every reader

TEST_F(TextFilesTest, LongLinesNulBytesAndMixedEndsThroughEveryReader) {
  std::string big(10'000'000, 'q');  // NOLINT(bugprone-string-constructor): a 10 MB line
  big[5'000'000] = '\0';
  const std::string text = "w1\r" + big + "needle\n\rlast"s;
  WriteBytes("h.txt", text);
  EXPECT_EQ(CountLinesInTextFile(Path("h.txt"), nullptr), 4);
  int32_t count = 0;
  const TStrArray last = ReadLastNLinesOfTextFile(Path("h.txt"), 3, count);
  EXPECT_EQ(count, 4);
  ASSERT_EQ(last.size(), 3U);
  EXPECT_EQ(last[0].size(), big.size() + 6);
  EXPECT_EQ(last[0][5'000'000], Char(0));
  EXPECT_EQ(last[1], u"");
  EXPECT_EQ(last[2], u"last");
  EXPECT_EQ(DetectStringInFile(Path("h.txt"), u"needle", false, 20'000'000), 10'000'003);
  String line;
  EXPECT_EQ(FindFirstMatchInTextFile(Path("h.txt"), u"NEEDLE", true, line), 10'000'001);
  EXPECT_EQ(line.size(), big.size() + 6);
  TTextFile f(Path("h.txt"), tfmRead);
  EXPECT_EQ(ReadNextWordInTextFile(f), u"w1");
  EXPECT_EQ(ReadNextWordInTextFile(f).size(), 5'000'000U);
  EXPECT_EQ(ReadNextWordInTextFile(f).size(), 5'000'005U);
  EXPECT_EQ(ReadNextWordInTextFile(f), u"last");
}

TEST_F(TextFilesTest, MissingFilesRaiseWithTheirName) {
  const String missing = Path("missing.txt");
  auto expectMissing = [&](auto call) {
    try {
      call();
      ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), ENOENT);
      EXPECT_NE(e.Message().find(missing), String::npos) << e.what();
    }
  };
  int32_t n = 0;
  String s;
  bool b1 = false, b2 = false, b3 = false, b4 = false;
  expectMissing([&] { ReadLastNLinesOfTextFile(missing, 2, n); });
  expectMissing([&] { CountLinesInTextFile(missing, nullptr); });
  expectMissing([&] { CheckTextFileType(missing); });
  expectMissing([&] { DetectStringInFile(missing, u"x", false, 10); });
  expectMissing([&] { FindFirstMatchInTextFile(missing, u"x", false, s); });
  expectMissing([&] { ReadHeaderOfASC(missing, s, n, n, b1, b2, b3, b4); });
  EXPECT_FALSE(std::filesystem::exists(HostPath("missing.txt")));
}

// =================================================================================================
// ASC header

struct TASCResult {
  int32_t code;
  String comment;
  int32_t n1, n2;
  bool f1, f2, f3, f4;
};

// Every output of a header read against the expected ones.
void ExpectASC(const TASCResult& r, const TASCResult& expected, const std::string& what) {
  EXPECT_EQ(r.code, expected.code) << what;
  EXPECT_EQ(r.comment, expected.comment) << what;
  EXPECT_EQ(r.n1, expected.n1) << what;
  EXPECT_EQ(r.n2, expected.n2) << what;
  EXPECT_EQ(std::vector<bool>({r.f1, r.f2, r.f3, r.f4}),
            std::vector<bool>({expected.f1, expected.f2, expected.f3, expected.f4}))
      << what;
}

TEST_F(TextFilesTest, ASCHeaderInBothFormsWithEveryLineEnd) {
  const struct {
    std::vector<std::string> lines;
    TASCResult expected;
  } cases[] = {
      {{"title", "12", "0", "TRUE FALSE TRUE TRUE"}, {-2, u"title", 12, 0, 0, 0, 0, 0}},
      {{"title", "-1"}, {-1, u"title", -1, 9, 0, 0, 0, 0}},
      {{"title", "5 rows", "3", "true  false TRUE xyz"}, {0, u"title", 5, 3, 1, 0, 1, 0}},
      {{"t", "1", "1", "TRUEFALSE TRUE TRUE"}, {0, u"t", 1, 1, 1, 0, 1, 1}},
      {{"t", "1", "1", "TRUE MAYBE TRUE TRUE"}, {-3, u"t", 1, 1, 1, 0, 0, 0}},
      {{"t", "7", "8", "\tfalse\ttrue \t FALSE\tTRUEx"}, {0, u"t", 7, 8, 0, 1, 0, 1}},
      {{"t", "7", "8", "FALSE FALSE FALSE"}, {0, u"t", 7, 8, 0, 0, 0, 0}},
      {{"t", "7", "8", "TRUE TRUE"}, {-3, u"t", 7, 8, 1, 1, 0, 0}},
      {{"t", "7", "8"}, {-3, u"t", 7, 8, 0, 0, 0, 0}},
      {{"caf\xe9", "0"}, {-1, u"caf\u00e9", 0, 9, 0, 0, 0, 0}},
      {{"t", "2147483647", "1", "TRUE TRUE TRUE TRUE"}, {0, u"t", 2147483647, 1, 1, 1, 1, 1}},
      {{"t", "4", "+2 x", "TRUE TRUE TRUE FALSE"}, {0, u"t", 4, 2, 1, 1, 1, 0}},
      {{}, {-1, u"5", 0, 9, 0, 0, 0, 0}},  // "5" is the comment, "rest" no number
  };
  for (const char* end : {"\r\n", "\n", "\r"}) {
    for (const auto& c : cases) {
      std::string bytes;
      for (const auto& l : c.lines) bytes += l + end;
      bytes += "5\r\nrest";  // what follows the header is not read
      WriteBytes("h.asc", bytes);
      // The stream form ends lines at LF only: it has its own test for a lone CR.
      for (int form = 0; form < (end == "\r"s ? 1 : 2); ++form) {
        TASCResult r{99, u"x", 9, 9, true, true, true, true};
        if (c.expected.code == -1 || c.expected.code == -2) r.f1 = r.f2 = r.f3 = r.f4 = false;
        TStringStream stream(std::string_view(bytes.data(), bytes.size()));
        r.code = form == 0
                     ? ReadHeaderOfASC(Path("h.asc"), r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4)
                     : ReadHeaderOfASC(stream, r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4);
        const std::string what = ::testing::PrintToString(bytes) + " form " + std::to_string(form);
        ExpectASC(r, c.expected, what);
        // The stream form stops after the last line it read.
        if (form == 1 && c.lines.size() == 4 && c.expected.code == 0) {
          EXPECT_EQ(stream.Position(), static_cast<int64_t>(bytes.size() - 7)) << what;
        }
      }
    }
  }
}

TEST(ASCHeaderStream, LinesEndAtLFOnly) {
  const struct {
    std::string bytes;
    TASCResult expected;
    int64_t position;  // where the stream is left
  } cases[] = {
      {"ti\rtle\r\n5\n3\nTRUE TRUE TRUE TRUE\nrest", {0, u"ti\rtle", 5, 3, 1, 1, 1, 1}, 32},
      // A CR before the fourth word is no blank: the word does not begin with TRUE.
      {"a\r\r\n5\r\n3\r\nTRUE FALSE TRUE\rTRUE\r\n", {0, u"a\r", 5, 3, 1, 0, 1, 0}, 32},
      {"t\r5\r3\rTRUE TRUE TRUE TRUE\r",
       {-1, u"t\r5\r3\rTRUE TRUE TRUE TRUE\r", 0, 9, 0, 0, 0, 0},
       26},
      // The rest of a number's line runs to its LF, past a lone CR.
      {"t\r\n5\r7\n3 x\r\nTRUE TRUE TRUE FALSE", {0, u"t", 5, 3, 1, 1, 1, 0}, 32},
      {"t\n-\n3\n", {-1, u"t", 0, 9, 0, 0, 0, 0}, 4},
  };
  for (const auto& c : cases) {
    TStringStream stream(std::string_view(c.bytes.data(), c.bytes.size()));
    TASCResult r{99, u"x", 9, 9, false, false, false, false};
    r.code = ReadHeaderOfASC(stream, r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4);
    const std::string what = ::testing::PrintToString(c.bytes);
    ExpectASC(r, c.expected, what);
    EXPECT_EQ(stream.Position(), c.position) << what;
  }
}

TEST_F(TextFilesTest, ASCHeaderNumbersDifferBetweenTheForms) {
  // The file form's reader skips tabs and refuses a number glued to text; the stream form's
  // scanner stops at a tab (no digits: 0) and takes the digits before the text.
  WriteBytes("a.asc", "t\r\n\t5\r\n3x\r\nTRUE TRUE TRUE TRUE\r\n");
  TASCResult r{};
  r.code = ReadHeaderOfASC(Path("a.asc"), r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4);
  EXPECT_EQ(r.code, -2);
  EXPECT_EQ(r.n1, 5);
  EXPECT_EQ(r.n2, 0);
  TStringStream s(std::string_view("t\r\n5\r\n3x\r\nTRUE TRUE TRUE TRUE\r\n"));
  r.code = ReadHeaderOfASC(s, r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.n2, 3);
  TStringStream tab(std::string_view("t\r\n\t5\r\n3\r\nTRUE TRUE TRUE TRUE\r\n"));
  EXPECT_EQ(ReadHeaderOfASC(tab, r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4), -1);
  // A number line that is empty lets the reader go on to the next line, in both forms.
  WriteBytes("b.asc", "t\r\n\r\n6\r\n2\r\nTRUE TRUE TRUE TRUE\r\n");
  EXPECT_EQ(ReadHeaderOfASC(Path("b.asc"), r.comment, r.n1, r.n2, r.f1, r.f2, r.f3, r.f4), 0);
  EXPECT_EQ(r.n1, 6);
  EXPECT_EQ(r.n2, 2);
}

}  // namespace
}  // namespace xan
