// Canvas drawing helpers: frames, data point marks, marks as bitmaps, a bitmap on the printer's
// page, the TrueType test of a font and a font size at the screen's scale.
#include "xan/xanbase/drawing.h"

#include <algorithm>
#include <limits>

namespace xan {

namespace {

// Mark coordinates are the centre plus a few pixels; far out at the edge of the 32-bit range
// they stop there rather than wrap around (nothing there is on any canvas).
int32_t At(int64_t v) noexcept {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Draws one mark; the caller restores the brush colour.
class TMarkPainter {
 public:
  TMarkPainter(TCanvas& Canvas, int64_t X, int64_t Y)
      : c(Canvas), x(X), y(Y), pen(Canvas.Pen().Color()), printer(&Canvas == &Printer().Canvas()) {}

  void Paint(uint8_t m);

 private:
  void Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    c.MoveTo(At(x1), At(y1));
    c.LineTo(At(x2), At(y2));
  }
  void Filled() {
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(pen);
  }
  // Runs Draw with a clear brush, then makes the brush solid again.
  template <class F>
  void Open(F&& Draw) {
    c.Brush().SetStyle(bsClear);
    Draw();
    c.Brush().SetStyle(bsSolid);
  }
  void Rect(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    c.Rectangle(At(x1), At(y1), At(x2), At(y2));
  }
  void Ellipse(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    c.Ellipse(At(x1), At(y1), At(x2), At(y2));
  }
  void Triangle(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t x3, int64_t y3) {
    const TPoint points[3] = {{At(x1), At(y1)}, {At(x2), At(y2)}, {At(x3), At(y3)}};
    c.Polygon(points);
  }
  void Diamond(int64_t a) {
    const TPoint points[4] = {
        {At(x - a), At(y)}, {At(x), At(y + a)}, {At(x + a), At(y)}, {At(x), At(y - a)}};
    c.Polygon(points);
  }
  void DiamondOutline() {
    c.MoveTo(At(x - 3), At(y));
    c.LineTo(At(x), At(y + 3));
    c.LineTo(At(x + 3), At(y));
    c.LineTo(At(x), At(y - 3));
    c.LineTo(At(x - 3), At(y));
  }
  void Pattern(uint8_t m) {
    for (int i = 1; i <= 7; ++i) {
      for (int j = 1; j <= 7; ++j) {
        if ((MarkPatterns[m - 1][i - 1] >> (j - 1)) & 1)
          c.SetPixels(At(x + 4 - j), At(y + i - 4), pen);
      }
    }
  }
  void UprightCross(int64_t lo, int64_t hi) {
    Line(x + lo, y, x + hi, y);
    Line(x, y + lo, x, y + hi);
  }
  void Character(uint8_t m) {
    const String text(1, m >= 200 && m <= 209 ? static_cast<Char>(u'0' + (m - 200)) : Char(m));
    const int32_t width = c.TextWidth(text), height = c.TextHeight(text);
    c.Font().SetColor(pen);
    c.Brush().SetStyle(bsClear);
    c.TextOut(At(x - width / 2), At(y - height / 2), text);
  }

  TCanvas& c;
  const int64_t x, y;
  const TColor pen;
  const bool printer;
};

void TMarkPainter::Paint(uint8_t m) {
  switch (m) {
    case 0:
      c.SetPixels(At(x), At(y), pen);
      break;
    case 1:
    case 2:
    case 3:
      if (printer) {
        const int64_t a = m + 1;
        UprightCross(-a, a);
      } else {
        Pattern(m);
      }
      break;
    case 4:
    case 5:
    case 6:
      if (printer) {
        const int64_t a = m - 2;
        Line(x - a, y - a, x + a, y + a);
        Line(x - a, y + a, x + a, y - a);
      } else {
        Pattern(m);
      }
      break;
    case 7:
    case 8:
    case 9: {
      const int64_t a = m - 6;
      Filled();
      Rect(x - a, y - a, x + a + 1, y + a + 1);
      break;
    }
    case 10:
    case 11:
    case 12: {
      // Open squares: drawn with lines, but like every open shape with a clear brush that is
      // solid again afterwards.
      const int64_t a = m - 9;
      Open([&] {
        c.MoveTo(At(x - a), At(y - a));
        c.LineTo(At(x - a), At(y + a));
        c.LineTo(At(x + a), At(y + a));
        c.LineTo(At(x + a), At(y - a));
        c.LineTo(At(x - a), At(y - a));
      });
      break;
    }
    case 13:
      DiamondOutline();
      c.SetPixels(At(x), At(y), pen);
      break;
    case 14:
    case 15:
      Filled();
      Diamond(m - 12);
      break;
    case 16:
      Open([&] { Ellipse(x - 2, y - 2, x + 3, y + 3); });
      break;
    case 17:
      Open([&] { Ellipse(x - 3, y - 3, x + 4, y + 4); });
      break;
    case 18:
      if (printer) {
        // A dot at each pixel of the checkerboard. (A line of no length, the usual way to set a
        // dot on a printer, draws nothing by the canvas's rules; a line one pixel long is a dot.)
        for (int64_t dy = -3; dy <= 3; ++dy) {
          for (int64_t dx = -3; dx <= 3; ++dx) {
            if ((dx + dy) % 2 == 0) Line(x + dx, y + dy, x + dx + 1, y + dy);
          }
        }
      } else {
        Pattern(m);
      }
      break;
    case 19:
      DiamondOutline();
      break;
    case 20:
    case 21: {
      const int64_t a = m - 17;
      Line(x, y, x - a, y + a);
      Line(x, y, x + a, y + a);
      break;
    }
    case 22:
    case 23: {
      const int64_t a = m - 19;
      Line(x, y, x - a, y - a);
      Line(x, y, x + a, y - a);
      break;
    }
    case 24:
      Filled();
      Ellipse(x - 3, y - 3, x + 4, y + 4);
      break;
    case 25: {
      const int64_t a = printer ? 3 : 4, b = printer ? 2 : 3;
      Line(x - 3, y - 3, x + a, y + a);
      Line(x - 3, y - 2, x + b, y + a);
      Line(x - 2, y - 3, x + a, y + b);
      Line(x - 3, y + 3, x + a, y - a);
      Line(x - 3, y + 2, x + b, y - a);
      Line(x - 2, y + 3, x + a, y - b);
      break;
    }
    case 26:
      Filled();
      Ellipse(x - 2, y - 2, x + 3, y + 3);
      break;
    case 27:
      Open([&] { Ellipse(x - 2, y - 2, x + 2, y + 2); });
      break;
    case 28:
      Filled();
      Ellipse(x - 2, y - 2, x + 2, y + 2);
      break;
    case 29:
    case 30: {
      const int64_t a = m - 27;
      Filled();
      Triangle(x - a, y, x, y + a, x + a, y);
      break;
    }
    case 31:
    case 32: {
      const int64_t a = m - 29;
      Open([&] { Triangle(x - a, y, x, y + a, x + a, y); });
      break;
    }
    case 33:
      Open([&] { Triangle(x - 4, y - 3, x, y + 4, x + 4, y - 3); });
      break;
    case 34:
      Filled();
      Triangle(x - 4, y - 3, x, y + 4, x + 4, y - 3);
      break;
    case 35:
      Open([&] { Triangle(x - 4, y + 3, x, y - 4, x + 4, y + 3); });
      break;
    case 36:
      Filled();
      Triangle(x - 4, y + 3, x, y - 4, x + 4, y + 3);
      break;
    case 37:
      Line(x - 3, y, x + 4, y);
      Line(x, y, x, y - 8);
      break;
    case 38:
      Line(x - 3, y - 2, x + 4, y - 2);
      Line(x - 3, y + 2, x + 4, y + 2);
      Line(x, y - 2, x, y + 2);
      break;
    case 39:
      Open([&] { Ellipse(x - 3, y - 3, x + 4, y + 4); });
      UprightCross(-3, 4);
      break;
    case 40:
    case 41:
    case 42:
    case 43: {
      const int64_t a = m <= 41 ? 3 : 4, b = m <= 41 ? 2 : 3;
      auto draw = [&] { Triangle(x + a, y - b, x - b, y, x + a, y + b); };
      if (m % 2 == 0) {
        Open(draw);
      } else {
        Filled();
        draw();
      }
      break;
    }
    case 44:
    case 45:
    case 46:
    case 47: {
      const int64_t a = m <= 45 ? 3 : 4, b = m <= 45 ? 2 : 3;
      auto draw = [&] { Triangle(x - a, y - b, x + b, y, x - a, y + b); };
      if (m % 2 == 0) {
        Open(draw);
      } else {
        Filled();
        draw();
      }
      break;
    }
    case 48:
      Open([&] { Rect(x - 3, y - 3, x + 4, y + 4); });
      UprightCross(-3, 4);
      break;
    case 49:
      Open([&] { Rect(x - 2, y - 2, x + 3, y + 3); });
      UprightCross(-4, 5);
      break;
    case 50:
      c.Brush().SetStyle(bsSolid);
      UprightCross(-4, 5);
      Line(x - 3, y - 3, x + 4, y + 4);
      Line(x - 3, y + 3, x + 4, y - 4);
      break;
    case 51:
      c.Brush().SetStyle(bsSolid);
      UprightCross(-4, 5);
      Line(x - 1, y - 3, x + 2, y - 3);
      Line(x - 1, y + 3, x + 2, y + 3);
      Line(x - 3, y - 1, x - 3, y + 2);
      Line(x + 3, y - 1, x + 3, y + 2);
      break;
    default:
      Character(m);
  }
}

}  // namespace

// =================================================================================================
// Frames

void DrawRectangle(TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x1, y2);
  canvas.LineTo(x2, y2);
  canvas.LineTo(x2, y1);
  canvas.LineTo(x1, y1);
}

