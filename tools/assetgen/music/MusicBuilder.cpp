#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "assetgen/Builders.h"
#include "assetgen/music/XmWriter.h"
#include "assetgen/sounds/Synth.h"

using namespace synth;

// The music: each assets/music/N.txt is a song written as sections of chords (one per bar), a
// melody and a style for the bass, drums, pad and arpeggio; the builder arranges it on twelve
// channels with instruments it synthesises and writes Music/N.xm.
namespace {

constexpr double Rate = 44100.0;
constexpr int RowsPerBar = 16;  // four rows a beat: speed 6 makes the XM tempo the beat tempo

// Channels of the arrangement.
enum TChannel : int {
  chMelody, chCounter, chBass, chKick, chSnare, chHat, chCrash, chPad1, chPad2, chPad3, chArp, chSpare,
  ChannelCount
};

// Instruments, 1-based as XM numbers them.
enum TInstrument : uint8_t {
  inLead = 1, inBell, inFlute, inBass, inPad, inPluck, inKick, inSnare, inHat, inCrash
};

constexpr uint8_t KeyOff = 97;
constexpr uint8_t DrumNote = 49;  // C-4 plays a drum at its recorded rate

uint8_t Vol(int v) { return static_cast<uint8_t>(0x10 + std::clamp(v, 0, 64)); }

// XM note number of a MIDI note: C-4 (49) is middle C (60).
uint8_t XmNote(int midi) { return static_cast<uint8_t>(std::clamp(midi - 11, 1, 96)); }

// Relative note and finetune that make a sample whose fundamental is frequency Hz (recorded at
// Rate) sound at the pitch of the notes it is played on.
void Tune(TXmSample& s, double frequency) {
  const double v = 12.0 * std::log2(440.0 * Rate / (8363.0 * frequency)) - 9.0;
  double whole = std::floor(v);
  int fine = static_cast<int>(std::lround((v - whole) * 128.0));
  if (fine > 127) {
    fine -= 128;
    whole += 1;
  }
  s.RelativeNote = static_cast<int8_t>(whole);
  s.Finetune = static_cast<int8_t>(fine);
}

void TuneDrum(TXmSample& s) {
  const double v = 12.0 * std::log2(Rate / 8363.0);
  s.RelativeNote = static_cast<int8_t>(std::floor(v));
  s.Finetune = static_cast<int8_t>(std::lround((v - std::floor(v)) * 128.0));
}

std::vector<int16_t> ToPcm(const TSignal& s, float peak = 0.9F) {
  const float scale = Peak(s) > 0 ? peak / Peak(s) : 1.0F;
  std::vector<int16_t> out(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<int16_t>(std::lrint(s[i] * scale * 32767.0F));
  return out;
}

// A looped wave of loopPeriods periods of `period` samples; voices are detuned by whole cycles
// over the loop, so the loop joins exactly. harmonic(k) gives the k-th harmonic's amplitude.
template <class THarmonic>
TSignal LoopedTone(int period, int loopPeriods, const std::vector<int>& detuneCycles, int maxHarmonic,
                   THarmonic harmonic) {
  const std::size_t n = static_cast<std::size_t>(period) * loopPeriods;
  TSignal s(n, 0.0F);
  for (const int detune : detuneCycles) {
    const double cycles = loopPeriods + detune;
    for (int k = 1; k <= maxHarmonic; ++k) {
      const double a = harmonic(k);
      if (a == 0.0) continue;
      const double phase0 = 0.37 * k * (detune + 2);
      for (std::size_t i = 0; i < n; ++i)
        s[i] += static_cast<float>(a * std::sin(TwoPi * cycles * k * static_cast<double>(i) / static_cast<double>(n) + phase0));
    }
  }
  return s;
}

TXmInstrument Sustained(const std::string& name, const TSignal& loop, double frequency,
                        std::vector<TXmEnvelopePoint> envelope, int sustain, uint16_t fadeout) {
  TXmInstrument in;
  in.Name = name;
  in.Sample.Name = name;
  in.Sample.Data = ToPcm(loop);
  in.Sample.LoopStart = 0;
  in.Sample.LoopLength = static_cast<uint32_t>(loop.size());
  Tune(in.Sample, frequency);
  in.VolumeEnvelope = std::move(envelope);
  in.VolumeSustain = sustain;
  in.Fadeout = fadeout;
  return in;
}

TXmInstrument OneShot(const std::string& name, const TSignal& s, double frequency) {
  TXmInstrument in;
  in.Name = name;
  in.Sample.Name = name;
  TSignal faded = s;
  Fade(faded, Rate, 0.0005, 0.05);
  in.Sample.Data = ToPcm(faded);
  if (frequency > 0)
    Tune(in.Sample, frequency);
  else
    TuneDrum(in.Sample);
  // A short release so a key-off or a new note never cuts the sound with a click.
  in.VolumeEnvelope = {{0, 64}, {1, 64}, {5, 0}};
  in.VolumeSustain = 1;
  in.Fadeout = 2000;
  return in;
}

// Decaying partials: ratios, amplitudes and decay times.
TSignal Partials(double f, double length, const std::vector<std::array<double, 3>>& partials) {
  const std::size_t n = Frames(length, Rate);
  TSignal s(n, 0.0F);
  for (const auto& [ratio, amplitude, t60] : partials) {
    if (f * ratio > 9000) continue;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = Seconds(i, Rate);
      s[i] += static_cast<float>(amplitude * std::sin(TwoPi * f * ratio * t) * Decay(t, t60) * std::min(1.0, t / 0.002));
    }
  }
  return s;
}

std::vector<TXmInstrument> Instruments() {
  std::vector<TXmInstrument> list;
  const int period = 168;  // 262.5 Hz, a whole number of samples: loops join exactly
  const double f = Rate / period;

  // 1 lead: a soft pulse with a slow chorus and a touch of vibrato.
  TSignal lead = LoopedTone(period, 64, {0, 1}, 20, [](int k) {
    return 2.0 / (k * Pi) * std::sin(k * Pi * 0.3) * std::exp(-k / 9.0);
  });
  TXmInstrument leadIn = Sustained("lead", lead, f, {{0, 0}, {2, 64}, {10, 50}, {30, 46}, {40, 0}}, 3, 900);
  leadIn.VibratoDepth = 3;
  leadIn.VibratoRate = 12;
  leadIn.VibratoSweep = 40;
  list.push_back(leadIn);

  // 2 bell: struck partials, for counter-lines and the lament.
  list.push_back(OneShot("bell", Partials(f, 2.6, {{1, 1.0, 2.4}, {2, 0.45, 1.3}, {3, 0.18, 0.7}, {4.17, 0.12, 0.4},
                                                   {5.43, 0.06, 0.25}}), f));

  // 3 flute: nearly a sine, breathy vibrato.
  TSignal flute = LoopedTone(period, 64, {0, 1}, 4, [](int k) { return k == 1 ? 1.0 : k == 2 ? 0.25 : k == 3 ? 0.08 : 0.03; });
  TXmInstrument fluteIn = Sustained("flute", flute, f, {{0, 0}, {4, 60}, {12, 54}, {30, 0}}, 2, 700);
  fluteIn.VibratoDepth = 4;
  fluteIn.VibratoRate = 10;
  fluteIn.VibratoSweep = 60;
  list.push_back(fluteIn);

  // 4 bass: a round synth bass, bright at the attack, an octave below the others' base.
  {
    const double fb = f / 2;
    std::vector<std::array<double, 3>> partials;
    for (int k = 1; k <= 24; ++k) partials.push_back({double(k), 1.0 / k * (k == 1 ? 1.4 : 1.0), 1.8 / (1.0 + 0.35 * k)});
    list.push_back(OneShot("bass", Partials(fb, 1.8, partials), fb));
  }

  // 5 pad: three detuned saw voices, dark, slow to swell.
  TSignal pad = LoopedTone(period, 256, {-1, 0, 1}, 24, [](int k) { return 1.0 / k * std::exp(-k / 5.0); });
  list.push_back(Sustained("pad", pad, f, {{0, 0}, {18, 60}, {40, 52}, {70, 0}}, 2, 400));

  // 6 pluck: a plucked string for the arpeggios.
  {
    std::vector<std::array<double, 3>> partials;
    for (int k = 1; k <= 16; ++k) partials.push_back({double(k), 1.0 / k, 1.2 / (1.0 + 0.5 * k)});
    list.push_back(OneShot("pluck", Partials(f, 1.4, partials), f));
  }

  // 7..10 drums.
  TNoise noise(12345);
  {
    const std::size_t n = Frames(0.45, Rate);
    TSignal kick(n);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = Seconds(i, Rate);
      phase += TwoPi * (48 + 110 * std::exp(-t / 0.03)) / Rate;
      kick[i] = static_cast<float>(std::tanh(1.8 * std::sin(phase) * Decay(t, 0.4)) + (t < 0.002 ? 0.3 * noise.Next() : 0.0));
    }
    list.push_back(OneShot("kick", kick, 0));
  }
  {
    const std::size_t n = Frames(0.3, Rate);
    TSignal snare(n);
    TSvf body;
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = Seconds(i, Rate);
      phase += TwoPi * 190 * (1.0 + 0.4 * std::exp(-t / 0.01)) / Rate;
      body.Process(noise.Next(), 3500, 0.8, Rate);
      snare[i] = static_cast<float>(0.6 * std::sin(phase) * Decay(t, 0.12) + 1.2 * body.Band * Decay(t, 0.22));
    }
    list.push_back(OneShot("snare", snare, 0));
  }
  {
    const std::size_t n = Frames(0.09, Rate);
    TSignal hat(n);
    THighPass hp1;
    THighPass hp2;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = Seconds(i, Rate);
      hat[i] = static_cast<float>(hp2.Process(hp1.Process(noise.Next(), 7000, Rate), 7000, Rate) * Decay(t, 0.07));
    }
    list.push_back(OneShot("hat", hat, 0));
  }
  {
    const std::size_t n = Frames(2.0, Rate);
    TSignal crash(n);
    THighPass hp;
    TSvf ring;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = Seconds(i, Rate);
      const float w = noise.Next();
      ring.Process(w, 5200, 3.0, Rate);
      crash[i] = static_cast<float>((hp.Process(w, 4000, Rate) * 0.8 + ring.Band * 0.6) * Decay(t, 1.9));
    }
    list.push_back(OneShot("crash", crash, 0));
  }
  return list;
}

