#include "combat/Cifra.h"

#include "app/MainForm.h"
#include "engine/PictureCollection.h"

Cifra::Cifra(TMainForm& form, double x, double y, double scale, const std::string& picture)
    : TGameSprite(form), Scale(scale) {
  SetPictureSized(picture);
  X = x;
  Y = y;
  SetZ(800);
}

void Cifra::Draw() { StretchDrawFrame(static_cast<int32_t>(AnimPos), Scale); }

Bukva::Bukva(TMainForm& form, double x, double y, double scale, const std::string& text)
    : TGameSprite(form), Scale(scale) {
  SetPictureSized("Bukva_" + text);
  X = x;
  Y = y;
  SetZ(800);
}

void Bukva::Draw() { StretchDrawFrame(static_cast<int32_t>(AnimPos), Scale); }

Cifra_Lifes::Cifra_Lifes(TMainForm& form, const std::string& text) : TGameSprite(form) {
  SetPictureSized("Lifes_" + text);
  X = 43 - Width / 2.0;
  Y = 538;
  SetZ(800);
}

Cifra_Health::Cifra_Health(TMainForm& form, double x, double y, const std::string& text)
    : TGameSprite(form) {
  SetPictureSized("Health_" + text);
  X = x;
  Y = y;
  SetZ(800);
}

Cifra_prefix::Cifra_prefix(TMainForm& form) : TGameSprite(form) {
  SetPictureSized("cifra_prefix");
  X = 100 - Width / 2.0;
  Y = 3;
  SetZ(800);
}

Patrontag::Patrontag(TMainForm& form) : TGameSprite(form) {
  SetPictureSized(form.SingleShotMode ? "odinoch" : "ochered");
  X = 735;
  Y = 543;
  SetZ(800);
}
