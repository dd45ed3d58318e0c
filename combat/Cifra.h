#pragma once

#include <string>

#include "battlefield/GameSprite.h"

// A digit (or any named picture) drawn at 1 / scale.
class Cifra : public TGameSprite {
 public:
  double Scale = 1.0;

  Cifra(TMainForm& form, double x, double y, double scale, const std::string& picture);
  void Draw() override;
};

// A letter "Bukva_" + text drawn at 1 / scale.
class Bukva : public TGameSprite {
 public:
  double Scale = 1.0;

  Bukva(TMainForm& form, double x, double y, double scale, const std::string& text);
  void Draw() override;
};

// The lives digit, centred on x 43.
class Cifra_Lifes : public TGameSprite {
 public:
  Cifra_Lifes(TMainForm& form, const std::string& text);
};

// A digit or the percent sign of the health.
class Cifra_Health : public TGameSprite {
 public:
  Cifra_Health(TMainForm& form, double x, double y, const std::string& text);
};

// The blinking separator of the countdown, centred on x 100.
class Cifra_prefix : public TGameSprite {
 public:
  explicit Cifra_prefix(TMainForm& form);
};

// The bandolier that shows the fire mode.
class Patrontag : public TGameSprite {
 public:
  explicit Patrontag(TMainForm& form);
};
