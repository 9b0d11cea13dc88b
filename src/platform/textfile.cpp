// The open text file, on top of the buffered file stream: ANSI characters, lines ended by CR LF,
// LF or a lone CR on reading, CR LF on writing, and the integer reader.
#include "xan/platform/textfile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "platform/simple_text.h"

namespace xan {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

[[noreturn]] void RaiseTextFileError(int32_t Code) {
  switch (Code) {
    case ioReadPastEnd:
      throw EInOutError(u"Read beyond end of file", Code);
    case ioNotOpenForInput:
      throw EInOutError(u"File not open for input", Code);
    case ioNotOpenForOutput:
      throw EInOutError(u"File not open for output", Code);
    case ioInvalidNumber:
      throw EInOutError(u"Invalid numeric format", Code);
    default:
      throw EInOutError(u"File not open", ioFileNotOpen);
  }
}

// The next byte without consuming it; false at the end.
bool PeekByte(TStream& S, uint8_t& B) {
  const auto window = S.Buffered();
  if (!window.empty()) {
    B = window.front();
    return true;
  }
  if (!S.NextByte(B)) return false;
  S.Seek(-1, soCurrent);
  return true;
}

// The offset of the first CR or LF among the N bytes at P, or N when there is none. Eight bytes
// are tested at a time: a byte equal to CR or LF turns into zero under the exclusive or, and a
// word with a zero byte has the high bit of some byte set by the subtraction below; the bytes
// of such a word are then looked at one by one.
size_t FindLineEnd(const uint8_t* P, size_t N) noexcept {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  size_t i = 0;
  for (; i + 8 <= N; i += 8) {
    uint64_t w = 0;
    std::memcpy(&w, P + i, 8);
    const uint64_t cr = w ^ (kOnes * kCR);
    const uint64_t lf = w ^ (kOnes * kLF);
    const uint64_t hits = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
    // The lowest hit is exact (a borrow only runs upwards from a zero byte), so on a
    // little-endian host it gives the offset at once.
    if (hits != 0) {
      if constexpr (std::endian::native == std::endian::little) {
        return i + static_cast<size_t>(std::countr_zero(hits)) / 8;
      }
      break;
    }
  }
  while (i < N && P[i] != kCR && P[i] != kLF) ++i;
  return i;
}

}  // namespace

TTextFile::TTextFile() noexcept = default;

TTextFile::TTextFile(StringView FileName, TTextFileMode Mode) {
  Open(FileName, Mode);
}

TTextFile::TTextFile(TTextFile&&) noexcept = default;

TTextFile& TTextFile::operator=(TTextFile&& Other) noexcept {
  if (this != &Other) {
    try {
      Close();
    } catch (...) {  // NOLINT(bugprone-empty-catch): as in the destructor
    }
    FStream = std::move(Other.FStream);
    FFileName = std::move(Other.FFileName);
    FMode = Other.FMode;
  }
  return *this;
}

TTextFile::~TTextFile() {
  try {
    Close();
  } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor cannot report it; see Close
  }
}

void TTextFile::Open(StringView FileName, TTextFileMode Mode) {
  Close();
  String name(FileName);
  std::unique_ptr<TFileStream> stream;
  switch (Mode) {
    case tfmRead:
      stream = std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyNone);
      break;
    case tfmRewrite:
      stream = std::make_unique<TFileStream>(name, fmCreate);
      break;
    case tfmAppend:
      stream = std::make_unique<TFileStream>(name, fmOpenWrite | fmShareDenyNone);
      stream->Seek(0, soEnd);
      break;
  }
  FStream = std::move(stream);
  FFileName = std::move(name);
  FMode = Mode;
}

void TTextFile::Close() {
  if (!FStream) return;
  const std::unique_ptr<TFileStream> stream = std::move(FStream);
  stream->Flush();
}

void TTextFile::Rewind() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode == tfmRead) {
    FStream->SetPosition(0);
    return;
  }
  Open(String(FFileName), tfmRead);
}

TStream& TTextFile::Input() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode != tfmRead) RaiseTextFileError(ioNotOpenForInput);
  return *FStream;
}

TStream& TTextFile::Output() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode == tfmRead) RaiseTextFileError(ioNotOpenForOutput);
  return *FStream;
}

bool TTextFile::ReadChar(Char& C) {
  uint8_t b = 0;
  if (!Input().NextByte(b)) return false;
  C = AnsiToChar(b);
  return true;
}

bool TTextFile::PeekChar(Char& C) {
  uint8_t b = 0;
  if (!PeekByte(Input(), b)) return false;
  C = AnsiToChar(b);
  return true;
}

String TTextFile::ReadLn() {
  String line;
  ReadLn(line);
  return line;
}

void TTextFile::ReadLn(String& Line) {
  const std::string_view bytes = ReadLnBytes();
  Line.resize(bytes.size());
  std::transform(bytes.begin(), bytes.end(), Line.begin(),
                 [](char b) { return AnsiToChar(static_cast<uint8_t>(b)); });
}

std::string_view TTextFile::ReadLnBytes() {
  TStream& in = Input();
  bool copied = false;  // the line so far is in FLineBytes, not in the buffer
  uint8_t b = 0;
  for (;;) {
    const auto window = in.Buffered();
    const auto* const first = window.data();
    const size_t n = FindLineEnd(first, window.size());
    // Most lines end inside the buffer with LF, or CR LF: hand out a view of the buffer.
    if (!copied && n < window.size() &&
        (first[n] == kLF || (n + 1 < window.size() && first[n + 1] == kLF))) {
      in.ConsumeBuffered(n + (first[n] == kCR ? 2 : 1));
      return {reinterpret_cast<const char*>(first), n};
    }
    // Otherwise the line is gathered in FLineBytes, since reading on may refill the buffer.
    if (!copied) FLineBytes.clear();
    copied = true;
    FLineBytes.append(reinterpret_cast<const char*>(first), n);
    in.ConsumeBuffered(n);
    if (n < window.size() || window.empty()) {
      if (!in.NextByte(b) || b == kLF) return FLineBytes;
      if (b == kCR) {
        if (PeekByte(in, b) && b == kLF) in.NextByte(b);
        return FLineBytes;
      }
      FLineBytes += static_cast<char>(b);
    }
  }
}

int32_t TTextFile::ReadInteger() {
  TStream& in = Input();
  uint8_t b = 0;
  do {
    if (!in.NextByte(b)) RaiseTextFileError(ioReadPastEnd);
  } while (b <= 32);
  std::string token(1, static_cast<char>(b));
  while (PeekByte(in, b) && b > 32) {
    token += static_cast<char>(b);
    in.NextByte(b);
  }
  int32_t value = 0;
  if (detail::ReadDecimal(std::string_view(token), value) != detail::TDecimalRead::Ok) {
    RaiseTextFileError(ioInvalidNumber);
  }
  return value;
}

bool TTextFile::Eof() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode != tfmRead) return true;
  uint8_t b = 0;
  return !PeekByte(*FStream, b);
}

int64_t TTextFile::BytesLeft() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode != tfmRead) return 0;
  return std::max<int64_t>(0, FStream->Size() - FStream->Position());
}

void TTextFile::Write(StringView Text) {
  const std::string bytes = StringToAnsi(Text);
  Output().WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TTextFile::WriteLn(StringView Text) {
  std::string bytes = StringToAnsi(Text);
  bytes += "\r\n";
  Output().WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TTextFile::Flush() {
  Output();
  FStream->Flush();
}

}  // namespace xan