// --- Notation ---

int NoteNumber(const std::string& token) {
  static const std::map<char, int> steps = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
  if (token.empty() || !steps.count(static_cast<char>(std::toupper(token[0]))))
    throw std::runtime_error("bad note " + token);
  int n = steps.at(static_cast<char>(std::toupper(token[0])));
  std::size_t at = 1;
  while (at < token.size() && (token[at] == '#' || token[at] == 'b')) n += token[at++] == '#' ? 1 : -1;
  if (at >= token.size()) throw std::runtime_error("note without octave: " + token);
  return n + 12 * (std::stoi(token.substr(at)) + 1);
}

struct TChord {
  int Root = 0;  // pitch class
  std::vector<int> Tones;  // semitones above the root
};

TChord ParseChord(const std::string& symbol) {
  TChord chord;
  std::size_t at = 0;
  chord.Root = NoteNumber(std::string(1, symbol[0]) + "0") % 12;
  at = 1;
  while (at < symbol.size() && (symbol[at] == '#' || symbol[at] == 'b')) chord.Root = (chord.Root + (symbol[at++] == '#' ? 1 : 11)) % 12;
  const std::string q = symbol.substr(at);
  static const std::map<std::string, std::vector<int>> qualities = {
      {"", {0, 4, 7}},       {"m", {0, 3, 7}},       {"7", {0, 4, 10}},     {"m7", {0, 3, 10}},
      {"maj7", {0, 4, 11}},  {"sus4", {0, 5, 7}},    {"sus2", {0, 2, 7}},   {"dim", {0, 3, 6}},
      {"5", {0, 7, 12}},     {"add9", {0, 4, 14}},   {"m9", {0, 3, 14}}};
  const auto it = qualities.find(q);
  if (it == qualities.end()) throw std::runtime_error("unknown chord " + symbol);
  chord.Tones = it->second;
  return chord;
}

