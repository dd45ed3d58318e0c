#include <gtest/gtest.h>

#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "platform/Display.h"
#include "support/GameHarness.h"
#include "ui/MenuSprites.h"
#include "ui/ScreenDriver.h"

namespace {

constexpr TShiftState Alt{false, true, false};

class GameKeys : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Game.StartGameAndSkipIntro()); }
  TMainForm& Form() { return Game.Form(); }
  TGameHarness Game;
};

TEST_F(GameKeys, PPausesAndResumesWithCaptionWordSoundsAndCountdown) {
  ASSERT_TRUE(Form().TimerLevel->Enabled());
  Game.ClearSounds();
  Game.Key(VK_P);
  EXPECT_TRUE(Form().GamePause.Checked);
  EXPECT_FALSE(Form().TimerLevel->Enabled());
  EXPECT_EQ(Game.Window().Caption(), "ZARVOK [Pause]");
  EXPECT_EQ(Game.Count<TPauseWord>(), 1);
  const TPauseWord* word = Form().FindFirst<TPauseWord>();
  EXPECT_EQ(word->Z(), 801);
  EXPECT_DOUBLE_EQ(word->X, (800 - word->Width) / 2.0);
  EXPECT_DOUBLE_EQ(word->Y, (600 - word->Height) / 2.0);

  const int32_t countdown = Form().LevelCountdown;
  Game.RunFor(3000);
  EXPECT_EQ(Form().LevelCountdown, countdown) << "the countdown stands still while paused";

  Game.Key(VK_P);
  EXPECT_FALSE(Form().GamePause.Checked);
  EXPECT_TRUE(Form().TimerLevel->Enabled());
  EXPECT_EQ(Game.Window().Caption(), "ZARVOK");
  EXPECT_EQ(Game.Count<TPauseWord>(), 0);
  EXPECT_EQ(Game.Sounds(), (std::vector<std::string>{"pause", "after_pause"}));
}

TEST_F(GameKeys, PDoesNothingWhileTheExitDialogIsUpAndEscNothingWhilePaused) {
  Game.Key(VK_ESCAPE);
  ASSERT_TRUE(Form().GameMainExit.Checked);
  Game.Key(VK_P);
  EXPECT_FALSE(Form().GamePause.Checked);
  EXPECT_EQ(Game.Count<TMainExit>(), 1);
  Game.Key(VK_ESCAPE);  // closes the dialog
  EXPECT_FALSE(Form().GameMainExit.Checked);
  EXPECT_EQ(Game.Count<TMainExit>(), 0);
  EXPECT_TRUE(Form().TimerLevel->Enabled());

  Game.Key(VK_P);
  ASSERT_TRUE(Form().GamePause.Checked);
  Game.Key(VK_ESCAPE);
  EXPECT_FALSE(Form().GameMainExit.Checked);
  EXPECT_EQ(Game.Count<TMainExit>(), 0);
  // The switch operation itself refuses too.
  Form().GameMainExitClick();
  EXPECT_FALSE(Form().GameMainExit.Checked);
}

TEST_F(GameKeys, TheExitDialogStopsTheCountdownAndItsPanelIsCentred) {
  Game.Key(VK_ESCAPE);
  EXPECT_FALSE(Form().TimerLevel->Enabled());
  EXPECT_EQ(Game.Window().Caption(), "ZARVOK [Pause]");
  const TMainExit* panel = Form().FindFirst<TMainExit>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Z(), 800);
  EXPECT_DOUBLE_EQ(panel->X, (800 - panel->Width) / 2.0);
}

TEST(IntroKeys, NeitherPNorEscActDuringTheLevelIntro) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scGame);
  TMainForm& form = game.Form();
  ASSERT_TRUE(form.LevelIntro);
  game.Key(VK_P);
  game.Key(VK_ESCAPE);
  form.GamePauseClick();
  EXPECT_FALSE(form.GamePause.Checked);
  EXPECT_FALSE(form.GameMainExit.Checked);
  EXPECT_EQ(game.Count<TMenu>() + game.Count<TMenuGame>(), 0);
}

