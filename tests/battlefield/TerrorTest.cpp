#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "app/Timer.h"
#include "battlefield/FieldFixture.h"
#include "battlefield/Mestnost.h"
#include "battlefield/Roket.h"

namespace {

using TerrorTest = TFieldTest;

// Many placements: every one inside its band, on its ground line and at its size.
TEST_F(TerrorTest, FootTerroristsArePlacedOnTheNearGround) {
  bool sawSmall = false, sawLarge = false;
  for (int kind = 1; kind <= 4; ++kind) {
    const auto& move = Picture("terror" + std::to_string(kind) + "_move");
    for (int i = 0; i < 150; ++i) {
      TTerror1& t = SpawnFootTerror(Form(), kind);
      ASSERT_GE(t.X, 190);
      ASSERT_LE(t.X, 689 - move.Width());
      ASSERT_GE(t.Z(), 410);
      ASSERT_LE(t.Z(), 519);
      ASSERT_EQ(t.Scale, t.Z() < 466 ? 1.5 : 1.0);
      ASSERT_EQ(t.Y, t.Z() - std::nearbyint(move.Height() / t.Scale));
      ASSERT_EQ(t.Width, move.Width());
      ASSERT_TRUE(t.Walking);
      ASSERT_EQ(t.HitPoints, TerrorTypeTable[static_cast<size_t>(kind)].HitPoints);
      ASSERT_EQ(t.LeftLimit, 190);
      ASSERT_EQ(t.RightLimit, 690);
      if (t.X == 190) {
        ASSERT_EQ(t.Direction, 1);
      }
      sawSmall |= t.Scale == 1.5;
      sawLarge |= t.Scale == 1.0;
      t.Dead();
    }
  }
  EXPECT_TRUE(sawSmall && sawLarge);
  EXPECT_EQ(Form().FootCount, 600);
}

TEST_F(TerrorTest, VehiclesEnterFromBeyondEitherEdgeOnTheFarRoad) {
  for (int kind = 5; kind <= 7; ++kind) {
    const auto& move = Picture("terror" + std::to_string(kind) + "_move");
    bool sawLeft = false, sawRight = false;
    for (int i = 0; i < 60; ++i) {
      TTerror2& t = SpawnVehicle(Form(), kind);
      if (t.X == -move.Width()) {
        sawLeft = true;
        ASSERT_EQ(t.Direction, 1);
      } else {
        sawRight = true;
        ASSERT_EQ(t.X, 800);
        ASSERT_EQ(t.Direction, -1);
      }
      ASSERT_GE(t.Z(), 310);
      ASSERT_LE(t.Z(), 369);
      ASSERT_EQ(t.Y, t.Z() - move.Height());
      ASSERT_EQ(t.LeftLimit, -move.Width());
      ASSERT_EQ(t.RightLimit, 800);
      ASSERT_FALSE(t.CanTurn);
      t.Dead();
    }
    EXPECT_TRUE(sawLeft && sawRight) << "kind " << kind;
  }
  EXPECT_EQ(Form().VehicleCount, 180);
}

TEST_F(TerrorTest, TheHelicopterStartsAtAnEdgeFacingTheField) {
  const auto& move = Picture("terror8_move");
  for (int i = 0; i < 60; ++i) {
    TTerror_Vert& t = SpawnHelicopter(Form());
    if (t.X == 0) {
      ASSERT_EQ(t.Direction, 1);
    } else {
      ASSERT_EQ(t.X, 800 - move.Width());
      ASSERT_EQ(t.Direction, -1);
    }
    ASSERT_GE(t.Y, 65);
    ASSERT_LE(t.Y, 164);
    ASSERT_EQ(t.Z(), move.Height() + t.Y);
    t.Dead();
  }
}

TEST_F(TerrorTest, EachKindStartsItsEngine) {
  SpawnFootTerror(Form(), 1);
  SpawnVehicle(Form(), 5);
  SpawnVehicle(Form(), 6);
  SpawnVehicle(Form(), 7);
  SpawnHelicopter(Form());
  EXPECT_THAT(Sounds(), ::testing::ElementsAre("tank_move", "truc_move", "truc_move", "vert_move"));
}

// Walking left to the end of the band: one move in the fighting picture, then back to the right.
TEST_F(TerrorTest, AFootTerroristTurnsRoundAtTheEndOfItsBand) {
  TTerror1& t = Form().Spawn<TTerror1>(1, 1.0, 192.0, 300.0, 450);
  t.Direction = -1;
  Step();
  EXPECT_EQ(t.X, 191);
  EXPECT_TRUE(t.Walking);
  Step();
  EXPECT_EQ(t.X, 190);
  EXPECT_TRUE(t.Fighting);
  EXPECT_EQ(t.Image, &Picture("terror1_fight"));
  Step();
  EXPECT_TRUE(t.Walking);
  EXPECT_EQ(t.Direction, 1);
  EXPECT_EQ(t.Image, &Picture("terror1_move"));
  Step();
  EXPECT_EQ(t.X, 191);
}

// Away from the band's ends a walker stops only when it is out in the open.
TEST_F(TerrorTest, AHiddenWalkerNeverStopsToFightAwayFromTheEnds) {
  for (bool hidden : {true, false}) {
    Form().Engine().Clear();
    TTerror1& t = Form().Spawn<TTerror1>(1, 1.0, 400.0, 300.0, 450);
    int stopsInTheOpen = 0;
    for (int move = 0; move < 3000; ++move) {
      // A scenery rectangle over the whole field, its bottom below or above the feet.
      t.SceneryLeft = 0;
      t.SceneryTop = 0;
      t.SceneryWidth = 800;
      t.SceneryBottom = hidden ? 460 : 440;
      const bool wasWalking = t.Walking;
      Step();
      ASSERT_EQ(t.Hidden, hidden);
      if (wasWalking && t.Fighting && t.X + t.Width < 690 && t.X > 190) ++stopsInTheOpen;
      if (t.Fighting) t.SwitchMode();  // keep it walking
    }
    if (hidden)
      EXPECT_EQ(stopsInTheOpen, 0);
    else
      EXPECT_GT(stopsInTheOpen, 0);
  }
}

struct THiddenCase {
  const char* Name;
  int32_t Z;
  double X;  // the reference point is X + Width / 2
  bool Hidden;
};

class HiddenTest : public TFieldTest, public ::testing::WithParamInterface<THiddenCase> {};

// A house from x 300 to 400 and y 200 to 450; the walker's reference point sits a third down.
TEST_P(HiddenTest, BehindTheLastSceneryTouched) {
  const THiddenCase& c = GetParam();
  auto& t = Form().Spawn<TProbe<TTerror1>>(1, 1.0, 0.0, 250.0, c.Z);
  t.X = c.X - t.Width / 2.0;
  TMestnost& house = Form().Spawn<TMestnost>(std::string("Scene1_house1"), 300.0, 200.0, 450);
  house.Width = 100;
  house.Height = 250;
  bool done = false;
  t.Collide(house, done);
  EXPECT_EQ(t.SceneryContacts, 1);
  t.HiddenTest();
  EXPECT_EQ(t.Hidden, c.Hidden);
  EXPECT_EQ(t.SceneryContacts, c.Hidden ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, HiddenTest,
                         ::testing::Values(THiddenCase{"Behind", 449, 350, true},
                                           THiddenCase{"AtTheBottom", 450, 350, false},
                                           THiddenCase{"InFront", 470, 350, false},
                                           THiddenCase{"LeftEdgeInside", 449, 300, true},
                                           THiddenCase{"RightEdgeOutside", 449, 400, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TerrorTest, OnlyTheFirstSceneryContactIsRecorded) {
  TTerror1& t = Form().Spawn<TTerror1>(1, 1.0, 300.0, 300.0, 450);
  TMestnost& first = Form().Spawn<TMestnost>(std::string("Scene1_stone"), 230.0, 421.0, 500);
  TMestnost& second = Form().Spawn<TMestnost>(std::string("Scene1_bochka"), 602.0, 394.0, 500);
  bool done = false;
  t.Collide(first, done);
  t.Collide(second, done);
  EXPECT_EQ(t.SceneryLeft, 230);
  EXPECT_EQ(t.SceneryTop, 421);
  EXPECT_EQ(t.SceneryBottom, 421 + first.Height);
  EXPECT_EQ(t.SceneryWidth, first.Width);
  EXPECT_EQ(t.SceneryContacts, 2);
  EXPECT_FALSE(done);
}

struct TFireCase {
  const char* Name;
  int32_t Kind;
  double AnimPos;
  bool Armed;
  int32_t Health, Lives;
  int32_t ExpectHealth, ExpectLives;
  bool ExpectArmed, ExpectLifeLost, ExpectGameOver;
  std::vector<std::string> ExpectSounds;
};

class FireTest : public TFieldTest, public ::testing::WithParamInterface<TFireCase> {};

// Damage is taken once per cycle: the firing frame hits only after the animation left it.
TEST_P(FireTest, FiringFrameAndDamage) {
  const TFireCase& c = GetParam();
  Form().Health = c.Health;
  Form().Lives = c.Lives;
  Form().TimerLevel->SetEnabled(true);
  TTerror* t = nullptr;
  if (c.Kind <= 4)
    t = &Form().Spawn<TProbe<TTerror1>>(c.Kind, 1.0, 300.0, 300.0, 450);
  else
    t = &Form().Spawn<TProbe<TTerror2>>(c.Kind, 1.0, 300.0, 300.0, 350);
  Harness.ClearSounds();
  t->AnimPos = c.AnimPos;
  t->Armed = c.Armed;
  if (c.Kind <= 4)
    static_cast<TProbe<TTerror1>*>(t)->FireStep();
  else
    static_cast<TProbe<TTerror2>*>(t)->FireStep();
  EXPECT_EQ(Form().Health, c.ExpectHealth);
  EXPECT_EQ(Form().Lives, c.ExpectLives);
  EXPECT_EQ(t->Armed, c.ExpectArmed);
  EXPECT_EQ(Form().LifeLost, c.ExpectLifeLost);
  EXPECT_EQ(Form().GameOverPending, c.ExpectGameOver);
  EXPECT_EQ(Form().TimerLevel->Enabled(), !c.ExpectGameOver);
  EXPECT_EQ(Sounds(), c.ExpectSounds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FireTest,
    ::testing::Values(
        TFireCase{"FootArmsAwayFromFrame0", 1, 0.51, false, 100, 3, 100, 3, true, false, false, {}},
        TFireCase{"FootFiresOnFrame0", 1, 0.5, true, 100, 3, 99, 3, false, false, false, {"1"}},
        TFireCase{"FootUnarmedOnFrame0", 1, 0.2, false, 100, 3, 100, 3, false, false, false, {}},
        TFireCase{"Kind3TakesTheLastHealth", 3, 0.0, true, 3, 2, 100, 1, false, true, false, {"5"}},
        TFireCase{"Kind3TakesTheLastLife", 3, 0.0, true, 3, 1, 100, 0, false, true, true, {"5"}},
        TFireCase{"TankFiresOnFrame1", 5, 1.4, true, 100, 3, 94, 3, false, false, false, {"7", "14"}},
        TFireCase{"TankArmsOnFrame0", 5, 0.4, false, 100, 3, 100, 3, true, false, false, {}},
        TFireCase{"TruckFiresOnFrame1", 6, 0.6, true, 100, 3, 92, 3, false, false, false, {"7"}},
        TFireCase{"PickupFiresOnFrame1", 7, 1.0, true, 100, 3, 93, 3, false, false, false, {"1"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// A terrorist killed before its move, by a shot between frames or by the rocket earlier in the
// same move pass, never fires again; the living one beside each case shows that the move would.
enum class TKiller { None, Shot, Rocket };

struct TDeadShooterCase {
  const char* Name;
  int32_t Kind;
  double AnimPos;  // just before the firing frame of the kind
  TKiller Killer;
};

class DeadShooterTest : public TFieldTest, public ::testing::WithParamInterface<TDeadShooterCase> {};

TEST_P(DeadShooterTest, NeverFiresOnItsFiringFrame) {
  const TDeadShooterCase& c = GetParam();
  // The rocket moves first: it is the older sprite.
  if (c.Killer == TKiller::Rocket) Form().Spawn<Roket_>(400.0, 199.0, true);
  TTerror* t = nullptr;
  if (c.Kind <= 4)
    t = &Form().Spawn<TTerror1>(c.Kind, 1.0, 300.0, 300.0, 450);
  else if (c.Kind <= 7)
    t = &Form().Spawn<TTerror2>(c.Kind, 1.0, 300.0, 300.0, 350);
  else
    t = &Form().Spawn<TTerror_Vert>(c.Kind, 1.0, 300.0, 100.0, 400);
  t->SwitchMode();
  ASSERT_TRUE(t->Fighting);
  t->AnimPos = c.AnimPos;
  t->Armed = true;
  t->PhaseTime = 5;
  if (c.Killer == TKiller::Shot) t->Dead();
  // A seed whose first draw lets the fire check pass; the move draws nothing before it.
  do {
    Harness.Clock().Advance(1);
    Form().Randomize();
  } while (Form().Random(10) == 0);
  Form().Randomize();
  Harness.ClearSounds();

  Form().Engine().MoveAll(16);
  if (c.Killer == TKiller::Rocket) {
    ASSERT_TRUE(t->IsDead());
  }
  const int32_t damage = TerrorTypeTable[static_cast<size_t>(c.Kind)].Damage;
  EXPECT_EQ(Form().Health, c.Killer == TKiller::None ? 100 - damage : 100);
  EXPECT_EQ(Form().Lives, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeadShooterTest,
    ::testing::Values(TDeadShooterCase{"FootAlive", 1, 0.3, TKiller::None},
                      TDeadShooterCase{"FootShot", 1, 0.3, TKiller::Shot},
                      TDeadShooterCase{"TruckAlive", 6, 0.9, TKiller::None},
                      TDeadShooterCase{"TruckShot", 6, 0.9, TKiller::Shot},
                      TDeadShooterCase{"TruckRocket", 6, 0.9, TKiller::Rocket},
                      TDeadShooterCase{"HelicopterAlive", 8, 0.3, TKiller::None},
                      TDeadShooterCase{"HelicopterRocket", 8, 0.3, TKiller::Rocket}),
    [](const auto& info) { return std::string(info.param.Name); });

// The tank cannot turn round: it stops, turns to face the player, fights, turns back, drives on.
TEST_F(TerrorTest, TheTankTurnsToFightAndDrivesOnTheSameWay) {
  TTerror2& tank = Form().Spawn<TTerror2>(5, 1.0, 100.0, 300.0, 350);
  ASSERT_EQ(tank.Direction, 1);
  tank.Turning = true;
  const double x = tank.X;
  int moves = 0;
  while (!tank.Fighting && moves < 2000) {
    Step();
    ++moves;
    if (!tank.Fighting) {
      ASSERT_TRUE(tank.Turning);
      ASSERT_EQ(tank.Image, &Picture("terror5_razvorot"));
      ASSERT_EQ(tank.AnimStart, 0);
    }
  }
  ASSERT_TRUE(tank.Fighting);
  EXPECT_EQ(tank.X, x);
  EXPECT_EQ(tank.Image, &Picture("terror5_fight"));

  tank.Turning = true;
  moves = 0;
  while (!tank.Walking && moves < 2000) {
    Step();
    ++moves;
    if (!tank.Walking) {
      ASSERT_EQ(tank.AnimStart, 1);
      ASSERT_EQ(tank.AnimCount, Picture("terror5_razvorot").PatternCount() - 1);
    }
  }
  ASSERT_TRUE(tank.Walking);
  EXPECT_EQ(tank.Direction, 1);
  EXPECT_EQ(tank.X, x);
  Step();
  EXPECT_EQ(tank.X, x + 2);
}

TEST_F(TerrorTest, AVehicleIsRemovedOnceItHasLeftTheField) {
  TTerror2& tank = Form().Spawn<TTerror2>(5, 1.0, 790.0, 300.0, 350);
  tank.Direction = 1;
  Step(4);
  EXPECT_EQ(tank.X, 798);
  EXPECT_EQ(Form().VehicleCount, 1);
  Form().Engine().MoveAll(16);
  EXPECT_TRUE(tank.IsDead());
  EXPECT_EQ(Form().VehicleCount, 0);
}

// A vehicle shot dead just before it leaves is counted off once, not twice.
TEST_F(TerrorTest, AVehicleKilledAtTheEdgeIsCountedOffOnce) {
  TTerror2& truck = Form().Spawn<TTerror2>(7, 1.0, 798.0, 300.0, 350);
  truck.Direction = 1;
  for (int shot = 0; shot < 12; ++shot) Form().ResolveShot(static_cast<int>(truck.X) + 1, 301);
  ASSERT_TRUE(truck.IsDead());
  EXPECT_EQ(Form().VehicleCount, 0);
  Step();
  EXPECT_EQ(Form().VehicleCount, 0);
}

TEST_F(TerrorTest, TheHelicopterBouncesBetweenTheEdgesAndNeverLeaves) {
  Form().Health = 1000000;
  TTerror_Vert& heli = SpawnHelicopter(Form());
  const double right = 800 - heli.Width;
  bool metLeft = false, metRight = false;
  for (int move = 0; move < 20000 && !(metLeft && metRight); ++move) {
    Step();
    ASSERT_FALSE(heli.IsDead());
    ASSERT_GE(heli.X, 0);
    ASSERT_LE(heli.X, right);
    metLeft |= heli.X == 0 && move > 0;
    metRight |= heli.X == right && move > 0;
  }
  EXPECT_TRUE(metLeft && metRight);
}

}  // namespace
