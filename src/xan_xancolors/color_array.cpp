// TColorArray: storage, element access, the whole-palette operations and the copy protocol.
#include "xan/xancolors/color_array.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "xan/xanbase.h"
#include "xan/xancolors/color_models.h"
#include "xan/xancolors/color_tables.h"
#include "xan_xancolors/color_math.h"

namespace xan {

using detail::Clamp01;
using detail::RoundEven;
using detail::TruncInt;

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FColArray.assign(1000, 0);
    FColArrayBak.assign(1000, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(u"not enough memory on heap");
  }
  FNColors = 1000;
  FillByInterpolation(0, ColorArray_Rainbow);
  Backup();
}

TColorArray::~TColorArray() = default;

void TColorArray::RaiseNoMemory(StringView Reason) const {
  throw EXANColArrayError(ComponentMessage(Reason));
}

// ------------------------------------------------------------------------------------------------
// Copying and comparing

void TColorArray::Assign(const TPersistent& Source) {
  const auto* source = dynamic_cast<const TColorArray*>(&Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  // Both copies are made before either replaces ours, so a failed allocation changes nothing.
  std::vector<TColor> palette, backup;
  try {
    palette = source->FColArray;
    backup = source->FColArrayBak;
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(u"not enough memory");
  }
  FColArray.swap(palette);
  FColArrayBak.swap(backup);
  FNColors = source->FNColors;
}

void TColorArray::AssignTo(TPersistent& Dest) const {
  if (auto* dest = dynamic_cast<TColorArray*>(&Dest)) {
    dest->Assign(*this);
  } else {
    TPersistent::AssignTo(Dest);
  }
}

bool TColorArray::IsEqual(const TColorArray& OtherColorArray) const noexcept {
  return FNColors == OtherColorArray.FNColors && FColArray == OtherColorArray.FColArray;
}

bool TColorArray::IsEqual(const TColorArray* OtherColorArray) const noexcept {
  return OtherColorArray != nullptr && IsEqual(*OtherColorArray);
}

// ------------------------------------------------------------------------------------------------
// Size and elements

void TColorArray::SetSize(int32_t n) {
  if (n > 0 && n != FNColors) Resize(n);
}

bool TColorArray::Resize(int32_t n) {
  if (n == FNColors) return true;
  if (n < 1) return false;
  const size_t old = FColArray.size();
  try {
    FColArray.resize(static_cast<size_t>(n), 0);
    FColArrayBak.resize(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    // Only the backup can have failed after the palette grew: shrink the palette back.
    FColArray.resize(old);
    RaiseNoMemory(u"not enough memory");
  }
  FNColors = n;
  Changed();
  return true;
}

TColor TColorArray::GetColorElem(int32_t ix) const noexcept {
  return FColArray[static_cast<size_t>(std::clamp(ix, 1, FNColors) - 1)];
}

void TColorArray::SetColorElem(int32_t ix, TColor Value) {
  if (ix < 1 || ix > FNColors) return;
  FColArray[static_cast<size_t>(ix - 1)] = Value;
  Changed();
}

// ------------------------------------------------------------------------------------------------
// Whole-palette operations

void TColorArray::Fill(TColor Color) {
  std::fill(FColArray.begin(), FColArray.end(), Color);
  Changed();
}

void TColorArray::FillByInterpolation(int32_t DiscreteLevels, std::span<const TColor> Colors) {
  if (Colors.empty()) return;
  const int32_t n = FNColors;
  const auto a = static_cast<int64_t>(Colors.size()) - 1;
  for (int32_t p = 1; p <= n; ++p) {
    int32_t b = p;
    if (DiscreteLevels > 0) {
      const int32_t step = RoundEven(static_cast<double>(p) / n * DiscreteLevels);
      b = RoundEven(step * (static_cast<double>(n) / DiscreteLevels));
    }
    TColor& entry = FColArray[static_cast<size_t>(p - 1)];
    if (a == 0) {
      entry = InterpolateColor(Colors[0], Colors[0], 0);
      continue;
    }
    // k stays within 0..a-1 for every b the snapping can give; the clamp guards the indexing.
    const int64_t k = std::clamp<int64_t>(TruncInt(static_cast<double>(a) * (b - 1) / n), 0, a - 1);
    const double frac = static_cast<double>(a) * b / n - static_cast<double>(k);
    entry =
        InterpolateColor(Colors[static_cast<size_t>(k)], Colors[static_cast<size_t>(k + 1)], frac);
  }
  Changed();
}

void TColorArray::MirrorColors() {
  std::reverse(FColArray.begin(), FColArray.end());
  Changed();
}

void TColorArray::InvertColors() {
  for (TColor& c : FColArray) c = InvertColor(c);
  Changed();
}

void TColorArray::ReverseRGB() {
  for (TColor& c : FColArray) c = ReverseRGBColor(c);
  Changed();
}

void TColorArray::Backup() noexcept {
  std::copy(FColArray.begin(), FColArray.end(), FColArrayBak.begin());
}

void TColorArray::Restore() {
  std::copy(FColArrayBak.begin(), FColArrayBak.end(), FColArray.begin());
  Changed();
}

void TColorArray::LogTransform(double Gamma) {
  Gamma = Clamp01(Gamma);
  const int32_t n = FNColors;
  if (n > 1) {
    const double lnN = std::log(static_cast<double>(n));
    // The source position j is never before i, so reading in place sees the old colours.
    for (int32_t i = 1; i <= n; ++i) {
      const double x = std::log(static_cast<double>(i)) * Gamma * n / lnN + (1 - Gamma) * (i - 1);
      const int32_t j = std::clamp(RoundEven(x), 0, n - 1) + 1;
      FColArray[static_cast<size_t>(i - 1)] = FColArray[static_cast<size_t>(j - 1)];
    }
  }
  Changed();
}

int32_t TColorArray::ColorToIndex(TColor cl, double& distance) const noexcept {
  distance = 1.0;
  int32_t result = 1;
  for (int32_t i = 1; i <= FNColors; ++i) {
    const double d = RGBColorDistance(FColArray[static_cast<size_t>(i - 1)], cl);
    if (d < distance) {
      result = i;
      distance = d;
    }
  }
  return result;
}

void TColorArray::CopyFrom(const TColorArray& ColArraySource, int32_t SourceElemLo,
                           int32_t SourceElemHi, int32_t DestElem) {
  const int32_t size = ColArraySource.FNColors;
  int32_t lo = std::clamp(SourceElemLo, 1, size);
  int32_t hi = std::clamp(SourceElemHi, 1, size);
  if (lo > hi) std::swap(lo, hi);
  const auto copy = [&](int32_t ix) {
    const int64_t dest = static_cast<int64_t>(DestElem) + (ix - lo);
    if (dest >= 1 && dest <= FNColors) {
      FColArray[static_cast<size_t>(dest - 1)] = ColArraySource.GetColorElem(ix);
    }
  };
  // Within one palette, a destination after the source is filled from the back, so that no
  // colour is overwritten before it has been copied.
  if (&ColArraySource == this && DestElem > lo) {
    for (int32_t ix = hi; ix >= lo; --ix) copy(ix);
  } else {
    for (int32_t ix = lo; ix <= hi; ++ix) copy(ix);
  }
  Changed();
}

void TColorArray::CopyFrom(const TColorArray* ColArraySource, int32_t SourceElemLo,
                           int32_t SourceElemHi, int32_t DestElem) {
  if (ColArraySource != nullptr) CopyFrom(*ColArraySource, SourceElemLo, SourceElemHi, DestElem);
}

// ------------------------------------------------------------------------------------------------
// Notification

void TColorArray::Changed() {
  if (FOnChange) FOnChange(this);
}

}  // namespace xan
