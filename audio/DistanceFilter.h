#pragma once

// How a sound from across the battlefield differs from one at the player's hand: quieter, and
// duller because the air takes the highs first. Ready for the mixer to give each far-off enemy
// shot its distance once sounds know where they come from.
class TDistanceFilter {
 public:
  // Level and brightness at the far edge of the field.
  static constexpr float FarCutDb = 9.0F;
  static constexpr float FarCutoffHz = 2500.0F;

  // distance runs from 0 (at the player: the sound untouched) to 1 (the far edge).
  void SetDistance(float distance, int sampleRate);
  float Process(float x);

 private:
  float FGain = 1.0F;
  float FCoefficient = 1.0F;  // 1 lets everything through
  float FState = 0.0F;
};
