// The standard save dialog and the child processes behind it: programs run from argument vectors
// and bounded in time, the texts made for zenity and kdialog, stand-in dialog programs, a
// stand-in desktop portal on a private message bus, and zenity itself on an X server.
#include "xan/platform/dialogs.h"

#if defined(_WIN32)

#include <gtest/gtest.h>

#include <cerrno>

#include "test_host.h"

namespace xan {
namespace {

// The system's dialog on the virtual display: no one answers it, so it is closed when its time
// is up, and the names and types set before stay as they were.
TEST(SaveDialog_Windows, TimesOutAndKeepsItsSettings) {
  TSaveDialog dialog;
  dialog.AddFileType(u"Text files", u"*.txt;*.text");
  dialog.AddFileType(u"All files", u"*.*");
  dialog.SetFilterIndex(2);
  dialog.SetFileName(u"report.txt");
  dialog.SetTitle(u"Save \"it\"");
  dialog.SetTimeout(1500);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.ErrorCode(), static_cast<uint32_t>(ETIMEDOUT));
  EXPECT_EQ(dialog.FileName(), u"report.txt");
  EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST(SaveDialogHosts_Linux, NotThisHost) {
  XAN_ONLY_ON_LINUX();
}

}  // namespace
}  // namespace xan

#else

#include <signal.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <mutex>

#include "dialog_fixtures.h"
#include "platform/child_process.h"
#include "platform/save_dialog_hosts.h"
#include "test_host.h"

namespace xan {
namespace {

using detail::RunProgram;
using save_dialog::TOutcome;
using save_dialog::TRequest;
using Clock = std::chrono::steady_clock;
using FakeDialogProgram_Linux = testing::FakeDialogProgram;

long long MillisecondsSince(Clock::time_point Start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
}

// ------------------------------------------------------------------------------------------------
// Child processes

TEST(ChildProcess_Linux, RunsProgramsFromAnArgumentVector) {
  // Every byte of an argument arrives as it is: no shell reads it.
  const std::string hostile = "a \"b\"; c\nd $(touch x) `e` 'f' *";
  auto run = RunProgram({"printf", "%s|", hostile, "", "x"}, 10000);
  EXPECT_EQ(run.StartError, 0);
  EXPECT_TRUE(run.StatusKnown);
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output, hostile + "||x|");

  run = RunProgram({"sh", "-c", "echo out; echo err >&2; exit 3"}, 10000);
  EXPECT_EQ(run.ExitCode, 3);
  EXPECT_EQ(run.Output, "out\n");
  EXPECT_EQ(run.Errors, "err\n");

  run = RunProgram({"sh", "-c", "kill -USR1 $$"}, 10000);
  EXPECT_EQ(run.Signal, SIGUSR1);
  EXPECT_EQ(run.ExitCode, -1);

  // More output than the limit is read and dropped; the program is not held up.
  run = RunProgram({"head", "-c", "300000", "/dev/zero"}, 10000, 1000);
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output, std::string(1000, '\0'));

  EXPECT_EQ(RunProgram({"xan-no-such-program"}, 10000).StartError, ENOENT);
  EXPECT_EQ(RunProgram({}, 10000).StartError, EINVAL);
  EXPECT_TRUE(detail::ProgramInPath("sh"));
  EXPECT_FALSE(detail::ProgramInPath("xan-no-such-program"));
  EXPECT_FALSE(detail::ProgramInPath("/bin/sh"));
}

TEST(ChildProcess_Linux, EndsProgramsThatOverstay) {
  auto start = Clock::now();
  auto run = RunProgram({"sleep", "30"}, 300);
  EXPECT_TRUE(run.TimedOut);
  EXPECT_EQ(run.Signal, SIGTERM);
  EXPECT_LT(MillisecondsSince(start), 5000);

  // One that ignores SIGTERM gets SIGKILL. The shell is given a second to set its trap, which
  // a busy host may hold up.
  start = Clock::now();
  run = RunProgram({"sh", "-c", "trap '' TERM; while sleep 0.05; do :; done"}, 1000);
  EXPECT_TRUE(run.TimedOut);
  EXPECT_EQ(run.Signal, SIGKILL);
  EXPECT_LT(MillisecondsSince(start), 5000);

  // A program that has ended is done, although a process it left behind still holds the pipe.
  start = Clock::now();
  run = RunProgram({"sh", "-c", "sleep 2 & echo done"}, 20000);
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.Output, "done\n");
  EXPECT_LT(MillisecondsSince(start), 2500);
}

