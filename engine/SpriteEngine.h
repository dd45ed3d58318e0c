#pragma once

#include <cstdint>
#include <vector>

#include "engine/Sprite.h"
#include "platform/Rect.h"

class TSurface;

// The root of the sprite tree: counts the sprites, keeps the dead list and the state of the current
// collision pass, and knows the surface sprites draw on.
class TSpriteEngine : public TSprite {
 public:
  TSpriteEngine() = default;
  ~TSpriteEngine() override;

  // Sprites in the tree at all depths.
  int32_t SpriteCount = 0;
  int32_t CollisionCount = 0;
  bool CollisionDone = false;
  TRect CollisionRect;
  TSprite* CollisionSprite = nullptr;
  // Sprites drawn by the last draw pass.
  int32_t DrawCount = 0;
  // The back buffer; null while the display is not started.
  TSurface* Surface = nullptr;
  TRect SurfaceRect;

  // Sprites marked dead, in the order marked.
  const std::vector<TSprite*>& DeadList() const { return FDeadList; }
  // Frees every dead sprite, the last marked first.
  void FreeDead();
  // Points the engine at a surface (or at none) and takes its size.
  void SetSurface(TSurface* surface);

 private:
  friend class TSprite;
  std::vector<TSprite*> FDeadList;
};
