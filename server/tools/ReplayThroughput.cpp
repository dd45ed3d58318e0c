// Measures how fast the score server's verifier checks replays: queues one replay file N times
// against a score in a scratch SQLite store and reports games and game minutes checked per second
// of wall time and of processor time (the verifier runs one worker thread). Reports only; checks
// nothing.
//   zarvok-replay-throughput GAME_DIR REPLAY_FILE [COUNT]
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/replay/Replay.h"
#include "server/ReplayVerifier.h"
#include "server/SqliteScoreStore.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: zarvok-replay-throughput GAME_DIR REPLAY_FILE [COUNT]\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TReplay replay = ReadReplay(bytes);
  const int count = argc > 3 ? std::atoi(argv[3]) : 20;
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("zarvok-throughput-" + std::to_string(::getpid()));
  TSqliteScoreStore store(":memory:");
  int verified = 0;
  int refused = 0;
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  {
    const TServerClock clock;
    TReplayVerifier verifier(store, VerifyPaths(argv[1], scratch.string()), static_cast<size_t>(count), clock,
                             [&](const std::string& line) {
                               if (line.find(": verified") != std::string::npos)
                                 ++verified;
                               else
                                 ++refused;
                             });
    for (int i = 0; i < count; ++i) verifier.Enqueue({i + 1, replay.Header.FinalScore, bytes});
    verifier.WaitIdle();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  const double gameMinutes = count * replay.Header.DurationMs / 60000.0;
  std::printf("%d replays of %.2f game minutes each in %.2f s (%.2f s of processor time): %.1f games/s, "
              "%.1f game minutes/s; per processor second %.1f game minutes; %d verified, %d not\n",
              count, replay.Header.DurationMs / 60000.0, seconds, cpuSeconds, count / seconds, gameMinutes / seconds,
              gameMinutes / cpuSeconds, verified, refused);
  std::filesystem::remove_all(scratch);
  return 0;
}
