#pragma once

#include <cstddef>
#include <vector>

#include "platform/AudioOutput.h"

// A sound card for tests: it opens at once (unless told there is no device) and renders only when
// the test pulls frames, on the test's own thread.
class THeadlessAudioOutput : public TAudioOutput {
 public:
  explicit THeadlessAudioOutput(bool available = true, int sampleRate = 44100)
      : FAvailable(available), FSampleRate(sampleRate) {}

  bool Open(TRenderCallback render) override;
  void Close() override;
  bool IsOpen() const override { return FOpen; }
  int SampleRate() const override { return FSampleRate; }
  int BufferFrames() const override { return 1024; }

  // Renders frameCount interleaved stereo frames of the mix (silence while closed).
  std::vector<float> Pull(std::size_t frameCount);

 private:
  bool FAvailable;
  int FSampleRate;
  bool FOpen = false;
  TRenderCallback FRender;
};
