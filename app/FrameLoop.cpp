#include <string>

#include "app/FrameTimer.h"
#include "app/MainForm.h"
#include "app/Timer.h"
#include "audio/MusicLib.h"
#include "battlefield/Begin.h"
#include "combat/Cifra.h"
#include "combat/PlayerSprite.h"
#include "combat/Pricel.h"
#include "platform/Display.h"
#include "ui/NameEntry.h"

namespace {
// The spoken numbers of the level intro; levels from 11 on have none.
const char* const SpokenNumbers[] = {"one", "two", "three", "four", "five",
                                     "six", "seven", "eight", "nine", "ten"};
}  // namespace

void TMainForm::FrameTimerTimer(int32_t /*lagCount*/) {
  // Every frame moves by the constant moveCount 16, whatever the lag.
  if (!Display->CanDraw()) return;

  if (ResizePending) {
    ResizePending = false;
    if (FPlatform.Window->WindowState() == TWindowState::wsMaximized) GameFullScreenClick();
  }

  if (!WindowInactive) {
    PadFrame();
    ScreenFrame();
    // A level whose time ran out while the game stood still ends once play goes on.
    if (LevelCountdown < 0 && LevelClockRuns()) AdvanceLevel();
    Display->Flip();
  }

  // The module starts again at order 0 once it has played through: start the screen's module
  // afresh from its file.
  if (SongHandle != 0 && FPlatform.Music) {
    TMusicLib& music = *FPlatform.Music;
    const int32_t order = music.SongGetOrder(SongHandle);
    if (order != 0 || LastSongOrder == 0) {
      LastSongOrder = music.SongGetOrder(SongHandle);
    } else if (CurrentScreen == scGame) {
      PlayMusic("2");
    } else if (CurrentScreen == scGameOver) {
      PlayMusic("3");
    } else {
      PlayMusic("1");
    }
  }
}

void TMainForm::FrameTimerDeactivate() {
  if (CurrentScreen != scGame) {
    WindowInactive = true;
    SetCaption("ZARVOK [Pause]");
    return;
  }
  if (FPlatform.Window->WindowState() == TWindowState::wsMinimized || LevelIntro) WindowInactive = true;
  if (GamePause.Checked)
    PausedBeforeDeactivate = true;
  else
    GamePauseClick();
  if (LevelIntro) {
    SetCaption("ZARVOK [Pause]");
    // The flags stay set so that the return of the focus knows what to start again.
    if (Timer2Running) Timer2->SetEnabled(false);
    if (Timer3Running) Timer3->SetEnabled(false);
    if (Timer1Running) Timer1->SetEnabled(false);
  }
}

void TMainForm::FrameTimerActivate() {
  if (CurrentScreen == scGame) {
    if (PausedBeforeDeactivate)
      PausedBeforeDeactivate = false;
    else
      GamePauseClick();
    if (LevelIntro) {
      SetCaption("ZARVOK");
      if (Timer2Running) Timer2->SetEnabled(true);
      if (Timer3Running) Timer3->SetEnabled(true);
      if (Timer1Running) Timer1->SetEnabled(true);
    }
  } else {
    SetCaption("ZARVOK");
  }
  WindowInactive = false;
}

void TMainForm::Timer1Timer() {
  switch (CurrentScreen) {
    case scSplash:
      SwitchScreen(scMainMenu);
      Timer1->SetEnabled(false);
      break;
    case scGame:
      if (LevelIntro) {
        Timer1Running = false;
        LevelIntro = false;
        MarkDeadAll<TBegin>();
        MarkDeadAll<Bukva>();
        Spawn<TPlayerSprite>();
        Spawn<Pricel_prosto>();
      }
      Timer1->SetEnabled(false);
      // The end of the intro starts the clock; the end of burst fire leaves it as the pause or
      // the exit dialog have it.
      UpdateLevelClock();
      SingleShotMode = true;
      TriggerHeld = false;
      break;
    case scGameOver:
      if (Score > HighScores[9].Score) {
        Spawn<Pricel>();
        Spawn<TEnter_Name>();
      }
      Timer1->SetEnabled(false);
      break;
    default:
      // Any other screen leaves the timer running; it fires again after its interval.
      break;
  }
}

void TMainForm::Timer2Timer() {
  Timer2Running = false;
  Timer3Running = true;
  DrawLetterLine(std::to_string(LevelNumber), 200, 450, 1);
  if (LevelNumber >= 1 && LevelNumber <= 10) PlaySound(SpokenNumbers[LevelNumber - 1]);
  Timer2->SetEnabled(false);
  Timer3->SetEnabled(true);
}

void TMainForm::Timer3Timer() {
  Spawn<TFight>();
  Timer3->SetEnabled(false);
  Timer3Running = false;
}
