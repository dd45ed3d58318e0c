#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/ObjectStream.h"
#include "engine/Picture.h"
#include "platform/Rect.h"
#include "platform/Surface.h"

// Raised by the picture library ("Image '%s' not found", "%s cannot be initialized").
class EPictureCollectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the library asks of the device it builds surfaces for.
class TPictureDevice {
 public:
  virtual ~TPictureDevice() = default;
  virtual bool DeviceInitialized() const = 0;
};

class TPictureCollection;

// One frame of a picture: its rectangle on one of the picture's surfaces.
struct TPictureCollectionItemPattern {
  TRect Rect;
  TSurface* Surface = nullptr;
};

// A named picture cut into equal patterns (animation frames), with its pixels on device surfaces.
class TPictureCollectionItem {
 public:
  explicit TPictureCollectionItem(TPictureCollection& collection);
  ~TPictureCollectionItem();
  TPictureCollectionItem(const TPictureCollectionItem&) = delete;
  TPictureCollectionItem& operator=(const TPictureCollectionItem&) = delete;

  const std::string& Name() const { return FName; }
  // Moves the item to the head of its new name's bucket.
  void SetName(const std::string& name);
  int32_t Index() const { return FIndex; }
  TPictureCollection& Collection() const { return FCollection; }

  // 0 means the whole picture's size.
  int32_t PatternHeight = 0;
  int32_t PatternWidth = 0;
  TPicture Picture;
  int32_t SkipHeight = 0;
  int32_t SkipWidth = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  // 0x00BBGGRR; setting it re-keys every surface.
  uint32_t TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(uint32_t color);

  // One pattern's size.
  int32_t Width() const { return PatternWidth > 0 ? PatternWidth : Picture.Width; }
  int32_t Height() const { return PatternHeight > 0 ? PatternHeight : Picture.Height; }
  int32_t PatternCount() const;
  // (0, 0, 0, 0) for an index out of range.
  TRect PatternRect(int32_t index) const;
  // Null for an index out of range.
  TSurface* PatternSurface(int32_t index) const;
  // Nothing when the item is not built or the index is out of range.
  void DrawPattern(TSurface& dest, int x, int y, int32_t index) const;
  void StretchDrawPattern(TSurface& dest, const TRect& destRect, int32_t index) const;

  bool Initialized() const { return FInitialized; }
  void Prepare();
  void Release();
  // Cuts the picture into surfaces and patterns for the device.
  void Rebuild();

  const std::vector<std::unique_ptr<TSurface>>& Surfaces() const { return FSurfaces; }
  const std::vector<TPictureCollectionItemPattern>& Patterns() const { return FPatterns; }

 private:
  friend class TPictureCollection;
  TSurface& MakeSurface(const TRect& pictureRect);

  TPictureCollection& FCollection;
  std::string FName;
  int32_t FIndex = 0;
  // The next item of the same name bucket.
  TPictureCollectionItem* FNextInBucket = nullptr;
  uint32_t FTransparentColor = 0;
  bool FInitialized = false;
  std::vector<std::unique_ptr<TSurface>> FSurfaces;
  std::vector<TPictureCollectionItemPattern> FPatterns;
};

// The picture library: items in archive order, found by name through a 256-bucket index.
class TPictureCollection {
 public:
  TPictureCollection();
  ~TPictureCollection();
  TPictureCollection(const TPictureCollection&) = delete;
  TPictureCollection& operator=(const TPictureCollection&) = delete;

  // 256 entries, blue, green, red, 0.
  std::array<TRGBQuad, 256> ColorTable{};

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TPictureCollectionItem& Items(int32_t index) const;
  // Appends an item with the empty name.
  TPictureCollectionItem& Add();
  void Delete(int32_t index);
  void Clear();

  // Letter case is ignored; of two items with one name, the one named last is found. -1 if none.
  int32_t IndexOf(const std::string& name) const;
  TPictureCollectionItem& Find(const std::string& name) const;
  // The bucket of the name index a name falls in.
  static uint8_t NameBucket(const std::string& name);

  // Replaces the items by the archive's; items read before an error stay.
  void LoadFromFile(const std::filesystem::path& path);
  void LoadFromData(const std::vector<uint8_t>& data);
  void BuildColorTable();

  TPictureDevice* Device() const { return FDevice; }
  bool DeviceInitialized() const { return FDevice != nullptr && FDevice->DeviceInitialized(); }
  // Releases every item and binds the collection to the device, then prepares the items.
  void Prepare(TPictureDevice& device);
  // Releases every item and forgets the device.
  void Release();
  void Rebuild();

 private:
  friend class TPictureCollectionItem;
  void Unhash(TPictureCollectionItem& item);
  void Hash(TPictureCollectionItem& item);
  void Renumber();

  std::vector<std::unique_ptr<TPictureCollectionItem>> FItems;
  std::array<TPictureCollectionItem*, 256> FBuckets{};
  TPictureDevice* FDevice = nullptr;
};
