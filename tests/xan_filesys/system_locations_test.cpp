// System locations: passwords against a model of their draws, write probes beside an existing
// probe file, drives against the host's own readings, the environment, and program associations
// from a MIME database made by the test.
#include "xan/filesys/system_locations.h"

#if !defined(_WIN32)
#include <stdlib.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "../platform/temp_dir.h"
#include "test_host.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/random.h"

#if !defined(_WIN32)
extern char** environ;
#endif

namespace xan {
namespace {

// Sets environment variables for one test and gives them back their values afterwards.
class TEnvGuard {
 public:
  explicit TEnvGuard(std::initializer_list<const char*> Names) {
    for (const char* name : Names) {
      const char* value = std::getenv(name);
      FSaved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~TEnvGuard() {
    for (const auto& [name, value] : FSaved) test::SetEnvVar(name.c_str(), value);
  }
  static void Set(const char* Name, const std::string& Value) { test::SetEnvVar(Name, Value); }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

// ------------------------------------------------------------------------------------------------
// Passwords

constexpr std::u16string_view kVowels = u"aeiouy";
constexpr std::u16string_view kConsonants = u"bcdfghjklmnpqrstvwxz";
constexpr std::u16string_view kSpecials = u"_!$%#=0123456789";

// The documented draws, step by step, on a generator of the test's own.
String ModelPassword(TRandomGenerator& g, int32_t length, bool mixed, bool special) {
  const int32_t l = length < 4 ? 4 : length > 14 ? 14 : length;
  String letters;
  if (l % 2 == 1) letters += kVowels[g.Range(6)];
  for (int32_t i = 1; i <= l / 2 - 1; ++i) {
    letters += kConsonants[g.Range(20)];
    letters += kVowels[g.Range(6)];
  }
  const int32_t n = g.Range(100);
  String digits = {static_cast<Char>(u'0' + n / 10), static_cast<Char>(u'0' + n % 10)};
  String p =
      letters.size() >= 6 ? letters.substr(0, 6) + digits + letters.substr(6) : letters + digits;
  for (size_t i = 0; mixed && i < p.size(); ++i) {
    if (g.Uniform() > 0.5 && p[i] >= u'a' && p[i] <= u'z') p[i] = static_cast<Char>(p[i] - 32);
  }
  for (size_t i = 0; special && i < p.size(); ++i) {
    if (g.Uniform() > 0.8) p[i] = kSpecials[g.Range(16)];
  }
  return p;
}

// The letter shape of a plain password: 'v' vowel, 'c' consonant, 'd' digit.
std::string Shape(StringView p) {
  std::string shape;
  for (const Char c : p) {
    shape += kVowels.find(c) != StringView::npos       ? 'v'
             : kConsonants.find(c) != StringView::npos ? 'c'
             : c >= u'0' && c <= u'9'                  ? 'd'
                                                       : '?';
  }
  return shape;
}

TEST(Passwords, SharedGeneratorDrawsAsDocumented) {
  const uint32_t saved = RandSeed();
  for (const uint32_t seed : {0U, 1U, 9046U, 0xDEADBEEFU}) {
    for (int32_t length = -3; length <= 20; ++length) {
      for (int flags = 0; flags < 5; ++flags) {
        SetRandSeed(seed + static_cast<uint32_t>(length) * 7919U);
        TRandomGenerator model(RandSeed());
        const bool mixed = (flags & 1) != 0, special = (flags & 2) != 0;
        const String got =
            flags == 4 ? InventPassword(length) : InventPassword(length, mixed, special);
        EXPECT_EQ(got, ModelPassword(model, length, mixed, special)) << seed << " " << length;
        EXPECT_EQ(RandSeed(), model.Seed()) << "exactly the documented number of draws";
      }
    }
  }
  SetRandSeed(saved);

  // Shapes of the documented edge cases, from many states of the generator.
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(Shape(InventPassword(2)), "cvdd");
    EXPECT_EQ(Shape(InventPassword(4)), "cvdd");
    EXPECT_EQ(Shape(InventPassword(7)), "vcvcvdd");
    EXPECT_EQ(Shape(InventPassword(8)), "cvcvcvdd");
    EXPECT_EQ(Shape(InventPassword(9)), "vcvcvcddv");
    EXPECT_EQ(Shape(InventPassword(20)), "cvcvcvddcvcvcv");
  }
  // A seeded program repeats its passwords.
  SetRandSeed(42);
  const String first = InventPassword(10, true, true);
  SetRandSeed(42);
  EXPECT_EQ(InventPassword(10, true, true), first);
  SetRandSeed(saved);
}

TEST(Passwords, SecureFormFollowsTheSameRulesWithoutTouchingTheSharedGenerator) {
  const uint32_t seed = RandSeed();
  std::set<Char> seen;
  std::set<String> passwords;
  for (int i = 0; i < 3000; ++i) {
    const String plain = InventPasswordSecure(i % 2 == 0 ? 14 : 9);
    EXPECT_EQ(Shape(plain), i % 2 == 0 ? "cvcvcvddcvcvcv" : "vcvcvcddv");
    seen.insert(plain.begin(), plain.end());
    passwords.insert(plain);
    const String decorated = InventPasswordSecure(14, true, true);
    ASSERT_EQ(decorated.size(), 14U);
    seen.insert(decorated.begin(), decorated.end());
  }
  EXPECT_EQ(Shape(InventPasswordSecure(-1)), "cvdd");
  EXPECT_EQ(InventPasswordSecure(99).size(), 14U);
  EXPECT_EQ(RandSeed(), seed);
  EXPECT_GT(passwords.size(), 2900U);
  // Every character the rules allow shows up, and nothing else.
  std::set<Char> allowed;
  for (const std::u16string_view set : {kVowels, kConsonants, kSpecials}) {
    for (const Char c : set) {
      allowed.insert(c);
      if (c >= u'a' && c <= u'z') allowed.insert(static_cast<Char>(c - 32));
    }
  }
  EXPECT_EQ(seen, allowed);
}

// ------------------------------------------------------------------------------------------------
// Write probes

class WriteProbe : public testing::TempDirTest {
 protected:
  size_t EntryCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(FDir),
                                             std::filesystem::directory_iterator()));
  }
};

TEST_F(WriteProbe, ProbesWithoutLeavingOrTouchingFiles) {
  const std::string probe(ToUtf8(kProbeFileName));
  EXPECT_FALSE(DirIsReadOnly(FromUtf8(FDir.string())));
  EXPECT_FALSE(DirIsReadOnly(Path("")));  // with its trailing '/'
  EXPECT_EQ(EntryCount(), 0U);

  // A file of the probe's name stays as it was, and the directory is still writable.
  WriteBytes(probe, "precious data");
  EXPECT_FALSE(DirIsReadOnly(FromUtf8(FDir.string())));
  EXPECT_EQ(ReadBytes(probe), "precious data");
  EXPECT_EQ(EntryCount(), 1U);

  EXPECT_TRUE(DirIsReadOnly(Path("missing")));
  EXPECT_TRUE(DirIsReadOnly(Path(probe)));  // a file, not a directory
  EXPECT_FALSE(std::filesystem::exists(HostPath("missing")));

  // A directory without write permission: read-only unless the caller may write anyway (root).
  std::filesystem::create_directory(HostPath("ro"));
  WriteBytes("ro/" + probe, "also precious");
  std::filesystem::permissions(
      HostPath("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool writable = test::HostMayWrite(HostPath("ro"));
  EXPECT_EQ(DirIsReadOnly(Path("ro")), !writable);
  std::filesystem::permissions(HostPath("ro"), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadBytes("ro/" + probe), "also precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(HostPath("ro")),
                          std::filesystem::directory_iterator()),
            1);
}

// ------------------------------------------------------------------------------------------------
// Drives

TEST(Drives_Linux, LettersTypesRootsAndTheList) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  EXPECT_EQ(GetDiskDriveType(26), 0);
  EXPECT_EQ(GetDiskDriveType(255), 0);
  EXPECT_EQ(GetDiskDriveType(0), dtNoRootDir);
  EXPECT_EQ(GetDiskDriveType(1), dtNoRootDir);
  EXPECT_EQ(DriveRootPath(2), u"/");
  EXPECT_EQ(DriveRootPath(26), u"");
  EXPECT_EQ(DiskFreeExtended(0), -1);
  EXPECT_EQ(DiskFreeExtended(26), -1);
  EXPECT_TRUE(DiskIsReadOnly(0));
  EXPECT_TRUE(DiskIsReadOnly(26));

  TStringList list;
  list.Add(u"left over");
  BuildDriveList(list);
  ASSERT_GE(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), u"C:");
  std::set<String> listed(list.begin(), list.end());
  for (uint8_t drive = 0; drive < 26; ++drive) {
    const String name = {static_cast<Char>(u'A' + drive), u':'};
    const bool exists = listed.count(name) != 0;
    EXPECT_EQ(!DriveRootPath(drive).empty(), exists) << drive;
    const int32_t type = GetDiskDriveType(drive);
    if (exists) {
      EXPECT_TRUE(type >= dtRemovable && type <= dtRAMDisk) << drive << " " << type;
      EXPECT_TRUE(DirectoryExists(DriveRootPath(drive))) << ToUtf8(DriveRootPath(drive));
    } else {
      EXPECT_EQ(type, dtNoRootDir) << drive;
      EXPECT_EQ(DiskFreeExtended(drive), -1) << drive;
    }
  }
#endif
}

