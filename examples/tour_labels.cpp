// Tour section: the label objects of the foundation, and a text label written to a settings file
// as its XML-like element and read back from it.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tour.h"
#include "xan/xanbase.h"

void tour::Labels() {
  using namespace xan;
  Heading("Label objects: a text label in a settings file");

  TCustomTextLabel label;
  label.SetTxtLblPosX(2.5);
  label.SetTxtLblPosY(-0.125);
  label.SetTxtLblCaption(u"Peak\tvalue <max>");  // the tab becomes a blank
  label.SetTxtLblColorBkg(0xE0FFFF);
  label.SetTxtLblAlignment(taLeftJustify);
  label.SetTxtLblLayer(3);
  label.SetTxtLblLayer(40);  // layers 1..16 only: ignored
  Show("caption", label.Caption());

  const auto file = std::filesystem::temp_directory_path() / "xan_tour_label.xml";
  const String name = FromUtf8(file.string());
  {
    TTextFile out(name, tfmRewrite);
    label.WriteToOpenXMLFile(out, true, u"Peak", 2);
    TCustomTextLabel other;
    other.SetTxtLblCaption(u"second label");
    other.WriteToOpenXMLFile(out, false, u"Note", 2);
    out.Close();
  }
  std::ifstream in(file, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  std::erase(text, '\r');
  std::cout << "  the file:\n" << text;

  TCustomTextLabel back;
  int changes = 0;
  back.SetOnChange([&changes](TObject*) { ++changes; });
  TTextFile settings(name, tfmRead);
  const bool found = back.ReadFromOpenXMLFile(settings, u"NOTE");
  std::cout << "  read back by the identifier \"NOTE\" => " << (found ? "found" : "not found")
            << ", caption \"" << ToUtf8(back.Caption()) << "\", " << changes << " OnChange\n";
  settings.Rewind();
  back.ReadFromOpenXMLFile(settings, u"");
  std::cout << "  the first label => (" << back.PosX() << ", " << back.PosY() << "), layer "
            << back.Layer() << ", caption \"" << ToUtf8(back.Caption()) << "\"\n";
  settings.Close();
  std::filesystem::remove(file);

  TCrossHair cross;
  cross.SetCrossHLayer(5);
  std::cout << "  TCrossHair layer 5 is clamped to " << cross.Layer() << "\n";
}
