// Tour section: colour models, named colours and a palette.
#include <filesystem>
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

  // A palette file: a header "first last", then one colour per line.
  const auto file = std::filesystem::temp_directory_path() / "xan_tour_palette.txt";
  const String name = FromUtf8(file.string());
  std::cout << std::boolalpha << "  StoreOnFile(3, 5, ...) => " << palette.StoreOnFile(3, 5, name)
            << "\n";
  TColorArray loaded;
  std::cout << "  LoadFromFile(..., true) => " << loaded.LoadFromFile(name, true) << ", Size() "
            << loaded.Size() << ", entry 5 " << ToUtf8(ColorToHexStr(loaded.GetColorElem(5)))
            << "\n";
  std::filesystem::remove(file);
  std::cout << "  LoadFromFile of a missing file => " << loaded.LoadFromFile(name, true) << "\n"
            << std::noboolalpha;
}
