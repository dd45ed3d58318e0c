#pragma once

#include "battlefield/GameSprite.h"

// The air strike's plane: crosses the sky and drops one rocket near the far side.
class Plane : public TGameSprite {
 public:
  bool FlyingRight = false;
  bool RocketFired = false;

  Plane(TMainForm& form, double y);
  void Move(int32_t moveCount) override;
};
