#include "audio/WaveList.h"

#include <algorithm>

#include "audio/SoundDevice.h"
#include "audio/WaveArchive.h"
#include "engine/ObjectStream.h"
#include "engine/NameIndex.h"


bool IsAnnouncerWord(const std::string& name) {
  static const char* const words[] = {"Level", "one", "two", "three", "four", "five",
                                      "six",   "seven", "eight", "nine", "ten", "Fight"};
  return std::any_of(std::begin(words), std::end(words), [&name](const char* word) { return name == word; });
}

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection& collection) : FCollection(collection) {}

TWaveCollectionItem::~TWaveCollectionItem() { Finalize(); }

void TWaveCollectionItem::SetName(const std::string& name) {
  FCollection.Unhash(*this);
  FName = name;
  FCollection.Hash(*this);
}

void TWaveCollectionItem::Initialize(TSoundDevice& device) {
  Finalize();
  FMain = device.CreateBuffer(Wave);
  if (FMain) FMain->SetDucksMusic(IsAnnouncerWord(FName));
}

void TWaveCollectionItem::Finalize() {
  FCopies.clear();
  FMain.reset();
}

TSoundBuffer* TWaveCollectionItem::Play() {
  if (!Initialized()) return nullptr;
  if (Looped) {
    FMain->Stop();
    FMain->Rewind();
    FMain->Play(true);
    return FMain.get();
  }
  auto silent = std::find_if(FCopies.begin(), FCopies.end(),
                             [](const std::unique_ptr<TSoundBuffer>& b) { return !b->Playing(); });
  TSoundBuffer* buffer = nullptr;
  if (silent != FCopies.end()) {
    buffer = silent->get();
  } else if (MaxPlayingCount == 0 || CopyCount() < MaxPlayingCount) {
    FCopies.push_back(FMain->Duplicate());
    buffer = FCopies.back().get();
  } else {
    // Every copy sounds: the oldest one starts over and becomes the newest.
    std::rotate(FCopies.begin(), FCopies.begin() + 1, FCopies.end());
    buffer = FCopies.back().get();
  }
  buffer->Stop();
  buffer->Rewind();
  buffer->Play(false);
  return buffer;
}

void TWaveCollectionItem::Stop() {
  if (FMain) FMain->Stop();
  for (auto& copy : FCopies) copy->Stop();
}

int32_t TWaveCollectionItem::PlayingCount() const {
  int32_t count = FMain && FMain->Playing() ? 1 : 0;
  for (const auto& copy : FCopies) count += copy->Playing() ? 1 : 0;
  return count;
}

TWaveCollection::~TWaveCollection() { Clear(); }

uint8_t TWaveCollection::Bucket(const std::string& name) { return NameBucket(name); }

void TWaveCollection::Hash(TWaveCollectionItem& item) { FBuckets[Bucket(item.FName)].push_back(&item); }

void TWaveCollection::Unhash(TWaveCollectionItem& item) {
  auto& chain = FBuckets[Bucket(item.FName)];
  chain.erase(std::remove(chain.begin(), chain.end(), &item), chain.end());
}

TWaveCollectionItem& TWaveCollection::Add() {
  FItems.push_back(std::make_unique<TWaveCollectionItem>(*this));
  TWaveCollectionItem& item = *FItems.back();
  item.FIndex = Count() - 1;
  Hash(item);
  return item;
}

void TWaveCollection::Clear() {
  for (auto& chain : FBuckets) chain.clear();
  FItems.clear();
}

int32_t TWaveCollection::IndexOf(const std::string& name) const {
  const auto& chain = FBuckets[Bucket(name)];
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (SameText((*it)->FName, name)) return (*it)->FIndex;
  return -1;
}

TWaveCollectionItem& TWaveCollection::Find(const std::string& name) {
  const int32_t index = IndexOf(name);
  if (index < 0) throw EWaveCollectionError("Wave '" + name + "' not found");
  return *FItems[index];
}

void TWaveCollection::Initialize(TSoundDevice& device) {
  for (auto& item : FItems) item->Initialize(device);
}

void TWaveCollection::Finalize() {
  for (auto& item : FItems) item->Finalize();
}

TWaveList::TWaveList(TSoundDevice& device) : FDevice(device) {}

TWaveList::~TWaveList() = default;

void TWaveList::LoadFromFile(const std::filesystem::path& path) {
  FItems.Clear();
  LoadFromBytes(ReadArchiveFile(path));
}

void TWaveList::LoadFromBytes(std::span<const uint8_t> bytes) {
  FItems.Clear();
  ReadWaveArchive(bytes, FItems);
  if (FDevice.Initialize()) FItems.Initialize(FDevice);
}
