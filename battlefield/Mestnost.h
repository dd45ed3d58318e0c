#pragma once

#include <cstdint>
#include <string>

#include "battlefield/GameSprite.h"

// A piece of scenery: stands still and hides whoever is behind its bottom edge.
class TMestnost : public TGameSprite {
 public:
  TMestnost(TMainForm& form, const std::string& picture, double x, double y, int32_t z);
};
