// The platform's file services on real entries in a temporary directory: masks, the directory
// search with its attribute filter, names that are not UTF-8, and the entry operations.
#include "xan/platform/filesystem.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>

#include "platform/host_names.h"
#include "temp_dir.h"
#include "test_host.h"
#include "xan/platform/exceptions.h"

namespace xan {
namespace {

namespace fs = std::filesystem;

TEST(MatchesMask, StarsQuestionMarksAndTheEveryEntryMask) {
  const struct {
    const char16_t* name;
    const char16_t* mask;
    bool match;
  } cases[] = {
      {u"report.txt", u"*.txt", true},
      {u"report.txt", u"*.TXT", false},
      {u"README", u"*.*", true},
      {u"README", u"*", true},
      {u"ab", u"a?", true},
      {u"a", u"a?", false},
      {u"abc", u"a*c", true},
      {u"ac", u"a*c", true},
      {u"abcb", u"a*b", true},
      {u"abcd", u"a*b", false},
      {u"a.b.c", u"*.c", true},
      {u"x", u"", false},
      {u"", u"*", true},
      {u"aXbXc", u"a*b*c", true},
      {u"name", u"name", true},
      {u"name", u"nam", false},
      {u"\u00e9t\u00e9", u"?t?", true},
      {u"aaaaaaaaab", u"*a*a*a*b", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << ToUtf8(c.name) << " " << ToUtf8(c.mask);
  }
}

TEST(HostNames, EveryByteStringRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    ASSERT_EQ(EncodeHostName(DecodeHostName(one)), one) << b;
    if (b >= 0x80) {
      EXPECT_EQ(DecodeHostName(one), String(1, static_cast<Char>(0xDC00 + b)));
    }
  }
  std::mt19937 gen(7);
  for (int i = 0; i < 20000; ++i) {
    std::string bytes(gen() % 12, '\0');
    for (char& c : bytes) c = static_cast<char>(gen() % 4 == 0 ? 0xC0 + gen() % 64 : gen());
    ASSERT_EQ(EncodeHostName(DecodeHostName(bytes)), bytes);
  }
  EXPECT_EQ(DecodeHostName("a\xC3\xA9"), u"a\u00e9");
  EXPECT_EQ(EncodeHostName(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

#if defined(_WIN32)

class FileSystem_Windows : public testing::TempDirTest {};

// The core operations on the system's own calls: search with attributes, sizes and dates,
// entries made, renamed without replacing and removed, read-only files, file handles, paths.
TEST_F(FileSystem_Windows, EntriesSearchAndHandles) {
  WriteBytes("a.txt", "12345");
  WriteBytes("b.TXT", "");
  fs::create_directory(HostPath("sub"));
  const String dir = Path("");
  std::map<String, TSearchRec> found;
  TDirSearch search(dir, u"*", faAnyFile);
  for (TSearchRec rec; search.Next(rec);) found[rec.Name] = rec;
  EXPECT_EQ(search.Error(), 0);
  ASSERT_EQ(found.size(), 3U);
  // Masks match without regard to case, as the file system compares names.
  std::set<String> txt;
  TDirSearch byMask(dir, u"*.Txt", faAnyFile);
  for (TSearchRec rec; byMask.Next(rec);) txt.insert(rec.Name);
  EXPECT_EQ(txt, (std::set<String>{u"a.txt", u"b.TXT"}));
  EXPECT_EQ(found[u"a.txt"].Attr & (faDirectory | faArchive), faArchive);
  EXPECT_EQ(found[u"a.txt"].Size, 5);
  EXPECT_EQ(found[u"sub"].Attr & faDirectory, faDirectory);
  EXPECT_EQ(found[u"sub"].Size, 0);
  // The date as the system keeps it (100 ns steps since 1601); std::filesystem's reading here
  // keeps whole seconds only.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(HostPath("a.txt").c_str(), GetFileExInfoStandard, &data));
  const int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(found[u"a.txt"].TimeNs, (ticks - 116444736000000000) * 100);
  // Attr 0 finds plain files only.
  int plain = 0;
  TDirSearch files(dir, u"*.*", 0);
  for (TSearchRec rec; files.Next(rec);) ++plain;
  EXPECT_EQ(plain, 2);
  TDirSearch missing(Path("none"), u"*");
  TSearchRec rec;
  EXPECT_FALSE(missing.Next(rec));
  EXPECT_EQ(missing.Error(), ENOENT);

  EXPECT_TRUE(FileExists(Path("a.txt")));
  EXPECT_FALSE(FileExists(Path("sub")));
  EXPECT_TRUE(DirectoryExists(Path("sub")));
  EXPECT_EQ(FileGetAttr(Path("none")), faInvalid);
  EXPECT_EQ(CreateDir(Path("sub")), EEXIST);
  EXPECT_EQ(ForceDirectories(Path("x\\y/z")), 0);
  EXPECT_TRUE(DirectoryExists(Path("x\\y\\z")));
  EXPECT_EQ(RenameFile(Path("a.txt"), Path("b.TXT")), EEXIST);
  EXPECT_EQ(RenameFile(Path("a.txt"), Path("c.txt")), 0);
  EXPECT_EQ(RenameFile(Path("a.txt"), Path("d.txt")), ENOENT);
  EXPECT_EQ(RemoveDir(Path("x")), ENOTEMPTY);

  // A read-only file is kept on request and erased otherwise.
  fs::permissions(HostPath("c.txt"), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_NE(FileGetAttr(Path("c.txt")) & faReadOnly, 0U);
  EXPECT_EQ(EraseFile(Path("c.txt"), true), EACCES);
  EXPECT_EQ(EraseFile(Path("c.txt")), 0);
  EXPECT_EQ(EraseFile(Path("c.txt")), ENOENT);
  EXPECT_EQ(EraseFile(Path("sub")), EISDIR);

  TFileHandle out, in;
  ASSERT_EQ(out.Create(Path("h.bin")), 0);
  EXPECT_EQ(out.WriteAt("hello world", 11, 0), 0);
  EXPECT_EQ(out.SetSize(5), 0);
  EXPECT_EQ(out.Size(), 5);
  EXPECT_TRUE(out.IsSameFile(Path("sub\\..\\h.bin")));
  EXPECT_EQ(out.Close(), 0);
  ASSERT_EQ(in.OpenRead(Path("h.bin")), 0);
  char buffer[16] = {};
  int64_t done = 0;
  EXPECT_EQ(in.ReadAt(buffer, 16, 1, done), 0);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(done)), "ello");
  EXPECT_EQ(in.OpenRead(Path("sub")), EISDIR);
  EXPECT_EQ(in.OpenRead(Path("none")), ENOENT);

  EXPECT_EQ(ExpandFileName(u"C:\\a\\.\\b\\..\\c\\"), u"C:\\a\\c\\");
  EXPECT_EQ(ExpandFileName(u"C:/x/y"), u"C:\\x\\y");
  EXPECT_TRUE(PathIsWithin(Path("sub\\new.txt"), dir));
  EXPECT_FALSE(PathIsWithin(u"C:\\", dir));
}

TEST(FileSystem_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

#else

TEST(FileSystem_Windows, NotThisHost) {
  XAN_ONLY_ON_WINDOWS();
}

class FileSystem_Linux : public testing::TempDirTest {
 protected:
  String Dir() const { return FromUtf8(FDir.string()); }
  std::map<String, uint32_t> Search(StringView Mask, uint32_t Attr, bool Details = true) const {
    std::map<String, uint32_t> found;
    TDirSearch search(Dir(), Mask, Attr, Details);
    for (TSearchRec rec; search.Next(rec);) {
      EXPECT_TRUE(found.emplace(rec.Name, rec.Attr).second) << "reported twice";
    }
    EXPECT_EQ(search.Error(), 0);
    return found;
  }
};

TEST_F(FileSystem_Linux, SearchReportsKindsAndFiltersAsWindowsDoes) {
  WriteBytes("a.txt", "12345");
  WriteBytes("b.TXT", "");
  WriteBytes(".hidden", "x");
  fs::create_directory(HostPath("sub"));
  fs::create_directory(HostPath(".cache"));
  fs::create_symlink(HostPath("a.txt"), HostPath("link"));
  fs::create_symlink(HostPath("sub"), HostPath("dirlink"));
  fs::create_symlink(HostPath("missing"), HostPath("dangling"));
  ASSERT_EQ(::mkfifo(HostPath("fifo").c_str(), 0600), 0);

  const std::map<String, uint32_t> all = {
      {u"a.txt", faArchive},
      {u"b.TXT", faArchive},
      {u".hidden", faArchive | faHidden},
      {u"sub", faDirectory},
      {u".cache", faDirectory | faHidden},
      {u"link", faArchive | faSymLink},
      {u"dirlink", faDirectory | faSymLink},
      {u"dangling", faSymLink},
      {u"fifo", faSysFile},
  };
  EXPECT_EQ(Search(u"*.*", faAnyFile), all);
  EXPECT_EQ(Search(u"*", faAnyFile, false), all);
  const std::map<String, uint32_t> plain = {{u"a.txt", faArchive},
                                            {u"b.TXT", faArchive},
                                            {u"link", faArchive | faSymLink},
                                            {u"dangling", faSymLink}};
  EXPECT_EQ(Search(u"*.*", 0), plain);
  auto dirs = plain;
  dirs.emplace(u"sub", faDirectory);
  dirs.emplace(u"dirlink", faDirectory | faSymLink);
  EXPECT_EQ(Search(u"*.*", faDirectory), dirs);
  EXPECT_EQ(Search(u"*.txt", faAnyFile), (std::map<String, uint32_t>{{u"a.txt", faArchive}}));

  TDirSearch search(Dir(), u"a.txt");
  TSearchRec rec;
  ASSERT_TRUE(search.Next(rec));
  struct stat st {};
  ASSERT_EQ(::stat(HostPath("a.txt").c_str(), &st), 0);
  EXPECT_EQ(rec.Size, 5);
  EXPECT_EQ(rec.TimeNs, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec);
  EXPECT_FALSE(search.Next(rec));
  EXPECT_EQ(rec.Name, u"a.txt") << "a finished search leaves the record alone";

  TSearchRec link;
  ASSERT_TRUE(FileGetInfo(Path("link"), link));
  EXPECT_EQ(link.Name, u"link");
  EXPECT_EQ(link.Size, 5) << "a link reports its target's size";
}

TEST_F(FileSystem_Linux, MissingOrUnreadableDirectoriesGiveNoEntries) {
  TDirSearch missing(Path("nowhere"), u"*.*");
  TSearchRec rec;
  EXPECT_FALSE(missing.Next(rec));
  EXPECT_EQ(missing.Error(), ENOENT);
  WriteBytes("file", "");
  TDirSearch notDir(Path("file"), u"*.*");
  EXPECT_FALSE(notDir.Next(rec));
  EXPECT_EQ(notDir.Error(), ENOTDIR);
  TDirSearch nul(Dir() + String(1, u'\0') + u"x", u"*.*");
  EXPECT_FALSE(nul.Next(rec));
  EXPECT_NE(nul.Error(), 0);
}

TEST_F(FileSystem_Linux, NamesThatAreNotUtf8CanBeFoundAndHandledAgain) {
  const std::string raw = "x\xE9y\nz";  // Latin-1 byte and a newline
  WriteBytes(raw, "data");
  const auto found = Search(u"*", faAnyFile);
  ASSERT_EQ(found.size(), 1U);
  const String name = found.begin()->first;
  const String escapedE9(1, static_cast<Char>(0xDCE9));
  const String escapedFF(1, static_cast<Char>(0xDCFF));
  EXPECT_EQ(name, u"x" + escapedE9 + u"y\nz");
  const String path = Dir() + u"/" + name;
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(RenameFile(path, path + escapedFF), 0);
  EXPECT_TRUE(fs::exists(HostPath(raw + "\xFF")));
  EXPECT_EQ(EraseFile(path + escapedFF), 0);
  EXPECT_TRUE(fs::is_empty(FDir));
}

TEST_F(FileSystem_Linux, EntryOperationsReportTheHostsErrors) {
  EXPECT_EQ(ForceDirectories(Path("a/b/c/")), 0);
  EXPECT_TRUE(DirectoryExists(Path("a/b/c")));
  EXPECT_EQ(ForceDirectories(Path("a/b")), 0) << "existing directories are fine";
  WriteBytes("a/f", "1");
  EXPECT_EQ(ForceDirectories(Path("a/f/g")), ENOTDIR);
  EXPECT_EQ(CreateDir(Path("a")), EEXIST);
  EXPECT_EQ(CreateDir(Path("x/y")), ENOENT);
  EXPECT_EQ(RemoveDir(Path("a/b")), ENOTEMPTY);
  EXPECT_EQ(RemoveDir(Path("a/b/c")), 0);
  EXPECT_EQ(EraseFile(Path("a/b")), EISDIR);
  EXPECT_EQ(EraseFile(Path("none")), ENOENT);
  EXPECT_EQ(EraseFile(u""), ENOENT);

  WriteBytes("a/g", "2");
  EXPECT_EQ(RenameFile(Path("a/f"), Path("a/g")), EEXIST);
  EXPECT_EQ(ReadBytes("a/g"), "2") << "an existing name is never replaced";
  EXPECT_EQ(RenameFile(Path("a/f"), Path("a/h")), 0);
  EXPECT_EQ(ReadBytes("a/h"), "1");
  EXPECT_EQ(RenameFile(Path("a/f"), Path("a/i")), ENOENT);

  fs::create_symlink(HostPath("a/g"), HostPath("ln"));
  EXPECT_EQ(EraseFile(Path("ln")), 0);
  EXPECT_TRUE(fs::exists(HostPath("a/g"))) << "the link goes, its target stays";

  EXPECT_EQ(FileGetAttr(Path("none")), faInvalid);
  EXPECT_TRUE(FileExists(Path("a/g")));
  EXPECT_FALSE(FileExists(Path("a")));
  EXPECT_FALSE(DirectoryExists(Path("a/g")));
  try {
    RaiseFileError(ENOENT, u"Cannot rename", u"a.txt");
    FAIL() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_EQ(e.Message(), u"Cannot rename \"a.txt\": " + FromUtf8(std::strerror(ENOENT)));
  }
}

TEST_F(FileSystem_Linux, ReadOnlyMeansTheCallerMayNotWrite) {
  WriteBytes("ro", "x");
  fs::permissions(HostPath("ro"), fs::perms::owner_read | fs::perms::group_read);
  // Root may write anyway; the bit follows what the caller may do, read here by the test itself.
  const bool writable = ::access(HostPath("ro").c_str(), W_OK) == 0;
  EXPECT_EQ((FileGetAttr(Path("ro")) & faReadOnly) != 0, !writable);

  WriteBytes("src", "x");
  fs::permissions(HostPath("src"), fs::perms::owner_read | fs::perms::others_read);
  const auto then = fs::file_time_type::clock::now() - std::chrono::hours(50);
  fs::last_write_time(HostPath("src"), then);
  WriteBytes("dst", "y");
  EXPECT_EQ(CopyFileTimes(Path("src"), Path("dst")), 0);
  EXPECT_EQ(fs::last_write_time(HostPath("dst")), then);
  EXPECT_EQ(CopyFilePermissions(Path("src"), Path("dst"), true), 0);
  EXPECT_EQ(fs::status(HostPath("dst")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  EXPECT_EQ(CopyFilePermissions(Path("src"), Path("dst"), false), 0);
  EXPECT_EQ(fs::status(HostPath("dst")).permissions(),
            fs::perms::owner_read | fs::perms::others_read);
  EXPECT_EQ(CopyFileTimes(Path("none"), Path("dst")), ENOENT);
}

TEST_F(FileSystem_Linux, PathIsWithinFollowsTheHostsResolution) {
  fs::create_directories(HostPath("src/sub"));
  fs::create_directories(HostPath("srcx"));
  WriteBytes("src/file", "");
  fs::create_directory_symlink(HostPath("src"), HostPath("alias"));
  fs::create_directory_symlink(HostPath("srcx"), HostPath("src/out"));
  const struct {
    const char* path;
    bool within;
  } cases[] = {
      {"src", true},        {"src/", true},         {"src/sub", true},   {"src/new/deeper", true},
      {"src/file", true},   {"src/file/x", true},   {"alias/new", true}, {"srcx/a", false},
      {"src/out/x", false}, {"src/../srcx", false}, {"", false},         {"src/sub/../n", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathIsWithin(Path(c.path), Path("src")), c.within) << c.path;
  }
  EXPECT_FALSE(PathIsWithin(Path("src/x"), Path("missing")));
  EXPECT_FALSE(PathIsWithin(Path("src/x"), Path("src/file")));
  EXPECT_FALSE(PathIsWithin(u"", Path("src")));
}

TEST_F(FileSystem_Linux, LinksAreCopiedAndReadOnlyFilesKeptOnRequest) {
  fs::create_symlink("some/where", HostPath("link"));
  EXPECT_EQ(CopySymLink(Path("link"), Path("copy")), 0);
  EXPECT_EQ(fs::read_symlink(HostPath("copy")), "some/where");
  EXPECT_EQ(CopySymLink(Path("link"), Path("copy")), EEXIST);
  WriteBytes("plain", "p");
  EXPECT_EQ(CopySymLink(Path("plain"), Path("copy2")), EINVAL);
  EXPECT_EQ(CopySymLink(Path("none"), Path("copy3")), ENOENT);

  WriteBytes("ro", "r");
  fs::permissions(HostPath("ro"), fs::perms::owner_read);
  fs::create_symlink(HostPath("ro"), HostPath("ro-link"));
  EXPECT_EQ(EraseFile(Path("ro-link"), true), 0) << "a link is removed whatever its target";
  // Kept whoever asks: its owner may not write it (root, who may, is kept from it too).
  EXPECT_EQ(EraseFile(Path("ro"), true), EACCES);
  EXPECT_TRUE(fs::exists(HostPath("ro")));
  EXPECT_EQ(EraseFile(Path("none"), true), ENOENT);

  // A directory emptied from itself: in order, stopping at the first entry that will not go.
  fs::create_directories(HostPath("d/sub"));
  for (const char* name : {"a", "b", "c"}) WriteBytes(std::string("d/") + name, name);
  fs::create_symlink("a", HostPath("d/ln"));
  const std::vector<String> names = {u"ln", u"a", u"sub", u"b"};
  int32_t error = -1;
  EXPECT_EQ(EraseFilesIn(Path("d"), names, true, error), 2U);
  EXPECT_EQ(error, EISDIR);
  EXPECT_FALSE(fs::exists(HostPath("d/a")));
  EXPECT_TRUE(fs::exists(HostPath("d/b")));
  const std::vector<String> rest = {u"b", u"c"};
  EXPECT_EQ(EraseFilesIn(Path("d"), rest, true, error), 2U);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(EraseFilesIn(Path("none"), rest, true, error), 0U);
  EXPECT_EQ(error, ENOENT);
  const std::vector<String> bad = {u"sub/x"};
  EXPECT_EQ(EraseFilesIn(Path("d"), bad, false, error), 0U) << "names only, no paths";
  EXPECT_EQ(FileErrorMessage(ENOENT, u"Cannot open file", u"x"),
            u"Cannot open file \"x\": " + FromUtf8(std::strerror(ENOENT)));
}

TEST_F(FileSystem_Linux, FileHandleMovesContentAndTellsErrors) {
  const std::string data(300000, 'q');
  WriteBytes("src", data);
  TFileHandle src, dst;
  EXPECT_FALSE(src.IsOpen());
  EXPECT_EQ(src.Size(), -1);
  ASSERT_EQ(src.OpenRead(Path("src")), 0);
  EXPECT_EQ(src.Size(), 300000);
  EXPECT_TRUE(src.IsSameFile(Path("./src")));
  EXPECT_FALSE(src.IsSameFile(Path("dst")));
  ASSERT_EQ(dst.Create(Path("dst")), 0);
  int64_t done = -1;
  EXPECT_EQ(dst.CopyRangeFrom(src, 100, 1000, done), 0);
  EXPECT_EQ(done, 1000);
  EXPECT_EQ(dst.CopyRangeFrom(src, 1100, 1000000, done), 0);
  EXPECT_EQ(done, 300000 - 1100) << "short at the end of the source";
  EXPECT_EQ(dst.CopyRangeFrom(src, 300000, 10, done), 0);
  EXPECT_EQ(done, 0);
  char head[100];
  EXPECT_EQ(src.ReadAt(head, 100, 0, done), 0);
  EXPECT_EQ(dst.WriteAt(head, 100, 0), 0);
  EXPECT_EQ(src.ReadAt(head, 100, 299950, done), 0);
  EXPECT_EQ(done, 50);
  EXPECT_EQ(dst.Close(), 0);
  EXPECT_EQ(dst.Close(), 0) << "closing twice does nothing";
  EXPECT_EQ(ReadBytes("dst"), data);
  ASSERT_EQ(dst.Create(Path("dst")), 0);
  EXPECT_EQ(dst.SetSize(5), 0);
  EXPECT_EQ(dst.Size(), 5);
  EXPECT_EQ(dst.ReadAt(head, 1, 0, done), EBADF) << "opened for writing only";

  TFileHandle other;
  EXPECT_EQ(other.OpenRead(Path("none")), ENOENT);
  EXPECT_EQ(other.OpenRead(Dir()), EISDIR);
  EXPECT_EQ(other.Create(Path("no/such")), ENOENT);
  fs::create_symlink(HostPath("src"), HostPath("link"));
  EXPECT_EQ(other.Create(Path("link"), false), ELOOP);
  EXPECT_EQ(ReadBytes("src"), data) << "not written through the link";
  EXPECT_EQ(other.WriteAt("x", 1, 0), EBADF);
}

TEST(ExpandFileName, MakesPathsAbsoluteByTextAlone) {
  const String cwd = FromUtf8(fs::current_path().string());
  EXPECT_EQ(GetCurrentDir(), cwd);
  EXPECT_EQ(ExpandFileName(u"/a/./b//c/../d"), u"/a/b/d");
  EXPECT_EQ(ExpandFileName(u"/a/b/"), u"/a/b/");
  EXPECT_EQ(ExpandFileName(u"/.."), u"/");
  EXPECT_EQ(ExpandFileName(u"/"), u"/");
  EXPECT_EQ(ExpandFileName(u"x/y/"), (cwd == u"/" ? u"" : cwd) + u"/x/y/");
  EXPECT_EQ(ExpandFileName(u""), cwd);
  EXPECT_EQ(ExpandFileName(u"/a/../../b"), u"/b");
}

#endif

}  // namespace
}  // namespace xan
