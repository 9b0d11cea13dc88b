// Input, output, messages and the progress bar of the xan tool: files and standard input read in
// blocks, standard output written with every failure seen, one line per error.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

#include "tool.h"
#include "xan/platform/graphics.h"
#include "xan/platform/system.h"

#ifdef _WIN32
#include <io.h>
#define XAN_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define XAN_ISATTY(f) isatty(fileno(f))
#endif

namespace xantool {

// ================================================================================================
// Messages

namespace {
std::string& CommandName() {
  static std::string name;
  return name;
}
}  // namespace

void SetCommandName(std::string_view name) {
  CommandName() = name;
}

void Complain(std::string_view message) {
  std::fflush(stdout);
  std::string line = "xan: ";
  if (!CommandName().empty()) line += CommandName() + ": ";
  // One line, whatever the message holds.
  for (char c : message) line += c == '\n' || c == '\r' ? ' ' : c;
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

std::string WithoutComponent(std::string_view message) {
  constexpr std::string_view head = "Component \"";
  const size_t end = message.find("\": ");
  if (message.starts_with(head) && end != std::string_view::npos) message.remove_prefix(end + 3);
  return std::string(message);
}

std::string SystemError(std::string_view name, int errnum) {
  return std::string(name) + ": " + std::strerror(errnum);
}

// ================================================================================================
// Arguments

xan::String HostPathText(const std::string& arg) {
  // Each UTF-8 sequence that reads back as itself is a character; any other byte b is U+DC00 + b.
  xan::String name;
  for (size_t i = 0; i < arg.size();) {
    const auto b = static_cast<uint8_t>(arg[i]);
    const size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    const std::string_view seq = std::string_view(arg).substr(i, len);
    const xan::String text = xan::FromUtf8(seq);
    if (seq.size() == len && xan::ToUtf8(text) == seq) {
      name += text;
      i += len;
    } else {
      name += static_cast<xan::Char>(0xDC00 + b);
      ++i;
    }
  }
  return name;
}

std::string HostPathBytes(xan::StringView path) {
  std::string bytes;
  for (size_t i = 0; i < path.size();) {
    size_t end = i;
    while (end < path.size() && (path[end] < 0xDC80 || path[end] > 0xDCFF)) ++end;
    bytes += xan::ToUtf8(path.substr(i, end - i));
    for (i = end; i < path.size() && path[i] >= 0xDC80 && path[i] <= 0xDCFF; ++i) {
      bytes += static_cast<char>(path[i] - 0xDC00);
    }
  }
  return bytes;
}

xan::String ReadableFileName(const std::string& arg) {
  std::error_code ec;
  const auto status = std::filesystem::status(arg, ec);
  if (!std::filesystem::exists(status)) throw Failure(SystemError(arg, ENOENT));
  if (std::filesystem::is_directory(status)) throw Failure(SystemError(arg, EISDIR));
  return HostPathText(arg);
}

xan::String ArgText(std::string_view arg) {
  return xan::FromUtf8(arg);
}

int64_t ParseInteger(std::string_view text, int64_t low, int64_t high, std::string_view what) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
    throw Failure(std::string(what) + ": '" + std::string(text) + "' is not a whole number from " +
                  std::to_string(low) + " to " + std::to_string(high));
  }
  return value;
}

// ================================================================================================
// Progress

namespace {
std::string Amount(double bytes) {
  static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int u = 0;
  while (bytes >= 1024 && u < 4) bytes /= 1024, ++u;
  char buf[32];
  std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", bytes, units[u]);
  return buf;
}
}  // namespace

Progress::Progress(std::string label, int64_t total)
    : FLabel(std::move(label)),
      FTotal(total),
      FEnabled(XAN_ISATTY(stderr) != 0),
      FStart(xan::TickCount()) {}

Progress::~Progress() {
  if (FDrawn) std::fputs("\r\033[K", stderr);
}

void Progress::Update(int64_t done, std::string_view note) {
  if (!FEnabled) return;
  const uint64_t now = xan::TickCount();
  if (now - FStart < 1000 || now - FLastDraw < 100) return;
  FLastDraw = now;
  Draw(done, now, note);
}

