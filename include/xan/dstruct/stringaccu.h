// TStringAccu: counts how often each distinct string was added, keeping the strings in the
// order of their first addition.
#pragma once

#include <cstdint>
#include <vector>

#include "xan/platform/classes.h"
#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/xanbase.h"

namespace xan {

// The distinct strings added so far, numbered 1..Size in the order of their first addition,
// each with the number of times it was added. Strings are equal when they hold the same code
// units (case-sensitive). A hash index finds a string in constant expected time, so adding does
// not slow down as the number of distinct strings grows. No change notification; Assign is the
// base one.
class XAN_EXPORT TStringAccu : public TComponent {
 public:
  // An empty accumulator; its storage is taken as strings are added.
  explicit TStringAccu(TComponent* AOwner = nullptr);
  ~TStringAccu() override;

  // The number of distinct strings.
  int32_t Size() const noexcept { return FSize; }

  // Counts AString once more: its count grows by one when it is present, else it is appended
  // with count 1. A count stops at the largest int32 instead of wrapping.
  //   Add "a", "b", "a", "A" => Size 3: "a" x2, "b" x1, "A" x1
  // Throws EXANDStructError "...: not enough memory on heap" (nothing changed) when the storage
  // cannot grow.
  void Add(StringView AString);

  // The ix-th distinct string (1..Size); empty outside that range.
  String GetString(int32_t ix) const;
  // How often the ix-th distinct string was added; 0 outside 1..Size.
  int32_t GetCount(int32_t ix) const noexcept;
  // The same as GetString and GetCount.
  String Elem(int32_t ix) const { return GetString(ix); }
  int32_t Count(int32_t ix) const noexcept { return GetCount(ix); }

  // Forgets every string.
  void Clear() noexcept;

 private:
  // The slot of the index that holds `text`, or the empty slot where it belongs.
  size_t FindSlot(StringView text, uint32_t hash) const noexcept;
  void GrowIndex();

  int32_t FSize;
  TStrArray FStrArray;
  std::vector<int32_t> FCntArray;
  // Open-addressing hash index over FStrArray, a power of two of slots, at most half of them
  // used: a used slot holds the string's 32-bit hash in its high half and its number (1..Size)
  // in its low half; 0 marks an empty slot.
  std::vector<uint64_t> FIndex;
};

}  // namespace xan
