// Path text in both styles: splitting, extensions, drives, valid and 8.3 names, shortening for
// display, hostile texts; and the long spelling of real paths in a temporary directory.
#include "xan/filesys/paths.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../platform/temp_dir.h"
#include "test_host.h"
#include "xan/platform/filesystem.h"

namespace xan {
namespace {

TEST(PathSplit, PathAndNamePartsInBothStyles) {
  const struct {
    const char16_t* text;
    TPathStyle style;
    const char16_t* path;
    const char16_t* name;
  } cases[] = {
      {u"c:\\a\\b.txt", psWindows, u"c:\\a\\", u"b.txt"},
      {u"c:b.txt", psWindows, u"c:", u"b.txt"},
      {u"c:\\a\\", psWindows, u"c:\\a\\", u""},
      {u"a/b", psWindows, u"", u"a/b"},
      {u"", psWindows, u"", u""},
      {u"/a/b.txt", psPosix, u"/a/", u"b.txt"},
      {u"/a/", psPosix, u"/a/", u""},
      {u"a\\b:c", psPosix, u"", u"a\\b:c"},
      {u"/", psPosix, u"/", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.text, c.style), c.path) << ToUtf8(c.text);
    EXPECT_EQ(ExtractFileName(c.text, c.style), c.name) << ToUtf8(c.text);
    EXPECT_EQ(StripPath(c.text, c.style), c.name) << ToUtf8(c.text);
    EXPECT_EQ(ExtractFilePath(c.text, c.style) + ExtractFileName(c.text, c.style), c.text);
  }
  EXPECT_EQ(EnsureTrailingPathDelim(u"c:\\dir", psWindows), u"c:\\dir\\");
  EXPECT_EQ(EnsureTrailingPathDelim(u"/tmp", psPosix), u"/tmp/");
  EXPECT_EQ(EnsureTrailingPathDelim(u"/", psPosix), u"/");
  EXPECT_EQ(EnsureTrailingPathDelim(u"", psPosix), u"");
  // The host's style on this host: its separator splits; a backslash splits only on Windows.
  const String hostPath = String(1, PathDelim()) + u"x" + PathDelim() + u"y";
  EXPECT_EQ(StripPath(hostPath), u"y");
  EXPECT_EQ(ExtractFilePath(hostPath), hostPath.substr(0, 3));
  EXPECT_EQ(StripPath(u"x\\y"), kHostPathStyle == psWindows ? u"y" : u"x\\y");
}

TEST(PathSplit, ParentDirAndRootInBothStyles) {
  const struct {
    const char16_t* text;
    TPathStyle style;
    const char16_t* parent;
    bool root;
  } cases[] = {
      {u"c:\\a\\b\\", psWindows, u"c:\\a\\", false},
      {u"c:\\a\\b", psWindows, u"c:\\a\\", false},
      {u"c:/a/b/", psWindows, u"c:/a/", false},
      {u"c:\\a/b", psWindows, u"c:\\a/", false},
      {u"c:\\", psWindows, u"", true},
      {u" D:\\ ", psWindows, u" D:\\", true},
      {u"1:\\", psWindows, u"", true},
      {u"c:", psWindows, u"", false},
      {u"c:\\a", psWindows, u"c:\\", false},
      {u"c:/", psWindows, u"", false},
      {u"abc", psWindows, u"", false},
      {u"", psWindows, u"", false},
      {u"/a/b/", psPosix, u"/a/", false},
      {u"/a/b", psPosix, u"/a/", false},
      {u"/a", psPosix, u"/", false},
      {u"/", psPosix, u"", true},
      {u" / ", psPosix, u" /", true},
      {u"//", psPosix, u"/", false},
      {u"c:\\a\\b", psPosix, u"", false},
      {u"c:\\", psPosix, u"", false},
      {u"abc", psPosix, u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParentDir(c.text, c.style), c.parent) << ToUtf8(c.text) << " style " << +c.style;
    EXPECT_EQ(IsRootDir(c.text, c.style), c.root) << ToUtf8(c.text) << " style " << +c.style;
  }
}

TEST(PathExtensions, StripInsertAndDefaultInBothStyles) {
  const struct {
    const char16_t* text;
    TPathStyle style;
    const char16_t* stripped;
    const char16_t* inserted;   // "_old" put before the extension
    const char16_t* defaulted;  // default extension "txt"
  } cases[] = {
      {u"c:\\dir.x\\name", psWindows, u"c:\\dir.x\\name", u"c:\\dir.x\\name_old",
       u"c:\\dir.x\\name.txt"},
      {u"a.b.c", psWindows, u"a.b", u"a_old.b.c", u"a.b.c"},
      {u"c:\\d\\a.tar.gz", psWindows, u"c:\\d\\a.tar", u"c:\\d\\a_old.tar.gz", u"c:\\d\\a.tar.gz"},
      {u"c:\\d\\.cfg", psWindows, u"c:\\d\\", u"c:\\d\\_old.cfg", u"c:\\d\\.cfg"},
      {u"c:.cfg", psWindows, u"c:", u"c:_old.cfg", u"c:.cfg"},
      {u"report.", psWindows, u"report", u"report_old.", u"report."},
      {u"report", psWindows, u"report", u"report_old", u"report.txt"},
      {u"", psWindows, u"", u"_old", u".txt"},
      {u"/dir.x/name", psPosix, u"/dir.x/name", u"/dir.x/name_old", u"/dir.x/name.txt"},
      {u"/d/a.tar.gz", psPosix, u"/d/a.tar", u"/d/a_old.tar.gz", u"/d/a.tar.gz"},
      {u"/d/.cfg", psPosix, u"/d/", u"/d/_old.cfg", u"/d/.cfg"},
      {u"c.d\\name", psPosix, u"c", u"c_old.d\\name", u"c.d\\name"},
      {u"c:.cfg", psPosix, u"c:", u"c:_old.cfg", u"c:.cfg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripExtension(c.text, c.style), c.stripped) << ToUtf8(c.text);
    EXPECT_EQ(InsertBeforeFileExt(u"_old", c.text, c.style), c.inserted) << ToUtf8(c.text);
    EXPECT_EQ(EnsureDefaultFileExt(c.text, u"txt", c.style), c.defaulted) << ToUtf8(c.text);
  }
  EXPECT_EQ(EnsureDefaultFileExt(u"report", u".txt", psWindows), u"report.txt");
  EXPECT_EQ(EnsureDefaultFileExt(u"report", u"", psWindows), u"report");
  EXPECT_EQ(EnsureDefaultFileExt(u"/a/report", u".md", psPosix), u"/a/report.md");
  EXPECT_EQ(InsertBeforeFileExt(u"", u"a.b", psPosix), u"a.b");

  // At most 255 characters go, from the '.' on: a longer extension keeps its end.
  const String longExt = u"a." + String(300, u'x') + u"yz";
  EXPECT_EQ(StripExtension(longExt, psWindows), u"a" + String(46, u'x') + u"yz");
  EXPECT_EQ(StripExtension(u"a." + String(254, u'x'), psPosix), u"a");
}

TEST(PathDrives, ExtractDriveInBothStyles) {
  const struct {
    const char16_t* text;
    int32_t windows;
  } cases[] = {
      {u"d:\\x", 3},
      {u"D:", 3},
      {u"a:", 0},
      {u"z:\\", 25},
      {u"Z:", 25},
      {u"1:", 0},
      {u"\\\\server\\x", -1},
      {u"c", -1},
      {u"", -1},
      {u":", -1},
      {u"\u00e4:", 0},
      {u"cd:", -1},
      {u"::", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractDrive(c.text, psWindows), c.windows) << ToUtf8(c.text);
    EXPECT_EQ(ExtractDrive(c.text, psPosix), -1) << ToUtf8(c.text);
  }
  for (Char c = u'a'; c <= u'z'; ++c) {
    const Char text[] = {c, u':'};
    EXPECT_EQ(ExtractDrive(StringView(text, 2), psWindows), c - u'a');
  }
}

// The characters the rules name, written out here from the rules themselves.
constexpr std::u16string_view kInvalidInNames = u"*/:<>?\\|";
constexpr std::u16string_view kFN83Allowed =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
    u".-_~^`{}@#$%&'()!";

TEST(PathNames, EveryEightBitCharacterThroughTheNameRules) {
  for (int code = 0; code < 256; ++code) {
    const Char c = static_cast<Char>(code);
    const String one(1, c);
    const String name = u"a" + one + u"b.txt";
    const bool invalid = kInvalidInNames.find(c) != std::u16string_view::npos;
    for (TPathStyle style : {psWindows, psPosix}) {
      EXPECT_EQ(IsValidFileName(name, style), !invalid) << code;
      EXPECT_EQ(IsValidFileName(one, style), !invalid && c != u'.') << code;
      EXPECT_EQ(ReplaceInvalidFileNameChars(name, u'#', style), invalid ? String(u"a#b.txt") : name)
          << code;
    }
    const bool fn83 = kFN83Allowed.find(c) != std::u16string_view::npos;
    EXPECT_EQ(IsFN83CompliantPath(name, psWindows), fn83 || c == u'\\' || c == u':') << code;
    EXPECT_EQ(IsFN83CompliantPath(name, psPosix), fn83 || c == u'/') << code;
    EXPECT_EQ(IsDOS83Path(one, psWindows), fn83 || c == u'\\' || c == u':') << code;
  }
  for (const char16_t* wide : {u"\u0100", u"\u20ac", u"\xd800", u"\xdc41", u"\uffff"}) {
    EXPECT_TRUE(IsValidFileName(wide));
    EXPECT_FALSE(IsFN83CompliantPath(wide, psWindows));
    EXPECT_FALSE(IsFN83CompliantPath(wide, psPosix));
  }
}

TEST(PathNames, ReplacementAndValidityExamples) {
  EXPECT_EQ(ReplaceInvalidFileNameChars(u"a/b:c?", u'_', psWindows), u"a_b_c_");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u"..", u'_', psWindows), u"__");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u".", u'-', psPosix), u"-");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u"x\"y", u'_', psPosix), u"x\"y");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u"...", u'_', psPosix), u"...");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u".:", u'_', psPosix), u"._");
  EXPECT_EQ(ReplaceInvalidFileNameChars(u"", u'_', psWindows), u"");
  EXPECT_TRUE(IsValidFileName(u"a.txt", psWindows));
  EXPECT_FALSE(IsValidFileName(u"a?.txt", psPosix));
  EXPECT_FALSE(IsValidFileName(u"..", psPosix));
  EXPECT_TRUE(IsValidFileName(u"...", psWindows));
  EXPECT_TRUE(IsValidFileName(u"", psWindows));
  EXPECT_TRUE(IsValidFileName(u"x\"y", psWindows));
}

