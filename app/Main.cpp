#include "app/Application.h"
#include "app/ReplayPlayer.h"
#include "platform/replay/RecordingPlatform.h"
#include "platform/replay/ReplayRecorder.h"
#include "platform/sdl/SdlPlatform.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

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
int Verify(const std::string& path) {
  const TReplay replay = LoadReplay(path);
  const TReplayHeader me = GameIdentity();
  const std::string problem =
      ReplayIdentityProblem(replay.Header, me.GameVersion, me.PictureChecksum, me.SoundChecksum);
  if (!problem.empty()) {
    std::printf("refused: %s\n", problem.c_str());
    return 2;
  }
  const TReplayOutcome outcome = VerifyReplay(replay);
  std::printf("score %d level %d game time %.1f s\n", outcome.Score, outcome.Level, outcome.GameMs / 1000.0);
  std::printf("header score %d level %d: %s\n", replay.Header.FinalScore, replay.Header.FinalLevel,
              outcome.Matches ? "matches" : ("does not match (" + outcome.Reason + ")").c_str());
  return outcome.Matches ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string replayPath;
  bool verify = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--replay") == 0 && i + 1 < argc) {
      replayPath = argv[++i];
    } else if (std::strcmp(argv[i], "--verify") == 0) {
      verify = true;
    } else {
      std::fprintf(stderr, "usage: zarvok [--replay FILE [--verify]]\n");
      return 2;
    }
  }
  try {
    if (verify && replayPath.empty()) {
      std::fprintf(stderr, "Zarvok: --verify needs --replay FILE\n");
      return 2;
    }
    if (verify) return Verify(replayPath);
    const TReplay replay = replayPath.empty() ? TReplay{} : LoadReplay(replayPath);
    TPlatform platform = CreateSdlPlatform();
    if (!replayPath.empty()) {
      WatchReplay(platform, replay);
      return 0;
    }
    RecordPlatform(platform);
    const TReplayHeader me = GameIdentity();
    platform.Recorder->SetIdentity(me.GameVersion, me.PictureChecksum, me.SoundChecksum);
    return RunGame(platform);
  } catch (const EReplayError& error) {
    std::fprintf(stderr, "Zarvok: %s: %s\n", replayPath.c_str(), error.what());
    return 2;
  } catch (const std::exception& error) {
    // No window could be made: there is nothing to show a message box on.
    std::fprintf(stderr, "Zarvok: %s\n", error.what());
    return 1;
  }
}
