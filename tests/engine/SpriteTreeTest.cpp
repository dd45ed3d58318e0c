#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"

namespace {

// A sprite that writes what happens to it into a shared log.
class TLogSprite : public TSprite {
 public:
  TLogSprite(std::string name, std::vector<std::string>& log, int32_t z = 0) : FName(std::move(name)), FLog(log) {
    X = 10;
    Y = 10;
    Width = 10;
    Height = 10;
    SetZ(z);
  }
  void Draw() override { FLog.push_back("draw " + FName); }
  void Move(int32_t moveCount) override { FLog.push_back("move " + FName + " " + std::to_string(moveCount)); }
  void Collide(TSprite& other, bool& done) override {
    FLog.push_back("collide " + FName + " " + static_cast<TLogSprite&>(other).FName);
    if (StopOnCollide) done = true;
    if (DieOnCollide) Dead();
  }
  bool Overlaps(TSprite&) override { return Overlapping; }

  bool StopOnCollide = false;
  bool DieOnCollide = false;
  bool Overlapping = true;
  const std::string& Name() const { return FName; }

 private:
  std::string FName;
  std::vector<std::string>& FLog;
};

class SpriteTree : public ::testing::Test {
 protected:
  SpriteTree() : Surface(800, 600) { Engine.SetSurface(&Surface); }

  TLogSprite& Make(const std::string& name, int32_t z = 0) { return CreateSprite<TLogSprite>(Engine, name, Log, z); }
  // A child lying exactly on its parent.
  TLogSprite& MakeChild(TSprite& parent, const std::string& name, int32_t z = 0) {
    TLogSprite& child = CreateSprite<TLogSprite>(parent, name, Log, z);
    child.X = 0;
    child.Y = 0;
    return child;
  }
  std::vector<std::string> DrawOrder() {
    Log.clear();
    Engine.DrawCount = 0;
    Engine.DrawAll();
    return Log;
  }

