#include "engine/BackgroundSprite.h"

#include <cmath>

#include "engine/PictureCollection.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"

TBackgroundSprite::TBackgroundSprite() { Collidable = false; }

void TBackgroundSprite::SetMapSize(int32_t width, int32_t height) {
  if (width == FMapWidth && height == FMapHeight) return;
  if (width <= 0 || height <= 0) {
    width = 0;
    height = 0;
  }
  FMapWidth = width;
  FMapHeight = height;
  FMap.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

int32_t TBackgroundSprite::Map(int32_t column, int32_t row) const {
  if (column < 0 || column >= FMapWidth || row < 0 || row >= FMapHeight) return -1;
  return FMap[static_cast<size_t>(row) * FMapWidth + column];
}

void TBackgroundSprite::SetMap(int32_t column, int32_t row, int32_t frame) {
  if (column < 0 || column >= FMapWidth || row < 0 || row >= FMapHeight) return;
  FMap[static_cast<size_t>(row) * FMapWidth + column] = frame;
}

TRect TBackgroundSprite::GetBounds() const {
  if (Tile) {
    const TSpriteEngine* engine = Engine();
    return engine != nullptr ? engine->SurfaceRect : TRect{};
  }
  if (Image == nullptr) return TRect{};
  const auto left = static_cast<int32_t>(std::trunc(WorldX()));
  const auto top = static_cast<int32_t>(std::trunc(WorldY()));
  return BoundsRect(left, top, Image->Width() * FMapWidth, Image->Height() * FMapHeight);
}

void TBackgroundSprite::Draw() {
  TSpriteEngine* engine = Engine();
  if (Image == nullptr || FMapWidth <= 0 || FMapHeight <= 0 || engine == nullptr || engine->Surface == nullptr)
    return;
  TSurface& surface = *engine->Surface;
  const TRect cell = Image->PatternRect(0);
  const int32_t w = cell.Width();
  const int32_t h = cell.Height();
  if (w <= 0 || h <= 0) return;
  const auto x = static_cast<int32_t>(std::trunc(WorldX()));
  const auto y = static_cast<int32_t>(std::trunc(WorldY()));
  const TRect& area = engine->SurfaceRect;

  if (!Tile) {
    for (int32_t r = 0; r < FMapHeight; ++r) {
      const int32_t top = y + r * h;
      if (top >= area.Bottom || top + h <= area.Top) continue;
      for (int32_t c = 0; c < FMapWidth; ++c) {
        const int32_t left = x + c * w;
        if (left >= area.Right || left + w <= area.Left) continue;
        const int32_t frame = Map(c, r);
        if (frame >= 0) Image->DrawPattern(surface, left, top, frame);
      }
    }
    return;
  }

  const int32_t cx = x / w;
  const int32_t cy = y / h;
  const int32_t ox = x - cx * w;
  const int32_t oy = y - cy * h;
  const auto wrap = [](int32_t v, int32_t n) {
    const int32_t m = v % n;
    return m < 0 ? m + n : m;
  };
  const int32_t lastRow = (area.Bottom + h) / h + 1;
  const int32_t lastColumn = (area.Right + w) / w + 1;
  for (int32_t j = -1; j <= lastRow; ++j) {
    const int32_t top = j * h + oy;
    if (top >= area.Bottom || top + h <= area.Top) continue;
    for (int32_t k = -1; k <= lastColumn; ++k) {
      const int32_t left = k * w + ox;
      if (left >= area.Right || left + w <= area.Left) continue;
      const int32_t frame = Map(wrap(k - cx, FMapWidth), wrap(j - cy, FMapHeight));
      if (frame >= 0) Image->DrawPattern(surface, left, top, frame);
    }
  }
}
