// TStringArray: the pool and its reuse, dimensions, rows and columns on sorted and unsorted
// tables, sorting with progress, searching, numeric readings, copying and notifications.
#include "xan/dstruct/stringarray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "xan/platform/exceptions.h"
#include "xan/platform/textfile.h"

namespace xan {
namespace {

String Cell(const TStringArray& t, int32_t c, int32_t r) {
  return t.GetString(c, r).ToString();
}

// Writes the texts into column c from row 1 on.
void SetColumn(TStringArray& t, int32_t c, std::initializer_list<StringView> texts) {
  int32_t r = 1;
  for (StringView s : texts) t.SetString(c, r++, s);
}

std::vector<String> Column(const TStringArray& t, int32_t c) {
  std::vector<String> out;
  for (int32_t r = 1; r <= t.NrOfRows(); ++r) out.push_back(Cell(t, c, r));
  return out;
}

String Repeat(Char ch, size_t n) {
  return String(n, ch);
}

// Counts OnChange calls.
struct ChangeCounter {
  int count = 0;
  explicit ChangeCounter(TStringArray& t) {
    t.SetOnChange([this](TObject*) { ++count; });
  }
};

// A table whose pool may hold only two blocks.
class TTwoBlockTable : public TStringArray {
 protected:
  int32_t PoolBlockLimit() const noexcept override { return 2; }
};

// ================================================================================================
// Construction and cell access

TEST(StringArrayCells, NewTableHasOneColumnOneRowOneBlock) {
  TStringArray t;
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.NumBuffers(), 1);
  EXPECT_EQ(t.AllocRowsBy(), 10);
  EXPECT_EQ(t.AllocatedRows(), 10);
  EXPECT_EQ(t.GetSortOrder(1), 1);
  EXPECT_EQ(Cell(t, 0, 1), u"");
  t.SetString(0, 1, u"head");
  t.SetString(1, 1, u"data");
  EXPECT_EQ(Cell(t, 0, 1), u"head");
  EXPECT_EQ(Cell(t, 1, 1), u"data");
}

TEST(StringArrayCells, OutOfRangeReadsEmptyAndIgnoresWrites) {
  TStringArray t;
  ChangeCounter changes(t);
  for (auto [c, r] : {std::pair{2, 1}, {1, 2}, {-1, 1}, {0, 0}, {1, -1}}) {
    t.SetString(c, r, u"x");
    EXPECT_EQ(Cell(t, c, r), u"");
  }
  for (int32_t r : {0, 2, -1}) {
    t.SetRowAttrib(r, 5);
    EXPECT_EQ(t.GetRowAttrib(r), 0);
  }
  t.SetColAttrib(0, 3);
  t.SetColAttrib(2, 3);
  EXPECT_EQ(t.GetColAttrib(0), 0);
  EXPECT_EQ(t.GetColAttrib(2), 0);
  EXPECT_EQ(t.GetSortOrder(0), -1);
  EXPECT_EQ(t.GetSortOrder(2), -1);
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(Cell(t, 1, 1), u"");
}

TEST(StringArrayCells, TextGoesThroughTheAnsiCodePageAndIsCutAt255) {
  TStringArray t;
  t.SetString(1, 1, u"\u20ac caf\u00e9");
  EXPECT_EQ(t.GetString(1, 1).Bytes(), "\x80 caf\xe9");
  t.SetString(1, 1, u"\u0100");  // no ANSI byte: '?'
  EXPECT_EQ(Cell(t, 1, 1), u"?");
  t.SetString(1, 1, Repeat(u'a', 300));
  EXPECT_EQ(Cell(t, 1, 1), Repeat(u'a', 255));
  t.SetString(0, 1, ShortString::FromAnsi(std::string("\0\x81\xff", 3)));
  EXPECT_EQ(t.GetString(0, 1).Bytes(), std::string_view("\0\x81\xff", 3));
}

TEST(StringArrayCells, EveryWriteNotifiesOnce) {
  TStringArray t;
  ChangeCounter changes(t);
  t.SetString(1, 1, u"a");
  t.SetString(1, 1, u"a");
  t.SetRowAttrib(1, 2);
  t.SetColAttrib(1, 3);
  EXPECT_EQ(changes.count, 4);
  t.SetAllocRowsBy(5);
  t.SetSortOrder(1, 1);
  EXPECT_EQ(changes.count, 4);
}

TEST(StringArrayCells, AddRowTextsFillsANewRowAndTellsWhatWasLost) {
  TStringArray t;
  ChangeCounter changes(t);
  EXPECT_TRUE(t.AddRowTexts({u"Z\u00fcrich", u"8001", u""}));
  EXPECT_EQ(changes.count, 5) << "a row, a column, three texts";
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(Cell(t, 1, 1), u"");
  EXPECT_EQ(Cell(t, 1, 2), u"Z\u00fcrich");
  EXPECT_EQ(Cell(t, 2, 2), u"8001");
  EXPECT_FALSE(t.AddRowTexts({u"ok", u"\u4e00"}));
  EXPECT_EQ(Cell(t, 2, 3), u"?");
  const std::vector<String> texts = {u"head", Repeat(u'x', 256)};
  EXPECT_FALSE(t.AddRowTexts(texts, 0));
  EXPECT_EQ(Cell(t, 0, 4), u"head");
  EXPECT_EQ(Cell(t, 1, 4), Repeat(u'x', 255));
  EXPECT_TRUE(t.AddRowTexts(std::span<const String>(texts.data(), 1), 99)) << "column 1 then";
  EXPECT_EQ(Cell(t, 1, 5), u"head");
  EXPECT_EQ(t.NrOfRows(), 5);
  EXPECT_TRUE(t.AddRowTexts({}));
  EXPECT_EQ(t.NrOfRows(), 6);
}

TEST(StringArrayCells, AttributesTravelWithTheirRowThroughSorting) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"c", u"a", u"b"});
  t.SetRowAttrib(1, 30);
  t.SetRowAttrib(2, 10);
  t.SetColAttrib(1, 7);
  t.Sort(1, 0, true);
  EXPECT_EQ(t.GetRowAttrib(1), 10);
  EXPECT_EQ(t.GetRowAttrib(3), 30);
  t.SetRowAttrib(2, 20);  // the visible row 2 is stored row 3 ("b")
  t.UnSort();
  EXPECT_EQ(t.GetRowAttrib(3), 20);
  EXPECT_EQ(t.GetColAttrib(1), 7);
}

// ================================================================================================
// The string pool

TEST(StringArrayPool, ABlockHolds127FullLengthStrings) {
  TStringArray t;
  t.SetNrOfRows(128);
  const String full = Repeat(u'x', 255);
  for (int32_t r = 1; r <= 127; ++r) t.SetString(1, r, full);
  EXPECT_EQ(t.NumBuffers(), 1);
  t.SetString(1, 128, full);  // a string must end before the block's last byte
  EXPECT_EQ(t.NumBuffers(), 2);
  for (int32_t r = 1; r <= 128; ++r) ASSERT_EQ(Cell(t, 1, r), full);
}

TEST(StringArrayPool, WritesReuseTheirPlaceOnlyWhenTheOldStringIsAsLong) {
  TStringArray t;
  t.SetNrOfRows(128);
  for (int32_t r = 1; r <= 127; ++r) t.SetString(1, r, Repeat(u'x', 255));
  t.SetString(1, 128, Repeat(u'y', 254));  // fills block 1 up to its last usable byte
  EXPECT_EQ(t.NumBuffers(), 1);
  t.SetString(1, 1, u"abc");  // in place
  t.SetString(1, 1, u"xy");   // in place
  t.SetString(1, 2, u"");     // in place
  EXPECT_EQ(t.NumBuffers(), 1);
  t.SetString(1, 1, u"abc");  // longer than "xy": appended, into a new block
  EXPECT_EQ(t.NumBuffers(), 2);
  EXPECT_EQ(Cell(t, 1, 1), u"abc");
  EXPECT_EQ(Cell(t, 1, 2), u"");
  EXPECT_EQ(Cell(t, 1, 3), Repeat(u'x', 255));
  EXPECT_EQ(Cell(t, 1, 128), Repeat(u'y', 254));
}

TEST(StringArrayPool, AppendsFillEarlierBlocksFirst) {
  TStringArray t;
  t.SetNrOfRows(200);
  // Block 1 takes 127 strings of 255, leaving 255 bytes; block 2 the 128th.
  for (int32_t r = 1; r <= 128; ++r) t.SetString(1, r, Repeat(u'x', 255));
  ASSERT_EQ(t.NumBuffers(), 2);
  // Short strings still fit into block 1's last 255 bytes; that is observable because block 2
  // then fills exactly when a third block is needed.
  for (int32_t r = 129; r <= 150; ++r) t.SetString(0, r, Repeat(u'z', 10));  // 22 * 11 = 242
  for (int32_t r = 1; r <= 126; ++r) t.SetString(0, r, Repeat(u'w', 255));   // into block 2
  EXPECT_EQ(t.NumBuffers(), 2);
  t.SetString(0, 127, Repeat(u'w', 255));
  EXPECT_EQ(t.NumBuffers(), 3);
}

