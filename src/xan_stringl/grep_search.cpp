// The search of the regular-expression matcher: which start positions can hold a match, the
// recursive trial of the tokens with failed sub-searches remembered, and the positions that a
// failed search leaves in the tokens.
//
// How the search stays exact while skipping work. The rules try every start in turn and, from
// each, every candidate of every token in turn; token k's ValidFrom is the position at which
// its element test last passed. Seen as a tree of trials, the last pass of token k is the last
// node at depth k in the order of the trials, which is the lexicographically greatest path of
// positions reaching depth k. So:
//   - after a match, every token's last pass lies on the path of the match itself (each token
//     on it passed there after everything tried before), and trials that are known to fail may
//     be skipped freely: starts where a necessary condition fails, candidates that cannot lead
//     to a match, sub-searches that failed before;
//   - after a failed search, token k's ValidFrom follows from the greatest start whose trial
//     reaches depth k and, below it, the greatest candidates that reach depth k. The depth a
//     trial reaches is a function of (token, position) alone, so it may be remembered.
// The search therefore runs first for a match only, with the shortcuts; only when there is none
// does it work out the positions a failed search leaves, from the depths.
#include "xan_stringl/grep_search.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/simple_text.h"
#include "xan_stringl/grep_scan.h"

namespace xan::detail {

namespace {

constexpr Char kMember = u'*';
// An unbounded width or offset.
constexpr int32_t kInf = std::numeric_limits<int32_t>::max() / 4;
// Texts up to this length use the start filters, whose offset arithmetic needs the headroom.
constexpr int32_t kFilterMaxLength = std::numeric_limits<int32_t>::max() / 2;
// Scans shorter than this are done character by character.
constexpr int32_t kShortScan = 24;
// The characters counted to estimate how often each character occurs.
constexpr int32_t kSample = 512;
// Failed sub-searches are remembered for all (token, position) pairs in one table when there are
// at most this many of them, else in a hashed table of kMemoHashSize entries.
constexpr int64_t kMemoDenseMax = int64_t{1} << 22;
constexpr size_t kMemoHashSize = size_t{1} << 20;

std::atomic<int32_t> filterFrom{TGrepTuning().FilterFrom};
std::atomic<int32_t> vectorSetFrom{TGrepTuning().VectorSetFrom};
std::atomic<bool> memoFromStart{false};

int32_t AddWidth(int32_t a, int32_t b) noexcept {
  return a >= kInf || b >= kInf ? kInf : a + b;
}

// How far token t moves the position: the next token's position lies in [Lo, Hi] after its own.
struct TWidth {
  int32_t Lo = 0;
  int32_t Hi = 0;
};

TWidth WidthOf(const TGrepToken& t) noexcept {
  const int32_t step = t.NumChars > 0 ? t.NumChars : 1;
  switch (t.Action) {
    case taNormal:
      return {t.NumChars, t.NumChars};
    case taAnyByte:
    case taSet:
      return {1, 1};
    case taMult0:
      return {0, kInf};
    case taMult1:
      return {step, kInf};
    case taOpti:
      return {0, step};
    default:
      return {0, 0};  // taBol, taEol
  }
}

bool IsQuantifier(const TGrepToken& t) noexcept {
  return t.Action == taMult0 || t.Action == taMult1 || t.Action == taOpti;
}

// The element test looks for a literal string (a taNormal with characters, or one or more of a
// string), or for a set member (a set, or one or more of a set).
bool TestsLiteral(const TGrepToken& t) noexcept {
  return (t.Action == taNormal || t.Action == taMult1) && t.NumChars > 0;
}
bool TestsSet(const TGrepToken& t) noexcept {
  return t.Action == taSet || (t.Action == taMult1 && t.NumChars < 0);
}

// Start positions from..to in steps of step.
struct TSkip {
  int32_t from = 0;
  int32_t step = 1;
  int32_t to = -1;
  bool Covers(int32_t p) const noexcept { return p >= from && p <= to && (p - from) % step == 0; }
};

// What the scans of one token need, made when the token is first scanned: its set as ranges of
// code units for the vector scans, or the two characters of its string that the scans probe for.
struct TScanInfo {
  bool Vector;  // the set fits the ranges
  bool Never;   // the string holds an upper-case letter while the text is lowered
  TCharRanges Ranges;
  TCharProbe A;
  TCharProbe B;
};

// A necessary condition on the start of a match, checked before a start is tried.
enum TFilterKind : uint8_t {
  fkNone,
  fkFixed,     // token Token passes somewhere in [start + Lo, start + Hi]
  fkAfterRun,  // token Token passes right after the repetitions of the set or string of Run
  fkRunToEnd,  // the set repetitions of Run reach up to Target (the rest fits before the end)
};

struct TStartFilter {
  TFilterKind Kind = fkNone;
  int32_t Token = 0;
  int32_t Lo = 0;
  int32_t Hi = 0;
  int32_t Run = 0;
  int32_t RunLo = 0;  // the offsets of Run from the start
  int32_t RunHi = 0;
  int32_t RunMin = 0;  // the width of the first repetition when Run needs one (taMult1)
  int32_t Target = 0;
  // The last answer of the repetition scan: for the anchor token at CacheX, repetitions from
  // CacheLow on (none: kInf) reach it.
  int32_t CacheX = -1;
  int32_t CacheLow = 0;
};

// The search over the tokens 1..Count of a compiled pattern. Positions count from 1; L + 1, just
// past the end, is the largest position ever tried. The recursion goes one level per token (at
// most 64); the candidates of a quantifier are tried in a loop. Fold compares the text lowered
// ("A".."Z" only), the pattern being lowered already.
template <bool Fold>
class TSearch {
 public:
  TSearch(TRegExp& tokens, int32_t count, const std::array<bool, TRegExp::Size>& wide,
          StringView text) noexcept
      : FTok(tokens),
        FCount(count),
        FWide(wide),
        FText(text.data()),
        FLen(static_cast<int32_t>(std::min<size_t>(text.size(), GrepMaxTextLength))) {
    std::fill_n(FCacheFrom.begin(), FCount, std::numeric_limits<int32_t>::max());
    // Per token k: the first token from k on that needs a character of its own (all before it,
    // zero repetitions or an empty group, pass anywhere), when it is a string or a set (one or
    // more of them included); 0 when there is none or it is of another kind.
    FNextRequired[static_cast<size_t>(FCount + 1)] = 0;
    for (int32_t k = FCount; k >= 1; --k) {
      const TGrepToken& t = FTok[k];
      const bool optional =
          t.Action == taMult0 || t.Action == taOpti || (t.Action == taNormal && t.NumChars == 0);
      const bool scans = TestsLiteral(t) || TestsSet(t);
      FNextRequired[static_cast<size_t>(k)] = optional ? FNextRequired[static_cast<size_t>(k + 1)]
                                              : scans  ? k
                                                       : 0;
    }
    // Searches of ordinary patterns take a few steps per character; one that takes many more
    // meets the same sub-searches again and again.
    FMemoAfter =
        memoFromStart.load(std::memory_order_relaxed) ? 0 : 64 * (int64_t{FLen} + 2) + 65536;
    FFilterFrom = filterFrom.load(std::memory_order_relaxed);
    FVectorSetFrom = std::max(vectorSetFrom.load(std::memory_order_relaxed), kShortScan);
  }

