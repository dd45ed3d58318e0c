#include "audio/Wave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

uint16_t Read16(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

bool TagIs(std::span<const uint8_t> bytes, std::size_t at, const char* tag) {
  return std::memcmp(bytes.data() + at, tag, 4) == 0;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

constexpr uint16_t FormatPcm = 1;
constexpr uint16_t FormatExtensible = 0xFFFE;

}  // namespace

int64_t TWave::FrameCount() const {
  const int32_t align = BlockAlign();
  return align > 0 ? static_cast<int64_t>(Data.size()) / align : 0;
}

void TWave::LoadFromRiff(std::span<const uint8_t> bytes) {
  if (bytes.size() < 12 || !TagIs(bytes, 0, "RIFF") || !TagIs(bytes, 8, "WAVE"))
    throw EWaveError("Wave is invalid");
  // The RIFF size may be wrong in files written by careless tools; the chunks themselves decide.
  std::size_t end = bytes.size();
  const uint64_t riffEnd = static_cast<uint64_t>(Read32(bytes, 4)) + 8;
  if (riffEnd >= 12 && riffEnd < end) end = static_cast<std::size_t>(riffEnd);

  bool haveFormat = false;
  bool haveData = false;
  int32_t channels = 0;
  int32_t rate = 0;
  int32_t bits = 0;
  std::vector<uint8_t> data;
  std::size_t at = 12;
  while (at + 8 <= end) {
    const uint32_t length = Read32(bytes, at + 4);
    const std::size_t body = at + 8;
    if (length > end - body) throw EWaveError("Wave is invalid");
    if (TagIs(bytes, at, "fmt ")) {
      if (length < 16) throw EWaveError("Format is invalid");
      const uint16_t tag = Read16(bytes, body);
      channels = Read16(bytes, body + 2);
      const uint32_t samplesPerSecond = Read32(bytes, body + 4);
      rate = samplesPerSecond <= INT32_MAX ? static_cast<int32_t>(samplesPerSecond) : 0;
      const uint16_t align = Read16(bytes, body + 12);
      bits = Read16(bytes, body + 14);
      if ((tag != FormatPcm && tag != FormatExtensible) || (channels != 1 && channels != 2) ||
          (bits != 8 && bits != 16) || rate <= 0 || align != channels * (bits / 8))
        throw EWaveError("Format is invalid");
      haveFormat = true;
    } else if (TagIs(bytes, at, "data")) {
      data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                  bytes.begin() + static_cast<std::ptrdiff_t>(body + length));
      haveData = true;
    }
    // Chunks are padded to an even length.
    at = body + length + (length & 1U);
  }
  if (!haveFormat) throw EWaveError("Format is invalid");
  if (!haveData) throw EWaveError("Wave is invalid");
  Channels = channels;
  SampleRate = rate;
  BitsPerSample = bits;
  Data = std::move(data);
  Data.resize(Data.size() - Data.size() % static_cast<std::size_t>(BlockAlign()));
}

std::vector<uint8_t> TWave::SaveToRiff() const {
  const uint32_t dataLength = static_cast<uint32_t>(Data.size());
  const uint32_t padded = dataLength + (dataLength & 1U);
  std::vector<uint8_t> out;
  out.reserve(44);
  PutTag(out, "RIFF");
  Put32(out, 4 + 8 + 16 + 8 + padded);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, FormatPcm);
  Put16(out, static_cast<uint16_t>(Channels));
  Put32(out, static_cast<uint32_t>(SampleRate));
  Put32(out, static_cast<uint32_t>(SampleRate * BlockAlign()));
  Put16(out, static_cast<uint16_t>(BlockAlign()));
  Put16(out, static_cast<uint16_t>(BitsPerSample));
  PutTag(out, "data");
  Put32(out, dataLength);
  const std::size_t header = out.size();
  out.resize(header + padded, 0);
  if (dataLength > 0) std::memcpy(out.data() + header, Data.data(), dataLength);
  return out;
}

std::vector<float> TWave::ToFloat() const {
  std::vector<float> samples;
  if (BitsPerSample == 8) {
    samples.reserve(Data.size());
    for (const uint8_t b : Data) samples.push_back((static_cast<float>(b) - 128.0F) / 128.0F);
  } else {
    samples.reserve(Data.size() / 2);
    for (std::size_t i = 0; i + 1 < Data.size(); i += 2) {
      const auto s = static_cast<int16_t>(Data[i] | (Data[i + 1] << 8));
      samples.push_back(static_cast<float>(s) / 32768.0F);
    }
  }
  return samples;
}

TWave TWave::FromFloat(const std::vector<float>& samples, int32_t channels, int32_t sampleRate) {
  TWave wave;
  wave.Channels = channels;
  wave.SampleRate = sampleRate;
  wave.BitsPerSample = 16;
  const std::size_t whole = samples.size() - samples.size() % static_cast<std::size_t>(channels);
  wave.Data.reserve(whole * 2);
  for (std::size_t i = 0; i < whole; ++i) {
    const float clamped = std::clamp(samples[i], -1.0F, 1.0F);
    const auto s = static_cast<int16_t>(std::lrint(clamped * 32767.0F));
    wave.Data.push_back(static_cast<uint8_t>(s & 0xFF));
    wave.Data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return wave;
}
