#include "engine/ImageList.h"

TImageList::TImageList(TDisplay& display) : FDisplay(&display) {
  display.RegisterListener(*this);
  // Joining a running display is as if it had just started and restored its surfaces.
  if (display.Initialized()) {
    DisplayNotify(display, TDisplayNotification::dnInitialize);
    DisplayNotify(display, TDisplayNotification::dnRestore);
  }
}

TImageList::~TImageList() {
  if (FDisplay != nullptr) FDisplay->UnregisterListener(*this);
}

void TImageList::DisplayNotify(TDisplay&, TDisplayNotification notification) {
  switch (notification) {
    case TDisplayNotification::dnInitialize:
      FDeviceInitialized = true;
      Items.Prepare(*this);
      break;
    case TDisplayNotification::dnRestore:
      Items.Rebuild();
      break;
    case TDisplayNotification::dnFinalize:
      Items.Release();
      FDeviceInitialized = false;
      break;
    case TDisplayNotification::dnDestroying:
      Items.Release();
      FDeviceInitialized = false;
      FDisplay = nullptr;
      break;
  }
}
