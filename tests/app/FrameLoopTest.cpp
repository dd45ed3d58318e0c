#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/FrameTimer.h"
#include "app/Timer.h"
#include "audio/MusicLib.h"
#include "battlefield/Begin.h"
#include "combat/Cifra.h"
#include "combat/PlayerSprite.h"
#include "platform/Display.h"
#include "support/GameHarness.h"
#include "ui/MenuSprites.h"
#include "ui/NameEntry.h"

namespace {

// A music library whose order position the test sets by hand.
class TFakeMusic : public TMusicLib {
 public:
  uint32_t SongLoadFromFile(const std::string& path) override {
    Loaded.push_back(path);
    return ++FLastHandle;
  }
  void SongPlay(uint32_t) override { Order = 0; }
  int32_t SongGetOrder(uint32_t) override { return Order; }
  void SongFree(uint32_t) override {}
  void Render(float*, std::size_t, int) override {}

  int32_t Order = 0;
  std::vector<std::string> Loaded;

 private:
  uint32_t FLastHandle = 0;
};

struct MusicCheck : ::testing::Test {
  TFakeMusic* Music = nullptr;
  std::unique_ptr<TGameHarness> Game;

  void SetUp() override {
    TGameHarness::TOptions options;
    options.MakeMusic = [this] {
      auto music = std::make_unique<TFakeMusic>();
      Music = music.get();
      return music;
    };
    Game = std::make_unique<TGameHarness>(options);
    ASSERT_NE(Music, nullptr);
    ASSERT_FALSE(Music->Loaded.empty()) << "the splash starts module 1";
  }
  // Lets the module play on and then come back to order 0, one frame each.
  void PlayThrough() {
    Music->Order = 4;
    Game->Frames(1);
    Music->Order = 0;
    Game->Frames(1);
  }
};

TEST_F(MusicCheck, AModuleThatPlayedThroughStartsAgainFromItsFile) {
  const size_t loads = Music->Loaded.size();
  Game->Frames(5);  // order 0 from the start is not an end
  EXPECT_EQ(Music->Loaded.size(), loads);
  PlayThrough();
  ASSERT_EQ(Music->Loaded.size(), loads + 1);
  EXPECT_EQ(Music->Loaded.back(), "Music/1.xm");
  Game->Frames(5);
  EXPECT_EQ(Music->Loaded.size(), loads + 1) << "restarted once";
}

TEST_F(MusicCheck, EachScreenRestartsItsOwnModule) {
  ASSERT_TRUE(Game->StartGameAndSkipIntro());
  PlayThrough();
  EXPECT_EQ(Music->Loaded.back(), "Music/2.xm");
  Game->Form().SwitchScreen(scGameOver);
  PlayThrough();
  EXPECT_EQ(Music->Loaded.back(), "Music/3.xm");
  Game->Form().SwitchScreen(scHelp);
  PlayThrough();
  EXPECT_EQ(Music->Loaded.back(), "Music/1.xm");
}

TEST_F(MusicCheck, RunsWhileTheWindowIsInactiveButNotWhileTheDisplayCannotDraw) {
  Game->LoseFocus();
  ASSERT_TRUE(Game->Form().WindowInactive);
  size_t loads = Music->Loaded.size();
  PlayThrough();
  EXPECT_EQ(Music->Loaded.size(), loads + 1);
  Game->GainFocus();

  loads = Music->Loaded.size();
  const int presented = Game->Window().PresentCount();
  Music->Order = 4;
  Game->Frames(1);
  Game->Form().Display->Finalize();  // the frame timer stops with the display
  Game->Form().FrameTimer->SetEnabled(true);
  Music->Order = 0;
  Game->Frames(3);
  EXPECT_EQ(Music->Loaded.size(), loads) << "a frame that cannot draw skips the music check";
  EXPECT_EQ(Game->Window().PresentCount(), presented + 1);
  Game->Form().Display->Initialize();
  Game->Frames(1);
  EXPECT_EQ(Music->Loaded.size(), loads + 1);
}

TEST(FocusOutsideTheGame, SuspendsFramesAndShowsPauseInTheCaption) {
  TGameHarness game;
  game.SkipSplash();
  game.Frames(2);
  game.LoseFocus();
  EXPECT_TRUE(game.Form().WindowInactive);
  EXPECT_EQ(game.Window().Caption(), "ZARVOK [Pause]");
  const int presented = game.Window().PresentCount();
  game.Frames(10);
  EXPECT_EQ(game.Window().PresentCount(), presented);
  game.GainFocus();
  EXPECT_FALSE(game.Form().WindowInactive);
  EXPECT_EQ(game.Window().Caption(), "ZARVOK");
  game.Frames(3);
  EXPECT_EQ(game.Window().PresentCount(), presented + 3);
}

struct FocusInGame : ::testing::Test {
  TGameHarness Game;
  void SetUp() override { ASSERT_TRUE(Game.StartGameAndSkipIntro()); }
};

TEST_F(FocusInGame, LosingTheFocusPausesButFramesGoOn) {
  TMainForm& form = Game.Form();
  Game.LoseFocus();
  EXPECT_FALSE(form.WindowInactive);
  EXPECT_TRUE(form.GamePause.Checked);
  EXPECT_FALSE(form.TimerLevel->Enabled());
  EXPECT_EQ(Game.Window().Caption(), "ZARVOK [Pause]");
  EXPECT_EQ(Game.Count<TPauseWord>(), 1);
  const int presented = Game.Window().PresentCount();
  Game.Frames(4);
  EXPECT_EQ(Game.Window().PresentCount(), presented + 4);
  Game.GainFocus();
  EXPECT_FALSE(form.GamePause.Checked) << "not paused before: the return resumes";
  EXPECT_TRUE(form.TimerLevel->Enabled());
  EXPECT_EQ(Game.Window().Caption(), "ZARVOK");
}

TEST_F(FocusInGame, APauseTakenBeforeTheFocusWentStaysOn) {
  TMainForm& form = Game.Form();
  form.GamePauseClick();
  Game.LoseFocus();
  EXPECT_TRUE(form.PausedBeforeDeactivate);
  Game.GainFocus();
  EXPECT_TRUE(form.GamePause.Checked);
  EXPECT_FALSE(form.PausedBeforeDeactivate);
  EXPECT_FALSE(form.TimerLevel->Enabled());
}

TEST_F(FocusInGame, AMinimisedWindowSuspendsFramesAndPausesSilently) {
  TMainForm& form = Game.Form();
  Game.Window().SetWindowState(TWindowState::wsMinimized);
  Game.ClearSounds();
  Game.LoseFocus();
  EXPECT_TRUE(form.WindowInactive);
  EXPECT_TRUE(form.GamePause.Checked);
  EXPECT_EQ(Game.Count<TPauseWord>(), 0);
  EXPECT_TRUE(Game.Sounds().empty());
  const int presented = Game.Window().PresentCount();
  Game.Frames(5);
  EXPECT_EQ(Game.Window().PresentCount(), presented);
  Game.Window().SetWindowState(TWindowState::wsNormal);
  Game.GainFocus();
  EXPECT_FALSE(form.GamePause.Checked);
  EXPECT_FALSE(form.WindowInactive);
}

TEST(FocusInTheIntro, FreezesTheIntroTimersAndContinuesWhereItStopped) {
  TGameHarness game;
  game.SkipSplash();
  TMainForm& form = game.Form();
  form.SwitchScreen(scGame);
  ASSERT_TRUE(form.LevelIntro);
  ASSERT_TRUE(game.RunUntil([&] { return form.Timer2Running; }, 10000));
  game.RunFor(200);  // 300 ms of Timer2's 500 left
  game.LoseFocus();
  EXPECT_TRUE(form.WindowInactive);
  EXPECT_EQ(game.Window().Caption(), "ZARVOK [Pause]");
  EXPECT_FALSE(form.Timer2->Enabled());
  EXPECT_TRUE(form.Timer2Running) << "the flag remembers the timer";
  const int presented = game.Window().PresentCount();
  game.RunFor(5000);
  EXPECT_TRUE(form.Timer2Running);
  EXPECT_EQ(game.Window().PresentCount(), presented);
  game.GainFocus();
  EXPECT_EQ(game.Window().Caption(), "ZARVOK");
  EXPECT_TRUE(form.Timer2->Enabled());
  // The intro goes on: number, Fight word, then the player's weapon.
  EXPECT_TRUE(game.RunUntil([&] { return !form.LevelIntro; }, 10000));
  EXPECT_EQ(game.Count<TPlayerSprite>(), 1);
  EXPECT_FALSE(form.GamePause.Checked);
}

TEST(FrameLoop, MaximisingTheWindowSwitchesToFullScreenAtTheNextFrame) {
  TGameHarness game;
  game.Resize(TWindowState::wsMaximized);
  EXPECT_TRUE(game.Form().ResizePending);
  EXPECT_FALSE(game.Form().GameFullScreen.Checked);
  game.Frames(1);
  EXPECT_FALSE(game.Form().ResizePending);
  EXPECT_TRUE(game.Form().GameFullScreen.Checked);
  EXPECT_TRUE(game.Window().FullScreen());
  EXPECT_TRUE(game.Form().FrameTimer->Enabled()) << "the display came back";
}

TEST(FrameLoop, APlainResizeChangesNothing) {
  TGameHarness game;
  game.Resize(TWindowState::wsNormal);
  game.Frames(1);
  EXPECT_FALSE(game.Form().ResizePending);
  EXPECT_FALSE(game.Form().GameFullScreen.Checked);
}

TEST(FrameLoop, AnErrorInAHandlerIsShownAndTheLoopGoesOn) {
  TGameHarness game;
  game.Form().Timer2->OnTimer = [] { throw std::runtime_error("Image 'nothing' not found"); };
  game.Form().Timer2->SetEnabled(true);
  const int presented = game.Window().PresentCount();
  game.RunFor(600);
  ASSERT_FALSE(game.Messages().empty());
  EXPECT_EQ(game.Messages().front().Text, "Image 'nothing' not found");
  EXPECT_EQ(game.Window().PresentCount(), presented + 20) << "frames carry on";
}

TEST(IntroTimers, FromLevelElevenTheNumberIsShownButNotSpoken) {
  struct Case {
    int32_t Level;
    const char* Spoken;
  };
  for (const Case& c : {Case{1, "one"}, Case{10, "ten"}, Case{11, nullptr}}) {
    TGameHarness game;
    TMainForm& form = game.Form();
    form.LevelNumber = c.Level;
    form.Timer2->SetEnabled(true);
    game.ClearSounds();
    form.Timer2Timer();
    EXPECT_FALSE(form.Timer2->Enabled());
    EXPECT_TRUE(form.Timer3->Enabled());
    EXPECT_TRUE(form.Timer3Running);
    EXPECT_EQ(game.Count<Bukva>(), static_cast<int>(std::to_string(c.Level).size()));
    if (c.Spoken)
      EXPECT_EQ(game.Sounds(), std::vector<std::string>{c.Spoken});
    else
      EXPECT_TRUE(game.Sounds().empty());
  }
}

TEST(GameOverTimer, OnlyAScoreAboveTheTenthRecordOpensTheNamePanel) {
  for (const int32_t above : {0, 1}) {
    TGameHarness game;
    TMainForm& form = game.Form();
    game.SkipSplash();
    form.Score = form.HighScores[9].Score + above;
    form.SwitchScreen(scGameOver);
    game.RunFor(4900);
    EXPECT_TRUE(form.Timer1->Enabled());
    game.RunFor(200);
    EXPECT_FALSE(form.Timer1->Enabled());
    EXPECT_EQ(game.Count<TEnter_Name>(), above) << "score " << form.Score;
  }
}

TEST(SplashTimer, EndsTheSplashAfterTenSeconds) {
  TGameHarness game;
  game.RunFor(9990);
  EXPECT_EQ(game.Form().CurrentScreen, scSplash);
  game.RunFor(20);
  EXPECT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_FALSE(game.Form().Timer1->Enabled());
}

}  // namespace
