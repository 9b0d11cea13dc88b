// A short tour of the library for a newcomer: `./run demo` builds and runs it.
// Each section shows one part of what the library can do.
#include <iostream>

#include "xan/xan.h"

namespace {

void Print(const xan::String& label, const xan::String& value) {
  std::cout << "  " << xan::ToUtf8(label) << " => \"" << xan::ToUtf8(value) << "\"\n";
}

void TourFoundation() {
  using namespace xan;
  std::cout << "Foundation: shared tables and constants\n";
  Print(u"xmlFrameStyle[fsRaised]", String(xmlFrameStyle[fsRaised]));
  Print(u"MonthLong[lgGerman][2]", String(MonthLong[lgGerman][2]));
  Print(u"LanguageID[lgFrench][lgSpanish]", String(LanguageID[lgFrench][lgSpanish]));
  Print(u"HTMLLat1Entities[233]", String(HTMLLat1Entities[233]));
  std::cout << "  ResolveCSVDelimiter(';') => "
            << ToUtf8(CSVDELIMITERIDS[ResolveCSVDelimiter(u';')]) << "\n  uc_LnFactorial[1000] => "
            << uc_LnFactorial[1000] << "\n";
}

void TourNumbers() {
  using namespace xan;
  std::cout << "Numbers\n";
  int32_t pos = 1;
  const int32_t v = ScanHexNumber(u"$1F rest", pos);
  std::cout << "  ScanHexNumber(\"$1F rest\") => " << v << ", stops at " << pos << "\n";
}

}  // namespace

int main() {
  TourFoundation();
  TourNumbers();
  return 0;
}
