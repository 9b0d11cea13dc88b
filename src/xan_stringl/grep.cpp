// The regular-expression matcher: compilation of a pattern into tokens, the backtracking search,
// and the listing of the compiled form.
#include "xan/stringl/grep.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "xan/platform/exceptions.h"
#include "xan/stringl/number_format.h"
#include "xan/xanbase.h"

namespace xan {
namespace {

// ================================================================================================
// Error codes

constexpr int32_t errNone = 0;
constexpr int32_t errBadStart = 1;
constexpr int32_t errCircumflex = 2;
constexpr int32_t errAfterEol = 3;
constexpr int32_t errEmptySet = 4;
constexpr int32_t errCircumflexInSet = 5;
constexpr int32_t errSetBrackets = 6;
constexpr int32_t errMinus = 7;
constexpr int32_t errGroupBrackets = 8;
constexpr int32_t errQuantifier = 9;
constexpr int32_t errTooManyTokens = 10;
constexpr int32_t errStringTooLong = 11;
constexpr int32_t errWideSetMember = 12;

constexpr std::array<StringView, 13> ErrorTexts = {
    u"no errors",
    u"reg.exp. must not start with $, *, ?, or +",
    u"circumflex not allowed here",
    u"no character allowed after end of line",
    u"empty set",
    u"circumflex has to be quoted in set",
    u"mismatch of set brackets",
    u"minus not allowed here",
    u"mismatch of group brackets",
    u"*, ?, + have to be applied to groups or sets only",
    u"more than 64 tokens",
    u"more than 255 characters in one string",
    u"set member with a code above 255"};

StringView ErrorText(int32_t code) noexcept {
  if (code < 0 || code >= static_cast<int32_t>(ErrorTexts.size())) return {};
  return ErrorTexts[static_cast<size_t>(code)];
}

constexpr int32_t MaxLiteral = 255;
constexpr Char Member = u'*';
constexpr Char NonMember = u' ';

constexpr Char LowerAZ(Char c) noexcept {
  return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + (u'a' - u'A')) : c;
}

// ================================================================================================
// Compilation

// Reads the pattern as the compiler sees it: lowered when ignoring case, with each "\#hh" that
// does not follow a backslash replaced by the character of code hh. The replacement is done on
// the fly, so that compiling allocates nothing.
class TPatternReader {
 public:
  TPatternReader(StringView pattern, bool lower) noexcept : FText(pattern), FLower(lower) {}

  bool Next(Char& c) noexcept {
    if (FPos >= FText.size()) return false;
    c = FLower ? LowerAZ(FText[FPos]) : FText[FPos];
    ++FPos;
    // An "\#" right after a backslash (as read so far) stays as it is.
    if (c == u'\\' && FPos < FText.size() && FText[FPos] == u'#' && FPrev != u'\\') {
      // Up to two characters after the "#" give the code (fewer at the end of the pattern).
      const size_t digits = std::min<size_t>(2, FText.size() - FPos - 1);
      int32_t scan = 1;
      c = static_cast<Char>(ScanHexNumber(FText.substr(FPos + 1, digits), scan));
      FPos += 1 + digits;
    }
    FPrev = c;
    return true;
  }

 private:
  StringView FText;
  bool FLower;
  size_t FPos = 0;
  Char FPrev = 0;
};

enum class TState { Start, AfterItem, AfterSet, AfterGroup, InGroup, AfterEol, SetFirst, InSet };

// The compiler's working state over the component's token storage.
class TCompiler {
 public:
  TCompiler(TRegExp& tokens, int32_t& count, std::array<bool, TRegExp::Size>& wide) noexcept
      : FTokens(tokens), FCount(count), FWide(wide) {}

  int32_t Run(TPatternReader& in) noexcept {
    Char c;
    int32_t err = errNone;
    while (err == errNone && in.Next(c)) {
      switch (FState) {
        case TState::SetFirst:
        case TState::InSet:
          err = InSet(c, in);
          break;
        case TState::InGroup:
          err = InGroup(c, in);
          break;
        case TState::AfterEol:
          err = errAfterEol;
          break;
        default:
          err = Outside(c, in);
          break;
      }
    }
    return err;
  }

