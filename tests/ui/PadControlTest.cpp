#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "combat/Pricel.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"
#include "ui/ScreenDriver.h"

namespace {

namespace BR = ButtonRects;
using A = TPadAxis;
using B = TPadButton;

// The pad drives the game as a mouse and keys would: the pointer, the highlights, the clicks.
class PadControl : public ::testing::Test {
 protected:
  TMainForm& Form() { return Game.Form(); }
  int Shots() {
    const auto& s = Game.Sounds();
    return static_cast<int>(std::count(s.begin(), s.end(), "1"));
  }
  // Pushes the left stick to full tilt along one axis until the predicate holds (at most 3 s).
  template <class P>
  bool Steer(A axis, int value, P arrived) {
    Game.PadAxis(axis, value);
    const bool ok = Game.RunUntil(arrived, 3000);
    Game.PadAxis(axis, 0);
    return ok;
  }
  TGameHarness Game;
  TScreenDriver Driver{Game};
};

TEST_F(PadControl, TheSightFollowsTheStickFromTheNextFrameOn) {
  Game.SkipSplash();
  Game.MoveMouse(400, 300);
  Game.Frames(1);
  const Pricel* sight = Game.Form().FindFirst<Pricel>();
  ASSERT_NE(sight, nullptr);
  const double restX = sight->X;

  Game.PadAxis(A::LeftX, 32767);
  Game.Frames(1);
  EXPECT_GT(Form().PointerX, 400);
  EXPECT_EQ(sight->X, std::nearbyint(Form().PointerX - sight->Width / 2.0));
  EXPECT_GT(sight->X, restX);

  // Let go: the sight stays where the stick left it.
  Game.PadAxis(A::LeftX, 0);
  const int32_t stopped = Form().PointerX;
  Game.Frames(3);
  EXPECT_EQ(Form().PointerX, stopped);
}

TEST_F(PadControl, AOverStartGameStartsALevelAndTheHighlightsFollowThePad) {
  Game.SkipSplash();
  Game.MoveMouse(100, 560);
  // Up and right onto START GAME, lighting its highlight on the way, as the mouse would.
  ASSERT_TRUE(Steer(A::LeftY, -32768, [&] { return Form().PointerY <= BR::StartGame.Y2 - 5; }));
  ASSERT_TRUE(Steer(A::LeftX, 32767, [&] { return Form().PointerX >= BR::StartGame.X1 + 20; }));
  EXPECT_EQ(Game.Count<Start_Game>(), 1);
  Game.PadPress(B::A);
  EXPECT_EQ(Form().CurrentScreen, scGame);
  EXPECT_TRUE(Form().LevelIntro);
}

TEST_F(PadControl, HoldingAOrTheRightTriggerInBurstFireFiresOnEveryMove) {
  ASSERT_TRUE(Game.StartGameAndSkipIntro());
  Game.ClearSounds();
  Form().SingleShotMode = false;
  Game.PadButton(B::A, true);
  EXPECT_TRUE(Form().TriggerHeld);
  EXPECT_EQ(Shots(), 1);
  Game.PadAxis(A::LeftX, 20000);
  Game.Frames(5);
  Game.PadAxis(A::LeftX, 0);
  EXPECT_GE(Shots(), 5);
  const int held = Shots();
  Game.PadButton(B::A, false);
  EXPECT_FALSE(Form().TriggerHeld);
  Game.PadAxis(A::LeftX, 20000);
  Game.Frames(3);
  Game.PadAxis(A::LeftX, 0);
  EXPECT_EQ(Shots(), held);

  // The trigger is the same button: down past half its travel, up below a quarter, without chatter
  // in between; letting go of A while the trigger holds keeps the button down.
  Game.PadAxis(A::TriggerRight, 20000);
  EXPECT_TRUE(Form().TriggerHeld);
  Game.PadAxis(A::TriggerRight, 12000);
  Game.PadPress(B::A);
  EXPECT_TRUE(Form().TriggerHeld);
  EXPECT_EQ(Shots(), held + 1);
  Game.PadAxis(A::TriggerRight, 4000);
  EXPECT_FALSE(Form().TriggerHeld);
}

TEST_F(PadControl, APadPulledOutLetsGoOfWhatItHeld) {
  ASSERT_TRUE(Game.StartGameAndSkipIntro());
  Form().SingleShotMode = false;
  Game.PadAxis(A::LeftX, 32767);
  Game.PadButton(B::A, true);
  Game.PadRemoved();
  EXPECT_FALSE(Form().TriggerHeld);
  const int32_t x = Form().PointerX;
  Game.Frames(3);
  EXPECT_EQ(Form().PointerX, x);
}

TEST_F(PadControl, BAndBackAreEscAndStartIsP) {
  ASSERT_TRUE(Game.StartGameAndSkipIntro());
  Game.PadPress(B::Start);
  EXPECT_TRUE(Form().GamePause.Checked);
  Game.PadPress(B::Start);
  EXPECT_FALSE(Form().GamePause.Checked);
  Game.PadPress(B::B);
  EXPECT_TRUE(Form().GameMainExit.Checked);

  TGameHarness menu;
  menu.SkipSplash();
  TScreenDriver(menu).ClickOn(BR::Help);
  menu.PadPress(B::Back);
  EXPECT_EQ(menu.Form().CurrentScreen, scMainMenu);
}

TEST_F(PadControl, TheDpadSpellsTheNameOnTheGameOverPanelAndAConfirmsIt) {
  Driver.GoTo(scGameOver, 5000);
  ASSERT_TRUE(Game.RunUntil([&] { return Form().GameEnterName.Checked; }, 6000));
  for (B b : {B::DpadUp, B::DpadUp, B::DpadRight, B::DpadDown, B::DpadRight, B::DpadUp, B::DpadLeft})
    Game.PadPress(b);
  EXPECT_EQ(Form().Edit2.Text, "BZ");
  Game.Frames(1);  // the frame copies the name that Enter confirms
  Game.PadPress(B::A);
  EXPECT_EQ(Form().CurrentScreen, scHighScores);
  EXPECT_EQ(Form().HighScores[0].Name, "BZ");
  EXPECT_EQ(Form().HighScores[0].Score, 5000);
}

}  // namespace
