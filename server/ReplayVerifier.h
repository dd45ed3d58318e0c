#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/GamePaths.h"
#include "platform/replay/Replay.h"
#include "server/ServerClock.h"

class TScoreStore;

// Plays the replays of submitted scores again, off the request threads: a bounded queue and one
// worker thread, which runs the game's own code on the game's data and marks a score verified
// only when its replay reaches exactly that score. The queue is only the quick way: at start and
// then every SweepInterval the worker also takes from the store replays that no instance has
// checked (one stopped first, or its queue was full), so none waits for good.
class TReplayVerifier {
 public:
  struct TJob {
    int64_t ScoreId = 0;
    int32_t Score = 0;
    std::string Replay;
  };
  using TLog = std::function<void(const std::string&)>;

  // A replay is its receiving instance's to check for this long after its score came; a sweep that
  // takes one holds it as long.
  static constexpr int64_t LeaseSeconds = 600;
  static constexpr std::chrono::seconds SweepInterval{60};
  static constexpr int32_t SweepBatch = 16;

  // paths: the game's data, and a folder of the server's for what the game writes (its settings).
  TReplayVerifier(TScoreStore& store, TGamePaths paths, std::size_t capacity, const TServerClock& clock,
                  TLog log = {});
  ~TReplayVerifier();
  TReplayVerifier(const TReplayVerifier&) = delete;
  TReplayVerifier& operator=(const TReplayVerifier&) = delete;

  // False when the queue is full: the replay waits in the store for a sweep.
  bool Enqueue(TJob job);
  // Asks for a sweep now rather than at its time.
  void Sweep();
  // Returns when no sweep is due, the queue is empty and no job runs (tests).
  void WaitIdle();

  // Plays one replay; empty when it reaches the score, else why not.
  static std::string Check(const TJob& job, const TReplayHeader& identity, const TGamePaths& paths);

 private:
  void Work();
  // Takes unchecked replays from the store into the queue; called by the worker without FLock.
  void TakeFromStore();

  TScoreStore& FStore;
  const TServerClock& FClock;
  TGamePaths FPaths;
  TReplayHeader FIdentity;  // the version and data checksums a replay must have
  std::size_t FCapacity;
  TLog FLog;
  std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<TJob> FQueue;
  bool FBusy = false;
  bool FSweepDue = true;
  bool FStopping = false;
  std::thread FWorker;
};

// The game's data in gameDataDir, and dataDir/replay-check (made) for what the game writes while
// it plays a replay; raises std::runtime_error when gameDataDir holds no game data.
TGamePaths VerifyPaths(const std::string& gameDataDir, const std::string& dataDir);