TEST(ChildProcess_Linux, KeepsAServerRunningUntilStopped) {
  detail::TChildProcess child;
  ASSERT_EQ(child.Start({"sh", "-c", "echo one; printf 'two\\nthr'; exec sleep 30"}), 0);
  std::string line;
  ASSERT_TRUE(child.ReadLine(line, 10000));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(child.ReadLine(line, 10000));
  EXPECT_EQ(line, "two");
  const auto start = Clock::now();
  EXPECT_FALSE(child.ReadLine(line, 200));  // "thr" is no whole line yet
  EXPECT_GE(MillisecondsSince(start), 150);
  EXPECT_TRUE(child.Running());
  const int pid = child.Pid();
  child.Stop();
  EXPECT_FALSE(child.Running());
  EXPECT_EQ(::kill(pid, 0), -1);  // gone and collected
  EXPECT_EQ(child.Start({"xan-no-such-program"}), ENOENT);
}

// ------------------------------------------------------------------------------------------------
// Texts for the dialog programs

TRequest SampleRequest() {
  TRequest r;
  r.Types = {{u"Text files", u"*.txt; *.text"}, {u"A|B", u"*.ab"}, {u"", u"*.c;;*.h"}};
  r.Selected = 1;
  r.Title = u"Save \"it\"; now\nplease";
  r.Folder = u"/tmp/my dir";
  r.Name = u"r\u00e9port.txt";
  r.Parent = 42;
  return r;
}

TEST(SaveDialogTexts_Linux, ArgumentsForZenityAndKDialog) {
  TRequest r = SampleRequest();
  EXPECT_EQ(save_dialog::ZenityArguments(r),
            (std::vector<std::string>{
                "zenity", "--file-selection", "--save", "--title=Save \"it\"; now\nplease",
                "--filename=/tmp/my dir/r\xC3\xA9port.txt", "--attach=42",
                std::string("--file-filter=A\xC2\xA6") + "B | *.ab",
                "--file-filter=Text files | *.txt *.text", "--file-filter=*.c *.h | *.c *.h"}));
  EXPECT_EQ(save_dialog::KDialogArguments(r),
            (std::vector<std::string>{"kdialog", "--title=Save \"it\"; now\nplease", "--attach=42",
                                      "--getsavefilename", "--", "/tmp/my dir/r\xC3\xA9port.txt",
                                      "*.ab|A|B\n*.txt *.text|Text files\n*.c *.h|*.c *.h"}));

  // A NUL ends a text; a name that is not UTF-8 on disk keeps its bytes; no types, no title.
  r = TRequest{};
  r.Title = String(u"cut\0here", 8);
  r.Folder = u"/d/";
  r.Name = String(u"x") + Char(0xDCE9) + u".txt";
  EXPECT_EQ(save_dialog::ZenityArguments(r),
            (std::vector<std::string>{"zenity", "--file-selection", "--save", "--title=cut",
                                      "--filename=/d/x\xE9.txt"}));
  r.Folder.clear();
  r.Name.clear();
  r.Title.clear();
  EXPECT_EQ(save_dialog::KDialogArguments(r),
            (std::vector<std::string>{"kdialog", "--getsavefilename", "--", "."}));

  EXPECT_EQ(save_dialog::SplitMasks(u" *.a ;;*.b; "), (std::vector<String>{u"*.a", u"*.b"}));
  EXPECT_TRUE(save_dialog::SplitMasks(u"").empty());
}

