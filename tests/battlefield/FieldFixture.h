#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "battlefield/Terror.h"
#include "engine/PictureCollection.h"
#include "support/GameHarness.h"

// A terrorist whose inner steps a test may call one by one.
template <class TBase>
class TProbe : public TBase {
 public:
  using TBase::TBase;
  using TTerror::FireStep;
  using TTerror::HiddenTest;
};

// A real form on the headless platform with an empty battlefield and a fresh game's values. No
// timer runs unless the test runs the clock; Step() is one move pass and the freeing of the dead.
class TFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TMainForm& form = Form();
    form.Engine().Clear();
    form.LevelNumber = 1;
    form.Score = 0;
    form.Lives = 3;
    form.Health = 100;
    form.FootCount = 0;
    form.VehicleCount = 0;
    form.SpawnChance = 2.0;
    form.ShotPower = 1;
    form.SingleShotMode = true;
    form.LifeLost = false;
    form.GameOverPending = false;
    form.LevelIntro = false;
    Harness.ClearSounds();
  }

  TMainForm& Form() { return Harness.Form(); }
  TPictureCollectionItem& Picture(const std::string& name) { return Form().Find(name); }
  void Step(int moves = 1) {
    for (int i = 0; i < moves; ++i) {
      Form().Engine().MoveAll(16);
      Form().Engine().FreeDead();
    }
  }
  template <class T>
  int Live() {
    return Harness.Count<T>();
  }
  template <class T>
  std::vector<T*> All() {
    std::vector<T*> found;
    TSpriteEngine& engine = Form().Engine();
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (auto* sprite = dynamic_cast<T*>(&engine.Items(i)); sprite != nullptr && !sprite->IsDead())
        found.push_back(sprite);
    return found;
  }
  std::vector<std::string> Sounds() const { return Harness.Sounds(); }

  TGameHarness Harness;
};
