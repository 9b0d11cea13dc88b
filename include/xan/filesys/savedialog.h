// TUnivSaveDialog: asks for the name of a file to save, through the desktop's standard dialog or
// a dialog of the caller's own, then checks forbidden directories and existing files alike.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "xan/filesys/paths.h"
#include "xan/platform/classes.h"
#include "xan/platform/dialogs.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"

namespace xan {

// The caller's own file dialog: shows Parameters' settings as it likes, sets UserAction (it
// comes in as mrCancel; mrOk accepts) and SelectedFileName (it comes in as FileName).
using TOnFileSelectEvent = std::function<void(TObject* Sender, const String& Parameters,
                                              TModalResult& UserAction, String& SelectedFileName)>;
// The existence test that goes with the caller's dialog: sets FileDoesExist (it comes in false).
using TOnFileCheckEvent =
    std::function<void(TObject* Sender, const String& FileName, bool& FileDoesExist)>;
// Asks whether the existing FileName may be overwritten: OverwriteReply comes in as mrNo; mrYes
// accepts the name, mrNo shows the dialog again, mrCancel gives up. Any other reply is an error.
using TOnOverwriteEvent =
    std::function<void(TObject* Sender, const String& FileName, TModalResult& OverwriteReply)>;
// Asks what to do with a name in the forbidden directory Path: ForbiddenDirReply comes in as
// mrYes; mrYes goes on (to the overwrite check), mrCancel gives up, any other reply shows the
// dialog again.
using TOnForbiddenDirEvent =
    std::function<void(TObject* Sender, const String& Path, TModalResult& ForbiddenDirReply)>;

// A save dialog configured by one parameter string.
//
// Parameters is a sequence of items name="value" as ScanForXMLAttrib reads them: names compared
// without regard to the case of A-Z, values in double quotes may hold blanks. The standard dialog
// reads four of them; callers may keep further items of their own and read them back with the
// ExtractParamAs functions:
//   filter      file types as display name and masks, separated by '|':
//               'Text files|*.txt|All files|*.*'; each pair is one type, in order (masks of one
//               type separated by ';'); an unpaired last element is left out
//   ext         when not empty, the extension forced on the chosen name
//   caption     the dialog's title
//   initialdir  the folder the dialog starts in (unless FileName names a folder)
// Example: 'filter="Text|*.txt|All|*.*" ext="txt" caption="Save as"' offers two types, and a
// chosen 'c:\a\report.doc' comes back as 'c:\a\report.txt'.
//
// Execute accepts a name only after the checks: a name in ForbiddenDir goes to OnForbiddenDir
// (without one, on to the next check), and an existing file to OnOverwrite, which must be
// assigned then. The dialog never writes or creates a file itself.
//
// All errors are EXANFileSysError with the message "Component \"" + Name + "\": " + reason.
class XAN_EXPORT TUnivSaveDialog : public TCommonDialog {
 public:
  // Empty parameters and file name, no owner window, no callbacks, the standard dialog, type 1,
  // no forbidden directory.
  explicit TUnivSaveDialog(TComponent* AOwner = nullptr);
  ~TUnivSaveDialog() override;

  // ---------------------------------------------------------------------------------------------
  // Properties

  const String& Parameters() const noexcept { return FParams; }
  void SetParameters(StringView Value) { FParams = String(Value); }

  const TOnFileSelectEvent& OnFileSelect() const noexcept { return FOnFileSelect; }
  void SetOnFileSelect(TOnFileSelectEvent Value) { FOnFileSelect = std::move(Value); }
  const TOnFileCheckEvent& OnFileCheck() const noexcept { return FOnFileCheck; }
  void SetOnFileCheck(TOnFileCheckEvent Value) { FOnFileCheck = std::move(Value); }
  const TOnOverwriteEvent& OnOverwrite() const noexcept { return FOnOverwrite; }
  void SetOnOverwrite(TOnOverwriteEvent Value) { FOnOverwrite = std::move(Value); }
  const TOnForbiddenDirEvent& OnForbiddenDir() const noexcept { return FOnForbiddenDir; }
  void SetOnForbiddenDir(TOnForbiddenDirEvent Value) { FOnForbiddenDir = std::move(Value); }

