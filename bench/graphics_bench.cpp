// Drawing on a 1024 x 1024 raster beside cairo in the same run: 100 000 marks (types 1..51 in
// turn) drawn by DrawMarkOnCanvas against cairo drawing the same shapes without antialiasing, and
// 10 000 short strings written by TextOut against cairo's text. Ends with one line per figure:
// ours, the peer's and the ratio.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "xan/platform/graphics.h"
#include "xan/xanbase/drawing.h"

namespace {

constexpr int kSize = 1024;
constexpr int kMarks = 100000;
constexpr int kStrings = 10000;

// Where mark or string i goes.
int PosX(int i) {
  return 12 + (i * 37) % (kSize - 24);
}
int PosY(int i) {
  return 12 + (i * 91) % (kSize - 24);
}

// =================================================================================================
// The shapes of each mark, as cairo draws them: the shapes DrawMarkOnCanvas is documented to
// draw, relative to the centre.

struct TShape {
  enum TKind { Pixel, Line, Box, Ellipse, Polygon } Kind;
  bool Filled = false;
  std::vector<int> V;  // Pixel: x y; Line: x1 y1 x2 y2; Box, Ellipse: l t r b; Polygon: x y ...
};

std::vector<std::vector<TShape>> MarkShapes() {
  std::vector<std::vector<TShape>> marks(52);
  auto line = [](int x1, int y1, int x2, int y2) {
    return TShape{TShape::Line, false, {x1, y1, x2, y2}};
  };
  for (int m = 1; m <= 51; ++m) {
    std::vector<TShape>& s = marks[m];
    if (m <= 6 || m == 18) {
      for (int i = 1; i <= 7; ++i) {
        for (int j = 1; j <= 7; ++j) {
          if ((xan::MarkPatterns[m - 1][i - 1] >> (j - 1)) & 1)
            s.push_back({TShape::Pixel, true, {4 - j, i - 4}});
        }
      }
    } else if (m <= 9) {
      const int a = m - 6;
      s.push_back({TShape::Box, true, {-a, -a, a + 1, a + 1}});
    } else if (m <= 12) {
      const int a = m - 9;
      s.push_back({TShape::Box, false, {-a, -a, a + 1, a + 1}});
    } else if (m == 13 || m == 19) {
      s.push_back({TShape::Polygon, false, {-3, 0, 0, 3, 3, 0, 0, -3}});
      if (m == 13) s.push_back({TShape::Pixel, true, {0, 0}});
    } else if (m == 14 || m == 15) {
      const int a = m - 12;
      s.push_back({TShape::Polygon, true, {-a, 0, 0, a, a, 0, 0, -a}});
    } else if (m == 16 || m == 26) {
      s.push_back({TShape::Ellipse, m == 26, {-2, -2, 3, 3}});
    } else if (m == 17 || m == 24) {
      s.push_back({TShape::Ellipse, m == 24, {-3, -3, 4, 4}});
    } else if (m >= 20 && m <= 23) {
      const int a = m <= 21 ? m - 17 : m - 19, d = m <= 21 ? a : -a;
      s.push_back(line(0, 0, -a, d));
      s.push_back(line(0, 0, a, d));
    } else if (m == 25) {
      for (const auto& l : {std::vector<int>{-3, -3, 4, 4},
                            {-3, -2, 3, 4},
                            {-2, -3, 4, 3},
                            {-3, 3, 4, -4},
                            {-3, 2, 3, -4},
                            {-2, 3, 4, -3}}) {
        s.push_back(line(l[0], l[1], l[2], l[3]));
      }
    } else if (m == 27 || m == 28) {
      s.push_back({TShape::Ellipse, m == 28, {-2, -2, 2, 2}});
    } else if (m >= 29 && m <= 32) {
      const int a = m <= 30 ? m - 27 : m - 29;
      s.push_back({TShape::Polygon, m <= 30, {-a, 0, 0, a, a, 0}});
    } else if (m == 33 || m == 34) {
      s.push_back({TShape::Polygon, m == 34, {-4, -3, 0, 4, 4, -3}});
    } else if (m == 35 || m == 36) {
      s.push_back({TShape::Polygon, m == 36, {-4, 3, 0, -4, 4, 3}});
    } else if (m == 37) {
      s.push_back(line(-3, 0, 4, 0));
      s.push_back(line(0, 0, 0, -8));
    } else if (m == 38) {
      s.push_back(line(-3, -2, 4, -2));
      s.push_back(line(-3, 2, 4, 2));
      s.push_back(line(0, -2, 0, 2));
    } else if (m == 39 || m == 48) {
      s.push_back({m == 39 ? TShape::Ellipse : TShape::Box, false, {-3, -3, 4, 4}});
      s.push_back(line(-3, 0, 4, 0));
      s.push_back(line(0, -3, 0, 4));
    } else if (m >= 40 && m <= 47) {
      const int a = (m % 4 <= 1) ? 3 : 4, b = a - 1, dir = m <= 43 ? 1 : -1;
      s.push_back({TShape::Polygon, m % 2 == 1, {dir * a, -b, -dir * b, 0, dir * a, b}});
    } else if (m == 49) {
      s.push_back({TShape::Box, false, {-2, -2, 3, 3}});
      s.push_back(line(-4, 0, 5, 0));
      s.push_back(line(0, -4, 0, 5));
    } else {  // 50, 51
      s.push_back(line(-4, 0, 5, 0));
      s.push_back(line(0, -4, 0, 5));
      if (m == 50) {
        s.push_back(line(-3, -3, 4, 4));
        s.push_back(line(-3, 3, 4, -4));
      } else {
        s.push_back(line(-1, -3, 2, -3));
        s.push_back(line(-1, 3, 2, 3));
        s.push_back(line(-3, -1, -3, 2));
        s.push_back(line(3, -1, 3, 2));
      }
    }
  }
  return marks;
}

// Draws one shape at (x, y) with the current source; pixel centres are at +0.5.
void CairoShape(cairo_t* cr, const TShape& s, double x, double y) {
  const std::vector<int>& v = s.V;
  switch (s.Kind) {
    case TShape::Pixel:
      cairo_rectangle(cr, x + v[0], y + v[1], 1, 1);
      cairo_fill(cr);
      break;
    case TShape::Line:
      cairo_move_to(cr, x + v[0] + 0.5, y + v[1] + 0.5);
      cairo_line_to(cr, x + v[2] + 0.5, y + v[3] + 0.5);
      cairo_stroke(cr);
      break;
    case TShape::Box:
      if (s.Filled) {
        cairo_rectangle(cr, x + v[0], y + v[1], v[2] - v[0], v[3] - v[1]);
        cairo_fill(cr);
      } else {
        cairo_rectangle(cr, x + v[0] + 0.5, y + v[1] + 0.5, v[2] - v[0] - 1, v[3] - v[1] - 1);
        cairo_stroke(cr);
      }
      break;
    case TShape::Ellipse: {
      const double rx = (v[2] - v[0] - 1) / 2.0, ry = (v[3] - v[1] - 1) / 2.0;
      cairo_save(cr);
      cairo_translate(cr, x + v[0] + 0.5 + rx, y + v[1] + 0.5 + ry);
      cairo_scale(cr, rx, ry);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      if (s.Filled) cairo_fill_preserve(cr);
      cairo_stroke(cr);
      break;
    }
    case TShape::Polygon:
      cairo_move_to(cr, x + v[0] + 0.5, y + v[1] + 0.5);
      for (size_t i = 2; i + 1 < v.size(); i += 2)
        cairo_line_to(cr, x + v[i] + 0.5, y + v[i + 1] + 0.5);
      cairo_close_path(cr);
      if (s.Filled) cairo_fill_preserve(cr);
      cairo_stroke(cr);
      break;
  }
}

// =================================================================================================
// The runs

void XanMarks(xan::TBitmap& bitmap) {
  xan::TCanvas& c = bitmap.Canvas();
  for (int i = 0; i < kMarks; ++i) {
    c.Pen().SetColor(static_cast<xan::TColor>(i * 2654435761U) & 0xFFFFFF);
    xan::DrawMarkOnCanvas(c, static_cast<uint8_t>(1 + i % 51), PosX(i), PosY(i));
  }
}

void CairoMarks(cairo_t* cr, const std::vector<std::vector<TShape>>& shapes) {
  for (int i = 0; i < kMarks; ++i) {
    const uint32_t color = (i * 2654435761U) & 0xFFFFFF;
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                         (color >> 16) / 255.0);
    for (const TShape& s : shapes[1 + i % 51]) CairoShape(cr, s, PosX(i), PosY(i));
  }
}