void DrawFrame(TCanvas& canvas, TFrameStyle style, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
               TColor c1, TColor c2, TColor c3, TColor c4, TColor c5) {
  if (style == fsNone) return;
  if (style == fsSimple) {
    canvas.Pen().SetColor(c5);
    DrawRectangle(canvas, x1, y1, x2, y2);
    return;
  }
  // Outer top-left, outer bottom-right, inner top-left, inner bottom-right.
  TColor a = c1, b = c4, c = c2, d = c3;  // fsRaised
  switch (style) {
    case fsLowered:
      a = c3, b = c1, c = c4, d = c2;
      break;
    case fsEmbossed:
      a = c1, b = c3, c = c3, d = c1;
      break;
    case fsEngraved:
      a = c3, b = c1, c = c1, d = c3;
      break;
    default:
      break;
  }
  const auto p = [](int64_t v) { return At(v); };
  canvas.Pen().SetColor(a);
  canvas.MoveTo(x1, y2);
  canvas.LineTo(x1, y1);
  canvas.LineTo(p(int64_t{x2} + 1), y1);
  canvas.MoveTo(x2, p(int64_t{y1} + 1));
  canvas.Pen().SetColor(b);
  canvas.LineTo(x2, y2);
  canvas.LineTo(p(int64_t{x1} - 1), y2);
  canvas.Pen().SetColor(c);
  canvas.MoveTo(p(int64_t{x1} + 1), p(int64_t{y2} - 1));
  canvas.LineTo(p(int64_t{x1} + 1), p(int64_t{y1} + 1));
  canvas.LineTo(x2, p(int64_t{y1} + 1));
  canvas.MoveTo(p(int64_t{x2} - 1), p(int64_t{y1} + 2));
  canvas.Pen().SetColor(d);
  canvas.LineTo(p(int64_t{x2} - 1), p(int64_t{y2} - 1));
  canvas.LineTo(x1, p(int64_t{y2} - 1));
}

