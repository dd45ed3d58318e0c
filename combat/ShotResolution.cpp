#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "battlefield/Plane.h"
#include "battlefield/Terror.h"
#include "battlefield/TerrorDead.h"
#include "combat/Bonus.h"
#include "combat/Iscr.h"
#include "engine/PictureCollection.h"

namespace {

// The unscaled rectangle from the truncated position; right and bottom edges are outside.
bool HitBy(const TSprite& sprite, int32_t x, int32_t y) {
  if (sprite.IsDead()) return false;
  const auto left = static_cast<int32_t>(sprite.X);
  const auto top = static_cast<int32_t>(sprite.Y);
  return left <= x && x < left + sprite.Width && top <= y && y < top + sprite.Height;
}

int32_t ScoreOf(int32_t kind) {
  return kind >= 1 && kind <= 8 ? TerrorTypeTable.at(static_cast<size_t>(kind)).ScoreValue : 0;
}

void LeaveCorpse(TMainForm& form, const TTerror& terror) {
  form.Spawn<TTerror_Dead>(terror.Kind, terror.Scale, terror.X, terror.Y, terror.Z());
}

template <class TBalloon>
void SpawnBonus(TMainForm& form, const TTerror& terror, const char* picture, double top) {
  const TPictureCollectionItem& item = form.Find(picture);
  form.Spawn<TBalloon>(terror.X + terror.Width / 2.0 - item.Width() / 2.0,
                       top + terror.Height / 2.0 - item.Height() / 2.0, terror.Z());
}

// After every kill a balloon may rise from the spot.
void RollBonus(TMainForm& form, const TTerror& terror, int32_t shotY) {
  const int32_t r = form.Random(100);
  if (!(form.SpawnChance * 15 > r)) return;
  switch (form.Random(7)) {
    case 0: SpawnBonus<Bomb>(form, terror, "bomb", terror.Y); break;
    case 1: SpawnBonus<Med>(form, terror, "med", terror.Y); break;
    case 2: SpawnBonus<Life>(form, terror, "life", terror.Y); break;
    // The dollar starts from the shot's height rather than the terrorist's top.
    case 3: SpawnBonus<Dollar>(form, terror, "dollar", shotY); break;
    case 4: SpawnBonus<Cherep>(form, terror, "cherep", terror.Y); break;
    case 5: SpawnBonus<Artobstrel>(form, terror, "artobstrel", terror.Y); break;
    default: SpawnBonus<Ocher>(form, terror, "ocher", terror.Y); break;
  }
}

void HitTerror(TMainForm& form, TTerror& terror, int32_t x, int32_t y) {
  const bool onFoot = dynamic_cast<TTerror1*>(&terror) != nullptr;
  const bool vehicle =
      dynamic_cast<TTerror2*>(&terror) != nullptr || dynamic_cast<TTerror_Vert*>(&terror) != nullptr;
  if (terror.HitPoints > form.ShotPower) {
    terror.HitPoints -= form.ShotPower;
    if (vehicle) {
      form.PlaySoundAt("popal_in_gel", x);
      form.Spawn<TPopal>(x, y);
    } else if (onFoot) {
      form.PlaySoundAt("popal_in_plot", x);
    }
    return;
  }

  form.Score += ScoreOf(terror.Kind);
  const double centre = terror.X + terror.Width / 2.0;
  if (onFoot) {
    form.PlaySoundAt("popal_in_plot", x);
    terror.Dead();
    if (terror.Kind >= 1 && terror.Kind <= 4) form.PlaySoundAt("terror" + std::to_string(terror.Kind) + "_dead", centre);
    LeaveCorpse(form, terror);
    form.FootCount -= 1;
  } else if (vehicle) {
    terror.Dead();
    switch (terror.Kind) {
      case 5: form.StopSound("tank_move", 5); form.PlaySoundAt("15", centre); break;
      case 6: form.StopSound("truc_move", 6); form.PlaySoundAt("8", centre); break;
      case 7: form.StopSound("truc_move", 7); form.PlaySoundAt("8", centre); break;
      case 8: form.StopSound("vert_move", 8); form.PlaySoundAt("8", centre); break;
      default: break;
    }
    const TPictureCollectionItem& gotov = form.Find("gotov");
    form.Spawn<TGotov>(terror.X + terror.Width / 2.0 - gotov.Width() / 2.0,
                       terror.Y + terror.Height / 2.0 - gotov.Height() / 2.0);
    form.VehicleCount -= 1;
  }
  RollBonus(form, terror, y);
}

void ApplyBonus(TMainForm& form, TBonus& bonus) {
  const double place = bonus.X + bonus.Width / 2.0;
  if (dynamic_cast<Bomb*>(&bonus) != nullptr) {
    form.FootCount = 0;
    TSpriteEngine& engine = form.Engine();
    for (int32_t i = 0; i < engine.Count(); ++i) {
      auto* foot = dynamic_cast<TTerror1*>(&engine.Items(i));
      if (foot == nullptr || foot->IsDead()) continue;
      form.Score += ScoreOf(foot->Kind);
      foot->Dead();
      LeaveCorpse(form, *foot);
    }
    form.PlaySoundAt("bomb", place);
  } else if (dynamic_cast<Med*>(&bonus) != nullptr) {
    form.Health += 50;
    if (form.Health > 100) {
      if (form.Lives == 3) {
        form.Health = 100;
      } else {
        form.Lives += 1;
        form.Health -= 100;
      }
    }
    form.PlaySoundAt("med", place);
  } else if (dynamic_cast<Life*>(&bonus) != nullptr) {
    if (form.Lives == 3)
      form.Health = 100;
    else
      form.Lives += 1;
    form.PlaySoundAt("life", place);
  } else if (dynamic_cast<Ocher*>(&bonus) != nullptr) {
    // Burst fire for ten seconds from now; Timer1 ends it.
    form.SingleShotMode = false;
    form.Timer1->SetEnabled(false);
    form.Timer1->SetEnabled(true);
    form.Timer1->SetInterval(10000);
    form.PlaySoundAt("ocher", place);
  } else if (dynamic_cast<Cherep*>(&bonus) != nullptr) {
    if (form.Health > 50) {
      form.Health -= 50;
    } else {
      form.LifeLost = true;
      if (form.Lives == 1) {
        form.GameOverPending = true;
      } else {
        form.Lives -= 1;
        form.Health += 50;
      }
    }
    form.PlaySoundAt("cherep", place);
  } else if (dynamic_cast<Artobstrel*>(&bonus) != nullptr) {
    form.Spawn<Plane>(65.0 + form.Random(20));
    form.PlaySoundAt("artobstrel", place);
  } else if (dynamic_cast<Dollar*>(&bonus) != nullptr) {
    form.Score += 100;
    form.PlaySoundAt("dollar", place);
  }

  form.PlaySoundAt("shar_dead", place);
  bonus.Dead();
  const TPictureCollectionItem& burst = form.Find("Bonus_dead");
  form.Spawn<TBonus_Dead>(bonus.X + bonus.Width / 2.0 - burst.Width() / 2.0,
                          bonus.Y + bonus.Height / 2.0 - burst.Height() / 2.0, bonus.Z());
}

}  // namespace

void TMainForm::ResolveShot(int32_t x, int32_t y) {
  ShotFired = true;
  PlaySoundAt("1", x);

  TSpriteEngine& engine = Engine();
  TTerror* terror = nullptr;
  int32_t zt = 0;
  for (int32_t i = 0; i < engine.Count(); ++i) {
    auto* candidate = dynamic_cast<TTerror*>(&engine.Items(i));
    if (candidate != nullptr && HitBy(*candidate, x, y) && candidate->Z() > zt) {
      terror = candidate;
      zt = candidate->Z();
    }
  }
  // Any balloon above the top terrorist counts; among several the last in the list wins.
  TBonus* bonus = nullptr;
  int32_t zb = 0;
  for (int32_t i = 0; i < engine.Count(); ++i) {
    auto* candidate = dynamic_cast<TBonus*>(&engine.Items(i));
    if (candidate != nullptr && HitBy(*candidate, x, y) && candidate->Z() > zt) {
      bonus = candidate;
      zb = candidate->Z();
    }
  }

  if (zt > zb)
    HitTerror(*this, *terror, x, y);
  else if (zb > zt)
    ApplyBonus(*this, *bonus);
  if (zt == 0 && zb == 0) PlaySoundAt("2", x);
}
