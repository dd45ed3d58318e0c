#include "platform/sdl/XmpMusicLib.h"

// The browser build's xmp.h includes emscripten.h inside extern "C", which C++ cannot take; once
// included here first, its guard keeps it out there.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif
#include <xmp.h>

struct TXmpMusicLib::TSong {
  xmp_context Context = nullptr;
  bool Started = false;
  int Rate = 0;

  ~TSong() {
    if (Started) xmp_end_player(Context);
    xmp_release_module(Context);
    xmp_free_context(Context);
  }
};

TXmpMusicLib::TXmpMusicLib() = default;

TXmpMusicLib::~TXmpMusicLib() = default;

uint32_t TXmpMusicLib::SongLoadFromFile(const std::string& path) {
  xmp_context context = xmp_create_context();
  if (context == nullptr) return 0;
  if (xmp_load_module(context, path.c_str()) != 0) {
    xmp_free_context(context);
    return 0;
  }
  // A module without channels makes frames without samples, and libxmp would then fill the mix
  // buffer for ever on the audio thread, holding the lock the game's thread waits for.
  xmp_module_info info{};
  xmp_get_module_info(context, &info);
  if (info.mod == nullptr || info.mod->chn <= 0) {
    xmp_release_module(context);
    xmp_free_context(context);
    return 0;
  }
  auto song = std::make_unique<TSong>();
  song->Context = context;
  const std::lock_guard lock(FMutex);
  const uint32_t handle = FNextHandle++;
  if (FNextHandle == 0) FNextHandle = 1;
  FSongs[handle] = std::move(song);
  return handle;
}

void TXmpMusicLib::SongPlay(uint32_t handle) {
  const std::lock_guard lock(FMutex);
  const auto it = FSongs.find(handle);
  if (it == FSongs.end()) return;
  TSong& song = *it->second;
  if (song.Started) {
    xmp_end_player(song.Context);
    song.Started = false;
  }
  FPlaying = handle;
  FOrder = 0;
}

int32_t TXmpMusicLib::SongGetOrder(uint32_t handle) {
  // The audio thread publishes the order after each block, so this never waits for the mixer.
  return handle != 0 && handle == FPlaying ? FOrder.load() : 0;
}

void TXmpMusicLib::SongFree(uint32_t handle) {
  std::unique_ptr<TSong> gone;
  {
    const std::lock_guard lock(FMutex);
    const auto it = FSongs.find(handle);
    if (it == FSongs.end()) return;
    gone = std::move(it->second);
    FSongs.erase(it);
    if (FPlaying == handle) {
      FPlaying = 0;
      FOrder = 0;
    }
  }
}

void TXmpMusicLib::Render(float* frames, std::size_t frameCount, int sampleRate) {
  const std::lock_guard lock(FMutex);
  const auto it = FSongs.find(FPlaying);
  if (it == FSongs.end()) return;
  TSong& song = *it->second;
  if (song.Started && song.Rate != sampleRate) {
    xmp_end_player(song.Context);
    song.Started = false;
  }
  if (!song.Started) {
    if (xmp_start_player(song.Context, sampleRate, 0) != 0) return;
    song.Started = true;
    song.Rate = sampleRate;
  }
  FBuffer.resize(frameCount * 2);
  // Loop count 0: play for ever, back to order 0 after each pass.
  if (xmp_play_buffer(song.Context, FBuffer.data(), static_cast<int>(FBuffer.size() * sizeof(int16_t)), 0) != 0) return;
  for (std::size_t i = 0; i < frameCount * 2; ++i) frames[i] += static_cast<float>(FBuffer[i]) / 32768.0F;
  xmp_frame_info info{};
  xmp_get_frame_info(song.Context, &info);
  FOrder = info.pos;
}
