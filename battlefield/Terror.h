#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "battlefield/GameSprite.h"

struct TTerrorType {
  int32_t HitPoints;
  int32_t Damage;
  double SpeedFactor;
  int32_t ScoreValue;
};

// Kinds 1 to 8 (index 0 unused): four on foot, tank, two trucks, helicopter.
inline constexpr std::array<TTerrorType, 9> TerrorTypeTable{{
    {0, 0, 0.0, 0},
    {1, 1, 0.5, 10},
    {2, 2, 1.0 / 3.0, 20},
    {5, 3, 1.0, 40},
    {10, 4, 1.0 / 3.0, 70},
    {20, 6, 0.2, 50},
    {20, 8, 0.5, 80},
    {12, 7, 0.5, 30},
    {35, 12, 0.5, 100},
}};

// An enemy on the battlefield: moves along its band, stops to fight and fires at the player.
class TTerror : public TGameSprite {
 public:
  int32_t HitPoints = 0;
  int32_t Damage = 0;
  double SpeedFactor = 0.0;
  int32_t ScoreValue = 0;
  int32_t Kind = 0;
  double Scale = 1.0;
  double RightLimit = 0.0;
  double LeftLimit = 0.0;
  bool Walking = false;
  bool Fighting = true;
  bool Turning = false;
  bool CanTurn = false;
  bool Hidden = false;
  double PhaseTime = 0.0;
  int32_t Direction = 1;
  bool Armed = false;
  int32_t SceneryLeft = 0;
  int32_t SceneryTop = 0;
  int32_t SceneryBottom = 0;
  int32_t SceneryContacts = 0;
  int32_t SceneryWidth = 0;

  void Collide(TSprite& other, bool& done) override;
  void Draw() override;
  // Switches between moving and fighting.
  void SwitchMode();

 protected:
  TTerror(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z);

  std::string PictureName(const std::string& suffix) const;
  // The animation step, the collision pass, the hidden test and the phase clock.
  void BeginMove(int32_t moveCount);
  void HiddenTest();
  // A "1 in n" event: a draw from 0 .. n - 1 below e^-PhaseTime.
  bool Chance(int32_t n);
  bool FireCheck();
  void FireStep();
  // The turn animation of the tank, the armoured truck and the helicopter.
  void TurnStep();
  bool AtBandEnd() const;
};

// Kinds 1 to 4: walk the near ground, turn at the ends of the band.
class TTerror1 : public TTerror {
 public:
  TTerror1(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z)
      : TTerror(form, kind, scale, x, y, z) {}
  void Move(int32_t moveCount) override;
};

// Kinds 5 to 7: drive across the far road and leave at the other side.
class TTerror2 : public TTerror {
 public:
  TTerror2(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z)
      : TTerror(form, kind, scale, x, y, z) {}
  void Move(int32_t moveCount) override;
};

// Kind 8: flies from side to side in the sky and never leaves by itself.
class TTerror_Vert : public TTerror {
 public:
  TTerror_Vert(TMainForm& form, int32_t kind, double scale, double x, double y, int32_t z)
      : TTerror(form, kind, scale, x, y, z) {}
  void Move(int32_t moveCount) override;
};

// The placements of the spawner; each draws its random numbers in a fixed order.
TTerror1& SpawnFootTerror(TMainForm& form, int32_t kind);
TTerror2& SpawnVehicle(TMainForm& form, int32_t kind);
TTerror_Vert& SpawnHelicopter(TMainForm& form);
