// Tour section: colour models, named colours and a palette.
#include <iostream>

#include "tour.h"
#include "xan/xancolors.h"

void tour::Colours() {
  using namespace xan;
  Heading("Colours: models, names and palettes");

  const TColor orange = HexStrToColor(u"$00A5FF");  // red in the low byte
  Show("ObtainColorName($00A5FF)", ObtainColorName(orange));
  double H = 0, S = 0, L = 0;
  ColorToHSL(orange, H, S, L);
  std::cout << "  ColorToHSL(Orange) => H " << H << ", S " << S << ", L " << L << "\n";
  Show("name of HSLtoColor(240, 1, 0.5)", ObtainColorName(HSLtoColor(240, 1, 0.5)));
  Show("InvertColor(Orange)", ColorToHexStr(InvertColor(orange)));
  Show("MeanColor(Black, White)", ColorToHexStr(MeanColor(0x000000, 0xFFFFFF)));
  std::cout << "  ColorToGray(Orange) => " << ColorToGray(orange) << "\n";
  Show("WavelengthToColor(550 nm, 0.8)", ColorToHexStr(WavelengthToColor(550, 0.8)));

  TColorArray palette;  // 1000 colours spread over the rainbow palette
  palette.SetSize(8);
  palette.FillByInterpolation(0, ColorArray_Circle);
  std::cout << "  an 8-colour palette around ColorArray_Circle:";
  for (int32_t i = 1; i <= palette.Size(); ++i) {
    std::cout << " " << ToUtf8(ColorToHexStr(palette.GetColorElem(i)));
  }
  double distance = 0;
  const int32_t ix = palette.ColorToIndex(0x3060E0, distance);
  std::cout << "\n  closest entry to $3060E0 => " << ix << " (distance " << distance << ")\n";
}
