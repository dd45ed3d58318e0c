#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/replay/Replay.h"

// Keeps the record of the game being played: the recording window hands it every wait's answer
// and the game says when a game starts and ends. What the last finished game was stays here.
class TReplayRecorder {
 public:
  // Written into every header: the game's version and the checksums of its data files.
  void SetIdentity(std::string gameVersion, uint32_t pictureChecksum, uint32_t soundChecksum);

  void BeginGame(const TReplayStart& start);
  // A wait of the window, while a game is recorded.
  void AddWait(uint32_t timeoutMs, uint32_t elapsedMs, const TPlatformEvent* event, TWindowState state);
  // Sleeping moves the game's clock without a wait.
  void AddSleep(uint32_t ms) {
    if (FWriter) FDurationMs += ms;
  }
  void EndGame(int32_t score, int32_t level);
  bool Recording() const { return FWriter.has_value(); }

  // The last game that ended, or null.
  const TReplay* LastReplay() const { return FLast ? &*FLast : nullptr; }

 private:
  TReplayHeader FIdentity;
  std::optional<TReplayRecordWriter> FWriter;
  TReplayStart FStart;
  uint32_t FDurationMs = 0;
  std::optional<TReplay> FLast;
};
