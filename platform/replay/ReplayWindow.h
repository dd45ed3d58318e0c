#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WindowDecorator.h"
#include "platform/replay/Replay.h"

class THeadlessClock;

// Feeds a recorded game to the game: each wait answers what the recorded wait answered and moves
// the game's clock by the time it took. Everything else goes to a window underneath: a headless
// one for verifying, the real one to watch the game. With a real clock it also waits the
// recorded time, so the game plays back at the speed it was played, and Esc or the close button
// of the real window ends the playback.
class TReplayWindow : public TWindowDecorator {
 public:
  TReplayWindow(const TReplay& replay, THeadlessClock& clock, std::unique_ptr<TWindow> under,
                TClock* realClock = nullptr);

  TWindowState WindowState() const override { return FState; }
  void SetWindowState(TWindowState state) override;
  // Full screen is always granted, so a recording made on a desktop that refused it still plays.
  bool SetFullScreen(bool fullScreen) override;
  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override;
  // A replay shows no message boxes; the last text is kept for the report.
  void ShowMessage(const std::string& caption, const std::string& text) override;

  // Every record has been handed out, or the playback was stopped.
  bool Finished() const { return FFinished; }
  // Every record has been handed out.
  bool AtEnd() const { return FReader.AtEnd(); }
  // The player pressed Esc or closed the window.
  bool Stopped() const { return FStopped; }
  // Why the game asked for something the recording does not hold; empty when it never did.
  const std::string& Mismatch() const { return FMismatch; }
  const std::string& LastMessage() const { return FLastMessage; }
  TWindow& Under() { return Inner(); }

 private:
  // Waits in the real window until the recorded time has passed; false when the player stopped.
  bool Pace(uint32_t ms);

  TReplayRecordReader FReader;
  THeadlessClock& FClock;
  TClock* FRealClock;
  uint32_t FRealMark = 0;
  TWindowState FState = TWindowState::wsNormal;
  bool FFinished = false;
  bool FStopped = false;
  std::string FMismatch;
  std::string FLastMessage;
};
