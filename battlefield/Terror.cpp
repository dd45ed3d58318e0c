#include "battlefield/Terror.h"

#include <cmath>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "battlefield/Mestnost.h"
#include "engine/PictureCollection.h"

namespace {

int32_t Nearest(double value) { return static_cast<int32_t>(std::nearbyint(value)); }

// The engine loop of a vehicle kind; null for the kinds on foot.
const char* EngineLoop(int32_t kind) {
  if (kind == 5) return "tank_move";
  if (kind == 6 || kind == 7) return "truc_move";
  if (kind == 8) return "vert_move";
  return nullptr;
}

}  // namespace

TTerror::TTerror(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z)
    : TGameSprite(form) {
  Kind = kind;
  if (x > 400) {
    Direction = -1;
    SetPicture(PictureName("_move_back"));
  } else {
    Direction = 1;
    SetPicture(PictureName("_move"));
  }
  X = x;
  Y = y;
  SetZ(z);
  Width = Image->Width();
  Height = Image->Height();

  const TTerrorType& type = TerrorTypeTable.at(static_cast<size_t>(kind));
  HitPoints = type.HitPoints;
  Damage = type.Damage;
  SpeedFactor = type.SpeedFactor;
  ScoreValue = type.ScoreValue;
  Scale = scale;

  if (kind <= 4) {
    RightLimit = 690;
    LeftLimit = 190;
  } else if (kind <= 7) {
    RightLimit = 800;
    LeftLimit = -FForm.Find(PictureName("_move")).Width();
  } else {
    RightLimit = 800;
    LeftLimit = 0;
  }

  PhaseTime = 0;
  Walking = false;
  Fighting = true;
  Turning = false;
  Hidden = false;
  SceneryContacts = 0;
  CanTurn = kind <= 4 || kind == 8;
  SwitchMode();

  SceneryLeft = SceneryTop = SceneryBottom = SceneryWidth = 0;
  Armed = false;

  if (kind <= 4)
    ++FForm.FootCount;
  else
    ++FForm.VehicleCount;

  if (const char* engine = EngineLoop(kind)) FForm.PlaySoundAt(engine, X + Width / 2.0);

  PixelCheck = true;
}

std::string TTerror::PictureName(const std::string& suffix) const {
  return "terror" + std::to_string(Kind) + suffix;
}

void TTerror::SwitchMode() {
  Walking = !Walking;
  Fighting = !Fighting;
  PhaseTime = 0;
  Turning = false;

  if (Fighting) {
    if (Kind <= 4 || Direction == 1)
      SetPicture(PictureName("_fight"));
    else
      SetPicture(PictureName("_fight_back"));
  } else {
    if (CanTurn) {
      if (X + Width == RightLimit)
        Direction = -1;
      else if (X == LeftLimit)
        Direction = 1;
      else
        Direction = FForm.Random(2) == 0 ? 1 : -1;
    }
    SetPicture(PictureName(Direction == 1 ? "_move" : "_move_back"));
  }

  AnimStart = 0;
  AnimCount = Image->PatternCount();
  AnimLooped = true;
  AnimSpeed = 0.015 * SpeedFactor;
}

void TTerror::Collide(TSprite& other, bool& /*done*/) {
  auto* scenery = dynamic_cast<TMestnost*>(&other);
  if (scenery == nullptr) return;
  ++SceneryContacts;
  if (SceneryContacts == 1) {
    SceneryLeft = Nearest(scenery->X);
    SceneryTop = Nearest(scenery->Y);
    SceneryBottom = Nearest(scenery->Y + scenery->Height);
    SceneryWidth = scenery->Width;
  }
}

void TTerror::Draw() { StretchDrawFrame(static_cast<int32_t>(AnimPos), Scale); }

void TTerror::HiddenTest() {
  const auto px = static_cast<int32_t>(X + Width / 2.0);
  const auto py = static_cast<int32_t>(Y + Height / 3.0);
  const bool inside = SceneryLeft <= px && px < SceneryLeft + SceneryWidth && SceneryTop <= py &&
                      py < SceneryBottom;
  Hidden = inside && Z() < SceneryBottom;
  if (!Hidden) SceneryContacts = 0;
}

void TTerror::BeginMove(int32_t moveCount) {
  TImageSprite::Move(moveCount);
  CheckCollisions();
  HiddenTest();
  PhaseTime += 0.1;
}

bool TTerror::Chance(int32_t n) { return FForm.Random(n) < std::exp(-PhaseTime); }

bool TTerror::FireCheck() { return FForm.Random(10) > std::exp(-PhaseTime); }

bool TTerror::AtBandEnd() const { return X + Width >= RightLimit || X <= LeftLimit; }

