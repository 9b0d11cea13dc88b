// The canvas's pixel rules: lines in every direction against a nearest-pixel model, the edge
// rules of rectangles, ellipses and polygons, clipping far outside the raster, empty rasters,
// pixels, image copies and text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pixel_models.h"
#include "platform/wide_math.h"
#include "xan/platform/graphics.h"
#include "xan/platform/locale.h"

namespace xan {
namespace {

using namespace xan::testing;

// =================================================================================================
// Lines

TEST(CanvasLines, EveryDirectionTakesTheNearestPixelsWithoutTheEnd) {
  TBitmap b(81, 81);
  TCanvas& c = b.Canvas();
  int failures = 0;
  for (int ex = -25; ex <= 25 && failures < 5; ++ex) {
    for (int ey = -25; ey <= 25 && failures < 5; ++ey) {
      Fill(b);
      c.MoveTo(40, 40);
      c.LineTo(40 + ex, 40 + ey);
      EXPECT_EQ(c.PenPos(), (TPoint{40 + ex, 40 + ey}));
      const TPixelSet got = Marked(b), want = ModelLine(40, 40, 40 + ex, 40 + ey, 81, 81);
      if (got != want) {
        ++failures;
        ADD_FAILURE() << "LineTo(" << ex << "," << ey << ") from (40,40): got " << Describe(got)
                      << " want " << Describe(want);
      }
    }
  }
  // The documented examples: ties go to the smaller coordinate in both directions.
  Fill(b);
  c.MoveTo(0, 0);
  c.LineTo(4, 2);
  EXPECT_EQ(Marked(b), (TPixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  Fill(b);
  c.MoveTo(4, 2);
  c.LineTo(0, 0);
  EXPECT_EQ(Marked(b), (TPixelSet{{4, 2}, {3, 1}, {2, 1}, {1, 0}}));
}

TEST(CanvasLines, LinesLeavingTheRasterKeepTheirPixelsOnIt) {
  TBitmap b(97, 61);
  TCanvas& c = b.Canvas();
  std::mt19937 rng(19);
  std::uniform_int_distribution<int32_t> coord(-150, 250);
  int failures = 0;
  for (int i = 0; i < 3000 && failures < 5; ++i) {
    const int32_t x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    Fill(b);
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
    const TPixelSet got = Marked(b), want = ModelLine(x1, y1, x2, y2, 97, 61);
    if (got != want) {
      ++failures;
      ADD_FAILURE() << x1 << "," << y1 << " -> " << x2 << "," << y2 << ": got " << Describe(got)
                    << " want " << Describe(want);
    }
  }
}

TEST(CanvasLines, CoordinatesAtTheEndsOfThe32BitRangeAreClippedExactly) {
  if (sizeof(Wide) < 16) GTEST_SKIP() << "no 128-bit integer for the model";
  struct TCase {
    int32_t x1, y1, x2, y2;
  };
  const TCase cases[] = {
      {-kFar, -kFar + 7, kFar, kFar - 3},
      {kFar, kFar, -kFar, -kFar},
      {-kFar, 20, kFar, 40},
      {kMin, 5, kMax, 17},
      {3, kMin, 40, kMax},
      {kMin, kMin, kMax, kMax},
      {kMax, kMin, kMin, kMax},
      {kFar, 40, -kFar, 20},
      {10, kMin, 10, kMax},
      {kMax, 7, kMin, 7},
      {-kFar, -kFar, -kFar + 100, kFar},
      {kMin, kMax, kMax, kMax},
      {-kFar + 3, kFar, 40, 30},
      {25, 30, kMin, kMin + 12345},
  };
  TBitmap b(50, 50);
  TCanvas& c = b.Canvas();
  for (const TCase& t : cases) {
    Fill(b);
    c.MoveTo(t.x1, t.y1);
    c.LineTo(t.x2, t.y2);
    EXPECT_EQ(Marked(b), ModelLine(t.x1, t.y1, t.x2, t.y2, 50, 50))
        << t.x1 << "," << t.y1 << " -> " << t.x2 << "," << t.y2;
  }
  // A line through the raster from far away both ways is the same line but for its ends.
  Fill(b);
  c.MoveTo(-kFar, -kFar / 2);
  c.LineTo(kFar, kFar / 2);
  const TPixelSet forward = Marked(b);
  Fill(b);
  c.MoveTo(kFar, kFar / 2);
  c.LineTo(-kFar, -kFar / 2);
  EXPECT_EQ(Marked(b), forward);
  EXPECT_EQ(forward.size(), 50U);
}

TEST(CanvasLines, AClearPenDrawsNothingButMovesThePen) {
  TBitmap b(10, 10);
  TCanvas& c = b.Canvas();
  Fill(b);
  c.Pen().SetStyle(psClear);
  c.MoveTo(0, 0);
  c.LineTo(9, 9);
  EXPECT_TRUE(Marked(b).empty());
  EXPECT_EQ(c.PenPos(), (TPoint{9, 9}));
  // Wide and dashed pens draw as solid 1-pixel lines.
  c.Pen().SetStyle(psDash);
  c.Pen().SetWidth(5);
  c.MoveTo(0, 2);
  c.LineTo(9, 2);
  EXPECT_EQ(Marked(b), ModelLine(0, 2, 9, 2, 10, 10));
}

// =================================================================================================
// Rectangles

TEST(CanvasShapes, RectangleCoversTheBoxWithoutItsRightAndBottomEdges) {
  constexpr TColor pen = 0x0000FF, brush = 0xFF0000;
  struct TCase {
    int32_t x1, y1, x2, y2;
  };
  const TCase cases[] = {{2, 3, 7, 9},       {7, 9, 2, 3},
                         {2, 9, 7, 3},       {1, 1, 2, 6},
                         {1, 1, 3, 3},       {4, 4, 4, 9},
                         {4, 4, 9, 4},       {-3, -2, 5, 4},
                         {8, 8, 30, 30},     {-kFar, -kFar, kFar, kFar},
                         {kMin, 5, kMax, 7}, {0, 0, 12, 12},
                         {5, 5, 6, 6},       {-kFar, 2, -3, 9}};
  TBitmap b(12, 12);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(pen);
  c.Brush().SetColor(brush);
  for (const TCase& t : cases) {
    for (int variant = 0; variant < 3; ++variant) {
      const bool hasPen = variant != 1, hasBrush = variant != 2;
      c.Pen().SetStyle(hasPen ? psSolid : psClear);
      c.Brush().SetStyle(hasBrush ? bsSolid : bsClear);
      Fill(b);
      c.Rectangle(t.x1, t.y1, t.x2, t.y2);
      const int64_t l = std::min(t.x1, t.x2), r = std::max(t.x1, t.x2);
      const int64_t top = std::min(t.y1, t.y2), bottom = std::max(t.y1, t.y2);
      for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
          TColor want = kWhite;
          // A 1 x 1 box has an outline of no length and no inside: it draws nothing.
          const bool dot = r - l == 1 && bottom - top == 1;
          const bool inBox = x >= l && x < r && y >= top && y < bottom && !dot;
          const bool border = x == l || x == r - 1 || y == top || y == bottom - 1;
          if (hasPen && inBox && border) {
            want = pen;
          } else if (hasBrush && hasPen && inBox) {
            want = brush;
          } else if (hasBrush && !hasPen && x >= l && x < r - 1 && y >= top && y < bottom - 1) {
            want = brush;  // without a pen one pixel smaller
          }
          ASSERT_EQ(c.Pixels(x, y), want)
              << "Rectangle(" << t.x1 << "," << t.y1 << "," << t.x2 << "," << t.y2 << ") variant "
              << variant << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(CanvasShapes, FillRectFillsLeftTopToRightBottomExclusive) {
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  Fill(b);
  c.Brush().SetColor(0x00FF00);
  c.FillRect({2, 1, 5, 3});
  TPixelSet want;
  for (int y = 1; y < 3; ++y) {
    for (int x = 2; x < 5; ++x) want.insert({x, y});
  }
  EXPECT_EQ(Marked(b), want);
  Fill(b);
  c.FillRect({5, 3, 2, 1});  // empty: right before left
  c.Brush().SetStyle(bsClear);
  c.FillRect({0, 0, 8, 8});
  EXPECT_TRUE(Marked(b).empty());
}

// =================================================================================================
// Ellipses: '#' outline (pen), 'o' inside (brush), '.' untouched; the box is the picture's size.

TEST(CanvasShapes, EllipsesFollowTheirPictures) {
  constexpr TColor pen = 0x0000FF, brush = 0x00FF00;
  for (const TEllipsePicture& p : kEllipses) {
    TBitmap b(p.W + 5, p.H + 6);
    TCanvas& c = b.Canvas();
    c.Pen().SetColor(pen);
    c.Brush().SetColor(brush);
    for (int variant = 0; variant < 4; ++variant) {
      const bool hasPen = variant != 1, hasBrush = variant != 2;
      c.Pen().SetStyle(hasPen ? psSolid : psClear);
      c.Brush().SetStyle(hasBrush ? bsSolid : bsClear);
      Fill(b);
      if (variant == 3) {
        c.Ellipse(2 + p.W, 3 + p.H, 2, 3);  // corners the other way round
      } else {
        c.Ellipse(2, 3, 2 + p.W, 3 + p.H);
      }
      for (int32_t y = 0; y < b.Height(); ++y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
          const bool in = x >= 2 && x < 2 + p.W && y >= 3 && y < 3 + p.H;
          const char ch = in ? p.Rows[y - 3][x - 2] : '.';
          TColor want = kWhite;
          if (ch == '#' && hasPen) {
            want = pen;
          } else if (ch != '.' && hasBrush) {
            want = brush;
          }
          ASSERT_EQ(c.Pixels(x, y), want)
              << p.W << "x" << p.H << " variant " << variant << " at " << x - 2 << "," << y - 3;
        }
      }
    }
  }
}

TEST(CanvasShapes, EllipsesClipAndNarrowOnesAreRectangles) {
  // Clipped: the 20 x 12 ellipse with its box starting at (-7, -5) on an 8 x 5 raster.
  const TEllipsePicture& big = kEllipses[8];
  TBitmap b(8, 5);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(0x00FF00);
  Fill(b);
  c.Ellipse(-7, -5, 13, 7);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const char ch = big.Rows[y + 5][x + 7];
      EXPECT_EQ(c.Pixels(x, y), ch == '#' ? 0x000000U : (ch == 'o' ? 0x00FF00U : kWhite))
          << x << "," << y;
    }
  }
  // A box at most 2 pixels wide or high is a rectangle.
  TBitmap r(8, 8);
  for (const auto& box : {TRect{1, 1, 3, 7}, TRect{1, 1, 7, 2}, TRect{2, 2, 4, 4}}) {
    Fill(r);
    TBitmap e(8, 8);
    Fill(e);
    e.Canvas().Ellipse(box.Left, box.Top, box.Right, box.Bottom);
    r.Canvas().Rectangle(box);
    EXPECT_EQ(Marked(e), Marked(r));
  }
  // A huge ellipse around the raster fills it; one beyond the limit draws nothing.
  TBitmap h(60, 40);
  Fill(h);
  h.Canvas().Brush().SetColor(0x00FF00);
  h.Canvas().Ellipse(-3000, -3000, 3100, 3100);
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      ASSERT_EQ(h.Canvas().Pixels(x, y), 0x00FF00U) << x << "," << y;
    }
  }
  // The largest ellipse drawn: its walk stays within 64 bits (the sanitizer build checks).
  Fill(h);
  const int32_t limit = static_cast<int32_t>(MaxEllipseSize / 2);
  h.Canvas().Ellipse(-limit, -limit, limit, limit);
  EXPECT_EQ(Marked(h).size(), 2400U);
  EXPECT_EQ(h.Canvas().Pixels(59, 39), 0x00FF00U);
  Fill(h);
  const int32_t half = limit + 1;
  h.Canvas().Ellipse(-half, -10, half, 50);
  h.Canvas().Ellipse(kMin, kMin, kMax, kMax);
  EXPECT_TRUE(Marked(h).empty());
}

// =================================================================================================
// Polygons

TEST(CanvasShapes, PolygonsFillByTheEvenOddRuleThenDrawTheirEdges) {
  constexpr TColor pen = 0x0000FF, brush = 0x00FF00;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> coord(-4, 26);
  std::uniform_int_distribution<int> count(3, 7);
  TBitmap b(24, 22);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(pen);
  c.Brush().SetColor(brush);
  int failures = 0;
  for (int i = 0; i < 600 && failures < 5; ++i) {
    std::vector<TPoint> p(static_cast<size_t>(count(rng)));
    for (TPoint& q : p) q = {coord(rng), coord(rng)};
    const bool hasPen = i % 3 != 0;
    c.Pen().SetStyle(hasPen ? psSolid : psClear);
    Fill(b);
    c.Polygon(p);
    const TPixelSet inside = ModelPolygonInside(p, 24, 22);
    TPixelSet outline;
    for (size_t k = 0; hasPen && k < p.size(); ++k) {
      const TPoint a = p[k], e = p[(k + 1) % p.size()];
      const TPixelSet line = ModelLine(a.X, a.Y, e.X, e.Y, 24, 22);
      outline.insert(line.begin(), line.end());
    }
    for (int32_t y = 0; y < 22; ++y) {
      for (int32_t x = 0; x < 24; ++x) {
        const TColor want = outline.count({x, y}) != 0  ? pen
                            : inside.count({x, y}) != 0 ? brush
                                                        : kWhite;
        if (c.Pixels(x, y) != want) {
          ++failures;
          std::string points;
          for (const TPoint& q : p)
            points += "(" + std::to_string(q.X) + "," + std::to_string(q.Y) + ")";
          ADD_FAILURE() << "polygon " << points << " at " << x << "," << y;
          y = 22;
          break;
        }
      }
    }
  }
}

TEST(CanvasShapes, PolygonsOfFewPointsAndFarPoints) {
  TBitmap b(30, 20);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(0x00FF00);
  Fill(b);
  const TPoint one[] = {{5, 5}};
  c.Polygon(one);
  c.Polygon(std::span<const TPoint>());
  EXPECT_TRUE(Marked(b).empty());
  // Two points: the segment both ways, nothing inside.
  const TPoint two[] = {{2, 3}, {9, 6}};
  c.Polygon(two);
  TPixelSet want = ModelLine(2, 3, 9, 6, 30, 20);
  const TPixelSet back = ModelLine(9, 6, 2, 3, 30, 20);
  want.insert(back.begin(), back.end());
  EXPECT_EQ(Marked(b), want);
  // A triangle from far outside: its inside on the raster, its edges off it.
  const std::vector<TPoint> far = {{-kFar, -kFar}, {kFar, 3}, {-kFar, kFar}};
  Fill(b);
  c.Pen().SetStyle(psClear);
  c.Polygon(far);
  EXPECT_EQ(Marked(b), ModelPolygonInside(far, 30, 20));
  EXPECT_FALSE(Marked(b).empty());
  const std::vector<TPoint> extreme = {{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}};
  Fill(b);
  c.Polygon(extreme);
  EXPECT_EQ(Marked(b).size(), 600U);
}

// =================================================================================================
// Pixels, copies and empty rasters

TEST(CanvasPixels, ColoursKeepRedInTheLowByteAndOutsideReadsInvalid) {
  TBitmap b(3, 2);
  TCanvas& c = b.Canvas();
  c.SetPixels(0, 0, 0x0000FF);    // red
  c.SetPixels(1, 0, 0xAB123456);  // the top byte is ignored
  EXPECT_EQ(b.ScanLine(0)[0], 0x00FF0000U);
  EXPECT_EQ(c.Pixels(0, 0), 0x0000FFU);
  EXPECT_EQ(c.Pixels(1, 0), 0x123456U);
  EXPECT_EQ(b.ScanLine(0)[1], 0x00563412U);
  for (const TPoint p :
       {TPoint{-1, 0}, TPoint{3, 0}, TPoint{0, 2}, TPoint{kMin, kMin}, TPoint{kMax, 1}}) {
    EXPECT_EQ(c.Pixels(p.X, p.Y), clInvalidPixel);
    c.SetPixels(p.X, p.Y, 0);
  }
  EXPECT_EQ(c.Pixels(2, 1), kWhite);
}

TEST(CanvasPixels, DrawAndStretchDrawCopyWithClipping) {
  TBitmap src(3, 2);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) src.Canvas().SetPixels(x, y, TColor(0x10 * (y * 3 + x + 1)));
  }
  TBitmap dst(6, 5);
  Fill(dst);
  dst.Canvas().Draw(-1, 4, src);  // only row 0, columns 1..2 of the source land
  EXPECT_EQ(Marked(dst), (TPixelSet{{0, 4}, {1, 4}}));
  EXPECT_EQ(dst.Canvas().Pixels(0, 4), 0x20U);
  EXPECT_EQ(dst.Canvas().Pixels(1, 4), 0x30U);
  Fill(dst);
  dst.Canvas().StretchDraw({0, 0, 6, 4}, src);  // each source pixel becomes 2 x 2
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(dst.Canvas().Pixels(x, y), src.Canvas().Pixels(x / 2, y / 2));
  }
  EXPECT_EQ(dst.Canvas().Pixels(0, 4), kWhite);
  Fill(dst);
  dst.Canvas().StretchDraw({4, 4, 2, 2}, src);  // empty destination
  dst.Canvas().Draw(kMax, kMax, src);
  dst.Canvas().Draw(kMin, kMin, src);
  TBitmap none;
  dst.Canvas().Draw(0, 0, none);
  EXPECT_TRUE(Marked(dst).empty());
}

