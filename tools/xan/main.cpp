// The xan tool: checksums, encodings, colours, pictures, pattern search, numbers, templates, trees,
// passwords and processor identification of the library on the command line, one subcommand each.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "tool.h"
#include "xan/platform/exceptions.h"

#ifndef XAN_VERSION
#define XAN_VERSION "unknown"
#endif

namespace {

using namespace xantool;

constexpr const char* kExitStatusText =
    "Exit status: 0 done, 1 done and the answer is no (nothing found, a checksum that differs,\n"
    "input that is not valid), 2 the work could not be done (a usage error, a file that cannot\n"
    "be read, a failed write).";

// The subcommands CLI11 selected, outermost first: {tree, copy} for "xan tree copy A B".
std::vector<CLI::App*> Selected(CLI::App& app) {
  std::vector<CLI::App*> chain;
  for (CLI::App* at = &app;;) {
    const auto chosen = at->get_subcommands();
    if (chosen.empty()) return chain;
    at = chosen.front();
    chain.push_back(at);
  }
}

// "tree copy" for that chain.
std::string NameOf(const std::vector<CLI::App*>& chain) {
  std::string name;
  for (const CLI::App* sub : chain) name += (name.empty() ? "" : " ") + sub->get_name();
  return name;
}

// Adds the exit statuses below a subcommand's own footer, and below those of its subcommands.
void AddExitStatusFooter(CLI::App& sub) {
  const std::string own = sub.get_footer();
  sub.footer(own.empty() ? kExitStatusText : own + "\n\n" + kExitStatusText);
  for (CLI::App* inner : sub.get_subcommands([](CLI::App*) { return true; })) {
    AddExitStatusFooter(*inner);
  }
}

int Run(const Action& action) {
  try {
    const int status = action();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      throw Failure(SystemError("write error", errno ? errno : EIO));
    }
    return status;
  } catch (const Failure& e) {
    Complain(e.what());
  } catch (const xan::Exception& e) {
    Complain(e.what());
  } catch (const std::bad_alloc&) {
    Complain("out of memory");
  } catch (const std::exception& e) {
    Complain(e.what());
  }
  return kExitError;
}

int Main(int argc, char** argv) {
  CLI::App app{"The xan library on the command line.", "xan"};
  app.set_version_flag("--version", std::string("xan ") + XAN_VERSION);
  app.require_subcommand(1);
  app.get_formatter()->column_width(28);

  std::map<CLI::App*, Action> actions;
  for (const Command& command : Commands()) {
    CLI::App* sub = app.add_subcommand(command.Name, command.Summary);
    actions[sub] = command.Setup(*sub);
    AddExitStatusFooter(*sub);
  }

  // Subcommands take the parent's footer on creation; the parent gets its own now.
  app.footer(kExitStatusText);

  // A word where a subcommand is expected that names none, at the first level or the second
  // ("xan tree bogus"): CLI11 would only say that a subcommand is required.
  CLI::App* at = &app;
  for (int i = 1; i < argc && i <= 2 && argv[i][0] != '-'; ++i) {
    const auto inner = at->get_subcommands([](CLI::App*) { return true; });
    if (inner.empty()) break;
    const auto named = std::find_if(inner.begin(), inner.end(), [&](const CLI::App* sub) {
      return sub->get_name() == argv[i];
    });
    if (named == inner.end()) {
      const std::string parent = at == &app ? "" : at->get_name() + " ";
      SetCommandName(at == &app ? "" : at->get_name());
      Complain(std::string("'") + argv[i] + "' is not a subcommand (see 'xan " + parent +
               "--help')");
      return kExitError;
    }
    at = *named;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // The help of the innermost subcommand chosen, its usage line naming the whole command
    // ("xan tree copy").
    std::fputs(app.help().c_str(), stdout);
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    std::puts(e.what());
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    const std::string name = NameOf(Selected(app));
    SetCommandName(name);
    Complain(std::string(e.what()) + " (see 'xan " + (name.empty() ? "" : name + " ") + "--help')");
    return kExitError;
  }
  const auto chain = Selected(app);
  SetCommandName(NameOf(chain));
  return Run(actions.at(chain.front()));
}

}  // namespace

// What the subcommands' own handling does not catch (a failure while the command line is set up
// or parsed) still ends with one line and status 2.
int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "xan: %s\n", e.what());
  } catch (...) {
    std::fputs("xan: an unexpected error\n", stderr);
  }
  return kExitError;
}
