// The standard save dialog between TSaveDialog and the host: what is asked and answered, the
// arguments and texts made for each dialog program, and the host's ways of showing the dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"
#include "xan/platform/dialogs.h"

namespace xan::save_dialog {

// What the dialog is to show.
struct TRequest {
  std::vector<TFileType> Types;
  size_t Selected = 0;  // index of the selected type; 0 when there are none
  String Title;
  String Folder;  // the folder to start in (absolute), or empty for the dialog's own choice
  String Name;    // the name to suggest, without a folder, or empty
  TWindowHandle Parent = 0;
  int32_t TimeoutMs = kDefaultDialogTimeout;
};

enum TOutcomeKind : uint8_t {
  okUnavailable,  // this dialog cannot be had here (no portal on the bus): try the next
  okAccepted,
  okCancelled,
  okFailed  // Error says why
};

// What the dialog answered.
struct TOutcome {
  TOutcomeKind Kind = okUnavailable;
  String FileName;         // when accepted: the chosen file
  int32_t TypeIndex = -1;  // when accepted: the selected type's index, -1 when not reported
  uint32_t Error = 0;      // when failed or unavailable: an ErrorCode() value
};

// =================================================================================================
// Texts (the same on every host)

// The masks of a type: split at ';', blanks trimmed, empty ones dropped.
//   "*.txt; *.text" => {"*.txt", "*.text"},  ";;" => {},  "" => {}
std::vector<String> SplitMasks(StringView Masks);

// The order in which zenity and kdialog list the types, which cannot preselect one: the
// selected type first, the others after it in their order. Indices into Request.Types.
std::vector<size_t> ListOrder(const TRequest& Request);

// The arguments of zenity's file-save dialog, program name included:
//   zenity --file-selection --save [--title=T] [--filename=FOLDER/NAME] [--attach=ID]
//          --file-filter=NAME | MASK MASK ...   (one per type, in ListOrder)
// A '|' in a display name becomes U+00A6, as zenity ends the name at the first '|'; a type
// without display name shows its masks. Texts are UTF-8, names in the host's encoding, and each
// is cut at a NUL character.
std::vector<std::string> ZenityArguments(const TRequest& Request);

// The arguments of kdialog's file-save dialog:
//   kdialog [--title=T] [--attach=ID] --getsavefilename -- START FILTER
// START is FOLDER/NAME, FOLDER/ or NAME ("." when there is neither); FILTER has one line
// "MASK MASK|NAME" per type, in ListOrder, a '/' in the name written "\/" and line ends in it
// made blanks.
std::vector<std::string> KDialogArguments(const TRequest& Request);

// The local path of a file:// URI, percent escapes decoded: true, or false for any other URI
// (another scheme, a host other than "localhost", a bad escape, an escaped NUL).
//   "file:///tmp/a%20b" => "/tmp/a b",  "file://localhost/x" => "/x",  "sftp://h/x" => false
bool FileUriToPath(std::string_view Uri, std::string& Path);

// The type of a chosen name when the dialog does not report one: Preset (from 1) when the name
// matches one of its masks, else the first type whose masks match it (from 1), else Preset.
// Names and masks are compared with A-Z folded, only the name part of the name is matched.
int32_t TypeOfName(std::span<const TFileType> Types, StringView FileName, int32_t Preset);

// The outcome of a zenity or kdialog run: exit code 0 with a name is accepted, 1 cancelled
// (failed with ENXIO when zenity reported that it cannot open the display), anything else failed.
TOutcome ProgramOutcome(const detail::TProgramResult& Run);

// =================================================================================================
// Showing the dialog (host code)

// Shows the dialog Host names (sdhAuto: the first that can be had, see TStdDialogHost) and
// sets Used to the one that answered or failed last.
TOutcome Show(const TRequest& Request, TStdDialogHost Host, TStdDialogHost& Used);

// Asks the desktop portal on the bus at BusAddress (empty: the session bus). okUnavailable when
// there is no such bus or no file chooser portal on it.
TOutcome ShowPortal(const TRequest& Request, const std::string& BusAddress);

// Runs zenity or kdialog. Failed with ENOENT when it is not installed, with ENXIO when there is no
// display to show it on.
TOutcome ShowProgram(TStdDialogHost Program, const TRequest& Request);

}  // namespace xan::save_dialog
