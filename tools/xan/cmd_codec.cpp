// Subcommands base64, ascii85 and rle: encoding and decoding from a file or standard input to
// standard output, streamed, with decoding problems reported by the exit status.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/dstruct/encodings.h"
#include "xan/dstruct/rlencoder.h"

namespace xantool {

namespace codec_cmd {

struct Options {
  std::string Mode;
  std::string File = "-";
  bool NoWrap = false;
  bool Crlf = false;
};

void AddCommon(CLI::App& sub, Options& o, bool text) {
  sub.add_option("MODE", o.Mode, "encode or decode")
      ->required()
      ->check(CLI::IsMember({"encode", "decode"}));
  sub.add_option("FILE", o.File, "The input; '-' or none: standard input");
  if (text) {
    sub.add_flag("-w,--no-wrap", o.NoWrap,
                 "Encode into one line instead of lines of 60 characters");
    sub.add_flag("--crlf", o.Crlf, "End the lines with CR LF instead of LF");
  }
}

// Base64 and ASCII85: the library codes between streams.
int RunText(const Options& o, bool base64) {
  InputFile file(o.File, true);
  InputStream in(file);
  if (o.Mode == "encode") {
    OutputStream out(!o.Crlf);
    if (base64) {
      xan::EncodeBase64(in, out, !o.NoWrap);
    } else {
      xan::EncodeASCII85(in, out, !o.NoWrap);
    }
    // Lines end with a line end, the last one too (ASCII85 ends with "~>" alone); unwrapped
    // text is left as the library writes it, as base64 -w 0 does.
    if (!base64 && !o.NoWrap) Out(o.Crlf ? "\r\n" : "\n");
    return kExitOk;
  }
  OutputStream out;
  const int32_t status = base64 ? xan::DecodeBase64(in, out) : xan::DecodeASCII85(in, out);
  if (status == 0) return kExitOk;
  if (base64) {
    Complain(file.Name() + ": not Base64: a character outside '+'..'z' at byte " +
             std::to_string(in.Position()) + "; the groups before it are written");
  } else {
    Complain(file.Name() + ": not ASCII85: " +
             (status == -2 ? "a 'z' inside a group" : "characters outside '!'..'u'") +
             " were skipped");
  }
  return kExitNo;
}

Action SetupText(CLI::App& sub, bool base64) {
  auto o = std::make_shared<Options>();
  AddCommon(sub, *o, true);
  return [o, base64] { return RunText(*o, base64); };
}

// Run-length coding: the library's coder is fed in pieces and hands out blocks.
int RunRle(const Options& o) {
  InputFile file(o.File, true);
  xan::TRLEncoder coder;
  coder.SetBufLeng(1 << 16);
  xan::TBytes block;
  const auto put = [&] { Out({reinterpret_cast<const char*>(block.data()), block.size()}); };
  std::vector<uint8_t> piece(size_t{1} << 16);
  const bool encode = o.Mode == "encode";
  while (const size_t n = file.Read(piece)) {
    if (encode) {
      coder.Encode(std::span<const uint8_t>(piece).first(n), static_cast<int32_t>(n));
    } else {
      for (size_t i = 0; i < n; ++i) coder.Decode(piece[i]);
    }
    while (coder.GetResult(block)) put();
  }
  const bool cut = !encode && coder.DecodeState() != xan::rlData;
  const int32_t full = coder.BufLeng();
  while ((encode ? coder.Finish(block) : coder.FinishDecode(block)) == full) put();
  put();
  if (!cut) return kExitOk;
  Complain(file.Name() + ": the input ends inside a run (165, count, byte); the run is lost");
  return kExitNo;
}

}  // namespace codec_cmd

Action SetupBase64(CLI::App& sub) {
  using namespace codec_cmd;
  return SetupText(sub, true);
}
Action SetupAscii85(CLI::App& sub) {
  using namespace codec_cmd;
  return SetupText(sub, false);
}
Action SetupRle(CLI::App& sub) {
  using namespace codec_cmd;
  auto o = std::make_shared<Options>();
  AddCommon(sub, *o, false);
  return [o] { return RunRle(*o); };
}

}  // namespace xantool
