#pragma once

#include <cstddef>
#include <vector>

// How much of a tune repeats itself exactly: the tune is cut into sixteenth-note chroma frames
// (the energy of each of the twelve pitch classes), and every window of four bars starting on
// a bar line is compared with every earlier one. A window whose frames all but match an earlier
// window's is a repeat.
class TRepeatMeter {
 public:
  // Mean frame similarity (cosine of the chroma vectors) at or above which a window counts as
  // an exact repeat; a rendered copy of the same bars scores above 0.99.
  static constexpr double RepeatSimilarity = 0.97;

  // Stereo interleaved samples; barSeconds is the length of one bar.
  TRepeatMeter(const std::vector<float>& stereo, int sampleRate, double barSeconds);

  std::size_t Windows() const { return FWindows; }
  std::size_t Repeats() const { return FRepeats; }
  double RepeatFraction() const { return FWindows ? static_cast<double>(FRepeats) / static_cast<double>(FWindows) : 0.0; }

 private:
  std::size_t FWindows = 0;
  std::size_t FRepeats = 0;
};
