// The matcher as it was before the search learnt to skip starts and remember failed trials: a
// copy kept as the model that every result of the library must equal (with a step budget).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "platform/simple_text.h"
#include "xan/stringl/grep.h"
#include "xan_stringl/grep_search.h"

namespace xan::model {

constexpr Char Member = u'*';

// Start positions from..to in steps of step.
struct TSkip {
  int32_t from = 0;
  int32_t step = 1;
  int32_t to = -1;
  bool Covers(int32_t p) const noexcept { return p >= from && p <= to && (p - from) % step == 0; }
};

// The backtracking search over the tokens 1..Count of a compiled pattern. Positions count from 1;
// L + 1, just past the end, is the largest position ever tried. The recursion goes one level per
// token (at most 64); the candidates of a quantifier are tried in a loop.
// Fold compares the text lowered ("A".."Z" only), the pattern being lowered already.
template <bool Fold>
class TMatcher {
 public:
  TMatcher(TRegExp& tokens, int32_t count, const std::array<bool, TRegExp::Size>& wide,
           StringView text) noexcept
      : FTok(tokens),
        FCount(count),
        FWide(wide),
        FText(text.data()),
        FLen(static_cast<int32_t>(std::min<size_t>(text.size(), detail::GrepMaxTextLength))) {
    FCacheFrom.fill(std::numeric_limits<int32_t>::max());
  }

  int64_t Steps = 0;
  int64_t Budget = std::numeric_limits<int64_t>::max();

  int32_t Length() const noexcept { return FLen; }
  int32_t EndPos() const noexcept { return FEndPos; }

  // Whether tokens k..Count match the text from pos on (1 <= pos <= L + 1).
  bool Match(int32_t pos, int32_t k) noexcept {
    if (++Steps > Budget) return false;  // the caller discards the result
    TGrepToken& t = FTok[k];
    if (!Passes(k, pos)) return false;
    t.ValidFrom = pos;
    if (k == FCount) {
      FEndPos = End(t, k, pos);
      return true;
    }
    const int32_t n = t.NumChars;
    switch (t.Action) {
      case taNormal:
        return Match(pos + n, k + 1);
      case taAnyByte:
      case taSet:
        return Match(pos + 1, k + 1);
      case taBol:
        return Match(1, k + 1);
      case taMult0:
        return Repeat(k, pos);
      case taMult1:
        return Repeat(k, pos + Step(k, pos));
      case taOpti: {
        if (Match(pos, k + 1)) return true;
        const int32_t step = Step(k, pos);
        return step > 0 && Match(pos + step, k + 1);
      }
      default:
        return false;  // taEol passes as the last token only
    }
  }

  // The later starts that must fail like the failed start at p (see Search): the candidates of
  // the first token, a repetition, after p; for one or more repetitions not the last one, where
  // no repetition begins.
  TSkip FailedStarts(int32_t p) const noexcept {
    const TGrepToken& t = FTok[1];
    if (t.Action != taMult0 && t.Action != taMult1) return {};
    const int32_t step = Step(1, p);
    if (step == 0) return {};
    int32_t last = FLen + 1;
    if (t.NumChars != 0) {
      for (last = p + step; Step(1, last) > 0;) last += step;
    }
    return {p + step, step, t.Action == taMult0 ? last : last - step};
  }

  // The first position p >= q (up to L) where token k's element test can pass; beyond L when
  // there is none below L + 1. Skipping the others changes nothing, since a failed element test
  // records nothing.
  int32_t NextStart(int32_t k, int32_t q) noexcept {
    const TGrepToken& t = FTok[k];
    const bool scans = (t.Action == taNormal && t.NumChars > 0) || t.Action == taSet ||
                       (t.Action == taMult1 && t.NumChars != 0);
    if (t.Action == taEol) return std::max(q, FLen + 1);
    if (!scans) return q;
    // The answer is a function of q; one remembered query answers every q up to its result.
    const size_t slot = static_cast<size_t>(k - 1);
    if (FCacheFrom[slot] <= q && q <= FCacheTo[slot]) return FCacheTo[slot];
    const int32_t p = t.NumChars < 0 ? NextMember(k, q) : NextOccurrence(t, q);
    FCacheFrom[slot] = q;
    FCacheTo[slot] = p;
    return p;
  }

 private:
  Char At(int32_t pos) const noexcept {
    const Char c = FText[pos - 1];
    if constexpr (Fold) return detail::SimpleLower(c);
    return c;
  }

  bool IsMember(int32_t k, int32_t pos) const noexcept {
    const Char c = At(pos);
    return c < 256 ? FTok[k].Params[c] == Member : FWide[static_cast<size_t>(k - 1)];
  }

