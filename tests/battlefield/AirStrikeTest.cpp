#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "battlefield/FieldFixture.h"
#include "battlefield/Plane.h"
#include "battlefield/Roket.h"
#include "combat/Iscr.h"

using ::testing::ElementsAre;

namespace {

using AirStrikeTest = TFieldTest;

// The plane releases its rocket once, on the first move past its threshold.
TEST_F(AirStrikeTest, ThePlaneFiresOnceNearTheFarSideInBothDirections) {
  for (bool right : {false, true}) {
    Form().Engine().Clear();
    Plane& plane = Form().Spawn<Plane>(70.0);
    plane.FlyingRight = right;
    plane.X = right ? -Picture("plane").Width() : 800;
    int moves = 0;
    double planeX = 0;
    while (Live<Roket_>() == 0 && moves < 200) {
      Step();
      ++moves;
      planeX = plane.X;
    }
    ASSERT_EQ(Live<Roket_>(), 1);
    const double start = right ? -Picture("plane").Width() : 800.0;
    const double step = right ? 15 : -15;
    EXPECT_DOUBLE_EQ(planeX, start + step * moves);
    EXPECT_TRUE(right ? planeX > 650 && planeX - 15 <= 650 : planeX < 100 && planeX + 15 >= 100);
    if (!right) {
      EXPECT_EQ(moves, 47);
    }
    const Roket_& rocket = *All<Roket_>()[0];
    EXPECT_DOUBLE_EQ(rocket.X, planeX + 20);
    EXPECT_DOUBLE_EQ(rocket.Y, 90);
    EXPECT_EQ(rocket.FlyingRight, right);
    EXPECT_EQ(rocket.Image, &Picture(right ? "roket_" : "roket"));
    EXPECT_TRUE(plane.RocketFired);
    EXPECT_TRUE(Harness.Played("artobstrel"));
  }
}

TEST_F(AirStrikeTest, ThePlaneGoesOnceItHasFlownOffTheSurface) {
  Plane& plane = Form().Spawn<Plane>(70.0);
  plane.FlyingRight = true;
  plane.X = -Picture("plane").Width();
  int moves = 0;
  while (Live<Plane>() == 1 && moves < 200) {
    Step();
    ++moves;
  }
  EXPECT_EQ(Live<Plane>(), 0);
  EXPECT_GE(-Picture("plane").Width() + 15.0 * moves, 800);
}

TEST_F(AirStrikeTest, TheExplosionDestroysEveryVehicleAndScoresThem) {
  Form().Health = 1000000;
  TTerror& foot = Form().Spawn<TTerror1>(1, 1.0, 300.0, 350.0, 470);
  Form().Spawn<TTerror2>(5, 1.0, 100.0, 250.0, 330);
  Form().Spawn<TTerror2>(6, 1.0, 500.0, 250.0, 340);
  Form().Spawn<TTerror_Vert>(8, 1.0, 300.0, 100.0, 200);
  Form().Spawn<Roket_>(300.0, 199.0, true);
  Harness.ClearSounds();
  Step();
  EXPECT_EQ(Form().Score, 50 + 80 + 100);
  EXPECT_EQ(Form().VehicleCount, 0);
  EXPECT_EQ(Form().FootCount, 1);
  EXPECT_FALSE(foot.IsDead());
  EXPECT_EQ(Live<TTerror2>() + Live<TTerror_Vert>(), 0);
  EXPECT_EQ(Live<TGotov>(), 3);
  EXPECT_EQ(Live<Roket_>(), 0);
  std::vector<std::string> blasts;
  for (const std::string& s : Sounds())
    if (s == "15" || s == "8") blasts.push_back(s);
  EXPECT_THAT(blasts, ElementsAre("15", "8", "8"));
}

TEST_F(AirStrikeTest, WithOnlyFootTerroristsTheRocketJustGoes) {
  TTerror& foot = Form().Spawn<TTerror1>(1, 1.0, 300.0, 350.0, 470);
  Form().Spawn<Roket_>(300.0, 199.0, false);
  Step();
  EXPECT_EQ(Form().Score, 0);
  EXPECT_FALSE(foot.IsDead());
  EXPECT_EQ(Live<Roket_>(), 0);
  EXPECT_EQ(Live<TGotov>(), 0);
}

// The explosion removes the first rocket in the list; the later one explodes again next move.
TEST_F(AirStrikeTest, TwoRocketsWhenTheLaterOneComesDownFirst) {
  Roket_& earlier = Form().Spawn<Roket_>(100.0, 150.0, true);
  Roket_& later = Form().Spawn<Roket_>(600.0, 199.0, false);
  Form().Engine().MoveAll(16);
  EXPECT_TRUE(earlier.IsDead());
  EXPECT_FALSE(later.IsDead());
  Form().Engine().FreeDead();
  Form().Spawn<TTerror2>(6, 1.0, 500.0, 250.0, 340);
  Step();
  EXPECT_EQ(Live<Roket_>(), 0);
  EXPECT_EQ(Form().Score, 80);
}

// A vehicle shot dead in the same frame scores once, not again under the rocket.
TEST_F(AirStrikeTest, AVehicleAlreadyKilledIsNotScoredAgain) {
  TTerror& truck = Form().Spawn<TTerror2>(7, 1.0, 300.0, 250.0, 340);
  for (int shot = 0; shot < 12; ++shot) Form().ResolveShot(310, 260);
  ASSERT_TRUE(truck.IsDead());
  ASSERT_EQ(Form().Score, 30);
  Form().Spawn<Roket_>(300.0, 199.0, true);
  Step();
  EXPECT_EQ(Form().Score, 30);
  EXPECT_EQ(Live<TGotov>(), 1);
}

}  // namespace
