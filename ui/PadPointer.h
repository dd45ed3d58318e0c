#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

// Turns a game pad's sticks into pointer movement: a round dead zone, a curve that creeps a
// pixel at a time at small tilt and crosses the 800-pixel field in about a second at full tilt,
// and the left trigger as a boost. Either stick moves the pointer; the stronger one wins.
class TPadPointer {
 public:
  // Fraction of the stick's travel that counts as rest: worn sticks never sit exactly at 0.
  static constexpr double DeadZone = 0.18;
  // Pixels per second at full tilt with the pad speed at 100 %.
  static constexpr double FullTiltSpeed = 800.0;
  static constexpr double CurvePower = 2.6;
  // A fully pulled left trigger multiplies the speed by this.
  static constexpr double MaxBoost = 2.5;
  // Longest time one step may cover, so a stalled frame does not fling the pointer.
  static constexpr uint32_t MaxStepMs = 100;

  void SetAxis(TPadAxis axis, int value);
  int Axis(TPadAxis axis) const { return FAxes[static_cast<std::size_t>(axis)]; }
  // Every axis back to rest (the pad was removed).
  void Release();
  // A stick is out of its dead zone.
  bool Deflected() const;

  // Pointer speed in pixels per second along x and y for the sticks and trigger as they are.
  void Velocity(int speedPercent, double& vx, double& vy) const;

  // Moves the pointer for elapsedMs from (x, y), which is where it is now: a pointer that moved
  // since the last step (the mouse took it) is followed from its new place. True when the
  // pointer reached another pixel; x and y then hold it, inside the 800 x 600 surface.
  bool Step(uint32_t elapsedMs, int speedPercent, int32_t& x, int32_t& y);

 private:
  std::array<int, 6> FAxes{};
  double FX = 0;
  double FY = 0;
  int32_t FLastX = 0;
  int32_t FLastY = 0;
  bool FTracking = false;
};

// What a pad button stands for when it is not editing a name.
enum class TPadAction { None, Click, Escape, Pause };
TPadAction PadActionOf(TPadButton button);

// Name entry with the d-pad: up and down step the last letter through A to Z (round the ends),
// right adds an A (up to ten letters), left removes the last letter. Up or down on an empty name
// starts it with A or Z. True when the name changed.
bool PadEditName(std::string& name, TPadButton button);
