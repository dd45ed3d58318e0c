#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/MusicLib.h"
#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "battlefield/Terror.h"
#include "platform/headless/HeadlessAudio.h"
#include "support/GameHarness.h"

namespace {

// A whole game on the headless platform: its sound card is the headless output, so effects
// really start and the test can render the mix.
class SoundCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { Game.ClearSounds(); }

  TMainForm& Form() { return Game.Form(); }
  TWaveCollectionItem& Item(const std::string& name) { return Form().WaveList->Items().Find(name); }
  float MixPeak(std::size_t frames) {
    float peak = 0;
    for (const float x : Output.Pull(frames)) peak = std::max(peak, std::fabs(x));
    return peak;
  }

  TGameHarness Game;
  THeadlessAudioOutput& Output = HeadlessAudio(Game.Platform());
};

}  // namespace

TEST_F(SoundCallsTest, APlayedEffectIsHeardAndReported) {
  ASSERT_TRUE(Item("1").Initialized());
  Form().PlaySound("1");
  EXPECT_EQ(Game.Sounds(), std::vector<std::string>{"1"});
  EXPECT_EQ(Item("1").PlayingCount(), 1);
  EXPECT_GT(MixPeak(4096), 0.05F);
}

TEST_F(SoundCallsTest, WithSoundOffNothingStartsButStopStillStops) {
  Form().PlaySound("tank_move");
  Form().GameSound.Checked = false;
  Form().PlaySound("1");
  Form().PlaySound("tank_move");
  EXPECT_EQ(Game.Sounds(), std::vector<std::string>{"tank_move"});
  EXPECT_EQ(Item("1").PlayingCount(), 0);
  EXPECT_EQ(Item("tank_move").PlayingCount(), 1);
  Form().StopSound("technic");
  EXPECT_EQ(Item("tank_move").PlayingCount(), 0);
  EXPECT_EQ(MixPeak(2048), 0.0F);
}

TEST_F(SoundCallsTest, MaxPlayingCountTwoPlayedThriceRestartsTheOldestCopy) {
  TWaveCollectionItem& item = Item("popal_in_gel");
  item.MaxPlayingCount = 2;
  Form().PlaySound("popal_in_gel");
  const TSoundBuffer* first = item.Copy(0);
  Output.Pull(1000);
  Form().PlaySound("popal_in_gel");
  const TSoundBuffer* second = item.Copy(1);
  Output.Pull(1000);
  Form().PlaySound("popal_in_gel");
  EXPECT_EQ(item.CopyCount(), 2);
  EXPECT_EQ(item.PlayingCount(), 2);
  // The oldest copy started again and moved to the end of the list.
  EXPECT_EQ(item.Copy(0), second);
  EXPECT_EQ(item.Copy(1), first);
}

TEST_F(SoundCallsTest, ASilentCopyIsReusedBeforeANewOneIsMade) {
  TWaveCollectionItem& item = Item("button_up");
  Form().PlaySound("button_up");
  Output.Pull(44100);  // far longer than the tick
  Form().PlaySound("button_up");
  EXPECT_EQ(item.CopyCount(), 1);
  EXPECT_EQ(item.PlayingCount(), 1);
}

TEST_F(SoundCallsTest, ALoopedEffectPlayedTwiceRestartsInsteadOfDoubling) {
  TWaveCollectionItem& item = Item("truc_move");
  ASSERT_TRUE(item.Looped);
  Form().PlaySound("truc_move");
  const float single = MixPeak(44100);
  Form().PlaySound("truc_move");
  EXPECT_EQ(item.PlayingCount(), 1);
  EXPECT_EQ(item.CopyCount(), 0);
  EXPECT_LT(MixPeak(44100), single * 1.2F);
}

TEST_F(SoundCallsTest, AMissingNameRaises) {
  try {
    Form().PlaySound("no such sound");
    ADD_FAILURE() << "no error";
  } catch (const EWaveCollectionError& e) {
    EXPECT_STREQ(e.what(), "Wave 'no such sound' not found");
  }
}

