// Tour section: the feature matrix (typed values kept as text, name templates, its text file)
// and the associative array (keys to variants, tolerant conversions, its XML form).
#include <filesystem>
#include <iostream>

#include "tour.h"
#include "xan/dstruct.h"

void tour::FeatureMatrix() {
  using namespace xan;
  Heading("Feature matrix and associative array");

  TFeatureMatrix m;
  m.SetName(u"Fruit");
  m.Resize(3, 2);  // 3 features, 2 objects
  m.SetFeatType(1, 1, fkString);
  m.SetFeatType(2, 2, fkInteger);
  m.SetFeatType(3, 3, fkTriState);
  m.GenerateFeatNames(u"F<%D-3%>", 0, 0, 7, 1);
  Show("feature names from \"F<%D-3%>\"",
       m.GetFeatProps(1)->FeatName + u" " + m.GetFeatProps(3)->FeatName);
  m.SetFeatValStr(1, 1, u"apple");
  m.SetFeatValint(2, 1, 5000000000);
  m.SetFeatValTriState(3, 1, tsTrue);
  std::cout << "  weight of object 1 as an integer => " << m.GetFeatValInt(2, 1) << "\n";
  try {
    m.SetFeatValStr(2, 2, u"1.5");
  } catch (const EXANDStructError& e) {
    Show("storing \"1.5\" in an integer feature", e.Message());
  }

  const auto file = std::filesystem::temp_directory_path() / "xan_tour_featmat.txt";
  const String name = FromUtf8(file.string());
  m.Save(name);
  TFeatureMatrix back;
  const int32_t result = back.Load(name);
  std::filesystem::remove(file);
  std::cout << "  saved and loaded back => result " << result << ", " << back.NFeatures()
            << " features, " << back.NObjects() << " objects, object 1 = \""
            << ToUtf8(back.GetFeatValStr(1, 1)) << "\"\n";

  TAssocArray prices;
  prices.Add(u"Apples", 1.25);
  prices.Add(u"PEARS", u"3,25 per kg");
  Show("prices[\"apples\"] as text", prices.ResolveAsString(u"APPLES"));
  std::cout << "  prices[\"pears\"] as a number => " << prices.ResolveAsNumber(u"pears") << "\n";
  TStringStream xml;
  prices.WriteToXMLStream(xml, false, u"prices");
  std::cout << "  as XML:\n" << ToUtf8(xml.DataString());
}
