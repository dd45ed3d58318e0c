#include "combat/Splash.h"

#include <array>

#include "app/MainForm.h"
#include "combat/PlayerSprite.h"
#include "engine/PictureCollection.h"

namespace {

struct TFlashPlace {
  const char* Picture;
  int32_t Left;
  int32_t Top;
};

// At the muzzle of each of the weapon's six poses.
constexpr std::array<TFlashPlace, 6> FlashPlaces{{
    {"Splash_1", 222, 500},
    {"Splash_2", 322, 492},
    {"Splash_3", 405, 485},
    {"Splash_4", 485, 486},
    {"Splash_5", 558, 488},
    {"Splash_6", 625, 493},
}};

}  // namespace

TSplash::TSplash(TMainForm& form) : TGameSprite(form) {
  const TFlashPlace& place = FlashPlaces.at(static_cast<size_t>(TPlayerSprite::PoseFor(form.PointerX)));
  SetPictureSized(place.Picture);
  X = place.Left;
  Y = place.Top;
  SetZ(800);
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = 0.02;
  PixelCheck = true;
}

void TSplash::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  FForm.MarkDeadAll<TSplash>();
}
