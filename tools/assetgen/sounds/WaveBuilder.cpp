#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "assetgen/Builders.h"
#include "assetgen/sounds/Speech.h"
#include "assetgen/sounds/WaveBuilder.h"
#include "assetgen/sounds/Synth.h"
#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "loudness/LoudnessMeter.h"

using namespace synth;

namespace {

constexpr double Rate = 44100.0;
// Effects peak at most here (-1.5 dBFS); louder transients are limited.
constexpr float Ceiling = 0.84F;

struct TParams {
  std::map<std::string, std::string> Values;
  double Get(const std::string& key, double fallback) const {
    const auto it = Values.find(key);
    return it == Values.end() ? fallback : std::stod(it->second);
  }
  std::vector<double> List(const std::string& key) const {
    std::vector<double> out;
    const auto it = Values.find(key);
    if (it == Values.end()) return out;
    std::stringstream in(it->second);
    std::string part;
    while (std::getline(in, part, ',')) out.push_back(std::stod(part));
    return out;
  }
  std::string Text(const std::string& key, const std::string& fallback) const {
    const auto it = Values.find(key);
    return it == Values.end() ? fallback : it->second;
  }
};

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

uint32_t SeedOf(const std::string& name) {
  uint32_t h = 2166136261U;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619U;
  return h;
}

// A rifle-type shot: a hard click, a band of crack noise, a falling thump for the body and a dull
// tail of gas and echo.
TSignal Gunshot(const TParams& p, TNoise& noise) {
  const double body = p.Get("body", 150);
  const double crack = p.Get("crack", 4000);
  const double tail = p.Get("tail", 0.3);
  const double click = p.Get("click", 1.0);
  const std::size_t n = Frames(tail * 1.6 + 0.08, Rate);
  TSignal s(n);
  TSvf crackFilter;
  TLowPass tailFilter;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const float w = noise.Next();
    crackFilter.Process(w, crack, 0.9, Rate);
    const double freq = body * (1.0 + 2.5 * std::exp(-t / 0.012));
    phase += TwoPi * freq / Rate;
    const double thump = std::sin(phase) * Decay(t, 0.22) * 1.2;
    const double crackPart = crackFilter.Band * Decay(t, 0.11) * 2.4;
    const double clickPart = t < 0.002 ? w * click * (1.0 - t / 0.002) * 0.6 : 0.0;
    const double tailPart = tailFilter.Process(w, 300 + 1700 * std::exp(-t / 0.06), Rate) * Decay(t, tail) * 3.0;
    s[i] = static_cast<float>(std::tanh(0.7 * (thump + crackPart + clickPart + tailPart)));
  }
  return s;
}

TSignal Burst(const TParams& p, TNoise& noise) {
  const int shots = static_cast<int>(p.Get("shots", 3));
  const double gap = p.Get("gap", 0.075);
  TSignal s;
  for (int k = 0; k < shots; ++k) {
    TSignal one = Gunshot(p, noise);
    MixInto(s, one, Frames(gap * k, Rate), k == 0 ? 1.0F : 0.85F);
  }
  return s;
}

// Low rumble with a sub-bass thump, a first crack and crackling debris.
TSignal Explosion(const TParams& p, TNoise& noise) {
  const double size = p.Get("size", 1.0);
  const double length = p.Get("length", 1.6);
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  TLowPass rumble1;
  TLowPass rumble2;
  TSvf debris;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const float w = noise.Next();
    const double attack = std::min(1.0, t / 0.004);
    const double cutoff = 180 + 2200 * std::exp(-t / (0.05 * size));
    const double low = rumble2.Process(rumble1.Process(w, cutoff, Rate), cutoff * 1.3, Rate);
    const double rumblePart = low * 4.5 * Decay(t, length * 0.85) * attack;
    phase += TwoPi * (38.0 / std::sqrt(size)) * (1.0 + 1.5 * std::exp(-t / 0.04)) / Rate;
    const double sub = std::sin(phase) * Decay(t, 0.5 * size) * attack * 0.9;
    debris.Process(noise.Next() > 0.9965F ? 1.0F : 0.0F, 2500, 2.0, Rate);
    const double crackle = debris.Band * 3.0 * Decay(t, length * 0.6) * std::min(1.0, t / 0.08);
    const double crack = t < 0.03 ? w * (1.0 - t / 0.03) * 0.8 : 0.0;
    s[i] = static_cast<float>(std::tanh(1.3 * (rumblePart + sub + crackle + crack)));
  }
  return s;
}

