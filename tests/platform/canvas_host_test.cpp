// The canvas's own drawing against the host's: on Windows the GDI draws the canvas's shapes,
// and random shapes drawn both ways must give the same pixels, which shows that the drawing
// used on Linux follows the GDI's rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/canvas_host.h"
#include "test_host.h"
#include "xan/platform/graphics.h"

namespace xan {
namespace {

// Draws shape number Kind (0 line, 1 rectangle, 2 ellipse, 3 polygon) with the given pen and
// brush choices and points onto a white bitmap, by the canvas itself or by the host.
std::vector<uint32_t> Draw(bool ByHost, int Kind, bool Pen, bool Brush,
                           const std::vector<TPoint>& P) {
  detail::CanvasUsesHost = ByHost;
  TBitmap b(64, 48);
  TCanvas& c = b.Canvas();
  c.Pen().SetStyle(Pen ? psSolid : psClear);
  c.Pen().SetColor(0x0000FF);
  c.Brush().SetStyle(Brush ? bsSolid : bsClear);
  c.Brush().SetColor(0x00FF00);
  switch (Kind) {
    case 0:
      c.MoveTo(P[0].X, P[0].Y);
      c.LineTo(P[1].X, P[1].Y);
      break;
    case 1:
      c.Rectangle(P[0].X, P[0].Y, P[1].X, P[1].Y);
      break;
    case 2:
      c.Ellipse(P[0].X, P[0].Y, P[1].X, P[1].Y);
      break;
    default:
      c.Polygon(P);
  }
  detail::CanvasUsesHost = true;
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < b.Height(); ++y) {
    pixels.insert(pixels.end(), b.ScanLine(y), b.ScanLine(y) + b.Width());
  }
  return pixels;
}

TEST(CanvasHost_Windows, RandomShapesGiveTheGdisPixels) {
  XAN_ONLY_ON_WINDOWS();
  std::mt19937 rng(2024);
  // Shapes inside the raster: the clipping rules have tests of their own, which pass on both
  // hosts.
  std::uniform_int_distribution<int32_t> x(0, 64), y(0, 48), n(3, 7);
  int failures = 0;
  for (int i = 0; i < 4000 && failures < 5; ++i) {
    const int kind = i % 4;
    const bool pen = kind == 0 || rng() % 4 != 0, brush = rng() % 3 != 0;
    std::vector<TPoint> points(kind == 3 ? static_cast<size_t>(n(rng)) : 2);
    for (TPoint& p : points) p = {x(rng), y(rng)};
    // Wine's GDI fills a few pixels outside the outline of ellipses under 6 pixels wide or
    // high (a corner of their box); those are left out where the host is Wine.
    if (kind == 2 && test::RunningUnderWine() &&
        (std::abs(points[0].X - points[1].X) < 6 || std::abs(points[0].Y - points[1].Y) < 6)) {
      continue;
    }
    if (Draw(true, kind, pen, brush, points) != Draw(false, kind, pen, brush, points)) {
      ++failures;
      std::string where;
      for (const TPoint& p : points)
        where += " (" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
      ADD_FAILURE() << "shape " << kind << " pen " << pen << " brush " << brush << ":" << where;
    }
  }
}

}  // namespace
}  // namespace xan