std::vector<xan::String> Strings() {
  std::vector<xan::String> out;
  for (int i = 0; i < kStrings; ++i)
    out.push_back(u"Item " + xan::FromUtf8(std::to_string(i * 7919 % 100000)));
  return out;
}

struct TRates : benchmark::ConsoleReporter {
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) Millis[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Millis;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::vector<TShape>> shapes = MarkShapes();
  const std::vector<xan::String> strings = Strings();
  std::vector<std::string> utf8;
  for (const xan::String& s : strings) utf8.push_back(xan::ToUtf8(s));

  xan::TBitmap bitmap(kSize, kSize);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSize, kSize);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);

  benchmark::RegisterBenchmark("marks/xan", [&](benchmark::State& state) {
    for (auto _ : state) XanMarks(bitmap);
    state.SetItemsProcessed(state.iterations() * kMarks);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("marks/cairo", [&](benchmark::State& state) {
    for (auto _ : state) CairoMarks(cr, shapes);
    cairo_surface_flush(surface);
    state.SetItemsProcessed(state.iterations() * kMarks);
  })->Unit(benchmark::kMillisecond);

  xan::TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName(u"DejaVu Sans");
  canvas.Font().SetHeight(-12);
  canvas.Brush().SetStyle(xan::bsClear);
  const int ascent = canvas.TextMetrics().Ascent;
  benchmark::RegisterBenchmark("text/xan", [&](benchmark::State& state) {
    for (auto _ : state) {
      for (int i = 0; i < kStrings; ++i) canvas.TextOut(PosX(i), PosY(i), strings[i]);
    }
    state.SetItemsProcessed(state.iterations() * kStrings);
  })->Unit(benchmark::kMillisecond);
  cairo_t* text = cairo_create(surface);
  cairo_select_font_face(text, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(text, 12);
  cairo_set_source_rgb(text, 0, 0, 0);
  benchmark::RegisterBenchmark("text/cairo", [&](benchmark::State& state) {
    for (auto _ : state) {
      for (int i = 0; i < kStrings; ++i) {
        cairo_move_to(text, PosX(i), PosY(i) + ascent);
        cairo_show_text(text, utf8[i].c_str());
      }
    }
    cairo_surface_flush(surface);
    state.SetItemsProcessed(state.iterations() * kStrings);
  })->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  TRates reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  cairo_destroy(text);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  // Processor time of one run; the ratio is the peer's time over ours (above 1: we are faster).
  std::printf("\n");
  for (const char* what : {"marks", "text"}) {
    const auto ours = reporter.Millis.find(std::string(what) + "/xan");
    const auto peer = reporter.Millis.find(std::string(what) + "/cairo");
    if (ours == reporter.Millis.end() || peer == reporter.Millis.end()) continue;
    std::printf("%-5s (%s): xan %.2f ms, cairo %.2f ms, cairo : xan %.2f\n", what,
                std::string(what) == "marks" ? "100000 marks, types 1..51" : "10000 short strings",
                ours->second, peer->second, peer->second / ours->second);
  }
  benchmark::Shutdown();
  return 0;
}
