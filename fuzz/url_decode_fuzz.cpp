// Fuzz target: URLDecode and ExtractHTTPPath on any text. Decoding never lengthens a text, and
// a text without "%" comes back from its encoding unchanged.
#include "fuzz_support.h"
#include "xan/htmlsupport/url_coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const xan::String& text : {xan::BytesToString(bytes), xan::FromUtf8(bytes)}) {
    const xan::String decoded = xan::URLDecode(text);
    FUZZ_CHECK(decoded.size() <= text.size(), "decoding made the text longer");
    xan::ExtractHTTPPath(text);
    xan::String plain = text;
    std::erase(plain, u'%');
    FUZZ_CHECK(xan::URLDecode(xan::URLEncode(plain)) == plain,
               "an encoded text does not come back");
  }
  return 0;
}