  TSurface Surface;
  TSpriteEngine Engine;
  std::vector<std::string> Log;
};

struct TZCase {
  const char* Title;
  std::vector<int32_t> ZBySetZ;         // given after creation, in creation order a, b, c...
  std::vector<int32_t> ZInConstructor;  // given before the sprite joins its parent
  std::vector<std::string> Expected;
};

TEST_F(SpriteTree, DrawOrderFollowsZWithTheNewestLowestAmongEquals) {
  const std::vector<TZCase> cases = {
      {"equal Z by SetZ", {5, 5, 5}, {0, 0, 0}, {"draw c", "draw b", "draw a"}},
      {"equal Z from the constructor", {}, {5, 5, 5}, {"draw c", "draw b", "draw a"}},
      {"mixed Z", {3, 1, 2}, {0, 0, 0}, {"draw b", "draw c", "draw a"}},
      {"negative under positive", {0, -1, 800}, {0, 0, 0}, {"draw b", "draw a", "draw c"}},
      {"extreme Z values", {INT32_MAX, INT32_MIN, 0}, {0, 0, 0}, {"draw b", "draw c", "draw a"}},
  };
  for (const TZCase& c : cases) {
    SCOPED_TRACE(c.Title);
    Engine.Clear();
    std::vector<TLogSprite*> sprites;
    for (size_t i = 0; i < 3; ++i)
      sprites.push_back(&Make(std::string(1, static_cast<char>('a' + i)), c.ZInConstructor[i]));
    for (size_t i = 0; i < c.ZBySetZ.size(); ++i) sprites[i]->SetZ(c.ZBySetZ[i]);
    EXPECT_EQ(DrawOrder(), c.Expected);
    // Creation order is untouched by Z.
    EXPECT_EQ(&Engine.Items(0), sprites[0]);
    EXPECT_EQ(&Engine.Items(2), sprites[2]);
  }
}

TEST_F(SpriteTree, SetZToTheCurrentValueKeepsTheOrder) {
  TLogSprite& a = Make("a");
  Make("b");
  a.SetZ(0);
  EXPECT_EQ(DrawOrder(), (std::vector<std::string>{"draw b", "draw a"}));
  // A real change re-inserts in front of the equals.
  a.SetZ(1);
  a.SetZ(0);
  EXPECT_EQ(DrawOrder(), (std::vector<std::string>{"draw a", "draw b"}));
}

TEST_F(SpriteTree, ChildrenDrawOverTheirParentByTheirOwnBounds) {
  TLogSprite& parent = Make("parent", 5);
  MakeChild(parent, "child", -100);
  Make("top", 6);
  EXPECT_EQ(DrawOrder(), (std::vector<std::string>{"draw parent", "draw child", "draw top"}));

  // An off-surface parent is not drawn, its child inside the surface still is.
  parent.X = -1000;
  Engine.Items(0).Items(0).X = 1010;
  EXPECT_EQ(DrawOrder(), (std::vector<std::string>{"draw child", "draw top"}));
  EXPECT_EQ(Engine.DrawCount, 2);
  EXPECT_DOUBLE_EQ(Engine.Items(0).Items(0).WorldX(), 10);
}

TEST_F(SpriteTree, AnInvisibleSpriteHidesItsSubtreeButItStillMovesAndCollides) {
  TLogSprite& parent = Make("parent");
  TLogSprite& child = MakeChild(parent, "child");
  TLogSprite& starter = Make("starter");
  parent.Visible = false;
  EXPECT_EQ(DrawOrder(), (std::vector<std::string>{"draw starter"}));

  Log.clear();
  Engine.MoveAll(16);
  EXPECT_EQ(Log, (std::vector<std::string>{"move parent 16", "move child 16", "move starter 16"}));

  Log.clear();
  EXPECT_EQ(starter.CheckCollisions(), 2);
  EXPECT_EQ(Log, (std::vector<std::string>{"collide starter parent", "collide starter child"}));
  (void)child;
}

TEST_F(SpriteTree, BoundsThatOnlyTouchTheSurfaceAreNotDrawn) {
  struct TCase {
    double X, Y;
    int32_t Width, Height;
    bool Drawn;
  };
  const std::vector<TCase> cases = {
      {800, 100, 10, 10, false},  {-10, 100, 10, 10, false}, {100, 600, 10, 10, false}, {100, -10, 10, 10, false},
      {799, 599, 10, 10, true},   {-9, -9, 10, 10, true},
      // A sprite without size is drawn when its position lies strictly inside the surface.
      {400, 300, 0, 0, true},     {0, 300, 0, 0, false},     {799.9, 300, 0, 0, true},   {800, 300, 0, 0, false},
      {-0.5, 300, 0, 0, false},   {400, 0, 0, 0, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.X << "," << c.Y << " " << c.Width << "x" << c.Height);
    Engine.Clear();
    TLogSprite& s = Make("s");
    s.X = c.X;
    s.Y = c.Y;
    s.Width = c.Width;
    s.Height = c.Height;
    EXPECT_EQ(DrawOrder().size(), c.Drawn ? 1u : 0u);
    EXPECT_EQ(Engine.DrawCount, c.Drawn ? 1 : 0);
  }
}

TEST_F(SpriteTree, BoundsTruncateTheWorldPositionTowardZero) {
  TLogSprite& s = Make("s");
  s.X = -3.7;
  s.Y = 2.9;
  EXPECT_EQ(s.GetBounds(), (TRect{-3, 2, 7, 12}));
}

TEST_F(SpriteTree, AFrozenSpriteFreezesItsSubtree) {
  TLogSprite& parent = Make("parent");
  MakeChild(parent, "child");
  Make("other");
  parent.Movable = false;
  Engine.MoveAll(16);
  EXPECT_EQ(Log, (std::vector<std::string>{"move other 16"}));
}

// Creates a sibling on its first move, as game sprites spawn effects.
class TSpawner : public TSprite {
 public:
  explicit TSpawner(std::vector<std::string>& log) : FLog(log) {}
  void Move(int32_t) override {
    if (!FSpawned) CreateSprite<TLogSprite>(*Parent(), "spawned", FLog);
    FSpawned = true;
  }

 private:
  std::vector<std::string>& FLog;
  bool FSpawned = false;
};

TEST_F(SpriteTree, SpritesCreatedDuringThePassMoveFromTheNextPass) {
  CreateSprite<TSpawner>(Engine, Log);
  Engine.MoveAll(16);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Engine.Count(), 2);
  Engine.MoveAll(16);
  EXPECT_EQ(Log, (std::vector<std::string>{"move spawned 16"}));
}

TEST_F(SpriteTree, DeadSpritesStayUntilFreeDeadAndAreFreedOnce) {
  TLogSprite& parent = Make("parent");
  TLogSprite& child = MakeChild(parent, "child");
  MakeChild(child, "grandchild");
  TLogSprite& other = Make("other");
  EXPECT_EQ(Engine.SpriteCount, 4);

  other.Dead();
  other.Dead();
  EXPECT_EQ(Engine.DeadList().size(), 1u);
  // The dead still move and draw until freed.
  Engine.MoveAll(16);
  EXPECT_NE(std::find(Log.begin(), Log.end(), "move other 16"), Log.end());

  // A child marked before its parent goes with the parent.
  child.Dead();
  parent.Dead();
  Engine.FreeDead();
  EXPECT_TRUE(Engine.DeadList().empty());
  EXPECT_EQ(Engine.SpriteCount, 0);
  EXPECT_EQ(Engine.Count(), 0);
}

