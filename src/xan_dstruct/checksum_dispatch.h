// Choosing the checksum and encoding fast paths at run time: what the processor offers, which
// paths are in use, and the switch that forces the portable methods (for tests comparing both).
#pragma once

// The fast paths are x86 instructions reached through the compiler's target attribute, so
// that the library as a whole needs no special build flag; elsewhere only the portable methods
// exist and the fast entry points fall back to them.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define XAN_X86_FAST_PATHS 1
#else
#define XAN_X86_FAST_PATHS 0
#endif

namespace xan::detail {

// The instruction-set extensions the fast paths use.
struct TChecksumPaths {
  bool Clmul = false;    // carry-less multiplication (with SSE4.1, SSSE3): CRC folding
  bool Vpclmul = false;  // the same on 512-bit registers (AVX-512 F, BW, VL): wider CRC folding
  bool ShaNi = false;    // SHA instructions (with SSE4.1): SHA-1 blocks
  bool Ssse3 = false;    // byte shuffles: Base64 encoding and decoding
  bool Sse41 = false;    // 32-bit multiplication (with SSSE3): ASCII85 decoding
};

// What this processor offers, detected once. All false on processors without fast paths.
TChecksumPaths ProcessorChecksumPaths() noexcept;

// The paths in use now: the processor's, or none while the portable methods are forced.
TChecksumPaths ActiveChecksumPaths() noexcept;

// Forces the portable methods everywhere (true) or returns to the processor's fast paths.
// Meant for tests; it is process-wide, like the other library state used from one thread.
void ForcePortableChecksums(bool Force) noexcept;

// Forces the portable methods for the lifetime of the object and restores the previous setting.
class TPortableChecksumsScope {
 public:
  TPortableChecksumsScope() noexcept;
  ~TPortableChecksumsScope();
  TPortableChecksumsScope(const TPortableChecksumsScope&) = delete;
  TPortableChecksumsScope& operator=(const TPortableChecksumsScope&) = delete;

 private:
  bool FPrevious;
};

// True while the portable methods are forced.
bool PortableChecksumsForced() noexcept;

}  // namespace xan::detail
