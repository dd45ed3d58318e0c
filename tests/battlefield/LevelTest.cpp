#include <gtest/gtest.h>

#include <cmath>

#include "app/Timer.h"
#include "battlefield/Begin.h"
#include "battlefield/FieldFixture.h"
#include "combat/Bonus.h"
#include "combat/Cifra.h"
#include "combat/PlayerSprite.h"
#include "combat/Pricel.h"

namespace {

using LevelTest = TFieldTest;

struct TDifficulty {
  int32_t Level;
  int32_t MaxFoot;
  int32_t MaxVehicles;
  double SpawnChance;
  int32_t Countdown;
};

// The whole curve from level 2 to 8, each level reached by the level change itself.
TEST_F(LevelTest, TheDifficultyCurveOfLevels1To8) {
  Form().StartGame();
  const TDifficulty table[] = {
      {1, 5, 1, 2.0, 29},        {2, 7, 2, 2.462117, 59},   {3, 7, 2, 2.905148, 89},
      {4, 8, 2, 2.986614, 119},  {5, 8, 2, 2.998178, 149},  {6, 8, 2, 2.999753, 179},
      {7, 8, 2, 2.999967, 209},  {8, 9, 3, 2.999995, 239},
  };
  for (const TDifficulty& row : table) {
    if (row.Level > 1) Form().AdvanceLevel();
    SCOPED_TRACE("level " + std::to_string(row.Level));
    EXPECT_EQ(Form().LevelNumber, row.Level);
    EXPECT_EQ(Form().MaxFoot, row.MaxFoot);
    EXPECT_EQ(Form().MaxVehicles, row.MaxVehicles);
    EXPECT_NEAR(Form().SpawnChance, row.SpawnChance, 1e-6);
    EXPECT_EQ(Form().LevelCountdown, row.Countdown);
    EXPECT_TRUE(Form().LevelIntro);
    EXPECT_FALSE(Form().TimerLevel->Enabled());
    if (row.Level <= 4) {
      EXPECT_EQ(Form().SceneNumber, row.Level);
    }
  }
}

TEST_F(LevelTest, FromLevel5OnTheSceneNeverRepeats) {
  Form().StartGame();
  bool seen[5] = {};
  for (int level = 2; level <= 80; ++level) {
    const int32_t before = Form().SceneNumber;
    Form().AdvanceLevel();
    ASSERT_GE(Form().SceneNumber, 1);
    ASSERT_LE(Form().SceneNumber, 4);
    if (level >= 5) {
      ASSERT_NE(Form().SceneNumber, before) << "level " << level;
      seen[Form().SceneNumber] = true;
    }
  }
  EXPECT_TRUE(seen[1] && seen[2] && seen[3] && seen[4]);
}

TEST_F(LevelTest, ANewGameStartsOnScene1WithTheBanner) {
  Form().Score = 999;
  Form().Lives = 1;
  Form().StartGame();
  EXPECT_EQ(Form().LevelNumber, 1);
  EXPECT_EQ(Form().SceneNumber, 1);
  EXPECT_EQ(Form().Score, 0);
  EXPECT_EQ(Form().Lives, 3);
  EXPECT_EQ(Form().Health, 100);
  EXPECT_EQ(Form().LevelCountdown, 29);
  EXPECT_TRUE(Form().LevelIntro);
  EXPECT_TRUE(Form().SingleShotMode);
  EXPECT_EQ(Live<Word_Level_begin>(), 1);
  EXPECT_EQ(Live<TTerror>(), 0);
}

TEST_F(LevelTest, TheSeparatorBlinksWithATwoSecondPeriod) {
  Form().LevelCountdown = 10;
  Form().SeparatorBlink = false;
  const int expected[] = {1, 0, 1, 0};
  for (int tick = 0; tick < 4; ++tick) {
    Form().TimerLevelTimer();
    Form().Engine().FreeDead();
    EXPECT_EQ(Live<Cifra_prefix>(), expected[tick]) << "tick " << tick;
  }
  EXPECT_EQ(Form().LevelCountdown, 6);
}

// The game screen through the real frame loop and timers, on the fake clock.
class GameScreenTest : public ::testing::Test {
 protected:
  TMainForm& Form() { return Harness.Form(); }
  // Runs frame by frame until the predicate holds; the fake time it took, or -1.
  template <class P>
  int MsUntil(P predicate, int maxMs = 10000) {
    const uint32_t start = Harness.Clock().Milliseconds();
    if (!Harness.RunUntil(predicate, static_cast<uint32_t>(maxMs))) return -1;
    return static_cast<int>(Harness.Clock().Milliseconds() - start);
  }
  TGameHarness Harness;
};

TEST_F(GameScreenTest, TheIntroChainRunsBannerNumberFightThenPlay) {
  Harness.SkipSplash();
  Form().SwitchScreen(scGame);
  ASSERT_EQ(Form().CurrentScreen, scGame);
  // 13 steps of 30 px put the banner's right edge at 390; the 14th move notices it.
  int frames = 0;
  while (!Form().BannerArrived && frames < 40) {
    Harness.Frames(1);
    ++frames;
  }
  EXPECT_LE(frames, 15);
  EXPECT_TRUE(Harness.Played("Level"));
  auto& banner = *Harness.Form().FindFirst<Word_Level_begin>();
  EXPECT_DOUBLE_EQ(banner.X + banner.Width, 390);
  EXPECT_TRUE(Form().Timer2Running);

  const int toNumber = MsUntil([&] { return Harness.Count<Bukva>() > 0; });
  EXPECT_GE(toNumber, 470);
  EXPECT_LE(toNumber, 560);
  EXPECT_TRUE(Harness.Played("one"));
  const int toFight = MsUntil([&] { return Harness.Count<TFight>() > 0; });
  EXPECT_GE(toFight, 970);
  EXPECT_LE(toFight, 1060);
  EXPECT_FALSE(Harness.Played("Fight"));
  MsUntil([&] { return Harness.Played("Fight"); });
  EXPECT_TRUE(Form().LevelIntro);
  EXPECT_EQ(Harness.Count<TTerror>(), 0);
  const int toPlay = MsUntil([&] { return !Form().LevelIntro; });
  EXPECT_GE(toPlay, 770);
  EXPECT_LE(toPlay, 860);
  Harness.Frames(2);
  EXPECT_EQ(Harness.Count<TBegin>(), 0);
  EXPECT_EQ(Harness.Count<Bukva>(), 0);
  EXPECT_EQ(Harness.Count<TPlayerSprite>(), 1);
  EXPECT_EQ(Harness.Count<Pricel_prosto>(), 1);
  EXPECT_TRUE(Form().TimerLevel->Enabled());
  EXPECT_GT(Harness.Count<Cifra>(), 0);
}

// Burst fire taken late in a level ends with it; the next level's intro runs its whole chain.
TEST_F(GameScreenTest, BurstFireDoesNotCutTheNextIntroShort) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  Form().Spawn<Ocher>(380.0, 300.0, 599);
  Harness.Click(390, 310);
  ASSERT_FALSE(Form().SingleShotMode);
  // The level ends about nine seconds into the ten of burst fire.
  Form().LevelCountdown = 8;
  ASSERT_TRUE(Harness.RunUntil([&] { return Form().LevelNumber == 2; }, 12000));
  EXPECT_TRUE(Form().SingleShotMode);
  ASSERT_TRUE(Harness.RunUntil([&] { return !Form().LevelIntro; }, 15000));
  EXPECT_TRUE(Harness.Played("two"));
  EXPECT_TRUE(Harness.Played("Fight"));
  Harness.Frames(2);
  EXPECT_EQ(Harness.Count<Bukva>(), 0);
  EXPECT_EQ(Harness.Count<TBegin>(), 0);
  Harness.RunFor(12000);
  EXPECT_EQ(Harness.Count<Bukva>(), 0);
  EXPECT_EQ(Harness.Count<TFight>(), 0);
}

