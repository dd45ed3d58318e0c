// Feeds any bytes to the wave archive reader, then turns every wave it read into sound buffers on
// a headless sound card and mixes them, as the game does when the display starts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "audio/WaveList.h"
#include "platform/headless/HeadlessAudio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  THeadlessAudioOutput output;
  TSoundDevice device(&output);
  device.Initialize();
  TWaveCollection collection;
  try {
    ReadWaveArchive(std::span<const uint8_t>(data, size), collection);
  } catch (const std::exception&) {
    // A malformed archive is refused with an error; the items read before it stay.
  }
  for (int32_t i = 0; i < collection.Count(); ++i) {
    TWaveCollectionItem& item = collection.Items(i);
    (void)collection.IndexOf(item.Name());
    // A long wave costs time but shows nothing new.
    if (item.Wave.Data.size() > (1U << 20)) continue;
    try {
      item.Initialize(device);
      item.Play();
    } catch (const std::exception&) {
    }
  }
  output.Pull(256);
  collection.Clear();
  return 0;
}
