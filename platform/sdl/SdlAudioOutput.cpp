#include "platform/sdl/SdlAudioOutput.h"

#include <algorithm>

TSdlAudioOutput::~TSdlAudioOutput() { Close(); }

bool TSdlAudioOutput::Open(TRenderCallback render) {
  if (FDevice != 0) return true;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    // No sound system (or no card): the game carries on silently.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    FOwnsSubsystem = true;
  }
  FRender = std::move(render);
  SDL_AudioSpec wanted{};
  wanted.freq = Rate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = Frames;
  wanted.callback = &TSdlAudioOutput::Callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // SDL converts to whatever the card wants, so the mixer always sees this exact format.
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (FDevice == 0) {
    FRender = nullptr;
    if (FOwnsSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    FOwnsSubsystem = false;
    return false;
  }
  SDL_PauseAudioDevice(FDevice, 0);
  return true;
}

void TSdlAudioOutput::Close() {
  if (FDevice == 0) return;
  // Closing waits for a running callback, so the mixer is never called after this.
  SDL_CloseAudioDevice(FDevice);
  FDevice = 0;
  FRender = nullptr;
  if (FOwnsSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  FOwnsSubsystem = false;
}

void TSdlAudioOutput::Callback(void* user, Uint8* stream, int length) {
  auto* self = static_cast<TSdlAudioOutput*>(user);
  auto* frames = reinterpret_cast<float*>(stream);
  const auto frameCount = static_cast<std::size_t>(length) / (2 * sizeof(float));
  if (self->FRender)
    self->FRender(frames, frameCount);
  else
    std::fill(frames, frames + frameCount * 2, 0.0F);
}
