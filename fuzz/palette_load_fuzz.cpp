// Fuzz target: the palette file reader, with and without resizing. A palette that loads is
// stored, and the stored file must load into an equal palette and store the same bytes.
#include "fuzz_support.h"
#include "xan/xancolors/color_array.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const bool adjust = (choices.Byte() & 1) != 0;
  const std::string_view text = choices.Rest();
  if (xanfuzz::AsksForMuch(text.substr(0, text.find_first_of("\r\n")), 65536)) return 0;
  static const xanfuzz::TempFile in("palette_in"), first("palette_a"), second("palette_b");
  in.Write(text);
  xan::TColorArray palette;
  if (!palette.LoadFromFile(in.Name(), adjust)) return 0;
  FUZZ_CHECK(palette.Size() >= 1, "a palette without colours");
  FUZZ_CHECK(palette.StoreOnFile(1, palette.Size(), first.Name()), "a palette cannot be stored");
  xan::TColorArray again;
  FUZZ_CHECK(again.LoadFromFile(first.Name(), true), "a stored palette does not load");
  FUZZ_CHECK(again.IsEqual(palette), "a stored palette loads with other colours");
  FUZZ_CHECK(again.StoreOnFile(1, again.Size(), second.Name()), "a palette cannot be stored");
  FUZZ_CHECK(first.Read() == second.Read(), "storing a loaded palette gives other bytes");
  return 0;
}