TEST_F(GameScreenTest, ALostLifeFlashesExactlyOneFrame) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  Harness.Frames(3);
  Harness.ClearSounds();
  Form().LifeLost = true;
  Form().Health = 100;
  Form().GameFrame();
  const TSurface& surface = Harness.Surface();
  int flashed = 0;
  for (int y = 0; y < surface.Height(); y += 7)
    for (int x = 0; x < surface.Width(); x += 7) flashed += surface.Pixel(x, y) == 255;
  EXPECT_EQ(flashed, ((surface.Height() + 6) / 7) * ((surface.Width() + 6) / 7));
  EXPECT_TRUE(Harness.Played("player_dead"));
  EXPECT_FALSE(Form().LifeLost);
  Form().GameFrame();
  EXPECT_NE(surface.Pixel(400, 300), 255);
}

TEST_F(GameScreenTest, TheLastLifeEndsTheGameAfterTheFlash) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  Form().LifeLost = true;
  Form().GameOverPending = true;
  Harness.Frames(1);
  EXPECT_TRUE(Harness.Played("player_dead"));
  EXPECT_EQ(Form().CurrentScreen, scGameOver);
  EXPECT_FALSE(Form().TimerLevel->Enabled());
}

TEST_F(GameScreenTest, UnderTheExitDialogOnlyTheSightMoves) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  TTerror& walker = SpawnFootTerror(Form(), 1);
  Harness.Frames(1);
  // The in-game exit dialog stops the field as the pause does, and the pointer still counts.
  Form().GameMainExitClick();
  ASSERT_TRUE(Form().GameMainExit.Checked);
  const double x = walker.X;
  Harness.MoveMouse(100, 100);
  Harness.Frames(20);
  EXPECT_EQ(walker.X, x);
  const auto* sight = Form().FindFirst<Pricel_prosto>();
  ASSERT_NE(sight, nullptr);
  EXPECT_NEAR(sight->X + sight->Width / 2.0, 100, 1);
  EXPECT_EQ(Harness.Count<TTerror>(), 1);
}

