#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/MusicLib.h"

// The music library over libxmp. Each loaded module has its own player; the one last started
// with SongPlay is rendered into the mix. libxmp jumps back to the module's restart position at
// its end: our modules restart at 0, so the order position is 0 again after a pass.
class TXmpMusicLib : public TMusicLib {
 public:
  TXmpMusicLib();
  ~TXmpMusicLib() override;
  TXmpMusicLib(const TXmpMusicLib&) = delete;
  TXmpMusicLib& operator=(const TXmpMusicLib&) = delete;

  uint32_t SongLoadFromFile(const std::string& path) override;
  void SongPlay(uint32_t handle) override;
  int32_t SongGetOrder(uint32_t handle) override;
  void SongFree(uint32_t handle) override;
  void Render(float* frames, std::size_t frameCount, int sampleRate) override;

 private:
  struct TSong;
  std::mutex FMutex;
  std::map<uint32_t, std::unique_ptr<TSong>> FSongs;
  uint32_t FNextHandle = 1;
  uint32_t FPlaying = 0;
  std::atomic<int32_t> FOrder{0};
  std::vector<int16_t> FBuffer;
};
