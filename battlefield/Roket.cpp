#include "battlefield/Roket.h"

#include <cmath>

#include "app/MainForm.h"
#include "battlefield/Terror.h"
#include "combat/Iscr.h"
#include "engine/PictureCollection.h"

Roket_::Roket_(TMainForm& form, double x, double y, bool right) : TGameSprite(form) {
  FlyingRight = right;
  SetPicture(right ? "roket_" : "roket");
  Y = y;
  X = x;
  SetZ(static_cast<int32_t>(std::nearbyint(form.Find("roket").Height() + y)));
  Width = Image->Width();
  Height = Image->Height();
}

void Roket_::Move(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  X += FlyingRight ? 3 : -3;
  Y += 3;
  if (Y <= 200) return;

  // The explosion always takes the first rocket of the list, which is this one when it flies alone.
  if (auto* first = FForm.FindFirst<Roket_>()) first->Dead();
  FForm.VehicleCount = 0;
  TPictureCollectionItem& gotov = FForm.Find("gotov");
  TSpriteEngine& engine = FForm.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) {
    TSprite& sprite = engine.Items(i);
    TTerror* vehicle = dynamic_cast<TTerror2*>(&sprite);
    if (vehicle == nullptr) vehicle = dynamic_cast<TTerror_Vert*>(&sprite);
    // A vehicle shot dead earlier this frame has already scored.
    if (vehicle == nullptr || vehicle->IsDead()) continue;
    FForm.Score += TerrorTypeTable.at(static_cast<size_t>(vehicle->Kind)).ScoreValue;
    vehicle->Dead();
    FForm.PlaySoundAt(vehicle->Kind == 5 ? "15" : "8", vehicle->X + vehicle->Width / 2.0);
    FForm.Spawn<TGotov>(vehicle->X + vehicle->Width / 2.0 - gotov.Width() / 2.0,
                        vehicle->Y + vehicle->Height / 2.0 - gotov.Height() / 2.0);
  }
  FForm.StopSound("technic");
}
