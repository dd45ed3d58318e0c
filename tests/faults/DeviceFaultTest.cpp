#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "faults/FaultFixtures.h"
#include "platform/Display.h"
#include "scores/TextCoder.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"

namespace {

// Without a sound card the game plays silently: into a game, out through the exit dialog, and
// closed from the main menu, with nothing shown to the player.
TEST(NoAudioDevice, TheGamePlaysSilently) {
  TScriptedRun run;
  run.Platform.Audio = std::make_unique<THeadlessAudioOutput>(false);
  run.PostKey(VK_RETURN, 2000);
  run.PostClick(ButtonRects::StartGame, 3000);
  TPlatformEvent close;
  close.Kind = TPlatformEvent::TKind::CloseRequest;
  run.Window().PostEvent(close, 20000);
  run.PostClick(ButtonRects::MainExitYes, 20500);
  run.PostQuit(22000);

  EXPECT_EQ(run.Run(), 0);
  EXPECT_TRUE(run.Window().Messages().empty()) << run.Window().Messages().front().Text;
  EXPECT_GT(run.Window().PresentCount(), 500);
  EXPECT_FALSE(HeadlessAudio(run.Platform).IsOpen());
}

class FullScreenRefused : public ::testing::Test {
 protected:
  // The settings ask for full screen; the desktop refuses it when the display starts.
  static TGameHarness::TOptions Options() {
    TGameHarness::TOptions options;
    options.ShowForm = false;
    options.WriteConfig = true;
    options.ConfigLines = {EncodeText("true")};
    return options;
  }

  void ExpectWindowed() {
    EXPECT_FALSE(Game.Window().FullScreen());
    EXPECT_FALSE(Game.Form().GameFullScreen.Checked) << "the switch shows what the player has";
    EXPECT_FALSE(Game.Form().Display->FullScreen());
    EXPECT_EQ(Game.Window().BorderStyle(), TBorderStyle::bsSingle) << "a window the player can move";
    EXPECT_TRUE(Game.Form().Display->CanDraw());
  }

  TGameHarness Game{Options()};
};

TEST_F(FullScreenRefused, TheGameComesUpInAWindowWithTheSwitchOff) {
  Game.Window().FullScreenRefused = true;
  Game.Form().ShowForm();
  const int presented = Game.Window().PresentCount();
  Game.Frames(5);
  ExpectWindowed();
  EXPECT_GT(Game.Window().PresentCount(), presented);
  EXPECT_TRUE(Game.Messages().empty());
}

TEST_F(FullScreenRefused, SwitchingLaterLeavesTheWindowAndTheOffSwitch) {
  Game.Form().ShowForm();
  ASSERT_TRUE(Game.Window().FullScreen());
  Game.SkipSplash();
  Game.Key(VK_RETURN, {false, true, false});  // Alt+Enter: back to the window
  ASSERT_FALSE(Game.Window().FullScreen());

  Game.Window().FullScreenRefused = true;
  Game.Key(VK_RETURN, {false, true, false});
  Game.Frames(2);
  ExpectWindowed();

  // The options screen shows the window mode marker, and full screen can be asked for again.
  Game.Form().SwitchScreen(scOptions);
  Game.Frames(2);
  EXPECT_EQ(Game.Count<Options_window_mode>(), 1);
  EXPECT_EQ(Game.Count<Options_full_screen>(), 0);
  Game.Window().FullScreenRefused = false;
  Game.Click((ButtonRects::OptionsFullScreen.X1 + ButtonRects::OptionsFullScreen.X2) / 2,
             (ButtonRects::OptionsFullScreen.Y1 + ButtonRects::OptionsFullScreen.Y2) / 2);
  EXPECT_TRUE(Game.Window().FullScreen());
  EXPECT_TRUE(Game.Form().GameFullScreen.Checked);
}

}  // namespace
