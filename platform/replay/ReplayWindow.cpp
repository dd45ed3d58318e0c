#include "platform/replay/ReplayWindow.h"

#include "platform/headless/HeadlessPlatform.h"

TReplayWindow::TReplayWindow(const TReplay& replay, THeadlessClock& clock, std::unique_ptr<TWindow> under,
                             TClock* realClock)
    : TWindowDecorator(std::move(under)),
      FReader(replay.Records, replay.Header.Start.PointerX, replay.Header.Start.PointerY),
      FClock(clock),
      FRealClock(realClock) {
  if (FRealClock != nullptr) FRealMark = FRealClock->Milliseconds();
}

void TReplayWindow::SetWindowState(TWindowState state) {
  FState = state;
  Inner().SetWindowState(state);
}

bool TReplayWindow::SetFullScreen(bool fullScreen) {
  Inner().SetFullScreen(fullScreen);
  return true;
}

void TReplayWindow::ShowMessage(const std::string& /*caption*/, const std::string& text) { FLastMessage = text; }

bool TReplayWindow::Pace(uint32_t ms) {
  if (FRealClock == nullptr) return true;
  // Measured from where the last wait should have ended, so small delays do not add up.
  FRealMark += ms;
  for (;;) {
    const int32_t left = static_cast<int32_t>(FRealMark - FRealClock->Milliseconds());
    TPlatformEvent real;
    if (!Inner().WaitEvent(real, left > 0 ? static_cast<uint32_t>(left) : 0)) {
      if (left <= 0) return true;
      continue;
    }
    const bool escape = real.Kind == TPlatformEvent::TKind::KeyDown && real.Key == VK_ESCAPE;
    if (escape || real.Kind == TPlatformEvent::TKind::CloseRequest) return false;
  }
}

bool TReplayWindow::WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) {
  if (FFinished) return false;
  if (FReader.AtEnd()) {
    FFinished = true;
    return false;
  }
  const bool poll = timeoutMs == 0;
  if (poll && !FReader.NextIsPoll()) return false;
  if (!poll && FReader.NextIsPoll()) {
    FMismatch = "the game waited where the recording polled";
    FFinished = true;
    return false;
  }
  const TReplayRecord record = FReader.Read();
  if (!poll) {
    const uint64_t ms = record.AfterTimeout ? static_cast<uint64_t>(timeoutMs) + record.Ms : record.Ms;
    const uint32_t passed = static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
    if (!Pace(passed)) {
      FStopped = true;
      FFinished = true;
      return false;
    }
    FClock.Advance(passed);
  }
  if (!record.HasEvent) return false;
  event = record.Event;
  using TKind = TPlatformEvent::TKind;
  if (event.Kind == TKind::FocusGained || event.Kind == TKind::FocusLost || event.Kind == TKind::Resized)
    FState = static_cast<TWindowState>(record.WindowState);
  return true;
}