  int32_t EndPos() const noexcept { return FEndPos; }

  // The search from start on (start >= 1).
  bool Run(int32_t start) noexcept {
    if (start > FLen + 1) return false;
    for (int32_t k = 1; k <= FCount; ++k) FSaved[static_cast<size_t>(k - 1)] = FTok[k].ValidFrom;
    if (FindMatch(start)) return true;
    // Without shortcuts the search for a match has left the positions the rules leave.
    if (!FExact) LeaveFailedTrace(start);
    return false;
  }

 private:
  // ==============================================================================================
  // The text and the element tests

  Char At(int32_t pos) const noexcept {
    const Char c = FText[pos - 1];
    if constexpr (Fold) return SimpleLower(c);
    return c;
  }

  bool IsMember(int32_t k, int32_t pos) const noexcept {
    const Char c = At(pos);
    return c < 256 ? FTok[k].Params[c] == kMember : FWide[static_cast<size_t>(k - 1)];
  }

  // Whether the whole string of t occurs at pos.
  bool Occurs(const TGrepToken& t, int32_t pos) const noexcept {
    const int32_t n = t.NumChars;
    if (pos < 1 || pos + n - 1 > FLen) return false;
    const Char* s = FText + (pos - 1);
    for (int32_t j = 0; j < n; ++j) {
      Char c = s[j];
      if constexpr (Fold) c = SimpleLower(c);
      if (c != t.Params[static_cast<size_t>(j + 1)]) return false;
    }
    return true;
  }

  bool Passes(int32_t k, int32_t pos) const noexcept {
    const TGrepToken& t = FTok[k];
    switch (t.Action) {
      case taNormal:
        return t.NumChars == 0 || Occurs(t, pos);
      case taAnyByte:
        return pos <= FLen;
      case taEol:
        return pos > FLen && k == FCount;
      case taBol:
        return pos == 1;
      case taSet:
        return pos <= FLen && IsMember(k, pos);
      case taMult1:
        if (pos > FLen) return false;
        return t.NumChars == 0 || (t.NumChars < 0 ? IsMember(k, pos) : Occurs(t, pos));
      default:
        return true;  // taMult0, taOpti: zero repetitions always do
    }
  }

  // The length of one repetition of quantifier k's operand at pos, 0 when there is none.
  int32_t Step(int32_t k, int32_t pos) const noexcept {
    const TGrepToken& t = FTok[k];
    if (pos > FLen) return 0;
    if (t.NumChars == 0) return 1;
    if (t.NumChars < 0) return IsMember(k, pos) ? 1 : 0;
    return Occurs(t, pos) ? t.NumChars : 0;
  }

  // ==============================================================================================
  // Scans

  // How often the character c occurs, estimated from the start of the text; every character
  // counts as equally frequent in a short text.
  double Frequency(Char c) noexcept {
    if (!FHistogramReady) BuildHistogram();
    return (FHistogram[c < 256 ? c : 256] + 0.5) / (FSampled + 1.0);
  }

  void BuildHistogram() noexcept {
    FHistogramReady = true;
    FHistogram.fill(0);
    if (FLen < std::max(FFilterFrom, 4 * kShortScan)) return;
    FSampled = std::min(FLen / 8, kSample);
    for (int32_t pos = 1; pos <= FSampled; ++pos) {
      const Char c = At(pos);
      ++FHistogram[c < 256 ? c : 256];
    }
  }

