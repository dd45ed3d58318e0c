#pragma once

#include <cstdint>
#include <string>

#include "engine/ImageSprite.h"

class TMainForm;
class TPictureCollectionItem;
class TSurface;

// An image sprite of the game screens that knows the form whose state it reads and changes.
class TGameSprite : public TImageSprite {
 protected:
  explicit TGameSprite(TMainForm& form) : FForm(form) {}

  // Takes the named picture; Width and Height stay as they are.
  TPictureCollectionItem& SetPicture(const std::string& name);
  // Takes the named picture and its frame size as the sprite's size.
  TPictureCollectionItem& SetPictureSized(const std::string& name);
  // The surface sprites draw on; null while the display is down.
  TSurface* TargetSurface() const;
  // Stretches frame into (L, T, L + Width / scale, T + Height / scale), L and T being X and Y and
  // every quotient rounded to the nearest integer.
  void StretchDrawFrame(int32_t frame, double scale) const;

  TMainForm& FForm;
};