TEST(PathNames, DOS83PathsInBothStyles) {
  const struct {
    const char16_t* windows;
    bool is83;
  } cases[] = {
      {u"C:\\PROGRA~1\\FILE.TXT", true},
      {u"C:\\LONGDIRNAME\\A.TXT", false},
      {u"C:\\MY FILE.TXT", false},
      {u"ABCDEFGH.TXT", true},
      {u"ABCDEFGHI.TXT", false},
      {u"ABCDEFGH\\ABCDEFGH", true},
      {u"ABCDEFGHI\\A", false},
      {u"A.ABCDEFGHIJ", false},  // the last piece has 9 characters at most
      {u"A.ABCDEFGHI", true},
      {u"A.B.C", true},
      {u"A+B.TXT", false},
      {u"", true},
  };
  for (const auto& c : cases) {
    String posix(c.windows);
    for (Char& ch : posix) {
      if (ch == u'\\') ch = u'/';
    }
    if (posix.starts_with(u"C:")) posix.erase(0, 2);
    EXPECT_EQ(IsDOS83Path(c.windows, psWindows), c.is83) << ToUtf8(c.windows);
    EXPECT_EQ(IsDOS83Path(posix, psPosix), c.is83) << ToUtf8(posix);
    // A Windows path is never an 8.3 path in POSIX style when it holds '\\' or ':'.
    if (String(c.windows).find_first_of(u"\\:") != String::npos) {
      EXPECT_FALSE(IsDOS83Path(c.windows, psPosix)) << ToUtf8(c.windows);
    }
  }
}

