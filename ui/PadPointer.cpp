#include "ui/PadPointer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double AxisRange = 32767.0;

double Unit(int value) { return std::clamp(value / AxisRange, -1.0, 1.0); }

}  // namespace

void TPadPointer::SetAxis(TPadAxis axis, int value) { FAxes[static_cast<std::size_t>(axis)] = value; }

void TPadPointer::Release() { FAxes.fill(0); }

bool TPadPointer::Deflected() const {
  double vx = 0;
  double vy = 0;
  Velocity(100, vx, vy);
  return vx != 0 || vy != 0;
}

void TPadPointer::Velocity(int speedPercent, double& vx, double& vy) const {
  vx = vy = 0;
  double bestTilt = 0;
  for (const auto& [ax, ay] : {std::pair{TPadAxis::LeftX, TPadAxis::LeftY}, std::pair{TPadAxis::RightX, TPadAxis::RightY}}) {
    const double x = Unit(Axis(ax));
    const double y = Unit(Axis(ay));
    const double length = std::hypot(x, y);
    if (length <= DeadZone || length <= bestTilt) continue;
    bestTilt = length;
    // The part beyond the dead zone, 0 to 1, bent so that small tilts move very slowly.
    const double tilt = std::min(1.0, (length - DeadZone) / (1.0 - DeadZone));
    const double speed = FullTiltSpeed * std::pow(tilt, CurvePower);
    vx = speed * x / length;
    vy = speed * y / length;
  }
  const double trigger = std::clamp(Axis(TPadAxis::TriggerLeft) / AxisRange, 0.0, 1.0);
  const double factor = (speedPercent / 100.0) * (1.0 + (MaxBoost - 1.0) * trigger);
  vx *= factor;
  vy *= factor;
}

bool TPadPointer::Step(uint32_t elapsedMs, int speedPercent, int32_t& x, int32_t& y) {
  double vx = 0;
  double vy = 0;
  Velocity(speedPercent, vx, vy);
  if (vx == 0 && vy == 0) {
    FTracking = false;
    return false;
  }
  // Whichever device moved last owns the pointer: after a mouse move the pad carries on from there.
  if (!FTracking || x != FLastX || y != FLastY) {
    FX = x;
    FY = y;
    FTracking = true;
  }
  const double seconds = std::min(elapsedMs, MaxStepMs) / 1000.0;
  FX = std::clamp(FX + vx * seconds, 0.0, 799.0);
  FY = std::clamp(FY + vy * seconds, 0.0, 599.0);
  const auto nx = static_cast<int32_t>(std::lround(FX));
  const auto ny = static_cast<int32_t>(std::lround(FY));
  FLastX = nx;
  FLastY = ny;
  if (nx == x && ny == y) return false;
  x = nx;
  y = ny;
  return true;
}

TPadAction PadActionOf(TPadButton button) {
  switch (button) {
    case TPadButton::A:
      return TPadAction::Click;
    case TPadButton::B:
    case TPadButton::Back:
      return TPadAction::Escape;
    case TPadButton::Start:
      return TPadAction::Pause;
    default:
      return TPadAction::None;
  }
}

bool PadEditName(std::string& name, TPadButton button) {
  switch (button) {
    case TPadButton::DpadUp:
    case TPadButton::DpadDown: {
      const bool up = button == TPadButton::DpadUp;
      if (name.empty()) {
        name.assign(1, up ? 'A' : 'Z');
        return true;
      }
      char& last = name.back();
      if (last < 'A' || last > 'Z') last = 'A';
      else if (up) last = last == 'Z' ? 'A' : static_cast<char>(last + 1);
      else last = last == 'A' ? 'Z' : static_cast<char>(last - 1);
      return true;
    }
    case TPadButton::DpadRight:
      if (name.size() >= 10) return false;
      name += 'A';
      return true;
    case TPadButton::DpadLeft:
      if (name.empty()) return false;
      name.pop_back();
      return true;
    default:
      return false;
  }
}
