#pragma once

#include <cstdint>
#include <functional>

class TClock;

// A plain timer that behaves like a message-driven window timer: enabling starts the interval
// from that moment, setting the interval of an enabled timer restarts it, and a timer that is
// polled late fires once, not once per missed interval. The message loop polls it between frames.
class TTimer {
 public:
  TTimer(const TClock& clock, uint32_t interval);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return FInterval; }
  // Stops the timer but keeps the part of the interval already gone, for Resume.
  void Suspend();
  // Starts the timer again with the part of the interval that Suspend kept, so time spent
  // suspended does not count; a fresh interval when nothing was kept. SetEnabled forgets it.
  void Resume();
  void SetInterval(uint32_t interval);

  // Runs OnTimer when the interval has passed; true when it fired. A zero interval never fires.
  bool Poll();
  // Milliseconds until the timer is due (0 when due); only meaningful while Armed().
  uint32_t TimeToNext() const;
  // Enabled with a non-zero interval and a handler: the only state in which it can fire.
  bool Armed() const;
  // Milliseconds since the interval began; setting it puts the timer at that point of its interval.
  uint32_t Elapsed() const;
  void SetElapsed(uint32_t elapsed);

  std::function<void()> OnTimer;

 private:
  const TClock& FClock;
  uint32_t FInterval;
  uint32_t FStart = 0;
  bool FEnabled = false;
  uint32_t FKeptMs = 0;
  bool FKept = false;
};
