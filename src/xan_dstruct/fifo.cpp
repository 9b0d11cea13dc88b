// TFifo: the byte ring, its two ends and resizing with the held bytes kept in order.
#include "xan/dstruct/fifo.h"

#include <algorithm>

#include "xan_dstruct/component_support.h"

namespace xan {

namespace {
constexpr StringView kTooLarge = u"FIFO structure too large";
}  // namespace

TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner), FInPoi(0), FOutPoi(0), FLength(256) {
  detail::GuardStorage(*this, kTooLarge, [&] { FData.assign(static_cast<size_t>(FLength), 0); });
}

TFifo::~TFifo() = default;

void TFifo::SetSize(int32_t length) {
  if (length <= 0 || length == FLength) return;
  // The held bytes move, oldest first, to the start of the new ring.
  const int32_t kept = std::min(CountBytes(), length - 1);
  TBytes ring = detail::GuardStorage(*this, kTooLarge, [&] {
    TBytes r(static_cast<size_t>(length), 0);
    for (int32_t i = 0; i < kept; ++i) SenseByte(i, r[static_cast<size_t>(i)]);
    return r;
  });
  FData.swap(ring);
  FLength = length;
  FOutPoi = 0;
  FInPoi = kept;
}

bool TFifo::PutByte(uint8_t InByte) noexcept {
  if (Full()) return false;
  FData[static_cast<size_t>(FInPoi)] = InByte;
  FInPoi = Advance(FInPoi);
  return true;
}

bool TFifo::ForceByte(uint8_t InByte) noexcept {
  if (FLength == 1) return true;
  const bool dropped = Full();
  if (dropped) FOutPoi = Advance(FOutPoi);
  FData[static_cast<size_t>(FInPoi)] = InByte;
  FInPoi = Advance(FInPoi);
  return dropped;
}

bool TFifo::GetByte(uint8_t& OutByte) noexcept {
  if (FInPoi == FOutPoi) return false;
  OutByte = FData[static_cast<size_t>(FOutPoi)];
  FOutPoi = Advance(FOutPoi);
  return true;
}

bool TFifo::SenseByte(int32_t ix, uint8_t& OutByte) const noexcept {
  if (ix < 0 || ix >= CountBytes()) return false;
  // Wraps without forming FOutPoi + ix, which could pass the largest int32 in a huge ring.
  const int32_t toEnd = FLength - FOutPoi;
  const int32_t at = ix < toEnd ? FOutPoi + ix : ix - toEnd;
  OutByte = FData[static_cast<size_t>(at)];
  return true;
}

bool TFifo::LoadBack(uint8_t InByte) noexcept {
  if (Full()) return false;
  FOutPoi = FOutPoi == 0 ? FLength - 1 : FOutPoi - 1;
  FData[static_cast<size_t>(FOutPoi)] = InByte;
  return true;
}

int32_t TFifo::CountBytes() const noexcept {
  const int32_t n = FInPoi - FOutPoi;
  return n < 0 ? n + FLength : n;
}

void TFifo::Clear() noexcept {
  FInPoi = 0;
  FOutPoi = 0;
}

}  // namespace xan
