#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

// Small building blocks of the generator's synthesiser: every effect and every instrument of the
// music is made from these, deterministically (the same sources give the same files).
namespace synth {

inline constexpr double Pi = std::numbers::pi;
inline constexpr double TwoPi = 2.0 * std::numbers::pi;

using TSignal = std::vector<float>;

// A reproducible white-noise source.
class TNoise {
 public:
  explicit TNoise(uint32_t seed = 0x2545F491U) : FState(seed | 1U) {}
  float Next() {
    FState ^= FState << 13;
    FState ^= FState >> 17;
    FState ^= FState << 5;
    return static_cast<float>(FState) / 2147483648.0F - 1.0F;
  }

 private:
  uint32_t FState;
};

// One-pole low pass; cutoff in Hz.
class TLowPass {
 public:
  float Process(float x, double cutoff, double rate) {
    const double a = 1.0 - std::exp(-TwoPi * cutoff / rate);
    FY += static_cast<float>(a) * (x - FY);
    return FY;
  }

 private:
  float FY = 0.0F;
};

// One-pole high pass; cutoff in Hz.
class THighPass {
 public:
  float Process(float x, double cutoff, double rate) {
    FLow += static_cast<float>(1.0 - std::exp(-TwoPi * cutoff / rate)) * (x - FLow);
    return x - FLow;
  }

 private:
  float FLow = 0.0F;
};

// State-variable filter (Chamberlin) giving low, band and high pass; stable for cutoffs well
// below a sixth of the rate.
class TSvf {
 public:
  void Process(float x, double cutoff, double q, double rate) {
    const double f = 2.0 * std::sin(Pi * std::min(cutoff, rate / 6.5) / rate);
    const auto ff = static_cast<float>(f);
    const auto damp = static_cast<float>(1.0 / q);
    Low += ff * Band;
    High = x - Low - damp * Band;
    Band += ff * High;
  }
  float Low = 0.0F;
  float Band = 0.0F;
  float High = 0.0F;
};

inline double Seconds(std::size_t i, double rate) { return static_cast<double>(i) / rate; }

inline std::size_t Frames(double seconds, double rate) {
  return static_cast<std::size_t>(std::lround(seconds * rate));
}

// Exponential decay that reaches -60 dB after t60 seconds.
inline double Decay(double t, double t60) { return std::exp(-6.907755 * t / t60); }

// Linear fades at both ends so a sound starts and ends at zero without a click.
inline void Fade(TSignal& s, double rate, double in = 0.002, double out = 0.01) {
  const std::size_t nIn = std::min(s.size(), Frames(in, rate));
  const std::size_t nOut = std::min(s.size(), Frames(out, rate));
  for (std::size_t i = 0; i < nIn; ++i) s[i] *= static_cast<float>(i) / static_cast<float>(nIn);
  for (std::size_t i = 0; i < nOut; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(nOut);
}

inline float Peak(const TSignal& s) {
  float peak = 0.0F;
  for (const float x : s) peak = std::max(peak, std::fabs(x));
  return peak;
}

// The loudest RMS over windows of the given length: the level a listener hears.
inline double LoudestRms(const TSignal& s, double rate, double window = 0.1) {
  const std::size_t n = std::max<std::size_t>(1, std::min(s.size(), Frames(window, rate)));
  double sum = 0.0;
  double best = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    sum += static_cast<double>(s[i]) * s[i];
    if (i >= n) sum -= static_cast<double>(s[i - n]) * s[i - n];
    if (i + 1 >= n) best = std::max(best, sum / static_cast<double>(n));
  }
  if (s.size() < n) best = sum / static_cast<double>(std::max<std::size_t>(1, s.size()));
  return std::sqrt(std::max(best, 1e-12));
}

// A look-ahead peak limiter: the gain falls just before a peak would pass the ceiling and comes
// back over `release` seconds, so transients are rounded off without distortion.
inline void Limit(TSignal& s, double rate, float ceiling, double release = 0.04) {
  const std::size_t n = s.size();
  const std::size_t ahead = std::max<std::size_t>(1, Frames(0.0015, rate));
  std::vector<float> need(n);
  for (std::size_t i = 0; i < n; ++i) {
    const float a = std::fabs(s[i]);
    need[i] = a > ceiling ? ceiling / a : 1.0F;
  }
  const auto back = static_cast<float>(1.0 - std::exp(-1.0 / (release * rate)));
  float gain = 1.0F;
  for (std::size_t i = 0; i < n; ++i) {
    float lowest = 1.0F;
    const std::size_t from = i >= ahead ? i - ahead : 0;
    const std::size_t to = std::min(n, i + ahead + 1);
    for (std::size_t k = from; k < to; ++k) lowest = std::min(lowest, need[k]);
    gain = lowest < gain ? lowest : gain + (1.0F - gain) * back;
    gain = std::min(gain, 1.0F);
    s[i] = std::clamp(s[i] * std::min(gain, lowest), -ceiling, ceiling);
  }
}

// Brings a sound to the common loudness: its loudest 50 ms at targetRms, peaks limited below
// ceiling (-1.5 dBFS). A very spiky sound is limited by at most about 10 dB and left a little
// quieter beyond that, so a shot keeps its snap.
inline void Normalise(TSignal& s, double rate, double targetRms, float ceiling = 0.84F) {
  for (int pass = 0; pass < 3; ++pass) {
    double gain = targetRms / LoudestRms(s, rate, 0.05);
    const double peak = Peak(s) * gain;
    if (peak > 3.2 * ceiling) gain *= 3.2 * ceiling / peak;
    for (float& x : s) x = static_cast<float>(x * gain);
    Limit(s, rate, ceiling);
  }
}

// Joins the end of a sound onto its start with an equal-power crossfade of overlap seconds, so it
// loops without a seam; the result is overlap shorter.
inline TSignal MakeLoop(const TSignal& s, double rate, double overlap) {
  const std::size_t x = Frames(overlap, rate);
  if (s.size() <= 2 * x) return s;
  const std::size_t length = s.size() - x;
  TSignal out(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(length));
  for (std::size_t i = 0; i < x; ++i) {
    const double t = (static_cast<double>(i) + 0.5) / static_cast<double>(x);
    out[i] = static_cast<float>(s[i] * std::sin(t * Pi / 2) + s[length + i] * std::cos(t * Pi / 2));
  }
  return out;
}

// Adds src into dst from the given frame on, scaled.
inline void MixInto(TSignal& dst, const TSignal& src, std::size_t at, float gain = 1.0F) {
  if (dst.size() < at + src.size()) dst.resize(at + src.size(), 0.0F);
  for (std::size_t i = 0; i < src.size(); ++i) dst[at + i] += src[i] * gain;
}

}  // namespace synth