// IsDOS83Path's length rule as it reads: cut pieces from the front, one at a time.
bool DOS83LengthModel(StringView text, Char sep) {
  while (!text.empty()) {
    size_t end = text.find(sep);
    if (end == StringView::npos) end = text.find(u'.');
    end = end == StringView::npos ? text.size() : end + 1;
    if (end > 9) return false;
    text.remove_prefix(end);
  }
  return true;
}

TEST(PathNames, DOS83LengthRuleOnRandomPaths) {
  std::mt19937 rng(83);
  const std::u16string_view alphabet = u"AB.\\/:";
  for (int round = 0; round < 5000; ++round) {
    String text(rng() % 30, u' ');
    for (Char& c : text) c = alphabet[rng() % (round % 2 == 0 ? 4 : alphabet.size())];
    EXPECT_EQ(IsDOS83Path(text, psWindows),
              IsFN83CompliantPath(text, psWindows) && DOS83LengthModel(text, u'\\'))
        << ToUtf8(text);
    EXPECT_EQ(IsDOS83Path(text, psPosix),
              IsFN83CompliantPath(text, psPosix) && DOS83LengthModel(text, u'/'))
        << ToUtf8(text);
  }
}

// AbridgeFilePath as the rule reads: replace in place, one name at a time.
String AbridgeModel(String text, int32_t max, Char sep) {
  size_t p = text.find(sep);
  if (p == String::npos) return text;
  while (static_cast<int64_t>(text.size()) >= max) {
    const size_t q = text.find(sep, p + 1);
    if (q == String::npos) break;
    text.replace(p + 1, q - p - 1, u"..");
    p += 3;
  }
  return text;
}

