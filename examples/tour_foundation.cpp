// Tour section: the shared tables and constants of the foundation.
#include <iostream>

#include "tour.h"
#include "xan/univconst.h"
#include "xan/xanbase.h"

void tour::Foundation() {
  using namespace xan;
  Heading("Foundation: keyword tables, language tables, constants");
  Show("xmlFrameStyle[fsRaised]", xmlFrameStyle[fsRaised]);
  Show("xmlVarKind[Bool]", xmlVarKind[Bool]);
  Show("MonthLong[lgGerman][2]", MonthLong[lgGerman][2]);
  Show("LanguageID[lgFrench][lgSpanish]", LanguageID[lgFrench][lgSpanish]);
  Show("HTMLLat1Entities[233]", HTMLLat1Entities[233]);
  Show("CSVDELIMITERIDS[ResolveCSVDelimiter(';')]", CSVDELIMITERIDS[ResolveCSVDelimiter(u';')]);
  std::cout << "  uc_LnFactorial[1000] => " << uc_LnFactorial[1000] << "\n";
}
