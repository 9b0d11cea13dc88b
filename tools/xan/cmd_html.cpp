// Subcommand html: fills a template's "<#name parameters>" tags with the library's
// THtmlProducer, from key=value pairs of the command line.
#include <CLI/CLI.hpp>

#include <map>

#include "tool.h"
#include "xan/htmlsupport/html_producer.h"

namespace xantool {

namespace html_cmd {

struct Options {
  std::string Action, Template;
  std::vector<std::string> Pairs;
  bool Strict = false;
};

// The largest template taken: the producer holds the template and its result in memory.
constexpr size_t kMaxTemplate = size_t{64} << 20;

int Fill(const Options& o) {
  // Names are matched as the producer hands them over: A-Z lowered.
  std::map<xan::String, xan::String> values;
  for (const std::string& pair : o.Pairs) {
    const size_t eq = pair.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw Failure("'" + pair + "' is not key=value");
    }
    xan::String key = xan::AnsiToString(pair.substr(0, eq));
    for (xan::Char& c : key) c = c >= u'A' && c <= u'Z' ? static_cast<xan::Char>(c + 32) : c;
    // Bytes pass through the producer one character each, so UTF-8 stays UTF-8.
    values[key] = xan::AnsiToString(pair.substr(eq + 1));
  }
  InputFile file(o.Template);
  xan::THtmlProducer producer;
  producer.SetTemplate(xan::AnsiToString(file.ReadAll(kMaxTemplate)));
  std::vector<std::string> unknown;
  producer.SetOnHTMLTag([&](xan::TObject*, xan::String name, xan::String, xan::String& text) {
    const auto it = values.find(name);
    if (it != values.end()) {
      text = it->second;
    } else {
      unknown.push_back(xan::StringToAnsi(name));
    }
  });
  producer.Convert();
  if (o.Strict && !unknown.empty()) {
    Complain(file.Name() + ": no value for the tag <#" + unknown.front() + ">" +
             (unknown.size() > 1 ? " and " + std::to_string(unknown.size() - 1) + " more" : ""));
    return kExitNo;
  }
  const std::string_view bytes = producer.ConvertedHTMLAsStream()->ByteString();
  Out(bytes);
  return kExitOk;
}

}  // namespace html_cmd

Action SetupHtml(CLI::App& sub) {
  using namespace html_cmd;
  auto o = std::make_shared<Options>();
  sub.add_option("ACTION", o->Action, "fill: write the template with its tags filled in")
      ->required()
      ->check(CLI::IsMember({"fill"}));
  sub.add_option("TEMPLATE", o->Template, "The template; '-': standard input")->required();
  sub.add_option("KEY=VALUE", o->Pairs,
                 "The text for the tags named KEY (<#KEY ...>, any letter case)");
  sub.add_flag("--strict", o->Strict,
               "Write nothing and end with status 1 when a tag has no value; by default such "
               "tags stay as they are");
  return [o] { return Fill(*o); };
}

}  // namespace xantool
