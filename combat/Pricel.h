#pragma once

#include "battlefield/GameSprite.h"

// The animated sight of the menus.
class Pricel : public TGameSprite {
 public:
  explicit Pricel(TMainForm& form);
  void Move(int32_t moveCount) override;
};

// The plain sight of the battlefield; stays above the weapon's strip.
class Pricel_prosto : public TGameSprite {
 public:
  explicit Pricel_prosto(TMainForm& form);
  void Move(int32_t moveCount) override;
};
