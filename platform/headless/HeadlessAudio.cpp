#include "platform/headless/HeadlessAudio.h"

bool THeadlessAudioOutput::Open(TRenderCallback render) {
  if (!FAvailable) return false;
  FRender = std::move(render);
  FOpen = true;
  return true;
}

void THeadlessAudioOutput::Close() {
  FOpen = false;
  FRender = nullptr;
}

std::vector<float> THeadlessAudioOutput::Pull(std::size_t frameCount) {
  std::vector<float> frames(frameCount * 2, 0.0F);
  if (FOpen && FRender) FRender(frames.data(), frameCount);
  return frames;
}
