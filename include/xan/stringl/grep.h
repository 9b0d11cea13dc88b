// The regular-expression matcher TGrep: a small pattern language compiled into at most 64 tokens
// held inside the component, and a search that reports where the first match starts and ends.
#pragma once

#include <array>
#include <cstdint>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/xanbase.h"

namespace xan {

namespace detail {
struct TGrepAccess;
}

// ================================================================================================
// The compiled form

// The kinds of token, in this order: a literal string, any one character, the end of the text,
// the start of the text, one character out of a set, and the quantifiers zero or more, one or
// more, zero or one (applied to the operand the token carries).
enum TGrepTokenAct : uint8_t { taNormal, taAnyByte, taEol, taBol, taSet, taMult0, taMult1, taOpti };

using TCharArr256 = std::array<Char, 256>;

// One compiled token.
//   NumChars: taNormal: the number of literal characters (0 to 255). taMult0, taMult1, taOpti:
//     the kind of operand: -1 a set, 0 any character, n >= 1 a literal string of n characters.
//     taSet: -1. Other kinds: 0.
//   Params: the literal characters in entries 1..NumChars (entry 0 unused, the rest 0); for a set
//     (taSet, or a quantifier with NumChars -1) a membership table: entry c is '*' when the
//     character of code c is a member and ' ' when it is not, for codes 0 to 255.
//   ValidFrom: the position in the last searched text at which the token last matched; 0 after
//     compilation.
struct TGrepToken {
  TGrepTokenAct Action = taNormal;
  int32_t NumChars = 0;
  TCharArr256 Params{};
  int32_t ValidFrom = 0;
};

// The 64 tokens of a compiled pattern, indexed from 1 to Size.
class TRegExp {
 public:
  static constexpr int32_t Size = 64;
  // Token i, 1 <= i <= Size.
  TGrepToken& operator[](int32_t i) noexcept { return FTokens[static_cast<size_t>(i - 1)]; }
  const TGrepToken& operator[](int32_t i) const noexcept {
    return FTokens[static_cast<size_t>(i - 1)];
  }

