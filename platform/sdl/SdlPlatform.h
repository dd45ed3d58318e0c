#pragma once

#include "platform/Platform.h"

// The real platform: SDL2 window, display, input, clock, desktop and message box, with the SDL
// audio output, the libxmp music library and the libcurl HTTP transport. The window stays hidden
// until the display first starts. Raises std::runtime_error when SDL cannot start.
TPlatform CreateSdlPlatform();
