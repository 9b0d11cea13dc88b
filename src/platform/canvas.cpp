// The canvas: lines, rectangles, ellipses and polygons on a 32-bit raster by the GDI's pixel
// rules (on Windows drawn by the GDI itself), single pixels and image copies; text is handed to
// the text engine.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "canvas_host.h"
#include "text_engine.h"
#include "wide_math.h"
#include "xan/platform/graphics.h"

#if defined(_WIN32)
#include "win32/canvas.inc"
#else
// The POSIX hosts have no drawing library of the GDI's rules: the canvas draws every shape.
bool xan::detail::HostDraw(uint32_t*, int32_t, int32_t, THostShape, std::span<const TPoint>, bool,
                           TColor, bool, TColor) noexcept {
  return false;
}
#endif

namespace xan {

namespace {

using detail::FloorDiv;
using detail::FloorMulAddDiv;

// TColor keeps red in the low byte; the raster keeps it in the third (0x00RRGGBB).
constexpr uint32_t ToPixel(TColor c) noexcept {
  return ((c & 0xFFU) << 16) | (c & 0xFF00U) | ((c >> 16) & 0xFFU);
}
constexpr TColor FromPixel(uint32_t p) noexcept {
  return ((p & 0xFFU) << 16) | (p & 0xFF00U) | ((p >> 16) & 0xFFU);
}

int32_t Saturate(int64_t v) noexcept {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// A raster and the clipped fills every shape is made of. Coordinates are 64-bit so that sums and
// differences of 32-bit arguments never overflow.
class TRaster {
 public:
  TRaster(uint32_t* Bits, int32_t Width, int32_t Height) noexcept
      : FBits(Bits), FW(Width), FH(Height) {}

  bool Empty() const noexcept { return FBits == nullptr || FW <= 0 || FH <= 0; }

  // Fills columns l..r-1 of rows t..b-1.
  void Box(int64_t l, int64_t t, int64_t r, int64_t b, uint32_t px) const noexcept {
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, FW);
    b = std::min<int64_t>(b, FH);
    if (l >= r || t >= b) return;
    for (int64_t y = t; y < b; ++y) std::fill(FBits + y * FW + l, FBits + y * FW + r, px);
  }

  void Pixel(int64_t x, int64_t y, uint32_t px) const noexcept {
    if (x >= 0 && x < FW && y >= 0 && y < FH) FBits[y * FW + x] = px;
  }

  void Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t px) const noexcept;

