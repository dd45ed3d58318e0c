#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "battlefield/Begin.h"
#include "battlefield/FieldFixture.h"
#include "combat/Cifra.h"

namespace {

// What a counter sprite shows: its picture's name and where.
struct TShown {
  std::string Picture;
  double X, Y;
};

class CountersTest : public TFieldTest {
 protected:
  void SetUp() override {
    TFieldTest::SetUp();
    Form().LevelCountdown = 29;
    Form().LevelNumber = 1;
  }
  std::string NameOf(const TImageSprite& sprite) {
    for (const char* prefix : {"cifra", "Health_", "Lifes_", "level", "odinoch", "ochered"}) {
      for (const std::string& suffix : {std::string(), std::string("percent"), std::string("0"),
                                        std::string("1"), std::string("2"), std::string("3"),
                                        std::string("4"), std::string("5"), std::string("6"),
                                        std::string("7"), std::string("8"), std::string("9")}) {
        const std::string name = prefix + suffix;
        try {
          if (sprite.Image == &Picture(name)) return name;
        } catch (const std::exception&) {
        }
      }
    }
    return "?";
  }
  template <class T>
  std::vector<TShown> Shown(double y = -1) {
    Form().RebuildCounters();
    Form().Engine().FreeDead();
    std::vector<TShown> shown;
    for (T* sprite : All<T>())
      if (y < 0 || sprite->Y == y) shown.push_back({NameOf(*sprite), sprite->X, sprite->Y});
    std::sort(shown.begin(), shown.end(), [](const TShown& a, const TShown& b) { return a.X < b.X; });
    return shown;
  }
  static std::vector<std::string> Names(const std::vector<TShown>& shown) {
    std::vector<std::string> names;
    for (const TShown& s : shown) names.push_back(s.Picture);
    return names;
  }
  double W(const std::string& name) { return Picture(name).Width(); }
};

TEST_F(CountersTest, TheCountdownShowsMinutesAndSeconds) {
  Form().LevelCountdown = 89;
  auto digits = Shown<Cifra>(8);
  ASSERT_EQ(Names(digits), (std::vector<std::string>{"cifra0", "cifra1", "cifra2", "cifra9"}));
  EXPECT_DOUBLE_EQ(digits[0].X, 90 - W("cifra0") - W("cifra1"));
  EXPECT_DOUBLE_EQ(digits[1].X, 90 - W("cifra1"));
  EXPECT_DOUBLE_EQ(digits[2].X, 110);
  EXPECT_DOUBLE_EQ(digits[3].X, 110 + W("cifra2"));

  Form().LevelCountdown = 29;
  EXPECT_EQ(Names(Shown<Cifra>(8)), (std::vector<std::string>{"cifra0", "cifra0", "cifra2", "cifra9"}));
  Form().LevelCountdown = -1;
  EXPECT_TRUE(Shown<Cifra>(8).empty());
  EXPECT_EQ(Live<Patrontag>(), 1);
}

struct THealthCase {
  int32_t Health;
  std::vector<std::string> Pictures;
};

class HealthTest : public CountersTest, public ::testing::WithParamInterface<THealthCase> {};

TEST_P(HealthTest, DigitsThenPercentFromX90) {
  Form().Health = GetParam().Health;
  auto shown = Shown<Cifra_Health>();
  EXPECT_EQ(Names(shown), GetParam().Pictures);
  double pen = 90;
  for (const TShown& s : shown) {
    EXPECT_DOUBLE_EQ(s.X, pen);
    EXPECT_EQ(s.Y, 550);
    pen += W(s.Picture);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HealthTest,
                         ::testing::Values(THealthCase{100, {"Health_1", "Health_0", "Health_0", "Health_percent"}},
                                           THealthCase{7, {"Health_7", "Health_percent"}},
                                           THealthCase{50, {"Health_5", "Health_0", "Health_percent"}},
                                           THealthCase{99, {"Health_9", "Health_9", "Health_percent"}}),
                         [](const auto& info) { return "Health" + std::to_string(info.param.Health); });

TEST_F(CountersTest, LivesAreShownCentredOnX43) {
  for (int32_t lives : {1, 2, 3}) {
    Form().Lives = lives;
    auto shown = Shown<Cifra_Lifes>();
    ASSERT_EQ(shown.size(), 1u);
    const std::string name = "Lifes_" + std::to_string(lives);
    EXPECT_EQ(All<Cifra_Lifes>()[0]->Image, &Picture(name));
    EXPECT_DOUBLE_EQ(shown[0].X, 43 - W(name) / 2);
    EXPECT_EQ(shown[0].Y, 538);
  }
  Form().Lives = 0;
  EXPECT_TRUE(Shown<Cifra_Lifes>().empty());
}

TEST_F(CountersTest, Level12IsCentredOnX700WithItsLabel) {
  Form().LevelNumber = 12;
  auto digits = Shown<Cifra>(6);
  ASSERT_EQ(Names(digits), (std::vector<std::string>{"cifra1", "cifra2"}));
  const double groupWidth = W("level") + 10 + W("cifra1") + W("cifra2");
  const double left = 700 - groupWidth / 2;
  ASSERT_EQ(Live<Level>(), 1);
  EXPECT_DOUBLE_EQ(All<Level>()[0]->X, left);
  EXPECT_EQ(All<Level>()[0]->Y, 12);
  EXPECT_DOUBLE_EQ(digits[0].X, left + W("level") + 10);
  EXPECT_DOUBLE_EQ(digits[1].X, left + W("level") + 10 + W("cifra1"));
}

TEST_F(CountersTest, AScoreOf0IsOneDigitCentredOnX399) {
  Form().Score = 0;
  auto digits = Shown<Cifra>(12);
  ASSERT_EQ(Names(digits), (std::vector<std::string>{"cifra0"}));
  EXPECT_DOUBLE_EQ(digits[0].X, 399 - W("cifra0") / 2);
}

TEST_F(CountersTest, TheBandolierShowsTheFireMode) {
  EXPECT_EQ(Names(Shown<Patrontag>()), (std::vector<std::string>{"odinoch"}));
  Form().SingleShotMode = false;
  auto shown = Shown<Patrontag>();
  EXPECT_EQ(Names(shown), (std::vector<std::string>{"ochered"}));
  EXPECT_EQ(shown[0].X, 735);
  EXPECT_EQ(shown[0].Y, 543);
}

// Each rebuild replaces the previous set: one set is drawn per frame.
TEST_F(CountersTest, ARebuildLeavesExactlyOneSet) {
  Form().Score = 1234;
  const size_t once = Shown<TImageSprite>().size();
  EXPECT_EQ(Shown<TImageSprite>().size(), once);
}

}  // namespace