TEST(StringArrayPool, GarbageCollectionKeepsEveryCellAndWinsRoomBack) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 100));
  for (int32_t r = 1; r <= 100; ++r) {
    for (int32_t c = 0; c <= 2; ++c) t.SetString(c, r, Repeat(static_cast<Char>(u'a' + c), 200));
  }
  ASSERT_EQ(t.NumBuffers(), 2);  // 300 strings of 201 bytes
  for (int32_t r = 1; r <= 100; ++r) {
    for (int32_t c = 0; c <= 2; ++c)
      t.SetString(c, r, FromUtf8("c" + std::to_string(c) + "r" + std::to_string(r)));
  }
  TStringArray untouched;
  untouched.Assign(t);
  ChangeCounter changes(t);
  t.GarbageCollection();
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(t.NumBuffers(), 2);
  for (int32_t c = 0; c <= 2; ++c) EXPECT_EQ(Column(t, c), Column(untouched, c)) << c;
  // Long strings everywhere again: the compacted table has the room of almost two blocks, the
  // other one only what the overwrites left.
  for (TStringArray* table : {&t, &untouched}) {
    for (int32_t r = 1; r <= 100; ++r) {
      for (int32_t c = 0; c <= 2; ++c) table->SetString(c, r, Repeat(u'q', 200));
    }
  }
  EXPECT_EQ(t.NumBuffers(), 2);
  EXPECT_EQ(untouched.NumBuffers(), 4);
  EXPECT_EQ(Column(t, 2), Column(untouched, 2));
}

TEST(StringArrayPool, GarbageCollectionAfterResizeDropsRemovedCells) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(1, 200));
  for (int32_t r = 1; r <= 200; ++r) t.SetString(1, r, Repeat(u'a', 255));
  ASSERT_EQ(t.NumBuffers(), 2);
  t.SetNrOfRows(10);
  t.GarbageCollection();
  t.SetNrOfRows(200);
  for (int32_t r = 11; r <= 200; ++r) t.SetString(1, r, Repeat(u'b', 255));
  EXPECT_EQ(t.NumBuffers(), 2);
  EXPECT_EQ(Cell(t, 1, 10), Repeat(u'a', 255));
  EXPECT_EQ(Cell(t, 1, 11), Repeat(u'b', 255));
}

TEST(StringArrayPool, FullPoolRaisesAndKeepsTheCell) {
  TTwoBlockTable t;
  ASSERT_TRUE(t.Resize(1, 300));
  for (int32_t r = 1; r <= 254; ++r) t.SetString(1, r, Repeat(u'a', 255));
  EXPECT_EQ(t.NumBuffers(), 2);
  t.SetString(1, 1, u"short");
  try {
    t.SetString(1, 255, Repeat(u'b', 255));
    FAIL() << "no error";
  } catch (const EXANDStructError& e) {
    EXPECT_EQ(e.Message(), u"Class TStringArray: string pool full");
  }
  EXPECT_EQ(t.NumBuffers(), 2);
  EXPECT_EQ(Cell(t, 1, 255), u"");
  // Compaction gives back what "short" left over, and the write succeeds.
  t.GarbageCollection();
  t.SetString(1, 255, Repeat(u'b', 255));
  EXPECT_EQ(Cell(t, 1, 255), Repeat(u'b', 255));
  EXPECT_EQ(Cell(t, 1, 1), u"short");
  EXPECT_EQ(t.NumBuffers(), 2);
}

TEST(StringArrayPool, ClearShrinksThePoolAndKeepsTheDimensions) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 200));
  t.Fill(Repeat(u'x', 255));
  ASSERT_GT(t.NumBuffers(), 5);
  t.SetRowAttrib(5, 1);
  t.SetColAttrib(2, 1);
  t.Sort(1, 0, false);
  t.SetSortOrder(1, 7);
  ChangeCounter changes(t);
  t.Clear();
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(t.NumBuffers(), 1);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.NrOfRows(), 200);
  EXPECT_EQ(t.GetSortOrder(1), 1);
  EXPECT_EQ(t.GetRowAttrib(5), 0);
  EXPECT_EQ(t.GetColAttrib(2), 0);
  EXPECT_TRUE(t.ColumnEmpty(0));
  EXPECT_TRUE(t.ColumnEmpty(3));
  t.SetString(2, 2, u"again");
  EXPECT_EQ(Cell(t, 2, 2), u"again");
}

TEST(StringArrayPool, FillWritesEveryCellOrClears) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 3));
  ChangeCounter changes(t);
  t.Fill(u"ab");
  EXPECT_EQ(changes.count, 9);
  EXPECT_EQ(Column(t, 0), (std::vector<String>{u"ab", u"ab", u"ab"}));
  EXPECT_EQ(Column(t, 2), (std::vector<String>{u"ab", u"ab", u"ab"}));
  t.Fill(u"");
  EXPECT_EQ(changes.count, 9);
  EXPECT_TRUE(t.ColumnEmpty(0));
  EXPECT_TRUE(t.ColumnEmpty(1));
}

// ================================================================================================
// Dimensions

TEST(StringArrayResize, AllocationGrowsInStepsOfAllocRowsBy) {
  TStringArray t;
  t.SetNrOfRows(11);
  EXPECT_EQ(t.AllocatedRows(), 20);
  t.SetNrOfRows(3);  // same columns, within the allocation: no reallocation
  EXPECT_EQ(t.AllocatedRows(), 20);
  TStringArray u;
  u.SetAllocRowsBy(7);
  u.SetNrOfRows(15);
  EXPECT_EQ(u.AllocatedRows(), 21);
  u.SetNrOfColumns(2);  // columns change: reallocated to fit 15 rows again
  EXPECT_EQ(u.AllocatedRows(), 21);
  u.SetNrOfRows(4);
  u.SetNrOfColumns(3);  // reallocation may shrink
  EXPECT_EQ(u.AllocatedRows(), 7);
}

TEST(StringArrayResize, AllocRowsByBelowOneActsAsOne) {
  TStringArray t;
  t.SetAllocRowsBy(0);
  EXPECT_EQ(t.AllocRowsBy(), 1);
  t.SetAllocRowsBy(-5);
  EXPECT_EQ(t.AllocRowsBy(), 1);
  EXPECT_TRUE(t.Resize(2, 13));
  EXPECT_EQ(t.AllocatedRows(), 13);
  t.SetString(2, 13, u"last");
  EXPECT_EQ(t.AddRow(), 14);
  EXPECT_EQ(t.AllocatedRows(), 14);
  EXPECT_EQ(Cell(t, 2, 13), u"last");
}

TEST(StringArrayResize, BadOrEqualCountsChangeNothing) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 3));
  t.SetString(1, 1, u"keep");
  ChangeCounter changes(t);
  EXPECT_FALSE(t.Resize(0, 5));
  EXPECT_FALSE(t.Resize(5, 0));
  EXPECT_FALSE(t.Resize(-1, -1));
  EXPECT_TRUE(t.Resize(2, 3));
  t.SetNrOfRows(0);
  t.SetNrOfColumns(-3);
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(Cell(t, 1, 1), u"keep");
  EXPECT_TRUE(t.Resize(3, 3));
  EXPECT_EQ(changes.count, 1);
}

TEST(StringArrayResize, RowsAndColumnsThatComeBackAreEmpty) {
  for (const bool columnsChangeToo : {false, true}) {
    TStringArray t;
    ASSERT_TRUE(t.Resize(3, 5));
    t.Fill(u"v");
    for (int32_t r = 1; r <= 5; ++r) t.SetRowAttrib(r, 9);
    for (int32_t c = 1; c <= 3; ++c) t.SetColAttrib(c, 8);
    ASSERT_TRUE(t.Resize(columnsChangeToo ? 2 : 3, 2));
    ASSERT_TRUE(t.Resize(3, 5));
    for (int32_t r = 1; r <= 5; ++r) {
      for (int32_t c = 0; c <= 3; ++c) {
        const bool kept = r <= 2 && (c <= 2 || !columnsChangeToo);
        EXPECT_EQ(Cell(t, c, r), kept ? u"v" : u"") << c << "," << r;
      }
      EXPECT_EQ(t.GetRowAttrib(r), r <= 2 ? 9 : 0);
    }
    EXPECT_EQ(t.GetColAttrib(2), 8);
    EXPECT_EQ(t.GetColAttrib(3), columnsChangeToo ? 0 : 8);
  }
}

TEST(StringArrayResize, DiscardsAnUncommittedSort) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"c", u"b", u"a"});
  t.Sort(1, 0, true);
  ASSERT_EQ(Cell(t, 1, 1), u"a");
  EXPECT_EQ(t.AddRow(), 4);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"c", u"b", u"a", u""}));
  t.Sort(1, 0, true);
  t.SetNrOfColumns(2);
  EXPECT_EQ(t.GetSortOrder(1), 1);
}

// ================================================================================================
// Rows and columns

TEST(StringArrayRows, InsertRowOnAnUnsortedTableMovesTheRestDown) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 0, {u"h1", u"h2", u"h3"});
  SetColumn(t, 1, {u"a", u"b", u"c"});
  t.SetRowAttrib(2, 5);
  ChangeCounter changes(t);
  t.InsertRow(2);
  EXPECT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(Column(t, 0), (std::vector<String>{u"h1", u"", u"h2", u"h3"}));
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"a", u"", u"b", u"c"}));
  EXPECT_EQ(t.GetRowAttrib(2), 0);
  EXPECT_EQ(t.GetRowAttrib(3), 5);
  // The new row and the two moved rows, 3 cells and an attribute each, and the new dimensions.
  EXPECT_EQ(changes.count, 1 + 3 * 3);
  t.InsertRow(5);
  t.InsertRow(0);
  EXPECT_EQ(t.NrOfRows(), 4);
}

TEST(StringArrayRows, InsertRowOnASortedTableKeepsTheVisibleOrder) {
  TStringArray t;
  t.SetNrOfRows(4);
  SetColumn(t, 1, {u"d", u"b", u"a", u"c"});
  t.Sort(1, 0, true);
  t.InsertRow(2);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"a", u"", u"b", u"c", u"d"}));
  std::vector<bool> seen(6, false);
  for (int32_t i = 1; i <= 5; ++i) seen[static_cast<size_t>(t.GetSortOrder(i))] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 5);
  t.CommitSorting();
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"a", u"", u"b", u"c", u"d"}));
  t.SetString(1, 2, u"ab");
  t.InsertRow(5);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"a", u"ab", u"b", u"c", u"", u"d"}));
}

