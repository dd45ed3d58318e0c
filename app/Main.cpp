#include <cstdio>
#include <exception>

#include "BuildConfig.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "platform/sdl/SdlPlatform.h"

int main(int argc, char** argv) {
  TCommandLine commandLine;
  if (!commandLine.Parse(argc, argv)) {
    std::fprintf(stderr, "zarvok: %s\n%s", commandLine.Error().c_str(), commandLine.Usage().c_str());
    return 2;
  }
  const TCommandLineOptions& options = commandLine.Options();
  if (options.Help) {
    std::fputs(commandLine.Usage().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("zarvok %s\n", ZarvokVersion);
    return 0;
  }
  try {
    TPlatform platform = CreateSdlPlatform();
    return RunGame(platform, options);
  } catch (const std::exception& error) {
    // No window could be made: there is nothing to show a message box on.
    std::fprintf(stderr, "Zarvok: %s\n", error.what());
    return 1;
  }
}
