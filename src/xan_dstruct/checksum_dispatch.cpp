// Run-time choice of the checksum and encoding fast paths: the processor's features asked once
// from the compiler's CPU detection, and the process-wide switch to the portable methods.
#include "xan_dstruct/checksum_dispatch.h"

#include <atomic>

namespace xan::detail {

namespace {

std::atomic<bool> portableForced{false};

#if XAN_X86_FAST_PATHS
// Clang learnt to test for the SHA instructions with this builtin only in version 18; earlier
// versions reject the name at compile time, so builds with them keep the portable SHA-1.
bool HasShaInstructions() noexcept {
#if defined(__clang__) && __clang_major__ < 18
  return false;
#else
  return __builtin_cpu_supports("sha");
#endif
}
#endif

TChecksumPaths DetectPaths() noexcept {
  TChecksumPaths paths;
#if XAN_X86_FAST_PATHS
  __builtin_cpu_init();
  paths.Clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1") &&
                __builtin_cpu_supports("ssse3");
  paths.Vpclmul = paths.Clmul && __builtin_cpu_supports("vpclmulqdq") &&
                  __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                  __builtin_cpu_supports("avx512vl");
  paths.ShaNi =
      HasShaInstructions() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("ssse3");
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
