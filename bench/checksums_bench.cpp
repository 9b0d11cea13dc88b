// Checksums and encodings on 1 MiB and 64 MiB of random bytes, beside their peers in the same
// run: zlib's crc32, OpenSSL's SHA1 and EVP_EncodeBlock/EVP_DecodeBlock, and the byte-at-a-time
// table step as the naive baseline. The encoders run from memory stream to memory stream, the
// file functions on a file in the temporary directory (read from the page cache). Ends with a
// table of GB/s and the ratio of xan to each other entry of the same group.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "xan/dstruct/checksums.h"
#include "xan/dstruct/encodings.h"
#include "xan_dstruct/checksum_cores.h"
#include "xan_dstruct/checksum_dispatch.h"

namespace {

using xan::TBytes;
using xan::TMemoryStream;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kSizes[] = {kMiB, 64 * kMiB};
// The file of the whole-file figure, read from the page cache.
constexpr size_t kBigFile = 256 * kMiB;

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

// Memory streams holding the data, its Base64 text (one run, which both decoders read) and its
// ASCII85 text (with line breaks).
enum TContent { ctData, ctBase64, ctAscii85 };

TMemoryStream& Stream(TContent content, size_t n) {
  static std::map<std::pair<TContent, size_t>, std::unique_ptr<TMemoryStream>> cache;
  auto& s = cache[{content, n}];
  if (!s) {
    s = std::make_unique<TMemoryStream>();
    const TBytes& d = Data(n);
    s->WriteBuffer(d.data(), static_cast<int64_t>(n));
    s->SetPosition(0);
    if (content != ctData) {
      auto text = std::make_unique<TMemoryStream>();
      if (content == ctBase64) {
        xan::EncodeBase64(*s, *text, false);
      } else {
        xan::EncodeASCII85(*s, *text, true);
      }
      s = std::move(text);
    }
  }
  s->SetPosition(0);
  return *s;
}

// The output stream, written from its start each time so that it keeps its memory.
TMemoryStream& Sink() {
  static TMemoryStream sink;
  sink.SetPosition(0);
  return sink;
}

std::vector<uint8_t>& Scratch(size_t n) {
  static std::vector<uint8_t> scratch;
  if (scratch.size() < n) scratch.resize(n);
  return scratch;
}

// The data as a file, removed at the end of the run.
std::string FileOf(size_t n) {
  static std::map<size_t, std::string> files;
  auto it = files.find(n);
  if (it == files.end()) {
    const auto path =
        std::filesystem::temp_directory_path() / ("xan_checksums_bench_" + SizeName(n) + ".bin");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(Data(n).data()), static_cast<std::streamsize>(n));
    it = files.emplace(n, path.string()).first;
  }
  return it->second;
}

void RemoveFiles() {
  for (size_t n : kSizes) std::filesystem::remove(FileOf(n));
  std::filesystem::remove(FileOf(kBigFile));
}

// Reads a file in blocks of 64 KiB with stdio, for the peers of the file functions.
template <typename Fn>
void ForFileBlocks(const std::string& path, Fn fn) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return;
  std::vector<unsigned char> buf(64 * 1024);
  for (size_t got; (got = std::fread(buf.data(), 1, buf.size(), f)) > 0;) fn(buf.data(), got);
  std::fclose(f);
}

// ------------------------------------------------------------------------------------------------
// The cases: a group (what is computed), who computes it, and how.

struct TCase {
  std::string Group;
  std::string Who;
  std::function<void(size_t n)> Run;
};

// The same case once more with the portable methods forced.
TCase Portable(const TCase& c) {
  return {c.Group, c.Who + " portable", [run = c.Run](size_t n) {
            xan::detail::TPortableChecksumsScope portable;
            run(n);
          }};
}

