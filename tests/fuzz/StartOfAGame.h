#pragma once

#include "platform/replay/Replay.h"

// The start of a game from the main menu as the recorder writes it, for the replay seeds and the
// replay target's records mode; records, their count and the length are the caller's.
inline TReplay StartOfAGame() {
  TReplay replay;
  replay.Header.GameVersion = "1.0";
  replay.Header.Start.FrameTimer = {true, 30, 0};
  replay.Header.Start.Timers = {{{true, 10000, 0}, {false, 500, 0}, {false, 1000, 0}, {false, 1000, 0}}};
  replay.Header.Start.PointerX = 400;
  replay.Header.Start.PointerY = 300;
  return replay;
}
