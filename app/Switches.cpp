#include "app/MainForm.h"
#include "app/Timer.h"
#include "platform/Display.h"
#include "ui/MenuSprites.h"

void TMainForm::GamePauseClick() {
  if (CurrentScreen != scGame || GameMainExit.Checked || LevelIntro) return;
  GamePause.Checked = !GamePause.Checked;
  UpdateLevelClock();
  if (GamePause.Checked) {
    SetCaption("ZARVOK [Pause]");
    if (!WindowInactive) {
      PlaySound("pause");
      Spawn<TPauseWord>();
    }
  } else {
    SetCaption("ZARVOK");
    if (!WindowInactive) {
      PlaySound("after_pause");
      MarkDeadAll<TMenuGame>();
    }
  }
}

void TMainForm::GameFullScreenClick() {
  GameFullScreen.Checked = !GameFullScreen.Checked;
  GamegoEdit.Checked = false;
  TWindow& window = *FPlatform.Window;
  // Stopping and starting the display runs the form's display events: the frame timer stops and
  // starts again and the waves are reloaded; sprites, screen and game state stay as they are.
  // Before the form is first shown (the settings read at start-up) the display is not running
  // yet: only its mode is set, and showing the form starts it in that mode.
  const bool running = Display->Initialized();
  if (running) Display->Finalize();
  if (GameFullScreen.Checked) {
    if (!Display->FullScreen()) window.SavePlacement();
    Display->SetFullScreen(true);
    if (running) Display->Initialize();
  } else {
    const bool wasFullScreen = Display->FullScreen();
    Display->SetFullScreen(false);
    if (running) Display->Initialize();
    // The placement is put back once the window has left full screen, or it would not hold.
    if (wasFullScreen) window.RestorePlacement();
    window.SetWindowState(TWindowState::wsNormal);
  }
}

void TMainForm::GameSoundClick() { GameSound.Checked = !GameSound.Checked; }

void TMainForm::GameMusicClick() { GameMusic.Checked = !GameMusic.Checked; }

void TMainForm::GameMainExitClick() {
  if (CurrentScreen != scGame || GamePause.Checked) return;
  GameMainExit.Checked = !GameMainExit.Checked;
  UpdateLevelClock();
  if (GameMainExit.Checked) {
    SetCaption("ZARVOK [Pause]");
    PlaySound("pause");
    Spawn<TMainExit>();
  } else {
    SetCaption("ZARVOK");
    PlaySound("after_pause");
    MarkDeadAll<TMenu>();
    MarkDeadAll<TMenuGame>();
  }
}
