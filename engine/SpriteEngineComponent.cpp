#include "engine/SpriteEngineComponent.h"

TSpriteEngineComponent::TSpriteEngineComponent(TDisplay& display)
    : FDisplay(&display), FEngine(std::make_unique<TSpriteEngine>()) {
  display.RegisterListener(*this);
  if (display.Initialized()) FEngine->SetSurface(&display.Surface());
}

TSpriteEngineComponent::~TSpriteEngineComponent() {
  if (FDisplay != nullptr) FDisplay->UnregisterListener(*this);
}

void TSpriteEngineComponent::DrawAll() {
  if (!Drawing || FDisplay == nullptr || !FDisplay->Initialized() || FEngine->Surface == nullptr) return;
  FEngine->DrawCount = 0;
  FEngine->DrawAll();
}

void TSpriteEngineComponent::DisplayNotify(TDisplay& display, TDisplayNotification notification) {
  switch (notification) {
    case TDisplayNotification::dnInitialize:
      FEngine->SetSurface(&display.Surface());
      break;
    case TDisplayNotification::dnFinalize:
      FEngine->SetSurface(nullptr);
      break;
    case TDisplayNotification::dnDestroying:
      FEngine->SetSurface(nullptr);
      FDisplay = nullptr;
      break;
    case TDisplayNotification::dnRestore:
      break;
  }
}