TEST(CanvasPixels, CanvasesWithoutPixelsIgnoreEverything) {
  TBitmap empty;
  TCanvas loose;
  for (TCanvas* c : {&empty.Canvas(), &loose}) {
    EXPECT_EQ(c->Width(), 0);
    c->MoveTo(-5, -5);
    c->LineTo(5, 5);
    c->Rectangle(-5, -5, 5, 5);
    c->Ellipse(-5, -5, 5, 5);
    const TPoint tri[] = {{-5, -5}, {5, 0}, {0, 5}};
    c->Polygon(tri);
    c->FillRect({-5, -5, 5, 5});
    c->SetPixels(0, 0, 0);
    c->TextOut(0, 0, u"Text");
    c->Draw(0, 0, empty);
    EXPECT_EQ(c->Pixels(0, 0), clInvalidPixel);
    EXPECT_EQ(c->PenPos().Y, 0);
  }
  empty.SetSize(0, 5);  // a width of 0 is still no pixels
  empty.Canvas().Rectangle(0, 0, 3, 3);
  EXPECT_EQ(empty.Canvas().Pixels(0, 0), clInvalidPixel);
  EXPECT_EQ(empty.ScanLine(0), nullptr);
}

TEST(CanvasPixels, WideArithmeticAgreesWithItsPortableForm) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const int64_t a = static_cast<int64_t>(rng() >> (31 + i % 3));
    const int64_t b = static_cast<int64_t>(rng() >> (31 + i % 5));
    const int64_t c = static_cast<int64_t>(rng() >> 28) - (int64_t{1} << 35);
    const int64_t d = static_cast<int64_t>(rng() >> (28 + i % 7)) + 1;
    int64_t r1 = 0, r2 = 0;
    const int64_t q1 = detail::FloorMulAddDiv(a, b, c, d, r1);
    const int64_t q2 = detail::FloorMulAddDivPortable(a, b, c, d, r2);
    ASSERT_EQ(q1, q2) << a << "*" << b << "+" << c << "/" << d;
    ASSERT_EQ(r1, r2);
    ASSERT_GE(r1, 0);
    ASSERT_LT(r1, d);
  }
  int64_t rem = 0;
  EXPECT_EQ(detail::FloorMulAddDivPortable(0, 5, -7, 2, rem), -4);
  EXPECT_EQ(rem, 1);
}

