#include "app/GameStart.h"

#include <array>

#include "app/FrameTimer.h"
#include "app/MainForm.h"
#include "app/Timer.h"
#include "platform/replay/ReplayRecorder.h"

namespace {

// The flags and switches, one bit each in this order; new ones go at the end.
std::array<bool*, 22> Flags(TMainForm& f) {
  return {&f.ResizePending, &f.WindowInactive, &f.PausedBeforeDeactivate, &f.LevelIntro,
          &f.BannerArrived, &f.LifeLost, &f.SeparatorBlink, &f.Timer1Running,
          &f.Timer2Running, &f.Timer3Running, &f.GameOverPending, &f.SingleShotMode,
          &f.TriggerHeld, &f.ShotFired, &f.GamePause.Checked, &f.GameFullScreen.Checked,
          &f.GameSound.Checked, &f.GameMusic.Checked, &f.GameMainExit.Checked, &f.GameEnterName.Checked,
          &f.GameSendResult.Checked, &f.GameClearHighScore.Checked};
}

std::array<TTimer*, 4> Timers(TMainForm& f) {
  return {f.Timer1.get(), f.Timer2.get(), f.Timer3.get(), f.TimerLevel.get()};
}

}  // namespace

TReplayStart CaptureGameStart(TMainForm& form) {
  TReplayStart start;
  start.ClockMs = form.Milliseconds();
  start.RandomState = form.RandomGenerator().State();
  start.PointerX = form.PointerX;
  start.PointerY = form.PointerY;
  start.FrameTimer = {form.FrameTimer->Enabled(), static_cast<uint32_t>(form.FrameTimer->Interval()),
                      form.FrameTimer->Elapsed()};
  const auto timers = Timers(form);
  for (size_t i = 0; i < timers.size(); ++i)
    start.Timers[i] = {timers[i]->Enabled(), timers[i]->Interval(), timers[i]->Elapsed()};
  const auto flags = Flags(form);
  for (size_t i = 0; i < flags.size(); ++i)
    if (*flags[i]) start.Flags |= 1u << i;
  start.WindowState = static_cast<uint8_t>(form.Platform().Window->WindowState());
  return start;
}

void RestoreGameStart(TMainForm& form, const TReplayStart& start) {
  form.RandomGenerator().SetState(start.RandomState);
  form.PointerX = start.PointerX;
  form.PointerY = start.PointerY;
  form.FrameTimer->SetEnabled(false);
  form.FrameTimer->SetInterval(static_cast<int32_t>(start.FrameTimer.Interval));
  form.FrameTimer->SetEnabled(start.FrameTimer.Enabled);
  form.FrameTimer->SetElapsed(start.FrameTimer.Elapsed);
  const auto timers = Timers(form);
  for (size_t i = 0; i < timers.size(); ++i) {
    const TReplayTimer& t = start.Timers[i];
    timers[i]->SetEnabled(false);
    timers[i]->SetInterval(t.Interval);
    timers[i]->SetEnabled(t.Enabled);
    timers[i]->SetElapsed(t.Elapsed);
  }
  const auto flags = Flags(form);
  for (size_t i = 0; i < flags.size(); ++i) *flags[i] = (start.Flags >> i & 1u) != 0;
  form.Platform().Window->SetWindowState(static_cast<TWindowState>(start.WindowState));
}

void RecordGames(TMainForm& form, TReplayRecorder& recorder, std::function<void()> onEnd) {
  form.OnGameStart = [&form, &recorder] { recorder.BeginGame(CaptureGameStart(form)); };
  form.OnGameEnd = [&form, &recorder, onEnd = std::move(onEnd)] {
    recorder.EndGame(form.Score, form.LevelNumber);
    if (onEnd) onEnd();
  };
  form.LastGameReplay = [&recorder]() -> std::string {
    const TReplay* last = recorder.LastReplay();
    return last != nullptr ? WriteReplay(*last) : std::string();
  };
}
