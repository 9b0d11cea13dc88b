// Large blocks: sizes on both sides of the mapping threshold, alignment, contents that stay apart,
// the large-page advice as the host records it, refused sizes and the container allocator.
#include "xan/platform/large_blocks.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/mman.h>
#endif

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_host.h"

namespace xan {
namespace {

// Fills the block with a pattern of its own (Seed) and tells whether it still holds it.
void Fill(void* Block, size_t Bytes, uint8_t Seed) {
  auto* p = static_cast<uint8_t*>(Block);
  for (size_t i = 0; i < Bytes; ++i) p[i] = static_cast<uint8_t>(Seed + i * 7 + (i >> 12));
}
bool Holds(const void* Block, size_t Bytes, uint8_t Seed) {
  const auto* p = static_cast<const uint8_t*>(Block);
  for (size_t i = 0; i < Bytes; ++i) {
    if (p[i] != static_cast<uint8_t>(Seed + i * 7 + (i >> 12))) return false;
  }
  return true;
}

TEST(LargeBlocks, SizesAroundTheThresholdHoldTheirBytesApart) {
  const size_t sizes[] = {0,
                          1,
                          15,
                          4096,
                          LargeBlockMinimum - 1,
                          LargeBlockMinimum,
                          LargeBlockMinimum + 1,
                          3 * LargeBlockMinimum + 4095,
                          5 * LargeBlockMinimum};
  std::vector<void*> blocks;
  uint8_t seed = 1;
  for (const size_t n : sizes) {
    void* const b = AllocateLargeBlock(n);
    ASSERT_NE(b, nullptr) << n;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % __STDCPP_DEFAULT_NEW_ALIGNMENT__, 0U) << n;
#if defined(__unix__) || defined(__APPLE__)
    if (n >= LargeBlockMinimum) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % LargeBlockMinimum, 0U) << n;
    }
#endif
    Fill(b, n, seed++);
    blocks.push_back(b);
  }
  // Every block still holds its own pattern once all of them are written: none overlaps another
  // or is shorter than asked.
  seed = 1;
  for (size_t k = 0; k < blocks.size(); ++k) EXPECT_TRUE(Holds(blocks[k], sizes[k], seed++));
  for (size_t k = 0; k < blocks.size(); ++k) FreeLargeBlock(blocks[k], sizes[k]);
  FreeLargeBlock(nullptr, LargeBlockMinimum);
  FreeLargeBlock(nullptr, 0);
}

TEST(LargeBlocks_Linux, TheHostRecordsTheLargePageAdvice) {
  XAN_ONLY_ON_LINUX();
#if !defined(_WIN32)
  // The kernel lists each mapping of the process in /proc/self/smaps; "hg" among its VmFlags is
  // the advice MADV_HUGEPAGE. Without transparent huge pages the kernel refuses the advice.
  if (!std::filesystem::exists("/proc/self/smaps")) GTEST_SKIP() << "no /proc/self/smaps";
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage")) {
    GTEST_SKIP() << "the kernel has no transparent huge pages";
  }
  {
    // Whether this kernel takes the advice at all (a container's seccomp filter or a kernel
    // built without it refuses it), asked of a mapping of the test's own.
    const size_t probeSize = size_t{2} << 20;
    void* const probe =
        ::mmap(nullptr, probeSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(probe, MAP_FAILED);
    const bool taken = ::madvise(probe, probeSize, MADV_HUGEPAGE) == 0;
    ::munmap(probe, probeSize);
    if (!taken) GTEST_SKIP() << "the kernel refuses the large-page advice (MADV_HUGEPAGE)";
  }
  const size_t n = 3 * LargeBlockMinimum;
  void* const b = AllocateLargeBlock(n);
  std::memset(b, 1, n);
  const auto start = reinterpret_cast<uintptr_t>(b);
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inBlock = false;
  bool found = false;
  std::string flags;
  while (std::getline(smaps, line)) {
    uintptr_t from = 0;
    uintptr_t to = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> from >> dash >> to && dash == '-') {
      inBlock = from <= start && start + n <= to;
      found = found || inBlock;
    } else if (inBlock && line.rfind("VmFlags:", 0) == 0) {
      flags = line;
    }
  }
  FreeLargeBlock(b, n);
  ASSERT_TRUE(found) << "no single mapping covers the block";
  EXPECT_NE((flags + " ").find(" hg "), std::string::npos) << flags;
#endif
}

TEST(LargeBlocks, SizesBeyondTheAddressSpaceAreRefused) {
  EXPECT_THROW(AllocateLargeBlock(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(AllocateLargeBlock(SIZE_MAX - LargeBlockMinimum), std::bad_alloc);
  EXPECT_THROW(AllocateLargeBlock(SIZE_MAX / 2), std::bad_alloc);
  TLargeBlockAllocator<uint64_t> a;
  EXPECT_THROW(a.allocate(SIZE_MAX / 4), std::bad_array_new_length);
  EXPECT_THROW(a.allocate(SIZE_MAX / 16), std::bad_alloc);
}

TEST(LargeBlocks, VectorsGrowThroughTheThresholdKeepingTheirElements) {
  // 8 MiB of elements: the vector moves from operator new to mapped blocks and between mapped
  // blocks as it grows, and shrinks back below the threshold.
  std::vector<uint64_t, TLargeBlockAllocator<uint64_t>> v;
  constexpr uint64_t kCount = 1 << 20;
  for (uint64_t i = 0; i < kCount; ++i) v.push_back(i * 0x9E3779B97F4A7C15u);
  for (uint64_t i = 0; i < kCount; ++i) ASSERT_EQ(v[i], i * 0x9E3779B97F4A7C15u) << i;
  std::vector<uint64_t, TLargeBlockAllocator<uint64_t>> copy = v;
  v.resize(1000);
  v.shrink_to_fit();
  EXPECT_EQ(v.back(), 999 * 0x9E3779B97F4A7C15u);
  EXPECT_EQ(copy[kCount - 1], (kCount - 1) * 0x9E3779B97F4A7C15u);
  EXPECT_TRUE(TLargeBlockAllocator<char>() == TLargeBlockAllocator<uint64_t>());
}

}  // namespace
}  // namespace xan
