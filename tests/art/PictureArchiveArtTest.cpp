#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/ComfortSettings.h"
#include "battlefield/Mestnost.h"
#include "battlefield/Terror.h"
#include "engine/BackgroundSprite.h"
#include "engine/PictureCollection.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

// The built picture archive checked against what the game's code asks of it.
namespace {

class TReadyDevice : public TPictureDevice {
 public:
  bool DeviceInitialized() const override { return true; }
};

// The archive of the built game folder, read once with the game's own reader and built into
// surfaces as the display would.
class ArtArchive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FPictures = std::make_unique<TPictureCollection>();
    FPictures->LoadFromFile(TGameHarness::BuiltGameDir() / "Data" / "Graphic.dxg");
    FPictures->Prepare(FDevice);
    FPictures->Rebuild();
  }
  static void TearDownTestSuite() { FPictures.reset(); }

  static const TPictureCollectionItem& Picture(const std::string& name) { return FPictures->Find(name); }
  static bool Has(const std::string& name) { return FPictures->IndexOf(name) >= 0; }
  static const TPictureCollection& Pictures() { return *FPictures; }

 private:
  static inline TReadyDevice FDevice;
  static inline std::unique_ptr<TPictureCollection> FPictures;
};

std::string KindPicture(int kind, const char* suffix) { return "terror" + std::to_string(kind) + suffix; }

// The suffixes the game asks of each kind: moving and fighting for all, the fighting picture
// facing left for vehicles, turning for the tank, armoured truck and helicopter, corpses on foot.
std::vector<std::string> KindPictures(int kind) {
  std::vector<std::string> names{KindPicture(kind, "_move"), KindPicture(kind, "_move_back"), KindPicture(kind, "_fight")};
  if (kind >= 5) names.push_back(KindPicture(kind, "_fight_back"));
  if (kind == 5 || kind == 6 || kind == 8) {
    names.push_back(KindPicture(kind, "_razvorot"));
    names.push_back(KindPicture(kind, "_razvorot_back"));
  }
  if (kind <= 4) names.push_back(KindPicture(kind, "_dead"));
  return names;
}

// The scenery and backgrounds of the four battlefields, as the game's own scene build lays them.
struct TPlacedPicture {
  std::string Name;
  double X, Y;
  int32_t W, H;
};

std::vector<TPlacedPicture> BuildSceneWithGame(TGameHarness& game, int n) {
  game.Form().LevelIntro = false;
  game.Form().BuildScene(n);
  std::vector<TPlacedPicture> placed;
  TSpriteEngine& engine = game.Form().Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) {
    TSprite& s = engine.Items(i);
    if (auto* piece = dynamic_cast<TMestnost*>(&s))
      placed.push_back({piece->Image->Name(), piece->X, piece->Y, piece->Image->Width(), piece->Image->Height()});
    else if (auto* back = dynamic_cast<TBackgroundSprite*>(&s))
      placed.push_back({back->Image->Name(), 0, 0, back->Image->Width(), back->Image->Height()});
  }
  return placed;
}

