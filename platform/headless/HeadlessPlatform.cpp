#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <stdexcept>

#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessHttpTransport.h"

bool THeadlessWindow::SetFullScreen(bool fullScreen) {
  if (fullScreen && FullScreenRefused) return false;
  FFullScreen = fullScreen;
  return true;
}

void THeadlessWindow::Present(const TSurface& frame) {
  ++FPresentCount;
  if (!KeepFrames) return;
  if (!FLastFrame || FLastFrame->Width() != frame.Width() || FLastFrame->Height() != frame.Height())
    FLastFrame = std::make_unique<TSurface>(frame.Width(), frame.Height());
  FLastFrame->Draw(0, 0, frame, frame.ClientRect(), false);
}

void THeadlessWindow::PostEvent(const TPlatformEvent& event, uint32_t atMs) {
  // Events keep the order they were posted in; a timed event is not handed out before its time.
  FEvents.push_back({event, atMs});
}

bool THeadlessWindow::WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) {
  const uint32_t now = FClock.Milliseconds();
  if (!FEvents.empty()) {
    const TTimedEvent& next = FEvents.front();
    const int32_t wait = static_cast<int32_t>(next.AtMs - now);
    if (next.AtMs == 0 || wait <= 0) {
      event = next.Event;
      FEvents.pop_front();
      return true;
    }
    if (static_cast<uint32_t>(wait) <= timeoutMs) {
      FClock.Advance(static_cast<uint32_t>(wait));
      event = next.Event;
      FEvents.pop_front();
      return true;
    }
  }
  FClock.Advance(timeoutMs);
  if (GiveUpAtMs != 0 && FEvents.empty() && static_cast<int32_t>(FClock.Milliseconds() - GiveUpAtMs) > 0)
    throw std::runtime_error("the headless run went past its last event");
  return false;
}

TPlatform MakeHeadlessPlatform(uint32_t startMs) {
  TPlatform platform;
  auto clock = std::make_unique<THeadlessClock>(startMs);
  platform.Window = std::make_unique<THeadlessWindow>(*clock);
  platform.Clock = std::move(clock);
  platform.Desktop = std::make_unique<THeadlessDesktop>();
  platform.Audio = std::make_unique<THeadlessAudioOutput>();
  platform.Http = std::make_unique<THeadlessHttpTransport>();
  return platform;
}

THeadlessClock& HeadlessClock(TPlatform& platform) { return static_cast<THeadlessClock&>(*platform.Clock); }

THeadlessWindow& HeadlessWindow(TPlatform& platform) {
  return static_cast<THeadlessWindow&>(*platform.Window);
}

THeadlessAudioOutput& HeadlessAudio(TPlatform& platform) {
  return static_cast<THeadlessAudioOutput&>(*platform.Audio);
}

THeadlessDesktop& HeadlessDesktop(TPlatform& platform) {
  return static_cast<THeadlessDesktop&>(*platform.Desktop);
}
