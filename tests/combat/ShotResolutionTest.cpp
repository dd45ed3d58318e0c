#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Timer.h"
#include "battlefield/FieldFixture.h"
#include "battlefield/Plane.h"
#include "battlefield/TerrorDead.h"
#include "combat/Bonus.h"
#include "combat/Iscr.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

class ShotTest : public TFieldTest {
 protected:
  // A terrorist of the kind with its top-left at (x, y), standing at depth z.
  TTerror& Place(int32_t kind, double x, double y, int32_t z) {
    if (kind <= 4) return Form().Spawn<TTerror1>(kind, 1.0, x, y, z);
    if (kind <= 7) return Form().Spawn<TTerror2>(kind, 1.0, x, y, z);
    return Form().Spawn<TTerror_Vert>(kind, 1.0, x, y, z);
  }
  static int CentreX(const TSprite& s) { return static_cast<int>(s.X) + s.Width / 2; }
  static int CentreY(const TSprite& s) { return static_cast<int>(s.Y) + s.Height / 2; }
  void ShootAt(const TSprite& s) { Form().ResolveShot(CentreX(s), CentreY(s)); }
};

TEST_F(ShotTest, EmptyGroundIsAMissThatOnlyFiresTheWeapon) {
  Form().ShotFired = false;
  Form().ResolveShot(400, 300);
  EXPECT_THAT(Sounds(), ElementsAre("1", "2"));
  EXPECT_TRUE(Form().ShotFired);
  EXPECT_EQ(Form().Score, 0);
}

struct TKillCase {
  int32_t Kind;
  int Shots;
  int32_t Score;
  std::vector<std::string> WoundSounds;
  std::vector<std::string> KillSounds;
};

class KillTest : public ShotTest, public ::testing::WithParamInterface<TKillCase> {};

// Every kind takes its hit points in shots; wounds and the kill sound as the kind's material says.
TEST_P(KillTest, TakesItsHitPointsAndScoresOnTheLastShot) {
  const TKillCase& c = GetParam();
  TTerror& terror = Place(c.Kind, 300, 200, 450);
  const bool onFoot = c.Kind <= 4;
  for (int shot = 1; shot < c.Shots; ++shot) {
    Harness.ClearSounds();
    ShootAt(terror);
    ASSERT_THAT(Sounds(), ElementsAreArray(c.WoundSounds)) << "shot " << shot;
    ASSERT_FALSE(terror.IsDead()) << "shot " << shot;
  }
  EXPECT_EQ(terror.HitPoints, 1);
  EXPECT_EQ(Form().Score, 0);
  EXPECT_EQ(Live<TPopal>(), onFoot ? 0 : c.Shots - 1);

  Harness.ClearSounds();
  const double x = terror.X, y = terror.Y;
  const int32_t width = terror.Width, height = terror.Height;
  ShootAt(terror);
  EXPECT_THAT(Sounds(), ElementsAreArray(c.KillSounds));
  EXPECT_TRUE(terror.IsDead());
  EXPECT_EQ(Form().Score, c.Score);
  EXPECT_EQ(Form().FootCount, 0);
  EXPECT_EQ(Form().VehicleCount, 0);
  if (onFoot) {
    ASSERT_EQ(Live<TTerror_Dead>(), 1);
    EXPECT_EQ(All<TTerror_Dead>()[0]->Z(), 450);
    EXPECT_EQ(Live<TGotov>(), 0);
  } else {
    ASSERT_EQ(Live<TGotov>(), 1);
    const TGotov& blast = *All<TGotov>()[0];
    EXPECT_DOUBLE_EQ(blast.X, x + width / 2.0 - Picture("gotov").Width() / 2.0);
    EXPECT_DOUBLE_EQ(blast.Y, y + height / 2.0 - Picture("gotov").Height() / 2.0);
  }
}

const std::vector<std::string> Flesh{"1", "popal_in_plot"};
const std::vector<std::string> Metal{"1", "popal_in_gel"};

