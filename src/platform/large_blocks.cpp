// Memory for large arrays: blocks from LargeBlockMinimum bytes on mapped by the host at large-page
// boundaries, smaller ones from operator new. The host code is chosen here by inclusion.
#include "xan/platform/large_blocks.h"

#include <new>

#if defined(_WIN32)
#include "win32/large_blocks.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/large_blocks.inc"
#else
namespace xan::host {
// A host without an implementation serves every block from operator new.
constexpr bool kMapsLargeBlocks = false;
inline void* MapLargeBlock(size_t /*Bytes*/) noexcept {
  return nullptr;
}
inline void UnmapLargeBlock(void* /*Block*/, size_t /*Bytes*/) noexcept {}
}  // namespace xan::host
#endif

namespace xan {

namespace {
bool IsMapped(size_t Bytes) noexcept {
  return host::kMapsLargeBlocks && Bytes >= LargeBlockMinimum;
}
}  // namespace

void* AllocateLargeBlock(size_t Bytes) {
  if (!IsMapped(Bytes)) return ::operator new(Bytes);
  void* const block = host::MapLargeBlock(Bytes);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeLargeBlock(void* Block, size_t Bytes) noexcept {
  if (Block == nullptr) return;
  if (IsMapped(Bytes)) {
    host::UnmapLargeBlock(Block, Bytes);
  } else {
    ::operator delete(Block);
  }
}

}  // namespace xan
