// Prints the loudness of every wave and tune of a built game folder as the mixer plays them,
// with each tune's length and repeat fraction: the figures behind the loudness plan. With a
// second argument, each tune is also written there as N.wav (16-bit stereo) for listening.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/MusicFader.h"
#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "loudness/LoudnessMeter.h"
#include "loudness/RepeatMeter.h"
#include "loudness/SongRender.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/sdl/XmpMusicLib.h"

namespace {

constexpr int Rate = 48000;

std::vector<float> AsPlayed(const TWave& wave, float gain) {
  const std::vector<float> mono = wave.ToFloat();
  std::vector<float> out;
  const std::size_t channels = static_cast<std::size_t>(std::max<int32_t>(1, wave.Channels));
  for (std::size_t i = 0; i + channels <= mono.size(); i += channels) {
    out.push_back(mono[i] * gain);
    out.push_back(mono[i + channels - 1] * gain);
  }
  return out;
}

void WriteWav(const std::filesystem::path& path, const std::vector<float>& stereo, int rate) {
  std::ofstream out(path, std::ios::binary);
  const auto u32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  const auto u16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const auto bytes = static_cast<uint32_t>(stereo.size() * 2);
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate) * 4);
  u16(4);
  u16(16);
  out.write("data", 4);
  u32(bytes);
  for (const float x : stereo) u16(static_cast<uint16_t>(static_cast<int16_t>(std::lrint(std::clamp(x, -1.0F, 1.0F) * 32767.0F))));
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path game = argc > 1 ? argv[1] : ".";
  TSoundDevice device(nullptr);
  TWaveList list(device);
  list.LoadFromFile(game / "Data" / "Music.dxw");
  std::printf("%-14s %10s %10s %8s\n", "wave", "integr.", "max 400ms", "seconds");
  for (int32_t i = 0; i < list.Items().Count(); ++i) {
    const TWaveCollectionItem& item = list.Items().Items(i);
    const std::vector<float> s = AsPlayed(item.Wave, TSoundDevice::EffectGain);
    const TLoudness l = MeasureLoudness(s, item.Wave.SampleRate, 2);
    std::printf("%-14s %10.1f %10.1f %8.2f\n", item.Name().c_str(), l.Integrated, l.MaxMomentary,
                static_cast<double>(item.Wave.FrameCount()) / item.Wave.SampleRate);
  }
  TXmpMusicLib music;
  std::vector<float> battle;
  std::printf("\n%-6s %10s %10s %8s %8s\n", "tune", "integr.", "max 400ms", "seconds", "repeats");
  for (const char* number : {"1", "2", "3"}) {
    const std::string path = (game / "Music" / (std::string(number) + ".xm")).string();
    TSongPass pass = RenderSongPass(music, path, Rate, 600.0);
    for (float& x : pass.Stereo) x *= TSoundDevice::MusicGain;
    if (std::string(number) == "2") battle = pass.Stereo;
    const TLoudness l = MeasureLoudness(pass.Stereo, Rate, 2);
    const TRepeatMeter repeats(pass.Stereo, Rate, 240.0 / ModuleBpm(path));
    if (argc > 2) WriteWav(std::filesystem::path(argv[2]) / (std::string(number) + ".wav"), pass.Stereo, Rate);
    std::printf("%-6s %10.1f %10.1f %8.1f %7.0f%%\n", number, l.Integrated, l.MaxMomentary, pass.Seconds,
                100.0 * repeats.RepeatFraction());
  }

  // Each engine loop in its loudest octave band against the battle tune in the same band.
  for (const char* engine : {"tank_move", "truc_move", "vert_move"}) {
    const TWave& wave = list.Items().Find(engine).Wave;
    const std::vector<float> loop = AsPlayed(wave, TSoundDevice::EffectGain);
    std::vector<float> driving;
    while (driving.size() < static_cast<std::size_t>(wave.SampleRate) * 8) driving.insert(driving.end(), loop.begin(), loop.end());
    double band = 0;
    double level = -100;
    for (double centre = 63; centre < 9000; centre *= 2) {
      const double l = MeasureLoudness(OctaveBand(driving, wave.SampleRate, 2, centre), wave.SampleRate, 2).Integrated;
      if (l > level) {
        level = l;
        band = centre;
      }
    }
    const double musicBand = MeasureLoudness(OctaveBand(battle, Rate, 2, band), Rate, 2).Integrated;
    std::printf("%s: loudest in the octave around %.0f Hz, %.1f LU over the battle tune there\n", engine, band,
                level - musicBand);
  }

  // A staged battle through the real mixer: 40 s of the menu tune, then the battle tune with a
  // truck driving, our rifle every 0.45 s (two shots in three miss and ricochet), enemy fire
  // every 1.3 s, a hit and a cry now and then and a truck blown up. Measured twice, with and
  // without the effects, to give the effects' lead over the music and the step from the menu.
  const auto stage = [&](bool effects, bool withMusic) {
    THeadlessAudioOutput output(true, Rate);
    TSoundDevice mixer(&output);
    TMusicFader fader(std::make_unique<TXmpMusicLib>());
    if (withMusic) mixer.SetMusic(&fader);
    TWaveList waves(mixer);
    waves.LoadFromFile(game / "Data" / "Music.dxw");
    const auto play = [&](const char* name) {
      if (effects) waves.Items().Find(name).Play();
    };
    uint32_t song = fader.SongLoadFromFile((game / "Music" / "1.xm").string());
    fader.SongPlay(song);
    std::vector<float> menu;
    std::vector<float> battle;
    constexpr int Step = Rate / 100;  // 10 ms
    for (int tick = 0; tick < 4000; ++tick) {
      const std::vector<float> block = output.Pull(Step);
      menu.insert(menu.end(), block.begin(), block.end());
    }
    fader.SongFree(song);
    song = fader.SongLoadFromFile((game / "Music" / "2.xm").string());
    fader.SongPlay(song);
    play("truc_move");
    for (int tick = 0; tick < 6000; ++tick) {
      if (tick % 45 == 0) {
        play("1");
        if (tick % 135 != 0) play("2");
      }
      if (tick % 130 == 20) play("5");
      if (tick % 390 == 200) play("popal_in_plot");
      if (tick % 390 == 230) play("terror2_dead");
      if (tick == 3000) play("8");
      const std::vector<float> block = output.Pull(Step);
      battle.insert(battle.end(), block.begin(), block.end());
    }
    return std::make_pair(MeasureLoudness(menu, Rate, 2).Integrated, MeasureLoudness(battle, Rate, 2).Integrated);
  };
  const auto [menuLevel, battleLevel] = stage(true, true);
  const double musicOnly = stage(false, true).second;
  const double effectsOnly = stage(true, false).second;
  std::printf("\nstaged mix: menu %.1f LUFS, battle %.1f LUFS (step %.1f LU); in the battle the music alone %.1f,"
              " the effects alone %.1f (effects over music %.1f LU)\n",
              menuLevel, battleLevel, battleLevel - menuLevel, musicOnly, effectsOnly, effectsOnly - musicOnly);
  return 0;
}
