// Block-wise reading of a stream for the checksum and encoding functions.
#include "xan_dstruct/stream_blocks.h"

#include <algorithm>

namespace xan::detail {

TStreamBlocks::TStreamBlocks(TStream& Source, const TStream* Other)
    : FSource(Source), FCopy(Other == &Source) {}

TStreamBlocks::~TStreamBlocks() = default;

std::span<const uint8_t> TStreamBlocks::Next() {
  if (!FCopy) {
    const std::span<const uint8_t> held = FSource.Buffered();
    if (!held.empty()) {
      const size_t n = std::min(held.size(), kBlockSize);
      FSource.ConsumeBuffered(n);
      return held.first(n);
    }
  }
  if (!FBuffer) FBuffer = std::make_unique<uint8_t[]>(kBlockSize);
  const int64_t n = FSource.Read(FBuffer.get(), static_cast<int64_t>(kBlockSize));
  return {FBuffer.get(), n > 0 ? static_cast<size_t>(n) : 0};
}

void TStreamBlocks::Unread(size_t Count) {
  if (Count > 0) FSource.Seek(-static_cast<int64_t>(Count), soCurrent);
}

}  // namespace xan::detail
