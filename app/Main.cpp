#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "BuildConfig.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/GamePaths.h"
#include "app/ReplayPlayer.h"
#include "platform/replay/RecordingPlatform.h"
#include "platform/replay/ReplayRecorder.h"
#include "platform/sdl/SdlPlaces.h"
#include "platform/sdl/SdlPlatform.h"

namespace {

TReplay LoadReplay(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EReplayError("cannot open " + path);
  std::string bytes;
  // One byte more than allowed is enough to refuse an oversized file.
  bytes.resize(MaxReplayBytes + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return ReadReplay(bytes);
}

// Plays the replay headless and prints what it reached; 0 when it matches its header.
int Verify(const TReplay& replay, const TGamePaths& paths) {
  const TReplayHeader me = GameIdentity(paths.DataFolder());
  const std::string problem =
      ReplayIdentityProblem(replay.Header, me.GameVersion, me.PictureChecksum, me.SoundChecksum);
  if (!problem.empty()) {
    std::printf("refused: %s\n", problem.c_str());
    return 2;
  }
  const TReplayOutcome outcome = VerifyReplay(replay, paths);
  std::printf("score %d level %d game time %.1f s\n", outcome.Score, outcome.Level, outcome.GameMs / 1000.0);
  std::printf("header score %d level %d: %s\n", replay.Header.FinalScore, replay.Header.FinalLevel,
              outcome.Matches ? "matches" : ("does not match (" + outcome.Reason + ")").c_str());
  return outcome.Matches ? 0 : 1;
}

}  // namespace

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
  if (options.Verify && options.ReplayFile.empty()) {
    std::fprintf(stderr, "zarvok: --verify needs --replay FILE\n");
    return 2;
  }
  TReplay replay;
  try {
    if (!options.ReplayFile.empty()) replay = LoadReplay(options.ReplayFile);
  } catch (const EReplayError& error) {
    std::fprintf(stderr, "zarvok: %s: %s\n", options.ReplayFile.c_str(), error.what());
    return 2;
  }
  try {
    if (options.Verify) {
      // Headless: no window, no sound device, no SDL beyond the places.
      const TSdlPlaces places;
      return Verify(replay, TGamePaths::Resolve(options, places));
    }
    TPlatform platform = CreateSdlPlatform();
    if (!options.ReplayFile.empty()) {
      const TGamePaths paths = platform.Places ? TGamePaths::Resolve(options, *platform.Places) : TGamePaths();
      const TReplayOutcome outcome = WatchReplay(platform, replay, paths);
      if (outcome.Stopped) return 0;
      std::printf("score %d level %d: %s\n", outcome.Score, outcome.Level,
                  outcome.Matches ? "matches" : ("does not match (" + outcome.Reason + ")").c_str());
      return outcome.Matches ? 0 : 1;
    }
    RecordPlatform(platform);
    const TGamePaths paths = platform.Places ? TGamePaths::Resolve(options, *platform.Places) : TGamePaths();
    const TReplayHeader me = GameIdentity(paths.DataFolder());
    platform.Recorder->SetIdentity(me.GameVersion, me.PictureChecksum, me.SoundChecksum);
    return RunGame(platform, options);
  } catch (const std::exception& error) {
    // No window could be made: there is nothing to show a message box on.
    std::fprintf(stderr, "Zarvok: %s\n", error.what());
    return 1;
  }
}
