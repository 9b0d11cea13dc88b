// Directory trees and file operations on real trees in a temporary directory: copy feedback and
// abort, tree copies with links and bad destinations, deleting, trashing, finding, renaming,
// listing, counting and sizes; the expected results come from std::filesystem's own reading.
#include "xan/filesys/trees.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "../platform/temp_dir.h"
#include "platform/host_names.h"
#include "test_host.h"
#include "xan/platform/exceptions.h"

namespace xan {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// The feedback calls of the last copy, collected by plain functions as the callback types ask.
std::vector<std::pair<int32_t, int32_t>> g_calls;
int32_t g_abortAtCall = -1;  // 1-based call that asks for an abort; -1 never

void Record(int32_t Bytes, int32_t Size) {
  g_calls.emplace_back(Bytes, Size);
  if (static_cast<int32_t>(g_calls.size()) == g_abortAtCall) AbortAnyFileCopying();
}

struct TTreeCall {
  int32_t Bytes, Size;
  String Name;
  int32_t Count;
};
std::vector<TTreeCall> g_treeCalls;

void RecordTree(int32_t Bytes, int32_t Size, StringView Name, int32_t Count) {
  g_treeCalls.push_back({Bytes, Size, String(Name), Count});
  if (static_cast<int32_t>(g_treeCalls.size()) == g_abortAtCall) AbortAnyFileCopying();
}

std::vector<std::pair<String, int32_t>> g_scanCalls;
void RecordScan(StringView Dir, int32_t Count) {
  g_scanCalls.emplace_back(String(Dir), Count);
}

class Trees : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    g_calls.clear();
    g_treeCalls.clear();
    g_scanCalls.clear();
    g_abortAtCall = -1;
  }

  // Names in the tests have '/' between components. On Linux they are the host's bytes (which
  // need not be UTF-8); on Windows they are UTF-8 and the separator becomes the host's '\'.
  fs::path HostPath(std::string_view Name) const {
#if defined(_WIN32)
    return (FDir / fs::path(std::u8string(Name.begin(), Name.end()))).make_preferred();
#else
    return FDir / Name;
#endif
  }
  // Entries whose names begin with '.' are hidden on both hosts (test::HideDotName).
  void WriteBytes(std::string_view Name, std::string_view Bytes) const {
    std::ofstream out(HostPath(Name), std::ios::binary);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    out.close();
    test::HideDotName(HostPath(Name));
  }
  std::string ReadBytes(std::string_view Name) const {
    std::ifstream in(HostPath(Name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // The library's name of an entry, and of a host path.
  String P(std::string_view Name) const {
    return LibraryName(HostPath(Name));
  }
  static String LibraryName(const fs::path& Path) {
#if defined(_WIN32)
    return Path.u16string();
#else
    return DecodeHostName(Path.string());
#endif
  }
  static fs::path HostPathOf(const String& Name) {
#if defined(_WIN32)
    return fs::path(Name);
#else
    return fs::path(EncodeHostName(Name));
#endif
  }
  // A relative host path as the tests write names: UTF-8 (or the host's bytes), '/' between.
  static std::string TestName(const fs::path& Relative) {
#if defined(_WIN32)
    const std::u8string u8 = Relative.generic_u8string();
    return std::string(u8.begin(), u8.end());
#else
    return Relative.string();
#endif
  }
  // Names that are odd but valid on this host: blanks, a leading dot, non-ASCII, 255 units; on
  // Linux also a line feed and bytes that are not UTF-8.
  static std::vector<std::string> OddNames() {
    std::vector<std::string> names{" blank ", ".dot", "caf\xC3\xA9 \xE2\x82\xAC",
                                   std::string(255, 'L')};
#if !defined(_WIN32)
    names.insert(names.end(), {"new\nline", "bad\xE9\xFF"});
#endif
    return names;
  }
  void Dir(std::string_view Name) const {
    fs::create_directories(HostPath(Name));
    for (fs::path p = HostPath(Name); p.native().size() > FDir.native().size();
         p = p.parent_path()) {
      test::HideDotName(p);
    }
  }
  bool Writable(std::string_view Name) const {
    return test::HostMayWrite(HostPath(Name));
  }

  // A tree as std::filesystem reads it, links not followed: relative path => "/" for a
  // directory, "->target" for a link, the content for a file.
  std::map<std::string, std::string> Tree(std::string_view Name) const {
    std::map<std::string, std::string> tree;
    const fs::path root = HostPath(Name);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
      const std::string rel = TestName(fs::relative(it->path(), root));
      if (it->is_symlink()) {
        tree[rel] = "->" + fs::read_symlink(it->path()).string();
      } else if (it->is_directory()) {
        tree[rel] = "/";
      } else {
        tree[rel] = ReadBytes(TestName(fs::relative(it->path(), FDir)));
      }
    }
    return tree;
  }
};

// =================================================================================================
// FileCopyFeedBk

TEST_F(Trees, FileCopyReportsEveryBlockAndCopiesContentAndDate) {
  // Sizes around the block and around the larger steps in which the data moves.
  for (const size_t size : {size_t{0}, size_t{1}, size_t{8191}, size_t{8192}, size_t{8193},
                            size_t{3} * 8192, size_t{1 << 20}, size_t{(2 << 20) + 5}}) {
    SCOPED_TRACE(size);
    const std::string data = RandomBytes(size, static_cast<unsigned>(size));
    WriteBytes("src.bin", data);
    // Whole seconds: std::filesystem sets no finer date on every host.
    const fs::file_time_type then = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(30));
    fs::last_write_time(HostPath("src.bin"), then);
    g_calls.clear();
    ASSERT_EQ(FileCopyFeedBk(P("src.bin"), P("dst.bin"), false, Record), 0);
    EXPECT_EQ(ReadBytes("dst.bin"), data);
    EXPECT_EQ(fs::last_write_time(HostPath("dst.bin")), then);
    // Before the copy, once per block read (the last one short or empty), at the end.
    std::vector<std::pair<int32_t, int32_t>> expected{{0, size}};
    for (size_t done = 0;; done += 8192) {
      expected.emplace_back(done, size);
      if (size - done < 8192) break;
    }
    expected.emplace_back(size, size);
    EXPECT_EQ(g_calls, expected);
  }
  // The documented sequence for exactly one block.
  WriteBytes("8k", std::string(8192, 'x'));
  g_calls.clear();
  ASSERT_EQ(FileCopyFeedBk(P("8k"), P("8k.copy"), false, Record), 0);
  EXPECT_EQ(g_calls, (std::vector<std::pair<int32_t, int32_t>>{
                         {0, 8192}, {0, 8192}, {8192, 8192}, {8192, 8192}}));
  EXPECT_EQ(FileCopyFeedBk(P("8k"), P("8k.copy2"), false, nullptr), 0) << "no feedback at all";
  EXPECT_EQ(fs::file_size(HostPath("8k.copy2")), 8192U);
}