 private:
  std::array<TGrepToken, Size> FTokens{};
};

// ================================================================================================
// TGrep
//
// Pattern syntax:
//   c        a literal character; consecutive literals form one string token (up to 255)
//   .        any one character
//   [abc]    one character out of a set; "a-z" a range of codes, "[^...]" the complement; inside
//            a set "]" closes, "\" escapes, "-" after a member makes a range, "^" first negates
//            (elsewhere it is an error), and every other character is a member
//   (abc)    a literal group: everything up to ")" is literal, except "\" and "^" (an error);
//            groups do not nest and do not capture
//   x* x+ x? zero or more, one or more, zero or one of the character, set, "." or group before;
//            after a string of literals only its last character is repeated ("abc*" = "ab" "c*")
//   ^  $     the start of the text (first in the pattern only), the end of the text (last only)
//   \c       the character c taken literally
//   \#hh     the character of hexadecimal code hh, put in place before the pattern is read, so
//            it acts as the character typed there would ("\#2A" is a quantifier "*"); an "\#"
//            right after a backslash stays as it is ("a\\#41" is "a", "\", "#41")
//
// Matching: the first position from SearchStartPos on where the pattern matches wins.
// Quantifiers inside the pattern are lazy (the fewest repetitions that let the rest match); the
// last token takes as much as it can, which sets MatchEndPos.
//   "b+" in "aabbb" => start 3, end 5         "a.c" in "xxabcxx" => start 3, end 5
//   "(ab)+c" in "ababc" => start 1, end 5     "a[0-9]*b" in "a12b" => start 1, end 4
//   "a.*b" in "a1b2b" => start 1, end 3       "^ab" in "xab" => no match
//
// Error codes (LastError, and the reason in the exception of SetRegExp):
//    0 "no errors"
//    1 "reg.exp. must not start with $, *, ?, or +"          "*a", "$"
//    2 "circumflex not allowed here"                          "a^", "(a^)"
//    3 "no character allowed after end of line"               "a$b"
//    4 "empty set"                                            "[]"
//    5 "circumflex has to be quoted in set"                   "[a^]"
//    6 "mismatch of set brackets"                             "a]"
//    7 "minus not allowed here"                               "[-a]", "[^-a]", "[a]-"
//    8 "mismatch of group brackets"                           "a)"
//    9 "*, ?, + have to be applied to groups or sets only"     "^*", "a**"
//   10 "more than 64 tokens"                                  "a.a.a. ..." (65 tokens)
//   11 "more than 255 characters in one string"               256 literals in a row
//   12 "set member with a code above 255"                     "[\u0100]", "[a-\u0100]"
// Compilation stops at the first error; the tokens made before it stay and are used by
// MatchString. The limits of the compiled form are therefore reported, never exceeded.
//
// Our decisions where the rules above leave room:
//   - The position just past the end of the text (L + 1): ".", a set and "x+" need a character
//     and never match there; "x*" and "x?" match there with no repetition; quantifiers, and the
//     search for a start position, try it as their last candidate. So "a.*" matches "a",
//     "[0-9]+$" matches "12", ".*$" matches any text whole and "x*$" finds the empty match just
//     past the end of "abc" (MatchPos 4, MatchEndPos 3), while "a." does not match "a".
//     Everything within the text is unchanged by this.
//   - A repeated string operand counts only whole occurrences: "(ab)*" takes "ab" once in "aba".
//   - A trailing lone backslash stands for a backslash ("a\" matches "a\"; "[a\" holds "\"), and
//     a "-" at the very end of a set is the member "-".
//   - A "-" directly after "[^" is error 7, as it is directly after "[".
//   - A quantifier on an empty group "()" leaves it empty: it matches the empty string.
//   - Characters with codes above 255 in the text are members of a negated set ("[^a-z]") and of
//     no other set.
//   - A search with no compiled token (empty pattern, or an error at the first character) finds
//     nothing; MatchPos is 0.
//   - SearchStartPos below 1 searches from 1; beyond the position just past the end it finds
//     nothing (the one-token "x*" pattern keeps its own rule, see MatchString).
//   - After a failed search MatchPos is the last position where the first token matched on its
//     own; the extra attempt just past the end (see above) leaves it unchanged when it fails.
//   - With IgnoreCase the pattern is lowered before the hexadecimal escapes are put in place and
//     the text is compared lowered, so an escape that gives an upper-case letter ("\#41") never
//     matches; write the lower-case code ("\#61") instead.
class XAN_EXPORT TGrep : public TComponent {
 public:
  // IgnoreCase false, StopOnError true, SearchStartPos 1, no tokens, LastError 0.
  explicit TGrep(TComponent* AOwner = nullptr);
  ~TGrep() override;

  // Copies the complete state of another TGrep (pattern, tokens, options, positions), not its
  // Name or owner.
  void Assign(const TPersistent& Source) override;
  void AssignTo(TPersistent& Dest) const override;

  // --------------------------------------------------------------------------------------------
  // Properties

  // Compare without regard to the case of "A".."Z" (other letters keep their case).
  bool IgnoreCase() const noexcept { return FIgnoreCase; }
  // Sets IgnoreCase and compiles RegExp again; an error only sets LastError, nothing is raised.
  void SetIgnoreCase(bool Value) noexcept;

  // The pattern as assigned.
  const String& RegExp() const noexcept { return FRegExpStr; }
  // Stores and compiles the pattern. When StopOnError is true and the pattern has an error,
  // raises EXANStringlError "Component \"<Name>\": error in regular expression - <reason>"; the
  // tokens compiled before the error stay in place either way.
  void SetRegExp(StringView Value);

  // The position in the text where MatchString starts searching (1 = the first character).
  int32_t SearchStartPos() const noexcept { return FSrcStartPos; }
  void SetSearchStartPos(int32_t Value) noexcept { FSrcStartPos = Value; }

  // Whether SetRegExp raises on a pattern error.
  bool StopOnError() const noexcept { return FStopOnError; }
  void SetStopOnError(bool Value) noexcept { FStopOnError = Value; }

  // The position of the last character of the last match (set only when a match is found; one
  // less than MatchStartPos for an empty match).
  int32_t MatchEndPos() const noexcept { return FMatchEndPos; }
  // The position of the first character of the last match; see MatchString for a failed search.
  int32_t MatchStartPos() const noexcept { return FMatchStartPos; }
  // The number of compiled tokens, 0 to 64.
  int32_t NrOfRegExpTokens() const noexcept { return FLengRegExp; }
  // The error code of the last compilation, 0 for none (see the table above).
  int32_t LastError() const noexcept { return FError; }