void TTerror::FireStep() {
  // Killed this frame, by a shot between frames or by the rocket earlier in this pass: it has
  // scored already and fires no more.
  if (IsDead()) return;
  const int32_t frame = Nearest(AnimPos);
  // Foot kinds and the helicopter fire on pattern 0, vehicles on pattern 1.
  const int32_t firingFrame = Kind >= 5 && Kind <= 7 ? 1 : 0;
  if (frame != firingFrame) {
    Armed = true;
    return;
  }
  if (Armed) {
    switch (Kind) {
      case 1: FForm.PlaySoundAt("1", X + Width / 2.0); break;
      case 2: FForm.PlaySoundAt("3", X + Width / 2.0); break;
      case 3: FForm.PlaySoundAt("5", X + Width / 2.0); break;
      case 4: FForm.PlaySoundAt("6", X + Width / 2.0); break;
      case 5: FForm.PlaySoundAt("7", X + Width / 2.0); break;
      case 6: FForm.PlaySoundAt("7", X + Width / 2.0); break;
      case 7: FForm.PlaySoundAt("1", X + Width / 2.0); break;
      case 8: FForm.PlaySoundAt("5", X + Width / 2.0); break;
      default: break;
    }
    FForm.Health -= Damage;
    if (Kind == 5) FForm.PlaySoundAt("14", X + Width / 2.0);
  }
  Armed = false;
  if (FForm.Health <= 0) {
    FForm.LifeLost = true;
    FForm.Health += 100;
    FForm.Lives -= 1;
  }
  if (FForm.Lives <= 0) {
    FForm.GameOverPending = true;
    FForm.TimerLevel->SetEnabled(false);
  }
}

void TTerror::TurnStep() {
  PhaseTime = 0;
  SetPicture(PictureName(Direction == 1 ? "_razvorot" : "_razvorot_back"));
  if (Fighting) {
    AnimStart = 1;
    AnimCount = Image->PatternCount() - 1;
  } else {
    AnimStart = 0;
    AnimCount = Image->PatternCount();
  }
  AnimLooped = false;
  AnimSpeed = 0.015 * SpeedFactor;
  // The engine stops a one-shot animation on its last frame: the turn is over.
  if (AnimPos == AnimCount - 1) SwitchMode();
}

void TTerror1::Move(int32_t moveCount) {
  BeginMove(moveCount);
  if (Walking) {
    X += Direction;
    if (AtBandEnd()) {
      SwitchMode();
    } else if (Chance(30) && PhaseTime > 10 && !Hidden) {
      SwitchMode();
    }
  } else {
    // One move in the fighting picture at the end of the band, then back the other way.
    if (AtBandEnd()) SwitchMode();
    if (FireCheck())
      FireStep();
    else if (PhaseTime > 10)
      SwitchMode();
  }
}

void TTerror2::Move(int32_t moveCount) {
  BeginMove(moveCount);
  if (Walking && !Turning) {
    X += 2 * Direction;
    if (Chance(20) && PhaseTime > 10 && !Hidden) {
      if (Kind == 7)
        SwitchMode();
      else
        Turning = true;
    }
  }
  if (Turning) TurnStep();
  if (Fighting && !Turning) {
    if (FireCheck()) {
      FireStep();
    } else if (PhaseTime > 10) {
      if (Kind == 7)
        SwitchMode();
      else
        Turning = true;
    }
  }
  // A vehicle already killed this frame has been counted off; it must not be counted twice.
  if ((X >= RightLimit || X <= LeftLimit) && !IsDead()) {
    Dead();
    FForm.VehicleCount -= 1;
    if (Kind == 5)
      FForm.StopSound("tank_move", 5);
    else
      FForm.StopSound("truc_move", 7);
  }
  // The engine loop follows the vehicle across the field.
  if (const char* engine = EngineLoop(Kind); engine && !IsDead()) FForm.PanSound(engine, X + Width / 2.0);
}

void TTerror_Vert::Move(int32_t moveCount) {
  BeginMove(moveCount);
  if (Walking && !Turning) {
    X += Direction;
    if (AtBandEnd()) SwitchMode();
    if (Chance(30) && PhaseTime > 10 && !Hidden) Turning = true;
  }
  if (Turning) TurnStep();
  if (Fighting && !Turning) {
    if (AtBandEnd()) SwitchMode();
    if (FireCheck())
      FireStep();
    else if (PhaseTime > 10)
      Turning = true;
  }
  if (const char* engine = EngineLoop(Kind)) FForm.PanSound(engine, X + Width / 2.0);
}

TTerror1& SpawnFootTerror(TMainForm& form, int32_t kind) {
  TPictureCollectionItem& picture = form.Find("terror" + std::to_string(kind) + "_move");
  const int32_t xr = form.Random(500 - picture.Width());
  const int32_t f = form.Random(110);
  // The far half of the ground is drawn at two thirds.
  const double scale = f < 56 ? 1.5 : 1.0;
  const int32_t feet = 410 + f;
  const double x = 190 + xr;
  const double y = feet - Nearest(picture.Height() / scale);
  return form.Spawn<TTerror1>(kind, scale, x, y, feet);
}

TTerror2& SpawnVehicle(TMainForm& form, int32_t kind) {
  TPictureCollectionItem& picture = form.Find("terror" + std::to_string(kind) + "_move");
  const int32_t side = form.Random(2);
  const double x = side == 0 ? -picture.Width() : 800;
  const int32_t g = form.Random(60);
  const int32_t bottom = 310 + g;
  const double y = bottom - picture.Height();
  return form.Spawn<TTerror2>(kind, 1.0, x, y, bottom);
}

TTerror_Vert& SpawnHelicopter(TMainForm& form) {
  TPictureCollectionItem& picture = form.Find("terror8_move");
  const int32_t side = form.Random(2);
  const double x = side == 0 ? 0 : 800 - picture.Width();
  const int32_t g = form.Random(100);
  const double y = 65 + g;
  const int32_t z = picture.Height() + 65 + g;
  return form.Spawn<TTerror_Vert>(8, 1.0, x, y, z);
}
