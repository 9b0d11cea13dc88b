// Uses an installed xan: formats a number and reads a table. Built with XAN_EXPECT_CXX23, it also
// checks that the package's flags left the user's newer language standard in place.
#include <xan/xan.h>

#if defined(XAN_EXPECT_CXX23)
static_assert(__cplusplus > 202002L, "the package lowered the language standard");
#endif

int main() {
  using namespace xan;
  const bool ok = strff(12.5, 8, 2) == u"   12.50" && MonthShort[lgEnglish][0] == u"Jan";
  return ok ? 0 : 1;
}
