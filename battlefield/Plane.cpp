#include "battlefield/Plane.h"

#include <cmath>

#include "app/MainForm.h"
#include "battlefield/Roket.h"
#include "engine/PictureCollection.h"

Plane::Plane(TMainForm& form, double y) : TGameSprite(form) {
  TPictureCollectionItem& left = form.Find("plane");
  Y = y;
  SetZ(static_cast<int32_t>(std::nearbyint(left.Height() + y)));
  if (form.Random(2) == 0) {
    SetPictureSized("plane_");
    X = -left.Width();
    FlyingRight = true;
  } else {
    SetPictureSized("plane");
    X = 800;
    FlyingRight = false;
  }
  RocketFired = false;
  form.PlaySound("plane");
}

void Plane::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  X += FlyingRight ? 15 : -15;
  if (!RocketFired && ((FlyingRight && X > 650) || (!FlyingRight && X < 100))) {
    FForm.Spawn<Roket_>(X + 20, Y + 20, FlyingRight);
    FForm.PlaySoundAt("artobstrel", X + Width / 2.0);
    RocketFired = true;
  }
  // Once its rocket is away and it is wholly off the surface, the plane has nothing left to do.
  if (RocketFired && (X >= 800 || X + Width <= 0)) Dead();
}
