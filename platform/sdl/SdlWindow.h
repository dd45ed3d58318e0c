#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct _SDL_GameController;
union SDL_Event;

// The game's window on SDL2: an 800 x 600 client area, the finished frames uploaded to a streaming
// texture and shown scaled with the aspect kept (letterboxed). The renderer's logical size makes
// SDL deliver mouse positions in 800 x 600 surface pixels. Owns SDL's video and audio subsystems,
// and the game-controller one: pads are taken when plugged in and dropped when pulled out, and are
// read once per wait rather than by SDL's own polling, so the loop still sleeps between frames.
// A touch is the first finger's own events; the mouse events SDL makes from it are dropped, so a
// tap is one click.
class TSdlWindow : public TWindow {
 public:
  // resizable: the window system may size the window (the desktop); a page sizes the canvas itself.
  explicit TSdlWindow(bool resizable = true);
  ~TSdlWindow() override;
  TSdlWindow(const TSdlWindow&) = delete;
  TSdlWindow& operator=(const TSdlWindow&) = delete;

  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return FCaption; }
  void SetBorderStyle(TBorderStyle style) override;
  TWindowState WindowState() const override;
  void SetWindowState(TWindowState state) override;
  void SavePlacement() override;
  void RestorePlacement() override;
  bool SetFullScreen(bool fullScreen) override;
  void HidePointer() override;
  void Present(const TSurface& frame) override;
  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override;
  void ShowMessage(const std::string& caption, const std::string& text) override;

 private:
  // The game's event for an SDL event; false for events the game does not see. A few SDL events
  // make two of the game's; the second waits in FPending.
  bool Translate(const SDL_Event& sdlEvent, TPlatformEvent& event);
  // A finger's place, given as fractions of the window, in surface pixels.
  void FingerPoint(float x, float y, TPlatformEvent& event) const;
  void OpenPad(int deviceIndex);
  void ShowWindow();
  void CreateTexture();
  void Redraw();

  SDL_Window* FWindow = nullptr;
  SDL_Renderer* FRenderer = nullptr;
  SDL_Texture* FTexture = nullptr;
  std::string FCaption;
  bool FShown = false;
  bool FFullScreen = false;
  // The border asked for last; SDL ignores a border change on a full-screen window, so it is put
  // back when the window leaves full screen.
  bool FBordered = true;
  bool FHasFrame = false;
  bool FHasFocus = false;
  int FScaleMode = -1;  // the texture's SDL_ScaleMode, -1 before the first frame
  bool FPadsReady = false;
  std::map<int32_t, _SDL_GameController*> FPads;  // by joystick instance id
  std::deque<TPlatformEvent> FPending;
  bool FFingerDown = false;
  int64_t FFinger = 0;
  struct TPlacement {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool Saved = false;
  } FPlacement;
};
