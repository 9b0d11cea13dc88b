// TStringArray beside std::vector<std::vector<std::string>> on 200 000 rows x 8 columns of short
// texts: memory held, filling, sorting by one column, searching, and garbage collection.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "xan/dstruct/stringarray.h"

// Every heap allocation of the program is counted (usable bytes), so that the memory a table
// holds is what it allocated, whatever glibc does with freed memory.
namespace {
std::atomic<int64_t> gHeapBytes{0};
}  // namespace

void* operator new(size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  gHeapBytes += static_cast<int64_t>(malloc_usable_size(p));
  return p;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  gHeapBytes -= static_cast<int64_t>(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  operator delete(p);
}

namespace {

constexpr int32_t kRows = 200000;
constexpr int32_t kCols = 8;  // columns 0..7 of the table
constexpr int32_t kSortCol = 3;
constexpr int32_t kRecordCol = 7;  // "record-" and 6 digits: equal in their first 8 characters

using Table = std::vector<std::vector<std::string>>;

// Short texts of 3 to 12 letters, mixed case, the same in every run; the last column holds
// record numbers with a common prefix.
const Table& Source() {
  static const Table table = [] {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> len(3, 12);
    std::uniform_int_distribution<int> letter(0, 51);
    Table t(kRows, std::vector<std::string>(kCols));
    for (auto& row : t) {
      for (auto& cell : row) {
        cell.resize(static_cast<size_t>(len(rng)));
        for (char& ch : cell) {
          const int l = letter(rng);
          ch = static_cast<char>(l < 26 ? 'a' + l : 'A' + l - 26);
        }
      }
      row[kRecordCol] = "record-" + std::to_string(100000 + rng() % 900000);
    }
    return t;
  }();
  return table;
}

void FillTable(xan::TStringArray& t) {
  t.Resize(kCols - 1, kRows);
  const Table& src = Source();
  for (int32_t r = 1; r <= kRows; ++r) {
    const auto& row = src[static_cast<size_t>(r) - 1];
    for (int32_t c = 0; c < kCols; ++c) {
      t.SetString(c, r, xan::ShortString::FromAnsi(row[static_cast<size_t>(c)]));
    }
  }
}

Table FillVector() {
  const Table& src = Source();
  Table t(kRows, std::vector<std::string>(kCols));
  for (size_t r = 0; r < src.size(); ++r) {
    for (size_t c = 0; c < kCols; ++c) t[r][c] = src[r][c];
  }
  return t;
}

// The table's key order: lower-cased A-Z, then by character.
bool LessIgnoringAsciiCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0;
  int64_t resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}

// Memory of both tables holding the same cells, built one after the other on a trimmed heap.
void BM_Memory(benchmark::State& state) {
  Source();
  int64_t heapOurs = 0;
  int64_t heapVector = 0;
  int64_t rssOurs = 0;
  int64_t rssVector = 0;
  for (auto _ : state) {
    malloc_trim(0);
    int64_t heap0 = gHeapBytes;
    int64_t rss0 = ResidentBytes();
    auto table = std::make_unique<xan::TStringArray>();
    FillTable(*table);
    heapOurs = gHeapBytes - heap0;
    rssOurs = ResidentBytes() - rss0;
    heap0 = gHeapBytes;
    rss0 = ResidentBytes();
    auto vec = std::make_unique<Table>(FillVector());
    heapVector = gHeapBytes - heap0;
    rssVector = ResidentBytes() - rss0;
    benchmark::DoNotOptimize(table->NumBuffers());
    benchmark::DoNotOptimize(vec->size());
  }
  state.counters["TStringArray_MB"] = static_cast<double>(heapOurs) / 1e6;
  state.counters["vector_MB"] = static_cast<double>(heapVector) / 1e6;
  state.counters["ratio"] = static_cast<double>(heapOurs) / static_cast<double>(heapVector);
  state.counters["TStringArray_RSS_MB"] = static_cast<double>(rssOurs) / 1e6;
  state.counters["vector_RSS_MB"] = static_cast<double>(rssVector) / 1e6;
}

void BM_Fill_TStringArray(benchmark::State& state) {
  Source();
  for (auto _ : state) {
    xan::TStringArray t;
    FillTable(t);
    benchmark::DoNotOptimize(t.NumBuffers());
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_Fill_VectorOfStrings(benchmark::State& state) {
  Source();
  for (auto _ : state) {
    Table t = FillVector();
    benchmark::DoNotOptimize(t.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void SortTable(benchmark::State& state, int32_t col) {
  xan::TStringArray t;
  FillTable(t);
  for (auto _ : state) {
    state.PauseTiming();
    t.UnSort();
    state.ResumeTiming();
    t.Sort(col, 0, true);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void SortVector(benchmark::State& state, size_t col) {
  const Table filled = FillVector();
  for (auto _ : state) {
    state.PauseTiming();
    Table t = filled;
    state.ResumeTiming();
    std::sort(t.begin(), t.end(), [col](const auto& a, const auto& b) {
      return LessIgnoringAsciiCase(a[col], b[col]);
    });
    benchmark::DoNotOptimize(t.data());
    state.PauseTiming();
    t = Table();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_Sort_TStringArray(benchmark::State& state) {
  SortTable(state, kSortCol);
}
void BM_Sort_StdSortVectorOfStrings(benchmark::State& state) {
  SortVector(state, kSortCol);
}
// Keys that agree in their first 8 characters: every comparison reads the strings.
void BM_SortCommonPrefix_TStringArray(benchmark::State& state) {
  SortTable(state, kRecordCol);
}
void BM_SortCommonPrefix_StdSortVectorOfStrings(benchmark::State& state) {
  SortVector(state, kRecordCol);
}

// The sort with a key hook: every comparison converts both cells to text.
void BM_Sort_TStringArrayWithHook(benchmark::State& state) {
  xan::TStringArray t;
  FillTable(t);
  t.SetOnBeforeSortExchange([](xan::TObject*, xan::StringView, xan::String&) {});
  for (auto _ : state) {
    state.PauseTiming();
    t.UnSort();
    state.ResumeTiming();
    t.Sort(kSortCol, 0, true);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

// A case-insensitive substring that only the last row holds: every cell is looked at.
void BM_FindCell_TStringArray(benchmark::State& state) {
  xan::TStringArray t;
  FillTable(t);
  t.SetString(5, kRows, xan::ShortString::FromAnsi("xx0123yy"));
  int32_t col = 0;
  int32_t row = 0;
  if (!t.FindCell(u"0123Y", false, -1, -1, -1, -1, col, row) || col != 5 || row != kRows) {
    state.SkipWithError("the search finds another cell");
  }
  for (auto _ : state) {
    int32_t c = 0;
    int32_t r = 0;
    benchmark::DoNotOptimize(t.FindCell(u"0123Y", false, -1, -1, -1, -1, c, r));
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_FindCell_VectorOfStrings(benchmark::State& state) {
  Table t = FillVector();
  t[kRows - 1][5] = "xx0123yy";
  for (auto _ : state) {
    bool found = false;
    std::string lowered;
    for (size_t r = 0; r < t.size() && !found; ++r) {
      for (size_t c = 0; c < kCols && !found; ++c) {
        lowered = t[r][c];
        for (char& ch : lowered) {
          if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
        }
        found = lowered.find("0123y") != std::string::npos;
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Compaction after every cell of four columns was overwritten with a longer text.
void BM_GarbageCollection_TStringArray(benchmark::State& state) {
  xan::TStringArray t;
  FillTable(t);
  for (int32_t r = 1; r <= kRows; ++r) {
    for (int32_t c = 0; c < 4; ++c) t.SetString(c, r, xan::ShortString::FromAnsi("longer text!!"));
  }
  state.counters["blocks"] = t.NumBuffers();
  for (auto _ : state) t.GarbageCollection();
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Fill_TStringArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_VectorOfStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_TStringArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_StdSortVectorOfStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortCommonPrefix_TStringArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortCommonPrefix_StdSortVectorOfStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_TStringArrayWithHook)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FindCell_TStringArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindCell_VectorOfStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GarbageCollection_TStringArray)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
