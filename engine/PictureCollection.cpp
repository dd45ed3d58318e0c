#include "engine/PictureCollection.h"

#include <algorithm>

#include "engine/PictureArchiveReader.h"
#include "engine/NameIndex.h"

namespace {


}  // namespace

// --- TPictureCollectionItem ---

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& collection) : FCollection(collection) {}

TPictureCollectionItem::~TPictureCollectionItem() = default;

void TPictureCollectionItem::SetName(const std::string& name) {
  FCollection.Unhash(*this);
  FName = name;
  FCollection.Hash(*this);
}

void TPictureCollectionItem::SetTransparentColor(uint32_t color) {
  if (color == FTransparentColor) return;
  FTransparentColor = color;
  for (auto& surface : FSurfaces) surface->SetColorKey(TSurface::ColorToPixel(color));
}

int32_t TPictureCollectionItem::PatternCount() const {
  if (!FPatterns.empty() || !FSurfaces.empty()) return static_cast<int32_t>(FPatterns.size());
  const int64_t a = static_cast<int64_t>(Width()) + SkipWidth;
  const int64_t c = static_cast<int64_t>(Height()) + SkipHeight;
  if (a <= 0 || c <= 0) return 0;
  int64_t columns = Picture.Width / a;
  if (Picture.Width - columns * a == Width()) ++columns;
  int64_t rows = Picture.Height / c;
  if (Picture.Height - rows * c == Height()) ++rows;
  return static_cast<int32_t>(std::clamp<int64_t>(columns * rows, 0, INT32_MAX));
}

TRect TPictureCollectionItem::PatternRect(int32_t index) const {
  if (index < 0 || index >= static_cast<int32_t>(FPatterns.size())) return TRect{};
  return FPatterns[static_cast<size_t>(index)].Rect;
}

TSurface* TPictureCollectionItem::PatternSurface(int32_t index) const {
  if (index < 0 || index >= static_cast<int32_t>(FPatterns.size())) return nullptr;
  return FPatterns[static_cast<size_t>(index)].Surface;
}

void TPictureCollectionItem::DrawPattern(TSurface& dest, int x, int y, int32_t index) const {
  if (!FInitialized || index < 0 || index >= static_cast<int32_t>(FPatterns.size())) return;
  const TPictureCollectionItemPattern& pattern = FPatterns[static_cast<size_t>(index)];
  dest.Draw(x, y, *pattern.Surface, pattern.Rect, Transparent);
}

void TPictureCollectionItem::StretchDrawPattern(TSurface& dest, const TRect& destRect, int32_t index) const {
  if (!FInitialized || index < 0 || index >= static_cast<int32_t>(FPatterns.size())) return;
  const TPictureCollectionItemPattern& pattern = FPatterns[static_cast<size_t>(index)];
  // A pattern cut from the last, narrower block may reach past its surface: scale only what exists.
  TRect src = pattern.Rect;
  src.Right = std::min(src.Right, pattern.Surface->Width());
  src.Bottom = std::min(src.Bottom, pattern.Surface->Height());
  if (src.Width() != pattern.Rect.Width() || src.Height() != pattern.Rect.Height()) {
    const int64_t dw = destRect.Width(), dh = destRect.Height();
    TRect d = destRect;
    d.Right = d.Left + static_cast<int32_t>(dw * src.Width() / std::max(pattern.Rect.Width(), 1));
    d.Bottom = d.Top + static_cast<int32_t>(dh * src.Height() / std::max(pattern.Rect.Height(), 1));
    dest.StretchDraw(d, *pattern.Surface, src, Transparent);
    return;
  }
  dest.StretchDraw(destRect, *pattern.Surface, src, Transparent);
}

void TPictureCollectionItem::Prepare() {
  Release();
  FInitialized = FCollection.DeviceInitialized();
}

void TPictureCollectionItem::Release() {
  if (!FInitialized) return;
  FInitialized = false;
  FPatterns.clear();
  FSurfaces.clear();
}

