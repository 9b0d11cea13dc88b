// Checksums and encodings on 1 MiB and 64 MiB of random bytes, beside their peers in the same
// run: zlib's crc32, OpenSSL's SHA1 and EVP_EncodeBlock/EVP_DecodeBlock, and the byte-at-a-time
// table step as the naive baseline. Ends with a table of GB/s and the ratio to each peer.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "xan/dstruct/checksums.h"
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"
#include "xan_dstruct/encoding_cores.h"

namespace {

using xan::TBytes;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kSizes[] = {kMiB, 64 * kMiB};

std::string SizeName(size_t n) {
  return std::to_string(n / kMiB) + "MiB";
}

const TBytes& Data(size_t n) {
  static std::map<size_t, TBytes> cache;
  auto it = cache.find(n);
  if (it == cache.end()) {
    std::mt19937_64 rng(n);
    TBytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    it = cache.emplace(n, std::move(b)).first;
  }
  return it->second;
}

// Base64 text of the data: one run (for the decoders of both sides) and in lines.
const std::string& Base64Text(size_t n) {
  static std::map<size_t, std::string> cache;
  auto it = cache.find(n);
  if (it == cache.end()) {
    const TBytes& d = Data(n);
    std::string t(4 * ((n + 2) / 3) + 1, '\0');
    const int len =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(t.data()), d.data(), static_cast<int>(n));
    t.resize(static_cast<size_t>(len));
    it = cache.emplace(n, std::move(t)).first;
  }
  return it->second;
}

const std::string& Ascii85Text(size_t n) {
  static std::map<size_t, std::string> cache;
  auto it = cache.find(n);
  if (it == cache.end()) {
    const TBytes& d = Data(n);
    std::string t(xan::detail::TAscii85Encoder::MaxOutput(n), '\0');
    auto* out = reinterpret_cast<uint8_t*>(t.data());
    xan::detail::TAscii85Encoder enc(true);
    uint8_t* end = enc.Finish(enc.Encode(d.data(), n, out));
    t.resize(static_cast<size_t>(end - out));
    it = cache.emplace(n, std::move(t)).first;
  }
  return it->second;
}

std::vector<uint8_t>& Scratch(size_t n) {
  static std::vector<uint8_t> scratch;
  if (scratch.size() < n) scratch.resize(n);
  return scratch;
}

// ------------------------------------------------------------------------------------------------
// The cases: a group (what is computed), who computes it, and how.

struct TCase {
  std::string Group;
  std::string Who;
  std::function<void(size_t n)> Run;
};

