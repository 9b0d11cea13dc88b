// Fuzz target: the run-length decoder on any bytes with any block size, and the encoder's output,
// fed in pieces of any size, decoded back to the bytes encoded.
#include "fuzz_support.h"
#include "xan/dstruct/rlencoder.h"

namespace {

// Everything the coder hands out until Finish (or FinishDecode) is done.
std::string Drain(xan::TRLEncoder& coder, bool encoding) {
  std::string out;
  xan::TBytes block;
  while (coder.GetResult(block)) out.append(block.begin(), block.end());
  for (int guard = 0;; ++guard) {
    FUZZ_CHECK(guard < 1000000, "Finish hands out blocks without end");
    const int32_t n = encoding ? coder.Finish(block) : coder.FinishDecode(block);
    FUZZ_CHECK(static_cast<size_t>(n) == block.size(), "Finish returns another count");
    out.append(block.begin(), block.end());
    if (n < coder.BufLeng()) break;
  }
  return out;
}

std::string Decode(std::string_view bytes, int32_t bufLeng) {
  xan::TRLEncoder coder;
  coder.SetBufLeng(bufLeng);
  std::string out;
  xan::TBytes block;
  for (const char c : bytes) {
    if (coder.Decode(static_cast<uint8_t>(c))) {
      while (coder.GetResult(block)) out.append(block.begin(), block.end());
    }
  }
  return out + Drain(coder, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xanfuzz::Choices choices(data, size);
  const int32_t bufLeng = choices.Byte() + 1;
  const size_t piece = choices.Byte() % 64 + 1;
  const std::string_view bytes = choices.Rest();

  // Any bytes decode the same whatever the block size.
  FUZZ_CHECK(Decode(bytes, bufLeng) == Decode(bytes, 65536), "decoding depends on the block size");

  xan::TRLEncoder coder;
  coder.SetBufLeng(bufLeng);
  std::string encoded;
  xan::TBytes block;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const size_t n = std::min(piece, bytes.size() - at);
    coder.Encode(reinterpret_cast<const uint8_t*>(bytes.data() + at), static_cast<int32_t>(n));
    while (coder.GetResult(block)) encoded.append(block.begin(), block.end());
  }
  encoded += Drain(coder, true);
  FUZZ_CHECK(Decode(encoded, bufLeng) == bytes, "run-length coding does not come back");
  return 0;
}
