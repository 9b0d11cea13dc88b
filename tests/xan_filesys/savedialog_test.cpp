// TUnivSaveDialog: the parameter string read back by name, forbidden directories, the rounds of
// the caller's own dialog with every reply, the standard dialog through stand-in programs (forced
// extension, the file system's overwrite check, errors) and zenity itself on an X server.
#include "xan/filesys/savedialog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

#if !defined(_WIN32)
#include <unistd.h>

#include "../platform/dialog_fixtures.h"
#endif
#include "test_host.h"
#include "xan/univconst.h"
#include "xan/xanbase.h"

namespace xan {
namespace {

// The message of the EXANFileSysError that F raises, or "(nothing raised)".
template <class F>
std::string RaisedMessage(F&& Call) {
  try {
    Call();
  } catch (const EXANFileSysError& e) {
    return e.what();
  }
  return "(nothing raised)";
}

std::unique_ptr<TUnivSaveDialog> NamedDialog(StringView Params = u"") {
  auto dialog = std::make_unique<TUnivSaveDialog>();
  dialog->SetName(u"Dlg");
  dialog->SetParameters(Params);
  return dialog;
}

// ------------------------------------------------------------------------------------------------
// The component and its parameters

TEST(UnivSaveDialog, StartsWithTheDefaultsAndBelongsToItsOwner) {
  TComponent owner;
  auto* dialog = new TUnivSaveDialog(&owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_TRUE(dialog->Parameters().empty());
  EXPECT_TRUE(dialog->FileName().empty());
  EXPECT_EQ(dialog->ParentWnd(), 0u);
  EXPECT_TRUE(dialog->UseStandardDialog());
  EXPECT_EQ(dialog->FilterIndex(), 1);
  EXPECT_TRUE(dialog->ForbiddenDir().empty());
  EXPECT_FALSE(dialog->OnFileSelect() || dialog->OnFileCheck() || dialog->OnOverwrite() ||
               dialog->OnForbiddenDir());
  EXPECT_EQ(dialog->DialogTimeout(), kDefaultDialogTimeout);
  EXPECT_EQ(dialog->PathStyle(), kHostPathStyle);
  delete dialog;
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(UnivSaveDialog, ReadsParametersBackByName) {
  auto d = NamedDialog(
      u"width=\" -42px\" f=\"2,5\" Caption=\"Save as\" n=\"\r\n 12\" tab=\"\t5\" "
      u"big=\"99999999999\" "
      u"neg=\"-99999999999\" sign=\"-\" word=\"abc\" e=\" -1.5e3 kg\" huge=\"2E5000\" "
      u"dots=\"1.2.3\" wide=\"1\u01322\" empty=\"\" half=\".25\" blank=\" \"");
  EXPECT_EQ(d->ExtractParamAsString(u"CAPTION"), u"Save as");
  EXPECT_EQ(d->ExtractParamAsString(u"missing"), u"");
  const std::pair<StringView, int32_t> ints[] = {{u"width", -42},
                                                 {u"n", 12},
                                                 {u"tab", 0},
                                                 {u"big", std::numeric_limits<int32_t>::max()},
                                                 {u"neg", std::numeric_limits<int32_t>::min()},
                                                 {u"sign", 0},
                                                 {u"word", 0},
                                                 {u"f", 2},
                                                 {u"wide", 1},
                                                 {u"blank", 0}};
  for (const auto& [name, value] : ints) {
    EXPECT_EQ(d->ExtractParamAsInt(name), value) << ToUtf8(name);
  }
  const std::pair<StringView, double> doubles[] = {
      {u"f", 2.5},  {u"e", -1500},   {u"huge", static_cast<double>(uc_MaxDouble)},
      {u"dots", 0}, {u"half", 0.25}, {u"tab", 5},
      {u"wide", 1}, {u"width", -42}, {u"word", 0}};
  for (const auto& [name, value] : doubles) {
    EXPECT_EQ(d->ExtractParamAsDouble(name), value) << ToUtf8(name);
  }
  // Absent and empty items raise the same error, naming the component and the item as asked.
  for (StringView name : {u"Height", u"empty"}) {
    const std::string expected =
        "Component \"Dlg\": " + ToUtf8(name) + " is not specified in property Parameters";
    EXPECT_EQ(RaisedMessage([&] { d->ExtractParamAsInt(name); }), expected);
    EXPECT_EQ(RaisedMessage([&] { d->ExtractParamAsDouble(name); }), expected);
  }
}

TEST(UnivSaveDialog, BadParameterStringsGiveCleanResults) {
  // An unbalanced quote swallows the rest into one value; what follows cannot be found.
  auto d = NamedDialog(u"caption=\"Save ext=\"txt\" width=\"5\"");
  EXPECT_EQ(d->ExtractParamAsString(u"caption"), u"Save ext=");
  EXPECT_EQ(d->ExtractParamAsString(u"width"), u"");
  EXPECT_EQ(RaisedMessage([&] { d->ExtractParamAsInt(u"width"); }),
            "Component \"Dlg\": width is not specified in property Parameters");
  d->SetParameters(u"a=\"open to the end");
  EXPECT_EQ(d->ExtractParamAsString(u"a"), u"open to the end");
  // 100 000 characters in one value.
  const String digits(100000, u'7');
  d->SetParameters(u"n=\"" + digits + u"\" s=\"" + String(100000, u'x') + u"\"");
  EXPECT_EQ(d->ExtractParamAsString(u"s"), String(100000, u'x'));
  EXPECT_EQ(d->ExtractParamAsInt(u"n"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(d->ExtractParamAsDouble(u"n"), static_cast<double>(uc_MaxDouble));
  d->SetParameters(String(100000, u'"'));
  EXPECT_EQ(d->ExtractParamAsString(u"a"), u"");
}

TEST(UnivSaveDialog, ForbiddenDirectories) {
  auto d = NamedDialog();
  EXPECT_FALSE(d->IsForbiddenDir(u"/etc/"));  // no forbidden directory
  d->SetForbiddenDir(u"C:\\Windows");
  const std::pair<StringView, bool> cases[] = {
      {u"c:\\windows\\system32\\", true}, {u"C:\\WINDOWS", true},
      {u"c:\\windowsold\\", true},        {u"c:\\win", false},
      {u"d:\\windows\\", false},          {u"", false},
      {u"\u00e7:\\windows", false}};
  for (const auto& [path, forbidden] : cases) {
    EXPECT_EQ(d->IsForbiddenDir(path), forbidden) << ToUtf8(path);
  }
}

// ------------------------------------------------------------------------------------------------
// The caller's own dialog

// A caller's dialog that answers from scripts and writes down every call in Trace.
struct TScript {
  std::vector<std::pair<TModalResult, String>> Selections;  // one per round
  std::vector<bool> Exists;                                 // one per check; false beyond
  std::vector<TModalResult> Overwrite;                      // one per question
  std::vector<TModalResult> Forbidden;                      // one per question
  std::string Trace;
  size_t Rounds = 0, Checks = 0, Overwrites = 0, Forbiddens = 0;

  void Attach(TUnivSaveDialog& D, bool Check = true, bool Over = true, bool Forb = true) {
    D.SetUseStandardDialog(false);
    D.SetOnFileSelect(
        [this, &D](TObject* Sender, const String& Params, TModalResult& Action, String& Name) {
          EXPECT_EQ(Sender, &D);
          EXPECT_EQ(Params, D.Parameters());
          EXPECT_EQ(Action, mrCancel);
          EXPECT_EQ(Name, D.FileName());
          std::tie(Action, Name) = Selections.at(Rounds++);
          Trace += "select(" + ToUtf8(Name) + ") ";
        });
    if (Check) {
      D.SetOnFileCheck([this](TObject*, const String& Name, bool& Exists) {
        EXPECT_FALSE(Exists);
        Exists = Checks < this->Exists.size() && this->Exists[Checks];
        ++Checks;
        Trace += "check(" + ToUtf8(Name) + ") ";
      });
    }
    if (Over) {
      D.SetOnOverwrite([this](TObject*, const String& Name, TModalResult& Reply) {
        EXPECT_EQ(Reply, mrNo);
        Reply = Overwrite.at(Overwrites++);
        Trace += "overwrite(" + ToUtf8(Name) + ") ";
      });
    }
    if (Forb) {
      D.SetOnForbiddenDir([this](TObject*, const String& Path, TModalResult& Reply) {
        EXPECT_EQ(Reply, mrYes);
        Reply = Forbidden.at(Forbiddens++);
        Trace += "forbidden(" + ToUtf8(Path) + ") ";
      });
    }
  }
};

TEST(UnivSaveDialog, CallersDialogAcceptsOrGivesUp) {
  auto d = NamedDialog(u"filter=\"Text|*.txt\"");
  EXPECT_EQ(RaisedMessage([&] {
              d->SetUseStandardDialog(false);
              d->Execute();
            }),
            "Component \"Dlg\": File select dialog is not assigned");

  TScript s;
  s.Selections = {{mrCancel, u"/a/x.txt"}, {mrOk, u"/a/new.txt"}, {mrYes, u"/a/y.txt"}};
  s.Attach(*d);
  d->SetFileName(u"/start.txt");
  EXPECT_FALSE(d->Execute());
  EXPECT_EQ(d->FileName(), u"/a/x.txt");  // what the dialog left, although cancelled
  EXPECT_TRUE(d->Execute());
  EXPECT_EQ(d->FileName(), u"/a/new.txt");
  EXPECT_FALSE(d->Execute());  // only mrOk accepts
  EXPECT_EQ(s.Trace, "select(/a/x.txt) select(/a/new.txt) check(/a/new.txt) select(/a/y.txt) ");

  // Without OnFileCheck every name is new, and the dialog never asks about overwriting.
  TScript t;
  t.Selections = {{mrOk, u"/etc/passwd"}};
  t.Attach(*d, false, true, false);
  EXPECT_TRUE(d->Execute());
  EXPECT_EQ(t.Overwrites, 0u);
}

TEST(UnivSaveDialog, CallersDialogOverwriteReplies) {
  auto d = NamedDialog();
  TScript s;
  s.Selections = {{mrOk, u"/d/a.txt"}, {mrOk, u"/d/b.txt"}, {mrOk, u"/d/c.txt"},
                  {mrOk, u"/d/d.txt"}, {mrOk, u"/d/e.txt"}, {mrOk, u"/d/f.txt"}};
  s.Exists = {true, true, false, true, true, true};
  s.Overwrite = {mrNo, mrYes, mrCancel, mrOk, 99};
  s.Attach(*d);
  EXPECT_TRUE(d->Execute());  // a exists: No, shown again; b exists: Yes
  EXPECT_EQ(d->FileName(), u"/d/b.txt");
  EXPECT_TRUE(d->Execute());             // c is new
  EXPECT_FALSE(d->Execute());            // d exists: Cancel
  for (const char* name : {"e", "f"}) {  // OK and any other code are no replies
    EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
              "Component \"Dlg\": Invalid reply argument from overwrite dialog")
        << name;
  }
  EXPECT_EQ(s.Trace,
            "select(/d/a.txt) check(/d/a.txt) overwrite(/d/a.txt) select(/d/b.txt) "
            "check(/d/b.txt) overwrite(/d/b.txt) select(/d/c.txt) check(/d/c.txt) "
            "select(/d/d.txt) check(/d/d.txt) overwrite(/d/d.txt) select(/d/e.txt) "
            "check(/d/e.txt) overwrite(/d/e.txt) select(/d/f.txt) check(/d/f.txt) "
            "overwrite(/d/f.txt) ");

  // An existing file without OnOverwrite.
  TScript t;
  t.Selections = {{mrOk, u"/d/g.txt"}};
  t.Exists = {true};
  t.Attach(*d, true, false, false);
  d->SetOnOverwrite(nullptr);
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Overwrite dialog is not assigned");
}

TEST(UnivSaveDialog, CallersDialogForbiddenDirectory) {
  auto d = NamedDialog();
  d->SetPathStyle(psPosix);  // the names below are POSIX paths on every host
  d->SetForbiddenDir(u"/usr/");
  TScript s;
  s.Selections = {{mrOk, u"/usr/lib/a"}, {mrOk, u"/tmp/b"},   {mrOk, u"/USR/c"},
                  {mrOk, u"/usr/d"},     {mrOk, u"/usr/x/e"}, {mrOk, u"/tmp/f"}};
  s.Exists = {false, true};
  s.Forbidden = {mrNo, mrCancel, mrYes, mrIgnore};
  s.Overwrite = {mrYes};
  s.Attach(*d);
  EXPECT_TRUE(d->Execute());   // a: No, shown again; b is not forbidden
  EXPECT_FALSE(d->Execute());  // c: Cancel, nothing checked
  EXPECT_TRUE(d->Execute());   // d: Yes, then the overwrite check (exists: Yes)
  EXPECT_TRUE(d->Execute());   // e: any other reply shows the dialog again; f is fine
  EXPECT_EQ(d->FileName(), u"/tmp/f");
  EXPECT_EQ(s.Trace,
            "select(/usr/lib/a) forbidden(/usr/lib/) select(/tmp/b) check(/tmp/b) "
            "select(/USR/c) forbidden(/USR/) select(/usr/d) forbidden(/usr/) check(/usr/d) "
            "overwrite(/usr/d) select(/usr/x/e) forbidden(/usr/x/) select(/tmp/f) "
            "check(/tmp/f) ");

  // Without OnForbiddenDir the reply stays Yes: the overwrite check runs as for any name.
  d->SetPathStyle(psWindows);
  d->SetForbiddenDir(u"C:\\Windows");
  TScript t;
  t.Selections = {{mrOk, u"c:\\windows\\system32\\x.txt"}};
  t.Exists = {true};
  t.Attach(*d, true, false, false);
  d->SetOnForbiddenDir(nullptr);
  d->SetOnOverwrite(nullptr);
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Overwrite dialog is not assigned");
  EXPECT_EQ(t.Trace, "select(c:\\windows\\system32\\x.txt) check(c:\\windows\\system32\\x.txt) ");
}

TEST(UnivSaveDialog, WhatCallbacksRaisePassesThrough) {
  auto d = NamedDialog();
  d->SetUseStandardDialog(false);
  d->SetOnFileSelect([](TObject*, const String&, TModalResult&, String&) {
    throw EConvertError(u"from the callback");
  });
  EXPECT_THROW(d->Execute(), EConvertError);
}

#if !defined(_WIN32)

// ------------------------------------------------------------------------------------------------
// The standard dialog, through stand-in programs

class UnivStandardDialog_Linux : public testing::FakeDialogProgram {
 protected:
  std::unique_ptr<TUnivSaveDialog> Dialog(StringView Params) {
    auto d = NamedDialog(Params);
    d->SetDialogHost(sdhZenity);
    return d;
  }
  // zenity answers Name.
  void Answer(const std::string& Name) { MakeProgram("zenity", "printf '%s\\n' '" + Name + "'"); }
};

TEST_F(UnivStandardDialog_Linux, ForcesTheExtensionAndChecksTheFileSystem) {
  auto d = Dialog(
      u"filter=\"Text|*.txt|Data|*.dat|Odd\" ext=\"txt\" caption=\"Save 'it'; now\" "
      u"initialdir=\"" +
      FromUtf8(FDir.string()) + u"\"");
  d->SetFilterIndex(2);
  Answer(HostPath("report.doc").string());
  ASSERT_TRUE(d->Execute());
  EXPECT_EQ(d->FileName(), Path("report.txt"));
  EXPECT_EQ(d->FilterIndex(), 2);  // the name matched no type: it stays
  EXPECT_EQ(Arguments("zenity"),
            (std::vector<std::string>{"--file-selection", "--save", "--title=Save 'it'; now",
                                      "--filename=" + FDir.string() + "/",
                                      "--file-filter=Data | *.dat", "--file-filter=Text | *.txt"}));

  // The forced name exists: OnOverwrite decides, whatever name the dialog returned.
  WriteBytes("report.txt", "keep me");
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Overwrite dialog is not assigned");
  std::vector<String> asked;
  d->SetOnOverwrite([&](TObject*, const String& Name, TModalResult& Reply) {
    asked.push_back(Name);
    Reply = mrCancel;
  });
  EXPECT_FALSE(d->Execute());
  EXPECT_EQ(asked, std::vector<String>{Path("report.txt")});
  EXPECT_EQ(ReadBytes("report.txt"), "keep me");

  // A directory or a dangling link of that name counts as existing too.
  std::filesystem::create_directory(HostPath("folder.txt"));
  Answer(HostPath("folder.doc").string());
  EXPECT_FALSE(d->Execute());
  std::filesystem::create_symlink(HostPath("nowhere"), HostPath("link.txt"));
  Answer(HostPath("link").string());
  EXPECT_FALSE(d->Execute());
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked.back(), Path("link.txt"));
  EXPECT_FALSE(std::filesystem::exists(HostPath("nowhere")));
}

TEST_F(UnivStandardDialog_Linux, OddFiltersAndAnswers) {
  // An empty mask, an unpaired last element, an extension given with its dot.
  auto d = Dialog(u"filter=\"Empty||All|*.*|Odd\" ext=\".csv\"");
  d->SetFileName(u"start.dat");
  Answer("/x/y.z.dat");
  ASSERT_TRUE(d->Execute());
  EXPECT_EQ(d->FileName(), u"/x/y.z.csv");
  EXPECT_EQ(d->FilterIndex(), 2);  // only "All" matches
  EXPECT_EQ(Arguments("zenity"),
            (std::vector<std::string>{"--file-selection", "--save", "--filename=start.dat",
                                      "--file-filter=Empty |", "--file-filter=All | *.*"}));

  // Cancelled: false, and the name left as it was (no extension forced onto nothing).
  d->SetFileName(u"");
  MakeProgram("zenity", "exit 1");
  EXPECT_FALSE(d->Execute());
  EXPECT_EQ(d->FileName(), u"");
}

TEST_F(UnivStandardDialog_Linux, DialogFailuresRaiseWithTheirCodes) {
  auto d = Dialog(u"");
  d->SetFileName(u"keep.txt");
  MakeProgram("zenity", "exit 7");
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Error in standard dialog (errnum = $1007).");
  MakeProgram("zenity", "exec sleep 30");
  d->SetDialogTimeout(300);
  char code[16];
  std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(ETIMEDOUT));
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Error in standard dialog (errnum = $" + std::string(code) + ").");
  d->SetDialogHost(sdhKDialog);  // none in PATH
  FEnv.Set("PATH", FDir.string());
  EXPECT_EQ(RaisedMessage([&] { d->Execute(); }),
            "Component \"Dlg\": Error in standard dialog (errnum = $0002).");
  EXPECT_EQ(d->FileName(), u"keep.txt");
}

#else

TEST(UnivStandardDialog_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

#endif

TEST(UnivSaveDialog, TypeChangeSetsTheExtensionOfTheNameField) {
  auto d = NamedDialog();
  d->SetPathStyle(psPosix);  // the names below are POSIX paths on every host
  TSaveDialog standard;
  standard.AddFileType(u"Text", u"*.txt; *.text");
  standard.AddFileType(u"All", u"*.*");
  standard.AddFileType(u"Any", u"*");
  standard.AddFileType(u"Pattern", u"*.tx?");
  standard.SetFileName(u"/d/report.dat");
  const std::tuple<int32_t, StringView, StringView> cases[] = {
      {1, u"", u"report.txt"},  // the file name when the field is empty
      {1, u"/e/a.b.doc", u"a.b.txt"}, {1, u"name", u"name.txt"}, {2, u"x.doc", u"x.doc"},
      {3, u"x.doc", u"x.doc"},        {4, u"x.doc", u"x.doc"},   {0, u"x.doc", u"x.doc"},
      {5, u"x.doc", u"x.doc"}};
  for (const auto& [index, field, expected] : cases) {
    standard.SetFilterIndex(index);
    standard.SetCurrentFileName(field);
    d->SaveDiagTypeChange(&standard);
    EXPECT_EQ(standard.CurrentFileName(), expected) << index << " " << ToUtf8(field);
  }
  d->SaveDiagTypeChange(d.get());  // no standard dialog shown: nothing to do
}

#if !defined(_WIN32)

// ------------------------------------------------------------------------------------------------
// zenity on an X server

class UnivZenityDialog_Linux : public testing::XServerTest {};

TEST_F(UnivZenityDialog_Linux, TypedNameComesBackWithTypeAndForcedExtension) {
  if (!detail::ProgramInPath("zenity")) GTEST_SKIP() << "zenity is not installed";
  const auto dir =
      std::filesystem::temp_directory_path() / ("xan_savedialog_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto d = NamedDialog(
      u"filter=\"Text|*.txt|Data|*.dat;*.csv|All|*.*\" ext=\"txt\" "
      u"caption=\"xan typed-name test\" initialdir=\"" +
      FromUtf8(dir.string()) + u"\"");
  d->SetDialogHost(sdhZenity);
  d->SetDialogTimeout(60000);
  std::atomic<bool> done{false};
  bool found = false;
  std::thread driver([&] {
    found = DriveWindow("^xan typed-name test$", {"ctrl+a", "type:m;e \"q\".csv", "Return"}, done);
  });
  bool accepted = false;
  EXPECT_NO_THROW(accepted = d->Execute());
  done = true;
  driver.join();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  EXPECT_TRUE(found) << "the dialog window did not appear";
  EXPECT_TRUE(accepted);
  EXPECT_EQ(d->FileName(), FromUtf8((dir / "m;e \"q\".txt").string()));
  EXPECT_EQ(d->FilterIndex(), 2);  // Text does not match the typed name, Data does
}

#else

TEST(UnivZenityDialog_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

#endif

}  // namespace
}  // namespace xan
