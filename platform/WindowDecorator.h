#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/Platform.h"

// A window that hands every call to the window it wraps, so that recording, playback and test
// probes override only the calls they change.
class TWindowDecorator : public TWindow {
 public:
  explicit TWindowDecorator(std::unique_ptr<TWindow> inner) : FInner(std::move(inner)) {}

  void SetCaption(const std::string& caption) override { FInner->SetCaption(caption); }
  std::string Caption() const override { return FInner->Caption(); }
  void SetBorderStyle(TBorderStyle style) override { FInner->SetBorderStyle(style); }
  TWindowState WindowState() const override { return FInner->WindowState(); }
  void SetWindowState(TWindowState state) override { FInner->SetWindowState(state); }
  void SavePlacement() override { FInner->SavePlacement(); }
  void RestorePlacement() override { FInner->RestorePlacement(); }
  bool SetFullScreen(bool fullScreen) override { return FInner->SetFullScreen(fullScreen); }
  void HidePointer() override { FInner->HidePointer(); }
  void Present(const TSurface& frame) override { FInner->Present(frame); }
  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override { return FInner->WaitEvent(event, timeoutMs); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    FInner->ShowMessage(caption, text);
  }

  TWindow& Inner() { return *FInner; }
  const TWindow& Inner() const { return *FInner; }

 private:
  std::unique_ptr<TWindow> FInner;
};
