// The platform's dialogs: the common-dialog component that dialog classes derive from, and the
// standard file-save dialog, which the desktop shows (on POSIX hosts in a process of its own).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"

namespace xan {

// A window of the host that a dialog belongs to; 0 is none. Windows: an HWND. POSIX: an X11
// window identifier (the desktop portal and zenity/kdialog keep the dialog above that window);
// a Wayland surface cannot be named this way.
using TWindowHandle = uintptr_t;

// The base of the dialog components: owned and named as every component is, shown by Execute.
class XAN_EXPORT TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner = nullptr);
  ~TCommonDialog() override;

  // Shows the dialog and returns true when the user accepted it.
  virtual bool Execute() = 0;
};

// =================================================================================================
// The standard file-save dialog

// One file type the dialog offers: its display name ("Text files") and its masks, separated by
// ';' ("*.txt;*.text"). Masks are matched by the desktop's dialog, which on POSIX hosts compares
// letter case exactly.
struct TFileType {
  String DisplayName;
  String Masks;
  friend bool operator==(const TFileType&, const TFileType&) = default;
};

// Which dialog a POSIX host shows. sdhAuto asks the desktop portal first
// (org.freedesktop.portal.FileChooser on the session bus), and when no session bus or no portal
// answers, runs zenity (GTK) or kdialog (KDE), whichever is installed; both installed, kdialog
// comes first on a KDE desktop (XDG_CURRENT_DESKTOP names KDE), zenity elsewhere. The other
// values use that one dialog only. A Windows host always shows its own dialog.
enum TStdDialogHost : uint8_t { sdhAuto, sdhPortal, sdhZenity, sdhKDialog };

// How long Execute waits for the user by default: 15 minutes. A dialog that has not ended by
// then is closed (its process ended) and Execute reports ETIMEDOUT.
inline constexpr int32_t kDefaultDialogTimeout = 15 * 60 * 1000;

// Error codes of TSaveDialog::ErrorCode() beside the host's error numbers (see there).
inline constexpr uint32_t sdeExitCode = 0x1000;        // + the exit code of the dialog program
inline constexpr uint32_t sdeSignal = 0x1100;          // + the signal that ended it
inline constexpr uint32_t sdePortalResponse = 0x1200;  // + the portal's response code (2, ...)
inline constexpr uint32_t sdeNotLocalFile = 0x1300;    // the answer named no local file

// The desktop's dialog that asks for the name of a file to save.
//
// Before Execute: the file types, the selected type (FilterIndex, from 1), the title, the
// folder to start in (InitialDir; the folder of FileName when it has one comes first) and the
// file name to suggest. After an accepted Execute: FileName is the chosen file's full path and
// FilterIndex its type. After a cancelled one both are unchanged.
//
// POSIX hosts show the dialog in another process (the portal's, zenity's or kdialog's), started
// with an argument vector and never through a shell, so that names and titles with quotes,
// semicolons or line ends are passed as they are (a NUL character ends a text handed over).
// The portal reports the type the user selected; zenity and kdialog do not, and FilterIndex then
// stays as it was when the chosen name matches its masks, and else becomes the first type whose
// masks match the name (compared with A-Z folded), or stays. zenity and kdialog cannot
// preselect a type: the selected type is listed first there, the others after it in order.
// They run in a separate process, so OnTypeChange is not called while they are shown.
class XAN_EXPORT TSaveDialog : public TCommonDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner = nullptr);
  ~TSaveDialog() override;

  // The file types, in the order shown.
  const std::vector<TFileType>& FileTypes() const noexcept { return FFileTypes; }
  void AddFileType(StringView DisplayName, StringView Masks);
  void ClearFileTypes() noexcept { FFileTypes.clear(); }

  // The selected type, from 1. A value outside 1..count selects the first type.
  int32_t FilterIndex() const noexcept { return FFilterIndex; }
  void SetFilterIndex(int32_t Value) noexcept { FFilterIndex = Value; }

  // The file name: suggested before Execute, chosen after it.
  const String& FileName() const noexcept { return FFileName; }
  void SetFileName(StringView Value) { FFileName = String(Value); }

  const String& Title() const noexcept { return FTitle; }
  void SetTitle(StringView Value) { FTitle = String(Value); }

  const String& InitialDir() const noexcept { return FInitialDir; }
  void SetInitialDir(StringView Value) { FInitialDir = String(Value); }

  // The text of the dialog's name field while it is shown, for OnTypeChange handlers (a host
  // whose dialog is shown in-process keeps it up to date). Outside Execute, and on POSIX hosts,
  // it is only what was last set.
  const String& CurrentFileName() const noexcept { return FCurrentFileName; }
  void SetCurrentFileName(StringView Value) { FCurrentFileName = String(Value); }

  // Called while the dialog is shown when the user selects another file type.
  const TNotifyEvent& OnTypeChange() const noexcept { return FOnTypeChange; }
  void SetOnTypeChange(TNotifyEvent Value) { FOnTypeChange = std::move(Value); }

  // Milliseconds to wait for the user; 0 or less waits without limit. See
  // kDefaultDialogTimeout.
  int32_t Timeout() const noexcept { return FTimeout; }
  void SetTimeout(int32_t Milliseconds) noexcept { FTimeout = Milliseconds; }

  // Which dialog a POSIX host shows (see TStdDialogHost); sdhAuto by default.
  TStdDialogHost Host() const noexcept { return FHost; }
  void SetHost(TStdDialogHost Value) noexcept { FHost = Value; }
  // The dialog that the last Execute showed or tried last (sdhAuto before the first).
  TStdDialogHost UsedHost() const noexcept { return FUsedHost; }

  // Why the last Execute returned false although the user did not cancel; 0 when it was
  // accepted or cancelled by the user. POSIX:
  //   1 .. 0x0FFF        the host's error number (errno) of the step that failed, for example
  //                      ENOENT: no portal answered and neither zenity nor kdialog is installed
  //                      (or the chosen one is not); ENXIO: there is no display to show it on
  //                      (neither DISPLAY nor WAYLAND_DISPLAY is set, or zenity cannot open it);
  //                      ETIMEDOUT: the dialog did not end within Timeout and was closed;
  //                      another number: starting the program or talking to the portal failed.
  //   sdeExitCode + n    the dialog program ended with exit code n, which means neither
  //                      accepted (0) nor cancelled (1)
  //   sdeSignal + s      the dialog program was ended by signal s
  //   sdePortalResponse + r  the portal ended the request with response r (2: ended otherwise
  //                      than by the user; larger values are shown as 0xFF)
  //   sdeNotLocalFile    the dialog accepted, but named no local file (an empty answer, or a
  //                      URI that is not file://)
  // Windows: CommDlgExtendedError.
  uint32_t ErrorCode() const noexcept { return FErrorCode; }

  // Shows the dialog without an owner window, or above ParentWnd. True when the user accepted a
  // name; false when the user cancelled (ErrorCode 0) or the dialog failed (ErrorCode not 0).
  // Raises nothing but std::bad_alloc.
  bool Execute() override;
  bool Execute(TWindowHandle ParentWnd);

 private:
  std::vector<TFileType> FFileTypes;
  int32_t FFilterIndex = 1;
  String FFileName;
  String FTitle;
  String FInitialDir;
  String FCurrentFileName;
  TNotifyEvent FOnTypeChange;
  int32_t FTimeout = kDefaultDialogTimeout;
  TStdDialogHost FHost = sdhAuto;
  TStdDialogHost FUsedHost = sdhAuto;
  uint32_t FErrorCode = 0;
};

}  // namespace xan
