// Fuzz target: TGrep compiling any pattern and matching it against any text. A match lies
// within the text, and searching again from where it starts finds it there again.
#include "fuzz_support.h"
#include "xan/stringl/grep.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const uint8_t flags = choices.Byte();
  const int32_t start = static_cast<int32_t>(choices.Byte() % 8) - 1;
  // The pattern is the first line; the text the rest, as bytes or as UTF-8.
  const xan::String pattern = xan::BytesToString(choices.Until('\n', 400));
  xan::String text =
      (flags & 2) ? xan::FromUtf8(choices.Rest()) : xan::BytesToString(choices.Rest());

  xan::TGrep grep;
  grep.SetStopOnError(false);
  grep.SetIgnoreCase((flags & 1) != 0);
  grep.SetRegExp(pattern);
  const int32_t error = grep.LastError();
  FUZZ_CHECK(error >= 0 && error <= 12, "an error code outside the table");
  FUZZ_CHECK(grep.NrOfRegExpTokens() >= 0 && grep.NrOfRegExpTokens() <= xan::TRegExp::Size,
             "more tokens than the compiled form holds");
  for (int32_t i = 0; i <= grep.NrOfRegExpTokens() + 1; ++i) grep.GetRegExpToken(i);

  // The search remembers failed trials, so its time grows at worst with the number of tokens
  // times the square of the text's length once two quantifiers can take most of the text. The
  // text is kept short enough for each input to take milliseconds.
  int quantifiers = 0;
  for (int32_t i = 1; i <= grep.NrOfRegExpTokens(); ++i) {
    const xan::TGrepTokenAct a = grep.GetRegExpToken(i).Action;
    quantifiers += a == xan::taMult0 || a == xan::taMult1 || a == xan::taOpti ? 1 : 0;
  }
  text.resize(std::min(text.size(), quantifiers < 2 ? size_t{65536} : size_t{512}));

  grep.SetSearchStartPos(start);
  int32_t pos = 0;
  if (!grep.MatchString(text, pos)) return 0;
  const auto length = static_cast<int32_t>(text.size());
  const int32_t first = grep.MatchStartPos(), last = grep.MatchEndPos();
  FUZZ_CHECK(pos == first, "MatchPos and MatchStartPos differ");
  // A lone "^" ends its empty match at 1, as its table of ends has it; every other match ends
  // within the text, at least at the position before its start.
  const bool bolOnly = grep.NrOfRegExpTokens() == 1 && grep.GetRegExpToken(1).Action == xan::taBol;
  FUZZ_CHECK(first >= 1 && first <= length + 1, "a match that begins outside the text");
  FUZZ_CHECK(bolOnly ? last == 1 : last >= first - 1 && last <= length,
             "a match ends outside the text");
  if (grep.NrOfRegExpTokens() > 1 || grep.GetRegExpToken(1).Action != xan::taMult0) {
    FUZZ_CHECK(first >= std::max(start, 1), "a match before the start position");
    grep.SetSearchStartPos(first);
    int32_t again = 0;
    FUZZ_CHECK(grep.MatchString(text, again) && again == first && grep.MatchEndPos() == last,
               "the match is not found again from where it starts");
  }
  if (flags & 4) {
    static const xanfuzz::TempFile listing("grep");
    grep.PrintRegExp(listing.Name());
  }
  return 0;
}