TEST_F(Trees, FileCopyAbortKeepsTheBlocksReportedSoFar) {
  const std::string data = RandomBytes(3 << 20, 5);
  WriteBytes("big", data);
  // Call 2 is the first block's feedback, call k + 2 that of block k.
  for (const int32_t call : {1, 2, 3, 7, 200}) {
    SCOPED_TRACE(call);
    g_calls.clear();
    g_abortAtCall = call;
    ASSERT_EQ(FileCopyFeedBk(P("big"), P("part"), false, Record), 0) << "an abort is no failure";
    const size_t blocks = call <= 2 ? 1 : static_cast<size_t>(call - 1);
    const std::string part = ReadBytes("part");
    EXPECT_EQ(part.size(), blocks * 8192);
    EXPECT_EQ(part, data.substr(0, part.size()));
    EXPECT_EQ(g_calls.back(), std::make_pair(static_cast<int32_t>(blocks * 8192), 3 << 20));
  }
  g_abortAtCall = -1;
  g_calls.clear();
  ASSERT_EQ(FileCopyFeedBk(P("big"), P("part"), false, Record), 0) << "each copy clears the flag";
  EXPECT_EQ(ReadBytes("part"), data);
}

TEST_F(Trees, FileCopyIntoDirectoriesOverFilesAndOntoItself) {
  WriteBytes("a.txt", "alpha");
  Dir("d");
  EXPECT_EQ(FileCopyFeedBk(P("a.txt"), P("d"), false, nullptr), 0);
  EXPECT_EQ(ReadBytes("d/a.txt"), "alpha");
  WriteBytes("b.txt", "a much longer old content");
  EXPECT_EQ(FileCopyFeedBk(P("a.txt"), P("b.txt"), false, nullptr), 0);
  EXPECT_EQ(ReadBytes("b.txt"), "alpha") << "an existing file is replaced";

  // The same file, by the same text or another name, is left alone: replacing it would empty it.
  fs::create_hard_link(HostPath("a.txt"), HostPath("hard"));
  for (const String& other : {P("a.txt"), P("d/../a.txt"), P("hard"), P("")}) {
    g_calls.clear();
    EXPECT_EQ(FileCopyFeedBk(P("a.txt"), other, false, Record), 0) << ToUtf8(other);
    EXPECT_EQ(ReadBytes("a.txt"), "alpha");
    EXPECT_TRUE(g_calls.empty());
  }
}

TEST_F(Trees, FileCopyOntoALinkToItselfLeavesItAlone_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  WriteBytes("a.txt", "alpha");
  fs::create_symlink(HostPath("a.txt"), HostPath("soft"));
  EXPECT_EQ(FileCopyFeedBk(P("a.txt"), P("soft"), false, Record), 0);
  EXPECT_EQ(ReadBytes("a.txt"), "alpha");
  EXPECT_TRUE(g_calls.empty());
#endif
}

TEST_F(Trees, FileCopyFailuresRaiseOrSaySoInTheStatus) {
  for (const char* missing : {"none", "d"}) {
    if (std::string(missing) == "d") Dir("d");
    try {
      FileCopyFeedBk(P(missing), P("x"), false, Record);
      ADD_FAILURE() << "no exception for " << missing;
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), std::string(missing) == "d" ? EISDIR : ENOENT);
      EXPECT_NE(e.Message().find(P(missing)), String::npos) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(HostPath("x")));

  WriteBytes("a", std::string(10000, 'a'));
  g_calls.clear();
  EXPECT_EQ(FileCopyFeedBk(P("a"), P("no/such/dir/a"), false, Record), -2);
  EXPECT_EQ(g_calls, (std::vector<std::pair<int32_t, int32_t>>{{0, 10000}, {0, 10000}}));