TEST(PathDisplay, AbridgeFilePathFollowsTheRule) {
  EXPECT_EQ(AbridgeFilePath(u"c:\\program files\\tools\\app\\file.txt", 21, psWindows),
            u"c:\\..\\..\\..\\file.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:\\program files\\tools\\app\\file.txt", 22, psWindows),
            u"c:\\..\\..\\app\\file.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:\\a\\b.txt", 100, psWindows), u"c:\\a\\b.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:/a/bcd/e.txt", 5, psWindows), u"c:/../../e.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:/a\\bcd/e.txt", 5, psWindows), u"c:/a\\bcd/e.txt");
  EXPECT_EQ(AbridgeFilePath(u"name.txt", 1, psWindows), u"name.txt");
  EXPECT_EQ(AbridgeFilePath(u"/home/user/docs/file.txt", 20, psPosix), u"/../../../file.txt");
  EXPECT_EQ(AbridgeFilePath(u"/home/user/docs/file.txt", 21, psPosix), u"/../../docs/file.txt");
  EXPECT_EQ(AbridgeFilePath(u"c:\\dir\\sub\\f", 1, psPosix), u"c:\\dir\\sub\\f");
  EXPECT_EQ(AbridgeFilePath(u"/a//b", -5, psPosix), u"/../../b");

  std::mt19937 rng(17);
  const std::u16string_view alphabet = u"ab\\/:.";
  for (int round = 0; round < 3000; ++round) {
    String text(rng() % 24, u' ');
    for (Char& c : text) c = alphabet[rng() % alphabet.size()];
    const auto max = static_cast<int32_t>(rng() % 30) - 2;
    const Char winSep = text.find(u'\\') != String::npos ? u'\\' : u'/';
    EXPECT_EQ(AbridgeFilePath(text, max, psWindows), AbridgeModel(text, max, winSep))
        << ToUtf8(text) << " " << max;
    EXPECT_EQ(AbridgeFilePath(text, max, psPosix), AbridgeModel(text, max, u'/'))
        << ToUtf8(text) << " " << max;
  }
}