TEST(StringArrayRows, InsertRowGrowsTheAllocation) {
  TStringArray t;
  t.SetNrOfRows(10);
  t.SetString(1, 10, u"last");
  t.InsertRow(1);
  EXPECT_EQ(t.AllocatedRows(), 20);
  EXPECT_EQ(Cell(t, 1, 11), u"last");
}

TEST(StringArrayRows, RemoveRowOnSortedAndUnsortedTables) {
  TStringArray t;
  t.SetNrOfRows(4);
  SetColumn(t, 1, {u"d", u"b", u"a", u"c"});
  t.SetRowAttrib(4, 4);
  ChangeCounter changes(t);
  t.RemoveRow(2);  // unsorted: stored rows 3 and 4 move up
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"d", u"a", u"c"}));
  EXPECT_EQ(t.GetRowAttrib(3), 4);
  EXPECT_EQ(changes.count, 2 * 3 + 1);
  t.Sort(1, 0, true);  // visible a, c, d
  t.RemoveRow(2);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"a", u"d"}));
  t.UnSort();
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"d", u"a"}));
  EXPECT_EQ(t.GetRowAttrib(1), 0);
}

TEST(StringArrayRows, RemovingTheLastRowEmptiesIt) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 1));
  SetColumn(t, 0, {u"h"});
  SetColumn(t, 2, {u"x"});
  t.SetRowAttrib(1, 3);
  ChangeCounter changes(t);
  t.RemoveRow(1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(Cell(t, 0, 1), u"");
  EXPECT_EQ(Cell(t, 2, 1), u"");
  EXPECT_EQ(t.GetRowAttrib(1), 0);
  EXPECT_EQ(changes.count, 4);
}

TEST(StringArrayRows, CopyRowCopiesCellsAndAttribute) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 3));
  SetColumn(t, 0, {u"h1", u"h2"});
  SetColumn(t, 2, {u"long text", u"x"});
  t.SetRowAttrib(1, 6);
  ChangeCounter changes(t);
  t.CopyRow(1, 3);
  EXPECT_EQ(Cell(t, 0, 3), u"h1");
  EXPECT_EQ(Cell(t, 2, 3), u"long text");
  EXPECT_EQ(t.GetRowAttrib(3), 6);
  EXPECT_EQ(changes.count, 4);
  t.SetString(2, 3, u"changed");  // the copy has a string of its own
  EXPECT_EQ(Cell(t, 2, 1), u"long text");
  t.CopyRow(1, 4);
  t.CopyRow(0, 1);
  EXPECT_EQ(changes.count, 5);
}

TEST(StringArrayColumns, InsertColumnShiftsCellsAndAttributesRight) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 2));
  for (int32_t c = 0; c <= 3; ++c) {
    SetColumn(t, c,
              {String(1, static_cast<Char>(u'a' + c)), String(1, static_cast<Char>(u'A' + c))});
  }
  for (int32_t c = 1; c <= 3; ++c) t.SetColAttrib(c, static_cast<uint8_t>(c * 10));
  ChangeCounter changes(t);
  t.InsertColumn(2);
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(Column(t, 0), (std::vector<String>{u"a", u"A"}));
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"b", u"B"}));
  EXPECT_EQ(Column(t, 2), (std::vector<String>{u"", u""}));
  EXPECT_EQ(Column(t, 3), (std::vector<String>{u"c", u"C"}));
  EXPECT_EQ(Column(t, 4), (std::vector<String>{u"d", u"D"}));
  EXPECT_EQ(t.GetColAttrib(2), 0);
  EXPECT_EQ(t.GetColAttrib(3), 20);
  EXPECT_EQ(t.GetColAttrib(4), 30);
  EXPECT_EQ(changes.count, 1 + 3 * 3);  // columns 4, 3 and the new 2: 2 cells and an attribute
  t.InsertColumn(0);
  t.InsertColumn(5);
  EXPECT_EQ(t.NrOfColumns(), 4);
}

TEST(StringArrayColumns, RemoveColumnShiftsLeftOrEmptiesTheOnlyOne) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 2));
  for (int32_t c = 0; c <= 3; ++c) SetColumn(t, c, {String(1, static_cast<Char>(u'a' + c))});
  for (int32_t c = 1; c <= 3; ++c) t.SetColAttrib(c, static_cast<uint8_t>(c));
  ChangeCounter changes(t);
  t.RemoveColumn(1);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(Cell(t, 0, 1), u"a");
  EXPECT_EQ(Cell(t, 1, 1), u"c");
  EXPECT_EQ(Cell(t, 2, 1), u"d");
  EXPECT_EQ(t.GetColAttrib(1), 2);
  EXPECT_EQ(t.GetColAttrib(2), 3);
  EXPECT_EQ(changes.count, 2 * 3 + 1);
  t.RemoveColumn(2);
  t.RemoveColumn(1);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(Cell(t, 0, 1), u"a");
  changes.count = 0;
  t.SetString(1, 1, u"x");
  t.SetColAttrib(1, 4);
  t.RemoveColumn(1);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(Cell(t, 1, 1), u"");
  EXPECT_EQ(t.GetColAttrib(1), 0);
  EXPECT_EQ(Cell(t, 0, 1), u"a");
  EXPECT_EQ(changes.count, 2 + 2 + 1);
}

TEST(StringArrayRows, EmptinessLooksAtBlanksOnly) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 2));
  t.SetString(0, 1, u"header");
  t.SetString(1, 1, u"   ");
  t.SetString(2, 2, u" . ");
  EXPECT_TRUE(t.RowEmpty(1));  // column 0 is not looked at
  EXPECT_FALSE(t.RowEmpty(2));
  EXPECT_TRUE(t.ColumnEmpty(1));
  EXPECT_FALSE(t.ColumnEmpty(0));
  EXPECT_FALSE(t.ColumnEmpty(2));
  EXPECT_TRUE(t.ColumnEmpty(3));
  EXPECT_TRUE(t.ColumnEmpty(-1));
  EXPECT_TRUE(t.RowEmpty(3));
  t.SetString(1, 1, u"\t");
  EXPECT_FALSE(t.RowEmpty(1));
}

// ================================================================================================
// Sort order written by the caller

TEST(StringArraySortOrder, WritesAreCheckedForRangeOnly) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"a", u"b", u"c"});
  ChangeCounter changes(t);
  t.SetSortOrder(1, 3);
  t.SetSortOrder(0, 1);
  t.SetSortOrder(2, 4);
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"c", u"b", u"c"}));
}

TEST(StringArraySortOrder, CommitMendsABrokenOrderWithoutSharingStrings) {
  TStringArray t;
  t.SetNrOfRows(4);
  SetColumn(t, 1, {u"a", u"b", u"c", u"d"});
  t.SetRowAttrib(1, 1);
  t.SetSortOrder(1, 3);  // shows c, b, c, d; a is hidden
  t.SetSortOrder(4, 3);  // shows c, b, c, c; a and d are hidden
  t.CommitSorting();
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"c", u"b", u"a", u"d"}));
  EXPECT_EQ(t.GetRowAttrib(3), 1);
  t.SetString(1, 1, u"x");
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"x", u"b", u"a", u"d"}));
}

TEST(StringArraySortOrder, RemoveRowMendsABrokenOrder) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"a", u"b", u"c"});
  t.SetSortOrder(1, 3);  // c, b, c
  t.RemoveRow(1);        // mended to c, b, a first
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"b", u"a"}));
  t.SetSortOrder(2, 2);  // b, b: the stored row shown at 1 is the last one
  t.RemoveRow(2);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.GetSortOrder(1), 1);
  EXPECT_EQ(Cell(t, 1, 1), u"b");
}

// ================================================================================================
// Sorting

TEST(StringArraySort, SortsTheIndexAndLeavesTheStoredOrder) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"b", u"A", u"c"});
  std::vector<int32_t> progress;
  t.SetOnPercentDone([&](TObject*, int32_t p) { progress.push_back(p); });
  ChangeCounter changes(t);
  t.Sort(1, 0, true);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"A", u"b", u"c"}));
  EXPECT_EQ(t.GetSortOrder(1), 2);
  EXPECT_EQ(t.GetSortOrder(2), 1);
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 17, 50, 83, 100}));
  t.CommitSorting();
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(t.GetSortOrder(1), 1);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"A", u"b", u"c"}));
  t.Sort(1, 0, false);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"c", u"b", u"A"}));
  t.UnSort();
  EXPECT_EQ(changes.count, 3);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"A", u"b", u"c"}));
}

TEST(StringArraySort, ProgressRoundsHalvesToEvenAndMayPass100) {
  std::vector<int32_t> progress;
  TStringArray t;
  t.SetOnPercentDone([&](TObject*, int32_t p) { progress.push_back(p); });
  t.SetNrOfRows(27);  // estimate 200; the first gap-1 pass ends at 173 comparisons: 86.5
  for (int32_t r = 1; r <= 27; ++r) t.SetString(1, r, String(1, static_cast<Char>(u'a' + r)));
  t.Sort(1, 0, true);
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 4, 10, 18, 27, 38, 49, 61, 74, 86, 100}));
  progress.clear();
  TStringArray u;
  u.SetOnPercentDone([&](TObject*, int32_t p) { progress.push_back(p); });
  u.SetNrOfRows(7);
  SetColumn(u, 1, {u"c", u"a", u"d", u"e", u"f", u"g", u"b"});
  u.Sort(1, 0, true);
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 8, 25, 46, 71, 96, 121, 100}));
  EXPECT_EQ(Column(u, 1), (std::vector<String>{u"a", u"b", u"c", u"d", u"e", u"f", u"g"}));
}

