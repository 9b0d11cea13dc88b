// Tour section: number formatting to fixed widths, exponents and significant digits.
#include <iostream>

#include "tour.h"
#include "xan/stringl.h"

void tour::Numbers() {
  using namespace xan;
  Heading("Numbers: fixed widths, exponents, significant digits, durations");
  Show("strff(12.5, 8, 2)", strff(12.5, 8, 2));
  Show("strff(-12.5, -9, 2)   (zero fill)", strff(-12.5, -9, 2));
  Show("strff(5678.5, 11, -2) (short exponent form)", strff(5678.5, 11, -2));
  Show("strffForcePlus(12.5, 8, 2)", strffForcePlus(12.5, 8, 2));
  Show("FormatData(0.001, 8, 2)", FormatData(0.001, 8, 2));
  Show("SigDigStr(0.056789, 10, 3)", SigDigStr(0.056789, 10, 3));
  Show("AutoFormatData(999.96, 4)", AutoFormatData(999.96, 4));
  Show("AutoFormatData(123.456, 4, decimal comma)", AutoFormatData(123.456, 4, true));
  Show("SortableNumericString(\"3.14\", '.', 4)", SortableNumericString(u"3.14", u'.', 4));
  Show("TimeString(18423.25, 0)", TimeString(18423.25, 0));
  Show("TimeString(18423.25, 5)", TimeString(18423.25, 5));
  int32_t pos = 1;
  const int32_t v = ScanHexNumber(u"$1F rest", pos);
  std::cout << "  ScanHexNumber(\"$1F rest\", pos = 1) => " << v << ", pos = " << pos << "\n";
}