TEST(Drives_Linux, FreeSpaceAndWriteProbeOfTheRoot) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  struct statvfs before {
  }, after{};
  ASSERT_EQ(::statvfs("/", &before), 0);
  const int64_t free = DiskFreeExtended(2);
  ASSERT_EQ(::statvfs("/", &after), 0);
  const auto bytes = [](const struct statvfs& s) {
    return static_cast<int64_t>(s.f_bavail) * static_cast<int64_t>(s.f_frsize);
  };
  const int64_t slack = 64LL << 20;  // other programs write meanwhile
  EXPECT_GE(free, std::min(bytes(before), bytes(after)) - slack);
  EXPECT_LE(free, std::max(bytes(before), bytes(after)) + slack);

  // The root is read-only for whoever may not write there (root may, unless the mount is not).
  const bool writable = ::access("/", W_OK) == 0;
  const String probe = u"/" + String(kProbeFileName);
  if (writable && FileGetAttr(probe) != faInvalid) GTEST_SKIP() << "a probe file lies in /";
  EXPECT_EQ(DiskIsReadOnly(2), !writable);
  EXPECT_EQ(FileGetAttr(probe), faInvalid);
#endif
}

// ------------------------------------------------------------------------------------------------
// Directories and the environment

TEST(Environment_Linux, TempAndSystemDirectories) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  TEnvGuard guard({"TMPDIR"});
  TEnvGuard::Set("TMPDIR", "/var/tmp");
  EXPECT_EQ(GetTempDir(), u"/var/tmp/");
  TEnvGuard::Set("TMPDIR", "/scratch/space/");
  EXPECT_EQ(GetTempDir(), u"/scratch/space/");
  TEnvGuard::Set("TMPDIR", "");
  EXPECT_EQ(GetTempDir(), u"/tmp/");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(GetTempDir(), u"/tmp/");

  for (const String& dir : {GetSystemDir(), GetWindowsDir()}) {
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), u'/');
    EXPECT_NE(dir.back(), u'/');
    EXPECT_TRUE(DirectoryExists(dir)) << ToUtf8(dir);
  }
