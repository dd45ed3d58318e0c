#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>

#include "server/ServerClock.h"

// The one-time tokens P handed out with the version reply: each is good for one submission within
// ten minutes. A submission without a fresh token is refused, which stops replays of old records.
class TTokenBook {
 public:
  static constexpr std::chrono::minutes Lifetime{10};
  static constexpr size_t TokenLength = 16;

  // At most capacity tokens are kept; beyond that the oldest are forgotten, so a flood of version
  // queries cannot eat the server's memory.
  explicit TTokenBook(size_t capacity = 1'000'000) : FCapacity(capacity == 0 ? 1 : capacity) {}

  std::string Issue(TSteadyTime now);
  // True once for a token issued less than Lifetime ago; it is gone afterwards.
  bool Redeem(const std::string& token, TSteadyTime now);
  size_t Outstanding() const;

 private:
  void Forget(TSteadyTime now);  // caller holds FLock

  mutable std::mutex FLock;
  std::unordered_map<std::string, TSteadyTime> FExpiry;
  std::deque<std::pair<TSteadyTime, std::string>> FByExpiry;  // expiry grows along the queue
  size_t FCapacity;
  std::random_device FRandom;
};
