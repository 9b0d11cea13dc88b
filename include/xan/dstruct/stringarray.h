// TStringArray: a two-dimensional table of short 8-bit strings kept in a shared pool of 32 KB
// blocks, with attributes, sorting through a row index, searching and numeric readings.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/xanbase.h"

namespace xan {

class TTextFile;

// One block of the string pool: bytes 0..32767. Strings are stored as a length byte followed by
// their characters, one after another; the last byte of a block is never used.
using TStringPool = std::array<uint8_t, 32768>;

// The sort-key hook of TStringArray::Sort: called with the text of a cell about to be compared;
// OutString arrives holding a copy of InString and may be replaced by the key to compare instead.
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, StringView InString, String& OutString)>;

// A table of short strings with columns 0..NrOfColumns() and rows 1..NrOfRows().
//
// Cells hold ShortStrings: 0..255 bytes in the ANSI code page; text is converted on the way in
// and cut after 255 characters. A cell never written reads as empty. Column 0 is a full data
// column (a row header): it has no column attribute and RowEmpty, InsertColumn and RemoveColumn
// leave it aside.
//
// Storage. Every cell holds a reference into the string pool: the block number (1-based) in the
// high 16 bits and the 1-based position of the string's length byte in the low 16 bits, 0 for a
// cell without a string. A write overwrites the cell's string in place when the old string is at
// least as long; otherwise the string is appended to the first block (from block 1 upwards) that
// has room before its last byte, and only when none has, a new zero-filled block is added
// (NumBuffers() grows by one). Overwritten and emptied strings stay in the pool as unused bytes
// until GarbageCollection() or Clear(). Rows are allocated in steps of AllocRowsBy().
//
// Rows are always addressed by their visible position. Sort() only permutes a row index (the
// sort order); the stored rows stay where they are until CommitSorting(). Row attributes belong
// to the stored row and travel with it through sorting.
//
// Out-of-range indices never raise: reads give an empty string, 0 or -1, writes do nothing and
// notify nothing. Errors raise EXANDStructError with a message that begins with
// "Class TStringArray: ":
//   "Class TStringArray: failed to initialize (out of memory)"   the constructor
//   "Class TStringArray: invalid numeric string: [c,r]: text"     GetAsNumber, GetAsInteger
//   "Class TStringArray: string pool full"                        a write that needs a block
//                                                                 beyond PoolBlockLimit()
//   "Class TStringArray: out of memory"                           a pool block, a copy or a
//                                                                 working array not obtained
//
// Notification: SetString, SetRowAttrib, SetColAttrib, a Resize that changes something, Sort
// (with at least 2 rows) and UnSort call Changed() once. Clear (and Fill with an empty string),
// Assign, CommitSorting, GarbageCollection, SetSortOrder and SetAllocRowsBy send none. The
// composite operations notify once for every cell and attribute they write and once for each
// change of dimensions; their counts are given with each of them.
class XAN_EXPORT TStringArray : public TComponent {
 public:
  // The highest number of pool blocks a reference can address (16-bit block number).
  static constexpr int32_t MaxPoolBlocks = 65535;

  // A table of 1 column after column 0 and 1 row, AllocRowsBy() 10 (10 rows allocated), one empty
  // pool block, all cells empty, attributes 0, the sort order the identity, no callbacks.
  // Raises EXANDStructError "Class TStringArray: failed to initialize (out of memory)" when the
  // storage cannot be obtained.
  explicit TStringArray(TComponent* AOwner = nullptr);
  ~TStringArray() override;

  // ----------------------------------------------------------------------------------------------
  // Copying and notification

  // From another TStringArray: copies everything, the dimensions and AllocRowsBy, the pool
  // blocks byte for byte, the references, the sort order (an uncommitted sort stays
  // uncommitted), the attributes and the three callbacks; no notification. The table is
  // unchanged when the copy cannot be allocated (EXANDStructError "...: out of memory"). Any
  // other source is asked to copy itself (TPersistent::Assign), which raises EConvertError when
  // it cannot.
  void Assign(const TPersistent& Source) override;
  // Into another TStringArray: Dest.Assign(*this); other destinations as TPersistent::AssignTo.
  void AssignTo(TPersistent& Dest) const override;

