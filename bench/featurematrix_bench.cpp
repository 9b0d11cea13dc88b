// Feature-matrix file speed: Save and Load of 20 features x 100 000 objects, beside writing the
// same lines with std::ofstream, reading them with std::getline and with the open text file's
// ReadLn alone, in the same run; closing with one line per figure against its goal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#define XAN_BENCH_RUSAGE 1
#endif

#include "xan/dstruct/featurematrix.h"
#include "xan/platform/textfile.h"

namespace {

constexpr int32_t kFeatures = 20;
constexpr int32_t kObjects = 100000;

std::filesystem::path gDir;
std::filesystem::path gFile;
std::filesystem::path gPeerFile;
xan::TFeatureMatrix* gMatrix = nullptr;
// The lines of the saved file without their line ends, for the std::ofstream peer.
std::vector<std::string> gLines;

int64_t FileBytes() {
  return static_cast<int64_t>(std::filesystem::file_size(gFile));
}

xan::String FileName() {
  return xan::FromUtf8(gFile.string());
}

// A matrix of integer, double, string and tri-state features, every value set.
void Setup() {
  std::random_device rd;
  gDir = std::filesystem::temp_directory_path() / ("xan_bench_" + std::to_string(rd()));
  std::filesystem::create_directory(gDir);
  gFile = gDir / "matrix.txt";
  gPeerFile = gDir / "peer.txt";
  gMatrix = new xan::TFeatureMatrix();
  gMatrix->Resize(kFeatures, kObjects);
  std::mt19937 rng(1);
  for (int32_t f = 1; f <= kFeatures; ++f) {
    const xan::TFeatKind kind = static_cast<xan::TFeatKind>(1 + (f - 1) % 4);
    gMatrix->SetFeatType(f, f, kind);
    for (int32_t o = 1; o <= kObjects; ++o) {
      switch (kind) {
        case xan::fkInteger:
          gMatrix->SetFeatValint(f, o, static_cast<int64_t>(rng() % 1000000));
          break;
        case xan::fkDouble:
          gMatrix->SetFeatValDouble(f, o, rng() / 3.0);
          break;
        case xan::fkString:
          gMatrix->SetFeatValStr(f, o, u"object " + xan::FromUtf8(std::to_string(o)));
          break;
        default:
          gMatrix->SetFeatValTriState(f, o, rng() % 2 ? xan::tsTrue : xan::tsFalse);
          break;
      }
    }
  }
  gMatrix->Save(FileName());
  std::ifstream in(gFile, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    gLines.push_back(line);
  }
}

void Teardown() {
  delete gMatrix;
  std::filesystem::remove_all(gDir);
}

// Page faults and the system's share of the processor time over a benchmark's iterations: the
// cost of fresh memory, which differs most between machines (cheap on bare metal, dear in a
// virtual machine with shadow page tables).
class TFaultCounter {
 public:
  TFaultCounter() { Sample(FFaults, FUser, FSystem); }
  void Report(benchmark::State& state) const {
    long faults = 0;
    double user = 0;
    double system = 0;
    Sample(faults, user, system);
    const double n =
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["faults"] = static_cast<double>(faults - FFaults) / n;
    const double cpu = (user - FUser) + (system - FSystem);
    state.counters["sys%"] = cpu > 0 ? 100 * (system - FSystem) / cpu : 0;
  }

 private:
  static void Sample(long& Faults, double& User, double& System) {
#if defined(XAN_BENCH_RUSAGE)
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    Faults = u.ru_minflt + u.ru_majflt;
    User = static_cast<double>(u.ru_utime.tv_sec) + u.ru_utime.tv_usec / 1e6;
    System = static_cast<double>(u.ru_stime.tv_sec) + u.ru_stime.tv_usec / 1e6;
#else
    Faults = 0;
    User = System = 0;
#endif
  }
  long FFaults = 0;
  double FUser = 0;
  double FSystem = 0;
};

void BM_Save(benchmark::State& state) {
  const TFaultCounter faults;
  for (auto _ : state) gMatrix->Save(FileName());
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

// The same lines, each followed by CR LF, written by std::ofstream.
void BM_StdOfstream(benchmark::State& state) {
  const TFaultCounter faults;
  for (auto _ : state) {
    std::ofstream out(gPeerFile, std::ios::binary | std::ios::trunc);
    for (const std::string& line : gLines) {
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
      out.write("\r\n", 2);
    }
  }
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

// Loading again into the same matrix, whose storage the load reuses.
void BM_Load(benchmark::State& state) {
  xan::TFeatureMatrix m;
  const TFaultCounter faults;
  for (auto _ : state) {
    if (m.Load(FileName()) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(m.NObjects());
  }
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

// Loading into a new matrix each time (its freeing included), all storage fresh.
void BM_LoadNewMatrix(benchmark::State& state) {
  const TFaultCounter faults;
  for (auto _ : state) {
    xan::TFeatureMatrix m;
    if (m.Load(FileName()) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(m.NObjects());
  }
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

void BM_StdGetline(benchmark::State& state) {
  const TFaultCounter faults;
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
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
  state.counters["lines"] = static_cast<double>(lines);
}

// The lines read by the open text file and nothing else.
void BM_TextFileReadLn(benchmark::State& state) {
  const TFaultCounter faults;
  for (auto _ : state) {
    xan::TTextFile f(FileName(), xan::tfmRead);
    xan::String line;
    while (!f.Eof()) {
      f.ReadLn(line);
      benchmark::DoNotOptimize(line.data());
    }
  }
  faults.Report(state);
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdOfstream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadNewMatrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFileReadLn)->Unit(benchmark::kMillisecond);

// Each benchmark's processor and wall time per iteration in milliseconds, for the closing lines
// (with repetitions, the medians).
class TTimeCollector : public benchmark::ConsoleReporter {
 public:
  struct TTimes {
    double Cpu = 0;
    double Wall = 0;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      if (r.error_occurred) continue;
      Times[r.run_name.function_name] = {r.GetAdjustedCPUTime(), r.GetAdjustedRealTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, TTimes> Times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Setup();
  TTimeCollector times;
  benchmark::RunSpecifiedBenchmarks(&times);
  Teardown();
  // The figures with their goals, one line each: ours, the peer's, the ratio of the times, in
  // processor time (what the machine's other work does not change) and in wall time.
  const auto figure = [&](const char* what, const char* ours, const char* peer,
                          const char* peerName, const char* goal) {
    const auto a = times.Times.find(ours);
    const auto b = times.Times.find(peer);
    if (a == times.Times.end() || b == times.Times.end()) return;
    const TTimeCollector::TTimes x = a->second;
    const TTimeCollector::TTimes y = b->second;
    if (y.Cpu <= 0 || y.Wall <= 0) return;
    std::printf(
        "figure: %s: xan %.1f ms, %s %.1f ms, %.2fx the time (CPU; wall %.1f / %.1f ms, %.2fx) "
        "(goal: %s)\n",
        what, x.Cpu, peerName, y.Cpu, x.Cpu / y.Cpu, x.Wall, y.Wall, x.Wall / y.Wall, goal);
  };
  figure("TFeatureMatrix::Load 20 x 100 000", "BM_Load", "BM_StdGetline",
         "std::getline over the file", "<= 2.5x");
  figure("TFeatureMatrix::Load into a new matrix", "BM_LoadNewMatrix", "BM_StdGetline",
         "std::getline over the file", "<= 2.5x");
  figure("TFeatureMatrix::Save 20 x 100 000", "BM_Save", "BM_StdOfstream",
         "std::ofstream writing the same lines", "<= 2x");
  benchmark::Shutdown();
  return 0;
}
