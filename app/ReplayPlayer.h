#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/GamePaths.h"
#include "platform/Platform.h"
#include "platform/replay/Replay.h"

// How a replay played out.
struct TReplayOutcome {
  int32_t Score = 0;
  int32_t Level = 0;
  uint32_t GameMs = 0;   // game time from the start to where the playback ended
  bool Ended = false;    // the game left its screen (game over or back to the menu)
  bool Stopped = false;  // the player stopped the playback
  // The game ended exactly where the recording did, with the score and level of its header.
  bool Matches = false;
  std::string Reason;  // why it does not match
};

// Why this game cannot play the replay (another version, other data files), or empty.
std::string ReplayIdentityProblem(const TReplayHeader& header, const std::string& gameVersion,
                                  uint32_t pictureChecksum, uint32_t soundChecksum);

// The header this game writes: its version and its data files' checksums in dataFolder (empty:
// the working folder).
TReplayHeader GameIdentity(const std::filesystem::path& dataFolder = {});

// Plays the replay's game on the platform: its Clock must be a THeadlessClock and its Window a
// TReplayWindow over the same replay. Reads the game's data from the working folder.
// Without drawing, the sprites are not drawn on the back buffer (nobody sees it).
TReplayOutcome PlayReplay(TPlatform& platform, const TReplay& replay, const TGamePaths& paths = {},
                          bool drawing = true);

// Plays the replay headless as fast as it goes, without sound.
TReplayOutcome VerifyReplay(const TReplay& replay, const TGamePaths& paths = {});

// Plays the replay on a real platform: its window shows the game at the recorded speed with its
// sound, and Esc or the close button ends it. The platform's clock and window are wrapped.
TReplayOutcome WatchReplay(TPlatform& platform, const TReplay& replay, const TGamePaths& paths = {});