  TScanInfo& Scan(int32_t k) noexcept {
    const uint64_t bit = uint64_t{1} << (k - 1);
    TScanInfo& s = FScan[static_cast<size_t>(k - 1)];
    if ((FScanReady & bit) == 0) {
      FScanReady |= bit;
      if (TestsLiteral(FTok[k]))
        ChooseProbes(FTok[k], s);
      else
        MakeRanges(k, s);
    }
    return s;
  }

  // Whether a character of code c (the raw code unit of the text) belongs to set k.
  bool RawMember(int32_t k, uint32_t c) const noexcept {
    if (c > 255) return FWide[static_cast<size_t>(k - 1)];
    const Char x = Fold ? SimpleLower(static_cast<Char>(c)) : static_cast<Char>(c);
    return FTok[k].Params[x] == kMember;
  }

  // The set of token k as ranges of raw code units: its members, or its non-members when they
  // make fewer ranges; no vector scan when both make too many.
  void MakeRanges(int32_t k, TScanInfo& s) const noexcept {
    TCharRanges in{};
    TCharRanges out{};
    out.Negated = true;
    const auto add = [](TCharRanges& r, uint32_t lo, uint32_t hi) {
      if (r.Count < TCharRanges::kMax) {
        r.Lo[r.Count] = static_cast<uint16_t>(lo);
        r.Span[r.Count] = static_cast<uint16_t>(hi - lo);
      }
      ++r.Count;
    };
    uint32_t runStart = 0;
    bool runMember = RawMember(k, 0);
    for (uint32_t c = 1; c <= 256; ++c) {
      const bool m = RawMember(k, c);
      if (m == runMember) continue;
      add(runMember ? in : out, runStart, c - 1);
      runStart = c;
      runMember = m;
    }
    add(runMember ? in : out, runStart, 0xFFFF);  // codes 256 and above share the last run
    s.Vector = in.Count <= TCharRanges::kMax || out.Count <= TCharRanges::kMax;
    s.Ranges = in.Count <= out.Count ? in : out;
    s.Never = false;
  }

  // The two characters of t's string that the scans probe for: the two rarest in the sampled
  // text, or the rarest alone when the sample lacks it (the first and last of a short text).
  void ChooseProbes(const TGrepToken& t, TScanInfo& s) noexcept {
    const int32_t n = t.NumChars;
    s.Vector = true;
    s.Never = false;
    int32_t i1 = 0;
    int32_t i2 = n - 1;
    if (n > 1 && FLen >= std::max(FFilterFrom, 4 * kShortScan)) {
      double f1 = 2;
      double f2 = 2;
      for (int32_t j = 0; j < n; ++j) {
        const double f = Frequency(t.Params[static_cast<size_t>(j + 1)]);
        if (f < f1) {
          i2 = i1;
          f2 = f1;
          i1 = j;
          f1 = f;
        } else if (f < f2) {
          i2 = j;
          f2 = f;
        }
      }
      if (f1 * (FSampled + 1.0) < 1) i2 = i1;
      if (i1 > i2) std::swap(i1, i2);
    }
    for (int32_t j = 1; j <= n; ++j) {
      const Char c = t.Params[static_cast<size_t>(j)];
      if (Fold && c >= u'A' && c <= u'Z') s.Never = true;
    }
    const auto probe = [&](int32_t j) {
      const Char c = t.Params[static_cast<size_t>(j + 1)];
      const bool letter = Fold && c >= u'a' && c <= u'z';
      return TCharProbe{c, static_cast<uint16_t>(letter ? 0x20 : 0), static_cast<uint32_t>(j)};
    };
    s.A = probe(i1);
    s.B = probe(i2);
  }

  // The first position p >= q (up to L) where token k's element test can pass; beyond L when
  // there is none below L + 1. Skipping the others changes nothing, since a failed element test
  // records nothing.
  int32_t NextStart(int32_t k, int32_t q) noexcept {
    const TGrepToken& t = FTok[k];
    if (t.Action == taEol) return std::max(q, FLen + 1);
    const bool literal = TestsLiteral(t);
    if (!literal && !TestsSet(t)) return q;
    if (q > FLen) return FLen + 2;
    // The answer is a function of q; one remembered query answers every q up to its result, and
    // an earlier q needs only the positions up to the remembered one looked at.
    const size_t slot = static_cast<size_t>(k - 1);
    int32_t& from = FCacheFrom[slot];
    int32_t& to = FCacheTo[slot];
    if (from <= q && q <= to) return to;
    const int32_t limit = q < from && from <= FLen + 1 ? from : FLen + 1;
    int32_t p = literal ? FirstOccurrence(k, q, limit) : FirstMember(k, q, limit);
    if (p == limit) p = limit == from ? to : FLen + 2;
    from = q;
    to = p;
    return p;
  }

  // The first position in [q, limit) (limit <= L + 1) holding a member of set k; limit when
  // there is none.
  int32_t FirstMember(int32_t k, int32_t q, int32_t limit) noexcept {
    // The first few characters one by one: a near member needs no ranges made.
    for (const int32_t near = std::min(limit, q + kShortScan); q < near; ++q) {
      if (IsMember(k, q)) return q;
    }
    if (q >= limit) return limit;
    const TScanInfo* s = limit - q >= FVectorSetFrom ? &Scan(k) : nullptr;
    if (s != nullptr && s->Vector) {
      return 1 +
             static_cast<int32_t>(FindInRanges(FText, static_cast<size_t>(q - 1),
                                               static_cast<size_t>(limit - 1), s->Ranges, true));
    }
    while (q < limit && !IsMember(k, q)) ++q;
    return q;
  }

