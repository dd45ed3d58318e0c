#include <cstdint>
#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "combat/Cifra.h"
#include "combat/Pricel.h"
#include "engine/BackgroundSprite.h"
#include "engine/ImageList.h"
#include "engine/PictureCollection.h"
#include "engine/SpriteEngineComponent.h"
#include "platform/Display.h"
#include "ui/MenuSprites.h"

namespace {

// Every menu screen moves its sprites by this, whatever time the frame took.
constexpr int32_t MenuMoveCount = 16;

// Rows of the high-score table, rank 1 first.
constexpr double HighScoreRowY[10] = {150, 185, 220, 253, 285, 315, 345, 375, 405, 433};

// A picture repeated over the whole surface.
void AddBackground(TMainForm& form, const char* picture, int32_t z) {
  auto& background = CreateSprite<TBackgroundSprite>(form.Engine());
  background.SetMapSize(1, 1);
  background.Image = &form.Find(picture);
  background.Tile = true;
  background.SetZ(z);
}

// A picture drawn centred on (x, y): its sprite keeps a zero size.
void AddPanel(TMainForm& form, const std::string& picture, double x, double y) {
  auto& panel = CreateSprite<TImageSprite>(form.Engine());
  panel.Image = &form.Find(picture);
  panel.X = x;
  panel.Y = y;
  panel.SetZ(0);
}

bool HasPicture(TMainForm& form, const std::string& picture) {
  return form.ImageList->Items.IndexOf(picture) >= 0;
}

}  // namespace

void TMainForm::SwitchScreen(uint8_t screen) {
  TearDownScreen();
  CurrentScreen = screen;
  switch (CurrentScreen) {
    case scSplash:
      MenuMusicRestart = false;
      PlayMusic("1");
      AddBackground(*this, "Splash Screen", 0);
      Timer1->SetEnabled(true);
      break;
    case scMainMenu:
      if (MenuMusicRestart) PlayMusic("1");
      MenuMusicRestart = false;
      HelpPage = 1;
      Spawn<Pricel>();
      AddBackground(*this, "menu", 0);
      break;
    case scGame:
      if (OnGameStart) OnGameStart();
      StartGame();
      break;
    case scHelp:
      Engine().Clear();
      Spawn<Pricel>();
      AddPanel(*this, "help" + std::to_string(HelpPage), HelpPage == 2 ? 402 : 391, 279);
      AddBackground(*this, "fon_all", -1);
      AddPanel(*this, "fon_help", 393, 277);
      break;
    case scOptions:
      Spawn<Pricel>();
      AddBackground(*this, "fon_all", -1);
      AddPanel(*this, "fon_options", 393, 277);
      GamegoEdit.Checked = false;
      if (Edit1.Text.empty()) GamegoEditClick();
      ExtraText = Edit1.Text;
      DrawLetterLine(ExtraText, 410, 390, 1);
      break;
    case scComfort:
      Spawn<Pricel>();
      AddBackground(*this, "fon_all", -1);
      AddPanel(*this, "fon_comfort", 393, 277);
      break;
    case scHighScores:
      if (MenuMusicRestart) PlayMusic("1");
      MenuMusicRestart = false;
      Spawn<Pricel>();
      AddBackground(*this, "fon_all", -1);
      AddPanel(*this, "fon_high_scores", 393, 277);
      for (int rank = 0; rank < 10; ++rank)
        DrawNumberLine(HighScores[rank].Score, 545, HighScoreRowY[rank], "Health_", 1.5);
      for (int rank = 0; rank < 10; ++rank)
        DrawLetterLine(HighScores[rank].Name, HighScoreRowY[rank], 225, 1.5);
      break;
    case scExitConfirm:
      Spawn<Pricel>();
      AddBackground(*this, "SceneExit", -1);
      PlaySound("pause");
      break;
    case scGameOver:
      Engine().Clear();
      AddBackground(*this, "bgGameOver", -1);
      PlayMusic("3");
      Timer1->SetEnabled(false);
      Timer1->SetEnabled(true);
      Timer1->SetInterval(5000);
      break;
    default:
      break;
  }
}

