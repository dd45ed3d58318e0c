#pragma once

#include <SDL.h>

#include "platform/AudioOutput.h"

// The real sound card through SDL: 48 kHz float stereo, 512 frames a buffer (about 11 ms; an
// effect started now is heard after the buffer playing and the one being mixed, well within
// 50 ms of PlaySound). SDL calls the mixer on its audio thread.
class TSdlAudioOutput : public TAudioOutput {
 public:
  static constexpr int Rate = 48000;
  static constexpr int Frames = 512;

  TSdlAudioOutput() = default;
  ~TSdlAudioOutput() override;
  TSdlAudioOutput(const TSdlAudioOutput&) = delete;
  TSdlAudioOutput& operator=(const TSdlAudioOutput&) = delete;

  bool Open(TRenderCallback render) override;
  void Close() override;
  bool IsOpen() const override { return FDevice != 0; }
  int SampleRate() const override { return Rate; }
  int BufferFrames() const override { return Frames; }

 private:
  static void Callback(void* user, Uint8* stream, int length);

  SDL_AudioDeviceID FDevice = 0;
  bool FOwnsSubsystem = false;
  TRenderCallback FRender;
};
