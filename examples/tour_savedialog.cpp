// Tour section: the save dialog's parameter string read back by name, and one round of the
// caller's own dialog through the forbidden-directory and overwrite checks (no window opens).
#include <iostream>

#include "tour.h"
#include "xan/filesys.h"

void tour::SaveDialog() {
  using namespace xan;
  Heading("Universal save dialog");

  TUnivSaveDialog dialog;
  dialog.SetName(u"SaveDlg");
  dialog.SetParameters(
      u"filter=\"Text files|*.txt|All files|*.*\" ext=\"txt\" caption=\"Save the report\" "
      u"width=\" -42px\" scale=\"2,5\"");
  Show("Parameters", dialog.Parameters());
  Show("ExtractParamAsString(\"CAPTION\")", dialog.ExtractParamAsString(u"CAPTION"));
  Show("ExtractParamAsString(\"filter\")", dialog.ExtractParamAsString(u"filter"));
  std::cout << "  ExtractParamAsInt(\"width\") => " << dialog.ExtractParamAsInt(u"width") << "\n";
  std::cout << "  ExtractParamAsDouble(\"scale\") => " << dialog.ExtractParamAsDouble(u"scale")
            << "\n";
  try {
    dialog.ExtractParamAsInt(u"height");
  } catch (const EXANFileSysError& e) {
    std::cout << "  ExtractParamAsInt(\"height\") raises \"" << e.what() << "\"\n";
  }

  // The caller's dialog: it "chooses" a name in the forbidden directory first, is sent back by
  // OnForbiddenDir, then chooses one elsewhere that its own existence test reports as taken.
  dialog.SetUseStandardDialog(false);
  dialog.SetForbiddenDir(u"/usr/");
  int round = 0;
  dialog.SetOnFileSelect([&](TObject*, const String&, TModalResult& action, String& name) {
    name = ++round == 1 ? u"/usr/share/report.txt" : u"/home/user/report.txt";
    action = mrOk;
  });
  dialog.SetOnForbiddenDir([](TObject*, const String& path, TModalResult& reply) {
    std::cout << "  OnForbiddenDir(\"" << ToUtf8(path) << "\") => No, choose again\n";
    reply = mrNo;
  });
  dialog.SetOnFileCheck([](TObject*, const String&, bool& exists) { exists = true; });
  dialog.SetOnOverwrite([](TObject*, const String& name, TModalResult& reply) {
    std::cout << "  OnOverwrite(\"" << ToUtf8(name) << "\") => Yes\n";
    reply = mrYes;
  });
  const bool accepted = dialog.Execute();
  std::cout << "  Execute => " << (accepted ? "true" : "false") << " after " << round
            << " rounds, FileName \"" << ToUtf8(dialog.FileName()) << "\"\n";
}