TSignal Cannon(const TParams& p, TNoise& noise) {
  TParams shot;
  shot.Values = {{"body", std::to_string(p.Get("body", 48) * 2)}, {"crack", "1500"}, {"tail", "0.4"}, {"click", "1.2"}};
  TSignal s = Gunshot(shot, noise);
  TParams boom;
  boom.Values = {{"size", "1.2"}, {"length", std::to_string(p.Get("length", 1.6))}};
  MixInto(s, Explosion(boom, noise), 0, 0.8F);
  return s;
}

TSignal Ricochet(const TParams& p, TNoise& noise) {
  const double from = p.Get("from", 3400);
  const double to = p.Get("to", 1100);
  const double length = p.Get("length", 0.55);
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double u = t / length;
    const double freq = from * std::pow(to / from, std::pow(u, 0.6)) * (1.0 + 0.012 * std::sin(TwoPi * 38 * t));
    phase += TwoPi * freq / Rate;
    const double env = std::min(1.0, t / 0.004) * std::pow(1.0 - u, 1.5);
    const double click = t < 0.006 ? noise.Next() * (1.0 - t / 0.006) : 0.0;
    s[i] = static_cast<float>(0.6 * std::sin(phase) * env + 0.15 * std::sin(2 * phase) * env + click);
  }
  return s;
}

// A bullet on steel: a click and a few inharmonic partials ringing out.
TSignal Metal(const TParams& p, TNoise& noise) {
  const double f = p.Get("pitch", 1250);
  const std::size_t n = Frames(0.5, Rate);
  TSignal s(n);
  const double ratios[] = {1.0, 2.32, 4.25, 6.63, 9.38};
  const double decays[] = {0.45, 0.3, 0.2, 0.12, 0.08};
  THighPass hp;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    double v = 0;
    for (int k = 0; k < 5; ++k) v += std::sin(TwoPi * f * ratios[k] * t + k) * Decay(t, decays[k]) / (1.0 + k * 0.6);
    const double hit = hp.Process(noise.Next(), 2000, Rate) * Decay(t, 0.03) * 1.5;
    s[i] = static_cast<float>(0.5 * v + hit);
  }
  return s;
}

// A bullet into a body: a dull, short thud with a wet edge.
TSignal Flesh(const TParams& p, TNoise& noise) {
  const double f = p.Get("pitch", 105);
  const std::size_t n = Frames(0.28, Rate);
  TSignal s(n);
  TLowPass lp;
  TSvf wet;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    phase += TwoPi * f * (1.0 + 1.2 * std::exp(-t / 0.015)) / Rate;
    const float w = noise.Next();
    wet.Process(w, 1300, 3.0, Rate);
    const double v = std::sin(phase) * Decay(t, 0.16) + lp.Process(w, 900, Rate) * 2.0 * Decay(t, 0.09) +
                     wet.Band * 0.7 * Decay(t, 0.06);
    s[i] = static_cast<float>(std::tanh(1.5 * v));
  }
  return s;
}

// A voice-like cry: a buzzing source shaped by two vowel formants, pitch rising then falling.
TSignal Voice(double pitch, double length, const std::string& vowel, double drop, TNoise& noise) {
  static const std::map<std::string, std::pair<double, double>> formants = {
      {"a", {800, 1250}}, {"o", {520, 900}}, {"e", {530, 1850}}, {"u", {380, 800}}};
  const auto [f1, f2] = formants.count(vowel) ? formants.at(vowel) : formants.at("a");
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  TSvf form1;
  TSvf form2;
  TSvf form3;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double u = t / length;
    const double contour = (1.0 + 0.25 * std::sin(Pi * std::min(1.0, u * 3))) * std::pow(drop, u);
    const double freq = pitch * contour * (1.0 + 0.03 * std::sin(TwoPi * 6.5 * t));
    phase += freq / Rate;
    phase -= std::floor(phase);
    const double saw = 2.0 * phase - 1.0;
    const double source = saw + 0.25 * noise.Next();
    form1.Process(static_cast<float>(source), f1, 6.0, Rate);
    form2.Process(static_cast<float>(source), f2, 7.0, Rate);
    form3.Process(static_cast<float>(source), 2700, 8.0, Rate);
    // Full voice for the first half, then an exponential die-away that is 45 dB down 40 ms
    // before the end, so the cry fades as breath runs out rather than being cut.
    const double hold = 0.5 * length;
    const double tau = std::max(0.01, (length - hold - 0.04) / std::log(std::pow(10.0, 45.0 / 20.0)));
    const double env = std::min(1.0, t / 0.03) * (t < hold ? 1.0 - 0.3 * t / hold : 0.7 * std::exp(-(t - hold) / tau));
    s[i] = static_cast<float>((form1.Band + 0.6 * form2.Band + 0.25 * form3.Band) * env);
  }
  return s;
}