TEST(StringArraySort, OneRowSendsProgressButNoChange) {
  TStringArray t;
  std::vector<int32_t> progress;
  t.SetOnPercentDone([&](TObject*, int32_t p) { progress.push_back(p); });
  ChangeCounter changes(t);
  t.Sort(1, 0, true);
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 100}));
  EXPECT_EQ(changes.count, 0);
}

TEST(StringArraySort, EqualKeysUseTheSecondaryColumnOrStayUnexchanged) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 4));
  SetColumn(t, 1, {u"x", u"y", u"X", u"x"});
  SetColumn(t, 2, {u"3", u"1", u"1", u"2"});
  t.Sort(1, 2, true);
  EXPECT_EQ(Column(t, 2), (std::vector<String>{u"1", u"2", u"3", u"1"}));
  t.Sort(1, 2, false);
  EXPECT_EQ(Column(t, 2), (std::vector<String>{u"1", u"3", u"2", u"1"}));
  // Without a secondary column equal keys are never exchanged with each other directly, yet the
  // comb sort is not stable: gap 2 moves the first "b" behind the second.
  TStringArray u;
  ASSERT_TRUE(u.Resize(2, 3));
  SetColumn(u, 1, {u"b", u"b", u"a"});
  SetColumn(u, 2, {u"1", u"2", u""});
  u.Sort(1, 0, true);
  EXPECT_EQ(Column(u, 2), (std::vector<String>{u"", u"2", u"1"}));
  u.UnSort();
  u.Sort(1, 5, true);  // a secondary column out of range gives equal keys
  EXPECT_EQ(Column(u, 2), (std::vector<String>{u"", u"2", u"1"}));
}

TEST(StringArraySort, KeysCompareByUtf16CodeUnitsNotBytes) {
  TStringArray t;
  t.SetNrOfRows(5);
  // Bytes 0x80 (euro sign, U+20AC) and 0xFF (U+00FF): byte order and code-unit order differ.
  SetColumn(t, 0, {u"\u20ac", u"\u00ff", u"Z", u"a", u"\u00c9"});
  t.Sort(0, 0, true);
  EXPECT_EQ(Column(t, 0), (std::vector<String>{u"a", u"Z", u"\u00c9", u"\u00ff", u"\u20ac"}));
}

TEST(StringArraySort, ColumnOutOfRangeLeavesTheOrder) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"c", u"b", u"a"});
  ChangeCounter changes(t);
  t.Sort(2, 0, true);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"c", u"b", u"a"}));
  EXPECT_EQ(changes.count, 1);
}

TEST(StringArraySort, TheHookSuppliesTheKeys) {
  TStringArray t;
  t.SetNrOfRows(4);
  SetColumn(t, 1, {u"10", u"9", u"100", u"B"});
  t.Sort(1, 0, true);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"10", u"100", u"9", u"B"}));
  std::vector<String> seen;
  t.SetOnBeforeSortExchange([&](TObject* sender, StringView in, String& out) {
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(out, in);
    seen.emplace_back(in);
    out = String(5 - std::min<size_t>(in.size(), 5), u' ') + String(in);
  });
  t.Sort(1, 0, true);
  EXPECT_EQ(Column(t, 1), (std::vector<String>{u"9", u"B", u"10", u"100"}));
  EXPECT_FALSE(seen.empty());
}

TEST(StringArraySort, AHookThatShrinksTheTableEndsTheSort) {
  TStringArray t;
  t.SetNrOfRows(50);
  for (int32_t r = 1; r <= 50; ++r) t.SetString(1, r, String(1, static_cast<Char>(u'z' - r % 26)));
  int calls = 0;
  t.SetOnBeforeSortExchange([&](TObject*, StringView, String&) {
    if (++calls == 10) t.SetNrOfRows(5);
  });
  t.Sort(1, 0, true);
  EXPECT_EQ(t.NrOfRows(), 5);
  t.SetOnBeforeSortExchange(nullptr);
  int passes = 0;
  t.SetNrOfRows(50);
  t.SetOnPercentDone([&](TObject*, int32_t) {
    if (++passes == 2) t.SetNrOfRows(3);
  });
  t.Sort(1, 0, false);
  EXPECT_EQ(t.NrOfRows(), 3);
}

// ================================================================================================
// Searching

// FindCellIntern as (found, column, row); -7 stands for an output left unchanged.
std::tuple<bool, int32_t, int32_t> Find(const TStringArray& t, StringView s, bool matchCase,
                                        int32_t colLow, int32_t colHigh, int32_t rowLow,
                                        int32_t rowHigh, bool exact = false) {
  int32_t c = -7;
  int32_t r = -7;
  const bool found = t.FindCellIntern(s, matchCase, colLow, colHigh, rowLow, rowHigh, c, r, exact);
  return {found, c, r};
}

TEST(StringArrayFind, SubstringSearchScansRowByRow) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 3));
  SetColumn(t, 0, {u"x", u"b"});
  SetColumn(t, 2, {u"ABC", u"abc"});
  int32_t c = -7;
  int32_t r = -7;
  EXPECT_TRUE(t.FindCell(u"b", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(std::pair(c, r), std::pair(2, 1));
  EXPECT_TRUE(t.FindCell(u"b", true, -1, -1, -1, -1, c, r));
  EXPECT_EQ(std::pair(c, r), std::pair(0, 2));
  EXPECT_EQ(Find(t, u"bc", true, 2, 2, 3, 1), std::tuple(true, 2, 2));  // rows swapped
  EXPECT_EQ(Find(t, u"", false, -1, -1, -1, -1), std::tuple(false, -7, -7));
  EXPECT_EQ(Find(t, u"abcd", false, -1, -1, -1, -1), std::tuple(false, -7, -7));
  EXPECT_EQ(Find(t, u"\u0100", false, -1, -1, -1, -1), std::tuple(false, -7, -7));
}

TEST(StringArrayFind, RangesAreClippedAndMinusOneMeansAll) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 4));
  t.SetString(3, 4, u"needle");
  t.SetString(0, 1, u"needle in col 0");
  t.SetString(0, 3, u"a needle");
  EXPECT_EQ(Find(t, u"needle", true, 1, 99, 2, 99), std::tuple(true, 3, 4));
  EXPECT_EQ(Find(t, u"needle", true, 2, -1, 2, 3), std::tuple(true, 0, 3));   // columns 0..3
  EXPECT_EQ(Find(t, u"needle", true, -5, 0, -1, 4), std::tuple(true, 0, 1));  // rows 1..4
  EXPECT_EQ(Find(t, u"needle", true, 1, 2, -1, -1), std::tuple(false, -7, -7));
}

TEST(StringArrayFind, ExactSearchNeedsTheWholeCell) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"ABC", u"", u"abc"});
  int32_t c = 0;
  int32_t r = 0;
  EXPECT_FALSE(t.FindCellExact(u"b", false, -1, -1, -1, -1, c, r));
  EXPECT_TRUE(t.FindCellExact(u"abc", true, -1, -1, -1, -1, c, r));
  EXPECT_EQ(r, 3);
  EXPECT_EQ(Find(t, u"abc", false, -1, -1, -1, -1, true), std::tuple(true, 1, 1));
  EXPECT_EQ(Find(t, u"", false, 1, 1, -1, -1, true), std::tuple(true, 1, 2));
  t.SetString(1, 2, u"caf\u00c9");
  EXPECT_EQ(std::get<0>(Find(t, u"caf\u00e9", false, -1, -1, -1, -1, true)), false);  // A-Z only
  EXPECT_EQ(Find(t, u"F\u00c9", false, -1, -1, -1, -1), std::tuple(true, 1, 2));
}

// FindCellInSortedColumn as (found, row).
std::pair<bool, int32_t> Sorted(const TStringArray& t, StringView s, bool matchCase, int32_t col,
                                int32_t lo, int32_t hi, bool ascending) {
  int32_t r = -7;
  const bool found = t.FindCellInSortedColumn(s, matchCase, col, lo, hi, ascending, r);
  return {found, r};
}

TEST(StringArrayFind, BinarySearchFindsTheFirstOfARun) {
  TStringArray t;
  t.SetNrOfRows(5);
  SetColumn(t, 1, {u"a", u"b", u"b", u"b", u"c"});
  EXPECT_EQ(Sorted(t, u"b", true, 1, -1, -1, true), std::pair(true, 2));
  EXPECT_EQ(Sorted(t, u"c", true, 1, -1, -1, true), std::pair(true, 5));
  EXPECT_EQ(Sorted(t, u"A", false, 1, -1, -1, true), std::pair(true, 1));
  EXPECT_EQ(Sorted(t, u"A", true, 1, -1, -1, true).first, false);
  EXPECT_EQ(Sorted(t, u"b", true, 1, 4, 5, true), std::pair(true, 2));  // the run reaches above 4
  EXPECT_EQ(Sorted(t, u"bb", true, 1, -1, -1, true), std::pair(false, 5));  // last row compared
  EXPECT_EQ(Sorted(t, u"0", true, 1, -1, -1, true), std::pair(false, 1));
}

TEST(StringArrayFind, BinarySearchOnDescendingAndTinyColumns) {
  TStringArray t;
  t.SetNrOfRows(4);
  SetColumn(t, 1, {u"\u20ac", u"\u00ff", u"d", u"a"});  // descending by code units
  EXPECT_EQ(Sorted(t, u"\u00ff", true, 1, -1, -1, false), std::pair(true, 2));
  EXPECT_EQ(Sorted(t, u"a", true, 1, -1, -1, false), std::pair(true, 4));
  EXPECT_EQ(Sorted(t, u"\u20ac", true, 1, -1, -1, false), std::pair(true, 1));
  TStringArray one;
  one.SetString(1, 1, u"only");
  EXPECT_EQ(Sorted(one, u"only", true, 1, -1, -1, true), std::pair(true, 1));
  TStringArray empty;
  empty.SetNrOfRows(6);
  EXPECT_EQ(Sorted(empty, u"", true, 1, -1, -1, true), std::pair(true, 1));
  EXPECT_EQ(Sorted(empty, u"", true, 9, -1, -1, true), std::pair(true, 1));  // column clipped
}