  // True (the default): the desktop's standard dialog; false: OnFileSelect.
  bool UseStandardDialog() const noexcept { return FUseStdDiag; }
  void SetUseStandardDialog(bool Value) noexcept { FUseStdDiag = Value; }

  // The file name: suggested before Execute, the one chosen after it. Execute keeps it from one
  // call to the next.
  const String& FileName() const noexcept { return FFileName; }
  void SetFileName(StringView Value) { FFileName = String(Value); }

  // The selected file type, from 1: preset before Execute, the one chosen after it.
  int32_t FilterIndex() const noexcept { return FFilterIndex; }
  void SetFilterIndex(int32_t Value) noexcept { FFilterIndex = Value; }

  // The directory the user must not save into (see IsForbiddenDir); empty forbids nothing.
  const String& ForbiddenDir() const noexcept { return FForbiddenDir; }
  void SetForbiddenDir(StringView Value) { FForbiddenDir = String(Value); }

  // The window the standard dialog belongs to; 0 is none.
  TWindowHandle ParentWnd() const noexcept { return FParentWnd; }
  void SetParentWnd(TWindowHandle Value) noexcept { FParentWnd = Value; }

  // How the names are split into path and name part: the host's style by default.
  TPathStyle PathStyle() const noexcept { return FPathStyle; }
  void SetPathStyle(TPathStyle Value) noexcept { FPathStyle = Value; }

  // Which standard dialog a POSIX host shows (see TStdDialogHost), and how long it may stay
  // open, in milliseconds (0 or less: without limit). Defaults: sdhAuto, kDefaultDialogTimeout
  // (15 minutes).
  TStdDialogHost DialogHost() const noexcept { return FDialogHost; }
  void SetDialogHost(TStdDialogHost Value) noexcept { FDialogHost = Value; }
  int32_t DialogTimeout() const noexcept { return FDialogTimeout; }
  void SetDialogTimeout(int32_t Milliseconds) noexcept { FDialogTimeout = Milliseconds; }

  // ---------------------------------------------------------------------------------------------
  // Operations

  // Asks for a file name until one is accepted or the user gives up; true when FileName holds an
  // accepted name. Each round:
  //  1. The standard dialog (UseStandardDialog) offers the types of "filter" with FilterIndex
  //     selected, the title of "caption", the folder of "initialdir" and FileName; FileName and
  //     FilterIndex then take what it reports (unchanged when cancelled), and when "ext" is not
  //     empty and the name part of FileName is not, the extension of FileName is replaced by
  //     '.' + ext. Or OnFileSelect is called with Parameters, mrCancel and FileName.
  //  2. Anything but mrOk (the standard dialog: anything but accepted) ends with false.
  //  3. The path part of FileName in ForbiddenDir: OnForbiddenDir, when assigned, is asked with
  //     that path and mrYes; mrCancel ends with false, mrYes goes on, any other reply starts the
  //     next round. Unassigned, the reply stays mrYes.
  //  4. Overwrite check: whether the file exists is asked of the file system (the standard
  //     dialog; any entry of that name counts, also a directory or a dangling link) or of
  //     OnFileCheck (starting from false; unassigned, false). A new file ends with true. For an
  //     existing one OnOverwrite is asked with FileName and mrNo: mrYes ends with true, mrCancel
  //     with false, mrNo starts the next round.
  // Raises EXANFileSysError:
  //   "File select dialog is not assigned"            without the standard dialog or OnFileSelect
  //   "Overwrite dialog is not assigned"              for an existing file without OnOverwrite
  //   "Invalid reply argument from overwrite dialog"  for another reply than mrYes, mrNo, mrCancel
  //   "Error in standard dialog (errnum = $XXXX)."    when the standard dialog failed, XXXX being
  //                                                   its error code in 4 upper-case hexadecimal
  //                                                   digits (TSaveDialog::ErrorCode: POSIX errno
  //                                                   values such as $0002 ENOENT for no dialog
  //                                                   program, $006E ETIMEDOUT for a dialog left
  //                                                   open past DialogTimeout; $1000 + an exit
  //                                                   code, ...)
  // What the callbacks raise passes through.
  bool Execute() override;

