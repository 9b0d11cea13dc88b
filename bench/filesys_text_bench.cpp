// Text files and path text beside peers in one run: CountLinesInTextFile (both forms) against
// `wc -l`, EnsureCRLFInFile against a buffered copy, path splitting against std::filesystem::path.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "xan/filesys/paths.h"
#include "xan/filesys/textfiles.h"

namespace {

constexpr int64_t kFileSize = int64_t{256} << 20;
constexpr size_t kLineLength = 80;
constexpr size_t kPaths = 1'000'000;

std::filesystem::path gDir;

std::filesystem::path InDir(const char* name) {
  return gDir / name;
}
xan::String NameOf(const char* name) {
  return xan::FromUtf8(InDir(name).string());
}

// Lines of 80 printable characters, each followed by End, up to 256 MiB.
void WriteLines(const char* name, std::string_view End) {
  std::ofstream out(InDir(name), std::ios::binary);
  std::string line(kLineLength, ' ');
  line += End;
  for (int64_t written = 0, n = 0; written < kFileSize; written += line.size(), ++n) {
    for (size_t i = 0; i < kLineLength; ++i) line[i] = static_cast<char>(' ' + (n + i) % 95);
    out << line;
  }
}

// Paths of 2 to 6 directories with names of 3 to 12 letters, half of them with an extension.
std::vector<std::string> gPaths;
std::vector<xan::String> gPathTexts;
void MakePaths() {
  std::mt19937 rng(1);
  for (size_t i = 0; i < kPaths; ++i) {
    std::string p;
    const unsigned dirs = 2 + rng() % 5;
    for (unsigned d = 0; d <= dirs; ++d) {
      p += '/';
      const unsigned len = 3 + rng() % 10;
      for (unsigned k = 0; k < len; ++k) p += static_cast<char>('a' + rng() % 26);
    }
    if (rng() % 2 == 0) p += ".txt";
    gPaths.push_back(p);
    gPathTexts.push_back(xan::FromUtf8(p));
  }
}

void BM_CountLinesInTextFile(benchmark::State& state) {
  int32_t lines = 0;
  for (auto _ : state) lines = xan::CountLinesInTextFile(NameOf("lf.txt"), nullptr);
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["lines"] = lines;
}

// The open-file form, which reads the lines through the text file.
void BM_CountLinesInOpenTextFile(benchmark::State& state) {
  int32_t lines = 0;
  xan::TTextFile file(NameOf("lf.txt"), xan::tfmRead);
  for (auto _ : state) lines = xan::CountLinesInTextFile(file, nullptr);
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["lines"] = lines;
}

// The peer: the wc program on the same file (process start included, about 1 ms).
void BM_WcL(benchmark::State& state) {
  const std::string command = "wc -l < '" + InDir("lf.txt").string() + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("wc -l failed");
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}

// Input with a lone CR after every line, so that every line gets a LF.
void BM_EnsureCRLFInFile(benchmark::State& state) {
  for (auto _ : state) xan::EnsureCRLFInFile(NameOf("cr.txt"), NameOf("crlf.out"));
  state.SetBytesProcessed(state.iterations() * kFileSize);
}

// The peer: the same file copied through stdio's buffers in blocks of 64 KiB.
void BM_BufferedCopy(benchmark::State& state) {
  std::unique_ptr<char[]> block(new char[65536]);
  for (auto _ : state) {
    std::FILE* in = std::fopen(InDir("cr.txt").c_str(), "rb");
    std::FILE* out = std::fopen(InDir("copy.out").c_str(), "wb");
    if (in == nullptr || out == nullptr) state.SkipWithError("cannot open the files");
    size_t n = 0;
    while (in != nullptr && out != nullptr && (n = std::fread(block.get(), 1, 65536, in)) > 0) {
      std::fwrite(block.get(), 1, n, out);
    }
    if (in != nullptr) std::fclose(in);
    if (out != nullptr) std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}

// Directory, name and name without extension of each path.
void BM_PathSplit(benchmark::State& state) {
  size_t total = 0;
  for (auto _ : state) {
    for (const xan::String& p : gPathTexts) {
      const xan::String dir = xan::ExtractFilePath(p, xan::psPosix);
      const xan::String name = xan::ExtractFileName(p, xan::psPosix);
      const xan::String stem = xan::StripExtension(name, xan::psPosix);
      total += dir.size() + name.size() + stem.size();
    }
  }
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPaths));
}

void BM_StdFilesystemPathSplit(benchmark::State& state) {
  size_t total = 0;
  for (auto _ : state) {
    for (const std::string& text : gPaths) {
      const std::filesystem::path p(text);
      const std::filesystem::path dir = p.parent_path();
      const std::filesystem::path name = p.filename();
      const std::filesystem::path stem = name.stem();
      total += dir.native().size() + name.native().size() + stem.native().size();
    }
  }
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPaths));
}

BENCHMARK(BM_CountLinesInTextFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CountLinesInOpenTextFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_EnsureCRLFInFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BufferedCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PathSplit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StdFilesystemPathSplit)->Unit(benchmark::kMillisecond)->Iterations(3);

// The console report, keeping each benchmark's time per iteration for the summary.
class TSummaryReporter : public benchmark::ConsoleReporter {
 public:
  TSummaryReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& r : Runs) {
      const std::string name = r.benchmark_name();
      FTimes[name.substr(0, name.find('/'))] = r.GetAdjustedRealTime();
    }
  }
  void Summary(const char* What, const char* Ours, const char* Peer, const char* PeerLabel) {
    const auto ours = FTimes.find(Ours);
    const auto peer = FTimes.find(Peer);
    if (ours == FTimes.end() || peer == FTimes.end()) return;
    std::printf("%s: ours %.1f ms, %s %.1f ms, ratio %.2f\n", What, ours->second, PeerLabel,
                peer->second, ours->second / peer->second);
  }

 private:
  std::map<std::string, double> FTimes;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::random_device rd;
  gDir = std::filesystem::temp_directory_path() / ("xan_bench_" + std::to_string(rd()));
  std::filesystem::create_directory(gDir);
  WriteLines("lf.txt", "\n");
  WriteLines("cr.txt", "\r");
  MakePaths();
  TSummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(gDir, ec);
  std::cout << "\n";
  reporter.Summary("CountLinesInTextFile, 256 MiB", "BM_CountLinesInTextFile", "BM_WcL", "wc -l");
  reporter.Summary("CountLinesInTextFile on an open file, 256 MiB", "BM_CountLinesInOpenTextFile",
                   "BM_WcL", "wc -l");
  reporter.Summary("EnsureCRLFInFile, 256 MiB", "BM_EnsureCRLFInFile", "BM_BufferedCopy",
                   "buffered copy");
  reporter.Summary("Path split, 1e6 paths", "BM_PathSplit", "BM_StdFilesystemPathSplit",
                   "std::filesystem::path");
  return 0;
}
