// The pen, brush and font settings objects of the platform's graphics, and its two errors.
#include "xan/platform/graphics.h"

#include <cmath>

namespace xan {

namespace {

// round(a * b / c) with halves away from zero, in 64 bits, clamped to the 32-bit range.
int32_t MulDiv(int32_t a, int32_t b, int32_t c) noexcept {
  const double v = std::round(static_cast<double>(a) * b / c);
  if (v >= INT32_MAX) return INT32_MAX;
  if (v <= INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

EInvalidGraphic::~EInvalidGraphic() = default;
EPrinter::~EPrinter() = default;

// =================================================================================================
// TPen

void TPen::Changed() {
  if (FOnChange) FOnChange(this);
}

void TPen::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int32_t Value) {
  FWidth = Value < 1 ? 1 : Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  FStyle = Value;
  Changed();
}

void TPen::Assign(const TPersistent& Source) {
  if (const auto* pen = dynamic_cast<const TPen*>(&Source)) {
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// =================================================================================================
// TBrush

void TBrush::Changed() {
  if (FOnChange) FOnChange(this);
}

void TBrush::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  FStyle = Value;
  Changed();
}

void TBrush::Assign(const TPersistent& Source) {
  if (const auto* brush = dynamic_cast<const TBrush*>(&Source)) {
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// =================================================================================================
// TFont

void TFont::Changed() {
  if (FOnChange) FOnChange(this);
}

void TFont::SetName(StringView Value) {
  FName = String(Value);
  Changed();
}

int32_t TFont::Size() const noexcept {
  return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int32_t Value) {
  FHeight = -MulDiv(Value, FPixelsPerInch, 72);
  Changed();
}

void TFont::SetHeight(int32_t Value) {
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  FStyle = Value;
  Changed();
}

void TFont::SetPixelsPerInch(int32_t Value) noexcept {
  FPixelsPerInch = Value < 1 ? 1 : Value;
}

void TFont::Assign(const TPersistent& Source) {
  if (const auto* font = dynamic_cast<const TFont*>(&Source)) {
    FName = font->FName;
    FColor = font->FColor;
    FStyle = font->FStyle;
    FHeight = FPixelsPerInch == font->FPixelsPerInch ? font->FHeight
                                                     : -MulDiv(font->Size(), FPixelsPerInch, 72);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace xan
