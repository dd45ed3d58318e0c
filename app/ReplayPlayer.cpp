#include "app/ReplayPlayer.h"

#include <memory>

#include "BuildConfig.h"
#include "app/Application.h"
#include "app/GameStart.h"
#include "app/MainForm.h"
#include "engine/SpriteEngineComponent.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/replay/ReplayWindow.h"

std::string ReplayIdentityProblem(const TReplayHeader& header, const std::string& gameVersion,
                                  uint32_t pictureChecksum, uint32_t soundChecksum) {
  if (header.GameVersion != gameVersion)
    return "the replay was made by version " + header.GameVersion + " of the game, this is " + gameVersion;
  if (header.PictureChecksum != pictureChecksum || header.SoundChecksum != soundChecksum)
    return "the replay was made with other data files";
  return {};
}

TReplayHeader GameIdentity(const std::filesystem::path& dataFolder) {
  TReplayHeader header;
  header.GameVersion = ZarvokVersion;
  const std::filesystem::path folder = dataFolder.empty() ? "." : dataFolder;
  header.PictureChecksum = FileCrc32((folder / "Data/Graphic.dxg").string());
  header.SoundChecksum = FileCrc32((folder / "Data/Music.dxw").string());
  return header;
}

TReplayOutcome PlayReplay(TPlatform& platform, const TReplay& replay, const TGamePaths& paths, bool drawing) {
  auto& window = static_cast<TReplayWindow&>(*platform.Window);
  auto& clock = static_cast<THeadlessClock&>(*platform.Clock);
  const TReplayStart& start = replay.Header.Start;
  TReplayOutcome outcome;

  TMainForm form(platform, paths);
  form.SpriteEngine->Drawing = drawing;
  form.ShowForm();
  clock.Set(start.ClockMs);
  form.OnGameStart = [&] { RestoreGameStart(form, start); };
  form.OnGameEnd = [&] {
    outcome.Ended = true;
    outcome.Score = form.Score;
    outcome.Level = form.LevelNumber;
    outcome.GameMs = form.Milliseconds() - start.ClockMs;
  };
  form.SwitchScreen(scGame);
  TApplication application(form);
  application.StepWithoutWaiting();
  // A replay costs at most the frames of the game time it claims.
  bool overran = false;
  while (!outcome.Ended && !form.Terminated() && !window.Finished()) {
    if (form.Milliseconds() - start.ClockMs > replay.Header.DurationMs) {
      overran = true;
      break;
    }
    application.Step();
  }
  if (!outcome.Ended) {
    outcome.Score = form.Score;
    outcome.Level = form.LevelNumber;
    outcome.GameMs = form.Milliseconds() - start.ClockMs;
  }
  outcome.Stopped = window.Stopped();

  const TReplayHeader& h = replay.Header;
  if (!window.Mismatch().empty())
    outcome.Reason = window.Mismatch();
  else if (overran)
    outcome.Reason = "the game runs past the replay's length";
  else if (outcome.Stopped)
    outcome.Reason = "the playback was stopped";
  else if (!outcome.Ended)
    outcome.Reason = "the recording ends before the game does";
  else if (!window.Finished() && !window.AtEnd())
    outcome.Reason = "the game ended before its recording did";
  else if (outcome.Score != h.FinalScore || outcome.Level != h.FinalLevel)
    outcome.Reason = "the game reached score " + std::to_string(outcome.Score) + " at level " +
                     std::to_string(outcome.Level) + ", the replay claims " + std::to_string(h.FinalScore) +
                     " at level " + std::to_string(h.FinalLevel);
  outcome.Matches = outcome.Reason.empty();
  return outcome;
}

TReplayOutcome VerifyReplay(const TReplay& replay, const TGamePaths& paths) {
  TPlatform platform;
  auto clock = std::make_unique<THeadlessClock>(replay.Header.Start.ClockMs);
  auto under = std::make_unique<THeadlessWindow>(*clock);
  platform.Window = std::make_unique<TReplayWindow>(replay, *clock, std::move(under));
  platform.Clock = std::move(clock);
  return PlayReplay(platform, replay, paths, false);
}

TReplayOutcome WatchReplay(TPlatform& platform, const TReplay& replay, const TGamePaths& paths) {
  std::unique_ptr<TClock> real = std::move(platform.Clock);
  auto clock = std::make_unique<THeadlessClock>(replay.Header.Start.ClockMs);
  platform.Window = std::make_unique<TReplayWindow>(replay, *clock, std::move(platform.Window), real.get());
  platform.Clock = std::move(clock);
  TReplayOutcome outcome = PlayReplay(platform, replay, paths);
  // The window goes before the real clock it paces by.
  platform.Window.reset();
  return outcome;
}
