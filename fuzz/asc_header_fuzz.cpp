// Fuzz target: the ASC data-file header reader, from a stream held whole and from one that
// hands out a few bytes at a time, which must agree; a header that reads is written in its
// plain form and must read back the same. The file form runs over the same bytes too.
#include "fuzz_support.h"
#include "xan/filesys/textfiles.h"

namespace {

struct Header {
  int32_t Code = 99;
  xan::String Comment = u"unset";
  int32_t Number1 = -99, Number2 = -99;
  bool Flags[4] = {true, false, true, false};
  int64_t Position = -1;

  bool operator==(const Header& o) const {
    return Code == o.Code && Comment == o.Comment && Number1 == o.Number1 && Number2 == o.Number2 &&
           std::equal(Flags, Flags + 4, o.Flags) && Position == o.Position;
  }
};

Header ReadFrom(xan::TStream& stream) {
  Header h;
  h.Code = xan::ReadHeaderOfASC(stream, h.Comment, h.Number1, h.Number2, h.Flags[0], h.Flags[1],
                                h.Flags[2], h.Flags[3]);
  h.Position = stream.Position();
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const size_t chunk = choices.Byte() % 13 + 1;
  const std::string_view bytes = choices.Rest();

  xan::TStringStream whole(bytes);
  xanfuzz::ChunkedStream pieces(bytes, chunk);
  const Header h = ReadFrom(whole);
  FUZZ_CHECK(ReadFrom(pieces) == h, "the header depends on how the stream is read");
  FUZZ_CHECK(h.Code == 0 || h.Code == -1 || h.Code == -2 || h.Code == -3, "an undocumented code");
  FUZZ_CHECK(h.Position >= 0 && h.Position <= static_cast<int64_t>(bytes.size()),
             "the stream is left outside its bytes");
  // Lines end at LF; a lone CR is a character of the comment.
  FUZZ_CHECK(h.Comment.find(u'\n') == xan::String::npos, "a line end in the comment");

  if (h.Code == 0) {
    FUZZ_CHECK(h.Number1 > 0 && h.Number2 > 0, "a header read with a number below 1");
    std::string plain = xan::StringToBytes(h.Comment) + "\r\n" + std::to_string(h.Number1) +
                        "\r\n" + std::to_string(h.Number2) + "\r\n";
    for (const bool flag : h.Flags) plain += flag ? "TRUE " : "FALSE ";
    plain += "\r\n";
    xan::TStringStream rewritten{std::string_view(plain)};
    Header back = ReadFrom(rewritten);
    FUZZ_CHECK(back.Code == 0 && back.Comment == h.Comment && back.Number1 == h.Number1 &&
                   back.Number2 == h.Number2 && std::equal(h.Flags, h.Flags + 4, back.Flags),
               "a header written plainly reads back otherwise");
  }

  static const xanfuzz::TempFile file("asc_header");
  file.Write(bytes);
  Header f;
  f.Code = xan::ReadHeaderOfASC(file.Name(), f.Comment, f.Number1, f.Number2, f.Flags[0],
                                f.Flags[1], f.Flags[2], f.Flags[3]);
  FUZZ_CHECK(f.Code >= -3 && f.Code <= 0, "an undocumented code from the file form");
  return 0;
}