INSTANTIATE_TEST_SUITE_P(
    AllKinds, KillTest,
    ::testing::Values(TKillCase{1, 1, 10, Flesh, {"1", "popal_in_plot", "terror1_dead"}},
                      TKillCase{2, 2, 20, Flesh, {"1", "popal_in_plot", "terror2_dead"}},
                      TKillCase{3, 5, 40, Flesh, {"1", "popal_in_plot", "terror3_dead"}},
                      TKillCase{4, 10, 70, Flesh, {"1", "popal_in_plot", "terror4_dead"}},
                      TKillCase{5, 20, 50, Metal, {"1", "15"}},
                      TKillCase{6, 20, 80, Metal, {"1", "8"}},
                      TKillCase{7, 12, 30, Metal, {"1", "8"}},
                      TKillCase{8, 35, 100, Metal, {"1", "8"}}),
    [](const auto& info) { return "Kind" + std::to_string(info.param.Kind); });

TEST_F(ShotTest, TheSparkOfAWoundStandsAtTheShotPoint) {
  TTerror& tank = Place(5, 300, 250, 350);
  Form().ResolveShot(310, 260);
  ASSERT_EQ(Live<TPopal>(), 1);
  EXPECT_EQ(All<TPopal>()[0]->X, 310);
  EXPECT_EQ(All<TPopal>()[0]->Y, 260);
  EXPECT_EQ(tank.HitPoints, 19);
}

struct TOverlapCase {
  const char* Name;
  int32_t FirstZ;
  int32_t SecondZ;
  int HitIndex;  // which of the two loses a hit point
};

class OverlapTest : public ShotTest, public ::testing::WithParamInterface<TOverlapCase> {};

