// TFifo: a byte FIFO in a ring of fixed length, which holds up to Size - 1 bytes and can also
// peek at, and put back, bytes at its output end.
#pragma once

#include <cstdint>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/xanbase.h"

namespace xan {

// A ring of Size bytes (256 at creation). Bytes are put in at the input end and taken out at
// the output end, oldest first. One slot always stays free: the FIFO is empty when both ends
// meet and full when it holds Size - 1 bytes. No change notification; Assign is the base one.
class XAN_EXPORT TFifo : public TComponent {
 public:
  // An empty FIFO of Size 256.
  // Throws EXANDStructError "Component \"<Name>\": FIFO structure too large" when the ring
  // cannot be obtained.
  explicit TFifo(TComponent* AOwner = nullptr);
  ~TFifo() override;

  // The length of the ring; the FIFO holds up to Size - 1 bytes.
  int32_t Size() const noexcept { return FLength; }

  // Gives the ring `length` bytes. The bytes held stay in order, as many of the oldest as the
  // new ring holds (length - 1); the others are dropped. Lengths below 1 and the current length
  // change nothing. A ring of 1 byte holds nothing.
  // Throws EXANDStructError "...: FIFO structure too large" (the FIFO stays unchanged) when the
  // ring cannot be obtained.
  void SetSize(int32_t length);

  // Puts InByte in at the input end. False, with nothing stored, when the FIFO is full.
  bool PutByte(uint8_t InByte) noexcept;
  // Puts InByte in at the input end, dropping the oldest byte first when the FIFO is full.
  // True when a byte was dropped, false otherwise. A FIFO of Size 1 cannot hold InByte: it is
  // dropped itself and the result is true.
  bool ForceByte(uint8_t InByte) noexcept;
  // Takes the oldest byte out into OutByte. False, with OutByte unchanged, when empty.
  bool GetByte(uint8_t& OutByte) noexcept;
  // Reads the byte at position ix from the output end (0 = the oldest) into OutByte without
  // taking it out. False, with OutByte unchanged, for ix outside 0..CountBytes - 1.
  bool SenseByte(int32_t ix, uint8_t& OutByte) const noexcept;
  // Puts InByte back at the output end, so that the next GetByte returns it. False, with
  // nothing changed, when the FIFO is full.
  bool LoadBack(uint8_t InByte) noexcept;
  // The number of bytes held: (input index - output index) modulo Size.
  int32_t CountBytes() const noexcept;
  // Empties the FIFO.
  void Clear() noexcept;

 private:
  int32_t Advance(int32_t poi) const noexcept { return poi + 1 == FLength ? 0 : poi + 1; }
  bool Full() const noexcept { return CountBytes() == FLength - 1; }

  int32_t FInPoi;
  int32_t FOutPoi;
  int32_t FLength;
  TBytes FData;
};

}  // namespace xan
