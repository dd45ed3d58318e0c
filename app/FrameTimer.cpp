#include "app/FrameTimer.h"

#include <algorithm>

#include "platform/Platform.h"

TFrameTimer::TFrameTimer(const TClock& clock) : FClock(clock) {}

void TFrameTimer::SetEnabled(bool enabled) {
  if (enabled && !FEnabled) FOldTime = FClock.Milliseconds();
  FEnabled = enabled;
}

uint32_t TFrameTimer::TimeToNext() const {
  const uint32_t elapsed = FClock.Milliseconds() - FOldTime;
  const uint32_t interval = EffectiveInterval();
  return elapsed >= interval ? 0 : interval - elapsed;
}

uint32_t TFrameTimer::Elapsed() const { return FClock.Milliseconds() - FOldTime; }

void TFrameTimer::SetElapsed(uint32_t elapsed) { FOldTime = FClock.Milliseconds() - elapsed; }

bool TFrameTimer::Poll() {
  if (!FEnabled) return false;
  const uint32_t now = FClock.Milliseconds();
  // Unsigned difference: the 32-bit clock may wrap between two ticks.
  const uint32_t elapsed = now - FOldTime;
  if (elapsed < EffectiveInterval()) return false;
  FOldTime = now;
  const uint32_t divisor = std::max<uint32_t>(EffectiveInterval(), 1);
  const uint32_t lag = std::max<uint32_t>(elapsed / divisor, 1);
  if (OnTimer) OnTimer(static_cast<int32_t>(std::min<uint32_t>(lag, INT32_MAX)));
  return true;
}

void TFrameTimer::Activate() {
  if (OnActivate) OnActivate();
}

void TFrameTimer::Deactivate() {
  if (OnDeactivate) OnDeactivate();
}
