// The lookup of a colour's name in the table of named colours.
#include "xan/xancolors/named_colors.h"

#include <algorithm>

#include "platform/simple_text.h"
#include "xan/xancolors/color_models.h"

namespace xan {

String ObtainColorName(TColor c) {
  const auto it = std::find(AllXANColors.begin(), AllXANColors.end(), c);
  if (it == AllXANColors.end()) return ColorToHexStr(c);
  return String(AllXANColorNames[static_cast<size_t>(it - AllXANColors.begin())]);
}

TColor ColorFromName(StringView Name, bool& found) {
  for (size_t k = 0; k < AllXANColorNames.size(); ++k) {
    if (detail::SimpleSameText(AllXANColorNames[k], Name)) {
      found = true;
      return AllXANColors[k];
    }
  }
  found = false;
  return 0;
}

}  // namespace xan