TEST(SaveDialogTexts_Linux, FileUrisAndTypesOfChosenNames) {
  const std::pair<std::string_view, const char*> uris[] = {
      {"file:///tmp/a%20b/c.txt", "/tmp/a b/c.txt"},
      {"FILE://localhost/x%3b%22y", "/x;\"y"},
      {"file:///%C3%A9%E9", "/\xC3\xA9\xE9"},
      {"file:///a#b?c", "/a#b?c"},
      {"file://server/x", nullptr},
      {"sftp:///x", nullptr},
      {"file:///bad%2", nullptr},
      {"file:///bad%zz", nullptr},
      {"file:///nul%00", nullptr},
      {"file://", nullptr},
  };
  for (const auto& [uri, expected] : uris) {
    std::string path = "unchanged";
    EXPECT_EQ(save_dialog::FileUriToPath(uri, path), expected != nullptr) << uri;
    EXPECT_EQ(path, expected ? expected : "unchanged") << uri;
  }

  const std::vector<TFileType> types = {
      {u"Text", u"*.txt"}, {u"Data", u"*.dat;*.CSV"}, {u"All", u"*.*"}};
  const std::tuple<StringView, int32_t, int32_t> cases[] = {
      {u"/d/a.txt", 1, 1}, {u"/d/a.csv", 1, 2}, {u"/d/A.Csv", 1, 2}, {u"/d/a.doc", 1, 3},
      {u"/d/a.txt", 3, 3}, {u"/d/a.txt", 0, 1}, {u"/d/a.txt", 9, 1}, {u"/x.txt/a", 2, 3},
  };
  for (const auto& [name, preset, expected] : cases) {
    EXPECT_EQ(save_dialog::TypeOfName(types, name, preset), expected)
        << ToUtf8(name) << " " << preset;
  }
  EXPECT_EQ(save_dialog::TypeOfName({}, u"/a.txt", 4), 4);
  EXPECT_EQ(save_dialog::TypeOfName(std::span(types).first(1), u"/a.doc", 1), 1);
}

TEST(SaveDialogTexts_Linux, OutcomesOfDialogPrograms) {
  detail::TProgramResult run;
  run.StatusKnown = true;
  const auto outcome = [&](int Exit, std::string Out, std::string Err = "") {
    run.ExitCode = Exit;
    run.Output = std::move(Out);
    run.Errors = std::move(Err);
    return save_dialog::ProgramOutcome(run);
  };
  TOutcome o = outcome(0, "/a/b\nc.txt\n");
  EXPECT_EQ(o.Kind, save_dialog::okAccepted);
  EXPECT_EQ(o.FileName, u"/a/b\nc.txt");
  EXPECT_EQ(outcome(0, "/a\xE9").FileName, String(u"/a") + Char(0xDCE9));
  EXPECT_EQ(outcome(0, "\n").Error, sdeNotLocalFile);
  EXPECT_EQ(outcome(1, "").Kind, save_dialog::okCancelled);
  o = outcome(1, "", "(zenity:1): Gtk-WARNING **: cannot open display: :9");
  EXPECT_EQ(o.Kind, save_dialog::okFailed);
  EXPECT_EQ(o.Error, static_cast<uint32_t>(ENXIO));
  EXPECT_EQ(outcome(5, "").Error, sdeExitCode + 5);
  EXPECT_EQ(outcome(255, "/x").Error, sdeExitCode + 255);
  run.ExitCode = -1;
  run.Signal = SIGABRT;
  EXPECT_EQ(save_dialog::ProgramOutcome(run).Error, sdeSignal + SIGABRT);
  run = {};
  run.TimedOut = true;
  EXPECT_EQ(save_dialog::ProgramOutcome(run).Error, static_cast<uint32_t>(ETIMEDOUT));
  run = {};
  run.StartError = EACCES;
  EXPECT_EQ(save_dialog::ProgramOutcome(run).Error, static_cast<uint32_t>(EACCES));
  // A process that reaps its children itself hides the exit code: the answer tells.
  run = {};
  run.Output = "/picked\n";
  EXPECT_EQ(save_dialog::ProgramOutcome(run).FileName, u"/picked");
  run.Output.clear();
  EXPECT_EQ(save_dialog::ProgramOutcome(run).Kind, save_dialog::okCancelled);
}

// ------------------------------------------------------------------------------------------------
// Stand-in dialog programs found in PATH before the real ones

