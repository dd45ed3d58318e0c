#include <array>
#include <span>
#include <string>

#include "app/MainForm.h"
#include "battlefield/Begin.h"
#include "battlefield/Mestnost.h"
#include "engine/BackgroundSprite.h"
#include "engine/PictureCollection.h"

TMestnost::TMestnost(TMainForm& form, const std::string& picture, double x, double y, int32_t z)
    : TGameSprite(form) {
  SetPictureSized(picture);
  X = x;
  Y = y;
  SetZ(z);
  PixelCheck = true;
}

namespace {

struct TSceneryPlace {
  const char* Picture;
  int32_t X;
  int32_t Y;
};

constexpr std::array<TSceneryPlace, 7> Scene1{{
    {"Scene1_stone", 230, 421},
    {"Scene1_bochka", 602, 394},
    {"Scene1_kolodez", 490, 437},
    {"Scene1_tank", 357, 318},
    {"Scene1_house1", 0, 297},
    {"Scene1_house2", 689, 302},
    {"Scene1_palma", 29, 175},
}};

constexpr std::array<TSceneryPlace, 6> Scene2{{
    {"Scene2_palma", 505, 103},
    {"Scene2_plane", 1, 267},
    {"Scene2_kolodez", 410, 457},
    {"Scene2_vert", 323, 286},
    {"Scene2_house1", 638, 313},
    {"Scene2_house2", 0, 155},
}};

constexpr std::array<TSceneryPlace, 7> Scene3{{
    {"Scene3_palma", 356, 176},
    {"Scene3_gruzovic", 0, 298},
    {"Scene3_kolodez", 0, 437},
    {"Scene3_bochka", 493, 418},
    {"Scene3_bochki", 594, 409},
    {"Scene3_trava", 275, 412},
    {"Scene3_house1", 569, 142},
}};

constexpr std::array<TSceneryPlace, 9> Scene4{{
    {"Scene4_palma1", 568, 113},
    {"Scene4_tarelka", 0, 259},
    {"Scene4_bochka1", 81, 401},
    {"Scene4_bochka2", 331, 383},
    {"Scene4_bochka3", 471, 370},
    {"Scene4_pushka1", 627, 398},
    {"Scene4_pushka2", 590, 304},
    {"Scene4_trava1", 0, 357},
    {"Scene4_trava2", 583, 390},
}};

std::span<const TSceneryPlace> SceneryOf(int32_t n) {
  switch (n) {
    case 1: return Scene1;
    case 2: return Scene2;
    case 3: return Scene3;
    case 4: return Scene4;
    default: return {};
  }
}

}  // namespace

void TMainForm::BuildScene(int32_t n) {
  Engine().Clear();
  FootCount = 0;
  VehicleCount = 0;
  SceneNumber = n;
  BannerArrived = false;

  auto& background = CreateSprite<TBackgroundSprite>(Engine());
  background.SetMapSize(1, 1);
  background.Image = &Find("Scene" + std::to_string(n));
  background.SetZ(-1);
  background.Tile = true;

  // Each piece stands at the depth of its bottom edge, so whoever is lower is drawn in front.
  for (const TSceneryPlace& place : SceneryOf(n)) {
    const int32_t bottom = place.Y + Find(place.Picture).Height();
    Spawn<TMestnost>(std::string(place.Picture), place.X, place.Y, bottom);
  }

  if (LevelIntro) Spawn<Word_Level_begin>();
}
