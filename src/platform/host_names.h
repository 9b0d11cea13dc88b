// File names in the host's encoding: UTF-8 that keeps every byte, so that any name found on disk
// can be handed back to the host unchanged.
#pragma once

#include <string>
#include <string_view>

#include "xan/platform/strings.h"

namespace xan {

// A name found on disk as text: valid UTF-8 decodes as usual; each byte that does not begin a
// valid sequence becomes the lone surrogate U+DC00 + byte (U+DC80..U+DCFF).
//   "a\xC3\xA9" => u"a\u00e9",  "a\xE9" => u"a\uDCE9"
String DecodeHostName(std::string_view bytes);

// The inverse for names: U+DC80..U+DCFF alone become their byte again, other lone surrogates
// keep their three-byte form, everything else is UTF-8. EncodeHostName(DecodeHostName(b)) == b
// for every byte string b.
std::string EncodeHostName(StringView name);

}  // namespace xan