TSurface& TPictureCollectionItem::MakeSurface(const TRect& pictureRect) {
  auto surface = std::make_unique<TSurface>(pictureRect.Width(), pictureRect.Height());
  const int32_t left = std::max(pictureRect.Left, 0);
  const int32_t top = std::max(pictureRect.Top, 0);
  const int32_t right = std::min(pictureRect.Right, Picture.Width);
  const int32_t bottom = std::min(pictureRect.Bottom, Picture.Height);
  for (int32_t y = top; y < bottom; ++y) {
    const uint32_t* src = Picture.Pixels.data() + static_cast<size_t>(y) * Picture.Width;
    uint16_t* dst = surface->Row(y - pictureRect.Top) - pictureRect.Left;
    for (int32_t x = left; x < right; ++x) dst[x] = TSurface::ColorToPixel(src[x]);
  }
  surface->SetColorKey(TSurface::ColorToPixel(FTransparentColor));
  FSurfaces.push_back(std::move(surface));
  return *FSurfaces.back();
}

void TPictureCollectionItem::Rebuild() {
  if (Picture.Empty()) return;
  if (!FInitialized && FCollection.DeviceInitialized()) Prepare();
  if (!FInitialized) return;

  FPatterns.clear();
  FSurfaces.clear();
  const int32_t pw = Width();
  const int32_t ph = Height();
  const int32_t W = Picture.Width;
  const int32_t H = Picture.Height;
  const int32_t a = pw + SkipWidth;
  const int32_t c = ph + SkipHeight;

  if (pw == W && ph == H) {
    TSurface& surface = MakeSurface(TRect{0, 0, W, H});
    FPatterns.push_back({TRect{0, 0, W, H}, &surface});
    return;
  }
  // A negative gap as large as the pattern would leave no cell to cut.
  if (a <= 0 || c <= 0) return;
  const int32_t rows = (H + SkipHeight) / c;
  const int32_t columns = (W + SkipWidth) / a;

  if (SystemMemory) {
    TSurface& surface = MakeSurface(TRect{0, 0, W, H});
    for (int32_t r = 0; r < rows; ++r)
      for (int32_t k = 0; k < columns; ++k) FPatterns.push_back({BoundsRect(a * k, c * r, pw, ph), &surface});
    return;
  }

  // Blocks of whole cells, about 512 pixels on a side, so no pattern straddles two surfaces.
  const int32_t bw = std::min(a * ((a + 511) / a), a * columns);
  const int32_t bh = std::min(c * ((c + 511) / c), c * rows);
  if (bw <= 0 || bh <= 0) return;
  const int32_t nx = (W + bw - 1) / bw;
  const int32_t ny = (H + bh - 1) / bh;
  for (int32_t j = 0; j < ny; ++j) {
    for (int32_t i = 0; i < nx; ++i) {
      int32_t w = std::min(bw, std::max(W - bw * i, 0));
      int32_t h = std::min(bh, std::max(H - bh * j, 0));
      if (w == 0) w = bw;
      if (h == 0) h = bh;
      MakeSurface(BoundsRect(bw * i, bh * j, w, h));
    }
  }
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t k = 0; k < columns; ++k) {
      const int32_t x = a * k;
      const int32_t y = c * r;
      const size_t block = static_cast<size_t>(x / bw + nx * (y / bh));
      FPatterns.push_back({BoundsRect(x % bw, y % bh, pw, ph), FSurfaces[block].get()});
    }
  }
}

// --- TPictureCollection ---

TPictureCollection::TPictureCollection() = default;

TPictureCollection::~TPictureCollection() = default;

TPictureCollectionItem& TPictureCollection::Items(int32_t index) const {
  if (index < 0 || index >= Count())
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return *FItems[static_cast<size_t>(index)];
}

TPictureCollectionItem& TPictureCollection::Add() {
  FItems.push_back(std::make_unique<TPictureCollectionItem>(*this));
  TPictureCollectionItem& item = *FItems.back();
  item.FIndex = Count() - 1;
  Hash(item);
  return item;
}

void TPictureCollection::Delete(int32_t index) {
  TPictureCollectionItem& item = Items(index);
  Unhash(item);
  FItems.erase(FItems.begin() + index);
  Renumber();
}

void TPictureCollection::Clear() {
  FItems.clear();
  FBuckets.fill(nullptr);
}

void TPictureCollection::Renumber() {
  for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->FIndex = static_cast<int32_t>(i);
}

uint8_t TPictureCollection::NameBucket(const std::string& name) { return ::NameBucket(name); }

