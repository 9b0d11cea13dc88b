// TBitFld and TByteMatrix: sizing, bit access, counting and listing, random filling on the
// shared generator, mirroring and logical combination.
#include "xan/dstruct/bitfield.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

#include "xan/platform/random.h"
#include "xan_dstruct/component_support.h"
#include "xan_dstruct/popcount.h"

namespace xan {

namespace {

// Combines a[i] with b[i] for every i, in place. The switch sits outside the loops so that each
// loop is plain enough to be vectorised; a and b may be the same bytes.
void CombineBytes(std::span<uint8_t> a, std::span<const uint8_t> b, TLogicOp op) noexcept {
  const size_t n = std::min(a.size(), b.size());
  uint8_t* x = a.data();
  const uint8_t* y = b.data();
  switch (op) {
    case loAND:
      for (size_t i = 0; i < n; ++i) x[i] &= y[i];
      break;
    case loOR:
      for (size_t i = 0; i < n; ++i) x[i] |= y[i];
      break;
    case loXOR:
      for (size_t i = 0; i < n; ++i) x[i] ^= y[i];
      break;
    case loANDNot:
      for (size_t i = 0; i < n; ++i) x[i] &= static_cast<uint8_t>(~y[i]);
      break;
    case loORNot:
      for (size_t i = 0; i < n; ++i) x[i] |= static_cast<uint8_t>(~y[i]);
      break;
    case loXORNot:
      for (size_t i = 0; i < n; ++i) x[i] ^= static_cast<uint8_t>(~y[i]);
      break;
  }
}

// Rounds to the nearest integer, halves to the even neighbour, whatever the floating-point
// rounding mode of the thread.
double RoundHalfEven(double v) noexcept {
  const double f = std::floor(v);
  const double d = v - f;
  if (d > 0.5) return f + 1.0;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

// Storage bytes of a field with the highest index `size`.
size_t StorageBytes(int32_t size) noexcept {
  return static_cast<size_t>(size) / 8 + 2;
}

// The bits 0..size mod 8 of the byte that holds index `size`.
uint8_t LastByteMask(int32_t size) noexcept {
  return static_cast<uint8_t>((2U << (size % 8)) - 1U);
}

}  // namespace

// ================================================================================================
// TBitFld

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner), FSize(1000) {
  detail::GuardStorage(*this, detail::kNotEnoughMemory,
                       [&] { FBitArray.assign(StorageBytes(FSize), 0); });
}

TBitFld::~TBitFld() = default;

void TBitFld::SetSize(int32_t size) {
  if (size <= 0 || size == FSize) return;
  const int32_t oldSize = FSize;
  detail::GuardStorage(*this, detail::kNotEnoughMemory,
                       [&] { FBitArray.resize(StorageBytes(size), 0); });
  FSize = size;
  if (size > oldSize) {
    // Bits past the old end that survived in the kept bytes become part of the field: clear
    // them, so that everything a growth adds reads false.
    const size_t last = static_cast<size_t>(oldSize) / 8;
    FBitArray[last] &= LastByteMask(oldSize);
    const size_t keptEnd = std::min(StorageBytes(oldSize), FBitArray.size());
    std::fill(FBitArray.begin() + static_cast<ptrdiff_t>(last) + 1,
              FBitArray.begin() + static_cast<ptrdiff_t>(keptEnd), uint8_t{0});
  }
}

bool TBitFld::GetBit(int32_t ix) const noexcept {
  if (ix < 0 || ix > FSize) return false;
  return (FBitArray[static_cast<size_t>(ix) / 8] >> (ix % 8) & 1U) != 0;
}

void TBitFld::SetBit(int32_t ix, bool value) noexcept {
  if (ix < 0 || ix > FSize) return;
  uint8_t& b = FBitArray[static_cast<size_t>(ix) / 8];
  const auto mask = static_cast<uint8_t>(1U << (ix % 8));
  b = value ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

void TBitFld::ToggleBit(int32_t ix) noexcept {
  if (ix < 0 || ix > FSize) return;
  FBitArray[static_cast<size_t>(ix) / 8] ^= static_cast<uint8_t>(1U << (ix % 8));
}

void TBitFld::Clear() noexcept {
  std::fill(FBitArray.begin(), FBitArray.end(), uint8_t{0});
}

void TBitFld::Invert() noexcept {
  const size_t n = static_cast<size_t>(FSize) / 8 + 1;
  for (size_t i = 0; i < n; ++i) FBitArray[i] = static_cast<uint8_t>(~FBitArray[i]);
}

int32_t TBitFld::CountTrueBits() const noexcept {
  const size_t last = static_cast<size_t>(FSize) / 8;
  const uint64_t n = detail::CountBits(FBitArray.data(), last) +
                     static_cast<uint64_t>(std::popcount(
                         static_cast<uint8_t>(FBitArray[last] & LastByteMask(FSize))));
  // Only a field of 2^31 bits, all set, holds more than the result type can say.
  return static_cast<int32_t>(std::min<uint64_t>(n, std::numeric_limits<int32_t>::max()));
}

int32_t TBitFld::FirstTrueBit() const noexcept {
  const size_t last = static_cast<size_t>(FSize) / 8;
  const uint8_t* p = FBitArray.data();
  size_t i = 0;
  // Skip zero words, then find the byte; byte order inside the word does not matter.
  for (; i + 8 <= last; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, sizeof w);
    if (w != 0) break;
  }
  for (; i <= last; ++i) {
    const uint8_t b = i == last ? static_cast<uint8_t>(p[i] & LastByteMask(FSize)) : p[i];
    if (b != 0) return static_cast<int32_t>(i * 8) + std::countr_zero(b);
  }
  return -1;
}

void TBitFld::MakeListOfBits(TIntArray& BitList, bool State) const {
  const int64_t set = CountTrueBits();
  const int64_t wanted = State ? set : static_cast<int64_t>(FSize) + 1 - set;
  TIntArray list;
  detail::GuardStorage(*this, detail::kNotEnoughMemory,
                       [&] { list.resize(static_cast<size_t>(wanted)); });
  const uint8_t flip = State ? 0 : 0xFF;
  const size_t last = static_cast<size_t>(FSize) / 8;
  size_t k = 0;
  for (size_t i = 0; i <= last && k < list.size(); ++i) {
    unsigned b = static_cast<uint8_t>(FBitArray[i] ^ flip);
    if (i == last) b &= LastByteMask(FSize);
    for (; b != 0 && k < list.size(); b &= b - 1) {
      list[k++] = static_cast<int32_t>(i * 8) + std::countr_zero(b);
    }
  }
  BitList.swap(list);
}

void TBitFld::RandomFill(double Percent) {
  if (std::isnan(Percent)) Percent = 0.0;
  Percent = std::clamp(Percent, 0.0, 100.0);
  SetRandBitsIntern(
      static_cast<int64_t>(RoundHalfEven(Percent * 0.01 * (static_cast<double>(FSize) + 1.0))));
}

void TBitFld::RandomFill(int32_t NBits) {
  SetRandBitsIntern(std::clamp<int64_t>(NBits, 0, static_cast<int64_t>(FSize) + 1));
}

void TBitFld::SetRandBitsIntern(int64_t n) noexcept {
  const int64_t total = static_cast<int64_t>(FSize) + 1;
  n = std::clamp<int64_t>(n, 0, total);
  TRandomGenerator& rng = SharedRandom();
  const auto draw = [&] {
    return static_cast<int32_t>(RoundHalfEven(rng.Uniform() * static_cast<double>(FSize)));
  };
  if (n > FSize / 2) {
    std::fill(FBitArray.begin(), FBitArray.end(), uint8_t{0xFF});
    for (int64_t cleared = 0; cleared < total - n;) {
      const int32_t ix = draw();
      if (GetBit(ix)) {
        SetBit(ix, false);
        ++cleared;
      }
    }
  } else {
    Clear();
    for (int64_t set = 0; set < n;) {
      const int32_t ix = draw();
      if (!GetBit(ix)) {
        SetBit(ix, true);
        ++set;
      }
    }
  }
}

void TBitFld::CombineWith(const TBitFld* SecondBArray, TLogicOp Operation) noexcept {
  if (SecondBArray == nullptr || SecondBArray->FSize != FSize) return;
  const size_t n = static_cast<size_t>(FSize) / 8 + 1;
  CombineBytes(std::span(FBitArray).first(n), std::span(SecondBArray->FBitArray).first(n),
               Operation);
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr || Source == this) return;
  SetSize(Source->FSize);
  std::copy(Source->FBitArray.begin(), Source->FBitArray.end(), FBitArray.begin());
}