 private:
  // The character after an escaping backslash; a backslash at the very end stands for itself.
  static Char Escaped(TPatternReader& in) noexcept {
    Char x;
    return in.Next(x) ? x : u'\\';
  }

  TGrepToken& Last() noexcept { return FTokens[FCount]; }

  int32_t NewToken(TGrepTokenAct action, int32_t numChars = 0) noexcept {
    if (FCount >= TRegExp::Size) return errTooManyTokens;
    ++FCount;
    Last().Action = action;
    Last().NumChars = numChars;
    return errNone;
  }

  int32_t Append(Char x) noexcept {
    TGrepToken& t = Last();
    if (t.NumChars >= MaxLiteral) return errStringTooLong;
    t.Params[static_cast<size_t>(++t.NumChars)] = x;
    return errNone;
  }

  // A literal after an item joins the string token before it; elsewhere it starts a new one.
  int32_t Literal(Char x, bool join) noexcept {
    if (!join || FCount == 0 || Last().Action != taNormal) {
      if (const int32_t err = NewToken(taNormal)) return err;
    }
    return Append(x);
  }

  int32_t Quantify(TGrepTokenAct action) noexcept {
    TGrepToken& t = Last();
    if (FState == TState::AfterSet) {
      if (t.Action != taSet) return errQuantifier;
      t.Action = action;
      return errNone;
    }
    if (FState == TState::AfterGroup && t.Action == taNormal) {
      // The whole group is the operand; repeating an empty group still gives the empty string.
      if (t.NumChars > 0) t.Action = action;
      return errNone;
    }
    switch (t.Action) {
      case taNormal: {
        if (t.NumChars == 1) {
          t.Action = action;
          return errNone;
        }
        if (t.NumChars < 1) return errQuantifier;
        // Only the last character of a string is repeated: "abc*" is "ab" then "c*".
        const Char x = t.Params[static_cast<size_t>(t.NumChars)];
        if (const int32_t err = NewToken(action, 1)) return err;
        t.Params[static_cast<size_t>(t.NumChars--)] = 0;
        Last().Params[1] = x;
        return errNone;
      }
      case taSet:
        t.Action = action;
        return errNone;
      case taAnyByte:
        t.Action = action;
        t.NumChars = 0;
        return errNone;
      default:
        return errQuantifier;
    }
  }

  // Start, AfterItem, AfterSet and AfterGroup: outside sets and groups.
  int32_t Outside(Char c, TPatternReader& in) noexcept {
    const bool start = FState == TState::Start;
    const bool afterItem = FState == TState::AfterItem;
    switch (c) {
      case u'(':
        FState = TState::InGroup;
        return NewToken(taNormal);
      case u')':
        return errGroupBrackets;
      case u'*':
        return start ? errBadStart : Quantify(taMult0);
      case u'+':
        return start ? errBadStart : Quantify(taMult1);
      case u'?':
        return start ? errBadStart : Quantify(taOpti);
      case u'.':
        FState = TState::AfterItem;
        return NewToken(taAnyByte);
      case u'[':
        return NewSet();
      case u']':
        return errSetBrackets;
      case u'\\':
        FState = TState::AfterItem;
        return Literal(Escaped(in), afterItem);
      case u'^':
        if (!start) return errCircumflex;
        FState = TState::AfterItem;
        return NewToken(taBol);
      case u'$':
        if (start) return errBadStart;
        FState = TState::AfterEol;
        return NewToken(taEol);
      case u'-':
        if (FState == TState::AfterSet) return errMinus;
        FState = TState::AfterItem;
        return Literal(c, afterItem);
      default:
        FState = TState::AfterItem;
        return Literal(c, afterItem);
    }
  }

  int32_t InGroup(Char c, TPatternReader& in) noexcept {
    switch (c) {
      case u')':
        FState = TState::AfterGroup;
        return errNone;
      case u'^':
        return errCircumflex;
      case u'\\':
        return Append(Escaped(in));
      default:
        return Append(c);
    }
  }