#if !defined(_WIN32)
  if (::access("/dev/full", W_OK) == 0) {
    // A device that accepts no byte: the first block fails to write.
    g_calls.clear();
    EXPECT_EQ(FileCopyFeedBk(P("a"), u"/dev/full", false, Record), -3);
    EXPECT_EQ(g_calls,
              (std::vector<std::pair<int32_t, int32_t>>{{0, 10000}, {0, 10000}, {8192, 10000}}));
    EXPECT_EQ(ReadBytes("a"), std::string(10000, 'a')) << "the source is untouched";
  } else {
    std::cout << "/dev/full is missing: the write failure is not checked\n";
  }

  // A FIFO that nobody writes to cannot be read; the copy says so instead of waiting.
  ASSERT_EQ(::mkfifo(HostPath("fifo").c_str(), 0600), 0);
  const int writer = ::open(HostPath("fifo").c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  EXPECT_EQ(FileCopyFeedBk(P("fifo"), P("from-fifo"), false, nullptr), -4);
  EXPECT_EQ(fs::file_size(HostPath("from-fifo")), 0U);
  ::close(writer);
#endif
}

TEST_F(Trees, FileCopyAttributesGiveTheSourcesPermissionsWithWriteForTheOwner_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  WriteBytes("ro", "r");
  fs::permissions(HostPath("ro"), fs::perms::owner_read | fs::perms::group_read);
  ASSERT_EQ(FileCopyFeedBk(P("ro"), P("with"), true, nullptr), 0);
  EXPECT_EQ(fs::status(HostPath("with")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(FileCopyFeedBk(P("ro"), P("without"), false, nullptr), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(static_cast<mode_t>(fs::status(HostPath("without")).permissions()), 0666 & ~mask);
#endif
}

// =================================================================================================
// CopyFileTree

TEST_F(Trees, TreeCopyMirrorsTheTreeWithOddNamesAndReportsEachFile) {
  Dir("src/sub/deeper");
  Dir("src/empty");
  Dir("src/.hidden-dir");
  WriteBytes("src/a.txt", "a");
  WriteBytes("src/sub/b.bin", RandomBytes(20000, 1));
  WriteBytes("src/sub/deeper/c", "");
  WriteBytes("src/.hidden-dir/d", "d");
  for (const std::string& odd : OddNames()) WriteBytes("src/" + odd, "odd: " + odd);
  const auto source = Tree("src");

  EXPECT_EQ(CopyFileTree(P("src"), P("out/dst"), false, RecordTree), 0);
  EXPECT_EQ(Tree("out/dst"), source);

  // Per file: the first call (0, size), the last two (size, size), counts 1..n, destination names.
  std::map<int32_t, std::vector<TTreeCall>> byFile;
  for (const TTreeCall& call : g_treeCalls) byFile[call.Count].push_back(call);
  size_t files = 0;
  for (const auto& [rel, content] : source) files += content != "/";
  ASSERT_EQ(byFile.size(), files);
  int32_t expectedCount = 1;
  for (const auto& [count, calls] : byFile) {
    EXPECT_EQ(count, expectedCount++);
    ASSERT_GE(calls.size(), 4U);
    const String dst = P("out/dst/");
    ASSERT_EQ(calls[0].Name.substr(0, dst.size()), dst);
    const std::string rel = TestName(HostPathOf(calls[0].Name.substr(dst.size())));
    const auto size = static_cast<int32_t>(source.at(rel).size());
    EXPECT_EQ(calls.front().Bytes, 0);
    EXPECT_EQ(calls.front().Size, size);
    EXPECT_EQ(calls.back().Bytes, size);
    EXPECT_EQ(calls[calls.size() - 2].Bytes, size);
    for (const TTreeCall& call : calls) EXPECT_EQ(call.Name, calls[0].Name);
  }
  // Copying again over the copy replaces the files: the result is the same.
  EXPECT_EQ(CopyFileTree(P("src/"), P("out/dst/"), false, nullptr), 0);
  EXPECT_EQ(Tree("out/dst"), source);
}

TEST_F(Trees, TreeCopyNeverIntoItself) {
  Dir("src/sub");
  WriteBytes("src/sub/x", "x");
  const auto before = Tree("src");
  // A destination inside the source, reached by any name, is refused before anything is made.
  std::vector<String> messages;
  const TStringFeedback collect = [&](TObject* Sender, StringView Msg) {
    EXPECT_EQ(Sender, nullptr);
    messages.emplace_back(Msg);
  };
  for (const String& inside :
       {P("src/sub/new"), P("src/./x/../y"), P("dst/../src/z"), P("src/.")}) {
    EXPECT_EQ(CopyFileTree(P("src"), inside, false, nullptr, collect), -7) << ToUtf8(inside);
  }
  EXPECT_EQ(messages.size(), 4U);
  EXPECT_EQ(Tree("src"), before);
  EXPECT_EQ(CopyFileTree(P("src"), P("src/"), false, RecordTree), 0) << "the same text: nothing";
  EXPECT_TRUE(g_treeCalls.empty());
  EXPECT_EQ(CopyFileTree(P("src/sub"), P("src-sub-copy"), false, nullptr), 0) << "beside is fine";
  EXPECT_EQ(ReadBytes("src-sub-copy/x"), "x");
}

TEST_F(Trees, TreeCopyCopiesLinksAsLinksAndNeverThroughThem_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("outside/secret");
  WriteBytes("outside/secret/s", "secret");
  WriteBytes("outside/f", "f");
  Dir("src/sub");
  WriteBytes("src/sub/x", "x");
  fs::create_symlink(HostPath("outside/secret"), HostPath("src/dirlink"));
  fs::create_symlink(HostPath("outside/f"), HostPath("src/filelink"));
  fs::create_symlink("../sub", HostPath("src/sub/loop"));
  fs::create_symlink("nowhere", HostPath("src/dangling"));
  const auto before = Tree("outside");

  EXPECT_EQ(CopyFileTree(P("src"), P("dst"), false, RecordTree), 0);
  EXPECT_EQ(Tree("dst"), Tree("src"));
  EXPECT_TRUE(fs::is_symlink(HostPath("dst/dirlink")));
  EXPECT_EQ(Tree("outside"), before);

  // A destination inside the source through a link is refused as well.
  fs::create_symlink(HostPath("src"), HostPath("srclink"));
  EXPECT_EQ(CopyFileTree(P("src"), P("srclink/deep"), false, nullptr), -7);
  EXPECT_FALSE(fs::exists(HostPath("src/deep")));

  // A link in the destination where a file or directory is to go is never written through.
  std::vector<String> messages;
  const TStringFeedback collect = [&](TObject*, StringView Msg) { messages.emplace_back(Msg); };
  WriteBytes("src/plain", "p");
  Dir("dst2");
  fs::create_symlink(HostPath("outside/f"), HostPath("dst2/plain"));
  fs::create_symlink(HostPath("outside/f"), HostPath("dst2/filelink"));
  fs::create_symlink(HostPath("outside/secret"), HostPath("dst2/sub"));
  EXPECT_LT(CopyFileTree(P("src"), P("dst2"), false, nullptr, collect), 0);
  EXPECT_EQ(Tree("outside"), before);
  EXPECT_EQ(messages.size(), 3U) << "plain, filelink and sub";
#endif
}

TEST_F(Trees, TreeCopyAbortStartsNoFurtherFile) {
  Dir("src");
  for (int i = 0; i < 5; ++i)
    WriteBytes("src/f" + std::to_string(i), std::string(size_t{3} * 8192, 'z'));
  g_abortAtCall = 2;  // the first block of the first file
  EXPECT_EQ(CopyFileTree(P("src"), P("dst"), false, RecordTree), 0);
  std::set<int32_t> started;
  for (const TTreeCall& call : g_treeCalls) started.insert(call.Count);
  EXPECT_EQ(started, std::set<int32_t>{1});
  size_t copied = 0;
  for (const auto& entry : fs::directory_iterator(HostPath("dst"))) {
    ++copied;
    EXPECT_EQ(fs::file_size(entry.path()), 8192U);
  }
  EXPECT_EQ(copied, 1U);
  // The next copy starts with the flag cleared.
  g_abortAtCall = -1;
  EXPECT_EQ(CopyFileTree(P("src"), P("dst"), false, nullptr), 0);
  EXPECT_EQ(Tree("dst"), Tree("src"));
}

TEST_F(Trees, TreeCopySkipsAndReportsWhatItCannotReadOrCopy_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("src/locked");
  WriteBytes("src/locked/inner", "i");
  WriteBytes("src/ok", "ok");
  ASSERT_EQ(::mkfifo(HostPath("src/fifo").c_str(), 0600), 0);
  std::vector<String> messages;
  const TStringFeedback collect = [&](TObject*, StringView Msg) { messages.emplace_back(Msg); };
  // The FIFO is not copied (reading it could wait for ever); the rest is.
  EXPECT_EQ(CopyFileTree(P("src"), P("dst"), false, nullptr, collect), -1);
  EXPECT_EQ(ReadBytes("dst/ok"), "ok");
  EXPECT_EQ(ReadBytes("dst/locked/inner"), "i");
  EXPECT_FALSE(fs::exists(HostPath("dst/fifo")));
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_NE(messages[0].find(u"fifo"), String::npos);
  fs::remove(HostPath("src/fifo"));

  fs::permissions(HostPath("src/locked"), fs::perms::none);
  if (::access(HostPath("src/locked").c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this user reads directories without read permission (root): no unreadable "
                    "directory to skip";
  }
  messages.clear();
  EXPECT_EQ(CopyFileTree(P("src"), P("dst2"), false, nullptr, collect), -6);
  EXPECT_EQ(ReadBytes("dst2/ok"), "ok");
  EXPECT_TRUE(fs::is_empty(HostPath("dst2/locked")));
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_NE(messages[0].find(P("src/locked")), String::npos);

  EXPECT_EQ(CopyFileTree(P("missing"), P("dst3"), false, nullptr), -6);
#endif
}

// =================================================================================================
// Deleting

TEST_F(Trees, DelDirTreeRemovesWholeTrees) {
  Dir("t/a/b/c");
  WriteBytes("t/a/b/c/f", "f");
  for (const std::string& odd : OddNames()) WriteBytes("t/a/" + odd, "odd");
  Dir("t/" + OddNames().back());
  Dir("keep");
  WriteBytes("keep/file", "k");
  EXPECT_EQ(DelDirTree(P("t")), u"");
  EXPECT_FALSE(fs::exists(HostPath("t")));

  EXPECT_EQ(DelDirTree(u""), u"");
  EXPECT_EQ(DelDirTree(P("missing")), P("missing/"));
  EXPECT_EQ(DelDirTree(P("keep/file")), P("keep/file/"));
  EXPECT_EQ(ReadBytes("keep/file"), "k");
}

TEST_F(Trees, DelDirTreeNeverFollowsLinks_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("t/a/b");
  Dir("keep/inner");
  WriteBytes("keep/inner/k", "k");
  WriteBytes("keep/file", "k");
  fs::create_symlink(HostPath("keep"), HostPath("t/a/dirlink"));
  fs::create_symlink(HostPath("keep/file"), HostPath("t/filelink"));
  fs::create_symlink(HostPath("t"), HostPath("t/a/b/up"));
  const auto kept = Tree("keep");
  EXPECT_EQ(DelDirTree(P("t")), u"");
  EXPECT_FALSE(fs::exists(HostPath("t")));
  EXPECT_EQ(Tree("keep"), kept);

  // A link given as the tree: only the link goes.
  fs::create_symlink(HostPath("keep"), HostPath("link"));
  EXPECT_EQ(DelDirTree(P("link/")), u"");
  EXPECT_FALSE(fs::exists(fs::symlink_status(HostPath("link"))));
  EXPECT_EQ(Tree("keep"), kept);
#endif
}

// Permissions of a file and whether the deleting functions keep it as read-only, for every user
// (root too): a file is read-only when its owner may not write it.
struct TReadOnlyCase {
  fs::perms perms;
  bool kept;
};
std::vector<TReadOnlyCase> ReadOnlyCases() {
  using fs::perms;
  std::vector<TReadOnlyCase> cases{
      {perms::owner_read, true},
      {perms::owner_read | perms::group_read | perms::others_read, true},
      {perms::none, true},
      {perms::owner_read | perms::owner_write, false},
      {perms::owner_write, false}};
#if !defined(_WIN32)
  // Others may write it, its owner may not: still marked read-only.
  cases.push_back({perms::owner_read | perms::group_write | perms::others_write, true});
#endif
  return cases;
}

TEST_F(Trees, DelDirTreeStopsAtAReadOnlyFileOrAnUnreadableDirectory) {
  for (const TReadOnlyCase& c : ReadOnlyCases()) {
    SCOPED_TRACE(static_cast<int>(c.perms));
    Dir("t/a/b");
    WriteBytes("t/a/b/ro", "r");
    WriteBytes("t/a/other", "o");
    fs::permissions(HostPath("t/a/b/ro"), c.perms);
    if (c.kept) {
      EXPECT_EQ(DelDirTree(P("t")), P("t/a/b/ro"));
      EXPECT_TRUE(fs::exists(HostPath("t/a/b/ro")));
      fs::permissions(HostPath("t/a/b/ro"), fs::perms::owner_all);
      EXPECT_EQ(ReadBytes("t/a/b/ro"), "r");
    }
    EXPECT_EQ(DelDirTree(P("t")), u"");
    EXPECT_FALSE(fs::exists(HostPath("t")));
  }

  // A directory that cannot be listed cannot be emptied: it is named, and the walk ends.
  Dir("t/a/b");
  WriteBytes("t/a/b/hidden-inside", "h");
  fs::permissions(HostPath("t/a/b"), fs::perms::owner_write | fs::perms::owner_exec);
  if (test::HostMayRead(HostPath("t/a/b"))) {
    std::cout << "permissions do not stop this host listing a directory: not checked\n";
  } else {
    EXPECT_EQ(DelDirTree(P("t")), P("t/a/b/"));
    fs::permissions(HostPath("t/a/b"), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes("t/a/b/hidden-inside"), "h");
  }
  fs::permissions(HostPath("t/a/b"), fs::perms::owner_all);
  EXPECT_EQ(DelDirTree(P("t")), u"");
  EXPECT_FALSE(fs::exists(HostPath("t")));
}

TEST_F(Trees, DeleteFilesTakesMatchingPlainFilesOnly) {
  Dir("d/sub.tmp");
  for (const char* name : {"a.tmp", "b.tmp", ".c.tmp", "d.txt"}) {
    WriteBytes(std::string("d/") + name, name);
  }
  EXPECT_EQ(DeleteFiles(P("d/*.tmp")), 2);
  EXPECT_FALSE(fs::exists(HostPath("d/a.tmp")));
  EXPECT_FALSE(fs::exists(HostPath("d/b.tmp")));
  for (const char* kept : {"d/.c.tmp", "d/d.txt", "d/sub.tmp"})
    EXPECT_TRUE(fs::exists(HostPath(kept)));
  EXPECT_EQ(DeleteFiles(P("d/*.tmp")), 0);
  EXPECT_EQ(DeleteFiles(P("missing/*")), 0);
  EXPECT_EQ(DeleteFiles(u""), 0);

  // Read-only files stay and are not counted, whoever asks.
  for (const TReadOnlyCase& c : ReadOnlyCases()) {
    SCOPED_TRACE(static_cast<int>(c.perms));
    WriteBytes("d/e.tmp", "e");
    fs::permissions(HostPath("d/e.tmp"), c.perms);
    EXPECT_EQ(DeleteFiles(P("d/*.tmp")), c.kept ? 0 : 1);
    EXPECT_EQ(fs::exists(HostPath("d/e.tmp")), c.kept);
    if (c.kept) fs::permissions(HostPath("d/e.tmp"), fs::perms::owner_all);
  }
}

TEST_F(Trees, DeleteFilesLeavesALinkToNothing_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("d");
  WriteBytes("d/a.tmp", "a");
  fs::create_symlink("nowhere", HostPath("d/dangling.tmp"));
  EXPECT_EQ(DeleteFiles(P("d/*.tmp")), 1);
  EXPECT_TRUE(fs::is_symlink(HostPath("d/dangling.tmp")));
#endif
}

// The home trash in the temporary directory, for one test; the environment is put back after.
class Trash_Linux : public Trees {
 protected:
  void SetUp() override {
    Trees::SetUp();
    if (const char* old = std::getenv("XDG_DATA_HOME")) FOld = old;
    XAN_ONLY_ON_LINUX();
    Dir("data");
    test::SetEnvVar("XDG_DATA_HOME", HostPath("data").string());
  }
  void TearDown() override {
    test::SetEnvVar("XDG_DATA_HOME", FOld);
    Trees::TearDown();
  }

  // The info file's keys of a trashed entry, as a file manager reads them.
  std::map<std::string, std::string> Info(const std::string& TrashName) const {
    std::map<std::string, std::string> keys;
    std::istringstream in(ReadBytes("data/Trash/info/" + TrashName + ".trashinfo"));
    std::string line;
    std::getline(in, line);
    keys["header"] = line;
    while (std::getline(in, line)) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos && !keys.count(line.substr(0, eq))) {
        keys[line.substr(0, eq)] = line.substr(eq + 1);
      }
    }
    return keys;
  }
  static std::string Unescape(const std::string& Text) {
    std::string out;
    for (size_t i = 0; i < Text.size(); ++i) {
      if (Text[i] == '%' && i + 2 < Text.size()) {
        out += static_cast<char>(std::stoi(Text.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        out += Text[i];
      }
    }
    return out;
  }
  // Checks that the trash holds Content as TrashName, recorded as coming from Original.
  void ExpectTrashed(const std::string& TrashName, const std::string& Original,
                     const std::string& Content) const {
    EXPECT_EQ(ReadBytes("data/Trash/files/" + TrashName), Content);
    const auto info = Info(TrashName);
    EXPECT_EQ(info.at("header"), "[Trash Info]");
    EXPECT_EQ(Unescape(info.at("Path")), fs::canonical(FDir).string() + "/" + Original);
    EXPECT_EQ(info.at("Path").find_first_of("\n "), std::string::npos);
    std::tm tm{};
    const std::string date = info.at("DeletionDate");
    ASSERT_EQ(date.size(), 19U) << date;
    std::istringstream in(date);
    in >> std::get_time(&tm, "%Y-%m-%dT%H:%M:%S");
    ASSERT_FALSE(in.fail()) << date;
    tm.tm_isdst = -1;
    EXPECT_LT(std::abs(std::difftime(std::mktime(&tm), std::time(nullptr))), 120.0) << date;
  }

  std::optional<std::string> FOld;
};

TEST_F(Trash_Linux, FilesGoWhereAFileManagerRestoresThemFrom) {
  Dir("w/one");
  Dir("w/two");
  WriteBytes("w/one/same.txt", "first");
  WriteBytes("w/two/same.txt", "second");
  WriteBytes("w/two/.dot", "hidden");
  WriteBytes("w/two/odd\nname\xE9", "odd");
  const std::string longName = std::string(250, 'q') + ".txt";
  WriteBytes("w/two/" + longName, "long");
  Dir("w/two/dir.txt");

  EXPECT_EQ(MoveToRecycleBin(P("w/one/same.txt")), 1);
  EXPECT_EQ(MoveToRecycleBin(P("w/two/*.txt")), 2) << "the directory is not moved";
  EXPECT_EQ(MoveToRecycleBin(P("w/two/*")), 1) << "'.dot' is skipped, the odd name moved";
  EXPECT_FALSE(fs::exists(HostPath("w/one/same.txt")));
  EXPECT_TRUE(fs::exists(HostPath("w/two/.dot")));
  EXPECT_TRUE(fs::is_directory(HostPath("w/two/dir.txt")));

  ExpectTrashed("same.txt", "w/one/same.txt", "first");
  ExpectTrashed("same.2.txt", "w/two/same.txt", "second");  // a clash gets a new name
  ExpectTrashed("odd\nname\xE9", "w/two/odd\nname\xE9", "odd");
  EXPECT_NE(Info("odd\nname\xE9").at("Path").find("odd%0Aname%E9"), std::string::npos);
  // The long name is cut so that its info file's name fits; the original stays in Path.
  std::string stored;
  for (const auto& entry : fs::directory_iterator(HostPath("data/Trash/files"))) {
    if (entry.path().filename().string().size() > 200) stored = entry.path().filename().string();
  }
  ASSERT_FALSE(stored.empty());
  EXPECT_LE(stored.size() + std::string(".trashinfo").size(), 255U);
  ExpectTrashed(stored, "w/two/" + longName, "long");

  EXPECT_EQ(MoveToRecycleBin(P("w/one/none")), 0);
  EXPECT_EQ(MoveToRecycleBin(u""), 0);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(HostPath("data/Trash/info"))) {
    ++entries;
  }
  EXPECT_EQ(entries, 4U) << "no stray info file";
}

// =================================================================================================
// Finding and renaming

TEST_F(Trees, FileDetectSearchesDownwardsThroughPlainDirectories) {
  Dir("t/a/b");
  Dir("t/.hid");
  Dir("t/z");
  Dir("elsewhere");
  WriteBytes("t/a/b/report.txt", "r");
  WriteBytes("t/.hid/hidden.txt", "h");
  WriteBytes("t/.dot.txt", "d");
  WriteBytes("t/app.cfg", "c");
  EXPECT_EQ(FileDetect(P("t/report.txt")), P("t/a/b/report.txt"));
  EXPECT_EQ(FileDetect(P("t/a/report.txt")), P("t/a/b/report.txt"));
  EXPECT_EQ(FileDetect(P("t/*.cfg")), P("t/app.cfg"));
  // Names match as the host compares them: exactly on Linux, in any case on Windows.
  EXPECT_EQ(FileDetect(P("t/REPORT.TXT")), test::kHostWindows ? P("t/a/b/report.txt") : u"");
  EXPECT_EQ(FileDetect(P("t/hidden.txt")), u"") << "hidden directories are not searched";
  EXPECT_EQ(FileDetect(P("t/.dot.txt")), u"") << "hidden files are not seen";
  EXPECT_EQ(FileDetect(P("t/a")), u"") << "a directory is no file";
  EXPECT_EQ(FileDetect(P("missing/x")), u"");
  EXPECT_EQ(FileDetect(u""), u"");
  fs::permissions(HostPath("t/a"), fs::perms::owner_read | fs::perms::owner_exec);
  if (!Writable("t/a")) {
    EXPECT_EQ(FileDetect(P("t/report.txt")), u"") << "read-only directories are not searched";
  }
}

TEST_F(Trees, FileDetectDoesNotFollowLinks_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("t/z");
  Dir("elsewhere");
  WriteBytes("elsewhere/linked.txt", "l");
  fs::create_symlink(HostPath("elsewhere"), HostPath("t/z/link"));
  EXPECT_EQ(FileDetect(P("t/linked.txt")), u"");
  EXPECT_EQ(FileDetect(P("elsewhere/linked.txt")), P("elsewhere/linked.txt"));
#endif
}

TEST_F(Trees, SetAllFilenameCaseRenamesNamesOnlyAndNeverReplaces) {
  if (test::RunningUnderWine()) {
    GTEST_SKIP() << "Wine: a rename that changes only the case of a name (MoveFileExW) reports "
                    "success and keeps the old spelling";
  }
  Dir("T/Sub.Dir/Inner");
  Dir("T/Other");
  WriteBytes("T/A.TXT", "a");
  WriteBytes("T/Sub.Dir/B.Txt", "b");
  WriteBytes("T/Sub.Dir/Inner/C.TXT", "c");
  WriteBytes("T/Other/D.TXT", "d");
  WriteBytes("T/\xC3\x89t\xC3\xA9.TXT", "e");
  SetAllFilenameCase(P("T/*.*"), false);
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(HostPath("T"))) {
    names.insert(TestName(fs::relative(e.path(), HostPath("T"))));
  }
  EXPECT_EQ(names, (std::set<std::string>{"a.txt", "sub.dir", "sub.dir/b.txt", "sub.dir/inner",
                                          "sub.dir/inner/c.txt", "other", "other/d.txt",
                                          "\xC3\x89t\xC3\xA9.txt"}))
      << "only A-Z change; the path T stays as given";
  SetAllFilenameCase(P("T/*.txt"), true);
  EXPECT_TRUE(fs::exists(HostPath("T/A.TXT")));
  EXPECT_TRUE(fs::exists(HostPath("T/sub.dir/b.txt"))) << "sub.dir does not match *.txt";
  EXPECT_NO_THROW(SetAllFilenameCase(P("missing/*"), true));

#if !defined(_WIN32)
  // A new name that is taken raises and replaces nothing (names differing in case only are two
  // entries on Linux; Windows file systems take them for one).
  WriteBytes("T/x.dat", "lower");
  WriteBytes("T/X.DAT", "upper");
  try {
    SetAllFilenameCase(P("T/x.dat"), true);
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), EEXIST);
    EXPECT_NE(e.Message().find(P("T/x.dat")), String::npos);
  }
  EXPECT_EQ(ReadBytes("T/x.dat"), "lower");
  EXPECT_EQ(ReadBytes("T/X.DAT"), "upper");
#endif

  // A directory below that cannot be listed is reported the same way, not passed over.
  Dir("U/locked");
  WriteBytes("U/locked/In.TXT", "");
  fs::permissions(HostPath("U/locked"), fs::perms::owner_write | fs::perms::owner_exec);
  if (!test::HostMayRead(HostPath("U/locked"))) {
    try {
      SetAllFilenameCase(P("U/*"), true);
      ADD_FAILURE() << "no exception";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode(), EACCES);
      EXPECT_NE(e.Message().find(P("U/LOCKED/")), String::npos) << e.what();
    }
  }
}

