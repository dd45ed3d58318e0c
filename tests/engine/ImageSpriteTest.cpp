#include <gtest/gtest.h>

#include "engine/ImageSprite.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using namespace enginetest;

struct TAnimCase {
  const char* Title;
  int32_t Count;
  bool Looped;
  double Pos, Speed;
  int Moves;
  double ExpectedPos, ExpectedSpeed;
};

TEST(ImageSpriteAnimation, StepsWrapsAndStops) {
  const std::vector<TAnimCase> cases = {
      {"one-shot reaches its last frame on the third move", 4, false, 0, 0.1, 3, 3, 0},
      {"one-shot is still moving after two", 4, false, 0, 0.1, 2, 3.2, 0.1},
      {"one-shot backwards stops at 0", 4, false, 0.5, -0.1, 1, 0, 0},
      {"one-shot without frames rests on 0", 0, false, 0, 0.1, 1, 0, 0},
      {"looped wraps past the end", 4, true, 3.9, 0.01, 1, 0.06, 0.01},
      {"looped wraps below 0 to just under the count", 4, true, 0.05, -0.01, 1, 3.89, -0.01},
      {"looped wraps many turns at once", 4, true, 0, 1, 1, 0, 1},
      {"looped without frames stays at 0", 0, true, 2, 1, 1, 0, 1},
  };
  for (const TAnimCase& c : cases) {
    SCOPED_TRACE(c.Title);
    TImageSprite s;
    s.AnimCount = c.Count;
    s.AnimLooped = c.Looped;
    s.AnimPos = c.Pos;
    s.AnimSpeed = c.Speed;
    for (int i = 0; i < c.Moves; ++i) s.Move(16);
    EXPECT_NEAR(s.AnimPos, c.ExpectedPos, 1e-9);
    EXPECT_DOUBLE_EQ(s.AnimSpeed, c.ExpectedSpeed);
    EXPECT_GE(s.AnimPos, 0);
  }
}

TEST(ImageSpriteAnimation, CurrentFrameTruncatesAndAddsTheStart) {
  TImageSprite s;
  s.AnimStart = 3;
  s.AnimPos = 1.99;
  EXPECT_EQ(s.CurrentFrame(), 4);
}

class ImageSpriteOnSurface : public ::testing::Test {
 protected:
  ImageSpriteOnSurface()
      : Pictures({GridPicture("left", {"##..", "##..", "##..", "##.."}),
                  GridPicture("right", {"..##", "..##", "..##", "..##"}),
                  // Two frames of 2 x 2: an empty one, then a full one.
                  GridPicture("blink", {"..##", "..##"}, 2, 2), SolidPicture("wide", 60, 40, Red)}),
        Surface(100, 100) {
    Engine.SetSurface(&Surface);
  }

  TImageSprite& Make(const std::string& picture, double x, double y) {
    TImageSprite& s = CreateSprite<TImageSprite>(Engine);
    s.Image = &Pictures[picture];
    s.Width = s.Image->Width();
    s.Height = s.Image->Height();
    s.X = x;
    s.Y = y;
    s.PixelCheck = true;
    return s;
  }

  TLoadedPictures Pictures;
  TSurface Surface;
  TSpriteEngine Engine;
};

TEST_F(ImageSpriteOnSurface, DrawRectCentresTheFrameOnTheSpriteSize) {
  struct TCase {
    int32_t Width, Height;
    TRect Expected;
  };
  // The picture is 60 x 40 at 100, 100; halvings round toward zero.
  const std::vector<TCase> cases = {
      {60, 40, {100, 100, 160, 140}},
      {0, 0, {70, 80, 70, 80}},
      {61, 41, {100, 100, 161, 141}},
      {57, 37, {99, 99, 156, 136}},
      {100, 50, {120, 105, 220, 155}},
  };
  TImageSprite& s = Make("wide", 100, 100);
  for (const TCase& c : cases) {
    s.Width = c.Width;
    s.Height = c.Height;
    EXPECT_EQ(s.DrawRect(), c.Expected) << c.Width << "x" << c.Height;
  }
}

TEST_F(ImageSpriteOnSurface, DrawsItsCurrentFrameWithTheKeyLeftOut) {
  Surface.Fill(0x1234);
  TImageSprite& s = Make("blink", 10, 10);
  Engine.DrawAll();
  // Frame 0 is all key colour.
  EXPECT_EQ(Surface.Pixel(10, 10), 0x1234);
  s.AnimPos = 1;
  Engine.DrawAll();
  EXPECT_EQ(Surface.Pixel(10, 10), 0xFFFF);
  EXPECT_EQ(Surface.Pixel(12, 10), 0x1234);
  // A frame past the picture draws nothing, and so does a sprite without picture.
  Surface.Fill(0x1234);
  s.AnimPos = 2;
  Engine.DrawAll();
  s.Image = nullptr;
  Engine.DrawAll();
  EXPECT_EQ(Surface.Pixel(10, 10), 0x1234);
}

struct TPixelCase {
  const char* Title;
  const char* A;
  const char* B;
  double BX, BY;
  bool Collide;
};

TEST_F(ImageSpriteOnSurface, PixelTestComparesOnlyOpaquePixelsOfTheCommonArea) {
  const std::vector<TPixelCase> cases = {
      {"opaque meets transparent only", "left", "left", 2, 0, false},
      {"opaque columns meet", "left", "left", 1, 0, true},
      {"transparent sides face each other", "right", "left", -2, 0, false},
      {"opaque sides face each other", "left", "right", -1, 1, true},
      {"frames apart", "left", "left", 4, 0, false},
      {"frames only touch", "left", "left", 0, 4, false},
      {"corner overlap of opaque", "left", "left", -1, -3, true},
  };
  for (const TPixelCase& c : cases) {
    SCOPED_TRACE(c.Title);
    Engine.Clear();
    TImageSprite& a = Make(c.A, 20, 20);
    TImageSprite& b = Make(c.B, 20 + c.BX, 20 + c.BY);
    EXPECT_EQ(a.Overlaps(b), c.Collide);
    EXPECT_EQ(b.Overlaps(a), c.Collide);
    EXPECT_EQ(a.CheckCollisions(), c.Collide ? 1 : 0);
  }
}

TEST_F(ImageSpriteOnSurface, PixelTestFallsBackToTrueWithoutFramesOrWithoutTheCheck) {
  TImageSprite& a = Make("left", 20, 20);
  TImageSprite& b = Make("left", 22, 20);
  EXPECT_FALSE(a.Overlaps(b));
  a.PixelCheck = false;
  EXPECT_TRUE(a.Overlaps(b));
  // One side without the check is still tested by the other in a pass.
  EXPECT_EQ(a.CheckCollisions(), 0);

  a.PixelCheck = true;
  b.AnimPos = 5;  // no such frame: the rectangles decide, and B's is empty
  EXPECT_FALSE(a.Overlaps(b));
  TImageSprite& blank = Make("left", 20, 20);
  blank.Image = nullptr;
  blank.Width = blank.Height = 4;
  EXPECT_FALSE(a.Overlaps(blank));  // no frame rectangle to overlap

  TSprite plain;
  EXPECT_TRUE(a.Overlaps(plain));
}

TEST_F(ImageSpriteOnSurface, PixelTestUsesTheCurrentFrame) {
  TImageSprite& a = Make("blink", 20, 20);
  TImageSprite& b = Make("blink", 21, 21);
  b.AnimPos = 1;
  EXPECT_FALSE(a.Overlaps(b));
  a.AnimPos = 1;
  EXPECT_TRUE(a.Overlaps(b));
}

}  // namespace
