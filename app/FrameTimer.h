#pragma once

#include <cstdint>
#include <functional>

class TClock;

// The frame timer: the message loop polls it whenever it is idle, and it calls OnTimer at most
// once per Interval with the number of whole intervals that have passed (LagCount, at least 1).
// It also carries the application's focus events, which the loop hands to OnActivate and
// OnDeactivate whether or not the timer runs.
class TFrameTimer {
 public:
  explicit TFrameTimer(const TClock& clock);

  bool Enabled() const { return FEnabled; }
  // Enabling counts the first interval from now.
  void SetEnabled(bool enabled);
  int32_t Interval() const { return FInterval; }
  void SetInterval(int32_t interval) { FInterval = interval; }
  bool ActiveOnly = false;

  // Ticks when due; true when OnTimer ran.
  bool Poll();
  // Milliseconds until the next tick (0 when due); meaningful while Enabled().
  uint32_t TimeToNext() const;

  // Milliseconds since the last tick; setting it puts the timer at that point of its interval.
  uint32_t Elapsed() const;
  void SetElapsed(uint32_t elapsed);

  void Activate();
  void Deactivate();

  std::function<void(int32_t lagCount)> OnTimer;
  std::function<void()> OnActivate;
  std::function<void()> OnDeactivate;

 private:
  uint32_t EffectiveInterval() const { return FInterval < 0 ? 0u : static_cast<uint32_t>(FInterval); }

  const TClock& FClock;
  int32_t FInterval = 1000;
  uint32_t FOldTime = 0;
  bool FEnabled = false;
};
