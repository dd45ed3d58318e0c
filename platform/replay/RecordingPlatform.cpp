#include "platform/replay/RecordingPlatform.h"

#include "platform/replay/ReplayRecorder.h"

TRecordingClock::TRecordingClock(std::unique_ptr<TClock> real, TReplayRecorder& recorder)
    : FReal(std::move(real)), FRecorder(recorder), FNow(FReal->Milliseconds()), FLastReal(FNow) {}

void TRecordingClock::Sleep(uint32_t milliseconds) {
  FReal->Sleep(milliseconds);
  // The sleep counts as asked; whatever it overran shows in the next wait.
  FNow += milliseconds;
  FLastReal += milliseconds;
  FRecorder.AddSleep(milliseconds);
}

uint32_t TRecordingClock::Catch() {
  const uint32_t real = FReal->Milliseconds();
  const uint32_t passed = real - FLastReal;
  FLastReal = real;
  FNow += passed;
  return passed;
}

TRecordingWindow::TRecordingWindow(std::unique_ptr<TWindow> real, TRecordingClock& clock, TReplayRecorder& recorder)
    : TWindowDecorator(std::move(real)), FClock(clock), FRecorder(recorder) {}

bool TRecordingWindow::Collect(TPlatformEvent& event, uint32_t timeoutMs) {
  if (FHeldEvent) {
    event = *FHeldEvent;
    FHeldEvent.reset();
    return true;
  }
  TClock& real = FClock.Real();
  const uint32_t start = real.Milliseconds();
  for (;;) {
    const uint32_t passed = real.Milliseconds() - start;
    const uint32_t left = passed >= timeoutMs ? 0 : timeoutMs - passed;
    TPlatformEvent next;
    if (!Inner().WaitEvent(next, left)) {
      if (!FHeldMove) return false;
      event = *FHeldMove;
      FHeldMove.reset();
      return true;
    }
    if (next.Kind == TPlatformEvent::TKind::MouseMove) {
      FHeldMove = next;
      continue;
    }
    if (FHeldMove) {
      event = *FHeldMove;
      FHeldMove.reset();
      FHeldEvent = next;
    } else {
      event = next;
    }
    return true;
  }
}

bool TRecordingWindow::WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) {
  const bool got = Collect(event, timeoutMs);
  // A poll takes no game time: the clock moves only when a wait with a time-out ends.
  const uint32_t passed = timeoutMs == 0 ? 0 : FClock.Catch();
  FRecorder.AddWait(timeoutMs, passed, got ? &event : nullptr, Inner().WindowState());
  return got;
}

void RecordPlatform(TPlatform& platform) {
  platform.Recorder = std::make_unique<TReplayRecorder>();
  auto clock = std::make_unique<TRecordingClock>(std::move(platform.Clock), *platform.Recorder);
  platform.Window = std::make_unique<TRecordingWindow>(std::move(platform.Window), *clock, *platform.Recorder);
  platform.Clock = std::move(clock);
}
