// The host's kernel queries: processor count, the monotonic tick count and the priority raise
// with its restoration.
#include "xan/platform/system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#endif

#include "test_host.h"

namespace xan {
namespace {

TEST(System, ProcessorCountIsTheOnlineCount) {
  EXPECT_GE(ProcessorCount(), 1);
  if (const unsigned n = std::thread::hardware_concurrency(); n > 0) {
    EXPECT_EQ(ProcessorCount(), static_cast<int32_t>(n));
  }
}

TEST(System, TickCountFollowsTheSteadyClockInMilliseconds) {
  const auto c0 = std::chrono::steady_clock::now();
  const uint64_t t0 = TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const uint64_t t1 = TickCount();
  const auto c1 = std::chrono::steady_clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(c1 - c0).count();
  EXPECT_GE(t1 - t0, 59U);
  EXPECT_LE(t1 - t0, static_cast<uint64_t>(elapsed) + 1);
  for (uint64_t last = TickCount(), i = 0; i < 100000; ++i) {
    const uint64_t now = TickCount();
    ASSERT_GE(now, last);
    last = now;
  }
}

TEST(System, TickCountChangesByOne) {
  // A busy host can hold the thread up between two readings, so one clean step of a single
  // millisecond among twenty is what shows the resolution; a coarser clock never makes one.
  uint64_t smallest = UINT64_MAX;
  for (int i = 0; i < 20; ++i) {
    const uint64_t t0 = TickCount();
    uint64_t t1 = t0;
    while (t1 == t0) t1 = TickCount();
    smallest = std::min(smallest, t1 - t0);
  }
  EXPECT_EQ(smallest, 1U);
}

#if defined(_WIN32)

struct Scheduling {
  DWORD cls = 0;
  int priority = 0;
  friend bool operator==(const Scheduling&, const Scheduling&) = default;
};

Scheduling Current() {
  return {::GetPriorityClass(::GetCurrentProcess()), ::GetThreadPriority(::GetCurrentThread())};
}

TEST(RaisedPriority_Windows, RaisesClassAndThreadAndRestoresThem) {
  const Scheduling before = Current();
  {
    const TRaisedPriority raised;
    const Scheduling during = Current();
    EXPECT_EQ(during.cls, raised.ProcessRaised() ? DWORD{HIGH_PRIORITY_CLASS} : before.cls);
    EXPECT_EQ(during.priority,
              raised.ThreadRaised() ? THREAD_PRIORITY_TIME_CRITICAL : before.priority);
    {
      // Nothing is higher than what the outer raise reached: the inner one leaves it alone.
      const TRaisedPriority inner;
      EXPECT_FALSE(raised.ThreadRaised() && inner.ThreadRaised());
      EXPECT_FALSE(raised.ProcessRaised() && inner.ProcessRaised());
    }
    EXPECT_EQ(Current(), during);
  }
  EXPECT_EQ(Current(), before);
}

TEST(RaisedPriority_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

#elif defined(__unix__) || defined(__APPLE__)

TEST(RaisedPriority_Windows, NotThisHost) {
  XAN_ONLY_ON_WINDOWS();
}

struct Scheduling {
  int nice = 0;
  int policy = 0;
  int priority = 0;
  friend bool operator==(const Scheduling&, const Scheduling&) = default;
};

Scheduling Current() {
  Scheduling s;
  s.nice = getpriority(PRIO_PROCESS, 0);
  sched_param param{};
  pthread_getschedparam(pthread_self(), &s.policy, &param);
  s.priority = param.sched_priority;
  return s;
}

TEST(RaisedPriority_Linux, RaisesWhatTheHostAllowsAndRestoresIt) {
  const Scheduling before = Current();
  {
    const TRaisedPriority raised;
    const Scheduling during = Current();
    if (raised.ProcessRaised()) {
      EXPECT_LT(during.nice, before.nice);
    } else {
      EXPECT_EQ(during.nice, before.nice);
    }
    if (raised.ThreadRaised()) {
      EXPECT_EQ(during.policy, SCHED_FIFO);
      EXPECT_GT(during.priority, 0);
    } else {
      EXPECT_EQ(during.policy, before.policy);
      EXPECT_EQ(during.priority, before.priority);
    }
    std::printf("process raised: %d, thread raised: %d\n", raised.ProcessRaised(),
                raised.ThreadRaised());
  }
  EXPECT_EQ(Current(), before);
}

TEST(RaisedPriority_Linux, NestedRaisesUnwindInOrder) {
  const Scheduling before = Current();
  {
    const TRaisedPriority outer;
    const Scheduling raised = Current();
    {
      // Nothing is higher than what the outer raise reached: the inner one leaves it alone.
      const TRaisedPriority inner;
      EXPECT_FALSE(outer.ThreadRaised() && inner.ThreadRaised());
      EXPECT_FALSE(raised.nice == -20 && inner.ProcessRaised());
    }
    EXPECT_EQ(Current(), raised);
  }
  EXPECT_EQ(Current(), before);
}

#endif

}  // namespace
}  // namespace xan