// ================================================================================================
// Numeric readings

TEST(StringArrayNumbers, ReadsDecimalLiteralsWithPointOrComma) {
  TStringArray t;
  t.SetNrOfRows(2);
  const std::vector<std::pair<StringView, double>> cases = {
      {u" 3,5 ", 3.5}, {u"", 0.0},       {u"   ", 0.0},    {u"-1.5e3", -1500.0},
      {u"+7", 7.0},    {u".5", 0.5},     {u"5.", 5.0},     {u"1E-2", 0.01},
      {u"-0", -0.0},   {u"1e-999", 0.0}, {u"00012", 12.0}, {u"2.5E+1", 25.0}};
  for (auto [text, value] : cases) {
    t.SetString(1, 2, text);
    EXPECT_EQ(t.GetAsNumber(1, 2), value) << ToUtf8(text);
  }
  EXPECT_EQ(t.GetAsNumber(5, 5), 0.0);
}

TEST(StringArrayNumbers, RejectsAnythingElseWithTheDocumentedMessage) {
  TStringArray t;
  t.SetNrOfRows(2);
  t.SetString(1, 2, u"x1");
  try {
    t.GetAsNumber(1, 2);
    FAIL() << "no error";
  } catch (const EXANDStructError& e) {
    EXPECT_EQ(e.Message(), u"Class TStringArray: invalid numeric string: [1,2]: x1");
  }
  t.SetString(0, 1, u" 1 2 ");
  try {
    t.GetAsInteger(0, 1);
    FAIL() << "no error";
  } catch (const EXANDStructError& e) {
    EXPECT_EQ(e.Message(), u"Class TStringArray: invalid numeric string: [0,1]:  1 2 ");
  }
  for (StringView bad : {u".", u"e5", u"1e", u"1e+", u"1,000.5", u"0x10", u"inf", u"nan", u"--1",
                         u"1.2.3", u"\u00bd", u"1e999", u"-1e400"}) {
    t.SetString(1, 1, bad);
    EXPECT_THROW(t.GetAsNumber(1, 1), EXANDStructError) << ToUtf8(bad);
    EXPECT_THROW(t.GetAsInteger(1, 1), EXANDStructError) << ToUtf8(bad);
  }
}

TEST(StringArrayNumbers, IntegersAreClampedAndRoundedHalfToEven) {
  TStringArray t;
  const std::vector<std::pair<StringView, int32_t>> cases = {{u"2.5", 2},
                                                             {u"3.5", 4},
                                                             {u"-2.5", -2},
                                                             {u"-3.5", -4},
                                                             {u"2.4999", 2},
                                                             {u"-1E12", -2147483647},
                                                             {u"1E12", 2147483647},
                                                             {u"-2147483648", -2147483647},
                                                             {u"2147483646.5", 2147483646},
                                                             {u"", 0},
                                                             {u"0,5", 0},
                                                             {u"1,5", 2}};
  for (auto [text, value] : cases) {
    t.SetString(1, 1, text);
    EXPECT_EQ(t.GetAsInteger(1, 1), value) << ToUtf8(text);
  }
}

// ================================================================================================
// Copying

TEST(StringArrayAssign, CopiesEverythingWithoutNotifying) {
  TStringArray src;
  ASSERT_TRUE(src.Resize(2, 130));
  src.SetAllocRowsBy(4);
  for (int32_t r = 1; r <= 130; ++r)
    src.SetString(1, r, Repeat(static_cast<Char>(u'a' + r % 26), 255));
  src.SetString(0, 3, u"c");
  src.SetString(0, 1, u"a");
  src.SetString(0, 2, u"b");
  src.SetRowAttrib(1, 11);
  src.SetColAttrib(2, 22);
  src.Sort(0, 0, false);
  int srcChanges = 0;
  int progress = 0;
  src.SetOnChange([&](TObject*) { ++srcChanges; });
  src.SetOnPercentDone([&](TObject*, int32_t) { ++progress; });
  src.SetOnBeforeSortExchange([](TObject*, StringView, String&) {});
  TStringArray dst;
  int dstChanges = 0;
  dst.SetOnChange([&](TObject*) { ++dstChanges; });
  dst.Assign(src);
  EXPECT_EQ(dstChanges, 0);
  EXPECT_EQ(srcChanges, 0);
  EXPECT_EQ(dst.NrOfColumns(), 2);
  EXPECT_EQ(dst.NrOfRows(), 130);
  EXPECT_EQ(dst.AllocRowsBy(), 4);
  EXPECT_EQ(dst.AllocatedRows(), src.AllocatedRows());
  EXPECT_EQ(dst.NumBuffers(), 2);
  for (int32_t r = 1; r <= 130; ++r) {
    ASSERT_EQ(dst.GetSortOrder(r), src.GetSortOrder(r));
    for (int32_t c = 0; c <= 2; ++c) ASSERT_EQ(Cell(dst, c, r), Cell(src, c, r));
    ASSERT_EQ(dst.GetRowAttrib(r), src.GetRowAttrib(r));
  }
  EXPECT_EQ(dst.GetColAttrib(2), 22);
  EXPECT_TRUE(dst.OnBeforeSortExchange());
  dst.SetString(0, 1, u"changed");  // the copied OnChange is src's counter
  EXPECT_EQ(srcChanges, 1);
  EXPECT_EQ(dstChanges, 0);
  EXPECT_EQ(Cell(src, 0, 1), u"c");
  dst.UnSort();
  EXPECT_EQ(Column(dst, 0)[0], u"a");
  dst.Sort(0, 0, true);
  EXPECT_GT(progress, 0);
}

TEST(StringArrayAssign, OtherClassesAreRefused) {
  class TStranger : public TPersistent {};
  TStringArray t;
  TStranger s;
  EXPECT_THROW(t.Assign(s), EConvertError);
  EXPECT_THROW(t.AssignTo(s), EConvertError);
  TStringArray u;
  u.SetString(1, 1, u"via AssignTo");
  u.AssignTo(t);
  EXPECT_EQ(Cell(t, 1, 1), u"via AssignTo");
  t.Assign(t);
  EXPECT_EQ(Cell(t, 1, 1), u"via AssignTo");
}

TEST(StringArrayAssign, OwnerDeletesTheTable) {
  TComponent owner;
  auto* t = new TStringArray(&owner);
  t->SetName(u"Table1");
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), t);
}

// ================================================================================================
// XML-like persistence

// A temporary directory that is removed with everything in it.
class StringArrayXml : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("xan_stringarray_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  String Path(const char* name) const { return FromUtf8((dir_ / name).string()); }
  std::string Bytes(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void Write(const char* name, std::string_view bytes) const {
    std::ofstream out(dir_ / name, std::ios::binary);
    out << bytes;
  }

 private:
  std::filesystem::path dir_;
};

TEST_F(StringArrayXml, WritesTheDocumentedElement) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(2, 3));
  t.SetString(0, 1, u"head");
  t.SetString(2, 1, u"a<b & c>\td");
  t.SetString(1, 3, u" \u00e9\u20ac ");
  t.SetRowAttrib(3, 7);
  t.SetColAttrib(2, 200);
  t.SaveAsXMLFile(Path("t.xml"), u"Table 1");
  EXPECT_EQ(Bytes("t.xml"),
            "<?xml version=\"1.0\"?>\r\n"
            "\r\n"
            "<!-- TStringArray / XAN Component Suite -->\r\n"
            "<stringarray sig=\"XANDUroze\" vers=\"1.0\" id=\"Table 1\">\r\n"
            "  <dims cols=2 rows=3 />\r\n"
            "  <colattrib c=2 val=200 />\r\n"
            "  <cell c=0 r=1>head</cell>\r\n"
            "  <cell c=2 r=1>a&lt;b &amp; c&gt;&#9;d</cell>\r\n"
            "  <rowattrib r=3 val=7 />\r\n"
            "  <cell c=1 r=3> \xe9\x80 </cell>\r\n"
            "</stringarray>\r\n");
}

TEST_F(StringArrayXml, EveryCellRoundTrips) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 90));
  // Every byte value, in cells of three, with the entity texts themselves among them.
  for (int32_t b = 0; b < 256; ++b) {
    t.SetString(b % 4, b / 4 + 1, ShortString::FromAnsi(std::string(3, static_cast<char>(b))));
  }
  t.SetString(1, 70, u"&amp; &#60; &bogus; & ;");
  t.SetString(2, 70, Repeat(u'<', 255));
  t.SetString(3, 70, u"  leading and trailing  ");
  t.SetString(0, 71, u"\r\n");
  t.SetRowAttrib(90, 255);
  t.SetColAttrib(3, 1);
  t.SaveAsXMLFile(Path("all.xml"), u"x");
  TStringArray u;
  ChangeCounter changes(u);
  ASSERT_TRUE(u.LoadFromXMLFile(Path("all.xml"), u"x"));
  EXPECT_EQ(changes.count, 1);
  ASSERT_EQ(u.NrOfColumns(), 3);
  ASSERT_EQ(u.NrOfRows(), 90);
  for (int32_t r = 1; r <= 90; ++r) {
    for (int32_t c = 0; c <= 3; ++c)
      ASSERT_EQ(u.GetString(c, r), t.GetString(c, r)) << c << "," << r;
    ASSERT_EQ(u.GetRowAttrib(r), t.GetRowAttrib(r));
  }
  EXPECT_EQ(u.GetColAttrib(3), 1);
}

