// Byte streams of the platform layer: the stream base, memory and string streams, and the
// buffering of the file stream. The host's file calls come from posix/streams.inc.
#include "xan/platform/streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace xan {

// The file calls of the host, defined by the included host file below.
namespace host {
// Opens or creates the file; raises EFOpenError / EFCreateError.
intptr_t OpenFile(StringView FileName, uint16_t Mode);
void CloseFile(intptr_t Handle) noexcept;
// Reads up to Count bytes at Offset: with Fill until Count or the end, else one host read.
int64_t ReadAt(intptr_t Handle, void* Buffer, int64_t Count, int64_t Offset, bool Fill,
               StringView FileName);
// Writes all Count bytes at Offset or raises EInOutError.
void WriteAt(intptr_t Handle, const void* Buffer, int64_t Count, int64_t Offset,
             StringView FileName);
int64_t FileSize(intptr_t Handle, StringView FileName);
void Truncate(intptr_t Handle, int64_t Size, StringView FileName);
}  // namespace host

// ================================================================================================
// TStream

TStream::~TStream() = default;

int64_t TStream::Size() {
  const int64_t pos = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t /*NewSize*/) {
  throw EStreamError(u"Stream cannot change its size");
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  auto* out = static_cast<uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    const int64_t n = Read(out + done, Count - done);
    if (n <= 0) throw EReadError(u"Stream read error");
    done += n;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (Write(Buffer, Count) != Count) throw EWriteError(u"Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count <= 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  constexpr int64_t kChunk = 65536;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(Count, kChunk)));
  int64_t done = 0;
  while (done < Count) {
    const int64_t n = std::min(Count - done, kChunk);
    const int64_t got = Source.Read(buffer.data(), n);
    WriteBuffer(buffer.data(), got);
    done += got;
    if (got < n) throw EReadError(u"Stream read error");
  }
  return done;
}

int64_t TStream::SeekTarget(int64_t Offset, TSeekOrigin Origin, int64_t Current, int64_t Size) {
  int64_t base = 0;
  if (Origin == soCurrent) base = Current;
  if (Origin == soEnd) base = Size;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  // base >= 0, so only a sum beyond the top can overflow.
  if ((Offset > 0 && base > kMax - Offset) || base + Offset < 0) {
    throw EStreamError(u"Invalid stream position");
  }
  return base + Offset;
}

// ================================================================================================
// TMemoryStream

TMemoryStream::TMemoryStream() = default;
TMemoryStream::~TMemoryStream() = default;

void TMemoryStream::ResetWindow() noexcept {
  const auto size = static_cast<int64_t>(FData.size());
  if (FPos < size) SetReadWindow(FData.data() + FPos, FData.data() + size);
}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  FPos += DropReadWindow();
  const auto size = static_cast<int64_t>(FData.size());
  int64_t n = 0;
  if (Count > 0 && FPos < size) {
    n = std::min(Count, size - FPos);
    std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
  }
  ResetWindow();
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  FPos += DropReadWindow();
  if (Count <= 0) return 0;
  if (Count > std::numeric_limits<int64_t>::max() - FPos) return 0;
  const int64_t end = FPos + Count;
  try {
    if (end > static_cast<int64_t>(FData.size())) FData.resize(static_cast<size_t>(end));
  } catch (const std::bad_alloc&) {
    return 0;
  } catch (const std::length_error&) {
    return 0;
  }
  std::memcpy(FData.data() + FPos, Buffer, static_cast<size_t>(Count));
  FPos = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPos += DropReadWindow();
  FPos = SeekTarget(Offset, Origin, FPos, static_cast<int64_t>(FData.size()));
  ResetWindow();
  return FPos;
}

int64_t TMemoryStream::Size() {
  return static_cast<int64_t>(FData.size());
}