  // Calls OnChange(this) when a callback is set.
  void Changed();

  // ----------------------------------------------------------------------------------------------
  // Dimensions

  // The number of columns after column 0 (at least 1).
  int32_t NrOfColumns() const noexcept { return FNCol; }
  // Resize(Value, NrOfRows()).
  void SetNrOfColumns(int32_t Value);
  // The number of rows (at least 1).
  int32_t NrOfRows() const noexcept { return FNRow; }
  // Resize(NrOfColumns(), Value).
  void SetNrOfRows(int32_t Value);

  // The step by which row storage grows; 10 at creation. Applies at the next reallocation.
  int32_t AllocRowsBy() const noexcept { return FAllocRowsBy; }
  // Stores the step; values below 1 store 1, so the allocation is always a whole number of steps.
  // No notification.
  void SetAllocRowsBy(int32_t Value) noexcept { FAllocRowsBy = Value < 1 ? 1 : Value; }

  // The number of rows for which storage is allocated (at least NrOfRows()).
  int32_t AllocatedRows() const noexcept { return FRAllocated; }
  // The number of pool blocks in use (at least 1).
  int32_t NumBuffers() const noexcept { return FNumPoolAddr; }

  // Gives the table Nc columns after column 0 and Nr rows.
  // - Nc and Nr equal to the current ones: true, nothing else (no notification).
  // - Nc < 1 or Nr < 1: false, nothing changes.
  // - When the number of columns changes or Nr exceeds the allocated rows, the storage is
  //   reallocated to AllocRowsBy() * ((Nr - 1) div AllocRowsBy() + 1) rows (so it may also
  //   shrink); otherwise it stays.
  // Cells of rows and columns that leave the table are emptied, rows and columns that enter it
  // are empty with attribute 0, and the sort order becomes the identity (an uncommitted sort is
  // discarded). One notification; true. When the storage cannot be allocated the result is false
  // and nothing changes. Removed strings stay in the pool as unused bytes.
  //   10 allocated, Resize(1, 11) => 20 allocated;  AllocRowsBy 7, Resize(1, 15) => 21 allocated
  bool Resize(int32_t Nc, int32_t Nr);

  // Adds a row at the end through Resize (one notification, the sort order becomes the identity)
  // and returns the new NrOfRows(); the old one when the row cannot be allocated.
  int32_t AddRow();

  // Adds a row at the end (as AddRow) and writes Texts into it, the first into column
  // FirstColumn (0..NrOfColumns(), else 1), the next ones into the columns after it; columns are
  // added where the texts need more. Each text is converted and cut as SetString(c, r, text)
  // does. Returns true when every text was stored as it stands, false when one was cut after 255
  // characters or held a character the ANSI code page lacks (stored as '?'), or when the row
  // could not be added (nothing written then). Notifications: one per change of dimensions and
  // one per text.
  //   a new table (1 row, 1 column), AddRowTexts({u"Z\u00fcrich", u"8001"}) => true: row 2
  //   holds "Z\u00fcrich" in column 1 and "8001" in column 2 (row 1 stays empty)
  //   AddRowTexts({u"\u4e00"}) => false: the cell holds "?"
  bool AddRowTexts(std::initializer_list<StringView> Texts, int32_t FirstColumn = 1);
  bool AddRowTexts(std::span<const String> Texts, int32_t FirstColumn = 1);

  // Inserts an empty row with attribute 0 at visible row r (1..NrOfRows(), else nothing). The
  // stored rows from the one shown at r on move down by one; the other rows keep their visible
  // order, so an uncommitted sort survives. Notifications: one for the change of dimensions and
  // one for every cell (columns 0..NrOfColumns()) and attribute written: the new row and each
  // moved row, 1 + (N - p + 1) * (NrOfColumns() + 2) with N the new row count and p the stored
  // row shown at r. Nothing happens when the row cannot be allocated.
  void InsertRow(int32_t r);

