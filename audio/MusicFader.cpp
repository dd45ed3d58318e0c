#include "audio/MusicFader.h"

#include <algorithm>

TMusicFader::TMusicFader(std::unique_ptr<TMusicLib> inner) : FInner(std::move(inner)) {}

uint32_t TMusicFader::SongLoadFromFile(const std::string& path) {
  const uint32_t handle = FInner->SongLoadFromFile(path);
  if (handle != 0) {
    const std::lock_guard lock(FMutex);
    FPaths[handle] = path;
  }
  return handle;
}

void TMusicFader::StartFade(bool freeAfter) {
  if (!FFading) FFadeGain = 1.0;
  FFading = true;
  FFreeAfterFade = FFreeAfterFade || freeAfter;
}

void TMusicFader::FinishFade() {
  const uint32_t old = FPlaying;
  FFading = false;
  FFadeGain = 1.0;
  FPlaying = 0;
  if (FFreeAfterFade) {
    FInner->SongFree(old);
    FPaths.erase(old);
  }
  FFreeAfterFade = false;
  if (FPending != 0) {
    FPlaying = FPending;
    FPending = 0;
    FInner->SongPlay(FPlaying);
  }
}

void TMusicFader::SongPlay(uint32_t handle) {
  const std::lock_guard lock(FMutex);
  if (FPaths.count(handle) == 0) return;
  const bool sameTune = FPlaying != 0 && FPaths.count(FPlaying) && FPaths[FPlaying] == FPaths[handle];
  if (FPlaying == 0 || FPlaying == handle || sameTune) {
    if (sameTune && FPlaying != handle) {
      if (FFreeAfterFade) {
        FInner->SongFree(FPlaying);
        FPaths.erase(FPlaying);
      }
      FFading = false;
      FFreeAfterFade = false;
      FFadeGain = 1.0;
    }
    FPending = 0;
    FPlaying = handle;
    FInner->SongPlay(handle);
    return;
  }
  FPending = handle;
  StartFade(false);
}

int32_t TMusicFader::SongGetOrder(uint32_t handle) { return FInner->SongGetOrder(handle); }

void TMusicFader::SongFree(uint32_t handle) {
  const std::lock_guard lock(FMutex);
  if (FPaths.count(handle) == 0) return;
  if (handle == FPending) FPending = 0;
  if (handle == FPlaying) {
    // The caller is done with it; it sounds on, fading, until Render lets it go.
    StartFade(true);
    return;
  }
  FInner->SongFree(handle);
  FPaths.erase(handle);
}

void TMusicFader::Render(float* frames, std::size_t frameCount, int sampleRate) {
  const std::lock_guard lock(FMutex);
  if (!FFading) {
    FInner->Render(frames, frameCount, sampleRate);
    return;
  }
  FBlock.assign(frameCount * 2, 0.0F);
  FInner->Render(FBlock.data(), frameCount, sampleRate);
  const double step = 1.0 / (FadeSeconds * std::max(1, sampleRate));
  std::size_t i = 0;
  for (; i < frameCount && FFadeGain > 0.0; ++i) {
    FFadeGain = std::max(0.0, FFadeGain - step);
    frames[i * 2] += static_cast<float>(FBlock[i * 2] * FFadeGain);
    frames[i * 2 + 1] += static_cast<float>(FBlock[i * 2 + 1] * FFadeGain);
  }
  if (FFadeGain > 0.0) return;
  FinishFade();
  // The rest of the block already belongs to the next tune.
  if (i < frameCount && FPlaying != 0) FInner->Render(frames + i * 2, frameCount - i, sampleRate);
}