void Progress::Draw(int64_t done, uint64_t now, std::string_view note) {
  const double seconds = static_cast<double>(now - FStart) / 1000.0;
  std::string line = "\r" + FLabel + " ";
  if (FTotal > 0) {
    const double part = std::min(1.0, static_cast<double>(done) / static_cast<double>(FTotal));
    const int width = 30, filled = static_cast<int>(part * width);
    line += "[" + std::string(static_cast<size_t>(filled), '#') +
            std::string(static_cast<size_t>(width - filled), '.') + "] ";
    line += std::to_string(static_cast<int>(part * 100)) + "% of " +
            Amount(static_cast<double>(FTotal));
  } else {
    line += Amount(static_cast<double>(done));
  }
  line += ", " + Amount(static_cast<double>(done) / seconds) + "/s";
  if (!note.empty()) line += ", " + std::string(note);
  line += "\033[K";
  std::fputs(line.c_str(), stderr);
  FDrawn = true;
}

// ================================================================================================
// InputFile

InputFile::InputFile(const std::string& name, bool showProgress) : FName(name) {
  int64_t total = -1;
  if (name == "-") {
    FFile = stdin;
  } else {
    std::error_code ec;
    const auto status = std::filesystem::status(name, ec);
    if (std::filesystem::is_directory(status)) throw Failure(SystemError(name, EISDIR));
    errno = 0;
    FFile = std::fopen(name.c_str(), "rb");
    if (FFile == nullptr) throw Failure(SystemError(name, errno ? errno : ENOENT));
    FOwned = true;
    if (std::filesystem::is_regular_file(status)) {
      total = static_cast<int64_t>(std::filesystem::file_size(name, ec));
      if (ec) total = -1;
    }
  }
  if (showProgress) FProgress = std::make_unique<Progress>(name, total);
}

InputFile::~InputFile() {
  if (FOwned) std::fclose(FFile);
}

size_t InputFile::Read(std::span<uint8_t> Buffer) {
  errno = 0;
  const size_t n = std::fread(Buffer.data(), 1, Buffer.size(), FFile);
  if (n < Buffer.size() && std::ferror(FFile)) {
    const int err = errno ? errno : EIO;
    std::clearerr(FFile);
    throw Failure(SystemError(FName, err));
  }
  FDone += static_cast<int64_t>(n);
  if (FProgress) FProgress->Update(FDone);
  return n;
}

std::string InputFile::ReadAll(size_t Limit) {
  std::string all;
  std::vector<uint8_t> block(size_t{1} << 16);
  while (const size_t n = Read(block)) {
    if (all.size() + n > Limit) {
      throw Failure(FName + ": larger than " + std::to_string(Limit >> 20) + " MiB");
    }
    all.append(reinterpret_cast<const char*>(block.data()), n);
  }
  return all;
}

// ================================================================================================
// InputStream

namespace {
// The buffer, and how much of what was read before stays in it for a decoder to step back into.
constexpr size_t kStreamBuffer = size_t{1} << 18;
constexpr size_t kStreamKeep = size_t{1} << 16;
}  // namespace

InputStream::InputStream(InputFile& Source) : FSource(Source), FBuf(kStreamBuffer + kStreamKeep) {}

InputStream::~InputStream() = default;

void InputStream::Sync() noexcept {
  FCur += static_cast<size_t>(DropReadWindow());
}

bool InputStream::Refill() {
  const size_t keep = std::min(FLen, kStreamKeep);
  std::memmove(FBuf.data(), FBuf.data() + FLen - keep, keep);
  FBufStart += static_cast<int64_t>(FLen - keep);
  FCur = keep;
  FLen = keep + FSource.Read(std::span(FBuf).subspan(keep));
  return FLen > FCur;
}

int64_t InputStream::Read(void* Buffer, int64_t Count) {
  Sync();
  auto* out = static_cast<uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    if (FCur == FLen && !Refill()) break;
    const size_t n = std::min(FLen - FCur, static_cast<size_t>(Count - done));
    std::memcpy(out + done, FBuf.data() + FCur, n);
    FCur += n;
    done += static_cast<int64_t>(n);
  }
  SetReadWindow(FBuf.data() + FCur, FBuf.data() + FLen);
  return done;
}