TEST_F(StringArrayXml, TheVisibleOrderIsSaved) {
  TStringArray t;
  t.SetNrOfRows(3);
  SetColumn(t, 1, {u"c", u"a", u"b"});
  t.SetRowAttrib(1, 3);
  t.Sort(1, 0, true);
  t.SaveAsXMLFile(Path("s.xml"), u"");
  TStringArray u;
  u.SetAllocRowsBy(2);
  ASSERT_TRUE(u.LoadFromXMLFile(Path("s.xml"), u""));
  EXPECT_EQ(Column(u, 1), (std::vector<String>{u"a", u"b", u"c"}));
  EXPECT_EQ(u.GetSortOrder(1), 1);
  EXPECT_EQ(u.GetRowAttrib(3), 3);
  EXPECT_EQ(u.AllocRowsBy(), 2);  // the reader's own step stays
  ASSERT_TRUE(u.Resize(1, 11));
  EXPECT_EQ(u.AllocatedRows(), 12);
}

TEST_F(StringArrayXml, ElementsAreFoundByTheirIdentifier) {
  TStringArray a;
  a.SetString(1, 1, u"first");
  TStringArray b;
  b.SetString(1, 1, u"second");
  {
    TTextFile file(Path("two.xml"), tfmRewrite);
    a.WriteToOpenXMLFile(file, true, u"A");
    b.WriteToOpenXMLFile(file, false, u"B");
    file.Close();
  }
  TStringArray t;
  EXPECT_TRUE(t.LoadFromXMLFile(Path("two.xml"), u" b "));
  EXPECT_EQ(Cell(t, 1, 1), u"second");
  EXPECT_TRUE(t.LoadFromXMLFile(Path("two.xml"), u""));
  EXPECT_EQ(Cell(t, 1, 1), u"first");
  TTextFile file(Path("two.xml"), tfmRead);
  EXPECT_TRUE(t.ReadFromOpenXMLFile(file, u""));
  EXPECT_EQ(Cell(t, 1, 1), u"first");
  EXPECT_TRUE(t.ReadFromOpenXMLFile(file, u""));  // goes on after the first element
  EXPECT_EQ(Cell(t, 1, 1), u"second");
  EXPECT_FALSE(t.ReadFromOpenXMLFile(file, u""));
}

