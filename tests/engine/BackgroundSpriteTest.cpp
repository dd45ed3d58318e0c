#include <gtest/gtest.h>

#include <string>

#include "engine/BackgroundSprite.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using namespace enginetest;

constexpr uint16_t RedPixel = TSurface::ColorToPixel(Red);
constexpr uint16_t BluePixel = TSurface::ColorToPixel(Blue);
constexpr uint16_t Untouched = 0x0841;

class BackgroundSpriteTest : public ::testing::Test {
 protected:
  BackgroundSpriteTest()
      : Pictures({// Frame 0 red, frame 1 blue, each 10 x 10.
                  SolidPicture("cells", 20, 10, Red, 10, 10), SolidPicture("Splash Screen", 800, 600, White)}),
        Surface(40, 20) {
    Engine.SetSurface(&Surface);
    Surface.Fill(Untouched);
    for (int x = 10; x < 20; ++x)
      for (int y = 0; y < 10; ++y) Pictures["cells"].Surfaces()[0]->SetPixel(x, y, BluePixel);
  }

  // The colour of each column of the surface's first row: r, b or '-' for untouched.
  std::string FirstRow() const {
    std::string row;
    for (int x = 0; x < Surface.Width(); ++x) {
      const uint16_t p = Surface.Pixel(x, 0);
      row += p == RedPixel ? 'r' : p == BluePixel ? 'b' : '-';
    }
    return row;
  }

  TLoadedPictures Pictures;
  TSurface Surface;
  TSpriteEngine Engine;
};

TEST_F(BackgroundSpriteTest, MapSizeRules) {
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  EXPECT_FALSE(bg.Collidable);
  bg.SetMapSize(2, 3);
  EXPECT_EQ(bg.Map(1, 2), 0);
  bg.SetMap(1, 2, 7);
  bg.SetMapSize(2, 3);  // the same size keeps the cells
  EXPECT_EQ(bg.Map(1, 2), 7);
  bg.SetMapSize(3, 2);
  EXPECT_EQ(bg.Map(1, 1), 0);
  bg.SetMapSize(0, 5);
  EXPECT_EQ(bg.MapWidth(), 0);
  EXPECT_EQ(bg.MapHeight(), 0);
  EXPECT_EQ(bg.Map(0, 0), -1);
  bg.SetMap(0, 0, 3);  // outside the map: ignored
}

TEST_F(BackgroundSpriteTest, BoundsOfTiledAndPlainMaps) {
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  EXPECT_EQ(bg.GetBounds(), TRect{});
  bg.Image = &Pictures["cells"];
  bg.SetMapSize(3, 2);
  bg.X = 5.9;
  bg.Y = -2.5;
  EXPECT_EQ(bg.GetBounds(), (TRect{5, -2, 35, 18}));
  bg.Tile = true;
  EXPECT_EQ(bg.GetBounds(), Surface.ClientRect());
}

TEST_F(BackgroundSpriteTest, PlainMapDrawsItsCellsAndSkipsNegativeOnes) {
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  bg.Image = &Pictures["cells"];
  bg.SetMapSize(3, 1);
  bg.SetMap(0, 0, 1);
  bg.SetMap(1, 0, -1);
  bg.SetMap(2, 0, 0);
  bg.X = 5;
  Engine.DrawAll();
  EXPECT_EQ(FirstRow(), "-----bbbbbbbbbb----------rrrrrrrrrr-----");
}

TEST_F(BackgroundSpriteTest, TiledMapRepeatsFromItsOffsetInBothDirections) {
  struct TCase {
    double X;
    const char* Expected;
  };
  const std::vector<TCase> cases = {
      {0, "rrrrrrrrrrbbbbbbbbbbrrrrrrrrrrbbbbbbbbbb"},
      {-5, "rrrrrbbbbbbbbbbrrrrrrrrrrbbbbbbbbbbrrrrr"},
      {13, "rrrbbbbbbbbbbrrrrrrrrrrbbbbbbbbbbrrrrrrr"},
      {-13, "bbbbbbbrrrrrrrrrrbbbbbbbbbbrrrrrrrrrrbbb"},
      {40, "rrrrrrrrrrbbbbbbbbbbrrrrrrrrrrbbbbbbbbbb"},
  };
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  bg.Image = &Pictures["cells"];
  bg.Tile = true;
  bg.SetMapSize(2, 1);
  bg.SetMap(1, 0, 1);
  for (const TCase& c : cases) {
    Surface.Fill(Untouched);
    bg.X = c.X;
    bg.Y = -3;
    Engine.DrawAll();
    EXPECT_EQ(FirstRow(), c.Expected) << "at x " << c.X;
    EXPECT_EQ(Surface.Pixel(0, 19), Surface.Pixel(0, 0)) << "rows repeat too";
  }
}

TEST_F(BackgroundSpriteTest, FullScreenPictureCoversTheSurface) {
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  bg.Image = &Pictures["splash screen"];
  bg.SetMapSize(1, 1);
  bg.Tile = true;
  bg.SetZ(-1);
  Engine.DrawCount = 0;
  Engine.DrawAll();
  EXPECT_EQ(Engine.DrawCount, 1);
  for (int y = 0; y < Surface.Height(); ++y)
    for (int x = 0; x < Surface.Width(); ++x) ASSERT_EQ(Surface.Pixel(x, y), 0xFFFF);
}

TEST_F(BackgroundSpriteTest, NothingWithoutPictureOrMap) {
  TBackgroundSprite& bg = CreateSprite<TBackgroundSprite>(Engine);
  bg.Tile = true;
  bg.SetMapSize(1, 1);
  Engine.DrawAll();
  bg.Image = &Pictures["cells"];
  bg.SetMapSize(0, 0);
  Engine.DrawAll();
  EXPECT_EQ(FirstRow(), std::string(40, '-'));
}

}  // namespace
