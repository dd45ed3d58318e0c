#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "audio/MusicLib.h"
#include "audio/SoundDevice.h"
#include "audio/Wave.h"
#include "platform/sdl/SdlAudioOutput.h"

namespace {

// Music that only notes the rate the mixer asks it for and the thread it asks on.
class TRateProbeMusic : public TMusicLib {
 public:
  uint32_t SongLoadFromFile(const std::string&) override { return 0; }
  void SongPlay(uint32_t) override {}
  int32_t SongGetOrder(uint32_t) override { return 0; }
  void SongFree(uint32_t) override {}
  void Render(float*, std::size_t, int sampleRate) override {
    if (sampleRate != Expected) ++WrongRate;
    if (std::this_thread::get_id() != Owner) ++OtherThread;
    ++Calls;
  }

  int Expected = 0;
  std::thread::id Owner = std::this_thread::get_id();
  std::atomic<int> Calls{0};
  std::atomic<int> WrongRate{0};
  std::atomic<int> OtherThread{0};
};

// A card that asks for its first buffer while it is being opened, as a real one may on its own
// thread before Open has returned.
class TEagerOutput : public TAudioOutput {
 public:
  bool Open(TRenderCallback render) override {
    FOpen = true;
    std::vector<float> frames(2 * 256);
    render(frames.data(), 256);
    return true;
  }
  void Close() override { FOpen = false; }
  bool IsOpen() const override { return FOpen; }
  int SampleRate() const override { return 48000; }
  int BufferFrames() const override { return 256; }

 private:
  bool FOpen = false;
};

TEST(SoundDeviceStart, TheFirstBufferIsMixedAtTheOutputsRate) {
  TEagerOutput output;
  TRateProbeMusic music;
  music.Expected = 48000;
  TSoundDevice device(&output, &music);
  ASSERT_TRUE(device.Initialize());
  EXPECT_EQ(music.Calls.load(), 1);
  EXPECT_EQ(music.WrongRate.load(), 0);
  EXPECT_EQ(device.SampleRate(), 48000);
}

// The real output on SDL's dummy driver mixes on its own thread while the game starts and stops
// effects; the ThreadSanitizer pass runs this to find unguarded state between the two.
TEST(SoundDeviceStart, MixesOnTheAudioThreadWhileTheGamePlaysEffects) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    TSdlAudioOutput output;
    TRateProbeMusic music;
    music.Expected = TSdlAudioOutput::Rate;
    TSoundDevice device(&output, &music);
    ASSERT_TRUE(device.Initialize()) << SDL_GetError();
    const TWave wave = TWave::FromFloat(std::vector<float>(2205, 0.25F), 1, 22050);
    std::unique_ptr<TSoundBuffer> first = device.CreateBuffer(wave);
    ASSERT_NE(first, nullptr);
    std::vector<std::unique_ptr<TSoundBuffer>> copies;
    for (int round = 0; round < 400 && music.Calls < 5; ++round) {
      copies.push_back(first->Duplicate());
      copies.back()->Play(round % 3 == 0);
      if (copies.size() > 8) copies.erase(copies.begin());
      first->Rewind();
      first->Play(false);
      SDL_Delay(5);
    }
    EXPECT_GE(music.Calls.load(), 5);
    EXPECT_EQ(music.WrongRate.load(), 0);
    EXPECT_EQ(music.OtherThread.load(), music.Calls.load()) << "mixed on the audio thread";
    device.Finalize();
    copies.clear();
  }
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