  // The first position in [q, limit) (limit <= L + 1) where the string of token k occurs; limit
  // when there is none.
  int32_t FirstOccurrence(int32_t k, int32_t q, int32_t limit) noexcept {
    const TGrepToken& t = FTok[k];
    const int32_t last = std::min(limit - 1, FLen - t.NumChars + 1);  // the last start to look at
    // The first few positions one by one: a near occurrence needs no probes chosen.
    const Char first = t.Params[1];
    for (const int32_t near = std::min(last, q + kShortScan); q <= near; ++q) {
      if (At(q) == first && Occurs(t, q)) return q;
    }
    if (q > last) return limit;
    const TScanInfo& s = Scan(k);
    if (s.Never) return limit;
    while (q <= last) {
      const auto x = static_cast<int32_t>(
          FindProbePair(FText, static_cast<size_t>(q - 1), static_cast<size_t>(last), s.A, s.B));
      if (x >= last) break;
      if (Occurs(t, x + 1)) return x + 1;
      q = x + 2;
    }
    return limit;
  }

  // The greatest position p <= q where token k's element test can pass, 0 when there is none.
  int32_t PrevStart(int32_t k, int32_t q) const noexcept {
    const TGrepToken& t = FTok[k];
    if (t.Action == taEol) return q > FLen ? FLen + 1 : 0;
    if (TestsLiteral(t)) {
      for (q = std::min(q, FLen - t.NumChars + 1); q >= 1 && !Occurs(t, q);) --q;
      return std::max(q, 0);
    }
    if (TestsSet(t)) {
      for (q = std::min(q, FLen); q >= 1 && !IsMember(k, q);) --q;
      return std::max(q, 0);
    }
    return q;
  }

  // The first position in [from, to) (to <= L + 1) that is not a member of set k; `to` when all
  // are.
  int32_t RunEnd(int32_t k, int32_t from, int32_t to) noexcept {
    for (const int32_t near = std::min(to, from + kShortScan); from < near; ++from) {
      if (!IsMember(k, from)) return from;
    }
    if (to - from >= FVectorSetFrom) {
      const TScanInfo& s = Scan(k);
      if (s.Vector) {
        return 1 + static_cast<int32_t>(FindInRanges(FText, static_cast<size_t>(from - 1),
                                                     static_cast<size_t>(to - 1), s.Ranges, false));
      }
    }
    while (from < to && IsMember(k, from)) ++from;
    return from;
  }

  // ==============================================================================================
  // The trial of the tokens

  // The deepest token that the trial of tokens k..Count from pos reaches: k - 1 when token k
  // fails there, Count when it is a match (the trial then stops at once). Record (the search for
  // a match) writes ValidFrom and, on a match, the end; it may pass over candidates that cannot
  // lead to a match, so its depths below Count are not exact. Without Record the depth is exact.
  template <bool Record>
  int32_t Depth(int32_t k, int32_t pos) noexcept {
    TGrepToken& t = FTok[k];
    if (!Passes(k, pos)) return k - 1;
    if constexpr (Record) t.ValidFrom = pos;
    if (k == FCount) {
      if constexpr (Record) FEndPos = End(t, k, pos);
      return FCount;
    }
    // When the next token that needs a character passes nowhere from here on, the trial gets
    // exactly as far as the tokens before it, which pass anywhere; the last of them it tries is
    // each one's greatest candidate.
    // (Right after token k, a quantifier's loop or the single next trial finds as much.)
    const int32_t required = FNextRequired[static_cast<size_t>(k + 1)];
    if (required > k + 1 && NextStart(required, pos) > FLen + 1) {
      if constexpr (Record) {
        for (int32_t j = k, at = pos; j + 1 < required; ++j) {
          at = LastCandidate(j, at);
          FTok[j + 1].ValidFrom = at;
        }
      }
      return required - 1;
    }
    const bool remember = FMemoOn && IsQuantifier(t);
    int32_t d = k;
    if (remember && Recall(k, pos, d)) {
      if constexpr (Record) FExact = false;  // the trial's positions are not written again
      return d;
    }
    if (++FSteps > FMemoAfter && !FMemoOn) StartMemo();
    switch (t.Action) {
      case taNormal:
        d = Depth<Record>(k + 1, pos + t.NumChars);
        break;
      case taAnyByte:
      case taSet:
        d = Depth<Record>(k + 1, pos + 1);
        break;
      case taBol:
        d = Depth<Record>(k + 1, 1);
        break;
      case taMult0:
        d = Repeat<Record>(k, pos);
        break;
      case taMult1:
        d = Repeat<Record>(k, pos + Step(k, pos));
        break;
      case taOpti: {
        if (!Record || pos >= FMinCandidate[static_cast<size_t>(k)]) {
          d = std::max(d, Depth<Record>(k + 1, pos));
          if (d == FCount) return d;
        } else {
          FExact = false;
        }
        const int32_t step = Step(k, pos);
        if (step > 0) d = std::max(d, Depth<Record>(k + 1, pos + step));
        break;
      }
      default:
        break;  // taEol passes as the last token only
    }
    d = std::max(d, k);
    if (remember && FMemoOn && d < FCount) Remember(k, pos, d);
    return d;
  }