// Texts no path function may stumble over: every one is taken, and the results keep their shape.
TEST(PathHostileText, AnyTextIsTakenInBothStyles) {
  String mixed;
  for (size_t i = 0; i < 100000; ++i) {
    static constexpr char16_t kPool[] = u"a\\/:.\0\x01\x1f\u00ff\u0100\xd800\xdfff\uffff *?";
    mixed += kPool[i * 7919 % (std::size(kPool) - 1)];
  }
  const String texts[] = {String(),
                          String(100000, u'x'),
                          String(100000, u'\\'),
                          String(100000, u'/'),
                          String(100000, u'.'),
                          mixed,
                          String(u"\xd800:\\\xdc00.\x01")};
  for (const String& t : texts) {
    for (TPathStyle style : {psWindows, psPosix}) {
      EXPECT_EQ(ExtractFilePath(t, style) + StripPath(t, style), t);
      const String parent = ParentDir(t, style);
      EXPECT_TRUE(t.starts_with(parent));
      EXPECT_LE(StripExtension(t, style).size(), t.size());
      EXPECT_TRUE(InsertBeforeFileExt(u"+", t, style).size() == t.size() + 1);
      EXPECT_GE(EnsureDefaultFileExt(t, u"e", style).size(), t.size());
      const String replaced = ReplaceInvalidFileNameChars(t, u'_', style);
      EXPECT_EQ(replaced.size(), t.size());
      EXPECT_TRUE(IsValidFileName(replaced, style) || replaced.empty());
      EXPECT_GE(ExtractDrive(t, style), -1);
      (void)IsRootDir(t, style);
      (void)IsFN83CompliantPath(t, style);
      (void)IsDOS83Path(t, style);
      const String abridged = AbridgeFilePath(t, 10, style);
      const Char sep = style == psWindows && t.find(u'\\') != String::npos ? u'\\' : u'/';
      const size_t last = t.rfind(sep);
      EXPECT_TRUE(abridged.ends_with(last == String::npos ? t : t.substr(last)));
    }
  }
}

// =================================================================================================
// DOSToWinPath on real entries

class DOSToWinPathTest : public testing::TempDirTest {
 protected:
  // True when every directory from the root to the temporary directory can be listed, which the
  // lookup needs to find the spelling of each component.
  bool AncestorsListable() const {
    String dir = ExpandFileName(Path(""));
    while (!dir.empty()) {
      TDirSearch search(dir, u"*", faAnyFile, false);
      TSearchRec rec;
      search.Next(rec);
      if (search.Error() != 0) return false;
      if (dir == u"/") break;
      dir = ParentDir(dir, psPosix);
    }
    return true;
  }
};

TEST_F(DOSToWinPathTest, ComponentsComeBackAsListed_Linux) {
  XAN_ONLY_ON_LINUX();
  if (!AncestorsListable()) GTEST_SKIP() << "a directory above the temporary one cannot be listed";
  std::filesystem::create_directories(HostPath("Mixed Dir/Sub"));
  std::filesystem::create_directories(HostPath("Two"));
  WriteBytes("Mixed Dir/Sub/ReadMe.TXT", "x");
  WriteBytes("Two/File.txt", "x");  // an exact spelling wins over a caseless one
  WriteBytes("Two/file.txt", "y");
  const String base = ExpandFileName(Path(""));
  const String root = DOSToWinPath(base);
  ASSERT_EQ(root, base.ends_with(u"/") ? base.substr(0, base.size() - 1) : base);

  EXPECT_EQ(DOSToWinPath(root + u"/mixed DIR/SUB/readme.txt"), root + u"/Mixed Dir/Sub/ReadMe.TXT");
  EXPECT_EQ(DOSToWinPath(root + u"/two/file.txt"), root + u"/Two/file.txt");
  EXPECT_EQ(DOSToWinPath(root + u"/two/File.txt"), root + u"/Two/File.txt");
  const String either = DOSToWinPath(root + u"/two/FILE.TXT");
  EXPECT_TRUE(either == root + u"/Two/File.txt" || either == root + u"/Two/file.txt");
  EXPECT_EQ(DOSToWinPath(root + u"/MIXED DIR/./x/../SUB/"), root + u"/Mixed Dir/Sub");
  // Missing components are kept as they stand, also after them.
  EXPECT_EQ(DOSToWinPath(root + u"/MIXED DIR/Nothing/sub/readme.txt"),
            root + u"/Mixed Dir/Nothing/sub/readme.txt");
  EXPECT_EQ(DOSToWinPath(root + u"/mixed dir/sub/readme.txt/more"),
            root + u"/Mixed Dir/Sub/ReadMe.TXT/more");
  EXPECT_EQ(DOSToWinPath(u"/"), u"/");
  EXPECT_EQ(DOSToWinPath(u""), DOSToWinPath(GetCurrentDir()));
  // Hostile texts are taken: a NUL names no entry, lone surrogates are names like others.
  const String odd = String(u"/a") + Char(0) + u"b/" + Char(0xD800);
  EXPECT_EQ(DOSToWinPath(root + odd), root + odd);
  EXPECT_FALSE(DOSToWinPath(String(100000, u'/') + String(50000, u'x')).empty());
}

