#include "audio/SoundDevice.h"

#include <algorithm>
#include <cmath>

#include "audio/MusicLib.h"
#include "audio/Wave.h"
#include "platform/AudioOutput.h"

namespace {

// Above this level the limiter pulls the gain down; the clipper's knee starts at the same point.
constexpr float LimitThreshold = 0.8F;

float SoftClip(float x) {
  const float magnitude = std::fabs(x);
  if (magnitude <= LimitThreshold) return x;
  const float over = (magnitude - LimitThreshold) / (1.0F - LimitThreshold);
  const float shaped = LimitThreshold + (1.0F - LimitThreshold) * std::tanh(over);
  return x < 0 ? -shaped : shaped;
}

// The amplitude of a volume setting: squared, so that equal steps of the setting sound like
// roughly equal steps of loudness (half the setting is about 12 dB down).
float Loudness(float volume) {
  const float v = std::clamp(volume, 0.0F, 1.0F);
  return v * v;
}

}  // namespace

TSoundBuffer::TSoundBuffer(TSoundDevice& device, std::shared_ptr<const TSoundSamples> samples)
    : FDevice(device), FSamples(std::move(samples)) {
  FDevice.Register(*this);
}

TSoundBuffer::~TSoundBuffer() { FDevice.Unregister(*this); }

std::unique_ptr<TSoundBuffer> TSoundBuffer::Duplicate() const {
  auto copy = std::make_unique<TSoundBuffer>(FDevice, FSamples);
  copy->FDucksMusic = FDucksMusic;
  return copy;
}

void TSoundBuffer::Play(bool looping, TPanGains gains) {
  const std::lock_guard lock(FDevice.FMutex);
  FLooping = looping;
  FGains = gains;
  FPlaying = FSamples->Frames() > 0;
}

void TSoundBuffer::SetGains(TPanGains gains) {
  const std::lock_guard lock(FDevice.FMutex);
  FGains = gains;
}

void TSoundBuffer::Stop() {
  const std::lock_guard lock(FDevice.FMutex);
  FPlaying = false;
}

void TSoundBuffer::Rewind() {
  const std::lock_guard lock(FDevice.FMutex);
  FPosition = 0.0;
}

bool TSoundBuffer::Playing() const {
  const std::lock_guard lock(FDevice.FMutex);
  return FPlaying;
}

double TSoundBuffer::Duration() const {
  return static_cast<double>(FSamples->Frames()) / FSamples->SampleRate;
}

TSoundDevice::TSoundDevice(TAudioOutput* output, TMusicLib* music) : FOutput(output), FMusic(music) {}

TSoundDevice::~TSoundDevice() { Finalize(); }

bool TSoundDevice::Initialize() {
  if (FInitialized) return true;
  if (FOutput == nullptr) return false;
  // The mixer reads the rate on the audio thread from its first buffer on, so it is set before
  // the output starts that thread.
  FSampleRate = FOutput->SampleRate();
  if (!FOutput->IsOpen() &&
      !FOutput->Open([this](float* frames, std::size_t count) { Mix(frames, count); }))
    return false;
  FInitialized = true;
  return true;
}

void TSoundDevice::Finalize() {
  if (!FInitialized) return;
  FOutput->Close();
  FInitialized = false;
}

int TSoundDevice::SampleRate() const { return FSampleRate; }

void TSoundDevice::SetMusic(TMusicLib* music) {
  const std::lock_guard lock(FMutex);
  FMusic = music;
}

std::unique_ptr<TSoundBuffer> TSoundDevice::CreateBuffer(const TWave& wave) {
  if (!FInitialized) return nullptr;
  auto samples = std::make_shared<TSoundSamples>();
  samples->Channels = wave.Channels;
  samples->SampleRate = wave.SampleRate;
  samples->Samples = wave.ToFloat();
  return std::make_unique<TSoundBuffer>(*this, std::move(samples));
}

void TSoundDevice::Register(TSoundBuffer& buffer) {
  const std::lock_guard lock(FMutex);
  FBuffers.push_back(&buffer);
}