// =================================================================================================
// Text (skipped when fontconfig finds no usable font)

class CanvasText : public ::testing::Test {
 protected:
  void SetUp() override {
    FBitmap.SetSize(240, 80);
    Fill(FBitmap);
    TCanvas& c = FBitmap.Canvas();
    c.Font().SetName(u"DejaVu Sans");
    c.Font().SetHeight(-20);
    c.Font().SetColor(0x0000C0);
    c.Brush().SetStyle(bsClear);
    if (c.TextHeight(u"H") == 0) GTEST_SKIP() << "fontconfig finds no usable font";
  }
  TBitmap FBitmap;
};

TEST_F(CanvasText, MetricsFollowTheFontHeight) {
  TCanvas& c = FBitmap.Canvas();
  TTextMetric m = c.TextMetrics();
  EXPECT_EQ(m.Height, m.Ascent + m.Descent);
  EXPECT_EQ(m.Height - m.InternalLeading, 20) << "a negative height is the em size";
  EXPECT_EQ(c.TextHeight(u""), m.Height);
  EXPECT_NE(m.PitchAndFamily & TMPF_VECTOR, 0);
  c.Font().SetHeight(30);
  EXPECT_EQ(c.TextHeight(u"x"), 30) << "a positive height is the cell height";
  c.Font().SetSize(24);
  EXPECT_GT(c.TextHeight(u"x"), 30);
  c.Font().SetHeight(-20);
  EXPECT_EQ(c.TextWidth(u""), 0);
  EXPECT_GT(c.TextWidth(u"A"), 0);
  EXPECT_EQ(c.TextWidth(u"AVA"), 2 * c.TextWidth(u"A") + c.TextWidth(u"V")) << "no kerning";
  c.Font().SetName(u"No Such Font Family 1234");
  EXPECT_GT(c.TextHeight(u"x"), 0) << "fontconfig substitutes a face";
  c.Font().SetHeight(-1000000);
  EXPECT_GT(c.TextHeight(u"x"), 4000);
  EXPECT_LT(c.TextHeight(u"x"), 6000) << "the em size stops at 4096 pixels";
}