  int32_t NewSet() noexcept {
    if (const int32_t err = NewToken(taSet, -1)) return err;
    Last().Params.fill(NonMember);
    FState = TState::SetFirst;
    FSetHasMember = false;
    return errNone;
  }

  int32_t AddMember(Char x) noexcept {
    if (x > 255) return errWideSetMember;
    Last().Params[x] = Member;
    FLastMember = x;
    FSetHasMember = true;
    return errNone;
  }

  int32_t InSet(Char c, TPatternReader& in) noexcept {
    const bool first = FState == TState::SetFirst;
    FState = TState::InSet;
    switch (c) {
      case u']':
        if (first) return errEmptySet;
        CloseSet();
        return errNone;
      case u'^':
        if (!first) return errCircumflexInSet;
        FNegate = true;
        return errNone;
      case u'-': {
        // A range needs a member before it, also right after "[^".
        if (first || !FSetHasMember) return errMinus;
        Char h;
        if (!in.Next(h)) return AddMember(u'-');
        if (h > 255) return errWideSetMember;
        const Char lo = std::min(FLastMember, h);
        const Char hi = std::max(FLastMember, h);
        for (Char m = lo; m <= hi; ++m) Last().Params[m] = Member;
        if (h < FLastMember) FLastMember = h;
        return errNone;
      }
      case u'\\':
        return AddMember(Escaped(in));
      default:
        return AddMember(c);
    }
  }

  void CloseSet() noexcept {
    if (FNegate) {
      for (Char& p : Last().Params) p = p == Member ? NonMember : Member;
    }
    FWide[static_cast<size_t>(FCount - 1)] = FNegate;
    FNegate = false;
    FState = TState::AfterSet;
  }

  TRegExp& FTokens;
  int32_t& FCount;
  std::array<bool, TRegExp::Size>& FWide;
  TState FState = TState::Start;
  Char FLastMember = u'A';
  bool FNegate = false;
  bool FSetHasMember = false;
};

// ================================================================================================
// Matching

// Positions beyond this are not searched, so that position arithmetic stays within 32 bits.
constexpr int32_t MaxTextLength = std::numeric_limits<int32_t>::max() - 2 * (MaxLiteral + 1);

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
        FLen(static_cast<int32_t>(std::min<size_t>(text.size(), MaxTextLength))) {
    FCacheFrom.fill(std::numeric_limits<int32_t>::max());
  }

  int32_t Length() const noexcept { return FLen; }
  int32_t EndPos() const noexcept { return FEndPos; }

  // Whether tokens k..Count match the text from pos on (1 <= pos <= L + 1).
  bool Match(int32_t pos, int32_t k) noexcept {
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
    if constexpr (Fold) return LowerAZ(c);
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
      if constexpr (Fold) c = LowerAZ(c);
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
      if constexpr (Fold) c = LowerAZ(c);
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

// ================================================================================================
// The listing

String TokenLine(const TGrepToken& t) {
  auto members = [&t] {
    String s;
    for (size_t c = 0; c < t.Params.size(); ++c) {
      if (t.Params[c] == Member) s += static_cast<Char>(c);
    }
    return s;
  };
  auto chars = [&t] {
    const auto n = static_cast<size_t>(std::clamp(t.NumChars, 0, MaxLiteral));
    return String(t.Params.data() + 1, n);
  };
  switch (t.Action) {
    case taNormal:
      return u" taNormal: " + chars();
    case taAnyByte:
      return u"taAnyByte: ";
    case taEol:
      return u"    taEol: ";
    case taBol:
      return u"    taBol: ";
    case taSet:
      return u"    taSet: " + members();
    default: {
      String s = t.Action == taMult0   ? u"  taMult0: "
                 : t.Action == taMult1 ? u"  taMult1: "
                                       : u"   taOpti: ";
      if (t.NumChars < 0) return s + u"(set) " + members();
      if (t.NumChars == 0) return s + u"(anychar) ";
      return s + u"(string) " + chars();
    }
  }
}

[[noreturn]] void ThrowFileError(StringView verb, StringView name, int err) {
  if (err == 0) err = EIO;
  String msg = u"Cannot ";
  msg += verb;
  msg += u" file \"";
  msg += name;
  msg += u"\": ";
  msg += FromUtf8(std::generic_category().message(err));
  throw EInOutError(std::move(msg), err);
}

// Creates (or overwrites) the file and writes bytes to it. Until the platform's file streams
// take this over, the C library does the work; every failure, closing included, is reported.
void WriteFileBytes(StringView name, std::string_view bytes) {
  errno = 0;
  std::FILE* f = std::fopen(ToUtf8(name).c_str(), "wb");
  if (f == nullptr) ThrowFileError(u"create", name, errno);
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int writeErr = errno;
  errno = 0;
  const bool closed = std::fclose(f) == 0;
  if (!written) ThrowFileError(u"write", name, writeErr);
  if (!closed) ThrowFileError(u"write", name, errno);
}

}  // namespace

// ================================================================================================
// TGrep

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

TGrep::~TGrep() = default;

void TGrep::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TGrep*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  FRegExpStr = src->FRegExpStr;
  FLengRegExp = src->FLengRegExp;
  FStopOnError = src->FStopOnError;
  FregExp = src->FregExp;
  FIgnoreCase = src->FIgnoreCase;
  FError = src->FError;
  FMatchEndPos = src->FMatchEndPos;
  FMatchStartPos = src->FMatchStartPos;
  FSrcStartPos = src->FSrcStartPos;
  FWideMembers = src->FWideMembers;
}

