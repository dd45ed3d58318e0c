#pragma once

#include <cstdint>

#include "battlefield/GameSprite.h"

// The sprites of a level's intro, removed together when play begins.
class TBegin : public TGameSprite {
 protected:
  explicit TBegin(TMainForm& form) : TGameSprite(form) {}
};

// The LEVEL banner that slides in from the left.
class Word_Level_begin : public TBegin {
 public:
  explicit Word_Level_begin(TMainForm& form);
  void Move(int32_t moveCount) override;
};

// The FIGHT word; when it has played through, Timer1 ends the intro.
class TFight : public TBegin {
 public:
  uint8_t LastFrame = 0;

  explicit TFight(TMainForm& form);
  void Move(int32_t moveCount) override;
};

// The LEVEL label of the counters.
class Level : public TGameSprite {
 public:
  Level(TMainForm& form, double x, double y);
};