std::vector<TCase> Cases() {
  using namespace xan;
  std::vector<TCase> c;
  const TCase crc32Buffer = {
      "CRC-32", "xan",
      [](size_t n) { benchmark::DoNotOptimize(CRC32ofBuffer(Data(n), static_cast<int32_t>(n))); }};
  c.push_back(crc32Buffer);
  c.push_back(Portable(crc32Buffer));
  c.push_back({"CRC-32", "xan 128-bit folding", [](size_t n) {
                 benchmark::DoNotOptimize(~detail::Crc32Clmul(0xFFFFFFFFU, Data(n).data(), n));
               }});
  c.push_back({"CRC-32", "zlib", [](size_t n) {
                 benchmark::DoNotOptimize(crc32(0, Data(n).data(), static_cast<uInt>(n)));
               }});
  c.push_back({"CRC-32", "byte at a time", [](size_t n) {
                 uint32_t crc = 0xFFFFFFFFU;
                 for (uint8_t b : Data(n)) crc = CalcNextCRC32(b, crc);
                 benchmark::DoNotOptimize(~crc);
               }});
  c.push_back({"CRC-32 of a file", "xan",
               [](size_t n) { benchmark::DoNotOptimize(CalcCRC32ofFile(FromUtf8(FileOf(n)))); }});
  c.push_back({"CRC-32 of a file", "zlib + fread", [](size_t n) {
                 uLong crc = 0;
                 ForFileBlocks(FileOf(n), [&](const unsigned char* p, size_t k) {
                   crc = crc32(crc, p, static_cast<uInt>(k));
                 });
                 benchmark::DoNotOptimize(crc);
               }});

  const TCase crc16Buffer = {
      "CRC-16", "xan", [](size_t n) {
        benchmark::DoNotOptimize(CRC16ofBuffer(Data(n), static_cast<int32_t>(n), crcCCITT));
      }};
  c.push_back(crc16Buffer);
  c.push_back(Portable(crc16Buffer));
  c.push_back({"CRC-16", "byte at a time", [](size_t n) {
                 uint16_t crc = 0xFFFF;
                 for (uint8_t b : Data(n)) crc = CalcNextCRC16(b, crc);
                 benchmark::DoNotOptimize(crc);
               }});

  const TCase sha1 = {"SHA-1 of a stream", "xan", [](size_t n) {
                        benchmark::DoNotOptimize(SHA1FromStream(Stream(ctData, n)));
                      }};
  c.push_back(sha1);
  c.push_back(Portable(sha1));
  c.push_back({"SHA-1 of a stream", "OpenSSL SHA1", [](size_t n) {
                 unsigned char md[SHA_DIGEST_LENGTH];
                 SHA1(Data(n).data(), n, md);
                 benchmark::DoNotOptimize(md);
               }});
  c.push_back({"SHA-1 of a file", "xan",
               [](size_t n) { benchmark::DoNotOptimize(SHA1FromFile(FromUtf8(FileOf(n)))); }});
  c.push_back({"SHA-1 of a file", "OpenSSL + fread", [](size_t n) {
                 EVP_MD_CTX* ctx = EVP_MD_CTX_new();
                 EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr);
                 ForFileBlocks(FileOf(n), [&](const unsigned char* p, size_t k) {
                   EVP_DigestUpdate(ctx, p, k);
                 });
                 unsigned char md[EVP_MAX_MD_SIZE];
                 unsigned len = 0;
                 EVP_DigestFinal_ex(ctx, md, &len);
                 EVP_MD_CTX_free(ctx);
                 benchmark::DoNotOptimize(md);
               }});

  const TCase b64 = {"Base64 encode", "xan",
                     [](size_t n) { EncodeBase64(Stream(ctData, n), Sink(), false); }};
  c.push_back(b64);
  c.push_back(Portable(b64));
  c.push_back({"Base64 encode", "xan, lines",
               [](size_t n) { EncodeBase64(Stream(ctData, n), Sink(), true); }});
  c.push_back({"Base64 encode", "OpenSSL Block", [](size_t n) {
                 uint8_t* out = Scratch(4 * ((n + 2) / 3) + 1).data();
                 benchmark::DoNotOptimize(
                     EVP_EncodeBlock(out, Data(n).data(), static_cast<int>(n)));
               }});
  const TCase d64 = {"Base64 decode", "xan", [](size_t n) {
                       benchmark::DoNotOptimize(DecodeBase64(Stream(ctBase64, n), Sink()));
                     }};
  c.push_back(d64);
  c.push_back(Portable(d64));
  c.push_back({"Base64 decode", "OpenSSL Block", [](size_t n) {
                 TMemoryStream& text = Stream(ctBase64, n);
                 uint8_t* out = Scratch(static_cast<size_t>(text.Size())).data();
                 benchmark::DoNotOptimize(
                     EVP_DecodeBlock(out, text.Memory(), static_cast<int>(text.Size())));
               }});

  const TCase a85 = {"ASCII85 encode", "xan",
                     [](size_t n) { EncodeASCII85(Stream(ctData, n), Sink(), true); }};
  c.push_back(a85);
  c.push_back(Portable(a85));
  const TCase d85 = {"ASCII85 decode", "xan", [](size_t n) {
                       benchmark::DoNotOptimize(DecodeASCII85(Stream(ctAscii85, n), Sink()));
                     }};
  c.push_back(d85);
  c.push_back(Portable(d85));
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

