#pragma once

#include "engine/PictureCollection.h"
#include "platform/Display.h"

// The form's picture library: keeps its surfaces in step with the display's starts and stops.
class TImageList : public TDisplayListener, public TPictureDevice {
 public:
  explicit TImageList(TDisplay& display);
  ~TImageList() override;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  TPictureCollection Items;

  TDisplay* Display() const { return FDisplay; }
  void DisplayNotify(TDisplay& display, TDisplayNotification notification) override;
  bool DeviceInitialized() const override { return FDisplay != nullptr && FDeviceInitialized; }

 private:
  TDisplay* FDisplay;
  bool FDeviceInitialized = false;
};
