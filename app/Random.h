#pragma once

#include <cstdint>

// The game's one random generator (PCG32): Random(n) is uniform in 0 .. n - 1. Owned by the main
// form and re-seeded from the clock, so a run on the fake clock of the tests is reproducible.
class TRandom {
 public:
  explicit TRandom(uint64_t seed = 0) { Seed(seed); }

  void Seed(uint64_t seed) {
    FState = 0;
    Next();
    FState += seed + 0x853c49e6748fea9bULL;
    Next();
  }

  // Uniform in 0 .. n - 1 without modulo bias; 0 when n <= 0.
  int32_t Random(int32_t n) {
    if (n <= 0) return 0;
    const uint32_t bound = static_cast<uint32_t>(n);
    const uint32_t threshold = (0u - bound) % bound;
    for (;;) {
      const uint32_t r = Next();
      if (r >= threshold) return static_cast<int32_t>(r % bound);
    }
  }

  // The whole state, so that a recorded game can start where the original did.
  uint64_t State() const { return FState; }
  void SetState(uint64_t state) { FState = state; }

 private:
  uint32_t Next() {
    const uint64_t old = FState;
    FState = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const uint32_t xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const uint32_t rot = static_cast<uint32_t>(old >> 59u);
    return (xorShifted >> rot) | (xorShifted << ((32u - rot) & 31u));
  }

  uint64_t FState = 0;
};
