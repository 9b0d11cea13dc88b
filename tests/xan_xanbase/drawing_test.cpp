// The drawing helpers: frames in every style, every mark's pixels against its stated shapes, the
// printer's variants, the brush left as found, marks as bitmaps, character marks, printing a
// bitmap, the TrueType test and the screen-scaled font size.
#include "xan/xanbase/drawing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../platform/pixel_models.h"
#include "../platform/temp_dir.h"
#include "../platform/test_printer.h"
#include "../test_host.h"

namespace xan {
namespace {

using namespace xan::testing;

constexpr TColor c1 = 0x0000F0, c2 = 0x00F000, c3 = 0xF00000, c4 = 0x00F0F0, c5 = 0xF000F0;

// =================================================================================================
// Frames

// The frame's pixels and colours, from its stated lines (a later line paints over an earlier).
std::map<TPixel, TColor> ModelFrame(TFrameStyle style, int64_t x1, int64_t y1, int64_t x2,
                                    int64_t y2, int64_t W, int64_t H) {
  std::map<TPixel, TColor> out;
  auto line = [&](int64_t ax, int64_t ay, int64_t bx, int64_t by, TColor c) {
    for (const TPixel& p : ModelLine(ax, ay, bx, by, W, H)) out[p] = c;
  };
  if (style == fsSimple) {
    line(x1, y1, x1, y2, c5);
    line(x1, y2, x2, y2, c5);
    line(x2, y2, x2, y1, c5);
    line(x2, y1, x1, y1, c5);
    return out;
  }
  if (style == fsNone) return out;
  // A B C D: outer top-left, outer bottom-right, inner top-left, inner bottom-right.
  const std::map<TFrameStyle, std::array<TColor, 4>> colours = {{fsLowered, {c3, c1, c4, c2}},
                                                                {fsRaised, {c1, c4, c2, c3}},
                                                                {fsEmbossed, {c1, c3, c3, c1}},
                                                                {fsEngraved, {c3, c1, c1, c3}}};
  const auto& [a, b, c, d] = colours.at(style);
  line(x1, y2, x1, y1, a);
  line(x1, y1, x2 + 1, y1, a);
  line(x2, y1 + 1, x2, y2, b);
  line(x2, y2, x1 - 1, y2, b);
  line(x1 + 1, y2 - 1, x1 + 1, y1 + 1, c);
  line(x1 + 1, y1 + 1, x2, y1 + 1, c);
  line(x2 - 1, y1 + 2, x2 - 1, y2 - 1, d);
  line(x2 - 1, y2 - 1, x1, y2 - 1, d);
  return out;
}

TEST(DrawFrame, EveryStyleDrawsItsOutlinesInItsColours) {
  TBitmap b(16, 16);
  TCanvas& c = b.Canvas();
  for (TFrameStyle style : {fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved}) {
    Fill(b);
    c.Pen().SetColor(0x777777);
    DrawFrame(c, style, 2, 3, 12, 11, c1, c2, c3, c4, c5);
    const auto want = ModelFrame(style, 2, 3, 12, 11, 16, 16);
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 16; ++x) {
        const auto it = want.find({x, y});
        EXPECT_EQ(c.Pixels(x, y), it == want.end() ? kWhite : it->second)
            << ToUtf8(xmlFrameStyle[style]) << " at " << x << "," << y;
      }
    }
    const TColor last = style == fsNone ? 0x777777 : style == fsSimple ? c5 : want.at({11, 10});
    EXPECT_EQ(c.Pen().Color(), last) << "the pen keeps the last colour";
  }
  // The documented example.
  Fill(b);
  DrawFrame(c, fsRaised, 0, 0, 10, 10, c1, c2, c3, c4, c5);
  EXPECT_EQ(c.Pixels(0, 0), c1);
  EXPECT_EQ(c.Pixels(10, 0), c1);
  EXPECT_EQ(c.Pixels(10, 5), c4);
  EXPECT_EQ(c.Pixels(0, 10), c4);
  EXPECT_EQ(c.Pixels(1, 1), c2);
  EXPECT_EQ(c.Pixels(9, 9), c3);
  // DrawRectangle includes both corners.
  Fill(b);
  c.Pen().SetColor(0);
  DrawRectangle(c, 3, 4, 6, 9);
  TPixelSet border;
  for (int x = 3; x <= 6; ++x) border.insert({x, 4}), border.insert({x, 9});
  for (int y = 4; y <= 9; ++y) border.insert({3, y}), border.insert({6, y});
  EXPECT_EQ(Marked(b), border);
}

