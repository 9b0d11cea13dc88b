// The canvas's hand-over of shapes to the host's own drawing (the GDI on Windows), and the
// switch that lets the tests compare the canvas's own drawing with the host's.
#pragma once

#include <cstdint>
#include <span>

#include "xan/platform/graphics.h"

namespace xan::detail {

enum class THostShape : uint8_t { Line, Rectangle, Ellipse, Polygon };

// Draws Shape through the host: a line from Points[0] to Points[1] (without its end pixel), a
// rectangle or ellipse in the box of Points[0] and Points[1], or the polygon through all Points,
// with a solid 1-pixel pen and a solid brush where Pen and Brush say so. False, with the raster
// untouched, when the canvas must draw the shape itself (always on the POSIX hosts).
bool HostDraw(uint32_t* Bits, int32_t Width, int32_t Height, THostShape Shape,
              std::span<const TPoint> Points, bool Pen, TColor PenColor, bool Brush,
              TColor BrushColor) noexcept;

// Whether the canvas hands its shapes to the host at all (true); the tests turn it off to draw
// the same shapes with the canvas's own code. Not meant to change while a canvas draws.
extern bool CanvasUsesHost;

}  // namespace xan::detail
