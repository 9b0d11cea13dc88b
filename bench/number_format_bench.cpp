// Placeholder until the formatter lands.
#include <benchmark/benchmark.h>
BENCHMARK_MAIN();