  // Lazy repetition of quantifier k: the rest is tried at q, then after each further repetition,
  // until the rest matches or the operand stops (any character stops just past the end).
  // Candidates where the next token cannot pass are jumped over; the repetition is checked only
  // as far as the candidate reached. The search for a match also passes over candidates too
  // early for a rest that must end at the end of the text.
  template <bool Record>
  int32_t Repeat(int32_t k, int32_t q) noexcept {
    const TGrepToken& t = FTok[k];
    const int32_t step = t.NumChars > 0 ? t.NumChars : 1;
    int32_t reach = t.NumChars == 0 ? FLen + 1 : q;  // the repetitions run at least to here
    int32_t from = q;
    if constexpr (Record) {
      const int32_t lowest = FMinCandidate[static_cast<size_t>(k)];
      if (lowest > from) {
        from = q + (lowest - q + step - 1) / step * step;
        FExact = false;
      }
    }
    int32_t d = k;
    for (int32_t c = NextStart(k + 1, from); c <= FLen + 1; c = NextStart(k + 1, c + step)) {
      if (step > 1) c = q + (c - q + step - 1) / step * step;  // the next whole repetition
      ++FSteps;
      if (t.NumChars < 0) {
        reach = RunEnd(k, reach, c);
      } else {
        while (reach < c && Occurs(t, reach)) reach += step;
      }
      // The repetitions end at reach, a candidate where the next token fails.
      if (reach < c) break;
      const int32_t r = Depth<Record>(k + 1, c);
      if (r == FCount) return r;
      d = std::max(d, r);
    }
    return d;
  }

  // MatchEndPos when token k, the last one, matched at pos: it takes as much as it can.
  int32_t End(const TGrepToken& t, int32_t k, int32_t pos) noexcept {
    switch (t.Action) {
      case taNormal:
        return pos + t.NumChars - 1;
      case taAnyByte:
      case taSet:
        return pos;
      case taBol:
        return 1;
      case taEol:
        return FLen;
      case taOpti:
        return t.NumChars == 0 ? std::min(pos, FLen) : pos + Step(k, pos) - 1;
      default: {  // taMult0, taMult1
        if (t.NumChars == 0) return FLen;
        if (t.NumChars < 0) return RunEnd(k, pos, FLen + 1) - 1;
        int32_t q = pos;
        for (int32_t step; (step = Step(k, q)) > 0;) q += step;
        return q - 1;
      }
    }
  }

  // ----------------------------------------------------------------------------------------------
  // Remembered depths

  void StartMemo() noexcept {
    FMemoAfter = std::numeric_limits<int64_t>::max();
    const int64_t pairs = int64_t{FCount} * (int64_t{FLen} + 2);
    try {
      if (pairs <= kMemoDenseMax)
        FMemoDense.assign(static_cast<size_t>(pairs), 0);
      else
        FMemoHash.assign(kMemoHashSize, 0);
      FMemoOn = true;
    } catch (const std::bad_alloc&) {
      FMemoDense.clear();
      FMemoHash.clear();
    }
  }

  void ForgetMemo() noexcept {
    std::fill(FMemoDense.begin(), FMemoDense.end(), uint8_t{0});
    std::fill(FMemoHash.begin(), FMemoHash.end(), uint64_t{0});
  }

  // A (token, position) pair as a key of the hashed table: position above, token below.
  static uint64_t MemoKey(int32_t k, int32_t pos) noexcept {
    return (static_cast<uint64_t>(pos) << 7) | static_cast<uint64_t>(k);
  }
  static size_t MemoSlot(uint64_t key) noexcept {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> 44) & (kMemoHashSize - 1);
  }

  bool Recall(int32_t k, int32_t pos, int32_t& d) const noexcept {
    if (!FMemoDense.empty()) {
      const uint8_t v = FMemoDense[static_cast<size_t>(int64_t{k - 1} * (FLen + 2) + pos)];
      if (v == 0) return false;
      d = v - 1;
      return true;
    }
    const uint64_t key = MemoKey(k, pos);
    const uint64_t e = FMemoHash[MemoSlot(key)];
    if (e == 0 || (e >> 8) != key) return false;
    d = static_cast<int32_t>(e & 0xFF);
    return true;
  }

  void Remember(int32_t k, int32_t pos, int32_t d) noexcept {
    if (!FMemoDense.empty()) {
      FMemoDense[static_cast<size_t>(int64_t{k - 1} * (FLen + 2) + pos)] =
          static_cast<uint8_t>(d + 1);
      return;
    }
    const uint64_t key = MemoKey(k, pos);
    FMemoHash[MemoSlot(key)] = (key << 8) | static_cast<uint64_t>(d);
  }

  // ==============================================================================================
  // The search for a match

  // The start positions from start on, the first that gives a match. Starts and candidates are
  // passed over where a match is impossible; the trial that matches writes every token last.
  bool FindMatch(int32_t start) noexcept {
    // On short texts the plain trials cost less than the shortcuts and the trace that follows
    // them after a failure.
    const bool shortcuts = FLen >= FFilterFrom && FLen <= kFilterMaxLength;
    std::fill_n(FMinCandidate.begin(), FCount + 1, 0);
    if (shortcuts) PlanEnd();
    if (FTok[1].Action == taBol) return Depth<true>(1, start) == FCount;
    if (shortcuts) ChooseFilter();
    TSkip skip;
    for (int32_t p = start; p <= FLen;) {
      p = NextViable(p);
      if (p > FLen) break;
      if (skip.Covers(p)) {
        // Each start passed over records itself; a run of them ends at its last one.
        FTok[1].ValidFrom = skip.step == 1 ? std::min(skip.to, FLen) : p;
        p = skip.step == 1 ? skip.to + 1 : p + 1;
        continue;
      }
      if (Depth<true>(1, p) == FCount) return true;
      const TSkip next = FailedStarts(p);
      if (next.to > skip.to) skip = next;
      ++p;
    }
    // Last, the start just past the end, for an empty match there ("x*$"); after other starts a
    // failure there is not recorded for the first token.
    const int32_t first = FTok[1].ValidFrom;
    if (Depth<true>(1, FLen + 1) == FCount) return true;
    if (start <= FLen) FTok[1].ValidFrom = first;
    return false;
  }

