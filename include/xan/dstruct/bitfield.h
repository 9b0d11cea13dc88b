// Bit field and byte matrix: TBitFld, a resizable field of indexed bits, and TByteMatrix, a
// resizable matrix of bytes read and written whole or bit by bit; both combine with TLogicOp.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/xanbase.h"

namespace xan {

// ================================================================================================
// Logical combination

// How a value a of an object combines with the corresponding value b of another, bit by bit:
// a AND b, a OR b, a XOR b, a AND NOT b, a OR NOT b, a XOR NOT b.
enum TLogicOp : uint8_t { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };

// ================================================================================================
// TBitFld

// A field of Size + 1 bits, indexed 0..Size. Bit ix is bit ix mod 8 (of value 2^(ix mod 8)) of
// storage byte ix div 8; the storage always holds Size div 8 + 2 bytes. Indices outside 0..Size
// read false and are ignored by writes. A bit field has no change notification.
//
// The storage may hold set bits beyond index Size (Invert, CombineWith and RandomFill work on
// whole bytes). They are never counted, listed or read, and SetSize clears them before it makes
// them part of the field, so bits that a growth adds always read false.
class XAN_EXPORT TBitFld : public TComponent {
 public:
  // A field of Size 1000 (1001 bits), all clear.
  // Throws EXANDStructError "Component \"<Name>\": not enough memory on heap" when the storage
  // cannot be obtained.
  explicit TBitFld(TComponent* AOwner = nullptr);
  ~TBitFld() override;

  // The highest valid bit index.
  int32_t Size() const noexcept { return FSize; }

  // Resizes the field to the indices 0..size, keeping the bits 0..min(old, new Size). Sizes
  // below 1 and the current size change nothing. Bits that growth adds read false.
  // Throws EXANDStructError "...: not enough memory on heap" (the field stays unchanged) when the
  // larger storage cannot be obtained.
  void SetSize(int32_t size);

  // Bit ix; false for ix outside 0..Size.
  bool GetBit(int32_t ix) const noexcept;
  // Sets (value true) or clears bit ix; nothing for ix outside 0..Size.
  void SetBit(int32_t ix, bool value) noexcept;
  // Inverts bit ix; nothing for ix outside 0..Size.
  void ToggleBit(int32_t ix) noexcept;
  // The same as GetBit.
  bool Bit(int32_t ix) const noexcept { return GetBit(ix); }

  // Clears every storage byte.
  void Clear() noexcept;
  // Inverts the storage bytes 0..Size div 8: every bit of the field flips.
  void Invert() noexcept;

  // The number of set bits among 0..Size. Counts a machine word at a time, with the processor's
  // population count instruction where it has one.
  int32_t CountTrueBits() const noexcept;
  // The lowest index in 0..Size whose bit is set; -1 when none is.
  int32_t FirstTrueBit() const noexcept;
  // BitList becomes the ascending list of the indices in 0..Size whose bit equals State, with
  // exactly that many entries (empty when there is none).
  void MakeListOfBits(TIntArray& BitList, bool State) const;

  // Sets Percent % of the field's Size + 1 bits at random positions and clears the others:
  // n := Percent * 0.01 * (Size + 1), rounded half to even, then SetRandBitsIntern(n). Percent is
  // limited to 0..100; NaN counts as 0. 0 clears every bit, 100 sets every bit.
  //   Size 1000: 50.0 => 500 bits set, 75.0 => 751, 250.0 => 1001, -3.0 => 0
  void RandomFill(double Percent);
  // Sets exactly NBits bits at random positions and clears the others. NBits is limited to
  // 0..Size + 1, the number of bits in the field.
  void RandomFill(int32_t NBits);

  // Each storage byte 0..Size div 8 becomes its combination with the same byte of
  // SecondBArray. Nothing when SecondBArray is missing or its Size differs.
  //   a.CombineWith(&a, loANDNot) => all clear;  a.CombineWith(&a, loXORNot) => all set
  void CombineWith(const TBitFld* SecondBArray, TLogicOp Operation) noexcept;
  void CombineWith(const TBitFld& SecondBArray, TLogicOp Operation) noexcept {
    CombineWith(&SecondBArray, Operation);
  }

  // SetSize(Source.Size), then a copy of all of Source's storage. Nothing when Source is missing.
  void Clone(const TBitFld* Source);
  void Clone(const TBitFld& Source) { Clone(&Source); }

  // From another TBitFld (or a descendant): its Size and all its storage. Other sources as for
  // every TPersistent.
  void Assign(const TPersistent& Source) override;
  void AssignTo(TPersistent& Dest) const override;

 protected:
  // Fills the storage so that exactly n of the bits 0..Size are set, n limited to 0..Size + 1.
  // Works from the side that needs fewer draws from the shared random generator: for
  // n > Size div 2 it sets every storage byte to 255 and clears Size + 1 - n bits, otherwise it
  // clears every storage byte and sets n bits. Each step draws r in [0, 1) and takes the index
  // r * Size rounded half to even; an index already on the wanted side is drawn again.
  void SetRandBitsIntern(int64_t n) noexcept;

