// Subcommand marks: every data-point mark of the library's drawing helpers, drawn on one bitmap
// in a grid of 16 x 16 cells and saved as a PNG image.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/platform/graphics.h"
#include "xan/xanbase/drawing.h"

namespace xantool {

namespace marks_cmd {

constexpr int32_t kColumns = 16;  // and as many rows: the 256 mark types

struct Options {
  std::string Png;
  std::string Cell = "20", Scale = "1";
  std::string Color = "0,0,0", Background = "255,255,255";
};

int Run(const Options& o) {
  const auto cell = static_cast<int32_t>(ParseInteger(o.Cell, 12, 256, "--cell"));
  const auto scale = static_cast<int32_t>(ParseInteger(o.Scale, 1, 16, "--scale"));
  const xan::TColor color = ParseColorArg(o.Color);
  const xan::TColor background = ParseColorArg(o.Background);
  const int32_t side = kColumns * cell;
  xan::TBitmap marks(side, side);
  xan::TCanvas& canvas = marks.Canvas();
  canvas.Brush().SetColor(background);
  canvas.FillRect({0, 0, side, side});
  canvas.Pen().SetColor(color);
  for (int32_t m = 0; m < kColumns * kColumns; ++m) {
    canvas.Brush().SetStyle(xan::bsSolid);
    xan::DrawMarkOnCanvas(canvas, static_cast<uint8_t>(m), (m % kColumns) * cell + cell / 2,
                          (m / kColumns) * cell + cell / 2);
  }
  if (scale == 1) {
    SavePng(marks, o.Png);
    return kExitOk;
  }
  xan::TBitmap large(side * scale, side * scale);
  large.Canvas().StretchDraw({0, 0, side * scale, side * scale}, marks);
  SavePng(large, o.Png);
  return kExitOk;
}

}  // namespace marks_cmd

Action SetupMarks(CLI::App& sub) {
  using namespace marks_cmd;
  auto o = std::make_shared<Options>();
  sub.add_option("--png", o->Png, "The PNG file to write ('-': standard output)")->required();
  sub.add_option("--cell", o->Cell,
                 "The side of each mark's square cell in pixels, 12 to 256 (20)");
  sub.add_option("--scale", o->Scale, "Each pixel drawn as a square of this side, 1 to 16 (1)");
  sub.add_option("--color", o->Color,
                 "The marks' colour: a name, $BBGGRR, #RRGGBB or R,G,B (black)");
  sub.add_option("--background", o->Background, "The background colour (white)");
  sub.footer(
      "The image is 16 * CELL * SCALE pixels square: 16 rows of 16 cells, mark type m in row\n"
      "m div 16 and column m mod 16 (from 0), drawn centred at the pixel (CELL div 2, CELL div 2)\n"
      "of its cell before scaling. Types 0 to 51 are shapes; 200 to 209 are the digits 0 to 9\n"
      "and the others the character of that code, in the canvas's default font.");
  return [o] { return Run(*o); };
}

}  // namespace xantool
