// TRLEncoder: a streaming run-length encoder and decoder with the fixed lead-in byte 165, whose
// output is handed out in blocks of BufLeng bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/xanbase.h"

namespace xan {

// The decoder's state: reading plain bytes, just after a lead-in byte, or after its count.
enum TDecodeSt : uint8_t { rlData, rlLeadin, rlCnt };

// The encoded format: a sequence of items, without header or length. A byte other than the
// lead-in byte 165 ($A5) stands for itself; the triple 165, n, x stands for n copies of x
// (n = 0..255, 0 standing for nothing). Runs of one or two ordinary bytes stay literal; runs of
// three or more, and every occurrence of 165, become triples; a run longer than 255 becomes
// triples of 255 and one for the rest. An encoding ends with one triple (see Finish).
//   1 1 1 1 2 => 165 4 1 165 1 2      7 7 8 => 7 7 165 1 8      165 => 165 1 165
//   (nothing) => 165 0 0              x repeated 300 times => 165 255 x 165 45 x
//
// Use, encoding: feed the input in pieces to Encode; take the output with GetResult, a block of
// BufLeng bytes at a time, whenever Encode returns true (while GetResult returns true); end with
// Finish, which hands out the rest, and call it again as long as it returns BufLeng.
// Decoding: the same with Decode, one encoded byte at a time, ended by FinishDecode, which hands
// out the rest without adding anything. Reset before the next encoding or decoding.
//
// Pending output is held in a buffer that grows as needed, so no input, block size or calling
// pattern writes beyond it. It starts at 4 x BufLeng bytes; Encode makes room for three times
// the bytes of a piece (at most 64 KiB at a time), and blocks left pending keep their room.
// No change notification; Assign is the base one.
class XAN_EXPORT TRLEncoder : public TComponent {
 public:
  // BufLeng 256, a zeroed buffer of 1024 bytes, nothing pending, state rlData.
  // Throws EXANDStructError "Component \"<Name>\": not enough memory on heap" when the buffer
  // cannot be obtained.
  explicit TRLEncoder(TComponent* AOwner = nullptr);
  ~TRLEncoder() override;

  // The size of the blocks in which output is handed out.
  int32_t BufLeng() const noexcept { return FBufLeng; }
  // Sets the block size to n and gives the buffer 4 x n bytes (more if the pending output needs
  // them), zeroed beyond the pending output. Pending output and the coder's state are kept, so
  // it is best changed between encodings. Values below 1 and the current value change nothing.
  // Throws EXANDStructError "...: not enough memory on heap" (nothing changed) when the buffer
  // cannot be obtained.
  void SetBufLeng(int32_t n);

  // The lead-in byte that marks a run: 165.
  uint8_t LeadInByte() const noexcept { return FLeadInByte; }
  // The decoder's state: rlData between items.
  TDecodeSt DecodeState() const noexcept { return FDecodeSt; }
  // The number of output bytes waiting to be handed out.
  size_t PendingBytes() const noexcept { return FBufPoi; }

  // Encodes the first NumBytes bytes of InBuf (no more than InBuf holds; nothing for
  // NumBytes <= 0). True when at least BufLeng output bytes are pending.
  // Throws EXANDStructError "...: not enough memory on heap" when the buffer cannot grow.
  bool Encode(std::span<const uint8_t> InBuf, int32_t NumBytes);
  // The same for a caller's buffer, which must hold NumBytes bytes; a null InBuf encodes nothing.
  bool Encode(const uint8_t* InBuf, int32_t NumBytes);
  // Decodes one encoded byte. True when at least BufLeng output bytes are pending.
  // Throws EXANDStructError "...: not enough memory on heap" when the buffer cannot grow.
  bool Decode(uint8_t InByte);

  // When at least BufLeng bytes are pending: OutBuf becomes the first BufLeng of them, they are
  // removed, and the result is true. Otherwise false, with OutBuf untouched.
  bool GetResult(TBytes& OutBuf);

  // Ends an encoding: appends the triple 165, current run count, current run byte (also for a
  // count of 0, which decodes to nothing) and sets the count to 0. Then hands out a block: when
  // fewer than BufLeng bytes are pending, OutBuf becomes all of them, the buffer is emptied and
  // the result is their number; otherwise OutBuf becomes the first BufLeng bytes, which are
  // removed, and the result is BufLeng: call again for the rest. A call that follows one which
  // returned BufLeng only hands out the rest and appends no further triple, so the calls come to
  // an end for every BufLeng, 1 to 3 included. (After a call that returned less, the next call
  // ends a new, empty encoding with another triple.)
  // Not for decoding: its triple would add bytes to the decoded data.
  int32_t Finish(TBytes& OutBuf);
  // Ends a decoding: hands out a block exactly like Finish but appends nothing. Call it again as
  // long as it returns BufLeng. An encoded stream cut inside a triple leaves DecodeState() other
  // than rlData; the bytes of that last item are not produced.
  int32_t FinishDecode(TBytes& OutBuf);

  // Nothing pending, count 0, last byte 0, state rlData.
  void Reset() noexcept;

 private:
  // Makes room for `extra` more pending bytes after the pending ones.
  void EnsureRoom(size_t extra);
  uint8_t* PendingEnd() noexcept { return FBuffer.data() + FBufStart + FBufPoi; }
  // Moves `count` pending bytes into OutBuf (sized to them).
  void TakeOut(TBytes& OutBuf, size_t count);
  // The block handed out by Finish and FinishDecode.
  int32_t HandOut(TBytes& OutBuf);

  int32_t FBufLeng;
  TBytes FBuffer;
  // The pending output is FBuffer[FBufStart .. FBufStart + FBufPoi): blocks are taken from the
  // front without moving the rest each time.
  size_t FBufPoi;
  size_t FBufStart;
  // Finish returned BufLeng: the closing triple is appended, its rest still being handed out.
  bool FClosed;
  uint8_t FLeadInByte;
  TDecodeSt FDecodeSt;
  uint8_t FCount;
  uint8_t FLastB;
};

}  // namespace xan