  // For a pattern that ends with "$" and whose tokens from k on have a bounded width, the least
  // position where token k can stand in a match; 0 for the others.
  void PlanEnd() noexcept {
    if (FTok[FCount].Action != taEol) return;
    int32_t width = 0;
    for (int32_t k = FCount; k >= 2; --k) {
      width = AddWidth(width, WidthOf(FTok[k]).Hi);
      if (width >= kInf) break;
      // Indexed by the quantifier before token k, whose candidates it bounds.
      FMinCandidate[static_cast<size_t>(k - 1)] = FLen + 1 - width;
    }
  }

  // The later starts that must fail like the failed start at p: the candidates of the first
  // token, a repetition, after p; for one or more repetitions not the last one, where no
  // repetition begins. (A start there tries a subset of the positions just tried for the rest
  // of the pattern.)
  TSkip FailedStarts(int32_t p) noexcept {
    const TGrepToken& t = FTok[1];
    if (t.Action != taMult0 && t.Action != taMult1) return {};
    const int32_t step = Step(1, p);
    if (step == 0) return {};
    int32_t last = FLen + 1;
    if (t.NumChars < 0) {
      last = RunEnd(1, p + step, FLen + 1);
    } else if (t.NumChars > 0) {
      for (last = p + step; Step(1, last) > 0;) last += step;
    }
    return {p + step, step, t.Action == taMult0 ? last : last - step};
  }

  // The first start from p on (up to L) where the start filter allows a match and the first
  // token passes; beyond L when there is none. The filter goes first: it was chosen as the
  // rarer condition.
  int32_t NextViable(int32_t p) noexcept {
    while (p <= FLen) {
      if (FFilter.Kind != fkNone) {
        const int32_t low = FilterLow(p);
        if (low > p) {
          p = low;
          FExact = false;
          continue;
        }
      }
      const int32_t q = NextStart(1, p);
      if (q == p || FFilter.Kind == fkNone) return q;
      p = q;
    }
    return p;
  }

  // Picks the start filter: the end of the text for a pattern ending with "$", else the token
  // whose element test passes most rarely in the sampled text, if it is clearly rarer than the
  // first token's.
  void ChooseFilter() noexcept {
    std::array<int32_t, TRegExp::Size + 1> lo;  // the offsets of token k from the start
    std::array<int32_t, TRegExp::Size + 1> hi;
    lo[1] = hi[1] = 0;
    int32_t run = 0;  // the first token of unbounded width
    for (int32_t k = 1; k <= FCount; ++k) {
      const TWidth w = WidthOf(FTok[k]);
      if (k < FCount) {
        lo[static_cast<size_t>(k + 1)] = AddWidth(lo[static_cast<size_t>(k)], w.Lo);
        hi[static_cast<size_t>(k + 1)] = AddWidth(hi[static_cast<size_t>(k)], w.Hi);
      }
      if (w.Hi >= kInf && run == 0) run = k;
    }
    const auto offsets = [&](int32_t k) {
      return std::pair(lo[static_cast<size_t>(k)], hi[static_cast<size_t>(k)]);
    };
    TStartFilter& f = FFilter;
    if (FTok[FCount].Action == taEol) {
      const auto [eolLo, eolHi] = offsets(FCount);
      if (eolHi < kInf) {
        f.Kind = fkFixed;
        f.Token = FCount;
        f.Lo = eolLo;
        f.Hi = eolHi;
        return;
      }
      if (FTok[run].NumChars < 0 && FMinCandidate[static_cast<size_t>(run)] > 0) {
        f.Kind = fkRunToEnd;
        f.Run = run;
        std::tie(f.RunLo, f.RunHi) = offsets(run);
        f.Target = FMinCandidate[static_cast<size_t>(run)];
        return;
      }
    }
    // The share of positions where token k's element test passes, by the sampled text.
    const auto rate = [&](int32_t k) {
      const TGrepToken& t = FTok[k];
      if (TestsLiteral(t)) {
        const TScanInfo& s = Scan(k);
        const double a = Frequency(s.A.Want);
        return s.A.Offset == s.B.Offset ? a : a * Frequency(s.B.Want);
      }
      if (TestsSet(t)) {
        Frequency(0);  // the histogram made
        uint32_t count = FWide[static_cast<size_t>(k - 1)] ? FHistogram[256] : 0;
        for (uint32_t c = 0; c < 256; ++c) count += t.Params[c] == kMember ? FHistogram[c] : 0;
        return (count + 0.5) / (FSampled + 1.0);
      }
      return 1.0;
    };
    const auto tests = [&](int32_t k) { return TestsLiteral(FTok[k]) || TestsSet(FTok[k]); };
    const int32_t fixedLast = run == 0 ? FCount : run;
    const bool afterRun = run > 0 && run < FCount && FTok[run].NumChars != 0 && tests(run + 1);
    bool any = afterRun;
    for (int32_t k = 2; k <= fixedLast; ++k) any = any || tests(k);
    if (!any) return;
    double best = rate(1) * 0.5;
    for (int32_t k = 2; k <= fixedLast; ++k) {
      if (!tests(k)) continue;
      const double r = rate(k);
      if (r >= best) continue;
      best = r;
      f.Kind = fkFixed;
      f.Token = k;
      std::tie(f.Lo, f.Hi) = offsets(k);
    }
    if (!afterRun || rate(run + 1) >= best) return;
    f.Kind = fkAfterRun;
    f.Token = run + 1;
    f.Run = run;
    std::tie(f.RunLo, f.RunHi) = offsets(run);
    f.RunMin = FTok[run].Action == taMult1 ? WidthOf(FTok[run]).Lo : 0;
  }

