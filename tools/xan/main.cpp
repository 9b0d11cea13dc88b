// The xan tool: the library's checksums, encodings, colours, pattern search, number formatting,
// templates and processor identification on the command line, one subcommand each.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <map>
#include <new>

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

// The subcommand CLI11 selected, or null.
CLI::App* Selected(CLI::App& app) {
  const auto chosen = app.get_subcommands();
  return chosen.empty() ? nullptr : chosen.front();
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

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The xan library on the command line.", "xan"};
  app.set_version_flag("--version", std::string("xan ") + XAN_VERSION);
  app.require_subcommand(1);
  app.get_formatter()->column_width(28);

  std::map<CLI::App*, Action> actions;
  for (const Command& command : Commands()) {
    CLI::App* sub = app.add_subcommand(command.Name, command.Summary);
    actions[sub] = command.Setup(*sub);
    const std::string own = sub->get_footer();
    sub->footer(own.empty() ? kExitStatusText : own + "\n\n" + kExitStatusText);
  }

  // Subcommands take the parent's footer on creation; the parent gets its own now.
  app.footer(kExitStatusText);

  if (argc > 1 && argv[1][0] != '-' &&
      actions.end() == std::find_if(actions.begin(), actions.end(), [&](const auto& a) {
        return a.first->get_name() == argv[1];
      })) {
    Complain(std::string("'") + argv[1] + "' is not a subcommand (see 'xan --help')");
    return kExitError;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    CLI::App* sub = Selected(app);
    std::fputs((sub ? sub->help() : app.help()).c_str(), stdout);
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    std::puts(e.what());
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    CLI::App* sub = Selected(app);
    if (sub) SetCommandName(sub->get_name());
    Complain(std::string(e.what()) + " (see 'xan " + (sub ? sub->get_name() + " " : "") +
             "--help')");
    return kExitError;
  }
  CLI::App* sub = Selected(app);
  SetCommandName(sub->get_name());
  return Run(actions.at(sub));
}