  // True when Path begins with ForbiddenDir, compared with A-Z folded; false for an empty Path
  // or an empty ForbiddenDir.
  //   ForbiddenDir 'C:\Windows': 'c:\windows\system32\' => true,  'c:\win' => false,  '' => false
  bool IsForbiddenDir(StringView Path) const;

  // The value of the item ParName in Parameters, empty when there is none.
  //   'ext="txt" caption="Save as"': 'CAPTION' => 'Save as',  'filter' => ''
  String ExtractParamAsString(StringView ParName) const;

  // The value of the item ParName read as a decimal integer: blanks, CR and LF skipped, an
  // optional '+' or '-', then digits up to the first other character; no digits give 0. A value
  // beyond the signed 32-bit range gives the nearest end of the range.
  //   ' -42px' => -42,  '+7' => 7,  'abc' => 0,  '99999999999' => 2147483647
  // Raises EXANFileSysError "<ParName> is not specified in property Parameters" when the item is
  // absent or empty.
  int32_t ExtractParamAsInt(StringView ParName) const;

  // The value of the item ParName read as a floating-point number: blanks, tabs and line ends
  // skipped, an optional sign, digits with '.' or ',' as the decimal point, an optional exponent
  // ('E' or 'e', optional sign, digits); it ends at the first character that cannot continue it.
  // A malformed number gives 0; the result is limited to +-1.7E308.
  //   '2,5' => 2.5,  ' -1.5e3 kg' => -1500,  '.25' => 0.25,  '1.2.3' => 0,  '2E5000' => 1.7E308
  // Raises EXANFileSysError as ExtractParamAsInt does.
  double ExtractParamAsDouble(StringView ParName) const;

  // The standard dialog's type-change handler: the extension of the newly selected type (its
  // first mask without its first character: '*.txt' gives '.txt') replaces the extension of the
  // name in the dialog's name field (or of its file name when the field is empty), and the name
  // part goes back into the field. Nothing changes for a type whose extension is ".*", empty or
  // holds '*' or '?'. Sender is the standard dialog (a TSaveDialog); otherwise the one Execute
  // shows is used, and without either nothing happens.
  //   type '*.csv', field 'c:\d\report.txt' => field 'report.csv'
  void SaveDiagTypeChange(TObject* Sender);

 private:
  TModalResult AskForName(String& ForcedExt);
  // The overwrite check: true when it settled Result, false when the dialog is to be shown again.
  bool OverwriteCheck(bool& Result);
  [[noreturn]] void Raise(StringView Reason) const;

  String FParams;
  String FFileName;
  TWindowHandle FParentWnd = 0;
  TOnFileSelectEvent FOnFileSelect;
  TOnFileCheckEvent FOnFileCheck;
  TOnOverwriteEvent FOnOverwrite;
  TOnForbiddenDirEvent FOnForbiddenDir;
  bool FUseStdDiag = true;
  int32_t FFilterIndex = 1;
  String FForbiddenDir;
  TSaveDialog* SDiag = nullptr;  // the standard dialog while Execute shows it
  TPathStyle FPathStyle = kHostPathStyle;
  TStdDialogHost FDialogHost = sdhAuto;
  int32_t FDialogTimeout = kDefaultDialogTimeout;
};

}  // namespace xan
