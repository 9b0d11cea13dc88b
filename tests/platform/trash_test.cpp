// The trash of the platform layer on real directories: the info file's text, the names tried in
// files/, the home trash and the top-directory trash with its checks.
#include "xan/platform/trash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "temp_dir.h"
#include "test_host.h"
#include "xan/platform/filesystem.h"

#if defined(_WIN32)

namespace xan {
namespace {

class Trash_Windows : public testing::TempDirTest {};

// The recycle bin takes files and directories; what is not there, or names "." or "..", stays.
TEST_F(Trash_Windows, EntriesGoToTheRecycleBin) {
  WriteBytes("a.txt", "abc");
  std::filesystem::create_directories(HostPath("d") / "e");
  WriteBytes("d/e/f.txt", "x");
  // A long name: the shell's list is sized to the path, whatever its length.
  const std::string longName(200, 'n');
  WriteBytes(longName, "y");
  EXPECT_EQ(MoveToTrash(Path("a.txt")), 0);
  EXPECT_FALSE(FileExists(Path("a.txt")));
  EXPECT_EQ(MoveToTrash(Path("d")), 0);
  EXPECT_FALSE(DirectoryExists(Path("d")));
  EXPECT_EQ(MoveToTrash(Path(longName)), 0);
  EXPECT_FALSE(FileExists(Path(longName)));
  EXPECT_EQ(MoveToTrash(Path("missing.txt")), ENOENT);
  EXPECT_EQ(MoveToTrash(u""), ENOENT);
  EXPECT_EQ(MoveToTrash(Path("..")), EINVAL);
  EXPECT_TRUE(std::filesystem::exists(FDir));
}

TEST(Trash_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

}  // namespace
}  // namespace xan

#else

#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_names.h"
#include "platform/posix/trash_internal.h"

namespace xan {
namespace {

namespace fs = std::filesystem;

TEST(Trash_Windows, NotThisHost) {
  XAN_ONLY_ON_WINDOWS();
}

TEST(TrashText_Linux, PathBytesAreEscapedAsInUrls) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const bool keep = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                      one == "-" || one == "." || one == "_" || one == "~" || one == "/";
    if (keep) {
      EXPECT_EQ(trash::EscapePath(one), one) << b;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", b);
      EXPECT_EQ(trash::EscapePath(one), hex) << b;
    }
  }
  EXPECT_EQ(trash::EscapePath("/home/u/a b.txt"), "/home/u/a%20b.txt");
  EXPECT_EQ(trash::EscapePath("x\ny%"), "x%0Ay%25");
}

TEST(TrashText_Linux, InfoFileAndNamesInFiles) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 8;
  t.tm_sec = 9;
  EXPECT_EQ(trash::InfoText("/a/b c", t),
            "[Trash Info]\nPath=/a/b%20c\nDeletionDate=2024-03-05T07:08:09\n");

  const struct {
    const char* name;
    int attempt;
    size_t max;
    const char* expected;
  } cases[] = {
      {"a.txt", 1, 245, "a.txt"},
      {"a.txt", 3, 245, "a.3.txt"},
      {"archive.tar.gz", 2, 245, "archive.tar.2.gz"},
      {".profile", 2, 245, ".profile.2"},
      {"README", 12, 245, "README.12"},
      {"abcdefgh.txt", 1, 8, "abcd.txt"},
      {"abcdefgh.txt", 10, 8, "a.10.txt"},
      {"x.averyveryverylongextension", 2, 245, "x.averyveryverylongextension.2"},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 1, 4, "\xC3\xA9\xC3\xA9"},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 1, 5, "\xC3\xA9\xC3\xA9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trash::TrashName(c.name, c.attempt, c.max), c.expected) << c.name << " " << c.attempt;
  }
}