// =================================================================================================
// Marks

void DrawMarkOnCanvas(TCanvas& canvas, uint8_t MarkType, int32_t x, int32_t y) {
  const TColor brush = canvas.Brush().Color();
  struct TRestore {
    TCanvas& Canvas;
    TColor Color;
    ~TRestore() { Canvas.Brush().SetColor(Color); }
  } restore{canvas, brush};
  TMarkPainter(canvas, x, y).Paint(MarkType);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t MarkType, TColor MarkColor, TColor BkColor,
                                            int32_t Margin) {
  const int32_t margin = std::clamp(Margin, 0, 255);
  const int32_t size = 2 * margin + 7;
  auto bitmap = std::make_unique<TBitmap>(size, size);
  TCanvas& canvas = bitmap->Canvas();
  canvas.Pen().SetColor(BkColor);
  canvas.Brush().SetColor(BkColor);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Rectangle(0, 0, size, size);
  canvas.Pen().SetColor(MarkColor);
  DrawMarkOnCanvas(canvas, MarkType, margin + 3, margin + 3);
  return bitmap;
}

// =================================================================================================
// Printing and fonts

void PrintBitmap(const TBitmap& Bitmap, int32_t x, int32_t y) {
  Printer().Canvas().Draw(x, y, Bitmap);
}

bool FontIsTrueType(StringView FontName) {
  if (Screen().Fonts().IndexOf(FontName) < 0) {
    throw EXANError(u"Font \"" + String(FontName) + u"\" is not installed");
  }
  TCanvas canvas;
  canvas.Font().SetName(FontName);
  return (canvas.TextMetrics().PitchAndFamily & TMPF_TRUETYPE) != 0;
}

void SetCanvasFontSizeScaled(TCanvas& canvas, int32_t Size) {
  TFont& font = canvas.Font();
  const int32_t screen = Screen().PixelsPerInch();
  if (font.PixelsPerInch() == screen) {
    font.SetSize(Size);
    return;
  }
  const int32_t own = font.PixelsPerInch();
  font.SetPixelsPerInch(screen);
  font.SetSize(Size);
  font.SetPixelsPerInch(own);
}

}  // namespace xan
