// Hands any bytes to the music library as a module file, plays the module and renders a little of
// it, as the game does with the files in its Music folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sdl/XmpMusicLib.h"

namespace {

// One file per fuzzing process, rewritten for every input.
const std::string& ModulePath() {
  static const std::string path = "/tmp/zarvok-xm-fuzz-" + std::to_string(getpid()) + ".xm";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(ModulePath().c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (!written) return 0;

  TXmpMusicLib music;
  const uint32_t song = music.SongLoadFromFile(ModulePath());
  if (song == 0) return 0;
  music.SongPlay(song);
  std::vector<float> frames(2 * 2048);
  for (int block = 0; block < 4; ++block) music.Render(frames.data(), 2048, 44100);
  (void)music.SongGetOrder(song);
  music.SongFree(song);
  return 0;
}