void TMemoryStream::SetSize(int64_t NewSize) {
  FPos += DropReadWindow();
  if (NewSize < 0) throw EStreamError(u"Invalid stream size");
  try {
    if (static_cast<uint64_t>(NewSize) > FData.max_size()) throw std::bad_alloc();
    FData.resize(static_cast<size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
  FPos = std::min(FPos, NewSize);
}

void TMemoryStream::Clear() noexcept {
  DropReadWindow();
  FData.clear();
  FData.shrink_to_fit();
  FPos = 0;
}

void TMemoryStream::AssignBytes(std::span<const uint8_t> Bytes) {
  DropReadWindow();
  FData.assign(Bytes.begin(), Bytes.end());
  FPos = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  std::vector<uint8_t> data(static_cast<size_t>(Source.Size()));
  Source.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
  DropReadWindow();
  FData = std::move(data);
  FPos = 0;
}

void TMemoryStream::LoadFromFile(StringView FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& Dest) const {
  Dest.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::SaveToFile(StringView FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(file);
  file.Flush();
}

// ================================================================================================
// TStringStream

TStringStream::TStringStream(StringView Text) {
  const std::string bytes = StringToBytes(Text);
  AssignBytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

TStringStream::TStringStream(std::string_view Bytes) {
  AssignBytes({reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size()});
}

TStringStream::~TStringStream() = default;

String TStringStream::DataString() const {
  return BytesToString(ByteString());
}

std::string_view TStringStream::ByteString() const noexcept {
  const auto bytes = Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// ================================================================================================
// TFileStream
//
// FBuf holds either input (FInLen bytes read from FBufStart on) or pending output (FOutLen bytes
// to be written at FBufStart), never both. FPos is the position; while the read window is set it
// covers FBuf from FPos on, and the bytes consumed through it are added by SyncPosition.

TFileStream::TFileStream(StringView FileName, uint16_t Mode)
    : FFileName(FileName),
      FHandle(host::OpenFile(FileName, Mode)),
      FWritable((Mode & fmCreate) == fmCreate || (Mode & 0x0003) != fmOpenRead),
      FBuf(new (std::nothrow) uint8_t[BufferSize]) {
  if (!FBuf) {
    host::CloseFile(FHandle);
    throw std::bad_alloc();
  }
}

TFileStream::~TFileStream() {
  try {
    FlushOutput();
  } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor cannot report it; see Flush
  }
  host::CloseFile(FHandle);
}

void TFileStream::SyncPosition() noexcept {
  FPos += DropReadWindow();
}

void TFileStream::SetWindowAtPosition() noexcept {
  if (FInLen > 0 && FPos >= FBufStart && FPos < FBufStart + FInLen) {
    SetReadWindow(FBuf.get() + (FPos - FBufStart), FBuf.get() + FInLen);
  }
}

void TFileStream::DropInput() noexcept {
  FInLen = 0;
}

void TFileStream::FlushOutput() {
  if (FOutLen == 0) return;
  const int64_t len = FOutLen;
  FOutLen = 0;  // dropped even when the write fails, so that the failure is raised once
  host::WriteAt(FHandle, FBuf.get(), len, FBufStart, FFileName);
}

void TFileStream::Flush() {
  SyncPosition();
  FlushOutput();
  SetWindowAtPosition();
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  SyncPosition();
  if (Count <= 0) {
    SetWindowAtPosition();
    return 0;
  }
  FlushOutput();
  // No byte lies at or beyond the largest position; the host refuses to be asked for one.
  Count = std::min(Count, std::numeric_limits<int64_t>::max() - FPos);
  auto* out = static_cast<uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    if (FInLen > 0 && FPos >= FBufStart && FPos < FBufStart + FInLen) {
      const int64_t n = std::min(Count - done, FBufStart + FInLen - FPos);
      std::memcpy(out + done, FBuf.get() + (FPos - FBufStart), static_cast<size_t>(n));
      FPos += n;
      done += n;
      continue;
    }
    const int64_t want = Count - done;
    if (want >= static_cast<int64_t>(BufferSize)) {
      // Large reads go straight into the caller's memory.
      const int64_t n = host::ReadAt(FHandle, out + done, want, FPos, true, FFileName);
      FPos += n;
      done += n;
      break;
    }
    FInLen = 0;
    FBufStart = FPos;
    const int64_t room = std::numeric_limits<int64_t>::max() - FPos;
    FInLen = host::ReadAt(FHandle, FBuf.get(), std::min(static_cast<int64_t>(BufferSize), room),
                          FPos, false, FFileName);
    if (FInLen == 0) break;
  }
  SetWindowAtPosition();
  return done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  SyncPosition();
  // Bytes a read-only file cannot take are refused here rather than buffered and lost later.
  if (Count <= 0 || !FWritable || Count > std::numeric_limits<int64_t>::max() - FPos) {
    SetWindowAtPosition();
    return 0;
  }
  DropInput();
  if (FOutLen > 0 && FPos != FBufStart + FOutLen) FlushOutput();
  if (FOutLen + Count > static_cast<int64_t>(BufferSize)) FlushOutput();
  if (Count >= static_cast<int64_t>(BufferSize)) {
    host::WriteAt(FHandle, Buffer, Count, FPos, FFileName);
  } else {
    if (FOutLen == 0) FBufStart = FPos;
    std::memcpy(FBuf.get() + FOutLen, Buffer, static_cast<size_t>(Count));
    FOutLen += Count;
  }
  FPos += Count;
  return Count;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t size = Origin == soEnd ? Size() : 0;
  SyncPosition();
  FPos = SeekTarget(Offset, Origin, FPos, size);
  SetWindowAtPosition();
  return FPos;
}

int64_t TFileStream::Size() {
  // The size does not depend on the position, so the read window stays as it is.
  const int64_t pending = FOutLen > 0 ? FBufStart + FOutLen : 0;
  return std::max(host::FileSize(FHandle, FFileName), pending);
}

void TFileStream::SetSize(int64_t NewSize) {
  SyncPosition();
  if (NewSize < 0) throw EStreamError(u"Invalid stream size");
  FlushOutput();
  DropInput();
  host::Truncate(FHandle, NewSize, FFileName);
  FPos = std::min(FPos, NewSize);
}

}  // namespace xan

#if defined(_WIN32)
#include "win32/streams.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/streams.inc"
#else
#error "no file stream for this host"
#endif
