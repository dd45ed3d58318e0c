#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "loudness/LoudnessMeter.h"
#include "loudness/RepeatMeter.h"

namespace {

// A sine on both sides, its peak at dbfs.
std::vector<float> StereoSine(double hz, double seconds, int rate, double dbfs) {
  const double amplitude = std::pow(10.0, dbfs / 20.0);
  std::vector<float> s(static_cast<std::size_t>(seconds * rate) * 2);
  for (std::size_t i = 0; i < s.size() / 2; ++i)
    s[i * 2] = s[i * 2 + 1] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate));
  return s;
}

void Append(std::vector<float>& to, const std::vector<float>& more) { to.insert(to.end(), more.begin(), more.end()); }

}  // namespace

TEST(LoudnessMeter, ASineOfKnownLevelReadsItsLevelAtEveryRate) {
  // A 997 Hz sine on both sides reads its own peak level in LUFS, whatever the sample rate.
  struct TCase {
    int Rate;
    double Dbfs;
  };
  for (const TCase c : {TCase{48000, -23.0}, TCase{44100, -23.0}, TCase{22050, -23.0}, TCase{48000, -6.0}}) {
    SCOPED_TRACE(c.Rate);
    const TLoudness l = MeasureLoudness(StereoSine(997, 5.0, c.Rate, c.Dbfs), c.Rate, 2);
    EXPECT_NEAR(l.Integrated, c.Dbfs, 0.1);
    EXPECT_NEAR(l.MaxMomentary, c.Dbfs, 0.1);
  }
  // K-weighting: the low end counts for less, the presence band for more.
  EXPECT_LT(MeasureLoudness(StereoSine(30, 5.0, 48000, -23.0), 48000, 2).Integrated, -24.0);
  EXPECT_GT(MeasureLoudness(StereoSine(4000, 5.0, 48000, -23.0), 48000, 2).Integrated, -21.0);
  // One side only is 3 dB under both.
  std::vector<float> left = StereoSine(997, 5.0, 48000, -23.0);
  for (std::size_t i = 1; i < left.size(); i += 2) left[i] = 0.0F;
  EXPECT_NEAR(MeasureLoudness(left, 48000, 2).Integrated, -26.0, 0.1);
}

TEST(LoudnessMeter, GatesLeaveOutPausesAndShortSoundsAreHeardAgainstSilence) {
  // Ten seconds at -20 and ten at -40: the quiet half falls under the relative gate, and a
  // stretch of digital silence under the absolute one.
  std::vector<float> s = StereoSine(997, 10.0, 48000, -20.0);
  Append(s, StereoSine(997, 10.0, 48000, -40.0));
  Append(s, std::vector<float>(48000 * 2 * 5, 0.0F));
  const TLoudness gated = MeasureLoudness(s, 48000, 2);
  EXPECT_NEAR(gated.Integrated, -20.0, 0.2);
  EXPECT_NEAR(gated.MaxMomentary, -20.0, 0.1);

  // 100 ms of sound fills a quarter of a 400 ms block: 6 dB under its own level.
  EXPECT_NEAR(MeasureLoudness(StereoSine(997, 0.1, 48000, -20.0), 48000, 2).MaxMomentary, -26.0, 0.2);
  EXPECT_TRUE(std::isinf(MeasureLoudness(std::vector<float>(96000, 0.0F), 48000, 2).Integrated));
}

TEST(LoudnessMeter, AnOctaveBandKeepsItsOwnOctaveAndDropsOthers) {
  const std::vector<float> tone = StereoSine(1000, 3.0, 48000, -20.0);
  const double own = MeasureLoudness(OctaveBand(tone, 48000, 2, 1000), 48000, 2).Integrated;
  const double far = MeasureLoudness(OctaveBand(tone, 48000, 2, 4000), 48000, 2).Integrated;
  EXPECT_NEAR(own, -20.0, 0.5);
  EXPECT_LT(far, own - 20.0);
}

namespace {

// A made-up tune: one bar is sixteen sine notes of pitches drawn from seed.
std::vector<float> Bar(uint32_t seed, int rate, double barSeconds, int transpose = 0) {
  std::mt19937 pick(seed);
  std::vector<float> s;
  for (int n = 0; n < 16; ++n) {
    const int midi = 60 + static_cast<int>(pick() % 12) + transpose;
    Append(s, StereoSine(440.0 * std::pow(2.0, (midi - 69) / 12.0), barSeconds / 16, rate, -12.0));
  }
  return s;
}

}  // namespace

TEST(RepeatMeter, CountsFourBarWindowsThatCopyEarlierOnes) {
  constexpr int Rate = 16000;
  constexpr double BarSeconds = 1.6;
  // Eight different bars, then the same eight again: of the thirteen windows, the five that lie
  // wholly in the copy repeat.
  std::vector<float> copied;
  for (int round = 0; round < 2; ++round)
    for (uint32_t bar = 0; bar < 8; ++bar) Append(copied, Bar(bar, Rate, BarSeconds));
  const TRepeatMeter exact(copied, Rate, BarSeconds);
  EXPECT_EQ(exact.Windows(), 13U);
  EXPECT_EQ(exact.Repeats(), 5U);

  // The second time written a tone higher: a variation, not a repeat.
  std::vector<float> varied;
  for (uint32_t bar = 0; bar < 8; ++bar) Append(varied, Bar(bar, Rate, BarSeconds));
  for (uint32_t bar = 0; bar < 8; ++bar) Append(varied, Bar(bar, Rate, BarSeconds, 2));
  EXPECT_EQ(TRepeatMeter(varied, Rate, BarSeconds).Repeats(), 0U);
}
