// The screen with its font list, and the text engine of the canvases, whose host part (finding
// faces, measuring and drawing glyphs) comes from posix/fonts.inc.
#include <algorithm>

#include "text_engine.h"
#include "xan/platform/graphics.h"
#include "xan/platform/locale.h"

namespace xan {

TScreen::TScreen() {
  FFonts.SetCaseSensitive(false);
}

TScreen::~TScreen() = default;

const TStringList& TScreen::Fonts() {
  if (!FFontsRead) {
    std::vector<String> families = host::FontFamilies();
    std::sort(families.begin(), families.end(), [](const String& a, const String& b) {
      const int order = LocaleCompareText(a, b);
      return order != 0 ? order < 0 : a < b;
    });
    FFonts.Clear();
    for (const String& family : families) {
      if (FFonts.Count() == 0 || !LocaleSameText(FFonts.Strings(FFonts.Count() - 1), family)) {
        FFonts.Add(family);
      }
    }
    FFontsRead = true;
  }
  return FFonts;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

}  // namespace xan

#if defined(_WIN32)
#include "win32/fonts.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/fonts.inc"
#else
#error "xan: fonts have no implementation for this host yet"
#endif
