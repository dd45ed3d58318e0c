#include "app/Application.h"
#include "platform/sdl/SdlPlatform.h"

#include <cstdio>
#include <exception>

int main() {
  try {
    TPlatform platform = CreateSdlPlatform();
    return RunGame(platform);
  } catch (const std::exception& error) {
    // No window could be made: there is nothing to show a message box on.
    std::fprintf(stderr, "Zarvok: %s\n", error.what());
    return 1;
  }
}
