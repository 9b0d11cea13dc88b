// Canvas drawing helpers for chart and plot components: plain and three-dimensional frames, data
// point marks, a mark as a bitmap, a bitmap on the printer's page, the TrueType test of a font and
// a font size set at the screen's scale.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "xan/platform/export.h"
#include "xan/platform/graphics.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"
#include "xan/xanbase.h"

namespace xan {

// =================================================================================================
// Frames
//
// Coordinates are the canvas's pixels; lines follow LineTo, which leaves out its end pixel.

// Draws the outline of the rectangle (x1, y1)-(x2, y2) with the canvas's pen: MoveTo(x1, y1),
// then LineTo to (x1, y2), (x2, y2), (x2, y1) and back to (x1, y1). For x1 <= x2 and y1 <= y2 it
// covers the columns x1..x2 and the rows y1..y2 of the border.
XAN_EXPORT void DrawRectangle(TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Draws a frame around (x1, y1)-(x2, y2) in a style:
//   fsNone      nothing;
//   fsSimple    DrawRectangle in colour c5;
//   the others  two nested outlines in four colours, leaving the pen colour at the last:
//               outer left and top, outer right and bottom, inner left and top, inner right and
//               bottom, coloured
//     fsLowered   c3 c1 c4 c2      fsEmbossed  c1 c3 c3 c1
//     fsRaised    c1 c4 c2 c3      fsEngraved  c3 c1 c1 c3
// (c1 the highlight, c2 the light tone, c3 the shadow, c4 the dark shadow).
//   fsRaised on (0, 0, 10, 10) => (0,0) and (10,0) in c1, (10,5) and (0,10) in c4, (1,1) in c2,
//   (9,9) in c3
XAN_EXPORT void DrawFrame(TCanvas& canvas, TFrameStyle style, int32_t x1, int32_t y1, int32_t x2,
                          int32_t y2, TColor c1, TColor c2, TColor c3, TColor c4, TColor c5);

// =================================================================================================
// Marks

// Rows 1..7 of the pixel patterns of marks 1..18: bit j (1 = least significant) of row i set puts
// the pixel (x + 4 - j, y + i - 4) into the mark centred at (x, y). Marks 1-6 and 18 are drawn
// from it; 7-17 describe the same shapes as the marks drawn by those numbers.
inline constexpr std::array<std::array<uint8_t, 7>, 18> MarkPatterns = {{
    {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00},  // 1
    {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00},  // 2
    {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08},  // 3
    {0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00},  // 4
    {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00},  // 5
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41},  // 6
    {0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x00, 0x00},  // 7
    {0x00, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x00},  // 8
    {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F},  // 9
    {0x00, 0x00, 0x1C, 0x14, 0x1C, 0x00, 0x00},  // 10
    {0x00, 0x3E, 0x22, 0x22, 0x22, 0x3E, 0x00},  // 11
    {0x7F, 0x41, 0x41, 0x41, 0x41, 0x41, 0x7F},  // 12
    {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00},  // 13
    {0x00, 0x08, 0x1C, 0x3E, 0x1C, 0x08, 0x00},  // 14
    {0x08, 0x1C, 0x3E, 0x7F, 0x3E, 0x1C, 0x08},  // 15
    {0x00, 0x1C, 0x22, 0x22, 0x22, 0x1C, 0x00},  // 16
    {0x1C, 0x22, 0x41, 0x41, 0x41, 0x22, 0x1C},  // 17
    {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55},  // 18
}};

// Draws mark MarkType centred at (x, y) in the canvas's pen colour, leaving the brush colour as it
// found it:
//   0        one pixel;
//   1..51    small shapes: crosses, squares, diamonds, circles, triangles and combinations of
//            them, drawn with LineTo, Rectangle, Ellipse, Polygon and single pixels; filled
//            shapes with a solid brush in the pen colour, open ones with a clear brush (the brush
//            is solid afterwards);
//   200..209 the digits "0".."9", and every other value the character of that code, centred
//            (TextOut at x - width div 2, y - height div 2) in the font of the canvas, coloured
//            with the pen colour; the brush stays clear afterwards.
// On the printer's canvas (Printer().Canvas()) marks 1-6 are drawn as lines of half-size 2..4
// instead of the pixel patterns, mark 18 as 25 dots of one-pixel lines and mark 25 a pixel smaller.
//   205 => the digit "5";  65 => the letter "A"
XAN_EXPORT void DrawMarkOnCanvas(TCanvas& canvas, uint8_t MarkType, int32_t x, int32_t y);

// A new bitmap of (2 * margin + 7) pixels square (margin clamped to 0..255, so 7 to 517 pixels),
// filled with BkColor, with mark MarkType drawn in MarkColor at its centre (margin + 3, margin +
// 3). The caller owns the bitmap.
//   mark 9, margin 0 => 7 x 7 pixels all MarkColor;  margin -1 => 7 x 7;  margin 300 => 517 x 517
XAN_EXPORT std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t MarkType, TColor MarkColor,
                                                       TColor BkColor, int32_t Margin);

// =================================================================================================
// Printing and fonts

// Copies Bitmap pixel for pixel (in printer pixels, unscaled) onto the printer's page with its
// top-left corner at (x, y). The caller has begun the print job (Printer().BeginDoc()); outside a
// job nothing is drawn.
XAN_EXPORT void PrintBitmap(const TBitmap& Bitmap, int32_t x, int32_t y);

// Whether the installed font FontName is a TrueType font: the face fontconfig matches for it comes
// in the TrueType container (fontconfig's font format "TrueType", or "CFF" for OpenType fonts with
// PostScript outlines, which the GDI flags as TrueType as well); Type 1 and bitmap fonts are not.
// Raises EXANError ("Font \"<name>\" is not installed") for a name that is not in
// Screen().Fonts() (compared ignoring case).
//   u"DejaVu Sans" => true (where installed);  u"No Such Font" => raises
XAN_EXPORT bool FontIsTrueType(StringView FontName);

// Sets the canvas font's size to Size points as the screen would show it: the font's height
// becomes the one Size gives at the screen's 96 pixels per inch, whatever resolution the font is
// for (its PixelsPerInch is kept).
//   printer canvas at 300 ppi, size 12 => Height -16 (not -50)
XAN_EXPORT void SetCanvasFontSizeScaled(TCanvas& canvas, int32_t Size);

}  // namespace xan