void TBitFld::Assign(const TPersistent& Source) {
  if (const auto* src = dynamic_cast<const TBitFld*>(&Source)) {
    if (src == this) return;
    TBytes bits =
        detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] { return src->FBitArray; });
    FBitArray.swap(bits);
    FSize = src->FSize;
    return;
  }
  TPersistent::Assign(Source);
}

void TBitFld::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

// ================================================================================================
// TByteMatrix

TByteMatrix::TByteMatrix(TComponent* AOwner)
    : TComponent(AOwner), FNrCols(1), FNrRows(1), FDefaultVal(0) {
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] { FByteMat.assign(1, TBytes(1, 0)); });
}

TByteMatrix::~TByteMatrix() = default;

void TByteMatrix::SetNrCols(int32_t n) {
  Resize(std::max(n, 1), FNrRows);
}

void TByteMatrix::SetNrRows(int32_t n) {
  Resize(FNrCols, std::max(n, 1));
}

bool TByteMatrix::Resize(int32_t NrColumns, int32_t NrRows) {
  if (NrColumns < 1 || NrRows < 1 || (NrColumns == FNrCols && NrRows == FNrRows)) return false;
  // Built aside, so that a failed allocation leaves the matrix as it was.
  std::vector<TBytes> mat = detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    std::vector<TBytes> m(static_cast<size_t>(NrColumns));
    const size_t rows = static_cast<size_t>(NrRows);
    const size_t kept = std::min(rows, static_cast<size_t>(FNrRows));
    for (size_t c = 0; c < m.size(); ++c) {
      m[c].assign(rows, 0);
      if (c < FByteMat.size()) std::copy_n(FByteMat[c].begin(), kept, m[c].begin());
    }
    return m;
  });
  FByteMat.swap(mat);
  FNrCols = NrColumns;
  FNrRows = NrRows;
  Changed();
  return true;
}