  // Removes visible row r (1..NrOfRows(), else nothing); the other rows keep their visible
  // order. The last remaining row is emptied instead (attribute 0) and the table keeps one row:
  // NrOfColumns() + 2 notifications. Otherwise the stored rows after the removed one move up by
  // one: (N - p) * (NrOfColumns() + 2) + 1 notifications, N the old row count and p the stored
  // row shown at r. A sort order broken by SetSortOrder is mended first (see there).
  void RemoveRow(int32_t r);

  // Inserts an empty column with attribute 0 at c (1..NrOfColumns(), else nothing); columns c..
  // move one to the right. Goes through Resize, so the sort order becomes the identity.
  // Notifications: 1 + (NrOfColumns() - c + 1) * (NrOfRows() + 1), counted with the new
  // NrOfColumns(). Appending a column is done through SetNrOfColumns.
  void InsertColumn(int32_t c);

  // Removes column c (1..NrOfColumns(), else nothing); the columns after it move one to the left
  // and NrOfColumns() shrinks by one (through Resize: the sort order becomes the identity):
  // (NrOfColumns() - c) * (NrOfRows() + 1) + 1 notifications, counted with the old NrOfColumns().
  // The only column is emptied instead (cells and attribute; NrOfRows() + 1 notifications) and
  // the table keeps it.
  void RemoveColumn(int32_t c);

  // ----------------------------------------------------------------------------------------------
  // Cells

  // The cell at column c (0..NrOfColumns()) and visible row r (1..NrOfRows()); empty when out of
  // range or never written.
  ShortString GetString(int32_t c, int32_t r) const;
  // Stores s in the cell (in place or appended, see the class comment) and notifies; nothing
  // when out of range. Raises EXANDStructError ("string pool full" or "out of memory") when a
  // new block is needed and cannot be added; the cell then keeps its old text.
  void SetString(int32_t c, int32_t r, const ShortString& s);
  // Text converted to the ANSI code page and cut after 255 characters, then as above.
  void SetString(int32_t c, int32_t r, StringView s);

  // The cell read as a number: blanks (U+0020) trimmed at both ends and every "," replaced by
  // ".". Empty gives 0; otherwise the text must be a decimal literal: an optional sign, digits
  // with an optional "." (digits on at least one side of it) and an optional exponent ("E" or
  // "e", optional sign, digits). A value beyond the range of a double does not read; one too
  // small for it reads as 0. Raises EXANDStructError
  // "Class TStringArray: invalid numeric string: [c,r]: <the cell as stored>" otherwise.
  //   " 3,5 " => 3.5,  "" => 0,  "-1.5e3" => -1500,  ".5" => 0.5,  "x1" => raises,  "1e999" =>
  //   raises
  double GetAsNumber(int32_t c, int32_t r) const;
  // GetAsNumber, then limited to -2147483647..2147483647 and rounded, halves to the even
  // neighbour. Raises as GetAsNumber.
  //   "2.5" => 2,  "3.5" => 4,  "-1E12" => -2147483647,  "1E12" => 2147483647,  "" => 0
  int32_t GetAsInteger(int32_t c, int32_t r) const;

  // The attribute of the row shown at visible row r; 0 when out of range.
  uint8_t GetRowAttrib(int32_t r) const noexcept;
  // Sets it and notifies; nothing when out of range.
  void SetRowAttrib(int32_t r, uint8_t b);
  // The attribute of column c (1..NrOfColumns(); column 0 has none); 0 when out of range.
  uint8_t GetColAttrib(int32_t c) const noexcept;
  // Sets it and notifies; nothing when out of range (column 0 included).
  void SetColAttrib(int32_t c, uint8_t b);

  // Copies every cell of columns 0..NrOfColumns() and the attribute of visible row Source into
  // visible row Target, cell by cell as SetString does, then the attribute: NrOfColumns() + 2
  // notifications. Nothing when either row is out of range.
  void CopyRow(int32_t Source, int32_t Target);

  // Empties every cell, resets the sort order to the identity, sets all attributes to 0 and
  // shrinks the pool to one empty block; the dimensions stay. No notification.
  void Clear() noexcept;
  // Clear() when s is empty; otherwise SetString(c, r, s) for every cell, column by column within
  // each row: (NrOfColumns() + 1) * NrOfRows() notifications.
  void Fill(const ShortString& s);
  void Fill(StringView s);

