// Uses an installed xan: formats a number, reads a table and draws a mark on a bitmap. Built
// with XAN_EXPECT_CXX23, it also checks that the package's flags left the user's newer language
// standard in place.
#include <xan/xan.h>

#if defined(XAN_EXPECT_CXX23)
static_assert(__cplusplus > 202002L, "the package lowered the language standard");
#endif

int main() {
  using namespace xan;
  TBitmap bitmap(7, 7);
  DrawMarkOnCanvas(bitmap.Canvas(), 9, 3, 3);  // a filled 7 x 7 square in the pen's black
  const bool ok = strff(12.5, 8, 2) == u"   12.50" && MonthShort[lgEnglish][0] == u"Jan" &&
                  bitmap.Canvas().Pixels(0, 6) == 0 && bitmap.Canvas().TextWidth(u"") == 0;
  return ok ? 0 : 1;
}
