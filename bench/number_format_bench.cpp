// Formatting a million values: strff in its fixed and exponent forms beside std::to_chars and
// snprintf asked for the same digits, in the same run.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "xan/stringl/number_format.h"

namespace {

constexpr int kCount = 1000000;

const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mant(-1000, 1000);
    std::uniform_int_distribution<int> scale(-3, 5);
    std::vector<double> v(kCount);
    for (double& x : v) x = mant(rng) * std::pow(10.0, scale(rng));
    return v;
  }();
  return values;
}

// strff(x, 14, 4): the fixed form with 4 decimals.
void BM_StrffFixed(benchmark::State& state) {
  for (auto _ : state) {
    for (double x : Values()) benchmark::DoNotOptimize(xan::strff(x, 14, 4));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_SnprintfFixed(benchmark::State& state) {
  char buf[64];
  for (auto _ : state) {
    for (double x : Values()) benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%14.4f", x));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_ToCharsFixed(benchmark::State& state) {
  char buf[64];
  for (auto _ : state) {
    for (double x : Values()) {
      benchmark::DoNotOptimize(
          std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 4));
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

// strff(x, 12, -2): the short exponent form with 6 significant digits.
void BM_StrffExponent(benchmark::State& state) {
  for (auto _ : state) {
    for (double x : Values()) benchmark::DoNotOptimize(xan::strff(x, 12, -2));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_SnprintfExponent(benchmark::State& state) {
  char buf[64];
  for (auto _ : state) {
    for (double x : Values()) benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%12.5E", x));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_ToCharsExponent(benchmark::State& state) {
  char buf[64];
  for (auto _ : state) {
    for (double x : Values()) {
      benchmark::DoNotOptimize(
          std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 5));
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_StrffFixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnprintfFixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCharsFixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrffExponent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnprintfExponent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCharsExponent)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
