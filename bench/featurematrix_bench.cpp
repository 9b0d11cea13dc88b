// Feature-matrix file speed: Save and Load of 20 features x 100 000 objects, beside reading the
// same file's lines with std::getline and with the open text file's ReadLn alone (the floor
// under Load, which reads its lines that way) in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "xan/dstruct/featurematrix.h"
#include "xan/platform/textfile.h"

namespace {

constexpr int32_t kFeatures = 20;
constexpr int32_t kObjects = 100000;

std::filesystem::path gDir;
std::filesystem::path gFile;
xan::TFeatureMatrix* gMatrix = nullptr;

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
}

void Teardown() {
  delete gMatrix;
  std::filesystem::remove_all(gDir);
}

void BM_Save(benchmark::State& state) {
  for (auto _ : state) gMatrix->Save(FileName());
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

void BM_Load(benchmark::State& state) {
  xan::TFeatureMatrix m;
  for (auto _ : state) {
    if (m.Load(FileName()) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(m.NObjects());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes());
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
  state.SetBytesProcessed(state.iterations() * FileBytes());
  state.counters["lines"] = static_cast<double>(lines);
}

// The lines read by the open text file and nothing else.
void BM_TextFileReadLn(benchmark::State& state) {
  for (auto _ : state) {
    xan::TTextFile f(FileName(), xan::tfmRead);
    xan::String line;
    while (!f.Eof()) {
      f.ReadLn(line);
      benchmark::DoNotOptimize(line.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * FileBytes());
}

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFileReadLn)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Setup();
  benchmark::RunSpecifiedBenchmarks();
  Teardown();
  benchmark::Shutdown();
  return 0;
}
