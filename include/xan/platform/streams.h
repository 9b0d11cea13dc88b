// Byte streams of the platform layer: the abstract TStream, the in-memory TMemoryStream and
// TStringStream, and the buffered file stream TFileStream with its open modes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/exceptions.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// Where a Seek offset counts from.
enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// ================================================================================================
// TStream: a seekable sequence of bytes with a position and a size.
//
// Each stream implements Read, Write and Seek (and Size and SetSize where it can do better than
// the defaults); everything else is built on them. Positions and sizes are byte counts from the
// start of the stream. The position may be set beyond the end: reading there gives no bytes,
// writing there first fills the gap with zero bytes.
//
// Errors: ReadBuffer raises EReadError and WriteBuffer EWriteError when fewer bytes than demanded
// could be moved; a position before the start, or a size a stream cannot take, raises
// EStreamError; a failure of the host (disk error, full disk) raises EInOutError with the host's
// error number.
class XAN_EXPORT TStream : public TObject {
 public:
  ~TStream() override;

  // ---------------------------------------------------------------------------------------------
  // What each stream implements

  // Reads up to Count bytes into Buffer from the position and moves the position past them.
  // Returns the number of bytes read: fewer than Count only at the end, 0 at the end or for
  // Count <= 0.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;

  // Writes up to Count bytes from Buffer at the position and moves the position past them.
  // Returns the number written (Count unless the stream cannot take more; 0 for Count <= 0).
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;

  // Moves the position to Offset counted from Origin and returns the new position.
  // Raises EStreamError when the new position would lie before the start (the position is then
  // unchanged).
  //   Seek(0, soEnd) => Size(),  Seek(-2, soCurrent) at 5 => 3,  Seek(-1, soBeginning) => raises
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  // The size in bytes. The default seeks to the end and back.
  virtual int64_t Size();

  // Cuts or extends the stream (with zero bytes) to NewSize bytes. A position beyond the new end
  // moves to the new end; otherwise it is kept. The default raises EStreamError ("Stream cannot
  // change its size"); a negative size raises EStreamError in every stream.
  virtual void SetSize(int64_t NewSize);

  // ---------------------------------------------------------------------------------------------
  // Built on them

  // Reads exactly Count bytes. When fewer are left, the bytes that are there are consumed (and
  // stored in Buffer) and EReadError ("Stream read error") is raised. Count <= 0 reads nothing.
  void ReadBuffer(void* Buffer, int64_t Count);

  // Writes exactly Count bytes, or raises EWriteError ("Stream write error") when the stream took
  // fewer. Count <= 0 writes nothing.
  void WriteBuffer(const void* Buffer, int64_t Count);

  // The position (Seek(0, soCurrent)) and setting it (Seek(Pos, soBeginning)).
  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }

  // Copies Count bytes from Source's position to this stream's position, or, for Count <= 0, the
  // whole of Source from its start. Returns the number of bytes copied. Raises EReadError when
  // Source has fewer than Count bytes left (the bytes before the shortfall are copied).
  int64_t CopyFrom(TStream& Source, int64_t Count);

  // ---------------------------------------------------------------------------------------------
  // Byte-at-a-time reading without a call per byte

  // Reads one byte: true and the byte in B, or false at the end (B unchanged). Buffered streams
  // serve it inline from their buffer, so scanners may read byte by byte at memory speed.
  bool NextByte(uint8_t& B) {
    if (FWinCur != FWinEnd) {
      B = *FWinCur++;
      return true;
    }
    return Read(&B, 1) == 1;
  }

  // The next bytes of the stream, from the position on, as far as the stream holds them in memory
  // already (possibly none, which says nothing about the end). Valid until the next call of any
  // other member; ConsumeBuffered(n) with n <= Buffered().size() moves the position past n of
  // them, exactly as reading them would.
  std::span<const uint8_t> Buffered() const noexcept {
    return {FWinCur, static_cast<size_t>(FWinEnd - FWinCur)};
  }
  void ConsumeBuffered(size_t N) noexcept { FWinCur += N; }

 protected:
  TStream() = default;

  // The read window behind NextByte and Buffered: a derived stream sets it to the bytes that
  // follow its position, and every one of its members starts with DropReadWindow(), which
  // returns how many of those bytes were consumed (to be added to its position) and empties the
  // window, so that nothing can read through a stale window.
  void SetReadWindow(const uint8_t* Begin, const uint8_t* End) noexcept {
    FWinBegin = FWinCur = Begin;
    FWinEnd = End;
  }
  int64_t DropReadWindow() noexcept {
    const int64_t consumed = FWinCur - FWinBegin;
    FWinBegin = FWinCur = FWinEnd = nullptr;
    return consumed;
  }

  // The position Offset from Origin, given the current position and (for soEnd) the size;
  // raises EStreamError when it lies before the start or overflows.
  static int64_t SeekTarget(int64_t Offset, TSeekOrigin Origin, int64_t Current, int64_t Size);

 private:
  const uint8_t* FWinBegin = nullptr;
  const uint8_t* FWinCur = nullptr;
  const uint8_t* FWinEnd = nullptr;
};

// ================================================================================================
// TMemoryStream: a stream over a block of memory that grows as it is written.

class XAN_EXPORT TMemoryStream : public TStream {
 public:
  TMemoryStream();
  ~TMemoryStream() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  // Grows the block as needed; returns 0 (so WriteBuffer raises EWriteError) when the memory for
  // it cannot be had.
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;
  // Raises EStreamError ("Out of memory while expanding memory stream") when the memory for
  // NewSize bytes cannot be had; the stream is then unchanged.
  void SetSize(int64_t NewSize) override;

