#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Surface.h"
#include "platform/headless/HeadlessAudio.h"

// A clock that stands still until the test moves it; sleeping moves it too, so a game that waits
// a little runs on at once.
class THeadlessClock : public TClock {
 public:
  explicit THeadlessClock(uint32_t startMs = 0) : FNow(startMs) {}
  uint32_t Milliseconds() const override { return FNow; }
  void Sleep(uint32_t milliseconds) override { FNow += milliseconds; }
  // Wraps like the real 32-bit clock.
  void Advance(uint32_t milliseconds) { FNow += milliseconds; }
  void Set(uint32_t milliseconds) { FNow = milliseconds; }

 private:
  uint32_t FNow;
};

// A window without a screen: it records what the game does to it, keeps the frames it is shown
// (when asked to) and hands out the events the test posts.
class THeadlessWindow : public TWindow {
 public:
  struct TMessage {
    std::string Caption;
    std::string Text;
  };

  explicit THeadlessWindow(THeadlessClock& clock) : FClock(clock) {}

  void SetCaption(const std::string& caption) override { FCaption = caption; }
  std::string Caption() const override { return FCaption; }
  void SetBorderStyle(TBorderStyle style) override { FBorderStyle = style; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  TWindowState WindowState() const override { return FWindowState; }
  void SetWindowState(TWindowState state) override { FWindowState = state; }
  void SavePlacement() override { ++FPlacementSaves; }
  void RestorePlacement() override { ++FPlacementRestores; }
  int PlacementSaves() const { return FPlacementSaves; }
  int PlacementRestores() const { return FPlacementRestores; }
  bool SetFullScreen(bool fullScreen) override;
  bool FullScreen() const { return FFullScreen; }
  // Makes SetFullScreen(true) fail, like a desktop that refuses it.
  bool FullScreenRefused = false;
  void HidePointer() override { FPointerHidden = true; }
  bool PointerHidden() const { return FPointerHidden; }

  void Present(const TSurface& frame) override;
  int PresentCount() const { return FPresentCount; }
  // Copying every frame costs time; a test that looks at presented frames turns it on.
  bool KeepFrames = false;
  // The last frame presented while KeepFrames was on, or null.
  const TSurface* LastFrame() const { return FLastFrame.get(); }

  // Posts an event that WaitEvent hands out once the clock has reached atMs (at once when 0).
  void PostEvent(const TPlatformEvent& event, uint32_t atMs = 0);
  bool HasPendingEvents() const { return !FEvents.empty(); }
  // Hands out the next due event; otherwise lets the fake clock run on to that event or to the
  // end of the timeout, like a real wait would.
  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override;
  // When set, a wait beyond this fake time with no event left raises std::runtime_error, so a
  // scripted run that never ends fails instead of hanging.
  uint32_t GiveUpAtMs = 0;

  void ShowMessage(const std::string& caption, const std::string& text) override {
    FMessages.push_back({caption, text});
  }
  const std::vector<TMessage>& Messages() const { return FMessages; }

 private:
  struct TTimedEvent {
    TPlatformEvent Event;
    uint32_t AtMs;
  };

  THeadlessClock& FClock;
  std::string FCaption;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  TWindowState FWindowState = TWindowState::wsNormal;
  int FPlacementSaves = 0;
  int FPlacementRestores = 0;
  bool FFullScreen = false;
  bool FPointerHidden = false;
  int FPresentCount = 0;
  std::unique_ptr<TSurface> FLastFrame;
  std::deque<TTimedEvent> FEvents;
  std::vector<TMessage> FMessages;
};

// Records what the game asked the desktop to open, in order.
class THeadlessDesktop : public TDesktop {
 public:
  void Open(const std::string& target) override { FOpened.push_back(target); }
  const std::vector<std::string>& Opened() const { return FOpened; }

 private:
  std::vector<std::string> FOpened;
};

// A platform for tests: fake clock starting at startMs, headless window and desktop, the headless
// sound output (waves get initialised; the mix renders only when a test pulls it) and the scripted
// network. No music library: a test that needs one puts its own into Music.
TPlatform MakeHeadlessPlatform(uint32_t startMs = 0);

// The headless parts of a platform that MakeHeadlessPlatform built.
THeadlessClock& HeadlessClock(TPlatform& platform);
THeadlessWindow& HeadlessWindow(TPlatform& platform);
THeadlessDesktop& HeadlessDesktop(TPlatform& platform);
THeadlessAudioOutput& HeadlessAudio(TPlatform& platform);
