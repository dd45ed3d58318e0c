#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "battlefield/FieldLog.h"
#include "battlefield/Plane.h"
#include "battlefield/Roket.h"
#include "battlefield/Terror.h"
#include "combat/Bonus.h"
#include "combat/Iscr.h"
#include "support/GameHarness.h"
#include "support/SurfacePng.h"

namespace {

const char* BonusName(const TBonus& bonus) {
  if (dynamic_cast<const Bomb*>(&bonus)) return "Bomb";
  if (dynamic_cast<const Med*>(&bonus)) return "Med";
  if (dynamic_cast<const Life*>(&bonus)) return "Life";
  if (dynamic_cast<const Dollar*>(&bonus)) return "Dollar";
  if (dynamic_cast<const Cherep*>(&bonus)) return "Cherep";
  if (dynamic_cast<const Artobstrel*>(&bonus)) return "Artobstrel";
  return "Ocher";
}

// A scripted player that aims at live targets for five minutes, with screenshots of each scene
// in play and of an air strike. Runs only when ZARVOK_EVIDENCE_DIR names a folder to write to.
TEST(Evidence, ScriptedPlayerForFiveMinutes) {
  const char* out = std::getenv("ZARVOK_EVIDENCE_DIR");
  if (out == nullptr) GTEST_SKIP() << "set ZARVOK_EVIDENCE_DIR to write the evidence";
  const std::filesystem::path dir(out);
  std::filesystem::create_directories(dir);

  TGameHarness::TOptions options;
  options.StartMs = 4242;
  TGameHarness harness(options);
  TMainForm& form = harness.Form();
  ASSERT_TRUE(harness.StartGameAndSkipIntro());

  std::map<int, int> kills;
  std::map<std::string, int> bonuses;
  std::map<int, bool> sceneShot;
  bool strikeShot = false, rocketShot = false;
  int shots = 0, games = 1, totalScore = 0;
  std::ofstream log(dir / "scripted_player.log");
  for (uint32_t ms = 0; ms < 5 * 60 * 1000; ms += 30) {
    harness.RunFor(30);
    if (form.CurrentScreen != scGame) {
      totalScore += form.Score;
      form.SwitchScreen(scGame);
      ++games;
      continue;
    }
    if (ms % 1000 == 0) log << StateLine(form, ms / 1000) << '\n';
    if (!form.LevelIntro && !sceneShot[form.SceneNumber] && form.LevelCountdown <= form.LevelNumber * 30 - 11 &&
        form.FootCount + form.VehicleCount >= 3) {
      WriteSurfacePng(harness.Surface(), dir / ("scene" + std::to_string(form.SceneNumber) + ".png"));
      sceneShot[form.SceneNumber] = true;
    }
    // The strike in two pictures: the rocket gliding down, then the blasts where vehicles were.
    const Roket_* rocket = form.FindFirst<Roket_>();
    if (!rocketShot && rocket != nullptr && rocket->Y > 120 && form.VehicleCount > 0) {
      WriteSurfacePng(harness.Surface(), dir / "air_strike_rocket.png");
      rocketShot = true;
    }
    if (rocketShot && !strikeShot && rocket == nullptr && form.FindFirst<TGotov>() != nullptr &&
        form.FindFirst<TGotov>()->AnimPos >= 4) {
      WriteSurfacePng(harness.Surface(), dir / "air_strike_blast.png");
      strikeShot = true;
    }
    if (ms % 150 != 0 || form.LevelIntro) continue;
    // Aim: a balloon first (not the skull), else the live terrorist nearest the front.
    TSprite* target = form.FindFirst<TBonus>();
    if (target != nullptr && dynamic_cast<Cherep*>(target) != nullptr) target = nullptr;  // the skull hurts
    if (target == nullptr || target->IsDead()) {
      target = nullptr;
      TSpriteEngine& engine = form.Engine();
      for (int32_t i = 0; i < engine.Count(); ++i) {
        auto* t = dynamic_cast<TTerror*>(&engine.Items(i));
        if (t != nullptr && !t->IsDead() && t->X > 0 && t->X + t->Width < 800 &&
            (target == nullptr || t->Z() > target->Z()))
          target = t;
      }
    }
    if (target == nullptr) continue;
    const int x = static_cast<int>(target->X) + target->Width / 2;
    const int y = static_cast<int>(target->Y) + target->Height / 2;
    auto* terror = dynamic_cast<TTerror*>(target);
    auto* bonus = dynamic_cast<TBonus*>(target);
    const std::string bonusName = bonus != nullptr ? BonusName(*bonus) : "";
    const int kind = terror != nullptr ? terror->Kind : 0;
    harness.Click(x, y);
    ++shots;
    if (target->IsDead()) {
      if (terror != nullptr) ++kills[kind];
      if (bonus != nullptr) ++bonuses[bonusName];
    }
  }
  if (!strikeShot) {
    // No shelling balloon came up: call one in and shoot it to show the strike.
    form.Spawn<Artobstrel>(380.0, 300.0, 599);
    harness.Click(390, 310);
    for (int frame = 0; frame < 200 && !strikeShot; ++frame) {
      harness.Frames(1);
      if (form.FindFirst<Roket_>() != nullptr && form.FindFirst<Roket_>()->Y > 150) {
        WriteSurfacePng(harness.Surface(), dir / "air_strike_called_in.png");
        strikeShot = true;
      }
    }
  }

  std::ofstream summary(dir / "scripted_player_summary.txt");
  summary << "five minutes of fake time, seed clock 4242, a click every 150 ms on a live target\n";
  summary << "games " << games << ", shots " << shots << ", final level " << form.LevelNumber
          << ", final score " << form.Score << ", all games " << totalScore + form.Score << "\n";
  for (const auto& [kind, n] : kills) summary << "killed kind " << kind << ": " << n << "\n";
  for (const auto& [name, n] : bonuses) summary << "bonus " << name << ": " << n << "\n";
  summary << "scenes shot:";
  for (const auto& [scene, done] : sceneShot) summary << ' ' << scene;
  summary << "\n";
  EXPECT_TRUE(strikeShot);
}

}  // namespace