TEST_F(SpriteTree, ASpriteWithoutEngineCannotDie) {
  TSprite loose;
  loose.Dead();
  EXPECT_FALSE(loose.IsDead());
  EXPECT_EQ(loose.Engine(), nullptr);
}

TEST_F(SpriteTree, ClearFreesEveryChildAndTheirDeadEntries) {
  TLogSprite& a = Make("a");
  MakeChild(a, "a1").Dead();
  Make("b").Dead();
  Engine.Clear();
  EXPECT_EQ(Engine.SpriteCount, 0);
  EXPECT_TRUE(Engine.DeadList().empty());
  EXPECT_EQ(Engine.Count(), 0);
  // The emptied tree takes new sprites as before.
  Make("c");
  EXPECT_EQ(Engine.Count(), 1);
}

TEST_F(SpriteTree, ASpriteBuiltWithChildrenJoinsTheEngineWithThem) {
  class TWithChild : public TSprite {
   public:
    explicit TWithChild(std::vector<std::string>& log) { CreateSprite<TLogSprite>(*this, "inner", log); }
  };
  TWithChild& outer = CreateSprite<TWithChild>(Engine, Log);
  EXPECT_EQ(Engine.SpriteCount, 2);
  EXPECT_EQ(outer.Items(0).Engine(), &Engine);
  outer.Items(0).Dead();
  Engine.FreeDead();
  EXPECT_EQ(Engine.SpriteCount, 1);
}

TEST_F(SpriteTree, ItemsOutOfRangeRaiseTheListErrors) {
  try {
    Engine.Items(0);
    FAIL() << "no error";
  } catch (const ESpriteError& e) {
    EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (0)");
  }
  Make("a");
  Make("b");
  for (int32_t index : {2, -1}) {
    try {
      Engine.Items(index);
      FAIL() << "no error for " << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

TEST_F(SpriteTree, CollisionPassVisitsInCreationOrderAndSkipsHiddenSubtrees) {
  TLogSprite& starter = Make("s");
  TLogSprite& a = Make("a");
  MakeChild(a, "a1");
  TLogSprite& hidden = Make("hidden");
  MakeChild(hidden, "hidden1");
  hidden.Collidable = false;
  TLogSprite& far = Make("far");
  far.X = 500;
  MakeChild(starter, "own child");

  EXPECT_EQ(starter.CheckCollisions(), 3);
  EXPECT_EQ(Log, (std::vector<std::string>{"collide s own child", "collide s a", "collide s a1"}));
  EXPECT_EQ(Engine.CollisionSprite, &starter);
  EXPECT_EQ(Engine.CollisionRect, starter.GetBounds());
}

TEST_F(SpriteTree, BothSidesMustAgreeToOverlap) {
  TLogSprite& starter = Make("s");
  TLogSprite& shy = Make("shy");
  shy.Overlapping = false;
  EXPECT_EQ(starter.CheckCollisions(), 0);
  shy.Overlapping = true;
  starter.Overlapping = false;
  EXPECT_EQ(starter.CheckCollisions(), 0);
}

TEST_F(SpriteTree, ThePassEndsWhenDoneIsSetOrTheStarterLeaves) {
  struct TCase {
    const char* Title;
    bool Stop, Die, StarterCollidable;
    int32_t Expected;
  };
  const std::vector<TCase> cases = {
      {"runs to the end", false, false, true, 3},
      {"done stops it", true, false, true, 1},
      {"a starter that dies stops it", false, true, true, 1},
      {"a non-collidable starter starts none", false, false, false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Title);
    Engine.Clear();
    Engine.FreeDead();
    TLogSprite& starter = Make("s");
    starter.StopOnCollide = c.Stop;
    starter.DieOnCollide = c.Die;
    starter.Collidable = c.StarterCollidable;
    Make("a");
    Make("b");
    Make("c");
    EXPECT_EQ(starter.CheckCollisions(), c.Expected);
  }
}

TEST_F(SpriteTree, ADeadSpriteStartsNoPassButCanBeMet) {
  TLogSprite& starter = Make("s");
  TLogSprite& dead = Make("dead");
  dead.Dead();
  EXPECT_EQ(dead.CheckCollisions(), 0);
  EXPECT_EQ(starter.CheckCollisions(), 1);
}

}  // namespace
