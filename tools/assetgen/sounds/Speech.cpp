#include "assetgen/sounds/Speech.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

using namespace synth;

namespace {

int Collect(short* samples, int count, espeak_EVENT* events) {
  if (samples == nullptr || events == nullptr) return 0;
  auto* out = static_cast<std::vector<short>*>(events->user_data);
  if (out != nullptr) out->insert(out->end(), samples, samples + count);
  return 0;
}

// The synthesiser is set up once per process; it keeps its own state.
int SpeechRate() {
  static const int rate = [] {
    const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (r <= 0) throw std::runtime_error("the speech synthesiser cannot start");
    espeak_SetSynthCallback(Collect);
    if (espeak_SetVoiceByName("en-us+m3") != EE_OK && espeak_SetVoiceByName("en") != EE_OK)
      throw std::runtime_error("the speech synthesiser has no English voice");
    espeak_SetParameter(espeakRATE, 135, 0);
    espeak_SetParameter(espeakPITCH, 38, 0);
    espeak_SetParameter(espeakRANGE, 45, 0);
    return r;
  }();
  return rate;
}

double Sinc(double x) { return x == 0.0 ? 1.0 : std::sin(Pi * x) / (Pi * x); }

// Resamples with a windowed sinc (Lanczos, 8 lobes), which leaves no mirrored images above the
// synthesiser's band; a ratio above 1 lowers the pitch (and slows the word).
TSignal Resample(const std::vector<short>& in, double inRate, double outRate, double lower) {
  constexpr int Lobes = 8;
  TSignal out;
  if (in.empty()) return out;
  const double step = inRate / outRate / lower;
  const auto count = static_cast<long>(in.size());
  for (double pos = 0; pos < static_cast<double>(in.size()); pos += step) {
    const auto base = static_cast<long>(std::floor(pos));
    double sum = 0.0;
    for (long k = base - Lobes + 1; k <= base + Lobes; ++k) {
      if (k < 0 || k >= count) continue;
      const double x = pos - static_cast<double>(k);
      sum += in[static_cast<std::size_t>(k)] * Sinc(x) * Sinc(x / Lobes);
    }
    out.push_back(static_cast<float>(sum / 32768.0));
  }
  return out;
}

// Trims the silence the synthesiser leaves around a word.
void Trim(TSignal& s, double rate) {
  const float floor = Peak(s) * 0.02F;
  auto first = std::find_if(s.begin(), s.end(), [floor](float x) { return std::fabs(x) > floor; });
  auto last = std::find_if(s.rbegin(), s.rend(), [floor](float x) { return std::fabs(x) > floor; }).base();
  if (first >= last) return;
  const auto margin = static_cast<std::ptrdiff_t>(Frames(0.01, rate));
  first = first - std::min(margin, first - s.begin());
  last = last + std::min(margin, s.end() - last);
  s = TSignal(first, last);
}

// Downward compression: 4:1 above the threshold with a quick attack and a short release.
void Compress(TSignal& s, double rate) {
  const double attack = 1.0 - std::exp(-1.0 / (0.003 * rate));
  const double release = 1.0 - std::exp(-1.0 / (0.08 * rate));
  const double threshold = Peak(s) * 0.25;
  double envelope = 0.0;
  for (float& x : s) {
    const double level = std::fabs(x);
    envelope += (level > envelope ? attack : release) * (level - envelope);
    if (envelope > threshold) x = static_cast<float>(x * std::pow(threshold / envelope, 0.75));
  }
}

// A small room: four damped combs into two all-passes, mixed in lightly.
void Room(TSignal& s, double rate, double wet, double tailSeconds) {
  const std::size_t tail = Frames(tailSeconds, rate);
  s.resize(s.size() + tail, 0.0F);
  const double combTimes[] = {0.0297, 0.0371, 0.0411, 0.0437};
  TSignal reverb(s.size(), 0.0F);
  for (const double time : combTimes) {
    const std::size_t d = Frames(time, rate);
    std::vector<float> line(d, 0.0F);
    float damped = 0.0F;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const float out = line[i % d];
      damped = damped * 0.4F + out * 0.6F;
      line[i % d] = s[i] + damped * 0.72F;
      reverb[i] += out * 0.25F;
    }
  }
  for (const double time : {0.005, 0.0017}) {
    const std::size_t d = Frames(time, rate);
    std::vector<float> line(d, 0.0F);
    for (std::size_t i = 0; i < reverb.size(); ++i) {
      const float delayed = line[i % d];
      const float in = reverb[i];
      const float out = -0.6F * in + delayed;
      line[i % d] = in + 0.6F * out;
      reverb[i] = out;
    }
  }
  for (std::size_t i = 0; i < s.size(); ++i) s[i] += static_cast<float>(wet) * reverb[i];
}

}  // namespace

TSignal SpeakAnnouncer(const std::string& text, double rate, int wordsPerMinute, double roomSeconds) {
  const int speechRate = SpeechRate();
  espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
  std::vector<short> samples;
  espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &samples);
  espeak_Synchronize();
  if (samples.empty()) throw std::runtime_error("the speech synthesiser said nothing for " + text);
  // About a semitone and a half lower, which also slows the word a touch: a deeper, weightier voice.
  TSignal s = Resample(samples, speechRate, rate, 1.09);
  Trim(s, rate);
  // Low cut against rumble, then a lift of the presence band so the words cut through gunfire.
  THighPass lowCut;
  THighPass presence;
  for (float& x : s) {
    const float y = lowCut.Process(x, 90, rate);
    x = y + 0.5F * presence.Process(y, 2500, rate);
  }
  Compress(s, rate);
  Room(s, rate, 0.18, roomSeconds);
  // The room dies away over its tail instead of stopping short.
  const std::size_t tail = std::min(s.size(), Frames(roomSeconds, rate));
  for (std::size_t i = 0; i < tail; ++i)
    s[s.size() - tail + i] *= static_cast<float>(std::pow(1.0 - static_cast<double>(i) / static_cast<double>(tail), 2.0));
  return s;
}