// Every picture name the game looks up, in one place. The scenery comes from the game's own
// scene build, the highlights and markers from ButtonRects.h, the kinds from TerrorTypeTable;
// the rest are the names the game writes literally or builds from a prefix and a digit, letter
// or count (the game code keeps those inline, so they are listed here once).
std::vector<std::string> GameNames() {
  std::vector<std::string> names;
  {
    TGameHarness game;
    for (int n = 1; n <= 4; ++n)
      for (const TPlacedPicture& p : BuildSceneWithGame(game, n)) names.push_back(p.Name);
  }
  for (const THighlight& h : Highlights) names.push_back(h.Picture);
  for (size_t kind = 1; kind < TerrorTypeTable.size(); ++kind)
    for (const std::string& n : KindPictures(static_cast<int>(kind))) names.push_back(n);
  for (const char* n : {"Splash Screen", "menu", "fon_all", "SceneExit", "bgGameOver", "fon_help", "fon_options",
                        "fon_high_scores", "help1", "help2", "help3", "help4", "pause", "Exit_Main", "ClearHighScore",
                        "Enter_Name", "plane", "plane_", "roket", "roket_", "pricel", "pricel_anim", "ak47", "popal",
                        "gotov", "Bonus_dead", "bomb", "med", "Life", "dollar", "Cherep", "artobstrel", "ocher",
                        "Word_Level_begin", "Fight", "level", "cifra_prefix", "odinoch", "ochered", "Health_percent",
                        "Bukva_prefix", "fon_comfort"})
    names.push_back(n);
  for (const char* base : {"pricel", "pricel_anim"})
    for (const TSightSize size : {TSightSize::Small, TSightSize::Normal, TSightSize::Large})
      for (const TSightColour colour : {TSightColour::Standard, TSightColour::White, TSightColour::Magenta})
        names.push_back(SightPicture(base, size, colour));
  for (int k = 1; k <= 6; ++k) names.push_back("Splash_" + std::to_string(k));
  for (int d = 0; d <= 9; ++d) {
    names.push_back("cifra" + std::to_string(d));
    names.push_back("Health_" + std::to_string(d));
    names.push_back("Bukva_" + std::to_string(d));
  }
  for (int n = 1; n <= 3; ++n) names.push_back("Lifes_" + std::to_string(n));
  for (char c = 'A'; c <= 'Z'; ++c) names.push_back(std::string("Bukva_") + c);
  return names;
}

TEST_F(ArtArchive, HoldsEveryPictureTheGameLooksUp) {
  const std::vector<std::string> names = GameNames();
  EXPECT_GT(names.size(), 200u);
  for (const std::string& name : names) EXPECT_TRUE(Has(name)) << name;
}

TEST_F(ArtArchive, StaysWithinItsSizeBudget) {
  // About 25 MB of game art, and 2 MB more for the second options page and the sight's sizes
  // and colours (pictures are stored unpacked).
  EXPECT_LE(std::filesystem::file_size(TGameHarness::BuiltGameDir() / "Data" / "Graphic.dxg"), 28'000'000u);
}

TEST_F(ArtArchive, FullScreenPicturesCoverTheSurface) {
  for (const char* name : {"Splash Screen", "menu", "fon_all", "SceneExit", "bgGameOver", "Scene1", "Scene2", "Scene3", "Scene4"}) {
    const auto& p = Picture(name);
    EXPECT_EQ(p.Width(), 800) << name;
    EXPECT_EQ(p.Height(), 600) << name;
    EXPECT_EQ(p.PatternCount(), 1) << name;
  }
}

TEST_F(ArtArchive, HighlightsAreExactlyTheirRectangles) {
  for (const THighlight& h : Highlights) {
    const auto& p = Picture(h.Picture);
    EXPECT_EQ(p.Width(), h.W) << h.Picture;
    EXPECT_EQ(p.Height(), h.H) << h.Picture;
    EXPECT_EQ(p.PatternCount(), 1) << h.Picture;
  }
}

// The game centres a panel on a point; its labels must then fall inside the rectangles that
// pointer input tests, so each panel must at least cover them.
TEST_F(ArtArchive, PanelsCoverTheRectanglesOfTheirLabels) {
  struct TPanelCase {
    const char* Name;
    int CentreX, CentreY;
    std::vector<TButtonRect> Labels;
  };
  namespace R = ButtonRects;
  const TPanelCase cases[] = {
      {"fon_help", 393, 277, {R::HelpUpClick, R::HelpBack, R::HelpDownClick}},
      {"fon_options", 393, 277, {R::OptionsWindowMode, R::OptionsFullScreen, R::OptionsMusicOn, R::OptionsMusicOff,
                                 R::OptionsSoundOn, R::OptionsSoundOff, R::OptionsTextLine, R::OptionsBackClick,
                                 R::OptionsMore}},
      {"fon_comfort", 393, 277, {R::ComfortMusicDown, R::ComfortMusicUp, R::ComfortEffectsDown, R::ComfortEffectsUp,
                                 R::ComfortSizeSmall, R::ComfortSizeNormal, R::ComfortSizeLarge,
                                 R::ComfortColourStandard, R::ComfortColourWhite, R::ComfortColourMagenta,
                                 R::ComfortStereo, R::ComfortMono, R::ComfortPadDown, R::ComfortPadUp,
                                 R::OptionsBackClick}},
      {"fon_high_scores", 393, 277, {R::HighScoreClear, R::HighScoreBackClick, R::HighScoreView}},
      {"Exit_Main", 400, 300, {R::MainExitYes, R::MainExitNo}},
      {"ClearHighScore", 400, 300, {R::ClearYes, R::ClearNo}},
      {"Enter_Name", 400, 300, {R::NameLine, R::SendSwitch}},
  };
  for (const TPanelCase& c : cases) {
    const auto& p = Picture(c.Name);
    const int left = c.CentreX - p.Width() / 2, top = c.CentreY - p.Height() / 2;
    for (const TButtonRect& r : c.Labels) {
      EXPECT_LE(left, r.X1) << c.Name;
      EXPECT_LE(top, r.Y1) << c.Name;
      EXPECT_GE(left + p.Width() - 1, r.X2) << c.Name;
      EXPECT_GE(top + p.Height() - 1, r.Y2) << c.Name;
    }
  }
  // The help pages end above the panel's buttons.
  for (int page = 1; page <= 4; ++page) {
    const auto& p = Picture("help" + std::to_string(page));
    EXPECT_LE(279 - p.Height() / 2 + p.Height(), 445) << page;
  }
}