// =================================================================================================
// Marks

// The pixels of mark m centred at (x, y), built from the shapes stated for it.
TPixelSet ModelMark(int m, bool printer, int64_t x, int64_t y, int64_t W, int64_t H) {
  TPixelSet s;
  auto add = [&](const TPixelSet& more) { s.insert(more.begin(), more.end()); };
  auto line = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    add(ModelLine(x1, y1, x2, y2, W, H));
  };
  auto pixel = [&](int64_t px, int64_t py) {
    if (px >= 0 && px < W && py >= 0 && py < H) s.insert({px, py});
  };
  auto pattern = [&](int mark) {
    for (int i = 1; i <= 7; ++i) {
      for (int j = 1; j <= 7; ++j) {
        if ((MarkPatterns[mark - 1][i - 1] >> (j - 1)) & 1) pixel(x + 4 - j, y + i - 4);
      }
    }
  };
  auto ellipse = [&](int64_t l, int64_t t, int size, bool filled) {
    for (const TEllipsePicture& p : kEllipses) {
      if (p.W != size || p.H != size) continue;
      for (int r = 0; r < size; ++r) {
        for (int col = 0; col < size; ++col) {
          const char ch = p.Rows[r][col];
          if (ch == '#' || (filled && ch == 'o')) pixel(l + col, t + r);
        }
      }
    }
  };
  auto polygon = [&](std::vector<TPoint> p, bool filled) {
    for (TPoint& q : p) q = {static_cast<int32_t>(q.X + x), static_cast<int32_t>(q.Y + y)};
    if (filled) add(ModelPolygonInside(p, W, H));
    for (size_t k = 0; k < p.size(); ++k) {
      line(p[k].X, p[k].Y, p[(k + 1) % p.size()].X, p[(k + 1) % p.size()].Y);
    }
  };
  auto square = [&](int64_t a, bool filled) {  // Rectangle(x - a, y - a, x + a + 1, y + a + 1)
    for (int64_t py = y - a; py <= y + a; ++py) {
      for (int64_t px = x - a; px <= x + a; ++px) {
        if (filled || px == x - a || px == x + a || py == y - a || py == y + a) pixel(px, py);
      }
    }
  };
  auto cross = [&](int64_t lo, int64_t hi) {
    line(x + lo, y, x + hi, y);
    line(x, y + lo, x, y + hi);
  };
  switch (m) {
    case 0:
      pixel(x, y);
      break;
    case 1:
    case 2:
    case 3:
      if (printer)
        cross(-(m + 1), m + 1);
      else
        pattern(m);
      break;
    case 4:
    case 5:
    case 6:
      if (printer) {
        const int64_t a = m - 2;
        line(x - a, y - a, x + a, y + a);
        line(x - a, y + a, x + a, y - a);
      } else {
        pattern(m);
      }
      break;
    case 7:
    case 8:
    case 9:
      square(m - 6, true);
      break;
    case 10:
    case 11:
    case 12: {
      const int64_t a = m - 9;
      line(x - a, y - a, x - a, y + a);
      line(x - a, y + a, x + a, y + a);
      line(x + a, y + a, x + a, y - a);
      line(x + a, y - a, x - a, y - a);
      break;
    }
    case 13:
    case 19:
      line(x - 3, y, x, y + 3);
      line(x, y + 3, x + 3, y);
      line(x + 3, y, x, y - 3);
      line(x, y - 3, x - 3, y);
      if (m == 13) pixel(x, y);
      break;
    case 14:
    case 15: {
      const int32_t a = m - 12;
      polygon({{-a, 0}, {0, a}, {a, 0}, {0, -a}}, true);
      break;
    }
    case 16:
      ellipse(x - 2, y - 2, 5, false);
      break;
    case 17:
      ellipse(x - 3, y - 3, 7, false);
      break;
    case 18:
      for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
          if ((dx + dy) % 2 == 0) pixel(x + dx, y + dy);
        }
      }
      break;
    case 20:
    case 21: {
      const int64_t a = m - 17;
      line(x, y, x - a, y + a);
      line(x, y, x + a, y + a);
      break;
    }
    case 22:
    case 23: {
      const int64_t a = m - 19;
      line(x, y, x - a, y - a);
      line(x, y, x + a, y - a);
      break;
    }
    case 24:
      ellipse(x - 3, y - 3, 7, true);
      break;
    case 25: {
      const int64_t a = printer ? 3 : 4, b = printer ? 2 : 3;
      line(x - 3, y - 3, x + a, y + a);
      line(x - 3, y - 2, x + b, y + a);
      line(x - 2, y - 3, x + a, y + b);
      line(x - 3, y + 3, x + a, y - a);
      line(x - 3, y + 2, x + b, y - a);
      line(x - 2, y + 3, x + a, y - b);
      break;
    }
    case 26:
      ellipse(x - 2, y - 2, 5, true);
      break;
    case 27:
      ellipse(x - 2, y - 2, 4, false);
      break;
    case 28:
      ellipse(x - 2, y - 2, 4, true);
      break;
    case 29:
    case 30:
    case 31:
    case 32: {
      const int32_t a = m <= 30 ? m - 27 : m - 29;
      polygon({{-a, 0}, {0, a}, {a, 0}}, m <= 30);
      break;
    }
    case 33:
    case 34:
      polygon({{-4, -3}, {0, 4}, {4, -3}}, m == 34);
      break;
    case 35:
    case 36:
      polygon({{-4, 3}, {0, -4}, {4, 3}}, m == 36);
      break;
    case 37:
      line(x - 3, y, x + 4, y);
      line(x, y, x, y - 8);
      break;
    case 38:
      line(x - 3, y - 2, x + 4, y - 2);
      line(x - 3, y + 2, x + 4, y + 2);
      line(x, y - 2, x, y + 2);
      break;
    case 39:
      ellipse(x - 3, y - 3, 7, false);
      cross(-3, 4);
      break;
    case 40:
    case 41:
    case 42:
    case 43: {
      const int32_t a = m <= 41 ? 3 : 4, b = m <= 41 ? 2 : 3;
      polygon({{a, -b}, {-b, 0}, {a, b}}, m % 2 == 1);
      break;
    }
    case 44:
    case 45:
    case 46:
    case 47: {
      const int32_t a = m <= 45 ? 3 : 4, b = m <= 45 ? 2 : 3;
      polygon({{-a, -b}, {b, 0}, {-a, b}}, m % 2 == 1);
      break;
    }
    case 48:
      square(3, false);
      cross(-3, 4);
      break;
    case 49:
      square(2, false);
      cross(-4, 5);
      break;
    case 50:
      cross(-4, 5);
      line(x - 3, y - 3, x + 4, y + 4);
      line(x - 3, y + 3, x + 4, y - 4);
      break;
    case 51:
      cross(-4, 5);
      line(x - 1, y - 3, x + 2, y - 3);
      line(x - 1, y + 3, x + 2, y + 3);
      line(x - 3, y - 1, x - 3, y + 2);
      line(x + 3, y - 1, x + 3, y + 2);
      break;
    default:
      break;
  }
  return s;
}