struct TSection {
  std::string Name;
  std::vector<TChord> Chords;
  std::vector<std::string> Melody;
  std::vector<std::string> Counter;
  std::string Bass = "half";
  std::string Drums = "none";
  std::string Arp = "none";
  bool Pad = true;
};

struct TSong {
  std::string Title = "Zarvok";
  int Bpm = 120;
  uint8_t Lead = inLead;
  double LevelDb = 0.0;  // every note's volume scaled by this, to match the tunes' loudness
  std::vector<TSection> Sections;
  std::vector<std::string> Order;
};

std::vector<std::string> Words(const std::string& line) {
  std::stringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

TSong ReadSong(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  TSong song;
  std::string line;
  TSection* current = nullptr;
  while (std::getline(in, line)) {
    // "#" starts a comment only at the start of a line: inside one it is a sharp.
    std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string key = w[0];
    w.erase(w.begin());
    if (key == "title") {
      song.Title.clear();
      for (const auto& x : w) song.Title += (song.Title.empty() ? "" : " ") + x;
    } else if (key == "level") {
      song.LevelDb = std::stod(w.at(0));
    } else if (key == "bpm") {
      song.Bpm = std::stoi(w.at(0));
    } else if (key == "lead") {
      static const std::map<std::string, uint8_t> leads = {{"lead", inLead}, {"bell", inBell}, {"flute", inFlute}};
      song.Lead = leads.at(w.at(0));
    } else if (key == "section") {
      song.Sections.push_back({});
      current = &song.Sections.back();
      current->Name = w.at(0);
    } else if (key == "order") {
      song.Order.insert(song.Order.end(), w.begin(), w.end());
    } else if (current == nullptr) {
      throw std::runtime_error(path.string() + ": " + key + " outside a section");
    } else if (key == "chords") {
      for (const auto& c : w) current->Chords.push_back(ParseChord(c));
    } else if (key == "melody") {
      current->Melody.insert(current->Melody.end(), w.begin(), w.end());
    } else if (key == "counter") {
      current->Counter.insert(current->Counter.end(), w.begin(), w.end());
    } else if (key == "bass") {
      current->Bass = w.at(0);
    } else if (key == "drums") {
      current->Drums = w.at(0);
    } else if (key == "arp") {
      current->Arp = w.at(0);
    } else if (key == "pad") {
      current->Pad = w.at(0) == "on";
    } else {
      throw std::runtime_error(path.string() + ": unknown word " + key);
    }
  }
  return song;
}

// --- Arrangement ---

class TGrid {
 public:
  TGrid(int rows, double gain) : FPattern{rows, std::vector<TXmCell>(static_cast<std::size_t>(rows) * ChannelCount)}, FGain(gain) {}
  TXmCell& At(int row, int channel) { return FPattern.Cells.at(static_cast<std::size_t>(row) * ChannelCount + channel); }
  void Note(int row, int channel, uint8_t note, uint8_t instrument, int volume) {
    if (row < 0 || row >= FPattern.Rows) return;
    TXmCell& c = At(row, channel);
    c.Note = note;
    c.Instrument = note == KeyOff ? 0 : instrument;
    c.Volume = note == KeyOff ? 0 : Vol(static_cast<int>(std::lround(volume * FGain)));
  }
  TXmPattern& Pattern() { return FPattern; }

 private:
  TXmPattern FPattern;
  double FGain;
};

// Writes a line of "note:sixteenths" tokens ("r" rests, "|" only marks bars) onto a channel.
void WriteLine(TGrid& grid, int channel, const std::vector<std::string>& tokens, uint8_t instrument, int volume,
               int rows, const std::string& where) {
  int row = 0;
  for (const std::string& token : tokens) {
    if (token == "|") {
      if (row % RowsPerBar != 0) throw std::runtime_error(where + ": a bar line falls at row " + std::to_string(row));
      continue;
    }
    const auto colon = token.find(':');
    const int length = colon == std::string::npos ? 2 : std::stoi(token.substr(colon + 1));
    const std::string pitch = token.substr(0, colon);
    if (pitch == "r")
      grid.Note(row, channel, KeyOff, 0, 0);
    else
      grid.Note(row, channel, XmNote(NoteNumber(pitch)), instrument, volume);
    row += length;
  }
  if (!tokens.empty() && row != rows)
    throw std::runtime_error(where + ": the line lasts " + std::to_string(row) + " rows, not " + std::to_string(rows));
  // Let the last note ring into the bar line, then stop it so the next pattern starts clean.
  if (!tokens.empty()) grid.Note(rows - 1, channel, KeyOff, 0, 0);
}

int InRange(int pitchClass, int low) {
  int n = low + ((pitchClass - low) % 12 + 12) % 12;
  return n;
}

void WriteBass(TGrid& grid, const TSection& s, int bar) {
  const TChord& c = s.Chords[bar];
  const int root = InRange(c.Root, 33);  // A1..G#2
  const int fifth = root + 7;
  const int at = bar * RowsPerBar;
  auto note = [&](int row, int midi, int vol = 56) { grid.Note(at + row, chBass, XmNote(midi), inBass, vol); };
  if (s.Bass == "none") return;
  if (s.Bass == "whole") {
    note(0, root);
  } else if (s.Bass == "half") {
    note(0, root);
    note(8, root);
  } else if (s.Bass == "eighths") {
    for (int r = 0; r < 16; r += 2) note(r, root, r % 4 == 0 ? 58 : 46);
  } else if (s.Bass == "drive") {
    for (int r = 0; r < 16; r += 2) note(r, r % 4 == 2 ? root + 12 : root, r % 4 == 0 ? 58 : 44);
  } else if (s.Bass == "rootfifth") {
    note(0, root);
    note(4, fifth, 48);
    note(8, root + 12, 50);
    note(12, fifth, 48);
  } else if (s.Bass == "walk") {
    const TChord& next = s.Chords[(bar + 1) % s.Chords.size()];
    const int nextRoot = InRange(next.Root, 33);
    note(0, root);
    note(4, root + c.Tones[1]);
    note(8, root + c.Tones[2] % 12 + (c.Tones[2] >= 12 ? 12 : 0));
    note(12, nextRoot > root ? nextRoot - 1 : nextRoot + 1, 48);
  } else if (s.Bass == "sync") {
    note(0, root);
    note(6, root, 46);
    note(10, fifth, 46);
    note(12, root + 12, 44);
  } else {
    throw std::runtime_error("unknown bass style " + s.Bass);
  }
}

void WriteDrums(TGrid& grid, const TSection& s, int bar, bool last) {
  const int at = bar * RowsPerBar;
  auto hit = [&](int row, int channel, uint8_t instrument, int vol) { grid.Note(at + row, channel, DrumNote, instrument, vol); };
  const std::string& d = s.Drums;
  if (d == "none") return;
  if (bar == 0 && d != "soft") hit(0, chCrash, inCrash, 34);
  if (d == "soft") {
    hit(0, chKick, inKick, 44);
    for (int r = 0; r < 16; r += 4) hit(r, chHat, inHat, r % 8 == 0 ? 22 : 16);
    hit(8, chSnare, inSnare, 20);
    return;
  }
  if (d == "rock" || d == "drive" || d == "half") {
    const bool drive = d == "drive";
    const bool half = d == "half";
    if (drive) {
      for (int r = 0; r < 16; r += 4) hit(r, chKick, inKick, 58);
    } else {
      hit(0, chKick, inKick, 60);
      if (!half) hit(8, chKick, inKick, 54);
      hit(10, chKick, inKick, 44);
    }
    if (half)
      hit(8, chSnare, inSnare, 54);
    else {
      hit(4, chSnare, inSnare, 54);
      hit(12, chSnare, inSnare, 56);
    }
    const int step = drive ? 1 : 2;
    for (int r = 0; r < 16; r += step) hit(r, chHat, inHat, r % 4 == 0 ? 30 : (r % 2 == 0 ? 24 : 16));
    if (last) {
      // A fill into the next section.
      for (int r = 12; r < 16; ++r) hit(r, chSnare, inSnare, 36 + 6 * (r - 12));
    }
    return;
  }
  if (d == "march") {
    hit(0, chKick, inKick, 56);
    hit(8, chKick, inKick, 50);
    for (int r : {4, 12, 14}) hit(r, chSnare, inSnare, r == 14 ? 34 : 48);
    for (int r = 0; r < 16; r += 2) hit(r, chHat, inHat, 20);
    return;
  }
  throw std::runtime_error("unknown drum style " + d);
}

void WritePad(TGrid& grid, const TSection& s, int bar) {
  if (!s.Pad) return;
  const TChord& c = s.Chords[bar];
  const int at = bar * RowsPerBar;
  const bool sameAsBefore = bar > 0 && s.Chords[bar - 1].Root == c.Root && s.Chords[bar - 1].Tones == c.Tones;
  if (sameAsBefore) return;
  const int channels[] = {chPad1, chPad2, chPad3};
  for (int v = 0; v < 3; ++v) {
    const int midi = InRange((c.Root + c.Tones[v]) % 12, 55);
    grid.Note(at, channels[v], XmNote(midi), inPad, 20);
  }
}

void WriteArp(TGrid& grid, const TSection& s, int bar) {
  if (s.Arp == "none") return;
  const TChord& c = s.Chords[bar];
  const int root = InRange(c.Root, 57);
  const int at = bar * RowsPerBar;
  std::vector<int> tones = {root + c.Tones[0], root + c.Tones[1], root + c.Tones[2], root + 12};
  std::vector<int> pattern;
  int step = 2;
  if (s.Arp == "up8") {
    pattern = {0, 1, 2, 3, 0, 1, 2, 3};
  } else if (s.Arp == "up16") {
    pattern = {0, 1, 2, 3, 2, 1, 0, 1, 0, 1, 2, 3, 2, 1, 2, 1};
    step = 1;
  } else if (s.Arp == "broken") {
    pattern = {0, 2, 3, 2, 1, 2, 3, 2};
  } else if (s.Arp == "slow") {
    pattern = {0, 2, 3, 1};
    step = 4;
  } else {
    throw std::runtime_error("unknown arpeggio style " + s.Arp);
  }
  for (std::size_t k = 0; k < pattern.size(); ++k)
    grid.Note(at + static_cast<int>(k) * step, chArp, XmNote(tones[pattern[k]]), inPluck, k == 0 ? 30 : 24);
}

// --- Variations ---
// A section that comes back in the order is written anew each time by rule, so a long tune
// keeps moving: the melody climbs or falls through its own scale, the old tune answers it on
// the bells, and the bass, arpeggio and drums take turns at other figures.

std::string NoteName(int midi) {
  static const char* const names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  return std::string(names[((midi % 12) + 12) % 12]) + std::to_string(midi / 12 - 1);
}

// The pitch classes a section uses: its melody's notes and its chords' tones.
std::vector<int> ScaleOf(const TSection& s) {
  std::vector<int> scale;
  const auto add = [&scale](int pc) {
    if (std::find(scale.begin(), scale.end(), pc) == scale.end()) scale.push_back(pc);
  };
  for (const std::string& token : s.Melody) {
    const std::string pitch = token.substr(0, token.find(':'));
    if (pitch != "|" && pitch != "r") add(NoteNumber(pitch) % 12);
  }
  for (const TChord& c : s.Chords)
    for (const int tone : c.Tones) add((c.Root + tone) % 12);
  std::sort(scale.begin(), scale.end());
  return scale;
}

// Moves a note steps degrees along the scale, keeping it between low and high.
int ShiftInScale(int midi, int steps, const std::vector<int>& scale, int low, int high) {
  const int n = static_cast<int>(scale.size());
  int octave = midi / 12;
  int degree = 0;
  for (int k = 0; k < n; ++k)
    if (scale[k] <= midi % 12) degree = k;
  degree += steps;
  octave += degree >= 0 ? degree / n : -((n - 1 - degree) / n);
  degree = ((degree % n) + n) % n;
  int out = octave * 12 + scale[degree];
  while (out > high) out -= 12;
  while (out < low) out += 12;
  return out;
}

std::vector<std::string> ShiftLine(const std::vector<std::string>& line, int steps, int octaves,
                                   const std::vector<int>& scale, int low, int high) {
  std::vector<std::string> out;
  for (const std::string& token : line) {
    const auto colon = token.find(':');
    const std::string pitch = token.substr(0, colon);
    if (pitch == "|" || pitch == "r") {
      out.push_back(token);
      continue;
    }
    const int midi = ShiftInScale(NoteNumber(pitch), steps, scale, low, high) + 12 * octaves;
    out.push_back(NoteName(midi) + (colon == std::string::npos ? "" : token.substr(colon)));
  }
  return out;
}

// A counter-line of each bar's chord: its third, then its fifth, in the bells' octave.
std::vector<std::string> ChordLine(const TSection& s) {
  std::vector<std::string> out;
  for (const TChord& c : s.Chords) {
    const int third = InRange((c.Root + c.Tones[1]) % 12, 67);
    const int fifth = InRange((c.Root + c.Tones[2]) % 12, 67);
    out.push_back(NoteName(third) + ":8");
    out.push_back(NoteName(fifth) + ":8");
    out.push_back("|");
  }
  return out;
}

template <class T>
T Next(const std::vector<T>& styles, const T& style, int by) {
  const auto it = std::find(styles.begin(), styles.end(), style);
  if (it == styles.end()) return style;
  const auto at = static_cast<std::size_t>(it - styles.begin());
  return styles[(at + static_cast<std::size_t>(by)) % styles.size()];
}

TSection Vary(const TSection& s, int variation) {
  if (variation == 0) return s;
  TSection v = s;
  v.Name = s.Name + "/" + std::to_string(variation);
  const std::vector<int> scale = ScaleOf(s);
  // Up a third, down a fourth, up a fifth, down a second: each time a new line over the chords.
  static const int steps[] = {2, -3, 4, -1};
  const int step = steps[(variation - 1) % 4];
  if (!s.Melody.empty()) {
    v.Melody = ShiftLine(s.Melody, step, 0, scale, 62, 88);
    // The tune as first heard answers on the bells an octave down, or the bells hold the chords.
    v.Counter = variation % 2 == 1 ? ShiftLine(s.Melody, 0, -1, scale, 50, 76) : ChordLine(s);
  } else {
    v.Counter = ChordLine(s);
  }
  static const std::vector<std::string> arps = {"up16", "broken", "up8", "slow"};
  static const std::vector<std::string> basses = {"drive", "eighths", "sync", "rootfifth", "walk"};
  v.Arp = s.Arp == "none" ? "slow" : Next(arps, s.Arp, variation);
  v.Bass = s.Bass == "none" ? "whole" : Next(basses, s.Bass, variation);
  if (s.Bass == "whole" || s.Bass == "half") v.Bass = variation % 2 ? "rootfifth" : "half";
  static const std::vector<std::string> drums = {"drive", "rock", "half"};
  v.Drums = Next(drums, s.Drums, variation);
  return v;
}

TXmPattern Arrange(const TSong& song, const TSection& s) {
  const int bars = static_cast<int>(s.Chords.size());
  if (bars == 0 || bars * RowsPerBar > 256) throw std::runtime_error("section " + s.Name + " needs 1 to 16 bars");
  const int rows = bars * RowsPerBar;
  TGrid grid(rows, std::pow(10.0, song.LevelDb / 20.0));
  // Panning for the whole pattern: bass, drums and melody centred, the rest spread out.
  const std::pair<int, uint8_t> pans[] = {{chCounter, 0x50}, {chHat, 0xA0}, {chCrash, 0x70},
                                          {chPad1, 0x40}, {chPad2, 0x80}, {chPad3, 0xC0}, {chArp, 0xB0}};
  for (const auto& [channel, pan] : pans) {
    grid.At(0, channel).Effect = 0x08;
    grid.At(0, channel).Param = pan;
  }
  WriteLine(grid, chMelody, s.Melody, song.Lead, 50, rows, song.Title + "/" + s.Name + " melody");
  WriteLine(grid, chCounter, s.Counter, inBell, 30, rows, song.Title + "/" + s.Name + " counter");
  for (int bar = 0; bar < bars; ++bar) {
    WriteBass(grid, s, bar);
    WriteDrums(grid, s, bar, bar == bars - 1);
    WritePad(grid, s, bar);
    WriteArp(grid, s, bar);
  }
  // Every voice ends with its pattern, so the jump back to the top joins cleanly.
  for (int channel : {chPad1, chPad2, chPad3, chBass})
    if (grid.At(rows - 1, channel).Note == 0) grid.Note(rows - 1, channel, KeyOff, 0, 0);
  return std::move(grid.Pattern());
}

TXmModule BuildModule(const TSong& song) {
  TXmModule module;
  module.Name = song.Title;
  module.Channels = ChannelCount;
  module.Speed = 6;
  module.Bpm = song.Bpm;
  module.Instruments = Instruments();
  std::map<std::string, const TSection*> sections;
  for (const TSection& s : song.Sections) sections[s.Name] = &s;
  // The n-th time a section comes in the order it is played as its n-th variation.
  std::map<std::string, int> heard;
  std::map<std::string, uint8_t> patternOf;
  for (const std::string& name : song.Order) {
    const auto it = sections.find(name);
    if (it == sections.end()) throw std::runtime_error(song.Title + ": no section " + name);
    const int variation = heard[name]++;
    const TSection varied = Vary(*it->second, variation);
    if (!patternOf.count(varied.Name)) {
      if (module.Patterns.size() >= 255) throw std::runtime_error(song.Title + ": too many patterns");
      patternOf[varied.Name] = static_cast<uint8_t>(module.Patterns.size());
      module.Patterns.push_back(Arrange(song, varied));
    }
    module.Orders.push_back(patternOf.at(varied.Name));
  }
  return module;
}

}  // namespace

// Seconds one pass of the song lasts (for the builder's own check).
double SongSeconds(const std::filesystem::path& path) {
  const TSong song = ReadSong(path);
  std::map<std::string, int> bars;
  for (const TSection& s : song.Sections) bars[s.Name] = static_cast<int>(s.Chords.size());
  int total = 0;
  for (const auto& name : song.Order) total += bars.at(name);
  return total * 4 * 60.0 / song.Bpm;
}

void BuildMusic(const std::filesystem::path& assets, const std::filesystem::path& musicFolder) {
  for (const char* number : {"1", "2", "3"}) {
    const std::filesystem::path source = assets / "music" / (std::string(number) + ".txt");
    const double seconds = SongSeconds(source);
    if (seconds < 180.0) throw std::runtime_error(source.string() + " lasts only " + std::to_string(seconds) + " s");
    const std::vector<uint8_t> bytes = WriteXm(BuildModule(ReadSong(source)));
    const std::filesystem::path target = musicFolder / (std::string(number) + ".xm");
    const std::filesystem::path temporary = target.string() + ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, target);
  }
}
