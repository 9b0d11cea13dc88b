// Search, count, replace and tokenize on a text of 1 Mi characters, each beside straightforward
// std::u16string code doing the same job, plus scaling runs that show the time is linear.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "xan/stringl/string_search.h"

namespace {

using xan::String;
using xan::StringView;

constexpr size_t kTextSize = size_t{1} << 20;

// Words of 2..9 letters separated by blanks, with a ";" about every 1000 characters, so that the
// 1000-token limit of Tokenize is reached near the end of the text.
String MakeText(size_t size) {
  std::mt19937 rng(42);
  String text;
  text.reserve(size + 16);
  size_t nextSemicolon = size / 1000;
  while (text.size() < size) {
    const size_t len = 2 + rng() % 8;
    for (size_t i = 0; i < len; ++i) text += static_cast<char16_t>(u'a' + rng() % 26);
    if (text.size() >= nextSemicolon) {
      text += u';';
      nextSemicolon += size / 1000;
    } else {
      text += u' ';
    }
  }
  text.resize(size);
  return text;
}

const String& Text() {
  static const String text = MakeText(kTextSize);
  return text;
}

constexpr StringView kPattern = u"the";

// ------------------------------------------------------------------------------------------------
// NumberedPos: the position of the last occurrence counted from the start (num = the count).

int32_t OccurrenceCount() {
  static const int32_t n = [] {
    int32_t count = 0;
    for (size_t at = Text().find(kPattern); at != String::npos;
         at = Text().find(kPattern, at + kPattern.size()))
      ++count;
    return count;
  }();
  return n;
}

void BM_NumberedPos(benchmark::State& state) {
  const int32_t num = OccurrenceCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(xan::NumberedPos(kPattern, Text(), 1, num, false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_NumberedPos);

void BM_NumberedPos_Peer(benchmark::State& state) {
  const int32_t num = OccurrenceCount();
  for (auto _ : state) {
    size_t at = String::npos;
    size_t from = 0;
    for (int32_t k = 0; k < num; ++k) {
      at = Text().find(kPattern, from);
      if (at == String::npos) break;
      from = at + kPattern.size();
    }
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_NumberedPos_Peer);

// ------------------------------------------------------------------------------------------------
// CountStringInString

void BM_CountStringInString(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(xan::CountStringInString(kPattern, Text(), true));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_CountStringInString);

void BM_CountStringInString_Peer(benchmark::State& state) {
  for (auto _ : state) {
    int32_t count = 0;
    for (size_t at = Text().find(kPattern); at != String::npos;
         at = Text().find(kPattern, at + kPattern.size()))
      ++count;
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_CountStringInString_Peer);

// ------------------------------------------------------------------------------------------------
// ReplaceStringInString: "the" by "THE!" (longer, so the text grows)

void BM_ReplaceStringInString(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(xan::ReplaceStringInString(Text(), kPattern, u"THE!", false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_ReplaceStringInString);

void BM_ReplaceStringInString_Peer(benchmark::State& state) {
  const StringView newstr = u"THE!";
  for (auto _ : state) {
    const String& text = Text();
    String out;
    out.reserve(text.size() + 64);
    size_t from = 0;
    for (size_t at = text.find(kPattern); at != String::npos; at = text.find(kPattern, from)) {
      out.append(text, from, at - from).append(newstr);
      from = at + kPattern.size();
    }
    out.append(text, from);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_ReplaceStringInString_Peer);

// ------------------------------------------------------------------------------------------------
// Tokenize at ";" (about 1000 tokens, the last holding the rest)

void BM_Tokenize(benchmark::State& state) {
  xan::TOpenStringArray tokens;
  for (auto _ : state) {
    benchmark::DoNotOptimize(xan::Tokenize(Text(), u";", tokens));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_Tokenize);

void BM_Tokenize_Peer(benchmark::State& state) {
  std::vector<String> tokens;
  for (auto _ : state) {
    tokens.clear();
    const String& text = Text();
    size_t from = 0;
    while (tokens.size() < 999) {
      const size_t at = text.find(u';', from);
      if (at == String::npos) break;
      tokens.emplace_back(text, from, at - from);
      from = at + 1;
    }
    tokens.emplace_back(text, from);
    benchmark::DoNotOptimize(tokens.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize * 2));
}
BENCHMARK(BM_Tokenize_Peer);

// ------------------------------------------------------------------------------------------------
// Scaling on repetitive text: "aaa...a" searched for 64 "a" and a "b", which the straightforward
// search answers in time proportional to text length times pattern length. The library's search
// must stay linear (complexity O(N) reported by the library runs).

const String& RepetitivePattern() {
  static const String p = String(64, u'a') + u"b";
  return p;
}

void BM_CountRepetitive(benchmark::State& state) {
  const String text(static_cast<size_t>(state.range(0)), u'a');
  for (auto _ : state) {
    benchmark::DoNotOptimize(xan::CountStringInString(RepetitivePattern(), text, true));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CountRepetitive)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity();

void BM_CountRepetitive_Peer(benchmark::State& state) {
  const String text(static_cast<size_t>(state.range(0)), u'a');
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.find(RepetitivePattern()));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CountRepetitive_Peer)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity();

}  // namespace

BENCHMARK_MAIN();
