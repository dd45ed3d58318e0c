#pragma once

#include <cstdint>
#include <vector>

#include "engine/Sprite.h"
#include "platform/Rect.h"

class TPictureCollectionItem;

// A map of picture frames, optionally repeated over the whole surface: the game's full-screen
// pictures are 1 x 1 tiled maps.
class TBackgroundSprite : public TSprite {
 public:
  TBackgroundSprite();

  TPictureCollectionItem* Image = nullptr;
  // The map repeats without end in both directions.
  bool Tile = false;

  int32_t MapWidth() const { return FMapWidth; }
  int32_t MapHeight() const { return FMapHeight; }
  // Re-creates the map with frame 0 in every cell; a size not above 0 empties it.
  void SetMapSize(int32_t width, int32_t height);
  // The frame of cell (column, row); negative cells are empty. Cells outside the map read as -1
  // and ignore writes.
  int32_t Map(int32_t column, int32_t row) const;
  void SetMap(int32_t column, int32_t row, int32_t frame);

  void Draw() override;
  TRect GetBounds() const override;

 private:
  int32_t FMapWidth = 0;
  int32_t FMapHeight = 0;
  std::vector<int32_t> FMap;
};