  // The bytes of the stream, all of them, whatever the position. Valid until the next write or
  // change of size.
  std::span<const uint8_t> Bytes() const noexcept { return {FData.data(), FData.size()}; }
  uint8_t* Memory() noexcept { return FData.data(); }
  const uint8_t* Memory() const noexcept { return FData.data(); }

  // Empties the stream: size and position 0.
  void Clear() noexcept;

  // Replaces the content with the whole of Source (from its start) or of the file; the position
  // is 0 afterwards. The file is opened for reading and closed again; it raises as TFileStream.
  void LoadFromStream(TStream& Source);
  void LoadFromFile(StringView FileName);
  // Writes the whole content (whatever the position) to Dest at its position, or to the file,
  // created or replaced.
  void SaveToStream(TStream& Dest) const;
  void SaveToFile(StringView FileName) const;

 protected:
  // Replaces the content by Bytes, position 0; for the constructors of derived streams.
  void AssignBytes(std::span<const uint8_t> Bytes);

 private:
  void ResetWindow() noexcept;

  std::vector<uint8_t> FData;
  int64_t FPos = 0;
};

// ================================================================================================
// TStringStream: a memory stream made from, and read back as, 8-bit text.
//
// Text converts as all 8-bit text on streams does: each character becomes the low 8 bits of its
// code, and each byte reads back as the character of the same code. Characters above U+00FF
// therefore keep only their low byte.
//   TStringStream(u"A\u00e9").Bytes() => 41 E9,  TStringStream(u"\u20ac") holds the byte AC
class XAN_EXPORT TStringStream : public TMemoryStream {
 public:
  // A stream holding the text as 8-bit bytes, position 0.
  explicit TStringStream(StringView Text = {});
  // A stream holding the bytes as they are, position 0.
  explicit TStringStream(std::string_view Bytes);
  ~TStringStream() override;

  // The whole content as text, one character per byte.
  String DataString() const;
  // The whole content as bytes.
  std::string_view ByteString() const noexcept;
};

// ================================================================================================
// Open modes of TFileStream

// Access values of the open mode.
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
// Create (or empty) the file, with read and write access.
inline constexpr uint16_t fmCreate = 0xFF00;
// Share values of the open mode (no effect on POSIX, see TFileStream).
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

// ================================================================================================
// TFileStream: a buffered stream over one open file.
//
// Open modes: one access value, or fmCreate, combined (|) with one share value.
//   fmCreate         creates the file, or empties it when it exists; read and write access
//   fmOpenRead       opens an existing file for reading
//   fmOpenWrite      opens an existing file for writing (its content is kept)
//   fmOpenReadWrite  opens an existing file for reading and writing
// Share values say what other openers of the file may do while this stream has it open. The
// POSIX host has no enforced sharing modes (and advisory locks bind only programs that ask for
// them), so there they are accepted, checked for validity and have no effect; a file may be
// opened by several streams at once. fmShareCompat and fmShareDenyNone allow everything,
// fmShareDenyWrite forbids writing, fmShareDenyRead reading, fmShareExclusive both.
//
// The stream keeps one buffer (64 KiB) for either reading or writing, so that small reads and
// writes (NextByte above all) do not each cost a call to the host. Reads, writes, seeks and
// Size see each other's effects exactly as an unbuffered stream would: pending output is
// written before the file is read, truncated or closed, and buffered input is dropped when the
// stream writes. Other programs see pending output only after Flush, SetSize or destruction.
class XAN_EXPORT TFileStream : public TStream {
 public:
  static constexpr size_t BufferSize = 65536;

  // Opens (or, with fmCreate, creates) FileName with Mode. Raises EFOpenError (EFCreateError
  // for fmCreate), both EInOutError with the host's error number, when the file cannot be
  // opened or created, is a directory, or Mode is not a valid combination (EINVAL).
  TFileStream(StringView FileName, uint16_t Mode);
  // Writes pending output and closes the file. A failure of that last write cannot be reported
  // here: call Flush before when it matters.
  ~TFileStream() override;

  // Reads up to Count bytes; raises EInOutError when the host fails (for instance on a stream
  // opened with fmOpenWrite).
  int64_t Read(void* Buffer, int64_t Count) override;
  // Buffers the bytes, or writes them through when they are many; returns Count. Returns 0 (so
  // WriteBuffer raises EWriteError at once) on a stream opened with fmOpenRead and when the
  // bytes would end beyond the largest position. Raises EInOutError when the host fails to
  // write (pending output is then dropped).
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // The file's size, pending output included.
  int64_t Size() override;
  // Writes pending output, then cuts or extends the file.
  void SetSize(int64_t NewSize) override;

  // Writes pending output to the file.
  void Flush();

  const String& FileName() const noexcept { return FFileName; }

 private:
  void SyncPosition() noexcept;
  void SetWindowAtPosition() noexcept;
  void FlushOutput();
  void DropInput() noexcept;

  String FFileName;
  intptr_t FHandle = -1;
  bool FWritable = false;
  std::unique_ptr<uint8_t[]> FBuf;
  int64_t FBufStart = 0;  // file offset of FBuf[0]
  int64_t FInLen = 0;     // bytes of input in FBuf (0 when it holds none)
  int64_t FOutLen = 0;    // bytes of pending output in FBuf (0 when it holds none)
  int64_t FPos = 0;
};

}  // namespace xan