TEST_F(CanvasText, TextOutBlendsTheFontColourInsideTheCell) {
  TCanvas& c = FBitmap.Canvas();
  const int32_t w = c.TextWidth(u"HIH"), h = c.TextHeight(u"HIH");
  c.TextOut(10, 7, u"HIH");
  EXPECT_EQ(c.PenPos(), (TPoint{10 + w, 7}));
  bool full = false;
  for (const auto& [x, y] : Marked(FBitmap)) {
    EXPECT_TRUE(x >= 10 && x < 10 + w && y >= 7 && y < 7 + h) << x << "," << y;
    const uint32_t p = FBitmap.ScanLine(static_cast<int32_t>(y))[x];
    // Between white and the font colour 0x0000C0 (red 0xC0): red in 0xC0..0xFF, green = blue.
    EXPECT_GE(p >> 16, 0xC0U);
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
    full = full || p == Raster(0x0000C0);
  }
  EXPECT_TRUE(full) << "the stems of H are fully covered";
  // A solid brush fills the whole cell first.
  Fill(FBitmap);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(0x00FF00);
  c.TextOut(10, 7, u"HIH");
  TPixelSet cell;
  for (int32_t y = 7; y < 7 + h; ++y) {
    for (int32_t x = 10; x < 10 + w; ++x) cell.insert({x, y});
  }
  EXPECT_EQ(Marked(FBitmap), cell);
}