  uint32_t* FBits;
  int64_t FW;
  int64_t FH;
};

// The line from (x1, y1) to (x2, y2) without its end pixel.
//
// Straight lines are boxes. Any other line takes one pixel per step k = 0..A-1 along its major
// axis (the longer one; at equal lengths the vertical one), A being its major length and B its
// minor length; the minor offset of step k is
//   n(k) = floor((2kB + A + bias - 1) / 2A),
// the nearest integer to kB/A with ties resolved toward the smaller minor coordinate (bias is 1
// when the minor coordinate decreases). Clipping picks the steps whose pixels lie on the raster
// from that formula (n(k) never decreases), then the usual error term walks them.
void TRaster::Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t px) const noexcept {
  if (y1 == y2) {
    if (x1 <= x2) {
      Box(x1, y1, x2, y1 + 1, px);
    } else {
      Box(x2 + 1, y1, x1 + 1, y1 + 1, px);
    }
    return;
  }
  if (x1 == x2) {
    if (y1 <= y2) {
      Box(x1, y1, x1 + 1, y2, px);
    } else {
      Box(x1, y2 + 1, x1 + 1, y1 + 1, px);
    }
    return;
  }
  if (Empty()) return;
  const int64_t dx = x2 - x1, dy = y2 - y1;
  const bool xMajor = std::llabs(dx) > std::llabs(dy);
  const int64_t A = xMajor ? std::llabs(dx) : std::llabs(dy);
  const int64_t B = xMajor ? std::llabs(dy) : std::llabs(dx);
  const int64_t majStart = xMajor ? x1 : y1, minStart = xMajor ? y1 : x1;
  const int64_t majStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const int64_t minStep = (xMajor ? dy : dx) > 0 ? 1 : -1;
  const int64_t bias = minStep < 0 ? 1 : 0;
  const int64_t majLen = xMajor ? FW : FH, minLen = xMajor ? FH : FW;

  // Steps whose major coordinate is on the raster.
  int64_t k0 = 0, k1 = A - 1;
  if (majStep > 0) {
    k0 = std::max(k0, -majStart);
    k1 = std::min(k1, majLen - 1 - majStart);
  } else {
    k0 = std::max(k0, majStart - (majLen - 1));
    k1 = std::min(k1, majStart);
  }
  if (k0 > k1) return;
  // Minor offsets whose coordinate is on the raster, then the steps that have them: the first
  // step with n(k) >= n is ceil((2nA - A - bias + 1) / 2B).
  int64_t nLo = minStep > 0 ? -minStart : minStart - (minLen - 1);
  int64_t nHi = minStep > 0 ? minLen - 1 - minStart : minStart;
  nLo = std::max<int64_t>(nLo, 0);
  nHi = std::min(nHi, B);
  if (nLo > nHi) return;
  auto firstStepWith = [&](int64_t n) { return FloorMulAddDiv(2 * n, A, 2 * B - A - bias, 2 * B); };
  k0 = std::max(k0, firstStepWith(nLo));
  k1 = std::min(k1, firstStepWith(nHi + 1) - 1);
  if (k0 > k1) return;

  // n(k0) and its remainder give the error term of that step:
  //   err = 2B - A + 2(k0 B - n A) = 2B - 2A + rem + 1 - bias.
  int64_t rem = 0;  // 2 k0 B + A + bias - 1 = 2A n0 + rem
  const int64_t n0 = FloorMulAddDiv(2 * k0, B, A + bias - 1, 2 * A, rem);
  int64_t err = 2 * B - 2 * A + rem + 1 - bias;
  const int64_t maj = majStart + majStep * k0, mn = minStart + minStep * n0;
  int64_t idx = xMajor ? mn * FW + maj : maj * FW + mn;
  const int64_t majDelta = xMajor ? majStep : majStep * FW;
  const int64_t minDelta = xMajor ? minStep * FW : minStep;
  const int64_t bothErr = 2 * B - 2 * A, majErr = 2 * B;
  for (int64_t k = k0; k <= k1; ++k) {
    FBits[idx] = px;
    if (err + bias > 0) {
      idx += minDelta;
      err += bothErr;
    } else {
      err += majErr;
    }
    idx += majDelta;
  }
}

}  // namespace

// =================================================================================================
// TCanvas

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::Attach(uint32_t* Bits, int32_t Width, int32_t Height) noexcept {
  const bool none = Bits == nullptr || Width <= 0 || Height <= 0;
  FBits = none ? nullptr : Bits;
  FWidth = none ? 0 : Width;
  FHeight = none ? 0 : Height;
}

void TCanvas::LineTo(int32_t X, int32_t Y) noexcept {
  const std::array<TPoint, 2> ends{FPenPos, TPoint{X, Y}};
  if (FPen.Style() != psClear && !HostShape(detail::THostShape::Line, ends)) {
    TRaster(FBits, FWidth, FHeight).Line(FPenPos.X, FPenPos.Y, X, Y, ToPixel(FPen.Color()));
  }
  FPenPos = {X, Y};
}

void TCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) noexcept {
  const TRaster raster(FBits, FWidth, FHeight);
  const int64_t l = std::min(X1, X2), r = std::max(X1, X2);
  const int64_t t = std::min(Y1, Y2), b = std::max(Y1, Y2);
  if (l == r || t == b || raster.Empty()) return;
  if (HostShape(detail::THostShape::Rectangle, std::array<TPoint, 2>{{{X1, Y1}, {X2, Y2}}})) return;
  const bool pen = FPen.Style() != psClear;
  if (pen) {
    // The outline as the GDI draws it: a closed figure through the four corner pixels, starting
    // at the top right and going counter-clockwise.
    const uint32_t px = ToPixel(FPen.Color());
    raster.Line(r - 1, t, l, t, px);
    raster.Line(l, t, l, b - 1, px);
    raster.Line(l, b - 1, r - 1, b - 1, px);
    raster.Line(r - 1, b - 1, r - 1, t, px);
  }
  if (FBrush.Style() != bsClear) {
    const int64_t inset = pen ? 1 : 0;
    raster.Box(l + inset, t + inset, r - 1, b - 1, ToPixel(FBrush.Color()));
  }
}

// The ellipse of the box l..r-1, t..b-1 (w = r - l and h = b - t, both at least 3).
//
// The inside and the outline come from one integer walk along the first quadrant (the midpoint
// method on doubled coordinates, with a = w - 1 and b = h - 1 as the axes): the outline takes
// every pixel of the walk and its mirror images; the inside takes, row by row, the span between
// the walk's insets, the upper rows mirroring the lower ones. The inside is painted first, the
// outline over it.
void TCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) noexcept {
  const TRaster raster(FBits, FWidth, FHeight);
  const int64_t l = std::min(X1, X2), r = std::max(X1, X2);
  const int64_t t = std::min(Y1, Y2), b = std::max(Y1, Y2);
  const int64_t w = r - l, h = b - t;
  if (w == 0 || h == 0) return;
  if (w <= 2 || h <= 2) {
    Rectangle(X1, Y1, X2, Y2);
    return;
  }
  if (w > MaxEllipseSize || h > MaxEllipseSize || raster.Empty()) return;
  if (l >= raster.FW || r <= 0 || t >= raster.FH || b <= 0) return;
  if (HostShape(detail::THostShape::Ellipse, std::array<TPoint, 2>{{{X1, Y1}, {X2, Y2}}})) return;

  const int64_t a = w - 1, bb = h - 1;
  const int64_t asq = 8 * a * a, bsq = 8 * bb * bb;
  const int64_t dx0 = 4 * bb * bb * (1 - a), dy0 = 4 * a * a * (1 + bb % 2);
  const int64_t err0 = dx0 + dy0 + a * a * (bb % 2);

  if (FBrush.Style() != bsClear) {
    const uint32_t px = ToPixel(FBrush.Color());
    auto fillRow = [&](int64_t row, int64_t inset) {
      if (row >= h) return;
      raster.Box(l + inset, t + row, r - inset, t + row + 1, px);
      const int64_t mirror = h - 1 - row;
      if (mirror < h / 2) raster.Box(l + inset, t + mirror, r - inset, t + mirror + 1, px);
    };
    int64_t x = 0, y = h / 2, dx = dx0, dy = dy0, err = err0;
    fillRow(y, 0);
    while (x <= w / 2) {
      const int64_t e2 = 2 * err;
      if (e2 >= dx) {
        ++x;
        dx += bsq;
        err += dx;
      }
      if (e2 <= dy) {
        ++y;
        dy += asq;
        err += dy;
        fillRow(y, x);
      }
    }
  }
  if (FPen.Style() != psClear) {
    const uint32_t px = ToPixel(FPen.Color());
    int64_t x = a, y = h / 2, dx = dx0, dy = dy0, err = err0;
    while (x >= w / 2) {
      const int64_t px1 = l + x, py1 = t + h - 1 - y;
      const int64_t px2 = l + r - 1 - px1, py2 = t + b - 1 - py1;
      raster.Pixel(px1, py1, px);
      raster.Pixel(px2, py1, px);
      raster.Pixel(px1, py2, px);
      raster.Pixel(px2, py2, px);
      const int64_t e2 = 2 * err;
      if (e2 >= dx) {
        --x;
        dx += bsq;
        err += dx;
      }
      if (e2 <= dy) {
        ++y;
        dy += asq;
        err += dy;
      }
    }
  }
}