TEST(SwitchOperations, PauseAndExitActOnlyOnTheGameScreen) {
  TGameHarness game;
  game.SkipSplash();
  TMainForm& form = game.Form();
  form.GamePauseClick();
  form.GameMainExitClick();
  game.Key(VK_P);
  EXPECT_FALSE(form.GamePause.Checked);
  EXPECT_FALSE(form.GameMainExit.Checked);
  EXPECT_EQ(form.CurrentScreen, scMainMenu);
}

TEST(SwitchOperations, SoundAndMusicOnlyToggle) {
  TGameHarness game;
  TMainForm& form = game.Form();
  const uint32_t song = form.SongHandle;
  form.GameSoundClick();
  form.GameMusicClick();
  EXPECT_FALSE(form.GameSound.Checked);
  EXPECT_FALSE(form.GameMusic.Checked);
  EXPECT_EQ(form.SongHandle, song);
  form.GameSoundClick();
  EXPECT_TRUE(form.GameSound.Checked);
}

// The text line of the options screen: capitals only, at most ten, only while editing is on.
TEST(OptionsKeys, LettersAndBackspaceEditTheExtraTextOnlyWhileEditing) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  TMainForm& form = game.Form();
  ASSERT_TRUE(form.GamegoEdit.Checked);
  game.Key(VK_BACK);
  EXPECT_EQ(form.Edit1.Text, "");
  game.Key('A', TShiftState{true, false, false});
  game.Key('1');
  game.Key(' ');
  EXPECT_EQ(form.Edit1.Text, "A");
  game.Type("BCDEFGHIJKL");
  EXPECT_EQ(form.Edit1.Text, "ABCDEFGHIJ");
  game.Key(VK_BACK);
  EXPECT_EQ(form.Edit1.Text, "ABCDEFGHI");

  form.GamegoEditClick();
  ASSERT_FALSE(form.GamegoEdit.Checked);
  game.Key('Z');
  game.Key(VK_BACK);
  EXPECT_EQ(form.Edit1.Text, "ABCDEFGHI");
}

TEST(OptionsKeys, EscLeavesEndsEditingAndKeepsTheText) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  game.Type("QZ");
  game.Key(VK_ESCAPE);
  EXPECT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_FALSE(game.Form().GamegoEdit.Checked);
  EXPECT_EQ(game.Form().Edit1.Text, "QZ");
  // A kept text does not start editing when the screen comes up again.
  driver.ClickOn(ButtonRects::Options);
  EXPECT_FALSE(game.Form().GamegoEdit.Checked);
  EXPECT_EQ(game.Form().ExtraText, "QZ");
}

TEST(GameOverKeys, LettersDoNotEditTheNameWithoutThePanel) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scGameOver, 50);
  game.RunFor(5100);
  game.Type("AB");
  EXPECT_EQ(game.Form().Edit2.Text, "");
}

// Alt+Enter switches the display on every screen, after the screen's own keys.
class AltEnter : public ::testing::TestWithParam<uint8_t> {};

TEST_P(AltEnter, SwitchesTheDisplayModeOnEveryScreen) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(GetParam());
  TMainForm& form = game.Form();
  const uint8_t screen = form.CurrentScreen;
  game.Key(VK_RETURN, Alt);
  EXPECT_TRUE(form.GameFullScreen.Checked);
  EXPECT_TRUE(form.Display->FullScreen());
  EXPECT_TRUE(form.Display->Initialized());
  // Enter on the splash leaves it, as Enter alone would; elsewhere the screen stays.
  EXPECT_EQ(form.CurrentScreen, screen == scSplash ? uint8_t{scMainMenu} : screen);
  game.Key(VK_RETURN, Alt);
  EXPECT_FALSE(form.GameFullScreen.Checked);
  EXPECT_FALSE(form.Display->FullScreen());
}

INSTANTIATE_TEST_SUITE_P(EveryScreen, AltEnter,
                         ::testing::Values(scSplash, scMainMenu, scGame, scHelp, scOptions,
                                           scHighScores, scExitConfirm, scGameOver));

