#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "BuildConfig.h"
#include "app/MainForm.h"
#include "app/Timer.h"
#include "combat/Cifra.h"
#include "platform/Display.h"
#include "scores/ScoreService.h"
#include "support/GameHarness.h"
#include "ui/MenuSprites.h"
#include "ui/ScreenDriver.h"

namespace {

namespace BR = ButtonRects;

int Ticks(const TGameHarness& game) {
  const auto& s = game.Sounds();
  return static_cast<int>(std::count(s.begin(), s.end(), "button_up"));
}

class MainMenuPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    Game.SkipSplash();
    Game.ClearSounds();
  }
  TGameHarness Game;
  TScreenDriver Driver{Game};
};

TEST_F(MainMenuPointer, TheHoverTickSoundsOnlyWhenAButtonIsEnteredFromEmptySpace) {
  // Nothing was empty space before the first move, so the first button entered stays silent.
  Driver.MoveTo(BR::Help);
  EXPECT_EQ(Ticks(Game), 0);
  EXPECT_EQ(Game.Count<::Help>(), 1);

  Game.MoveMouse(20, 20);
  Driver.MoveTo(BR::Help);
  EXPECT_EQ(Ticks(Game), 1);
  Game.MoveMouse(BR::Help.X1 + 3, BR::Help.Y1 + 3);  // within the same button
  EXPECT_EQ(Ticks(Game), 1);

  // Straight onto the next button, with no move in between: no tick, one highlight.
  Driver.MoveTo(BR::Options);
  EXPECT_EQ(Ticks(Game), 1);
  EXPECT_EQ(Game.Count<::Help>(), 0);
  EXPECT_EQ(Game.Count<::Options>(), 1);
  EXPECT_EQ(Game.Count<TMenuGame>(), 1);

  Game.MoveMouse(20, 20);
  EXPECT_EQ(Game.Count<TMenuGame>(), 0);
  Driver.MoveTo(BR::Exit);
  EXPECT_EQ(Ticks(Game), 2);
}

// Both ends of a rectangle belong to it.
TEST_F(MainMenuPointer, RectanglesIncludeTheirEdges) {
  struct TCase {
    int X, Y;
    bool Hit;
  };
  const TButtonRect& r = BR::StartGame;
  for (const TCase& c : {TCase{r.X1, r.Y1, true}, TCase{r.X2, r.Y2, true}, TCase{r.X1, r.Y2, true},
                         TCase{r.X1 - 1, r.Y1, false}, TCase{r.X2 + 1, r.Y2, false},
                         TCase{r.X1, r.Y1 - 1, false}, TCase{r.X2, r.Y2 + 1, false}}) {
    SCOPED_TRACE(::testing::Message() << c.X << "," << c.Y);
    Game.MoveMouse(c.X, c.Y);
    EXPECT_EQ(Game.Count<Start_Game>(), c.Hit ? 1 : 0);
  }
  Game.Click(r.X2, r.Y2);
  EXPECT_EQ(Game.Form().CurrentScreen, scGame);
}

TEST_F(MainMenuPointer, AClickIsTestedWhereTheLastMoveLeftThePointer) {
  Driver.MoveTo(BR::Help);
  // The press reports another point; the stored one counts.
  Game.Press(Driver.MidX(BR::Options), Driver.MidY(BR::Options));
  EXPECT_EQ(Game.Form().CurrentScreen, scHelp);
  // After the screen change, a press without a move is tested at the same stored point, which on
  // the help page is empty space.
  Game.Press(Driver.MidX(BR::HelpBack), Driver.MidY(BR::HelpBack));
  EXPECT_EQ(Game.Form().CurrentScreen, scHelp);
}

TEST_F(MainMenuPointer, OnlyTheLeftButtonActsOnMenus) {
  Game.Click(Driver.MidX(BR::Help), Driver.MidY(BR::Help), TMouseButton::mbRight);
  Game.Click(Driver.MidX(BR::Help), Driver.MidY(BR::Help), TMouseButton::mbMiddle);
  EXPECT_EQ(Game.Form().CurrentScreen, scMainMenu);
}