void TPictureCollection::Hash(TPictureCollectionItem& item) {
  TPictureCollectionItem*& head = FBuckets[NameBucket(item.FName)];
  item.FNextInBucket = head;
  head = &item;
}

void TPictureCollection::Unhash(TPictureCollectionItem& item) {
  TPictureCollectionItem** link = &FBuckets[NameBucket(item.FName)];
  while (*link != nullptr && *link != &item) link = &(*link)->FNextInBucket;
  if (*link != nullptr) *link = item.FNextInBucket;
  item.FNextInBucket = nullptr;
}

int32_t TPictureCollection::IndexOf(const std::string& name) const {
  for (const TPictureCollectionItem* item = FBuckets[NameBucket(name)]; item != nullptr; item = item->FNextInBucket)
    if (SameText(item->FName, name)) return item->FIndex;
  return -1;
}

TPictureCollectionItem& TPictureCollection::Find(const std::string& name) const {
  const int32_t index = IndexOf(name);
  if (index < 0) throw EPictureCollectionError("Image '" + name + "' not found");
  return *FItems[static_cast<size_t>(index)];
}

void TPictureCollection::LoadFromFile(const std::filesystem::path& path) {
  LoadFromData(ReadArchiveFile(path));
}

void TPictureCollection::LoadFromData(const std::vector<uint8_t>& data) {
  Clear();
  ReadPictureArchive(data, *this);
  if (DeviceInitialized()) {
    Prepare(*FDevice);
    Rebuild();
  }
}

void TPictureCollection::Prepare(TPictureDevice& device) {
  for (auto& item : FItems) item->Release();
  FDevice = &device;
  if (!device.DeviceInitialized()) throw EPictureCollectionError("TPictureCollection cannot be initialized");
  for (auto& item : FItems) item->Prepare();
}

void TPictureCollection::Release() {
  for (auto& item : FItems) item->Release();
  FDevice = nullptr;
}

void TPictureCollection::Rebuild() {
  for (auto& item : FItems) item->Rebuild();
}

void TPictureCollection::BuildColorTable() {
  ColorTable.fill(TRGBQuad{});
  std::array<bool, 256> used{};
  int used_count = 0;
  const auto set = [&](int i, uint8_t r, uint8_t g, uint8_t b) {
    ColorTable[static_cast<size_t>(i)] = TRGBQuad{b, g, r, 0};
    used[static_cast<size_t>(i)] = true;
    ++used_count;
  };
  set(0, 0, 0, 0);
  set(1, 128, 0, 0);
  set(2, 0, 128, 0);
  set(3, 128, 128, 0);
  set(4, 0, 0, 128);
  set(5, 128, 0, 128);
  set(6, 0, 128, 128);
  set(7, 192, 192, 192);
  set(248, 128, 128, 128);
  set(249, 255, 0, 0);
  set(250, 0, 255, 0);
  set(251, 255, 255, 0);
  set(252, 0, 0, 255);
  set(253, 255, 0, 255);
  set(254, 0, 255, 255);
  set(255, 255, 255, 255);

  const auto offer = [&](const TRGBQuad& colour) {
    for (size_t i = 0; i < 256; ++i)
      if (used[i] && ColorTable[i].Red == colour.Red && ColorTable[i].Green == colour.Green &&
          ColorTable[i].Blue == colour.Blue)
        return;
    for (size_t i = 0; i < 256; ++i) {
      if (!used[i]) {
        ColorTable[i] = TRGBQuad{colour.Blue, colour.Green, colour.Red, 0};
        used[i] = true;
        ++used_count;
        return;
      }
    }
  };
  for (const auto& item : FItems) {
    const TPicture& picture = item->Picture;
    if (picture.ClassName.empty()) continue;
    if (picture.ClassName == "TDIB") {
      if (picture.BitCount > 8) continue;
      // A palette picture offers all 256 entries; those past its own table are black.
      for (size_t i = 0; i < 256; ++i) offer(i < picture.Palette.size() ? picture.Palette[i] : TRGBQuad{});
    } else {
      for (size_t i = 0; i < picture.Palette.size() && i < 256; ++i) offer(picture.Palette[i]);
    }
    if (used_count >= 256) break;
  }
}