// Draws mark m at (x, y) on a white canvas with a red pen and a green brush; returns the marked
// pixels after checking they are all in the pen colour.
TPixelSet DrawnMark(TCanvas& c, int m, int32_t x, int32_t y) {
  constexpr TColor pen = 0x0000FF;
  c.Pen().SetColor(pen);
  c.Brush().SetColor(0x00FF00);
  c.Brush().SetStyle(bsSolid);
  DrawMarkOnCanvas(c, static_cast<uint8_t>(m), x, y);
  TPixelSet marked;
  for (int32_t py = 0; py < c.Height(); ++py) {
    for (int32_t px = 0; px < c.Width(); ++px) {
      const TColor p = c.Pixels(px, py);
      if (p == kWhite) continue;
      EXPECT_EQ(p, pen) << "mark " << m << " at " << px << "," << py;
      marked.insert({px, py});
    }
  }
  return marked;
}

TEST(DrawMarkOnCanvas, EveryMarkCoversTheShapesStatedForIt) {
  TBitmap b(24, 26);
  for (int m = 0; m <= 51; ++m) {
    Fill(b);
    const TPixelSet got = DrawnMark(b.Canvas(), m, 11, 12);
    EXPECT_EQ(got, ModelMark(m, false, 11, 12, 24, 26))
        << "mark " << m << ": got " << Describe(got);
    // Near the corner the same mark is clipped, not moved.
    Fill(b);
    EXPECT_EQ(DrawnMark(b.Canvas(), m, 1, 24), ModelMark(m, false, 1, 24, 24, 26)) << "mark " << m;
  }
  // Marks 1-6 and 18 are exactly their pattern rows; 13 and 19 differ in the centre only.
  Fill(b);
  EXPECT_EQ(DrawnMark(b.Canvas(), 18, 11, 12).size(), 25U);
  Fill(b);
  const TPixelSet diamond = DrawnMark(b.Canvas(), 19, 11, 12);
  Fill(b);
  TPixelSet centred = DrawnMark(b.Canvas(), 13, 11, 12);
  centred.erase({11, 12});
  EXPECT_EQ(centred, diamond);
}

