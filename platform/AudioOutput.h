#pragma once

#include <cstddef>
#include <functional>

// A sound card seen from the game: once opened it keeps asking the render callback for
// interleaved stereo float frames (left, right) at SampleRate(), on a thread of its own.
// The SDL output runs a real device; the headless one renders only when a test pulls frames.
class TAudioOutput {
 public:
  using TRenderCallback = std::function<void(float* frames, std::size_t frameCount)>;

  virtual ~TAudioOutput() = default;

  // Starts the device; false when there is none (the game then plays silently).
  virtual bool Open(TRenderCallback render) = 0;
  // Stops the device; after it returns the callback is never called again.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual int SampleRate() const = 0;
  // Frames the device asks for at a time (its latency, one buffer).
  virtual int BufferFrames() const = 0;
};
