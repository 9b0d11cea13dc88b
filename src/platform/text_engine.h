// The text engine behind a canvas: finds the face for a font, measures text and draws it into a
// raster. The host file (posix/fonts.inc) implements it; the canvas only sees this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "xan/platform/graphics.h"

namespace xan::detail {

// One per canvas: it keeps the face of the font last used and the glyphs drawn with it, and
// finds a new face when the font's name, height or bold/italic style changes.
class TTextEngine {
 public:
  TTextEngine();
  ~TTextEngine();
  TTextEngine(const TTextEngine&) = delete;
  TTextEngine& operator=(const TTextEngine&) = delete;

  // The measures of Font's face; all 0 when no face can be loaded.
  TTextMetric Metrics(const TFont& Font);
  // The sum of the advance widths of Text's characters (clamped to the 32-bit range).
  int32_t Width(const TFont& Font, StringView Text);
  // Draws Text with the top-left corner of its cell at (X, Y) into Bits (Width x Height pixels of
  // 0x00RRGGBB), blending Pixel by each glyph's coverage, with the underline and strike-out the
  // font asks for. Nothing outside the raster is touched.
  void Draw(const TFont& Font, uint32_t* Bits, int32_t Width, int32_t Height, int64_t X, int64_t Y,
            StringView Text, uint32_t Pixel);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace xan::detail

namespace xan::host {

// The font families the host knows, each name once (in any order, case as the host gives it).
std::vector<String> FontFamilies();

}  // namespace xan::host
