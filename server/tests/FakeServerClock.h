#pragma once

#include <chrono>

#include "server/ServerClock.h"

// A clock the test moves by hand.
class TFakeServerClock : public TServerClock {
 public:
  TSteadyTime Steady() const override { return FSteady; }
  int64_t UnixSeconds() const override { return FUnix; }
  void Advance(std::chrono::seconds by) {
    FSteady += by;
    FUnix += by.count();
  }

 private:
  TSteadyTime FSteady{std::chrono::hours(1000)};
  int64_t FUnix = 1796774400;  // 2026-12-09 00:00:00 UTC
};
