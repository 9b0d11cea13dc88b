// What the fuzz targets share: the check that stops the run when a property fails, a file for
// the readers that take file names, a stream that hands out its bytes a few at a time, and a
// byte source for the choices a target makes.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

// The entry point every target defines; libFuzzer or fuzz/replay_main.cpp calls it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Stops the run with a message when a property of the library does not hold: libFuzzer then
// keeps the input that made it fail.
#define FUZZ_CHECK(cond, what)                                                          \
  do {                                                                                  \
    if (!(cond)) {                                                                      \
      std::fprintf(stderr, "property failed at %s:%d: %s\n", __FILE__, __LINE__, what); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)

namespace xanfuzz {

// A file of this process in the temporary directory, for readers that take a file name;
// removed at exit.
class TempFile {
 public:
  explicit TempFile(std::string_view tag) {
    static std::atomic<uint64_t> serial{std::random_device{}()};
    FPath = std::filesystem::temp_directory_path() /
            ("xan_fuzz_" + std::string(tag) + "_" + std::to_string(serial++));
  }
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove(FPath, ec);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // The name as the library takes it.
  xan::String Name() const { return xan::FromUtf8(FPath.string()); }
  // A new file each time: emptying the old one would make some file systems (ext4) write it
  // out to disk at each close, which slows a run down several times.
  void Write(std::string_view bytes) const {
    std::error_code ec;
    std::filesystem::remove(FPath, ec);
    std::ofstream(FPath, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  }
  std::string Read() const {
    std::ifstream in(FPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path FPath;
};

// A stream over bytes that hands out at most Chunk bytes per read and never shows a buffered
// window, so that block readers take their slow path and step back through Seek.
class ChunkedStream final : public xan::TStream {
 public:
  ChunkedStream(std::string_view bytes, size_t chunk)
      : FBytes(bytes), FChunk(std::max<size_t>(1, chunk)) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    if (Count <= 0 || FPos >= FBytes.size()) return 0;
    const size_t n = std::min({static_cast<size_t>(Count), FChunk, FBytes.size() - FPos});
    std::memcpy(Buffer, FBytes.data() + FPos, n);
    FPos += n;
    return static_cast<int64_t>(n);
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, xan::TSeekOrigin Origin) override {
    const int64_t target =
        SeekTarget(Offset, Origin, static_cast<int64_t>(FPos), static_cast<int64_t>(FBytes.size()));
    FPos = static_cast<size_t>(target);
    return target;
  }

 private:
  std::string_view FBytes;
  size_t FChunk;
  size_t FPos = 0;
};

// Takes the choices of a target from the front of its input.
class Choices {
 public:
  Choices(const uint8_t* data, size_t size) : FRest(reinterpret_cast<const char*>(data), size) {}
  // The next byte, or 0 when none is left.
  uint8_t Byte() {
    if (FRest.empty()) return 0;
    const auto b = static_cast<uint8_t>(FRest.front());
    FRest.remove_prefix(1);
    return b;
  }
  // The bytes up to the first `stop` byte (which is consumed), at most `limit` of them.
  std::string_view Until(char stop, size_t limit) {
    const size_t end = std::min(FRest.find(stop), std::min(limit, FRest.size()));
    const std::string_view part = FRest.substr(0, end);
    FRest.remove_prefix(std::min(FRest.size(), end + 1));
    return part;
  }
  std::string_view Rest() const { return FRest; }

 private:
  std::string_view FRest;
};

// True when the text holds a decimal number above `limit`. The file formats state their sizes,
// and a large stated size is honoured by design (up to limits of hundreds of MiB): targets skip
// such inputs so that the fuzzer spends its time on parsing rather than on filling memory.
inline bool AsksForMuch(std::string_view text, uint64_t limit) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') continue;
    uint64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      v = std::min<uint64_t>(v * 10 + static_cast<uint64_t>(text[i] - '0'), limit + 1);
    }
    if (v > limit) return true;
  }
  return false;
}

}  // namespace xanfuzz
