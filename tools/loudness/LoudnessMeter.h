#pragma once

#include <cstddef>
#include <vector>

// A loudness meter after ITU-R BS.1770 / EBU R128: K-weighting, 400 ms blocks every 100 ms,
// an absolute gate at -70 LUFS and a relative gate 10 LU under the ungated mean. The asset
// builder levels its waves with it and the tests check the loudness plan with it.
class TLoudnessMeter {
 public:
  TLoudnessMeter(int sampleRate, int channels);

  // Interleaved frames of the meter's channel count.
  void Add(const float* frames, std::size_t frameCount);
  // Integrated (gated) loudness in LUFS; -inf for silence. A signal shorter than one block is
  // measured as if followed by silence, as a short effect is heard.
  double Integrated() const;
  // The loudest 400 ms block in LUFS.
  double MaxMomentary() const;
  // Loudness of every 400 ms block, one per 100 ms.
  std::vector<double> Momentary() const;

 private:
  struct TBiquad {
    double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
    double Z1 = 0, Z2 = 0;
    double Process(double x);
  };
  std::vector<double> BlockPowers() const;

  int FChannels;
  std::size_t FStepFrames;  // 100 ms
  std::vector<TBiquad> FShelf;
  std::vector<TBiquad> FHighPass;
  std::vector<double> FSteps;  // summed K-weighted power of each completed 100 ms step
  double FCurrent = 0.0;
  std::size_t FInStep = 0;
};

// Loudness figures of a mono or stereo signal in one call.
struct TLoudness {
  double Integrated = 0.0;
  double MaxMomentary = 0.0;
};
TLoudness MeasureLoudness(const std::vector<float>& interleaved, int sampleRate, int channels);

// The same signal through an octave-wide band pass (two cascaded band-pass sections) around
// centre Hz, for comparing two sounds where they compete.
std::vector<float> OctaveBand(const std::vector<float>& interleaved, int sampleRate, int channels, double centre);
