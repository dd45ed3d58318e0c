#include "engine/SpriteEngine.h"

#include "platform/Surface.h"

// The children must go while the engine they count themselves in still exists.
TSpriteEngine::~TSpriteEngine() { Clear(); }

void TSpriteEngine::FreeDead() {
  // Freeing a sprite takes it and any dead descendants off the list.
  while (!FDeadList.empty()) {
    TSprite& sprite = *FDeadList.back();
    sprite.FParent->Free(sprite);
  }
}

void TSpriteEngine::SetSurface(TSurface* surface) {
  Surface = surface;
  if (surface != nullptr) {
    SurfaceRect = surface->ClientRect();
    Width = SurfaceRect.Width();
    Height = SurfaceRect.Height();
  }
}
