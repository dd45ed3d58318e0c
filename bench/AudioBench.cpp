#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/XmpMusicLib.h"

namespace {

const std::filesystem::path GameDir = ZARVOK_GAME_DIR;

// The mixer's cost for one device buffer with eight effects sounding over the battle music,
// as a share of the buffer's own duration (the share of one core the audio thread needs).
void MixEightVoicesAndMusic(benchmark::State& state) {
  THeadlessAudioOutput output(true, TSdlAudioOutput::Rate);
  TXmpMusicLib music;
  TSoundDevice device(&output, &music);
  TWaveList list(device);
  list.LoadFromFile(GameDir / "Data" / "Music.dxw");
  const uint32_t song = music.SongLoadFromFile((GameDir / "Music" / "2.xm").string());
  music.SongPlay(song);
  const std::vector<std::string> voices = {"1", "1", "5", "7", "popal_in_plot", "tank_move", "truc_move", "8"};
  list.Items().Find("1").MaxPlayingCount = 0;
  std::vector<float> frames(TSdlAudioOutput::Frames * 2);
  double mixing = 0;
  for (auto _ : state) {
    // Keeps eight voices sounding; the shots end quickly and start again.
    if (device.PlayingCount() < 8) {
      list.Items().Find("1").Stop();
      for (const std::string& name : voices) list.Items().Find(name).Play();
    }
    const auto start = std::chrono::steady_clock::now();
    device.Mix(frames.data(), TSdlAudioOutput::Frames);
    mixing += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(frames.data());
  }
  const double bufferSeconds = static_cast<double>(TSdlAudioOutput::Frames) / TSdlAudioOutput::Rate;
  state.counters["core_%"] = 100.0 * mixing / (bufferSeconds * static_cast<double>(state.iterations()));
  // Worst case from PlaySound to the card: the buffer playing now and the one mixed next.
  state.counters["delay_ms"] = 2000.0 * bufferSeconds;
  music.SongFree(song);
}
BENCHMARK(MixEightVoicesAndMusic)->Unit(benchmark::kMicrosecond);

}  // namespace
