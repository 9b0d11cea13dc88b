// Streams for the tests of the streams unit: one without a read buffer (so that byte readers take
// their one-call-per-byte path) that records the sizes of the writes it gets, one that fails; and
// random input for the randomized tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "xan/platform/streams.h"

namespace xan::testing {

// A memory stream that never offers a read window and records every Write call's size.
class TPlainStream : public TStream {
 public:
  explicit TPlainStream(std::string_view Bytes = {}) : FData(Bytes) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    const int64_t size = static_cast<int64_t>(FData.size());
    const int64_t n = FPos < size && Count > 0 ? std::min(Count, size - FPos) : 0;
    if (n > 0) std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
    return n;
  }
  int64_t Write(const void* Buffer, int64_t Count) override {
    Writes.push_back(Count);
    if (Count <= 0) return 0;
    if (FPos + Count > static_cast<int64_t>(FData.size())) FData.resize(FPos + Count);
    std::memcpy(FData.data() + FPos, Buffer, static_cast<size_t>(Count));
    FPos += Count;
    return Count;
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    FPos = SeekTarget(Offset, Origin, FPos, static_cast<int64_t>(FData.size()));
    return FPos;
  }
  const std::string& Data() const { return FData; }
  std::vector<int64_t> Writes;

 private:
  std::string FData;
  int64_t FPos = 0;
};

// A stream that hands out Good bytes, then raises on every further read and on every write.
class TFailingStream : public TStream {
 public:
  explicit TFailingStream(int64_t Good) : FGood(Good) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    if (FPos >= FGood) throw EInOutError(u"device gone", 5);
    const int64_t n = std::min(Count, FGood - FPos);
    std::memset(Buffer, 0x11, static_cast<size_t>(n));
    FPos += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    FPos = SeekTarget(Offset, Origin, FPos, FGood);
    return FPos;
  }

 private:
  int64_t FGood;
  int64_t FPos = 0;
};

// Up to MaxLen bytes drawn from Alphabet, so that the bytes a scanner reacts to come often.
inline std::string RandomBytes(std::mt19937& Rng, size_t MaxLen, std::string_view Alphabet) {
  std::string s(Rng() % (MaxLen + 1), '\0');
  for (char& c : s) c = Alphabet[Rng() % Alphabet.size()];
  return s;
}

}  // namespace xan::testing
