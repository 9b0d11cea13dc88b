// A test fixture that gives each test case its own temporary directory and removes it, with
// everything in it, afterwards; and helpers to put bytes into files and read them back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "xan/platform/strings.h"

namespace xan::testing {

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      FDir = base / ("xan_test_" + std::to_string(rd()));
      if (std::filesystem::create_directory(FDir)) return;
    }
    FAIL() << "cannot create a temporary directory";
  }
  void TearDown() override {
    // A test may leave directories without write or search permission: give them back first.
    std::error_code ec;
    std::filesystem::permissions(FDir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(
             FDir, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
      }
    }
    ec.clear();
    std::filesystem::remove_all(FDir, ec);
  }

  // The host path and the library's file name of a file in the directory.
  std::filesystem::path HostPath(std::string_view Name) const { return FDir / Name; }
  String Path(std::string_view Name) const {
#if defined(_WIN32)
    return (FDir / Name).u16string();
#else
    return FromUtf8((FDir / Name).string());
#endif
  }

  void WriteBytes(std::string_view Name, std::string_view Bytes) const {
    std::ofstream out(HostPath(Name), std::ios::binary);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    out.close();
    if (!out) ADD_FAILURE() << "cannot write the file " << Name;
  }
  std::string ReadBytes(std::string_view Name) const {
    std::ifstream in(HostPath(Name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path FDir;
};

}  // namespace xan::testing
