#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/MusicLib.h"

// Puts a fade between tunes: a module that is freed, or replaced by another module with
// SongPlay, fades out over FadeSeconds before it stops, and the new one starts when the old has
// gone. Starting the same file again (the game restarts a tune that has played through) cuts
// over at once, since the old copy has only just begun again. Wraps the music library the
// platform provides and passes everything else through.
class TMusicFader : public TMusicLib {
 public:
  static constexpr double FadeSeconds = 0.3;

  explicit TMusicFader(std::unique_ptr<TMusicLib> inner);

  uint32_t SongLoadFromFile(const std::string& path) override;
  void SongPlay(uint32_t handle) override;
  int32_t SongGetOrder(uint32_t handle) override;
  void SongFree(uint32_t handle) override;
  void Render(float* frames, std::size_t frameCount, int sampleRate) override;

 private:
  // Called with FMutex held.
  void StartFade(bool freeAfter);
  void FinishFade();

  std::unique_ptr<TMusicLib> FInner;
  std::mutex FMutex;
  std::map<uint32_t, std::string> FPaths;
  uint32_t FPlaying = 0;   // the module the inner library plays
  uint32_t FPending = 0;   // the module to start once the fade has ended
  bool FFading = false;
  bool FFreeAfterFade = false;
  double FFadeGain = 1.0;
  std::vector<float> FBlock;
};
