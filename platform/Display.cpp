#include "platform/Display.h"

#include <algorithm>

TDisplay::TDisplay(TWindow& window) : FWindow(window) {}

TDisplay::~TDisplay() {
  if (FInitialized) Finalize();
  Notify(TDisplayNotification::dnDestroying);
}

void TDisplay::RegisterListener(TDisplayListener& listener) {
  if (std::find(FListeners.begin(), FListeners.end(), &listener) == FListeners.end())
    FListeners.push_back(&listener);
}

void TDisplay::UnregisterListener(TDisplayListener& listener) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), &listener), FListeners.end());
}

void TDisplay::Initialize() {
  if (FInitialized) Finalize();
  // While the mode changes the frame loop must not draw.
  FChangingMode = true;
  if (OnInitializing) OnInitializing();
  // A window that cannot go full screen stays a window, and the option then says so.
  if (!FWindow.SetFullScreen(FFullScreen)) FFullScreen = false;
  if (!FSurface) FSurface = std::make_unique<TSurface>(SurfaceWidth, SurfaceHeight);
  FSurface->Fill(0);
  FInitialized = true;
  Notify(TDisplayNotification::dnInitialize);
  Notify(TDisplayNotification::dnRestore);
  FChangingMode = false;
  if (OnInitialize) OnInitialize();
}

void TDisplay::Finalize() {
  if (!FInitialized) return;
  if (OnFinalize) OnFinalize();
  Notify(TDisplayNotification::dnFinalize);
  FInitialized = false;
}

bool TDisplay::CanDraw() const { return FInitialized && !FChangingMode && FSurface; }

void TDisplay::Flip() {
  if (CanDraw()) FWindow.Present(*FSurface);
}

void TDisplay::Notify(TDisplayNotification notification) {
  // A listener may unregister itself while being told.
  const std::vector<TDisplayListener*> listeners = FListeners;
  for (TDisplayListener* listener : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), listener) != FListeners.end())
      listener->DisplayNotify(*this, notification);
}
