#pragma once

#include "battlefield/GameSprite.h"

// The air strike's rocket: glides down and destroys every vehicle on the field.
class Roket_ : public TGameSprite {
 public:
  bool FlyingRight = false;

  Roket_(TMainForm& form, double x, double y, bool right);
  void Move(int32_t moveCount) override;
};
