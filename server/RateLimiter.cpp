#include "server/RateLimiter.h"

#include <chrono>

namespace {

constexpr std::chrono::seconds Window{60};
constexpr uint32_t SweepEvery = 4096;

}  // namespace

bool TRateLimiter::Allow(const std::string& address, TSteadyTime now) {
  if (FPerMinute <= 0) return true;
  std::lock_guard lock(FLock);
  if (++FCallsSinceSweep >= SweepEvery) ForgetIdle(now);
  std::deque<TSteadyTime>& recent = FRecent[address];
  while (!recent.empty() && recent.front() + Window <= now) recent.pop_front();
  if (recent.size() >= static_cast<size_t>(FPerMinute)) return false;
  recent.push_back(now);
  return true;
}

// Addresses that have not submitted for a minute are dropped, so the map stays as small as the
// number of recent clients.
void TRateLimiter::ForgetIdle(TSteadyTime now) {
  FCallsSinceSweep = 0;
  for (auto it = FRecent.begin(); it != FRecent.end();) {
    if (it->second.empty() || it->second.back() + Window <= now) {
      it = FRecent.erase(it);
    } else {
      ++it;
    }
  }
}
