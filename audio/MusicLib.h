#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The small music library the game plays its XM modules through. The four song calls come from
// the game's user-interface thread; the sound device's mixer pulls the music's samples with
// Render on the audio thread, so implementations guard their state.
class TMusicLib {
 public:
  virtual ~TMusicLib() = default;

  // A handle to the loaded module, 0 when it cannot be loaded.
  virtual uint32_t SongLoadFromFile(const std::string& path) = 0;
  // Starts the module at order position 0; it then runs on by itself and starts again at
  // order 0 after it has played through.
  virtual void SongPlay(uint32_t handle) = 0;
  // The order position now playing; 0 for an unknown handle.
  virtual int32_t SongGetOrder(uint32_t handle) = 0;
  // Stops the module and forgets the handle.
  virtual void SongFree(uint32_t handle) = 0;

  // Adds the playing module's sound to interleaved stereo frames at sampleRate (the mixer calls
  // this from the audio thread). Silence when nothing plays.
  virtual void Render(float* frames, std::size_t frameCount, int sampleRate) = 0;
};
