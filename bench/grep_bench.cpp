// TGrep beside std::regex_search: 20 patterns searched for in a 1 MiB text whose only matches
// sit in its last line, so that every search crosses the whole text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "xan/stringl.h"

namespace {

struct Case {
  const char16_t* grep;  // our syntax
  const char* ecma;      // the same search in ECMAScript: inner quantifiers lazy, "." any char
  bool ignoreCase = false;
};

// The body holds only the letters a..m, blanks, commas, full stops and line feeds; the last line
// holds one match of each pattern.
const Case kCases[] = {
    {u"needle", "needle"},
    {u"[0-9]+", "[0-9]+"},
    {u"[A-Z][a-z]+", "[A-Z][a-z]+"},
    {u"colou?r", "colou?r"},
    {u"QUICK", "quick", true},
    {u"[^a-m ,.\\#0A]+", "[^a-m ,.\\n]+"},
    {u"(ab)+z", "(?:ab)+?z"},
    {u"q.*z", "q[\\s\\S]*?z"},
    {u"x[0-9]*y", "x[0-9]*?y"},
    {u"[0-9]+\\.[0-9]+", "[0-9]+?\\.[0-9]+"},
    {u"\\#41\\#42C", "ABC"},
    {u"[a-m]+[0-9]", "[a-m]+?[0-9]"},
    {u"n[o-z]?p", "n[o-z]?\?p"},
    {u"[0-9][0-9]\\-[0-9][0-9]", "[0-9][0-9]-[0-9][0-9]"},
    {u"z+", "z+"},
    {u"k[a-m]*q", "k[a-m]*?q"},
    {u"lm.?n", "lm[\\s\\S]?\?n"},
    {u"[^ ]+ing", "[^ ]+?ing"},
    {u"o.p", "o[\\s\\S]p"},
    {u"end$", "end$"},
};

constexpr const char* kLastLine =
    "needle Quick colour 2024-06-01 pi 3.14 x42y km7 ababz qrz nop ABC lmxn running o-p zz kabq "
    "end";

const std::string& Text8() {
  static const std::string text = [] {
    std::string s;
    std::mt19937 rng(9046);
    std::uniform_int_distribution<int> letter('a', 'm'), wordLen(1, 9), punct(0, 19);
    size_t lineStart = 0;
    const size_t size = (size_t{1} << 20) - std::char_traits<char>::length(kLastLine);
    while (s.size() < size - 16) {
      for (int i = wordLen(rng); i > 0; --i) s += static_cast<char>(letter(rng));
      const int p = punct(rng);
      if (p == 0) s += ',';
      if (p == 1) s += '.';
      s += s.size() - lineStart > 72 ? '\n' : ' ';
      if (s.back() == '\n') lineStart = s.size();
    }
    s.resize(size - 1, 'a');
    s += '\n';
    s += kLastLine;
    return s;
  }();
  return text;
}

const xan::String& Text16() {
  static const xan::String text = xan::BytesToString(Text8());
  return text;
}

void BM_TGrep(benchmark::State& state, const Case& c) {
  xan::TGrep grep;
  grep.SetIgnoreCase(c.ignoreCase);
  grep.SetRegExp(c.grep);
  const xan::String& text = Text16();
  int32_t pos = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(grep.MatchString(text, pos));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_StdRegex(benchmark::State& state, const Case& c) {
  auto flags = std::regex::ECMAScript;
  if (c.ignoreCase) flags |= std::regex::icase;
  const std::regex re(c.ecma, flags);
  const std::string& text = Text8();
  std::smatch m;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::regex_search(text, m, re));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Both must report the same match in the last line, or the comparison means nothing.
bool SameResults() {
  bool same = true;
  for (const Case& c : kCases) {
    xan::TGrep grep;
    grep.SetIgnoreCase(c.ignoreCase);
    grep.SetRegExp(c.grep);
    int32_t pos = 0;
    const bool found = grep.MatchString(Text16(), pos);
    auto flags = std::regex::ECMAScript;
    if (c.ignoreCase) flags |= std::regex::icase;
    std::smatch m;
    const bool peer = std::regex_search(Text8(), m, std::regex(c.ecma, flags));
    const long start = peer ? static_cast<long>(m.position(0)) + 1 : 0;
    const long end = peer ? start + static_cast<long>(m.length(0)) - 1 : 0;
    const long lastLine = static_cast<long>(Text8().rfind('\n')) + 2;
    if (!found || !peer || pos != start || grep.MatchEndPos() != end || start < lastLine) {
      std::fprintf(stderr, "%s: TGrep %d %d..%d, std::regex %d %ld..%ld\n", c.ecma, found, pos,
                   grep.MatchEndPos(), peer, start, end);
      same = false;
    }
  }
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (!SameResults()) return EXIT_FAILURE;
  for (const Case& c : kCases) {
    const std::string name = xan::ToUtf8(c.grep) + (c.ignoreCase ? " (ignore case)" : "");
    benchmark::RegisterBenchmark(("TGrep/" + name).c_str(), BM_TGrep, c)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("std::regex/" + name).c_str(), BM_StdRegex, c)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
