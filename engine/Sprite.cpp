#include "engine/Sprite.h"

#include <algorithm>
#include <cmath>

#include "engine/SpriteEngine.h"

TSprite::~TSprite() { Clear(); }

void TSprite::AddChild(std::unique_ptr<TSprite> child) {
  TSprite& sprite = *child;
  sprite.FParent = this;
  FChildren.push_back(std::move(child));
  InsertIntoDrawList(sprite);
  sprite.SetEngine(FEngine != nullptr ? FEngine : dynamic_cast<TSpriteEngine*>(this));
}

// A sprite built without parent may already have children of its own; they join the engine too.
void TSprite::SetEngine(TSpriteEngine* engine) {
  FEngine = engine;
  if (engine != nullptr) ++engine->SpriteCount;
  for (auto& child : FChildren) child->SetEngine(engine);
}

// Binary search for the first sibling whose Z is not below the child's: the child goes in front of
// its equals, so among equal Z the newest is drawn first.
void TSprite::InsertIntoDrawList(TSprite& child) {
  int32_t low = 0;
  int32_t high = static_cast<int32_t>(FDrawList.size()) - 1;
  while (low <= high) {
    const int32_t mid = (low + high) / 2;
    if (static_cast<int64_t>(FDrawList[mid]->FZ) - child.FZ < 0)
      low = mid + 1;
    else
      high = mid - 1;
  }
  FDrawList.insert(FDrawList.begin() + low, &child);
}

void TSprite::RemoveFromDrawList(TSprite& child) {
  auto it = std::find(FDrawList.begin(), FDrawList.end(), &child);
  if (it != FDrawList.end()) FDrawList.erase(it);
}

void TSprite::SetZ(int32_t z) {
  if (z == FZ) return;
  FZ = z;
  if (FParent != nullptr) {
    FParent->RemoveFromDrawList(*this);
    FParent->InsertIntoDrawList(*this);
  }
}

std::unique_ptr<TSprite> TSprite::Extract(TSprite& child) {
  auto it = std::find_if(FChildren.begin(), FChildren.end(),
                         [&child](const std::unique_ptr<TSprite>& p) { return p.get() == &child; });
  std::unique_ptr<TSprite> owned = std::move(*it);
  FChildren.erase(it);
  RemoveFromDrawList(child);
  if (FChildren.empty()) {
    FChildren.shrink_to_fit();
    FDrawList.clear();
    FDrawList.shrink_to_fit();
  }
  if (TSpriteEngine* engine = child.FEngine) {
    --engine->SpriteCount;
    if (child.FIsDead) {
      auto& dead = engine->FDeadList;
      auto pos = std::find(dead.rbegin(), dead.rend(), &child);
      if (pos != dead.rend()) dead.erase(std::next(pos).base());
    }
  }
  return owned;
}

// Detaches the child, then destroys it: its own children go first, each leaving the engine's
// count and dead list as it is freed.
void TSprite::Free(TSprite& child) { Extract(child).reset(); }

void TSprite::Clear() {
  while (!FChildren.empty()) Free(*FChildren.back());
}

void TSprite::Dead() {
  if (FEngine == nullptr || FIsDead) return;
  FIsDead = true;
  FEngine->FDeadList.push_back(this);
}

TSprite& TSprite::Items(int32_t i) const {
  if (FChildren.empty())
    throw ESpriteError("Index of the list exceeds the range. (" + std::to_string(i) + ")");
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return *FChildren[static_cast<size_t>(i)];
}

void TSprite::Collide(TSprite&, bool&) {}
void TSprite::Draw() {}
void TSprite::Move(int32_t) {}

TRect TSprite::GetBounds() const {
  const auto left = static_cast<int32_t>(std::trunc(WorldX()));
  const auto top = static_cast<int32_t>(std::trunc(WorldY()));
  return TRect{left, top, left + Width, top + Height};
}

bool TSprite::Overlaps(TSprite&) { return true; }

void TSprite::MoveAll(int32_t moveCount) {
  if (!Movable) return;
  Move(moveCount);
  // Sprites created meanwhile wait for the next pass; the size check only guards against a
  // handler that empties the tree mid-pass.
  const size_t count = FChildren.size();
  for (size_t i = 0; i < count && i < FChildren.size(); ++i) FChildren[i]->MoveAll(moveCount);
}

void TSprite::DrawAll() {
  if (!Visible) return;
  if (FEngine != nullptr && OverlapRect(GetBounds(), FEngine->SurfaceRect)) {
    Draw();
    ++FEngine->DrawCount;
  }
  const size_t count = FDrawList.size();
  for (size_t i = 0; i < count && i < FDrawList.size(); ++i) FDrawList[i]->DrawAll();
}

int32_t TSprite::CheckCollisions() {
  TSpriteEngine* engine = FEngine;
  if (engine == nullptr || FIsDead || !Collidable) return 0;
  engine->CollisionCount = 0;
  engine->CollisionDone = false;
  engine->CollisionRect = GetBounds();
  engine->CollisionSprite = this;
  const size_t count = engine->FChildren.size();
  for (size_t i = 0; i < count && i < engine->FChildren.size(); ++i) {
    engine->FChildren[i]->VisitCollisions(*engine, *this);
    if (engine->CollisionDone) break;
  }
  return engine->CollisionCount;
}

void TSprite::VisitCollisions(TSpriteEngine& engine, TSprite& starter) {
  if (!Collidable) return;
  if (this != &starter && OverlapRect(GetBounds(), engine.CollisionRect) && starter.Overlaps(*this) &&
      Overlaps(starter)) {
    ++engine.CollisionCount;
    starter.Collide(*this, engine.CollisionDone);
    if (!starter.Collidable || starter.FIsDead) engine.CollisionDone = true;
  }
  if (engine.CollisionDone) return;
  const size_t count = FChildren.size();
  for (size_t i = 0; i < count && i < FChildren.size(); ++i) {
    FChildren[i]->VisitCollisions(engine, starter);
    if (engine.CollisionDone) return;
  }
}
