#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "platform/replay/Replay.h"

// An input event of a script, handed out by the headless window once the clock reaches AtMs.
struct TScriptedEvent {
  uint32_t AtMs;
  TPlatformEvent Event;
};

// A game as a player might play it: the splash skipped, START GAME clicked at 2.5 s, then the
// sight sweeps the field with a move every frame and a shot every 200 ms for playMs, and the
// game is left with Esc and Yes. The clock starts at 1000.
std::vector<TScriptedEvent> ScriptedGame(uint32_t playMs);

struct TRecordedGame {
  TReplay Replay;
  int32_t Score = 0;
  int32_t Level = 0;
  bool Ended = false;  // the game ended before the script ran out
};

// Runs the script through the real message loop on the headless platform with the recording
// clock and window in between, until the first game ends. The game's data must be in the
// working folder.
TRecordedGame RecordGame(const std::vector<TScriptedEvent>& script, uint32_t startMs = 1000);