class Trash_Linux : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
      const char* value = std::getenv(name);
      FSaved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    FTop = fs::canonical(FDir);
    FUid = std::to_string(::getuid());
  }
  void TearDown() override {
    for (const auto& [name, value] : FSaved) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    TempDirTest::TearDown();
  }
  String Top() const { return DecodeHostName(FTop.string()); }

  // Trashes sub/<name> with the temporary directory as the top directory; checks where it went.
  void ExpectTopDirTrash(const std::string& Name, const fs::path& Trash) {
    fs::create_directories(HostPath("sub"));
    WriteBytes("sub/" + Name, "content");
    ASSERT_EQ(trash::MoveToTopDirTrash(DecodeHostName(HostPath("sub/" + Name).string()), Top()), 0);
    EXPECT_FALSE(fs::exists(HostPath("sub/" + Name)));
    EXPECT_EQ(ReadBytes(fs::relative(Trash / "files" / Name, FDir).string()), "content");
    const std::string info =
        ReadBytes(fs::relative(Trash / "info" / (Name + ".trashinfo"), FDir).string());
    EXPECT_EQ(info.substr(0, info.find("DeletionDate")),
              "[Trash Info]\nPath=sub/" + trash::EscapePath(Name) + "\n")
        << "relative to the top directory";
    struct stat st {};
    ASSERT_EQ(::lstat(Trash.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
  }

  std::vector<std::pair<std::string, std::optional<std::string> > > FSaved;
  fs::path FTop;
  std::string FUid;
};

TEST_F(Trash_Linux, HomeTrashFollowsTheDataDirectory) {
  ::setenv("XDG_DATA_HOME", "/x/data", 1);
  ::setenv("HOME", "/h/u", 1);
  EXPECT_EQ(trash::HomeTrashDir(), "/x/data/Trash");
  ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(trash::HomeTrashDir(), "/h/u/.local/share/Trash");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(trash::HomeTrashDir(), "/h/u/.local/share/Trash");

  // A whole directory goes in one piece, into a home trash that is created on the way.
  ::setenv("XDG_DATA_HOME", (FDir / "new/data").c_str(), 1);
  fs::create_directories(HostPath("dir/inner"));
  WriteBytes("dir/inner/f", "f");
  ASSERT_EQ(MoveToTrash(Path("dir")), 0);
  EXPECT_EQ(ReadBytes("new/data/Trash/files/dir/inner/f"), "f");
  EXPECT_TRUE(fs::exists(HostPath("new/data/Trash/info/dir.trashinfo")));

  EXPECT_EQ(MoveToTrash(Path("none")), ENOENT);
  EXPECT_EQ(MoveToTrash(u""), ENOENT);
  EXPECT_EQ(MoveToTrash(Path("new/..")), EINVAL);
  EXPECT_TRUE(fs::exists(HostPath("new")));
}

TEST_F(Trash_Linux, TopDirectoryTrashIsMadeOrCheckedAsSharedDirectoriesNeed) {
  // No .Trash: the user's own .Trash-$uid, created private.
  ExpectTopDirTrash("a.txt", FTop / (".Trash-" + FUid));
  EXPECT_EQ(fs::status(FTop / (".Trash-" + FUid)).permissions(), fs::perms::owner_all);

  // An administrator's .Trash with the sticky bit: .Trash/$uid in it.
  fs::create_directory(FTop / ".Trash");
  fs::permissions(FTop / ".Trash", fs::perms::all | fs::perms::sticky_bit);
  ExpectTopDirTrash("b.txt", FTop / ".Trash" / FUid);

  // Without the sticky bit, or as a link, it is not used.
  fs::remove_all(FTop / ".Trash");
  fs::create_directory(FTop / ".Trash");
  fs::permissions(FTop / ".Trash", fs::perms::all);
  ExpectTopDirTrash("c\nd\xE9.txt", FTop / (".Trash-" + FUid));
  EXPECT_FALSE(fs::exists(FTop / ".Trash" / FUid));
  fs::remove_all(FTop / ".Trash");
  fs::create_directory(FTop / "sticky");
  fs::permissions(FTop / "sticky", fs::perms::all | fs::perms::sticky_bit);
  fs::create_directory_symlink(FTop / "sticky", FTop / ".Trash");
  ExpectTopDirTrash("e.txt", FTop / (".Trash-" + FUid));
  EXPECT_TRUE(fs::is_empty(FTop / "sticky"));

  // A .Trash-$uid that is a link is never used: the file stays.
  fs::remove_all(FTop / (".Trash-" + FUid));
  fs::create_directory_symlink(FTop / "sticky", FTop / (".Trash-" + FUid));
  WriteBytes("sub/f.txt", "f");
  EXPECT_NE(trash::MoveToTopDirTrash(Path("sub/f.txt"), Top()), 0);
  EXPECT_EQ(ReadBytes("sub/f.txt"), "f");
  EXPECT_TRUE(fs::is_empty(FTop / "sticky"));

  // A file outside the top directory is not its to take.
  fs::create_directory(FTop / "other");
  EXPECT_EQ(trash::MoveToTopDirTrash(Path("sub/f.txt"), Path("other")), EXDEV);
}

}  // namespace
}  // namespace xan

#endif