TEST_F(ArtArchive, KindsShareOnePatternSizeAcrossTheirPictures) {
  for (size_t kind = 1; kind < TerrorTypeTable.size(); ++kind) {
    const auto& move = Picture(KindPicture(static_cast<int>(kind), "_move"));
    for (const std::string& name : KindPictures(static_cast<int>(kind))) {
      EXPECT_EQ(Picture(name).Width(), move.Width()) << name;
      EXPECT_EQ(Picture(name).Height(), move.Height()) << name;
    }
    EXPECT_GE(move.PatternCount(), 6) << "a moving cycle of kind " << kind;
  }
  for (int kind = 1; kind <= 4; ++kind) {
    const auto& move = Picture(KindPicture(kind, "_move"));
    EXPECT_LT(move.Width(), 500) << kind;
    EXPECT_GE(move.Width(), 60) << kind;
    EXPECT_LE(move.Width(), 90) << kind;
    EXPECT_GE(move.Height(), 110) << kind;
    EXPECT_LE(move.Height(), 130) << kind;
  }
}

// Counts bright flame-coloured pixels of one pattern: the muzzle flash.
int FlashPixels(const TPictureCollectionItem& p, int pattern) {
  TSurface s(p.Width(), p.Height());
  s.Fill(0);
  p.DrawPattern(s, 0, 0, pattern);
  int n = 0;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) {
      const uint16_t v = s.Pixel(x, y);
      const int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
      if (r >= 30 && g >= 36 && b <= 20) ++n;
    }
  return n;
}

// People and the helicopter fire on pattern 0 of their fighting picture, vehicles on pattern 1:
// the flash must show on exactly that pattern.
TEST_F(ArtArchive, FightingPicturesFlashOnTheirFiringPattern) {
  for (size_t kind = 1; kind < TerrorTypeTable.size(); ++kind) {
    const int firing = (kind >= 5 && kind <= 7) ? 1 : 0;
    std::vector<std::string> names{KindPicture(static_cast<int>(kind), "_fight")};
    if (kind >= 5) names.push_back(KindPicture(static_cast<int>(kind), "_fight_back"));
    for (const std::string& name : names) {
      const auto& p = Picture(name);
      ASSERT_GT(p.PatternCount(), firing + 1) << name;
      const int flash = FlashPixels(p, firing);
      EXPECT_GT(flash, 20) << name;
      for (int i = 0; i < p.PatternCount(); ++i) {
        if (i != firing) {
          EXPECT_LT(FlashPixels(p, i), flash / 3) << name << " pattern " << i;
        }
      }
    }
  }
}

// One-shot effects end only when their position, advanced by a fixed step per frame, passes
// within half a pattern below the pattern count before the animation stops on its last one.
bool EffectEnds(int patternCount, double stepPerFrame) {
  double pos = 0;
  for (int frame = 0; frame < 1000; ++frame) {
    pos += stepPerFrame;
    const bool stopped = pos >= patternCount;
    if (stopped) pos = patternCount - 1;
    if (std::nearbyint(pos) == patternCount) return true;
    if (stopped) return false;
  }
  return false;
}

