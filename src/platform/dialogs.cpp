// The dialog components, and what the standard save dialog does alike on every host: the
// arguments of the dialog programs, URIs, types of chosen names, program outcomes. The host's
// ways of showing the dialog come from the included host file.
#include "xan/platform/dialogs.h"

#include <algorithm>
#include <cerrno>

#include "host_names.h"
#include "save_dialog_hosts.h"
#include "simple_text.h"
#include "xan/platform/filesystem.h"

namespace xan {

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
TCommonDialog::~TCommonDialog() = default;

TSaveDialog::TSaveDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
TSaveDialog::~TSaveDialog() = default;

void TSaveDialog::AddFileType(StringView DisplayName, StringView Masks) {
  FFileTypes.push_back({String(DisplayName), String(Masks)});
}

bool TSaveDialog::Execute() {
  return Execute(0);
}

namespace save_dialog {

namespace {

// Text handed to a program as one argument: UTF-8, ending at a NUL (which would end it anyway).
std::string ArgumentText(StringView Text) {
  return ToUtf8(Text.substr(0, std::min(Text.size(), Text.find(u'\0'))));
}

// A name handed to a program: its bytes on disk, ending at a NUL.
std::string ArgumentName(StringView Name) {
  return EncodeHostName(Name.substr(0, std::min(Name.size(), Name.find(u'\0'))));
}

// The folder and name as one path: "FOLDER/NAME", "FOLDER/", "NAME" or "".
std::string StartPath(const TRequest& Request) {
  std::string path = ArgumentName(Request.Folder);
  if (!path.empty() && path.back() != '/') path += '/';
  return path + ArgumentName(Request.Name);
}

std::string DecimalArgument(uintptr_t Value) {
  return ToUtf8(detail::DecimalText(Value));
}

// The display name of a type, or its masks when it has none.
String ShownName(const TFileType& Type, const std::vector<String>& Masks) {
  if (!Type.DisplayName.empty()) return Type.DisplayName;
  String shown;
  for (const String& mask : Masks) shown += (shown.empty() ? u"" : u" ") + mask;
  return shown;
}

}  // namespace

std::vector<String> SplitMasks(StringView Masks) {
  std::vector<String> out;
  size_t start = 0;
  while (start <= Masks.size()) {
    const size_t semi = std::min(Masks.find(u';', start), Masks.size());
    const StringView mask = detail::TrimBlanksView(Masks.substr(start, semi - start));
    if (!mask.empty()) out.emplace_back(mask);
    start = semi + 1;
  }
  return out;
}

std::vector<size_t> ListOrder(const TRequest& Request) {
  std::vector<size_t> order;
  if (Request.Types.empty()) return order;
  const size_t selected = std::min(Request.Selected, Request.Types.size() - 1);
  order.push_back(selected);
  for (size_t i = 0; i < Request.Types.size(); ++i) {
    if (i != selected) order.push_back(i);
  }
  return order;
}

std::vector<std::string> ZenityArguments(const TRequest& Request) {
  std::vector<std::string> args = {"zenity", "--file-selection", "--save"};
  if (!Request.Title.empty()) args.push_back("--title=" + ArgumentText(Request.Title));
  if (const std::string start = StartPath(Request); !start.empty()) {
    args.push_back("--filename=" + start);
  }
  if (Request.Parent != 0) args.push_back("--attach=" + DecimalArgument(Request.Parent));
  for (const size_t i : ListOrder(Request)) {
    const std::vector<String> masks = SplitMasks(Request.Types[i].Masks);
    String name = ShownName(Request.Types[i], masks);
    std::replace(name.begin(), name.end(), u'|', u'\u00A6');
    std::string filter = "--file-filter=" + ArgumentText(name) + " |";
    for (const String& mask : masks) filter += " " + ArgumentText(mask);
    args.push_back(std::move(filter));
  }
  return args;
}

std::vector<std::string> KDialogArguments(const TRequest& Request) {
  std::vector<std::string> args = {"kdialog"};
  if (!Request.Title.empty()) args.push_back("--title=" + ArgumentText(Request.Title));
  if (Request.Parent != 0) args.push_back("--attach=" + DecimalArgument(Request.Parent));
  args.insert(args.end(), {"--getsavefilename", "--"});
  const std::string start = StartPath(Request);
  args.push_back(start.empty() ? "." : start);
  std::string filter;
  for (const size_t i : ListOrder(Request)) {
    const std::vector<String> masks = SplitMasks(Request.Types[i].Masks);
    String line;
    for (const String& mask : masks) line += (line.empty() ? u"" : u" ") + mask;
    line += u'|';
    for (Char c : ShownName(Request.Types[i], masks)) {
      if (c == u'/') {
        line += u"\\/";
      } else {
        line += (c == u'\n' || c == u'\r') ? u' ' : c;
      }
    }
    if (!filter.empty()) filter += '\n';
    filter += ArgumentText(line);
  }
  if (!filter.empty()) args.push_back(std::move(filter));
  return args;
}

bool FileUriToPath(std::string_view Uri, std::string& Path) {
  constexpr std::string_view kScheme = "file://";
  if (Uri.size() < kScheme.size() ||
      !detail::SimpleSameText(FromUtf8(Uri.substr(0, kScheme.size())), u"file://")) {
    return false;
  }
  Uri.remove_prefix(kScheme.size());
  const size_t slash = Uri.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view host = Uri.substr(0, slash);
  if (!host.empty() && !detail::SimpleSameText(FromUtf8(host), u"localhost")) return false;
  std::string path;
  for (size_t i = slash; i < Uri.size(); ++i) {
    if (Uri[i] != '%') {
      path += Uri[i];
      continue;
    }
    const int high = i + 2 < Uri.size() ? detail::HexDigitValue(Uri[i + 1]) : -1;
    const int low = i + 2 < Uri.size() ? detail::HexDigitValue(Uri[i + 2]) : -1;
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  Path = std::move(path);
  return true;
}

int32_t TypeOfName(std::span<const TFileType> Types, StringView FileName, int32_t Preset) {
  const size_t slash = FileName.rfind(u'/');
  const String name =
      detail::SimpleLowerText(slash == StringView::npos ? FileName : FileName.substr(slash + 1));
  const auto matches = [&](const TFileType& Type) {
    const std::vector<String> masks = SplitMasks(Type.Masks);
    return std::any_of(masks.begin(), masks.end(), [&](const String& mask) {
      return MatchesMask(name, detail::SimpleLowerText(mask));
    });
  };
  if (Preset >= 1 && static_cast<size_t>(Preset) <= Types.size() && matches(Types[Preset - 1])) {
    return Preset;
  }
  for (size_t i = 0; i < Types.size(); ++i) {
    if (matches(Types[i])) return static_cast<int32_t>(i + 1);
  }
  return Preset;
}

TOutcome ProgramOutcome(const detail::TProgramResult& Run) {
  TOutcome outcome;
  outcome.Kind = okFailed;
  if (Run.StartError != 0) {
    outcome.Error = static_cast<uint32_t>(Run.StartError);
  } else if (Run.TimedOut) {
    outcome.Error = ETIMEDOUT;
  } else if (Run.Signal != 0) {
    outcome.Error = sdeSignal + static_cast<uint32_t>(std::min(Run.Signal, 0xFF));
  } else if (Run.ExitCode == 0 || (!Run.StatusKnown && !Run.Output.empty())) {
    // The chosen name and one line end; a name may hold line ends of its own.
    std::string_view name = Run.Output;
    if (name.ends_with('\n')) name.remove_suffix(1);
    if (name.empty()) {
      outcome.Error = sdeNotLocalFile;
    } else {
      outcome.Kind = okAccepted;
      outcome.FileName = DecodeHostName(name);
    }
  } else if (Run.ExitCode == 1 || !Run.StatusKnown) {
    // zenity also ends with 1 when it cannot reach the display.
    if (Run.Errors.find("cannot open display") != std::string::npos) {
      outcome.Error = ENXIO;
    } else {
      outcome.Kind = okCancelled;
    }
  } else {
    outcome.Error = sdeExitCode + static_cast<uint32_t>(std::clamp(Run.ExitCode, 0, 0xFF));
  }
  return outcome;
}

}  // namespace save_dialog

}  // namespace xan

#if defined(_WIN32)
#include "win32/dialogs.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/dialogs.inc"
#else
#error "xan: the standard dialogs have no implementation for this host yet"
#endif