TEST_F(MainMenuPointer, TheWebButtonsOpenTheSiteAndTheOnlineTable) {
  Driver.ClickOn(BR::VisitWebSite);
  Driver.ClickOn(BR::HighScore);
  Driver.ClickOn(BR::HighScoreView);
  const std::string base = ZarvokScoreServer;
  EXPECT_EQ(
      Game.Desktop().Opened(),
      (std::vector<std::string>{base + "/", base + "/cgi/version.pl?prg=Zarvok&show&type=0"}));
}

class OptionsPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    Driver.GoTo(scOptions);
    Game.ClearSounds();
  }
  TMainForm& Form() { return Game.Form(); }
  TGameHarness Game;
  TScreenDriver Driver{Game};
};

// A click on the side of a row that is already active changes nothing and plays nothing.
TEST_F(OptionsPointer, EachHalfOfARowActsOnlyInTheStateItChanges) {
  struct TRow {
    const TButtonRect& On;
    const TButtonRect& Off;
    TMenuItem TMainForm::*Switch;
  };
  for (const TRow& row :
       {TRow{BR::OptionsMusicOn, BR::OptionsMusicOff, &TMainForm::GameMusic},
        TRow{BR::OptionsSoundOn, BR::OptionsSoundOff, &TMainForm::GameSound},
        TRow{BR::OptionsFullScreen, BR::OptionsWindowMode, &TMainForm::GameFullScreen}}) {
    TMenuItem& sw = Form().*row.Switch;
    SCOPED_TRACE(sw.Caption);
    const bool start = sw.Checked;
    // On is the side that shows the switch checked.
    const TButtonRect& active = start ? row.On : row.Off;
    const TButtonRect& other = start ? row.Off : row.On;
    Game.ClearSounds();
    Driver.ClickOn(active);
    EXPECT_EQ(sw.Checked, start);
    EXPECT_TRUE(Game.Sounds().empty());
    Driver.ClickOn(other);
    EXPECT_EQ(sw.Checked, !start);
    Driver.ClickOn(other);
    EXPECT_EQ(sw.Checked, !start);
    Driver.ClickOn(active);
    EXPECT_EQ(sw.Checked, start);
  }
  EXPECT_EQ(Form().CurrentScreen, scOptions);
}

TEST_F(OptionsPointer, TheClickSoundFollowsTheSoundSwitch) {
  Driver.ClickOn(BR::OptionsSoundOff);
  EXPECT_FALSE(Form().GameSound.Checked);
  EXPECT_TRUE(Game.Sounds().empty()) << "switched off before the click sound";
  Driver.ClickOn(BR::OptionsSoundOn);
  EXPECT_EQ(Game.Sounds(), std::vector<std::string>{"button_down"});
}

TEST(OptionsMusic, ClicksStopTheModuleAndStartTheMenuModuleAgain) {
  auto loaded = std::make_shared<std::vector<std::string>>();
  TGameHarness::TOptions options;
  options.MakeMusic = [loaded] { return std::make_unique<TModuleLog>(loaded); };
  TGameHarness game(options);
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  TMainForm& form = game.Form();
  ASSERT_NE(form.SongHandle, 0u);
  const std::size_t started = loaded->size();

  driver.ClickOn(BR::OptionsMusicOff);
  EXPECT_FALSE(form.GameMusic.Checked);
  EXPECT_EQ(form.SongHandle, 0u);
  driver.ClickOn(BR::OptionsMusicOn);
  EXPECT_TRUE(form.GameMusic.Checked);
  ASSERT_EQ(loaded->size(), started + 1);
  EXPECT_EQ(loaded->back(), "1.xm");
  EXPECT_NE(form.SongHandle, 0u);
}

