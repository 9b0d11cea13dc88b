// Subcommand grep: the lines of files that the library's pattern matcher TGrep finds a match in,
// printed as grep prints them.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/stringl/grep.h"
#include "xan/xanbase.h"

namespace xantool {

namespace grep_cmd {

struct Options {
  std::string Pattern;
  std::vector<std::string> Files;
  bool IgnoreCase = false;
  bool Invert = false;
  bool Count = false;
  bool LineNumbers = false;
  bool Quiet = false;
  bool WithNames = false;
  bool NoNames = false;
};

// What the search of all files came to.
struct Outcome {
  bool Found = false;
  bool Error = false;
};

// Searches one file; true when grep -q may stop.
bool SearchFile(xan::TGrep& grep, const Options& o, const std::string& name, bool showName,
                Outcome& outcome) {
  InputFile file(name);
  LineReader lines(file);
  std::string line, prefix;
  int64_t count = 0;
  while (lines.Next(line)) {
    if (lines.Truncated()) {
      Complain(name + ": line " + std::to_string(lines.LineNumber()) + " is longer than " +
               std::to_string(LineReader::MaxLine >> 20) + " MiB; only its start is searched");
      outcome.Error = true;
    }
    int32_t pos = 0;
    if (grep.MatchString(xan::FromUtf8(line), pos) == o.Invert) continue;
    outcome.Found = true;
    ++count;
    if (o.Quiet) return true;
    if (o.Count) continue;
    if (lines.SawNul()) {
      Complain(name + ": binary file matches");
      return false;
    }
    prefix.clear();
    if (showName) prefix = name + ":";
    if (o.LineNumbers) prefix += std::to_string(lines.LineNumber()) + ":";
    Out(prefix);
    line += '\n';
    Out(line);
  }
  if (o.Count) Out((showName ? name + ":" : "") + std::to_string(count) + "\n");
  return false;
}

int Run(Options& o) {
  xan::TGrep grep;
  grep.SetIgnoreCase(o.IgnoreCase);
  try {
    grep.SetRegExp(ArgText(o.Pattern));
  } catch (const xan::EXANError& e) {
    throw Failure(WithoutComponent(e.what()));
  }
  if (o.Files.empty()) o.Files.emplace_back("-");
  const bool showName = !o.NoNames && (o.WithNames || o.Files.size() > 1);
  Outcome outcome;
  for (const std::string& name : o.Files) {
    try {
      if (SearchFile(grep, o, name, showName, outcome)) return kExitOk;
    } catch (const Failure& e) {
      Complain(e.what());
      outcome.Error = true;
    }
  }
  return outcome.Error ? kExitError : outcome.Found ? kExitOk : kExitNo;
}

}  // namespace grep_cmd

Action SetupGrep(CLI::App& sub) {
  using namespace grep_cmd;
  auto o = std::make_shared<Options>();
  sub.set_help_flag("--help", "Print this help message and exit");
  sub.add_option("PATTERN", o->Pattern,
                 "c . [set] [^set] (group) x* x+ x? ^ $ \\c \\#hh (see the library's TGrep)")
      ->required();
  sub.add_option("FILE", o->Files, "Files to search, read as UTF-8; '-' or none: standard input");
  sub.add_flag("-i,--ignore-case", o->IgnoreCase, "Letters A-Z match either case");
  sub.add_flag("-v,--invert-match", o->Invert, "Select the lines without a match");
  sub.add_flag("-c,--count", o->Count, "Print only the number of selected lines of each file");
  sub.add_flag("-n,--line-number", o->LineNumbers, "Put the line number before each line");
  sub.add_flag("-q,--quiet", o->Quiet, "Print nothing; stop at the first selected line");
  sub.add_flag("-H,--with-filename", o->WithNames, "Put the file name before each line");
  sub.add_flag("-h,--no-filename", o->NoNames, "Never put the file name before a line");
  return [o] { return Run(*o); };
}

}  // namespace xantool
