// The named-colour tables, the X11, predefined and palette tables, and ObtainColorName.
#include "xan/xancolors/named_colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace xan {
namespace {

String Lower(StringView s) {
  String r(s);
  for (Char& c : r) {
    if (c >= u'A' && c <= u'Z') c = static_cast<Char>(c + 32);
  }
  return r;
}

TColor Named(StringView name) {
  const auto it = std::find(AllXANColorNames.begin(), AllXANColorNames.end(), name);
  EXPECT_NE(it, AllXANColorNames.end()) << ToUtf8(name);
  return AllXANColors[static_cast<size_t>(it - AllXANColorNames.begin())];
}

TEST(NamedColors, StartWithTheBasicColoursThenFollowTheAlphabet) {
  ASSERT_EQ(AllXANColors.size(), 466U);
  ASSERT_EQ(AllXANColorNames.size(), 466U);
  const std::vector<StringView> basics = {
      u"Black",  u"Maroon", u"Green", u"Olive",  u"Navy", u"Purple",  u"Teal", u"Gray",
      u"Silver", u"Red",    u"Lime",  u"Yellow", u"Blue", u"Fuchsia", u"Aqua", u"White"};
  for (size_t i = 0; i < basics.size(); ++i) EXPECT_EQ(AllXANColorNames[i], basics[i]);
  EXPECT_EQ(AllXANColorNames[16], u"MoneyGreen");
  EXPECT_EQ(AllXANColorNames[17], u"Cream");
  EXPECT_EQ(AllXANColorNames[18], u"MedGray");
  EXPECT_EQ(AllXANColorNames[19], u"AliceBlue");
  EXPECT_EQ(AllXANColorNames[465], u"YellowGreen");
  for (size_t i = 20; i < AllXANColorNames.size(); ++i) {
    EXPECT_LT(Lower(AllXANColorNames[i - 1]), Lower(AllXANColorNames[i]))
        << ToUtf8(AllXANColorNames[i - 1]) << " before " << ToUtf8(AllXANColorNames[i]);
  }
  const std::set<StringView> distinct(AllXANColorNames.begin(), AllXANColorNames.end());
  EXPECT_EQ(distinct.size(), 466U);
  for (TColor c : AllXANColors) EXPECT_EQ(c >> 24, 0U);
}

TEST(NamedColors, HoldTheirValuesWithRedInTheLowByte) {
  EXPECT_EQ(Named(u"Black"), 0x000000U);
  EXPECT_EQ(Named(u"Red"), 0x0000FFU);
  EXPECT_EQ(Named(u"Navy"), 0x800000U);
  EXPECT_EQ(Named(u"MoneyGreen"), 0xC0DCC0U);
  EXPECT_EQ(Named(u"AntiqueWhite4"), 0x78838BU);
  EXPECT_EQ(Named(u"Orange"), 0x00A5FFU);
  EXPECT_EQ(Named(u"RebeccaPurple"), 0x993366U);
  EXPECT_EQ(Named(u"WebGray"), 0x808080U);
  EXPECT_EQ(Named(u"YellowGreen"), 0x32CD9AU);
}

TEST(NamedColors, FortySevenValuesCarrySeveralNames) {
  std::map<TColor, std::vector<StringView>> byValue;
  for (size_t i = 0; i < AllXANColors.size(); ++i)
    byValue[AllXANColors[i]].push_back(AllXANColorNames[i]);
  size_t shared = 0, extraNames = 0;
  for (const auto& [value, names] : byValue) {
    if (names.size() > 1) ++shared, extraNames += names.size() - 1;
  }
  EXPECT_EQ(shared, 47U);
  EXPECT_EQ(extraNames, 49U);
  EXPECT_EQ(byValue[0xFFFF00U], (std::vector<StringView>{u"Aqua", u"Cyan", u"Cyan1"}));
  EXPECT_EQ(byValue[0x808080U], (std::vector<StringView>{u"Gray", u"WebGray"}));
  EXPECT_EQ(byValue[0x578B2EU], (std::vector<StringView>{u"SeaGreen", u"SeaGreen4"}));
  EXPECT_EQ(byValue[0x13458BU], (std::vector<StringView>{u"Chocolate4", u"SaddleBrown"}));
}

// The X11 values follow the alphabetical order of their names: they appear in that order among
// the named colours without a numbered variant, sorted by name.
TEST(X11Colors, AreNamedColoursInTheOrderOfTheirNames) {
  ASSERT_EQ(X11Colors.size(), 145U);
  const std::set<TColor> named(AllXANColors.begin(), AllXANColors.end());
  for (TColor c : X11Colors) EXPECT_TRUE(named.count(c)) << std::hex << c;

  std::vector<std::pair<String, TColor>> plain;
  for (size_t i = 0; i < AllXANColors.size(); ++i) {
    const StringView n = AllXANColorNames[i];
    if (n.back() < u'0' || n.back() > u'9') plain.emplace_back(Lower(n), AllXANColors[i]);
  }
  std::stable_sort(plain.begin(), plain.end());
  size_t matched = 0;
  for (const auto& entry : plain) {
    if (matched < X11Colors.size() && X11Colors[matched] == entry.second) ++matched;
  }
  EXPECT_EQ(matched, X11Colors.size());
  EXPECT_EQ(X11Colors.front(), Named(u"AliceBlue"));
  EXPECT_EQ(X11Colors[7], Named(u"Black"));
  EXPECT_EQ(X11Colors.back(), Named(u"YellowGreen"));
}

TEST(PredefinedColors, AreBasicColoursThenPlatformCodes) {
  ASSERT_EQ(PredefinedColors.size(), 47U);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(PredefinedColors[i], AllXANColors[i]) << i;
  EXPECT_EQ(PredefinedColors[16], 0xC0DCC0U);
  EXPECT_EQ(PredefinedColors[17], 0xF0CAA6U);
  EXPECT_EQ(PredefinedColors[18], 0xF0FBFFU);
  EXPECT_EQ(PredefinedColors[19], 0xA4A0A0U);
  EXPECT_EQ(PredefinedColors[20], 0xFF00000AU);
  EXPECT_EQ(PredefinedColors[29], 0x20000000U);
  EXPECT_EQ(PredefinedColors[40], 0x1FFFFFFFU);
  EXPECT_EQ(PredefinedColors[41], 0xFF000000U);
  EXPECT_EQ(PredefinedColors[46], 0xFF000008U);
  // The system-colour codes are the 25 numbers 0..24, each once.
  std::set<TColor> system;
  for (TColor c : PredefinedColors) {
    if ((c >> 24) == 0xFF) system.insert(c & 0xFFFFFFU);
  }
  EXPECT_EQ(system.size(), 25U);
  EXPECT_EQ(*system.rbegin(), 24U);
}

TEST(Palettes, HaveTheirKeyColours) {
  EXPECT_EQ(ColorArray_Geo1.size(), 11U);
  EXPECT_EQ(ColorArray_Geo2.size(), 11U);
  EXPECT_EQ(ColorArray_Geo3.size(), 11U);
  EXPECT_EQ(ColorArray_Rainbow.size(), 11U);
  EXPECT_EQ(ColorArray_Circle.size(), 7U);
  EXPECT_EQ(ColorArray_MorgenStemning.size(), 7U);
  EXPECT_EQ(ColorArray_Contrast.size(), 16U);
  EXPECT_EQ(ColorArray_Geo1.front(), 0xDED2BDU);
  EXPECT_EQ(ColorArray_Geo2.back(), 0x96ACC8U);
  EXPECT_EQ(ColorArray_Geo3[5], 0x4AA885U);
  EXPECT_EQ(ColorArray_Rainbow.front(), 0x400020U);
  EXPECT_EQ(ColorArray_Rainbow.back(), 0x000040U);
  EXPECT_EQ(ColorArray_Circle.front(), ColorArray_Circle.back());
  EXPECT_EQ(ColorArray_MorgenStemning.back(), 0xFFFFFFU);
  EXPECT_EQ(ColorArray_Contrast[10], 0xC5CD18U);
}

TEST(ObtainColorName, GivesTheFirstNameOrTheHexText) {
  EXPECT_EQ(ObtainColorName(0x00FFFFU), u"Yellow");
  EXPECT_EQ(ObtainColorName(0xFFFF00U), u"Aqua");
  EXPECT_EQ(ObtainColorName(0x808080U), u"Gray");
  EXPECT_EQ(ObtainColorName(0x32CD9AU), u"OliveDrab3");  // also YellowGreen, further on
  EXPECT_EQ(ObtainColorName(0x654321U), u"00654321");
  // All 32 bits take part: a top byte makes the colour unnamed.
  EXPECT_EQ(ObtainColorName(0x010000FFU), u"010000FF");
  EXPECT_EQ(ObtainColorName(0xFF000000U), u"FF000000");
  for (size_t i = 0; i < AllXANColors.size(); ++i) {
    const String name = ObtainColorName(AllXANColors[i]);
    EXPECT_EQ(Named(name), AllXANColors[i]);
    EXPECT_LE(std::find(AllXANColorNames.begin(), AllXANColorNames.end(), name) -
                  AllXANColorNames.begin(),
              static_cast<std::ptrdiff_t>(i));
  }
}

TEST(ColorFromName, FindsEveryNameInAnyCaseAndNothingElse) {
  for (size_t i = 0; i < AllXANColorNames.size(); ++i) {
    String upper(AllXANColorNames[i]);
    for (Char& c : upper) c = c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c;
    for (const String& name : {String(AllXANColorNames[i]), upper}) {
      bool found = false;
      const TColor c = ColorFromName(name, found);
      EXPECT_TRUE(found) << ToUtf8(name);
      // The first entry of that name: the same value unless the name occurs earlier.
      const auto first =
          std::find(AllXANColorNames.begin(), AllXANColorNames.end(), AllXANColorNames[i]);
      EXPECT_EQ(c, AllXANColors[static_cast<size_t>(first - AllXANColorNames.begin())]);
    }
  }
  bool found = true;
  EXPECT_EQ(ColorFromName(u"Orange", found), 0x00A5FFU);
  EXPECT_EQ(ColorFromName(u"cyan", found), 0xFFFF00U);
  for (const char16_t* name : {u"", u"Grey", u"Orange ", u"Orang", u"Äqua"}) {
    found = true;
    EXPECT_EQ(ColorFromName(name, found), 0U);
    EXPECT_FALSE(found) << ToUtf8(name);
  }
}

}  // namespace
}  // namespace xan
