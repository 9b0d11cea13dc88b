// Base64 and ASCII85 between streams: loops over blocks of the input, each coded into a buffer
// by the cores of encoding_cores.h and written with one call.
#include "xan/dstruct/encodings.h"

#include <memory>

#include "xan_dstruct/encoding_cores.h"
#include "xan_dstruct/stream_blocks.h"

namespace xan {

namespace {

using detail::TStreamBlocks;

// The output of one block, written to the stream with one call.
class TOutputBlock {
 public:
  TOutputBlock(TStream& Stream, size_t Capacity)
      : FStream(Stream), FBuffer(std::make_unique<uint8_t[]>(Capacity)) {}
  uint8_t* Data() noexcept { return FBuffer.get(); }
  void Write(const uint8_t* End) {
    FStream.WriteBuffer(FBuffer.get(), static_cast<int64_t>(End - FBuffer.get()));
  }

 private:
  TStream& FStream;
  std::unique_ptr<uint8_t[]> FBuffer;
};

template <typename Encoder>
void EncodeStream(Encoder& Enc, TStream& InStream, TStream& OutStream) {
  TStreamBlocks blocks(InStream, &OutStream);
  TOutputBlock out(OutStream, Encoder::MaxOutput(TStreamBlocks::kBlockSize));
  for (auto block = blocks.Next(); !block.empty(); block = blocks.Next()) {
    out.Write(Enc.Encode(block.data(), block.size(), out.Data()));
  }
  out.Write(Enc.Finish(out.Data()));
}

// Decodes until the decoder stops (Stopped) or the input ends; the bytes after the stop are
// given back to the input.
template <typename Decoder, typename StoppedFn>
void DecodeStream(Decoder& Dec, StoppedFn Stopped, TStream& InStream, TStream& OutStream) {
  TStreamBlocks blocks(InStream, &OutStream);
  TOutputBlock out(OutStream, Decoder::MaxOutput(TStreamBlocks::kBlockSize));
  for (auto block = blocks.Next(); !block.empty(); block = blocks.Next()) {
    size_t consumed = 0;
    out.Write(Dec.Decode(block.data(), block.size(), consumed, out.Data()));
    if (Stopped()) {
      blocks.Unread(block.size() - consumed);
      return;
    }
  }
  out.Write(Dec.Finish(out.Data()));
}

}  // namespace

void EncodeBase64(TStream& InStream, TStream& OutStream, bool LineBreaks) {
  detail::TBase64Encoder enc(LineBreaks);
  EncodeStream(enc, InStream, OutStream);
}

int32_t DecodeBase64(TStream& InStream, TStream& OutStream) {
  detail::TBase64Decoder dec;
  DecodeStream(
      dec, [&] { return dec.Failed(); }, InStream, OutStream);
  return dec.Failed() ? -1 : 0;
}

void EncodeASCII85(TStream& InStream, TStream& OutStream, bool LineBreaks) {
  detail::TAscii85Encoder enc(LineBreaks);
  EncodeStream(enc, InStream, OutStream);
}

int32_t DecodeASCII85(TStream& InStream, TStream& OutStream) {
  detail::TAscii85Decoder dec;
  DecodeStream(
      dec, [&] { return dec.Done(); }, InStream, OutStream);
  return dec.Status();
}

}  // namespace xan
