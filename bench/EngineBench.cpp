#include <benchmark/benchmark.h>

#include "engine/SpriteEngine.h"

// Placeholder until the engine's real benchmarks land: one empty move pass.
static void BM_EmptyMovePass(benchmark::State& state) {
  TSpriteEngine engine;
  for (auto _ : state) engine.MoveAll(16);
}
BENCHMARK(BM_EmptyMovePass);