// The polygon's inside by the even-odd rule, scan line by scan line. An edge from its top point
// (xt, yt) to its bottom point covers the rows yt..yb-1 (horizontal edges none); on row yt + k it
// crosses at ceil(xt + k dx / dy), and each pair of crossings, in order, bounds a span whose left
// end is in and right end out. The crossings are stepped exactly with a remainder, so edges of
// any length cost only the rows on the raster.
void TCanvas::Polygon(std::span<const TPoint> Points) {
  const TRaster raster(FBits, FWidth, FHeight);
  const size_t n = Points.size();
  if (n < 2 || raster.Empty()) return;
  if (HostShape(detail::THostShape::Polygon, Points)) return;

  if (FBrush.Style() != bsClear) {
    struct TEdge {
      int64_t Top, Bottom, XTop, Dx, Dy;  // the edge covers rows Top..Bottom-1
      int64_t C, R, Dq, Dr;               // crossing XTop + C on the current row k; R = C Dy - k Dx
    };
    std::array<TEdge, 16> local;
    std::vector<TEdge> heap;
    if (n > local.size()) heap.resize(n);
    const std::span<TEdge> all =
        n > local.size() ? std::span<TEdge>(heap) : std::span<TEdge>(local);
    size_t count = 0;
    int64_t first = std::numeric_limits<int64_t>::max(), last = std::numeric_limits<int64_t>::min();
    for (size_t i = 0; i < n; ++i) {
      const TPoint& p = Points[i == 0 ? n - 1 : i - 1];
      const TPoint& q = Points[i];
      if (p.Y == q.Y) continue;
      const TPoint& top = p.Y < q.Y ? p : q;
      const TPoint& bottom = p.Y < q.Y ? q : p;
      if (bottom.Y <= 0 || top.Y >= raster.FH) continue;
      TEdge& e = all[count++];
      e = {top.Y, bottom.Y, top.X, int64_t{bottom.X} - top.X, int64_t{bottom.Y} - top.Y, 0,
           0,     0,        0};
      e.Dq = FloorDiv(e.Dx, e.Dy);
      e.Dr = e.Dx - e.Dq * e.Dy;
      first = std::min(first, e.Top);
      last = std::max(last, e.Bottom);
    }
    const int64_t y0 = std::max<int64_t>(first, 0), y1 = std::min(last, raster.FH);
    const std::span<TEdge> edges = all.first(count);
    // An edge that began above the raster starts at its row y0.
    for (TEdge& e : edges) {
      const int64_t k = std::max(y0, e.Top) - e.Top;
      int64_t rem = 0;
      if (e.Dx >= 0) {  // C = ceil(k Dx / Dy)
        e.C = FloorMulAddDiv(k, e.Dx, e.Dy - 1, e.Dy, rem);
        e.R = e.Dy - 1 - rem;
      } else {
        e.C = -FloorMulAddDiv(k, -e.Dx, 0, e.Dy, rem);
        e.R = rem;
      }
    }
    const uint32_t px = ToPixel(FBrush.Color());
    std::vector<int64_t>& xs = FScratch;
    for (int64_t y = y0; y < y1; ++y) {
      xs.clear();
      for (TEdge& e : edges) {
        if (y < e.Top || y >= e.Bottom) continue;
        xs.push_back(e.XTop + e.C);
        if (e.Dr > e.R) {
          e.C += e.Dq + 1;
          e.R += e.Dy - e.Dr;
        } else {
          e.C += e.Dq;
          e.R -= e.Dr;
        }
      }
      std::sort(xs.begin(), xs.end());
      for (size_t i = 0; i + 1 < xs.size(); i += 2) raster.Box(xs[i], y, xs[i + 1], y + 1, px);
    }
  }
  if (FPen.Style() != psClear) {
    const uint32_t px = ToPixel(FPen.Color());
    for (size_t i = 0; i + 1 < n; ++i) {
      raster.Line(Points[i].X, Points[i].Y, Points[i + 1].X, Points[i + 1].Y, px);
    }
    raster.Line(Points[n - 1].X, Points[n - 1].Y, Points[0].X, Points[0].Y, px);
  }
}

