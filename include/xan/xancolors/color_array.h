// TColorArray: a resizable palette component that maps positions 1..Size to colours, filled from
// key colours by interpolation, transformed, searched, copied, backed up and restored.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/types.h"
#include "xan/xanbase.h"

namespace xan {

// A palette of Size() colours, at positions counted from 1 to Size() (at least 1).
//
// A new palette holds 1000 colours spread over ColorArray_Rainbow, and a backup of them.
// Every setter and operation that changes the palette calls Changed() once at its end, which
// calls OnChange(this) when a callback is set; Assign and Backup do not notify.
// Errors: only a failed allocation raises, as EXANColArrayError with a message naming the
// component ("Component \"<Name>\": not enough memory"); the palette then keeps its old size.
// Positions out of range are clamped on reading and ignored on writing; nothing raises for them.
class XAN_EXPORT TColorArray : public TComponent {
 public:
  // A palette of 1000 colours spread over ColorArray_Rainbow, backed up. Raises
  // EXANColArrayError "Component \"\": not enough memory on heap" when that cannot be allocated.
  explicit TColorArray(TComponent* AOwner = nullptr);
  ~TColorArray() override;

  // ----------------------------------------------------------------------------------------------
  // Copying and comparing

  // From another TColorArray: copies the size, the palette and the backup, without notification.
  // Any other source is asked to copy itself (TPersistent::Assign), which raises EConvertError
  // when it cannot.
  void Assign(const TPersistent& Source) override;
  // Into another TColorArray: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // True when both palettes have the same size and the same colours in the same places (the
  // backups are not compared). An absent palette is not equal to any.
  bool IsEqual(const TColorArray& OtherColorArray) const noexcept;
  bool IsEqual(const TColorArray* OtherColorArray) const noexcept;

  // ----------------------------------------------------------------------------------------------
  // Size and elements

  // The number of colours, at least 1.
  int32_t Size() const noexcept { return FNColors; }
  // Resize(n) when n > 0 and n differs from Size(); otherwise nothing (no notification).
  void SetSize(int32_t n);
  // Gives the palette and its backup n entries: the first ones keep their colours, new ones are
  // 0. n equal to Size() returns true without change or notification; n below 1 returns false.
  // Raises EXANColArrayError "Component \"<Name>\": not enough memory" when the storage cannot be
  // allocated; the palette is then unchanged.
  bool Resize(int32_t n);

  // The colour at position ix; below 1 the first colour, above Size() the last one.
  TColor GetColorElem(int32_t ix) const noexcept;
  // Stores Value at position ix and notifies; a position outside 1..Size() is ignored (no
  // notification).
  void SetColorElem(int32_t ix, TColor Value);

  // ----------------------------------------------------------------------------------------------
  // Whole-palette operations (each notifies once, Backup excepted)

  // Every entry becomes Color.
  void Fill(TColor Color);

  // Spreads the key colours Colors over the palette: entry p of n takes the colour at a*b/n of
  // the way through the a + 1 key colours, b = p, blended by InterpolateColor. With
  // DiscreteLevels > 0, b is snapped to DiscreteLevels steps,
  // Round(Round(p/n*DiscreteLevels)*(n/DiscreteLevels)), so the palette shows DiscreteLevels + 1
  // runs of equal colours (125, 249, 251, 249, 126 entries for 4 levels on 1000 entries).
  // One key colour fills the palette with it (top byte cleared, as every blend does); no key
  // colour leaves the palette unchanged and does not notify.
  void FillByInterpolation(int32_t DiscreteLevels, std::span<const TColor> Colors);

  // Reverses the order of the entries.
  void MirrorColors();
  // Applies InvertColor to every entry.
  void InvertColors();
  // Applies ReverseRGBColor (red and blue exchanged) to every entry.
  void ReverseRGB();
  // Copies the palette into the backup; no notification.
  void Backup() noexcept;
  // Copies the backup back into the palette.
  void Restore();

  // Stretches the beginning of the palette logarithmically: entry i takes the colour of entry
  // Round(ln(i)*Gamma*n/ln(n) + (1 - Gamma)*(i - 1)) + 1 (at most n), for i = 1..n. Gamma is
  // clamped to 0..1 (NaN reads as 0): 0 leaves the colours as they are. A palette of one colour
  // keeps it. Notifies in every case.
  void LogTransform(double Gamma);

  // The first position whose colour is strictly closer to cl than any before it, by
  // RGBColorDistance, and that distance in `distance`. When no colour is closer than 1.0 (only
  // black against white is that far), the result is 1 and distance 1.0.
  int32_t ColorToIndex(TColor cl, double& distance) const noexcept;

  // Copies the source positions SourceElemLo..SourceElemHi (each clamped to 1..source size, and
  // exchanged when the low one is greater) to this palette from position DestElem on; positions
  // that fall outside this palette are skipped. Copying within one palette works as if the
  // source range were read first, so overlapping ranges come out whole. An absent source does
  // nothing (no notification); otherwise notifies once.
  void CopyFrom(const TColorArray& ColArraySource, int32_t SourceElemLo, int32_t SourceElemHi,
                int32_t DestElem);
  void CopyFrom(const TColorArray* ColArraySource, int32_t SourceElemLo, int32_t SourceElemHi,
                int32_t DestElem);

  // TODO(palette files): WriteToOpenTextFile, ReadFromOpenTextFile, StoreOnFile and LoadFromFile
  // join here with the platform's open text file; the format itself is in
  // src/xan_xancolors/palette_text.h.

  // ----------------------------------------------------------------------------------------------
  // Notification

  // Calls OnChange(this) when a callback is set.
  void Changed();
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  int32_t FNColors = 0;
  std::vector<TColor> FColArray;
  std::vector<TColor> FColArrayBak;
  TNotifyEvent FOnChange;

  // Raises EXANColArrayError with this component's name and `Reason`.
  [[noreturn]] void RaiseNoMemory(StringView Reason) const;
};

}  // namespace xan