class PrinterMarks : public testing::TempDirTest {
 protected:
  void TearDown() override {
    Printer().Abort();
    Printer().SetOutputFile(u"");
    Printer().SetResolution(300);
    TempDirTest::TearDown();
  }
};

TEST_F(PrinterMarks, OnThePrinterMarksOneToSixAndEighteenAreLines) {
  TPrinter& p = Printer();
  p.Abort();
  XAN_SKIP_WITHOUT_PRINTER();
  p.SetResolution(10);  // 83 x 117 pixels
  p.SetOutputFile(Path("marks.png"));
  p.BeginDoc();
  TCanvas& c = p.Canvas();
  for (int m : {1, 2, 3, 4, 5, 6, 7, 18, 25, 40}) {
    c.Brush().SetColor(0xFFFFFF);
    c.FillRect({0, 0, c.Width(), c.Height()});
    EXPECT_EQ(DrawnMark(c, m, 20, 30), ModelMark(m, true, 20, 30, c.Width(), c.Height()))
        << "mark " << m;
  }
}

TEST(DrawMarkOnCanvas, TheBrushColourIsRestoredAndTheStyleSolidAfterShapes) {
  TBitmap b(20, 20);
  TCanvas& c = b.Canvas();
  for (int m = 0; m <= 255; ++m) {
    c.Brush().SetColor(0x123456);
    c.Brush().SetStyle(m % 2 == 0 ? bsSolid : bsClear);
    c.Pen().SetColor(0x00FF00);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(m), 10, 10);
    EXPECT_EQ(c.Brush().Color(), 0x123456U) << "mark " << m;
    // Filled and open shapes (the open squares 10-12 too) leave a solid brush; pixels and
    // plain lines leave the style as it was.
    const bool shapeTouchingBrush = m <= 51 && !(m >= 1 && m <= 6) && m != 0 && m != 18 &&
                                    m != 13 && !(m >= 19 && m <= 23) && m != 25 &&
                                    !(m >= 37 && m <= 38);
    if (m >= 52) {
      EXPECT_EQ(c.Brush().Style(), bsClear) << "mark " << m << ": characters leave it clear";
    } else if (shapeTouchingBrush) {
      EXPECT_EQ(c.Brush().Style(), bsSolid) << "mark " << m;
    } else {
      EXPECT_EQ(c.Brush().Style(), m % 2 == 0 ? bsSolid : bsClear) << "mark " << m;
    }
  }
  // A filled mark is filled even when the brush was clear before.
  Fill(b);
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(0x0000FF);
  DrawMarkOnCanvas(c, 9, 10, 10);
  EXPECT_EQ(Marked(b), ModelMark(9, false, 10, 10, 20, 20));
}

