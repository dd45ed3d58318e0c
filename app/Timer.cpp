#include "app/Timer.h"

#include "platform/Platform.h"

TTimer::TTimer(const TClock& clock, uint32_t interval) : FClock(clock), FInterval(interval) {}

void TTimer::SetEnabled(bool enabled) {
  FKept = false;
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  if (FEnabled) FStart = FClock.Milliseconds();
}

void TTimer::SetInterval(uint32_t interval) {
  FInterval = interval;
  if (FEnabled) FStart = FClock.Milliseconds();
}

uint32_t TTimer::Elapsed() const { return FClock.Milliseconds() - FStart; }

void TTimer::SetElapsed(uint32_t elapsed) { FStart = FClock.Milliseconds() - elapsed; }

void TTimer::Suspend() {
  if (!FEnabled) return;
  const uint32_t elapsed = FClock.Milliseconds() - FStart;
  FKeptMs = elapsed < FInterval ? elapsed : FInterval;
  FKept = true;
  FEnabled = false;
}

void TTimer::Resume() {
  if (FEnabled) return;
  FEnabled = true;
  FStart = FClock.Milliseconds() - (FKept ? FKeptMs : 0);
  FKept = false;
}

bool TTimer::Armed() const { return FEnabled && FInterval != 0 && OnTimer; }

uint32_t TTimer::TimeToNext() const {
  const uint32_t elapsed = FClock.Milliseconds() - FStart;
  return elapsed >= FInterval ? 0 : FInterval - elapsed;
}

bool TTimer::Poll() {
  if (!Armed()) return false;
  const uint32_t now = FClock.Milliseconds();
  if (now - FStart < FInterval) return false;
  // The next interval counts from this firing, so a late poll never owes a second event. The
  // handler may restart or stop the timer itself; it sees the timer already rescheduled.
  FStart = now;
  OnTimer();
  return true;
}
