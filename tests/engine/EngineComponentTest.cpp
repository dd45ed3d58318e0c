#include <gtest/gtest.h>

#include "engine/ImageList.h"
#include "engine/ImageSprite.h"
#include "engine/SpriteEngineComponent.h"
#include "platform/Display.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using namespace enginetest;

// The form's three drawing components on a real display over a fake window.
class EngineComponents : public ::testing::Test {
 protected:
  EngineComponents() : Display(Window), Images(Display), Sprites(Display) {
    Images.Items.LoadFromData(WritePictureArchive({SolidPicture("strip", 1250, 100, Red, 100, 100)}));
  }

  TFakeWindow Window;
  TDisplay Display;
  TImageList Images;
  TSpriteEngineComponent Sprites;
};

TEST_F(EngineComponents, TheEngineDrawsOnlyWhileTheDisplayRuns) {
  TSpriteEngine& engine = Sprites.Engine();
  EXPECT_EQ(engine.Surface, nullptr);
  TImageSprite& s = CreateSprite<TImageSprite>(engine);
  s.Width = s.Height = 100;
  Sprites.DrawAll();
  EXPECT_EQ(engine.DrawCount, 0);

  Display.Initialize();
  EXPECT_EQ(engine.Surface, &Display.Surface());
  EXPECT_EQ(engine.SurfaceRect, (TRect{0, 0, 800, 600}));
  EXPECT_EQ(engine.Width, 800);
  EXPECT_EQ(engine.Height, 600);
  s.Image = &Images.Items.Find("strip");
  Sprites.DrawAll();
  EXPECT_EQ(engine.DrawCount, 1);
  EXPECT_EQ(Display.Surface().Pixel(50, 50), TSurface::ColorToPixel(Red));

  Display.Finalize();
  EXPECT_EQ(engine.Surface, nullptr);
  Sprites.DrawAll();
  EXPECT_EQ(engine.DrawCount, 1) << "no pass while stopped";
}

TEST_F(EngineComponents, PicturesAreRebuiltAtEveryStartOfTheDisplay) {
  TPictureCollectionItem& strip = Images.Items.Find("strip");
  EXPECT_FALSE(strip.Initialized());
  Display.Initialize();
  ASSERT_TRUE(strip.Initialized());
  EXPECT_EQ(strip.PatternCount(), 12);
  EXPECT_EQ(strip.Surfaces().size(), 3u);

  // Switching between window and full screen stops and starts the display.
  Display.Finalize();
  EXPECT_FALSE(strip.Initialized());
  EXPECT_TRUE(strip.Surfaces().empty());
  Display.SetFullScreen(true);
  Display.Initialize();
  EXPECT_EQ(&Images.Items.Find("strip"), &strip);
  EXPECT_EQ(strip.PatternCount(), 12);
  EXPECT_EQ(strip.PatternRect(11), (TRect{500, 0, 600, 100}));

  // Loading while the display runs builds at once.
  Images.Items.LoadFromData(WritePictureArchive({SolidPicture("menu", 800, 600, Blue)}));
  EXPECT_EQ(Images.Items.Find("menu").PatternCount(), 1);
  EXPECT_TRUE(Images.Items.Find("menu").Initialized());
}

TEST(EngineComponentsJoiningLate, ComponentsMadeAfterTheStartPickUpTheRunningDisplay) {
  TFakeWindow window;
  TDisplay display(window);
  display.Initialize();
  TImageList images(display);
  TSpriteEngineComponent sprites(display);
  EXPECT_TRUE(images.DeviceInitialized());
  EXPECT_EQ(sprites.Engine().Surface, &display.Surface());
  images.Items.LoadFromData(WritePictureArchive({SolidPicture("p", 4, 4, Red)}));
  EXPECT_TRUE(images.Items.Find("p").Initialized());
}

}  // namespace
