// Tour section: the canvas and the drawing helpers, shown as pictures: every mark enlarged with
// its pixel grid, the frame styles, and the predefined colour palettes as bands.
#include <filesystem>
#include <iostream>
#include <string>

#include "tour.h"
#include "xan/xanbase.h"
#include "xan/xancolors.h"

namespace {

using namespace xan;

constexpr TColor kGrid = 0xDDDDDD, kCentreGrid = 0xFFB070, kLabel = 0x303030;
constexpr int32_t kZoom = 4;

// Copies Source enlarged kZoom times onto Canvas at (X, Y) and draws the pixel grid over it; the
// grid lines around the pixel (CentreX, CentreY) of the source, if any, in another colour.
void Enlarged(TCanvas& Canvas, const TBitmap& Source, int32_t X, int32_t Y, int32_t CentreX,
              int32_t CentreY) {
  const int32_t w = Source.Width() * kZoom, h = Source.Height() * kZoom;
  Canvas.StretchDraw({X, Y, X + w, Y + h}, Source);
  Canvas.Pen().SetColor(kGrid);
  for (int32_t i = 0; i <= Source.Width(); ++i) {
    Canvas.MoveTo(X + i * kZoom, Y);
    Canvas.LineTo(X + i * kZoom, Y + h + 1);
  }
  for (int32_t i = 0; i <= Source.Height(); ++i) {
    Canvas.MoveTo(X, Y + i * kZoom);
    Canvas.LineTo(X + w + 1, Y + i * kZoom);
  }
  if (CentreX < 0) return;
  Canvas.Pen().SetColor(kCentreGrid);
  Canvas.Brush().SetStyle(bsClear);
  Canvas.Rectangle(X + CentreX * kZoom, Y + CentreY * kZoom, X + (CentreX + 1) * kZoom + 1,
                   Y + (CentreY + 1) * kZoom + 1);
  Canvas.Brush().SetStyle(bsSolid);
}

// Writes Text centred on x at the top y.
void Label(TCanvas& Canvas, int32_t X, int32_t Y, StringView Text) {
  Canvas.Font().SetColor(kLabel);
  Canvas.Brush().SetStyle(bsClear);
  Canvas.TextOut(X - Canvas.TextWidth(Text) / 2, Y, Text);
  Canvas.Brush().SetStyle(bsSolid);
}

String Number(int n) {
  return FromUtf8(std::to_string(n));
}

void Prepare(TBitmap& Picture, int32_t Width, int32_t Height, TColor Background) {
  Picture.SetSize(Width, Height);
  TCanvas& c = Picture.Canvas();
  c.Brush().SetColor(Background);
  c.FillRect({0, 0, Width, Height});
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetHeight(-12);
}

// Every mark 0..51 and a few character marks, each drawn on 15 x 15 pixels around (7, 7).
void Marks(const std::filesystem::path& Dir) {
  const int marks[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,   9,   10,  11,  12, 13, 14,
                       15, 16, 17, 18, 19, 20, 21, 22, 23,  24,  25,  26,  27, 28, 29,
                       30, 31, 32, 33, 34, 35, 36, 37, 38,  39,  40,  41,  42, 43, 44,
                       45, 46, 47, 48, 49, 50, 51, 65, 120, 200, 205, 209, 215};
  constexpr int32_t kCell = 15, kColumns = 10, kPitchX = kCell * kZoom + 16,
                    kPitchY = kCell * kZoom + 30;
  const int32_t count = static_cast<int32_t>(std::size(marks));
  const int32_t rows = (count + kColumns - 1) / kColumns;
  TBitmap picture;
  Prepare(picture, kColumns * kPitchX + 8, rows * kPitchY + 8, 0xFFFFFF);
  TCanvas& c = picture.Canvas();
  for (int32_t i = 0; i < count; ++i) {
    const std::unique_ptr<TBitmap> mark =
        CreateMarkAsBitmap(static_cast<uint8_t>(marks[i]), 0x8B0000, 0xFFFFFF, (kCell - 7) / 2);
    const int32_t x = 8 + (i % kColumns) * kPitchX, y = 8 + (i / kColumns) * kPitchY;
    Enlarged(c, *mark, x, y, kCell / 2, kCell / 2);
    Label(c, x + kCell * kZoom / 2, y + kCell * kZoom + 5, Number(marks[i]));
  }
  picture.SaveToFile(FromUtf8((Dir / "marks.png").string()));
}

// Each frame style around a box, enlarged, and beside it at its own size, with its name.
void Frames(const std::filesystem::path& Dir) {
  constexpr TColor highlight = 0xFFFFFF, light = 0xE3E3E3, shadow = 0xA0A0A0, dark = 0x696969,
                   simple = 0x000000, face = 0xF0F0F0;
  constexpr int32_t kW = 30, kH = 20, kPitch = kW * kZoom + 30, kRow = kH * kZoom + kH + 40;
  TBitmap picture;
  Prepare(picture, 3 * kPitch + 20, 2 * kRow + 10, face);
  TCanvas& c = picture.Canvas();
  for (int style = fsNone; style <= fsEngraved; ++style) {
    TBitmap frame(kW, kH);
    frame.Canvas().Brush().SetColor(face);
    frame.Canvas().FillRect({0, 0, kW, kH});
    DrawFrame(frame.Canvas(), static_cast<TFrameStyle>(style), 2, 2, kW - 3, kH - 3, highlight,
              light, shadow, dark, simple);
    const int32_t x = 15 + (style % 3) * kPitch, y = 10 + (style / 3) * kRow;
    Enlarged(c, frame, x, y, -1, -1);
    c.Draw(x + (kW * kZoom - kW) / 2, y + kH * kZoom + 8, frame);
    Label(c, x + kW * kZoom / 2, y + kH * kZoom + kH + 14, xmlFrameStyle[style]);
  }
  picture.SaveToFile(FromUtf8((Dir / "frames.png").string()));
}

// The seven predefined palettes spread over 512 colours, one band each.
void Palettes(const std::filesystem::path& Dir) {
  struct TPalette {
    const char16_t* Name;
    std::span<const TColor> Colors;
  };
  const TPalette palettes[] = {{u"ColorArray_Geo1", ColorArray_Geo1},
                               {u"ColorArray_Geo2", ColorArray_Geo2},
                               {u"ColorArray_Geo3", ColorArray_Geo3},
                               {u"ColorArray_Rainbow", ColorArray_Rainbow},
                               {u"ColorArray_Circle", ColorArray_Circle},
                               {u"ColorArray_MorgenStemning", ColorArray_MorgenStemning},
                               {u"ColorArray_Contrast", ColorArray_Contrast}};
  constexpr int32_t kLeft = 200, kBand = 36, kWidth = 512;
  TBitmap picture;
  Prepare(picture, kLeft + kWidth + 10, 7 * (kBand + 8) + 8, 0xFFFFFF);
  TCanvas& c = picture.Canvas();
  TColorArray spread;
  spread.SetSize(kWidth);
  for (int32_t i = 0; i < 7; ++i) {
    spread.FillByInterpolation(0, palettes[i].Colors);
    const int32_t top = 8 + i * (kBand + 8);
    for (int32_t x = 0; x < kWidth; ++x) {
      c.Pen().SetColor(spread.GetColorElem(x + 1));
      c.MoveTo(kLeft + x, top);
      c.LineTo(kLeft + x, top + kBand);
    }
    c.Font().SetColor(kLabel);
    c.TextOut(8, top + (kBand - c.TextHeight(palettes[i].Name)) / 2, palettes[i].Name);
  }
  picture.SaveToFile(FromUtf8((Dir / "palettes.png").string()));
}

}  // namespace

void tour::Graphics() {
  Heading("Graphics: marks, frames and palettes as pictures");
  const std::filesystem::path dir = PictureDir.empty() ? "tour-pictures" : PictureDir;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  try {
    Marks(dir);
    Frames(dir);
    Palettes(dir);
  } catch (const xan::Exception& e) {
    std::cout << "  pictures not written: " << e.what() << "\n";
    return;
  }
  std::cout << "  marks 0..51 and character marks, enlarged " << kZoom
            << "x with their pixel grid => " << (dir / "marks.png").string() << "\n";
  std::cout << "  the six frame styles => " << (dir / "frames.png").string() << "\n";
  std::cout << "  the seven predefined palettes => " << (dir / "palettes.png").string() << "\n";
}
