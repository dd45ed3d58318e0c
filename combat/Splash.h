#pragma once

#include <cstdint>

#include "battlefield/GameSprite.h"

// The muzzle flash at the weapon, shown for one frame.
class TSplash : public TGameSprite {
 public:
  explicit TSplash(TMainForm& form);
  void Move(int32_t moveCount) override;
};
