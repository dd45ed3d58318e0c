#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "combat/Bonus.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

namespace {

// The level clock against pauses, the exit dialog and the focus, through the real frame loop and
// timers on the fake clock. Level 1 lasts 30 s of play; time spent paused must add nothing to it
// and take nothing from it.
class LevelClock : public ::testing::Test {
 protected:
  TMainForm& Form() { return Game.Form(); }
  uint32_t Now() { return Game.Clock().Milliseconds(); }

  // Lets ms pass with the player kept alive, so that only the clock can end the level.
  void Play(uint32_t ms) {
    for (uint32_t passed = 0; passed < ms; passed += 10) {
      Form().Health = 100;
      Form().Lives = 3;
      Game.RunFor(10);
    }
  }
  // Plays until level 2 has begun; false when it did not within maxMs.
  bool PlayUntilLevel2(uint32_t maxMs = 40000) {
    for (uint32_t passed = 0; passed < maxMs && Form().LevelNumber == 1; passed += 10) Play(10);
    return Form().LevelNumber == 2;
  }
  // Level 1 ends 30 s of play after its intro, give or take the frame that notices it.
  static void ExpectLevel1Length(uint32_t playing) {
    EXPECT_GE(playing, 30000u);
    EXPECT_LE(playing, 30100u);
  }

  TGameHarness Game;
};

TEST_F(LevelClock, BurstFireEndingDuringAPauseLeavesTheClockPaused) {
  ASSERT_TRUE(Game.StartGameAndSkipIntro());
  const uint32_t start = Now();
  Play(2500);  // half way through a second of the countdown
  Form().Spawn<Ocher>(380.0, 300.0, 599);
  Game.Click(390, 310);
  ASSERT_FALSE(Form().SingleShotMode);

  Game.Key(VK_P);
  ASSERT_TRUE(Form().GamePause.Checked);
  const int32_t countdown = Form().LevelCountdown;
  Play(15000);  // burst fire's ten seconds end in here
  EXPECT_TRUE(Form().SingleShotMode);
  EXPECT_EQ(Form().LevelCountdown, countdown) << "the clock ran during the pause";
  EXPECT_EQ(Form().LevelNumber, 1);

  Game.Key(VK_P);
  ASSERT_FALSE(Form().GamePause.Checked);
  ASSERT_TRUE(PlayUntilLevel2()) << "the clock stopped when the pause ended";
  ExpectLevel1Length(Now() - start - 15000);
}

// The window's close button during the intro raises the exit dialog; the intro's own timer then
// ends the intro underneath it.
TEST_F(LevelClock, TheIntroEndingUnderTheExitDialogStartsTheClockOnlyAtNo) {
  Game.SkipSplash();
  Form().SwitchScreen(scGame);
  ASSERT_TRUE(Game.RunUntil([&] { return Game.Played("Fight"); }, 10000));
  ASSERT_TRUE(Form().LevelIntro);
  Game.CloseWindow();
  ASSERT_TRUE(Form().GameMainExit.Checked);

  Play(5000);
  EXPECT_FALSE(Form().LevelIntro) << "the intro ends under the dialog";
  EXPECT_EQ(Form().LevelCountdown, 29) << "the clock ran under the dialog";

  constexpr TButtonRect no = ButtonRects::MainExitNo;
  Game.Click((no.X1 + no.X2) / 2, (no.Y1 + no.Y2) / 2);
  ASSERT_FALSE(Form().GameMainExit.Checked);
  const uint32_t start = Now();
  ASSERT_TRUE(PlayUntilLevel2()) << "the clock stopped when the dialog closed";
  ExpectLevel1Length(Now() - start);
}

// The focus goes right after the last tick, before the frame that would begin the next level.
TEST_F(LevelClock, FocusLostAsTheCountdownRunsOutHoldsTheLevelUntilItReturns) {
  ASSERT_TRUE(Game.StartGameAndSkipIntro());
  const uint32_t start = Now();
  const std::function<void()> tick = Form().TimerLevel->OnTimer;
  bool lost = false;
  Form().TimerLevel->OnTimer = [&] {
    tick();
    if (Form().LevelCountdown < 0 && !lost) {
      lost = true;
      Game.LoseFocus();
    }
  };
  for (uint32_t passed = 0; passed < 40000 && !lost; passed += 10) Play(10);
  ASSERT_TRUE(lost);
  ASSERT_TRUE(Form().GamePause.Checked);

  Play(10000);
  EXPECT_EQ(Form().LevelNumber, 1) << "the next level began while paused";
  EXPECT_TRUE(Form().GamePause.Checked);

  Game.GainFocus();
  EXPECT_FALSE(Form().GamePause.Checked) << "the returning focus could not resume";
  ASSERT_TRUE(PlayUntilLevel2());
  ExpectLevel1Length(Now() - start - 10000);
  // Level 2's intro runs and its play begins.
  EXPECT_TRUE(Game.RunUntil([&] { return !Form().LevelIntro; }, 10000));
  EXPECT_FALSE(Form().GamePause.Checked);
  EXPECT_TRUE(Form().TimerLevel->Enabled());
}

}  // namespace
