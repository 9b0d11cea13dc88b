// TStringArray: the sort order, the comb sort with its progress reports, committing a sort, and
// the linear and binary searches.
#include <algorithm>
#include <new>
#include <utility>

#include "xan/dstruct/stringarray.h"
#include "xan_dstruct/stringarray_internal.h"

namespace xan {

using stringarray_detail::CompareCells;
using stringarray_detail::CompareTextWithCell;
using stringarray_detail::KeyTables;
using stringarray_detail::LowerAsciiByte;
using stringarray_detail::LowerAsciiChar;
using stringarray_detail::LowerPrefixKey;

namespace {

// The next gap of the comb sort: trunc(g / 1.3), at least 1. 10g div 13 is that value exactly.
int64_t ShrinkGap(int64_t g) noexcept {
  return std::max<int64_t>(g * 10 / 13, 1);
}

// The comparisons the comb sort of n rows makes when a single pass at gap 1 ends it.
int64_t CombSortWork(int64_t n) noexcept {
  int64_t total = 0;
  int64_t g = n;
  do {
    g = ShrinkGap(g);
    total += n - g;
  } while (g != 1);
  return total + n;
}

// 100 * done / total, rounded with halves to the even neighbour.
int32_t Percent(int64_t done, int64_t total) noexcept {
  const int64_t num = 100 * done;
  int64_t q = num / total;
  const int64_t twice = 2 * (num % total);
  if (twice > total || (twice == total && q % 2 != 0)) ++q;
  return static_cast<int32_t>(std::min<int64_t>(q, INT32_MAX));
}

void LowerAscii(String& s) noexcept {
  for (Char& c : s) c = LowerAsciiChar(c);
}

}  // namespace

// ================================================================================================
// Sort order

int32_t TStringArray::GetSortOrder(int32_t ix) const noexcept {
  return ValidRow(ix) ? FSortIx[static_cast<size_t>(ix) - 1] : -1;
}

void TStringArray::SetSortOrder(int32_t ix, int32_t position) noexcept {
  if (ValidRow(ix) && ValidRow(position)) FSortIx[static_cast<size_t>(ix) - 1] = position;
}

void TStringArray::UnSort() {
  ResetSortIndex();
  Changed();
}

void TStringArray::MendSortIndex() {
  const auto n = static_cast<size_t>(FNRow);
  std::vector<bool> shown;
  try {
    shown.assign(n, false);
  } catch (const std::bad_alloc&) {
    throw EXANDStructError(u"Class TStringArray: out of memory");
  }
  bool broken = false;
  for (size_t i = 0; i < n; ++i) {
    auto& p = FSortIx[i];
    if (shown[static_cast<size_t>(p) - 1]) {
      broken = true;
      p = 0;  // to be given a row that is not shown
    } else {
      shown[static_cast<size_t>(p) - 1] = true;
    }
  }
  if (!broken) return;
  size_t unshown = 0;
  for (size_t i = 0; i < n; ++i) {
    if (FSortIx[i] != 0) continue;
    while (shown[unshown]) ++unshown;
    FSortIx[i] = static_cast<int32_t>(++unshown);
  }
}

void TStringArray::CommitSorting() {
  MendSortIndex();
  const auto n = static_cast<size_t>(FNRow);
  std::vector<uint32_t> copy;
  try {
    copy.resize(n);
  } catch (const std::bad_alloc&) {
    throw EXANDStructError(u"Class TStringArray: out of memory");
  }
  for (auto& col : FPoiArray) {
    std::copy_n(col.begin(), n, copy.begin());
    for (size_t i = 0; i < n; ++i) col[i] = copy[static_cast<size_t>(FSortIx[i]) - 1];
  }
  std::copy_n(FRowAttrib.begin(), n, copy.begin());
  for (size_t i = 0; i < n; ++i) {
    FRowAttrib[i] = static_cast<uint8_t>(copy[static_cast<size_t>(FSortIx[i]) - 1]);
  }
  ResetSortIndex();
}

// ================================================================================================
// Sorting

void TStringArray::BeforeSortExchange(StringView InString, String& OutString) {
  OutString.assign(InString);
  if (FOnBefSortExc) FOnBefSortExc(this, InString, OutString);
}

void TStringArray::SortKey(int32_t col, int32_t p, String& in, String& key) {
  // The table is checked again at every key: the hook may have changed it. The two texts keep
  // their buffers from one comparison to the next.
  in.clear();
  if (ValidCol(col) && p >= 1 && p <= FNRow) {
    const auto& code = KeyTables().Code;
    for (const char b : RefBytes(Ref(col, p))) in.push_back(code[static_cast<uint8_t>(b)]);
  }
  BeforeSortExchange(in, key);
  LowerAscii(key);
}

std::vector<uint32_t> TStringArray::RankKeys(int32_t Col, int32_t ColSec) const noexcept {
  const auto n = static_cast<size_t>(FNRow);
  const uint32_t* keys = ValidCol(Col) ? FPoiArray[static_cast<size_t>(Col)].data() : nullptr;
  const uint32_t* keys2 =
      ColSec > 0 && ValidCol(ColSec) ? FPoiArray[static_cast<size_t>(ColSec)].data() : nullptr;
  const auto& tables = KeyTables();
  struct TEntry {
    uint64_t prefix;  // LowerPrefixKey of the key cell
    uint32_t row;     // 0-based stored row
    uint32_t visible;
  };
  std::vector<TEntry> order;
  std::vector<uint32_t> rank;
  try {
    order.resize(n);
    rank.resize(n);
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (size_t i = 0; i < n; ++i) {
    const auto row = static_cast<uint32_t>(FSortIx[i] - 1);
    const uint64_t prefix = keys ? LowerPrefixKey(RefBytes(keys[row]), tables.LowerRank) : 0;
    order[i] = {prefix, row, static_cast<uint32_t>(i)};
  }
  // The comparison of the sort: the key column, then on equal keys the secondary column.
  const auto compare = [&](const TEntry& x, const TEntry& y) {
    if (x.prefix != y.prefix) return x.prefix < y.prefix ? -1 : 1;
    int cmp = 0;
    if (keys) cmp = CompareCells(RefBytes(keys[x.row]), RefBytes(keys[y.row]), tables.LowerCode);
    if (cmp == 0 && keys2) {
      cmp = CompareCells(RefBytes(keys2[x.row]), RefBytes(keys2[y.row]), tables.LowerCode);
    }
    return cmp;
  };
  std::sort(order.begin(), order.end(),
            [&](const TEntry& x, const TEntry& y) { return compare(x, y) < 0; });
  uint32_t r = 0;
  for (size_t k = 0; k < n; ++k) {
    if (k > 0 && compare(order[k - 1], order[k]) != 0) ++r;
    rank[order[k].visible] = r;
  }
  return rank;
}

void TStringArray::Sort(int32_t Col, int32_t ColSec, bool Ascending) {
  if (FOnPercentDone) FOnPercentDone(this, 0);
  const int32_t n = FNRow;
  const int64_t total = CombSortWork(n);
  if (n > 1) {
    int64_t gap = n;
    int64_t counter = 0;
    bool exchanged = false;
    // Without the hook the rows' keys are ranked once (equal keys, equal rank) and the ranks
    // travel with the sort order, so the comb sort compares two sequential arrays of integers and
    // takes exactly the decisions the cells themselves would give it.
    std::vector<uint32_t> rank;
    bool ranked = false;
    String inA, keyA, inB, keyB;  // texts and keys of the hook's comparisons
    const auto exchange = [&](int64_t i) {
      std::swap(FSortIx[static_cast<size_t>(i)], FSortIx[static_cast<size_t>(i + gap)]);
      if (!rank.empty())
        std::swap(rank[static_cast<size_t>(i)], rank[static_cast<size_t>(i + gap)]);
      exchanged = true;
    };
    do {
      gap = ShrinkGap(gap);
      exchanged = false;
      if (!FOnBefSortExc && !ranked) {
        rank = RankKeys(Col, ColSec);
        ranked = true;
      }
      if (!FOnBefSortExc && !rank.empty()) {
        for (int64_t i = 0; i + gap < n; ++i) {
          ++counter;
          const uint32_t a = rank[static_cast<size_t>(i)];
          const uint32_t b = rank[static_cast<size_t>(i + gap)];
          if (Ascending ? a > b : a < b) exchange(i);
        }
      } else {
        // With the hook (or without memory for the ranks): keys made at every comparison.
        rank.clear();
        ranked = FOnBefSortExc == nullptr;
        for (int64_t i = 0; i + gap < n && FNRow == n; ++i) {
          ++counter;
          const int32_t a = FSortIx[static_cast<size_t>(i)];
          const int32_t b = FSortIx[static_cast<size_t>(i + gap)];
          SortKey(Col, a, inA, keyA);
          SortKey(Col, b, inB, keyB);
          int cmp = keyA.compare(keyB);
          if (cmp == 0 && ColSec > 0) {
            SortKey(ColSec, a, inA, keyA);
            SortKey(ColSec, b, inB, keyB);
            cmp = keyA.compare(keyB);
          }
          if ((Ascending ? cmp > 0 : cmp < 0) && FNRow == n) exchange(i);
        }
      }
      if (FOnPercentDone) FOnPercentDone(this, Percent(counter, total));
      // A callback that changed the number of rows ends the sort: the order it was working on
      // is gone. One that changed cells or the order leaves an unspecified order.
    } while ((gap > 1 || exchanged) && FNRow == n);
    Changed();
  }
  if (FOnPercentDone) FOnPercentDone(this, 100);
}

// ================================================================================================
// Searching

bool TStringArray::FindCell(StringView FindStr, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                            int32_t RowLow, int32_t RowHigh, int32_t& Col, int32_t& Row) const {
  return FindCellIntern(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, Row, false);
}

bool TStringArray::FindCellExact(StringView FindStr, bool MatchCase, int32_t ColLow,
                                 int32_t ColHigh, int32_t RowLow, int32_t RowHigh, int32_t& Col,
                                 int32_t& Row) const {
  return FindCellIntern(FindStr, MatchCase, ColLow, ColHigh, RowLow, RowHigh, Col, Row, true);
}

bool TStringArray::FindCellIntern(StringView FindStr, bool MatchCase, int32_t ColLow,
                                  int32_t ColHigh, int32_t RowLow, int32_t RowHigh, int32_t& Col,
                                  int32_t& Row, bool Exact) const {
  // Cells hold ANSI bytes only: a text longer than a cell or with a character outside the code
  // page cannot match, and any other text is compared as its ANSI bytes.
  if ((!Exact && FindStr.empty()) || FindStr.size() > ShortString::MaxLength) return false;
  char needleBuf[ShortString::MaxLength];
  for (size_t i = 0; i < FindStr.size(); ++i) {
    if (!IsAnsiChar(FindStr[i])) return false;
    const uint8_t b = CharToAnsi(FindStr[i]);
    needleBuf[i] = static_cast<char>(MatchCase ? b : LowerAsciiByte(b));
  }
  const std::string_view needle(needleBuf, FindStr.size());
  int32_t colLow = ColLow;
  int32_t colHigh = ColHigh;
  int32_t rowLow = RowLow;
  int32_t rowHigh = RowHigh;
  if (colLow == -1 || colHigh == -1) colLow = 0, colHigh = FNCol;
  if (rowLow == -1 && rowHigh == -1) rowLow = 1, rowHigh = FNRow;
  colLow = std::clamp(colLow, 0, FNCol);
  colHigh = std::clamp(colHigh, 0, FNCol);
  rowLow = std::clamp(rowLow, 1, FNRow);
  rowHigh = std::clamp(rowHigh, 1, FNRow);
  if (colLow > colHigh) std::swap(colLow, colHigh);
  if (rowLow > rowHigh) std::swap(rowLow, rowHigh);
  const auto& lower = KeyTables().LowerByte;
  char cellBuf[ShortString::MaxLength];
  for (int32_t r = rowLow; r <= rowHigh; ++r) {
    for (int32_t c = colLow; c <= colHigh; ++c) {
      std::string_view cell = CellBytes(c, r);
      if (Exact ? cell.size() != needle.size() : cell.size() < needle.size()) continue;
      if (!MatchCase) {
        for (size_t i = 0; i < cell.size(); ++i) {
          cellBuf[i] = static_cast<char>(lower[static_cast<uint8_t>(cell[i])]);
        }
        cell = std::string_view(cellBuf, cell.size());
      }
      if (Exact ? cell == needle : cell.find(needle) != std::string_view::npos) {
        Col = c;
        Row = r;
        return true;
      }
    }
  }
  return false;
}

bool TStringArray::FindCellInSortedColumn(StringView FindStr, bool MatchCase, int32_t ColIx,
                                          int32_t RowLow, int32_t RowHigh, bool ColIsAscending,
                                          int32_t& Row) const {
  String key(FindStr);
  if (!MatchCase) LowerAscii(key);
  const auto& code = MatchCase ? KeyTables().Code : KeyTables().LowerCode;
  int32_t lo = RowLow;
  int32_t hi = RowHigh;
  if (lo == -1 && hi == -1) lo = 1, hi = FNRow;
  const int32_t col = std::clamp(ColIx, 0, FNCol);
  lo = std::clamp(lo, 1, FNRow);
  hi = std::clamp(hi, 1, FNRow);
  if (lo > hi) std::swap(lo, hi);
  const auto compare = [&](int32_t r) { return CompareTextWithCell(key, CellBytes(col, r), code); };
  int32_t row = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) / 2);
  bool match = false;
  while (!match && lo != hi) {
    const auto mid = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) / 2);
    row = mid;
    const int cmp = compare(mid);
    if (cmp == 0) {
      match = true;
    } else if ((cmp < 0) == ColIsAscending) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (!match) {
    row = lo;
    match = compare(lo) == 0;
  }
  if (match) {
    while (row > 1 && compare(row - 1) == 0) --row;
  }
  Row = row;
  return match;
}

}  // namespace xan
