// TUnivSaveDialog: the rounds of asking for a name, the forbidden-directory and overwrite checks,
// the parameter string read back by name, and the standard dialog's type-change handler.
#include "xan/filesys/savedialog.h"

#include <algorithm>
#include <limits>

#include "platform/simple_text.h"
#include "xan/platform/filesystem.h"
#include "xan/platform/streams.h"
#include "xan/streams/primitives.h"
#include "xan/streams/tags.h"
#include "xan/stringl/string_search.h"
#include "xan/xanbase.h"

namespace xan {

namespace {

// An error code as the standard-dialog message shows it: at least 4 upper-case hex digits.
//   0x2 => "0002",  0x106E => "106E"
String HexCode(uint32_t Code) {
  String digits;
  detail::AppendHex8(digits, Code);
  const size_t first = std::min(digits.find_first_not_of(u'0'), digits.size() - 4);
  return digits.substr(first);
}

}  // namespace

TUnivSaveDialog::TUnivSaveDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
TUnivSaveDialog::~TUnivSaveDialog() = default;

void TUnivSaveDialog::Raise(StringView Reason) const {
  throw EXANFileSysError(ComponentMessage(Reason));
}

// =================================================================================================
// Execute

bool TUnivSaveDialog::Execute() {
  bool result = false;
  String forcedExt;
  for (;;) {
    if (AskForName(forcedExt) != mrOk) return false;
    const String path = ExtractFilePath(FFileName, FPathStyle);
    if (IsForbiddenDir(path)) {
      TModalResult reply = mrYes;
      if (FOnForbiddenDir) FOnForbiddenDir(this, path, reply);
      if (reply == mrCancel) return false;
      if (reply != mrYes) continue;
    }
    if (OverwriteCheck(result)) return result;
  }
}

TModalResult TUnivSaveDialog::AskForName(String& ForcedExt) {
  TModalResult action = mrCancel;
  if (!FUseStdDiag) {
    if (!FOnFileSelect) Raise(u"File select dialog is not assigned");
    const String params = FParams;  // the callback may set new parameters meanwhile
    FOnFileSelect(this, params, action, FFileName);
    return action;
  }

  TSaveDialog dialog;
  struct TShown {  // SDiag names the dialog only while it exists
    TSaveDialog*& Field;
    ~TShown() { Field = nullptr; }
  } shown{SDiag};
  SDiag = &dialog;
  TOpenStringArray parts;
  Tokenize(ExtractParamAsString(u"filter"), u"|", parts);
  for (size_t i = 0; i + 1 < parts.size(); i += 2) dialog.AddFileType(parts[i], parts[i + 1]);
  ForcedExt = ExtractParamAsString(u"ext");
  dialog.SetTitle(ExtractParamAsString(u"caption"));
  dialog.SetInitialDir(ExtractParamAsString(u"initialdir"));
  dialog.SetFilterIndex(FFilterIndex);
  dialog.SetFileName(FFileName);
  dialog.SetOnTypeChange([this](TObject* Sender) { SaveDiagTypeChange(Sender); });
  dialog.SetHost(FDialogHost);
  dialog.SetTimeout(FDialogTimeout);

  if (dialog.Execute(FParentWnd)) {
    action = mrOk;
  } else if (dialog.ErrorCode() != 0) {
    Raise(u"Error in standard dialog (errnum = $" + HexCode(dialog.ErrorCode()) + u").");
  }
  FFileName = dialog.FileName();
  FFilterIndex = dialog.FilterIndex();
  // No extension is forced on an empty name, which would make a name of it ('.txt'); an
  // extension given with its '.' gets no second one.
  if (!ForcedExt.empty() && !ExtractFileName(FFileName, FPathStyle).empty()) {
    FFileName =
        StripExtension(FFileName, FPathStyle) + (ForcedExt[0] == u'.' ? u"" : u".") + ForcedExt;
  }
  return action;
}

bool TUnivSaveDialog::OverwriteCheck(bool& Result) {
  bool exists = false;
  if (FUseStdDiag) {
    // Any entry of that name, a directory or a dangling link too: saving would meet it.
    exists = FileGetAttr(FFileName) != faInvalid;
  } else if (FOnFileCheck) {
    const String name = FFileName;
    FOnFileCheck(this, name, exists);
  }
  if (!exists) {
    Result = true;
    return true;
  }
  if (!FOnOverwrite) Raise(u"Overwrite dialog is not assigned");
  TModalResult reply = mrNo;
  const String name = FFileName;
  FOnOverwrite(this, name, reply);
  switch (reply) {
    case mrCancel:
      Result = false;
      return true;
    case mrYes:
      Result = true;
      return true;
    case mrNo:
      Result = false;
      return false;
    default:
      Raise(u"Invalid reply argument from overwrite dialog");
  }
}

bool TUnivSaveDialog::IsForbiddenDir(StringView Path) const {
  if (Path.empty() || FForbiddenDir.empty() || Path.size() < FForbiddenDir.size()) return false;
  return detail::SimpleSameText(Path.substr(0, FForbiddenDir.size()), FForbiddenDir);
}

// =================================================================================================
// Parameters

String TUnivSaveDialog::ExtractParamAsString(StringView ParName) const {
  return ScanForXMLAttrib(FParams, ParName);
}

int32_t TUnivSaveDialog::ExtractParamAsInt(StringView ParName) const {
  const String value = ExtractParamAsString(ParName);
  if (value.empty()) Raise(String(ParName) + u" is not specified in property Parameters");
  size_t i = value.find_first_not_of(u" \r\n");
  if (i == String::npos) return 0;
  const size_t start = i;
  if (value[i] == u'-' || value[i] == u'+') ++i;
  while (i < value.size() && value[i] >= u'0' && value[i] <= u'9') ++i;
  int32_t number = 0;
  switch (detail::ReadDecimal(StringView(value).substr(start, i - start), number)) {
    case detail::TDecimalRead::Ok:
      return number;
    case detail::TDecimalRead::OutOfRange:
      return value[start] == u'-' ? std::numeric_limits<int32_t>::min()
                                  : std::numeric_limits<int32_t>::max();
    default:
      return 0;  // a sign without digits, or no number at all
  }
}

double TUnivSaveDialog::ExtractParamAsDouble(StringView ParName) const {
  const String value = ExtractParamAsString(ParName);
  if (value.empty()) Raise(String(ParName) + u" is not specified in property Parameters");
  // The scanner reads bytes; a character above 255 cannot continue a number, so the value ends
  // there rather than read as its low byte.
  size_t end = 0;
  while (end < value.size() && value[end] <= 0xFF) ++end;
  TStringStream stream(StringView(value).substr(0, end));
  return ScanStreamFPNum(stream, true, 3);
}

// =================================================================================================
// The standard dialog's type change

void TUnivSaveDialog::SaveDiagTypeChange(TObject* Sender) {
  TSaveDialog* dialog = dynamic_cast<TSaveDialog*>(Sender);
  if (dialog == nullptr) dialog = SDiag;
  if (dialog == nullptr) return;
  const int32_t index = dialog->FilterIndex();
  if (index < 1 || static_cast<size_t>(index) > dialog->FileTypes().size()) return;
  const StringView masks = dialog->FileTypes()[static_cast<size_t>(index - 1)].Masks;
  const StringView mask = detail::TrimBlanksView(masks.substr(0, masks.find(u';')));
  if (mask.size() < 2) return;
  const StringView ext = mask.substr(1);
  if (ext == u".*" || ext.find_first_of(u"*?") != StringView::npos) return;
  String name = dialog->CurrentFileName();
  if (name.empty()) name = dialog->FileName();
  if (name.empty()) return;
  dialog->SetCurrentFileName(StripExtension(ExtractFileName(name, FPathStyle), FPathStyle) +
                             String(ext));
}

}  // namespace xan
