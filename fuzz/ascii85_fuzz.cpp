// Fuzz target: the ASCII85 decoder on any text, read whole and read a few bytes at a time, and
// the encoder's text decoded back to the bytes encoded.
#include "fuzz_support.h"
#include "xan/dstruct/encodings.h"

namespace {

std::string Decode(xan::TStream& in, int32_t& status) {
  xan::TMemoryStream out;
  status = xan::DecodeASCII85(in, out);
  const auto bytes = out.Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const size_t chunk = choices.Byte() % 97 + 1;
  const std::string_view bytes = choices.Rest();

  xan::TStringStream whole(bytes);
  xanfuzz::ChunkedStream pieces(bytes, chunk);
  int32_t status1 = 0, status2 = 0;
  const std::string d1 = Decode(whole, status1);
  const std::string d2 = Decode(pieces, status2);
  FUZZ_CHECK(status1 == status2 && d1 == d2, "decoding depends on how the stream is read");
  FUZZ_CHECK(status1 >= -2 && status1 <= 0, "a status other than 0, -1 and -2");
  // "z" gives four bytes for one character, and nothing else more than one per character.
  FUZZ_CHECK(d1.size() <= 4 * bytes.size(), "more bytes decoded than the text can hold");

  for (const bool lines : {false, true}) {
    xan::TStringStream in(bytes), text;
    xan::EncodeASCII85(in, text, lines);
    text.SetPosition(0);
    int32_t status = 0;
    FUZZ_CHECK(Decode(text, status) == bytes && status == 0, "ASCII85 does not come back");
  }
  return 0;
}
