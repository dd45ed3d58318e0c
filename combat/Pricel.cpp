#include "combat/Pricel.h"

#include <cmath>

#include "app/MainForm.h"
#include "engine/PictureCollection.h"

namespace {

// Centres the sight on the pointer; it keeps one pixel off the top and left edges.
void FollowPointer(TSprite& sight, const TMainForm& form, double bottomLimit) {
  sight.X = std::nearbyint(form.PointerX - sight.Width / 2.0);
  sight.Y = std::nearbyint(form.PointerY - sight.Height / 2.0);
  if (sight.Y >= bottomLimit) sight.Y = bottomLimit;
  if (sight.X >= 800 - sight.Width) sight.X = 800 - sight.Width;
  if (sight.Y <= 0) sight.Y = 1;
  if (sight.X <= 0) sight.X = 1;
}

}  // namespace

Pricel::Pricel(TMainForm& form) : TGameSprite(form) {
  SetPictureSized(form.SightPictureOf("pricel_anim"));
  SetZ(804);
  PixelCheck = true;
  AnimCount = Image->PatternCount();
  AnimLooped = true;
  AnimSpeed = 0.01;
}

void Pricel::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  FollowPointer(*this, FForm, 600 - Height);
}

Pricel_prosto::Pricel_prosto(TMainForm& form) : TGameSprite(form) {
  SetPictureSized(form.SightPictureOf("pricel"));
  SetZ(804);
  PixelCheck = true;
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = 0.1;
}

void Pricel_prosto::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  // The plain sight never enters the weapon's strip at the bottom.
  FollowPointer(*this, FForm, 480);
}