TEST(GameOverKeys, AltEnterAfterTheWaitWithALowScoreLeavesAndSwitches) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scGameOver, 0);
  game.RunFor(5000);
  game.Key(VK_RETURN, Alt);
  EXPECT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_TRUE(game.Form().GameFullScreen.Checked);
}

TEST(GameOverKeys, AltEnterDoesNotConfirmTheName) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scGameOver, 700);
  game.RunFor(5100);
  game.Type("MAX");
  game.Frames(1);
  game.Key(VK_RETURN, Alt);
  EXPECT_EQ(game.Form().CurrentScreen, scGameOver);
  EXPECT_TRUE(game.Form().GameFullScreen.Checked);
  EXPECT_FALSE(game.Form().GamegoEdit.Checked) << "switching the display ends editing";
}

// Switching the display keeps the screen, its sprites and the game as they are; the frame timer
// stops and starts with the display, and frames go on afterwards.
TEST(FullScreen, SwitchingKeepsTheGameRunning) {
  TGameHarness game;
  ASSERT_TRUE(game.StartGameAndSkipIntro());
  TMainForm& form = game.Form();
  const int32_t sprites = form.Engine().Count();
  const int32_t score = form.Score;
  form.GameFullScreenClick();
  EXPECT_EQ(form.Engine().Count(), sprites);
  EXPECT_EQ(form.Score, score);
  EXPECT_EQ(form.CurrentScreen, scGame);
  EXPECT_EQ(game.Window().PlacementSaves(), 1);
  EXPECT_TRUE(game.Window().FullScreen());
  EXPECT_EQ(game.Window().BorderStyle(), TBorderStyle::bsNone);
  const int presented = game.Window().PresentCount();
  game.Frames(3);
  EXPECT_GT(game.Window().PresentCount(), presented);

  form.GameFullScreenClick();
  EXPECT_EQ(game.Window().PlacementRestores(), 1);
  EXPECT_FALSE(game.Window().FullScreen());
  EXPECT_EQ(game.Window().BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_EQ(game.Window().WindowState(), TWindowState::wsNormal);
}

TEST(FullScreen, TheMaximiseButtonSwitchesAndTheWindowComesBackNormal) {
  TGameHarness game;
  game.SkipSplash();
  game.Resize(TWindowState::wsMaximized);
  game.Frames(1);
  TMainForm& form = game.Form();
  EXPECT_TRUE(form.GameFullScreen.Checked);
  EXPECT_TRUE(game.Window().FullScreen());
  EXPECT_EQ(game.Window().WindowState(), TWindowState::wsNormal);
  game.Key(VK_RETURN, Alt);
  EXPECT_FALSE(game.Window().FullScreen());
  EXPECT_EQ(game.Window().PlacementRestores(), 1);
}

// The game starts full screen from its settings before the window is shown: the display is not
// started twice, and showing the form starts it full screen.
TEST(FullScreen, ASettingReadAtStartUpStartsTheDisplayFullScreenOnce) {
  TGameHarness::TOptions options;
  options.WriteConfig = true;  // an empty settings file means full screen
  TGameHarness game(options);
  TMainForm& form = game.Form();
  EXPECT_TRUE(form.GameFullScreen.Checked);
  EXPECT_TRUE(form.Display->Initialized());
  EXPECT_TRUE(game.Window().FullScreen());
  game.Frames(2);
  EXPECT_GT(game.Window().PresentCount(), 0);
}

// Losing the focus in play pauses with the pause word; coming back removes it.
TEST_F(GameKeys, FocusLossShowsThePauseWordAndItsReturnRemovesIt) {
  Game.LoseFocus();
  EXPECT_TRUE(Form().GamePause.Checked);
  EXPECT_EQ(Game.Count<TPauseWord>(), 1);
  Game.MoveMouse(100, 100);
  EXPECT_EQ(Game.Count<TPauseWord>(), 1);
  Game.GainFocus();
  EXPECT_FALSE(Form().GamePause.Checked);
  EXPECT_EQ(Game.Count<TPauseWord>(), 0);
  EXPECT_TRUE(Form().TimerLevel->Enabled());
}

}  // namespace
