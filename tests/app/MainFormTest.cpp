#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/FrameTimer.h"
#include "app/Timer.h"
#include "engine/PictureCollection.h"
#include "platform/Display.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"

namespace {

TEST(StartUp, FirstStartShowsTheSplashAndLeavesASettingsFileBehind) {
  TGameHarness game;
  TMainForm& form = game.Form();
  EXPECT_EQ(form.CurrentScreen, scSplash);
  EXPECT_EQ(game.Window().Caption(), "ZARVOK");
  EXPECT_TRUE(game.Window().PointerHidden());
  EXPECT_EQ(game.Window().BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_FALSE(game.Window().FullScreen());
  EXPECT_TRUE(form.Display->Initialized());
  EXPECT_TRUE(form.FrameTimer->Enabled());
  EXPECT_EQ(form.FrameTimer->Interval(), 30);
  EXPECT_TRUE(form.Timer1->Enabled()) << "the splash times itself with Timer1";

  EXPECT_FALSE(form.GameFullScreen.Checked);
  EXPECT_TRUE(form.GameSound.Checked);
  EXPECT_TRUE(form.GameMusic.Checked);
  for (const TMenuItem* item : {&form.GamePause, &form.GamegoEdit, &form.GameMainExit, &form.GameEnterName,
                                &form.GameSendResult, &form.GameClearHighScore})
    EXPECT_FALSE(item->Checked) << item->Caption;

  const std::filesystem::path config = game.Folder() / "Config.cfg";
  ASSERT_TRUE(std::filesystem::exists(config));
  std::ifstream in(config, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 25) << "25 lines, each ended by CR LF";
}

TEST(StartUp, TheSplashPictureIsOnTheFirstFrame) {
  TGameHarness::TOptions options;
  options.KeepFrames = true;
  TGameHarness game(options);
  game.Frames(1);
  ASSERT_NE(game.Window().LastFrame(), nullptr);
  EXPECT_EQ(game.Window().PresentCount(), 1);
  // The whole picture covers the surface: the frame is the splash picture's pixels.
  TSurface expected(TDisplay::SurfaceWidth, TDisplay::SurfaceHeight);
  game.Form().Find("Splash Screen").DrawPattern(expected, 0, 0, 0);
  const TSurface& frame = *game.Window().LastFrame();
  int differing = 0;
  for (int y = 0; y < frame.Height(); y += 7)
    for (int x = 0; x < frame.Width(); x += 7) differing += frame.Pixel(x, y) != expected.Pixel(x, y);
  EXPECT_EQ(differing, 0);
}

TEST(StartUp, StoredSettingsAreReadBeforeTheSplash) {
  // A first run writes its settings; a second run over the same folder reads them back.
  TGameHarness first;
  first.Form().GameMusic.Checked = false;
  first.Form().Edit1.Text = "HELLO";
  first.Form().SaveSettings();
  std::ifstream in(first.Folder() / "Config.cfg", std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  TGameHarness::TOptions options;
  options.WriteConfig = true;
  options.ConfigLines = lines;
  TGameHarness second(options);
  EXPECT_FALSE(second.Form().GameMusic.Checked);
  EXPECT_EQ(second.Form().Edit1.Text, "HELLO");
  EXPECT_EQ(second.Form().CurrentScreen, scSplash);
}

TEST(WindowClose, OnAnyScreenButTheGameItAsksTheExitQuestionAndKeepsRunning) {
  TGameHarness game;
  EXPECT_FALSE(game.Form().FormClose()) << "the close is refused";
  EXPECT_EQ(game.Form().CurrentScreen, scExitConfirm);
  game.Frames(2);
  game.ClearSounds();
  game.CloseWindow();  // built again while it is up
  EXPECT_EQ(game.Form().CurrentScreen, scExitConfirm);
  EXPECT_TRUE(game.Played("pause")) << "the question is built afresh";
  EXPECT_FALSE(game.Form().Terminated());
  game.Frames(5);
  EXPECT_GT(game.Window().PresentCount(), 0);
}

struct InGame : ::testing::Test {
  TGameHarness Game;
  void SetUp() override { ASSERT_TRUE(Game.StartGameAndSkipIntro()); }
};

TEST_F(InGame, ClosingTheWindowStopsTheCountdownUntilTheDialogIsAnswered) {
  TMainForm& form = Game.Form();
  ASSERT_TRUE(form.TimerLevel->Enabled());
  const std::string caption = Game.Window().Caption();
  Game.CloseWindow();
  EXPECT_EQ(form.CurrentScreen, scGame);
  EXPECT_TRUE(form.GameMainExit.Checked);
  EXPECT_FALSE(form.TimerLevel->Enabled());
  EXPECT_EQ(Game.Count<TMainExit>(), 1);
  EXPECT_EQ(Game.Window().Caption(), caption) << "caption left as it was";
  const int32_t countdown = form.LevelCountdown;
  Game.RunFor(3000);
  EXPECT_EQ(form.LevelCountdown, countdown);
}

TEST_F(InGame, ClosingTheWindowWhilePausedLeavesADialogWhoseNoResumesTheGame) {
  TMainForm& form = Game.Form();
  form.GamePauseClick();
  ASSERT_TRUE(form.GamePause.Checked);
  ASSERT_FALSE(form.TimerLevel->Enabled());
  Game.CloseWindow();
  EXPECT_FALSE(form.GamePause.Checked);
  EXPECT_TRUE(form.GameMainExit.Checked);
  EXPECT_FALSE(form.TimerLevel->Enabled());
  Game.Frames(2);
  // The No button toggles the exit switch back, and with it the countdown.
  form.GameMainExitClick();
  EXPECT_FALSE(form.GameMainExit.Checked);
  EXPECT_FALSE(form.GamePause.Checked);
  EXPECT_TRUE(form.TimerLevel->Enabled());
}

TEST(ShutDown, TheExitQuestionsYesEndsTheLoopAndTheFormStopsTheDisplay) {
  TGameHarness game;
  game.CloseWindow();
  ASSERT_EQ(game.Form().CurrentScreen, scExitConfirm);
  constexpr TButtonRect yes = ButtonRects::ExitGameYes;
  game.Click((yes.X1 + yes.X2) / 2, (yes.Y1 + yes.Y2) / 2);
  EXPECT_TRUE(game.Form().Terminated());
  game.Application().Run();  // returns at once: the loop has ended
  EXPECT_TRUE(game.Messages().empty());
}

}  // namespace
