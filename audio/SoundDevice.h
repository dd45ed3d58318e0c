#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/MusicDucker.h"

class TAudioOutput;
class TMusicLib;
class TWave;
class TSoundDevice;

// The samples one wave and all copies of its buffer share, converted once to floats.
struct TSoundSamples {
  int32_t Channels = 1;
  int32_t SampleRate = 22050;
  std::vector<float> Samples;  // interleaved by channel
  std::size_t Frames() const { return Channels > 0 ? Samples.size() / Channels : 0; }
};

// One playable copy of a wave (a sound-card buffer). Copies share the samples but each has its
// own position, so several copies of one effect can overlap. Lives on the user-interface thread;
// the device mixes it on the audio thread under the device's lock.
class TSoundBuffer {
 public:
  TSoundBuffer(TSoundDevice& device, std::shared_ptr<const TSoundSamples> samples);
  ~TSoundBuffer();
  TSoundBuffer(const TSoundBuffer&) = delete;
  TSoundBuffer& operator=(const TSoundBuffer&) = delete;

  // Another buffer over the same samples, stopped at the start.
  std::unique_ptr<TSoundBuffer> Duplicate() const;
  void Play(bool looping);
  void Stop();
  void Rewind();
  bool Playing() const;
  // Seconds the whole wave lasts at its own rate.
  double Duration() const;
  // The announcer's words duck the music while they sound; copies inherit it.
  void SetDucksMusic(bool ducks) { FDucksMusic = ducks; }
  bool DucksMusic() const { return FDucksMusic; }

 private:
  friend class TSoundDevice;
  TSoundDevice& FDevice;
  std::shared_ptr<const TSoundSamples> FSamples;
  // Guarded by the device's lock.
  double FPosition = 0.0;  // in frames of the wave
  bool FPlaying = false;
  bool FLooping = false;
  bool FDucksMusic = false;
};

// The sound device: it owns the audio output and mixes every sounding buffer (resampled from its
// wave's rate) and the music into the output's stereo stream, with headroom and a soft limiter.
// The music ducks while a buffer marked DucksMusic sounds.
// Constructed as TSoundDevice(platform.Audio.get(), platform.Music.get()); either may be null.
// Initialize() opens the output (TWaveList::LoadFromFile calls it); without an output the
// device stays uninitialised and the waves play silently.
class TSoundDevice {
 public:
  // Gain of the effects and of the music before the limiter, leaving headroom for overlaps.
  static constexpr float EffectGain = 0.7F;
  static constexpr float MusicGain = 0.55F;

  explicit TSoundDevice(TAudioOutput* output, TMusicLib* music = nullptr);
  ~TSoundDevice();
  TSoundDevice(const TSoundDevice&) = delete;
  TSoundDevice& operator=(const TSoundDevice&) = delete;

  // Opens the output when there is one and it is not open yet; true when the device runs.
  bool Initialize();
  void Finalize();
  bool Initialized() const { return FInitialized; }
  int SampleRate() const;
  // The music library whose sound is mixed in (it must outlive the device); null for none.
  void SetMusic(TMusicLib* music);

  // A new stopped buffer for the wave; null when the device is not initialised.
  std::unique_ptr<TSoundBuffer> CreateBuffer(const TWave& wave);

  // The render callback: fills interleaved stereo frames with the mix (audio thread).
  void Mix(float* frames, std::size_t frameCount);
  // Number of buffers sounding now.
  int32_t PlayingCount() const;

 private:
  friend class TSoundBuffer;
  void Register(TSoundBuffer& buffer);
  void Unregister(TSoundBuffer& buffer);

  TAudioOutput* FOutput;
  TMusicLib* FMusic;
  bool FInitialized = false;
  int FSampleRate = 44100;
  mutable std::mutex FMutex;
  std::vector<TSoundBuffer*> FBuffers;  // guarded by FMutex
  std::vector<float> FEffects;          // audio thread only
  float FLimiterGain = 1.0F;            // audio thread only
  TMusicDucker FDucker;                 // audio thread only
};
