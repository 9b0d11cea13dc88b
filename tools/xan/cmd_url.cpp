// Subcommand url: the library's URL percent-encoding and decoding of the arguments, or of each
// line of standard input.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/htmlsupport/url_coding.h"

namespace xantool {

namespace url_cmd {

struct Options {
  std::string Mode;
  std::vector<std::string> Texts;
};

// Bytes pass as characters of the same code, so %C3%A9 decodes to the two bytes of UTF-8 "é".
std::string Code(const std::string& mode, const std::string& text) {
  const xan::String s = xan::BytesToString(text);
  return xan::StringToBytes(mode == "encode" ? xan::URLEncode(s) : xan::URLDecode(s)) + "\n";
}

int Run(const Options& o) {
  if (!o.Texts.empty()) {
    for (const std::string& text : o.Texts) Out(Code(o.Mode, text));
    return kExitOk;
  }
  InputFile input("-");
  LineReader lines(input);
  std::string line;
  while (lines.Next(line)) {
    if (lines.Truncated()) {
      throw Failure("line " + std::to_string(lines.LineNumber()) + " is longer than " +
                    std::to_string(LineReader::MaxLine >> 20) + " MiB");
    }
    Out(Code(o.Mode, line));
  }
  return kExitOk;
}

}  // namespace url_cmd

Action SetupUrl(CLI::App& sub) {
  using namespace url_cmd;
  auto o = std::make_shared<Options>();
  sub.add_option("MODE", o->Mode, "encode or decode")
      ->required()
      ->check(CLI::IsMember({"encode", "decode"}));
  sub.add_option("TEXT", o->Texts,
                 "Texts to code, one result line each; none: each line of "
                 "standard input");
  sub.footer(
      "encode replaces the blank and !*'();:@&=+$,/?%#[] by %XX and keeps every other byte;\n"
      "decode resolves %XX twice over, so that text encoded twice comes back too.");
  return [o] { return Run(*o); };
}

}  // namespace xantool