TSignal Scream(const TParams& p, TNoise& noise) {
  return Voice(p.Get("pitch", 200), p.Get("length", 0.8), p.Text("vowel", "a"), 0.55, noise);
}

TSignal Groan(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 1.5);
  TSignal s = Voice(p.Get("pitch", 170), length, "o", 0.4, noise);
  TParams thud;
  thud.Values = {{"pitch", "70"}};
  MixInto(s, Flesh(thud, noise), 0, 0.8F);
  return s;
}

// Tracks clanking over a deep diesel rumble.
TSignal Tank(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 2.0);
  const double overlap = 0.25;
  const std::size_t n = Frames(length + overlap, Rate);
  TSignal s(n);
  TLowPass lp1;
  TLowPass lp2;
  TSvf clank;
  // Every periodic part repeats a whole number of times in the loop's length.
  const double engine = 34.0 / length * std::round(length);
  const double links = 8.0 / length * std::round(length);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double firing = std::pow(0.5 + 0.5 * std::cos(TwoPi * engine * t), 6.0);
    const double rumble = lp2.Process(lp1.Process(noise.Next(), 220, Rate), 260, Rate) * 5.0;
    const double hum = std::sin(TwoPi * engine * t) * 0.35 + std::sin(TwoPi * engine * 2 * t) * 0.2;
    const double linkPhase = std::fmod(t * links, 1.0);
    clank.Process(linkPhase < 0.01 ? noise.Next() * 4.0F : 0.0F, 1800, 5.0, Rate);
    s[i] = static_cast<float>(std::tanh(rumble * (0.5 + 0.7 * firing) + hum + clank.Band * 0.6));
  }
  return MakeLoop(s, Rate, overlap);
}

// A truck's diesel: a low firing thump, an exhaust bark in the mids that pulses with it, and a
// faint gearbox whine.
TSignal Truck(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 2.0);
  const double overlap = 0.25;
  const std::size_t n = Frames(length + overlap, Rate);
  TSignal s(n);
  TLowPass body;
  TSvf bark;
  const double firing = 26.0 / length * std::round(length);
  const double whine = 410.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double pulse = std::pow(0.5 + 0.5 * std::cos(TwoPi * firing * t), 8.0);
    // Every other stroke a little weaker, as a real engine lopes.
    const double lope = 0.8 + 0.2 * std::cos(TwoPi * firing * 0.5 * t);
    const double thump = body.Process(static_cast<float>(pulse * lope - 0.16), 320, Rate) * 4.0;
    bark.Process(noise.Next(), 900, 2.0, Rate);
    const double exhaust = bark.Band * (0.15 + 1.2 * pulse * lope);
    const double gear = std::sin(TwoPi * whine * t) * 0.04;
    s[i] = static_cast<float>(std::tanh(thump + exhaust + gear));
  }
  return MakeLoop(s, Rate, overlap);
}

// Rotor blades slapping the air over a turbine whine.
TSignal Heli(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 2.0);
  const double overlap = 0.25;
  const std::size_t n = Frames(length + overlap, Rate);
  TSignal s(n);
  TLowPass lp;
  TLowPass slapFilter;
  const double blades = 17.0 / length * std::round(length);
  const double turbine = 2200.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double bladePhase = std::fmod(t * blades, 1.0);
    const double slapEnv = std::exp(-bladePhase / 0.08);
    const double slap = slapFilter.Process(noise.Next(), 500, Rate) * 6.0 * slapEnv;
    const double thump = std::sin(TwoPi * blades * 4 * t) * 0.3 * slapEnv;
    const double air = lp.Process(noise.Next(), 1500, Rate) * 0.4;
    const double whine = std::sin(TwoPi * turbine * t) * 0.035;
    s[i] = static_cast<float>(std::tanh(slap + thump + air + whine));
  }
  return MakeLoop(s, Rate, overlap);
}