void TGrep::AssignTo(TPersistent& Dest) const {
  if (auto* dest = dynamic_cast<TGrep*>(&Dest)) {
    dest->Assign(*this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TGrep::SetIgnoreCase(bool Value) noexcept {
  FIgnoreCase = Value;
  CompileRegExp(FRegExpStr);
}

void TGrep::SetRegExp(StringView Value) {
  FRegExpStr = Value;
  const int32_t code = CompileRegExp(FRegExpStr);
  if (FStopOnError && code > 0) {
    String reason = u"error in regular expression - ";
    reason += ErrorText(code);
    throw EXANStringlError(ComponentMessage(reason));
  }
}

int32_t TGrep::CompileRegExp(StringView Pattern) noexcept {
  FError = errNone;
  FLengRegExp = 0;
  FregExp = TRegExp();
  FWideMembers.fill(false);
  TPatternReader in(Pattern, FIgnoreCase);
  TCompiler compiler(FregExp, FLengRegExp, FWideMembers);
  FError = compiler.Run(in);
  return FError;
}

bool TGrep::MatchString(StringView Instring, int32_t& MatchPos) noexcept {
  TGrepToken& first = FregExp[1];
  if (FLengRegExp == 1 && first.Action == taMult0) {
    const auto len = static_cast<int64_t>(Instring.size());
    if (len > 0 && len < FSrcStartPos) return false;
    MatchPos = FMatchStartPos = first.ValidFrom = 1;
    FMatchEndPos = static_cast<int32_t>(std::min<int64_t>(len, MaxTextLength));
    return true;
  }
  bool found = false;
  if (FLengRegExp > 0) {
    const int32_t start = std::max(FSrcStartPos, 1);
    if (FIgnoreCase) {
      TMatcher<true> m(FregExp, FLengRegExp, FWideMembers, Instring);
      found = Search(m, first, start);
      if (found) FMatchEndPos = m.EndPos();
    } else {
      TMatcher<false> m(FregExp, FLengRegExp, FWideMembers, Instring);
      found = Search(m, first, start);
      if (found) FMatchEndPos = m.EndPos();
    }
  }
  MatchPos = FMatchStartPos = first.ValidFrom;
  return found;
}

TGrepToken TGrep::GetRegExpToken(int32_t regix) const noexcept {
  regix = std::max(std::min(regix, FLengRegExp), 1);
  return FregExp[regix];
}

void TGrep::PrintRegExp(StringView FName) const {
  String text;
  for (int32_t k = 1; k <= FLengRegExp; ++k) {
    text += TokenLine(FregExp[k]);
    text += u"\r\n";
  }
  if (FError <= errQuantifier) text += ErrorText(FError);  // the limit codes have no text here
  text += u"\r\n";
  WriteFileBytes(FName, StringToAnsi(text));
}

}  // namespace xan
