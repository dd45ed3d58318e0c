#include "support/RecordedGame.h"

#include "app/Application.h"
#include "app/GameStart.h"
#include "app/MainForm.h"
#include "app/ReplayPlayer.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/replay/RecordingPlatform.h"
#include "platform/replay/ReplayRecorder.h"
#include "ui/ButtonRects.h"

namespace {

TPlatformEvent Mouse(TPlatformEvent::TKind kind, int x, int y) {
  TPlatformEvent e;
  e.Kind = kind;
  e.X = x;
  e.Y = y;
  return e;
}

TPlatformEvent Key(uint16_t key) {
  TPlatformEvent e;
  e.Kind = TPlatformEvent::TKind::KeyDown;
  e.Key = key;
  return e;
}

void Click(std::vector<TScriptedEvent>& script, uint32_t at, int x, int y) {
  using TKind = TPlatformEvent::TKind;
  script.push_back({at, Mouse(TKind::MouseMove, x, y)});
  script.push_back({at + 10, Mouse(TKind::MouseDown, x, y)});
  script.push_back({at + 50, Mouse(TKind::MouseUp, x, y)});
}

}  // namespace

std::vector<TScriptedEvent> ScriptedGame(uint32_t playMs) {
  using TKind = TPlatformEvent::TKind;
  std::vector<TScriptedEvent> script;
  script.push_back({1500, Key(VK_RETURN)});
  constexpr TButtonRect start = ButtonRects::StartGame;
  Click(script, 2500, (start.X1 + start.X2) / 2, (start.Y1 + start.Y2) / 2);
  const uint32_t playFrom = 3000;
  for (uint32_t t = 0, shot = 0; t < playMs; t += 20) {
    // A sweep over the lower half of the field, where the enemies walk.
    const int x = 60 + static_cast<int>((t / 7) % 680);
    const int y = 300 + static_cast<int>((t / 13) % 220);
    script.push_back({playFrom + t, Mouse(TKind::MouseMove, x, y)});
    if (t / 200 != shot) {
      shot = t / 200;
      script.push_back({playFrom + t + 1, Mouse(TKind::MouseDown, x, y)});
      script.push_back({playFrom + t + 11, Mouse(TKind::MouseUp, x, y)});
    }
  }
  const uint32_t end = playFrom + playMs + 100;
  script.push_back({end, Key(VK_ESCAPE)});
  constexpr TButtonRect yes = ButtonRects::MainExitYes;
  Click(script, end + 200, (yes.X1 + yes.X2) / 2, (yes.Y1 + yes.Y2) / 2);
  return script;
}

TRecordedGame RecordGame(const std::vector<TScriptedEvent>& script, uint32_t startMs) {
  TPlatform platform = MakeHeadlessPlatform(startMs);
  THeadlessWindow& window = HeadlessWindow(platform);
  for (const TScriptedEvent& e : script) window.PostEvent(e.Event, e.AtMs);
  window.GiveUpAtMs = script.empty() ? startMs + 1000 : script.back().AtMs + 1000;
  RecordPlatform(platform);
  const TReplayHeader identity = GameIdentity();
  platform.Recorder->SetIdentity(identity.GameVersion, identity.PictureChecksum, identity.SoundChecksum);

  TRecordedGame game;
  TMainForm form(platform);
  RecordGames(form, *platform.Recorder, [&] {
    game.Ended = true;
    game.Score = form.Score;
    game.Level = form.LevelNumber;
  });
  form.ShowForm();
  TApplication application(form);
  while (!game.Ended && !form.Terminated() && window.HasPendingEvents()) application.Step();
  if (const TReplay* replay = platform.Recorder->LastReplay()) game.Replay = *replay;
  return game;
}
