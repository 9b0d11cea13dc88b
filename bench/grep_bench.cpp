// TGrep beside RE2, Boost.Regex and std::regex: 30 patterns searched for in a 1 MiB text whose
// only matches end in its last line, so that every search crosses the whole text.
//
// Each peer gets the pattern translated by hand into its own syntax (inner quantifiers lazy, the
// last one greedy, "." any character, "^" and "$" the ends of the text); at start-up every peer
// must report the same match as TGrep, or the program stops. The peers search the text as 8-bit
// bytes, TGrep the same characters as UTF-16. The output ends with one line per pattern: TGrep's
// time, the faster of RE2 and Boost.Regex, and the ratio; and a last line with the time it takes
// only to read the text in each form, the floor under any search of it.
#include <benchmark/benchmark.h>
#include <re2/re2.h>

#include <boost/regex.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "xan/stringl.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace {

struct Case {
  const char16_t* grep;  // our syntax
  const char* peer;      // RE2 and Boost.Regex (Perl syntax): "\A", "\z", lazy "*?", "+?", "??"
  const char* ecma;      // std::regex (ECMAScript), or nullptr where it would recurse per character
  bool ignoreCase = false;
  const char* goal = "<= 1x";  // TGrep's time against the faster of RE2 and Boost.Regex
};

// The body holds only the letters a..m, blanks, commas, full stops and line feeds; the last line
// holds one match of each pattern (the "^" pattern's match starts at the text's beginning).
const Case kCases[] = {
    {u"needle", "needle", "needle"},
    {u"[0-9]+", "[0-9]+", "[0-9]+"},
    {u"[A-Z][a-z]+", "[A-Z][a-z]+", "[A-Z][a-z]+"},
    {u"colou?r", "colou??r", "colou?r"},
    {u"QUICK", "quick", "quick", true},
    {u"[^a-m ,.\\#0A]+", "[^a-m ,.\\n]+", "[^a-m ,.\\n]+"},
    {u"(ab)+z", "(?:ab)+?z", "(?:ab)+?z"},
    {u"q.*z", "q.*?z", "q[\\s\\S]*?z"},
    {u"x[0-9]*y", "x[0-9]*?y", "x[0-9]*?y"},
    {u"[0-9]+\\.[0-9]+", "[0-9]+?\\.[0-9]+", "[0-9]+?\\.[0-9]+"},
    {u"\\#41\\#42C", "ABC", "ABC"},
    {u"[a-m]+[0-9]", "[a-m]+?[0-9]", "[a-m]+?[0-9]"},
    {u"n[o-z]?p", "n[o-z]??p", "n[o-z]?\?p"},
    {u"[0-9][0-9]\\-[0-9][0-9]", "[0-9][0-9]-[0-9][0-9]", "[0-9][0-9]-[0-9][0-9]"},
    {u"z+", "z+", "z+"},
    {u"k[a-m]*q", "k[a-m]*?q", "k[a-m]*?q"},
    {u"lm.?n", "lm.??n", "lm[\\s\\S]?\?n"},
    {u"[^ ]+ing", "[^ ]+?ing", "[^ ]+?ing"},
    {u"o.p", "o.p", "o[\\s\\S]p"},
    {u"end$", "end\\z", "end$"},
    // Other shapes: long literals, sets at the start, the anchors with repeats, groups, ignore
    // case with sets. TGrep has no nested groups; the nearest it has are quantified groups in a
    // row.
    {u"flagged cable deal", "flagged cable deal", nullptr, false, "<= 2x"},
    {u"with a jukebox", "with a jukebox", nullptr, false, "<= 2x"},
    {u"[w-z][0-9]+", "[w-z][0-9]+", nullptr, false, "<= 2x"},
    {u"[b-d]oz", "[b-d]oz", nullptr, false, "<= 2x"},
    {u"^[^0-9]*[0-9]", "\\A[^0-9]*?[0-9]", nullptr, false, "<= 2x"},
    {u"[d-n]+$", "[d-n]+?\\z", nullptr, false, "<= 2x"},
    {u"e.*d$", "e.*?d\\z", nullptr, false, "<= 2x"},
    {u"(ka)?b(ab)*q", "(?:ka)??b(?:ab)*?q", nullptr, false, "<= 2x"},
    {u"[P-R]UN+ING", "[p-r]un+?ing", nullptr, true, "<= 2x"},
    {u"[J-L]AB[Q-S]", "[j-l]ab[q-s]", nullptr, true, "<= 2x"},
};