#endif
}

#if !defined(_WIN32)
// The value of the last entry of environ whose name equals Name in A-Z case, read by the test.
std::optional<std::string> LastEntry(const std::string& Name) {
  std::optional<std::string> value;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    if (entry.size() > Name.size() && entry[Name.size()] == '=' &&
        std::equal(Name.begin(), Name.end(), entry.begin(),
                   [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      value = entry.substr(Name.size() + 1);
    }
  }
  return value;
}
#endif

TEST(Environment_Linux, LastEntryWithoutRegardToCase) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  TEnvGuard guard({"XAN_LOC_TEST", "xan_loc_test", "Xan_Loc_Eq", "XAN_\xC3\x89T\xC3\x89"});
  TEnvGuard::Set("XAN_LOC_TEST", "upper");
  TEnvGuard::Set("xan_loc_test", "lower");
  TEnvGuard::Set("Xan_Loc_Eq", "a=b");
  TEnvGuard::Set("XAN_\xC3\x89T\xC3\x89", "accented");
  const auto last = LastEntry("xan_loc_test");
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(ToUtf8(GetEnviroVar(u"Xan_Loc_Test")), *last);
  EXPECT_EQ(GetEnviroVar(u"XAN_LOC_TES"), u"");
  EXPECT_EQ(GetEnviroVar(u"XAN_LOC_TEST_"), u"");
  EXPECT_EQ(GetEnviroVar(u"xan_loc_eq"), u"a=b");
  EXPECT_EQ(GetEnviroVar(u"xan_\u00e9t\u00e9"), u"accented");  // locale case, not just A-Z
  EXPECT_EQ(GetEnviroVar(u"xan_loc_eq=a"), u"b");

  const auto path = LastEntry("path");
  if (!path) GTEST_SKIP() << "no PATH in the environment";
  EXPECT_EQ(ToUtf8(GetEnviroVar(u"path")), *path);
  EXPECT_EQ(GetEnviroVar(u"PAT").empty(), !LastEntry("pat").has_value());
#endif
}

