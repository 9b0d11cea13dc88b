// URL text: ExtractHTTPPath, and the percent-encoding of URLEncode with the two decoding passes
// of URLDecode.
#include "xan/htmlsupport/url_coding.h"

#include "xan/platform/types.h"
#include "xan/stringl/char_funcs.h"
#include "xan/stringl/string_search.h"
#include "xan_htmlsupport/hex_digits.h"

namespace xan {

namespace {

using html_detail::HexValue;

// The characters that URLEncode escapes.
constexpr TCharSet kURLReserved{u' ', u'!', u'*', u'\'', u'(', u')', u';', u':', u'@', u'&',
                                u'=', u'+', u'$', u',',  u'/', u'?', u'%', u'#', u'[', u']'};

constexpr StringView kHexDigits = u"0123456789ABCDEF";

String DecodePass(StringView text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (c == u'%' && i + 2 < text.size() && IsHexChar(text[i + 1]) && IsHexChar(text[i + 2])) {
      out += static_cast<Char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

String ExtractHTTPPath(StringView url) {
  constexpr StringView kScheme = u"http://";
  const int32_t at = NumberedPos(kScheme, url, 1, 1, true);
  if (at > 0) url.remove_prefix(static_cast<size_t>(at - 1) + kScheme.size());
  const size_t slash = url.rfind(u'/');
  if (slash == StringView::npos) return String();
  return String(url.substr(0, slash + 1));
}

String URLEncode(StringView text) {
  String out;
  out.reserve(text.size());
  for (const Char c : text) {
    if (kURLReserved.Contains(c)) {
      out += u'%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    } else {
      out += c;
    }
  }
  return out;
}

String URLDecode(StringView text) {
  return DecodePass(DecodePass(text));
}

}  // namespace xan
