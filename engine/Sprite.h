#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Rect.h"

class TSprite;
class TSpriteEngine;

// Raised by the sprite engine.
class ESpriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by a list asked for an index it does not hold.
class EListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <class T, class... TArgs>
T& CreateSprite(TSprite& parent, TArgs&&... args);

// A node of the sprite tree: every visible thing is one. A sprite is owned by its parent and is
// freed only by the engine's FreeDead (after Dead) or by its parent's Clear, never inside a pass.
class TSprite {
 public:
  TSprite() = default;
  virtual ~TSprite();
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  bool Collidable = true;
  bool Movable = true;
  bool Visible = true;
  double X = 0;
  double Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  int32_t Z() const { return FZ; }
  // Re-sorts the sprite among its siblings: it goes below every sibling of the same Z.
  void SetZ(int32_t z);

  TSprite* Parent() const { return FParent; }
  // Null for the engine itself and for a sprite that has no parent.
  TSpriteEngine* Engine() const { return FEngine; }
  bool IsDead() const { return FIsDead; }
  // Puts the sprite on the engine's dead list, to be freed after the move pass.
  void Dead();
  // Frees every child, last first.
  void Clear();

  int32_t Count() const { return static_cast<int32_t>(FChildren.size()); }
  // The i-th child in creation order.
  TSprite& Items(int32_t i) const;

  double WorldX() const { return FParent ? FParent->WorldX() + X : X; }
  double WorldY() const { return FParent ? FParent->WorldY() + Y : Y; }

  // Called on the sprite that started a collision pass for each sprite it meets; setting done ends
  // the pass.
  virtual void Collide(TSprite& other, bool& done);
  virtual void Draw();
  virtual void Move(int32_t moveCount);
  virtual TRect GetBounds() const;
  virtual bool Overlaps(TSprite& other);

  // The move pass over this sprite and its subtree; children created meanwhile wait a pass.
  void MoveAll(int32_t moveCount);
  // The draw pass over this sprite and its subtree, children in ascending Z over their parent.
  void DrawAll();
  // A collision pass of this sprite over the whole tree; returns the number of collisions.
  int32_t CheckCollisions();

 private:
  template <class T, class... TArgs>
  friend T& CreateSprite(TSprite& parent, TArgs&&... args);
  friend class TSpriteEngine;

  void AddChild(std::unique_ptr<TSprite> child);
  void InsertIntoDrawList(TSprite& child);
  void RemoveFromDrawList(TSprite& child);
  void SetEngine(TSpriteEngine* engine);
  // Takes the child out of this sprite's lists and hands over its ownership.
  std::unique_ptr<TSprite> Extract(TSprite& child);
  void Free(TSprite& child);
  void VisitCollisions(TSpriteEngine& engine, TSprite& starter);

  TSpriteEngine* FEngine = nullptr;
  TSprite* FParent = nullptr;
  std::vector<std::unique_ptr<TSprite>> FChildren;
  std::vector<TSprite*> FDrawList;
  bool FIsDead = false;
  int32_t FZ = 0;
};

// Constructs T(args...) and appends it as the last child of parent; it joins the draw order by the
// Z its constructor gave it, as if inserted at Z 0 and then given that Z.
template <class T, class... TArgs>
T& CreateSprite(TSprite& parent, TArgs&&... args) {
  auto sprite = std::make_unique<T>(std::forward<TArgs>(args)...);
  T& result = *sprite;
  parent.AddChild(std::move(sprite));
  return result;
}
