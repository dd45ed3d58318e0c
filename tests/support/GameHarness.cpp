#include "support/GameHarness.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "audio/WaveList.h"
#include "platform/Display.h"
#include "platform/headless/HeadlessHttpTransport.h"
#include "ui/ButtonRects.h"

TGameHarness::TGameHarness() : TGameHarness(TOptions{}) {}

TGameHarness::TGameHarness(const TOptions& options)
    : FScratch(std::make_unique<TScratchFolder>()),
      FPlatform(MakeHeadlessPlatform(options.StartMs)),
      FSounds(std::make_shared<std::vector<std::string>>()) {
  FScratch->CopyGameData(options.GameDir.empty() ? BuiltGameDir() : options.GameDir);
  if (options.WriteConfig) {
    std::ofstream config(FScratch->Path() / "Config.cfg", std::ios::binary);
    for (const std::string& line : options.ConfigLines) config << line << "\r\n";
  }
  Window().KeepFrames = options.KeepFrames;
  if (options.MakeMusic) FPlatform.Music = options.MakeMusic();
  FForm = std::make_unique<TMainForm>(FPlatform, TGamePaths(), options.CommandLine);
  FForm->WaveList->OnPlaySound = [sounds = FSounds](const std::string& name) { sounds->push_back(name); };
  FApplication = std::make_unique<TApplication>(*FForm);
  if (options.ShowForm) FForm->ShowForm();
}

TGameHarness::~TGameHarness() {
  // The form goes while its scratch folder is still the working folder.
  FApplication.reset();
  FForm.reset();
}

std::filesystem::path TGameHarness::BuiltGameDir() { return ZARVOK_GAME_DIR; }

THeadlessHttpTransport& TGameHarness::Http() { return static_cast<THeadlessHttpTransport&>(*FPlatform.Http); }

void TGameHarness::RunFor(uint32_t ms) {
  const uint32_t end = Clock().Milliseconds() + ms;
  for (;;) {
    // Everything due at this instant runs before time moves on; a handler may make another due.
    for (int round = 0; round < 100 && !FForm->Terminated() && FApplication->RunDue(); ++round) {
    }
    const int32_t left = static_cast<int32_t>(end - Clock().Milliseconds());
    if (left <= 0 || FForm->Terminated()) return;
    const uint32_t step = std::clamp<uint32_t>(FApplication->TimeToNextDeadline(), 1, static_cast<uint32_t>(left));
    Clock().Advance(step);
  }
}

void TGameHarness::Frames(int n) {
  if (n > 0) RunFor(static_cast<uint32_t>(n) * 30);
}

namespace {
TPlatformEvent MouseEvent(TPlatformEvent::TKind kind, int x, int y, TMouseButton button, TShiftState shift) {
  TPlatformEvent event;
  event.Kind = kind;
  event.X = x;
  event.Y = y;
  event.Button = button;
  event.Shift = shift;
  return event;
}

TPlatformEvent PlainEvent(TPlatformEvent::TKind kind) {
  TPlatformEvent event;
  event.Kind = kind;
  return event;
}
}  // namespace

void TGameHarness::MoveMouse(int x, int y, TShiftState shift) {
  Dispatch(MouseEvent(TPlatformEvent::TKind::MouseMove, x, y, TMouseButton::mbLeft, shift));
}

void TGameHarness::Press(int x, int y, TMouseButton button, TShiftState shift) {
  Dispatch(MouseEvent(TPlatformEvent::TKind::MouseDown, x, y, button, shift));
}

void TGameHarness::Release(int x, int y, TMouseButton button, TShiftState shift) {
  Dispatch(MouseEvent(TPlatformEvent::TKind::MouseUp, x, y, button, shift));
}

void TGameHarness::Click(int x, int y, TMouseButton button, TShiftState shift) {
  MoveMouse(x, y, shift);
  Press(x, y, button, shift);
  Release(x, y, button, shift);
}

void TGameHarness::Key(uint16_t vk, TShiftState shift) {
  TPlatformEvent event = PlainEvent(TPlatformEvent::TKind::KeyDown);
  event.Key = vk;
  event.Shift = shift;
  Dispatch(event);
}

void TGameHarness::Type(const std::string& text) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    Key(static_cast<uint16_t>(std::toupper(u)));
  }
}

void TGameHarness::LoseFocus() { Dispatch(PlainEvent(TPlatformEvent::TKind::FocusLost)); }

void TGameHarness::GainFocus() { Dispatch(PlainEvent(TPlatformEvent::TKind::FocusGained)); }

void TGameHarness::CloseWindow() { Dispatch(PlainEvent(TPlatformEvent::TKind::CloseRequest)); }

void TGameHarness::Resize(TWindowState state) {
  Window().SetWindowState(state);
  Dispatch(PlainEvent(TPlatformEvent::TKind::Resized));
}

bool TGameHarness::Played(const std::string& name) const {
  return std::find(FSounds->begin(), FSounds->end(), name) != FSounds->end();
}

TSurface& TGameHarness::Surface() { return FForm->Display->Surface(); }

void TGameHarness::SkipSplash() {
  if (FForm->CurrentScreen == scSplash) Key(VK_RETURN);
}

bool TGameHarness::StartGameAndSkipIntro() {
  SkipSplash();
  constexpr TButtonRect start = ButtonRects::StartGame;
  Click((start.X1 + start.X2) / 2, (start.Y1 + start.Y2) / 2);
  if (FForm->CurrentScreen != scGame) return false;
  return RunUntil([this] { return !FForm->LevelIntro; }, 10000);
}
