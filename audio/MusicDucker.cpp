#include "audio/MusicDucker.h"

#include <algorithm>
#include <cmath>

void TMusicDucker::Process(float* frames, std::size_t frameCount, std::size_t voiceFrames, int sampleRate) {
  const float rate = static_cast<float>(std::max(1, sampleRate));
  const float down = DuckDepthDb / (AttackSeconds * rate);
  const float up = DuckDepthDb / (ReleaseSeconds * rate);
  for (std::size_t i = 0; i < frameCount; ++i) {
    const bool voice = i < voiceFrames;
    FCutDb = voice ? std::min(DuckDepthDb, FCutDb + down) : std::max(0.0F, FCutDb - up);
    // The steps add up with rounding; the last one of a release lands on full level exactly.
    if (!voice && FCutDb < up * 0.5F) FCutDb = 0.0F;
    if (FCutDb <= 0.0F) continue;
    const float gain = std::pow(10.0F, -FCutDb / 20.0F);
    frames[i * 2] *= gain;
    frames[i * 2 + 1] *= gain;
  }
}