TEST_F(ArtArchive, OneShotEffectsCanEnd) {
  struct TEffectCase {
    std::string Name;
    double Step;
  };
  std::vector<TEffectCase> cases{{"popal", 1.6}, {"gotov", 0.32}, {"Bonus_dead", 0.16}, {"Fight", 0.4}};
  for (int kind = 1; kind <= 4; ++kind) cases.push_back({KindPicture(kind, "_dead"), 0.16});
  for (const TEffectCase& c : cases) {
    const auto& p = Picture(c.Name);
    EXPECT_GT(p.PatternCount(), 1) << c.Name;
    EXPECT_TRUE(EffectEnds(p.PatternCount(), c.Step)) << c.Name << " with " << p.PatternCount() << " patterns";
  }
  EXPECT_EQ(Picture("popal").PatternCount(), 5);
  EXPECT_GE(Picture("gotov").PatternCount(), 8);
  EXPECT_FALSE(EffectEnds(4, 1.6));
}

// The weapon's six poses, drawn where the game draws the weapon, reach into the muzzle flash
// of the same pose.
TEST_F(ArtArchive, WeaponPosesMeetTheirMuzzleFlashes) {
  const auto& weapon = Picture("ak47");
  ASSERT_EQ(weapon.PatternCount(), 6);
  const int flashX[6] = {222, 322, 405, 485, 558, 625};
  const int flashY[6] = {500, 492, 485, 486, 488, 493};
  for (int pose = 0; pose < 6; ++pose) {
    const auto& flash = Picture("Splash_" + std::to_string(pose + 1));
    TSurface screen(800, 600);
    const uint16_t empty = 0x0821;
    screen.Fill(empty);
    weapon.DrawPattern(screen, static_cast<int>(std::nearbyint((800 - weapon.Width()) / 2.0 + 60)), 600 - weapon.Height(), pose);
    int inside = 0;
    for (int y = flashY[pose]; y < flashY[pose] + flash.Height(); ++y)
      for (int x = flashX[pose]; x < flashX[pose] + flash.Width(); ++x)
        if (screen.Pixel(x, y) != empty) ++inside;
    EXPECT_GT(inside, 15) << "pose " << pose;
  }
}

// Scenery stands on the ground, inside the surface, with its bottom edge between the far road
// and the near sand where the people walk.
TEST_F(ArtArchive, ScenerySitsOnTheGroundInsideTheSurface) {
  TGameHarness game;
  for (int n = 1; n <= 4; ++n) {
    for (const TPlacedPicture& p : BuildSceneWithGame(game, n)) {
      EXPECT_GE(p.X, 0) << p.Name;
      EXPECT_GE(p.Y, 0) << p.Name;
      EXPECT_LE(p.X + p.W, 800) << p.Name;
      EXPECT_LE(p.Y + p.H, 600) << p.Name;
      if (p.W == 800) continue;
      EXPECT_GE(p.Y + p.H, 310) << p.Name << " floats in the sky";
      EXPECT_LE(p.Y + p.H, 530) << p.Name << " stands in the HUD";
    }
  }
}

// Every pattern of every picture draws something, and no pixel of the key colour's magenta
// fringe survives on a transparent picture's edges.
TEST_F(ArtArchive, EveryPatternDrawsWithoutAKeyFringe) {
  for (int32_t i = 0; i < Pictures().Count(); ++i) {
    const auto& p = Pictures().Items(i);
    ASSERT_GE(p.PatternCount(), 1) << p.Name();
    for (int32_t k = 0; k < p.PatternCount(); ++k) {
      TSurface s(p.Width(), p.Height());
      const uint16_t empty = 0x0821;
      s.Fill(empty);
      p.DrawPattern(s, 0, 0, k);
      int drawn = 0, fringe = 0;
      for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
          const uint16_t v = s.Pixel(x, y);
          if (v == empty) continue;
          ++drawn;
          const int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
          if (r >= 28 && g <= 10 && b >= 28) ++fringe;
        }
      EXPECT_GT(drawn, 0) << p.Name() << " pattern " << k;
      EXPECT_EQ(fringe, 0) << p.Name() << " pattern " << k;
    }
  }
}

}  // namespace
