#pragma once

#include "platform/Platform.h"

// The platform in a web page: SDL2's browser backend draws into the page's canvas and plays
// through Web Audio, libxmp plays the music, the page's XMLHttpRequest talks to the server that
// sent the page, and addresses open in new tabs. Raises std::runtime_error when SDL cannot start.
TPlatform CreateWebPlatform();
