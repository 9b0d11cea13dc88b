// Fuzz target: the feature-matrix file reader. A file that loads is saved, loaded and saved
// again, and both saved files must be the same.
#include "fuzz_support.h"
#include "xan/dstruct/featurematrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Section lines state the table's size; a table of millions of values is allowed by design.
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    if (text[start] == '#' && xanfuzz::AsksForMuch(text.substr(start, end - start), 4096)) return 0;
    start = end + 1;
  }
  static const xanfuzz::TempFile in("featmat_in"), first("featmat_a"), second("featmat_b");
  in.Write(text);
  xan::TFeatureMatrix m;
  if (m.Load(in.Name()) != 0) return 0;
  m.Save(first.Name());
  xan::TFeatureMatrix again;
  FUZZ_CHECK(again.Load(first.Name()) == 0, "a saved matrix does not load");
  FUZZ_CHECK(again.NFeatures() == m.NFeatures() && again.NObjects() == m.NObjects(),
             "a saved matrix loads with other dimensions");
  again.Save(second.Name());
  FUZZ_CHECK(first.Read() == second.Read(), "saving what was loaded from a saved file differs");
  return 0;
}
