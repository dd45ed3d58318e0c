#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

#include "server/ServerClock.h"

// Lets each client address make at most a given number of submissions in any 60 seconds.
class TRateLimiter {
 public:
  // perMinute 0 means no limit.
  explicit TRateLimiter(int32_t perMinute) : FPerMinute(perMinute) {}

  // Counts the attempt when it is allowed.
  bool Allow(const std::string& address, TSteadyTime now);

 private:
  void ForgetIdle(TSteadyTime now);  // caller holds FLock

  std::mutex FLock;
  std::unordered_map<std::string, std::deque<TSteadyTime>> FRecent;
  int32_t FPerMinute;
  uint32_t FCallsSinceSweep = 0;
};