TEST_F(CanvasText, StylesChangeTheGlyphs) {
  TCanvas& c = FBitmap.Canvas();
  auto inked = [&](TFontStyles styles) {
    Fill(FBitmap);
    c.Font().SetStyle(styles);
    c.TextOut(5, 5, u"HHHH");
    return Marked(FBitmap);
  };
  const TPixelSet regular = inked({});
  EXPECT_GT(inked({fsBold}).size(), regular.size());
  EXPECT_NE(inked({fsItalic}), regular);
  // The underline: a row below the baseline in the font colour along the whole advance.
  c.Font().SetStyle({});
  const int32_t ascent = c.TextMetrics().Ascent, w = c.TextWidth(u"HHHH");
  inked({fsUnderline});
  bool row = false;
  for (int32_t y = 5 + ascent; y < 5 + ascent + 6 && !row; ++y) {
    row = true;
    for (int32_t x = 5; x < 5 + w; ++x) row = row && FBitmap.ScanLine(y)[x] == Raster(0x0000C0);
  }
  EXPECT_TRUE(row);
  EXPECT_GT(inked({fsStrikeOut}).size(), regular.size());
}

TEST_F(CanvasText, TextFarOutsideOrPartlyOutsideIsClipped) {
  TCanvas& c = FBitmap.Canvas();
  c.TextOut(kFar, kFar, u"HH");
  c.TextOut(kMin, 10, u"HH");
  c.TextOut(10, kMin, u"HH");
  c.TextOut(-kFar, -kFar, u"HH");
  EXPECT_TRUE(Marked(FBitmap).empty());
  EXPECT_EQ(c.PenPos().X, -kFar + c.TextWidth(u"HH"));
  c.TextOut(kMax - 3, 10, u"HH");
  EXPECT_EQ(c.PenPos().X, kMax) << "the pen position stops at the end of the range";
  c.TextOut(-6, -9, u"HH");
  const TPixelSet clipped = Marked(FBitmap);
  EXPECT_FALSE(clipped.empty());
  // Surrogates, a lone one included, measure and draw without harm.
  const String odd = {u'A', Char(0xD83D), Char(0xDE00), Char(0xDC00), u'B', Char(0xD800)};
  EXPECT_GT(c.TextWidth(odd), 0);
  c.TextOut(0, 40, odd);
}

TEST(Screen, FontsAreSortedOnceEachAndFoundIgnoringCase) {
  const TStringList& fonts = Screen().Fonts();
  EXPECT_EQ(Screen().PixelsPerInch(), 96);
  if (fonts.Count() == 0) GTEST_SKIP() << "fontconfig finds no font";
  for (int32_t i = 1; i < fonts.Count(); ++i) {
    EXPECT_LT(LocaleCompareText(fonts.Strings(i - 1), fonts.Strings(i)), 0)
        << ToUtf8(fonts.Strings(i));
  }
  for (int32_t i = 0; i < fonts.Count(); ++i) {
    String upper = fonts.Strings(i);
    for (Char& ch : upper) ch = LocaleUpperChar(ch);
    EXPECT_EQ(fonts.IndexOf(upper), i);
  }
  EXPECT_EQ(fonts.IndexOf(u"No Such Font Family 1234"), -1);
}

}  // namespace
}  // namespace xan
