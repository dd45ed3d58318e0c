#include "LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double Silence = -std::numeric_limits<double>::infinity();

double ToLufs(double power) { return power > 0 ? -0.691 + 10.0 * std::log10(power) : Silence; }

}  // namespace

double TLoudnessMeter::TBiquad::Process(double x) {
  const double y = B0 * x + Z1;
  Z1 = B1 * x - A1 * y + Z2;
  Z2 = B2 * x - A2 * y;
  return y;
}

TLoudnessMeter::TLoudnessMeter(int sampleRate, int channels)
    : FChannels(std::max(1, channels)), FStepFrames(static_cast<std::size_t>(std::lround(sampleRate * 0.1))) {
  // The K-weighting filters, derived for any rate from their analogue prototypes: a high shelf
  // of +4 dB above about 1.7 kHz (the head's effect) and a high pass at about 38 Hz.
  const double pi = std::numbers::pi;
  TBiquad shelf;
  {
    const double f0 = 1681.974450955533;
    const double gain = 3.999843853973347;
    const double q = 0.7071752369554196;
    const double k = std::tan(pi * f0 / sampleRate);
    const double vh = std::pow(10.0, gain / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    shelf.B0 = (vh + vb * k / q + k * k) / a0;
    shelf.B1 = 2.0 * (k * k - vh) / a0;
    shelf.B2 = (vh - vb * k / q + k * k) / a0;
    shelf.A1 = 2.0 * (k * k - 1.0) / a0;
    shelf.A2 = (1.0 - k / q + k * k) / a0;
  }
  TBiquad highPass;
  {
    const double f0 = 38.13547087602444;
    const double q = 0.5003270373238773;
    const double k = std::tan(pi * f0 / sampleRate);
    const double a0 = 1.0 + k / q + k * k;
    highPass.B0 = 1.0;
    highPass.B1 = -2.0;
    highPass.B2 = 1.0;
    highPass.A1 = 2.0 * (k * k - 1.0) / a0;
    highPass.A2 = (1.0 - k / q + k * k) / a0;
  }
  FShelf.assign(static_cast<std::size_t>(FChannels), shelf);
  FHighPass.assign(static_cast<std::size_t>(FChannels), highPass);
}

void TLoudnessMeter::Add(const float* frames, std::size_t frameCount) {
  for (std::size_t i = 0; i < frameCount; ++i) {
    for (int c = 0; c < FChannels; ++c) {
      const double y = FHighPass[c].Process(FShelf[c].Process(frames[i * FChannels + c]));
      FCurrent += y * y;
    }
    if (++FInStep == FStepFrames) {
      FSteps.push_back(FCurrent);
      FCurrent = 0.0;
      FInStep = 0;
    }
  }
}

std::vector<double> TLoudnessMeter::BlockPowers() const {
  std::vector<double> steps = FSteps;
  if (FInStep > 0) steps.push_back(FCurrent);
  // A short sound is heard against silence: it fills at least one whole block.
  while (steps.size() < 4) steps.push_back(0.0);
  std::vector<double> blocks;
  const double frames = 4.0 * static_cast<double>(FStepFrames);
  for (std::size_t k = 0; k + 4 <= steps.size(); ++k)
    blocks.push_back((steps[k] + steps[k + 1] + steps[k + 2] + steps[k + 3]) / frames);
  return blocks;
}

std::vector<double> TLoudnessMeter::Momentary() const {
  std::vector<double> out;
  for (const double p : BlockPowers()) out.push_back(ToLufs(p));
  return out;
}

double TLoudnessMeter::MaxMomentary() const {
  const std::vector<double> blocks = BlockPowers();
  return ToLufs(*std::max_element(blocks.begin(), blocks.end()));
}

double TLoudnessMeter::Integrated() const {
  const std::vector<double> blocks = BlockPowers();
  const double absoluteGate = std::pow(10.0, (-70.0 + 0.691) / 10.0);
  double sum = 0.0;
  std::size_t count = 0;
  for (const double p : blocks)
    if (p > absoluteGate) {
      sum += p;
      ++count;
    }
  if (count == 0) return Silence;
  const double relativeGate = sum / static_cast<double>(count) * std::pow(10.0, -10.0 / 10.0);
  sum = 0.0;
  count = 0;
  for (const double p : blocks)
    if (p > absoluteGate && p > relativeGate) {
      sum += p;
      ++count;
    }
  return ToLufs(sum / static_cast<double>(count));
}

TLoudness MeasureLoudness(const std::vector<float>& interleaved, int sampleRate, int channels) {
  TLoudnessMeter meter(sampleRate, channels);
  meter.Add(interleaved.data(), interleaved.size() / static_cast<std::size_t>(std::max(1, channels)));
  return {meter.Integrated(), meter.MaxMomentary()};
}

std::vector<float> OctaveBand(const std::vector<float>& interleaved, int sampleRate, int channels, double centre) {
  // A band pass of Q sqrt(2) spans about an octave; two in cascade make its skirts steep enough
  // that the neighbouring octaves hardly count.
  const double w = 2.0 * std::numbers::pi * centre / sampleRate;
  const double alpha = std::sin(w) / (2.0 * std::sqrt(2.0));
  const double a0 = 1.0 + alpha;
  const double b0 = alpha / a0;
  const double a1 = -2.0 * std::cos(w) / a0;
  const double a2 = (1.0 - alpha) / a0;
  std::vector<float> out(interleaved.size());
  const std::size_t frames = interleaved.size() / static_cast<std::size_t>(std::max(1, channels));
  for (int c = 0; c < channels; ++c) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, u1 = 0, u2 = 0, v1 = 0, v2 = 0;
    for (std::size_t i = 0; i < frames; ++i) {
      const double x = interleaved[i * channels + c];
      const double y = b0 * x - b0 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      const double v = b0 * y - b0 * u2 - a1 * v1 - a2 * v2;
      u2 = u1;
      u1 = y;
      v2 = v1;
      v1 = v;
      out[i * channels + c] = static_cast<float>(v);
    }
  }
  return out;
}
