#include "combat/Iscr.h"

#include <cmath>

#include "app/MainForm.h"
#include "engine/PictureCollection.h"

void TIscr::Setup(const char* picture, double speed) {
  SetPictureSized(picture);
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = speed;
  PixelCheck = true;
}

void TIscr::Draw() {
  // An effect off the surface still gets a size; a divisor of 0 would make none.
  const double scale = Scale > 0 ? Scale : 1.0;
  StretchDrawFrame(static_cast<int32_t>(std::nearbyint(AnimPos)), scale);
}

void TIscr::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  if (Image != nullptr && Image->PatternCount() == LastFrame) FForm.MarkDeadAll<TIscr>();
  LastFrame = static_cast<uint8_t>(std::nearbyint(AnimPos));
}

TPopal::TPopal(TMainForm& form, int32_t x, int32_t y) : TIscr(form) {
  Setup("popal", 0.1);
  X = x;
  Y = y;
  SetZ(800);
  // Shots lie on the surface; a spark anywhere else is drawn at full size too.
  Scale = 1.0;
}

TGotov::TGotov(TMainForm& form, double left, double top) : TIscr(form) {
  Setup("gotov", 0.02);
  X = left;
  Y = top;
  SetZ(800);
  // Full size inside 0..600; an explosion centred on a vehicle off the top or bottom keeps it.
  Scale = 1.0;
}