  // True when every cell of column ACol (rows 1..NrOfRows()) is empty or holds only blanks
  // (U+0020). A column out of range reads as empty cells: true.
  bool ColumnEmpty(int32_t ACol) const noexcept;
  // The same over columns 1..NrOfColumns() of visible row ARow; column 0 is not looked at. A row
  // out of range gives true.
  bool RowEmpty(int32_t ARow) const noexcept;

  // ----------------------------------------------------------------------------------------------
  // Sort order

  // The stored row shown at visible row ix; -1 when ix is outside 1..NrOfRows().
  int32_t GetSortOrder(int32_t ix) const noexcept;
  // Shows stored row position at visible row ix when both lie in 1..NrOfRows(); otherwise
  // nothing. No notification, and no check that the order stays a permutation: a stored row may
  // be shown twice and another one not at all. Every read stays within the table. RemoveRow and
  // CommitSorting mend such an order first, so that no row's strings are shared or lost: the
  // second and later visible rows that show an already shown stored row get, from the top, the
  // stored rows that no visible row shows, in ascending order.
  void SetSortOrder(int32_t ix, int32_t position) noexcept;

  // Sorts the rows by column Col (0..NrOfColumns()), and rows whose keys are equal there by
  // column ColSec when ColSec > 0, ascending or descending, by permuting the sort order with a
  // comb sort (gap shrunk by 1.3 each pass; not stable: equal keys are never exchanged with each
  // other directly, but may still change their order). Keys are the cell texts passed through
  // BeforeSortExchange and lower-cased (A-Z only), compared by UTF-16 code units; a column out of
  // range gives empty keys. OnPercentDone gets 0 first, then after each pass the comparisons
  // made so far in percent of an estimate (rounded, halves to even; it may exceed 100), and 100
  // last. Notifies once when there are at least 2 rows. A callback that changes the number of
  // rows while the sort runs ends it there; one that changes cells or the sort order leaves the
  // rows in an unspecified order.
  //   Sort(1, 0, true) on "b", "A", "c" shows "A", "b", "c"; GetSortOrder(1) => 2
  void Sort(int32_t Col, int32_t ColSec, bool Ascending);
  // Resets the sort order to the identity and notifies.
  void UnSort();
  // Makes the visible order the stored order: the cells and attributes of the rows are reordered
  // and the sort order becomes the identity. The visible content is unchanged (after mending a
  // broken order, see SetSortOrder); no notification. Raises EXANDStructError "...: out of
  // memory" with nothing changed when the working copy cannot be allocated.
  void CommitSorting();

  // Compacts the pool: within each block the strings still referenced are moved together from
  // position 1 on and the block's first free position follows the last of them; every cell keeps
  // its text. The number of blocks stays. No notification. Raises EXANDStructError "...: out of
  // memory" with nothing changed when its working arrays cannot be allocated.
  void GarbageCollection();

  // ----------------------------------------------------------------------------------------------
  // Searching. Unless MatchCase, the search text and the cells are compared lower-cased (A-Z
  // only). Found positions are a column and a visible row.

  // The first cell, row by row from RowLow to RowHigh and within a row from ColLow to ColHigh,
  // that contains FindStr (an empty FindStr is contained in none); true and Col, Row set, or
  // false with Col and Row unchanged. ColLow or ColHigh -1 means all columns 0..NrOfColumns();
  // RowLow and RowHigh both -1 mean all rows. Bounds are then clipped to the table and swapped
  // when reversed.
  //   cells "x", "ABC": FindCell(u"b", false, -1, -1, -1, -1, c, r) => true, the "ABC" cell
  bool FindCell(StringView FindStr, bool MatchCase, int32_t ColLow, int32_t ColHigh, int32_t RowLow,
                int32_t RowHigh, int32_t& Col, int32_t& Row) const;
  // As FindCell, for a cell equal to FindStr as a whole (an empty FindStr finds an empty cell).
  bool FindCellExact(StringView FindStr, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                     int32_t RowLow, int32_t RowHigh, int32_t& Col, int32_t& Row) const;
  // The search behind both: whole cells when Exact, substrings otherwise.
  bool FindCellIntern(StringView FindStr, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                      int32_t RowLow, int32_t RowHigh, int32_t& Col, int32_t& Row,
                      bool Exact) const;

