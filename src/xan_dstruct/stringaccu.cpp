// TStringAccu: the strings in order of first addition, their counts, and the hash index that
// finds a string without scanning them.
#include "xan/dstruct/stringaccu.h"

#include <functional>
#include <limits>

#include "xan_dstruct/component_support.h"

namespace xan {

namespace {

uint32_t HashOf(StringView text) noexcept {
  const uint64_t h = std::hash<StringView>{}(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

constexpr uint32_t SlotNumber(uint64_t slot) noexcept {
  return static_cast<uint32_t>(slot);
}
constexpr uint32_t SlotHash(uint64_t slot) noexcept {
  return static_cast<uint32_t>(slot >> 32);
}
constexpr uint64_t MakeSlot(uint32_t hash, uint32_t number) noexcept {
  return uint64_t{hash} << 32 | number;
}

}  // namespace

TStringAccu::TStringAccu(TComponent* AOwner) : TComponent(AOwner), FSize(0) {}

TStringAccu::~TStringAccu() = default;

size_t TStringAccu::FindSlot(StringView text, uint32_t hash) const noexcept {
  const size_t mask = FIndex.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint64_t slot = FIndex[i];
    if (slot == 0) return i;
    if (SlotHash(slot) == hash && FStrArray[SlotNumber(slot) - 1] == text) return i;
  }
}

void TStringAccu::GrowIndex() {
  std::vector<uint64_t> index(FIndex.empty() ? 16 : FIndex.size() * 2, 0);
  const size_t mask = index.size() - 1;
  for (const uint64_t slot : FIndex) {
    if (slot == 0) continue;
    size_t i = SlotHash(slot) & mask;
    while (index[i] != 0) i = (i + 1) & mask;
    index[i] = slot;
  }
  FIndex.swap(index);
}

void TStringAccu::Add(StringView AString) {
  const uint32_t hash = HashOf(AString);
  if (!FIndex.empty()) {
    const uint64_t slot = FIndex[FindSlot(AString, hash)];
    if (slot != 0) {
      int32_t& count = FCntArray[SlotNumber(slot) - 1];
      if (count < std::numeric_limits<int32_t>::max()) ++count;
      return;
    }
  }
  if (FSize == std::numeric_limits<int32_t>::max()) {
    throw EXANDStructError(ComponentMessage(detail::kNotEnoughMemory));
  }
  // Grow first and append second, so that a failure leaves the accumulator as it was.
  detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    if (2 * (static_cast<size_t>(FSize) + 1) > FIndex.size()) GrowIndex();
    FStrArray.emplace_back(AString);
    try {
      FCntArray.push_back(1);
    } catch (...) {
      FStrArray.pop_back();
      throw;
    }
  });
  ++FSize;
  FIndex[FindSlot(AString, hash)] = MakeSlot(hash, static_cast<uint32_t>(FSize));
}

String TStringAccu::GetString(int32_t ix) const {
  if (ix < 1 || ix > FSize) return String();
  return FStrArray[static_cast<size_t>(ix - 1)];
}

int32_t TStringAccu::GetCount(int32_t ix) const noexcept {
  if (ix < 1 || ix > FSize) return 0;
  return FCntArray[static_cast<size_t>(ix - 1)];
}

void TStringAccu::Clear() noexcept {
  FSize = 0;
  FStrArray = TStrArray();
  FCntArray = std::vector<int32_t>();
  FIndex = std::vector<uint64_t>();
}

}  // namespace xan
