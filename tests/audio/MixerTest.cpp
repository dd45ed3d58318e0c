#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "audio/WaveList.h"
#include "platform/headless/HeadlessAudio.h"

namespace {

// A wave of a constant level: easy to find in the mix and to time.
TWave Constant(float level, int frames, int rate, int channels = 1) {
  return TWave::FromFloat(std::vector<float>(static_cast<std::size_t>(frames * channels), level), channels, rate);
}

TWave Sine(double hz, double seconds, int rate, float level = 0.89F) {
  std::vector<float> s(static_cast<std::size_t>(seconds * rate));
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = level * static_cast<float>(std::sin(2 * M_PI * hz * i / rate));
  return TWave::FromFloat(s, 1, rate);
}

// Frames of a mix whose left or right value is above a small threshold.
int Sounding(const std::vector<float>& mix, int channel = 0) {
  int n = 0;
  for (std::size_t i = channel; i < mix.size(); i += 2) n += std::fabs(mix[i]) > 1e-3F ? 1 : 0;
  return n;
}

float Peak(const std::vector<float>& mix) {
  float peak = 0;
  for (const float x : mix) peak = std::max(peak, std::fabs(x));
  return peak;
}

class MixerTest : public ::testing::Test {
 protected:
  void Load(const std::vector<TWaveSource>& sources) { List.LoadFromBytes(WriteWaveArchive(sources)); }
  TWaveCollectionItem& Item(const char* name) { return List.Items().Find(name); }

  THeadlessAudioOutput Output{true, 44100};
  TSoundDevice Device{&Output};
  TWaveList List{Device};
};

}  // namespace

TEST_F(MixerTest, APlayedEffectIsHeardForItsLengthAtTheOutputRate) {
  // 0.1 s at 22050 Hz lasts 4410 frames at 44100 Hz.
  Load({{"shot", false, 0, Constant(0.5F, 2205, 22050)}});
  ASSERT_TRUE(Item("shot").Initialized());
  EXPECT_EQ(Sounding(Output.Pull(1000)), 0);
  Item("shot").Play();
  const std::vector<float> mix = Output.Pull(8000);
  EXPECT_NEAR(Sounding(mix, 0), 4410, 3);
  EXPECT_NEAR(Sounding(mix, 1), 4410, 3);
  EXPECT_NEAR(mix[2000], 0.5F * TSoundDevice::EffectGain, 0.01F);
  EXPECT_EQ(Item("shot").PlayingCount(), 0);
}

TEST_F(MixerTest, StereoWavesKeepTheirSides) {
  std::vector<float> lr;
  for (int i = 0; i < 1000; ++i) lr.insert(lr.end(), {0.4F, -0.2F});
  Load({{"pan", false, 0, TWave::FromFloat(lr, 2, 44100)}});
  Item("pan").Play();
  const std::vector<float> mix = Output.Pull(500);
  EXPECT_NEAR(mix[200], 0.4F * TSoundDevice::EffectGain, 0.01F);
  EXPECT_NEAR(mix[201], -0.2F * TSoundDevice::EffectGain, 0.01F);
}

TEST_F(MixerTest, ALoopedWaveRepeatsUntilStopped) {
  Load({{"engine", true, 0, Constant(0.3F, 441, 44100)}});
  Item("engine").Play();
  EXPECT_EQ(Sounding(Output.Pull(5000)), 5000);
  Item("engine").Stop();
  EXPECT_EQ(Sounding(Output.Pull(100)), 0);
}

TEST_F(MixerTest, EightLoudShotsOverEachOtherStayBelowFullScale) {
  Load({{"1", false, 8, Sine(220, 0.5, 44100)}});
  std::vector<float> mix;
  for (int k = 0; k < 8; ++k) {
    Item("1").Play();
    const std::vector<float> part = Output.Pull(441);
    mix.insert(mix.end(), part.begin(), part.end());
  }
  EXPECT_EQ(Item("1").PlayingCount(), 8);
  const std::vector<float> rest = Output.Pull(20000);
  mix.insert(mix.end(), rest.begin(), rest.end());
  EXPECT_LT(Peak(mix), 0.95F);
  // Limited, not silenced: the pile-up is still loud.
  EXPECT_GT(Peak(mix), 0.6F);
}

TEST(MixerWithoutDevice, WavesStayUninitialisedAndPlaySilently) {
  THeadlessAudioOutput none(false);
  TSoundDevice device(&none);
  TWaveList list(device);
  list.LoadFromBytes(WriteWaveArchive({{"1", false, 0, Constant(0.5F, 100, 22050)}}));
  TWaveCollectionItem& item = list.Items().Find("1");
  EXPECT_FALSE(device.Initialized());
  EXPECT_FALSE(item.Initialized());
  EXPECT_EQ(item.Play(), nullptr);
  EXPECT_EQ(Sounding(none.Pull(100)), 0);
}

TEST(MixerWithoutDevice, NoOutputAtAllIsTheSame) {
  TSoundDevice device(nullptr);
  TWaveList list(device);
  list.LoadFromBytes(WriteWaveArchive({{"1", false, 0, Constant(0.5F, 100, 22050)}}));
  EXPECT_FALSE(list.Items().Find("1").Initialized());
}
