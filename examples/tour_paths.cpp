// Tour section: path and file-name text in both styles, the spelling of a path on disk, and the
// text-file utilities on files in a temporary directory that is removed at the end.
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "tour.h"
#include "xan/filesys.h"

namespace {

// A fresh directory under the system's temporary one.
std::filesystem::path MakeTempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto dir = base / ("xan_tour_" + std::to_string(rd()));
    if (std::filesystem::create_directory(dir)) return dir;
  }
}

}  // namespace

void tour::Paths() {
  using namespace xan;
  Heading("File system: paths and text files");
  std::cout << std::boolalpha;

  // The same operations on Windows and POSIX paths, whatever the host.
  Show("ExtractFilePath(\"c:\\data\\report.tar.gz\", psWindows)",
       ExtractFilePath(u"c:\\data\\report.tar.gz", psWindows));
  Show("StripExtension(\"/data/report.tar.gz\", psPosix)",
       StripExtension(u"/data/report.tar.gz", psPosix));
  Show("InsertBeforeFileExt(\"_old\", \"/data/report.tar.gz\", psPosix)",
       InsertBeforeFileExt(u"_old", u"/data/report.tar.gz", psPosix));
  Show("EnsureDefaultFileExt(\"notes\", \"txt\")", EnsureDefaultFileExt(u"notes", u"txt"));
  Show("ParentDir(\"/home/user/docs/\", psPosix)", ParentDir(u"/home/user/docs/", psPosix));
  std::cout << "  ExtractDrive(\"d:\\x\", psWindows) => " << ExtractDrive(u"d:\\x", psWindows)
            << ", IsRootDir(\" D:\\ \", psWindows) => " << IsRootDir(u" D:\\ ", psWindows) << "\n";
  Show("ReplaceInvalidFileNameChars(\"a/b:c?\", '_')",
       ReplaceInvalidFileNameChars(u"a/b:c?", u'_'));
  std::cout << "  IsDOS83Path(\"C:\\PROGRA~1\\FILE.TXT\", psWindows) => "
            << IsDOS83Path(u"C:\\PROGRA~1\\FILE.TXT", psWindows) << "\n";
  Show("AbridgeFilePath(\"c:\\program files\\tools\\app\\file.txt\", 21, psWindows)",
       AbridgeFilePath(u"c:\\program files\\tools\\app\\file.txt", 21, psWindows));

  const std::filesystem::path dir = MakeTempDir();
  const String base = FromUtf8(dir.string());
  const String log = base + u"/Log.TXT";

  // Lines appended to a text file (created by the first call) and read back.
  AppendToTextFile(log, u"title");
  AppendToTextFile(log, TStringList{u"12 rows", u"3", u"true FALSE true xyz", u"last line"});
  std::cout << "  CountLinesInTextFile => " << CountLinesInTextFile(log, nullptr) << "\n";
  int32_t lines = 0;
  const TStrArray last = ReadLastNLinesOfTextFile(log, 2, lines);
  Show("ReadLastNLinesOfTextFile(2), the last", last[1]);

  // The header of an ASC data file: comment, two numbers, four flags.
  String comment;
  int32_t rows = 0;
  int32_t cols = 0;
  bool f1 = false, f2 = false, f3 = false, f4 = false;
  const int32_t code = ReadHeaderOfASC(log, comment, rows, cols, f1, f2, f3, f4);
  std::cout << "  ReadHeaderOfASC => " << code << ": \"" << ToUtf8(comment) << "\", " << rows
            << " x " << cols << ", flags " << f1 << " " << f2 << " " << f3 << " " << f4 << "\n";

  String line;
  const int32_t at = FindFirstMatchInTextFile(log, u"FALSE", false, line);
  std::cout << "  FindFirstMatchInTextFile(\"FALSE\") => " << at << " in \"" << ToUtf8(line)
            << "\"\n";

  // The path as the directory lists it, whatever case it was asked in.
  const String asked = base + u"/log.txt";
  Show("DOSToWinPath(<dir>/log.txt), its name", StripPath(DOSToWinPath(asked)));

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::cout << std::noboolalpha;
}