  // Binary search for FindStr in column ColIx, rows RowLow..RowHigh (both -1: all rows; clipped
  // and swapped like FindCell), whose texts as compared are in ascending (ColIsAscending) or
  // descending UTF-16 code-unit order. On a match, Row moves up to the first of a run of equal
  // cells (the run may start above RowLow) and the result is true; without a match Row holds the
  // last row compared and the result is false.
  //   ascending "a", "b", "b", "c": "b" => true, Row 2;  "c" => true, Row 4;  "bb" => false
  bool FindCellInSortedColumn(StringView FindStr, bool MatchCase, int32_t ColIx, int32_t RowLow,
                              int32_t RowHigh, bool ColIsAscending, int32_t& Row) const;

  // ----------------------------------------------------------------------------------------------
  // XML-like persistence
  //
  // The table is written as one element that an open text file may hold among others, told
  // apart by a data identifier. Lines (each ending with the file's line break):
  //   <?xml version="1.0"?>                                  only when CreateHeader is true
  //                                                          an empty line, always
  //   <!-- TStringArray / XAN Component Suite -->
  //   <stringarray sig="XANDUroze" vers="1.0" id="DataID">
  //     <dims cols=NrOfColumns rows=NrOfRows />
  //     <colattrib c=2 val=7 />                              each non-zero column attribute
  //     <rowattrib r=1 val=4 />                              each non-zero row attribute
  //     <cell c=0 r=1>text</cell>                            each non-empty cell
  //   </stringarray>
  // Rows are written in their visible order, row by row and within a row column by column,
  // inner lines indented by two blanks; numbers are decimal. In cell texts "&", "<" and ">" are
  // written as "&amp;", "&lt;" and "&gt;", and control characters (codes 0..31 and 127..159) as
  // "&#" + decimal code + ";", so every cell reads back exactly and stays on its line. DataID is
  // written as given; it should hold no double quote, or the element cannot be found again.
  //
  // Reading searches from the file's current position for the first line that contains
  // "<stringarray" and "xanduroze" (without regard to case) and, when DataID is not empty, an
  // id="..." whose text, trimmed of blanks, equals DataID without regard to case. It then reads
  // the element's tags up to "</stringarray>" with ReadNextTagInTextFile; unknown tags are
  // skipped, cells and attributes outside the dimensions are ignored, and unknown or malformed
  // entities are kept as they stand. On success the table takes the element's content (sort
  // order the identity), notifies once and the result is true; when no element is found, the
  // file ends before "</stringarray>" or the dimensions are missing, invalid, larger than
  // MaxXMLCells references ((cols + 1) * rows) or cannot be allocated, the table is unchanged and
  // the result is false: a damaged count never makes the reader claim gigabytes. Errors of the
  // text file pass through.
  static constexpr int64_t MaxXMLCells = int64_t{1} << 26;

  // Reads the element identified by DataID from the file's current position.
  bool ReadFromOpenXMLFile(TTextFile& TFile, StringView DataID);
  // Opens FName, reads the element identified by DataID and closes the file; false as above, and
  // false when the file cannot be opened.
  bool LoadFromXMLFile(StringView FName, StringView DataID);
  // Writes the element at the file's current position.
  void WriteToOpenXMLFile(TTextFile& TFile, bool CreateHeader, StringView DataID) const;
  // Creates (or empties) FName and writes the element with the header line into it. Errors of
  // the file pass through as EInOutError.
  void SaveAsXMLFile(StringView FName, StringView DataID) const;

  // ----------------------------------------------------------------------------------------------
  // Callbacks

  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TOnPercentDoneEvent& OnPercentDone() const noexcept { return FOnPercentDone; }
  void SetOnPercentDone(TOnPercentDoneEvent Value) { FOnPercentDone = std::move(Value); }
  const TBeforeSortExchgEvent& OnBeforeSortExchange() const noexcept { return FOnBefSortExc; }
  void SetOnBeforeSortExchange(TBeforeSortExchgEvent Value) { FOnBefSortExc = std::move(Value); }

