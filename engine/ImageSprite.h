#pragma once

#include <cstdint>

#include "engine/Sprite.h"
#include "platform/Rect.h"

class TPictureCollectionItem;

// A sprite that shows one frame of a picture and steps through its frames; every game object is one.
class TImageSprite : public TSprite {
 public:
  int32_t AnimCount = 0;
  bool AnimLooped = false;
  // Position in frames, counted from AnimStart.
  double AnimPos = 0;
  // Frames per unit of moveCount.
  double AnimSpeed = 0;
  int32_t AnimStart = 0;
  // Owned by the picture library.
  TPictureCollectionItem* Image = nullptr;
  // Overlaps compares opaque pixels instead of answering true.
  bool PixelCheck = false;

  int32_t CurrentFrame() const;
  // Where the frame is drawn: the bounds, moved so the frame is centred on the sprite's size.
  TRect DrawRect() const;

  void Draw() override;
  void Move(int32_t moveCount) override;
  bool Overlaps(TSprite& other) override;
};