constexpr const char* kLastLine =
    "needle Quick colour 2024-06-01 pi 3.14 x42y km7 ababz qrz nop ABC lmxn running o-p zz kabq "
    "doze flagged cable deal with a jukebox end";

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

std::string Name(const Case& c) {
  return xan::ToUtf8(c.grep) + (c.ignoreCase ? " (ignore case)" : "");
}

// ------------------------------------------------------------------------------------------------
// The engines, each set up once per pattern

RE2::Options Re2Options(const Case& c) {
  RE2::Options o;
  o.set_encoding(RE2::Options::EncodingLatin1);
  o.set_dot_nl(true);
  o.set_case_sensitive(!c.ignoreCase);
  o.set_log_errors(false);
  return o;
}

boost::regex BoostRegex(const Case& c) {
  auto flags = boost::regex::perl | boost::regex::mod_s | boost::regex::no_mod_m;
  if (c.ignoreCase) flags |= boost::regex::icase;
  return boost::regex(c.peer, flags);
}

std::regex StdRegex(const Case& c) {
  auto flags = std::regex::ECMAScript;
  if (c.ignoreCase) flags |= std::regex::icase;
  return std::regex(c.ecma, flags);
}

// A match as start position (from 1) and length; {0, 0} for none.
struct Span {
  long start = 0;
  long length = 0;
  bool operator==(const Span&) const = default;
};

Span Re2Find(const RE2& re, const std::string& text) {
  re2::StringPiece m;
  if (!re.Match(text, 0, text.size(), RE2::UNANCHORED, &m, 1)) return {};
  return {static_cast<long>(m.data() - text.data()) + 1, static_cast<long>(m.size())};
}

Span BoostFind(const boost::regex& re, const std::string& text) {
  boost::smatch m;
  if (!boost::regex_search(text, m, re)) return {};
  return {static_cast<long>(m[0].first - text.begin()) + 1, static_cast<long>(m[0].length())};
}