// Level 1 brings only riflemen and tanks, never more than 6 on foot and 2 vehicles at once.
TEST_F(GameScreenTest, Level1SpawnsRiflemenAndTanksWithinTheLimits) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  int maxFoot = 0, maxVehicles = 0, spawned = 0;
  for (int frame = 0; frame < 900 && Form().LevelNumber == 1; ++frame) {
    Form().Health = 100;
    Harness.Frames(1);
    TSpriteEngine& engine = Form().Engine();
    int foot = 0, vehicles = 0;
    for (int32_t i = 0; i < engine.Count(); ++i) {
      auto* t = dynamic_cast<TTerror*>(&engine.Items(i));
      if (t == nullptr || t->IsDead()) continue;
      ASSERT_TRUE(t->Kind == 1 || t->Kind == 5) << "kind " << t->Kind;
      (t->Kind == 1 ? foot : vehicles) += 1;
    }
    maxFoot = std::max(maxFoot, foot);
    maxVehicles = std::max(maxVehicles, vehicles);
    spawned = std::max(spawned, foot + vehicles);
  }
  EXPECT_LE(maxFoot, 6);
  EXPECT_LE(maxVehicles, 2);
  EXPECT_GT(spawned, 0);
}

TEST_F(GameScreenTest, Level1EndsAfterThirtyTicksOfTheLevelTimer) {
  ASSERT_TRUE(Harness.StartGameAndSkipIntro());
  const uint32_t start = Harness.Clock().Milliseconds();
  // The player is kept alive, so that only the clock ends the level.
  ASSERT_TRUE(Harness.RunUntil(
      [&] {
        Form().Health = 100;
        return Form().LevelNumber == 2;
      },
      40000));
  EXPECT_TRUE(Harness.Messages().empty());
  const uint32_t took = Harness.Clock().Milliseconds() - start;
  EXPECT_GE(took, 30000u);
  EXPECT_LE(took, 30100u);
  EXPECT_EQ(Form().SceneNumber, 2);
  EXPECT_TRUE(Form().LevelIntro);
}

}  // namespace
