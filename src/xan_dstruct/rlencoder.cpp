// TRLEncoder: the run-length coder's byte loops and its growing output buffer, from which blocks
// are taken at the front.
#include "xan/dstruct/rlencoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "xan_dstruct/component_support.h"

namespace xan {

namespace {

constexpr uint8_t kLeadIn = 165;
// Input is encoded in pieces of this size, each after making room for its worst case.
constexpr size_t kEncodeChunk = size_t{64} * 1024;
// No input byte adds more than this many output bytes: a finished run of at most 3 bytes.
constexpr size_t kMaxOutPerByte = 3;

// How many of p[0..limit-1] equal x, counted from p[0], eight bytes at a time.
size_t RunOf(const uint8_t* p, size_t limit, uint8_t x) noexcept {
  const uint64_t pattern = x * 0x0101010101010101ULL;
  size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t w;
    std::memcpy(&w, p + n, sizeof w);
    if (const uint64_t diff = w ^ pattern; diff != 0) {
      if constexpr (std::endian::native == std::endian::little) {
        return n + static_cast<size_t>(std::countr_zero(diff)) / 8;
      } else {
        return n + static_cast<size_t>(std::countl_zero(diff)) / 8;
      }
    }
  }
  while (n < limit && p[n] == x) ++n;
  return n;
}

// One flag bit (the top bit) in each byte of v that is zero.
inline uint64_t ZeroBytes(uint64_t v) noexcept {
  constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
  return ~(((v & low7) + low7) | v | low7);
}

// True when p[0..7] are all ordinary bytes, each a run of one or two: no lead-in byte among
// them and no run of three starting at any of them (which looks at p[8] and p[9] too). Such
// bytes encode as themselves. Needs p[0..9].
inline bool LiteralWord(const uint8_t* p) noexcept {
  constexpr uint64_t lead = kLeadIn * 0x0101010101010101ULL;
  uint64_t w0, w1, w2;
  std::memcpy(&w0, p, sizeof w0);
  std::memcpy(&w1, p + 1, sizeof w1);
  std::memcpy(&w2, p + 2, sizeof w2);
  return ((ZeroBytes(w0 ^ w1) & ZeroBytes(w1 ^ w2)) | ZeroBytes(w0 ^ lead)) == 0;
}

// Writes the finished run of `count` bytes x: literally for one or two ordinary bytes, else as
// a triple. Returns the new output end.
inline uint8_t* PutRun(uint8_t* out, unsigned count, uint8_t x) noexcept {
  if (count <= 2 && x != kLeadIn) {
    out[0] = x;
    out[1] = x;  // harmless when count is 1: the room for a whole triple is there
    return out + count;
  }
  out[0] = kLeadIn;
  out[1] = static_cast<uint8_t>(count);
  out[2] = x;
  return out + 3;
}

// Encodes in[0..n-1] onto out, which has room for kMaxOutPerByte * n bytes, carrying the run
// being collected in count and x. Returns the new output end.
uint8_t* EncodeBytes(const uint8_t* in, size_t n, unsigned& count, uint8_t& x,
                     uint8_t* out) noexcept {
  const uint8_t* p = in;
  const uint8_t* const end = in + n;
  unsigned c = count;
  uint8_t last = x;
  while (p < end) {
    if (c == 0) {
      // No run is open: bytes that encode as themselves are copied eight at a time.
      while (end - p >= 10 && LiteralWord(p)) {
        std::memcpy(out, p, 8);
        out += 8;
        p += 8;
      }
      c = 1;
      last = *p++;
    } else if (*p == last) {
      const size_t len = RunOf(p, std::min<size_t>(255 - c, static_cast<size_t>(end - p)), last);
      c += static_cast<unsigned>(len);
      p += len;
      if (c == 255) {
        out = PutRun(out, 255, last);
        c = 0;
      }
    } else {
      out = PutRun(out, c, last);
      c = 0;  // the next pass opens the run of *p
    }
  }
  count = c;
  x = last;
  return out;
}

}  // namespace

TRLEncoder::TRLEncoder(TComponent* AOwner)
    : TComponent(AOwner),
      FBufLeng(256),
      FBufPoi(0),
      FBufStart(0),
      FClosed(false),
      FLeadInByte(kLeadIn),
      FDecodeSt(rlData),
      FCount(0),
      FLastB(0) {
  detail::GuardStorage(*this, detail::kNotEnoughMemory,
                       [&] { FBuffer.assign(4 * static_cast<size_t>(FBufLeng), 0); });
}

TRLEncoder::~TRLEncoder() = default;

