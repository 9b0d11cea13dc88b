// File and tree operations beside the system's own tools in the same run: FileCopyFeedBk against
// cp and std::filesystem::copy_file (256 MiB), CopyFileTree against cp -r (10 000 small files),
// CountFiles against find | wc -l (100 000 entries), DelDirTree against rm -rf (10 000 files).
// Wall-clock time (median of three repetitions), warm page cache; the tools' figures include
// starting their process (about a millisecond). Ends with one line per figure: ours, the peer's,
// the ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/host_names.h"
#include "xan/filesys/trees.h"

namespace {

namespace fs = std::filesystem;

fs::path g_dir;

constexpr size_t kBigFile = size_t{256} << 20;
constexpr int kTreeFiles = 10000;  // in 100 directories of 100
constexpr int kCountDirs = 1000;   // 1000 directories of 99 files: 100 000 entries
constexpr int kCountFilesPerDir = 99;

xan::String Name(const fs::path& p) {
  return xan::DecodeHostName(p.string());
}

void Run(const std::string& Command, benchmark::State& State) {
  if (std::system(Command.c_str()) != 0) State.SkipWithError(("failed: " + Command).c_str());
}

std::string Quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

// Removes what an iteration made and lets the disk settle, outside the measured time.
void CleanUp(benchmark::State& State, const fs::path& Made) {
  State.PauseTiming();
  fs::remove_all(Made);
  ::sync();
  State.ResumeTiming();
}

void MakeSmallTree(const fs::path& Root, int Files, int PerDir, size_t Size) {
  std::string content(Size, 'x');
  for (int i = 0; i < Files; ++i) {
    const fs::path dir = Root / ("d" + std::to_string(i / PerDir));
    if (i % PerDir == 0) fs::create_directories(dir);
    content[0] = static_cast<char>('a' + i % 26);
    std::ofstream(dir / ("file" + std::to_string(i) + ".dat"), std::ios::binary) << content;
  }
}

void Prepare() {
  g_dir = fs::temp_directory_path() / ("xan_bench_trees_" + std::to_string(::getpid()));
  fs::create_directories(g_dir);
  {
    std::mt19937_64 rng(42);
    std::vector<uint64_t> block(1 << 17);  // 1 MiB
    std::ofstream out(g_dir / "big.bin", std::ios::binary);
    for (size_t done = 0; done < kBigFile; done += block.size() * 8) {
      for (auto& v : block) v = rng();
      out.write(reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(block.size() * 8));
    }
  }
  MakeSmallTree(g_dir / "small", kTreeFiles, 100, 1000);
  MakeSmallTree(g_dir / "many", kCountDirs * kCountFilesPerDir, kCountFilesPerDir, 0);
  ::sync();
}

// -------------------------------------------------------------------------------------------------
// One 256 MiB file

int32_t g_feedbacks = 0;
void CountFeedback(int32_t, int32_t) {
  ++g_feedbacks;
}

void BM_FileCopyFeedBk(benchmark::State& State) {
  const fs::path to = g_dir / "copy.bin";
  for (auto _ : State) {
    if (xan::FileCopyFeedBk(Name(g_dir / "big.bin"), Name(to), false, CountFeedback) != 0) {
      State.SkipWithError("copy failed");
    }
    CleanUp(State, to);
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * kBigFile));
}

void BM_Cp(benchmark::State& State) {
  const fs::path to = g_dir / "copy.bin";
  for (auto _ : State) {
    Run("cp " + Quoted(g_dir / "big.bin") + " " + Quoted(to), State);
    CleanUp(State, to);
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * kBigFile));
}

void BM_StdCopyFile(benchmark::State& State) {
  const fs::path to = g_dir / "copy.bin";
  for (auto _ : State) {
    fs::copy_file(g_dir / "big.bin", to);
    CleanUp(State, to);
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * kBigFile));
}

// -------------------------------------------------------------------------------------------------
// 10 000 small files

void BM_CopyFileTree(benchmark::State& State) {
  const fs::path to = g_dir / "small-copy";
  for (auto _ : State) {
    if (xan::CopyFileTree(Name(g_dir / "small"), Name(to), false, nullptr) != 0) {
      State.SkipWithError("tree copy failed");
    }
    CleanUp(State, to);
  }
}

