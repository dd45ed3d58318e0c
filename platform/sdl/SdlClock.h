#pragma once

#include <SDL.h>

#include "platform/Platform.h"

// SDL's 32-bit millisecond tick, wrapping after 49 days like the game expects.
class TSdlClock : public TClock {
 public:
  uint32_t Milliseconds() const override { return SDL_GetTicks(); }
  void Sleep(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};