// A jet passing over: swelling roar with a falling whine.
TSignal Flyby(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 3.5);
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  TSvf roar;
  TLowPass low;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double u = t / length;
    const double closeness = std::exp(-std::pow((u - 0.45) / 0.22, 2.0));
    const double doppler = 1.0 + 0.25 * std::tanh((0.45 - u) * 6.0);
    roar.Process(noise.Next(), 900 * doppler * (0.6 + 0.8 * closeness), 1.2, Rate);
    const double rumble = low.Process(noise.Next(), 200, Rate) * 3.0;
    phase += TwoPi * 1500 * doppler / Rate;
    s[i] = static_cast<float>((roar.Band * 1.2 + rumble + 0.08 * std::sin(phase)) * (0.05 + closeness));
  }
  return s;
}

// A rocket leaving its rail: a pop, then a rising hiss.
TSignal Launch(const TParams& p, TNoise& noise) {
  const double length = p.Get("length", 1.6);
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  TSvf hiss;
  TLowPass low;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double u = t / length;
    const float w = noise.Next();
    hiss.Process(w, 400 + 3000 * u, 1.5, Rate);
    const double env = std::min(1.0, t / 0.05) * std::pow(1.0 - u, 1.2);
    const double pop = low.Process(w, 600, Rate) * 4.0 * Decay(t, 0.12);
    s[i] = static_cast<float>(std::tanh(hiss.Band * 1.5 * env + pop));
  }
  return s;
}

// A soft bell voice for the musical jingles.
TSignal Bell(double freq, double length, double tone) {
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double env = std::min(1.0, t / 0.003) * Decay(t, length);
    s[i] = static_cast<float>(env * (std::sin(TwoPi * freq * t) + tone * std::sin(TwoPi * freq * 2 * t) * Decay(t, 0.15) +
                                     0.3 * tone * std::sin(TwoPi * freq * 3.01 * t) * Decay(t, 0.08)));
  }
  return s;
}

TSignal Arpeggio(const TParams& p, TNoise&) {
  const std::vector<double> notes = p.List("notes");
  const double step = p.Get("step", 0.075);
  const double tone = p.Get("tone", 0.3);
  TSignal s;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const bool last = k + 1 == notes.size();
    MixInto(s, Bell(MidiToHz(notes[k]), last ? 0.6 : 0.3, tone), Frames(step * static_cast<double>(k), Rate), 0.6F);
  }
  return s;
}

TSignal TwoTone(const TParams& p, TNoise&) {
  const std::vector<double> notes = p.List("notes");
  const double step = p.Get("step", 0.13);
  TSignal s;
  for (std::size_t k = 0; k < notes.size(); ++k)
    MixInto(s, Bell(MidiToHz(notes[k]), 0.35, 0.6), Frames(step * static_cast<double>(k), Rate), 0.7F);
  return s;
}

TSignal Coin(const TParams&, TNoise&) {
  TSignal s = Bell(MidiToHz(83), 0.12, 0.8);
  MixInto(s, Bell(MidiToHz(88), 0.5, 0.8), Frames(0.07, Rate));
  TSignal third = Bell(MidiToHz(95), 0.35, 0.4);
  MixInto(s, third, Frames(0.14, Rate), 0.4F);
  return s;
}

// Two metallic clacks of a bolt being worked, then a short rising blip.
TSignal Cock(const TParams&, TNoise& noise) {
  TParams metal;
  metal.Values = {{"pitch", "2300"}};
  TSignal s = Metal(metal, noise);
  s.resize(Frames(0.12, Rate));
  TSignal second = Metal(metal, noise);
  second.resize(Frames(0.15, Rate));
  MixInto(s, second, Frames(0.14, Rate));
  TParams up;
  up.Values = {{"notes", "79,86,91"}, {"step", "0.05"}, {"tone", "0.6"}};
  MixInto(s, Arpeggio(up, noise), Frames(0.3, Rate), 0.5F);
  return s;
}

