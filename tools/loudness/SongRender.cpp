#include "SongRender.h"

#include <algorithm>
#include <fstream>

#include "audio/MusicLib.h"

TSongPass RenderSongPass(TMusicLib& music, const std::string& path, int rate, double maxSeconds) {
  TSongPass pass;
  const uint32_t handle = music.SongLoadFromFile(path);
  if (handle == 0) return pass;
  music.SongPlay(handle);
  constexpr std::size_t Block = 1024;
  std::vector<float> block(Block * 2);
  bool left = false;
  const auto limit = static_cast<std::size_t>(maxSeconds * rate);
  std::size_t frames = 0;
  while (frames < limit) {
    std::fill(block.begin(), block.end(), 0.0F);
    music.Render(block.data(), Block, rate);
    const int32_t order = music.SongGetOrder(handle);
    if (order != 0) left = true;
    if (left && order == 0) {
      pass.CameBack = true;
      break;
    }
    pass.Stereo.insert(pass.Stereo.end(), block.begin(), block.end());
    frames += Block;
  }
  pass.Seconds = static_cast<double>(frames) / rate;
  music.SongFree(handle);
  return pass;
}

int ModuleBpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[80] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (!in) return 0;
  return header[78] | (header[79] << 8);
}
