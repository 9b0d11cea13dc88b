// What every subcommand of the xan tool shares: the table of subcommands, the exit statuses,
// one way to report errors, and reading files or standard input in blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace CLI {
class App;
}
namespace xan {
class TBitmap;
}

namespace xantool {

// ================================================================================================
// Subcommands

// Exit statuses, as grep has them: 1 says the work was done and the answer is "no" (nothing
// found, a checksum that differs, input that is not valid), 2 that the work could not be done.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitError = 2;

// What a subcommand does once its arguments are parsed; returns the exit status.
using Action = std::function<int()>;

// One subcommand: its name, a one-line summary, and a function that declares its arguments on
// the CLI11 subcommand it is given and returns the action that uses them.
struct Command {
  const char* Name;
  const char* Summary;
  Action (*Setup)(CLI::App& sub);
};

// Every subcommand, in the order --help lists them (commands.cpp).
std::span<const Command> Commands();

// ================================================================================================
// Errors

// An error that ends the subcommand with status 2; main prints "xan: <command>: <what>".
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The subcommand running, for messages.
void SetCommandName(std::string_view name);
// Prints "xan: <command>: <message>" on standard error, on one line.
void Complain(std::string_view message);
// A library message without the 'Component "<Name>": ' it may begin with.
std::string WithoutComponent(std::string_view message);
// "<name>: <the C library's text for errno>", for a file that failed.
std::string SystemError(std::string_view name, int errnum);

// ================================================================================================
// Arguments

// A command-line argument as the library's text for a file name: UTF-8, where each byte that is
// not part of valid UTF-8 stands as U+DC00 + byte, which the library hands back to the host as
// that byte. Raises Failure "<arg>: No such file or directory" or "<arg>: Is a directory" first,
// so that every subcommand says the same about names it cannot read.
xan::String ReadableFileName(const std::string& arg);

// A command-line argument as the library's text for a path that need not exist (a destination,
// a mask): the conversion of ReadableFileName without its checks.
//   "caf\xC3\xA9" => u"caf\u00E9",  "\xE9t" => u"\uDCE9t"
xan::String HostPathText(const std::string& arg);

// A path of the library as the bytes of the host's name, for messages: the reverse of
// HostPathText (U+DC80..U+DCFF become the bytes 80..FF again, the rest UTF-8).
std::string HostPathBytes(xan::StringView path);

// A command-line argument as text (UTF-8; bytes that are not become U+FFFD).
xan::String ArgText(std::string_view arg);

// Integers of the command line: the whole of text, decimal, within the range; else Failure
// "<what>: '<text>' is not ...".
int64_t ParseInteger(std::string_view text, int64_t low, int64_t high, std::string_view what);

// ================================================================================================
// Progress

// A progress bar on standard error for long work: drawn only when standard error is a terminal
// and the work has taken more than a second, redrawn at most ten times a second, and erased when
// the object goes. Total is the amount of work in bytes, or -1 when it is not known.
class Progress {
 public:
  Progress(std::string label, int64_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // The work done so far, in bytes, and what else to show after the amount ("12 files").
  void Update(int64_t done, std::string_view note = {});

 private:
  void Draw(int64_t done, uint64_t now, std::string_view note);

  std::string FLabel;
  int64_t FTotal;
  bool FEnabled;
  bool FDrawn = false;
  uint64_t FStart;
  uint64_t FLastDraw = 0;
};

// ================================================================================================
// Input and output

// A file, or standard input for "-", read from its start in blocks; never all at once.
class InputFile {
 public:
  // Opens the file. Raises Failure "<name>: <reason>" when it is missing, a directory or cannot
  // be opened. With showProgress, reading draws a progress bar named after the file (see
  // Progress).
  explicit InputFile(const std::string& name, bool showProgress = false);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Fills as much of Buffer as the input has left and returns the count, 0 at the end. Raises
  // Failure "<name>: <reason>" when reading fails.
  size_t Read(std::span<uint8_t> Buffer);
  // Reads the whole input, at most Limit bytes; raises Failure when it holds more.
  std::string ReadAll(size_t Limit);
  const std::string& Name() const noexcept { return FName; }

 private:
  std::string FName;
  std::FILE* FFile = nullptr;
  bool FOwned = false;
  int64_t FDone = 0;
  std::unique_ptr<Progress> FProgress;
};

// The input as a library stream, read forward in blocks through a buffer of its own. Seeking
// forward, or back within the buffer (what decoders do to give back bytes they looked at),
// works; anything else raises EStreamError.
class InputStream final : public xan::TStream {
 public:
  explicit InputStream(InputFile& Source);
  ~InputStream() override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, xan::TSeekOrigin Origin) override;

 private:
  bool Refill();
  void Sync() noexcept;

  InputFile& FSource;
  std::vector<uint8_t> FBuf;
  size_t FLen = 0;        // bytes in FBuf
  size_t FCur = 0;        // the position within FBuf
  int64_t FBufStart = 0;  // the input's offset of FBuf[0]
};

// Standard output as a library stream, written forward only. A failed write raises Failure
// "write error: <reason>". With DropCR, the byte 13 is left out (the library's text encoders end
// lines with CR LF; on this host lines end with LF).
class OutputStream final : public xan::TStream {
 public:
  explicit OutputStream(bool DropCR = false) : FDropCR(DropCR) {}
  ~OutputStream() override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, xan::TSeekOrigin Origin) override;
  // The number of bytes written.
  int64_t Written() const noexcept { return FWritten; }

 private:
  bool FDropCR;
  int64_t FWritten = 0;
};

// Writes bytes to standard output; raises Failure "write error: <reason>" when that fails.
void Out(std::string_view bytes);

// Writes Bitmap as a PNG image to the file name (created or replaced), or to standard output for
// "-". Raises Failure "<name>: <reason>" when the file cannot be written.
void SavePng(const xan::TBitmap& Bitmap, const std::string& name);

// ================================================================================================
// Colours

// A colour of the command line: a name (Orange), $BBGGRR (red in the low byte), #RRGGBB or
// R,G,B in decimal. Raises Failure for a malformed colour or a name no colour has.
uint32_t ParseColorArg(const std::string& arg);

// Reads lines (ended by LF, which is not part of the line) from an input. A line longer than
// MaxLine bytes is cut there: the rest of it is skipped, and Truncated() tells.
class LineReader {
 public:
  static constexpr size_t MaxLine = size_t{16} << 20;
  explicit LineReader(InputFile& Source);
  // The next line; false at the end of the input.
  bool Next(std::string& Line);
  bool Truncated() const noexcept { return FTruncated; }
  // The line's number, from 1.
  int64_t LineNumber() const noexcept { return FLineNo; }
  // True when the input held a NUL byte in the lines read so far.
  bool SawNul() const noexcept { return FSawNul; }

 private:
  InputFile& FSource;
  std::vector<uint8_t> FBuf;
  size_t FLen = 0;
  size_t FCur = 0;
  bool FEnd = false;
  bool FTruncated = false;
  bool FSawNul = false;
  int64_t FLineNo = 0;
};

}  // namespace xantool