TEST(DrawMarkOnCanvas, FarCentresAreClippedWithoutHarm) {
  TBitmap b(10, 10);
  for (int m = 0; m <= 51; ++m) {
    for (const TPoint centre :
         {TPoint{kMax, kMax}, TPoint{kMin, kMin}, TPoint{kFar, -kFar}, TPoint{kMax, 5}}) {
      Fill(b);
      DrawMarkOnCanvas(b.Canvas(), static_cast<uint8_t>(m), centre.X, centre.Y);
      EXPECT_TRUE(Marked(b).empty()) << "mark " << m;
    }
  }
}

// =================================================================================================
// Marks as bitmaps

TEST(CreateMarkAsBitmap, SizeComesFromTheClampedMarginAndTheMarkSitsInTheCentre) {
  constexpr TColor mark = 0x2040C0, back = 0xE0E0E0;
  for (const auto& [margin, size] :
       {std::pair{-1, 7}, std::pair{0, 7}, std::pair{300, 517}, std::pair{255, 517},
        std::pair{5, 17}, std::pair{-100000, 7}}) {
    const std::unique_ptr<TBitmap> b = CreateMarkAsBitmap(9, mark, back, margin);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width(), size) << margin;
    EXPECT_EQ(b->Height(), size) << margin;
    const int32_t centre = size / 2;
    for (int32_t y = 0; y < size; ++y) {
      for (int32_t x = 0; x < size; ++x) {
        const bool in = std::abs(x - centre) <= 3 && std::abs(y - centre) <= 3;
        ASSERT_EQ(b->Canvas().Pixels(x, y), in ? mark : back) << margin << " at " << x << "," << y;
      }
    }
  }
  for (int m = 0; m <= 51; ++m) {
    const std::unique_ptr<TBitmap> b = CreateMarkAsBitmap(static_cast<uint8_t>(m), mark, back, 6);
    TPixelSet got;
    for (int32_t y = 0; y < 19; ++y) {
      for (int32_t x = 0; x < 19; ++x) {
        const TColor p = b->Canvas().Pixels(x, y);
        if (p != back) {
          EXPECT_EQ(p, mark);
          got.insert({x, y});
        }
      }
    }
    EXPECT_EQ(got, ModelMark(m, false, 9, 9, 19, 19)) << "mark " << m;
  }
}

// =================================================================================================
// Character marks (skipped without fonts)

TEST(DrawMarkOnCanvas, CharacterMarksAreCentredInThePenColour) {
  TBitmap probe(1, 1);
  if (probe.Canvas().TextHeight(u"5") == 0) GTEST_SKIP() << "fontconfig finds no usable font";
  constexpr TColor pen = 0x0000B0;
  struct TCase {
    int Mark;
    String Text;
  };
  for (const TCase& t : {TCase{205, u"5"}, TCase{200, u"0"}, TCase{209, u"9"}, TCase{65, u"A"},
                         TCase{52, u"4"}, TCase{233, u"\u00E9"}, TCase{255, u"\u00FF"}}) {
    TBitmap got(40, 40), want(40, 40);
    for (TBitmap* b : {&got, &want}) {
      Fill(*b);
      b->Canvas().Font().SetHeight(-18);
      b->Canvas().Font().SetColor(0x00FF00);
    }
    got.Canvas().Pen().SetColor(pen);
    DrawMarkOnCanvas(got.Canvas(), static_cast<uint8_t>(t.Mark), 20, 20);
    EXPECT_EQ(got.Canvas().Font().Color(), pen);
    TCanvas& w = want.Canvas();
    const int32_t tw = w.TextWidth(t.Text), th = w.TextHeight(t.Text);
    w.Font().SetColor(pen);
    w.Brush().SetStyle(bsClear);
    w.TextOut(20 - tw / 2, 20 - th / 2, t.Text);
    const TPixelSet inked = Marked(got);
    EXPECT_FALSE(inked.empty()) << t.Mark;
    EXPECT_EQ(inked, Marked(want)) << t.Mark;
    for (const TPixel& p : inked) {
      const uint32_t px = got.ScanLine(static_cast<int32_t>(p.second))[p.first];
      EXPECT_EQ(px, want.ScanLine(static_cast<int32_t>(p.second))[p.first]);
      EXPECT_EQ((px >> 8) & 0xFF, px & 0xFF) << "a blend of white and the pen colour";
    }
  }
}

