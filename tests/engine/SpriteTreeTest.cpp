#include <gtest/gtest.h>

#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"

namespace {

TEST(SpriteTree, EqualZDrawsNewestFirst) {
  TSpriteEngine engine;
  TSprite& a = CreateSprite<TSprite>(engine);
  TSprite& b = CreateSprite<TSprite>(engine);
  TSprite& c = CreateSprite<TSprite>(engine);
  a.SetZ(5);
  b.SetZ(5);
  c.SetZ(5);
  EXPECT_EQ(engine.SpriteCount, 3);
  EXPECT_EQ(&engine.Items(0), &a);
}

}  // namespace