TEST_F(SoundCallsTest, StopAllAndStopByName) {
  for (const char* name : {"1", "plane", "tank_move", "vert_move", "truc_move", "button_up"}) Form().PlaySound(name);
  Form().StopSound("button_up");
  EXPECT_EQ(Item("button_up").PlayingCount(), 0);
  EXPECT_EQ(Item("plane").PlayingCount(), 1);
  Form().StopSound("technic");
  for (const char* name : {"tank_move", "vert_move", "truc_move"}) EXPECT_EQ(Item(name).PlayingCount(), 0) << name;
  EXPECT_EQ(Item("plane").PlayingCount(), 1);
  Form().StopSound("all");
  EXPECT_EQ(Form().SoundDevice->PlayingCount(), 0);
}

TEST_F(SoundCallsTest, AnEngineNoiseStopsOnlyWithTheLastVehicleOfItsSort) {
  struct TCase {
    const char* Name;
    std::vector<int32_t> Kinds;  // vehicles on the field, the dying one included
    const char* Noise;
    int32_t Kind;
    bool Stops;
  };
  const std::vector<TCase> cases = {
      {"the last truck", {6}, "truc_move", 6, true},
      {"a truck of each kind: trucks count together", {6, 7}, "truc_move", 6, false},
      {"the other kind of truck", {7, 6}, "truc_move", 7, false},
      {"a truck and a tank", {6, 5}, "truc_move", 6, true},
      {"two tanks", {5, 5}, "tank_move", 5, false},
      {"the last tank beside a helicopter", {5, 8}, "tank_move", 5, true},
      {"the last helicopter", {8}, "vert_move", 8, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Form().Engine().Clear();
    for (const int32_t kind : c.Kinds) {
      if (kind == 8)
        Form().Spawn<TTerror_Vert>(kind, 1.0, 100.0, 100.0, 100);
      else
        Form().Spawn<TTerror2>(kind, 1.0, 100.0, 300.0, 300);
    }
    Form().PlaySound(c.Noise);
    Form().StopSound(c.Noise, c.Kind);
    EXPECT_EQ(Item(c.Noise).PlayingCount(), c.Stops ? 0 : 1);
    Form().StopSound("all");
  }
}

namespace {

// A music library that records the calls and plays nothing.
class TRecordingMusic : public TMusicLib {
 public:
  explicit TRecordingMusic(std::vector<std::string>& log) : FLog(log) {}
  uint32_t SongLoadFromFile(const std::string& path) override {
    FLog.push_back("load " + path);
    return std::filesystem::exists(path) ? ++FNext : 0;
  }
  void SongPlay(uint32_t handle) override { FLog.push_back("play " + std::to_string(handle)); }
  int32_t SongGetOrder(uint32_t) override { return 0; }
  void SongFree(uint32_t handle) override { FLog.push_back("free " + std::to_string(handle)); }
  void Render(float*, std::size_t, int) override {}

 private:
  std::vector<std::string>& FLog;
  uint32_t FNext = 0;
};

}  // namespace

TEST(MusicCalls, PlayStopAndTheMusicSwitch) {
  std::vector<std::string> log;
  TGameHarness::TOptions options;
  options.MakeMusic = [&log] { return std::make_unique<TRecordingMusic>(log); };
  TGameHarness game(options);
  TMainForm& form = game.Form();
  form.StopMusic();
  log.clear();
  form.SongHandle = 0;

  form.PlayMusic("2");
  const uint32_t handle = form.SongHandle;
  EXPECT_NE(handle, 0U);
  EXPECT_EQ(log, (std::vector<std::string>{"load Music/2.xm", "play " + std::to_string(handle)}));

  // With music off a playing module is left alone.
  log.clear();
  form.GameMusic.Checked = false;
  form.PlayMusic("3");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(form.SongHandle, handle);

  // A module that cannot be loaded gives no music and no error; the old one is freed.
  form.GameMusic.Checked = true;
  form.LastSongOrder = 5;
  form.PlayMusic("9");
  EXPECT_EQ(log, (std::vector<std::string>{"free " + std::to_string(handle), "load Music/9.xm"}));
  EXPECT_EQ(form.SongHandle, 0U);
  EXPECT_EQ(form.LastSongOrder, 0);

  log.clear();
  form.StopMusic();
  EXPECT_TRUE(log.empty()) << "nothing to free";
  form.PlayMusic("1");
  const uint32_t menu = form.SongHandle;
  form.StopMusic();
  EXPECT_EQ(log.back(), "free " + std::to_string(menu));
  EXPECT_EQ(form.SongHandle, 0U);
}