// A sour, sinking wobble: the skull costs health.
TSignal Skull(const TParams&, TNoise&) {
  const double length = 0.9;
  const std::size_t n = Frames(length, Rate);
  TSignal s(n);
  double phase1 = 0;
  double phase2 = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    const double u = t / length;
    const double f = 330.0 * std::pow(0.5, u) * (1.0 + 0.04 * std::sin(TwoPi * 7 * t));
    phase1 += TwoPi * f / Rate;
    phase2 += TwoPi * f * 1.414 / Rate;  // a tritone above: deliberately sour
    const double env = std::min(1.0, t / 0.01) * std::pow(1.0 - u, 0.8);
    s[i] = static_cast<float>(env * (std::tanh(2.0 * std::sin(phase1)) * 0.6 + 0.35 * std::sin(phase2)));
  }
  return s;
}

TSignal Pop(const TParams&, TNoise& noise) {
  const std::size_t n = Frames(0.18, Rate);
  TSignal s(n);
  THighPass hp;
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    phase += TwoPi * 180 * (1.0 + 2.0 * std::exp(-t / 0.01)) / Rate;
    s[i] = static_cast<float>(hp.Process(noise.Next(), 900, Rate) * Decay(t, 0.05) * 1.4 +
                              std::sin(phase) * Decay(t, 0.06) * 0.5);
  }
  return s;
}

TSignal Tick(const TParams& p, TNoise&) {
  const double f = p.Get("pitch", 2100);
  const std::size_t n = Frames(0.05, Rate);
  TSignal s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    s[i] = static_cast<float>(std::sin(TwoPi * f * t) * Decay(t, 0.035) * std::min(1.0, t / 0.0015));
  }
  return s;
}

TSignal Click(const TParams& p, TNoise& noise) {
  const double f = p.Get("pitch", 1100);
  const std::size_t n = Frames(0.12, Rate);
  TSignal s(n);
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = Seconds(i, Rate);
    phase += TwoPi * (380 * (1.0 + std::exp(-t / 0.01))) / Rate;
    s[i] = static_cast<float>(std::sin(TwoPi * f * t) * Decay(t, 0.04) * 0.6 + std::sin(phase) * Decay(t, 0.08) * 0.7 +
                              (t < 0.002 ? noise.Next() * 0.5 : 0.0));
  }
  return s;
}

using TRecipe = TSignal (*)(const TParams&, TNoise&);

const std::map<std::string, TRecipe>& Recipes() {
  static const std::map<std::string, TRecipe> recipes = {
      {"gunshot", Gunshot}, {"burst", Burst},     {"cannon", Cannon}, {"explosion", Explosion},
      {"ricochet", Ricochet}, {"metal", Metal},   {"flesh", Flesh},   {"scream", Scream},
      {"groan", Groan},     {"tank", Tank},       {"truck", Truck},   {"heli", Heli},
      {"flyby", Flyby},     {"launch", Launch},   {"arpeggio", Arpeggio}, {"twotone", TwoTone},
      {"coin", Coin},       {"cock", Cock},       {"skull", Skull},   {"pop", Pop},
      {"tick", Tick},       {"click", Click}};
  return recipes;
}

