// Subcommand password: pronounceable passwords by the library's rules, from the host's
// cryptographic random source, or from the library's seeded generator to repeat them.
#include <CLI/CLI.hpp>

#include "tool.h"
#include "xan/filesys/system_locations.h"
#include "xan/platform/random.h"

namespace xantool {

namespace password_cmd {

// The lengths the password rules make: shorter and longer requests would be clamped to them,
// and a tool that prints another length than the one asked for would mislead.
constexpr int64_t kMinLength = 4;
constexpr int64_t kMaxLength = 14;

struct Options {
  std::string Length = std::to_string(kMaxLength);
  std::string Count = "1";
  std::string Seed;
  bool MixedCase = false;
  bool Special = false;
};

int Run(const Options& o) {
  const auto length =
      static_cast<int32_t>(ParseInteger(o.Length, kMinLength, kMaxLength, "LENGTH"));
  const int64_t count = ParseInteger(o.Count, 1, 1000000, "--count");
  const bool seeded = !o.Seed.empty();
  if (seeded) {
    xan::SetRandSeed(static_cast<uint32_t>(ParseInteger(o.Seed, 0, UINT32_MAX, "--seed")));
  }
  std::string text;
  for (int64_t i = 0; i < count; ++i) {
    const xan::String password = seeded ? xan::InventPassword(length, o.MixedCase, o.Special)
                                        : xan::InventPasswordSecure(length, o.MixedCase, o.Special);
    text += xan::ToUtf8(password) + "\n";
    if (text.size() >= 65536) {
      Out(text);
      text.clear();
    }
  }
  Out(text);
  return kExitOk;
}

}  // namespace password_cmd

Action SetupPassword(CLI::App& sub) {
  using namespace password_cmd;
  auto o = std::make_shared<Options>();
  sub.add_option("LENGTH", o->Length,
                 "Characters, 4 to 14 (default 14): letters that alternate consonant and vowel, "
                 "with two digits after the sixth letter");
  sub.add_flag("-m,--mixed-case", o->MixedCase, "Raise each letter to upper case by a coin toss");
  sub.add_flag("-s,--special", o->Special,
               "Replace each character with a chance of 1 in 5 by one of _!$%#= and the digits");
  sub.add_option("-n,--count", o->Count, "How many passwords, one a line (default 1)");
  sub.add_option("--seed", o->Seed,
                 "Draw from the library's generator seeded with this number (0 to 4294967295): "
                 "the same seed gives the same passwords, so never use it for real secrets");
  sub.footer(
      "Without --seed every draw comes from the system's cryptographic random source. A password\n"
      "of 14 characters is one of about 3 * 10^14 (48 bits) before --mixed-case and --special.");
  return [o] { return Run(*o); };
}

}  // namespace xantool
