#include "engine/ImageSprite.h"

#include <algorithm>
#include <cmath>

#include "engine/PictureCollection.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"

int32_t TImageSprite::CurrentFrame() const { return static_cast<int32_t>(std::trunc(AnimPos)) + AnimStart; }

TRect TImageSprite::DrawRect() const {
  TRect r = GetBounds();
  if (Image == nullptr) return r;
  const int32_t dx = (Width - Image->Width()) / 2;
  const int32_t dy = (Height - Image->Height()) / 2;
  return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TImageSprite::Draw() {
  TSpriteEngine* engine = Engine();
  if (Image == nullptr || engine == nullptr || engine->Surface == nullptr) return;
  const TRect r = DrawRect();
  Image->DrawPattern(*engine->Surface, r.Left, r.Top, CurrentFrame());
}

void TImageSprite::Move(int32_t moveCount) {
  AnimPos += AnimSpeed * moveCount;
  if (AnimLooped) {
    if (AnimCount > 0) {
      const auto q = static_cast<int64_t>(AnimPos / AnimCount);
      AnimPos -= static_cast<double>(q) * AnimCount;
      if (AnimPos < 0) AnimPos += AnimCount;
    } else {
      AnimPos = 0;
    }
  } else {
    if (AnimPos >= AnimCount) {
      AnimPos = AnimCount - 1;
      AnimSpeed = 0;
    }
    if (AnimPos < 0) {
      AnimPos = 0;
      AnimSpeed = 0;
    }
  }
}

// Compares the opaque pixels of the two frames where they overlap.
bool TImageSprite::Overlaps(TSprite& other) {
  auto* b = dynamic_cast<TImageSprite*>(&other);
  if (b == nullptr || !PixelCheck) return true;

  const TRect ra = DrawRect();
  const TRect rb = b->DrawRect();
  const int32_t frameA = CurrentFrame();
  const int32_t frameB = b->CurrentFrame();
  const TRect pa = Image != nullptr ? Image->PatternRect(frameA) : TRect{};
  const TRect pb = b->Image != nullptr ? b->Image->PatternRect(frameB) : TRect{};
  const int32_t wa = pa.Width(), ha = pa.Height();
  const int32_t wb = pb.Width(), hb = pb.Height();
  const int32_t dx = rb.Left - ra.Left;
  const int32_t dy = rb.Top - ra.Top;
  if (!OverlapRect(TRect{0, 0, wa, ha}, BoundsRect(dx, dy, wb, hb))) return false;

  const TSurface* sa = Image != nullptr ? Image->PatternSurface(frameA) : nullptr;
  const TSurface* sb = b->Image != nullptr ? b->Image->PatternSurface(frameB) : nullptr;
  if (sa == nullptr || sb == nullptr) return true;

  const int32_t ax = std::max(dx, 0), ay = std::max(dy, 0);
  const int32_t bx = std::max(-dx, 0), by = std::max(-dy, 0);
  const int32_t w = std::min(wa - ax, wb - bx);
  const int32_t h = std::min(ha - ay, hb - by);
  if (w <= 0 || h <= 0) return false;
  if (sa->BitCount() != sb->BitCount()) return true;

  // The pattern rectangles lie inside their surfaces by construction, but a surface smaller than
  // its rectangle must not be read past.
  const int32_t left1 = pa.Left + ax, top1 = pa.Top + ay;
  const int32_t left2 = pb.Left + bx, top2 = pb.Top + by;
  if (left1 < 0 || top1 < 0 || left1 + w > sa->Width() || top1 + h > sa->Height() || left2 < 0 || top2 < 0 ||
      left2 + w > sb->Width() || top2 + h > sb->Height())
    return false;

  const uint16_t keyA = sa->ColorKey();
  const uint16_t keyB = sb->ColorKey();
  for (int32_t y = 0; y < h; ++y) {
    const uint16_t* p1 = sa->Row(top1 + y) + left1;
    const uint16_t* p2 = sb->Row(top2 + y) + left2;
    // A whole row at a time without an early exit, so the compiler can compare whole vectors.
    int both = 0;
    for (int32_t x = 0; x < w; ++x) both |= (p1[x] != keyA) & (p2[x] != keyB);
    if (both != 0) return true;
  }
  return false;
}