std::vector<TCase> Cases() {
  using namespace xan;
  using namespace xan::detail;
  std::vector<TCase> c;
  c.push_back({"CRC-32", "xan", [](size_t n) {
                 benchmark::DoNotOptimize(CRC32ofBuffer(Data(n), static_cast<int32_t>(n)));
               }});
  c.push_back({"CRC-32", "xan portable", [](size_t n) {
                 TPortableChecksumsScope portable;
                 benchmark::DoNotOptimize(CRC32ofBuffer(Data(n), static_cast<int32_t>(n)));
               }});
  c.push_back({"CRC-32", "zlib", [](size_t n) {
                 benchmark::DoNotOptimize(crc32(0, Data(n).data(), static_cast<uInt>(n)));
               }});
  c.push_back({"CRC-32", "byte at a time", [](size_t n) {
                 uint32_t crc = 0xFFFFFFFFU;
                 for (uint8_t b : Data(n)) crc = CalcNextCRC32(b, crc);
                 benchmark::DoNotOptimize(~crc);
               }});
  c.push_back({"CRC-16", "xan", [](size_t n) {
                 benchmark::DoNotOptimize(
                     CRC16ofBuffer(Data(n), static_cast<int32_t>(n), crcCCITT));
               }});
  c.push_back({"CRC-16", "xan portable", [](size_t n) {
                 TPortableChecksumsScope portable;
                 benchmark::DoNotOptimize(
                     CRC16ofBuffer(Data(n), static_cast<int32_t>(n), crcCCITT));
               }});
  c.push_back({"CRC-16", "byte at a time", [](size_t n) {
                 uint16_t crc = 0xFFFF;
                 for (uint8_t b : Data(n)) crc = CalcNextCRC16(b, crc);
                 benchmark::DoNotOptimize(crc);
               }});
  c.push_back({"SHA-1", "xan", [](size_t n) {
                 TSha1 sha;
                 sha.Update(Data(n).data(), n);
                 benchmark::DoNotOptimize(sha.Final());
               }});
  c.push_back({"SHA-1", "xan portable", [](size_t n) {
                 TPortableChecksumsScope portable;
                 TSha1 sha;
                 sha.Update(Data(n).data(), n);
                 benchmark::DoNotOptimize(sha.Final());
               }});
  c.push_back({"SHA-1", "OpenSSL", [](size_t n) {
                 unsigned char md[SHA_DIGEST_LENGTH];
                 SHA1(Data(n).data(), n, md);
                 benchmark::DoNotOptimize(md);
               }});
  c.push_back({"Base64 encode", "xan", [](size_t n) {
                 uint8_t* out = Scratch(TBase64Encoder::MaxOutput(n)).data();
                 TBase64Encoder enc(false);
                 benchmark::DoNotOptimize(enc.Finish(enc.Encode(Data(n).data(), n, out)));
               }});
  c.push_back({"Base64 encode", "xan portable", [](size_t n) {
                 TPortableChecksumsScope portable;
                 uint8_t* out = Scratch(TBase64Encoder::MaxOutput(n)).data();
                 TBase64Encoder enc(false);
                 benchmark::DoNotOptimize(enc.Finish(enc.Encode(Data(n).data(), n, out)));
               }});
  c.push_back({"Base64 encode", "OpenSSL", [](size_t n) {
                 uint8_t* out = Scratch(4 * ((n + 2) / 3) + 1).data();
                 benchmark::DoNotOptimize(
                     EVP_EncodeBlock(out, Data(n).data(), static_cast<int>(n)));
               }});
  c.push_back({"Base64 encode, lines", "xan", [](size_t n) {
                 uint8_t* out = Scratch(TBase64Encoder::MaxOutput(n)).data();
                 TBase64Encoder enc(true);
                 benchmark::DoNotOptimize(enc.Finish(enc.Encode(Data(n).data(), n, out)));
               }});
  c.push_back({"Base64 decode", "xan", [](size_t n) {
                 const std::string& t = Base64Text(n);
                 uint8_t* out = Scratch(TBase64Decoder::MaxOutput(t.size())).data();
                 TBase64Decoder dec;
                 size_t consumed = 0;
                 benchmark::DoNotOptimize(dec.Finish(dec.Decode(
                     reinterpret_cast<const uint8_t*>(t.data()), t.size(), consumed, out)));
               }});
  c.push_back({"Base64 decode", "xan portable", [](size_t n) {
                 TPortableChecksumsScope portable;
                 const std::string& t = Base64Text(n);
                 uint8_t* out = Scratch(TBase64Decoder::MaxOutput(t.size())).data();
                 TBase64Decoder dec;
                 size_t consumed = 0;
                 benchmark::DoNotOptimize(dec.Finish(dec.Decode(
                     reinterpret_cast<const uint8_t*>(t.data()), t.size(), consumed, out)));
               }});
  c.push_back({"Base64 decode", "OpenSSL", [](size_t n) {
                 const std::string& t = Base64Text(n);
                 uint8_t* out = Scratch(t.size()).data();
                 benchmark::DoNotOptimize(
                     EVP_DecodeBlock(out, reinterpret_cast<const unsigned char*>(t.data()),
                                     static_cast<int>(t.size())));
               }});
  c.push_back({"ASCII85 encode", "xan", [](size_t n) {
                 uint8_t* out = Scratch(TAscii85Encoder::MaxOutput(n)).data();
                 TAscii85Encoder enc(true);
                 benchmark::DoNotOptimize(enc.Finish(enc.Encode(Data(n).data(), n, out)));
               }});
  c.push_back({"ASCII85 encode", "Base64 (xan)", [](size_t n) {
                 uint8_t* out = Scratch(TBase64Encoder::MaxOutput(n)).data();
                 TBase64Encoder enc(true);
                 benchmark::DoNotOptimize(enc.Finish(enc.Encode(Data(n).data(), n, out)));
               }});
  c.push_back({"ASCII85 decode", "xan", [](size_t n) {
                 const std::string& t = Ascii85Text(n);
                 uint8_t* out = Scratch(TAscii85Decoder::MaxOutput(t.size())).data();
                 TAscii85Decoder dec;
                 size_t consumed = 0;
                 benchmark::DoNotOptimize(dec.Finish(dec.Decode(
                     reinterpret_cast<const uint8_t*>(t.data()), t.size(), consumed, out)));
               }});
  return c;
}

// ------------------------------------------------------------------------------------------------
// Collects each run's rate for the closing table.

class TRateCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      const auto it = r.counters.find("bytes_per_second");
      if (it != r.counters.end()) Rates[r.run_name.function_name] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Rates;
};

std::string Name(const TCase& c, size_t n) {
  return c.Group + " | " + c.Who + " | " + SizeName(n);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<TCase> cases = Cases();
  for (const TCase& c : cases) {
    for (size_t n : kSizes) {
      // The inputs are made before any timing.
      Base64Text(n);
      Ascii85Text(n);
      benchmark::RegisterBenchmark(Name(c, n).c_str(), [&c, n](benchmark::State& state) {
        for (auto _ : state) c.Run(n);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
      })->MinTime(0.3);
    }
  }
  benchmark::Initialize(&argc, argv);
  TRateCollector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // GB/s (10^9 bytes of input per second) and the ratio of xan to each other entry of its group.
  std::printf("\n%-22s %-6s %-16s %8s %14s\n", "what", "size", "who", "GB/s", "xan : this");
  for (size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    for (size_t n : kSizes) {
      const auto it = reporter.Rates.find(Name(c, n));
      if (it == reporter.Rates.end()) continue;
      std::printf("%-22s %-6s %-16s %8.2f", c.Group.c_str(), SizeName(n).c_str(), c.Who.c_str(),
                  it->second / 1e9);
      const auto ours = reporter.Rates.find(c.Group + " | xan | " + SizeName(n));
      if (c.Who != "xan" && ours != reporter.Rates.end()) {
        std::printf(" %13.2fx", ours->second / it->second);
      }
      std::printf("\n");
    }
  }
  std::printf("(the processor's fast paths: pclmul %d, sha %d, ssse3 %d)\n",
              xan::detail::ProcessorChecksumPaths().Clmul,
              xan::detail::ProcessorChecksumPaths().ShaNi,
              xan::detail::ProcessorChecksumPaths().Ssse3);
  benchmark::Shutdown();
  return 0;
}
