#pragma once

#include <cstdint>
#include <memory>

#include "engine/SpriteEngine.h"
#include "platform/Display.h"

// The form's sprite engine: owns the tree's root and points it at the display's back buffer while
// the display runs.
class TSpriteEngineComponent : public TDisplayListener {
 public:
  explicit TSpriteEngineComponent(TDisplay& display);
  ~TSpriteEngineComponent() override;
  TSpriteEngineComponent(const TSpriteEngineComponent&) = delete;
  TSpriteEngineComponent& operator=(const TSpriteEngineComponent&) = delete;

  TSpriteEngine& Engine() { return *FEngine; }
  TDisplay* Display() const { return FDisplay; }

  void MoveAll(int32_t moveCount) { FEngine->MoveAll(moveCount); }
  void FreeDead() { FEngine->FreeDead(); }
  // Nothing while the display is not started.
  void DrawAll();
  // Off when nobody looks at the frames (a replay verified headless): no rule reads the back
  // buffer or anything that drawing changes, so the game plays the same without it.
  bool Drawing = true;

  void DisplayNotify(TDisplay& display, TDisplayNotification notification) override;

 private:
  TDisplay* FDisplay;
  std::unique_ptr<TSpriteEngine> FEngine;
};
