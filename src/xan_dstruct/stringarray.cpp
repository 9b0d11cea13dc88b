// TStringArray: construction and copying, the string pool, dimensions, rows and columns, cells,
// attributes, garbage collection and the numeric readings.
#include "xan/dstruct/stringarray.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/simple_text.h"
#include "xan_dstruct/component_support.h"
#include "xan_dstruct/stringarray_internal.h"

namespace xan {

namespace {

constexpr int32_t kBlockSize = 32768;

[[noreturn]] void RaiseOutOfMemory() {
  throw EXANDStructError(u"Class TStringArray: out of memory");
}

// Makes room for n elements, growing the capacity at least geometrically so that a table grown
// row by row is not copied at every step.
template <class V>
void Grow(V& v, size_t n) {
  if (n > v.capacity()) v.reserve(std::max(n, 2 * v.capacity()));
}

// Gives memory back after the allocation shrank well below the capacity.
template <class V>
void ShrinkIfLoose(V& v) noexcept {
  if (v.capacity() <= 2 * v.size() + 64) return;
  try {
    v.shrink_to_fit();
  } catch (...) {  // NOLINT(bugprone-empty-catch): keeping the larger buffer is fine
  }
}

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// Parses an optional sign, digits with an optional "." (at least one digit in all) and an
// optional exponent, the whole text. A value too large for a double fails; one too small reads
// as zero.
bool ParseDecimal(std::string_view text, double& value) noexcept {
  const size_t n = text.size();
  size_t i = 0;
  const bool negative = n > 0 && text[0] == '-';
  if (n > 0 && (text[0] == '+' || text[0] == '-')) ++i;
  const size_t start = i;
  size_t intDigits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++intDigits;
  size_t fracDigits = 0;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  const size_t mantissaEnd = i;
  int64_t exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool expNegative = i < n && text[i] == '-';
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && IsDigit(text[i])) {
      if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
      ++i, ++expDigits;
    }
    if (expDigits == 0) return false;
    if (expNegative) exponent = -exponent;
  }
  if (i != n) return false;
  double v = 0;
  const auto [ptr, ec] =
      std::from_chars(text.data() + start, text.data() + n, v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Overflow or underflow: the decimal exponent of the first significant digit tells which.
    int64_t digit = 0;
    for (size_t k = start; k < mantissaEnd; ++k) {
      if (text[k] == '.') continue;
      if (text[k] != '0') {
        const int64_t lead = static_cast<int64_t>(intDigits) - 1 - digit;
        if (lead + exponent > 0) return false;
        break;
      }
      ++digit;
    }
    v = 0;
  } else if (ec != std::errc() || ptr != text.data() + n) {
    return false;
  }
  value = negative ? -v : v;
  return true;
}

bool AllBlanks(std::string_view s) noexcept {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

}  // namespace

namespace stringarray_detail {

const TKeyTables& KeyTables() noexcept {
  static const TKeyTables tables = [] {
    TKeyTables t{};
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<uint8_t>(b);
      t.Code[b] = AnsiToChar(byte);
      t.LowerByte[b] = detail::SimpleLower(byte);
      t.LowerCode[b] = AnsiToChar(t.LowerByte[b]);
    }
    for (int b = 0; b < 256; ++b) {
      int rank = 0;  // the number of distinct lower-cased codes below this one
      for (int o = 0; o < 256; ++o) {
        if (t.LowerCode[o] < t.LowerCode[b] && t.LowerByte[o] == o) ++rank;
      }
      t.LowerRank[b] = static_cast<uint8_t>(rank);
    }
    return t;
  }();
  return tables;
}

}  // namespace stringarray_detail

// ================================================================================================
// Construction and copying

TStringArray::TStringArray(TComponent* AOwner)
    : TComponent(AOwner), FNCol(1), FNRow(1), FAllocRowsBy(10), FRAllocated(10), FNumPoolAddr(1) {
  try {
    FFirstFree.assign(1, 1);
    FPoiArray.assign(2, std::vector<uint32_t>(10, 0));
    FSortIx.resize(10);
    ResetSortIndex();
    FStgPool.push_back(std::make_unique<TStringPool>());
    FRowAttrib.assign(10, 0);
    FColAttrib.assign(1, 0);
  } catch (const std::bad_alloc&) {
    throw EXANDStructError(u"Class TStringArray: failed to initialize (out of memory)");
  }
}

TStringArray::~TStringArray() = default;

