#pragma once

#include <cstddef>

// Lowers the music under the announcer so the words stand clear of it: down by DuckDepthDb over
// AttackSeconds when a word starts, back up over ReleaseSeconds after it ends. The gain moves in
// straight steps of decibels, so a level change sounds even.
class TMusicDucker {
 public:
  static constexpr float DuckDepthDb = 6.0F;
  static constexpr float AttackSeconds = 0.05F;
  static constexpr float ReleaseSeconds = 0.3F;

  // Scales interleaved stereo music; a ducking wave sounds during its first voiceFrames frames.
  void Process(float* frames, std::size_t frameCount, std::size_t voiceFrames, int sampleRate);
  // The cut now applied, in decibels (0 when the music plays at its full level).
  float CutDb() const { return FCutDb; }

 private:
  float FCutDb = 0.0F;
};
