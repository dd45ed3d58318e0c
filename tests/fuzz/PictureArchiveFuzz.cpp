// Feeds any bytes to the picture library as a picture archive, then cuts what it read into
// surfaces and draws every pattern, as the game does once the display starts.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "engine/PictureCollection.h"
#include "platform/Surface.h"

namespace {

class TReadyDevice : public TPictureDevice {
 public:
  bool DeviceInitialized() const override { return true; }
};

// Pictures larger than this are not drawn: a valid archive may declare a huge picture, and
// building its surfaces only measures the fuzzer's memory limit.
constexpr int64_t MaxDrawnPixels = 4 * 1024 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPictureCollection collection;
  try {
    collection.LoadFromData(std::vector<uint8_t>(data, data + size));
  } catch (const std::exception&) {
    // A malformed archive is refused with an error; the items read before it stay.
  }
  collection.BuildColorTable();
  for (int32_t i = 0; i < collection.Count(); ++i) {
    const TPictureCollectionItem& item = collection.Items(i);
    if (static_cast<int64_t>(item.Picture.Width) * item.Picture.Height > MaxDrawnPixels) return 0;
    (void)collection.IndexOf(item.Name());
  }
  TReadyDevice device;
  TSurface target(64, 48);
  try {
    collection.Prepare(device);
  } catch (const std::exception&) {
    return 0;
  }
  for (int32_t i = 0; i < collection.Count(); ++i) {
    const TPictureCollectionItem& item = collection.Items(i);
    const int32_t patterns = item.PatternCount();
    for (int32_t p = -1; p <= patterns && p < 64; ++p) {
      item.DrawPattern(target, -3, 5, p);
      item.StretchDrawPattern(target, TRect{-10, -10, 70, 30}, p);
    }
  }
  return 0;
}