void BM_CpR(benchmark::State& State) {
  const fs::path to = g_dir / "small-copy";
  for (auto _ : State) {
    Run("cp -r " + Quoted(g_dir / "small") + " " + Quoted(to), State);
    CleanUp(State, to);
  }
}

// -------------------------------------------------------------------------------------------------
// Counting 100 000 entries

void BM_CountFiles(benchmark::State& State) {
  int32_t count = 0;
  for (auto _ : State) count = xan::CountFiles(Name(g_dir / "many" / "*"), true, nullptr);
  if (count != kCountDirs * kCountFilesPerDir) State.SkipWithError("wrong count");
}

void BM_FindWcL(benchmark::State& State) {
  for (auto _ : State) {
    Run("find " + Quoted(g_dir / "many") + " -type f | wc -l > /dev/null", State);
  }
}

// -------------------------------------------------------------------------------------------------
// Deleting 10 000 files

void BM_Delete(benchmark::State& State, bool Ours) {
  const fs::path tree = g_dir / "doomed";
  for (auto _ : State) {
    State.PauseTiming();
    fs::copy(g_dir / "small", tree, fs::copy_options::recursive);
    ::sync();
    State.ResumeTiming();
    if (Ours) {
      if (!xan::DelDirTree(Name(tree)).empty()) State.SkipWithError("DelDirTree failed");
    } else {
      Run("rm -rf " + Quoted(tree), State);
    }
  }
}
void BM_DelDirTree(benchmark::State& State) {
  BM_Delete(State, true);
}
void BM_RmRf(benchmark::State& State) {
  BM_Delete(State, false);
}

// Each figure is the median of three repetitions, so that one disturbed run of the shared machine
// does not decide it.
void Setup(benchmark::internal::Benchmark* B, int Iterations) {
  B->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(Iterations)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
}
BENCHMARK(BM_FileCopyFeedBk)->Apply([](auto* b) { Setup(b, 4); });
BENCHMARK(BM_Cp)->Apply([](auto* b) { Setup(b, 4); });
BENCHMARK(BM_StdCopyFile)->Apply([](auto* b) { Setup(b, 4); });
BENCHMARK(BM_CopyFileTree)->Apply([](auto* b) { Setup(b, 2); });
BENCHMARK(BM_CpR)->Apply([](auto* b) { Setup(b, 2); });
BENCHMARK(BM_CountFiles)->Apply([](auto* b) { Setup(b, 5); });
BENCHMARK(BM_FindWcL)->Apply([](auto* b) { Setup(b, 5); });
BENCHMARK(BM_DelDirTree)->Apply([](auto* b) { Setup(b, 2); });
BENCHMARK(BM_RmRf)->Apply([](auto* b) { Setup(b, 2); });

// Keeps each benchmark's median wall-clock time per iteration, in milliseconds.
class TTimeCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    for (const Run& r : Runs) {
      if (!r.error_occurred && r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        Millis[r.run_name.function_name] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(Runs);
  }
  std::map<std::string, double> Millis;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Prepare();
  TTimeCollector times;
  benchmark::RunSpecifiedBenchmarks(&times);
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(g_dir, ec);

  const struct {
    const char* What;
    const char* Ours;
    const char* Peer;
    const char* PeerName;
    double Goal;
  } pairs[] = {
      {"copy 256 MiB", "BM_FileCopyFeedBk", "BM_Cp", "cp", 1.3},
      {"copy 256 MiB", "BM_FileCopyFeedBk", "BM_StdCopyFile", "std::filesystem::copy_file", 1.3},
      {"copy tree of 10 000 files", "BM_CopyFileTree", "BM_CpR", "cp -r", 1.5},
      {"count 100 000 entries", "BM_CountFiles", "BM_FindWcL", "find -type f | wc -l", 1.5},
      {"delete tree of 10 000 files", "BM_DelDirTree", "BM_RmRf", "rm -rf", 1.5},
  };
  std::printf("\n%-28s %10s  %-28s %10s %7s %6s\n", "what", "xan ms", "peer", "peer ms", "ratio",
              "goal");
  for (const auto& p : pairs) {
    const auto ours = times.Millis.find(p.Ours);
    const auto peer = times.Millis.find(p.Peer);
    if (ours == times.Millis.end() || peer == times.Millis.end()) continue;
    std::printf("%-28s %10.1f  %-28s %10.1f %7.2f %6.1f\n", p.What, ours->second, p.PeerName,
                peer->second, ours->second / peer->second, p.Goal);
  }
  return 0;
}
