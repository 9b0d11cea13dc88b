// The process-wide pseudo-random generator, constant-initialised to its start-up state.
#include "xan/platform/random.h"

#include "platform/startup_state.h"

namespace xan {

namespace {
constinit TRandomGenerator g_shared(detail::kStartupState.RandomState);
}  // namespace

TRandomGenerator& SharedRandom() noexcept {
  return g_shared;
}
uint32_t RandSeed() noexcept {
  return g_shared.Seed();
}
void SetRandSeed(uint32_t seed) noexcept {
  g_shared.SetSeed(seed);
}
int32_t RandomRange(int32_t n) noexcept {
  return g_shared.Range(n);
}
double RandomFloat() noexcept {
  return g_shared.Uniform();
}

}  // namespace xan