bool detail::CanvasUsesHost = true;

bool TCanvas::HostShape(detail::THostShape Shape, std::span<const TPoint> Points) noexcept {
  if (FBits == nullptr || !detail::CanvasUsesHost) return false;
  return detail::HostDraw(FBits, FWidth, FHeight, Shape, Points, FPen.Style() != psClear,
                          FPen.Color(), FBrush.Style() != bsClear, FBrush.Color());
}

void TCanvas::FillRect(const TRect& Rect) noexcept {
  if (FBrush.Style() == bsClear) return;
  TRaster(FBits, FWidth, FHeight)
      .Box(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, ToPixel(FBrush.Color()));
}

// -------------------------------------------------------------------------------------------------
// Pixels and images

TColor TCanvas::Pixels(int32_t X, int32_t Y) const noexcept {
  if (FBits == nullptr || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return clInvalidPixel;
  return FromPixel(FBits[int64_t{Y} * FWidth + X]);
}

void TCanvas::SetPixels(int32_t X, int32_t Y, TColor Value) noexcept {
  TRaster(FBits, FWidth, FHeight).Pixel(X, Y, ToPixel(Value));
}

void TCanvas::Draw(int32_t X, int32_t Y, const TBitmap& Source) noexcept {
  StretchDraw(
      TRect{X, Y, Saturate(int64_t{X} + Source.Width()), Saturate(int64_t{Y} + Source.Height())},
      Source);
}

void TCanvas::StretchDraw(const TRect& Dest, const TBitmap& Source) noexcept {
  const int64_t dw = Dest.Width(), dh = Dest.Height();
  const int64_t sw = Source.Width(), sh = Source.Height();
  if (FBits == nullptr || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const int64_t x0 = std::max<int64_t>(Dest.Left, 0), x1 = std::min<int64_t>(Dest.Right, FWidth);
  const int64_t y0 = std::max<int64_t>(Dest.Top, 0), y1 = std::min<int64_t>(Dest.Bottom, FHeight);
  for (int64_t y = y0; y < y1; ++y) {
    const uint32_t* src = Source.ScanLine(static_cast<int32_t>((y - Dest.Top) * sh / dh));
    uint32_t* dst = FBits + y * FWidth;
    if (dw == sw) {
      std::copy(src + (x0 - Dest.Left), src + (x1 - Dest.Left), dst + x0);
    } else {
      for (int64_t x = x0; x < x1; ++x) dst[x] = src[(x - Dest.Left) * sw / dw];
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Text

detail::TTextEngine& TCanvas::TextEngine() {
  if (!FText) FText = std::make_unique<detail::TTextEngine>();
  return *FText;
}

void TCanvas::TextOut(int32_t X, int32_t Y, StringView Text) {
  detail::TTextEngine& engine = TextEngine();
  const int32_t width = engine.Width(FFont, Text);
  if (FBrush.Style() != bsClear && width > 0) {
    const int32_t height = engine.Metrics(FFont).Height;
    TRaster(FBits, FWidth, FHeight)
        .Box(X, Y, int64_t{X} + width, int64_t{Y} + height, ToPixel(FBrush.Color()));
  }
  if (FBits != nullptr) {
    engine.Draw(FFont, FBits, FWidth, FHeight, X, Y, Text, ToPixel(FFont.Color()));
  }
  FPenPos = {Saturate(int64_t{X} + width), Y};
}

int32_t TCanvas::TextWidth(StringView Text) {
  return TextEngine().Width(FFont, Text);
}

int32_t TCanvas::TextHeight(StringView /*Text*/) {
  return TextEngine().Metrics(FFont).Height;
}

TTextMetric TCanvas::TextMetrics() {
  return TextEngine().Metrics(FFont);
}

}  // namespace xan
