#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

// A malformed wave block: "Wave is invalid" or "Format is invalid".
class EWaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The sound of one effect as the wave archive stores it: an uncompressed PCM format (8 or 16 bits,
// mono or stereo, any rate) and its raw sample bytes, read from and written to a RIFF wave file.
class TWave {
 public:
  int32_t Channels = 1;
  int32_t SampleRate = 22050;
  int32_t BitsPerSample = 16;
  std::vector<uint8_t> Data;

  int32_t BlockAlign() const { return Channels * (BitsPerSample / 8); }
  int64_t FrameCount() const;
  bool Empty() const { return Data.empty(); }

  // Reads a whole RIFF file; other chunks than "fmt " and "data" are skipped. Raises EWaveError.
  void LoadFromRiff(std::span<const uint8_t> bytes);
  std::vector<uint8_t> SaveToRiff() const;

  // The samples scaled to -1..1, interleaved by channel.
  std::vector<float> ToFloat() const;
  // Builds 16-bit samples from floats in -1..1 (clamped), interleaved by channel.
  static TWave FromFloat(const std::vector<float>& samples, int32_t channels, int32_t sampleRate);
};
