// Fixtures for the save-dialog tests: stand-in dialog programs found first in PATH, and an X
// server without a screen (Xvfb) with a driver that types into a window with xdotool.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "temp_dir.h"

namespace xan::testing {

// Sets environment variables for a while and gives them back their values afterwards.
class TEnvGuard {
 public:
  TEnvGuard() = default;
  TEnvGuard(const TEnvGuard&) = delete;
  TEnvGuard& operator=(const TEnvGuard&) = delete;
  ~TEnvGuard() {
    for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }
  void Set(const char* Name, const std::string& Value) {
    Save(Name);
    ::setenv(Name, Value.c_str(), 1);
  }
  void Unset(const char* Name) {
    Save(Name);
    ::unsetenv(Name);
  }

 private:
  void Save(const char* Name) {
    const char* value = ::getenv(Name);
    FSaved.emplace_back(Name, value ? std::optional<std::string>(value) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

// A temporary directory first in PATH, where a test puts stand-in dialog programs, and a
// display that is never opened; no session bus, no desktop.
class FakeDialogProgram : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    const char* path = ::getenv("PATH");
    FEnv.Set("PATH", FDir.string() + ":" + (path ? path : "/usr/bin:/bin"));
    FEnv.Set("DISPLAY", ":97");
    FEnv.Unset("WAYLAND_DISPLAY");
    FEnv.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/xan-no-bus");
    FEnv.Unset("XDG_CURRENT_DESKTOP");
  }
  // A program called Name that records its arguments (NUL-separated) beside itself and runs
  // Body.
  void MakeProgram(const std::string& Name, const std::string& Body) {
    WriteBytes(Name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args\"\n" +
                         Body + "\n");
    ::chmod(HostPath(Name).c_str(), 0755);
  }
  std::vector<std::string> Arguments(const std::string& Name) const {
    std::vector<std::string> args;
    const std::string all = ReadBytes(Name + ".args");
    for (size_t start = 0, nul; (nul = all.find('\0', start)) != std::string::npos;
         start = nul + 1) {
      args.push_back(all.substr(start, nul - start));
    }
    return args;
  }
  TEnvGuard FEnv;
};

// An X server without a screen (Xvfb, on a display number it finds free) for the tests of one
// suite, with a private home for the dialogs shown there. Tests skip where none can be started.
class XServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!detail::ProgramInPath("Xvfb")) {
      FMissing = "Xvfb is not installed (Debian package xvfb)";
      return;
    }
    if (!detail::ProgramInPath("xdotool")) {
      FMissing = "xdotool is not installed";
      return;
    }
    FServer = new detail::TChildProcess;
    // -displayfd: the server takes the first free display number and writes it to stdout.
    // -noreset: by default the server starts afresh whenever its last client leaves, and a
    // dialog that connects in that moment finds no display; xdotool comes and goes all the time.
    std::string display;
    if (FServer->Start({"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                        "1024x768x24"}) != 0 ||
        !FServer->ReadLine(display, 20000) || display.empty()) {
      FMissing = "no X server could be started (Xvfb did not report a display)";
      TearDownTestSuite();
      return;
    }
    FDisplay = ":" + display;
    FHome =
        std::filesystem::temp_directory_path() / ("xan_xhome_" + std::to_string(FServer->Pid()));
    std::filesystem::create_directories(FHome);
  }
  static void TearDownTestSuite() {
    delete FServer;
    FServer = nullptr;
    std::error_code ec;
    if (!FHome.empty()) std::filesystem::remove_all(FHome, ec);
    FHome.clear();
  }

  // The dialog programs show on the test's display and keep their settings in a private home:
  // no session bus, no accessibility bus, settings in memory.
  void SetUp() override {
    if (!FMissing.empty()) GTEST_SKIP() << FMissing;
    FEnv.Set("DISPLAY", FDisplay);
    FEnv.Unset("WAYLAND_DISPLAY");
    FEnv.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/xan-no-bus");
    FEnv.Set("NO_AT_BRIDGE", "1");
    FEnv.Set("GSETTINGS_BACKEND", "memory");
    FEnv.Set("HOME", FHome.string());
    FEnv.Set("XDG_CONFIG_HOME", (FHome / "config").string());
    FEnv.Set("XDG_DATA_HOME", (FHome / "data").string());
    FEnv.Set("XDG_CACHE_HOME", (FHome / "cache").string());
  }

  static std::string Xdotool(std::vector<std::string> Args, int32_t TimeoutMs = 10000) {
    Args.insert(Args.begin(), "xdotool");
    return detail::RunProgram(Args, TimeoutMs).Output;
  }

  // Waits (at most 30 s, or until Stop is set) for a visible window whose title matches the
  // regular expression Title, gives it the focus, then sends Keys: each entry is either
  // "type:TEXT" or a key name for xdotool key; the last key is sent again while the window stays
  // (twice at most, 3 s apart). False when no window came.
  static bool DriveWindow(const std::string& Title, const std::vector<std::string>& Keys,
                          const std::atomic<bool>& Stop) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string window;
    while (window.empty() && !Stop && std::chrono::steady_clock::now() < deadline) {
      window = Xdotool({"search", "--onlyvisible", "--name", Title});
      window = window.substr(0, window.find('\n'));
      if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (window.empty()) return false;
    Xdotool({"windowfocus", "--sync", window});
    // The dialog takes keys once it has drawn itself.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (const std::string& key : Keys) {
      if (key.starts_with("type:")) {
        Xdotool({"type", "--delay", "30", key.substr(5)});
      } else {
        Xdotool({"key", "--clearmodifiers", key});
      }
      // The name field completes names in the background; a key sent at once may go to that.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    // A last key that went astray (to a completion popup of a slow dialog) is sent again.
    for (int attempt = 0; attempt < 2 && !Keys.empty(); ++attempt) {
      const auto wait = std::chrono::steady_clock::now() + std::chrono::seconds(3);
      while (!Stop && std::chrono::steady_clock::now() < wait &&
             !Xdotool({"search", "--onlyvisible", "--name", Title}).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      if (Stop || std::chrono::steady_clock::now() < wait) break;
      Xdotool({"key", "--clearmodifiers", Keys.back()});
    }
    return true;
  }

  TEnvGuard FEnv;
  static inline detail::TChildProcess* FServer = nullptr;
  static inline std::string FMissing;
  static inline std::string FDisplay;
  static inline std::filesystem::path FHome;
};

}  // namespace xan::testing
