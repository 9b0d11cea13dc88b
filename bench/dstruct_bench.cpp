// Data-structure speed: TStringAccu.Add beside counting in std::unordered_map, run-length
// encoding of 64 MiB, and CountTrueBits over 10^8 bits beside a byte-table count.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "xan/dstruct.h"
#include "xan_dstruct/popcount.h"

namespace {

using namespace xan;

// ------------------------------------------------------------------------------------------------
// Counting strings: 1 000 000 additions of 100 000 distinct words.

const std::vector<String>& Words() {
  static const std::vector<String> words = [] {
    std::mt19937 gen(1);
    std::vector<String> distinct;
    for (int i = 0; i < 100000; ++i) {
      String s = u"item";
      for (int v = i; v > 0; v /= 26) s += static_cast<Char>(u'a' + v % 26);
      distinct.push_back(s);
    }
    std::vector<String> all;
    all.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) all.push_back(distinct[static_cast<size_t>(i) % 100000]);
    std::shuffle(all.begin(), all.end(), gen);
    return all;
  }();
  return words;
}

void BM_StringAccuAdd(benchmark::State& state) {
  const std::vector<String>& words = Words();
  for (auto _ : state) {
    TStringAccu acc;
    for (const String& w : words) acc.Add(w);
    benchmark::DoNotOptimize(acc.Size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_StringAccuAdd)->Unit(benchmark::kMillisecond);

void BM_UnorderedMapCount(benchmark::State& state) {
  const std::vector<String>& words = Words();
  for (auto _ : state) {
    std::unordered_map<String, int32_t> counts;
    for (const String& w : words) ++counts[w];
    benchmark::DoNotOptimize(counts.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_UnorderedMapCount)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------------------------------------------
// Run-length encoding of 64 MiB, fed in pieces of 64 KiB, blocks taken as they come.

constexpr size_t kRleSize = 64 << 20;

// kind 0: random bytes; 1: runs of random length 1..40; 2: text-like (few runs, some repeats).
const TBytes& RleInput(int kind) {
  static std::array<TBytes, 3> inputs;
  TBytes& data = inputs[static_cast<size_t>(kind)];
  if (data.empty()) {
    std::mt19937 gen(static_cast<uint32_t>(kind) + 5);
    data.reserve(kRleSize);
    while (data.size() < kRleSize) {
      if (kind == 0) {
        data.push_back(static_cast<uint8_t>(gen()));
      } else if (kind == 1) {
        data.insert(data.end(), 1 + gen() % 40, static_cast<uint8_t>(gen()));
      } else {
        const uint8_t c = static_cast<uint8_t>('a' + gen() % 26);
        data.insert(data.end(), gen() % 8 == 0 ? 2 : 1, c);
        if (gen() % 6 == 0) data.push_back(' ');
      }
    }
    data.resize(kRleSize);
  }
  return data;
}

void BM_RLEncode(benchmark::State& state) {
  const TBytes& in = RleInput(static_cast<int>(state.range(0)));
  const auto bufLeng = static_cast<int32_t>(state.range(1));
  constexpr size_t kPiece = 64 << 10;
  TBytes block;
  for (auto _ : state) {
    TRLEncoder enc;
    enc.SetBufLeng(bufLeng);
    size_t out = 0;
    for (size_t at = 0; at < in.size(); at += kPiece) {
      if (enc.Encode(std::span(in).subspan(at, kPiece), static_cast<int32_t>(kPiece))) {
        while (enc.GetResult(block)) out += block.size();
      }
    }
    while (enc.Finish(block) == bufLeng) out += block.size();
    out += block.size();
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_RLEncode)
    ->ArgNames({"kind", "bufleng"})
    ->Args({0, 65536})
    ->Args({1, 65536})
    ->Args({2, 65536})
    ->Args({0, 256})
    ->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------------------------------------------
// Counting 10^8 bits.

const TBitFld& HalfFullField() {
  static TBitFld* const field = [] {
    auto* f = new TBitFld;
    f->SetSize(100000000 - 1);
    std::mt19937_64 gen(3);
    for (int32_t i = 0; i < f->Size(); i += 64) {
      const uint64_t w = gen();
      for (int32_t k = 0; k < 64 && i + k <= f->Size(); ++k) f->SetBit(i + k, (w >> k & 1) != 0);
    }
    return f;
  }();
  return *field;
}

void BM_CountTrueBits(benchmark::State& state) {
  const TBitFld& f = HalfFullField();
  for (auto _ : state) benchmark::DoNotOptimize(f.CountTrueBits());
  state.SetBytesProcessed(state.iterations() * (int64_t{f.Size()} + 1) / 8);
  state.counters["popcnt_instruction"] = detail::HasHardwarePopCount() ? 1 : 0;
}
BENCHMARK(BM_CountTrueBits)->Unit(benchmark::kMillisecond);

// The same bytes through the portable word-wise count, and through a 256-entry table of bit
// counts per byte, the peer.
std::vector<uint8_t> FieldBytes() {
  const TBitFld& f = HalfFullField();
  std::vector<uint8_t> bytes(static_cast<size_t>(f.Size() + 1) / 8);
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t b = 0;
    for (int k = 0; k < 8; ++k)
      b |= static_cast<uint8_t>(f.GetBit(static_cast<int32_t>(i * 8) + k) << k);
    bytes[i] = b;
  }
  return bytes;
}

void BM_CountBitsPortable(benchmark::State& state) {
  const std::vector<uint8_t> bytes = FieldBytes();
  for (auto _ : state) {
    benchmark::DoNotOptimize(detail::CountBitsPortable(bytes.data(), bytes.size()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CountBitsPortable)->Unit(benchmark::kMillisecond);

void BM_CountBitsByteTable(benchmark::State& state) {
  const std::vector<uint8_t> bytes = FieldBytes();
  std::array<uint8_t, 256> table{};
  for (int i = 1; i < 256; ++i)
    table[static_cast<size_t>(i)] =
        static_cast<uint8_t>((i & 1) + table[static_cast<size_t>(i / 2)]);
  for (auto _ : state) {
    uint64_t n = 0;
    for (const uint8_t b : bytes) n += table[b];
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CountBitsByteTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
