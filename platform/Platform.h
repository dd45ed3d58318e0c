#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TSurface;
class TAudioOutput;
class TMusicLib;
class THttpTransport;
class TPlaces;

// What the game needs of its surroundings. The SDL backend (platform/sdl/) is the real one; the
// headless backend (platform/headless/) drives the same game in tests with a fake clock and
// injected input. Nothing outside platform/ knows which one runs.

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TBorderStyle { bsSingle, bsNone };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

struct TShiftState {
  bool Shift = false;
  bool Alt = false;
  bool Ctrl = false;
};

// Virtual-key codes the game reacts to.
inline constexpr uint16_t VK_BACK = 8;
inline constexpr uint16_t VK_RETURN = 13;
inline constexpr uint16_t VK_ESCAPE = 27;
inline constexpr uint16_t VK_A = 65;
inline constexpr uint16_t VK_P = 80;
inline constexpr uint16_t VK_Z = 90;

// One input or window event, in 800 x 600 surface pixels for the mouse.
struct TPlatformEvent {
  enum class TKind {
    KeyDown,
    MouseMove,
    MouseDown,
    MouseUp,
    FocusGained,
    FocusLost,
    CloseRequest,  // the window's close button; the game may refuse it
    Resized,       // the window's size or state changed (maximise included)
  };
  TKind Kind = TKind::MouseMove;
  uint16_t Key = 0;
  TShiftState Shift;
  TMouseButton Button = TMouseButton::mbLeft;
  int X = 0;
  int Y = 0;
};

// A 32-bit millisecond clock that wraps, and a way to wait.
class TClock {
 public:
  virtual ~TClock() = default;
  virtual uint32_t Milliseconds() const = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// The game's one window and the screen it shows the finished frames on.
class TWindow {
 public:
  virtual ~TWindow() = default;

  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetBorderStyle(TBorderStyle style) = 0;
  virtual TWindowState WindowState() const = 0;
  virtual void SetWindowState(TWindowState state) = 0;
  virtual void SavePlacement() = 0;
  virtual void RestorePlacement() = 0;
  // Desktop full screen with the picture scaled and letterboxed; false when it cannot be had.
  virtual bool SetFullScreen(bool fullScreen) = 0;
  virtual void HidePointer() = 0;

  // Shows a finished 800 x 600 RGB565 frame.
  virtual void Present(const TSurface& frame) = 0;

  // Waits at most timeoutMs for the next event; false when none came.
  virtual bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) = 0;

  // An information message box with a single OK button; returns when it is closed.
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
};

// The desktop shell's "open" verb on a file or a web address.
class TDesktop {
 public:
  virtual ~TDesktop() = default;
  virtual void Open(const std::string& target) = 0;
};

// Everything one run of the game is given. Any member but Clock and Window may be null; without
// Places the game's files are those of the working folder.
struct TPlatform {
  TPlatform();
  ~TPlatform();
  TPlatform(TPlatform&&) noexcept;
  TPlatform& operator=(TPlatform&&) noexcept;

  std::unique_ptr<TClock> Clock;
  std::unique_ptr<TWindow> Window;
  std::unique_ptr<TDesktop> Desktop;
  std::unique_ptr<TAudioOutput> Audio;
  std::unique_ptr<TMusicLib> Music;
  std::unique_ptr<THttpTransport> Http;
  std::unique_ptr<TPlaces> Places;
};
