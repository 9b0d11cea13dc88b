// Fuzz target: the Base64 decoder (and the uuencoded-text decoder) on any text, read whole and
// read a few bytes at a time, and both encoders' text decoded back to the bytes encoded.
#include "fuzz_support.h"
#include "xan/dstruct/encodings.h"
#include "xan/stringl/string_parse.h"

namespace {

std::string Decode(xan::TStream& in, int32_t& status) {
  xan::TMemoryStream out;
  status = xan::DecodeBase64(in, out);
  const auto bytes = out.Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const size_t chunk = choices.Byte() % 97 + 1;
  const std::string_view bytes = choices.Rest();

  // Any text: the same bytes and status whether the stream is in memory or comes in pieces.
  xan::TStringStream whole(bytes);
  xanfuzz::ChunkedStream pieces(bytes, chunk);
  int32_t status1 = 0, status2 = 0;
  const std::string d1 = Decode(whole, status1);
  const std::string d2 = Decode(pieces, status2);
  FUZZ_CHECK(status1 == status2 && d1 == d2, "decoding depends on how the stream is read");
  FUZZ_CHECK(status1 == 0 || status1 == -1, "a status other than 0 and -1");
  FUZZ_CHECK(d1.size() <= bytes.size(), "more bytes decoded than characters read");
  if (status1 == -1) {
    FUZZ_CHECK(whole.Position() == pieces.Position(), "the stream is left at another place");
  }

  // Any bytes: encoded with and without line breaks, then decoded, they come back.
  for (const bool lines : {false, true}) {
    xan::TStringStream in(bytes), text;
    xan::EncodeBase64(in, text, lines);
    text.SetPosition(0);
    int32_t status = 0;
    FUZZ_CHECK(Decode(text, status) == bytes && status == 0, "Base64 does not come back");
  }
  const xan::String raw = xan::BytesToString(bytes);
  FUZZ_CHECK(xan::UUDecodeStr(xan::UUEncodeStr(raw)) == raw, "uuencoded text does not come back");
  xan::UUDecodeStr(raw);
  return 0;
}
