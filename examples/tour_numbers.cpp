// Tour section: number formatting.
#include <iostream>

#include "tour.h"
#include "xan/stringl.h"

void tour::Numbers() {
  using namespace xan;
  Heading("Numbers: formatting and scanning");
  int32_t pos = 1;
  const int32_t v = ScanHexNumber(u"$1F rest", pos);
  std::cout << "  ScanHexNumber(\"$1F rest\") => " << v << ", stops at " << pos << "\n";
}