std::string Name(const std::string& group, const std::string& who, size_t n) {
  return group + " | " + who + " | " + SizeName(n);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<TCase> cases = Cases();
  for (size_t n : kSizes) {
    // Inputs, files and the sink's memory are made before any timing.
    Stream(ctBase64, n);
    Stream(ctAscii85, n);
    FileOf(n);
    xan::DecodeASCII85(Stream(ctAscii85, n), Sink());
    xan::EncodeBase64(Stream(ctData, n), Sink(), true);
  }
  for (const TCase& c : cases) {
    for (size_t n : kSizes) {
      benchmark::RegisterBenchmark(Name(c.Group, c.Who, n).c_str(), [&c,
                                                                     n](benchmark::State& state) {
        for (auto _ : state) c.Run(n);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
      })->MinTime(0.3);
    }
  }
  // The whole-file figure: CalcCRC32ofFile beside reading the same cached file alone, in the
  // block size CalcCRC32ofFile reads.
  FileOf(kBigFile);
  const std::string bigCrc = Name("CRC-32 of a file", "xan", kBigFile);
  const std::string bigRead = Name("CRC-32 of a file", "read alone, 64 KiB blocks", kBigFile);
  benchmark::RegisterBenchmark(
      bigCrc.c_str(),
      [](benchmark::State& state) {
        for (auto _ : state)
          benchmark::DoNotOptimize(xan::CalcCRC32ofFile(xan::FromUtf8(FileOf(kBigFile))));
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
      })
      ->MinTime(1)
      ->UseRealTime();
  benchmark::RegisterBenchmark(
      bigRead.c_str(),
      [](benchmark::State& state) {
        for (auto _ : state) {
          size_t total = 0;
          ForFileBlocks(FileOf(kBigFile), [&](const unsigned char*, size_t k) { total += k; });
          benchmark::DoNotOptimize(total);
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
      })
      ->MinTime(1)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  TRateCollector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  RemoveFiles();

  // GB/s: 10^9 bytes of binary data (the encoders' input, the decoders' output) per second of
  // processor time.
  std::printf("\n%-18s %-6s %-20s %8s %12s\n", "what", "size", "who", "GB/s", "xan : this");
  for (const TCase& c : cases) {
    for (size_t n : kSizes) {
      const auto it = reporter.Rates.find(Name(c.Group, c.Who, n));
      if (it == reporter.Rates.end()) continue;
      std::printf("%-18s %-6s %-20s %8.2f", c.Group.c_str(), SizeName(n).c_str(), c.Who.c_str(),
                  it->second / 1e9);
      const auto ours = reporter.Rates.find(Name(c.Group, "xan", n));
      if (c.Who != "xan" && ours != reporter.Rates.end()) {
        std::printf(" %11.2fx", ours->second / it->second);
      }
      std::printf("\n");
    }
  }
  const auto paths = xan::detail::ProcessorChecksumPaths();
  std::printf(
      "(fast paths of this processor: pclmul %d, 512-bit pclmul %d, sha %d, ssse3 %d, "
      "sse4.1 %d)\n",
      paths.Clmul, paths.Vpclmul, paths.ShaNi, paths.Ssse3, paths.Sse41);

  // The figures with their goals, one line each: ours, the peer's, the ratio.
  const auto rate = [&](const std::string& name) {
    const auto it = reporter.Rates.find(name);
    return it == reporter.Rates.end() ? 0.0 : it->second / 1e9;
  };
  const double crcOurs = rate(Name("CRC-32", "xan", kMiB));
  const double crcZlib = rate(Name("CRC-32", "zlib", kMiB));
  if (crcOurs > 0 && crcZlib > 0) {
    std::printf(
        "figure: CRC32ofBuffer 1 MiB: xan %.2f GB/s, zlib crc32 %.2f GB/s, %.2fx as fast "
        "(goal: >= 20 GB/s with 512-bit pclmul)\n",
        crcOurs, crcZlib, crcOurs / crcZlib);
  }
  const double fileOurs = rate(bigCrc);
  const double fileRead = rate(bigRead);
  if (fileOurs > 0 && fileRead > 0) {
    std::printf(
        "figure: CalcCRC32ofFile 256 MiB cached: xan %.2f GB/s, reading alone %.2f GB/s, "
        "%.2fx the time (goal: <= 1.5x)\n",
        fileOurs, fileRead, fileRead / fileOurs);
  }
  benchmark::Shutdown();
  return 0;
}