  // Whether the whole string of t occurs at pos.
  bool Occurs(const TGrepToken& t, int32_t pos) const noexcept {
    const int32_t n = t.NumChars;
    if (pos + n - 1 > FLen) return false;
    const Char* s = FText + (pos - 1);
    for (int32_t j = 0; j < n; ++j) {
      Char c = s[j];
      if constexpr (Fold) c = detail::SimpleLower(c);
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

  // Lazy repetition of quantifier k: the rest is tried at q, then after each further repetition,
  // until the rest matches or the operand stops (any character stops just past the end).
  // Candidates where the next token cannot pass are jumped over; the repetition is checked only
  // as far as the candidate reached.
  bool Repeat(int32_t k, int32_t q) noexcept {
    const TGrepToken& t = FTok[k];
    const int32_t step = t.NumChars > 0 ? t.NumChars : 1;
    int32_t reach = t.NumChars == 0 ? FLen + 1 : q;  // the repetitions run at least to here
    for (int32_t c = NextStart(k + 1, q); c <= FLen + 1; c = NextStart(k + 1, c + step)) {
      if (step > 1) c = q + (c - q + step - 1) / step * step;  // the next whole repetition
      if (t.NumChars < 0) {
        while (reach < c && IsMember(k, reach)) ++reach;
      } else {
        while (reach < c && Occurs(t, reach)) reach += step;
      }
      // The repetitions end at reach, a candidate where the next token fails.
      if (reach < c) return false;
      if (Match(c, k + 1)) return true;
    }
    return false;
  }

  // MatchEndPos when token k, the last one, matched at pos: it takes as much as it can.
  int32_t End(const TGrepToken& t, int32_t k, int32_t pos) const noexcept {
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
        int32_t q = pos;
        for (int32_t step; (step = Step(k, q)) > 0;) q += step;
        return q - 1;
      }
    }
  }

  int32_t NextMember(int32_t k, int32_t q) const noexcept {
    while (q <= FLen && !IsMember(k, q)) ++q;
    return q <= FLen ? q : FLen + 2;
  }

  int32_t NextOccurrence(const TGrepToken& t, int32_t q) const noexcept {
    const Char first = t.Params[1];
    const int32_t last = FLen - t.NumChars + 1;  // the last position where it fits
    for (; q <= last; ++q) {
      Char c = FText[q - 1];
      if constexpr (Fold) c = detail::SimpleLower(c);
      if (c == first && Occurs(t, q)) return q;
    }
    return FLen + 2;
  }

  TRegExp& FTok;
  int32_t FCount;
  const std::array<bool, TRegExp::Size>& FWide;
  const Char* FText;
  int32_t FLen;
  int32_t FEndPos = 0;
  std::array<int32_t, TRegExp::Size> FCacheFrom;
  std::array<int32_t, TRegExp::Size> FCacheTo{};
};

// The search from start on; returns whether a match was found.
//
// Start positions that cannot succeed are passed over without an attempt, with the one trace an
// attempt leaves there: the first token's ValidFrom. When the first token is a repetition and the
// attempt at p failed, a start at any later candidate of that repetition (up to the last one it
// tried) tries a subset of the positions just tried for the rest of the pattern, so it fails too,
// and the positions it would record for later tokens are the ones already recorded.
template <bool Fold>
bool Search(TMatcher<Fold>& m, TGrepToken& first, int32_t start) noexcept {
  const int32_t len = m.Length();
  if (start > len + 1) return false;
  if (m.Match(start, 1)) return true;
  if (first.Action == taBol) return false;
  TSkip skip = m.FailedStarts(start);
  for (int32_t p = m.NextStart(1, start + 1); p <= len; p = m.NextStart(1, p + 1)) {
    if (skip.Covers(p)) {
      // Each start passed over records itself; a run of them ends at its last one.
      p = skip.step == 1 ? std::min(skip.to, len) : p;
      first.ValidFrom = p;
      continue;
    }
    if (m.Match(p, 1)) return true;
    const TSkip next = m.FailedStarts(p);
    if (next.to > skip.to) skip = next;
  }
  if (start > len) return false;
  // Last, the start just past the end, for an empty match there ("x*$"); a failure there is not
  // recorded.
  const int32_t saved = first.ValidFrom;
  if (m.Match(len + 1, 1)) return true;
  first.ValidFrom = saved;
  return false;
}

// The model's search over copies of the tokens; Steps says how many trials it took, and a search
// that exceeded the budget has no meaningful result.
struct TModelSearch {
  bool Found = false;
  int32_t End = 0;
  bool GaveUp = false;
};

template <bool Fold>
TModelSearch RunModel(TRegExp& tokens, int32_t count, const std::array<bool, TRegExp::Size>& wide,
                      StringView text, int32_t start, int64_t budget) {
  TMatcher<Fold> m(tokens, count, wide, text);
  m.Budget = budget;
  TModelSearch r;
  r.Found = Search(m, tokens[1], start);
  r.End = m.EndPos();
  r.GaveUp = m.Steps > budget;
  return r;
}

}  // namespace xan::model