TEST_F(FakeDialogProgram_Linux, AnswersComeBackWithTheirTypes) {
  MakeProgram("zenity", "printf '%s\\n' '/picked/na;me \"q\".CSV'");
  TSaveDialog dialog;
  dialog.AddFileType(u"Text", u"*.txt");
  dialog.AddFileType(u"Data", u"*.dat;*.csv");
  dialog.SetTitle(u"$(touch pwned); \"t\"");
  dialog.SetFileName(Path("old name.txt"));
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.UsedHost(), sdhZenity);  // no session bus: the portal is passed over
  EXPECT_EQ(dialog.ErrorCode(), 0u);
  EXPECT_EQ(dialog.FileName(), u"/picked/na;me \"q\".CSV");
  EXPECT_EQ(dialog.FilterIndex(), 2);  // not reported: taken from the name
  const std::vector<std::string> args = Arguments("zenity");
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[2], "--title=$(touch pwned); \"t\"");
  EXPECT_EQ(args[3], "--filename=" + HostPath("old name.txt").string());
  EXPECT_FALSE(std::filesystem::exists("pwned"));

  // Cancelled: nothing changes.
  MakeProgram("zenity", "exit 1");
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.ErrorCode(), 0u);
  EXPECT_EQ(dialog.FileName(), u"/picked/na;me \"q\".CSV");

  // On a KDE desktop kdialog comes first; elsewhere zenity.
  MakeProgram("kdialog", "echo /from/kdialog");
  FEnv.Set("XDG_CURRENT_DESKTOP", "ubuntu:KDE");
  ASSERT_TRUE(dialog.Execute(0x51));
  EXPECT_EQ(dialog.UsedHost(), sdhKDialog);
  EXPECT_EQ(dialog.FileName(), u"/from/kdialog");
  EXPECT_EQ(
      Arguments("kdialog"),
      (std::vector<std::string>{"--title=$(touch pwned); \"t\"", "--attach=81", "--getsavefilename",
                                "--", "/picked/na;me \"q\".CSV", "*.dat *.csv|Data\n*.txt|Text"}));
  EXPECT_EQ(dialog.FilterIndex(), 2);  // no type matches the name: it stays
}

TEST_F(FakeDialogProgram_Linux, FailuresGiveTheirCodes) {
  TSaveDialog dialog;
  dialog.SetHost(sdhZenity);
  dialog.SetFileName(u"keep.txt");
  const auto fails = [&](uint32_t Code) {
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.ErrorCode(), Code);
    EXPECT_EQ(dialog.FileName(), u"keep.txt");
  };
  MakeProgram("zenity", "exit 7");
  fails(sdeExitCode + 7);
  MakeProgram("zenity", "echo 'cannot open display: :97' >&2; exit 1");
  fails(ENXIO);
  MakeProgram("zenity", "kill -USR2 $$");
  fails(sdeSignal + SIGUSR2);

  // A dialog that hangs is ended when the time is up.
  MakeProgram("zenity", "echo $$ > \"$0.pid\"; exec sleep 30");
  dialog.SetTimeout(1000);
  const auto start = Clock::now();
  fails(ETIMEDOUT);
  EXPECT_LT(MillisecondsSince(start), 5000);
  const std::string pid = ReadBytes("zenity.pid");
  ASSERT_FALSE(pid.empty()) << "the stand-in dialog did not start within its time";
  EXPECT_EQ(::kill(std::stoi(pid), 0), -1);

  FEnv.Unset("DISPLAY");
  fails(ENXIO);
  dialog.SetHost(sdhKDialog);  // not installed here
  FEnv.Set("PATH", FDir.string());
  fails(ENOENT);
  dialog.SetHost(sdhPortal);  // no session bus
  EXPECT_FALSE(dialog.Execute());
  EXPECT_NE(dialog.ErrorCode(), 0u);
  EXPECT_EQ(dialog.UsedHost(), sdhPortal);
}

// ------------------------------------------------------------------------------------------------
// A stand-in desktop portal on a private message bus

struct TSeenFilter {
  std::string Name;
  std::vector<std::string> Patterns;
  bool operator==(const TSeenFilter&) const = default;
};

int ReadSeenFilter(sd_bus_message* M, TSeenFilter& F) {
  const char* name = nullptr;
  int r = sd_bus_message_enter_container(M, 'r', "sa(us)");
  if (r >= 0) r = sd_bus_message_read(M, "s", &name);
  if (r >= 0) F.Name = name;
  if (r >= 0) r = sd_bus_message_enter_container(M, 'a', "(us)");
  uint32_t kind = 0;
  const char* pattern = nullptr;
  while (r >= 0 && (r = sd_bus_message_read(M, "(us)", &kind, &pattern)) > 0) {
    F.Patterns.push_back(std::to_string(kind) + ":" + pattern);
  }
  if (r >= 0) r = sd_bus_message_exit_container(M);
  if (r >= 0) r = sd_bus_message_exit_container(M);
  return r;
}

