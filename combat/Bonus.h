#pragma once

#include <cstdint>

#include "battlefield/GameSprite.h"
#include "combat/Iscr.h"

// A rising balloon left by a killed terrorist; shooting it gives its effect.
class TBonus : public TGameSprite {
 public:
  void Move(int32_t moveCount) override;

 protected:
  TBonus(TMainForm& form, const char* picture, double x, double y, int32_t z);
};

class Bomb : public TBonus {
 public:
  Bomb(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "bomb", x, y, z) {}
};

class Med : public TBonus {
 public:
  Med(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "med", x, y, z) {}
};

class Life : public TBonus {
 public:
  Life(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "Life", x, y, z) {}
};

class Dollar : public TBonus {
 public:
  Dollar(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "dollar", x, y, z) {}
};

class Cherep : public TBonus {
 public:
  Cherep(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "Cherep", x, y, z) {}
};

class Artobstrel : public TBonus {
 public:
  Artobstrel(TMainForm& form, double x, double y, int32_t z)
      : TBonus(form, "artobstrel", x, y, z) {}
};

class Ocher : public TBonus {
 public:
  Ocher(TMainForm& form, double x, double y, int32_t z) : TBonus(form, "ocher", x, y, z) {}
};

// The burst of a shot balloon.
class TBonus_Dead : public TIscr {
 public:
  TBonus_Dead(TMainForm& form, double x, double y, int32_t z);
};
