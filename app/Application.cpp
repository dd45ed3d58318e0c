#include "app/Application.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <fstream>
#include <memory>
#include <string>

#include "app/FrameTimer.h"
#include "app/GamePaths.h"
#include "app/MainForm.h"
#include "app/Timer.h"
#include "platform/Places.h"

TApplication::TApplication(TMainForm& form) : FForm(form) {}

template <class F>
void TApplication::Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    FForm.ShowMessage(error.what());
  }
}

void TApplication::Dispatch(const TPlatformEvent& event) {
  using TKind = TPlatformEvent::TKind;
  Guarded([&] {
    switch (event.Kind) {
      case TKind::KeyDown:
        FForm.FormKeyDown(event.Key, event.Shift);
        break;
      case TKind::MouseMove:
        FForm.DisplayMouseMove(event.Shift, event.X, event.Y);
        break;
      case TKind::MouseDown:
        FForm.DisplayMouseDown(event.Button, event.Shift, event.X, event.Y);
        break;
      case TKind::MouseUp:
        FForm.DisplayMouseUp(event.Button, event.Shift, event.X, event.Y);
        break;
      case TKind::FocusGained:
        FForm.FrameTimer->Activate();
        break;
      case TKind::FocusLost:
        FForm.FrameTimer->Deactivate();
        break;
      case TKind::CloseRequest:
        FForm.FormClose();
        break;
      case TKind::Resized:
        FForm.FormResize();
        break;
    }
  });
}

bool TApplication::RunDue() {
  bool ran = false;
  for (TTimer* timer : {FForm.Timer1.get(), FForm.Timer2.get(), FForm.Timer3.get(), FForm.TimerLevel.get()}) {
    if (FForm.Terminated()) return ran;
    Guarded([&] { ran = timer->Poll() || ran; });
  }
  if (FForm.Terminated()) return ran;
  Guarded([&] { ran = FForm.FrameTimer->Poll() || ran; });
  return ran;
}

uint32_t TApplication::TimeToNextDeadline() const {
  uint32_t wait = MaxWaitMs;
  for (const TTimer* timer : {FForm.Timer1.get(), FForm.Timer2.get(), FForm.Timer3.get(), FForm.TimerLevel.get()})
    if (timer->Armed()) wait = std::min(wait, timer->TimeToNext());
  if (FForm.FrameTimer->Enabled()) wait = std::min(wait, FForm.FrameTimer->TimeToNext());
  return wait;
}

void TApplication::Run() {
  TWindow& window = *FForm.Platform().Window;
  while (!FForm.Terminated()) {
    // Input first, as queued messages come before timers and idle time.
    TPlatformEvent event;
    if (window.WaitEvent(event, TimeToNextDeadline())) {
      Dispatch(event);
      while (!FForm.Terminated() && window.WaitEvent(event, 0)) Dispatch(event);
    }
    if (!FForm.Terminated()) RunDue();
  }
}

void GoToLink(TDesktop& desktop, const std::filesystem::path& folder) {
  const std::filesystem::path link = folder / "play.url";
  std::error_code error;
  if (!std::filesystem::is_regular_file(link, error)) return;
  std::ifstream in(link, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.size() > 4 && std::equal(line.begin(), line.begin() + 4, "URL=", [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        })) {
      desktop.Open(line.substr(4));
      return;
    }
  }
  const std::filesystem::path absolute = std::filesystem::absolute(link, error).lexically_normal();
  desktop.Open((error ? link : absolute).string());
}

int RunGame(TPlatform& platform, const TCommandLineOptions& options) {
  const TGamePaths paths = platform.Places ? TGamePaths::Resolve(options, *platform.Places) : TGamePaths();
  {
    std::unique_ptr<TMainForm> form;
    try {
      form = std::make_unique<TMainForm>(platform, paths, options);
      form->ShowForm();
    } catch (const std::exception& error) {
      platform.Window->ShowMessage("Zarvok", error.what());
      return 1;
    }
    TApplication application(*form);
    application.Run();
  }
  // The form and its components are gone (the display stopped) before the link opens.
  if (platform.Desktop) GoToLink(*platform.Desktop, paths.UserFolder().empty() ? "." : paths.UserFolder());
  return 0;
}