// =================================================================================================
// Directories, listing, counting, sizes

TEST_F(Trees, DirEmptyAndDirExists) {
  Dir("empty");
  Dir("full/x");
  WriteBytes("file", "f");
  Dir("hid");
  WriteBytes("hid/.only", "");
  const struct {
    const char* name;
    bool empty, exists;
  } cases[] = {{"empty", true, true}, {"full", false, true}, {"full/x", true, true},
               {"hid", false, true},  {"file", true, false}, {"missing", true, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(DirEmpty(P(c.name)), c.empty) << c.name;
    EXPECT_EQ(DirEmpty(P(c.name) + u"/"), c.empty) << c.name;
    EXPECT_EQ(DirExists(P(c.name)), c.exists) << c.name;
  }
  EXPECT_TRUE(DirEmpty(u""));
  EXPECT_FALSE(DirExists(u""));
}

TEST_F(Trees, DirEmptyAndDirExistsFollowALink_Linux) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  Dir("full/x");
  fs::create_symlink(HostPath("full"), HostPath("dirlink"));
  fs::create_symlink("nowhere", HostPath("dangling"));
  EXPECT_FALSE(DirEmpty(P("dirlink")));
  EXPECT_TRUE(DirExists(P("dirlink")));
  EXPECT_TRUE(DirEmpty(P("dangling")));
  EXPECT_FALSE(DirExists(P("dangling")));
#endif
}

