// Independent models of the canvas's pixel rules for the tests: lines as the nearest pixels,
// polygon insides by the even-odd rule at pixel corners, and pictures of small ellipses.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "xan/platform/graphics.h"

namespace xan::testing {

#if defined(__SIZEOF_INT128__)
__extension__ using Wide = __int128;
#else
using Wide = int64_t;  // enough for the models below except at the far coordinates
#endif

using TPixel = std::pair<int64_t, int64_t>;
using TPixelSet = std::set<TPixel>;

constexpr TColor kWhite = 0xFFFFFF;
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kFar = 1 << 30;

// The raster value of a colour (red in the third byte), read independently of the canvas.
constexpr uint32_t Raster(TColor c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

inline void Fill(TBitmap& b, TColor c = kWhite) {
  for (int32_t y = 0; y < b.Height(); ++y) std::fill_n(b.ScanLine(y), b.Width(), Raster(c));
}

// The pixels that are not the background.
inline TPixelSet Marked(const TBitmap& b, TColor background = kWhite) {
  TPixelSet set;
  for (int32_t y = 0; y < b.Height(); ++y) {
    for (int32_t x = 0; x < b.Width(); ++x) {
      if (b.ScanLine(y)[x] != Raster(background)) set.insert({x, y});
    }
  }
  return set;
}

inline std::string Describe(const TPixelSet& s) {
  std::string out;
  for (const auto& [x, y] : s) out += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  return out;
}

// floor(n / d), d > 0.
inline Wide FloorW(Wide n, Wide d) {
  Wide q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}

// The model of LineTo: one pixel per unit of the longer axis (the vertical one at equal
// lengths), from the start on and without the end; on the other axis the integer nearest the
// true line, at a tie the smaller one. Only pixels of a W x H raster are kept.
inline TPixelSet ModelLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t W, int64_t H) {
  TPixelSet set;
  if (x1 == x2 && y1 == y2) return set;
  const bool xMajor = std::llabs(x2 - x1) > std::llabs(y2 - y1);
  const int64_t m1 = xMajor ? x1 : y1, m2 = xMajor ? x2 : y2;  // major
  const int64_t n1 = xMajor ? y1 : x1, n2 = xMajor ? y2 : x2;  // minor
  const int64_t len = xMajor ? W : H, other = xMajor ? H : W;
  const int64_t lo = std::max<int64_t>(std::min(m1, m2), 0);
  const int64_t hi = std::min<int64_t>(std::max(m1, m2), len - 1);
  for (int64_t m = lo; m <= hi; ++m) {
    if (m == m2) continue;  // the end pixel is left out
    // minor = n1 + (m - m1) (n2 - n1) / (m2 - m1) = num / den
    Wide den = Wide(m2) - m1, num = Wide(n1) * den + Wide(m - m1) * (Wide(n2) - n1);
    if (den < 0) den = -den, num = -num;
    Wide c = FloorW(num, den);
    if (2 * (num - c * den) > den) ++c;
    if (c >= 0 && c < other) set.insert(xMajor ? TPixel{m, int64_t(c)} : TPixel{int64_t(c), m});
  }
  return set;
}

struct TEllipsePicture {
  int32_t W, H;
  std::vector<std::string> Rows;
};

inline const TEllipsePicture kEllipses[] = {
    {3, 3, {".#.", "#o#", ".#."}},
    {4, 4, {".##.", "#oo#", "#oo#", ".##."}},
    {5, 5, {".###.", "#ooo#", "#ooo#", "#ooo#", ".###."}},
    {6, 6, {"..##..", ".#oo#.", "#oooo#", "#oooo#", ".#oo#.", "..##.."}},
    {7, 7, {"..###..", ".#ooo#.", "#ooooo#", "#ooooo#", "#ooooo#", ".#ooo#.", "..###.."}},
    {9, 5, {"..#####..", ".#ooooo#.", "#ooooooo#", ".#ooooo#.", "..#####.."}},
    {5, 9, {"..#..", ".#o#.", "#ooo#", "#ooo#", "#ooo#", "#ooo#", "#ooo#", ".#o#.", "..#.."}},
    {10,
     10,
     {"...####...", "..#oooo#..", ".#oooooo#.", "#oooooooo#", "#oooooooo#", "#oooooooo#",
      "#oooooooo#", ".#oooooo#.", "..#oooo#..", "...####..."}},
    {20,
     12,
     {"......########......", "....##oooooooo##....", "..##oooooooooooo##..",
      ".#oooooooooooooooo#.", "#oooooooooooooooooo#", "#oooooooooooooooooo#",
      "#oooooooooooooooooo#", "#oooooooooooooooooo#", ".#oooooooooooooooo#.",
      "..##oooooooooooo##..", "....##oooooooo##....", "......########......"}},
};

// The even-odd model of the inside: pixel (x, y) is in when an odd number of edges cross its
// row at or left of the point (x, y), an edge covering the rows from its top end to just above
// its bottom end.
inline TPixelSet ModelPolygonInside(const std::vector<TPoint>& p, int64_t W, int64_t H) {
  TPixelSet set;
  for (int64_t y = 0; y < H; ++y) {
    for (int64_t x = 0; x < W; ++x) {
      int crossings = 0;
      for (size_t i = 0; i < p.size(); ++i) {
        TPoint a = p[i], b = p[(i + 1) % p.size()];
        if (a.Y == b.Y) continue;
        if (a.Y > b.Y) std::swap(a, b);
        if (y < a.Y || y >= b.Y) continue;
        // crossing x = a.X + (y - a.Y) (b.X - a.X) / (b.Y - a.Y) <= x
        if (Wide(x - a.X) * (int64_t{b.Y} - a.Y) >= Wide(y - a.Y) * (int64_t{b.X} - a.X)) {
          ++crossings;
        }
      }
      if (crossings % 2 == 1) set.insert({x, y});
    }
  }
  return set;
}

}  // namespace xan::testing
