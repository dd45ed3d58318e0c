#include "combat/PlayerSprite.h"

#include <cmath>

#include "app/MainForm.h"
#include "combat/Splash.h"
#include "engine/PictureCollection.h"

TPlayerSprite::TPlayerSprite(TMainForm& form) : TGameSprite(form) {
  SetPictureSized("ak47");
  SetZ(805);
  X = (800 - Width) / 2.0 + 60;
  Y = 600 - Height;
  form.ShotFired = false;
}

int32_t TPlayerSprite::PoseFor(int32_t pointerX) {
  if (pointerX <= 133) return 0;
  if (pointerX <= 266) return 1;
  if (pointerX <= 399) return 2;
  if (pointerX <= 533) return 3;
  if (pointerX <= 666) return 4;
  return 5;
}

void TPlayerSprite::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  if (FForm.ShotFired) {
    FForm.Spawn<TSplash>();
    if (FForm.SingleShotMode) Y -= 5;  // the recoil of a single shot
  } else {
    Y = 600 - Height + 5;
  }
  FForm.ShotFired = false;
}

void TPlayerSprite::Draw() {
  if (FForm.GamePause.Checked || FForm.GameMainExit.Checked) return;
  TSurface* surface = TargetSurface();
  if (Image == nullptr || surface == nullptr) return;
  Image->DrawPattern(*surface, static_cast<int>(std::nearbyint(X)), static_cast<int>(std::nearbyint(Y)),
                     PoseFor(FForm.PointerX));
}
