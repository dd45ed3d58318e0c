#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "audio/DistanceFilter.h"

namespace {

// Level in dB of a sine of hz after the filter, from its second half (past the filter's start).
double LevelAfter(float distance, double hz) {
  constexpr int Rate = 44100;
  TDistanceFilter filter;
  filter.SetDistance(distance, Rate);
  double in = 0;
  double out = 0;
  for (int i = 0; i < Rate / 5; ++i) {
    const auto x = static_cast<float>(std::sin(2 * std::numbers::pi * hz * i / Rate));
    const float y = filter.Process(x);
    if (i < Rate / 10) continue;
    in += x * x;
    out += y * y;
  }
  return 10 * std::log10(out / in);
}

}  // namespace

TEST(DistanceFilter, FarSoundsAreQuieterAndLoseTheirHighsFirst) {
  EXPECT_NEAR(LevelAfter(0.0F, 8000), 0.0, 0.01) << "at the player the sound is untouched";
  // (distance, at most this loud at 300 Hz, at 8 kHz)
  struct TCase {
    float Distance;
    double LowAtMost;
    double HighAtMost;
  };
  double lastLow = 0;
  double lastHigh = 0;
  for (const TCase c : {TCase{0.25F, -2.0, -2.5}, TCase{0.5F, -4.4, -6.0}, TCase{1.0F, -8.9, -17.0}}) {
    SCOPED_TRACE(c.Distance);
    const double low = LevelAfter(c.Distance, 300);
    const double high = LevelAfter(c.Distance, 8000);
    EXPECT_LE(low, c.LowAtMost);
    EXPECT_LE(high, c.HighAtMost);
    EXPECT_LT(high, low) << "the highs go first";
    EXPECT_LT(low, lastLow);
    EXPECT_LT(high, lastHigh);
    lastLow = low;
    lastHigh = high;
  }
  EXPECT_GT(LevelAfter(1.0F, 300), -9.5) << "a far shot is still heard";
  EXPECT_NEAR(LevelAfter(3.0F, 300), LevelAfter(1.0F, 300), 0.01) << "beyond the edge is the edge";
}
