#pragma once

#include "battlefield/GameSprite.h"

// The player's weapon at the bottom of the screen: turns to the pointer, recoils and flashes.
class TPlayerSprite : public TGameSprite {
 public:
  explicit TPlayerSprite(TMainForm& form);
  void Draw() override;
  void Move(int32_t moveCount) override;
  // The pose (0 far left .. 5 far right) for a pointer x; the flash uses the same sectors.
  static int32_t PoseFor(int32_t pointerX);
};
