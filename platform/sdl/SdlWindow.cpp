#include "platform/sdl/SdlWindow.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "platform/Surface.h"

namespace {
constexpr int ClientWidth = 800;
constexpr int ClientHeight = 600;

TShiftState ShiftOf(uint16_t mod) {
  TShiftState shift;
  shift.Shift = (mod & KMOD_SHIFT) != 0;
  shift.Alt = (mod & KMOD_ALT) != 0;
  shift.Ctrl = (mod & KMOD_CTRL) != 0;
  return shift;
}

// The virtual-key code of a key, 0 for keys the game has no code for.
uint16_t VirtualKey(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z) return static_cast<uint16_t>(VK_A + (sym - SDLK_a));
  if (sym >= SDLK_0 && sym <= SDLK_9) return static_cast<uint16_t>('0' + (sym - SDLK_0));
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return static_cast<uint16_t>(112 + (sym - SDLK_F1));
  switch (sym) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return 32;
    case SDLK_LEFT:
      return 37;
    case SDLK_UP:
      return 38;
    case SDLK_RIGHT:
      return 39;
    case SDLK_DOWN:
      return 40;
    default:
      return 0;
  }
}

TPadButton PadButtonOf(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return TPadButton::A;
    case SDL_CONTROLLER_BUTTON_B: return TPadButton::B;
    case SDL_CONTROLLER_BUTTON_X: return TPadButton::X;
    case SDL_CONTROLLER_BUTTON_Y: return TPadButton::Y;
    case SDL_CONTROLLER_BUTTON_BACK: return TPadButton::Back;
    case SDL_CONTROLLER_BUTTON_START: return TPadButton::Start;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return TPadButton::DpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return TPadButton::DpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return TPadButton::DpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return TPadButton::DpadRight;
    default: return TPadButton::Other;
  }
}

bool PadAxisOf(uint8_t axis, TPadAxis& padAxis) {
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: padAxis = TPadAxis::LeftX; return true;
    case SDL_CONTROLLER_AXIS_LEFTY: padAxis = TPadAxis::LeftY; return true;
    case SDL_CONTROLLER_AXIS_RIGHTX: padAxis = TPadAxis::RightX; return true;
    case SDL_CONTROLLER_AXIS_RIGHTY: padAxis = TPadAxis::RightY; return true;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: padAxis = TPadAxis::TriggerLeft; return true;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: padAxis = TPadAxis::TriggerRight; return true;
    default: return false;
  }
}

bool ButtonOf(uint8_t sdlButton, TMouseButton& button) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      button = TMouseButton::mbLeft;
      return true;
    case SDL_BUTTON_RIGHT:
      button = TMouseButton::mbRight;
      return true;
    case SDL_BUTTON_MIDDLE:
      button = TMouseButton::mbMiddle;
      return true;
    default:
      return false;
  }
}
}  // namespace

TSdlWindow::TSdlWindow(bool resizable) {
  // Signals end the program as usual instead of becoming close requests, which the game refuses.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // SDL would poll the pads every millisecond while one is plugged in; WaitEvent reads them instead.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  // The window's class (X11) and app id (Wayland) match zarvok.desktop, so docks and task bars
  // find the game's icon and name. This SDL reads them from the environment (later ones also as
  // hints); a value the user set stays.
  for (const char* name : {"SDL_VIDEO_X11_WMCLASS", "SDL_VIDEO_WAYLAND_WMCLASS"}) {
    SDL_setenv(name, "zarvok", 0);
    SDL_SetHint(name, "zarvok");
  }
  SDL_SetHint(SDL_HINT_APP_NAME, "Zarvok");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0 && SDL_Init(SDL_INIT_VIDEO) != 0)
    throw std::runtime_error(std::string("Cannot start SDL: ") + SDL_GetError());
  // Without the controller subsystem the game simply has no pad. SDL reads its own mapping
  // database and SDL_GAMECONTROLLERCONFIG here, and reports the pads already plugged in as added.
  FPadsReady = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  FWindow = SDL_CreateWindow("ZARVOK", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ClientWidth, ClientHeight,
                             SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0));
  if (!FWindow) {
    const std::string reason = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("Cannot create the window: " + reason);
  }
  FCaption = "ZARVOK";
  FRenderer = SDL_CreateRenderer(FWindow, -1, 0);
  if (!FRenderer) FRenderer = SDL_CreateRenderer(FWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!FRenderer) {
    const std::string reason = SDL_GetError();
    SDL_DestroyWindow(FWindow);
    SDL_Quit();
    throw std::runtime_error("Cannot create the renderer: " + reason);
  }
  SDL_RenderSetLogicalSize(FRenderer, ClientWidth, ClientHeight);
  CreateTexture();
}

