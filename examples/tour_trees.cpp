// Tour section: copying a file and a tree with progress feedback, counting and listing files,
// finding one, deleting a tree and trashing a file, all in a temporary directory it removes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>

#include "tour.h"
#include "xan/filesys.h"

namespace {

namespace fs = std::filesystem;

int g_feedbacks = 0;
void CountFeedback(int32_t, int32_t) {
  ++g_feedbacks;
}

void Write(const fs::path& File, size_t Size) {
  fs::create_directories(File.parent_path());
  std::ofstream(File, std::ios::binary) << std::string(Size, 'x');
}

}  // namespace

void tour::Trees() {
  using namespace xan;
  Heading("Directory trees: copy with feedback, count, find, delete, trash");
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("xan_tour_" + std::to_string(rd()));
  const String base = FromUtf8(dir.string()) + u"/";
  Write(dir / "src/report.txt", 20000);
  Write(dir / "src/data/2024/values.csv", 100);
  Write(dir / "src/data/notes.txt", 10);

  // 20000 bytes are three blocks of 8192: the feedback runs before, once per block, at the end.
  const int32_t status =
      FileCopyFeedBk(base + u"src/report.txt", base + u"copy.txt", false, CountFeedback);
  std::cout << "  FileCopyFeedBk(20000-byte file) => status " << status << ", " << g_feedbacks
            << " feedback calls\n";
  std::cout << "  CopyFileTree(src, dst) => status "
            << CopyFileTree(base + u"src", base + u"dst", false, nullptr) << "\n";
  std::cout << "  CopyFileTree(src, src/inside) => status "
            << CopyFileTree(base + u"src", base + u"src/inside", false, nullptr)
            << " (a destination inside the source is refused)\n";
  std::cout << "  CountFiles(dst/*.txt, with subdirectories) => "
            << CountFiles(base + u"dst/*.txt", true, nullptr) << "\n";
  const String found = FileDetect(base + u"dst/values.csv");
  Show("FileDetect(dst/values.csv), below dst", found.substr(base.size()));
  std::cout << "  GetFileSize(copy.txt) => " << GetFileSize(base + u"copy.txt") << "\n";
  Show("DelDirTree(dst)", DelDirTree(base + u"dst"));
  std::cout << "  DirExists(dst) => " << (DirExists(base + u"dst") ? "true" : "false") << "\n";

#if !defined(_WIN32)
  // The trash of this tour lives in the temporary directory, not in the user's own.
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  const int32_t moved = MoveToRecycleBin(base + u"copy.txt");
  const bool restorable = fs::exists(dir / "data/Trash/files/copy.txt") &&
                          fs::exists(dir / "data/Trash/info/copy.txt.trashinfo");
  std::cout << "  MoveToRecycleBin(copy.txt) => " << moved
            << (restorable ? " (Trash/files/copy.txt and Trash/info/copy.txt.trashinfo)"
                           : " (not in the trash)")
            << "\n";
  if (saved) {
    ::setenv("XDG_DATA_HOME", saved->c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
#endif
  std::error_code ec;
  fs::remove_all(dir, ec);
}
