// Programs run as child processes from an argument vector, never through a shell: their output
// read through pipes, their run bounded in time, and ended for certain when they overstay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xan::detail {

// How a program run by RunProgram went.
struct TProgramResult {
  int StartError = 0;        // the host's error number when it could not be started, else 0
  bool TimedOut = false;     // it had not ended when the time was up, and was ended then
  bool StatusKnown = false;  // its end was seen (not when the process ignores SIGCHLD)
  int ExitCode = -1;         // its exit code when it exited, else -1
  int Signal = 0;            // the signal that ended it, else 0
  std::string Output;        // its standard output, the first OutputLimit bytes
  std::string Errors;        // its standard error, the first 4096 bytes
};

// Runs the program Argv[0] (looked up in PATH unless it holds a '/') with the arguments
// Argv[1..] and the caller's environment; standard input is /dev/null. Waits until it has ended,
// or at most TimeoutMs milliseconds (0 or less: without limit); a program still running then is
// sent SIGTERM and, one second later, SIGKILL, and TimedOut is set. Output beyond OutputLimit is
// read and dropped, so a talkative program cannot block or fill the memory. An empty Argv gives
// StartError EINVAL. Raises nothing but std::bad_alloc.
//   {"sh", "-c", "exit 3"} => ExitCode 3;  {"no-such-program"} => StartError ENOENT;
//   {"sleep", "10"} with 100 ms => TimedOut, Signal SIGTERM
TProgramResult RunProgram(const std::vector<std::string>& Argv, int32_t TimeoutMs,
                          size_t OutputLimit = size_t{1} << 20);

// True when PATH (or "/usr/bin:/bin" without it) holds an executable file called Name.
bool ProgramInPath(std::string_view Name);

// A program that runs beside the caller for a while, such as a server that tests need. Its
// standard output comes to the caller through a pipe; its standard input and error are
// /dev/null. The destructor stops it.
class TChildProcess {
 public:
  TChildProcess() = default;
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;
  ~TChildProcess() { Stop(); }

  // Starts Argv as RunProgram does: 0, or the host's error number. Stops a program started
  // before.
  int Start(const std::vector<std::string>& Argv);
  // Reads the next line of its standard output, without the LF: false when the output ends, or
  // TimeoutMs milliseconds pass, before a whole line came.
  bool ReadLine(std::string& Line, int32_t TimeoutMs);
  // True while the program runs.
  bool Running();
  // Ends the program: SIGTERM, then SIGKILL when it has not ended after GraceMs; waits for it.
  void Stop(int32_t GraceMs = 2000) noexcept;
  // The process number, or -1.
  int Pid() const noexcept { return FPid; }

 private:
  int FPid = -1;
  int FOut = -1;
  std::string FPending;
};

}  // namespace xan::detail
