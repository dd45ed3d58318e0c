#include "combat/Bonus.h"

#include "app/MainForm.h"
#include "engine/PictureCollection.h"

TBonus::TBonus(TMainForm& form, const char* picture, double x, double y, int32_t z)
    : TGameSprite(form) {
  PixelCheck = true;
  SetPicture(picture);
  X = x;
  Y = y;
  SetZ(z);
  Width = Image->Width();
  Height = Image->Height();
}

void TBonus::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  Y -= 5;
  // Balloons that have risen to the top of the battlefield burst out of play.
  TSpriteEngine& engine = FForm.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) {
    TSprite& sprite = engine.Items(i);
    if (sprite.Y <= 65 && dynamic_cast<TBonus*>(&sprite) != nullptr) sprite.Dead();
  }
  AnimStart = 0;
  AnimCount = Image->PatternCount();
  AnimLooped = true;
  AnimSpeed = 0.01;
}

TBonus_Dead::TBonus_Dead(TMainForm& form, double x, double y, int32_t z) : TIscr(form) {
  PixelCheck = true;
  SetPicture("Bonus_dead");
  X = x;
  Y = y;
  SetZ(z);
  Width = Image->Width();
  Height = Image->Height();
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = 0.01;
  Scale = 1.0;
}