void TStringArray::Assign(const TPersistent& Source) {
  const auto* src = dynamic_cast<const TStringArray*>(&Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  // Everything is copied first, so that a failed allocation leaves the table as it was.
  std::vector<std::unique_ptr<TStringPool>> pool;
  std::vector<int32_t> firstFree;
  std::vector<std::vector<uint32_t>> poi;
  std::vector<int32_t> sortIx;
  TBytes rowAttrib;
  TBytes colAttrib;
  TNotifyEvent onChange;
  TBeforeSortExchgEvent onBefSortExc;
  TOnPercentDoneEvent onPercentDone;
  try {
    pool.reserve(src->FStgPool.size());
    for (const auto& block : src->FStgPool) pool.push_back(std::make_unique<TStringPool>(*block));
    firstFree = src->FFirstFree;
    poi = src->FPoiArray;
    sortIx = src->FSortIx;
    rowAttrib = src->FRowAttrib;
    colAttrib = src->FColAttrib;
    onChange = src->FOnChange;
    onBefSortExc = src->FOnBefSortExc;
    onPercentDone = src->FOnPercentDone;
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FAllocRowsBy = src->FAllocRowsBy;
  FRAllocated = src->FRAllocated;
  FNumPoolAddr = src->FNumPoolAddr;
  FFirstFree.swap(firstFree);
  FPoiArray.swap(poi);
  FSortIx.swap(sortIx);
  FStgPool.swap(pool);
  FRowAttrib.swap(rowAttrib);
  FColAttrib.swap(colAttrib);
  FOnChange.swap(onChange);
  FOnBefSortExc.swap(onBefSortExc);
  FOnPercentDone.swap(onPercentDone);
  ForgetFreeBlocks();
}

void TStringArray::AssignTo(TPersistent& Dest) const {
  detail::AssignToSameClass(*this, Dest);
}

void TStringArray::TakeContent(TStringArray& Other) noexcept {
  std::swap(FNCol, Other.FNCol);
  std::swap(FNRow, Other.FNRow);
  std::swap(FAllocRowsBy, Other.FAllocRowsBy);
  std::swap(FRAllocated, Other.FRAllocated);
  std::swap(FNumPoolAddr, Other.FNumPoolAddr);
  FFirstFree.swap(Other.FFirstFree);
  FPoiArray.swap(Other.FPoiArray);
  FSortIx.swap(Other.FSortIx);
  FStgPool.swap(Other.FStgPool);
  FRowAttrib.swap(Other.FRowAttrib);
  FColAttrib.swap(Other.FColAttrib);
  ForgetFreeBlocks();
  Other.ForgetFreeBlocks();
}

void TStringArray::Changed() {
  if (FOnChange) FOnChange(this);
}

void TStringArray::NotifyTimes(int64_t Count) {
  for (int64_t i = 0; i < Count && FOnChange; ++i) Changed();
}

// ================================================================================================
// The string pool

std::string_view TStringArray::RefBytes(uint32_t ref) const noexcept {
  if (ref == 0) return {};
  const uint8_t* p = FStgPool[(ref >> 16) - 1]->data() + ((ref & 0xFFFF) - 1);
  return {reinterpret_cast<const char*>(p + 1), *p};
}

std::string_view TStringArray::CellBytes(int32_t c, int32_t r) const noexcept {
  if (!ValidCol(c) || !ValidRow(r)) return {};
  return RefBytes(Ref(c, FSortIx[r - 1]));
}

void TStringArray::ForgetFreeBlocks() noexcept {
  FFitFrom.fill(0);
}

void TStringArray::StoreCell(uint32_t& ref, std::string_view bytes) {
  const auto len = static_cast<uint8_t>(std::min<size_t>(bytes.size(), ShortString::MaxLength));
  if (ref != 0) {
    uint8_t* p = FStgPool[(ref >> 16) - 1]->data() + ((ref & 0xFFFF) - 1);
    if (*p >= len) {
      *p = len;
      std::memmove(p + 1, bytes.data(), len);
      return;
    }
  }
  ref = AppendToPool(bytes.substr(0, len));
}

uint32_t TStringArray::AppendToPool(std::string_view bytes) {
  const auto len = static_cast<int32_t>(bytes.size());
  // The first block whose first free position f leaves room for the length byte and the
  // characters before the block's last byte: 32768 - f > len.
  int32_t k = FFitFrom[static_cast<size_t>(len)];
  while (k < FNumPoolAddr && kBlockSize - FFirstFree[static_cast<size_t>(k)] <= len) ++k;
  FFitFrom[static_cast<size_t>(len)] = k;
  if (k == FNumPoolAddr) {
    if (FNumPoolAddr >= std::min(PoolBlockLimit(), MaxPoolBlocks)) {
      throw EXANDStructError(u"Class TStringArray: string pool full");
    }
    try {
      Grow(FFirstFree, FFirstFree.size() + 1);
      Grow(FStgPool, FStgPool.size() + 1);
      FStgPool.push_back(std::make_unique<TStringPool>());
    } catch (const std::bad_alloc&) {
      RaiseOutOfMemory();
    }
    FFirstFree.push_back(1);
    ++FNumPoolAddr;
  }
  const int32_t f = FFirstFree[static_cast<size_t>(k)];
  uint8_t* p = FStgPool[static_cast<size_t>(k)]->data() + (f - 1);
  *p = static_cast<uint8_t>(len);
  std::memcpy(p + 1, bytes.data(), bytes.size());
  FFirstFree[static_cast<size_t>(k)] = f + len + 1;
  return (static_cast<uint32_t>(k + 1) << 16) | static_cast<uint32_t>(f);
}

void TStringArray::GarbageCollection() {
  // The references of each block, gathered block by block and ordered by position, so that each
  // block is compacted in place: a string only ever moves towards the block's start.
  std::vector<size_t> start;
  std::vector<uint32_t*> refs;
  std::vector<size_t> next;
  try {
    start.assign(static_cast<size_t>(FNumPoolAddr) + 1, 0);
    size_t total = 0;
    for (const auto& col : FPoiArray) {
      for (int32_t p = 0; p < FNRow; ++p) {
        if (const uint32_t ref = col[static_cast<size_t>(p)]; ref != 0) {
          ++start[(ref >> 16) - 1];
          ++total;
        }
      }
    }
    refs.resize(total);
    size_t sum = 0;
    for (size_t& s : start) sum += std::exchange(s, sum);
    next.assign(start.begin(), start.end() - 1);
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
  for (auto& col : FPoiArray) {
    for (int32_t p = 0; p < FNRow; ++p) {
      uint32_t& ref = col[static_cast<size_t>(p)];
      if (ref != 0) refs[next[(ref >> 16) - 1]++] = &ref;
    }
  }
  for (int32_t j = 0; j < FNumPoolAddr; ++j) {
    const auto first = refs.begin() + static_cast<ptrdiff_t>(start[static_cast<size_t>(j)]);
    const auto last = refs.begin() + static_cast<ptrdiff_t>(start[static_cast<size_t>(j) + 1]);
    std::sort(first, last, [](const uint32_t* a, const uint32_t* b) { return *a < *b; });
    uint8_t* block = FStgPool[static_cast<size_t>(j)]->data();
    const uint32_t high = static_cast<uint32_t>(j + 1) << 16;
    uint32_t n = 1;
    uint32_t oldPos = 0;
    uint32_t newPos = 0;
    for (auto it = first; it != last; ++it) {
      const uint32_t pos = **it & 0xFFFF;
      if (pos != oldPos) {  // a string shared by several references is kept once
        const uint32_t len = block[pos - 1];
        std::memmove(block + (n - 1), block + (pos - 1), len + 1);
        oldPos = pos;
        newPos = n;
        n += len + 1;
      }
      **it = high | newPos;
    }
    std::fill(block + (n - 1), block + kBlockSize, uint8_t{0});
    FFirstFree[static_cast<size_t>(j)] = static_cast<int32_t>(n);
  }
  ForgetFreeBlocks();
}

// ================================================================================================
// Dimensions

bool TStringArray::Reshape(int32_t Nc, int32_t Nr) noexcept {
  const bool realloc = Nc != FNCol || Nr > FRAllocated;
  int64_t alloc64 = FRAllocated;
  if (realloc) {
    const int64_t step = FAllocRowsBy;
    alloc64 = std::min<int64_t>(step * ((Nr - 1) / step + 1), INT32_MAX);
  }
  const auto alloc = static_cast<size_t>(alloc64);
  const size_t oldCols = FPoiArray.size();
  const size_t newCols = static_cast<size_t>(Nc) + 1;
  const size_t keptCols = std::min(oldCols, newCols);
  // First everything that may fail to allocate; nothing has changed until all of it succeeded.
  std::vector<std::vector<uint32_t>> added;
  try {
    if (newCols > oldCols) {
      Grow(FPoiArray, newCols);
      added.reserve(newCols - oldCols);
      for (size_t c = oldCols; c < newCols; ++c) added.emplace_back(alloc, 0u);
    }
    for (size_t c = 0; c < keptCols; ++c) Grow(FPoiArray[c], alloc);
    Grow(FSortIx, alloc);
    Grow(FRowAttrib, alloc);
    Grow(FColAttrib, static_cast<size_t>(Nc));
  } catch (const std::exception&) {  // std::bad_alloc, std::length_error
    return false;
  }
  // Rows that leave the table are emptied; rows beyond the old count are empty already.
  const auto keptRows = static_cast<size_t>(std::min(FNRow, Nr));
  const size_t clearEnd = std::min(static_cast<size_t>(FNRow), alloc);
  FPoiArray.resize(keptCols);
  for (auto& col : FPoiArray) {
    col.resize(alloc, 0);
    if (keptRows < clearEnd) std::fill(col.begin() + keptRows, col.begin() + clearEnd, 0u);
  }
  for (auto& col : added) FPoiArray.push_back(std::move(col));
  const size_t oldIx = FSortIx.size();
  FSortIx.resize(alloc);
  for (size_t i = oldIx; i < alloc; ++i) FSortIx[i] = static_cast<int32_t>(i + 1);
  FRowAttrib.resize(alloc, 0);
  if (keptRows < clearEnd)
    std::fill(FRowAttrib.begin() + keptRows, FRowAttrib.begin() + clearEnd, 0);
  FColAttrib.resize(static_cast<size_t>(Nc), 0);
  if (realloc) {
    for (auto& col : FPoiArray) ShrinkIfLoose(col);
    ShrinkIfLoose(FSortIx);
    ShrinkIfLoose(FRowAttrib);
    ShrinkIfLoose(FColAttrib);
  }
  FNCol = Nc;
  FNRow = Nr;
  FRAllocated = static_cast<int32_t>(alloc);
  return true;
}

void TStringArray::ResetSortIndex() noexcept {
  for (size_t i = 0; i < FSortIx.size(); ++i) FSortIx[i] = static_cast<int32_t>(i + 1);
}

bool TStringArray::Resize(int32_t Nc, int32_t Nr) {
  if (Nc == FNCol && Nr == FNRow) return true;
  if (Nc < 1 || Nr < 1) return false;
  if (!Reshape(Nc, Nr)) return false;
  ResetSortIndex();
  Changed();
  return true;
}

void TStringArray::SetNrOfColumns(int32_t Value) {
  Resize(Value, FNRow);
}

void TStringArray::SetNrOfRows(int32_t Value) {
  Resize(FNCol, Value);
}

int32_t TStringArray::AddRow() {
  if (FNRow < INT32_MAX) Resize(FNCol, FNRow + 1);
  return FNRow;
}

template <class F>
bool TStringArray::AddRowTextsOf(size_t n, F text, int32_t FirstColumn) {
  if (FirstColumn < 0 || FirstColumn > FNCol) FirstColumn = 1;
  const int32_t rows = FNRow;
  if (AddRow() == rows) return false;
  const int64_t lastColumn = FirstColumn + static_cast<int64_t>(n) - 1;
  if (lastColumn > FNCol && lastColumn <= INT32_MAX)
    SetNrOfColumns(static_cast<int32_t>(lastColumn));
  bool whole = true;
  for (size_t k = 0; k < n; ++k) {
    const int64_t c = FirstColumn + static_cast<int64_t>(k);
    const StringView t = text(k);
    if (c > FNCol) return false;
    const ShortString cell(t);
    whole = whole && cell.ToString() == t;
    SetString(static_cast<int32_t>(c), FNRow, cell);
  }
  return whole;
}

bool TStringArray::AddRowTexts(std::initializer_list<StringView> Texts, int32_t FirstColumn) {
  return AddRowTextsOf(
      Texts.size(), [&](size_t k) { return Texts.begin()[k]; }, FirstColumn);
}

bool TStringArray::AddRowTexts(std::span<const String> Texts, int32_t FirstColumn) {
  return AddRowTextsOf(
      Texts.size(), [&](size_t k) { return StringView(Texts[k]); }, FirstColumn);
}

void TStringArray::InsertRow(int32_t r) {
  if (!ValidRow(r) || FNRow == INT32_MAX) return;
  const int32_t p = FSortIx[static_cast<size_t>(r) - 1];
  if (!Reshape(FNCol, FNRow + 1)) return;
  const int32_t n = FNRow;
  // Stored rows p..n-1 move to p+1..n; stored row p becomes the new, empty row.
  for (auto& col : FPoiArray) {
    std::copy_backward(col.begin() + (p - 1), col.begin() + (n - 1), col.begin() + n);
    col[static_cast<size_t>(p) - 1] = 0;
  }
  std::copy_backward(FRowAttrib.begin() + (p - 1), FRowAttrib.begin() + (n - 1),
                     FRowAttrib.begin() + n);
  FRowAttrib[static_cast<size_t>(p) - 1] = 0;
  // Visible rows r..n-1 move to r+1..n and follow their stored rows; visible row r shows p.
  std::copy_backward(FSortIx.begin() + (r - 1), FSortIx.begin() + (n - 1), FSortIx.begin() + n);
  for (int32_t i = 0; i < n; ++i) {
    if (FSortIx[static_cast<size_t>(i)] >= p) ++FSortIx[static_cast<size_t>(i)];
  }
  FSortIx[static_cast<size_t>(r) - 1] = p;
  NotifyTimes(1 + static_cast<int64_t>(n - p + 1) * (FNCol + 2));
}

void TStringArray::RemoveRow(int32_t r) {
  if (!ValidRow(r)) return;
  if (FNRow == 1) {
    for (auto& col : FPoiArray) col[0] = 0;
    FRowAttrib[0] = 0;
    NotifyTimes(FNCol + 2);
    return;
  }
  MendSortIndex();
  const int32_t n = FNRow;
  const int32_t p = FSortIx[static_cast<size_t>(r) - 1];
  // Stored rows p+1..n move to p..n-1; the last one leaves the table.
  for (auto& col : FPoiArray) {
    std::copy(col.begin() + p, col.begin() + n, col.begin() + (p - 1));
    col[static_cast<size_t>(n) - 1] = 0;
  }
  std::copy(FRowAttrib.begin() + p, FRowAttrib.begin() + n, FRowAttrib.begin() + (p - 1));
  FRowAttrib[static_cast<size_t>(n) - 1] = 0;
  std::copy(FSortIx.begin() + r, FSortIx.begin() + n, FSortIx.begin() + (r - 1));
  for (int32_t i = 0; i < n - 1; ++i) {
    if (FSortIx[static_cast<size_t>(i)] > p) --FSortIx[static_cast<size_t>(i)];
  }
  FSortIx[static_cast<size_t>(n) - 1] = n;
  Reshape(FNCol, n - 1);  // fewer rows, same columns: nothing to allocate
  NotifyTimes(static_cast<int64_t>(n - p) * (FNCol + 2) + 1);
}

void TStringArray::InsertColumn(int32_t c) {
  if (c < 1 || c > FNCol || FNCol == INT32_MAX) return;
  if (!Reshape(FNCol + 1, FNRow)) return;
  ResetSortIndex();
  // The new, empty last column moves to c; columns c.. move one to the right.
  std::rotate(FPoiArray.begin() + c, FPoiArray.end() - 1, FPoiArray.end());
  std::rotate(FColAttrib.begin() + (c - 1), FColAttrib.end() - 1, FColAttrib.end());
  NotifyTimes(1 + static_cast<int64_t>(FNCol - c + 1) * (FNRow + 1));
}

void TStringArray::RemoveColumn(int32_t c) {
  if (c < 1 || c > FNCol) return;
  if (FNCol == 1) {
    std::fill(FPoiArray[1].begin(), FPoiArray[1].end(), 0u);
    FColAttrib[0] = 0;
    NotifyTimes(static_cast<int64_t>(FNRow) + 1);
    return;
  }
  const int32_t oldCols = FNCol;
  std::rotate(FPoiArray.begin() + c, FPoiArray.begin() + c + 1, FPoiArray.end());
  std::rotate(FColAttrib.begin() + (c - 1), FColAttrib.begin() + c, FColAttrib.end());
  if (!Reshape(FNCol - 1, FNRow)) {  // put the column back where it was
    std::rotate(FPoiArray.begin() + c, FPoiArray.end() - 1, FPoiArray.end());
    std::rotate(FColAttrib.begin() + (c - 1), FColAttrib.end() - 1, FColAttrib.end());
    return;
  }
  ResetSortIndex();
  NotifyTimes(static_cast<int64_t>(oldCols - c) * (FNRow + 1) + 1);
}

// ================================================================================================
// Cells and attributes

ShortString TStringArray::GetString(int32_t c, int32_t r) const {
  return ShortString::FromAnsi(CellBytes(c, r));
}

void TStringArray::SetString(int32_t c, int32_t r, const ShortString& s) {
  if (!ValidCol(c) || !ValidRow(r)) return;
  StoreCell(Ref(c, FSortIx[static_cast<size_t>(r) - 1]), s.Bytes());
  Changed();
}

void TStringArray::SetString(int32_t c, int32_t r, StringView s) {
  SetString(c, r, ShortString(s));
}

uint8_t TStringArray::GetRowAttrib(int32_t r) const noexcept {
  if (!ValidRow(r)) return 0;
  return FRowAttrib[static_cast<size_t>(FSortIx[static_cast<size_t>(r) - 1]) - 1];
}

void TStringArray::SetRowAttrib(int32_t r, uint8_t b) {
  if (!ValidRow(r)) return;
  FRowAttrib[static_cast<size_t>(FSortIx[static_cast<size_t>(r) - 1]) - 1] = b;
  Changed();
}

uint8_t TStringArray::GetColAttrib(int32_t c) const noexcept {
  if (c < 1 || c > FNCol) return 0;
  return FColAttrib[static_cast<size_t>(c) - 1];
}

void TStringArray::SetColAttrib(int32_t c, uint8_t b) {
  if (c < 1 || c > FNCol) return;
  FColAttrib[static_cast<size_t>(c) - 1] = b;
  Changed();
}

void TStringArray::CopyRow(int32_t Source, int32_t Target) {
  if (!ValidRow(Source) || !ValidRow(Target)) return;
  for (int32_t c = 0; c <= FNCol; ++c) {
    SetString(c, Target, ShortString::FromAnsi(CellBytes(c, Source)));
  }
  SetRowAttrib(Target, GetRowAttrib(Source));
}

void TStringArray::Clear() noexcept {
  for (auto& col : FPoiArray) std::fill(col.begin(), col.end(), 0u);
  ResetSortIndex();
  std::fill(FRowAttrib.begin(), FRowAttrib.end(), 0);
  std::fill(FColAttrib.begin(), FColAttrib.end(), 0);
  FStgPool.resize(1);
  FStgPool[0]->fill(0);
  FFirstFree.resize(1);
  FFirstFree[0] = 1;
  FNumPoolAddr = 1;
  ForgetFreeBlocks();
}

void TStringArray::Fill(const ShortString& s) {
  if (s.Empty()) {
    Clear();
    return;
  }
  for (int32_t r = 1; r <= FNRow; ++r) {
    for (int32_t c = 0; c <= FNCol; ++c) SetString(c, r, s);
  }
}

void TStringArray::Fill(StringView s) {
  Fill(ShortString(s));
}

bool TStringArray::ColumnEmpty(int32_t ACol) const noexcept {
  for (int32_t r = 1; r <= FNRow; ++r) {
    if (!AllBlanks(CellBytes(ACol, r))) return false;
  }
  return true;
}

bool TStringArray::RowEmpty(int32_t ARow) const noexcept {
  for (int32_t c = 1; c <= FNCol; ++c) {
    if (!AllBlanks(CellBytes(c, ARow))) return false;
  }
  return true;
}

// ================================================================================================
// Numeric readings

double TStringArray::ReadNumber(int32_t c, int32_t r) const {
  const std::string_view cell = CellBytes(c, r);
  size_t b = 0;
  size_t e = cell.size();
  while (b < e && cell[b] == ' ') ++b;
  while (e > b && cell[e - 1] == ' ') --e;
  if (b == e) return 0;
  char text[ShortString::MaxLength];
  std::replace_copy(cell.begin() + static_cast<ptrdiff_t>(b),
                    cell.begin() + static_cast<ptrdiff_t>(e), text, ',', '.');
  double value = 0;
  if (ParseDecimal(std::string_view(text, e - b), value)) return value;
  throw EXANDStructError(u"Class TStringArray: invalid numeric string: [" +
                         stringarray_detail::DecimalText(c) + u"," +
                         stringarray_detail::DecimalText(r) + u"]: " + AnsiToString(cell));
}

double TStringArray::GetAsNumber(int32_t c, int32_t r) const {
  return ReadNumber(c, r);
}

int32_t TStringArray::GetAsInteger(int32_t c, int32_t r) const {
  const double x = ReadNumber(c, r);
  if (x <= -2147483647.0) return -2147483647;
  if (x >= 2147483647.0) return 2147483647;
  return static_cast<int32_t>(detail::RoundHalfEven(x));
}

}  // namespace xan
