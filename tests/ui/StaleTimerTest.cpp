#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "battlefield/Begin.h"
#include "combat/Cifra.h"
#include "combat/PlayerSprite.h"
#include "support/GameHarness.h"
#include "ui/ScreenDriver.h"

namespace {

namespace BR = ButtonRects;

// Fake milliseconds until the predicate holds, or -1 after maxMs.
template <class P>
int MsUntil(TGameHarness& game, P predicate, uint32_t maxMs = 10000) {
  const uint32_t start = game.Clock().Milliseconds();
  if (!game.RunUntil(predicate, maxMs)) return -1;
  return static_cast<int>(game.Clock().Milliseconds() - start);
}

// The level intro of a game just started runs its whole chain at its own pace (banner, number
// half a second later, FIGHT a second after that, play once the word has played), and leaves
// nothing of it on the field.
void ExpectAWholeIntro(TGameHarness& game) {
  TMainForm& form = game.Form();
  ASSERT_EQ(form.CurrentScreen, scGame);
  ASSERT_TRUE(form.LevelIntro);
  ASSERT_GE(MsUntil(game, [&] { return form.BannerArrived; }), 0) << "the intro ended before the banner arrived";
  const int toNumber = MsUntil(game, [&] { return game.Count<Bukva>() > 0; });
  EXPECT_GE(toNumber, 470);
  EXPECT_LE(toNumber, 560);
  EXPECT_TRUE(game.Played("one"));
  const int toFight = MsUntil(game, [&] { return game.Count<TFight>() > 0; });
  EXPECT_GE(toFight, 970);
  EXPECT_LE(toFight, 1060);
  ASSERT_GE(MsUntil(game, [&] { return game.Played("Fight"); }), 0);
  EXPECT_TRUE(form.LevelIntro);
  const int toPlay = MsUntil(game, [&] { return !form.LevelIntro; });
  EXPECT_GE(toPlay, 770);
  EXPECT_LE(toPlay, 860);
  // Twelve seconds of play, the player kept alive: no letters, no intro words come back.
  for (int ms = 0; ms < 12000; ms += 30) {
    form.Health = 100;
    game.Frames(1);
    ASSERT_EQ(game.Count<Bukva>(), 0) << ms << " ms into the level";
    ASSERT_EQ(game.Count<TBegin>(), 0) << ms << " ms into the level";
  }
  EXPECT_EQ(game.Count<TPlayerSprite>(), 1);
  EXPECT_EQ(form.LevelNumber, 1);
}

// A way back to the main menu from a screen whose Timer1 is still counting.
struct TLeaveCase {
  const char* Name;
  std::function<void(TGameHarness&, TScreenDriver&)> ToMainMenu;
};

std::ostream& operator<<(std::ostream& out, const TLeaveCase& c) { return out << c.Name; }

const TLeaveCase LeaveCases[] = {
    {"GameOverNameConfirmedAtOnce",
     [](TGameHarness& game, TScreenDriver& driver) {
       // A name kept from the settings lets Enter confirm before the five seconds are up.
       game.Form().Edit2.Text = "ZED";
       game.Form().PlayerName = "ZED";
       driver.GoTo(scGameOver, 2200);
       game.Key(VK_RETURN);
       ASSERT_EQ(game.Form().CurrentScreen, scHighScores);
       game.Key(VK_ESCAPE);
     }},
    {"GameOverWindowClosed",
     [](TGameHarness& game, TScreenDriver& driver) {
       driver.GoTo(scGameOver, 100);
       game.CloseWindow();
       ASSERT_EQ(game.Form().CurrentScreen, scExitConfirm);
       game.Key(VK_ESCAPE);
     }},
    {"SplashWindowClosed",
     [](TGameHarness& game, TScreenDriver&) {
       game.CloseWindow();
       ASSERT_EQ(game.Form().CurrentScreen, scExitConfirm);
       game.Key(VK_ESCAPE);
     }},
};

class TimerLeftOnTheMenus : public ::testing::TestWithParam<TLeaveCase> {};

TEST_P(TimerLeftOnTheMenus, NeverReachesTheNextGamesIntro) {
  TGameHarness game;
  TScreenDriver driver(game);
  TMainForm& form = game.Form();
  GetParam().ToMainMenu(game, driver);
  ASSERT_EQ(form.CurrentScreen, scMainMenu);
  game.RunFor(1000);
  // Start the game 300 ms before a timer still counting would fire: before the banner arrives.
  if (form.Timer1->Armed()) {
    const uint32_t due = form.Timer1->TimeToNext();
    game.RunFor(due > 300 ? due - 300 : due + form.Timer1->Interval() - 300);
  }
  game.ClearSounds();
  driver.ClickOn(BR::StartGame);
  ExpectAWholeIntro(game);
}

INSTANTIATE_TEST_SUITE_P(Screens, TimerLeftOnTheMenus, ::testing::ValuesIn(LeaveCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// A game left through the exit dialog at a step of its intro.
struct TIntroStep {
  const char* Name;
  std::function<bool(TMainForm&)> Reached;
};

std::ostream& operator<<(std::ostream& out, const TIntroStep& c) { return out << c.Name; }

const TIntroStep IntroSteps[] = {
    {"BannerArrived", [](TMainForm& form) { return form.Timer2Running; }},
    {"NumberShown", [](TMainForm& form) { return form.Timer3Running; }},
    {"FightPlayed", [](TMainForm& form) { return form.Timer1Running; }},
};

class GameLeftInItsIntro : public ::testing::TestWithParam<TIntroStep> {};

// The next game's intro loses and regains the focus at once; only its own timers may go on.
TEST_P(GameLeftInItsIntro, LeavesNoTimerForTheNextIntrosFocusChange) {
  TGameHarness game;
  TScreenDriver driver(game);
  TMainForm& form = game.Form();
  driver.GoTo(scGame);
  ASSERT_TRUE(game.RunUntil([&] { return GetParam().Reached(form); }, 10000));
  game.CloseWindow();
  driver.ClickOn(BR::MainExitYes);
  ASSERT_EQ(form.CurrentScreen, scMainMenu);
  game.RunFor(2000);

  game.ClearSounds();
  driver.ClickOn(BR::StartGame);
  game.LoseFocus();
  game.GainFocus();
  ExpectAWholeIntro(game);
}

INSTANTIATE_TEST_SUITE_P(Steps, GameLeftInItsIntro, ::testing::ValuesIn(IntroSteps),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