TEST_F(Trees, ScanAndCountAgreeWithAnIndependentWalk) {
  Dir("t/a/b");
  Dir("t/.git/objects");
  Dir("t/c");
  Dir("elsewhere");
  const char* files[] = {"t/1.txt",
                         "t/2.dat",
                         "t/.h.txt",
                         "t/a/3.txt",
                         "t/a/b/4.txt",
                         "t/a/b/5.TXT",
                         "t/.git/objects/6.txt",
                         "t/c/7.txt",
                         "elsewhere/8.txt"};
  for (const char* f : files) WriteBytes(f, f);
#if !defined(_WIN32)
  // Links on Linux: a linked directory is not entered, a linked file is listed.
  fs::create_symlink(HostPath("elsewhere"), HostPath("t/c/link"));
  fs::create_symlink(HostPath("t/1.txt"), HostPath("t/c/filelink.txt"));
#endif

  // Independently: files matching *.txt (exactly), directories not hidden and not links.
  std::multiset<String> expected;
  for (auto it = fs::recursive_directory_iterator(HostPath("t"));
       it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (it->is_symlink() || name[0] == '.')) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_directory() && name.size() > 4 && name.substr(name.size() - 4) == ".txt") {
      expected.insert(LibraryName(it->path()));
    }
  }
  TStringList list;
  list.Add(u"kept");
  ScanFilesToStrList(P("t/*.txt"), true, &list, RecordScan);
  ASSERT_GE(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), u"kept") << "the list is not cleared";
  EXPECT_EQ(std::multiset<String>(list.begin() + 1, list.end()), expected);
  ASSERT_FALSE(g_scanCalls.empty());
  EXPECT_EQ(g_scanCalls[0], std::make_pair(P("t/"), 0));
  std::set<String> dirs;
  for (const auto& [dir, count] : g_scanCalls) dirs.insert(dir);
  EXPECT_EQ(dirs, (std::set<String>{P("t/"), P("t/a/"), P("t/a/b/"), P("t/c/")}));

  EXPECT_EQ(CountFiles(P("t/*.txt"), true, nullptr), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(CountFiles(P("t/*.txt"), false, nullptr), 2);
  EXPECT_EQ(CountFiles(P("t/*"), false, nullptr), 3) << "1.txt, 2.dat and .h.txt";
  EXPECT_EQ(CountFiles(P("missing/*"), true, nullptr), 0);
  ScanFilesToStrList(P("t/*"), true, nullptr, RecordScan);  // no list: nothing happens

  fs::permissions(HostPath("t/a"), fs::perms::none);
  if (!test::HostMayRead(HostPath("t/a"))) {
    std::vector<String> messages;
    const TStringFeedback collect = [&](TObject*, StringView Msg) { messages.emplace_back(Msg); };
    EXPECT_EQ(CountFiles(P("t/*.txt"), true, nullptr, collect), 4) << "t and t/c, not t/a";
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].find(P("t/a/")), String::npos);
  }
  fs::permissions(HostPath("t/a"), fs::perms::owner_all);
}

