#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audio/MusicDucker.h"
#include "audio/MusicFader.h"
#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "audio/WaveList.h"
#include "platform/headless/HeadlessAudio.h"

namespace {

constexpr int Rate = 1000;  // one frame a millisecond keeps the timings readable

// A music library whose modules are steady levels: the file "a" plays 0.1, "b" 0.2 and so on,
// so the mix shows which module sounds and how loud. It keeps track of what is still loaded.
class TLevelMusic : public TMusicLib {
 public:
  uint32_t SongLoadFromFile(const std::string& path) override {
    Loaded[++Last] = path;
    return Last;
  }
  void SongPlay(uint32_t handle) override { Playing = Loaded.count(handle) ? handle : Playing; }
  int32_t SongGetOrder(uint32_t handle) override { return handle == Playing ? 1 : 0; }
  void SongFree(uint32_t handle) override {
    Loaded.erase(handle);
    if (Playing == handle) Playing = 0;
  }
  void Render(float* frames, std::size_t count, int) override {
    if (Playing == 0) return;
    const float level = 0.1F * static_cast<float>(Loaded[Playing][0] - 'a' + 1);
    for (std::size_t i = 0; i < count * 2; ++i) frames[i] += level;
  }
  std::map<uint32_t, std::string> Loaded;
  uint32_t Playing = 0;
  uint32_t Last = 0;
};

struct MusicFader : public ::testing::Test {
  MusicFader() {
    auto inner = std::make_unique<TLevelMusic>();
    Inner = inner.get();
    Fader = std::make_unique<TMusicFader>(std::move(inner));
  }
  // Left values of the next ms milliseconds.
  std::vector<float> Next(int ms) {
    std::vector<float> frames(static_cast<std::size_t>(ms) * 2, 0.0F);
    Fader->Render(frames.data(), static_cast<std::size_t>(ms), Rate);
    std::vector<float> left;
    for (int i = 0; i < ms; ++i) left.push_back(frames[static_cast<std::size_t>(i) * 2]);
    return left;
  }
  TLevelMusic* Inner;
  std::unique_ptr<TMusicFader> Fader;
};

}  // namespace

TEST_F(MusicFader, ANewTuneWaitsForTheOldOneToFadeOverThreeHundredMilliseconds) {
  // What the game does on a change of screen: free the old module, load and play the new one.
  const uint32_t menu = Fader->SongLoadFromFile("a");
  Fader->SongPlay(menu);
  Next(50);
  Fader->SongFree(menu);
  const uint32_t battle = Fader->SongLoadFromFile("b");
  Fader->SongPlay(battle);
  EXPECT_EQ(Fader->SongGetOrder(battle), 0) << "not started while the old one fades";

  const std::vector<float> fade = Next(400);
  EXPECT_NEAR(fade[0], 0.1F, 0.002F);
  EXPECT_NEAR(fade[149], 0.05F, 0.002F) << "halfway down after 150 ms";
  EXPECT_NEAR(fade[290], 0.003F, 0.003F);
  for (int i = 1; i < 299; ++i) EXPECT_LE(fade[i], fade[i - 1]) << "the fade only falls";
  EXPECT_NEAR(fade[305], 0.2F, 1e-6F) << "the new tune starts right after the fade";
  EXPECT_EQ(Inner->Loaded.count(menu), 0U) << "the old module is freed once silent";
  EXPECT_EQ(Fader->SongGetOrder(battle), 1);
}

TEST_F(MusicFader, StoppedMusicFadesToSilenceAndRestartingATuneCutsOverAtOnce) {
  const uint32_t first = Fader->SongLoadFromFile("a");
  Fader->SongPlay(first);
  Next(10);
  // The tune has played through and the game starts its file afresh: no fade of its opening.
  Fader->SongFree(first);
  const uint32_t again = Fader->SongLoadFromFile("a");
  Fader->SongPlay(again);
  EXPECT_EQ(Inner->Loaded.count(first), 0U);
  EXPECT_NEAR(Next(5)[0], 0.1F, 1e-6F);

  // Music switched off: it still stops, over 300 ms, and is freed.
  Fader->SongFree(again);
  const std::vector<float> out = Next(500);
  EXPECT_GT(out[100], 0.05F);
  EXPECT_EQ(out[320], 0.0F);
  EXPECT_EQ(out[499], 0.0F);
  EXPECT_TRUE(Inner->Loaded.empty());
  Fader->SongFree(again);  // the caller's second free of a gone handle does nothing
}

TEST(MusicDucker, TheMusicDropsSixDecibelsInFiftyMillisecondsAndComesBackInThreeHundred) {
  TMusicDucker ducker;
  std::vector<float> block(2 * 10, 1.0F);
  const auto run = [&](int ms, bool voice) {
    for (int i = 0; i < ms / 10; ++i) {
      std::fill(block.begin(), block.end(), 1.0F);
      ducker.Process(block.data(), 10, voice ? 10 : 0, Rate);
    }
  };
  run(25, false);
  EXPECT_EQ(ducker.CutDb(), 0.0F);
  run(20, true);
  EXPECT_NEAR(ducker.CutDb(), 2.4F, 0.01F);
  run(30, true);
  EXPECT_NEAR(ducker.CutDb(), 6.0F, 0.01F);
  EXPECT_NEAR(20 * std::log10(block.back()), -6.0F, 0.01F);
  run(1000, true);
  EXPECT_NEAR(ducker.CutDb(), 6.0F, 0.01F) << "no deeper than 6 dB however long the word";
  run(150, false);
  EXPECT_NEAR(ducker.CutDb(), 3.0F, 0.05F);
  run(160, false);
  EXPECT_EQ(ducker.CutDb(), 0.0F);
  EXPECT_EQ(block.back(), 1.0F);
}

TEST(MusicDucker, TheAnnouncersWordsDuckTheMusicInTheMixAndGunfireDoesNot) {
  THeadlessAudioOutput output{true, 44100};
  TSoundDevice device{&output};
  TLevelMusic music;
  device.SetMusic(&music);
  TWaveList list{device};
  const TWave word = TWave::FromFloat(std::vector<float>(22050, 0.0F), 1, 44100);
  list.LoadFromBytes(WriteWaveArchive({{"Level", false, 0, word}, {"1", false, 0, word}}));
  music.SongPlay(music.SongLoadFromFile("a"));
  const float full = output.Pull(100)[0];

  list.Items().Find("1").Play();
  EXPECT_FLOAT_EQ(output.Pull(4410).back(), full);

  list.Items().Find("Level").Play();
  const std::vector<float> ducked = output.Pull(4410);
  EXPECT_NEAR(20 * std::log10(ducked.back() / full), -6.0, 0.05);
  output.Pull(17640 + 13230);  // the word ends, and 300 ms later the music is back
  EXPECT_FLOAT_EQ(output.Pull(100)[0], full);
}
