// The scrambler: process-wide substitution tables, in place from load time with the state that
// seeding with 9046 gives, and rebuilt from the shared random generator by InitScramble.
#include "platform/startup_state.h"
#include "xan/platform/random.h"
#include "xan/stringl/conversions.h"

namespace xan {

namespace {

// Constant-initialised, so that the first Scramble sees the start-up permutation whatever the
// link kind and the order of static initialisation.
constinit detail::TScrambleTables g_tables = detail::kStartupState.Scramble;

// Characters above 255 are outside the tables and pass unchanged, which keeps the two
// directions inverse for every text.
String Substitute(StringView text, const std::array<uint8_t, 256>& table) {
  String out(text);
  for (Char& c : out) {
    if (c < table.size()) c = table[c];
  }
  return out;
}

}  // namespace

void InitScramble(int32_t seed) noexcept {
  SharedRandom().SetSeed(static_cast<uint32_t>(seed));
  g_tables = detail::BuildScrambleTables(SharedRandom());
}

String Scramble(StringView text) {
  return Substitute(text, g_tables.S);
}

String DeScramble(StringView text) {
  return Substitute(text, g_tables.U);
}

}  // namespace xan
