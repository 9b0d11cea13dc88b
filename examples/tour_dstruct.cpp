// Tour section: data structures: bit fields, the byte FIFO, counting strings, run-length coding
// and stepping through permutations.
#include <iostream>
#include <vector>

#include "tour.h"
#include "xan/dstruct.h"

namespace {

void PrintBytes(const char* label, const xan::TBytes& bytes) {
  std::cout << "  " << label << " =>";
  for (const uint8_t b : bytes) std::cout << ' ' << int{b};
  std::cout << "\n";
}

}  // namespace

void tour::DataStructures() {
  using namespace xan;
  Heading("Data structures: bits, FIFO, counting, run-length coding, permutations");

  TBitFld bits;
  bits.SetSize(99);  // indices 0..99
  bits.RandomFill(25.0);
  std::cout << "  100-bit field filled to 25% => " << bits.CountTrueBits()
            << " bits set, the first at " << bits.FirstTrueBit() << "\n";

  TFifo fifo;
  for (uint8_t b : {10, 20, 30}) fifo.PutByte(b);
  uint8_t first = 0;
  fifo.GetByte(first);
  std::cout << "  FIFO after putting 10 20 30 and taking one => took " << int{first} << ", "
            << fifo.CountBytes() << " left\n";

  TStringAccu words;
  for (StringView w : {u"red", u"green", u"red", u"blue", u"red"}) words.Add(w);
  for (int32_t i = 1; i <= words.Size(); ++i) {
    std::cout << "  counted \"" << ToUtf8(words.GetString(i)) << "\" x" << words.GetCount(i)
              << "\n";
  }

  const TBytes data = {1, 1, 1, 1, 2, 7, 7, 165};
  TRLEncoder coder;
  coder.Encode(data, static_cast<int32_t>(data.size()));
  TBytes encoded;
  coder.Finish(encoded);
  PrintBytes("run-length encoded 1 1 1 1 2 7 7 165", encoded);
  coder.Reset();
  for (const uint8_t b : encoded) coder.Decode(b);
  TBytes decoded;
  coder.FinishDecode(decoded);
  PrintBytes("decoded again", decoded);

  TCombination perm{};
  perm[0] = 3;
  perm[1] = 1;
  perm[2] = 2;
  perm[3] = 3;
  std::cout << "  permutations of 1 2 3 =>";
  do {
    std::cout << ' ' << int{perm[1]} << int{perm[2]} << int{perm[3]};
  } while (NextPermutation(perm));
  std::cout << "\n";

  const std::vector<double> marks = {1.0, 2.0, 3.0};
  std::cout << "  nearest to 2.5 among 1 2 3 => index " << IndexOfNearestArrayValue(2.5, marks)
            << "\n";
}