void TRLEncoder::EnsureRoom(size_t extra) {
  const size_t need = FBufPoi + extra;
  if (FBufStart + need <= FBuffer.size()) return;
  // Moving the pending bytes to the front costs no more than the bytes taken out since the last
  // move; otherwise the buffer grows, which moves them anyway.
  if (need <= FBuffer.size() && FBufStart >= FBufPoi) {
    std::memmove(FBuffer.data(), FBuffer.data() + FBufStart, FBufPoi);
    FBufStart = 0;
    return;
  }
  TBytes grown = detail::GuardStorage(*this, detail::kNotEnoughMemory,
                                      [&] { return TBytes(std::max(need, 2 * FBuffer.size())); });
  std::copy_n(FBuffer.begin() + static_cast<ptrdiff_t>(FBufStart), FBufPoi, grown.begin());
  FBuffer.swap(grown);
  FBufStart = 0;
}

void TRLEncoder::SetBufLeng(int32_t n) {
  if (n < 1 || n == FBufLeng) return;
  TBytes buffer = detail::GuardStorage(*this, detail::kNotEnoughMemory, [&] {
    return TBytes(std::max(4 * static_cast<size_t>(n), FBufPoi), 0);
  });
  std::copy_n(FBuffer.begin() + static_cast<ptrdiff_t>(FBufStart), FBufPoi, buffer.begin());
  FBuffer.swap(buffer);
  FBufStart = 0;
  FBufLeng = n;
}

bool TRLEncoder::Encode(std::span<const uint8_t> InBuf, int32_t NumBytes) {
  const size_t total = NumBytes <= 0 ? 0 : std::min(InBuf.size(), static_cast<size_t>(NumBytes));
  FClosed = false;
  unsigned count = FCount;
  for (size_t done = 0; done < total;) {
    const size_t len = std::min(kEncodeChunk, total - done);
    EnsureRoom(kMaxOutPerByte * len);
    uint8_t* const start = PendingEnd();
    uint8_t* const end = EncodeBytes(InBuf.data() + done, len, count, FLastB, start);
    FCount = static_cast<uint8_t>(count);
    FBufPoi += static_cast<size_t>(end - start);
    done += len;
  }
  return FBufPoi >= static_cast<size_t>(FBufLeng);
}

bool TRLEncoder::Encode(const uint8_t* InBuf, int32_t NumBytes) {
  const size_t n = InBuf == nullptr || NumBytes <= 0 ? 0 : static_cast<size_t>(NumBytes);
  return Encode(std::span(InBuf, n), NumBytes);
}

bool TRLEncoder::Decode(uint8_t InByte) {
  switch (FDecodeSt) {
    case rlData:
      if (InByte == FLeadInByte) {
        FDecodeSt = rlLeadin;
      } else {
        EnsureRoom(1);
        *PendingEnd() = InByte;
        ++FBufPoi;
      }
      break;
    case rlLeadin:
      FCount = InByte;
      FDecodeSt = rlCnt;
      break;
    case rlCnt:
      EnsureRoom(FCount);
      std::memset(PendingEnd(), InByte, FCount);
      FBufPoi += FCount;
      FCount = 0;
      FDecodeSt = rlData;
      break;
  }
  return FBufPoi >= static_cast<size_t>(FBufLeng);
}

void TRLEncoder::TakeOut(TBytes& OutBuf, size_t count) {
  const auto first = FBuffer.begin() + static_cast<ptrdiff_t>(FBufStart);
  OutBuf.assign(first, first + static_cast<ptrdiff_t>(count));
  FBufStart += count;
  FBufPoi -= count;
  if (FBufPoi == 0) FBufStart = 0;
}

bool TRLEncoder::GetResult(TBytes& OutBuf) {
  if (FBufPoi < static_cast<size_t>(FBufLeng)) return false;
  TakeOut(OutBuf, static_cast<size_t>(FBufLeng));
  return true;
}

int32_t TRLEncoder::HandOut(TBytes& OutBuf) {
  const size_t count = std::min(FBufPoi, static_cast<size_t>(FBufLeng));
  TakeOut(OutBuf, count);
  return static_cast<int32_t>(count);
}

int32_t TRLEncoder::Finish(TBytes& OutBuf) {
  if (!FClosed) {
    EnsureRoom(3);
    uint8_t* const out = PendingEnd();
    out[0] = FLeadInByte;
    out[1] = FCount;
    out[2] = FLastB;
    FBufPoi += 3;
    FCount = 0;
  }
  const int32_t n = HandOut(OutBuf);
  FClosed = n == FBufLeng;
  return n;
}

int32_t TRLEncoder::FinishDecode(TBytes& OutBuf) {
  return HandOut(OutBuf);
}

void TRLEncoder::Reset() noexcept {
  FBufPoi = 0;
  FBufStart = 0;
  FClosed = false;
  FCount = 0;
  FLastB = 0;
  FDecodeSt = rlData;
}

}  // namespace xan
