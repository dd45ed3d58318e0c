#include "audio/DistanceFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void TDistanceFilter::SetDistance(float distance, int sampleRate) {
  const float d = std::clamp(distance, 0.0F, 1.0F);
  FGain = std::pow(10.0F, -FarCutDb * d / 20.0F);
  if (d <= 0.0F) {
    FCoefficient = 1.0F;
    return;
  }
  // The cutoff falls evenly in octaves from 20 kHz at the player to FarCutoffHz at the edge.
  const float cutoff = 20000.0F * std::pow(FarCutoffHz / 20000.0F, d);
  const float rate = static_cast<float>(std::max(1, sampleRate));
  FCoefficient = std::min(1.0F, 1.0F - std::exp(-2.0F * std::numbers::pi_v<float> * cutoff / rate));
}

float TDistanceFilter::Process(float x) {
  FState += FCoefficient * (x - FState);
  return FState * FGain;
}
