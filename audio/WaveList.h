#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/Wave.h"

class TSoundDevice;
class TSoundBuffer;
class TWaveCollection;

// A missing wave name ("Wave '%s' not found") and other errors of the wave list.
class EWaveCollectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The announcer's words of the level intro, under which the music ducks.
bool IsAnnouncerWord(const std::string& name);

// One named effect of the wave archive with its buffers: the main one made from the wave and the
// copies that let a non-looped effect overlap itself.

class TWaveCollectionItem {
 public:
  explicit TWaveCollectionItem(TWaveCollection& collection);
  ~TWaveCollectionItem();
  TWaveCollectionItem(const TWaveCollectionItem&) = delete;
  TWaveCollectionItem& operator=(const TWaveCollectionItem&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& name);
  int32_t Index() const { return FIndex; }

  bool Looped = false;
  int32_t MaxPlayingCount = 0;  // copies that may sound at once; 0 means no limit
  TWave Wave;

  // Binds the item to a running device and makes its main buffer; a no-op without one.
  void Initialize(TSoundDevice& device);
  void Finalize();
  bool Initialized() const { return FMain != nullptr; }

  // Starts the effect (restarts a looped one); returns the buffer that plays, or null when the
  // item is not initialised.
  TSoundBuffer* Play();
  // Stops the main buffer and every copy.
  void Stop();

  // Buffers sounding now and copies made so far (for tests and the mixer's bookkeeping).
  int32_t PlayingCount() const;
  int32_t CopyCount() const { return static_cast<int32_t>(FCopies.size()); }
  const TSoundBuffer* Copy(int32_t i) const { return FCopies.at(i).get(); }

 private:
  friend class TWaveCollection;
  TWaveCollection& FCollection;
  std::string FName;
  int32_t FIndex = 0;
  std::unique_ptr<TSoundBuffer> FMain;
  std::vector<std::unique_ptr<TSoundBuffer>> FCopies;
};

// The effects in archive order with a 256-bucket name index that ignores letter case; of two
// items with one name, the one named last is found.
class TWaveCollection {
 public:
  TWaveCollection() = default;
  ~TWaveCollection();
  TWaveCollection(const TWaveCollection&) = delete;
  TWaveCollection& operator=(const TWaveCollection&) = delete;

  TWaveCollectionItem& Add();
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TWaveCollectionItem& Items(int32_t i) { return *FItems.at(i); }
  const TWaveCollectionItem& Items(int32_t i) const { return *FItems.at(i); }
  int32_t IndexOf(const std::string& name) const;
  // Raises EWaveCollectionError "Wave '%s' not found".
  TWaveCollectionItem& Find(const std::string& name);

  void Initialize(TSoundDevice& device);
  void Finalize();

  static uint8_t Bucket(const std::string& name);

 private:
  friend class TWaveCollectionItem;
  void Unhash(TWaveCollectionItem& item);
  void Hash(TWaveCollectionItem& item);

  std::vector<std::unique_ptr<TWaveCollectionItem>> FItems;
  std::array<std::vector<TWaveCollectionItem*>, 256> FBuckets;  // head of each chain at the back
};

// The main form's wave list: the collection attached to the sound device, filled from the wave
// archive. Constructed as TWaveList(*SoundDevice); LoadFromFile("Data/Music.dxw") runs at every
// display start.
class TWaveList {
 public:
  explicit TWaveList(TSoundDevice& device);
  ~TWaveList();
  TWaveList(const TWaveList&) = delete;
  TWaveList& operator=(const TWaveList&) = delete;

  TWaveCollection& Items() { return FItems; }
  TSoundDevice& Device() { return FDevice; }

  // Empties the list, reads the archive and, when the sound device can be started, makes the
  // buffers. Raises the stream's errors and EWaveError; items read before an error stay.
  void LoadFromFile(const std::filesystem::path& path);
  void LoadFromBytes(std::span<const uint8_t> bytes);

  // Called with the item's name each time the game starts an effect (with or without a device).
  std::function<void(const std::string&)> OnPlaySound;

 private:
  TSoundDevice& FDevice;
  TWaveCollection FItems;
};