 protected:
  // Copies InString to OutString, then calls OnBeforeSortExchange(this, InString, OutString)
  // when set.
  void BeforeSortExchange(StringView InString, String& OutString);

  // The most pool blocks this table may use: MaxPoolBlocks. A descendant may lower it; values
  // above MaxPoolBlocks act as MaxPoolBlocks. A write that needs one more block raises
  // EXANDStructError "Class TStringArray: string pool full" and leaves the cell as it was;
  // GarbageCollection() may then win room back.
  virtual int32_t PoolBlockLimit() const noexcept { return MaxPoolBlocks; }

 private:
  // AddRowTexts over n texts, text(k) giving the k-th.
  template <class F>
  bool AddRowTextsOf(size_t n, F text, int32_t FirstColumn);
  // The bytes of the string a reference points at (empty for 0).
  std::string_view RefBytes(uint32_t ref) const noexcept;
  // The reference of column c, stored row p (1-based), both in range.
  uint32_t& Ref(int32_t c, int32_t p) noexcept {
    return FPoiArray[static_cast<size_t>(c)][static_cast<size_t>(p - 1)];
  }
  uint32_t Ref(int32_t c, int32_t p) const noexcept {
    return FPoiArray[static_cast<size_t>(c)][static_cast<size_t>(p - 1)];
  }
  // The cell bytes at column c, visible row r; empty when out of range.
  std::string_view CellBytes(int32_t c, int32_t r) const noexcept;
  bool ValidCol(int32_t c) const noexcept { return c >= 0 && c <= FNCol; }
  bool ValidRow(int32_t r) const noexcept { return r >= 1 && r <= FNRow; }

  // Writes bytes into the cell with reference ref: in place or appended.
  void StoreCell(uint32_t& ref, std::string_view bytes);
  // Appends bytes to the pool and returns their reference.
  uint32_t AppendToPool(std::string_view bytes);
  void ForgetFreeBlocks() noexcept;

  // Storage for Nc columns and Nr rows without touching the sort order or notifying; false
  // with nothing changed when the storage cannot be obtained.
  bool Reshape(int32_t Nc, int32_t Nr) noexcept;
  void ResetSortIndex() noexcept;
  // Makes the sort order a permutation again after SetSortOrder broke it.
  void MendSortIndex();
  // Calls Changed() Count times (nothing to do without a callback).
  void NotifyTimes(int64_t Count);
  // Moves the content (everything but the callbacks and the name) of Other into this table.
  void TakeContent(TStringArray& Other) noexcept;

  // The numeric reading shared by GetAsNumber and GetAsInteger.
  double ReadNumber(int32_t c, int32_t r) const;

  // The sort key of column col, stored row p: its text (in) passed through BeforeSortExchange
  // into key and lower-cased; the text is empty when the column or row is out of range.
  void SortKey(int32_t col, int32_t p, String& in, String& key);
  // Per visible row, the rank of its keys (column Col, then ColSec when above 0) in ascending
  // order, equal keys sharing a rank; empty when the working arrays cannot be allocated.
  std::vector<uint32_t> RankKeys(int32_t Col, int32_t ColSec) const noexcept;

  int32_t FNCol;
  int32_t FNRow;
  int32_t FAllocRowsBy;
  int32_t FRAllocated;
  int32_t FNumPoolAddr;
  std::vector<int32_t> FFirstFree;
  // Cell references by column and stored row (0-based in the vectors).
  std::vector<std::vector<uint32_t>> FPoiArray;
  std::vector<int32_t> FSortIx;
  // The blocks are held one by one, so that adding a block never moves the others.
  std::vector<std::unique_ptr<TStringPool>> FStgPool;
  TBytes FRowAttrib;
  TBytes FColAttrib;
  TNotifyEvent FOnChange;
  TBeforeSortExchgEvent FOnBefSortExc;
  TOnPercentDoneEvent FOnPercentDone;
  // For each string length L, no block before FFitFrom[L] (0-based) has room for L bytes. Blocks
  // only fill up until GarbageCollection, Clear or Assign, which reset these bounds, so an append
  // finds its block without trying the full blocks again.
  std::array<int32_t, 256> FFitFrom{};
};

}  // namespace xan
