// The palette text format: header and colour lines, written and read over line callbacks.
#include "xan_xancolors/palette_text.h"

#include <string>
#include <utility>

#include "platform/simple_text.h"
#include "xan/xancolors/color_models.h"
#include "xan_xancolors/color_math.h"

namespace xan::detail {

namespace {

bool IsSeparator(Char c) noexcept {
  return c == u' ' || c == u'\t';
}

// Reads the word at `i`, after the separators before it, as an optionally signed decimal
// integer; `i` ends at the separator after the word or at the end of the text.
bool ReadInteger(StringView text, size_t& i, int32_t& value) noexcept {
  while (i < text.size() && IsSeparator(text[i])) ++i;
  const size_t start = i;
  while (i < text.size() && !IsSeparator(text[i])) ++i;
  return ReadDecimal(text.substr(start, i - start), value) == TDecimalRead::Ok;
}

}  // namespace

void PaletteWriteRange(int32_t size, int32_t& first, int32_t& last) noexcept {
  if (last < first) std::swap(first, last);
  if (first < 1) first = 1;
  if (last > size) last = size;
}

bool WritePaletteText(const TColorArray& palette, int32_t first, int32_t last,
                      const TPaletteLineWriter& writeLine) {
  PaletteWriteRange(palette.Size(), first, last);
  if (!writeLine(DecimalText(first) + u' ' + DecimalText(last))) return false;
  for (int32_t ix = first; ix <= last; ++ix) {
    if (!writeLine(ColorToHexStr(palette.GetColorElem(ix)))) return false;
  }
  return true;
}

bool ParsePaletteHeader(StringView line, int32_t& first, int32_t& last) noexcept {
  size_t i = 0;
  int32_t a = 0, b = 0;
  if (!ReadInteger(line, i, a) || i == line.size() || !ReadInteger(line, i, b)) return false;
  first = a;
  last = b;
  return true;
}

bool ReadPaletteText(TColorArray& palette, int32_t first, int32_t last, bool adjustSize,
                     const TPaletteLineReader& readLine) {
  // A damaged header must not make us allocate gigabytes; the palette is then too small.
  if (adjustSize && last <= MaxPaletteFileColors) palette.Resize(last);
  bool result = false;
  if (palette.Size() >= last) {
    result = true;
    String line;
    for (int64_t ix = first; ix <= last && readLine(line); ++ix) {
      TColor color = 0;
      if (ReadHexColor(line, color)) palette.SetColorElem(static_cast<int32_t>(ix), color);
    }
  }
  palette.Changed();
  return result;
}

}  // namespace xan::detail
