#include "battlefield/Begin.h"

#include <cmath>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "engine/PictureCollection.h"

Word_Level_begin::Word_Level_begin(TMainForm& form) : TBegin(form) {
  SetPictureSized("Word_Level_begin");
  X = -Image->Width();
  Y = 200;
  SetZ(800);
}

void Word_Level_begin::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  // The banner's right edge stops at x 390; its arrival starts the intro's timers once.
  if (FForm.Find("Word_Level_begin").Width() + X + 20 >= 400) {
    if (!FForm.BannerArrived) {
      FForm.PlaySound("Level");
      FForm.Timer2->SetEnabled(true);
      FForm.Timer2Running = true;
    }
    FForm.BannerArrived = true;
  } else {
    X += 30;
  }
}

TFight::TFight(TMainForm& form) : TBegin(form) {
  PixelCheck = true;
  SetPictureSized("Fight");
  X = 400 - Width / 2.0;
  Y = 300;
  SetZ(800);
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = 0.025;
  LastFrame = 0;
}

void TFight::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  if (Image->PatternCount() == LastFrame) {
    FForm.PlaySound("Fight");
    FForm.Timer1Running = true;
    FForm.Timer1->SetEnabled(true);
    FForm.Timer1->SetInterval(800);
  }
  LastFrame = static_cast<uint8_t>(std::nearbyint(AnimPos));
}

Level::Level(TMainForm& form, double x, double y) : TGameSprite(form) {
  SetPictureSized("level");
  X = x;
  Y = y;
  SetZ(800);
}
