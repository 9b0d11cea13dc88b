// The host-independent parts of processor identification: level acceptance, the checked CPUID
// execution, texts from register words and the clock-speed arithmetic.
#include "xan_cpuid/cpuid_parts.h"

#include <array>

#include "platform/simple_text.h"
#include "xan/cpuid/identification.h"
#include "xan/xanbase.h"

namespace xan::detail {

namespace {

// The level of the next CPUID execution, set just before each one. Process-wide and unprotected:
// the queries of this unit are meant for one thread at a time.
constinit uint32_t g_CpuIdLevel = 0;

TCpuIdRegs ExecuteAt(const TCpuIdProcessor& cpu, uint32_t level) noexcept {
  g_CpuIdLevel = level;
  return cpu.Execute(g_CpuIdLevel);
}

}  // namespace

bool LevelAccepted(uint32_t level, uint32_t highestStandard, uint32_t highestExtended) noexcept {
  if (level < kLevelExtendedMax) {
    return static_cast<int32_t>(highestStandard) >= static_cast<int32_t>(level);
  }
  return level <= highestExtended;
}

void ExecuteCpuId(const TCpuIdProcessor& cpu, uint32_t level, int32_t repeat, TCpuIdRegs& result) {
  if (!cpu.HasCpuId()) {
    throw EXANCpuIdError(u"Cannot acquire CPU information (CPUID not supported)");
  }
  const uint32_t highestStandard = ExecuteAt(cpu, kLevelVendor).EAX;
  const uint32_t highestExtended = ExecuteAt(cpu, kLevelExtendedMax).EAX;
  if (!LevelAccepted(level, highestStandard, highestExtended)) {
    throw EXANCpuIdError(u"CPUID: execution level not supported");
  }
  TCpuIdRegs last = ExecuteAt(cpu, level);
  for (int32_t i = 1; i < repeat; ++i) last = ExecuteAt(cpu, level);
  result = last;
}

String RegisterText(uint32_t word) {
  String text(4, u'\0');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<Char>((word >> (8 * i)) & 0xFFU);
  return text;
}

String VendorText(const TCpuIdRegs& level0) {
  String text = RegisterText(level0.EBX) + RegisterText(level0.EDX) + RegisterText(level0.ECX);
  // A zero byte ends the vendor as it would end any text.
  return text.find(u'\0') == String::npos ? text : String(u"Unknown");
}

String TrimBrandName(StringView raw) {
  size_t first = 0;
  size_t last = raw.size();
  while (first < last && raw[first] <= u' ') ++first;
  while (last > first && raw[last - 1] <= u' ') --last;
  const StringView name = raw.substr(first, last - first);
  for (Char c : name) {
    if (c < u' ') return u"unknown";
  }
  return String(name);
}

String BrandNameText(std::span<const TCpuIdRegs, 3> brandLevels) {
  String raw;
  raw.reserve(48);
  for (const TCpuIdRegs& r : brandLevels) {
    raw += RegisterText(r.EAX);
    raw += RegisterText(r.EBX);
    raw += RegisterText(r.ECX);
    raw += RegisterText(r.EDX);
  }
  return TrimBrandName(raw);
}

String SerialText(uint32_t eax, uint32_t edx, uint32_t ecx) {
  String text;
  text.reserve(24);
  for (uint32_t word : {eax, edx, ecx}) AppendHex8(text, word);
  return text;
}

String VendorStringOf(const TCpuIdProcessor& cpu) {
  TCpuIdRegs r;
  try {
    ExecuteCpuId(cpu, kLevelVendor, 1, r);
  } catch (const EXANCpuIdError&) {
    return u"Unknown";
  }
  return VendorText(r);
}

String MarketNameOf(const TCpuIdProcessor& cpu) {
  std::array<TCpuIdRegs, 3> levels;
  for (uint32_t i = 0; i < levels.size(); ++i) {
    ExecuteCpuId(cpu, kLevelBrandFirst + i, 1, levels[i]);
  }
  return BrandNameText(levels);
}

String SerialNumberOf(const TCpuIdProcessor& cpu) {
  TCpuIdRegs first;
  TCpuIdRegs second;
  ExecuteCpuId(cpu, kLevelSignature, 1, first);
  ExecuteCpuId(cpu, kLevelSignature, 1, second);
  return SerialText(first.EAX, second.EDX, second.ECX);
}

bool HasTimeStampCounterOf(const TCpuIdProcessor& cpu) noexcept {
  try {
    TCpuIdRegs r;
    ExecuteCpuId(cpu, kLevelSignature, 1, r);
    return (r.EDX & (1U << cpuft_tsc)) != 0;
  } catch (...) {
    return false;
  }
}

TSpeedCounts MeasureCounts(const TSpeedClocks& clocks, uint32_t milliseconds) noexcept {
  // Without raised priority (or on a busy host) the thread can be held up between two readings,
  // for longer than the whole measuring time. Held up while waiting for the change, it sees the
  // tick count change by more than one; held up before the start is read, it sees the tick count
  // move on right after. The start is then taken again at a later change, a few times at most;
  // on a clean start t0 is the tick count before the change.
  constexpr int kStartTries = 8;
  TSpeedCounts counts;
  uint64_t t0 = 0;
  for (int tries = 1;; ++tries) {
    const uint64_t before = clocks.Tick();
    uint64_t changed = before;
    while (changed == before) changed = clocks.Tick();
    counts.Start = clocks.TimeStamp();
    t0 = changed - 1;
    if ((changed - before == 1 && clocks.Tick() == changed) || tries == kStartTries) break;
  }
  // Elapsed time, not an end mark: stays right if the tick count ever wraps.
  while (clocks.Tick() - t0 < milliseconds) {
  }
  counts.End = clocks.TimeStamp();
  // The time counted runs to the tick count read after the end: the measuring time, unless the
  // thread was held up at the end, which is then counted as it was measured.
  counts.Milliseconds = clocks.Tick() - t0;
  return counts;
}

float SpeedFromCounts(uint64_t start, uint64_t end, uint64_t milliseconds) noexcept {
  if (milliseconds == 0) return 0.0F;
  return static_cast<float>(static_cast<double>(end - start) / (1000.0 * milliseconds));
}

}  // namespace xan::detail