uint8_t TByteMatrix::GetByte(int32_t ix, int32_t iy) const noexcept {
  if (!Inside(ix, iy)) return FDefaultVal;
  return FByteMat[static_cast<size_t>(ix - 1)][static_cast<size_t>(iy - 1)];
}

void TByteMatrix::SetByte(int32_t ix, int32_t iy, uint8_t value) {
  if (!Inside(ix, iy)) return;
  Cell(ix, iy) = value;
  Changed();
}

bool TByteMatrix::GetBit(int32_t ix, int32_t iy, int32_t ixBit) const noexcept {
  if (ixBit < 0 || ixBit > 7) return false;
  return (GetByte(ix, iy) >> ixBit & 1U) != 0;
}

void TByteMatrix::SetBit(int32_t ix, int32_t iy, int32_t ixBit, bool value) {
  if (!Inside(ix, iy) || ixBit < 0 || ixBit > 7) return;
  uint8_t& b = Cell(ix, iy);
  const auto mask = static_cast<uint8_t>(1U << ixBit);
  b = value ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
  Changed();
}

void TByteMatrix::ToggleBit(int32_t col, int32_t row, int32_t ixBit) {
  if (!Inside(col, row) || ixBit < 0 || ixBit > 7) return;
  Cell(col, row) ^= static_cast<uint8_t>(1U << ixBit);
  Changed();
}

void TByteMatrix::Fill(uint8_t value) {
  for (TBytes& column : FByteMat) std::fill(column.begin(), column.end(), value);
  Changed();
}

void TByteMatrix::MirrorColumns() {
  std::reverse(FByteMat.begin(), FByteMat.end());
  Changed();
}

void TByteMatrix::MirrorRows() {
  for (TBytes& column : FByteMat) std::reverse(column.begin(), column.end());
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix* SecondByteMatrix, TLogicOp Operation) noexcept {
  if (SecondByteMatrix == nullptr || SecondByteMatrix->FNrCols != FNrCols ||
      SecondByteMatrix->FNrRows != FNrRows) {
    return;
  }
  for (size_t c = 0; c < FByteMat.size(); ++c) {
    CombineBytes(FByteMat[c], SecondByteMatrix->FByteMat[c], Operation);
  }
}

void TByteMatrix::Assign(const TPersistent& Source) {
  if (const auto* src = dynamic_cast<const TByteMatrix*>(&Source)) {
    if (src == this) return;
    std::vector<TBytes> mat =
        detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] { return src->FByteMat; });
    TNotifyEvent onChange = src->FOnChange;
    FByteMat.swap(mat);
    FNrCols = src->FNrCols;
    FNrRows = src->FNrRows;
    FDefaultVal = src->FDefaultVal;
    FOnChange.swap(onChange);
    return;
  }
  TPersistent::Assign(Source);
}

void TByteMatrix::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

void TByteMatrix::Changed() {
  if (FOnChange) FOnChange(this);
}

}  // namespace xan
