// Fuzz target: the associative array's XML reader (the first line of the input is the data set
// to look for) and its attribute reader. An array that reads is written, read back and written
// again, and both texts must be the same.
#include "fuzz_support.h"
#include "xan/dstruct/assocarray.h"

namespace {

std::string Written(const xan::TAssocArray& a, xan::StringView id) {
  xan::TMemoryStream out;
  a.WriteToXMLStream(out, true, id);
  const auto bytes = out.Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const xan::String id = xan::BytesToString(choices.Until('\n', 64));
  const std::string_view text = choices.Rest();

  xan::TAssocArray attributes;
  attributes.AddXMLAttributes(xan::BytesToString(text));

  xan::TStringStream in(text);
  xan::TAssocArray a;
  try {
    if (!a.ReadFromXMLStream(in, id)) return 0;
  } catch (const xan::EXANDStructError&) {
    return 0;  // storage refused: many entries
  }
  const std::string first = Written(a, id);
  xan::TStringStream back(first);
  xan::TAssocArray again;
  FUZZ_CHECK(again.ReadFromXMLStream(back, id), "a written array does not read");
  FUZZ_CHECK(again.NumEntries() == a.NumEntries() && again.IgnoreCase() == a.IgnoreCase(),
             "a written array reads with other entries");
  FUZZ_CHECK(Written(again, id) == first, "writing what was read from a written array differs");
  return 0;
}
