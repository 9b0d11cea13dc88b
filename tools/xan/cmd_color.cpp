// Subcommands color and palette: a colour in every model with its name or the nearest named
// colour, and a named palette of key colours spread over a palette, as a palette file or a PNG
// strip of swatches.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "tool.h"
#include "xan/platform/graphics.h"
#include "xan/stringl/number_format.h"
#include "xan/xancolors/color_array.h"
#include "xan/xancolors/color_models.h"
#include "xan/xancolors/named_colors.h"

namespace xantool {

namespace color_cmd {

// ------------------------------------------------------------------------------------------------
// color

bool AllHex(std::string_view s) {
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return !s.empty();
}

uint32_t HexValue(std::string_view s) {
  return static_cast<uint32_t>(std::stoul(std::string(s), nullptr, 16));
}

// A colour of the command line: a name, $BBGGRR (the library's order, red in the low byte),
// #RRGGBB (the order of HTML) or R,G,B in decimal. found is false for a name no colour has.
xan::TColor ParseColor(const std::string& arg, bool& found) {
  found = true;
  if (!arg.empty() && arg.front() == '$') {
    const std::string_view digits = std::string_view(arg).substr(1);
    if (!AllHex(digits) || digits.size() > 8) {
      throw Failure("'" + arg + "': '$' must be followed by 1 to 8 hexadecimal digits");
    }
    const uint32_t c = HexValue(digits);
    if (c > 0xFFFFFF) throw Failure("'" + arg + "' is not an RGB colour (its top byte is not 0)");
    return c;
  }
  if (!arg.empty() && arg.front() == '#') {
    if (arg.size() != 7 || !AllHex(std::string_view(arg).substr(1))) {
      throw Failure("'" + arg + "': '#' must be followed by 6 hexadecimal digits, RRGGBB");
    }
    return xan::ReverseRGBColor(HexValue(std::string_view(arg).substr(1)));
  }
  if (arg.find(',') != std::string::npos) {
    std::vector<std::string_view> parts;
    for (std::string_view rest = arg;;) {
      const size_t comma = rest.find(',');
      parts.push_back(rest.substr(0, comma));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (parts.size() != 3) throw Failure("'" + arg + "': R,G,B takes three numbers");
    int64_t rgb = 0;
    for (size_t i = 0; i < 3; ++i) {
      std::string_view part = parts[i];
      while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
      while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
      rgb |= ParseInteger(part, 0, 255, "a channel of R,G,B") << (8 * i);
    }
    return static_cast<xan::TColor>(rgb);
  }
  return xan::ColorFromName(ArgText(arg), found);
}

std::string Num(double x, int decimals) {
  return xan::ToUtf8(xan::strff(x, 0, decimals));
}

// The first named colour nearest to c.
size_t NearestName(xan::TColor c, double& distance) {
  size_t best = 0;
  distance = 2;
  for (size_t i = 0; i < xan::AllXANColors.size(); ++i) {
    const double d = xan::RGBColorDistance(c, xan::AllXANColors[i]);
    if (d < distance) distance = d, best = i;
  }
  return best;
}

std::string ModelLine(const char* model, const char* a, double x, const char* b, double y,
                      const char* c, double z) {
  return std::string(model) + a + Num(x, 4) + b + Num(y, 4) + c + Num(z, 4) + "\n";
}

int RunColor(const std::string& arg) {
  bool found = false;
  const xan::TColor c = ParseColor(arg, found);
  if (!found) {
    Complain("no colour is named '" + arg + "' (names: " +
             std::to_string(xan::AllXANColors.size()) + " colours such as Orange, SkyBlue, Gray)");
    return kExitNo;
  }
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  double distance = 0;
  const size_t nearest = NearestName(c, distance);
  const std::string name = xan::ToUtf8(xan::AllXANColorNames[nearest]);
  std::string text;
  text += distance == 0 ? "name      " + name + "\n"
                        : "nearest   " + name + " (distance " + Num(distance, 4) + ")\n";
  text += "TColor    $" + xan::ToUtf8(xan::ColorToHexStr(c)) + "  (red in the low byte)\n";
  text += "HTML      #" + xan::ToUtf8(xan::ColorToHexStr(xan::ReverseRGBColor(c))).substr(2) + "\n";
  text +=
      "RGB       " + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + "\n";
  double h = 0, s = 0, l = 0;
  xan::ColorToHSL(c, h, s, l);
  text += ModelLine("HSL       ", "H ", h, "  S ", s, "  L ", l);
  xan::ColorToHSV(c, h, s, l);
  text += ModelLine("HSV       ", "H ", h, "  S ", s, "  V ", l);
  xan::ColorToHSI(c, h, s, l);
  text += ModelLine("HSI       ", "H ", h, "  S ", s, "  I ", l);
  double cy = 0, m = 0, y = 0, k = 0;
  xan::RGBtoCMY(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), cy, m,
                y);
  text += ModelLine("CMY       ", "C ", cy, "  M ", m, "  Y ", y);
  xan::CMYtoCMYK(cy, m, y, k);
  text += "CMYK      C " + Num(cy, 4) + "  M " + Num(m, 4) + "  Y " + Num(y, 4) + "  K " +
          Num(k, 4) + "\n";
  text += "grey      " + std::to_string(xan::ColorToGray(c)) + ", $" +
          xan::ToUtf8(xan::ColorToHexStr(xan::ColorToGrayColor(c))) + "\n";
  Out(text);
  return kExitOk;
}

// ------------------------------------------------------------------------------------------------
// palette

struct NamedPalette {
  const char* Name;
  std::span<const xan::TColor> Keys;
};

constexpr NamedPalette kPalettes[] = {
    {"Geo1", xan::ColorArray_Geo1},         {"Geo2", xan::ColorArray_Geo2},
    {"Geo3", xan::ColorArray_Geo3},         {"Rainbow", xan::ColorArray_Rainbow},
    {"Circle", xan::ColorArray_Circle},     {"MorgenStemning", xan::ColorArray_MorgenStemning},
    {"Contrast", xan::ColorArray_Contrast},
};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

struct PaletteOptions {
  std::string Name;
  int32_t Size = 1000;
  int32_t Levels = 0;
  std::string Png;
  std::string Swatch, Height = "32";
};

// The palette as a strip of swatches, colour 1 at the left.
void SaveStrip(const xan::TColorArray& palette, const PaletteOptions& o) {
  const int32_t n = palette.Size();
  const auto width = static_cast<int32_t>(
      o.Swatch.empty() ? std::max(1, 512 / n) : ParseInteger(o.Swatch, 1, 4096, "--swatch"));
  const auto height = static_cast<int32_t>(ParseInteger(o.Height, 1, 4096, "--height"));
  if (int64_t{width} * n * height > xan::MaxBitmapPixels) {
    throw Failure("a strip of " + std::to_string(n) + " swatches of " + std::to_string(width) +
                  " x " + std::to_string(height) + " pixels is larger than an image may be");
  }
  xan::TBitmap strip(width * n, height);
  xan::TCanvas& canvas = strip.Canvas();
  for (int32_t i = 0; i < n; ++i) {
    canvas.Brush().SetColor(palette.GetColorElem(i + 1));
    canvas.FillRect({i * width, 0, (i + 1) * width, height});
  }
  SavePng(strip, o.Png);
}

int RunPalette(const PaletteOptions& o) {
  if (o.Name.empty() && !o.Png.empty()) throw Failure("--png needs the NAME of a palette");
  std::string names;
  for (const NamedPalette& p : kPalettes) {
    names += names.empty() ? "" : ", ";
    names += p.Name;
    if (o.Name.empty()) Out(std::string(p.Name) + "\n");
  }
  if (o.Name.empty()) return kExitOk;
  const NamedPalette* chosen = nullptr;
  for (const NamedPalette& p : kPalettes) {
    if (SameLetters(p.Name, o.Name)) chosen = &p;
  }
  if (chosen == nullptr) throw Failure("no palette is named '" + o.Name + "' (" + names + ")");
  xan::TColorArray palette;
  palette.Resize(o.Size);
  palette.FillByInterpolation(o.Levels, chosen->Keys);
  if (!o.Png.empty()) {
    SaveStrip(palette, o);
    return kExitOk;
  }
  // The palette file format, with the line ends of this host.
  std::string text = "1 " + std::to_string(palette.Size()) + "\n";
  for (int32_t i = 1; i <= palette.Size(); ++i) {
    text += xan::ToUtf8(xan::ColorToHexStr(palette.GetColorElem(i))) + "\n";
  }
  Out(text);
  return kExitOk;
}

}  // namespace color_cmd

uint32_t ParseColorArg(const std::string& arg) {
  using namespace color_cmd;
  bool found = false;
  const xan::TColor c = ParseColor(arg, found);
  if (!found) throw Failure("no colour is named '" + arg + "'");
  return c;
}

Action SetupColor(CLI::App& sub) {
  using namespace color_cmd;
  auto arg = std::make_shared<std::string>();
  sub.add_option("COLOR", *arg,
                 "A name (Orange), $BBGGRR (red in the low byte: $00A5FF), #RRGGBB (#FFA500) or "
                 "R,G,B (255,165,0)")
      ->required();
  return [arg] { return RunColor(*arg); };
}

Action SetupPalette(CLI::App& sub) {
  using namespace color_cmd;
  auto o = std::make_shared<PaletteOptions>();
  sub.add_option("NAME", o->Name, "A palette of key colours; none: list their names");
  sub.add_option("-n,--size", o->Size, "The number of colours to spread the key colours over")
      ->check(CLI::Range(1, xan::MaxPaletteFileColors));
  sub.add_option("-l,--levels", o->Levels, "Discrete levels (0: a smooth blend)")
      ->check(CLI::Range(0, 1 << 20));
  sub.add_option("--png", o->Png,
                 "Write the palette as a strip of swatches to this PNG file ('-': standard "
                 "output) instead of the palette file");
  sub.add_option("--swatch", o->Swatch,
                 "The width of each swatch in pixels, 1 to 4096 (default 512 div n, at least 1)");
  sub.add_option("--height", o->Height, "The height of the strip in pixels, 1 to 4096 (32)");
  sub.footer(
      "The strip is n * SWATCH pixels wide and HEIGHT high: colour i (from 1) fills the\n"
      "columns (i - 1) * SWATCH to i * SWATCH - 1.");
  return [o] { return RunPalette(*o); };
}

}  // namespace xantool