TEST_P(OverlapTest, TheHighestZTakesTheShotAndTheEarlierAmongEquals) {
  const TOverlapCase& c = GetParam();
  TTerror* both[] = {&Place(4, 300, 300, c.FirstZ), &Place(4, 300, 300, c.SecondZ)};
  ShootAt(*both[0]);
  EXPECT_EQ(both[c.HitIndex]->HitPoints, 9);
  EXPECT_EQ(both[1 - c.HitIndex]->HitPoints, 10);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverlapTest,
                         ::testing::Values(TOverlapCase{"LowerFirst", 300, 350, 1},
                                           TOverlapCase{"HigherFirst", 350, 300, 0},
                                           TOverlapCase{"Equal", 400, 400, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ShotTest, ATerroristAtDepthZeroCannotBeHit) {
  TTerror& terror = Place(1, 300, 300, 0);
  ShootAt(terror);
  EXPECT_FALSE(terror.IsDead());
  EXPECT_THAT(Sounds(), ElementsAre("1", "2"));
}

struct TEdgeCase {
  const char* Name;
  double X, Y;
  int Dx, Dy;  // the shot, from the truncated top-left
  bool FromRight, FromBottom;
  bool Hit;
};

class EdgeTest : public ShotTest, public ::testing::WithParamInterface<TEdgeCase> {};

// The rectangle runs from the truncated position; its right and bottom edges lie outside.
TEST_P(EdgeTest, PointsOnTheRectangle) {
  const TEdgeCase& c = GetParam();
  TTerror& terror = Place(4, c.X, c.Y, 450);
  const int x = static_cast<int>(c.X) + (c.FromRight ? terror.Width : 0) + c.Dx;
  const int y = static_cast<int>(c.Y) + (c.FromBottom ? terror.Height : 0) + c.Dy;
  Form().ResolveShot(x, y);
  EXPECT_EQ(terror.HitPoints, c.Hit ? 9 : 10);
}

INSTANTIATE_TEST_SUITE_P(Cases, EdgeTest,
                         ::testing::Values(TEdgeCase{"TopLeft", 300.7, 200.9, 0, 0, false, false, true},
                                           TEdgeCase{"LeftOfIt", 300.7, 200.9, -1, 0, false, false, false},
                                           TEdgeCase{"RightEdge", 300, 200, 0, 0, true, false, false},
                                           TEdgeCase{"InsideRight", 300, 200, -1, 0, true, false, true},
                                           TEdgeCase{"BottomEdge", 300, 200, 0, 0, false, true, false},
                                           TEdgeCase{"InsideBottom", 300, 200, 0, -1, false, true, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ShotTest, AKilledTerroristLetsTheNextShotThrough) {
  TTerror& below = Place(4, 300, 300, 400);
  TTerror& above = Place(1, 300, 300, 450);
  ShootAt(above);
  ASSERT_TRUE(above.IsDead());
  ShootAt(above);
  EXPECT_EQ(below.HitPoints, 9);
}

TEST_F(ShotTest, ABalloonAboveATerroristTakesTheShot) {
  TTerror& terror = Place(4, 300, 300, 400);
  Dollar& balloon = Form().Spawn<Dollar>(terror.X, terror.Y, 401);
  ShootAt(balloon);
  EXPECT_TRUE(balloon.IsDead());
  EXPECT_EQ(terror.HitPoints, 10);
  EXPECT_EQ(Form().Score, 100);
  EXPECT_THAT(Sounds(), ElementsAre("1", "dollar", "shar_dead"));
  ASSERT_EQ(Live<TBonus_Dead>(), 1);
  const TBonus_Dead& burst = *All<TBonus_Dead>()[0];
  EXPECT_EQ(burst.Z(), 401);
  EXPECT_DOUBLE_EQ(burst.X, balloon.X + balloon.Width / 2.0 - Picture("Bonus_dead").Width() / 2.0);
}

TEST_F(ShotTest, ATerroristAtTheBalloonsDepthTakesTheShot) {
  TTerror& terror = Place(4, 300, 300, 400);
  Dollar& balloon = Form().Spawn<Dollar>(terror.X, terror.Y, 400);
  ShootAt(balloon);
  EXPECT_FALSE(balloon.IsDead());
  EXPECT_EQ(terror.HitPoints, 9);
}

TEST_F(ShotTest, OfOverlappingBalloonsTheLastInTheListBursts) {
  Med& first = Form().Spawn<Med>(300.0, 300.0, 450);
  Dollar& second = Form().Spawn<Dollar>(300.0, 300.0, 420);
  Form().ResolveShot(305, 305);
  EXPECT_FALSE(first.IsDead());
  EXPECT_TRUE(second.IsDead());
}

struct TBonusCase {
  const char* Name;
  int Roll;  // 0 Bomb .. 6 Ocher
  int32_t Health, Lives;
  int32_t ExpectHealth, ExpectLives;
  bool ExpectLifeLost, ExpectGameOver;
  const char* Sound;
};

class BonusEffectTest : public ShotTest, public ::testing::WithParamInterface<TBonusCase> {
 protected:
  TBonus& MakeBonus(int roll) {
    switch (roll) {
      case 1: return Form().Spawn<Med>(300.0, 300.0, 400);
      case 2: return Form().Spawn<Life>(300.0, 300.0, 400);
      case 3: return Form().Spawn<Dollar>(300.0, 300.0, 400);
      case 4: return Form().Spawn<Cherep>(300.0, 300.0, 400);
      case 5: return Form().Spawn<Artobstrel>(300.0, 300.0, 400);
      case 6: return Form().Spawn<Ocher>(300.0, 300.0, 400);
      default: return Form().Spawn<Bomb>(300.0, 300.0, 400);
    }
  }
};

TEST_P(BonusEffectTest, AtItsBoundaries) {
  const TBonusCase& c = GetParam();
  Form().Health = c.Health;
  Form().Lives = c.Lives;
  TBonus& bonus = MakeBonus(c.Roll);
  ShootAt(bonus);
  EXPECT_EQ(Form().Health, c.ExpectHealth);
  EXPECT_EQ(Form().Lives, c.ExpectLives);
  EXPECT_EQ(Form().LifeLost, c.ExpectLifeLost);
  EXPECT_EQ(Form().GameOverPending, c.ExpectGameOver);
  EXPECT_THAT(Sounds(), ElementsAre("1", c.Sound, "shar_dead"));
  EXPECT_TRUE(bonus.IsDead());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BonusEffectTest,
    ::testing::Values(TBonusCase{"MedAt80With2Lives", 1, 80, 2, 30, 3, false, false, "med"},
                      TBonusCase{"MedAt80With3Lives", 1, 80, 3, 100, 3, false, false, "med"},
                      TBonusCase{"MedAt50With2Lives", 1, 50, 2, 100, 2, false, false, "med"},
                      TBonusCase{"LifeWith3Lives", 2, 40, 3, 100, 3, false, false, "life"},
                      TBonusCase{"LifeWith2Lives", 2, 40, 2, 40, 3, false, false, "life"},
                      TBonusCase{"CherepAt60", 4, 60, 2, 10, 2, false, false, "cherep"},
                      TBonusCase{"CherepAt51", 4, 51, 3, 1, 3, false, false, "cherep"},
                      TBonusCase{"CherepAt50With2Lives", 4, 50, 2, 100, 1, true, false, "cherep"},
                      TBonusCase{"CherepAt50WithLastLife", 4, 50, 1, 50, 1, true, true, "cherep"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(BonusEffectTest, BombKillsEveryFootTerroristAndSparesVehicles) {
  Place(1, 200, 350, 450);
  Place(1, 260, 350, 460);
  Place(2, 320, 350, 470);
  Place(4, 380, 350, 480);
  TTerror& tank = Place(5, 100, 250, 330);
  TBonus& bomb = MakeBonus(0);
  bomb.SetZ(500);
  Harness.ClearSounds();
  Form().ResolveShot(static_cast<int>(bomb.X) + 1, static_cast<int>(bomb.Y) + 1);
  EXPECT_EQ(Form().Score, 110);
  EXPECT_EQ(Live<TTerror1>(), 0);
  EXPECT_EQ(Live<TTerror_Dead>(), 4);
  EXPECT_FALSE(tank.IsDead());
  EXPECT_EQ(Form().FootCount, 0);
  EXPECT_EQ(Form().VehicleCount, 1);
  EXPECT_THAT(Sounds(), ElementsAre("1", "bomb", "shar_dead"));
}

TEST_F(BonusEffectTest, OcherStartsTenSecondsOfBurstFire) {
  ShootAt(MakeBonus(6));
  EXPECT_FALSE(Form().SingleShotMode);
  EXPECT_TRUE(Form().Timer1->Enabled());
  EXPECT_EQ(Form().Timer1->Interval(), 10000u);
  EXPECT_THAT(Sounds(), ElementsAre("1", "ocher", "shar_dead"));
}

TEST_F(BonusEffectTest, ArtobstrelSendsAPlaneIntoTheSky) {
  ShootAt(MakeBonus(5));
  ASSERT_EQ(Live<Plane>(), 1);
  const Plane& plane = *All<Plane>()[0];
  EXPECT_GE(plane.Y, 65);
  EXPECT_LE(plane.Y, 84);
  EXPECT_THAT(Sounds(), ElementsAre("1", "plane", "artobstrel", "shar_dead"));
}

// Bonuses rise from the centre of the killed terrorist; the dollar from the shot's height.
TEST_F(ShotTest, BalloonsLeftByKillsAreCentredOnTheTerrorist) {
  int balloons = 0;
  for (int i = 0; i < 200 && balloons < 20; ++i) {
    TTerror& terror = Place(1, 300, 250, 450);
    const int shotY = static_cast<int>(terror.Y) + 7;
    Form().ResolveShot(CentreX(terror), shotY);
    for (TBonus* bonus : All<TBonus>()) {
      const bool dollar = dynamic_cast<Dollar*>(bonus) != nullptr;
      const double top = dollar ? shotY : terror.Y;
      EXPECT_DOUBLE_EQ(bonus->X, terror.X + terror.Width / 2.0 - bonus->Width / 2.0);
      EXPECT_DOUBLE_EQ(bonus->Y, top + terror.Height / 2.0 - bonus->Height / 2.0);
      EXPECT_EQ(bonus->Z(), 450);
      bonus->Dead();
      ++balloons;
    }
    Step();
  }
  // With a 30 % chance per kill at level 1, 200 kills leave balloons.
  EXPECT_GT(balloons, 0);
}

}  // namespace
