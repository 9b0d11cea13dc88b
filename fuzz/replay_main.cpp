// Runs one fuzz target once over each input file given, or over every file of each directory
// given: the seed corpora as ordinary tests, built with any compiler and without libFuzzer.
//   xan_fuzz_replay TARGET FILE-OR-DIRECTORY...
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <vector>

// Each target's entry point, compiled under the name XanFuzz_<target>.
#define XAN_FUZZ_TARGET(name) extern "C" int XanFuzz_##name(const uint8_t* data, size_t size);
#include "fuzz_targets.inc"
#undef XAN_FUZZ_TARGET

namespace {

struct Target {
  std::string_view Name;
  int (*Run)(const uint8_t*, size_t);
};

#define XAN_FUZZ_TARGET(name) {#name, XanFuzz_##name},
constexpr Target kTargets[] = {
#include "fuzz_targets.inc"
};
#undef XAN_FUZZ_TARGET

}  // namespace

int main(int argc, char** argv) {
  const Target* target = nullptr;
  for (const Target& t : kTargets) {
    if (argc > 1 && t.Name == argv[1]) target = &t;
  }
  if (target == nullptr || argc < 3) {
    std::cerr << "usage: " << argv[0] << " TARGET FILE-OR-DIRECTORY...\n";
    return 2;
  }
  std::vector<std::filesystem::path> inputs;
  for (int i = 2; i < argc; ++i) {
    if (std::filesystem::is_directory(argv[i])) {
      for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else {
      inputs.emplace_back(argv[i]);
    }
  }
  if (inputs.empty()) {
    std::cerr << target->Name << ": no inputs\n";
    return 2;
  }
  for (const auto& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::cerr << path.string() << ": cannot be read\n";
      return 2;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    target->Run(bytes.data(), bytes.size());
  }
  std::cout << target->Name << ": " << inputs.size() << " inputs run\n";
  return 0;
}
