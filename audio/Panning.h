#pragma once

#include <cmath>

// Left and right gains of an effect placed on the battlefield. Constant-power panning: the
// gains lie on a quarter circle, so an effect sounds equally loud wherever it is, and in the
// middle each side gets 1, as an effect that is not placed at all.
struct TPanGains {
  float Left = 1.0F;
  float Right = 1.0F;

  static constexpr TPanGains Centre() { return {1.0F, 1.0F}; }

  // The gains for an effect at x on the 800-pixel field (0 far left, 799 far right); points off
  // the field count as its edge.
  static TPanGains At(double x) {
    const double p = std::fmin(1.0, std::fmax(0.0, x / 799.0));
    const double angle = p * M_PI / 2;
    return {static_cast<float>(std::sqrt(2.0) * std::cos(angle)), static_cast<float>(std::sqrt(2.0) * std::sin(angle))};
  }
};
