#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "platform/WindowDecorator.h"

class TReplayRecorder;

// The game's clock while it is recorded: it reads the real clock only when a wait of the window
// ends, so everything between two waits sees one time and a replay needs one reading per wait.
class TRecordingClock : public TClock {
 public:
  TRecordingClock(std::unique_ptr<TClock> real, TReplayRecorder& recorder);
  uint32_t Milliseconds() const override { return FNow; }
  void Sleep(uint32_t milliseconds) override;
  // Catches up with the real clock; the game time that passed since the last catch.
  uint32_t Catch();
  TClock& Real() { return *FReal; }

 private:
  std::unique_ptr<TClock> FReal;
  TReplayRecorder& FRecorder;
  uint32_t FNow;
  uint32_t FLastReal;
};

// The real window with its waits recorded. Pointer moves are held back until the wait ends or
// another event comes, so the game sees at most one move per wait: the sight is drawn once a
// frame anyway, and the record stays small.
class TRecordingWindow : public TWindowDecorator {
 public:
  TRecordingWindow(std::unique_ptr<TWindow> real, TRecordingClock& clock, TReplayRecorder& recorder);

  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override;

 private:
  bool Collect(TPlatformEvent& event, uint32_t timeoutMs);

  TRecordingClock& FClock;
  TReplayRecorder& FRecorder;
  std::optional<TPlatformEvent> FHeldMove;
  std::optional<TPlatformEvent> FHeldEvent;
};

// Puts a recorder into the platform and wraps its clock and window so that every game is recorded.
void RecordPlatform(TPlatform& platform);
