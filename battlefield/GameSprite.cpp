#include "battlefield/GameSprite.h"

#include <cmath>

#include "app/MainForm.h"
#include "engine/PictureCollection.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"

TPictureCollectionItem& TGameSprite::SetPicture(const std::string& name) {
  TPictureCollectionItem& picture = FForm.Find(name);
  Image = &picture;
  return picture;
}

TPictureCollectionItem& TGameSprite::SetPictureSized(const std::string& name) {
  TPictureCollectionItem& picture = SetPicture(name);
  Width = picture.Width();
  Height = picture.Height();
  return picture;
}

TSurface* TGameSprite::TargetSurface() const {
  return Engine() != nullptr ? Engine()->Surface : nullptr;
}

void TGameSprite::StretchDrawFrame(int32_t frame, double scale) const {
  TSurface* surface = TargetSurface();
  if (Image == nullptr || surface == nullptr) return;
  const auto left = static_cast<int32_t>(std::nearbyint(X));
  const auto top = static_cast<int32_t>(std::nearbyint(Y));
  const TRect dest{left, top, left + static_cast<int32_t>(std::nearbyint(Width / scale)),
                   top + static_cast<int32_t>(std::nearbyint(Height / scale))};
  Image->StretchDrawPattern(*surface, dest, frame);
}
