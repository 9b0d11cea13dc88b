// The open text file, on top of the buffered file stream: ANSI characters, lines ended by CR LF,
// LF or a lone CR on reading, CR LF on writing, and the integer reader.
#include "xan/platform/textfile.h"

#include <cstring>
#include <limits>
#include <utility>

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

// The value of an optional sign and decimal digits, or false when the text is not one or
// leaves the signed 32-bit range.
bool ParseDecimal(std::string_view Text, int32_t& Value) {
  size_t i = 0;
  const bool negative = !Text.empty() && Text[0] == '-';
  if (!Text.empty() && (Text[0] == '-' || Text[0] == '+')) i = 1;
  if (i == Text.size()) return false;
  int64_t v = 0;
  for (; i < Text.size(); ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    v = v * 10 + (Text[i] - '0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  Value = static_cast<int32_t>(v);
  return true;
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
  TStream& in = Input();
  String line;
  uint8_t b = 0;
  for (;;) {
    // Take the bytes up to the next line end from the buffer in one piece.
    const auto window = in.Buffered();
    size_t n = 0;
    while (n < window.size() && window[n] != kCR && window[n] != kLF) ++n;
    const size_t old = line.size();
    line.resize(old + n);
    for (size_t i = 0; i < n; ++i) line[old + i] = AnsiToChar(window[i]);
    in.ConsumeBuffered(n);
    if (n < window.size() || window.empty()) {
      if (!in.NextByte(b) || b == kLF) return line;
      if (b == kCR) {
        if (PeekByte(in, b) && b == kLF) in.NextByte(b);
        return line;
      }
      line += AnsiToChar(b);
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
  if (!ParseDecimal(token, value)) RaiseTextFileError(ioInvalidNumber);
  return value;
}

bool TTextFile::Eof() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode != tfmRead) return true;
  uint8_t b = 0;
  return !PeekByte(*FStream, b);
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
