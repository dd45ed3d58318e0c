#include <cmath>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "battlefield/Begin.h"
#include "battlefield/Terror.h"
#include "combat/Cifra.h"
#include "combat/Pricel.h"
#include "engine/SpriteEngineComponent.h"
#include "platform/Surface.h"

namespace {

// The next level's traffic: more enemies at once, spawned more often, levelling off near level 8.
void SetDifficulty(TMainForm& form, int32_t level) {
  form.MaxFoot = static_cast<int32_t>(std::tanh((level - 2) * 0.1 + 0.5) * 5 + 5);
  form.MaxVehicles = form.MaxFoot / 3;
  form.SpawnChance = std::tanh((level - 2) * 1.0 + 0.5) * 1.0 + 2.0;
  form.LevelCountdown = (level - 1) * 30 + 29;
}

void SpawnStep(TMainForm& form) {
  // One kind serves both spawns of the frame.
  const int32_t k = form.LevelNumber <= 4 ? form.Random(form.LevelNumber) + 1 : form.Random(4) + 1;
  if (form.Random(100) < form.SpawnChance && form.FootCount <= form.MaxFoot) SpawnFootTerror(form, k);
  if (form.Random(1000) < form.SpawnChance && form.VehicleCount <= form.MaxVehicles) {
    if (k == 4)
      SpawnHelicopter(form);
    else
      SpawnVehicle(form, k + 4);
  }
}

}  // namespace

void TMainForm::StartGame() {
  // Nothing left counting from an earlier screen or game may reach this game's intro.
  for (TTimer* timer : {Timer1.get(), Timer2.get(), Timer3.get(), TimerLevel.get()}) timer->SetEnabled(false);
  Timer1Running = false;
  Timer2Running = false;
  Timer3Running = false;
  PlayMusic("2");
  LevelCountdown = 29;
  LevelIntro = true;
  SingleShotMode = true;
  LevelNumber = 1;
  Score = 0;
  Lives = 3;
  Health = 100;
  MaxFoot = 5;
  MaxVehicles = MaxFoot / 3;
  SpawnChance = 2.0;
  ShotPower = 1;
  SeparatorBlink = false;
  BuildScene(1);
}

void TMainForm::GameFrame() {
  TSurface* surface = Engine().Surface;
  if (GamePause.Checked || GameMainExit.Checked) {
    // Only the sight follows the pointer while the game stands still.
    if (auto* sight = FindFirst<Pricel_prosto>()) sight->MoveAll(16);
    SpriteEngine->FreeDead();
    if (surface != nullptr) surface->Fill(0);
    SpriteEngine->DrawAll();
  } else {
    SpriteEngine->MoveAll(16);
    SpriteEngine->FreeDead();
    if (surface != nullptr) surface->Fill(0);
    SpriteEngine->DrawAll();
    if (!LevelIntro) {
      RebuildCounters();
      MarkDeadAll<TBegin>();
      Randomize();
      SpawnStep(*this);
      if (LifeLost) {
        LifeLost = false;
        PlaySound("player_dead");
        if (surface != nullptr)
          surface->FillRect(TRect{0, 0, surface->Width(), surface->Height()}, 255);
      }
    }
  }
  if (GameOverPending) {
    SwitchScreen(scGameOver);
    TimerLevel->SetEnabled(false);
  }
}

void TMainForm::AdvanceLevel() {
  StopSound("all");
  LevelIntro = true;
  LevelNumber += 1;
  if (LevelNumber >= 2 && LevelNumber <= 4) {
    BuildScene(LevelNumber);
  } else {
    // Never the same scene twice in a row.
    int32_t k = Random(4) + 1;
    while (k == SceneNumber) k = Random(4) + 1;
    BuildScene(k);
  }
  TimerLevel->SetEnabled(false);
  // Burst fire ends with its level: its timer must not cut the next level's intro short.
  Timer1->SetEnabled(false);
  SingleShotMode = true;
  SetDifficulty(*this, LevelNumber);
}

bool TMainForm::LevelClockRuns() const {
  return CurrentScreen == scGame && !LevelIntro && !GamePause.Checked && !GameMainExit.Checked &&
         !GameOverPending;
}

void TMainForm::UpdateLevelClock() {
  if (LevelClockRuns())
    TimerLevel->Resume();
  else
    TimerLevel->Suspend();
}

void TMainForm::TimerLevelTimer() {
  LevelCountdown -= 1;
  MarkDeadAll<Cifra_prefix>();
  const bool wasShown = SeparatorBlink;
  SeparatorBlink = !SeparatorBlink;
  if (!wasShown) Spawn<Cifra_prefix>();
}
