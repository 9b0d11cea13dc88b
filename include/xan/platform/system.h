// Kernel queries of the host: the number of processors, a millisecond tick count, and a
// short-lived raise of the calling thread's scheduling priority for time-critical measurements.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"

namespace xan {

// ================================================================================================
// Processors and time

// The number of logical processors the system has online; at least 1, also when the host cannot
// tell.
XAN_EXPORT int32_t ProcessorCount() noexcept;

// Milliseconds on a monotonic clock since an unspecified start (usually the boot of the system).
// It never goes backwards and is not changed by setting the date; in 64 bits it does not wrap.
// Two readings a millisecond apart differ by 1.
XAN_EXPORT uint64_t TickCount() noexcept;

// ================================================================================================
// Scheduling priority

// Raises the scheduling priority of the calling thread for the lifetime of the object, as far as
// the host allows, and restores what was there before when it is destroyed. Meant for short
// busy-waiting measurements: a raised thread starves the other threads of its processor.
//
// Two steps are tried, each on its own:
//   - the process step ("priority class"): the highest ordinary priority;
//   - the thread step: the highest real-time priority.
// A step the host refuses is left as it was; nothing raises. Only a step that took effect is
// undone, so the object never leaves a priority that the host would not let the program restore.
//
// On POSIX hosts the process step sets the nice value to -20 (on Linux the nice value belongs to
// the calling thread), or to the lowest value RLIMIT_NICE allows; the thread step switches the
// thread to SCHED_FIFO at the highest priority, or at the RLIMIT_RTPRIO limit. Both need
// privileges (CAP_SYS_NICE, or raised resource limits): an unprivileged program may only lower
// its priority, which it then could not undo, so without them nothing changes and ProcessRaised()
// and ThreadRaised() are false.
class XAN_EXPORT TRaisedPriority {
 public:
  TRaisedPriority() noexcept;
  ~TRaisedPriority();
  TRaisedPriority(const TRaisedPriority&) = delete;
  TRaisedPriority& operator=(const TRaisedPriority&) = delete;

  // True when the process step took effect.
  bool ProcessRaised() const noexcept { return FProcessRaised; }
  // True when the thread step took effect.
  bool ThreadRaised() const noexcept { return FThreadRaised; }

 private:
  // What the host had before, in its own terms (POSIX: the nice value, the thread's scheduling
  // policy and its priority).
  int32_t FSavedProcess = 0;
  int32_t FSavedPolicy = 0;
  int32_t FSavedThread = 0;
  bool FProcessRaised = false;
  bool FThreadRaised = false;
};

}  // namespace xan
