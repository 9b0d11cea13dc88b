// Uses an installed xan: formats a number and reads a table.
#include <xan/xan.h>

int main() {
  using namespace xan;
  const bool ok = strff(12.5, 8, 2) == u"   12.50" && MonthShort[lgEnglish][0] == u"Jan";
  return ok ? 0 : 1;
}