TEST_F(Trees, GetFileSizeIn32And64Bits) {
  WriteBytes("five", "12345");
  Dir("dir");
  EXPECT_EQ(GetFileSize(P("five")), 5);
  EXPECT_EQ(GetFileSize(P("f*")), 5);
  EXPECT_EQ(GetFileSize64(P("five")), 5);
  EXPECT_EQ(GetFileSize(P("dir")), 0);
  EXPECT_EQ(GetFileSize(P("none")), -1);
  EXPECT_EQ(GetFileSize64(P("none")), -1);
  EXPECT_EQ(GetFileSize(u""), -1);
  // A sparse file of 3 GiB takes no room where the file system supports holes.
  WriteBytes("huge", "");
  std::error_code ec;
  fs::resize_file(HostPath("huge"), 3ULL << 30, ec);
  if (ec) GTEST_SKIP() << "cannot make a 3 GiB sparse file here: " << ec.message();
  EXPECT_EQ(GetFileSize(P("huge")), 2147483647);
  EXPECT_EQ(GetFileSize64(P("huge")), int64_t{3} << 30);
}

TEST_F(Trees, PathsNearTheHostsLimitWorkOrFailCleanly) {
  // A chain of 250-byte directory names up to about 4000 bytes of path.
  std::string rel = "deep";
  while (HostPath(rel).string().size() < 3800) rel += "/" + std::string(250, 'd');
  Dir(rel);
  WriteBytes(rel + "/f", "f");
  EXPECT_GT(P(rel + "/f").size(), 3800U);
  EXPECT_EQ(CountFiles(P("deep/*"), true, nullptr), 1);
  EXPECT_EQ(FileDetect(P("deep/f")), P(rel + "/f"));
  // Copied below a longer name the path passes the limit: the copy fails and says so.
  std::vector<String> messages;
  const TStringFeedback collect = [&](TObject*, StringView Msg) { messages.emplace_back(Msg); };
  const int32_t status = CopyFileTree(
      P("deep"), P(std::string(250, 'x') + "/" + std::string(250, 'y')), false, nullptr, collect);
  EXPECT_TRUE(status == -5 || status == -2) << status;
  EXPECT_FALSE(messages.empty());
  EXPECT_EQ(DelDirTree(P("deep")), u"");
  EXPECT_FALSE(fs::exists(HostPath("deep")));
}

}  // namespace
}  // namespace xan