// ------------------------------------------------------------------------------------------------
// Program associations

class ProgAssoc_Linux : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    XAN_ONLY_ON_LINUX();
    for (const char* dir : {"home/mime", "home/applications", "sys/mime", "sys/applications/vendor",
                            "config", "sysconfig"}) {
      std::filesystem::create_directories(HostPath(dir));
    }
    TEnvGuard::Set("XDG_DATA_HOME", HostPath("home").string());
    TEnvGuard::Set("XDG_DATA_DIRS", "relative/ignored:" + HostPath("sys").string());
    TEnvGuard::Set("XDG_CONFIG_HOME", HostPath("config").string());
    TEnvGuard::Set("XDG_CONFIG_DIRS", HostPath("sysconfig").string());
    TEnvGuard::Set("XDG_CURRENT_DESKTOP", "Other:XanDesk");
  }
  void Desktop(const std::string& Name, const std::string& Body) {
    WriteBytes(Name, "[Desktop Entry]\nName=Some App\n" + Body);
  }
  TEnvGuard FGuard{{"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
                    "XDG_CURRENT_DESKTOP"}};
};

TEST_F(ProgAssoc_Linux, FromGlobsDefaultsAndDesktopFiles) {
  WriteBytes("home/mime/globs2",
             "# generated\n"
             "80:application/x-heavy:*.xanw\n"
             "50:application/x-xanone:*.xanone\n"
             "50:application/x-light:*.xanw\n"
             "50:application/x-xanxgz:*.xgz\n"
             "50:application/x-xantgz:*.tar.xgz\n"
             "50:application/x-cs:*.XCS:cs\n"
             "50:application/x-upper:*.XEX\n"
             "50:application/x-lower:*.xex\n"
             "50:application/x-replaced:__NOGLOBS__\n"
             "50:application/x-replaced:*.xannew\n"
             "50:text/x-xanchild:*.xanchild\n"
             "50:text/x-xanother:*.xantext\n"
             "50:application/x-scanned:*.xanscan\n"
             "50:application/x-unassoc:*.xanun\n"
             "50:application/x-removed:*.xanrm\n"
             "50:application/x-nothing:*.xannothing\n");
  WriteBytes("home/mime/subclasses", "text/x-xanchild text/x-xanparent\n");
  WriteBytes("sys/mime/globs2",
             "50:application/x-replaced:*.xanold\n"
             "50:application/x-cached:*.xancache\n"
             "50:application/x-shadow:*.xanone\n");
  Desktop("home/applications/xanview.desktop",
          "Type=Application\nExec=xanview\\s--open "
          "%f\nMimeType=application/x-xanone;application/x-lower;"
          "application/x-replaced;application/x-cs;text/x-xanparent;application/x-xantgz;\n");
  Desktop("home/applications/hidden.desktop",
          "Exec=hidden\nHidden=true\nMimeType=application/x-heavy;\n");
  Desktop("home/applications/scanned.desktop", "Exec=scanned\nMimeType=application/x-scanned;\n");
  Desktop("home/applications/link.desktop",
          "Type=Link\nExec=link\nMimeType=application/x-scanned;\n");
  Desktop("sys/applications/vendor/edit.desktop",
          "Exec=vendor-edit %U\nMimeType=application/x-heavy;\n");
  // A directory called like a desktop file does not hide the file of a later directory.
  std::filesystem::create_directory(HostPath("home/applications/cached.desktop"));
  Desktop("sys/applications/cached.desktop",
          "Exec=cached %F\nMimeType=application/x-cached;application/x-removed;\n");
  Desktop("sys/applications/plain.desktop", "Exec=plainedit\nMimeType=text/plain;\n");
  WriteBytes("sys/applications/mimeinfo.cache",
             "[MIME Cache]\napplication/x-cached=cached.desktop;\n"
             "application/x-heavy=vendor-edit.desktop;\n"
             "application/x-removed=cached.desktop;\ntext/plain=plain.desktop;\n");
  WriteBytes("config/mimeapps.list",
             "[Default Applications]\n"
             "application/x-xanone=missing.desktop;xanview.desktop;\n"
             "application/x-heavy=hidden.desktop;\n"
             "application/x-unassoc=xanview.desktop;\n"
             "text/x-xanparent=xanview.desktop\n"
             "[Removed Associations]\napplication/x-removed=cached.desktop;\n");
  WriteBytes("config/xandesk-mimeapps.list",
             "[Default Applications]\napplication/x-heavy=vendor-edit.desktop;\n");

  const std::map<String, String> cases = {
      {u"xanone", u"xanview --open %f"},   // the first default that is installed; escapes resolved
      {u"XANONE", u"xanview --open %f"},   // patterns without "cs" ignore case
      {u"xanw", u"vendor-edit %U"},        // weight 80 wins; the desktop's own list; '-' as '/'
      {u"tar.xgz", u"xanview --open %f"},  // the longest pattern
      {u"XCS", u"xanview --open %f"},      // case-sensitive pattern
      {u"xcs", u""},
      {u"xex", u"xanview --open %f"},  // a pattern spelled as the name beats one that is not
      {u"XEX", u""},
      {u"xannew", u"xanview --open %f"},
      {u"xanold", u""},                     // dropped by __NOGLOBS__ of a more important directory
      {u"xancache", u"cached %F"},          // no default: the directory's mimeinfo.cache
      {u"xanscan", u"scanned"},             // no cache: the directory's desktop files, not links
      {u"xanchild", u"xanview --open %f"},  // through the parent type
      {u"xantext", u"plainedit"},           // a text type falls back to text/plain
      {u"xanun", u""},                      // a default that does not handle the type
      {u"xanrm", u""},                      // association removed
      {u"xannothing", u""},                 // a type without an application
      {u"unknownext", u""},
      {u"", u""},
      {u"a/b", u""},
  };
  for (const auto& [ext, command] : cases) {
    EXPECT_EQ(GetProgAssoc(ext), command) << ToUtf8(ext);
  }

  // Without the desktop names, the general list decides: the hidden default is not installed,
  // so the first associated application found is taken.
  test::SetEnvVar("XDG_CURRENT_DESKTOP", std::nullopt);
  EXPECT_EQ(GetProgAssoc(u"xanw"), u"vendor-edit %U");
  WriteBytes("home/applications/mimeinfo.cache", "[MIME Cache]\n");
  EXPECT_EQ(GetProgAssoc(u"xanscan"), u"");
}

