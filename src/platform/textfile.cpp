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

// Whether b can be byte `index` (1..3) of a valid UTF-8 sequence that begins with `lead`: a
// continuation byte, with the narrower second-byte ranges that exclude overlong forms,
// surrogates and values above U+10FFFF.
bool Utf8ContinuationFits(uint8_t lead, size_t index, uint8_t b) noexcept {
  if ((b & 0xC0) != 0x80) return false;
  if (index != 1) return true;
  switch (lead) {
    case 0xE0:
      return b >= 0xA0;
    case 0xED:
      return b <= 0x9F;
    case 0xF0:
      return b >= 0x90;
    case 0xF4:
      return b <= 0x8F;
    default:
      return true;
  }
}

}  // namespace

TTextFile::TTextFile() noexcept = default;

TTextFile::TTextFile(StringView FileName, TTextFileMode Mode, TTextEncoding Encoding) {
  Open(FileName, Mode, Encoding);
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
    FEncoding = Other.FEncoding;
    FPendingLow = Other.FPendingLow;
    FOutBytes = std::move(Other.FOutBytes);
    Other.FOutBytes.clear();
  }
  return *this;
}

TTextFile::~TTextFile() {
  try {
    Close();
  } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor cannot report it; see Close
  }
}

void TTextFile::Open(StringView FileName, TTextFileMode Mode, TTextEncoding Encoding) {
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
  FEncoding = Encoding;
  FPendingLow = 0;
  if (Mode == tfmRead) SkipByteOrderMark();
}

void TTextFile::SkipByteOrderMark() {
  if (FEncoding != teUtf8) return;
  const auto window = FStream->Buffered();
  uint8_t bom[3] = {};
  if (window.size() >= 3) {
    std::memcpy(bom, window.data(), 3);
  } else if (FStream->Read(bom, 3) == 3) {
    FStream->Seek(-3, soCurrent);
  } else {
    FStream->SetPosition(0);
    return;
  }
  if (bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF) FStream->Seek(3, soCurrent);
}

void TTextFile::Close() {
  if (!FStream) return;
  // The stream is closed when this function leaves it, also when a write raises.
  const std::unique_ptr<TFileStream> stream = std::move(FStream);
  std::string pending;
  pending.swap(FOutBytes);
  stream->WriteBuffer(pending.data(), static_cast<int64_t>(pending.size()));
  stream->Flush();
}

void TTextFile::Rewind() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode == tfmRead) {
    FStream->SetPosition(0);
    FPendingLow = 0;
    SkipByteOrderMark();
    return;
  }
  Open(String(FFileName), tfmRead, FEncoding);
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
  TStream& in = Input();
  if (FPendingLow != 0) {
    C = std::exchange(FPendingLow, Char{0});
    return true;
  }
  uint8_t b = 0;
  if (!in.NextByte(b)) return false;
  if (FEncoding == teAnsi || b < 0x80) {
    C = FEncoding == teAnsi ? AnsiToChar(b) : static_cast<Char>(b);
    return true;
  }
  // One UTF-8 sequence: the lead byte and the continuation bytes that keep it valid; an invalid
  // sequence ends at the first byte that does not fit and reads as one U+FFFD.
  const uint8_t lead = b;
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
  std::string bytes(1, static_cast<char>(lead));
  while (bytes.size() < length && PeekByte(in, b) && Utf8ContinuationFits(lead, bytes.size(), b)) {
    bytes += static_cast<char>(b);
    in.NextByte(b);
  }
  const String unit = FromUtf8(bytes);
  C = unit[0];
  if (unit.size() == 2) FPendingLow = unit[1];  // a character above U+FFFF
  return true;
}

bool TTextFile::PeekChar(Char& C) {
  TStream& in = Input();
  if (FPendingLow != 0) {
    C = FPendingLow;
    return true;
  }
  const int64_t at = in.Position();
  if (!ReadChar(C)) return false;
  in.SetPosition(at);
  FPendingLow = 0;
  return true;
}

String TTextFile::ReadLn() {
  String line;
  ReadLn(line);
  return line;
}

void TTextFile::ReadLn(String& Line) {
  const Char pending = std::exchange(FPendingLow, Char{0});
  const std::string_view bytes = ReadLnBytes();
  if (FEncoding == teUtf8) {
    Line = FromUtf8(bytes);
    if (pending != 0) Line.insert(Line.begin(), pending);
    return;
  }
  Line.resize(bytes.size());
  std::transform(bytes.begin(), bytes.end(), Line.begin(),
                 [](char b) { return AnsiToChar(static_cast<uint8_t>(b)); });
}

std::string_view TTextFile::ReadLnBytes() {
  TStream& in = Input();
  FPendingLow = 0;
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
  FPendingLow = 0;
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
  return FPendingLow == 0 && !PeekByte(*FStream, b);
}

int64_t TTextFile::BytesLeft() {
  if (!FStream) RaiseTextFileError(ioFileNotOpen);
  if (FMode != tfmRead) return 0;
  return std::max<int64_t>(0, FStream->Size() - FStream->Position());
}

void TTextFile::AppendEncoded(StringView Text) {
  const size_t at = FOutBytes.size();
  const bool ascii = std::all_of(Text.begin(), Text.end(), [](Char c) { return c < 0x80; });
  if (FEncoding == teUtf8 && !ascii) {
    FOutBytes += ToUtf8(Text);
    return;
  }
  FOutBytes.resize(at + Text.size());
  char* out = FOutBytes.data() + at;
  if (ascii) {
    for (const Char c : Text) *out++ = static_cast<char>(c);
    return;
  }
  for (const Char c : Text) {
    // Latin-1 characters are their own ANSI bytes, except for the C1 controls.
    *out++ = static_cast<char>(c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? c : CharToAnsi(c));
  }
}

void TTextFile::PushOutput() {
  // Bytes the stream refused are dropped, so that the failure is raised once.
  try {
    FStream->WriteBuffer(FOutBytes.data(), static_cast<int64_t>(FOutBytes.size()));
  } catch (...) {
    std::string().swap(FOutBytes);
    throw;
  }
  FOutBytes.clear();
  // The room a single large text took is given back.
  if (FOutBytes.capacity() > 4 * TFileStream::BufferSize) std::string().swap(FOutBytes);
}

void TTextFile::Write(StringView Text) {
  Output();
  AppendEncoded(Text);
  if (FOutBytes.size() >= TFileStream::BufferSize) PushOutput();
}

void TTextFile::WriteLn(StringView Text) {
  Output();
  AppendEncoded(Text);
  FOutBytes += "\r\n";
  if (FOutBytes.size() >= TFileStream::BufferSize) PushOutput();
}

void TTextFile::Flush() {
  Output();
  PushOutput();
  FStream->Flush();
}

}  // namespace xan