TEST_F(OptionsPointer, FullScreenGoesThroughTheDisplayAndBackRestoresThePlacement) {
  Driver.ClickOn(BR::OptionsFullScreen);
  EXPECT_TRUE(Form().Display->FullScreen());
  EXPECT_TRUE(Game.Window().FullScreen());
  EXPECT_EQ(Game.Window().PlacementSaves(), 1);
  EXPECT_EQ(Form().CurrentScreen, scOptions);
  Game.Frames(2);
  EXPECT_EQ(Game.Count<Options_full_screen>(), 1);

  Driver.ClickOn(BR::OptionsWindowMode);
  EXPECT_FALSE(Form().Display->FullScreen());
  EXPECT_FALSE(Game.Window().FullScreen());
  EXPECT_EQ(Game.Window().PlacementRestores(), 1);
  EXPECT_EQ(Game.Window().WindowState(), TWindowState::wsNormal);
  EXPECT_TRUE(Form().Display->Initialized());
}

TEST_F(OptionsPointer, AClickAnywhereEndsEditingOfAFilledLineAndTheLineToggles) {
  ASSERT_TRUE(Form().GamegoEdit.Checked);  // empty text: editing on
  Driver.ClickOn(BR::OptionsTextLine);     // while empty, the line toggles it off
  EXPECT_FALSE(Form().GamegoEdit.Checked);
  Driver.ClickOn(BR::OptionsTextLine);
  EXPECT_TRUE(Form().GamegoEdit.Checked);
  Game.Type("HI");
  Game.Click(50, 50);
  EXPECT_FALSE(Form().GamegoEdit.Checked);
  Driver.ClickOn(BR::OptionsTextLine);
  EXPECT_TRUE(Form().GamegoEdit.Checked);
  Game.Type("X");
  EXPECT_EQ(Form().Edit1.Text, "HIX");
}

TEST(OptionsHover, OnlyBackHighlightsWithItsOwnRectangle) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  driver.MoveTo(BR::OptionsMusicOn);
  EXPECT_EQ(game.Count<TMenuGame>(), 0);
  game.MoveMouse(330, 520);  // below the click rectangle, inside the hover one
  EXPECT_EQ(game.Count<Options_Back>(), 1);
  game.Click(330, 520);
  EXPECT_EQ(game.Form().CurrentScreen, scOptions);
}

TEST(HighScorePointer, TheClearQuestionTakesOverThePointer) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scHighScores);
  TMainForm& form = game.Form();
  form.HighScores[0].Score = 9999;

  driver.ClickOn(BR::HighScoreClear);
  ASSERT_TRUE(form.GameClearHighScore.Checked);
  EXPECT_EQ(game.Count<TClearHighScore>(), 1);
  // While the question is up, the screen's own buttons neither highlight nor act.
  driver.MoveTo(BR::HighScoreView);
  EXPECT_EQ(game.Count<TMenuGame>(), 0);
  driver.ClickOn(BR::HighScoreBackClick);
  EXPECT_EQ(form.CurrentScreen, scHighScores);
  game.Key(VK_ESCAPE);
  EXPECT_EQ(form.CurrentScreen, scHighScores);
  driver.MoveTo(BR::ClearYes);
  EXPECT_EQ(game.Count<TClearHighScore_Yes>(), 1);

  driver.ClickOn(BR::ClearNo);
  EXPECT_FALSE(form.GameClearHighScore.Checked);
  EXPECT_EQ(game.Count<TClearHighScore>(), 0);
  EXPECT_EQ(form.HighScores[0].Score, 9999);

  driver.ClickOn(BR::HighScoreClear);
  driver.ClickOn(BR::ClearYes);
  EXPECT_FALSE(form.GameClearHighScore.Checked);
  EXPECT_EQ(form.HighScores[0].Score, 3000);
  EXPECT_EQ(form.CurrentScreen, scHighScores);
  EXPECT_EQ(game.Count<TMenu>(), 0);
}

class BattlefieldPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Game.StartGameAndSkipIntro());
    Game.ClearSounds();
  }
  TMainForm& Form() { return Game.Form(); }
  int Shots() {
    const auto& s = Game.Sounds();
    return static_cast<int>(std::count(s.begin(), s.end(), "1"));
  }
  TGameHarness Game;
  TScreenDriver Driver{Game};
};

