#include "battlefield/TerrorDead.h"

#include <string>

#include "engine/PictureCollection.h"

TTerror_Dead::TTerror_Dead(TMainForm& form, int32_t kind, double scale, double x, double y,
                           int32_t z)
    : TIscr(form) {
  PixelCheck = true;
  SetPicture("terror" + std::to_string(kind) + "_dead");
  X = x;
  Y = y;
  SetZ(z);
  Width = Image->Width();
  Height = Image->Height();
  AnimCount = Image->PatternCount();
  AnimLooped = false;
  AnimSpeed = 0.01;
  Scale = scale;
}
