#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/replay/Replay.h"

class TScoreStore;

// Plays the replays of submitted scores again, off the request threads: a bounded queue and one
// worker thread, which runs the game's own code on the game's data and marks a score verified
// only when its replay reaches exactly that score. The game reads its data from the working
// folder, which the server sets up once before serving (see PrepareVerifyFolder).
class TReplayVerifier {
 public:
  struct TJob {
    int64_t ScoreId = 0;
    int32_t Score = 0;
    std::string Replay;
  };
  using TLog = std::function<void(const std::string&)>;

  // identity: the version and data checksums a replay must have been made with.
  TReplayVerifier(TScoreStore& store, TReplayHeader identity, std::size_t capacity, TLog log = {});
  ~TReplayVerifier();
  TReplayVerifier(const TReplayVerifier&) = delete;
  TReplayVerifier& operator=(const TReplayVerifier&) = delete;

  // False when the queue is full: the score stays unverified.
  bool Enqueue(TJob job);
  // Returns when the queue is empty and no job runs (tests).
  void WaitIdle();

  // Plays one replay; empty when it reaches the score, else why not.
  static std::string Check(const TJob& job, const TReplayHeader& identity);

 private:
  void Work();

  TScoreStore& FStore;
  TReplayHeader FIdentity;
  std::size_t FCapacity;
  TLog FLog;
  std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<TJob> FQueue;
  bool FBusy = false;
  bool FStopping = false;
  std::thread FWorker;
};

// Makes a folder for the game under dataDir that holds a link to gameDataDir/Data, so the game's
// files are found there and what it writes stays there, and makes it the working folder. Call
// before any other thread starts; every path used afterwards must be absolute. Returns the
// checksums the replays must match; raises std::runtime_error when the data is not there.
TReplayHeader PrepareVerifyFolder(const std::string& gameDataDir, const std::string& dataDir);