// ------------------------------------------------------------------------------------------------
// The Windows answers, against the system's own readings

#if defined(_WIN32)
// A Win32 text of the GetTempPathW kind (length returned, buffer of the given size).
template <class F>
String SystemText(F Call) {
  std::wstring buffer(32768, L'\0');
  const DWORD n = Call(buffer.data(), static_cast<DWORD>(buffer.size()));
  return String(reinterpret_cast<const Char*>(buffer.data()), n < buffer.size() ? n : 0);
}
const wchar_t* W(const String& Text) {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}
#endif

TEST(SystemLocations_Windows, DrivesDirectoriesAndEnvironmentAsTheSystemTellsThem) {
  XAN_ONLY_ON_WINDOWS();
#if defined(_WIN32)
  const DWORD mask = ::GetLogicalDrives();
  TStringList list;
  BuildDriveList(list);
  std::set<String> listed(list.begin(), list.end());
  for (uint8_t d = 0; d < 26; ++d) {
    const String root = {static_cast<Char>(u'A' + d), u':', u'\\'};
    const bool exists = (mask & (DWORD{1} << d)) != 0;
    EXPECT_EQ(listed.count(root.substr(0, 2)) != 0, exists) << d;
    EXPECT_EQ(DriveRootPath(d), exists ? root : u"") << d;
    EXPECT_EQ(GetDiskDriveType(d),
              exists ? static_cast<int32_t>(::GetDriveTypeW(W(root))) : int32_t{dtNoRootDir})
        << d;
  }
  ULARGE_INTEGER before{}, after{};
  if (::GetDiskFreeSpaceExW(L"C:\\", &before, nullptr, nullptr)) {
    const int64_t free = DiskFreeExtended(2);
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", &after, nullptr, nullptr));
    const auto lo = static_cast<int64_t>(std::min(before.QuadPart, after.QuadPart));
    const auto hi = static_cast<int64_t>(std::max(before.QuadPart, after.QuadPart));
    EXPECT_GE(free, lo - (64LL << 20));
    EXPECT_LE(free, hi + (64LL << 20));
  }

  EXPECT_EQ(GetSystemDir(),
            SystemText([](wchar_t* b, DWORD n) { return ::GetSystemDirectoryW(b, n); }));
  EXPECT_EQ(GetWindowsDir(),
            SystemText([](wchar_t* b, DWORD n) { return ::GetWindowsDirectoryW(b, n); }));
  const String temp = SystemText([](wchar_t* b, DWORD n) { return ::GetTempPathW(n, b); });
  EXPECT_EQ(GetTempDir(),
            SystemText([&](wchar_t* b, DWORD n) { return ::GetLongPathNameW(W(temp), b, n); }));

  // A value far longer than a path buffer (the system takes up to 32767 characters), found by a
  // name in another case.
  const String value = String(30000, u'v') + u"end";
  ASSERT_TRUE(::SetEnvironmentVariableW(L"XAN_WIN_TEST", W(value)));
  EXPECT_TRUE(GetEnviroVar(u"xan_win_test") == value);
  ::SetEnvironmentVariableW(L"XAN_WIN_TEST", nullptr);
  EXPECT_EQ(GetEnviroVar(u"XAN_WIN_TEST"), u"");
  // A drive's current directory is an entry of the block like the others; an empty name finds
  // none of them.
  ASSERT_TRUE(::SetEnvironmentVariableW(L"=Q:", L"Q:\\xan dir"));
  EXPECT_EQ(GetEnviroVar(u"=q:"), u"Q:\\xan dir");
  EXPECT_EQ(GetEnviroVar(u""), u"");
  ::SetEnvironmentVariableW(L"=Q:", nullptr);
#endif
}