// Windows keeps a short alias beside each long name; the lookup gives the stored long names.
TEST_F(DOSToWinPathTest, ShortAliasesComeBackAsTheirLongNames_Windows) {
  XAN_ONLY_ON_WINDOWS();
#if defined(_WIN32)
  std::filesystem::create_directories(HostPath("Long Directory Name/Sub Folder"));
  WriteBytes("Long Directory Name/Sub Folder/ReadMe File.TXT", "x");
  const String root = DOSToWinPath(ExpandFileName(Path("")));
  const String longPath = root + u"\\Long Directory Name\\Sub Folder\\ReadMe File.TXT";
  // The aliases as the system gives them: the last three components of the short path.
  std::wstring shortPath(4096, L'\0');
  const DWORD n = ::GetShortPathNameW(reinterpret_cast<const wchar_t*>(longPath.c_str()),
                                      shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (n == 0 || n >= shortPath.size()) GTEST_SKIP() << "the file system keeps no short names";
  shortPath.resize(n);
  size_t at = shortPath.size();
  for (int k = 0; k < 3; ++k) at = shortPath.rfind(L'\\', at - 1);
  const String aliases(reinterpret_cast<const Char*>(shortPath.c_str()) + at,
                       shortPath.size() - at);
  if (aliases == longPath.substr(root.size())) GTEST_SKIP() << "the file system made no aliases";
  EXPECT_EQ(DOSToWinPath(root + aliases), longPath) << ToUtf8(aliases);
  // Aliases and other case mixed.
  const size_t last = aliases.rfind(u'\\');
  EXPECT_EQ(DOSToWinPath(root + aliases.substr(0, last) + u"\\readme file.txt"), longPath);
#endif
}

// The volume part of a path stays as written: a network share, the "\\?\" forms.
TEST_F(DOSToWinPathTest, NetworkAndLongFormRootsStay_Windows) {
  XAN_ONLY_ON_WINDOWS();
  const String root = DOSToWinPath(ExpandFileName(Path("")));
  ASSERT_EQ(root[1], u':') << ToUtf8(root);
  std::filesystem::create_directories(HostPath("Mixed Dir"));
  WriteBytes("Mixed Dir/ReadMe.txt", "x");
  const struct {
    String asked, expected;
  } cases[] = {
      // No such server: nothing to look up, nothing lost (the leading "\\" included).
      {u"\\\\no-such-host.invalid\\Share\\Dir\\f.txt",
       u"\\\\no-such-host.invalid\\Share\\Dir\\f.txt"},
      {u"\\\\no-such-host.invalid\\Share", u"\\\\no-such-host.invalid\\Share"},
      {u"\\\\?\\UNC\\no-such-host.invalid\\s\\x", u"\\\\?\\UNC\\no-such-host.invalid\\s\\x"},
      // The long form of a drive path: its components are looked up as in the plain form.
      {u"\\\\?\\" + root + u"\\mixed dir\\readme.TXT",
       u"\\\\?\\" + root + u"\\Mixed Dir\\ReadMe.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(DOSToWinPath(c.asked), c.expected) << ToUtf8(c.asked);
}

}  // namespace
}  // namespace xan
