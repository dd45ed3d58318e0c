#include "ui/MenuSprites.h"

#include <stdexcept>
#include <string>

#include "app/MainForm.h"
#include "engine/PictureCollection.h"
#include "platform/Display.h"
#include "ui/ButtonRects.h"

namespace {

// A highlight's picture name, checked at compile time against the shared table, so a sprite can
// never be placed somewhere the art and the pointer rectangles do not know of.
consteval const char* Placed(const char* picture) {
  if (FindHighlight(picture) == nullptr) throw "picture has no entry in the highlight table";
  return picture;
}

// The same check for a name chosen while the game runs.
const char* PlacedAtRunTime(const char* picture) {
  if (FindHighlight(picture) == nullptr)
    throw std::logic_error(std::string("Picture '") + picture + "' has no place in the highlight table");
  return picture;
}

void PlaceMenuSprite(TImageSprite& sprite, TMainForm& form, const char* picture, TMenuPlace place,
                     int32_t z) {
  sprite.Image = &form.Find(picture);
  sprite.Width = sprite.Image->Width();
  sprite.Height = sprite.Image->Height();
  if (place == TMenuPlace::Centred) {
    sprite.X = (TDisplay::SurfaceWidth - sprite.Width) / 2.0;
    sprite.Y = (TDisplay::SurfaceHeight - sprite.Height) / 2.0;
  } else {
    const THighlight* spot = FindHighlight(picture);
    sprite.X = spot->X;
    sprite.Y = spot->Y;
  }
  sprite.SetZ(z);
}

}  // namespace

TMenuGame::TMenuGame(TMainForm& form, const char* picture, TMenuPlace place, int32_t z) {
  PlaceMenuSprite(*this, form, picture, place, z);
}

TMenu::TMenu(TMainForm& form, const char* picture, TMenuPlace place, int32_t z) {
  PlaceMenuSprite(*this, form, picture, place, z);
}

Start_Game::Start_Game(TMainForm& form)
    : TMenuGame(form, Placed("Start Game"), TMenuPlace::Highlight, 1) {}
Help::Help(TMainForm& form) : TMenuGame(form, Placed("Help"), TMenuPlace::Highlight, 1) {}
Options::Options(TMainForm& form) : TMenuGame(form, Placed("Options"), TMenuPlace::Highlight, 1) {}
High_Score::High_Score(TMainForm& form)
    : TMenuGame(form, Placed("High Score"), TMenuPlace::Highlight, 1) {}
Visit_Web_Site::Visit_Web_Site(TMainForm& form)
    : TMenuGame(form, Placed("Visit Web Site"), TMenuPlace::Highlight, 1) {}
Exit_::Exit_(TMainForm& form) : TMenuGame(form, Placed("Exit"), TMenuPlace::Highlight, 1) {}

HelpGame_Up::HelpGame_Up(TMainForm& form)
    : TMenuGame(form, Placed("Help_Up"), TMenuPlace::Highlight, 1) {}
HelpGame_Back::HelpGame_Back(TMainForm& form)
    : TMenuGame(form, Placed("Help_Back"), TMenuPlace::Highlight, 1) {}
HelpGame_Down::HelpGame_Down(TMainForm& form)
    : TMenuGame(form, Placed("Help_Down"), TMenuPlace::Highlight, 1) {}

Options_Back::Options_Back(TMainForm& form)
    : TMenuGame(form, Placed("Options_back"), TMenuPlace::Highlight, 1) {}
HighScore_Clear::HighScore_Clear(TMainForm& form)
    : TMenuGame(form, Placed("HighScore_Clear"), TMenuPlace::Highlight, 1) {}
HighScore_Back::HighScore_Back(TMainForm& form)
    : TMenuGame(form, Placed("High Score_Back"), TMenuPlace::Highlight, 1) {}
HighScore_View::HighScore_View(TMainForm& form)
    : TMenuGame(form, Placed("HighScore_View"), TMenuPlace::Highlight, 1) {}

ExitGame_Yes::ExitGame_Yes(TMainForm& form)
    : TMenuGame(form, Placed("ExitGame_Yes"), TMenuPlace::Highlight, 1) {}
ExitGame_No::ExitGame_No(TMainForm& form)
    : TMenuGame(form, Placed("ExitGame_No"), TMenuPlace::Highlight, 1) {}

Options_window_mode::Options_window_mode(TMainForm& form)
    : TMenu(form, Placed("Options_window_mode"), TMenuPlace::Highlight, 1) {}
Options_full_screen::Options_full_screen(TMainForm& form)
    : TMenu(form, Placed("Options_full_screen"), TMenuPlace::Highlight, 1) {}
Options_music_on::Options_music_on(TMainForm& form)
    : TMenu(form, Placed("Options_music_on"), TMenuPlace::Highlight, 1) {}
Options_music_off::Options_music_off(TMainForm& form)
    : TMenu(form, Placed("Options_music_off"), TMenuPlace::Highlight, 1) {}
Options_sound_on::Options_sound_on(TMainForm& form)
    : TMenu(form, Placed("Options_sound_on"), TMenuPlace::Highlight, 1) {}
Options_sound_off::Options_sound_off(TMainForm& form)
    : TMenu(form, Placed("Options_sound_off"), TMenuPlace::Highlight, 1) {}

TPauseWord::TPauseWord(TMainForm& form) : TMenuGame(form, "pause", TMenuPlace::Centred, 801) {}

TMainExit::TMainExit(TMainForm& form) : TMenu(form, "Exit_Main", TMenuPlace::Centred, 800) {}
TMainExit_Yes::TMainExit_Yes(TMainForm& form)
    : TMenuGame(form, Placed("Exit_Main_Yes"), TMenuPlace::Highlight, 801) {}
TMainExit_No::TMainExit_No(TMainForm& form)
    : TMenuGame(form, Placed("Exit_Main_No"), TMenuPlace::Highlight, 801) {}

TClearHighScore::TClearHighScore(TMainForm& form)
    : TMenu(form, "ClearHighScore", TMenuPlace::Centred, 801) {}
TClearHighScore_Yes::TClearHighScore_Yes(TMainForm& form)
    : TMenuGame(form, Placed("ClearHighScore_Yes"), TMenuPlace::Highlight, 802) {}
TClearHighScore_No::TClearHighScore_No(TMainForm& form)
    : TMenuGame(form, Placed("ClearHighScore_No"), TMenuPlace::Highlight, 802) {}

TPlateHighlight::TPlateHighlight(TMainForm& form, const char* picture)
    : TMenuGame(form, PlacedAtRunTime(picture), TMenuPlace::Highlight, 1) {}
TPlateMarker::TPlateMarker(TMainForm& form, const char* picture)
    : TMenu(form, PlacedAtRunTime(picture), TMenuPlace::Highlight, 1) {}
