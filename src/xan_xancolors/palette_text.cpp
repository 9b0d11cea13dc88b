// The palette text format: header and colour lines, written and read over line callbacks.
#include "xan_xancolors/palette_text.h"

#include <charconv>
#include <string>
#include <utility>

#include "xan/xancolors/color_models.h"
#include "xan_xancolors/color_math.h"

namespace xan::detail {

namespace {

String DecimalText(int32_t value) {
  char buffer[16];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return String(buffer, end);
}

bool IsSeparator(Char c) noexcept {
  return c == u' ' || c == u'\t';
}

// Reads an optionally signed decimal integer at `i`, skipping separators before it; the number
// must end at a separator or at the end of the text.
bool ReadInteger(StringView text, size_t& i, int32_t& value) noexcept {
  while (i < text.size() && IsSeparator(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  const size_t start = i;
  int64_t v = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    v = v * 10 + (text[i] - u'0');
    if (v > int64_t{2147483648}) return false;
  }
  if (i == start || (i < text.size() && !IsSeparator(text[i]))) return false;
  if (negative) v = -v;
  if (v > 2147483647) return false;
  value = static_cast<int32_t>(v);
  return true;
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
  if (adjustSize) palette.Resize(last);
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
