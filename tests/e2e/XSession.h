#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// An RGB picture grabbed from the X server.
struct TShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // Width * Height * 3

  const uint8_t* At(int x, int y) const { return &Rgb[(static_cast<size_t>(y) * Width + x) * 3]; }
  // Pixels of the rectangle [x1, x2] x [y1, y2] whose colour differs from other's by more than a
  // small tolerance.
  int DiffCount(const TShot& other, int x1, int y1, int x2, int y2) const;
  // The number of distinct colours (capped): a uniform picture has 1.
  int ColourCount(int cap = 64) const;
  void SavePng(const std::string& path) const;
};

// A private Xvfb server with a window manager (full screen and close requests need one, as on
// any desktop) for one test, and an Xlib connection to it.
class TXSession {
 public:
  TXSession(int width, int height);
  ~TXSession();
  TXSession(const TXSession&) = delete;
  TXSession& operator=(const TXSession&) = delete;

  const std::string& DisplayName() const { return FDisplayName; }

  // The top-level window whose name is title, waiting up to timeoutMs for it to be mapped; 0 if none.
  Window WaitForWindow(const std::string& title, int timeoutMs);
  std::string WindowTitle(Window window);
  // The window's position and size on the screen.
  bool Geometry(Window window, int& x, int& y, int& width, int& height);
  TShot Grab(Window window);
  // The height of the title bar the window manager gives the window (0 for a borderless one).
  int TitleBarHeight(Window window);
  // The window manager's close request (WM_DELETE_WINDOW), as the title bar's close button sends it.
  void RequestClose(Window window);

  // Runs xdotool with the given arguments on this display; true when it succeeded.
  bool Xdotool(const std::vector<std::string>& args);

  // A small rectangle of the window, grabbed fast enough to catch a single frame.
  TShot GrabRegion(Window window, int x, int y, int width, int height);

 private:
  pid_t FServer = -1;
  pid_t FWindowManager = -1;
  std::string FDisplayName;
  Display* FDisplay = nullptr;
};
