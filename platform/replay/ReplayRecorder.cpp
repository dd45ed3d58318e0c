#include "platform/replay/ReplayRecorder.h"

#include <utility>

void TReplayRecorder::SetIdentity(std::string gameVersion, uint32_t pictureChecksum, uint32_t soundChecksum) {
  FIdentity.GameVersion = std::move(gameVersion);
  FIdentity.PictureChecksum = pictureChecksum;
  FIdentity.SoundChecksum = soundChecksum;
}

void TReplayRecorder::BeginGame(const TReplayStart& start) {
  FStart = start;
  FDurationMs = 0;
  FWriter.emplace(start.PointerX, start.PointerY);
}

void TReplayRecorder::AddWait(uint32_t timeoutMs, uint32_t elapsedMs, const TPlatformEvent* event,
                              TWindowState state) {
  if (!FWriter) return;
  FWriter->Add(timeoutMs, elapsedMs, event, state);
  FDurationMs += elapsedMs;
}

void TReplayRecorder::EndGame(int32_t score, int32_t level) {
  if (!FWriter) return;
  TReplay replay;
  replay.Header = FIdentity;
  replay.Header.Start = FStart;
  replay.Header.FinalScore = score;
  replay.Header.FinalLevel = level;
  replay.Header.DurationMs = FDurationMs;
  replay.Header.RecordCount = FWriter->Count();
  replay.Records = FWriter->Finish();
  FWriter.reset();
  FLast = std::move(replay);
}
