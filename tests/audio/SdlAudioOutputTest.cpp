#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>

#include "platform/sdl/SdlAudioOutput.h"

// The SDL output against SDL's dummy driver, which consumes sound in real time without a card:
// the mixer is called on the audio thread with whole stereo buffers, and never after Close.
TEST(SdlAudioOutput, CallsTheMixerWithStereoBuffersUntilClosed) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::atomic<int> calls{0};
  std::atomic<std::size_t> frames{0};
  {
    TSdlAudioOutput output;
    ASSERT_TRUE(output.Open([&](float* data, std::size_t count) {
      data[0] = 0.0F;
      frames = count;
      ++calls;
    })) << SDL_GetError();
    EXPECT_TRUE(output.IsOpen());
    EXPECT_EQ(output.SampleRate(), TSdlAudioOutput::Rate);
    for (int waited = 0; waited < 5000 && calls < 3; waited += 5) SDL_Delay(5);
    EXPECT_GE(calls.load(), 3);
    EXPECT_EQ(frames.load(), static_cast<std::size_t>(TSdlAudioOutput::Frames));
    output.Close();
    EXPECT_FALSE(output.IsOpen());
    const int afterClose = calls;
    SDL_Delay(50);
    EXPECT_EQ(calls.load(), afterClose);
  }
  unsetenv("SDL_AUDIODRIVER");
}