class FakePortal_Linux : public testing::TempDirTest {
 protected:
  // What the portal answers, and what it saw.
  uint32_t FResponse = 0;
  std::string FUri;
  int FReportFilter = -1;
  bool FSilent = false;
  std::mutex FLock;
  std::string FParent, FTitle, FName, FFolder, FToken, FHandle;
  bool FModal = false;
  bool FClosed = false;
  std::vector<TSeenFilter> FFilters;
  TSeenFilter FCurrent;

  void SetUp() override {
    TempDirTest::SetUp();
    if (!detail::ProgramInPath("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
    WriteBytes("bus.conf",
               "<busconfig><type>session</type><listen>unix:dir=" + FDir.string() +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>");
    ASSERT_EQ(FDaemon.Start({"dbus-daemon", "--config-file=" + HostPath("bus.conf").string(),
                             "--nofork", "--print-address=1"}),
              0);
    ASSERT_TRUE(FDaemon.ReadLine(FAddress, 20000)) << "the private bus did not start";
  }
  void TearDown() override {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    if (FBus != nullptr) sd_bus_flush_close_unref(FBus);
    FDaemon.Stop();
    TempDirTest::TearDown();
  }

  // Connects, takes the portal's name (unless Register is false) and serves it from a thread.
  void Serve(bool Register = true) {
    ASSERT_GE(sd_bus_new(&FBus), 0);
    ASSERT_GE(sd_bus_set_address(FBus, FAddress.c_str()), 0);
    ASSERT_GE(sd_bus_set_bus_client(FBus, 1), 0);
    ASSERT_GE(sd_bus_start(FBus), 0);
    if (Register) {
      static const sd_bus_vtable chooser[] = {
          SD_BUS_VTABLE_START(0),
          SD_BUS_METHOD("SaveFile", "ssa{sv}", "o", &FakePortal_Linux::OnSaveFile, 0),
          SD_BUS_VTABLE_END};
      static const sd_bus_vtable request[] = {
          SD_BUS_VTABLE_START(0), SD_BUS_METHOD("Close", "", "", &FakePortal_Linux::OnClose, 0),
          SD_BUS_VTABLE_END};
      ASSERT_GE(sd_bus_add_object_vtable(FBus, nullptr, "/org/freedesktop/portal/desktop",
                                         "org.freedesktop.portal.FileChooser", chooser, this),
                0);
      ASSERT_GE(
          sd_bus_add_fallback_vtable(FBus, nullptr, "/org/freedesktop/portal/desktop/request",
                                     "org.freedesktop.portal.Request", request, nullptr, this),
          0);
      ASSERT_GE(sd_bus_request_name(FBus, "org.freedesktop.portal.Desktop", 0), 0);
    }
    FThread = std::thread([this] {
      while (!FStop) {
        if (sd_bus_process(FBus, nullptr) > 0) continue;
        sd_bus_wait(FBus, 50000);
      }
    });
  }

  static int OnClose(sd_bus_message* M, void* Self, sd_bus_error*) {
    auto* self = static_cast<FakePortal_Linux*>(Self);
    std::lock_guard lock(self->FLock);
    self->FClosed = std::string(sd_bus_message_get_path(M)) == self->FHandle;
    return sd_bus_reply_method_return(M, "");
  }

  static int OnSaveFile(sd_bus_message* M, void* Self, sd_bus_error*) {
    auto* self = static_cast<FakePortal_Linux*>(Self);
    std::lock_guard lock(self->FLock);
    const char* parent = nullptr;
    const char* title = nullptr;
    int r = sd_bus_message_read(M, "ss", &parent, &title);
    if (r < 0) return r;
    self->FParent = parent;
    self->FTitle = title;
    r = sd_bus_message_enter_container(M, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(M, 'e', "sv")) > 0) {
      const char* key = nullptr;
      sd_bus_message_read(M, "s", &key);
      const std::string k = key;
      const char* text = nullptr;
      if (k == "handle_token") {
        r = sd_bus_message_read(M, "v", "s", &text);
        self->FToken = text;
      } else if (k == "current_name") {
        r = sd_bus_message_read(M, "v", "s", &text);
        self->FName = text;
      } else if (k == "modal") {
        int modal = 0;
        r = sd_bus_message_read(M, "v", "b", &modal);
        self->FModal = modal != 0;
      } else if (k == "current_folder") {
        const void* bytes = nullptr;
        size_t size = 0;
        sd_bus_message_enter_container(M, 'v', "ay");
        r = sd_bus_message_read_array(M, 'y', &bytes, &size);
        self->FFolder.assign(static_cast<const char*>(bytes), size);
        sd_bus_message_exit_container(M);
      } else if (k == "filters") {
        sd_bus_message_enter_container(M, 'v', "a(sa(us))");
        sd_bus_message_enter_container(M, 'a', "(sa(us))");
        TSeenFilter f;
        while (sd_bus_message_peek_type(M, nullptr, nullptr) > 0 && ReadSeenFilter(M, f) >= 0) {
          self->FFilters.push_back(std::exchange(f, {}));
        }
        sd_bus_message_exit_container(M);
        r = sd_bus_message_exit_container(M);
      } else if (k == "current_filter") {
        sd_bus_message_enter_container(M, 'v', "(sa(us))");
        ReadSeenFilter(M, self->FCurrent);
        r = sd_bus_message_exit_container(M);
      } else {
        r = sd_bus_message_skip(M, "v");
      }
      sd_bus_message_exit_container(M);
    }
    std::string sender = sd_bus_message_get_sender(M) + 1;
    std::replace(sender.begin(), sender.end(), '.', '_');
    self->FHandle = "/org/freedesktop/portal/desktop/request/" + sender + "/" + self->FToken;
    r = sd_bus_reply_method_return(M, "o", self->FHandle.c_str());
    if (r < 0 || self->FSilent) return r;

    sd_bus_message* signal = nullptr;
    sd_bus_message_new_signal(sd_bus_message_get_bus(M), &signal, self->FHandle.c_str(),
                              "org.freedesktop.portal.Request", "Response");
    sd_bus_message_append(signal, "u", self->FResponse);
    sd_bus_message_open_container(signal, 'a', "{sv}");
    sd_bus_message_append(signal, "{sv}", "other", "i", 5);
    if (!self->FUri.empty()) {
      sd_bus_message_append(signal, "{sv}", "uris", "as", 1, self->FUri.c_str());
    }
    if (self->FReportFilter >= 0) {
      const TSeenFilter& f = self->FFilters.at(static_cast<size_t>(self->FReportFilter));
      sd_bus_message_open_container(signal, 'e', "sv");
      sd_bus_message_append(signal, "s", "current_filter");
      sd_bus_message_open_container(signal, 'v', "(sa(us))");
      sd_bus_message_open_container(signal, 'r', "sa(us)");
      sd_bus_message_append(signal, "s", f.Name.c_str());
      sd_bus_message_open_container(signal, 'a', "(us)");
      for (const std::string& p : f.Patterns) {
        sd_bus_message_append(signal, "(us)", 0U, p.substr(2).c_str());
      }
      for (int i = 0; i < 4; ++i) sd_bus_message_close_container(signal);
    }
    sd_bus_message_close_container(signal);
    r = sd_bus_send(nullptr, signal, nullptr);
    sd_bus_message_unref(signal);
    return r;
  }

  detail::TChildProcess FDaemon;
  std::string FAddress;
  sd_bus* FBus = nullptr;
  std::thread FThread;
  std::atomic<bool> FStop{false};
};

TEST_F(FakePortal_Linux, AsksWithEverySettingAndReadsTheAnswer) {
  FUri = "file:///tmp/my%20dir/na%3Bme%22.csv";
  FReportFilter = 1;
  Serve();
  TRequest r = SampleRequest();
  r.Selected = 0;
  r.Parent = 0x2A;
  r.Types[1].Masks = u"*.dat;*.csv";
  TOutcome o = save_dialog::ShowPortal(r, FAddress);
  ASSERT_EQ(o.Kind, save_dialog::okAccepted) << o.Error;
  EXPECT_EQ(o.FileName, u"/tmp/my dir/na;me\".csv");
  EXPECT_EQ(o.TypeIndex, 1);
  std::lock_guard lock(FLock);
  EXPECT_EQ(FParent, "x11:2a");
  EXPECT_EQ(FTitle, "Save \"it\"; now\nplease");
  EXPECT_EQ(FName, "r\xC3\xA9port.txt");
  EXPECT_EQ(FFolder, std::string("/tmp/my dir\0", 12));
  EXPECT_TRUE(FModal);
  EXPECT_EQ(FFilters, (std::vector<TSeenFilter>{{"Text files", {"0:*.txt", "0:*.text"}},
                                                {"A|B", {"0:*.dat", "0:*.csv"}},
                                                {"*.c *.h", {"0:*.c", "0:*.h"}}}));
  EXPECT_EQ(FCurrent, FFilters[0]);
}

TEST_F(FakePortal_Linux, CancelledFailedAndUnansweredRequests) {
  Serve();
  const TRequest r = SampleRequest();
  FResponse = 1;
  EXPECT_EQ(save_dialog::ShowPortal(r, FAddress).Kind, save_dialog::okCancelled);
  FResponse = 2;
  TOutcome o = save_dialog::ShowPortal(r, FAddress);
  EXPECT_EQ(o.Kind, save_dialog::okFailed);
  EXPECT_EQ(o.Error, sdePortalResponse + 2);
  FResponse = 0;
  FUri = "sftp://host/x.txt";
  EXPECT_EQ(save_dialog::ShowPortal(r, FAddress).Error, sdeNotLocalFile);
  FUri.clear();
  EXPECT_EQ(save_dialog::ShowPortal(r, FAddress).Error, sdeNotLocalFile);

  // Left open past the time: closed, and reported.
  FSilent = true;
  TRequest quick = r;
  quick.TimeoutMs = 300;
  o = save_dialog::ShowPortal(quick, FAddress);
  EXPECT_EQ(o.Kind, save_dialog::okFailed);
  EXPECT_EQ(o.Error, static_cast<uint32_t>(ETIMEDOUT));
  std::lock_guard lock(FLock);
  EXPECT_TRUE(FClosed);
}

TEST_F(FakePortal_Linux, NoPortalOnTheBusLetsTheNextDialogAnswer) {
  Serve(false);
  EXPECT_EQ(save_dialog::ShowPortal(SampleRequest(), FAddress).Kind, save_dialog::okUnavailable);
  EXPECT_EQ(save_dialog::ShowPortal(SampleRequest(), "unix:path=/nonexistent/bus").Kind,
            save_dialog::okUnavailable);
}

TEST_F(FakePortal_Linux, TheSessionBusPortalComesFirst) {
  FUri = "file:///chosen.dat";
  FReportFilter = 0;
  Serve();
  testing::TEnvGuard env;
  env.Set("DBUS_SESSION_BUS_ADDRESS", FAddress);
  TSaveDialog dialog;
  dialog.AddFileType(u"Text", u"*.txt");
  dialog.AddFileType(u"Data", u"*.dat");
  dialog.SetFilterIndex(2);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.UsedHost(), sdhPortal);
  EXPECT_EQ(dialog.FileName(), u"/chosen.dat");
  EXPECT_EQ(dialog.FilterIndex(), 1);  // as reported, although the name says otherwise
}

// ------------------------------------------------------------------------------------------------
// zenity on an X server

class ZenityDialog_Linux : public testing::XServerTest {};

TEST_F(ZenityDialog_Linux, EscapeCancels) {
  if (!detail::ProgramInPath("zenity")) GTEST_SKIP() << "zenity is not installed";
  TSaveDialog dialog;
  dialog.SetHost(sdhZenity);
  dialog.SetTimeout(60000);
  dialog.SetTitle(u"xan \"cancel\"; test");
  dialog.SetFileName(u"/tmp/untouched.txt");
  std::atomic<bool> done{false};
  bool found = false;
  std::thread driver([&] { found = DriveWindow("^xan \"cancel\"; test$", {"Escape"}, done); });
  const bool accepted = dialog.Execute();
  done = true;
  driver.join();
  EXPECT_TRUE(found) << "the dialog window did not appear";
  EXPECT_FALSE(accepted);
  EXPECT_EQ(dialog.ErrorCode(), 0u);
  EXPECT_EQ(dialog.FileName(), u"/tmp/untouched.txt");
}

}  // namespace
}  // namespace xan

namespace xan {
namespace {
TEST(SaveDialog_Windows, NotThisHost) {
  XAN_ONLY_ON_WINDOWS();
}
}  // namespace
}  // namespace xan

#endif
