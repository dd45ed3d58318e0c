#include <gtest/gtest.h>

#include <algorithm>

#include "app/Random.h"
#include "battlefield/Terror.h"
#include "support/GameHarness.h"

namespace {

// Twenty minutes of play with random clicks: the alive counters always match the field, nothing
// goes negative, and the field does not grow without bound. A lost game starts a new one.
TEST(Soak, TwentyMinutesOfRandomPlay) {
  TGameHarness harness;
  TMainForm& form = harness.Form();
  ASSERT_TRUE(harness.StartGameAndSkipIntro());
  TRandom input(20261209);
  int maxSprites = 0, games = 1, maxLevel = 1;
  bool held = false;
  for (uint32_t ms = 0; ms < 20 * 60 * 1000; ms += 30) {
    const int x = input.Random(820) - 10, y = input.Random(620) - 10;
    switch (input.Random(6)) {
      case 0: harness.MoveMouse(x, y); break;
      case 1:
        harness.Press(x, y);
        held = true;
        break;
      case 2:
        if (held) harness.Release(x, y);
        held = false;
        break;
      default: break;
    }
    harness.RunFor(30);
    if (form.CurrentScreen != scGame) {
      form.SwitchScreen(scGame);
      ++games;
      continue;
    }
    int foot = 0, vehicles = 0;
    TSpriteEngine& engine = form.Engine();
    for (int32_t i = 0; i < engine.Count(); ++i) {
      const TSprite& sprite = engine.Items(i);
      if (sprite.IsDead()) continue;
      foot += dynamic_cast<const TTerror1*>(&sprite) != nullptr;
      vehicles += dynamic_cast<const TTerror2*>(&sprite) != nullptr ||
                  dynamic_cast<const TTerror_Vert*>(&sprite) != nullptr;
    }
    ASSERT_EQ(form.FootCount, foot) << "at " << ms << " ms";
    ASSERT_EQ(form.VehicleCount, vehicles) << "at " << ms << " ms";
    ASSERT_GE(form.Score, 0);
    ASSERT_GE(form.Lives, 0);
    ASSERT_GE(form.Health, 0);
    ASSERT_GE(form.LevelCountdown, -1);
    maxSprites = std::max(maxSprites, engine.Count());
    maxLevel = std::max(maxLevel, form.LevelNumber);
    ASSERT_LE(engine.Count(), 300) << "at " << ms << " ms";
  }
  RecordProperty("MaxSprites", maxSprites);
  RecordProperty("Games", games);
  RecordProperty("MaxLevel", maxLevel);
}

}  // namespace
