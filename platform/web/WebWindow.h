#pragma once

#include "platform/sdl/SdlWindow.h"

// The game's window in a page: SDL's canvas at 800 x 600, which the page scales and letterboxes,
// so pointer positions stay in surface pixels. Each shown frame is reported to the page, which
// measures the frame rhythm from it.
class TWebWindow : public TSdlWindow {
 public:
  TWebWindow();
  void Present(const TSurface& frame) override;
};
