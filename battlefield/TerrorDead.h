#pragma once

#include <cstdint>

#include "combat/Iscr.h"

// A fallen foot terrorist: plays its fall once and goes with the next ending effect.
class TTerror_Dead : public TIscr {
 public:
  TTerror_Dead(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z);
};
