#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/Surface.h"

// What the display tells the picture library and the sprite engine about its surfaces.
enum class TDisplayNotification { dnDestroying, dnInitialize, dnFinalize, dnRestore };

class TDisplay;

class TDisplayListener {
 public:
  virtual ~TDisplayListener() = default;
  virtual void DisplayNotify(TDisplay& display, TDisplayNotification notification) = 0;
};

enum class TDisplayOption { doFullScreen };

// The 800 x 600 16-bit drawing surface with its back buffer, flipped to the window once a frame.
// Starting and stopping it runs the form's display events and notifies the listeners.
class TDisplay {
 public:
  static constexpr int SurfaceWidth = 800;
  static constexpr int SurfaceHeight = 600;

  explicit TDisplay(TWindow& window);
  ~TDisplay();
  TDisplay(const TDisplay&) = delete;
  TDisplay& operator=(const TDisplay&) = delete;

  // Events of the main form: before the start, after the start, at the stop.
  std::function<void()> OnInitializing;
  std::function<void()> OnInitialize;
  std::function<void()> OnFinalize;

  void RegisterListener(TDisplayListener& listener);
  void UnregisterListener(TDisplayListener& listener);

  bool FullScreen() const { return FFullScreen; }
  void SetFullScreen(bool fullScreen) { FFullScreen = fullScreen; }

  // Starts the display (OnInitializing, the window mode, listeners' dnInitialize and dnRestore,
  // OnInitialize) and stops it (OnFinalize, listeners' dnFinalize).
  void Initialize();
  void Finalize();
  bool Initialized() const { return FInitialized; }
  // The readiness test of the frame loop: started and not in the middle of a mode change.
  bool CanDraw() const;

  TSurface& Surface() { return *FSurface; }
  const TSurface& Surface() const { return *FSurface; }
  void Flip();

 private:
  void Notify(TDisplayNotification notification);

  TWindow& FWindow;
  std::unique_ptr<TSurface> FSurface;
  std::vector<TDisplayListener*> FListeners;
  bool FFullScreen = false;
  bool FInitialized = false;
  bool FChangingMode = false;
};
