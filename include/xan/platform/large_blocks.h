// Memory for large arrays: blocks of megabytes taken from the host at large-page boundaries and
// offered to it for large pages, and an allocator that gives standard containers such blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "xan/platform/export.h"

namespace xan {

// The size from which AllocateLargeBlock takes a block from the host itself (2 MiB, the large
// page of x86-64 and of most 64-bit hosts). Smaller blocks come from operator new.
inline constexpr size_t LargeBlockMinimum = size_t{2} << 20;

// Allocates Bytes bytes for an array, aligned for any fundamental type.
//
// A block of LargeBlockMinimum bytes or more is mapped by the host on its own, starting at a
// multiple of LargeBlockMinimum, and the host is asked to back it with large pages where it
// can (on Linux, madvise MADV_HUGEPAGE, which transparent huge pages honour unless they are
// switched off). The first write to a fresh page costs a page fault; with large pages a block
// takes one fault per 2 MiB instead of one per 4 KiB, which matters where faults are dear (in
// virtual machines with shadow page tables a fault costs tens of microseconds). A host without
// large pages serves the block with ordinary pages: nothing else changes. The memory of a
// fresh block reads as zero bytes on POSIX hosts, but callers must not rely on that.
// Smaller blocks, and blocks on hosts without such mapping, come from operator new.
//
// Bytes 0 gives a block that may be freed and holds nothing. Raises std::bad_alloc when the
// memory cannot be had.
XAN_EXPORT void* AllocateLargeBlock(size_t Bytes);

// Frees a block of AllocateLargeBlock; Bytes must be the size it was allocated with. Null:
// nothing.
XAN_EXPORT void FreeLargeBlock(void* Block, size_t Bytes) noexcept;

// The allocator of standard containers that hold large arrays
// (std::vector<T, TLargeBlockAllocator<T>>): their storage comes from AllocateLargeBlock, so a
// vector of megabytes lies in large pages where the host has them. All instances are equal.
template <class T>
class TLargeBlockAllocator {
 public:
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                "large blocks are aligned for fundamental types only");
  using value_type = T;

  TLargeBlockAllocator() noexcept = default;
  // Implicit, as containers rebind allocators by converting them.
  template <class U>
  TLargeBlockAllocator(const TLargeBlockAllocator<U>& /*other*/) noexcept {}

  // Room for N elements; raises std::bad_array_new_length beyond the address space and
  // std::bad_alloc when the memory cannot be had.
  T* allocate(size_t N) {
    if (N > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateLargeBlock(N * sizeof(T)));
  }
  void deallocate(T* P, size_t N) noexcept { FreeLargeBlock(P, N * sizeof(T)); }

  template <class U>
  bool operator==(const TLargeBlockAllocator<U>& /*other*/) const noexcept {
    return true;
  }
};

}  // namespace xan
