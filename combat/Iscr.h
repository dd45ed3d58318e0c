#pragma once

#include <cstdint>

#include "battlefield/GameSprite.h"

// A one-shot effect drawn at 1 / Scale; when any effect ends, every effect on the field ends.
class TIscr : public TGameSprite {
 public:
  uint8_t LastFrame = 0;
  double Scale = 0.0;

  void Draw() override;
  void Move(int32_t moveCount) override;

 protected:
  explicit TIscr(TMainForm& form) : TGameSprite(form) {}
  // Picture, size, one-shot animation at speed, PixelCheck.
  void Setup(const char* picture, double speed);
};

// A bullet spark on metal, top-left at the shot point.
class TPopal : public TIscr {
 public:
  TPopal(TMainForm& form, int32_t x, int32_t y);
};

// The explosion of a vehicle.
class TGotov : public TIscr {
 public:
  TGotov(TMainForm& form, double left, double top);
};
