// The platform's graphics objects: pen, brush and font settings (and, built on them, the canvas,
// bitmap, screen and printer).
#pragma once

#include <cstdint>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"

namespace xan {

// =================================================================================================
// Pen, brush and font
//
// Plain settings objects, copied with Assign. Each fires OnChange after a setter changed it (the
// canvas that holds one listens); Assign fires it once.

// How a canvas draws lines and outlines: colour, width in pixels (at least 1) and style.
class XAN_EXPORT TPen : public TPersistent {
 public:
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  // Width in pixels; values below 1 are stored as 1.
  int32_t Width() const noexcept { return FWidth; }
  void SetWidth(int32_t Value);
  TPenStyle Style() const noexcept { return FStyle; }
  void SetStyle(TPenStyle Value);

  void Assign(const TPersistent& Source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor FColor = 0;  // black
  int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
};

// How a canvas fills areas: a colour, painted (bsSolid) or not (bsClear).
enum TBrushStyle : uint8_t { bsSolid, bsClear };

class XAN_EXPORT TBrush : public TPersistent {
 public:
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const noexcept { return FStyle; }
  void SetStyle(TBrushStyle Value);

  void Assign(const TPersistent& Source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor FColor = 0x00FFFFFF;  // white
  TBrushStyle FStyle = bsSolid;
};

// The resolution that fonts assume unless told otherwise: the screen's, 96 pixels per inch.
inline constexpr int32_t kDefaultPixelsPerInch = 96;

// A font: family name, size, colour and styles.
//
// The font keeps its height in pixels; Size (in points) is derived from it through
// PixelsPerInch, as on the platform the library was designed for:
//   Height = -round(Size * PixelsPerInch / 72),  Size = -round(Height * 72 / PixelsPerInch)
// A negative height is the character height (the em size without internal leading), which is
// what a size in points means; a positive height is the cell height (ascent plus descent).
// Changing PixelsPerInch keeps Height, so Size then reads differently.
//   default: Name u"Arial", Height -11 at 96 pixels per inch, so Size 8; colour black
//   SetSize(12) at 96 ppi => Height -16;  SetSize(12) at 300 ppi => Height -50
class XAN_EXPORT TFont : public TPersistent {
 public:
  const String& Name() const noexcept { return FName; }
  void SetName(StringView Value);
  int32_t Size() const noexcept;
  // Sets the height for Value points at the current PixelsPerInch.
  void SetSize(int32_t Value);
  int32_t Height() const noexcept { return FHeight; }
  void SetHeight(int32_t Value);
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const noexcept { return FStyle; }
  void SetStyle(TFontStyles Value);
  // Pixels per inch of the surface the font is for; values below 1 are stored as 1. Does not
  // fire OnChange (the font's pixels stay the same).
  int32_t PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(int32_t Value) noexcept;

  // Copies name, colour, styles and size of another TFont, then fires OnChange once. The font
  // keeps its own PixelsPerInch (it belongs to the surface): at equal resolutions the height is
  // copied, at different ones the size in points, so the text keeps its size on paper.
  void Assign(const TPersistent& Source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  String FName = u"Arial";
  int32_t FHeight = -11;
  TColor FColor = 0;
  TFontStyles FStyle;
  int32_t FPixelsPerInch = kDefaultPixelsPerInch;
};

}  // namespace xan