  // The least start from p on that the filter allows (p itself when it allows p).
  int32_t FilterLow(int32_t p) noexcept {
    TStartFilter& f = FFilter;
    switch (f.Kind) {
      case fkFixed: {
        // The token must pass in [p + Lo, p + Hi]: no start before its next pass less Hi.
        const int32_t x = NextStart(f.Token, p + f.Lo);
        if (x > FLen + 1) return FLen + 2;
        return std::max(p, x - f.Hi);
      }
      case fkAfterRun: {
        // Every start up to cap meets the same next pass x of the token after the repetitions;
        // the repetitions must reach it from no later than their offset allows.
        const int32_t first = p + f.RunLo + f.RunMin;
        const int32_t x = NextStart(f.Token, first);
        if (x > FLen + 1) return FLen + 2;
        const int32_t cap = x - f.RunLo - f.RunMin + 1;
        const int32_t low = RunLowest(x, p + f.RunLo);
        if (low >= kInf) return std::max(p, cap);
        return std::max(p, std::min(low - f.RunHi, cap));
      }
      case fkRunToEnd: {
        // The set repetitions must reach the position where the bounded rest begins at the
        // latest.
        const int32_t bound = p + f.RunLo;
        if (f.Target <= bound) return p;
        if (f.CacheX != f.Target) {
          int32_t a = f.Target;
          while (a - 1 >= bound && IsMember(f.Run, a - 1)) --a;
          f.CacheX = f.Target;
          f.CacheLow = a;
        }
        return std::max(p, std::max(f.CacheLow, bound) - f.RunHi);
      }
      default:
        return p;
    }
  }

  // The least position at or after bound from which the repetitions of the filter's run cover
  // every position up to x (exclusive), so that x can be one of their candidates or lies within
  // them; kInf when there is none.
  int32_t RunLowest(int32_t x, int32_t bound) noexcept {
    TStartFilter& f = FFilter;
    const TGrepToken& u = FTok[f.Run];
    const bool atLeastOne = u.Action == taMult1;
    int32_t low = kInf;
    if (f.CacheX == x) {
      low = f.CacheLow >= kInf ? kInf : std::max(f.CacheLow, bound);
    } else if (u.NumChars < 0) {
      low = x;
      while (low - 1 >= bound && IsMember(f.Run, low - 1)) --low;
    } else {
      // A string: the repetitions run back to back from one of the positions below x.
      const int32_t n = u.NumChars;
      if (!atLeastOne) low = x;
      for (int32_t r = 1; r <= n && x - r >= bound; ++r) {
        int32_t a = x - r;
        if (!Occurs(u, a)) continue;
        while (a - n >= bound && Occurs(u, a - n)) a -= n;
        low = std::min(low, a);
      }
    }
    if (f.CacheX != x) {
      f.CacheX = x;
      f.CacheLow = low;
    }
    if (atLeastOne && low < kInf && low > x - f.RunMin) return kInf;
    return low;
  }

  // ==============================================================================================
  // The trace of a failed search

  // Puts back the positions from before the search, then gives each token the position on the
  // greatest path of trials that reaches it: the greatest start whose trial reaches the token
  // (a start just past the end does not count for the first token when other starts were tried),
  // and below it the greatest candidates that still reach it.
  void LeaveFailedTrace(int32_t start) noexcept {
    for (int32_t k = 1; k <= FCount; ++k) FTok[k].ValidFrom = FSaved[static_cast<size_t>(k - 1)];
    if (FMemoOn) ForgetMemo();
    std::array<int32_t, TRegExp::Size + 1> best{};  // the greatest start reaching token j
    const auto note = [&](int32_t p, int32_t depth, int32_t fromToken) {
      for (int32_t j = fromToken; j <= std::min(depth, FCount - 1); ++j) {
        best[static_cast<size_t>(j)] = p;
      }
    };
    if (FTok[1].Action == taBol) {
      note(start, Depth<false>(1, start), 1);
    } else if (start > FLen) {
      note(FLen + 1, Depth<false>(1, FLen + 1), 1);
    } else {
      TSkip skip;
      for (int32_t p = NextStart(1, start); p <= FLen; p = NextStart(1, p + 1)) {
        if (skip.Covers(p)) {
          // These starts reach the first token, and deeper only the positions already noted.
          p = skip.step == 1 ? std::min(skip.to, FLen) : p;
          best[1] = p;
          continue;
        }
        note(p, Depth<false>(1, p), 1);
        const TSkip next = FailedStarts(p);
        if (next.to > skip.to) skip = next;
      }
      note(FLen + 1, Depth<false>(1, FLen + 1), 2);
    }
    for (int32_t j = 1; j < FCount; ++j) {
      int32_t pos = best[static_cast<size_t>(j)];
      if (pos == 0) continue;
      for (int32_t k = 1; k < j; ++k) pos = GreatestCandidate(k, pos, j);
      FTok[j].ValidFrom = pos;
    }
  }

