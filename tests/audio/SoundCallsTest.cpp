#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "battlefield/Terror.h"
#include "platform/headless/HeadlessAudio.h"
#include "support/GameHarness.h"

namespace {

// A whole game whose sound device is a headless output, so effects really start and the mix can
// be rendered.
class SoundCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TMainForm& form = Game.Form();
    auto record = form.WaveList->OnPlaySound;
    form.WaveList.reset();
    form.SoundDevice = std::make_unique<TSoundDevice>(&Output);
    form.WaveList = std::make_unique<TWaveList>(*form.SoundDevice);
    form.WaveList->OnPlaySound = record;
    form.WaveList->LoadFromFile("Data/Music.dxw");
    Game.ClearSounds();
  }

  TMainForm& Form() { return Game.Form(); }
  TWaveCollectionItem& Item(const std::string& name) { return Form().WaveList->Items().Find(name); }
  float MixPeak(std::size_t frames) {
    float peak = 0;
    for (const float x : Output.Pull(frames)) peak = std::max(peak, std::fabs(x));
    return peak;
  }

  TGameHarness Game;
  THeadlessAudioOutput Output{true, 44100};
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
