// Line reading and counting through TFileStream over a 256 MiB file of 80-character lines, beside
// std::getline on std::ifstream and `wc -l` on the same file in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "xan/platform/streams.h"
#include "xan/streams/primitives.h"

namespace {

constexpr int64_t kFileSize = int64_t{256} << 20;
constexpr size_t kLineLength = 80;

std::filesystem::path gDir;
std::filesystem::path gFile;

// Writes lines of 80 printable characters, each followed by LF, up to 256 MiB.
void CreateFile() {
  std::random_device rd;
  gDir = std::filesystem::temp_directory_path() / ("xan_bench_" + std::to_string(rd()));
  std::filesystem::create_directory(gDir);
  gFile = gDir / "lines.txt";
  std::ofstream out(gFile, std::ios::binary);
  std::string line(kLineLength + 1, '\n');
  for (int64_t written = 0, n = 0; written < kFileSize; written += line.size(), ++n) {
    for (size_t i = 0; i < kLineLength; ++i) line[i] = static_cast<char>(' ' + (n + i) % 95);
    out << line;
  }
}

xan::String FileName() {
  return xan::FromUtf8(gFile.string());
}

void BM_ReadLnStream(benchmark::State& state) {
  int64_t lines = 0;
  for (auto _ : state) {
    xan::TFileStream f(FileName(), xan::fmOpenRead);
    bool end = false;
    lines = 0;
    for (;;) {
      const xan::String line = xan::ReadLnStream(f, end, 0);
      if (end) break;
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_StdGetline(benchmark::State& state) {
  int64_t lines = 0;
  for (auto _ : state) {
    std::ifstream in(gFile, std::ios::binary);
    std::string line;
    lines = 0;
    while (std::getline(in, line)) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_CountLinesInStream(benchmark::State& state) {
  int32_t lines = 0;
  for (auto _ : state) {
    xan::TFileStream f(FileName(), xan::fmOpenRead);
    lines = xan::CountLinesInStream(f);
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["lines"] = lines;
}

// The peer for counting: the wc program on the same file (process start included, about 1 ms).
void BM_WcL(benchmark::State& state) {
  const std::string command = "wc -l < '" + gFile.string() + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("wc -l failed");
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}

BENCHMARK(BM_ReadLnStream)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountLinesInStream)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CreateFile();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(gDir, ec);
  return 0;
}
