#include "server/ReplayVerifier.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/ReplayPlayer.h"
#include "server/ScoreStore.h"

TReplayVerifier::TReplayVerifier(TScoreStore& store, TGamePaths paths, std::size_t capacity,
                                 const TServerClock& clock, TLog log)
    : FStore(store),
      FClock(clock),
      FPaths(std::move(paths)),
      FIdentity(GameIdentity(FPaths.DataFolder())),
      FCapacity(capacity),
      FLog(std::move(log)) {
  FWorker = std::thread([this] { Work(); });
}

TReplayVerifier::~TReplayVerifier() {
  {
    std::lock_guard lock(FLock);
    FStopping = true;
  }
  FChanged.notify_all();
  FWorker.join();
}

bool TReplayVerifier::Enqueue(TJob job) {
  {
    std::lock_guard lock(FLock);
    if (FQueue.size() >= FCapacity) return false;
    FQueue.push_back(std::move(job));
  }
  FChanged.notify_all();
  return true;
}

void TReplayVerifier::Sweep() {
  {
    std::lock_guard lock(FLock);
    FSweepDue = true;
  }
  FChanged.notify_all();
}

void TReplayVerifier::WaitIdle() {
  std::unique_lock lock(FLock);
  FChanged.wait(lock, [this] { return !FSweepDue && FQueue.empty() && !FBusy; });
}

void TReplayVerifier::TakeFromStore() {
  std::vector<TJob> jobs;
  try {
    const int64_t now = FClock.UnixSeconds();
    for (const TReplayTarget& target : FStore.TakeUncheckedReplays(now, now - LeaseSeconds, SweepBatch)) {
      if (std::optional<std::string> replay = FStore.Replay(target.ScoreId))
        jobs.push_back({target.ScoreId, target.Score, std::move(*replay)});
    }
  } catch (const std::exception& error) {
    if (FLog) FLog(std::string("score database: ") + error.what());
  }
  if (FLog && !jobs.empty())
    FLog(std::to_string(jobs.size()) + " replays left unchecked taken from the score database");
  std::lock_guard lock(FLock);
  // Beyond the queue's bound: they are few, and already taken from the other instances.
  for (TJob& job : jobs) FQueue.push_back(std::move(job));
}

std::string TReplayVerifier::Check(const TJob& job, const TReplayHeader& identity, const TGamePaths& paths) {
  try {
    const TReplay replay = ReadReplay(job.Replay);
    const std::string problem = ReplayIdentityProblem(replay.Header, identity.GameVersion, identity.PictureChecksum,
                                                      identity.SoundChecksum);
    if (!problem.empty()) return problem;
    if (replay.Header.FinalScore != job.Score)
      return "the replay claims " + std::to_string(replay.Header.FinalScore) + ", the score is " +
             std::to_string(job.Score);
    const TReplayOutcome outcome = VerifyReplay(replay, paths);
    if (!outcome.Matches) return outcome.Reason;
    return {};
  } catch (const std::exception& error) {
    return error.what();
  }
}

void TReplayVerifier::Work() {
  std::chrono::steady_clock::time_point nextSweep = std::chrono::steady_clock::now();
  for (;;) {
    TJob job;
    {
      std::unique_lock lock(FLock);
      FChanged.wait_until(lock, nextSweep, [this] { return FStopping || FSweepDue || !FQueue.empty(); });
      if (FStopping) return;
      if (FQueue.empty() && (FSweepDue || std::chrono::steady_clock::now() >= nextSweep)) {
        FBusy = true;
        FSweepDue = false;  // a sweep asked for while this one runs is run after it
        lock.unlock();
        TakeFromStore();
        lock.lock();
        FBusy = false;
        nextSweep = std::chrono::steady_clock::now() + SweepInterval;
        FChanged.notify_all();
        continue;
      }
      if (FQueue.empty()) continue;
      job = std::move(FQueue.front());
      FQueue.pop_front();
      FBusy = true;
    }
    const std::string problem = Check(job, FIdentity, FPaths);
    try {
      FStore.SetVerified(job.ScoreId, problem.empty());
    } catch (const std::exception& error) {
      if (FLog) FLog(std::string("score database: ") + error.what());
    }
    if (FLog)
      FLog("replay of score " + std::to_string(job.ScoreId) + ": " + (problem.empty() ? "verified" : problem));
    {
      std::lock_guard lock(FLock);
      FBusy = false;
    }
    FChanged.notify_all();
  }
}

TGamePaths VerifyPaths(const std::string& gameDataDir, const std::string& dataDir) {
  namespace fs = std::filesystem;
  const fs::path game = fs::absolute(gameDataDir);
  if (!fs::is_regular_file(game / "Data/Graphic.dxg"))
    throw std::runtime_error("--game-data " + gameDataDir + " holds no Data/Graphic.dxg");
  const fs::path scratch = fs::absolute(dataDir) / "replay-check";
  fs::create_directories(scratch);
  return TGamePaths(game, scratch);
}
