#pragma once

#include <chrono>
#include <cstdint>

using TSteadyTime = std::chrono::steady_clock::time_point;

// Where the server reads the time: token expiry and rate limits run on the steady clock, dates on
// the table come from the wall clock. Tests put a hand-driven clock in its place.
class TServerClock {
 public:
  virtual ~TServerClock() = default;
  virtual TSteadyTime Steady() const { return std::chrono::steady_clock::now(); }
  // Seconds since 1970-01-01 UTC.
  virtual int64_t UnixSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};
