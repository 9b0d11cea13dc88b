// The search of the regular-expression matcher over its compiled tokens, and the switch with
// which tests reach its remembering of failed sub-searches from the first step on.
#pragma once

#include <array>
#include <cstdint>

#include "xan/platform/strings.h"
#include "xan/stringl/grep.h"

namespace xan::detail {

// Positions beyond this are not searched, so that position arithmetic stays within 32 bits.
inline constexpr int32_t GrepMaxTextLength = 2147483647 - 2 * 256;

// Searches Text for the compiled tokens 1..Count (Count >= 1) from position Start on
// (1 <= Start; beyond the position just past the end nothing is found), by the rules of
// TGrep::MatchString without its one-token shortcut. Returns whether there is a match; writes
// every token's ValidFrom as a search that tries each start and each candidate in turn leaves
// it, and EndPos (the position of the match's last character) only on a match. Wide[k - 1] says
// whether characters above code 255 belong to token k's set; Fold compares the text lowered
// ("A".."Z" only), the tokens being lowered already. Raises nothing.
bool GrepSearch(TRegExp& Tokens, int32_t Count, const std::array<bool, TRegExp::Size>& Wide,
                bool Fold, StringView Text, int32_t Start, int32_t& EndPos) noexcept;

// The compiled form inside a TGrep, for tests that run another search over the same tokens.
struct TGrepAccess {
  static TRegExp& Tokens(TGrep& Grep) noexcept { return Grep.FregExp; }
  static const std::array<bool, TRegExp::Size>& Wide(const TGrep& Grep) noexcept {
    return Grep.FWideMembers;
  }
};

// Where the search starts to use its shortcuts. On short texts the plain trials cost less than
// choosing a start filter, making a set's ranges, or working out the positions a failed search
// leaves once starts were passed over; tests lower the thresholds to reach the shortcuts with
// short texts too. Process-wide, like the other library state used from one thread.
struct TGrepTuning {
  int32_t FilterFrom = 1024;    // texts this long get start filters and sampled string probes
  int32_t VectorSetFrom = 256;  // scans for a set's members this long use the vector paths
  bool MemoFromStart = false;   // remember failed trials from the first step, not after many
};

TGrepTuning GrepTuning() noexcept;
void SetGrepTuning(const TGrepTuning& Tuning) noexcept;

}  // namespace xan::detail