  // --------------------------------------------------------------------------------------------
  // Operations

  // Compiles Pattern into the tokens (RegExp is not changed) and returns the error code, also
  // kept in LastError. Raises nothing.
  //   "ab*c" => 0: taNormal "a", taMult0 "b", taNormal "c"
  //   "^[0-9]+$" => 0: taBol, taMult1 (set 0..9), taEol
  //   "(ab)?x" => 0: taOpti "ab", taNormal "x"
  //   "[^a-c]" => 0: one taSet of every code 0..255 but "a", "b", "c"
  //   "a$b" => 3, two tokens kept: taNormal "a", taEol
  int32_t CompileRegExp(StringView Pattern) noexcept;

  // Searches Instring for the first match from SearchStartPos on and returns whether there is
  // one. MatchPos and MatchStartPos get the position where it begins, MatchEndPos the position
  // of its last character. After a failed search MatchPos and MatchStartPos hold the last
  // position where the first token matched on its own, in this or an earlier search (0 if it
  // never did), and MatchEndPos keeps its value. A pattern beginning with "^" is tried only at
  // SearchStartPos. SearchStartPos is not changed. Raises nothing.
  // A pattern of one "x*" token is a shortcut: it matches the whole text (MatchPos 1, MatchEndPos
  // the length), except that a non-empty text shorter than SearchStartPos gives false and leaves
  // MatchPos unchanged.
  // Every result, the tokens' ValidFrom included, is the one that trying each start and each
  // candidate of each quantifier in turn gives. The search gets there without trying the starts
  // and candidates that cannot match (found with vector scans where the processor has them) and
  // without trying again a sub-search that failed, so that ".*.*.*.*.*.*.*.*x" on a line of 60
  // characters takes microseconds, not seconds. Only a search that has tried very many
  // candidates keeps its failures, in a table of at most 8 MiB; without the memory for it, it goes
  // on without the table and gives the same result.
  //   "b+" in "aabbb" => true, 3, end 5        "ab?c" in "ac" => true, 1, end 2
  //   "^ab" in "abx" => true, 1, end 2          "a[0-9]*b" in "a1x2b" => false
  //   "ABC" (IgnoreCase) in "xabcx" => true, 2  "x*" in "hello" => true, 1, end 5
  bool MatchString(StringView Instring, int32_t& MatchPos) noexcept;

  // A copy of token regix, where regix is first lowered to NrOfRegExpTokens and then raised to
  // 1: GetRegExpToken(0) is the first token, GetRegExpToken(99) the last. With no tokens it is
  // token 1 as compilation left it (a taNormal with no characters).
  TGrepToken GetRegExpToken(int32_t regix) const noexcept;

  // Writes the compiled pattern to the text file FName (created or overwritten), in the ANSI
  // code page with CR LF line ends: one line per token, a label of eleven characters and its
  // operand, then a line with the text of LastError (an empty line for the limit codes 10 to 12).
  // Characters the code page cannot hold are written as "?".
  //   "ab*[0-2]$" =>  " taNormal: a"
  //                   "  taMult0: (string) b"
  //                   "    taSet: 012"
  //                   "    taEol: "
  //                   "no errors"
  // Other labels: "taAnyByte: ", "    taBol: ", "  taMult1: ", "   taOpti: "; quantifier
  // operands "(set) <members>", "(string) <characters>", "(anychar) ".
  // Raises EInOutError (with the host's error number) when the file cannot be created (as
  // EFCreateError) or written.
  void PrintRegExp(StringView FName) const;

 private:
  friend struct detail::TGrepAccess;  // the search's tests compare it with a model on the tokens

  int32_t FLengRegExp = 0;
  bool FStopOnError = true;
  TRegExp FregExp;
  String FRegExpStr;
  bool FIgnoreCase = false;
  int32_t FError = 0;
  int32_t FMatchEndPos = 0;
  int32_t FMatchStartPos = 0;
  int32_t FSrcStartPos = 1;
  // Per token: whether characters above code 255 are members of its set (true for a negated
  // set). The membership table covers codes 0 to 255 only.
  std::array<bool, TRegExp::Size> FWideMembers{};
};

}  // namespace xan
