#pragma once

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

class TScoreStore;

// Plays the replays of submitted scores again, off the request threads: a bounded queue and one
// worker thread, which runs the game's own code on the game's data and marks a score verified
// only when its replay reaches exactly that score.
class TReplayVerifier {
 public:
  struct TJob {
    int64_t ScoreId = 0;
    int32_t Score = 0;
    std::string Replay;
  };
  using TLog = std::function<void(const std::string&)>;

  // paths: the game's data, and a folder of the server's for what the game writes (its settings).
  TReplayVerifier(TScoreStore& store, TGamePaths paths, std::size_t capacity, TLog log = {});
  ~TReplayVerifier();
  TReplayVerifier(const TReplayVerifier&) = delete;
  TReplayVerifier& operator=(const TReplayVerifier&) = delete;

  // False when the queue is full: the score stays unverified.
  bool Enqueue(TJob job);
  // Returns when the queue is empty and no job runs (tests).
  void WaitIdle();

  // Plays one replay; empty when it reaches the score, else why not.
  static std::string Check(const TJob& job, const TReplayHeader& identity, const TGamePaths& paths);

 private:
  void Work();

  TScoreStore& FStore;
  TGamePaths FPaths;
  TReplayHeader FIdentity;  // the version and data checksums a replay must have
  std::size_t FCapacity;
  TLog FLog;
  std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<TJob> FQueue;
  bool FBusy = false;
  bool FStopping = false;
  std::thread FWorker;
};

// The game's data in gameDataDir, and dataDir/replay-check (made) for what the game writes while
// it plays a replay; raises std::runtime_error when gameDataDir holds no game data.
TGamePaths VerifyPaths(const std::string& gameDataDir, const std::string& dataDir);