TSdlWindow::~TSdlWindow() {
  for (const auto& [id, pad] : FPads) SDL_GameControllerClose(pad);
  if (FTexture) SDL_DestroyTexture(FTexture);
  if (FRenderer) SDL_DestroyRenderer(FRenderer);
  if (FWindow) SDL_DestroyWindow(FWindow);
  SDL_Quit();
}

void TSdlWindow::CreateTexture() {
  if (FTexture) SDL_DestroyTexture(FTexture);
  FTexture = SDL_CreateTexture(FRenderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, ClientWidth,
                               ClientHeight);
  FHasFrame = false;
  FScaleMode = -1;
}

void TSdlWindow::ShowWindow() {
  if (FShown) return;
  SDL_ShowWindow(FWindow);
  SDL_RaiseWindow(FWindow);
  FShown = true;
}

void TSdlWindow::SetCaption(const std::string& caption) {
  FCaption = caption;
  SDL_SetWindowTitle(FWindow, caption.c_str());
}

void TSdlWindow::SetBorderStyle(TBorderStyle style) {
  FBordered = style == TBorderStyle::bsSingle;
  SDL_SetWindowBordered(FWindow, FBordered ? SDL_TRUE : SDL_FALSE);
}

TWindowState TSdlWindow::WindowState() const {
  const uint32_t flags = SDL_GetWindowFlags(FWindow);
  if (flags & SDL_WINDOW_MINIMIZED) return TWindowState::wsMinimized;
  // Some window managers report a full-screen window as maximised; full screen is not the
  // maximise button.
  if ((flags & SDL_WINDOW_MAXIMIZED) && !FFullScreen) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TSdlWindow::SetWindowState(TWindowState state) {
  switch (state) {
    case TWindowState::wsNormal:
      // A full-screen window is never left maximised (SetFullScreen), and restoring it would
      // fight the full-screen state on some window managers.
      if (!FFullScreen && (SDL_GetWindowFlags(FWindow) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)))
        SDL_RestoreWindow(FWindow);
      break;
    case TWindowState::wsMinimized:
      SDL_MinimizeWindow(FWindow);
      break;
    case TWindowState::wsMaximized:
      SDL_MaximizeWindow(FWindow);
      break;
  }
}

void TSdlWindow::SavePlacement() {
  if (FFullScreen) return;
  if (SDL_GetWindowFlags(FWindow) & SDL_WINDOW_MAXIMIZED) {
    // The maximise button is the way into full screen: coming back, the window is its normal
    // size again, centred.
    FPlacement.X = FPlacement.Y = SDL_WINDOWPOS_CENTERED;
    FPlacement.Width = ClientWidth;
    FPlacement.Height = ClientHeight;
  } else {
    SDL_GetWindowPosition(FWindow, &FPlacement.X, &FPlacement.Y);
    SDL_GetWindowSize(FWindow, &FPlacement.Width, &FPlacement.Height);
  }
  FPlacement.Saved = true;
}

void TSdlWindow::RestorePlacement() {
  if (!FPlacement.Saved || FFullScreen) return;
  SDL_RestoreWindow(FWindow);
  SDL_SetWindowSize(FWindow, FPlacement.Width, FPlacement.Height);
  SDL_SetWindowPosition(FWindow, FPlacement.X, FPlacement.Y);
}

