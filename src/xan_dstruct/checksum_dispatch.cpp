// Run-time choice of the checksum and encoding fast paths: the processor's features asked once
// from the compiler's CPU detection, and the process-wide switch to the portable methods.
#include "xan_dstruct/checksum_dispatch.h"

#include <atomic>

namespace xan::detail {

namespace {

std::atomic<bool> portableForced{false};

TChecksumPaths DetectPaths() noexcept {
  TChecksumPaths paths;
#if XAN_X86_FAST_PATHS
  __builtin_cpu_init();
  paths.Clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1") &&
                __builtin_cpu_supports("ssse3");
  paths.ShaNi = __builtin_cpu_supports("sha") && __builtin_cpu_supports("sse4.1") &&
                __builtin_cpu_supports("ssse3");
  paths.Ssse3 = __builtin_cpu_supports("ssse3");
  paths.Sse41 = __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("ssse3");
#endif
  return paths;
}

}  // namespace

TChecksumPaths ProcessorChecksumPaths() noexcept {
  static const TChecksumPaths paths = DetectPaths();
  return paths;
}

TChecksumPaths ActiveChecksumPaths() noexcept {
  if (portableForced.load(std::memory_order_relaxed)) return {};
  return ProcessorChecksumPaths();
}

void ForcePortableChecksums(bool Force) noexcept {
  portableForced.store(Force, std::memory_order_relaxed);
}

bool PortableChecksumsForced() noexcept {
  return portableForced.load(std::memory_order_relaxed);
}

TPortableChecksumsScope::TPortableChecksumsScope() noexcept : FPrevious(PortableChecksumsForced()) {
  ForcePortableChecksums(true);
}

TPortableChecksumsScope::~TPortableChecksumsScope() {
  ForcePortableChecksums(FPrevious);
}

}  // namespace xan::detail