TEST(ProgAssoc_Windows, OpenCommandsFromTheRegistry) {
  XAN_ONLY_ON_WINDOWS();
#if defined(_WIN32)
  // The user's classes, which Windows merges into HKEY_CLASSES_ROOT; where the host does not
  // (Wine), the machine's.
  HKEY root = HKEY_CURRENT_USER;
  {
    HKEY probe = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, L"Software\\Classes\\.xantest0", 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &probe, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(probe);
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".xantest0", 0, KEY_QUERY_VALUE, &probe) ==
        ERROR_SUCCESS) {
      ::RegCloseKey(probe);
    } else {
      root = HKEY_LOCAL_MACHINE;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\.xantest0");
  }
  const auto set = [root](const String& Key, const String& Value) {
    const String path = u"Software\\Classes\\" + Key;
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(root, W(path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << "no right to write the machine's classes";
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                     static_cast<DWORD>((Value.size() + 1) * sizeof(Char)));
    ::RegCloseKey(key);
  };
  const String longCommand = u"\"C:\\" + String(5000, u'p') + u".exe\" \"%1\"";
  set(u".xantest1\\shell\\open\\command", u"direct.exe \"%1\"");
  set(u".xantest2", u"XanTest.Type");
  set(u"XanTest.Type\\shell\\open\\command", longCommand);
  set(u".xantest3", u"XanTest.NoOpen");
  set(u"XanTest.NoOpen", u"A type without a command");
  EXPECT_EQ(GetProgAssoc(u"xantest1"), u"direct.exe \"%1\"");
  EXPECT_TRUE(GetProgAssoc(u"xantest2") == longCommand);
  EXPECT_EQ(GetProgAssoc(u"xantest3"), u"");
  EXPECT_EQ(GetProgAssoc(u"xantest4"), u"");
  EXPECT_EQ(GetProgAssoc(u""), u"");
  for (const wchar_t* key : {L"Software\\Classes\\.xantest1", L"Software\\Classes\\.xantest2",
                             L"Software\\Classes\\.xantest3", L"Software\\Classes\\XanTest.Type",
                             L"Software\\Classes\\XanTest.NoOpen"}) {
    ::RegDeleteTreeW(root, key);
  }
#endif
}

}  // namespace
}  // namespace xan
