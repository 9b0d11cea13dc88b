// Fuzz target: the string table's XML reader. A table that reads is saved, read back and saved
// again, and both saved files must be the same.
#include "fuzz_support.h"
#include "xan/dstruct/stringarray.h"
#include "xan/platform/textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The dimensions are honoured up to tens of millions of cells by design.
  if (xanfuzz::AsksForMuch(text, 4096)) return 0;
  static const xanfuzz::TempFile in("strarr_in"), first("strarr_a"), second("strarr_b");
  in.Write(text);
  xan::TStringArray table;
  {
    xan::TTextFile f(in.Name(), xan::tfmRead);
    if (!table.ReadFromOpenXMLFile(f, u"")) return 0;
  }
  table.SaveAsXMLFile(first.Name(), u"fuzz");
  xan::TStringArray again;
  FUZZ_CHECK(again.LoadFromXMLFile(first.Name(), u"fuzz"), "a saved table does not read");
  FUZZ_CHECK(again.NrOfColumns() == table.NrOfColumns() && again.NrOfRows() == table.NrOfRows(),
             "a saved table reads with other dimensions");
  again.SaveAsXMLFile(second.Name(), u"fuzz");
  FUZZ_CHECK(first.Read() == second.Read(), "saving what was read from a saved table differs");
  return 0;
}
