// The foundation's code: the exception classes' anchors, the progress variables in their
// start-up state and the CSV delimiter lookup.
#include "xan/xanbase.h"

namespace xan {

EXANError::~EXANError() = default;
EXANColArrayError::~EXANColArrayError() = default;
EXANStringlError::~EXANStringlError() = default;
EXANDStructError::~EXANDStructError() = default;
EXANFileSysError::~EXANFileSysError() = default;
EXANCpuIdError::~EXANCpuIdError() = default;

// The foundation's start-up sets ProcStat to 0. Constant initialisation does it before any code
// runs, so no other unit's start-up (and no static initialiser of a client) can see it unset.
constinit double ProcStat = 0;
constinit double LastProcStat = 0;
constinit bool AbortMathProc = false;
constinit FeedBackProcType MathFeedBackProc = nullptr;

TCSVDelimiters ResolveCSVDelimiter(Char c) noexcept {
  for (int d = csvBlank; d <= csvTab; ++d) {
    if (CSVDELIMITERS[d] == c) return static_cast<TCSVDelimiters>(d);
  }
  return csvUnknown;
}

}  // namespace xan