 private:
  int32_t FSize;
  TBytes FBitArray;
};

// ================================================================================================
// TByteMatrix

// A matrix of NrOfColumns x NrOfRows bytes (each count at least 1), columns and rows counting
// from 1; byte (ix, iy) is also addressed bit by bit, bit 0 the least significant. Reads outside
// the matrix give DefaultValue (or its bits), writes outside it do nothing.
// Every change of content fires OnChange once, except CombineWith and Assign.
class XAN_EXPORT TByteMatrix : public TComponent {
 public:
  // A 1 x 1 matrix holding 0, DefaultValue 0, no callback.
  // Throws EXANDStructError "Component \"<Name>\": not enough memory on heap" when the storage
  // cannot be obtained.
  explicit TByteMatrix(TComponent* AOwner = nullptr);
  ~TByteMatrix() override;

  int32_t NrOfColumns() const noexcept { return FNrCols; }
  int32_t NrOfRows() const noexcept { return FNrRows; }
  // Resize(max(n, 1), NrOfRows).
  void SetNrCols(int32_t n);
  // Resize(NrOfColumns, max(n, 1)).
  void SetNrRows(int32_t n);

  // Resizes to NrColumns x NrRows and notifies. Bytes within both the old and the new bounds
  // keep their values, new bytes are 0 (not DefaultValue). False, with nothing changed and no
  // notification, when the size equals the current one or either count is below 1.
  // Throws EXANDStructError "...: not enough memory on heap" (the matrix stays unchanged) when
  // the storage cannot be obtained.
  bool Resize(int32_t NrColumns, int32_t NrRows);

  // What reads outside the matrix return. Setting it does not notify.
  uint8_t DefaultValue() const noexcept { return FDefaultVal; }
  void SetDefaultValue(uint8_t value) noexcept { FDefaultVal = value; }

  // Byte (ix, iy); DefaultValue outside the matrix.
  uint8_t GetByte(int32_t ix, int32_t iy) const noexcept;
  // Stores value at (ix, iy) and notifies; nothing outside the matrix.
  void SetByte(int32_t ix, int32_t iy, uint8_t value);
  // The same as GetByte.
  uint8_t Byte(int32_t ix, int32_t iy) const noexcept { return GetByte(ix, iy); }

  // Bit ixBit of GetByte(ix, iy), so a bit of DefaultValue outside the matrix; false for ixBit
  // outside 0..7.
  bool GetBit(int32_t ix, int32_t iy, int32_t ixBit) const noexcept;
  // Sets or clears a bit of byte (ix, iy) and notifies; nothing outside the matrix or for ixBit
  // outside 0..7.
  void SetBit(int32_t ix, int32_t iy, int32_t ixBit, bool value);
  // Inverts a bit of byte (col, row) and notifies; the same limits as SetBit.
  void ToggleBit(int32_t col, int32_t row, int32_t ixBit);
  // The same as GetBit.
  bool Bit(int32_t ix, int32_t iy, int32_t ixBit) const noexcept { return GetBit(ix, iy, ixBit); }

  // Every byte := value; notifies.
  void Fill(uint8_t value);
  // Column i and column NrOfColumns + 1 - i exchange their bytes; notifies (also for a single
  // column).  Columns 1, 2, 3 holding 1, 2, 3 => 3, 2, 1
  void MirrorColumns();
  // Row i and row NrOfRows + 1 - i exchange their bytes in every column; notifies.
  void MirrorRows();

  // Every byte becomes its combination with the same byte of SecondByteMatrix. Nothing when
  // SecondByteMatrix is missing or its column or row count differs. Does not notify.
  void CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation) noexcept;
  void CombineWith(const TByteMatrix& SecondByteMatrix, TLogicOp Operation) noexcept {
    CombineWith(&SecondByteMatrix, Operation);
  }

  // From another TByteMatrix (or a descendant): counts, DefaultValue, all bytes and the OnChange
  // callback, without notification. Other sources as for every TPersistent.
  // Throws EXANDStructError "...: not enough memory on heap" when the storage cannot be obtained.
  void Assign(const TPersistent& Source) override;
  void AssignTo(TPersistent& Dest) const override;

  // The change notification; calls OnChange(this) when a callback is set.
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
  void Changed();

 private:
  bool Inside(int32_t ix, int32_t iy) const noexcept {
    return ix >= 1 && ix <= FNrCols && iy >= 1 && iy <= FNrRows;
  }
  uint8_t& Cell(int32_t ix, int32_t iy) noexcept {
    return FByteMat[static_cast<size_t>(ix - 1)][static_cast<size_t>(iy - 1)];
  }

  int32_t FNrCols;
  int32_t FNrRows;
  std::vector<TBytes> FByteMat;
  TNotifyEvent FOnChange;
  uint8_t FDefaultVal;
};

}  // namespace xan
