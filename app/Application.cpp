#include "app/Application.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/FrameTimer.h"
#include "app/GamePaths.h"
#include "app/GameStart.h"
#include "app/MainForm.h"
#include "app/ReplaceFile.h"
#include "app/Timer.h"
#include "platform/Places.h"
#include "platform/replay/ReplayRecorder.h"

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
      case TKind::PadAxis:
        FForm.PadAxisMoved(event.Axis, event.Value);
        break;
      case TKind::PadButtonDown:
        FForm.PadButtonDown(event.PadButton);
        break;
      case TKind::PadButtonUp:
        FForm.PadButtonUp(event.PadButton);
        break;
      case TKind::PadRemoved:
        FForm.PadRemoved();
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
  while (!FForm.Terminated()) Step();
}

void TApplication::Step() {
  // Input first, as queued messages come before timers and idle time.
  TPlatformEvent event;
  if (FForm.Platform().Window->WaitEvent(event, TimeToNextDeadline())) {
    Dispatch(event);
    StepWithoutWaiting();
  } else if (!FForm.Terminated()) {
    RunDue();
  }
}

void TApplication::StepWithoutWaiting() {
  TWindow& window = *FForm.Platform().Window;
  TPlatformEvent event;
  while (!FForm.Terminated() && window.WaitEvent(event, 0)) Dispatch(event);
  if (!FForm.Terminated()) RunDue();
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

namespace {

bool WriteWhole(const std::filesystem::path& path, const std::string& bytes) {
  return ReplaceFile(path, path.string() + ".part", bytes).empty();
}

// The score in a name "top-SCORE-N.zrp", or -1 for any other name.
int64_t TopReplayScore(const std::string& name) {
  if (name.rfind("top-", 0) != 0 || name.size() < 9 || name.substr(name.size() - 4) != ".zrp") return -1;
  const size_t dash = name.find('-', 4);
  if (dash == std::string::npos) return -1;
  try {
    return std::stoll(name.substr(4, dash - 4));
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

void KeepLastReplay(TPlatform& platform, const std::filesystem::path& folder, bool topTen) {
  const TReplay* replay = platform.Recorder ? platform.Recorder->LastReplay() : nullptr;
  if (replay == nullptr) return;
  const std::string bytes = WriteReplay(*replay);
  WriteWhole(folder / LastReplayFile, bytes);
  if (!topTen) return;
  namespace fs = std::filesystem;
  const fs::path tops = folder / TopReplayFolder;
  std::error_code error;
  fs::create_directories(tops, error);
  std::vector<std::pair<int64_t, fs::path>> kept;
  for (const auto& entry : fs::directory_iterator(tops, error)) {
    const int64_t score = TopReplayScore(entry.path().filename().string());
    if (score >= 0) kept.emplace_back(score, entry.path());
  }
  // A free number for this one; of equal scores the older games stay ahead.
  int n = 1;
  while (fs::exists(tops / ("top-" + std::to_string(replay->Header.FinalScore) + "-" + std::to_string(n) + ".zrp"))) ++n;
  const fs::path path = tops / ("top-" + std::to_string(replay->Header.FinalScore) + "-" + std::to_string(n) + ".zrp");
  if (!WriteWhole(path, bytes)) return;
  kept.emplace_back(replay->Header.FinalScore, path);
  std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t i = 10; i < kept.size(); ++i) fs::remove(kept[i].second, error);
}

int RunGame(TPlatform& platform, const TCommandLineOptions& options) {
  const TGamePaths paths = platform.Places ? TGamePaths::Resolve(options, *platform.Places) : TGamePaths();
  {
    std::unique_ptr<TMainForm> form;
    try {
      form = std::make_unique<TMainForm>(platform, paths, options);
      if (platform.Recorder) {
        paths.MakeUserFolder();
        const std::filesystem::path folder = paths.UserFolder().empty() ? "." : paths.UserFolder();
        TMainForm& game = *form;
        RecordGames(game, *platform.Recorder, [&platform, &game, folder] {
          KeepLastReplay(platform, folder, game.Score > game.HighScores[9].Score);
        });
      }
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