int64_t InputStream::Write(const void*, int64_t) {
  return 0;
}

int64_t InputStream::Seek(int64_t Offset, xan::TSeekOrigin Origin) {
  Sync();
  const int64_t here = FBufStart + static_cast<int64_t>(FCur);
  int64_t target = Origin == xan::soBeginning ? Offset : here + Offset;
  if (Origin == xan::soEnd || target < FBufStart) {
    SetReadWindow(FBuf.data() + FCur, FBuf.data() + FLen);
    throw xan::EStreamError(u"This input can only be read forward");
  }
  // Forward: read up to the target; a target past the end stops at the end.
  while (target > FBufStart + static_cast<int64_t>(FLen) && (FCur = FLen, Refill())) {
  }
  target = std::min(target, FBufStart + static_cast<int64_t>(FLen));
  FCur = static_cast<size_t>(target - FBufStart);
  SetReadWindow(FBuf.data() + FCur, FBuf.data() + FLen);
  return target;
}

// ================================================================================================
// Output

void Out(std::string_view bytes) {
  if (bytes.empty()) return;  // an empty view may hold no address, which fwrite must not get
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    throw Failure(SystemError("write error", errno ? errno : EIO));
  }
}

void SavePng(const xan::TBitmap& Bitmap, const std::string& name) {
  xan::TMemoryStream png;
  Bitmap.SaveToStream(png, xan::gfPNG);
  const auto bytes = png.Bytes();
  const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (name == "-") {
    Out(data);
    return;
  }
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) throw Failure(SystemError(name, errno ? errno : EIO));
  errno = 0;
  const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
  int err = errno;
  errno = 0;
  // A full disk may show only when the last buffer is handed over, at the close.
  const bool closed = std::fclose(file) == 0;
  if (written) err = errno;
  if (!written || !closed) throw Failure(SystemError(name, err ? err : EIO));
}

OutputStream::~OutputStream() = default;

int64_t OutputStream::Read(void*, int64_t) {
  return 0;
}

int64_t OutputStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  std::string_view bytes(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
  if (!FDropCR) {
    Out(bytes);
  } else {
    for (size_t cr; (cr = bytes.find('\r')) != std::string_view::npos;
         bytes.remove_prefix(cr + 1)) {
      Out(bytes.substr(0, cr));
    }
    Out(bytes);
  }
  FWritten += Count;
  return Count;
}

int64_t OutputStream::Seek(int64_t Offset, xan::TSeekOrigin Origin) {
  if (Offset == 0 && Origin != xan::soBeginning) return FWritten;
  if (Origin == xan::soBeginning && Offset == FWritten) return FWritten;
  throw xan::EStreamError(u"Standard output can only be written forward");
}

// ================================================================================================
// LineReader

LineReader::LineReader(InputFile& Source) : FSource(Source), FBuf(size_t{1} << 16) {}

bool LineReader::Next(std::string& Line) {
  Line.clear();
  FTruncated = false;
  bool any = false;
  for (;;) {
    if (FCur == FLen) {
      if (FEnd) break;
      FLen = FSource.Read(FBuf);
      FCur = 0;
      if (FLen == 0) {
        FEnd = true;
        break;
      }
    }
    any = true;
    const uint8_t* start = FBuf.data() + FCur;
    const auto* lf = static_cast<const uint8_t*>(std::memchr(start, '\n', FLen - FCur));
    const size_t n = lf ? static_cast<size_t>(lf - start) : FLen - FCur;
    if (!FSawNul && std::memchr(start, 0, n) != nullptr) FSawNul = true;
    const size_t room = MaxLine - std::min(MaxLine, Line.size());
    if (n > room) FTruncated = true;
    Line.append(reinterpret_cast<const char*>(start), std::min(n, room));
    FCur += n;
    if (lf) {
      ++FCur;
      break;
    }
  }
  if (!any) return false;
  ++FLineNo;
  return true;
}

}  // namespace xantool