TEST_F(BattlefieldPointer, RightAndMiddleClicksFireOnceWithoutHoldingTheTrigger) {
  for (TMouseButton button : {TMouseButton::mbRight, TMouseButton::mbMiddle}) {
    Game.Press(400, 100, button);
    EXPECT_FALSE(Form().TriggerHeld);
  }
  EXPECT_EQ(Shots(), 2);
  Form().SingleShotMode = false;
  Game.Press(400, 100, TMouseButton::mbRight);
  Game.MoveMouse(410, 100);
  EXPECT_EQ(Shots(), 3);
}

TEST_F(BattlefieldPointer, BurstFireShootsOnEveryMoveWhileTheLeftButtonIsHeld) {
  Form().SingleShotMode = false;
  Game.Press(400, 100);
  EXPECT_TRUE(Form().TriggerHeld);
  Game.MoveMouse(410, 100);
  Game.MoveMouse(420, 100);
  EXPECT_EQ(Shots(), 3);
  Game.Release(420, 100);
  EXPECT_FALSE(Form().TriggerHeld);
  Game.MoveMouse(430, 100);
  EXPECT_EQ(Shots(), 3);

  // Single fire: a held button fires once.
  Form().SingleShotMode = true;
  Game.Press(400, 100);
  Game.MoveMouse(410, 100);
  EXPECT_EQ(Shots(), 4);
}

TEST_F(BattlefieldPointer, NoShotWhilePausedOrTheExitQuestionIsUp) {
  Form().SingleShotMode = false;
  Game.Press(400, 100);
  ASSERT_EQ(Shots(), 1);
  Game.Key(VK_P);
  Game.MoveMouse(410, 100);
  Game.Press(410, 100);
  EXPECT_EQ(Shots(), 1);
  Game.Key(VK_P);
  Game.Key(VK_ESCAPE);
  ASSERT_TRUE(Form().GameMainExit.Checked);
  Game.MoveMouse(420, 100);
  Game.Press(420, 100);
  EXPECT_EQ(Shots(), 1);
}

TEST_F(BattlefieldPointer, NoShotDuringTheLevelIntro) {
  Form().LevelIntro = true;
  Game.Press(400, 100);
  EXPECT_EQ(Shots(), 0);
  EXPECT_FALSE(Form().TriggerHeld);
}

TEST_F(BattlefieldPointer, WhilePausedThePointerFreezesAndThePauseWordStays) {
  Game.MoveMouse(300, 200);
  Game.Key(VK_P);
  ASSERT_EQ(Game.Count<TPauseWord>(), 1);
  Game.MoveMouse(500, 400);
  EXPECT_EQ(Form().PointerX, 300);
  EXPECT_EQ(Form().PointerY, 200);
  EXPECT_EQ(Game.Count<TPauseWord>(), 1);
  Game.Key(VK_P);
  EXPECT_EQ(Game.Count<TPauseWord>(), 0);
}

TEST_F(BattlefieldPointer, TheExitQuestionAnswersWithAnyButton) {
  Game.Key(VK_ESCAPE);
  Driver.MoveTo(BR::MainExitNo);
  EXPECT_EQ(Game.Count<TMainExit_No>(), 1);
  Game.ClearSounds();
  Game.Press(0, 0, TMouseButton::mbRight);  // tested at the stored pointer
  EXPECT_FALSE(Form().GameMainExit.Checked);
  EXPECT_EQ(Form().CurrentScreen, scGame);
  EXPECT_TRUE(Form().TimerLevel->Enabled());
  EXPECT_EQ(Game.Count<TMenu>() + Game.Count<TMenuGame>(), 0);
  EXPECT_EQ(Game.Sounds(), (std::vector<std::string>{"after_pause", "button_down"}));

  Game.Key(VK_ESCAPE);
  Driver.MoveTo(BR::MainExitYes);
  Game.Press(0, 0, TMouseButton::mbMiddle);
  EXPECT_EQ(Form().CurrentScreen, scMainMenu);
  EXPECT_FALSE(Form().GameMainExit.Checked);
  EXPECT_EQ(Game.Sounds().back(), "button_down");
}

}  // namespace
