// Counting the set bits of a byte range, a machine word at a time: the bit field's counter.
// The processor's population count instruction is used where the running processor has one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xan::detail {

// The number of set bits in bytes[0..count-1], by the portable word-wise count (no special
// instruction). 0 for count 0.
uint64_t CountBitsPortable(const uint8_t* bytes, size_t count) noexcept;

// The same count, with the processor's population count instruction when the running
// processor offers it (checked once), else by CountBitsPortable.
uint64_t CountBits(const uint8_t* bytes, size_t count) noexcept;

// True when CountBits uses the processor's instruction.
bool HasHardwarePopCount() noexcept;

}  // namespace xan::detail
