#include <gtest/gtest.h>

#include <vector>

#include "battlefield/Begin.h"
#include "battlefield/FieldFixture.h"
#include "battlefield/Mestnost.h"
#include "combat/Bonus.h"
#include "engine/BackgroundSprite.h"

namespace {

struct TPlace {
  const char* Picture;
  int X, Y;
};

struct TSceneCase {
  int Number;
  std::vector<TPlace> Scenery;
};

class SceneTest : public TFieldTest, public ::testing::WithParamInterface<TSceneCase> {};

TEST_P(SceneTest, LaysOutItsSceneryInDepthOrder) {
  const TSceneCase& c = GetParam();
  Form().Spawn<TTerror1>(1, 1.0, 300.0, 300.0, 450);
  Form().Spawn<Med>(300.0, 300.0, 450);
  Form().LevelIntro = false;
  Form().BannerArrived = true;
  Form().BuildScene(c.Number);

  EXPECT_EQ(Form().SceneNumber, c.Number);
  EXPECT_EQ(Form().FootCount, 0);
  EXPECT_EQ(Form().VehicleCount, 0);
  EXPECT_FALSE(Form().BannerArrived);
  TSpriteEngine& engine = Form().Engine();
  ASSERT_EQ(engine.Count(), static_cast<int32_t>(c.Scenery.size()) + 1);
  auto* background = dynamic_cast<TBackgroundSprite*>(&engine.Items(0));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->Image, &Picture("Scene" + std::to_string(c.Number)));
  EXPECT_EQ(background->Z(), -1);
  EXPECT_TRUE(background->Tile);
  for (size_t i = 0; i < c.Scenery.size(); ++i) {
    auto* piece = dynamic_cast<TMestnost*>(&engine.Items(static_cast<int32_t>(i) + 1));
    ASSERT_NE(piece, nullptr);
    const auto& picture = Picture(c.Scenery[i].Picture);
    EXPECT_EQ(piece->Image, &picture) << c.Scenery[i].Picture;
    EXPECT_EQ(piece->X, c.Scenery[i].X);
    EXPECT_EQ(piece->Y, c.Scenery[i].Y);
    EXPECT_EQ(piece->Z(), c.Scenery[i].Y + picture.Height());
    EXPECT_EQ(piece->Width, picture.Width());
    EXPECT_TRUE(piece->PixelCheck);
    EXPECT_LE(piece->X + piece->Width, 800) << c.Scenery[i].Picture << " sticks out";
    EXPECT_LE(piece->Y + piece->Height, 600) << c.Scenery[i].Picture << " sticks out";
  }

  Form().LevelIntro = true;
  Form().BuildScene(c.Number);
  EXPECT_EQ(Live<Word_Level_begin>(), 1);
  EXPECT_EQ(Form().Engine().Count(), static_cast<int32_t>(c.Scenery.size()) + 2);
}

INSTANTIATE_TEST_SUITE_P(
    AllScenes, SceneTest,
    ::testing::Values(
        TSceneCase{1,
                   {{"Scene1_stone", 230, 421}, {"Scene1_bochka", 602, 394}, {"Scene1_kolodez", 490, 437},
                    {"Scene1_tank", 357, 318}, {"Scene1_house1", 0, 297}, {"Scene1_house2", 689, 302},
                    {"Scene1_palma", 29, 175}}},
        TSceneCase{2,
                   {{"Scene2_palma", 505, 103}, {"Scene2_plane", 1, 267}, {"Scene2_kolodez", 410, 457},
                    {"Scene2_vert", 323, 286}, {"Scene2_house1", 638, 313}, {"Scene2_house2", 0, 155}}},
        TSceneCase{3,
                   {{"Scene3_palma", 356, 176}, {"Scene3_gruzovic", 0, 298}, {"Scene3_kolodez", 0, 437},
                    {"Scene3_bochka", 493, 418}, {"Scene3_bochki", 594, 409}, {"Scene3_trava", 275, 412},
                    {"Scene3_house1", 569, 142}}},
        TSceneCase{4,
                   {{"Scene4_palma1", 568, 113}, {"Scene4_tarelka", 0, 259}, {"Scene4_bochka1", 81, 401},
                    {"Scene4_bochka2", 331, 383}, {"Scene4_bochka3", 471, 370}, {"Scene4_pushka1", 627, 398},
                    {"Scene4_pushka2", 590, 304}, {"Scene4_trava1", 0, 357}, {"Scene4_trava2", 583, 390}}}),
    [](const auto& info) { return "Scene" + std::to_string(info.param.Number); });

// A shot where only scenery is drawn is a miss.
TEST_F(TFieldTest, AShotAtSceneryAloneIsAMiss) {
  Form().BuildScene(2);
  const auto& well = Picture("Scene2_kolodez");
  Harness.ClearSounds();
  Form().ResolveShot(410 + well.Width() / 2, 457 + well.Height() / 2);
  EXPECT_EQ(Sounds(), (std::vector<std::string>{"1", "2"}));
}

}  // namespace