  // The greatest candidate of token k, which passed at pos: the last one its trial tries when
  // every candidate is tried.
  int32_t LastCandidate(int32_t k, int32_t pos) noexcept {
    const TGrepToken& t = FTok[k];
    switch (t.Action) {
      case taNormal:
        return pos + t.NumChars;
      case taAnyByte:
      case taSet:
        return pos + 1;
      case taBol:
        return 1;
      case taOpti:
        return pos + Step(k, pos);
      default:
        return LastRepetition(k, t.Action == taMult0 ? pos : pos + Step(k, pos));
    }
  }

  // The last candidate of the repetitions of quantifier k from q on: where they end.
  int32_t LastRepetition(int32_t k, int32_t q) noexcept {
    const TGrepToken& t = FTok[k];
    if (t.NumChars == 0) return FLen + 1;
    if (t.NumChars < 0) return RunEnd(k, q, FLen + 1);
    while (Occurs(t, q)) q += t.NumChars;
    return q;
  }

  // The greatest candidate of token k, which passed at pos, from which the trial reaches token
  // j (there is one).
  int32_t GreatestCandidate(int32_t k, int32_t pos, int32_t j) noexcept {
    const TGrepToken& t = FTok[k];
    switch (t.Action) {
      case taNormal:
        return pos + t.NumChars;
      case taAnyByte:
      case taSet:
        return pos + 1;
      case taBol:
        return 1;
      case taOpti: {
        const int32_t step = Step(k, pos);
        return step > 0 && Depth<false>(k + 1, pos + step) >= j ? pos + step : pos;
      }
      default:
        break;
    }
    // taMult0, taMult1: the candidates run from q in steps to the last repetition's end.
    const int32_t step = t.NumChars > 0 ? t.NumChars : 1;
    const int32_t q = t.Action == taMult0 ? pos : pos + Step(k, pos);
    for (int32_t c = LastRepetition(k, q); c >= q;) {
      int32_t p = PrevStart(k + 1, c);
      if (p < q) break;
      p = q + (p - q) / step * step;  // the whole repetition at or before it
      if (Depth<false>(k + 1, p) >= j) return p;
      c = p - 1;
    }
    return q;  // not reached: token k reaches j through one of its candidates
  }

  // ==============================================================================================

  TRegExp& FTok;
  int32_t FCount;
  const std::array<bool, TRegExp::Size>& FWide;
  const Char* FText;
  int32_t FLen;
  int32_t FEndPos = 0;
  int32_t FFilterFrom = 0;
  int32_t FVectorSetFrom = 0;
  // Whether the search for a match has so far written every position as the rules do (no start
  // or candidate passed over that could pass, no remembered trial).
  bool FExact = true;
  std::array<int32_t, TRegExp::Size> FSaved;
  // The last answer of NextStart per token: from FCacheFrom to FCacheTo the answer is FCacheTo.
  std::array<int32_t, TRegExp::Size> FCacheFrom;
  std::array<int32_t, TRegExp::Size> FCacheTo;
  std::array<int32_t, TRegExp::Size + 2> FNextRequired;
  // Per token k (index k): the least candidate of the quantifier k that can lead to a match.
  std::array<int32_t, TRegExp::Size + 1> FMinCandidate;
  TStartFilter FFilter;
  uint64_t FScanReady = 0;
  std::array<TScanInfo, TRegExp::Size> FScan;
  bool FHistogramReady = false;
  int32_t FSampled = 0;
  std::array<uint32_t, 257> FHistogram;
  // Remembered depths: switched on once the search has taken FMemoAfter steps.
  int64_t FSteps = 0;
  int64_t FMemoAfter = 0;
  bool FMemoOn = false;
  std::vector<uint8_t> FMemoDense;
  std::vector<uint64_t> FMemoHash;
};

template <bool Fold>
bool SearchWith(TRegExp& tokens, int32_t count, const std::array<bool, TRegExp::Size>& wide,
                StringView text, int32_t start, int32_t& endPos) noexcept {
  TSearch<Fold> s(tokens, count, wide, text);
  if (!s.Run(start)) return false;
  endPos = s.EndPos();
  return true;
}

}  // namespace

bool GrepSearch(TRegExp& Tokens, int32_t Count, const std::array<bool, TRegExp::Size>& Wide,
                bool Fold, StringView Text, int32_t Start, int32_t& EndPos) noexcept {
  if (Count < 1) return false;
  return Fold ? SearchWith<true>(Tokens, Count, Wide, Text, Start, EndPos)
              : SearchWith<false>(Tokens, Count, Wide, Text, Start, EndPos);
}

TGrepTuning GrepTuning() noexcept {
  TGrepTuning t;
  t.FilterFrom = filterFrom.load(std::memory_order_relaxed);
  t.VectorSetFrom = vectorSetFrom.load(std::memory_order_relaxed);
  t.MemoFromStart = memoFromStart.load(std::memory_order_relaxed);
  return t;
}

void SetGrepTuning(const TGrepTuning& Tuning) noexcept {
  filterFrom.store(Tuning.FilterFrom, std::memory_order_relaxed);
  vectorSetFrom.store(Tuning.VectorSetFrom, std::memory_order_relaxed);
  memoFromStart.store(Tuning.MemoFromStart, std::memory_order_relaxed);
}

}  // namespace xan::detail
