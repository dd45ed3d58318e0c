#include "platform/sdl/SdlWindow.h"

#include <SDL.h>

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

TSdlWindow::TSdlWindow() {
  // Signals end the program as usual instead of becoming close requests, which the game refuses.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
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
  FWindow = SDL_CreateWindow("ZARVOK", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ClientWidth, ClientHeight,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
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
  const uint32_t start = SDL_GetTicks();
  for (;;) {
    const uint32_t passed = SDL_GetTicks() - start;
    const uint32_t left = passed >= timeoutMs ? 0 : timeoutMs - passed;
    SDL_Event sdlEvent;
    // Blocks in the window system until something happens: no spinning while the game waits.
    const int got = left == 0 ? SDL_PollEvent(&sdlEvent) : SDL_WaitEventTimeout(&sdlEvent, static_cast<int>(left));
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
      event.Kind = TKind::MouseMove;
      event.X = sdlEvent.motion.x;
      event.Y = sdlEvent.motion.y;
      event.Shift = ShiftOf(static_cast<uint16_t>(SDL_GetModState()));
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
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
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      CreateTexture();
      return false;
    default:
      return false;
  }
}

void TSdlWindow::ShowMessage(const std::string& caption, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                               FShown ? FWindow : nullptr) != 0)
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