std::vector<std::vector<std::string>> ReadTable(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::stringstream words(line);
    std::vector<std::string> row;
    std::string word;
    while (words >> word) row.push_back(word);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

// The loudness plan: every wave's level as the mixer plays it (LUFS over its loudest 400 ms).
class TLoudnessPlan {
 public:
  explicit TLoudnessPlan(const std::filesystem::path& path) {
    for (const auto& row : ReadTable(path)) {
      if (row.size() < 2) throw std::runtime_error("loudness.txt: a line needs a name and a level");
      FTargets[row[0]] = std::stod(row[1]);
    }
  }
  double Target(const std::string& name) const {
    const auto it = FTargets.find(name);
    if (it == FTargets.end()) throw std::runtime_error("loudness.txt: no level for " + name);
    return it->second;
  }

 private:
  std::map<std::string, double> FTargets;
};

// The loudest 400 ms of a mono wave as the mixer sends it out: on both sides, at the effects' gain.
double PlayedLoudness(const TSignal& s) {
  TSignal stereo(s.size() * 2);
  for (std::size_t i = 0; i < s.size(); ++i) stereo[i * 2] = stereo[i * 2 + 1] = s[i] * TSoundDevice::EffectGain;
  return MeasureLoudness(stereo, static_cast<int>(Rate), 2).MaxMomentary;
}

// Scales a wave to its planned loudness; transients that would pass the ceiling are limited,
// and the level is measured again after each limiting pass.
void BringToLoudness(TSignal& s, double target) {
  for (int pass = 0; pass < 4; ++pass) {
    const double gain = std::pow(10.0, (target - PlayedLoudness(s)) / 20.0);
    for (float& x : s) x = static_cast<float>(x * gain);
    if (Peak(s) <= Ceiling) return;
    Limit(s, Rate, Ceiling);
  }
}

}  // namespace

std::vector<TWaveSource> BuildWaveSources(const std::filesystem::path& assets) {
  const TLoudnessPlan plan(assets / "sounds" / "loudness.txt");
  std::vector<TWaveSource> sources;
  for (const auto& row : ReadTable(assets / "sounds" / "effects.txt")) {
    if (row.size() < 2) throw std::runtime_error("effects.txt: a line needs a name and a recipe");
    const auto recipe = Recipes().find(row[1]);
    if (recipe == Recipes().end()) throw std::runtime_error("effects.txt: unknown recipe " + row[1]);
    TWaveSource source;
    source.Name = row[0];
    TParams params;
    for (std::size_t k = 2; k < row.size(); ++k) {
      const auto eq = row[k].find('=');
      if (row[k] == "loop") source.Looped = true;
      else if (eq != std::string::npos) params.Values[row[k].substr(0, eq)] = row[k].substr(eq + 1);
    }
    source.MaxPlayingCount = static_cast<int32_t>(params.Get("max", 0));
    TNoise noise(SeedOf(source.Name));
    TSignal s = recipe->second(params, noise);
    if (source.Looped) {
      // A loop stays seamless: no fades, and the offset goes by subtracting the mean.
      double mean = 0;
      for (const float x : s) mean += x;
      mean /= static_cast<double>(std::max<std::size_t>(1, s.size()));
      for (float& x : s) x -= static_cast<float>(mean);
      BringToLoudness(s, plan.Target(source.Name));
    } else {
      Fade(s, Rate, 0.001, 0.02);
      THighPass dc;
      for (float& x : s) x = dc.Process(x, 15, Rate);
      BringToLoudness(s, plan.Target(source.Name));
      Fade(s, Rate, 0.001, 0.02);
    }
    source.Wave = TWave::FromFloat(s, 1, static_cast<int32_t>(Rate));
    sources.push_back(std::move(source));
  }
  for (const auto& row : ReadTable(assets / "sounds" / "words.txt")) {
    if (row.size() < 2) throw std::runtime_error("words.txt: a line needs a name and a text");
    std::string text;
    TParams params;
    for (std::size_t k = 1; k < row.size(); ++k) {
      const auto eq = row[k].find('=');
      if (eq != std::string::npos)
        params.Values[row[k].substr(0, eq)] = row[k].substr(eq + 1);
      else
        text += (text.empty() ? "" : " ") + row[k];
    }
    TWaveSource source;
    source.Name = row[0];
    TSignal s = SpeakAnnouncer(text, Rate, static_cast<int>(params.Get("speed", 135)), params.Get("room", 0.35));
    BringToLoudness(s, plan.Target(source.Name));
    // A moment of silence before the word, where it must wait for the one before it.
    s.insert(s.begin(), Frames(params.Get("lead", 0.0), Rate), 0.0F);
    Fade(s, Rate, 0.003, 0.02);
    source.Wave = TWave::FromFloat(s, 1, static_cast<int32_t>(Rate));
    sources.push_back(std::move(source));
  }
  return sources;
}

void BuildWaveArchive(const std::filesystem::path& assets, const std::filesystem::path& archive) {
  const std::vector<uint8_t> bytes = WriteWaveArchive(BuildWaveSources(assets));
  const std::filesystem::path temporary = archive.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, archive);
}
