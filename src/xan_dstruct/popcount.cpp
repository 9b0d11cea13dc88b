// Word-wise bit counting: a portable count, and on x86 a path compiled for the population count
// instruction, chosen at run time so that no special build flag is needed.
#include "xan_dstruct/popcount.h"

#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define XAN_POPCNT_DISPATCH 1
#endif

namespace xan::detail {

namespace {

inline uint64_t LoadWord(const uint8_t* p) noexcept {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The classic parallel count of one word, which compilers also turn into vector code.
inline uint64_t CountWord(uint64_t x) noexcept {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return (x * 0x0101010101010101ULL) >> 56;
}

// The last 0..7 bytes, gathered into one word.
inline uint64_t TailWord(const uint8_t* bytes, size_t count) noexcept {
  uint64_t w = 0;
  if (count != 0) std::memcpy(&w, bytes, count);
  return w;
}

inline uint64_t CountTail(const uint8_t* bytes, size_t count) noexcept {
  const uint64_t w = TailWord(bytes, count);
  return CountWord(w);
}

#ifdef XAN_POPCNT_DISPATCH
// Four independent sums keep the instruction's pipeline busy.
__attribute__((target("popcnt"))) uint64_t CountBitsPopcnt(const uint8_t* bytes,
                                                           size_t count) noexcept {
  if (count == 0) return 0;
  uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    s0 += static_cast<uint64_t>(__builtin_popcountll(LoadWord(bytes + i)));
    s1 += static_cast<uint64_t>(__builtin_popcountll(LoadWord(bytes + i + 8)));
    s2 += static_cast<uint64_t>(__builtin_popcountll(LoadWord(bytes + i + 16)));
    s3 += static_cast<uint64_t>(__builtin_popcountll(LoadWord(bytes + i + 24)));
  }
  for (; i + 8 <= count; i += 8) {
    s0 += static_cast<uint64_t>(__builtin_popcountll(LoadWord(bytes + i)));
  }
  const uint64_t tail = TailWord(bytes + i, count - i);
  return s0 + s1 + s2 + s3 + static_cast<uint64_t>(__builtin_popcountll(tail));
}

bool DetectPopcnt() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt") != 0;
}
#endif

}  // namespace

uint64_t CountBitsPortable(const uint8_t* bytes, size_t count) noexcept {
  if (count == 0) return 0;
  uint64_t sum = 0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) sum += CountWord(LoadWord(bytes + i));
  return sum + CountTail(bytes + i, count - i);
}

bool HasHardwarePopCount() noexcept {
#ifdef XAN_POPCNT_DISPATCH
  static const bool has = DetectPopcnt();
  return has;
#else
  return false;
#endif
}

uint64_t CountBits(const uint8_t* bytes, size_t count) noexcept {
#ifdef XAN_POPCNT_DISPATCH
  if (HasHardwarePopCount()) return CountBitsPopcnt(bytes, count);
#endif
  return CountBitsPortable(bytes, count);
}

}  // namespace xan::detail