Span StdFind(const std::regex& re, const std::string& text) {
  std::smatch m;
  if (!std::regex_search(text, m, re)) return {};
  return {static_cast<long>(m.position(0)) + 1, static_cast<long>(m.length(0))};
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

void BM_RE2(benchmark::State& state, const Case& c) {
  const RE2 re(c.peer, Re2Options(c));
  const std::string& text = Text8();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Re2Find(re, text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Boost(benchmark::State& state, const Case& c) {
  const boost::regex re = BoostRegex(c);
  const std::string& text = Text8();
  for (auto _ : state) {
    benchmark::DoNotOptimize(BoostFind(re, text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_StdRegex(benchmark::State& state, const Case& c) {
  const std::regex re = StdRegex(c);
  const std::string& text = Text8();
  for (auto _ : state) {
    benchmark::DoNotOptimize(StdFind(re, text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The least time any search of a text can take: every 64-byte line of it read once, with four
// vector loads in flight and nothing compared. A pattern shorter than 33 characters can match
// inside one line, so no search that answers "no match here" for a line can skip reading it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("avx2"))) uint32_t ReadAll(const void* data, size_t bytes) {
  const auto* v = static_cast<const __m256i*>(data);
  __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
  size_t i = 0;
  for (; i + 4 <= bytes / 32; i += 4) {
    a = _mm256_or_si256(a, _mm256_loadu_si256(v + i));
    b = _mm256_or_si256(b, _mm256_loadu_si256(v + i + 1));
    c = _mm256_or_si256(c, _mm256_loadu_si256(v + i + 2));
    d = _mm256_or_si256(d, _mm256_loadu_si256(v + i + 3));
  }
  const __m256i all = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
  uint32_t rest = 0;
  for (size_t j = i * 32; j < bytes; ++j) rest |= static_cast<const unsigned char*>(data)[j];
  return static_cast<uint32_t>(_mm256_movemask_epi8(all)) | rest;
}
#else
uint32_t ReadAll(const void* data, size_t bytes) {
  uint64_t all = 0;
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) all |= p[i];
  return static_cast<uint32_t>(all);
}
#endif

void BM_ReadText16(benchmark::State& state) {
  const xan::String& text = Text16();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadAll(text.data(), text.size() * sizeof(text[0])));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ReadText8(benchmark::State& state) {
  const std::string& text = Text8();
  for (auto _ : state) benchmark::DoNotOptimize(ReadAll(text.data(), text.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Every engine must report TGrep's match, ending in the last line, or the comparison means
// nothing.
bool SameResults() {
  bool same = true;
  const long lastLine = static_cast<long>(Text8().rfind('\n')) + 2;
  for (const Case& c : kCases) {
    xan::TGrep grep;
    grep.SetIgnoreCase(c.ignoreCase);
    grep.SetRegExp(c.grep);
    int32_t pos = 0;
    Span ours;
    if (grep.MatchString(Text16(), pos)) ours = {pos, grep.MatchEndPos() - pos + 1};
    const RE2 re2(c.peer, Re2Options(c));
    if (!re2.ok()) {
      std::fprintf(stderr, "%s: RE2 rejects \"%s\": %s\n", Name(c).c_str(), c.peer,
                   re2.error().c_str());
      same = false;
      continue;
    }
    struct Peer {
      const char* who;
      Span span;
    };
    std::vector<Peer> peers = {{"RE2", Re2Find(re2, Text8())},
                               {"Boost.Regex", BoostFind(BoostRegex(c), Text8())}};
    if (c.ecma != nullptr) peers.push_back({"std::regex", StdFind(StdRegex(c), Text8())});
    if (ours.start == 0 || ours.start + ours.length - 1 < lastLine) {
      std::fprintf(stderr, "%s: TGrep finds %ld..%ld, not a match ending in the last line\n",
                   Name(c).c_str(), ours.start, ours.start + ours.length - 1);
      same = false;
    }
    for (const Peer& p : peers) {
      if (p.span == ours) continue;
      std::fprintf(stderr, "%s: TGrep finds %ld (length %ld), %s %ld (length %ld)\n",
                   Name(c).c_str(), ours.start, ours.length, p.who, p.span.start, p.span.length);
      same = false;
    }
  }
  return same;
}

// Each benchmark's processor time per iteration in microseconds, for the closing lines (with
// repetitions, the medians).
class TTimeCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      if (r.error_occurred) continue;
      Times[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Times;
};

// Microseconds with three significant digits at least ("0.0512", "25.4", "1523").
std::string Micros(double us) {
  char text[32];
  std::snprintf(text, sizeof text, us >= 100 ? "%.0f" : "%.3g", us);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (!SameResults()) {
    std::fprintf(stderr, "grep_bench: the engines disagree; no figures\n");
    return EXIT_FAILURE;
  }
  for (const Case& c : kCases) {
    const std::string name = Name(c);
    benchmark::RegisterBenchmark(("TGrep/" + name).c_str(), BM_TGrep, c)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("RE2/" + name).c_str(), BM_RE2, c)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Boost.Regex/" + name).c_str(), BM_Boost, c)
        ->Unit(benchmark::kMicrosecond);
    if (c.ecma != nullptr) {
      benchmark::RegisterBenchmark(("std::regex/" + name).c_str(), BM_StdRegex, c)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  benchmark::RegisterBenchmark("Read/UTF-16 text", BM_ReadText16)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Read/8-bit text", BM_ReadText8)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  TTimeCollector times;
  benchmark::RunSpecifiedBenchmarks(&times);

  // The figures with their goals, one line each: ours, the faster peer's, the ratio of the
  // processor times.
  for (const Case& c : kCases) {
    const std::string name = Name(c);
    const auto time = [&](const char* who) {
      const auto it = times.Times.find(std::string(who) + "/" + name);
      return it == times.Times.end() ? 0.0 : it->second;
    };
    const double ours = time("TGrep");
    const double re2 = time("RE2");
    const double boost = time("Boost.Regex");
    if (ours <= 0 || re2 <= 0 || boost <= 0) continue;
    const bool re2Faster = re2 <= boost;
    const double peer = re2Faster ? re2 : boost;
    std::printf("figure: TGrep %s: xan %s us, %s %s us, %.2fx the time (goal: %s)\n", name.c_str(),
                Micros(ours).c_str(), re2Faster ? "RE2" : "Boost.Regex", Micros(peer).c_str(),
                ours / peer, c.goal);
  }
  // The floor under every search: the text read once, in each form.
  const auto read = [&](const char* form) {
    const auto it = times.Times.find(std::string("Read/") + form + " text");
    return it == times.Times.end() ? 0.0 : it->second;
  };
  if (read("UTF-16") > 0 && read("8-bit") > 0) {
    std::printf(
        "figure: reading the text alone, nothing compared: UTF-16 (TGrep's) %s us, 8-bit "
        "(the peers') %s us, %.2fx the time\n",
        Micros(read("UTF-16")).c_str(), Micros(read("8-bit")).c_str(),
        read("UTF-16") / read("8-bit"));
  }
  benchmark::Shutdown();
  return 0;
}
