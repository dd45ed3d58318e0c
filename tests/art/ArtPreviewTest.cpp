#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "battlefield/Terror.h"
#include "combat/Bonus.h"
#include "combat/Iscr.h"
#include "combat/PlayerSprite.h"
#include "combat/Pricel.h"
#include "support/GameHarness.h"
#include "support/SurfacePng.h"
#include "ui/ButtonRects.h"

// Pictures of the real game's screens with the built art, for the artist to look at:
//   ZARVOK_ART_PREVIEW=/some/folder ./zarvok_tests --gtest_filter='ArtPreview.*'
// Without the variable the preview is skipped.
namespace {

class ArtPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* folder = std::getenv("ZARVOK_ART_PREVIEW");
    if (!folder || !*folder) GTEST_SKIP() << "set ZARVOK_ART_PREVIEW to a folder to write previews";
    // absolute now: the harness moves the working folder into its scratch copy
    FFolder = std::filesystem::absolute(folder);
    std::filesystem::create_directories(FFolder);
  }

  // Two frames: screens that lay their markers after drawing show them on the second.
  void Snap(TGameHarness& game, const std::string& name) {
    game.Frames(2);
    WriteSurfacePng(game.Surface(), FFolder / (name + ".png"));
  }

  std::filesystem::path FFolder;
};

TEST_F(ArtPreview, Screens) {
  TGameHarness game;
  game.Frames(2);
  Snap(game, "splash");
  game.SkipSplash();
  game.MoveMouse((ButtonRects::StartGame.X1 + ButtonRects::StartGame.X2) / 2, 60);
  Snap(game, "menu");
  for (int page = 1; page <= 4; ++page) {
    game.Form().HelpPage = static_cast<uint8_t>(page);
    game.Form().SwitchScreen(scHelp);
    game.MoveMouse(380, 480);
    Snap(game, "help" + std::to_string(page));
  }
  game.Form().SwitchScreen(scOptions);
  game.MoveMouse(600, 350);
  Snap(game, "options");
  game.Form().SwitchScreen(scHighScores);
  game.MoveMouse(600, 500);
  Snap(game, "highscores");
  game.Form().SwitchScreen(scExitConfirm);
  game.MoveMouse(300, 380);
  Snap(game, "exit");
}

TEST_F(ArtPreview, Battlefields) {
  TGameHarness game;
  game.SkipSplash();
  ASSERT_TRUE(game.StartGameAndSkipIntro());
  TMainForm& form = game.Form();
  for (int n = 1; n <= 4; ++n) {
    form.LevelIntro = false;
    form.BuildScene(n);
    // a few enemies where the game puts them, and the player's weapon and sight
    for (int kind = 1; kind <= 4; ++kind) SpawnFootTerror(form, kind);
    SpawnFootTerror(form, n);
    SpawnVehicle(form, 4 + (n % 3) + 1);
    if (n % 2 == 0) SpawnHelicopter(form);
    form.Spawn<Med>(300.0 + 60 * n, 200.0, 450);
    form.Spawn<TPlayerSprite>();
    form.Spawn<Pricel_prosto>();
    game.MoveMouse(150 + 120 * n, 330);
    game.Frames(25);
    Snap(game, "battlefield" + std::to_string(n));
  }
  // the pause word and the exit question over the last battlefield
  form.GamePauseClick();
  Snap(game, "pause");
  form.GamePauseClick();
  form.GameMainExitClick();
  game.MoveMouse(300, 350);
  Snap(game, "exit_question");
  form.GameMainExitClick();
  // a level intro with its banner
  form.LevelIntro = true;
  form.BuildScene(2);
  game.RunFor(1200);
  Snap(game, "intro");
}

TEST_F(ArtPreview, GameOver) {
  TGameHarness game;
  game.SkipSplash();
  game.Form().Score = 999999;
  game.Form().SwitchScreen(scGameOver);
  game.RunFor(5500);
  game.Type("DESERTFOX");
  Snap(game, "gameover");
}

}  // namespace
