// Reading a stream in blocks for the checksum and encoding functions: the bytes a stream holds in
// memory already are taken where they lie, other streams are read into a buffer of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "xan/platform/streams.h"

namespace xan::detail {

// Reads a stream from its position to its end, one block at a time, never a call per byte.
class TStreamBlocks {
 public:
  // The largest block handed out: large enough to hide the cost of a call, small enough that
  // what is made of it stays in the processor's caches.
  static constexpr size_t kBlockSize = 64 * 1024;

  // Reads from `Source`. When `Other` is the same stream (a function that reads and writes one
  // stream), blocks are always copied, since writing may move the bytes held in memory.
  explicit TStreamBlocks(TStream& Source, const TStream* Other = nullptr);
  ~TStreamBlocks();
  TStreamBlocks(const TStreamBlocks&) = delete;
  TStreamBlocks& operator=(const TStreamBlocks&) = delete;

  // The next block of at most kBlockSize bytes, empty at the end of the stream. The bytes stay
  // valid until the next call of any member of the source stream. Raises what the stream raises.
  std::span<const uint8_t> Next();

  // Puts the last `Count` bytes of the last block back: the stream's position moves back to
  // just after the bytes that were used.
  void Unread(size_t Count);

 private:
  TStream& FSource;
  bool FCopy;
  std::unique_ptr<uint8_t[]> FBuffer;
};

}  // namespace xan::detail
