// Vectorised scans of UTF-16 text for the regular-expression search: the next place where two
// character probes hold, the next character in or out of a set, and the run-time choice of path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xan/platform/strings.h"

// The vector paths are x86 instructions reached through the compiler's target attribute, so that
// the library as a whole needs no special build flag; elsewhere only the portable loops exist.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define XAN_GREP_X86_PATHS 1
#else
#define XAN_GREP_X86_PATHS 0
#endif

namespace xan::detail {

// ------------------------------------------------------------------------------------------------
// The paths

// The scan paths, slowest first. Each processor uses the best one it offers.
enum TGrepScanPath : uint8_t { gspPortable, gspSse2, gspAvx2 };

// The best path this processor offers, detected once (gspPortable off x86).
TGrepScanPath ProcessorGrepScanPath() noexcept;

// The path in use: the processor's, or a slower one while a limit is set.
TGrepScanPath ActiveGrepScanPath() noexcept;

// Uses at most Path from now on (gspAvx2 lifts the limit). Meant for tests comparing the paths;
// it is process-wide, like the other library state used from one thread.
void LimitGrepScanPath(TGrepScanPath Path) noexcept;

// Limits the scan path for the lifetime of the object and restores the previous limit.
class TGrepScanPathScope {
 public:
  explicit TGrepScanPathScope(TGrepScanPath Path) noexcept;
  ~TGrepScanPathScope();
  TGrepScanPathScope(const TGrepScanPathScope&) = delete;
  TGrepScanPathScope& operator=(const TGrepScanPathScope&) = delete;

 private:
  TGrepScanPath FPrevious;
};

// ------------------------------------------------------------------------------------------------
// The scans. Indices count from 0 here; every read stays below the `to` the caller passes plus the
// offsets it declares, which the caller keeps inside the text.

// One character test: the character c passes when (c | Or) == Want. Or is 0x20 for a letter
// compared without regard to case (Want is then the lower-case letter), 0 otherwise.
struct TCharProbe {
  uint16_t Want;
  uint16_t Or;
  uint32_t Offset;  // where the probe looks, counted from the candidate position
};

// A set of UTF-16 code units as up to kMax ranges: c is in range i when
// (c - Lo[i]) mod 2^16 <= Span[i]. A member is a character in one of the ranges, or, when
// Negated, in none of them.
// (Plain data without initialisers: a search keeps one per token and fills it only when used.)
struct TCharRanges {
  static constexpr int kMax = 8;
  int32_t Count;
  bool Negated;
  uint16_t Lo[kMax];
  uint16_t Span[kMax];
};

// The first x in [from, to) where text[x + a.Offset] passes a and text[x + b.Offset] passes b; `to`
// when there is none. Reads text[from + min offset .. to - 1 + max offset].
size_t FindProbePair(const Char* text, size_t from, size_t to, TCharProbe a, TCharProbe b) noexcept;

// The first x in [from, to) whose character is a member of the set (Member true) or is not
// (Member false); `to` when there is none. Reads text[from .. to - 1].
size_t FindInRanges(const Char* text, size_t from, size_t to, const TCharRanges& set,
                    bool Member) noexcept;

}  // namespace xan::detail
