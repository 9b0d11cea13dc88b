// URL text: the path part of a URL, and percent-encoding and decoding of the characters that
// have a meaning of their own in a URL.
#pragma once

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// None of these functions raises, whatever the text, except for std::bad_alloc.

// The URL up to and including its last "/", after removing everything up to the end of the
// first "http://" (found without regard to the case of "A".."Z"). A URL without "/" after that
// has no path: the result is empty. Other schemes are not recognised.
//   "http://server/dir/page.html" => "server/dir/"     "HTTP://server/a" => "server/"
//   "dir/sub/file.txt" => "dir/sub/"     "http://server" => ""     "page.html" => ""
//   "" => ""     "https://server/a" => "https://server/"
XAN_EXPORT String ExtractHTTPPath(StringView url);

// Every blank and every character of "!*'();:@&=+$,/?%#[]" replaced by "%" and its code as two
// upper-case hexadecimal digits; every other character, control and non-ASCII characters
// included, copied unchanged.
//   "a b/c" => "a%20b%2Fc"     "it's" => "it%27s"     "50%" => "50%25"     "\u00e9" => "\u00e9"
//   "" => ""
XAN_EXPORT String URLEncode(StringView text);

// Decodes percent-escapes twice over, the second time in the result of the first, so that text
// encoded twice comes back too. One pass, from left to right: "%" followed by two hexadecimal
// digits (either case) becomes the character of that code (0..255); a "%" without two
// hexadecimal digits after it stays as it is; "+" stays "+".
//   "a%20b" => "a b"     "%2541" => "A"     "100%" => "100%"     "%zz" => "%zz"     "%4" => "%4"
//   "%e9" => "\u00e9"     "a+b" => "a+b"     "%252" => "%2"     "" => ""
XAN_EXPORT String URLDecode(StringView text);

}  // namespace xan
