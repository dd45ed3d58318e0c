#include "RepeatMeter.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr int FramesPerBar = 16;
constexpr int BarsPerWindow = 4;
constexpr std::size_t FftSize = 4096;

using TChroma = std::array<double, 12>;

void Fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0);
      for (std::size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = a[i + k];
        const std::complex<double> v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
}

TChroma ChromaAt(const std::vector<float>& stereo, std::size_t start, int rate) {
  std::vector<std::complex<double>> bins(FftSize);
  const std::size_t frames = stereo.size() / 2;
  for (std::size_t i = 0; i < FftSize; ++i) {
    const std::size_t at = start + i;
    const double x = at < frames ? 0.5 * (stereo[at * 2] + stereo[at * 2 + 1]) : 0.0;
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / FftSize);
    bins[i] = x * hann;
  }
  Fft(bins);
  TChroma chroma{};
  for (std::size_t k = 1; k < FftSize / 2; ++k) {
    const double hz = static_cast<double>(k) * rate / FftSize;
    if (hz < 55.0 || hz > 5000.0) continue;
    const double midi = 69.0 + 12.0 * std::log2(hz / 440.0);
    const int pitchClass = ((static_cast<int>(std::lround(midi)) % 12) + 12) % 12;
    chroma[pitchClass] += std::norm(bins[k]);
  }
  return chroma;
}

double Cosine(const TChroma& a, const TChroma& b) {
  double dot = 0, na = 0, nb = 0;
  for (int i = 0; i < 12; ++i) {
    dot += a[i] * b[i];
    na += a[i] * a[i];
    nb += b[i] * b[i];
  }
  // Two silent frames are alike; silence and sound are not.
  if (na < 1e-12 && nb < 1e-12) return 1.0;
  if (na < 1e-12 || nb < 1e-12) return 0.0;
  return dot / std::sqrt(na * nb);
}

}  // namespace

TRepeatMeter::TRepeatMeter(const std::vector<float>& stereo, int sampleRate, double barSeconds) {
  const double frameSeconds = barSeconds / FramesPerBar;
  const std::size_t frameCount = static_cast<std::size_t>(static_cast<double>(stereo.size() / 2) / sampleRate / frameSeconds);
  std::vector<TChroma> chroma(frameCount);
  for (std::size_t f = 0; f < frameCount; ++f)
    chroma[f] = ChromaAt(stereo, static_cast<std::size_t>(std::lround(static_cast<double>(f) * frameSeconds * sampleRate)), sampleRate);
  const std::size_t bars = frameCount / FramesPerBar;
  if (bars < BarsPerWindow) return;
  const std::size_t windowFrames = FramesPerBar * BarsPerWindow;
  for (std::size_t bar = 0; bar + BarsPerWindow <= bars; ++bar) {
    ++FWindows;
    const std::size_t at = bar * FramesPerBar;
    for (std::size_t earlier = 0; earlier < bar; ++earlier) {
      const std::size_t from = earlier * FramesPerBar;
      double sum = 0;
      for (std::size_t f = 0; f < windowFrames; ++f) sum += Cosine(chroma[at + f], chroma[from + f]);
      if (sum / windowFrames >= RepeatSimilarity) {
        ++FRepeats;
        break;
      }
    }
  }
}