// =================================================================================================
// Printing and fonts

class PrintBitmapTest : public testing::TempDirTest {};

TEST_F(PrintBitmapTest, CopiesPixelForPixelOntoThePage) {
  TBitmap b(5, 4);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 5; ++x) b.Canvas().SetPixels(x, y, TColor(0x010203 * (x + 5 * y + 1)));
  }
  PrintBitmap(b, 3, 2);  // outside a job: nothing, no harm
  XAN_SKIP_WITHOUT_PRINTER();
  TPrinter& p = Printer();
  p.Abort();
  p.SetResolution(12);
  p.SetOutputFile(Path("page.png"));
  p.BeginDoc();
  PrintBitmap(b, 3, 2);
  PrintBitmap(b, -2, -3);  // clipped at the page's corner
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 5; ++x)
      EXPECT_EQ(p.Canvas().Pixels(x + 3, y + 2), b.Canvas().Pixels(x, y));
  }
  EXPECT_EQ(p.Canvas().Pixels(0, 0), b.Canvas().Pixels(2, 3));
  EXPECT_EQ(p.Canvas().Pixels(8, 2), 0xFFFFFFU);
  p.EndDoc();
  if (xan::test::kHostLinux) {
    TBitmap page;
    page.LoadFromFile(Path("page.png"));
    EXPECT_EQ(page.Canvas().Pixels(7, 5), b.Canvas().Pixels(4, 3));
  } else {  // the output file holds the printer driver's data for the page
    EXPECT_GT(ReadBytes("page.png").size(), 0u);
  }
  p.SetOutputFile(u"");
  p.SetResolution(300);
}

// The font format fontconfig's own tool reports for a family, or "" without the tool.
std::string FcFormat(const String& family) {
  const std::string command =
      "fc-match --format='%{fontformat}' '" + ToUtf8(family) + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string out;
  char buf[128];
  while (std::fgets(buf, sizeof buf, pipe) != nullptr) out += buf;
  pclose(pipe);
  return out;
}

TEST(FontIsTrueType, FollowsTheFormatOfTheMatchedFaceAndRaisesForUnknownNames) {
  EXPECT_THROW(FontIsTrueType(u"No Such Font Family 1234"), EXANError);
  EXPECT_THROW(FontIsTrueType(u""), EXANError);
  const TStringList& fonts = Screen().Fonts();
  if (fonts.Count() == 0) GTEST_SKIP() << "fontconfig finds no font";
  for (int32_t i = 0; i < fonts.Count() && i < 30; ++i) {
    const String& name = fonts.Strings(i);
    if (name.find(u'\'') != String::npos) continue;
    const bool flag = FontIsTrueType(name);
    String lower = name;
    for (Char& ch : lower) ch = (ch >= u'A' && ch <= u'Z') ? Char(ch + 32) : ch;
    EXPECT_EQ(FontIsTrueType(lower), flag) << "names compare ignoring case";
    const std::string format = FcFormat(name);
    if (!format.empty()) {
      EXPECT_EQ(flag, format == "TrueType" || format == "CFF") << ToUtf8(name);
    }
  }
  if (fonts.IndexOf(u"DejaVu Sans") >= 0) {
    EXPECT_TRUE(FontIsTrueType(u"DejaVu Sans"));
  }
}

TEST(SetCanvasFontSizeScaled, TheHeightIsTheScreensForTheSize) {
  TCanvas c;
  for (const int32_t ppi : {96, 300, 72, 120}) {
    c.Font().SetPixelsPerInch(ppi);
    SetCanvasFontSizeScaled(c, 12);
    EXPECT_EQ(c.Font().Height(), -16) << ppi;
    EXPECT_EQ(c.Font().PixelsPerInch(), ppi);
    SetCanvasFontSizeScaled(c, 9);
    EXPECT_EQ(c.Font().Height(), -12) << ppi;
  }
}

}  // namespace
}  // namespace xan