TEST_F(StringArrayXml, AFailedReadChangesNothing) {
  TStringArray t;
  t.SetString(1, 1, u"kept");
  t.SaveAsXMLFile(Path("ok.xml"), u"A");
  ChangeCounter changes(t);
  EXPECT_FALSE(t.LoadFromXMLFile(Path("ok.xml"), u"C"));
  EXPECT_FALSE(t.LoadFromXMLFile(Path("missing.xml"), u""));
  const std::string head = "<stringarray sig=\"XANDUroze\" vers=\"1.0\" id=\"A\">\r\n";
  Write("cut.xml", head + "  <dims cols=1 rows=2 />\r\n  <cell c=1 r=1>x</cell>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("cut.xml"), u"a"));
  Write("nodims.xml", head + "  <cell c=1 r=1>x</cell>\r\n</stringarray>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("nodims.xml"), u"a"));
  Write("baddims.xml", head + "  <dims cols=0 rows=2 />\r\n</stringarray>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("baddims.xml"), u"a"));
  Write("open.xml", head + "  <dims cols=1 rows=1 />\r\n  <cell c=1 r=1>x\r\n</stringarray>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("open.xml"), u"a"));
  // A damaged count must not make the reader claim gigabytes: one row past the limit is refused.
  Write("huge.xml", head + "  <dims cols=8 rows=2000000000 />\r\n</stringarray>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("huge.xml"), u"a"));
  Write("limit.xml",
        head + "  <dims cols=3 rows=" + std::to_string(TStringArray::MaxXMLCells / 4 + 1) +
            " />\r\n</stringarray>\r\n");
  EXPECT_FALSE(t.LoadFromXMLFile(Path("limit.xml"), u"a"));
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(Cell(t, 1, 1), u"kept");
}

TEST_F(StringArrayXml, DamagedFilesReadWholeOrNotAtAll) {
  TStringArray t;
  ASSERT_TRUE(t.Resize(3, 6));
  t.SetString(0, 1, u"a&b<c>");
  t.SetString(2, 3, u"\t\u20ac\u0081;");
  t.SetString(3, 6, u"&amp;&#");
  t.SetRowAttrib(2, 9);
  t.SetColAttrib(3, 4);
  t.SaveAsXMLFile(Path("base.xml"), u"D");
  const std::string base = Bytes("base.xml");
  // No digits among the pieces: the dimensions stay small whatever the damage.
  static constexpr std::array<std::string_view, 14> pieces = {
      "<", ">", "&", ";", "\"", "=", " ", "/", "\r\n", "&#", "<cell c=", "</stringarray>", "x", ""};
  std::mt19937 rng(5);
  for (int k = 0; k < 150; ++k) {
    std::string text = base;
    for (uint32_t n = 1 + rng() % 4; n > 0; --n) {
      const size_t at = rng() % (text.size() + 1);
      text.replace(at, std::min<size_t>(rng() % 4, text.size() - at), pieces[rng() % 14]);
    }
    Write("bad.xml", text);
    TStringArray u;
    ChangeCounter changes(u);
    if (u.LoadFromXMLFile(Path("bad.xml"), u"d")) {
      EXPECT_EQ(changes.count, 1);
      for (int32_t r = 1; r <= u.NrOfRows(); ++r)
        for (int32_t c = 0; c <= u.NrOfColumns(); ++c) EXPECT_LE(u.GetString(c, r).Length(), 255u);
    } else {
      EXPECT_EQ(changes.count, 0);
      EXPECT_EQ(u.NrOfRows(), 1);
      EXPECT_EQ(u.NrOfColumns(), 1);
    }
  }
}

TEST_F(StringArrayXml, ReadingIsLenient) {
  Write("odd.xml",
        "junk line\r\n"
        "<STRINGARRAY SIG=\"xanduroze\" id=\"  Odd \" other=1>\r\n"
        "<!-- a comment --> <unknown a=1 /> <dims rows=2 cols=+2 />\r\n"
        "<cell c=2 r=2>&#65;&bogus;&lt</cell><cell c=3 r=1>outside</cell>\r\n"
        "<cell c=x r=1>bad index</cell><rowattrib r=1 val=300 /><colattrib c=1 val=9 />\r\n"
        "</stringarray> trailing\r\n");
  TStringArray t;
  ASSERT_TRUE(t.LoadFromXMLFile(Path("odd.xml"), u"ODD"));
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(Cell(t, 2, 2), u"A&bogus;&lt");
  EXPECT_TRUE(t.RowEmpty(1));
  EXPECT_EQ(t.GetRowAttrib(1), 0);
  EXPECT_EQ(t.GetColAttrib(1), 9);
}

TEST_F(StringArrayXml, LongRunsOfAmpersandsReadInOnePass) {
  // Each "&" without a ";" once searched to the end of the cell text: a cell of a million "&"
  // took longer than any test may run. The cell keeps its first 255 bytes, as every cell does.
  const std::string amps(1 << 20, '&');
  Write("amps.xml",
        "<stringarray sig=\"XANDUroze\" id=\"a\">\r\n<dims cols=1 rows=2 />\r\n"
        "<cell c=1 r=2>&lt;" +
            amps + "&gt;</cell>\r\n</stringarray>\r\n");
  TStringArray t;
  ASSERT_TRUE(t.LoadFromXMLFile(Path("amps.xml"), u"a"));
  EXPECT_EQ(t.GetString(1, 2).Bytes(), "<" + amps.substr(0, 254));
  EXPECT_TRUE(t.RowEmpty(1));
}

// ================================================================================================
// Against a model of the documented rules
//
// The model keeps, for every stored cell, its text and the pool block that holds it, and replays
// each operation step by step as the table's rules describe it: the write rules of the pool, the
// allocation steps, the moves of InsertRow and RemoveRow, the comb sort with keys made for every
// comparison, and both searches. Random operations on small tables (with long strings, so that
// blocks fill up) must leave the table and the model alike after every step.

class TTableModel {
 public:
  using TKeyHook = std::function<String(StringView)>;

  int32_t ncol = 1, nrow = 1, step = 10, allocated = 10;
  std::vector<int32_t> firstFree{1};
  std::vector<std::vector<std::pair<int32_t, std::string>>> cells =        // [col][stored row - 1]
      std::vector(2, std::vector(10, std::pair<int32_t, std::string>{}));  // block 0: no string
  std::vector<int32_t> sortIx = Identity(10);
  std::vector<uint8_t> rowAttr = std::vector<uint8_t>(10);
  std::vector<uint8_t> colAttr = std::vector<uint8_t>(1);
  int64_t changes = 0;
  TKeyHook hook;                                 // stands in for OnBeforeSortExchange
  std::vector<std::vector<int32_t>> passOrders;  // the sort index at each progress report
  std::vector<int32_t> progress;

  static std::vector<int32_t> Identity(int32_t n) {
    std::vector<int32_t> v(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) v[static_cast<size_t>(i)] = i + 1;
    return v;
  }
  bool ColOk(int32_t c) const { return c >= 0 && c <= ncol; }
  bool RowOk(int32_t r) const { return r >= 1 && r <= nrow; }
  auto& At(int32_t c, int32_t r) { return cells[c][sortIx[r - 1] - 1]; }
  String Text(int32_t c, int32_t r) {
    return ColOk(c) && RowOk(r) ? AnsiToString(At(c, r).second) : String();
  }

  void Write(std::pair<int32_t, std::string>& ref, const std::string& s) {
    const auto len = static_cast<int32_t>(s.size());
    if (ref.first == 0 || static_cast<int32_t>(ref.second.size()) < len) {
      size_t k = 0;
      while (k < firstFree.size() && 32768 - firstFree[k] <= len) ++k;
      if (k == firstFree.size()) firstFree.push_back(1);
      firstFree[k] += len + 1;
      ref.first = static_cast<int32_t>(k + 1);
    }
    ref.second = s;
  }
  void SetString(int32_t c, int32_t r, const std::string& s) {
    if (!ColOk(c) || !RowOk(r)) return;
    Write(At(c, r), s);
    ++changes;
  }
  void SetRowAttrib(int32_t r, uint8_t b) {
    if (RowOk(r)) rowAttr[sortIx[r - 1] - 1] = b, ++changes;
  }
  void SetColAttrib(int32_t c, uint8_t b) {
    if (c >= 1 && c <= ncol) colAttr[c - 1] = b, ++changes;
  }

  // Resize steps 3 to 5 without the sort index and the notification.
  void Storage(int32_t nc, int32_t nr) {
    if (nc != ncol || nr > allocated) allocated = step * ((nr - 1) / step + 1);
    for (int32_t c = 0; c <= std::min(nc, ncol); ++c) {
      for (int32_t p = nr + 1; p <= nrow; ++p) cells[c][p - 1] = {};
    }
    for (int32_t p = nr + 1; p <= nrow; ++p) rowAttr[p - 1] = 0;
    cells.resize(static_cast<size_t>(nc) + 1);
    for (auto& col : cells) col.resize(static_cast<size_t>(allocated));
    rowAttr.resize(static_cast<size_t>(allocated));
    colAttr.resize(static_cast<size_t>(nc));
    sortIx.resize(static_cast<size_t>(allocated));
    ncol = nc;
    nrow = nr;
  }
  bool Resize(int32_t nc, int32_t nr) {
    if (nc == ncol && nr == nrow) return true;
    if (nc <= 0 || nr <= 0) return false;
    Storage(nc, nr);
    sortIx = Identity(allocated);
    ++changes;
    return true;
  }
  void InsertRow(int32_t r) {
    if (!RowOk(r)) return;
    const int32_t p = sortIx[r - 1];
    const std::vector<int32_t> old(sortIx.begin(), sortIx.begin() + nrow);
    Storage(ncol, nrow + 1);
    ++changes;
    const int32_t n = nrow;
    for (int32_t q = n; q > p; --q) {
      for (auto& col : cells) col[q - 1] = col[q - 2];
      rowAttr[q - 1] = rowAttr[q - 2];
    }
    for (auto& col : cells) col[p - 1] = {};
    rowAttr[p - 1] = 0;
    changes += int64_t{n - p + 1} * (ncol + 2);
    const auto raise = [p](int32_t x) { return x >= p ? x + 1 : x; };
    for (int32_t i = 1; i <= n; ++i) {
      sortIx[i - 1] = i < r ? raise(old[i - 1]) : i == r ? p : raise(old[i - 2]);
    }
  }
  void RemoveRow(int32_t r) {
    if (!RowOk(r)) return;
    if (nrow == 1) {
      for (auto& col : cells) col[0] = {};
      rowAttr[0] = 0;
      changes += ncol + 2;
      return;
    }
    const int32_t n = nrow;
    const int32_t p = sortIx[r - 1];
    for (int32_t q = p; q < n; ++q) {
      for (auto& col : cells) col[q - 1] = col[q];
      rowAttr[q - 1] = rowAttr[q];
    }
    sortIx.erase(sortIx.begin() + (r - 1));
    sortIx.push_back(static_cast<int32_t>(sortIx.size()) + 1);
    for (int32_t i = 0; i < n - 1; ++i) {
      if (sortIx[i] > p) --sortIx[i];
    }
    Storage(ncol, n - 1);
    changes += int64_t{n - p} * (ncol + 2) + 1;
  }
  void InsertColumn(int32_t c) {
    if (c < 1 || c > ncol) return;
    Resize(ncol + 1, nrow);
    for (int32_t k = ncol; k > c; --k) cells[k] = cells[k - 1], colAttr[k - 1] = colAttr[k - 2];
    for (auto& ref : cells[c]) ref = {};
    colAttr[c - 1] = 0;
    changes += int64_t{ncol - c + 1} * (nrow + 1);
  }
  void RemoveColumn(int32_t c) {
    if (c < 1 || c > ncol) return;
    if (ncol == 1) {
      for (auto& ref : cells[1]) ref = {};
      colAttr[0] = 0;
      changes += nrow + 1;
      return;
    }
    for (int32_t k = c; k < ncol; ++k) cells[k] = cells[k + 1], colAttr[k - 1] = colAttr[k];
    changes += int64_t{ncol - c} * (nrow + 1);
    Resize(ncol - 1, nrow);
  }
  void CopyRow(int32_t s, int32_t t) {
    if (!RowOk(s) || !RowOk(t)) return;
    for (int32_t c = 0; c <= ncol; ++c) SetString(c, t, std::string(At(c, s).second));
    SetRowAttrib(t, rowAttr[sortIx[s - 1] - 1]);
  }
  void Clear() {
    for (auto& col : cells)
      for (auto& ref : col) ref = {};
    sortIx = Identity(allocated);
    std::fill(rowAttr.begin(), rowAttr.end(), 0);
    std::fill(colAttr.begin(), colAttr.end(), 0);
    firstFree = {1};
  }
  void Fill(const std::string& s) {
    if (s.empty()) return Clear();
    for (int32_t r = 1; r <= nrow; ++r)
      for (int32_t c = 0; c <= ncol; ++c) SetString(c, r, s);
  }
  void CommitSorting() {
    const auto old = cells;
    const auto oldAttr = rowAttr;
    for (int32_t i = 1; i <= nrow; ++i) {
      for (int32_t c = 0; c <= ncol; ++c) cells[c][i - 1] = old[c][sortIx[i - 1] - 1];
      rowAttr[i - 1] = oldAttr[sortIx[i - 1] - 1];
    }
    sortIx = Identity(allocated);
  }
  void GarbageCollection() {
    for (size_t j = 1; j <= firstFree.size(); ++j) {
      int32_t n = 1;
      for (int32_t c = 0; c <= ncol; ++c) {
        for (int32_t p = 1; p <= nrow; ++p) {
          if (cells[c][p - 1].first == static_cast<int32_t>(j))
            n += static_cast<int32_t>(cells[c][p - 1].second.size()) + 1;
        }
      }
      firstFree[j - 1] = n;
    }
  }

  String Key(int32_t c, int32_t p) {
    String in = ColOk(c) ? AnsiToString(cells[c][p - 1].second) : String();
    String out = hook ? hook(in) : in;
    for (Char& ch : out) ch = ch >= u'A' && ch <= u'Z' ? static_cast<Char>(ch + 32) : ch;
    return out;
  }
  void Sort(int32_t col, int32_t colSec, bool ascending) {
    const int64_t n = nrow;
    passOrders = {std::vector<int32_t>(sortIx.begin(), sortIx.begin() + n)};
    progress = {0};
    int64_t total = 0;
    for (int64_t g = n; g != 1;) {
      g = std::max<int64_t>(static_cast<int64_t>(static_cast<double>(g) / 1.3), 1);
      total += n - g;
    }
    total += n;
    if (n > 1) {
      int64_t g = n;
      int64_t counter = 0;
      bool exchanged = false;
      do {
        g = std::max<int64_t>(static_cast<int64_t>(static_cast<double>(g) / 1.3), 1);
        exchanged = false;
        for (int64_t i = 1; i + g <= n; ++i) {
          ++counter;
          int32_t& a = sortIx[i - 1];
          int32_t& b = sortIx[i + g - 1];
          String ka = Key(col, a), kb = Key(col, b);
          if (ka == kb && colSec > 0) ka = Key(colSec, a), kb = Key(colSec, b);
          if (ascending ? ka > kb : ka < kb) std::swap(a, b), exchanged = true;
        }
        passOrders.emplace_back(sortIx.begin(), sortIx.begin() + n);
        // counter / total * 100 rounded, halves to the even neighbour, in whole numbers
        const int64_t q = 100 * counter / total;
        const int64_t twiceRest = 2 * (100 * counter - q * total);
        progress.push_back(static_cast<int32_t>(
            twiceRest > total || (twiceRest == total && q % 2 == 1) ? q + 1 : q));
      } while (g > 1 || exchanged);
      ++changes;
    }
    passOrders.emplace_back(sortIx.begin(), sortIx.begin() + n);
    progress.push_back(100);
  }

  static String Lower(String s) {
    for (Char& ch : s) ch = ch >= u'A' && ch <= u'Z' ? static_cast<Char>(ch + 32) : ch;
    return s;
  }
  bool Find(String f, bool matchCase, int32_t cl, int32_t ch, int32_t rl, int32_t rh, int32_t& col,
            int32_t& row, bool exact) {
    if (!matchCase) f = Lower(f);
    if (cl == -1 || ch == -1) cl = 0, ch = ncol;
    if (rl == -1 && rh == -1) rl = 1, rh = nrow;
    cl = std::clamp(cl, 0, ncol), ch = std::clamp(ch, 0, ncol);
    rl = std::clamp(rl, 1, nrow), rh = std::clamp(rh, 1, nrow);
    if (cl > ch) std::swap(cl, ch);
    if (rl > rh) std::swap(rl, rh);
    for (int32_t r = rl; r <= rh; ++r) {
      for (int32_t c = cl; c <= ch; ++c) {
        const String t = matchCase ? Text(c, r) : Lower(Text(c, r));
        if (exact ? t == f : !f.empty() && t.find(f) != String::npos) {
          col = c, row = r;
          return true;
        }
      }
    }
    return false;
  }
  bool FindSorted(String f, bool matchCase, int32_t c, int32_t lo, int32_t hi, bool ascending,
                  int32_t& row) {
    if (!matchCase) f = Lower(f);
    const auto cell = [&](int32_t r) { return matchCase ? Text(c, r) : Lower(Text(c, r)); };
    if (lo == -1 && hi == -1) lo = 1, hi = nrow;
    c = std::clamp(c, 0, ncol);
    lo = std::clamp(lo, 1, nrow), hi = std::clamp(hi, 1, nrow);
    if (lo > hi) std::swap(lo, hi);
    int32_t r = (lo + hi) / 2;
    bool match = false;
    while (!match && lo != hi) {
      const int32_t mid = (lo + hi) / 2;
      r = mid;
      if (cell(mid) == f) {
        match = true;
      } else if ((f < cell(mid)) == ascending) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    if (!match) r = lo, match = cell(lo) == f;
    if (match) {
      while (r > 1 && cell(r - 1) == f) --r;
    }
    row = r;
    return match;
  }
};

// Random cell bytes: mostly short texts over an alphabet where lower-casing and the code page
// change the order (A-Z against "[" .. "`", bytes 0x80..0x9F whose characters lie far above
// 0xFF, Latin-1 capitals that are not lowered, byte 0), sometimes long ones with a common prefix.
std::string RandomCell(std::mt19937& rng) {
  static constexpr char letters[] = "aAbBzZ[`_ \x00\x80\x81\x8a\x9a\x9f\xc0\xe0\xff\x8c\x9c";
  static constexpr std::string_view alphabet(letters, sizeof letters - 1);
  std::string s;
  const uint32_t kind = rng() % 10;
  if (kind == 0) s.assign(200 + rng() % 56, 'q');
  if (kind == 1) s = "common prefix ";
  for (uint32_t n = rng() % 4; n > 0; --n) s += alphabet[rng() % alphabet.size()];
  return s.substr(0, 255);
}

String RandomFindText(std::mt19937& rng) {
  String s = AnsiToString(RandomCell(rng));
  if (rng() % 8 == 0) s += u'\u0100';
  if (s.size() > 3 && rng() % 2 == 0) s = s.substr(rng() % 3, 2);
  return s;
}

void ExpectAlike(TStringArray& t, TTableModel& m, int64_t changes, const std::string& op) {
  ASSERT_EQ(t.NrOfColumns(), m.ncol) << op;
  ASSERT_EQ(t.NrOfRows(), m.nrow) << op;
  ASSERT_EQ(t.AllocatedRows(), m.allocated) << op;
  ASSERT_EQ(t.NumBuffers(), static_cast<int32_t>(m.firstFree.size())) << op;
  ASSERT_EQ(changes, m.changes) << op;
  for (int32_t r = 1; r <= m.nrow; ++r) {
    ASSERT_EQ(t.GetSortOrder(r), m.sortIx[r - 1]) << op << " row " << r;
    ASSERT_EQ(t.GetRowAttrib(r), m.rowAttr[m.sortIx[r - 1] - 1]) << op << " row " << r;
    for (int32_t c = 0; c <= m.ncol; ++c)
      ASSERT_EQ(t.GetString(c, r).Bytes(), m.At(c, r).second) << op << " cell " << c << "," << r;
  }
  for (int32_t c = 1; c <= m.ncol; ++c) ASSERT_EQ(t.GetColAttrib(c), m.colAttr[c - 1]) << op;
}

// Sorts the table and the model alike, with the reversing key hook or without a hook, and
// expects the same progress values and the same sort index at every progress report.
void SortAlike(TStringArray& t, TTableModel& m, int32_t col, int32_t colSec, bool ascending,
               bool withHook) {
  m.hook = nullptr;
  t.SetOnBeforeSortExchange(nullptr);
  if (withHook) {
    m.hook = [](StringView in) {
      String out(in.rbegin(), in.rend());
      if (out.size() % 2 == 1) out.insert(0, 1, u'\u0100');
      return out;
    };
    t.SetOnBeforeSortExchange([&m](TObject*, StringView in, String& out) {
      EXPECT_EQ(out, in);
      out = m.hook(in);
    });
  }
  std::vector<int32_t> progress;
  std::vector<std::vector<int32_t>> orders;
  t.SetOnPercentDone([&](TObject*, int32_t p) {
    progress.push_back(p);
    orders.emplace_back();
    for (int32_t r = 1; r <= t.NrOfRows(); ++r) orders.back().push_back(t.GetSortOrder(r));
  });
  m.Sort(col, colSec, ascending);
  t.Sort(col, colSec, ascending);
  t.SetOnPercentDone(nullptr);
  t.SetOnBeforeSortExchange(nullptr);
  ASSERT_EQ(progress, m.progress);
  ASSERT_EQ(orders, m.passOrders);
}

TEST(StringArrayModel, SortOnEveryByteValueMatchesKeysMadePerComparison) {
  std::mt19937 rng(77);
  TStringArray t;
  TTableModel m;
  ASSERT_TRUE(t.Resize(2, 1500));
  ASSERT_TRUE(m.Resize(2, 1500));
  for (int32_t r = 1; r <= 1500; ++r) {
    for (int32_t c = 1; c <= 2; ++c) {
      std::string s(rng() % 3, '\0');
      for (char& b : s) b = static_cast<char>(rng() % 4 == 0 ? 'A' + rng() % 4 : rng());
      if (c == 1 && rng() % 4 == 0) s = "same long prefix " + s;
      t.SetString(c, r, ShortString::FromAnsi(s));
      m.SetString(c, r, s);
    }
  }
  for (const int32_t colSec : {0, 2}) {
    for (const bool ascending : {true, false}) {
      for (const bool withHook : {false, true}) {
        SortAlike(t, m, 1, colSec, ascending, withHook);
        t.UnSort();
        m.sortIx = TTableModel::Identity(m.allocated);
      }
    }
  }
}

TEST(StringArrayModel, RandomOperationsFollowTheDocumentedRules) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    TStringArray t;
    TTableModel m;
    int64_t changes = 0;
    t.SetOnChange([&](TObject*) { ++changes; });
    const auto pick = [&rng](int32_t lo, int32_t hi) {
      return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    for (int step = 0; step < 600; ++step) {
      const int32_t c = pick(-1, m.ncol + 1);
      const int32_t r = pick(0, m.nrow + 1);
      std::string op;
      switch (rng() % 20) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4: {
          const std::string s = RandomCell(rng);
          t.SetString(c, r, ShortString::FromAnsi(s));
          m.SetString(c, r, s);
          op = "SetString";
          break;
        }
        case 5: {
          const int32_t nc = pick(0, 6);
          const int32_t nr = rng() % 4 == 0 ? m.nrow : pick(0, 70);
          ASSERT_EQ(t.Resize(nc, nr), m.Resize(nc, nr));
          op = "Resize";
          break;
        }
        case 6:
          t.InsertRow(r), m.InsertRow(r), op = "InsertRow";
          break;
        case 7:
          t.RemoveRow(r), m.RemoveRow(r), op = "RemoveRow";
          break;
        case 8:
          t.InsertColumn(c), m.InsertColumn(c), op = "InsertColumn";
          break;
        case 9:
          t.RemoveColumn(c), m.RemoveColumn(c), op = "RemoveColumn";
          break;
        case 10: {
          const int32_t target = pick(0, m.nrow + 1);
          t.CopyRow(r, target), m.CopyRow(r, target), op = "CopyRow";
          break;
        }
        case 11: {
          const auto b = static_cast<uint8_t>(rng());
          if (rng() % 2)
            t.SetRowAttrib(r, b), m.SetRowAttrib(r, b);
          else
            t.SetColAttrib(c, b), m.SetColAttrib(c, b);
          op = "attribute";
          break;
        }
        case 12:
        case 13:
        case 14: {
          const int32_t sec = pick(-1, m.ncol + 1);
          SortAlike(t, m, c, sec, rng() % 2 == 0, rng() % 3 == 0);
          op = "Sort";
          break;
        }
        case 15: {
          const int32_t which = rng() % 4;
          if (which == 0) t.UnSort(), m.sortIx = TTableModel::Identity(m.allocated), ++m.changes;
          if (which == 1) t.CommitSorting(), m.CommitSorting();
          if (which == 2) t.GarbageCollection(), m.GarbageCollection();
          if (which == 3) t.AddRow(), m.Resize(m.ncol, m.nrow + 1);
          op = "UnSort/Commit/GC/AddRow";
          break;
        }
        case 16: {
          const int32_t s = pick(1, 12);
          t.SetAllocRowsBy(s), m.step = s;
          if (rng() % 8 == 0) {
            const std::string text = rng() % 3 == 0 ? std::string() : RandomCell(rng);
            t.Fill(ShortString::FromAnsi(text)), m.Fill(text);
          }
          op = "AllocRowsBy/Fill";
          break;
        }
        default: {
          const String f = RandomFindText(rng);
          const bool matchCase = rng() % 2 == 0;
          const bool exact = rng() % 3 == 0;
          const int32_t cl = pick(-2, m.ncol + 1), ch = pick(-2, m.ncol + 1);
          const int32_t rl = rng() % 3 ? -1 : pick(-2, m.nrow + 2);
          const int32_t rh = rng() % 3 ? -1 : pick(-2, m.nrow + 2);
          int32_t tc = -9, tr = -9, mc = -9, mr = -9;
          ASSERT_EQ(t.FindCellIntern(f, matchCase, cl, ch, rl, rh, tc, tr, exact),
                    m.Find(f, matchCase, cl, ch, rl, rh, mc, mr, exact));
          ASSERT_EQ(std::pair(tc, tr), std::pair(mc, mr));
          const bool ascending = rng() % 2 == 0;
          ASSERT_EQ(t.FindCellInSortedColumn(f, matchCase, c, rl, rh, ascending, tr),
                    m.FindSorted(f, matchCase, c, rl, rh, ascending, mr));
          ASSERT_EQ(tr, mr);
          op = "Find";
          break;
        }
      }
      ExpectAlike(t, m, changes,
                  "seed " + std::to_string(seed) + " step " + std::to_string(step) + " " + op);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace xan
