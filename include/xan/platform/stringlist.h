// The string list: an ordered list of texts, indexed from 0, that loads and saves itself as the
// lines of a text file or stream.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "xan/platform/export.h"
#include "xan/platform/streams.h"
#include "xan/platform/strings.h"

namespace xan {

// An ordered list of texts. Indexes count from 0; an index outside 0..Count-1 reads as an empty
// text and is ignored by the changing operations, which never raise for it.
//
// As lines, the list is stored in the ANSI code page (as text files are), each text followed by
// CR LF; on loading, CR LF, a lone LF and a lone CR each end a line, and a last line without a
// line end counts as a line.
class XAN_EXPORT TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<String> Items) : FItems(Items) {}

  // ---------------------------------------------------------------------------------------------
  // Items

  int32_t Count() const noexcept { return static_cast<int32_t>(FItems.size()); }

  // Appends S and returns its index.
  int32_t Add(StringView S);
  // Inserts S before position Index (0..Count; Count appends); other indexes do nothing.
  void Insert(int32_t Index, StringView S);
  // Removes the text at Index.
  void Delete(int32_t Index);
  // Removes all texts.
  void Clear() noexcept { FItems.clear(); }

  // The text at Index, or an empty text for an index out of range.
  const String& Strings(int32_t Index) const noexcept;
  // Replaces the text at Index.
  void SetStrings(int32_t Index, StringView S);

  // The index of the first text equal to S, or -1: compared exactly, or by the locale's rules
  // ignoring case (LocaleSameText) when CaseSensitive() is false.
  int32_t IndexOf(StringView S) const noexcept;
  // Whether IndexOf tells upper from lower case; true for a new list.
  bool CaseSensitive() const noexcept { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) noexcept { FCaseSensitive = Value; }

  // The texts as a vector, in order.
  const std::vector<String>& Items() const noexcept { return FItems; }
  auto begin() const noexcept { return FItems.begin(); }
  auto end() const noexcept { return FItems.end(); }

  // ---------------------------------------------------------------------------------------------
  // As lines

  // All texts, each followed by CR LF.
  //   {u"a", u"b"} => u"a\r\nb\r\n",  {} => u""
  String Text() const;
  // Replaces the texts by the lines of Value.
  //   u"a\r\nb" => {u"a", u"b"},  u"a\n\nb\r" => {u"a", u"", u"b"},  u"" => {}
  void SetText(StringView Value);

  // Replaces the texts by the lines of the rest of Source (from its position), or of the file.
  // Raises EFOpenError when the file cannot be opened.
  void LoadFromStream(TStream& Source);
  void LoadFromFile(StringView FileName);
  // Writes the lines to Dest at its position, or to the file, created or replaced.
  void SaveToStream(TStream& Dest) const;
  void SaveToFile(StringView FileName) const;

  // Equal when both hold the same texts in the same order.
  friend bool operator==(const TStringList& A, const TStringList& B) {
    return A.FItems == B.FItems;
  }

 private:
  std::vector<String> FItems;
  bool FCaseSensitive = true;
};

}  // namespace xan
