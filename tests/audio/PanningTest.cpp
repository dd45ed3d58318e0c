#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "audio/MusicLib.h"
#include "audio/Panning.h"
#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "audio/WaveList.h"
#include "platform/headless/HeadlessAudio.h"
#include "support/GameHarness.h"

namespace {

// Root-mean-square level of one side of an interleaved stereo mix, in dB.
double LevelDb(const std::vector<float>& mix, int side) {
  double sum = 0;
  std::size_t n = 0;
  for (std::size_t i = side; i < mix.size(); i += 2, ++n) sum += double(mix[i]) * mix[i];
  return 10 * std::log10(sum / static_cast<double>(n) + 1e-20);
}

// The game's own shot, with the real waves: everything else is stopped first, and the mix of the
// next tenth of a second is measured on both sides.
class ShotPanning : public ::testing::Test {
 protected:
  std::vector<float> ShotAt(int x) {
    Game.Form().StopSound("all");
    Game.Audio().Pull(4410);
    Game.Form().ResolveShot(x, 20);  // nothing stands on the splash screen: the shot and the miss
    return Game.Audio().Pull(4410);
  }
  TGameHarness Game;
};

TEST_F(ShotPanning, AShotOnTheLeftIsHeardOnTheLeftAndOneInTheMiddleOnBothSidesAlike) {
  const std::vector<float> left = ShotAt(50);
  EXPECT_GE(LevelDb(left, 0) - LevelDb(left, 1), 10.0);
  const std::vector<float> middle = ShotAt(400);
  EXPECT_NEAR(LevelDb(middle, 0), LevelDb(middle, 1), 0.5);
  RecordProperty("left_minus_right_db_at_50", std::to_string(LevelDb(left, 0) - LevelDb(left, 1)));
  RecordProperty("left_minus_right_db_at_400", std::to_string(LevelDb(middle, 0) - LevelDb(middle, 1)));
  const std::vector<float> right = ShotAt(760);
  EXPECT_GE(LevelDb(right, 1) - LevelDb(right, 0), 10.0);
}

TEST_F(ShotPanning, MonoPutsTheSameSoundOnBothSides) {
  Game.Form().Comfort.Mono = true;
  Game.Form().ApplyComfort();
  const std::vector<float> mix = ShotAt(50);
  for (std::size_t i = 0; i < mix.size(); i += 2) ASSERT_EQ(mix[i], mix[i + 1]) << i;
  EXPECT_GT(LevelDb(mix, 0), -40.0);
}

TEST_F(ShotPanning, AnEngineLoopFollowsItsVehicleAcrossTheField) {
  TMainForm& form = Game.Form();
  form.StopSound("all");
  form.PlaySoundAt("tank_move", 0);
  const std::vector<float> atLeft = Game.Audio().Pull(4410);
  form.PanSound("tank_move", 799);
  Game.Audio().Pull(441);
  const std::vector<float> atRight = Game.Audio().Pull(4410);
  EXPECT_GE(LevelDb(atLeft, 0) - LevelDb(atLeft, 1), 20.0);
  EXPECT_GE(LevelDb(atRight, 1) - LevelDb(atRight, 0), 20.0);
}

TEST(PanLaw, KeepsThePowerOfAnEffectWhereverItIs) {
  for (const double x : {0.0, 50.0, 200.0, 400.0, 600.0, 799.0, -30.0, 900.0}) {
    const TPanGains g = TPanGains::At(x);
    EXPECT_NEAR(g.Left * g.Left + g.Right * g.Right, 2.0, 1e-5) << x;
  }
  EXPECT_FLOAT_EQ(TPanGains::At(0).Right, 0.0F);
  EXPECT_NEAR(TPanGains::At(799).Left, 0.0F, 1e-6);
  EXPECT_GT(TPanGains::At(200).Left, TPanGains::At(600).Left);
}

// Music that is a constant level on both sides, to tell it from the effects in the mix.
class TSteadyMusic : public TMusicLib {
 public:
  uint32_t SongLoadFromFile(const std::string&) override { return 1; }
  void SongPlay(uint32_t) override {}
  int32_t SongGetOrder(uint32_t) override { return 0; }
  void SongFree(uint32_t) override {}
  void Render(float* frames, std::size_t count, int) override {
    for (std::size_t i = 0; i < count * 2; ++i) frames[i] += 0.2F;
  }
};

TEST(MixerVolumes, MusicAndEffectsAreSetApartAndTakeEffectAtOnce) {
  THeadlessAudioOutput output{true, 44100};
  TSteadyMusic music;
  TSoundDevice device{&output, &music};
  TWaveList list{device};
  list.LoadFromBytes(WriteWaveArchive(
      {{"hum", true, 0, TWave::FromFloat(std::vector<float>(441, 0.3F), 1, 44100)}}));
  list.Items().Find("hum").Play();
  const float music100 = 0.2F * TSoundDevice::MusicGain;
  const float effects100 = 0.3F * TSoundDevice::EffectGain;
  EXPECT_NEAR(output.Pull(100)[50], music100 + effects100, 1e-4);

  // Half the setting is a quarter of the amplitude, about 12 dB down; each stays on its own.
  device.SetEffectsVolume(0.5F);
  EXPECT_NEAR(output.Pull(100)[50], music100 + effects100 / 4, 1e-4);
  device.SetMusicVolume(0.0F);
  EXPECT_NEAR(output.Pull(100)[50], effects100 / 4, 1e-4);
  device.SetEffectsVolume(0.0F);
  EXPECT_NEAR(output.Pull(100)[50], 0.0F, 1e-6);
}

}  // namespace