void TSoundDevice::Unregister(TSoundBuffer& buffer) {
  const std::lock_guard lock(FMutex);
  FBuffers.erase(std::remove(FBuffers.begin(), FBuffers.end(), &buffer), FBuffers.end());
}

int32_t TSoundDevice::PlayingCount() const {
  const std::lock_guard lock(FMutex);
  return static_cast<int32_t>(
      std::count_if(FBuffers.begin(), FBuffers.end(), [](const TSoundBuffer* b) { return b->FPlaying; }));
}

void TSoundDevice::Mix(float* frames, std::size_t frameCount) {
  const std::size_t values = frameCount * 2;
  FEffects.assign(values, 0.0F);
  TMusicLib* music = nullptr;
  std::size_t voiceFrames = 0;  // how long into this block a ducking wave sounds
  {
    const std::lock_guard lock(FMutex);
    music = FMusic;
    for (TSoundBuffer* buffer : FBuffers) {
      if (!buffer->FPlaying) continue;
      const TSoundSamples& s = *buffer->FSamples;
      const std::size_t length = s.Frames();
      const double step = static_cast<double>(s.SampleRate) / FSampleRate;
      const float* data = s.Samples.data();
      const bool stereo = s.Channels == 2;
      const TPanGains gains = buffer->FGains;
      double position = buffer->FPosition;
      std::size_t i = 0;
      for (; i < frameCount; ++i) {
        const auto index = static_cast<std::size_t>(position);
        const auto fraction = static_cast<float>(position - static_cast<double>(index));
        // The frame after the last one is the first again when looping, else silence, so a
        // loop joins without a click and a one-shot fades into nothing.
        const std::size_t next = index + 1 < length ? index + 1 : (buffer->FLooping ? 0 : length);
        float left;
        float right;
        if (stereo) {
          const float l0 = data[index * 2];
          const float r0 = data[index * 2 + 1];
          const float l1 = next < length ? data[next * 2] : 0.0F;
          const float r1 = next < length ? data[next * 2 + 1] : 0.0F;
          left = l0 + (l1 - l0) * fraction;
          right = r0 + (r1 - r0) * fraction;
        } else {
          const float m0 = data[index];
          const float m1 = next < length ? data[next] : 0.0F;
          left = right = m0 + (m1 - m0) * fraction;
        }
        FEffects[i * 2] += left * gains.Left;
        FEffects[i * 2 + 1] += right * gains.Right;
        position += step;
        if (position >= static_cast<double>(length)) {
          if (buffer->FLooping) {
            position = std::fmod(position, static_cast<double>(length));
          } else {
            buffer->FPlaying = false;
            position = 0.0;
            ++i;
            break;
          }
        }
      }
      buffer->FPosition = position;
      if (buffer->FDucksMusic) voiceFrames = std::max(voiceFrames, i);
    }
  }

  std::fill(frames, frames + values, 0.0F);
  if (music != nullptr) music->Render(frames, frameCount, FSampleRate);
  FDucker.Process(frames, frameCount, voiceFrames, FSampleRate);

  // A fast-attack, slow-release gain keeps piled-up shots under full scale; the soft clipper
  // rounds off whatever the limiter lets through in its first sample.
  const float release = 1.0F - std::exp(-1.0F / (0.08F * static_cast<float>(FSampleRate)));
  const float musicGain = MusicGain * Loudness(FMusicVolume);
  const float effectGain = EffectGain * Loudness(FEffectsVolume);
  const bool mono = FMono;
  for (std::size_t i = 0; i < frameCount; ++i) {
    float left = frames[i * 2] * musicGain + FEffects[i * 2] * effectGain;
    float right = frames[i * 2 + 1] * musicGain + FEffects[i * 2 + 1] * effectGain;
    if (mono) left = right = (left + right) * 0.5F;
    const float peak = std::max(std::fabs(left), std::fabs(right));
    const float target = peak > LimitThreshold ? LimitThreshold / peak : 1.0F;
    if (target < FLimiterGain)
      FLimiterGain = target;
    else
      FLimiterGain += (target - FLimiterGain) * release;
    frames[i * 2] = SoftClip(left * FLimiterGain);
    frames[i * 2 + 1] = SoftClip(right * FLimiterGain);
  }
}