void TMainForm::TearDownScreen() {
  if (CurrentScreen == scNone) return;
  Engine().Clear();
  switch (CurrentScreen) {
    case scSplash:
      Timer1->SetEnabled(false);
      break;
    case scGame:
      if (OnGameEnd) OnGameEnd();
      MenuMusicRestart = true;
      TimerLevel->SetEnabled(false);
      Timer1->SetEnabled(false);
      Timer2->SetEnabled(false);
      Timer3->SetEnabled(false);
      Timer1Running = false;
      Timer2Running = false;
      Timer3Running = false;
      StopSound("all");
      break;
    case scOptions:
      GamegoEdit.Checked = false;
      SaveSettings();
      break;
    case scHighScores:
      SaveSettings();
      break;
    case scComfort:
      SaveComfort();
      break;
    case scExitConfirm:
      PlaySound("after_pause");
      SaveSettings();
      break;
    case scGameOver:
      Timer1->SetEnabled(false);
      GameOverPending = false;
      GameEnterName.Checked = false;
      GamegoEdit.Checked = false;
      GameSendResult.Checked = false;
      SaveSettings();
      break;
    default:
      break;
  }
}

void TMainForm::ScreenFrame() {
  if (CurrentScreen == scGame) {
    GameFrame();
    return;
  }
  if (CurrentScreen == scNone) return;
  SpriteEngine->MoveAll(MenuMoveCount);
  SpriteEngine->FreeDead();
  // The splash and the main menu are covered by their background; the others are not.
  if (CurrentScreen != scSplash && CurrentScreen != scMainMenu) Display->Surface().Fill(0);
  SpriteEngine->DrawAll();

  // Sprites made after the draw show on the next frame, and the ones marked dead go with the next
  // FreeDead, so each frame shows one copy of the text line and of the markers.
  if (CurrentScreen == scOptions) {
    ExtraText = Edit1.Text;
    MarkDeadAll<Bukva>();
    DrawLetterLine(ExtraText, 410, 390, 1);
    MarkDeadAll<TMenu>();
    if (GameFullScreen.Checked)
      Spawn<Options_full_screen>();
    else
      Spawn<Options_window_mode>();
    if (GameSound.Checked)
      Spawn<Options_sound_on>();
    else
      Spawn<Options_sound_off>();
    if (GameMusic.Checked)
      Spawn<Options_music_on>();
    else
      Spawn<Options_music_off>();
  } else if (CurrentScreen == scComfort) {
    ComfortFrame();
  } else if (CurrentScreen == scGameOver && GameEnterName.Checked) {
    MarkDeadAll<Bukva>();
    PlayerName = Edit2.Text;
    DrawLetterLine(PlayerName, 330, 180, 1);
  }
}

void TMainForm::DrawLetterLine(const std::string& text, double y, double x, double scale) {
  double pen = x;
  for (char c : text) {
    const std::string letter(1, c);
    // A character without a letter picture (a damaged settings file can hold any byte) is
    // skipped rather than failing every frame that draws the line.
    if (!HasPicture(*this, "Bukva_" + letter)) continue;
    Spawn<Bukva>(pen, y, scale, letter);
    pen += Find("Bukva_" + letter).Width() / scale;
  }
  if (GamegoEdit.Checked) Spawn<Bukva>(pen, y + Find("Bukva_A").Height() - 10, scale, "prefix");
}

void TMainForm::DrawNumberLine(int32_t value, double x, double y, const std::string& prefix,
                               double scale) {
  double pen = x;
  for (char digit : DigitsOf(value)) {
    const std::string picture = prefix + digit;
    Spawn<Cifra>(pen, y, scale, picture);
    pen += Find(picture).Width() / scale;
  }
}

std::string DigitsOf(int32_t n) {
  // Scores are never negative; a negative value shows its magnitude rather than no digits.
  int64_t rest = n < 0 ? -static_cast<int64_t>(n) : n;
  int64_t power = 1;
  while (rest / (power * 10) != 0) power *= 10;
  std::string digits;
  for (; power > 0; power /= 10) {
    const int64_t digit = rest / power;
    digits += static_cast<char>('0' + digit);
    rest -= digit * power;
  }
  return digits;
}
