#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/ReplayPlayer.h"
#include "platform/replay/Replay.h"
#include "support/RecordedGame.h"
#include "support/ScratchFolder.h"

namespace {

// The scripted game (a move every 20 ms, a shot every 200 ms) recorded once for each length.
struct TRecordedMinutes {
  std::unique_ptr<TScratchFolder> Folder;
  TRecordedGame Game;
  std::string Bytes;
};

TRecordedMinutes& Recorded(int minutes) {
  static std::unique_ptr<TRecordedMinutes> recorded[11];
  std::unique_ptr<TRecordedMinutes>& slot = recorded[minutes];
  if (!slot) {
    slot = std::make_unique<TRecordedMinutes>();
    slot->Folder = std::make_unique<TScratchFolder>();
    slot->Folder->CopyGameData(ZARVOK_GAME_DIR);
    slot->Game = RecordGame(ScriptedGame(static_cast<uint32_t>(minutes) * 60000));
    slot->Bytes = WriteReplay(slot->Game.Replay);
    // ZARVOK_BENCH_REPLAY_DIR keeps the files, e.g. for `zarvok --replay FILE --verify`.
    if (const char* keep = std::getenv("ZARVOK_BENCH_REPLAY_DIR"))
      std::ofstream(std::string(keep) + "/scripted-" + std::to_string(minutes) + "min.zrp", std::ios::binary)
          << slot->Bytes;
  }
  return *slot;
}

// Verifying one recorded game headless, as the score server does. Counters: the replay's size per
// minute of play, and the verification's processor time per game minute.
void BM_VerifyReplay(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  TRecordedMinutes& recorded = Recorded(minutes);
  bool matches = true;
  for (auto _ : state) {
    const TReplayOutcome outcome = VerifyReplay(ReadReplay(recorded.Bytes));
    matches = matches && outcome.Matches;
  }
  const double gameMinutes = recorded.Game.Replay.Header.DurationMs / 60000.0;
  state.counters["game_min"] = gameMinutes;
  state.counters["bytes_per_min"] = recorded.Bytes.size() / gameMinutes;
  state.counters["score"] = recorded.Game.Score;
  state.counters["matches"] = matches ? 1 : 0;
  state.counters["s_per_game_min"] =
      benchmark::Counter(gameMinutes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_VerifyReplay)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(2);

}  // namespace
