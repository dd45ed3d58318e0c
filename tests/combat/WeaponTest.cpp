#include <gtest/gtest.h>

#include <cmath>

#include "battlefield/FieldFixture.h"
#include "battlefield/TerrorDead.h"
#include "combat/Iscr.h"
#include "combat/PlayerSprite.h"
#include "combat/Pricel.h"
#include "combat/Splash.h"
#include "engine/SpriteEngineComponent.h"

namespace {

using WeaponTest = TFieldTest;

struct TSectorCase {
  int32_t PointerX;
  int32_t Pose;
  const char* Flash;
  int FlashX, FlashY;
};

class SectorTest : public TFieldTest, public ::testing::WithParamInterface<TSectorCase> {};

// The weapon's pose and the muzzle flash follow the pointer's sector.
TEST_P(SectorTest, PoseAndFlash) {
  const TSectorCase& c = GetParam();
  EXPECT_EQ(TPlayerSprite::PoseFor(c.PointerX), c.Pose);
  Form().PointerX = c.PointerX;
  TSplash& flash = Form().Spawn<TSplash>();
  EXPECT_EQ(flash.Image, &Picture(c.Flash));
  EXPECT_EQ(flash.X, c.FlashX);
  EXPECT_EQ(flash.Y, c.FlashY);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, SectorTest,
                         ::testing::Values(TSectorCase{-40, 0, "Splash_1", 222, 500},
                                           TSectorCase{133, 0, "Splash_1", 222, 500},
                                           TSectorCase{134, 1, "Splash_2", 322, 492},
                                           TSectorCase{266, 1, "Splash_2", 322, 492},
                                           TSectorCase{267, 2, "Splash_3", 405, 485},
                                           TSectorCase{399, 2, "Splash_3", 405, 485},
                                           TSectorCase{400, 3, "Splash_4", 485, 486},
                                           TSectorCase{534, 4, "Splash_5", 558, 488},
                                           TSectorCase{666, 4, "Splash_5", 558, 488},
                                           TSectorCase{667, 5, "Splash_6", 625, 493},
                                           TSectorCase{900, 5, "Splash_6", 625, 493}));

// Two shots between frames give one flash and one recoil; burst fire only flashes.
TEST_F(WeaponTest, RecoilAndFlash) {
  TPlayerSprite& weapon = Form().Spawn<TPlayerSprite>();
  const double rest = 600 - weapon.Height + 5;
  EXPECT_DOUBLE_EQ(weapon.X, (800 - weapon.Width) / 2.0 + 60);
  EXPECT_DOUBLE_EQ(weapon.Y, 600 - weapon.Height);
  Step();
  EXPECT_DOUBLE_EQ(weapon.Y, rest);
  Form().ResolveShot(10, 10);
  Form().ResolveShot(12, 10);
  Step();
  EXPECT_DOUBLE_EQ(weapon.Y, rest - 5);
  EXPECT_EQ(Live<TSplash>(), 1);
  Step();
  EXPECT_DOUBLE_EQ(weapon.Y, rest);
  EXPECT_EQ(Live<TSplash>(), 0);

  Form().SingleShotMode = false;
  Form().ResolveShot(10, 10);
  Step();
  EXPECT_DOUBLE_EQ(weapon.Y, rest);
  EXPECT_EQ(Live<TSplash>(), 1);
}

struct TSightCase {
  const char* Name;
  int32_t PointerX, PointerY;
  bool Plain;
};

class SightTest : public TFieldTest, public ::testing::WithParamInterface<TSightCase> {};

TEST_P(SightTest, CentredOnThePointerWithinItsLimits) {
  const TSightCase& c = GetParam();
  Form().PointerX = c.PointerX;
  Form().PointerY = c.PointerY;
  TSprite& sight = c.Plain ? static_cast<TSprite&>(Form().Spawn<Pricel_prosto>())
                           : static_cast<TSprite&>(Form().Spawn<Pricel>());
  Step();
  double x = std::nearbyint(c.PointerX - sight.Width / 2.0);
  double y = std::nearbyint(c.PointerY - sight.Height / 2.0);
  const double bottom = c.Plain ? 480 : 600 - sight.Height;
  if (y >= bottom) y = bottom;
  if (x >= 800 - sight.Width) x = 800 - sight.Width;
  if (y <= 0) y = 1;
  if (x <= 0) x = 1;
  EXPECT_EQ(sight.X, x);
  EXPECT_EQ(sight.Y, y);
}

INSTANTIATE_TEST_SUITE_P(Cases, SightTest,
                         ::testing::Values(TSightCase{"TopLeftPlain", 0, 0, true},
                                           TSightCase{"TopLeftMenu", 0, 0, false},
                                           TSightCase{"BottomPlain", 400, 599, true},
                                           TSightCase{"BottomMenu", 400, 599, false},
                                           TSightCase{"RightPlain", 799, 300, true},
                                           TSightCase{"Middle", 300, 300, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(WeaponTest, SightsStopOnePixelInsideTheTopLeftAndPlainOneAbove480) {
  Form().PointerX = 0;
  Form().PointerY = 0;
  auto& plain = Form().Spawn<Pricel_prosto>();
  auto& menu = Form().Spawn<Pricel>();
  Step();
  EXPECT_EQ(plain.X, 1);
  EXPECT_EQ(plain.Y, 1);
  EXPECT_EQ(menu.X, 1);
  EXPECT_EQ(menu.Y, 1);
  Form().PointerX = 400;
  Form().PointerY = 599;
  Step();
  EXPECT_EQ(plain.Y, 480);
  EXPECT_EQ(menu.Y, 600 - menu.Height);
}

// An effect ends on the move after its position rounds to its pattern count, taking all others.
TEST_F(WeaponTest, AnEndingExplosionTakesEveryEffectWithIt) {
  TGotov& blast = Form().Spawn<TGotov>(100.0, 100.0);
  const int32_t patterns = blast.Image->PatternCount();
  int moves = 0;
  bool corpseAdded = false;
  while (Live<TGotov>() == 1 && moves < 500) {
    if (!corpseAdded && blast.AnimPos > patterns / 2.0) {
      Form().Spawn<TTerror_Dead>(1, 1.0, 300.0, 300.0, 450);
      corpseAdded = true;
    }
    Step();
    ++moves;
  }
  ASSERT_TRUE(corpseAdded);
  EXPECT_EQ(Live<TGotov>(), 0);
  EXPECT_EQ(Live<TTerror_Dead>(), 0);
  // 0.32 patterns a move; it ends one move after first rounding to the pattern count.
  int expected = 1;
  while (expected * 0.32 < patterns - 0.5) ++expected;
  EXPECT_EQ(moves, expected + 1);
}

TEST_F(WeaponTest, EffectsOffTheSurfaceStillDraw) {
  Form().Spawn<TGotov>(100.0, -300.0);
  Form().Spawn<TGotov>(100.0, 700.0);
  Form().Spawn<TPopal>(100, 650);
  for (TIscr* effect : All<TIscr>()) EXPECT_GT(effect->Scale, 0);
  Form().SpriteEngine->DrawAll();
}

}  // namespace