bool TSdlWindow::SetFullScreen(bool fullScreen) {
  // The display takes the window when it starts: that is when it first appears.
  ShowWindow();
  if (fullScreen == FFullScreen) return true;
  if (fullScreen && (SDL_GetWindowFlags(FWindow) & SDL_WINDOW_MAXIMIZED)) SDL_RestoreWindow(FWindow);
  if (SDL_SetWindowFullscreen(FWindow, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  FFullScreen = fullScreen;
  if (!fullScreen) {
    SDL_SetWindowBordered(FWindow, FBordered ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(FWindow, ClientWidth, ClientHeight);
  }
  return true;
}

void TSdlWindow::HidePointer() { SDL_ShowCursor(SDL_DISABLE); }

void TSdlWindow::Present(const TSurface& frame) {
  ShowWindow();
  if (!FTexture) CreateTexture();
  if (!FTexture) return;
  if (SDL_UpdateTexture(FTexture, nullptr, frame.Pixels(), frame.Pitch() * static_cast<int>(sizeof(uint16_t))) != 0)
    return;
  FHasFrame = true;
  Redraw();
}

void TSdlWindow::Redraw() {
  // Smooth scaling only when the picture is scaled: at 1:1 the nearest pixel is the same picture
  // and much cheaper for a software renderer.
  int width = 0;
  int height = 0;
  SDL_GetRendererOutputSize(FRenderer, &width, &height);
  const SDL_ScaleMode mode =
      width == ClientWidth && height == ClientHeight ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
  if (static_cast<int>(mode) != FScaleMode) {
    SDL_SetTextureScaleMode(FTexture, mode);
    FScaleMode = static_cast<int>(mode);
  }
  SDL_SetRenderDrawColor(FRenderer, 0, 0, 0, 255);
  SDL_RenderClear(FRenderer);
  if (FHasFrame) SDL_RenderCopy(FRenderer, FTexture, nullptr, nullptr);
  SDL_RenderPresent(FRenderer);
}

bool TSdlWindow::WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) {
  if (!FPending.empty()) {
    event = FPending.front();
    FPending.pop_front();
    return true;
  }
  // Pads plugged in or pulled out, sticks and buttons: queued as events now, once per wait, which
  // is at least once a frame while the game runs.
  if (FPadsReady) SDL_GameControllerUpdate();
  const uint32_t start = SDL_GetTicks();
  for (;;) {
    const uint32_t passed = SDL_GetTicks() - start;
    const uint32_t left = passed >= timeoutMs ? 0 : timeoutMs - passed;
    SDL_Event sdlEvent;
    // Blocks in the window system until something happens: no spinning while the game waits.
    int got = left == 0 ? SDL_PollEvent(&sdlEvent) : SDL_WaitEventTimeout(&sdlEvent, static_cast<int>(left));
    // The wait is over and a frame may be due: the pads are read once more, so a stick moved
    // during the wait reaches this frame rather than the next.
    if (!got && FPadsReady && left != 0) {
      SDL_GameControllerUpdate();
      got = SDL_PollEvent(&sdlEvent);
    }
    if (!got) return false;
    if (Translate(sdlEvent, event)) return true;
  }
}

bool TSdlWindow::Translate(const SDL_Event& sdlEvent, TPlatformEvent& event) {
  using TKind = TPlatformEvent::TKind;
  event = TPlatformEvent{};
  switch (sdlEvent.type) {
    case SDL_KEYDOWN:
      event.Kind = TKind::KeyDown;
      event.Key = VirtualKey(sdlEvent.key.keysym.sym);
      event.Shift = ShiftOf(sdlEvent.key.keysym.mod);
      return event.Key != 0;
    case SDL_MOUSEMOTION:
      // A finger's own events stand for it; SDL's mouse copy of them would click twice.
      if (sdlEvent.motion.which == SDL_TOUCH_MOUSEID) return false;
      event.Kind = TKind::MouseMove;
      event.X = sdlEvent.motion.x;
      event.Y = sdlEvent.motion.y;
      event.Shift = ShiftOf(static_cast<uint16_t>(SDL_GetModState()));
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (sdlEvent.button.which == SDL_TOUCH_MOUSEID) return false;
      event.Kind = sdlEvent.type == SDL_MOUSEBUTTONDOWN ? TKind::MouseDown : TKind::MouseUp;
      event.X = sdlEvent.button.x;
      event.Y = sdlEvent.button.y;
      event.Shift = ShiftOf(static_cast<uint16_t>(SDL_GetModState()));
      return ButtonOf(sdlEvent.button.button, event.Button);
    case SDL_WINDOWEVENT:
      switch (sdlEvent.window.event) {
        // The game pauses and resumes on these, so it hears only real changes, in pairs.
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          if (FHasFocus) return false;
          FHasFocus = true;
          event.Kind = TKind::FocusGained;
          return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (!FHasFocus) return false;
          FHasFocus = false;
          event.Kind = TKind::FocusLost;
          return true;
        case SDL_WINDOWEVENT_CLOSE:
          event.Kind = TKind::CloseRequest;
          return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
          event.Kind = TKind::Resized;
          return true;
        case SDL_WINDOWEVENT_EXPOSED:
          // Frames stop while the game waits for the focus; keep the last one on the screen.
          Redraw();
          return false;
        default:
          return false;
      }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
      // One finger is the pointer; others touching meanwhile are ignored.
      const auto finger = static_cast<int64_t>(sdlEvent.tfinger.fingerId);
      if (sdlEvent.type == SDL_FINGERDOWN) {
        if (FFingerDown) return false;
        FFingerDown = true;
        FFinger = finger;
      } else if (!FFingerDown || finger != FFinger) {
        return false;
      }
      event.Kind = TKind::MouseMove;
      FingerPoint(sdlEvent.tfinger.x, sdlEvent.tfinger.y, event);
      if (sdlEvent.type == SDL_FINGERMOTION) return true;
      // The pointer goes to the finger first, then the button acts there.
      TPlatformEvent press = event;
      press.Kind = sdlEvent.type == SDL_FINGERDOWN ? TKind::MouseDown : TKind::MouseUp;
      press.Button = TMouseButton::mbLeft;
      FPending.push_back(press);
      if (sdlEvent.type == SDL_FINGERUP) FFingerDown = false;
      return true;
    }
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(sdlEvent.cdevice.which);
      return false;
    case SDL_CONTROLLERDEVICEREMOVED: {
      const auto found = FPads.find(sdlEvent.cdevice.which);
      if (found == FPads.end()) return false;
      SDL_GameControllerClose(found->second);
      FPads.erase(found);
      event.Kind = TKind::PadRemoved;
      return true;
    }
    case SDL_CONTROLLERAXISMOTION:
      event.Kind = TKind::PadAxis;
      event.Value = sdlEvent.caxis.value;
      return PadAxisOf(sdlEvent.caxis.axis, event.Axis);
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      event.Kind = sdlEvent.type == SDL_CONTROLLERBUTTONDOWN ? TKind::PadButtonDown : TKind::PadButtonUp;
      event.PadButton = PadButtonOf(sdlEvent.cbutton.button);
      return event.PadButton != TPadButton::Other;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      CreateTexture();
      return false;
    default:
      return false;
  }
}

void TSdlWindow::OpenPad(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (FPads.count(id) != 0) return;
  if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex)) FPads[id] = pad;
}

void TSdlWindow::FingerPoint(float x, float y, TPlatformEvent& event) const {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(FWindow, &width, &height);
  float logicalX = 0;
  float logicalY = 0;
  // The same letterbox and scale as the mouse: points on the bars fall outside 0..799 x 0..599.
  SDL_RenderWindowToLogical(FRenderer, static_cast<int>(x * static_cast<float>(width)),
                            static_cast<int>(y * static_cast<float>(height)), &logicalX, &logicalY);
  event.X = static_cast<int>(std::floor(logicalX));
  event.Y = static_cast<int>(std::floor(logicalY));
  event.Shift = ShiftOf(static_cast<uint16_t>(SDL_GetModState()));
}

void TSdlWindow::ShowMessage(const std::string& caption, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                               FShown ? FWindow : nullptr) != 0)
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
