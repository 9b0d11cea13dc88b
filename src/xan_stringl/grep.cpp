// The regular-expression matcher: compilation of a pattern into tokens, the component's
// operations, and the listing of the compiled form (the search is in grep_search.cpp).
#include "xan/stringl/grep.h"

#include <algorithm>
#include <string>

#include "platform/simple_text.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/textfile.h"
#include "xan/stringl/number_format.h"
#include "xan/xanbase.h"
#include "xan_stringl/grep_search.h"

namespace xan {

using detail::SimpleLower;

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
    c = FLower ? SimpleLower(FText[FPos]) : FText[FPos];
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
    FMatchEndPos = static_cast<int32_t>(std::min<int64_t>(len, detail::GrepMaxTextLength));
    return true;
  }
  const bool found = detail::GrepSearch(FregExp, FLengRegExp, FWideMembers, FIgnoreCase, Instring,
                                        std::max(FSrcStartPos, 1), FMatchEndPos);
  MatchPos = FMatchStartPos = first.ValidFrom;
  return found;
}

TGrepToken TGrep::GetRegExpToken(int32_t regix) const noexcept {
  regix = std::max(std::min(regix, FLengRegExp), 1);
  return FregExp[regix];
}

void TGrep::PrintRegExp(StringView FName) const {
  TTextFile listing(FName, tfmRewrite);
  for (int32_t k = 1; k <= FLengRegExp; ++k) listing.WriteLn(TokenLine(FregExp[k]));
  // The limit codes have no text here.
  listing.WriteLn(FError <= errQuantifier ? ErrorText(FError) : StringView());
  listing.Close();
}

}  // namespace xan
